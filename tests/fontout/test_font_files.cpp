// The font file formats on a 3-glyph font: BDF and PSF2 bytes checked by
// hand, the C source compiled and its arrays compared with the image, and
// ranges that leave the image refused by every format.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "fontout/font_file_format.h"

using namespace velmora;
using namespace velmora::fontout;

namespace {

using Bytes = std::vector<uint8_t>;

// "A", "B", "C" in 8 x 5 rows, then a width table of 5, 6 and 9 (9 counts as 8).
const Bytes abc = {0x18, 0x24, 0x42, 0x7E, 0x42, 0x7C, 0x42, 0x7C, 0x42, 0x7C, 0x3C, 0x40, 0x40, 0x40, 0x3C, 5, 6, 9};

FontRange rangeOf(const Bytes &image, const char *format, uint32_t firstCode = 0x41, const CharTable *table = nullptr)
{
    FontRange range;
    range.image = image;
    range.count = 3;
    range.format = parseGlyphFormat(format);
    range.firstCode = firstCode;
    range.table = table;
    range.name = "abc";
    return range;
}

QByteArray written(std::string_view extension, const FontRange &range)
{
    const Bytes bytes = fontFileFormatFor("font." + std::string(extension))->write(range);
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

QByteArray psf2Header(int flags, int charSize, int height, int width)
{
    QByteArray header("\x72\xB5\x4A\x86", 4);
    for (const int value : {0, 32, flags, 3, charSize, height, width})
        for (int i = 0; i < 4; ++i)
            header += char(value >> (8 * i));
    return header;
}

CharTable latinTable()
{
    CharTable table;
    table.add(0x80, U"\u00E9");
    table.add(0x81, U"ch");
    return table;
}

} // namespace

class FontFilesTest : public QObject {
    Q_OBJECT
private slots:
    void bdfOfThreeGlyphs()
    {
        const QByteArray expected = "STARTFONT 2.1\n"
                                    "COMMENT 3 glyphs from offset 00000000 in format 8x5,rows,widths=F\n"
                                    "FONT -Velmora-abc-Medium-R-Normal--5-50-72-72-P-63-ISO10646-1\n"
                                    "SIZE 5 72 72\nFONTBOUNDINGBOX 8 5 0 0\nSTARTPROPERTIES 15\n"
                                    "FOUNDRY \"Velmora\"\nFAMILY_NAME \"abc\"\nWEIGHT_NAME \"Medium\"\nSLANT \"R\"\n"
                                    "SETWIDTH_NAME \"Normal\"\nPIXEL_SIZE 5\nPOINT_SIZE 50\nRESOLUTION_X 72\nRESOLUTION_Y 72\n"
                                    "SPACING \"P\"\nAVERAGE_WIDTH 63\nCHARSET_REGISTRY \"ISO10646\"\nCHARSET_ENCODING \"1\"\n"
                                    "FONT_ASCENT 5\nFONT_DESCENT 0\nENDPROPERTIES\nCHARS 3\n"
                                    "STARTCHAR uni0041\nENCODING 65\nSWIDTH 1000 0\nDWIDTH 5 0\nBBX 8 5 0 0\nBITMAP\n"
                                    "18\n24\n42\n7E\n42\nENDCHAR\n"
                                    "STARTCHAR uni0042\nENCODING 66\nSWIDTH 1200 0\nDWIDTH 6 0\nBBX 8 5 0 0\nBITMAP\n"
                                    "7C\n42\n7C\n42\n7C\nENDCHAR\n"
                                    "STARTCHAR uni0043\nENCODING 67\nSWIDTH 1600 0\nDWIDTH 8 0\nBBX 8 5 0 0\nBITMAP\n"
                                    "3C\n40\n40\n40\n3C\nENDCHAR\nENDFONT\n";
        QCOMPARE(written("bdf", rangeOf(abc, "8x5,rows,widths=F")), expected);
    }

