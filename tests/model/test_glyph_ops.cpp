#include <QTest>

#include <algorithm>
#include <optional>
#include <vector>

#include "model/format.h"
#include "model/glyph_codec.h"
#include "model/glyph_ops.h"

using namespace velmora;

namespace {

EditorState makeState(int width, int height, bool acw, bool skip = true, int32_t length = blankImageLength)
{
    EditorState s;
    resetEditorState(s);
    s.charWidth = static_cast<uint8_t>(width);
    s.charHeight = static_cast<uint8_t>(height);
    s.setFlag(Flag::AcwCalculation, acw);
    s.setFlag(Flag::SkipSpareByte, skip);
    s.image.replace(std::vector<uint8_t>(static_cast<size_t>(length), 0));
    s.glyph.clear();
    return s;
}

// A fixed irregular pattern over all 272 cells, so that any misplaced cell shows.
GlyphMatrix scrambled()
{
    GlyphMatrix m;
    uint32_t x = 12345;
    for (auto &cell : m.cells) {
        x = x * 1103515245u + 12345u;
        cell = (x >> 16) & 1;
    }
    return m;
}

std::vector<uint8_t> patternBytes(int32_t length)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(length));
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i * 37 + 11);
    return bytes;
}

uint8_t rotatedLeft(uint8_t b) { return static_cast<uint8_t>((b << 1) | (b >> 7)); }

// The bits of a pixel row that survive a width of w: columns 0..w-1 of W.
uint16_t keptColumns(int w, int width)
{
    if (w >= width)
        return 0xFFFF;
    return static_cast<uint16_t>(((1u << w) - 1) << (width - w)); // column 0 is the top bit
}

// Where a roll takes cell (c, r) from, or nullopt when the cell stays.
// Sideways rolls cover rows F..H, vertical ones F..H-1, all columns 0..W-1.
std::optional<std::pair<int, int>> rollSource(int direction, int c, int r, int width, int height, int first)
{
    const int last = direction <= RollToRight ? height : height - 1;
    if (c >= width || r < first || r > last)
        return std::nullopt;
    switch (direction) {
    case RollToLeft: return std::pair{(c + 1) % width, r};
    case RollToRight: return std::pair{(c + width - 1) % width, r};
    case RollToTop: return std::pair{c, r == last ? first : r + 1};
    default: return std::pair{c, r == first ? last : r - 1};
    }
}

using RollFunction = void (*)(EditorState &);
const RollFunction rollFunctions[5] = {nullptr, rollLeft, rollRight, rollUp, rollDown};
const int opposite[5] = {0, RollToRight, RollToLeft, RollToBottom, RollToTop};

} // namespace

class GlyphOpsTest : public QObject {
    Q_OBJECT
private slots:
    // The width row rolls with the pixels only without "ACW calculation";
    // sideways rolls also move row H, which the grid does not show.
    void rolls_data()
    {
        QTest::addColumn<int>("direction");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("acw");
        const char *names[5] = {"", "left", "right", "up", "down"};
        for (int d = RollToLeft; d <= RollToBottom; ++d)
            for (const auto &[w, h] : {std::pair{8, 13}, {16, 16}, {16, 2}})
                for (bool acw : {true, false})
                    QTest::addRow("%s %dx%d acw %s", names[d], w, h, acw ? "on" : "off") << d << w << h << acw;
    }
    void rolls()
    {
        QFETCH(int, direction);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(bool, acw);
        EditorState s = makeState(width, height, acw);
        const GlyphMatrix before = scrambled();
        s.glyph = before;

        rollFunctions[direction](s);
        for (int c = 0; c < GlyphMatrix::columns; ++c)
            for (int r = 0; r < GlyphMatrix::rows; ++r) {
                const auto from = rollSource(direction, c, r, width, height, acw ? 1 : 0);
                const uint8_t expected = from ? before.at(from->first, from->second) : before.at(c, r);
                QVERIFY2(s.glyph.at(c, r) == expected, qPrintable(QStringLiteral("cell %1,%2").arg(c).arg(r)));
            }
        rollFunctions[opposite[direction]](s);
        QCOMPARE(s.glyph, before);
    }

