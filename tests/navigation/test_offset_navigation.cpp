#include <QLabel>
#include <QPushButton>
#include "views/row_offsets.h"
#include <QTest>

#include "presets/format_controls.h"
#include "support/window_fixture.h"
#include "views/hex_entry.h"

using namespace velmora;

namespace {

void useImage(test::Window &w, int length)
{
    w.state().image.replace(std::vector<uint8_t>(static_cast<size_t>(length), 0));
    w.state().viewOffset = 0;
}

QString rangeLabel(test::Window &w) { return w.find<QLabel>("Adrs")->text(); }

void clickRow(test::Window &w, int row)
{
    auto *grid = w.find<RowOffsets>("ByteNo");
    QTest::mouseClick(grid, Qt::LeftButton, {}, grid->rowRect(row).center());
}

} // namespace

class OffsetNavigationTest : public QObject {
    Q_OBJECT
private slots:
    void startUpShowsTheFirstPage()
    {
        test::Window w;
        QCOMPARE(rangeLabel(w), QStringLiteral("00000000 ... 0000019F"));
        QCOMPARE(w.find<HexEntry>("MaskEdit1")->text(), QStringLiteral("00000000"));
        QCOMPARE(w.form->windowTitle(), QStringLiteral("VELMORA CE  [blank.bin]  00000840"));
    }

    void stepsAndClampsInTheNarrowFormat()
    {
        test::Window w;
        test::clickButton(w, "bt1bm"); // -1 at the start stays at 0
        QCOMPARE(w.state().viewOffset, 0);
        QCOMPARE(w.state().glyphOffset, 0);
        test::clickButton(w, "btbpp");
        QCOMPARE(w.state().viewOffset, 416);
        test::clickButton(w, "btb0dm");
        QCOMPARE(w.state().viewOffset, 403);
        QCOMPARE(w.state().glyphOffset, 403);
        test::clickButton(w, "btb2p");
        QCOMPARE(w.state().viewOffset, 405);
        test::clickButton(w, "btb2m");
        test::clickButton(w, "btb1p");
        QCOMPARE(w.state().viewOffset, 404);
        test::clickButton(w, "btb0dp");
        QCOMPARE(w.state().viewOffset, 417);
        for (int i = 0; i < 6; ++i)
            test::clickButton(w, "btbpp");
        QCOMPARE(w.state().viewOffset, 1696); // 2112 - 32 x 13
        test::clickButton(w, "btb1p");
        QCOMPARE(w.state().viewOffset, 1697); // one byte of room is left
        test::clickButton(w, "btb1p");
        QCOMPARE(w.state().viewOffset, 1696);
        QCOMPARE(rangeLabel(w), QStringLiteral("000006A0 ... 0000083F"));
        test::clickButton(w, "btbpm");
        QCOMPARE(w.state().viewOffset, 1280);
        for (int i = 0; i < 5; ++i)
            test::clickButton(w, "btbpm");
        QCOMPARE(w.state().viewOffset, 0);
    }

    void stepsAndClampsInTheWideFormat()
    {
        test::Window w;
        applyFormat(w.editor(), 16, 16);
        w.state().setFlag(Flag::SkipSpareByte, false);
        test::clickButton(w, "btbpp");
        QCOMPARE(w.state().viewOffset, 1024);
        test::clickButton(w, "btbpp");
        QCOMPARE(w.state().viewOffset, 1058); // 2112 + 2 - 32 x 33
        test::clickButton(w, "btb1p");
        QCOMPARE(w.state().viewOffset, 1058); // every forward step returns to the clamp
        QCOMPARE(rangeLabel(w), QStringLiteral("00000422 ... 00000821"));
    }

    void wideStepsCountTheSpareByte()
    {
        test::Window w;
        useImage(w, 100000);
        applyFormat(w.editor(), 16, 10);
        QVERIFY(w.state().flag(Flag::SkipSpareByte));
        test::clickButton(w, "btb0dp");
        QCOMPARE(w.state().viewOffset, 21);
        test::clickButton(w, "btbpp");
        QCOMPARE(w.state().viewOffset, 21 + 32 * 21);
        QCOMPARE(w.state().glyphOffset, w.state().viewOffset);
    }

    void shortImageAlwaysShowsFromZero()
    {
        test::Window w;
        useImage(w, 100);
        for (const char *b : {"btb1p", "btb2p", "btb0dp", "btbpp", "bt1bm", "btbpm"}) {
            test::clickButton(w, b);
            QCOMPARE(w.state().viewOffset, 0);
        }
        QCOMPARE(rangeLabel(w), QStringLiteral("00000000 ... 00000063"));
    }

