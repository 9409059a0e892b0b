#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

#include <memory>
#include <vector>

#include "model/char_width.h"
#include "model/glyph_codec.h"
#include "presets/format_controls.h"
#include "support/window_fixture.h"
#include "views/refresh.h"

using namespace velmora;

namespace {

enum { TrueCharImage = 0, AcwCalculation = 2, SkipSpareByte = 3, SwapBytes = 4 };

QString rangeText(test::Window &w) { return w.find<QLabel>("Adrs")->text(); }

// What a user's click on an item's check box does to the list.
void toggleFlag(test::Window &w, int index)
{
    QListWidgetItem *item = w.find<QListWidget>("CLB")->item(index);
    item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

// Puts V and G where a user could have left them, and re-reads there.
void moveTo(test::Window &w, int32_t offset)
{
    w.state().viewOffset = offset;
    w.state().glyphOffset = offset;
    readAtOffset(w.editor());
}

} // namespace

class FormatControlsTest : public QObject {
    Q_OBJECT
private slots:
    void spinArrowsStepWithinTheirLimits()
    {
        test::Window w;
        auto *width = w.find<QSpinBox>("spWidth");
        auto *height = w.find<QSpinBox>("spHeight");
        QSignalSpy widthChanges(width, &QSpinBox::valueChanged);
        QSignalSpy heightChanges(height, &QSpinBox::valueChanged);

        width->stepBy(-1);
        QCOMPARE(widthChanges.count(), 0);
        QTest::keyClick(width, Qt::Key_Up);
        QCOMPARE(width->value(), 16);
        QCOMPARE(int(w.state().charWidth), 16);
        QCOMPARE(rangeText(w), QStringLiteral("00000000 ... 0000035F")); // 32 x 27 bytes
        QTest::keyClick(width, Qt::Key_Up);
        QCOMPARE(widthChanges.count(), 1);
        QCOMPARE(width->value(), 16);

        for (int i = 0; i < 5; ++i)
            QTest::keyClick(height, Qt::Key_Up);
        QCOMPARE(height->value(), 16);
        QCOMPARE(int(w.state().charHeight), 16);
        QCOMPARE(heightChanges.count(), 3);
        height->setValue(2);
        QCOMPARE(int(w.state().charHeight), 2);
        heightChanges.clear();
        QTest::keyClick(height, Qt::Key_Down);
        QCOMPARE(heightChanges.count(), 0);
        QCOMPARE(int(w.state().charWidth), 16);
    }

    void spinEditsRefuseTyping()
    {
        test::Window w;
        auto *height = w.find<QSpinBox>("spHeight");
        height->setFocus();
        QTest::keyClick(height, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(height, "5");
        QTest::keyClick(height, Qt::Key_Return);
        height->clearFocus();
        QCOMPARE(height->value(), 13);
        QCOMPARE(int(w.state().charHeight), 13);
    }

    void sizePresetsApplyTheirFormat_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QString>("range");
        QTest::newRow("8x9") << "btMini" << 8 << 9 << "00000020 ... 0000013F";
        QTest::newRow("8x11") << "BtSub" << 8 << 11 << "00000020 ... 0000017F";
        QTest::newRow("8x13") << "BtSm" << 8 << 13 << "00000020 ... 000001BF";
        QTest::newRow("16x10") << "BtNm" << 16 << 10 << "00000020 ... 000002BF";
        QTest::newRow("16x12") << "BtWd" << 16 << 12 << "00000020 ... 0000033F";
        QTest::newRow("16x16") << "BtBig" << 16 << 16 << "00000020 ... 0000043F";
    }
    void sizePresetsApplyTheirFormat()
    {
        QFETCH(QString, button);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QString, range);
        test::Window w;
        moveTo(w, 0x20);
        w.state().glyphOffset = 0x30;
        QTest::mouseClick(w.find<QPushButton>(button), Qt::LeftButton);
        QCOMPARE(int(w.state().charWidth), width);
        QCOMPARE(int(w.state().charHeight), height);
        QCOMPARE(w.find<QSpinBox>("spWidth")->value(), width);
        QCOMPARE(w.find<QSpinBox>("spHeight")->value(), height);
        QCOMPARE(w.state().viewOffset, 0x20);
        QCOMPARE(w.state().glyphOffset, 0x20);
        QCOMPARE(rangeText(w), range);
    }

    // The spare byte changes the page of 16 x 16. A preset near the end keeps
    // V although the page passes the end; a flag click then pulls it back.
    void sixteenBySixteenNearTheEnd()
    {
        test::Window w;
        QTest::mouseClick(w.find<QPushButton>("BtBig"), Qt::LeftButton);
        QCOMPARE(rangeText(w), QStringLiteral("00000000 ... 0000041F"));
        toggleFlag(w, SkipSpareByte);
        QCOMPARE(rangeText(w), QStringLiteral("00000000 ... 000003FF"));

        moveTo(w, 1100);
        QTest::mouseClick(w.find<QPushButton>("BtBig"), Qt::LeftButton);
        QCOMPARE(w.state().viewOffset, 1100);
        QCOMPARE(rangeText(w), QStringLiteral("0000044C ... 0000083F"));

        toggleFlag(w, SkipSpareByte);
        QCOMPARE(w.state().viewOffset, 2112 - 1024 - 32);
        QCOMPARE(w.state().glyphOffset, 1056);

        w.state().glyph.clear(); // an unwritten edit, gone after the re-read
        w.state().image.write(1056 + 1, 0xA5);
        toggleFlag(w, SkipSpareByte);
        QCOMPARE(w.state().viewOffset, 1056);
        QVERIFY(w.state().glyph.isSet(0, 1));
        QCOMPARE(w.state().glyph, test::storedGlyph(w.state()));
    }

