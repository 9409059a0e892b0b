#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include "characters/char_map_commands.h"
#include "characters/text_preview_dialog.h"
#include "demo/demo_firmware.h"
#include "model/format.h"
#include "presets/format_controls.h"
#include "model/text_format.h"
#include "support/window_fixture.h"
#include "views/memory_overview.h"
#include "views/refresh.h"

using namespace velmora;

namespace {

// The demo image in the format of its font number `font`, the page at the font's first glyph.
void showDemoFont(test::Window &w, int font)
{
    const demo::DemoFont &f = demo::demoFonts[font];
    EditorState &s = w.state();
    if (s.imageLength() != demo::demoImageLength)
        s.image.replace(demo::demoImage());
    s.setFlag(Flag::SkipSpareByte, f.flagString[3] == 't');
    s.setFlag(Flag::SwapBytes, f.flagString[4] == 't');
    s.setFlag(Flag::AcwCalculation, false); // width bytes as stored, also for the glyph at G
    showFlags(w.editor());
    applyFormat(w.editor(), f.width, f.height);
    s.viewOffset = f.offset;
    selectFirstChar(w.editor());
    readAtOffset(w.editor());
}

TextPreviewDialog *openPreview(test::Window &w, const QString &text)
{
    w.find<QAction>("TextPreview1")->trigger();
    auto *d = w.find<TextPreviewDialog>("TextPreviewDialog");
    d->findChild<QSpinBox *>("PreviewZoom")->setValue(1);
    d->findChild<QSpinBox *>("ScreenWidth")->setValue(0);
    d->findChild<QPlainTextEdit *>("SampleText")->setPlainText(text);
    // Shortcuts run only while a window of the program is active.
    d->activateWindow();
    if (!QTest::qWaitForWindowActive(d))
        qFatal("the preview window did not become active");
    return d;
}

QImage canvasShot(TextPreviewDialog *d) { return d->findChild<QWidget *>("PreviewCanvas")->grab().toImage(); }
QString status(TextPreviewDialog *d) { return d->findChild<QLabel *>("PreviewStatus")->text(); }

void thisGlyphIs(TextPreviewDialog *d, const QString &character)
{
    d->findChild<QLineEdit *>("GlyphChar")->setText(character);
    QTest::mouseClick(d->findChild<QPushButton *>("btThisGlyphIs"), Qt::LeftButton);
}

// The glyph pixel (c, r) of the character at offset, read from the bytes as
// the format lays them out: r from 1, row bytes after the width byte.
bool storedPixel(const EditorState &s, int64_t offset, int c, int r)
{
    if (s.charWidth == 8)
        return (s.image.at(offset + r) << c) & 0x80;
    const uint8_t left = s.image.at(offset + 1 + 2 * (r - 1));
    const uint8_t right = s.image.at(offset + 2 + 2 * (r - 1));
    const uint8_t half = (c >= 8) != s.flag(Flag::SwapBytes) ? right : left;
    return (half << (c % 8)) & 0x80;
}

// Pixels of shot that differ from the phrase drawn from the glyph bytes at
// zoom 1: black ink on white from (2, 2), each character advancing by its width byte.
int differences(const QImage &shot, const EditorState &s, int64_t start, const QString &phrase)
{
    QImage expected(shot.size(), QImage::Format_RGB32);
    expected.fill(Qt::white);
    int pen = 2;
    for (const QChar ch : phrase) {
        const int64_t offset = start + int64_t{ch.unicode() - 0x20} * charStep(s);
        const int width = std::min<int>(s.image.at(offset), s.charWidth);
        for (int r = 1; r < s.charHeight; ++r)
            for (int c = 0; c < width; ++c)
                if (storedPixel(s, offset, c, r))
                    expected.setPixel(pen + c, 2 + r - 1, qRgb(0, 0, 0));
        pen += width;
    }
    int count = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            count += (shot.pixel(x, y) & 0xFFFFFF) != (expected.pixel(x, y) & 0xFFFFFF);
    return count;
}

} // namespace