    void hexEntryAcceptsAndRefuses()
    {
        test::Window w;
        test::typeAddress(w, "MaskEdit1", "000001a0"); // upper case is forced
        QCOMPARE(w.state().viewOffset, 0x1A0);
        QCOMPARE(w.state().glyphOffset, 0x1A0);
        QCOMPARE(w.find<HexEntry>("MaskEdit1")->text(), QStringLiteral("000001A0"));
        test::typeAddress(w, "MaskEdit1", "00000700"); // 1792 + 416 >= 2112
        QCOMPARE(w.state().viewOffset, 0x1A0);
        QCOMPARE(w.find<HexEntry>("MaskEdit1")->text(), QStringLiteral("000001A0"));
        test::typeAddress(w, "MaskEdit1", "FFFFFFFF"); // no wrap-around to a small number
        QCOMPARE(w.state().viewOffset, 0x1A0);
        test::typeAddress(w, "MaskEdit1", "00000620"); // 1568 + 416 < 2112
        QCOMPARE(w.state().viewOffset, 0x620);
        test::typeAddress(w, "MaskEdit1", "00000640"); // 1600 + 416 = 2016 < 2112
        QCOMPARE(w.state().viewOffset, 0x640);
        test::typeAddress(w, "MaskEdit1", "000006A0"); // page would end exactly at the image end
        QCOMPARE(w.state().viewOffset, 0x640);
    }

    void hexEntryReportsTextThatIsNotHex()
    {
        test::Window w;
        test::clickButton(w, "btbpp");
        w.state().glyphOffset = 0x1A3; // as after a pick in the overview
        test::MessageBoxWatcher boxes;
        test::typeAddress(w, "MaskEdit1", "0000001G");
        QTRY_COMPARE(boxes.seen().size(), 1);
        QCOMPARE(boxes.seen().first().text, QStringLiteral("'$0000001G' is not a valid integer value."));
        QCOMPARE(boxes.seen().first().title, QStringLiteral("Velmora CE"));
        QCOMPARE(w.state().viewOffset, 0x1A0);
        QCOMPARE(w.state().glyphOffset, 0x1A3);
        QCOMPARE(w.find<HexEntry>("MaskEdit1")->text(), QStringLiteral("0000001G"));

        test::typeAddress(w, "MaskEdit1", "12"); // an incomplete entry still reaches the handler
        QTRY_COMPARE(boxes.seen().size(), 2);
        QCOMPARE(boxes.seen().last().text, QStringLiteral("'$12______' is not a valid integer value."));
    }

    void rowOffsetsFollowTheCharacter()
    {
        test::Window w;
        test::typeAddress(w, "MaskEdit1", "00000100");
        auto *grid = w.find<RowOffsets>("ByteNo");
        QCOMPARE(grid->rowText(1), QStringLiteral("00000101"));
        QCOMPARE(grid->rowText(12), QStringLiteral("0000010C"));
        for (int r = 13; r <= 16; ++r)
            QCOMPARE(grid->rowText(r), QStringLiteral("--  --  --  --"));
        clickRow(w, 3);
        QCOMPARE(w.state().viewOffset, 0x103);
        QCOMPARE(w.state().glyphOffset, 0x103);
        clickRow(w, 3); // a second click on the same row acts again
        QCOMPARE(w.state().viewOffset, 0x106);
        clickRow(w, 13); // filler row
        QCOMPARE(w.state().viewOffset, 0x106);

        w.state().viewOffset = 0;
        applyFormat(w.editor(), 16, 10);
        QCOMPARE(grid->rowText(1), QStringLiteral("00000001"));
        QCOMPARE(grid->rowText(2), QStringLiteral("00000003"));
        QCOMPARE(grid->rowText(9), QStringLiteral("00000011"));
        QCOMPARE(grid->rowText(10), QStringLiteral("--  --  --  --"));
    }

    void rowClickAdmitsAPageEndingAtTheImageEnd()
    {
        test::Window w;
        // G = 0x69F: row 1 holds 0x6A0, and 0x6A0 + 416 = 2112 exactly.
        test::typeAddress(w, "MaskEdit1", "0000069F");
        QCOMPARE(w.state().viewOffset, 0x69F);
        clickRow(w, 1);
        QCOMPARE(w.state().viewOffset, 0x6A0);
        test::typeAddress(w, "MaskEdit1", "000006A0"); // the same value typed is refused
        QCOMPARE(w.state().viewOffset, 0x6A0);
        test::typeAddress(w, "MaskEdit1", "00000000");
        test::typeAddress(w, "MaskEdit1", "000006A0");
        QCOMPARE(w.state().viewOffset, 0);
    }
};

QTEST_MAIN(OffsetNavigationTest)
#include "test_offset_navigation.moc"