    // Lines of BDF files of other layouts and codes.
    void bdfLines_data()
    {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<Bytes>("image");
        QTest::addColumn<bool>("withTable");
        QTest::addColumn<QByteArrayList>("lines");
        // Width bytes 5, 3, 0 before rows of 2 pixels.
        const Bytes widthByte = {5, 0x81, 0x42, 3, 0xFF, 0x00, 0, 0x18, 0x18};
        QTest::newRow("width byte, table codes") << QByteArray("8x3") << widthByte << true
            << QByteArrayList{"CHARSET_REGISTRY \"FontSpecific\"\nCHARSET_ENCODING \"0\"\n",
                              "STARTCHAR code0080\nENCODING 128\nSWIDTH 2500 0\nDWIDTH 5 0\nBBX 8 2 0 0\nBITMAP\n81\n42\n",
                              "ENCODING 130\nSWIDTH 0 0\nDWIDTH 0 0\nBBX 8 2 0 0\nBITMAP\n18\n18\nENDCHAR\nENDFONT\n"};
        // Levels 0 1 2 3 / 3 2 1 0: ink from level 2 on.
        QTest::newRow("grey levels") << QByteArray("4x2,rows,bpp2") << Bytes{0x1B, 0xE4, 0x00, 0xFF, 0x55, 0xAA} << false
            << QByteArrayList{"SPACING \"C\"", "DWIDTH 4 0\nBBX 4 2 0 0\nBITMAP\n30\nC0\n", "BITMAP\n00\nF0\n", "BITMAP\n00\nF0\nENDCHAR"};
        QTest::newRow("12 wide in strips") << QByteArray("12x2,strips")
            << Bytes{0x80, 0x01, 0xF0, 0x10, 0, 0, 0, 0, 0, 0, 0, 0} << false
            << QByteArrayList{"FONTBOUNDINGBOX 12 2 0 0", "BBX 12 2 0 0\nBITMAP\n80F0\n0110\nENDCHAR"};
    }
    void bdfLines()
    {
        QFETCH(QByteArray, format);
        QFETCH(Bytes, image);
        QFETCH(bool, withTable);
        QFETCH(QByteArrayList, lines);
        const CharTable table = latinTable();
        const QByteArray bdf = written("bdf", rangeOf(image, format.constData(), 0x80, withTable ? &table : nullptr));
        for (const QByteArray &line : lines)
            QVERIFY2(bdf.contains(line), qPrintable(line + "\nnot in\n" + bdf));
    }

    void psf2Bytes_data()
    {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<Bytes>("image");
        QTest::addColumn<bool>("mapped");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("Unicode table") << QByteArray("8x5,rows") << abc << true
            << psf2Header(1, 5, 5, 8) + QByteArray::fromHex("1824427E42 7C427C427C 3C4040403C 41FF 42FF 43FF");
        QTest::newRow("no map") << QByteArray("4x2,rows,bpp2") << Bytes{0x1B, 0xE4, 0x00, 0xFF, 0x55, 0xAA} << false
            << psf2Header(0, 2, 2, 4) + QByteArray::fromHex("30C0 00F0 00F0");
        // A table's one character, its sequence of two, and a code it does not name.
        QTest::newRow("table") << QByteArray("8x3") << Bytes{5, 0x81, 0x42, 3, 0xFF, 0x00, 0, 0x18, 0x18} << true
            << psf2Header(1, 2, 2, 8) + QByteArray::fromHex("8142 FF00 1818 C3A9FF FE6368FF FF");
    }
    void psf2Bytes()
    {
        QFETCH(QByteArray, format);
        QFETCH(Bytes, image);
        QFETCH(bool, mapped);
        const CharTable table = latinTable();
        FontRange range = format == "8x3" ? rangeOf(image, "8x3", 0x80, &table) : rangeOf(image, format.constData());
        range.mapped = mapped;
        QTEST(written("psf", range), "expected");
    }

