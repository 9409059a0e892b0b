#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <algorithm>
#include <vector>

#include "characters/char_map_commands.h"
#include "exchange/font_import_dialog.h"
#include "model/format.h"
#include "views/refresh.h"
#include "presets/format_controls.h"
#include "support/window_fixture.h"

using namespace velmora;

namespace {

// Two characters of known bitmaps: "A" 5 x 7 advancing 6, "B" 3 x 3 advancing 4.
const char tinyBdf[] = "STARTFONT 2.1\n"
                       "FONT -misc-veltiny-medium-r-normal--8-80-75-75-c-60-iso10646-1\n"
                       "SIZE 8 75 75\nFONTBOUNDINGBOX 6 8 0 -1\n"
                       "STARTPROPERTIES 3\nFAMILY_NAME \"VelTiny\"\nFONT_ASCENT 7\nFONT_DESCENT 1\nENDPROPERTIES\n"
                       "CHARS 2\n"
                       "STARTCHAR A\nENCODING 65\nSWIDTH 750 0\nDWIDTH 6 0\nBBX 5 7 0 0\nBITMAP\n"
                       "20\n50\n88\nF8\n88\n88\n88\nENDCHAR\n"
                       "STARTCHAR B\nENCODING 66\nSWIDTH 500 0\nDWIDTH 4 0\nBBX 3 3 0 0\nBITMAP\n"
                       "E0\nA0\nE0\nENDCHAR\n"
                       "ENDFONT\n";

FontImportDialog *openDialog(test::Window &w)
{
    w.find<QAction>("ImportFont1")->trigger();
    auto *dialog = w.find<FontImportDialog>("FontImportDialog");
    if (!dialog)
        qFatal("no font import dialog");
    return dialog;
}

void setUp(test::Window &w, int width, int height)
{
    w.state().image.replace(std::vector<uint8_t>(4096, 0x5A));
    w.state().setFlag(Flag::AcwCalculation, false);
    showFlags(w.editor());
    applyFormat(w.editor(), width, height);
    readAtOffset(w.editor());
}

void settings(FontImportDialog *d, int pixelSize, const QString &first, int count)
{
    d->findChild<QSpinBox *>("FontPixelSize")->setValue(pixelSize);
    d->findChild<QLineEdit *>("FirstChar")->setText(first);
    d->findChild<QSpinBox *>("CharCount")->setValue(count);
}

} // namespace

class FontImportTest : public QObject {
    Q_OBJECT
private slots:
    void bdfFileStoresItsBitmapsAndWidths()
    {
        test::Window w;
        setUp(w, 8, 9);
        const QString path = test::writeFile(w.dir.filePath("tiny.bdf"), QByteArray(tinyBdf));
        FontImportDialog *d = openDialog(w);
        w.editor().runDialog = [path](QFileDialog &dialog) { dialog.selectFile(path); return true; };
        QTest::mouseClick(d->findChild<QPushButton *>("FontFileButton"), Qt::LeftButton);
        QCOMPARE(d->findChild<QComboBox *>("FontFamily")->currentText(), QStringLiteral("VelTiny"));
        settings(d, 8, "U+0041", 2);
        QTest::mouseClick(d->findChild<QPushButton *>("WriteButton"), Qt::LeftButton);

        const std::vector<uint8_t> expected = {6, 0x20, 0x50, 0x88, 0xF8, 0x88, 0x88, 0x88, 0x00,
                                               4, 0, 0, 0, 0, 0xE0, 0xA0, 0xE0, 0x00, 0x5A};
        const auto &bytes = w.state().image.bytes();
        QVERIFY(std::equal(expected.begin(), expected.end(), bytes.begin()));
    }

    void unreadableFontFileIsReported()
    {
        test::Window w;
        test::MessageBoxWatcher boxes;
        const QString path = test::writeFile(w.dir.filePath("bad.ttf"), QByteArray("not a font"));
        FontImportDialog *d = openDialog(w);
        const QString family = d->findChild<QComboBox *>("FontFamily")->currentText();
        w.editor().runDialog = [path](QFileDialog &dialog) { dialog.selectFile(path); return true; };
        QTest::mouseClick(d->findChild<QPushButton *>("FontFileButton"), Qt::LeftButton);
        QCOMPARE(boxes.seen().size(), 1);
        QVERIFY(boxes.seen().first().text.contains("holds no font that can be read"));
        QCOMPARE(d->findChild<QComboBox *>("FontFamily")->currentText(), family);
    }

