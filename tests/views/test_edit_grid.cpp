#include <QLineEdit>
#include <QTest>

#include "presets/format_controls.h"
#include "views/canvas_probe.h"
#include "views/edit_grid.h"
#include "views/refresh.h"

using namespace velmora;
using test::mismatches;

namespace {
const QString black = test::name(colours::black);
const QString paper = test::name(colours::silver);
const QString red = test::name(colours::red);
const QString grey = test::name(colours::grey);
} // namespace

// Geometry of the edit grid Img: lattice, outline and cell insides.
class EditGridTest : public QObject {
    Q_OBJECT
private slots:
    void latticeIsAGreyDistinctFromPaper()
    {
        test::Window w;
        const QString lattice = test::colourAt(test::shot(w, "Img"), 288, 0);
        const QColor c(lattice);
        QVERIFY(lattice != paper && lattice != black);
        QVERIFY(c.red() == c.green() && c.green() == c.blue());
    }

    void outlineOfWideTallFormat()
    {
        test::Window w;
        applyFormat(w.editor(), 16, 16);
        const QImage img = test::shot(w, "Img");
        const QString lattice = test::colourAt(img, 288, 0);
        const QString bad = mismatches(img, {
            {0, 0, black}, {143, 1, black}, {145, 0, lattice}, {146, 1, paper},    // top edge ends at 143
            {161, 17, paper}, {162, 17, lattice}, {161, 18, black}, {162, 18, black}, // right columns start at y = 18
            {0, 288, black}, {287, 289, black}, {288, 289, paper},                 // bottom edge, last pixels
            {287, 100, black}, {288, 100, black}, {289, 100, paper},               // right edge
        });
        QVERIFY2(bad.isEmpty(), qPrintable(bad));
    }

    void outlineOfStartUpFormat()
    {
        test::Window w;
        const QImage img = test::shot(w, "Img");
        const QString lattice = test::colourAt(img, 288, 0);
        const QString bad = mismatches(img, {
            {144, 0, black}, {144, 233, black}, {145, 100, paper}, {144, 234, lattice},
            {0, 235, black}, {143, 235, black}, {100, 236, paper}, {1, 100, paper}, {0, 100, black},
        });
        QVERIFY2(bad.isEmpty(), qPrintable(bad));
    }

    void outlineCornersFollowTheFormat_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("8x2") << 8 << 2;
        QTest::newRow("8x16") << 8 << 16;
        QTest::newRow("16x2") << 16 << 2;
        QTest::newRow("16x10") << 16 << 10;
    }

    void outlineCornersFollowTheFormat()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        test::Window w;
        applyFormat(w.editor(), width, height);
        const QImage img = test::shot(w, "Img");
        const int right = 18 * width;
        const int bottom = 18 * height;
        const QString bad = mismatches(img, {
            {0, bottom - 1, black}, {right - 1, bottom + 1, black}, {right, bottom - 1, black}, {right, 18, black},
        });
        QVERIFY2(bad.isEmpty(), qPrintable(bad));
        QVERIFY(test::colourAt(img, right, bottom + 1) != black);
        QVERIFY(test::colourAt(img, right + 1, bottom - 5) != black);
    }

    void cellInsideKeepsOnePixelGaps()
    {
        test::Window w;
        w.state().glyph.at(3, 5) = 1;
        w.state().glyph.at(0, 1) = 1;
        drawGrid(w.editor());
        // Inside the format every cell border is a 2-pixel black line; the
        // inside touches it right and below and leaves a gap left and above.
        const QString bad = mismatches(test::shot(w, "Img"), {
            {56, 93, black}, {70, 107, black}, {55, 100, paper}, {60, 92, paper},
            {54, 100, black}, {71, 100, black}, {60, 91, black}, {60, 108, black},
            {2, 21, black}, {1, 25, paper}, {10, 20, paper}, {10, 19, black}, {20, 25, paper},
        });
        QVERIFY2(bad.isEmpty(), qPrintable(bad));
    }

    void widthRowIsRedAndGreyWhileDerived()
    {
        test::Window w;
        QString bad = mismatches(test::shot(w, "Img"), {{4 * 18 + 8, 10, red}, {8, 10, grey}, {7 * 18 + 8, 10, grey}});
        QVERIFY2(bad.isEmpty(), qPrintable(bad));
        QCOMPARE(w.find<QLineEdit>("CCW")->text(), QStringLiteral("8"));

        applyFormat(w.editor(), 16, 16);
        bad = mismatches(test::shot(w, "Img"), {{3 * 18 + 8, 10, red}, {4 * 18 + 8, 10, grey}, {9 * 18 + 8, 10, paper}});
        QVERIFY2(bad.isEmpty(), qPrintable(bad));
        QCOMPARE(w.find<QLineEdit>("CCW")->text(), QStringLiteral("16"));
    }

    void widthRowShowsStoredByteWhenNotDerived()
    {
        test::Window w;
        w.state().image.write(0, 200);
        w.state().setFlag(Flag::AcwCalculation, false);
        showFlags(w.editor());
        readAtOffset(w.editor());
        // 200 = 11001000: columns 0, 1 and 4 set.
        const QString bad = mismatches(test::shot(w, "Img"), {{8, 10, black}, {26, 10, black}, {44, 10, paper}, {80, 10, black}});
        QVERIFY2(bad.isEmpty(), qPrintable(bad));
        QCOMPARE(w.find<QLineEdit>("RCW")->text(), QStringLiteral("200"));
        QCOMPARE(w.find<QLineEdit>("CCW")->text(), QStringLiteral("8"));
    }

    void narrowerFormatLeavesPlainBackground()
    {
        test::Window w;
        applyFormat(w.editor(), 16, 16);
        w.state().image.write(5, 0xFF); // row 3 of the first 16-pixel character, left half
        w.state().image.write(6, 0xFF);
        readAtOffset(w.editor());
        QCOMPARE(test::colourAt(test::shot(w, "Img"), 12 * 18 + 8, 3 * 18 + 8), black);
        applyFormat(w.editor(), 8, 13);
        QCOMPARE(test::colourAt(test::shot(w, "Img"), 12 * 18 + 8, 3 * 18 + 8), paper);
    }
};

QTEST_MAIN(EditGridTest)
#include "test_edit_grid.moc"
