#include <QAction>
#include <QLineEdit>
#include <QTest>

#include "presets/format_controls.h"
#include "views/canvas_probe.h"
#include "views/memory_overview.h"
#include "views/refresh.h"

using namespace velmora;

namespace {

const QString black = test::name(colours::black);
const QString silver = test::name(colours::silver);
const QString cyan = test::name(colours::lightCyan);
const QString lavender = test::name(colours::lightLavender);
const QString red = test::name(colours::red);
const QString grey = test::name(colours::grey);

void loadImage(test::Window &w, const std::vector<uint8_t> &bytes, int32_t blockEnd)
{
    EditorState &s = w.state();
    s.image.replace(bytes);
    s.blockStart = 0;
    s.blockEnd = blockEnd;
    s.viewOffset = 0;
    selectFirstChar(w.editor());
    readAtOffset(w.editor());
}

// Screen pixel of thumbnail pixel (x, y) of cell k.
QPoint at(int k, int x, int y, int zoom = 2) { return {33 * (k / 8) + 1 + zoom * x, 33 * (k % 8) + 1 + zoom * y}; }

// The colour of a thumbnail pixel at zoom 2, or "" when its 2 x 2 block is not uniform.
QString thumbPixel(const QImage &shown, int k, QPoint p)
{
    const QPoint s = at(k, p.x(), p.y());
    const QString c = test::colourAt(shown, s.x(), s.y());
    for (QPoint d : {QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)})
        if (test::colourAt(shown, s.x() + d.x(), s.y() + d.y()) != c)
            return {};
    return c;
}

constexpr int acw = 1 << 2, skip = 1 << 3;

} // namespace

// The memory overview MemImg: thumbnails, colours, selection and zoom.
class MemoryOverviewTest : public QObject {
    Q_OBJECT
private slots:
    void startUpShowsBlankThumbnailsAndFramesCellZero()
    {
        test::Window w;
        QString bad = test::mismatches(test::shot(w, "MemImg"), {
            {1, 1, cyan}, {16, 26, cyan}, {17, 1, silver}, {1, 27, silver}, {32, 32, silver}, {115, 257, cyan},
            {0, 0, red}, {33, 33, red}, {16, 0, red}, {33, 16, red}, {0, 20, red},
            {66, 16, grey}, {16, 66, grey}, {132, 100, grey}, {100, 264, grey}, {33, 40, grey},
        });
        QVERIFY2(bad.isEmpty(), qPrintable(bad));

        w.state().blockStart = 1000;
        w.state().blockEnd = 2000;
        redrawAll(w.editor());
        QCOMPARE(test::colourAt(test::shot(w, "MemImg"), 1, 1), lavender);
    }

    void rowColoursMarkBlockAndImageEnd()
    {
        test::Window w;
        loadImage(w, std::vector<uint8_t>(100, 0x0F), 12);
        // Cells hold 13 bytes each; cell 7 starts at 91 and runs out after its row 8.
        const QImage shown = test::shot(w, "MemImg");
        QCOMPARE(thumbPixel(shown, 0, {0, 12}), cyan);
        QCOMPARE(thumbPixel(shown, 0, {7, 12}), black);
        QCOMPARE(thumbPixel(shown, 1, {0, 0}), lavender);
        QCOMPARE(thumbPixel(shown, 7, {7, 8}), black);
        QCOMPARE(thumbPixel(shown, 7, {7, 9}), silver);
        QCOMPARE(thumbPixel(shown, 8, {7, 0}), silver);
        QCOMPARE(thumbPixel(shown, 31, {7, 12}), silver);

        // Past the image end the block colour wins; the bytes still read as zero.
        w.state().blockEnd = 150;
        redrawAll(w.editor());
        QCOMPARE(thumbPixel(test::shot(w, "MemImg"), 8, {7, 0}), cyan);
    }