    void trueTypeGlyphsAreStableAndOneUndoStep()
    {
        const QString file = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
        if (!QFile::exists(file))
            QSKIP("DejaVu Sans is not installed");
        QVERIFY(QFontDatabase::addApplicationFont(file) >= 0);
        test::Window w;
        EditorState &s = w.state();
        setUp(w, 8, 13);
        FontImportDialog *d = openDialog(w);
        d->findChild<QComboBox *>("FontFamily")->setCurrentText("DejaVu Sans");
        settings(d, 11, "A", 26);
        const std::vector<uint8_t> before = s.image.bytes();
        QTest::mouseClick(d->findChild<QPushButton *>("WriteButton"), Qt::LeftButton);
        const std::vector<uint8_t> written = s.image.bytes();
        for (int k = 0; k < 26; ++k) {
            const auto first = written.begin() + k * 13;
            QVERIFY2(first[0] >= 1 && first[0] <= 8, qPrintable(QString::number(first[0])));
            QVERIFY(std::any_of(first + 1, first + 13, [](uint8_t b) { return b != 0; }));
        }
        QVERIFY(std::equal(before.begin() + 26 * 13, before.end(), written.begin() + 26 * 13));

        QCOMPARE(w.editor().history.count(), size_t{1});
        w.find<QAction>("Undo1")->trigger();
        QVERIFY(s.image.bytes() == before);
        QTest::mouseClick(d->findChild<QPushButton *>("WriteButton"), Qt::LeftButton);
        QVERIFY(s.image.bytes() == written);
    }

    void countIsCutAtTheImageEndAndABadFirstCharacterWritesNothing()
    {
        test::Window w;
        setUp(w, 8, 13);
        w.state().viewOffset = 4096 - 30;
        w.state().glyphOffset = 4096 - 30;
        readAtOffset(w.editor());
        FontImportDialog *d = openDialog(w);
        settings(d, 11, "A", 32);
        QCOMPARE(d->findChild<QLabel *>("WriteCount")->text(),
                 QStringLiteral("2 of 32 characters will be written from 00000FE2"));
        const std::vector<uint8_t> before = w.state().image.bytes();
        QTest::mouseClick(d->findChild<QPushButton *>("WriteButton"), Qt::LeftButton);
        const std::vector<uint8_t> &after = w.state().image.bytes();
        QVERIFY(std::equal(before.begin(), before.end() - 30, after.begin()));
        QVERIFY(after[4096 - 30] <= 8 && after[4096 - 17] <= 8); // the two characters written
        QVERIFY(std::equal(before.end() - 4, before.end(), after.end() - 4));

        d->findChild<QLineEdit *>("FirstChar")->setText("AB");
        QCOMPARE(d->findChild<QLabel *>("WriteCount")->text(),
                 QStringLiteral("First character: type one character or U+XXXX"));
        QVERIFY(!d->findChild<QPushButton *>("WriteButton")->isEnabled());
    }