    void rollGlyphRecomputesTheWidthRow()
    {
        EditorState s = makeState(8, 13, true);
        s.glyph.at(0, 5) = 1;
        s.rollDirection = RollToLeft;
        rollGlyph(s, false, false);
        QVERIFY(s.glyph.isSet(7, 5));
        QCOMPARE(s.glyph.at(4, 0), uint8_t(1)); // 8 = 00001000
        QCOMPARE(s.rollDirection, uint8_t(RollNone));
        s.rollDirection = RollToRight;
        rollGlyph(s, false, false);
        QVERIFY(s.glyph.isSet(0, 5));
        QCOMPARE(s.glyph.at(4, 0), uint8_t(0));
        QCOMPARE(s.glyph.at(7, 0), uint8_t(1)); // 1 = 00000001
    }

    // A CharMap roll writes the page at V, whatever AutoWrite says, walking by
    // the char step (33 with the spare byte, 32 without); G stays, and the
    // matrix ends holding the rolled character at G.
    void pageRollVisitsEveryCharStep_data()
    {
        QTest::addColumn<bool>("skip");
        QTest::newRow("spare byte") << true;
        QTest::newRow("no spare byte") << false;
    }
    void pageRollVisitsEveryCharStep()
    {
        QFETCH(bool, skip);
        EditorState s = makeState(16, 16, true, skip);
        const int step = skip ? 33 : 32;
        const int v = 100;
        for (int k = 0; k < 32; ++k)
            s.image.write(v + k * step + 1, 0x80); // column 0 of row 1
        s.viewOffset = v;
        s.glyphOffset = v + step;
        s.rollDirection = RollToLeft;
        rollGlyph(s, true, false);
        QCOMPARE(s.glyphOffset, v + step);
        QVERIFY(s.glyph.isSet(15, 1));
        QVERIFY(!s.glyph.isSet(0, 1));
        for (int k = 0; k < 32; ++k) {
            const int g = v + k * step;
            QCOMPARE(s.image.at(g + 1), uint8_t(0x00));
            QCOMPARE(s.image.at(g + 2), uint8_t(0x01)); // column 15
            QCOMPARE(s.image.at(g), uint8_t(16));       // computed width written
        }
        QCOMPARE(s.image.at(v + 32 * step), uint8_t(0));
        QCOMPARE(s.image.at(v - 1), uint8_t(0));
    }

    // With W = 16 and no spare byte the codec reads the next character's width
    // byte into row H; nothing the operations do may write it back changed.
    void nextWidthByteSurvivesEveryOperation()
    {
        EditorState s = makeState(16, 10, false, false);
        s.image.replace(patternBytes(blankImageLength));
        const std::vector<uint8_t> before = s.image.bytes();
        const int next = 20; // width byte of the character after G = 0
        auto check = [&](const char *what) {
            QVERIFY2(std::equal(before.begin() + next, before.end(), s.image.bytes().begin() + next), what);
        };

        clearMatrix(s);
        encodeChar(s);
        check("clear");

        s.glyph.cells.fill(1);
        encodeChar(s);
        check("paste of a full glyph");

        s.image.replace(before);
        decodeChar(s);
        for (uint8_t direction : {RollToLeft, RollToRight}) {
            s.rollDirection = direction;
            rollGlyph(s, false, true);
            check("roll");
        }
    }