    void thumbnailsDecodeLikeTheCodec_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("flags");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("cell");
        QTest::addColumn<QList<QPoint>>("inked");
        QTest::addColumn<QList<QPoint>>("blank");
        const QByteArray marks = QByteArray(31, 0) + QByteArray("\x40\x00\x80", 3);
        QTest::newRow("16x16 spare: stride 33") << 16 << 16 << (acw | skip) << marks << 1 << QList<QPoint>{{0, 0}}
                                                << QList<QPoint>{{1, 0}};
        // Without the spare byte the thumbnails step by the char step, 2H, as the characters do.
        QTest::newRow("16x16 no spare: stride 32") << 16 << 16 << acw << marks << 1 << QList<QPoint>{{0, 1}}
                                                   << QList<QPoint>{{1, 0}, {0, 0}};
        QTest::newRow("16 width row") << 16 << 10 << acw << QByteArray("\xFF", 1) << 0 << QList<QPoint>{{7, 0}}
                                      << QList<QPoint>{{8, 0}, {15, 0}};
        QTest::newRow("hide width bytes") << 8 << 13 << (acw | skip | 1 << 1) << QByteArray("\xFF\xFF", 2) << 0
                                          << QList<QPoint>{{0, 1}} << QList<QPoint>{{0, 0}, {7, 0}};
        QTest::newRow("true char image") << 8 << 13 << (acw | skip | 1 << 0) << QByteArray("\x05\xFF", 2) << 0
                                         << QList<QPoint>{{5, 0}, {7, 0}, {0, 1}, {4, 1}}
                                         << QList<QPoint>{{6, 0}, {5, 1}, {7, 1}};
        const QByteArray pair("\x00\x12\x34", 3);
        QTest::newRow("no swap") << 16 << 10 << acw << pair << 0 << QList<QPoint>{{3, 1}, {6, 1}, {10, 1}, {11, 1}, {13, 1}}
                                 << QList<QPoint>{{2, 1}, {5, 1}, {14, 1}};
        QTest::newRow("swap") << 16 << 10 << (acw | 1 << 4) << pair << 0
                              << QList<QPoint>{{2, 1}, {3, 1}, {5, 1}, {11, 1}, {14, 1}}
                              << QList<QPoint>{{6, 1}, {10, 1}, {13, 1}};
    }

    void thumbnailsDecodeLikeTheCodec()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, flags);
        QFETCH(QByteArray, bytes);
        QFETCH(int, cell);
        QFETCH(QList<QPoint>, inked);
        QFETCH(QList<QPoint>, blank);
        test::Window w;
        for (int i = 0; i < flagCount; ++i)
            w.state().setFlag(static_cast<Flag>(i), flags & (1 << i));
        for (int i = 0; i < bytes.size(); ++i)
            w.state().image.write(i, static_cast<uint8_t>(bytes[i]));
        applyFormat(w.editor(), width, height);
        const QImage shown = test::shot(w, "MemImg");
        for (QPoint p : inked)
            QVERIFY2(thumbPixel(shown, cell, p) == black, qPrintable(QStringLiteral("(%1, %2)").arg(p.x()).arg(p.y())));
        for (QPoint p : blank)
            QVERIFY2(thumbPixel(shown, cell, p) == cyan, qPrintable(QStringLiteral("(%1, %2)").arg(p.x()).arg(p.y())));
    }

    void pressesSelectAndScroll()
    {
        test::Window w;
        auto *overview = w.find<QWidget>("MemImg");
        EditorState &s = w.state();
        s.image.write(130, 0x2A);
        QTest::mousePress(overview, Qt::LeftButton, {}, QPoint(40, 70));
        QCOMPARE(s.glyphOffset, 130);
        QCOMPARE(s.viewOffset, 0);
        QCOMPARE(w.find<QLineEdit>("RCW")->text(), QStringLiteral("42"));
        QString bad = test::mismatches(test::shot(w, "MemImg"), {{33, 66, red}, {66, 99, red}, {50, 66, red}, {16, 0, grey}});
        QVERIFY2(bad.isEmpty(), qPrintable(bad));

        QTest::mousePress(overview, Qt::RightButton, {}, QPoint(40, 70));
        QCOMPARE(s.viewOffset, 130);
        QCOMPARE(s.glyphOffset, 130);
        bad = test::mismatches(test::shot(w, "MemImg"), {{16, 0, red}, {50, 66, grey}});
        QVERIFY2(bad.isEmpty(), qPrintable(bad));

        s.viewOffset = s.glyphOffset = 1696; // the last full page: a right press would run past the end
        QTest::mousePress(overview, Qt::RightButton, {}, QPoint(40, 70));
        QCOMPARE(s.viewOffset, 1696);
        QCOMPARE(s.glyphOffset, 1696);

        QTest::mousePress(overview, Qt::LeftButton, {}, QPoint(130, 5));
        QCOMPARE(s.glyphOffset, 1696 + 24 * 13);
        for (QPoint p : {QPoint(132, 5), QPoint(5, 264), QPoint(-1, 5), QPoint(5, -1)})
            Naviscope(w.editor(), Qt::LeftButton, p.x(), p.y());
        QCOMPARE(s.glyphOffset, 1696 + 24 * 13);
    }

    void characterPastTheImageEndReadsAsZero()
    {
        test::Window w;
        loadImage(w, std::vector<uint8_t>(100, 0xFF), 99);
        QTest::mousePress(w.find<QWidget>("MemImg"), Qt::LeftButton, {}, QPoint(120, 250));
        QCOMPARE(w.state().glyphOffset, 31 * 13);
        QCOMPARE(w.find<QLineEdit>("RCW")->text(), QStringLiteral("0"));
        QCOMPARE(w.state().glyph.at(0, 1), uint8_t(0));
    }

    // A page starting just below 2^31 - 1 (as a preset may set it): a cell whose
    // offset no glyph offset can hold selects nothing; one below the limit is selected.
    void cellsPastTheOffsetRangeSelectNothing()
    {
        test::Window w;
        w.state().viewOffset = w.state().glyphOffset = INT32_MAX - 13;
        QTest::mousePress(w.find<QWidget>("MemImg"), Qt::LeftButton, {}, QPoint(120, 250)); // cell 31
        QCOMPARE(w.state().glyphOffset, INT32_MAX - 13);
        QTest::mousePress(w.find<QWidget>("MemImg"), Qt::LeftButton, {}, QPoint(10, 40)); // cell 1
        QCOMPARE(w.state().glyphOffset, INT32_MAX);
        QCOMPARE(w.find<QLineEdit>("RCW")->text(), QStringLiteral("0"));
    }

    void zoomSwitchesThumbnailSize()
    {
        test::Window w;
        QTest::mousePress(w.find<QWidget>("MemImg"), Qt::LeftButton, {}, QPoint(40, 70));
        auto *zoom = w.find<QAction>("Zoom");
        zoom->trigger();
        QVERIFY(!zoom->isChecked());
        QCOMPARE(w.state().glyphOffset, 0);
        QString bad = test::mismatches(test::shot(w, "MemImg"), {
            {1, 1, cyan}, {8, 13, cyan}, {9, 1, silver}, {1, 14, silver}, {17, 17, silver}, {32, 32, silver},
            {16, 0, red}, {50, 66, grey},
        });
        QVERIFY2(bad.isEmpty(), qPrintable(bad));

        zoom->trigger();
        QVERIFY(zoom->isChecked());
        QCOMPARE(test::colourAt(test::shot(w, "MemImg"), 16, 26), cyan);
    }
};

QTEST_MAIN(MemoryOverviewTest)
#include "test_memory_overview.moc"