class TextPreviewTest : public QObject {
    Q_OBJECT
private slots:
    void typedPhraseMatchesTheGlyphBytes_data()
    {
        QTest::addColumn<int>("font");
        QTest::newRow("8 x 13") << 0;
        QTest::newRow("16 x 16, spare byte") << 1;
        QTest::newRow("16 x 12, swapped bytes") << 2;
    }
    void typedPhraseMatchesTheGlyphBytes()
    {
        QFETCH(int, font);
        test::Window w;
        showDemoFont(w, font);
        TextPreviewDialog *d = openPreview(w, QString());
        auto *sample = d->findChild<QPlainTextEdit *>("SampleText");
        sample->setFocus();
        const QString phrase = QStringLiteral("Jaw wrote 42!");
        QTest::keyClicks(sample, phrase);
        QCOMPARE(sample->toPlainText(), phrase);
        const QImage shot = canvasShot(d);
        QCOMPARE(shot.height(), 2 * 2 + w.state().charHeight - 1);
        QCOMPARE(differences(shot, w.state(), demo::demoFonts[font].offset, phrase), 0);
    }

    void textFieldsTypeLettersButCtrlShortcutsRun_data()
    {
        QTest::addColumn<QString>("field");
        QTest::newRow("sample text") << "SampleText";
        QTest::newRow("glyph character") << "GlyphChar";
        QTest::newRow("alphabet") << "AlphabetCheck";
    }
    void textFieldsTypeLettersButCtrlShortcutsRun()
    {
        QFETCH(QString, field);
        test::Window w;
        showDemoFont(w, 0);
        TextPreviewDialog *d = openPreview(w, QStringLiteral("A"));
        w.state().glyphOffset += 33 * 13; // "A"
        readAtOffset(w.editor());
        QWidget *target = d->findChild<QWidget *>(field);
        target->setFocus();
        const int32_t view = w.state().viewOffset;
        const GlyphMatrix before = w.state().glyph;
        // Copy, paste, clear, read, write and page steps must not run.
        for (Qt::Key key : {Qt::Key_C, Qt::Key_V, Qt::Key_X, Qt::Key_R, Qt::Key_W, Qt::Key_Home, Qt::Key_End,
                            Qt::Key_PageDown, Qt::Key_Insert})
            QTest::keyClick(target, key);
        QCOMPARE(w.state().viewOffset, view);
        QCOMPARE(w.state().glyph, before);
        QVERIFY(!w.find<QAction>("Paste1")->isEnabled());
        w.find<QAction>("Clear1")->trigger();
        QVERIFY(w.state().glyph != before);
        QTest::keyClick(target, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w.state().glyph, before);
    }

