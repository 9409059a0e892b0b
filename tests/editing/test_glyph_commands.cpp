#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <vector>

#include "model/char_width.h"
#include "model/glyph_codec.h"
#include "support/window_fixture.h"
#include "views/refresh.h"

using namespace velmora;

namespace {

void trigger(test::Window &w, const char *name)
{
    QAction *a = w.find<QAction>(name);
    QVERIFY2(a, name);
    a->trigger();
}

// Loads bytes into the image and re-reads at G.
void loadImage(test::Window &w, std::vector<uint8_t> bytes, int32_t glyphOffset = 0)
{
    w.state().image.replace(std::move(bytes));
    w.state().glyphOffset = glyphOffset;
    readAtOffset(w.editor());
}

} // namespace

class GlyphCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void pasteIsEnabledByTheFirstCopyForGood()
    {
        test::Window w;
        QAction *menuPaste = w.find<QAction>("Paste1");
        QAction *toolPaste = w.find<QAction>("tbPaste");
        auto *toolButton = w.find<QToolButton>("tbPaste");
        QVERIFY(!menuPaste->isEnabled());
        QVERIFY(!toolPaste->isEnabled());
        QVERIFY(!toolButton->isEnabled());

        trigger(w, "tbCopy");
        QVERIFY(menuPaste->isEnabled());
        QVERIFY(toolPaste->isEnabled());
        QVERIFY(toolButton->isEnabled());
        trigger(w, "Copy1");
        QVERIFY(menuPaste->isEnabled());
    }

    // The clipboard keeps every cell, so a glyph survives a trip through a
    // narrower format and is written whole once the width allows it again.
    void copyPasteAcrossFormats()
    {
        test::Window w;
        test::clickButton(w, "BtWd"); // 16 x 12
        std::vector<uint8_t> bytes(2112, 0);
        bytes[1] = 0x81; // row 1: columns 0 and 7
        bytes[2] = 0x08; //        column 12
        bytes[3] = 0xFF; // row 2: columns 0..7
        loadImage(w, bytes);
        trigger(w, "Copy1");
        const GlyphMatrix copied = w.state().glyph;

        test::clickButton(w, "BtSm"); // 8 x 13
        trigger(w, "Paste1");
        QCOMPARE(w.state().image.bytes(), bytes); // no AutoWrite
        QVERIFY(w.state().glyph.isSet(12, 1));   // kept though hidden
        trigger(w, "Write1");
        QCOMPARE(w.state().image.at(0), uint8_t(8)); // computed width of the visible part
        QCOMPARE(w.state().image.at(1), uint8_t(0x81));
        QCOMPARE(w.state().image.at(2), uint8_t(0xFF));
        QCOMPARE(w.state().image.at(13), uint8_t(0));

        loadImage(w, std::vector<uint8_t>(2112, 0));
        test::clickButton(w, "BtWd");
        trigger(w, "tbPaste");
        QCOMPARE(w.state().glyph, copied);
        trigger(w, "ToolButton3");
        QCOMPARE(w.state().image.at(0), uint8_t(13));
        QCOMPARE(w.state().image.at(1), uint8_t(0x81));
        QCOMPARE(w.state().image.at(2), uint8_t(0x08));
        QCOMPARE(w.state().image.at(3), uint8_t(0xFF));
    }

    void clearWritesOnlyWithAutoWrite()
    {
        test::Window w;
        const std::vector<uint8_t> bytes = test::patternBytes(2112);
        loadImage(w, bytes, 26);
        trigger(w, "tbClear");
        QCOMPARE(w.state().image.bytes(), bytes);
        QVERIFY(w.state().glyph.isSet(4, 0)); // the width of an empty 8-pixel glyph
        for (int c = 0; c < 16; ++c)
            for (int r = 1; r < 17; ++r)
                QVERIFY(!w.state().glyph.isSet(c, r));

        w.find<QAction>("AWrite")->setChecked(true);
        trigger(w, "Clear1");
        for (size_t i = 0; i < bytes.size(); ++i) {
            const uint8_t expected = i == 26 ? 8 : (i > 26 && i < 39 ? 0 : bytes[i]);
            QVERIFY2(w.state().image.bytes()[i] == expected, qPrintable(QString::number(i)));
        }
    }

    void readDiscardsUnwrittenEdits()
    {
        test::Window w;
        loadImage(w, test::patternBytes(2112), 39);
        const GlyphMatrix stored = w.state().glyph;
        test::clickButton(w, "btR3");
        trigger(w, "Clear1");
        QVERIFY(w.state().glyph != stored);
        trigger(w, "tb");
        QCOMPARE(w.state().glyph, stored);
        QCOMPARE(w.state().glyphOffset, 39);
    }

    void rollButtonsRollTheGlyph()
    {
        test::Window w;
        std::vector<uint8_t> bytes(2112, 0);
        bytes[13 + 5] = 0x80; // character at 13, row 5, column 0
        loadImage(w, bytes, 13);

        test::clickButton(w, "btR1");
        QVERIFY(w.state().glyph.isSet(7, 5));
        QCOMPARE(w.state().image.bytes(), bytes); // not written without AutoWrite
        test::clickButton(w, "btR2");
        QVERIFY(w.state().glyph.isSet(0, 5));
        test::clickButton(w, "btR4");
        QVERIFY(w.state().glyph.isSet(0, 6));
        test::clickButton(w, "btR3");
        QVERIFY(w.state().glyph.isSet(0, 5));
        QCOMPARE(w.state().rollDirection, uint8_t(0));

        w.find<QAction>("AWrite")->setChecked(true);
        test::clickButton(w, "btR1");
        QCOMPARE(w.state().image.at(13 + 5), uint8_t(0x01));
        QCOMPARE(w.state().image.at(13), uint8_t(8));

        // "CharMap" rolls the page at V, written whatever AutoWrite says.
        w.find<QAction>("AWrite")->setChecked(false);
        w.find<QCheckBox>("ckCmap")->setChecked(true);
        w.state().image.write(1, 0x40);
        test::clickButton(w, "btR2");
        QCOMPARE(w.state().image.at(1), uint8_t(0x20));
        QCOMPARE(w.state().image.at(13 + 5), uint8_t(0x80));
        QCOMPARE(w.state().glyphOffset, 13);
    }

    void trueCharMapClearsThePageAndSelectsItsFirstCharacter()
    {
        test::Window w;
        std::vector<uint8_t> bytes(2112, 0xFF);
        for (int k = 0; k < 32; ++k)
            bytes[static_cast<size_t>(k * 13)] = 5;
        loadImage(w, bytes, 5 * 13);
        auto *flags = w.find<QListWidget>("CLB");

        trigger(w, "TrueCharMap1");
        QCOMPARE(w.state().image.at(31 * 13 + 1), uint8_t(0xF8));
        QCOMPARE(w.state().glyphOffset, 0);
        QCOMPARE(w.state().glyph, test::storedGlyph(w.state()));
        QVERIFY(!w.state().flag(Flag::TrueCharImage));
        QVERIFY(w.state().flag(Flag::AcwCalculation));
        QCOMPARE(flags->item(0)->checkState(), Qt::Unchecked);
        QCOMPARE(flags->item(2)->checkState(), Qt::Checked);
        QCOMPARE(w.find<QLineEdit>("MaskEdit1")->text(), QStringLiteral("00000000"));
    }
};

QTEST_MAIN(GlyphCommandsTest)
#include "test_glyph_commands.moc"
