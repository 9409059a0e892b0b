// File > Export > "Font as BDF...": the block's whole glyphs from its start,
// coded by the character map, advances from the width table counted from
// where the format was applied.
#include <QtTest>

#include "characters/char_map_commands.h"
#include "model/format.h"
#include "support/window_fixture.h"

using namespace velmora;

class FontExportWindowTest : public QObject {
    Q_OBJECT
private slots:
    void blockGoesOutAsBdf()
    {
        test::Window w;
        EditorState &s = w.state();
        s.image.replace(test::patternBytes(4096));
        for (int k = 0; k < 16; ++k)
            s.image.write(0xF00 + k, static_cast<uint8_t>(k + 1));
        setGlyphFormat(s, parseGlyphFormat("8x5,rows,widths=F00"), 0x100);
        CharMapStore::of(w.editor()).setMap({0x100, glyphFormatOf(s), 0x41, "", {}});
        // Glyphs 1 to 3 of the font and 4 bytes of the next one.
        s.blockStart = 0x105;
        s.blockEnd = 0x105 + 3 * 5 + 3;
        const QString path = w.dir.filePath("font.bdf");
        test::runWithFile(w, "ExportBdf1", path);

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bdf = file.readAll();
        const QByteArray firstRow = QByteArray(1, char(s.image.at(0x105))).toHex().toUpper();
        for (const QByteArray &line : {QByteArray("FAMILY_NAME \"font\"\n"), QByteArray("CHARS 3\n"),
                                       "STARTCHAR uni0042\nENCODING 66\nSWIDTH 400 0\nDWIDTH 2 0\nBBX 8 5 0 0\nBITMAP\n" + firstRow,
                                       QByteArray("ENCODING 68\nSWIDTH 800 0\nDWIDTH 4 0\n")})
            QVERIFY2(bdf.contains(line), qPrintable(line + "\nnot in\n" + bdf));
        QVERIFY(!bdf.contains("ENCODING 69"));
    }
};

QTEST_MAIN(FontExportWindowTest)
#include "test_font_export_window.moc"
