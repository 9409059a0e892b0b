#include <QAction>
#include <QLineEdit>
#include <QTest>

#include <algorithm>

#include "presets/format_controls.h"
#include "views/canvas_probe.h"
#include "views/edit_grid.h"
#include "views/refresh.h"

using namespace velmora;

namespace {

const QString black = test::name(colours::black);
const QString paper = test::name(colours::silver);

bool imageIsBlank(const EditorState &s)
{
    return std::all_of(s.image.bytes().begin(), s.image.bytes().end(), [](uint8_t b) { return b == 0; });
}

// Centre of grid cell (c, r).
QPoint cell(int c, int r) { return {18 * c + 9, 18 * r + 9}; }

} // namespace

// Mouse editing on Img: presses, drags and AutoWrite.
class PixelEditingTest : public QObject {
    Q_OBJECT
private slots:
    void pressesSetClearAndToggle()
    {
        test::Window w;
        auto *img = w.find<QWidget>("Img");
        EditorState &s = w.state();

        QTest::mousePress(img, Qt::LeftButton, {}, QPoint(60, 100));
        QVERIFY(s.glyph.isSet(3, 5));
        QString bad = test::mismatches(test::shot(w, "Img"), {{56, 93, black}, {70, 107, black}, {55, 100, paper}});
        QVERIFY2(bad.isEmpty(), qPrintable(bad));
        QCOMPARE(test::colourAt(test::shot(w, "ImgReel"), 11, 11), black);
        QCOMPARE(w.find<QLineEdit>("CCW")->text(), QStringLiteral("4"));
        QVERIFY(imageIsBlank(s));
        QTest::mouseRelease(img, Qt::LeftButton, {}, QPoint(60, 100));
        QCOMPARE(s.drawMode, uint8_t(DrawIdle));

        QTest::mousePress(img, Qt::RightButton, {}, QPoint(60, 100));
        QVERIFY(!s.glyph.isSet(3, 5));
        QCOMPARE(test::colourAt(test::shot(w, "Img"), 60, 100), paper);
        QTest::mousePress(img, Qt::MiddleButton, {}, QPoint(60, 100));
        QVERIFY(s.glyph.isSet(3, 5));
        QTest::mousePress(img, Qt::MiddleButton, {}, QPoint(60, 100));
        QVERIFY(!s.glyph.isSet(3, 5));
        QCOMPARE(s.drawMode, uint8_t(DrawClear));
    }

    void middleDragTogglesEachEnteredCellOnce()
    {
        test::Window w;
        auto *img = w.find<QWidget>("Img");
        EditorState &s = w.state();
        s.glyph.at(2, 1) = 1;
        test::moveWith(img, Qt::NoButton, cell(1, 1));
        QTest::mousePress(img, Qt::MiddleButton, {}, cell(1, 1));
        for (int c = 1; c <= 4; ++c)
            for (int dx : {-7, 0, 5}) // several movements inside each cell
                test::moveWith(img, Qt::MiddleButton, cell(c, 1) + QPoint(dx, 2));
        QCOMPARE(s.glyph.at(1, 1), uint8_t(1));
        QCOMPARE(s.glyph.at(2, 1), uint8_t(0));
        QCOMPARE(s.glyph.at(3, 1), uint8_t(1));
        QCOMPARE(s.glyph.at(4, 1), uint8_t(1));
        QCOMPARE(s.glyph.at(5, 1), uint8_t(0));
    }

    void leftDragSetsAndStopsOutsideTheGrid()
    {
        test::Window w;
        auto *img = w.find<QWidget>("Img");
        EditorState &s = w.state();
        test::moveWith(img, Qt::NoButton, cell(1, 1));
        QTest::mousePress(img, Qt::LeftButton, {}, cell(1, 1));
        for (int c = 2; c <= 4; ++c)
            test::moveWith(img, Qt::LeftButton, cell(c, 1));
        for (int c = 1; c <= 4; ++c)
            QVERIFY(s.glyph.isSet(c, 1));
        const GlyphMatrix before = s.glyph;
        const QImage shown = test::shot(w, "Img");
        for (QPoint p : {QPoint(-5, 20), QPoint(20, -5), QPoint(-40000, -3), QPoint(300, 20), QPoint(20, 18 * 13)})
            test::moveWith(img, Qt::LeftButton, p);
        QCOMPARE(s.glyph, before);
        QCOMPARE(test::shot(w, "Img"), shown);
    }