    void flagClicksDecodeAgain()
    {
        test::Window w;
        QTest::mouseClick(w.find<QPushButton>("BtNm"), Qt::LeftButton); // 16 x 10
        w.state().image.write(0, 3);
        w.state().image.write(1, 0x12);
        w.state().image.write(2, 0x34);
        readAtOffset(w.editor());
        QVERIFY(w.state().glyph.isSet(3, 1));

        toggleFlag(w, SwapBytes);
        QVERIFY(w.state().flag(Flag::SwapBytes));
        for (int c : {2, 3, 5, 11, 14})
            QVERIFY(w.state().glyph.isSet(c, 1));
        QVERIFY(!w.state().glyph.isSet(6, 1));

        toggleFlag(w, TrueCharImage); // width byte 3 keeps columns 0..2
        QVERIFY(w.state().glyph.isSet(2, 1));
        QVERIFY(!w.state().glyph.isSet(3, 1));
        QVERIFY(!w.state().glyph.isSet(11, 1));
    }

    // Only a user's toggle runs the flag handler: neither the program's writes
    // nor selecting an item move the page.
    void programWritesAndSelectionRunNothing()
    {
        test::Window w;
        w.state().image.replace(std::vector<uint8_t>(100, 0));
        moveTo(w, 40);
        auto *list = w.find<QListWidget>("CLB");
        w.state().setFlag(Flag::SwapBytes, true);
        showFlags(w.editor());
        QCOMPARE(list->item(SwapBytes)->checkState(), Qt::Checked);
        list->setCurrentRow(1);
        list->item(1)->setSelected(true);
        QCOMPARE(w.state().viewOffset, 40);
        QVERIFY(!w.state().flag(Flag::HideWidthBytes));

        // On an image shorter than a page any toggle shows it from the start.
        toggleFlag(w, TrueCharImage);
        QCOMPARE(w.state().viewOffset, 0);
        QCOMPARE(w.state().glyphOffset, 0);
    }

    // A format the matrix cannot hold leaves the format alone but still re-reads.
    void applyFormatRefusesUnknownFormats_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("width 12") << 12 << 10;
        QTest::newRow("height 1") << 16 << 1;
        QTest::newRow("height 17") << 8 << 17;
    }
    void applyFormatRefusesUnknownFormats()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        test::Window w;
        w.state().image.write(0x10 + 1, 0xFF);
        moveTo(w, 0x10);
        w.state().glyphOffset = 0x20;
        w.state().glyph.clear();
        applyFormat(w.editor(), width, height);
        QCOMPARE(int(w.state().charWidth), 8);
        QCOMPARE(int(w.state().charHeight), 13);
        QCOMPARE(w.find<QSpinBox>("spWidth")->value(), 8);
        QCOMPARE(w.find<QSpinBox>("spHeight")->value(), 13);
        QCOMPARE(w.state().glyphOffset, 0x10);
        QVERIFY(w.state().glyph.isSet(0, 1));
    }

    // FormatText and the described controls show one format at all times:
    // a typed string moves the spins, a size button and a flag move the text,
    // a refused string changes nothing and says why, and letters typed there
    // are text, not the one-letter commands.
    void formatTextAndControlsInStep()
    {
        test::Window w;
        test::MessageBoxWatcher boxes;
        auto *text = w.find<QLineEdit>("FormatText");
        auto *width = w.find<QSpinBox>("spWidth");
        auto *height = w.find<QSpinBox>("spHeight");
        QCOMPARE(text->text(), QStringLiteral("8x13"));
        std::vector<std::unique_ptr<QSignalSpy>> commands;
        for (const char *name : {"Clear1", "Copy1", "Paste1"})
            commands.push_back(std::make_unique<QSignalSpy>(w.find<QAction>(name), &QAction::triggered));
        const auto type = [&](const QString &typed) {
            w.form->activateWindow();
            text->setFocus();
            text->selectAll();
            QTest::keyClicks(text, typed);
            QTest::keyClick(text, Qt::Key_Return);
        };
        type(QStringLiteral("24x20,rows,reverse"));
        QCOMPARE(text->text(), QStringLiteral("24x20,rows,reverse"));
        QCOMPARE(width->value(), 24);
        QCOMPARE(height->value(), 20);
        QCOMPARE(rangeText(w), QStringLiteral("00000000 ... 0000077F")); // 32 glyphs of 20 rows of 3 bytes
        for (const auto &spy : commands)
            QCOMPARE(spy->count(), 0); // "x", "c", "v" were typed, not run

        height->stepBy(-1);
        QCOMPARE(text->text(), QStringLiteral("24x19,rows,reverse"));
        type(QStringLiteral("24x19,rows,bpp3"));
        QCOMPARE(boxes.seen().size(), 1);
        QVERIFY(boxes.seen().front().text.startsWith(QStringLiteral("'bpp3' is not an option")));
        QCOMPARE(width->value(), 24);

        clickButton(w, "BtWd"); // "Skip spare byte" is checked from the start
        QCOMPARE(text->text(), QStringLiteral("16x12,spare"));
        toggleFlag(w, SwapBytes);
        QCOMPARE(text->text(), QStringLiteral("16x12,spare,swap"));
        QCOMPARE(width->maximum(), 16);
    }
};

QTEST_MAIN(FormatControlsTest)
#include "test_format_controls.moc"
