#include <QTest>

#include <vector>

#include "characters/char_map.h"
#include "characters/char_table.h"
#include "characters/text_rendering.h"
#include "characters/utf8_text.h"
#include "model/errors.h"

using namespace velmora;

namespace {

std::u32string u32(const QString &text)
{
    const QList<uint> codes = text.toUcs4();
    return std::u32string(codes.begin(), codes.end());
}

QString qs(const std::u32string &text) { return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size())); }

// The entries of a table as "CODE=text|..." in code order, or "error at N".
QString describeTable(const QByteArray &file)
{
    try {
        const CharTable table = parseCharTable(std::string_view(file.constData(), static_cast<size_t>(file.size())));
        QStringList entries;
        for (const auto &[code, text] : table.entries())
            entries << QString::number(code, 16).toUpper() + "=" + qs(text);
        return entries.join('|');
    } catch (const EditorError &e) {
        const QString message = QString::fromStdString(e.what());
        return "error at " + message.section(' ', 1, 1);
    }
}

// An image of 8 x 5 glyphs (step 5) from offset 0: glyph k has width byte
// widths[k] and each pixel row 0xFF.
std::vector<uint8_t> fontImage(const std::vector<int> &widths)
{
    std::vector<uint8_t> image;
    for (int w : widths) {
        image.push_back(static_cast<uint8_t>(w));
        image.insert(image.end(), 4, 0xFF);
    }
    return image;
}

} // namespace