    // The C source compiled by the project's compiler gives the image's bytes.
    void cSourceCompiles()
    {
        QTemporaryDir dir;
        Bytes image(40, 0);
        for (size_t i = 0; i < image.size(); ++i)
            image[i] = static_cast<uint8_t>(i * 37 + 11);
        CharTable table;
        table.add(0x81, U"*/");
        FontRange range = rangeOf(image, "6x7,packed,stride=8,widths=1D", 0x80, &table);
        range.name = "9-lives";
        const Bytes source = fontFileFormatFor("x.c")->write(range);
        QFile file(dir.filePath("font.c"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char *>(source.data()), qsizetype(source.size()));
        file.close();
        QFile main(dir.filePath("main.c"));
        QVERIFY(main.open(QIODevice::WriteOnly));
        main.write("#include <stdio.h>\n#include \"font.c\"\n"
                   "int main(void) {\n"
                   "  for (size_t i = 0; i < sizeof font_9_lives; ++i) printf(\"%02X\", font_9_lives[i]);\n"
                   "  printf(\" \");\n"
                   "  for (size_t i = 0; i < sizeof font_9_lives_widths; ++i) printf(\"%02X\", font_9_lives_widths[i]);\n"
                   "  return 0;\n}\n");
        main.close();
        QProcess compiler;
        compiler.setWorkingDirectory(dir.path());
        compiler.start(VELMORA_COMPILER, {"-x", "c", "-std=c99", "-Wall", "-Wextra", "-pedantic", "-Werror", "main.c", "-o", "font"});
        QVERIFY(compiler.waitForFinished(60000));
        QVERIFY2(compiler.exitCode() == 0, compiler.readAllStandardError().constData());
        QProcess program;
        program.start(dir.filePath("font"), QStringList());
        QVERIFY(program.waitForFinished(10000));
        // 3 glyphs of 6 x 7 bits (6 bytes), 8 bytes apart: bytes 0 to 21; the widths at 1D.
        const QByteArray bytes(reinterpret_cast<const char *>(image.data()), qsizetype(image.size()));
        QCOMPARE(program.readAllStandardOutput(), bytes.left(22).toHex().toUpper() + " " + bytes.mid(0x1D, 3).toHex().toUpper());
    }

    // A font named like a word of C (to C23) gets a name its array can have.
    void cArrayNameIsNoKeyword()
    {
        FontRange range = rangeOf(abc, "8x5,rows");
        for (const char *word : {"int", "bool"}) {
            range.name = word;
            QVERIFY(written("c", range).contains(QByteArray("static const uint8_t font_") + word + "["));
        }
    }

    // Nothing outside the image is read: such ranges are refused by every format.
    void rangesLeavingTheImage_data()
    {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("count");
        QTest::newRow("last glyph cut") << QByteArray("8x5,rows") << 4 << 3;
        QTest::newRow("before the image") << QByteArray("8x5,rows") << -1 << 1;
        QTest::newRow("no glyph") << QByteArray("8x5,rows") << 0 << 0;
        QTest::newRow("width table cut") << QByteArray("8x5,rows,widths=10") << 0 << 3;
        QTest::newRow("width table far out") << QByteArray("8x5,rows,widths=7FFFFFFF") << 0 << 3;
        QTest::newRow("stride past the end") << QByteArray("8x5,rows,stride=9") << 0 << 3;
    }
    void rangesLeavingTheImage()
    {
        QFETCH(QByteArray, format);
        QFETCH(int, start);
        QFETCH(int, count);
        FontRange range = rangeOf(abc, format.constData());
        range.start = start;
        range.count = count;
        for (const FontFileFormat *file : fontFileFormats())
            QVERIFY_THROWS_EXCEPTION(FontOutError, file->write(range));
    }

    void formatByExtension_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("format");
        QTest::newRow("bdf") << "dir/latin.BDF" << "BDF";
        QTest::newRow("psf") << "latin.psf" << "PSF2";
        QTest::newRow("c") << "font.c" << "C source";
        QTest::newRow("hidden file") << "dir/.bdf" << "";
        QTest::newRow("sheet") << "latin.png" << "";
        QTest::newRow("c in a longer extension") << "font.cc" << "";
    }
    void formatByExtension()
    {
        QFETCH(QString, name);
        const FontFileFormat *format = fontFileFormatFor(name.toStdString());
        QTEST(format ? QString::fromUtf8(format->name().data(), qsizetype(format->name().size())) : QString(), "format");
    }
};

QTEST_GUILESS_MAIN(FontFilesTest)
#include "test_font_files.moc"
