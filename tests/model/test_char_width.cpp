#include <QTest>

#include <utility>
#include <vector>

#include "model/char_width.h"
#include "model/editor_state.h"

using namespace velmora;

using Cells = std::vector<std::pair<int, int>>; // (column, row) pairs holding 1

namespace {

EditorState makeState(int width, int height, bool acw)
{
    EditorState s;
    s.charWidth = static_cast<uint8_t>(width);
    s.charHeight = static_cast<uint8_t>(height);
    s.setFlag(Flag::AcwCalculation, acw);
    return s;
}

// Row 0 columns 0..7 as the bits of a byte, column 0 the most significant.
int widthRow(const GlyphMatrix &m)
{
    int value = 0;
    for (int c = 0; c < 8; ++c)
        value = value << 1 | (m.at(c, 0) == 1 ? 1 : 0);
    return value;
}

} // namespace

class CharWidthTest : public QObject {
    Q_OBJECT
private slots:
    void firstPixelRowFollowsAcw()
    {
        QCOMPARE(int(firstPixelRow(makeState(8, 13, true))), 1);
        QCOMPARE(int(firstPixelRow(makeState(8, 13, false))), 0);
    }

    void computedWidth_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<Cells>("cells");
        QTest::addColumn<int>("expected");

        QTest::newRow("empty 8") << 8 << 13 << Cells{} << 8;
        QTest::newRow("empty 16") << 16 << 13 << Cells{} << 16;
        QTest::newRow("column 0") << 8 << 13 << Cells{{0, 1}} << 1;
        QTest::newRow("column 5 row 1") << 8 << 13 << Cells{{5, 1}} << 6;
        QTest::newRow("column 7 last row") << 8 << 13 << Cells{{7, 12}} << 8;
        QTest::newRow("rightmost wins over later rows") << 8 << 13 << Cells{{6, 2}, {1, 9}} << 7;
        QTest::newRow("column 15 of 16") << 16 << 13 << Cells{{15, 1}} << 16;
        QTest::newRow("column 9 of 16") << 16 << 4 << Cells{{2, 3}, {9, 1}} << 10;
        QTest::newRow("height 2 reads row 1 only") << 8 << 2 << Cells{{1, 1}, {6, 2}} << 2;
        QTest::newRow("width row ignored") << 8 << 13 << Cells{{2, 1}, {7, 0}} << 3;
        QTest::newRow("row H ignored, W 16") << 16 << 6 << Cells{{2, 1}, {12, 6}} << 3;
        QTest::newRow("row H ignored, W 8") << 8 << 6 << Cells{{2, 1}, {6, 6}} << 3;
        QTest::newRow("rows past H ignored") << 16 << 6 << Cells{{2, 1}, {14, 16}} << 3;
        QTest::newRow("columns from W on ignored") << 8 << 13 << Cells{{2, 1}, {8, 3}, {15, 12}} << 3;
    }
    void computedWidth()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(Cells, cells);
        QFETCH(int, expected);
        for (bool acw : {true, false}) {
            EditorState s = makeState(width, height, acw);
            for (auto [c, r] : cells)
                s.glyph.at(c, r) = 1;
            QCOMPARE(calcCharWidth(s), expected);
        }
    }

    void cellsOtherThanOneAreClear()
    {
        EditorState s = makeState(8, 13, true);
        s.glyph.at(1, 1) = 1;
        s.glyph.at(6, 4) = 2;
        s.glyph.at(7, 5) = 255;
        QCOMPARE(calcCharWidth(s), 2);
    }

    void acwWritesTheWidthRow_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<Cells>("cells");
        QTest::addColumn<int>("expected");
        QTest::newRow("empty 8") << 8 << Cells{} << 8;       // 0 0 0 0 1 0 0 0
        QTest::newRow("empty 16") << 16 << Cells{} << 16;    // 0 0 0 1 0 0 0 0
        QTest::newRow("column 5") << 8 << Cells{{5, 1}} << 6; // 0 0 0 0 0 1 1 0
        QTest::newRow("column 10") << 16 << Cells{{10, 3}} << 11;
    }
    void acwWritesTheWidthRow()
    {
        QFETCH(int, width);
        QFETCH(Cells, cells);
        QFETCH(int, expected);
        EditorState s = makeState(width, 13, true);
        for (int c = 0; c < 16; ++c)
            s.glyph.at(c, 0) = 1; // stale width row, and the unused right half
        for (auto [c, r] : cells)
            s.glyph.at(c, r) = 1;
        const GlyphMatrix before = s.glyph;

        QCOMPARE(applyComputedWidth(s), expected);
        QCOMPARE(widthRow(s.glyph), expected);
        for (int c = 8; c < 16; ++c)
            QCOMPARE(int(s.glyph.at(c, 0)), 1);
        for (int c = 0; c < 16; ++c)
            for (int r = 1; r <= 16; ++r)
                QCOMPARE(s.glyph.at(c, r), before.at(c, r));
    }

    void withoutAcwTheWidthRowStays()
    {
        EditorState s = makeState(8, 13, false);
        s.glyph.at(0, 0) = 1;
        s.glyph.at(6, 0) = 1;
        s.glyph.at(2, 4) = 1;
        const GlyphMatrix before = s.glyph;
        QCOMPARE(applyComputedWidth(s), 3);
        QVERIFY(s.glyph == before);
    }
};

QTEST_APPLESS_MAIN(CharWidthTest)
#include "test_char_width.moc"