    void laterButtonsOverrideEarlierOnes()
    {
        test::Window w;
        EditorState &s = w.state();
        s.glyph.at(2, 2) = 1;
        s.glyph.at(3, 2) = 1;
        ImgMouseMove(w.editor(), Qt::LeftButton | Qt::RightButton, cell(2, 2));
        QVERIFY(!s.glyph.isSet(2, 2));
        ImgMouseMove(w.editor(), Qt::LeftButton | Qt::MiddleButton, cell(3, 2)); // toggles
        QVERIFY(!s.glyph.isSet(3, 2));
        ImgMouseMove(w.editor(), Qt::LeftButton | Qt::MiddleButton, cell(4, 2));
        QVERIFY(s.glyph.isSet(4, 2));
    }

    void pressesOutsideTheDrawableCellsChangeNothing()
    {
        test::Window w;
        auto *img = w.find<QWidget>("Img");
        EditorState &s = w.state();
        const GlyphMatrix before = s.glyph;
        const QImage shown = test::shot(w, "Img");
        for (QPoint p : {cell(2, 0), QPoint(60, 18 * 13), QPoint(18 * 8, 40), QPoint(289, 289)})
            for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton})
                QTest::mousePress(img, b, {}, p);
        ImgMouseDown(w.editor(), Qt::LeftButton, QPoint(-1, 40));
        ImgMouseDown(w.editor(), Qt::LeftButton, QPoint(40, -1));
        QCOMPARE(s.glyph, before);
        QCOMPARE(test::shot(w, "Img"), shown);

        // Without "ACW calculation" the width row is drawn like a pixel row, for eight cells only.
        s.setFlag(Flag::AcwCalculation, false);
        applyFormat(w.editor(), 16, 16);
        QTest::mousePress(img, Qt::LeftButton, {}, cell(9, 0));
        QVERIFY(!s.glyph.isSet(9, 0));
        QTest::mousePress(img, Qt::LeftButton, {}, cell(2, 0));
        QVERIFY(s.glyph.isSet(2, 0));
        QCOMPARE(test::colourAt(test::shot(w, "Img"), 38, 3), black);
        QTest::mousePress(img, Qt::LeftButton, {}, cell(15, 5));
        QVERIFY(s.glyph.isSet(15, 5));
    }

    void autoWriteStoresEachCellAndTheOverviewFollows()
    {
        test::Window w;
        auto *img = w.find<QWidget>("Img");
        EditorState &s = w.state();
        w.find<QAction>("AWrite")->setChecked(true);
        QTest::mousePress(img, Qt::LeftButton, {}, QPoint(60, 100));
        QCOMPARE(int(s.image.at(5)), 0x10);
        QCOMPARE(int(s.image.at(0)), 4); // the derived width is stored with the glyph
        // Thumbnail pixel (3, 5) of cell 0 at zoom 2.
        QCOMPARE(test::colourAt(test::shot(w, "MemImg"), 1 + 2 * 3, 1 + 2 * 5), black);
        QCOMPARE(w.find<QLineEdit>("RCW")->text(), QStringLiteral("4"));
    }

    void stayingInACellWritesAgainOnlyWithAutoWrite()
    {
        test::Window w;
        auto *img = w.find<QWidget>("Img");
        EditorState &s = w.state();
        test::moveWith(img, Qt::NoButton, cell(5, 5));
        s.glyph.at(1, 2) = 1; // an unwritten change
        test::moveWith(img, Qt::NoButton, cell(5, 5) + QPoint(2, 2));
        QVERIFY(imageIsBlank(s));

        w.find<QAction>("AWrite")->setChecked(true);
        test::moveWith(img, Qt::NoButton, cell(5, 5) + QPoint(3, 3));
        QCOMPARE(int(s.image.at(2)), 0x40);
        QCOMPARE(test::colourAt(test::shot(w, "MemImg"), 1 + 2 * 1, 1 + 2 * 2), black);
    }
};

QTEST_MAIN(PixelEditingTest)
#include "test_pixel_editing.moc"
