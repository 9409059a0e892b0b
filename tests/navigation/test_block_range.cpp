#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "presets/format_controls.h"
#include "support/window_fixture.h"
#include "views/hex_entry.h"

using namespace velmora;

namespace {

QString field(test::Window &w, const char *name) { return w.find<HexEntry>(name)->text(); }

} // namespace

class BlockRangeTest : public QObject {
    Q_OBJECT
private slots:
    void startsAsTheWholeImage()
    {
        test::Window w;
        QCOMPARE(field(w, "BStart"), QStringLiteral("00000000"));
        QCOMPARE(field(w, "BEnd"), QStringLiteral("0000083F"));
    }

    void buttonsTakeTheCurrentCharacter()
    {
        test::Window w;
        test::typeAddress(w, "MaskEdit1", "000001A0");
        test::clickButton(w, "btBS");
        test::clickButton(w, "btBE");
        QCOMPARE(field(w, "BStart"), QStringLiteral("000001A0"));
        QCOMPARE(field(w, "BEnd"), QStringLiteral("000001AC"));

        test::typeAddress(w, "MaskEdit1", "00000400");
        applyFormat(w.editor(), 16, 16);
        test::clickButton(w, "btBE"); // G + 2H - 2, whatever the spare byte says
        QCOMPARE(field(w, "BEnd"), QStringLiteral("0000041E"));
        QCOMPARE(w.state().blockEnd, 0x41E);

        test::clickButton(w, "btDef");
        QCOMPARE(w.state().blockStart, 0);
        QCOMPARE(w.state().blockEnd, 2111);
        QCOMPARE(field(w, "BStart"), QStringLiteral("00000000"));
    }

    void typedAddressesInsideTheImageOnly()
    {
        test::Window w;
        test::typeAddress(w, "BEnd", "00000840");
        QCOMPARE(w.state().blockEnd, 0x83F);
        QCOMPARE(field(w, "BEnd"), QStringLiteral("0000083F"));
        test::typeAddress(w, "BEnd", "00000100");
        QCOMPARE(w.state().blockEnd, 0x100);
        test::typeAddress(w, "BStart", "000001ab"); // lower case converts as well
        QCOMPARE(w.state().blockStart, 0x1AB);
        QCOMPARE(field(w, "BStart"), QStringLiteral("000001AB"));
        test::typeAddress(w, "BStart", "ffffffff"); // refused, not taken as -1
        QCOMPARE(w.state().blockStart, 0x1AB);
    }

    void enteringAnAddressReturnsGToTheView()
    {
        test::Window w;
        test::typeAddress(w, "MaskEdit1", "000001A0");
        w.state().glyphOffset = 0x1C0;
        test::typeAddress(w, "BStart", "00000900"); // refused
        QCOMPARE(w.state().glyphOffset, 0x1A0);
    }

    void blockLabelRunsSaveBlockOnALeftClick()
    {
        test::Window w;
        QStringList proposed;
        w.editor().runDialog = [&](QFileDialog &dialog) {
            proposed.append(QFileInfo(dialog.selectedFiles().value(0)).fileName());
            return false;
        };
        auto *label = w.find<QLabel>("lbStart");
        QTest::mouseClick(label, Qt::RightButton);
        QVERIFY(proposed.isEmpty());
        QTest::mouseClick(label, Qt::LeftButton);
        QCOMPARE(proposed, QStringList{QStringLiteral("08x13_.bin")});
    }

    void badTextIsReportedAndChangesNothing()
    {
        test::Window w;
        test::MessageBoxWatcher boxes;
        test::typeAddress(w, "BEnd", "0000zz00");
        QTRY_COMPARE(boxes.seen().size(), 1);
        QCOMPARE(boxes.seen().first().text, QStringLiteral("'$0000zz00' is not a valid integer value."));
        QCOMPARE(w.state().blockEnd, 0x83F);
    }
};

QTEST_MAIN(BlockRangeTest)
#include "test_block_range.moc"
