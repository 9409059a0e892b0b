#include <QTest>

#include "presets/format_controls.h"
#include "views/canvas_probe.h"
#include "views/preview.h"

using namespace velmora;

// The true-size preview ImgReel: placement of the glyph in its framed square.
class PreviewTest : public QObject {
    Q_OBJECT
private slots:
    void cellLandsAtItsCentredPosition_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("derivedWidth");
        QTest::addColumn<QPoint>("cell");
        QTest::addColumn<QPoint>("pixel");
        QTest::newRow("8x13 inner") << 8 << 13 << true << QPoint(3, 5) << QPoint(11, 11);
        QTest::newRow("8x13 first") << 8 << 13 << true << QPoint(0, 1) << QPoint(8, 7);
        QTest::newRow("8x13 last") << 8 << 13 << true << QPoint(7, 12) << QPoint(15, 18);
        QTest::newRow("16x16 width row") << 16 << 16 << false << QPoint(0, 0) << QPoint(4, 4);
        QTest::newRow("16x16 last") << 16 << 16 << false << QPoint(15, 15) << QPoint(19, 19);
        QTest::newRow("8x2 only row") << 8 << 2 << true << QPoint(0, 1) << QPoint(8, 12);
        QTest::newRow("16x9 odd height") << 16 << 9 << true << QPoint(8, 8) << QPoint(12, 16);
    }

    void cellLandsAtItsCentredPosition()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(bool, derivedWidth);
        QFETCH(QPoint, cell);
        QFETCH(QPoint, pixel);
        test::Window w;
        w.state().setFlag(Flag::AcwCalculation, derivedWidth);
        applyFormat(w.editor(), width, height); // decodes the blank image: no set cell but row 0's derived width
        w.state().glyph.at(cell.x(), cell.y()) = 1;
        drawPreview(w.editor());

        const QImage shown = test::shot(w, "ImgReel");
        const QString ink = test::name(colours::black);
        const QString bad = test::mismatches(shown, {{pixel.x(), pixel.y(), ink}, {0, 0, ink}, {23, 23, ink},
                                                     {23, 0, ink}, {0, 12, ink}});
        QVERIFY2(bad.isEmpty(), qPrintable(bad));
        // Inside the frame only that one pixel is ink: rows from H on and a
        // derived width row stay hidden.
        int inked = 0;
        for (int y = 1; y < 23; ++y)
            for (int x = 1; x < 23; ++x)
                inked += test::colourAt(shown, x, y) == ink;
        QCOMPARE(inked, 1);
    }
};

QTEST_MAIN(PreviewTest)
#include "test_preview.moc"
