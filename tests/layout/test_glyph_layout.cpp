#include <QTest>

#include <random>
#include <vector>

#include "layout/glyph_format.h"
#include "layout/glyph_layout.h"

using namespace velmora;

namespace {

using Bytes = std::vector<uint8_t>;

// A pixel set to a level, as a table row gives it.
struct Pixel {
    int x, y, level;
};

} // namespace

Q_DECLARE_METATYPE(Bytes)
Q_DECLARE_METATYPE(std::vector<Pixel>)

class TestGlyphLayout : public QObject {
    Q_OBJECT

private slots:
    // Bytes worked out by hand from the layouts' definitions: the glyph of
    // the given pixels on paper encodes to exactly these bytes and decodes
    // back to them.
    void handComputedBytes_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<std::vector<Pixel>>("pixels");
        QTest::addColumn<Bytes>("bytes");
        QTest::newRow("5x8,pages (0,0)") << "5x8,pages" << std::vector<Pixel>{{0, 0, 1}} << Bytes{0x01, 0, 0, 0, 0};
        QTest::newRow("8x2,rows (0,0)") << "8x2,rows" << std::vector<Pixel>{{0, 0, 1}} << Bytes{0x80, 0};
        QTest::newRow("3x3,packed (2,2)") << "3x3,packed" << std::vector<Pixel>{{2, 2, 1}} << Bytes{0x00, 0x80};
        QTest::newRow("4x1,rows,bpp2 levels 3 0 1 2")
            << "4x1,rows,bpp2" << std::vector<Pixel>{{0, 0, 3}, {2, 0, 1}, {3, 0, 2}} << Bytes{0xC6};
        QTest::newRow("10x2,rows padding") << "10x2,rows" << std::vector<Pixel>{{9, 0, 1}, {8, 1, 1}} << Bytes{0, 0x40, 0, 0x80};
        QTest::newRow("10x2,rows,reverse") << "10x2,rows,reverse" << std::vector<Pixel>{{0, 0, 1}, {9, 1, 1}} << Bytes{0x01, 0, 0, 0x02};
        QTest::newRow("12x2,strips") << "12x2,strips" << std::vector<Pixel>{{1, 0, 1}, {8, 1, 1}} << Bytes{0x40, 0, 0, 0x80};
        QTest::newRow("2x10,pages") << "2x10,pages" << std::vector<Pixel>{{1, 0, 1}, {0, 9, 1}} << Bytes{0, 0x01, 0x02, 0};
        QTest::newRow("2x10,columns") << "2x10,columns" << std::vector<Pixel>{{1, 0, 1}, {0, 9, 1}} << Bytes{0, 0x02, 0x01, 0};
        QTest::newRow("5x8,pages,reverse") << "5x8,pages,reverse" << std::vector<Pixel>{{4, 0, 1}} << Bytes{0, 0, 0, 0, 0x80};
        QTest::newRow("2x2,packed,bpp4") << "2x2,packed,bpp4" << std::vector<Pixel>{{0, 0, 15}, {1, 1, 5}} << Bytes{0xF0, 0x05};
        QTest::newRow("3x1,rows,bpp4 odd") << "3x1,rows,bpp4" << std::vector<Pixel>{{2, 0, 9}} << Bytes{0, 0x90};
        QTest::newRow("8x1,rows,invert") << "8x1,rows,invert" << std::vector<Pixel>{{0, 0, 1}} << Bytes{0x7F};
        QTest::newRow("2x1,rows,bpp2,invert") << "2x1,rows,bpp2,invert" << std::vector<Pixel>{{0, 0, 1}} << Bytes{0xB0};
        QTest::newRow("8x3 width byte") << "8x3" << std::vector<Pixel>{{0, 0, 1}, {7, 1, 1}} << Bytes{0, 0x80, 0x01};
        QTest::newRow("16x2,swap width byte") << "16x2,swap" << std::vector<Pixel>{{0, 0, 1}, {15, 0, 1}} << Bytes{0, 0x01, 0x80, 0};
    }

    void handComputedBytes()
    {
        QFETCH(QString, format);
        QFETCH(std::vector<Pixel>, pixels);
        QFETCH(Bytes, bytes);
        const GlyphFormat f = parseGlyphFormat(format.toStdString());
        QCOMPARE(f.size(), static_cast<int>(bytes.size()));
        std::vector<uint8_t> levels(static_cast<size_t>(f.width * f.pixelRows()), 0);
        for (const Pixel &p : pixels)
            levels[static_cast<size_t>(p.y * f.width + p.x)] = static_cast<uint8_t>(p.level);
        // Paper in an inverted format is all ones.
        Bytes encoded(bytes.size(), 0);
        if (f.invert)
            encodePixels(std::vector<uint8_t>(levels.size(), 0).data(), f, encoded);
        encodePixels(levels.data(), f, encoded);
        QCOMPARE(encoded, bytes);
        std::vector<uint8_t> decoded(levels.size(), 0xEE);
        decodePixels(bytes, 0, f, decoded.data());
        QCOMPARE(decoded, levels);
    }

    // Random formats over random bytes: decoding then encoding into the same
    // bytes changes none of them (padding and unused bits included), any
    // glyph written reads back as written, and the bits that are not pixels
    // keep their values; formatText reads back as the same format.
    void randomRoundTrips()
    {
        std::mt19937 rng(20261209);
        const char *layouts[] = {"rows", "packed", "strips", "pages", "columns"};
        for (int round = 0; round < 3000; ++round) {
            const int layout = static_cast<int>(rng() % 5);
            std::string text = std::to_string(1 + rng() % 32) + "x" + std::to_string(1 + rng() % 32) + "," + layouts[layout];
            if (rng() % 2)
                text += ",reverse";
            if (layout < 2 && rng() % 2)
                text += rng() % 2 ? ",bpp2" : ",bpp4";
            if (rng() % 3 == 0)
                text += ",invert";
            const GlyphFormat f = parseGlyphFormat(text);
            QCOMPARE(parseGlyphFormat(formatText(f)), f);

            Bytes image(static_cast<size_t>(f.size()));
            for (auto &b : image)
                b = static_cast<uint8_t>(rng());
            const size_t pixels = static_cast<size_t>(f.width * f.height);
            std::vector<uint8_t> levels(pixels);
            decodePixels(image, 0, f, levels.data());
            Bytes again = image;
            encodePixels(levels.data(), f, again);
            QVERIFY2(again == image, text.c_str());

            std::vector<uint8_t> drawn(pixels);
            for (auto &level : drawn)
                level = static_cast<uint8_t>(rng() % (f.maxLevel() + 1));
            encodePixels(drawn.data(), f, again);
            decodePixels(again, 0, f, levels.data());
            QVERIFY2(levels == drawn, text.c_str());
            // Bits that are no pixel's: set in a ones image, kept through a write of paper or ink.
            Bytes ones(image.size(), 0xFF);
            encodePixels(drawn.data(), f, ones);
            Bytes zeros(image.size(), 0);
            encodePixels(drawn.data(), f, zeros);
            const int bits = f.width * f.height * f.bpp;
            int differing = 0;
            for (size_t i = 0; i < ones.size(); ++i)
                differing += __builtin_popcount(ones[i] ^ zeros[i]);
            QCOMPARE(differing, f.size() * 8 - bits);
        }
    }

    void glyphSizesAndSteps_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("step");
        QTest::newRow("8x13") << "8x13" << 13 << 13;
        QTest::newRow("16x12,spare") << "16x12,spare" << 24 << 25;
        QTest::newRow("24x24,rows") << "24x24,rows" << 72 << 72;
        QTest::newRow("6x8,rows,bpp4") << "6x8,rows,bpp4" << 24 << 24;
        QTest::newRow("5x7,packed") << "5x7,packed" << 5 << 5;
        QTest::newRow("12x16,strips") << "12x16,strips" << 32 << 32;
        QTest::newRow("5x12,pages,stride=12") << "5x12,pages,stride=12" << 10 << 12;
        QTest::newRow("32x32,columns") << "32x32,columns" << 128 << 128;
    }

    void glyphSizesAndSteps()
    {
        QFETCH(QString, format);
        QFETCH(int, size);
        QFETCH(int, step);
        const GlyphFormat f = parseGlyphFormat(format.toStdString());
        QCOMPARE(f.size(), size);
        QCOMPARE(f.step(), step);
    }

    void canonicalText_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("canonical");
        QTest::newRow("width byte") << "16x12,swap,spare" << "16x12,spare,swap";
        QTest::newRow("options in any order") << "8x8,invert,bpp2,reverse,rows" << "8x8,rows,reverse,bpp2,invert";
        QTest::newRow("stride and widths") << "6x8,widths=1a0,pages,stride=8" << "6x8,pages,stride=8,widths=1A0";
        QTest::newRow("bpp1 is the default") << "7x9,packed,bpp1" << "7x9,packed";
    }

    void canonicalText()
    {
        QFETCH(QString, typed);
        QFETCH(QString, canonical);
        QCOMPARE(QString::fromStdString(formatText(parseGlyphFormat(typed.toStdString()))), canonical);
    }

    void refusedStrings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("bpp3") << "8x8,rows,bpp3" << "'bpp3' is not an option";
        QTest::newRow("width 33") << "33x8,rows" << "33 is not a width of 1 to 32";
        QTest::newRow("height 0") << "8x0,packed" << "0 is not a height of 1 to 32";
        QTest::newRow("spare in rows") << "16x12,rows,spare" << "spare is only for the width-byte layout";
        QTest::newRow("two layouts") << "8x8,rows,pages" << "rows and pages: one layout at most";
        QTest::newRow("not WxH") << "8y13" << "'8y13' is not WxH";
        QTest::newRow("empty") << "" << "'' is not WxH";
        QTest::newRow("width-byte width") << "12x13" << "12 is not a width of the width-byte layout";
        QTest::newRow("width-byte height") << "8x17" << "17 is not a height of 2 to 16";
        QTest::newRow("options need a layout") << "8x13,reverse" << "reverse, bppN, invert, stride and widths need a layout";
        QTest::newRow("grey strips") << "8x8,strips,bpp2" << "bpp2 is only for rows and packed";
        QTest::newRow("small stride") << "8x8,rows,stride=4" << "stride=4 is less than the glyph's 8 bytes";
        QTest::newRow("empty option") << "8x8,rows," << "'' is not an option";
        QTest::newRow("stride not decimal") << "8x8,rows,stride=x" << "'stride=x' is not an option";
        QTest::newRow("widths not hex") << "8x8,rows,widths=g" << "'widths=g' is not an option";
        QTest::newRow("negative widths") << "8x8,rows,widths=-4" << "'widths=-4' is not an option";
        QTest::newRow("negative height") << "8x-8,rows" << "'8x-8' is not WxH";
        QTest::newRow("control character") << "8x8,rows,a\nb" << "'a\\x0Ab' is not an option";
    }

    void refusedStrings()
    {
        QFETCH(QString, text);
        QFETCH(QString, message);
        try {
            parseGlyphFormat(text.toStdString());
            QFAIL("accepted");
        } catch (const FormatError &e) {
            QVERIFY2(QString(e.what()).startsWith(message), e.what());
            QVERIFY(!QString(e.what()).contains('\n'));
        }
    }

    // Advances: the width byte or the width table's byte, at most W; W without either.
    void advances()
    {
        const Bytes image{3, 0xAA, 20, 0x55, 0, 9, 2};
        QCOMPARE(glyphAdvance(image, 0, 1, parseGlyphFormat("8x2")), 8);
        QCOMPARE(glyphAdvance(image, 0, 0, parseGlyphFormat("8x2")), 3);
        QCOMPARE(glyphAdvance(image, 0, 1, parseGlyphFormat("8x1,rows,widths=5")), 2);
        QCOMPARE(glyphAdvance(image, 0, 0, parseGlyphFormat("8x1,rows,widths=5")), 8);
        QCOMPARE(glyphAdvance(image, 0, 9, parseGlyphFormat("8x1,rows,widths=5")), 0);
        QCOMPARE(glyphAdvance(image, 0, 0, parseGlyphFormat("6x1,rows")), 6);
    }
};

QTEST_APPLESS_MAIN(TestGlyphLayout)
#include "test_glyph_layout.moc"