    // Glyph k of the font gets the character its code stands for; the tiny
    // font holds only "A" and "B".
    void importByMapDrawsEachGlyphsCharacter_data()
    {
        QTest::addColumn<QByteArray>("table"); // empty: codes are code points
        QTest::addColumn<uint>("firstCode");     // the code of glyph 0
        QTest::addColumn<int>("labelledA");      // a glyph labelled "A" one by one, -1 for none
        QTest::addColumn<QString>("glyphs");     // per glyph: A, B or - (unchanged)
        QTest::addColumn<int>("lacking");
        QTest::newRow("code points from '@'") << QByteArray() << 0x40u << -1 << "-AB-" << 2;
        QTest::newRow("table, a code it does not name") << QByteArray("00=B\n01=A\n03=A\n04=Z\n") << 0u << -1 << "BA-A-" << 1;
        // Glyph 1 is no "A" any more: it is left alone, not counted as lacking.
        QTest::newRow("a labelled glyph takes its code from its slot") << QByteArray() << 0x40u << 3 << "--BA" << 1;
    }
    void importByMapDrawsEachGlyphsCharacter()
    {
        QFETCH(QByteArray, table);
        QFETCH(uint, firstCode);
        QFETCH(int, labelledA);
        QFETCH(QString, glyphs);
        QFETCH(int, lacking);
        test::Window w;
        setUp(w, 8, 9);
        if (!table.isEmpty())
            CharMapStore::of(w.editor()).loadTable(test::writeFile(w.dir.filePath("t.tbl"), table).toStdString());
        setFirstCode(w.editor(), firstCode); // the font from the view offset, 0
        if (labelledA >= 0) {
            w.state().glyphOffset = 9 * labelledA;
            setGlyphCharacter(w.editor(), U"A");
            w.state().glyphOffset = 0;
            readAtOffset(w.editor());
        }
        const QString path = test::writeFile(w.dir.filePath("tiny.bdf"), QByteArray(tinyBdf));
        FontImportDialog *d = openDialog(w);
        w.editor().runDialog = [path](QFileDialog &dialog) { dialog.selectFile(path); return true; };
        QTest::mouseClick(d->findChild<QPushButton *>("FontFileButton"), Qt::LeftButton);
        settings(d, 8, "A", int(glyphs.size()));
        d->findChild<QCheckBox *>("ImportByMap")->setChecked(true);
        QVERIFY(d->findChild<QLabel *>("WriteCount")->text().contains(QStringLiteral("%1 characters the font lacks").arg(lacking)));
        QTest::mouseClick(d->findChild<QPushButton *>("WriteButton"), Qt::LeftButton);

        const std::vector<uint8_t> a = {6, 0x20, 0x50, 0x88, 0xF8, 0x88, 0x88, 0x88, 0x00};
        const std::vector<uint8_t> b = {4, 0, 0, 0, 0, 0xE0, 0xA0, 0xE0, 0x00};
        const std::vector<uint8_t> unchanged(9, 0x5A);
        for (int k = 0; k <= glyphs.size(); ++k) {
            const QChar g = k < glyphs.size() ? glyphs[k] : QChar('-');
            const std::vector<uint8_t> &expected = g == 'A' ? a : g == 'B' ? b : unchanged;
            const auto stored = w.state().image.range(9 * k, 9);
            QVERIFY2(std::equal(stored.begin(), stored.end(), expected.begin()), qPrintable(QString::number(k)));
        }
        w.find<QAction>("Undo1")->trigger(); // one step
        QCOMPARE(w.state().image.bytes(), std::vector<uint8_t>(4096, 0x5A));
    }

    // With a map set, the first character is the one of the glyph at G, and
    // a character goes to its code's glyph, not to the view offset.
    void importFollowsTheMap()
    {
        test::Window w;
        setUp(w, 8, 9);
        setFirstCode(w.editor(), '@'); // from the view offset 0: glyph k has code '@' + k
        w.state().glyphOffset = 9 * 2;
        readAtOffset(w.editor());
        FontImportDialog *d = openDialog(w);
        QCOMPARE(d->findChild<QLineEdit *>("FirstChar")->text(), QStringLiteral("B"));
        const QString path = test::writeFile(w.dir.filePath("tiny.bdf"), QByteArray(tinyBdf));
        w.editor().runDialog = [path](QFileDialog &dialog) { dialog.selectFile(path); return true; };
        QTest::mouseClick(d->findChild<QPushButton *>("FontFileButton"), Qt::LeftButton);
        settings(d, 8, "A", 1);
        QTest::mouseClick(d->findChild<QPushButton *>("WriteButton"), Qt::LeftButton);
        const std::vector<uint8_t> a = {6, 0x20, 0x50, 0x88, 0xF8, 0x88, 0x88, 0x88, 0x00};
        const auto slot = w.state().image.range(9, 9);
        QVERIFY(std::equal(slot.begin(), slot.end(), a.begin()));
        QCOMPARE(w.state().image.at(0), uint8_t{0x5A});
    }
};

QTEST_MAIN(FontImportTest)
#include "test_font_import.moc"