    void trueCharMapErasesRightOfStoredWidths_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("skip");
        QTest::addColumn<bool>("swap");
        QTest::newRow("8x13") << 8 << true << false;
        QTest::newRow("16x12 spare byte") << 16 << true << false;
        QTest::newRow("16x12 no spare byte") << 16 << false << false;
        QTest::newRow("16x12 swapped") << 16 << true << true;
    }
    void trueCharMapErasesRightOfStoredWidths()
    {
        QFETCH(int, width);
        QFETCH(bool, skip);
        QFETCH(bool, swap);
        const int height = width == 8 ? 13 : 12;
        EditorState s = makeState(width, height, true, skip);
        s.setFlag(Flag::SwapBytes, swap);
        const int step = charStep(s);
        const int v = 50;
        std::vector<uint8_t> bytes(blankImageLength, 0xFF);
        for (int k = 0; k < 32; ++k)
            bytes[static_cast<size_t>(v + k * step)] = static_cast<uint8_t>(k % 18); // 0 up to 17, past W too
        s.image.replace(bytes);
        s.viewOffset = v;
        s.glyphOffset = v + 3 * step;

        trueCharMap(s);

        QCOMPARE(s.glyphOffset, v + 3 * step);
        QVERIFY(!s.flag(Flag::TrueCharImage));
        QVERIFY(s.flag(Flag::AcwCalculation));
        for (int i = 0; i < v; ++i)
            QCOMPARE(s.image.at(i), uint8_t(0xFF));
        for (int k = 0; k < 32; ++k) {
            const int g = v + k * step;
            const int w = k % 18;
            QCOMPARE(s.image.at(g), uint8_t(w));
            const uint16_t kept = keptColumns(w, width);
            for (int i = 1; i < step; ++i) {
                // W = 16 rows are byte pairs at odd offsets, the left half first unless swapped.
                const bool leftHalf = width == 16 && ((i % 2) == 1) != swap;
                const uint8_t mask = static_cast<uint8_t>(leftHalf ? kept >> 8 : kept);
                QVERIFY2(s.image.at(g + i) == mask, qPrintable(QStringLiteral("character %1 byte %2").arg(k).arg(i)));
            }
        }
        QCOMPARE(s.image.at(v + 32 * step), uint8_t(0xFF));
    }

    // An image shorter than a page: the characters past its end read as zero
    // and nothing is written outside it.
    void pageOperationsOnAShortImage()
    {
        EditorState s = makeState(8, 13, false, true, 100);
        s.image.replace(patternBytes(100));
        const std::vector<uint8_t> before = s.image.bytes();
        s.rollDirection = RollToLeft;
        rollGlyph(s, true, false);
        QCOMPARE(s.imageLength(), 100);
        for (size_t i = 0; i < before.size(); ++i)
            QCOMPARE(s.image.bytes()[i], rotatedLeft(before[i]));

        s.image.replace(std::vector<uint8_t>(100, 0xFF));
        for (int k = 0; k * 13 < 100; ++k)
            s.image.write(k * 13, 4);
        trueCharMap(s);
        QCOMPARE(s.imageLength(), 100);
        for (int i = 0; i < 100; ++i)
            QCOMPARE(s.image.at(i), uint8_t(i % 13 == 0 ? 4 : 0xF0));

        // A 16-pixel page whose last characters straddle and pass the end.
        EditorState wide = makeState(16, 16, true, true, 33 * 3 + 10);
        wide.image.replace(std::vector<uint8_t>(33 * 3 + 10, 0x80));
        wide.rollDirection = RollToRight;
        rollGlyph(wide, true, false);
        QCOMPARE(wide.imageLength(), 33 * 3 + 10);
        QCOMPARE(wide.image.at(33 * 3 + 1), uint8_t(0x40)); // left byte inside, right byte outside
    }

    // A page starting near 2^31 - 1 walks characters whose offsets no 32-bit
    // sum can hold: nothing overflows, nothing is written, G stays.
    void pagePassesNearTheTopOfTheOffsetRange_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("viewOffset");
        QTest::newRow("8x16 at 2^31 - 1") << 8 << 0x7FFFFFFF;
        QTest::newRow("16x16 at 2^31 - 100") << 16 << 0x7FFFFFFF - 100;
        QTest::newRow("8x16 less than a page below 2^31") << 8 << 0x7FFFFFFF - 32 * 16 + 1;
    }
    void pagePassesNearTheTopOfTheOffsetRange()
    {
        QFETCH(int, width);
        QFETCH(int, viewOffset);
        EditorState s = makeState(width, 16, true);
        s.image.replace(patternBytes(300));
        const std::vector<uint8_t> before = s.image.bytes();
        s.viewOffset = viewOffset;
        s.glyphOffset = 7;
        for (uint8_t direction : {RollToLeft, RollToTop}) {
            s.rollDirection = direction;
            rollGlyph(s, true, false);
            QCOMPARE(s.glyphOffset, 7);
        }
        trueCharMap(s);
        QCOMPARE(s.glyphOffset, 7);
        QVERIFY(s.image.bytes() == before);
    }
};

QTEST_MAIN(GlyphOpsTest)
#include "test_glyph_ops.moc"