    // Enter in a field does what the field says, never what a button of the
    // window does by default (Table... would open its file dialog).
    void enterDoesWhatTheFieldSays_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("clicked");
        QTest::newRow("glyph character presses This glyph is") << "GlyphChar" << "A" << QStringList{"btThisGlyphIs"};
        // Only the check's report names the letter.
        QTest::newRow("alphabet runs the check") << "AlphabetCheck" << QStringLiteral("A\u017B") << QStringList{};
    }
    void enterDoesWhatTheFieldSays()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QStringList, clicked);
        test::MessageBoxWatcher boxes;
        test::Window w;
        showDemoFont(w, 0);
        TextPreviewDialog *d = openPreview(w, QStringLiteral("A"));
        QStringList seen;
        for (QPushButton *b : d->findChildren<QPushButton *>())
            connect(b, &QPushButton::clicked, this, [&seen, b] { seen << b->objectName(); });
        w.editor().runDialog = [&seen](QFileDialog &) {
            seen << "file dialog";
            return false;
        };
        auto *edit = d->findChild<QLineEdit *>(field);
        edit->blockSignals(true); // the text arrives without running anything
        edit->setText(text);
        edit->blockSignals(false);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(seen, clicked);
        QCOMPARE(status(d).contains(QChar(0x17B)), field == "AlphabetCheck");
    }

    void unwrittenPixelEditShows()
    {
        test::Window w;
        showDemoFont(w, 0);
        TextPreviewDialog *d = openPreview(w, QStringLiteral("  "));
        w.state().glyphOffset = demo::demoFonts[0].offset; // the space glyph, blank
        readAtOffset(w.editor());
        const QByteArray stored(reinterpret_cast<const char *>(w.state().image.bytes().data()), 64);
        QTest::mouseClick(w.find<QWidget>("Img"), Qt::LeftButton, {}, QPoint(18 * 1 + 9, 18 * 3 + 9));
        const QImage shot = canvasShot(d);
        const int advance = w.state().image.at(demo::demoFonts[0].offset);
        QVERIFY(advance > 1);
        // Column 1, row 3 of both spaces: the edit is not written, both show it.
        for (int x : {2 + 1, 2 + advance + 1})
            QCOMPARE(QColor(shot.pixel(x, 2 + 3 - 1)), QColor(Qt::black));
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(w.state().image.bytes().data()), 64), stored);
    }

    void clickGoesToTheGlyph_data()
    {
        QTest::addColumn<bool>("mapSet");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("viewCode"); // the code of the glyph at V afterwards
        QTest::newRow("on the page") << false << "!#" << int('#') << 0x20;
        QTest::newRow("off the page, no map: the page stays") << false << "AB" << int('B') << 0x20;
        QTest::newRow("off the page, map set: its page shows") << true << "AB" << int('B') << int('B');
    }
    void clickGoesToTheGlyph()
    {
        QFETCH(bool, mapSet);
        QFETCH(QString, text);
        QFETCH(int, code);
        QFETCH(int, viewCode);
        test::Window w;
        showDemoFont(w, 0);
        TextPreviewDialog *d = openPreview(w, text);
        if (mapSet)
            thisGlyphIs(d, QStringLiteral(" "));
        const int64_t start = demo::demoFonts[0].offset;
        const int step = charStep(w.state());
        const int firstAdvance = std::min<int>(w.state().image.at(start + int64_t{text[0].unicode() - 0x20} * step), 8);
        QTest::mouseClick(d->findChild<QWidget *>("PreviewCanvas"), Qt::LeftButton, {}, QPoint(2 + firstAdvance + 1, 4));
        QCOMPARE(int64_t{w.state().glyphOffset}, start + int64_t{code - 0x20} * step);
        QCOMPARE(int64_t{w.state().viewOffset}, start + int64_t{viewCode - 0x20} * step);
    }

    void mapKeptAcrossClosingAndOpening()
    {
        test::Window w;
        const QString path = w.dir.filePath("phone.bin");
        const std::vector<uint8_t> demoBytes = demo::demoImage();
        test::writeFile(path, QByteArray(reinterpret_cast<const char *>(demoBytes.data()), qsizetype(demoBytes.size())));
        test::runWithFile(w, "Open", path);
        showDemoFont(w, 0);
        TextPreviewDialog *d = openPreview(w, QStringLiteral("AC"));
        const int64_t glyphA = demo::demoFonts[0].offset + 33 * 13;
        w.state().glyphOffset = static_cast<int32_t>(glyphA);
        readAtOffset(w.editor());
        thisGlyphIs(d, QStringLiteral("B"));
        QCOMPARE(d->rendering().placed.at(1).glyph.value_or(-1), glyphA + 2 * 13); // "C" where it was
        QVERIFY(QFile::exists(path + ".chars"));

        test::runWithFile(w, "mnNew", QString());
        QVERIFY(CharMapStore::of(w.editor()).maps().fonts.empty());
        test::runWithFile(w, "Open", path);
        const std::vector<FontMap> expected{{demo::demoFonts[0].offset, {8, 13}, 0x20, {}, {{glyphA, 'B'}}}};
        QCOMPARE(CharMapStore::of(w.editor()).maps().fonts, expected);
    }

    // "This glyph is" gives the one glyph at G its character: the glyph in
    // that character's slot loses it, every other glyph keeps its own, and
    // the start and first code stay.
    void thisGlyphIsLabelsOneGlyph()
    {
        test::Window w;
        showDemoFont(w, 0);
        const int64_t start = demo::demoFonts[0].offset;
        TextPreviewDialog *d = openPreview(w, QStringLiteral("ABCu\u00fc"));
        w.state().glyphOffset = static_cast<int32_t>(start + ('u' - 0x20) * 13);
        readAtOffset(w.editor());
        thisGlyphIs(d, QStringLiteral("\u00fc"));
        QStringList glyphs;
        for (const PlacedChar &c : d->rendering().placed)
            glyphs << (c.glyph ? QString::number((*c.glyph - start) / 13 + 0x20, 16) : QStringLiteral("-"));
        QCOMPARE(glyphs.join(' '), QStringLiteral("41 42 43 - 75")); // "u" has no glyph now; "ü" is the glyph of "u"
        QVERIFY2(status(d).startsWith(QStringLiteral("Glyphs from %1, first code 0020, 1 labelled one by one")
                                          .arg(QString::fromStdString(hex8(start)))), qPrintable(status(d)));
        QCOMPARE(d->findChild<QLineEdit *>("FirstCode")->text(), QStringLiteral("0020"));
    }

    // Enter in FirstCode gives the font's first glyph that code; the start stays.
    void firstCodeSetsTheCodeOfTheFirstGlyph()
    {
        test::Window w;
        showDemoFont(w, 0);
        const int64_t start = demo::demoFonts[0].offset;
        TextPreviewDialog *d = openPreview(w, QStringLiteral("A"));
        auto *field = d->findChild<QLineEdit *>("FirstCode");
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, QStringLiteral("21"));
        QTest::keyClick(field, Qt::Key_Return);
        const FontMap map = CharMapStore::of(w.editor()).activeMap();
        QCOMPARE(map.firstCode, 0x21u);
        QCOMPARE(map.start, start);
        QVERIFY(CharMapStore::of(w.editor()).activeIsSet());
        QCOMPARE(d->rendering().placed.at(0).glyph.value_or(-1), start + 32 * 13);
        QCOMPARE(field->text(), QStringLiteral("0021"));
        // The field and the status show the code in the same capitals.
        field->selectAll();
        QTest::keyClicks(field, QStringLiteral("1f"));
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(field->text(), QStringLiteral("001F"));
        QVERIFY2(status(d).contains(QStringLiteral("first code 001F")), qPrintable(status(d)));
    }

    // "Font starts here" moves the font's start to G, keeping its first code and labels.
    void fontStartsHereMovesTheStart()
    {
        test::Window w;
        showDemoFont(w, 0);
        const int64_t start = demo::demoFonts[0].offset;
        TextPreviewDialog *d = openPreview(w, QStringLiteral("A"));
        w.state().glyphOffset = static_cast<int32_t>(start + 2 * 13);
        readAtOffset(w.editor());
        thisGlyphIs(d, QStringLiteral("\u00e4"));
        w.state().glyphOffset = static_cast<int32_t>(start + 13);
        readAtOffset(w.editor());
        QTest::mouseClick(d->findChild<QPushButton *>("btFontStartsHere"), Qt::LeftButton);
        const CharMaps &maps = CharMapStore::of(w.editor()).maps();
        const std::vector<FontMap> expected{{start + 13, {8, 13}, 0x20, {}, {{start + 2 * 13, 0xE4}}}};
        QCOMPARE(maps.fonts, expected);
        QCOMPARE(d->rendering().placed.at(0).glyph.value_or(-1), start + 13 + 33 * 13);
    }

    // "Reset map..." asks first; a no keeps the map, a yes removes it whole.
    void resetMapAsksFirst()
    {
        test::Window w;
        showDemoFont(w, 0);
        TextPreviewDialog *d = openPreview(w, QStringLiteral("A"));
        thisGlyphIs(d, QStringLiteral("A"));
        auto *reset = d->findChild<QPushButton *>("btResetMap");
        QVERIFY(reset->isEnabled());
        for (const QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
            QString asked;
            QTimer poll;
            poll.setInterval(2);
            connect(&poll, &QTimer::timeout, this, [&] {
                if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                    asked = box->text();
                    box->button(answer)->click();
                    poll.stop();
                }
            });
            poll.start();
            QTest::mouseClick(reset, Qt::LeftButton);
            QVERIFY2(asked.contains(QStringLiteral("1 labelled glyph")), qPrintable(asked));
            QCOMPARE(CharMapStore::of(w.editor()).maps().fonts.size(), size_t(answer == QMessageBox::Yes ? 0 : 1));
        }
        QVERIFY(!reset->isEnabled());
        QVERIFY(status(d).contains(QStringLiteral("(view offset: no map set)")));
    }

    void badMapAndTableFiles()
    {
        test::Window w;
        test::MessageBoxWatcher boxes;
        const QString path = test::writeFile(w.dir.filePath("phone.bin"), QByteArray(4096, 0));
        test::writeFile(path + ".chars", QByteArray("00000000 8x8 20\nnonsense\n"));
        test::runWithFile(w, "Open", path);
        QTRY_COMPARE(boxes.seen().size(), 1);
        QVERIFY(boxes.seen()[0].text.contains("Line 2 of the character map"));
        QCOMPARE(w.state().imageLength(), 4096);
        QVERIFY(CharMapStore::of(w.editor()).maps().fonts.empty());

        // A map set now is kept for the session, but the file is not written over.
        boxes.clear();
        TextPreviewDialog *d = openPreview(w, QStringLiteral("A"));
        thisGlyphIs(d, QStringLiteral("A"));
        QTRY_COMPARE(boxes.seen().size(), 1);
        QVERIFY(boxes.seen()[0].text.contains("is left as it is"));
        QCOMPARE(CharMapStore::of(w.editor()).maps().fonts.size(), size_t(1));
        QFile mapFile(path + ".chars");
        QVERIFY(mapFile.open(QIODevice::ReadOnly));
        QCOMPARE(mapFile.readAll(), QByteArray("00000000 8x8 20\nnonsense\n"));

        boxes.clear();
        const QString table = test::writeFile(w.dir.filePath("bad.tbl"), QByteArray("41=A\n# fine\n42\n"));
        w.editor().runDialog = [table](QFileDialog &dialog) { dialog.selectFile(table); return true; };
        QTest::mouseClick(d->findChild<QPushButton *>("btLoadTable"), Qt::LeftButton);
        QTRY_COMPARE(boxes.seen().size(), 1);
        QVERIFY(boxes.seen()[0].text.contains("Line 3 of the table"));
        QVERIFY(!CharMapStore::of(w.editor()).activeTable());
        QVERIFY(!status(d).contains("table"));
    }

    void thisGlyphIsRefuses_data()
    {
        QTest::addColumn<QByteArray>("mapFile"); // beside the image
        QTest::addColumn<QByteArray>("table");   // loaded before, when not empty
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::newRow("nothing typed") << QByteArray() << QByteArray() << "" << "Type the character this glyph shows first";
        QTest::newRow("two characters") << QByteArray() << QByteArray() << "AB" << "'AB' is not one character";
        QTest::newRow("not in the table") << QByteArray() << QByteArray("41=A\n") << "B" << "'B' is not in the table";
        QTest::newRow("table that cannot be read") << QByteArray("00000000 8x8 20 gone.tbl\n") << QByteArray() << "A"
                                                   << "/gone.tbl' cannot be opened";
    }
    void thisGlyphIsRefuses()
    {
        QFETCH(QByteArray, mapFile);
        QFETCH(QByteArray, table);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        test::Window w;
        test::MessageBoxWatcher boxes;
        const QString path = test::writeFile(w.dir.filePath("phone.bin"), QByteArray(4096, 0));
        if (!mapFile.isEmpty())
            test::writeFile(path + ".chars", mapFile);
        test::runWithFile(w, "Open", path);
        applyFormat(w.editor(), 8, 8);
        TextPreviewDialog *d = openPreview(w, QStringLiteral("A"));
        if (!table.isEmpty())
            CharMapStore::of(w.editor()).loadTable(test::writeFile(w.dir.filePath("t.tbl"), table).toStdString());
        const CharMaps before = CharMapStore::of(w.editor()).maps();
        if (!mapFile.isEmpty())
            QVERIFY(status(d).contains(message));
        thisGlyphIs(d, typed);
        QTRY_COMPARE(boxes.seen().size(), 1);
        QVERIFY2(boxes.seen()[0].text.contains(message), qPrintable(boxes.seen()[0].text));
        QCOMPARE(CharMapStore::of(w.editor()).maps(), before);
    }

    void tableNamesTheCodes()
    {
        test::Window w;
        showDemoFont(w, 0);
        TextPreviewDialog *d = openPreview(w, QStringLiteral("AZ"));
        const QString table = test::writeFile(w.dir.filePath("t.tbl"), QByteArray("20= \n21=A\n"));
        w.editor().runDialog = [table](QFileDialog &dialog) { dialog.selectFile(table); return true; };
        QTest::mouseClick(d->findChild<QPushButton *>("btLoadTable"), Qt::LeftButton);
        QCOMPARE(d->rendering().placed.at(0).glyph.value_or(-1), demo::demoFonts[0].offset + 13);
        QVERIFY(!d->rendering().placed.at(1).glyph);
        QVERIFY(status(d).contains("No glyph: Z"));
        d->findChild<QLineEdit *>("AlphabetCheck")->setText(QStringLiteral("A Z"));
        QVERIFY(status(d).contains("Missing: Z"));
        QTest::mouseClick(d->findChild<QPushButton *>("btClearTable"), Qt::LeftButton);
        QVERIFY(d->rendering().missing.empty());
    }

    void overflowIsNamed()
    {
        test::Window w;
        showDemoFont(w, 0);
        TextPreviewDialog *d = openPreview(w, QStringLiteral("A\nAAA"));
        const int advance = std::min<int>(w.state().image.at(demo::demoFonts[0].offset + 33 * 13), 8);
        d->findChild<QSpinBox *>("ScreenWidth")->setValue(3 * advance - 3);
        QVERIFY(status(d).contains(QStringLiteral("Line 2: %1 px, 3 px too wide").arg(3 * advance)));
        const QImage shot = canvasShot(d);
        const int lineTwo = 2 + 13;
        QCOMPARE(QColor(shot.pixel(2 + 3 * advance - 3, lineTwo)), QColor(255, 200, 200));
        QCOMPARE(QColor(shot.pixel(2 + 3 * advance - 4, lineTwo)), QColor(Qt::white));
    }

    // Letters whose glyphs draw nothing are named in the status, and the
    // canvas shows red where they stand.
    void lettersThatDrawNothingAreNamed()
    {
        test::Window w;
        showDemoFont(w, 0);
        TextPreviewDialog *d = openPreview(w, QStringLiteral("Gr\u00fc\u00dfe"));
        const QString text = status(d);
        QVERIFY2(QRegularExpression(QStringLiteral("(Zero width|Blank): .*\u00fc|\u00fc has ink but width 0")).match(text).hasMatch(),
                 qPrintable(text));
        const QImage shot = canvasShot(d);
        bool red = false;
        for (int y = 0; y < shot.height() && !red; ++y)
            for (int x = 0; x < shot.width() && !red; ++x)
                red = QColor(shot.pixel(x, y)) == QColor(Qt::red);
        QVERIFY(red);
    }

    // Without a map, the glyphs count from the start of the known font that
    // holds G (a preset, else a found font), not from the view offset.
    void previewFindsItsFont()
    {
        test::Window w;
        showDemoFont(w, 0);
        EditorState &s = w.state();
        const demo::DemoFont &f = demo::demoFonts[0];
        s.presetTable.presets[1] = {f.offset, 8, 13, "-----", {}};
        s.presetButtons.captions[1] = "B";
        s.viewOffset = s.glyphOffset = f.offset + 13 * 40; // a page further on
        readAtOffset(w.editor());
        TextPreviewDialog *d = openPreview(w, QStringLiteral("A"));
        const QString start = QString::fromStdString(hex8(f.offset));
        QVERIFY2(status(d).startsWith(QStringLiteral("Glyphs from %1, first code 0020 (preset B)").arg(start)), qPrintable(status(d)));

        s.presetButtons.captions[1] = "-";
        s.foundFonts = {{f.offset + 13, 200, GlyphFormat{8, 13}}, {f.offset, 100, GlyphFormat{8, 13}}};
        readAtOffset(w.editor());
        // Both hold G: the one that starts nearer G counts.
        QVERIFY2(status(d).contains(QStringLiteral("(found font 1)")), qPrintable(status(d)));
        s.foundFonts.clear();
        readAtOffset(w.editor());
        QVERIFY2(status(d).contains(QStringLiteral("(view offset: no map set)")), qPrintable(status(d)));
    }
};

QTEST_MAIN(TextPreviewTest)
#include "test_text_preview.moc"