class CharCoreTest : public QObject {
    Q_OBJECT
private slots:
    void tableFile_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("entries");
        QTest::newRow("one byte") << QByteArray("41=A\n42=B\n") << "41=A|42=B";
        QTest::newRow("two bytes big-endian") << QByteArray("8140=\xE3\x81\x82\n0a=x") << "A=x|8140=\u3042";
        QTest::newRow("several characters, '=' in text") << QByteArray("E0=the \n3D==") << "3D==|E0=the ";
        QTest::newRow("comments, blanks, CR LF, BOM")
            << QByteArray("\xEF\xBB\xBF# cyrillic\r\n\r\nC0=\xD0\x90\r\n") << "C0=\u0410";
        QTest::newRow("duplicate code: first wins") << QByteArray("41=A\n41=B\n") << "41=A";
        QTest::newRow("ignored kinds") << QByteArray("*FF\n/00\n(8000h)menu\n20= \n") << "20= ";
        QTest::newRow("no equals sign") << QByteArray("41=A\n# ok\nhello\n") << "error at 3";
        QTest::newRow("three hex digits") << QByteArray("141=A") << "error at 1";
        QTest::newRow("not hex") << QByteArray("41=A\nG1=B") << "error at 2";
        QTest::newRow("no text") << QByteArray("41=") << "error at 1";
        QTest::newRow("bad UTF-8") << QByteArray("41=A\n42=\xC3(\n") << "error at 2";
    }
    void tableFile()
    {
        QFETCH(QByteArray, file);
        QTEST(describeTable(file), "entries");
    }

    void textSplitsThroughTheTable_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("codes"); // "-" for a character without a code
        QTest::newRow("longest entry first") << "the tea" << "E0 20 74 65 61";
        QTest::newRow("unknown character") << "t?e" << "74 - 65";
    }
    void textSplitsThroughTheTable()
    {
        QFETCH(QString, text);
        const CharTable table = parseCharTable("20= \n74=t\n65=e\n61=a\nE0=the\nE1=th\n");
        QStringList codes;
        for (const TextItem &item : splitText(u32(text), &table))
            codes << (item.code ? QString::number(*item.code, 16).toUpper() : QStringLiteral("-"));
        QTEST(codes.join(' '), "codes");
    }

    void codeAndGlyphOffset_data()
    {
        QTest::addColumn<QString>("map"); // a line of the map file: start, format, first code
        QTest::addColumn<qint64>("length");
        QTest::addColumn<uint>("code");
        QTest::addColumn<qint64>("offset"); // -1: no glyph
        QTest::newRow("first glyph") << "10 8x8 20" << qint64(100) << 0x20u << qint64(16);
        QTest::newRow("before the first code") << "10 8x8 20" << qint64(100) << 0x1Fu << qint64(-1);
        QTest::newRow("last whole glyph") << "10 8x8 20" << qint64(96) << 0x29u << qint64(88);
        QTest::newRow("glyph cut at the end") << "10 8x8 20" << qint64(95) << 0x29u << qint64(-1);
        QTest::newRow("16 wide with spare byte") << "1 16x12,spare 41" << qint64(1000) << 0x43u << qint64(51);
        QTest::newRow("past the end, spare") << "0 16x12,spare 0" << qint64(99) << 4u << qint64(-1);
        QTest::newRow("last code point of a big font") << "0 16x16 0" << qint64(0x7FFFFFFF) << 0x10FFFFu << qint64(0x10FFFF) * 32;
    }
    void codeAndGlyphOffset()
    {
        QFETCH(QString, map);
        QFETCH(qint64, length);
        QFETCH(uint, code);
        QFETCH(qint64, offset);
        const FontMap font = parseCharMaps(map.toStdString()).fonts.at(0);
        QCOMPARE(glyphOffsetOf(font, code, length).value_or(-1), offset);
        if (offset >= 0) {
            QCOMPARE(codeOfGlyph(font, offset, length).value_or(0), code);
            QVERIFY(!codeOfGlyph(font, offset + 1, length)); // between two glyphs
        }
    }

    // Glyphs labelled one by one: a label gives its glyph its code and takes
    // that code from the glyph of its slot; other glyphs keep theirs. Font
    // 8 x 8 from 10 (code 20 = glyph at 10, 21 at 18, ...), image 100 bytes.
    void labelsOverrideTheSlots_data()
    {
        QTest::addColumn<QString>("labels"); // map file lines after the font line
        QTest::addColumn<QString>("codes");  // code of the glyphs at 10, 18, 20, 28, 30 ("-": none)
        QTest::addColumn<QString>("offsets"); // offset of the glyph of codes 20 to 24 ("-": none)
        QTest::newRow("no labels") << "" << "20 21 22 23 24" << "10 18 20 28 30";
        QTest::newRow("label takes a code from its slot") << "= 28 21" << "20 - 22 21 24" << "10 28 20 - 30";
        QTest::newRow("label of a code past the font") << "= 18 41" << "20 41 22 23 24" << "10 - 20 28 30";
        QTest::newRow("two labels swap two glyphs") << "= 18 22\n= 20 21" << "20 22 21 23 24" << "10 20 18 28 30";
        QTest::newRow("relabelled code: the later line wins") << "= 18 24\n= 20 24" << "20 21 24 23 -" << "10 18 - 28 20";
        QTest::newRow("label before the start does not count") << "= 8 21" << "20 21 22 23 24" << "10 18 20 28 30";
        QTest::newRow("label off the step") << "= 13 22" << "20 21 - 23 24" << "10 18 13 28 30";
        QTest::newRow("label past the image end") << "= 60 22" << "20 21 - 23 24" << "10 18 - 28 30";
    }
    void labelsOverrideTheSlots()
    {
        QFETCH(QString, labels);
        const FontMap font = parseCharMaps(("10 8x8 20\n" + labels).toStdString()).fonts.at(0);
        const auto hexOr = [](auto value) { return value ? QString::number(*value, 16).toUpper() : QStringLiteral("-"); };
        QStringList codes;
        for (qint64 offset : {0x10, 0x18, 0x20, 0x28, 0x30})
            codes << hexOr(codeOfGlyph(font, offset, 100));
        QTEST(codes.join(' '), "codes");
        QStringList offsets;
        for (uint code = 0x20; code <= 0x24; ++code)
            offsets << hexOr(glyphOffsetOf(font, code, 100));
        QTEST(offsets.join(' '), "offsets");
        // Each code a glyph has leads back to that glyph.
        for (qint64 offset = 0x10; offset < 100; ++offset)
            if (const auto code = codeOfGlyph(font, offset, 100))
                QCOMPARE(glyphOffsetOf(font, *code, 100).value_or(-1), offset);
    }

    void mapFileKeepsEveryFont()
    {
        CharMaps maps;
        maps.set({0x1000, {8, 12, false, false}, 0x20, {}, {}});
        maps.set({0x8000, {16, 16, true, true}, 0x410, "/tmp/a table.tbl", {}});
        maps.set({0x9000, {8, 8, false, false}, 0x1F600, {}, {}}); // a first code of five hex digits
        maps.set({0x1000, {8, 12, false, false}, 0x41, {}, {}}); // replaces the first
        FontMap labelled{0xA000, {8, 13}, 0x20, {}, {{0xA000 + 13 * 5, 0xFC}, {0xA000 + 13 * 9, 0x1F600}}};
        maps.set(labelled);
        maps.set({0xB000, {8, 13}, 0x20, "t.tbl", {{0xB00D, 0x41}}});
        QCOMPARE(int(maps.fonts.size()), 5);
        QCOMPARE(parseCharMaps(serialiseCharMaps(maps)), maps);
        QCOMPARE(maps.governing({8, 12}, 0x7FFF)->firstCode, 0x41u);
        QVERIFY(!maps.governing({8, 12}, 0xFFF));
        QVERIFY(!maps.governing({8, 13}, 0x2000));
        QVERIFY(maps.remove(0xA000, {8, 13}));
        QVERIFY(!maps.remove(0xA000, {8, 13}));
        QCOMPARE(int(maps.fonts.size()), 4);
    }

    // A file written before glyphs could be labelled reads as it always did;
    // a font's lines repeated replace it, labels and all.
    void earlierMapFilesStillRead()
    {
        const CharMaps maps = parseCharMaps("# Velmora CE character map: start, format, first code, table\n"
                                            "00010000 8x13 0020\n00020000 16x12,swap 0041 tables/latin 1.tbl\n"
                                            "00030000 8x8 20\n= 00030008 41\n00030000 8x8 30\n");
        const std::vector<FontMap> expected{{0x10000, {8, 13}, 0x20, {}, {}},
                                            {0x20000, {16, 12, false, true}, 0x41, "tables/latin 1.tbl", {}},
                                            {0x30000, {8, 8}, 0x30, {}, {}}};
        QCOMPARE(maps.fonts, expected);
    }

    // A valid line with a comment before it is read by mapFileKeepsEveryFont's round trip.
    void mapFileLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("badLine");
        QTest::newRow("bad format") << "# x\n00000010 8x7x 20\n" << 2;
        QTest::newRow("width 12") << "00000010 12x8 20" << 1;
        QTest::newRow("no first code") << "00000010 8x8" << 1;
        QTest::newRow("start too big") << "1FFFFFFFF 8x8 20" << 1;
        QTest::newRow("label before any font") << "= 10 41\n00000010 8x8 20" << -1;
        QTest::newRow("label without a code") << "00000010 8x8 20\n= 18" << -2;
        QTest::newRow("label code past Unicode") << "00000010 8x8 20\n= 18 110000" << -2;
        QTest::newRow("label with more after it") << "00000010 8x8 20\n= 18 41 x" << -2;
    }
    void mapFileLines()
    {
        QFETCH(QString, text);
        QFETCH(int, badLine);
        QString error;
        try {
            parseCharMaps(text.toStdString());
        } catch (const EditorError &e) {
            error = QString::fromStdString(e.what());
        }
        // Negative: a label's line, -badLine.
        const QString expected = badLine > 0 ? QStringLiteral("expected start, format and first code")
                                             : QStringLiteral("expected \"= OFFSET CODE\" after a font's line");
        QCOMPARE(error, QStringLiteral("Line %1 of the character map: %2").arg(std::abs(badLine)).arg(expected));
    }

    void lineLayout_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("gap");
        QTest::addColumn<int>("screen");
        QTest::addColumn<QString>("positions"); // x of each character, lines split by '/'
        QTest::addColumn<QString>("widths");
        QTest::addColumn<QString>("missing");
        QTest::addColumn<int>("tintFrom"); // first tinted column of line 1, -1 for none
        // Glyphs ' ' ! " # $: width bytes 3, 5, 9 (more than W), 0, 8.
        QTest::newRow("advances") << " !\"#$" << 0 << 0 << "0 3 8 16 16" << "24" << "" << -1;
        QTest::newRow("gap between glyphs, none after the last") << " !$" << 2 << 0 << "0 5 12" << "20" << "" << -1;
        QTest::newRow("two lines") << "!!\n$" << 1 << 0 << "0 6/0" << "11 8" << "" << -1;
        QTest::newRow("missing character is a box") << "!%!" << 0 << 0 << "0 5 9" << "14" << "%" << -1;
        QTest::newRow("code before the first glyph") << "!\x1f" << 0 << 0 << "0 5" << "9" << "\x1f" << -1;
        QTest::newRow("overflow tinted past the screen") << "$$\n!" << 0 << 10 << "0 8/0" << "16 5" << "" << 12;
        QTest::newRow("fits exactly") << "$!" << 0 << 13 << "0 8" << "13" << "" << -1;
    }
    void lineLayout()
    {
        QFETCH(QString, text);
        QFETCH(int, gap);
        QFETCH(int, screen);
        const std::vector<uint8_t> image = fontImage({3, 5, 9, 0, 8});
        const FontMap map{0, {8, 5}, 0x20, {}, {}};
        const TextRendering r = renderText(image, map, nullptr, gap, screen, u32(text));
        QStringList lines;
        for (const PlacedChar &c : r.placed) {
            if (c.line == lines.size())
                lines << QString();
            lines.last() += (lines.last().isEmpty() ? "" : " ") + QString::number(c.x);
        }
        QTEST(lines.join('/'), "positions");
        QStringList widths;
        for (int w : r.lineWidths)
            widths << QString::number(w);
        QTEST(widths.join(' '), "widths");
        QStringList missing;
        for (const auto &m : r.missing)
            missing << qs(m);
        QTEST(missing.join(' '), "missing");
        int tintFrom = -1;
        for (int x = 0; x < r.width && tintFrom < 0; ++x)
            if (r.at(x, TextRendering::margin) == PixelKind::TintedPaper || r.at(x, TextRendering::margin) == PixelKind::TintedInk)
                tintFrom = x;
        QTEST(tintFrom, "tintFrom");
        QCOMPARE(r.height, 2 * TextRendering::margin + int(r.lineWidths.size()) * 5 - 1);
    }

    void glyphPixelsAndOverride()
    {
        // '!' (width 5) drawn from the image, then from an edited matrix.
        const std::vector<uint8_t> image = {3, 0, 0, 0, 0, 5, 0x80, 0x40, 0x20, 0xF8};
        const FontMap map{0, {8, 5}, 0x20, {}, {}};
        const TextRendering stored = renderText(image, map, nullptr, 0, 0, U"!");
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 5; ++c)
                QCOMPARE(stored.at(2 + c, 2 + r) == PixelKind::Ink, bool((image[6 + size_t(r)] << c) & 0x80));
        GlyphMatrix edited;
        edited.at(5, 0) = edited.at(7, 0) = 1; // width byte 5
        edited.at(1, 2) = 1;
        const TextRendering shown = renderText(image, map, nullptr, 0, 0, U"!", GlyphOverride{5, &edited});
        QCOMPARE(std::count(shown.pixels.begin(), shown.pixels.end(), PixelKind::Ink), 1);
        QCOMPARE(shown.at(3, 3), PixelKind::Ink);
        QCOMPARE(shown.charAt(3, 3)->glyph.value_or(-1), 5);
    }

    void alphabetCheck()
    {
        const std::vector<uint8_t> image = fontImage({3, 5, 0, 8, 4});
        const FontMap map{0, {8, 5}, 0x20, {}, {}};
        const AlphabetReport report = checkAlphabet(image, map, nullptr, U"! \" # $ %\n%");
        QCOMPARE(report.missing, std::vector<std::u32string>{U"%"});
        QCOMPARE(report.blank, std::vector<std::u32string>{U"\""}); // width byte 0 shows nothing
    }

    // Letters that would draw nothing are listed and marked in red where they
    // stand, without moving the others: width 0 (with or without ink in the
    // cell) a bar, a blank glyph an underline; a space is meant to be blank.
    void lettersThatDrawNothingAreMarked()
    {
        // ' ' width 3 blank, '!' width 5 drawn, '"' width 0, '#' width 0 with ink, '$' width 4 blank.
        const std::vector<uint8_t> image = {3, 0, 0, 0, 0, 5, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0,
                                            0, 0xFF, 0xFF, 0xFF, 0xFF, 4, 0, 0, 0, 0};
        const FontMap map{0, {8, 5}, 0x20, {}, {}};
        const TextRendering r = renderText(image, map, nullptr, 0, 0, U"!\"#$ !");
        QCOMPARE(r.zeroWidth, std::vector<std::u32string>{U"\""});
        QCOMPARE(r.inkedZeroWidth, std::vector<std::u32string>{U"#"});
        QCOMPARE(r.blank, std::vector<std::u32string>{U"$"});
        QCOMPARE(r.lineWidths, std::vector<int>{17}); // 5 + 0 + 0 + 4 + 3 + 5
        const int m = TextRendering::margin;
        QCOMPARE(r.at(m + 5, m), PixelKind::Missing);     // the bar of '"' and '#'
        QCOMPARE(r.at(m + 8, m + 3), PixelKind::Missing); // the underline of '$'
        QCOMPARE(r.at(m + 8, m), PixelKind::Paper);
        QCOMPARE(r.at(m + 10, m + 3), PixelKind::Paper);  // the space is not marked
    }
};

QTEST_APPLESS_MAIN(CharCoreTest)
#include "test_char_core.moc"
