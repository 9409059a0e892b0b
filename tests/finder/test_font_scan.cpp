#include <QTest>

#include <algorithm>
#include <random>

#include "demo/demo_firmware.h"
#include "finder/font_image_generator.h"
#include "finder/font_scan.h"
#include "model/glyph_codec.h"

using namespace velmora;

Q_DECLARE_METATYPE(velmora::test::Background)
Q_DECLARE_METATYPE(velmora::FontFormat)

namespace {

bool sameFont(const FontCandidate &c, const test::PlantedFont &font)
{
    return c.start == font.start && c.format == font.format && c.count == font.count;
}

QString describe(const FontCandidate &c)
{
    return QStringLiteral("%1 %2 x%3 score %4")
        .arg(c.start, 8, 16, QLatin1Char('0'))
        .arg(QString::fromStdString(formatText(c.format)))
        .arg(c.count)
        .arg(c.score);
}

// One character at out: width byte w, then pixel rows 1 to H - 1 of W bits.
void writeChar(uint8_t *out, const FontFormat &f, int w, const std::array<uint32_t, 17> &rows)
{
    out[0] = static_cast<uint8_t>(w);
    for (int r = 1; r < f.height; ++r) {
        if (f.width == 8) {
            out[r] = static_cast<uint8_t>(rows[r]);
        } else {
            const auto left = static_cast<uint8_t>(rows[r] >> 8), right = static_cast<uint8_t>(rows[r]);
            out[2 * r - 1] = f.swap ? right : left;
            out[2 * r] = f.swap ? left : right;
        }
    }
}

// A font of count glyphs in format f written at start: each glyph a
// vertical stroke in its own column plus a horizontal one, width byte tight.
void writeFont(std::vector<uint8_t> &image, int64_t start, const FontFormat &f, int count)
{
    for (int k = 0; k < count; ++k) {
        std::array<uint32_t, 17> rows{};
        const int column = k % f.width;
        const int row = 1 + (k / f.width) % (f.height - 1);
        for (int r = 1; r < f.height; ++r)
            rows[r] |= 1u << (f.width - 1 - column);
        if (f.height > 2)
            rows[row] = 0; // a gap, so that no glyph is all full
        for (int c = 0; c <= column; ++c)
            rows[1 + (row % (f.height - 1))] |= 1u << (f.width - 1 - c);
        writeChar(image.data() + start + int64_t{k} * fontCharStep(f), f, column + 1, rows);
    }
}

} // namespace

class FontScanTest : public QObject {
    Q_OBJECT
private slots:
    void plantedFontsAreFoundExactlyAndRankFirst_data()
    {
        QTest::addColumn<quint64>("seed");
        QTest::addColumn<int>("megabytes");
        QTest::addColumn<int>("fonts");
        QTest::newRow("1 MB, 1 font") << quint64(101) << 1 << 1;
        QTest::newRow("1 MB, 6 fonts") << quint64(102) << 1 << 6;
        QTest::newRow("2 MB, 3 fonts") << quint64(103) << 2 << 3;
        QTest::newRow("2 MB, 5 fonts") << quint64(104) << 2 << 5;
        QTest::newRow("3 MB, 4 fonts") << quint64(105) << 3 << 4;
        QTest::newRow("4 MB, 6 fonts") << quint64(106) << 4 << 6;
        QTest::newRow("4 MB, 2 fonts") << quint64(107) << 4 << 2;
        QTest::newRow("12 MB, 6 fonts") << quint64(108) << 12 << 6;
    }

    void plantedFontsAreFoundExactlyAndRankFirst()
    {
        QFETCH(quint64, seed);
        QFETCH(int, megabytes);
        QFETCH(int, fonts);
        const test::GeneratedImage image = test::generateFontImage(seed, int64_t{megabytes} << 20, fonts);

        // With the default threshold, the planted fonts and nothing else;
        // tables of one or two pixel rows hold too little to reach it.
        const FontScanResult found = scanFonts(image.bytes);
        QVERIFY(!found.cancelled);
        for (const test::PlantedFont &font : image.fonts) {
            if (font.format.height < 4)
                continue;
            const bool hit = std::any_of(found.candidates.begin(), found.candidates.end(),
                                         [&](const FontCandidate &c) { return sameFont(c, font); });
            if (!hit) {
                for (const FontCandidate &c : found.candidates)
                    qWarning("%s", qPrintable(describe(c)));
                QFAIL(qPrintable(QStringLiteral("not found: %1 %2 x%3")
                                     .arg(font.start, 8, 16, QLatin1Char('0'))
                                     .arg(QString::fromStdString(formatText(font.format)))
                                     .arg(font.count)));
            }
        }
        for (const FontCandidate &c : found.candidates)
            QVERIFY2(std::any_of(image.fonts.begin(), image.fonts.end(), [&](const test::PlantedFont &font) { return sameFont(c, font); }),
                     qPrintable(describe(c)));

        // Without a threshold every table shows; the planted ones come first.
        FontScanOptions everything;
        everything.minChars = 4;
        everything.minScore = 0;
        const FontScanResult all = scanFonts(image.bytes, everything);
        QVERIFY(all.candidates.size() >= image.fonts.size());
        for (size_t i = 0; i < image.fonts.size(); ++i) {
            const FontCandidate &c = all.candidates[i];
            QVERIFY2(std::any_of(image.fonts.begin(), image.fonts.end(),
                                 [&](const test::PlantedFont &font) { return sameFont(c, font); }),
                     qPrintable(describe(c)));
        }
    }

    void theDemoFirmwaresFontsAreFoundInTheirPresetFormats()
    {
        // Letter shapes drawn by hand, not by the generator.
        const FontScanResult found = scanFonts(demo::demoImage());
        QCOMPARE(found.candidates.size(), std::size(demo::demoFonts));
        for (const demo::DemoFont &font : demo::demoFonts) {
            const FontFormat format{font.width, font.height, font.flagString[3] == 't', font.flagString[4] == 't'};
            QVERIFY2(std::any_of(found.candidates.begin(), found.candidates.end(),
                                 [&](const FontCandidate &c) {
                                     return c.start == font.offset && c.format == format && c.count == demo::demoCharCount;
                                 }),
                     font.hint);
        }
    }

    void imagesWithoutFontsGiveNoCandidate_data()
    {
        QTest::addColumn<test::Background>("kind");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("kilobytes");
        QTest::newRow("noise") << test::Background::Noise << 0 << 4096;
        QTest::newRow("noise, zero and 0xFF runs") << test::Background::Mixed << 0 << 4096;
        QTest::newRow("zeros") << test::Background::Zeros << 0 << 1024;
        QTest::newRow("0xFF") << test::Background::Ones << 0 << 1024;
        // Bytes that are a valid width byte and a valid pixel row at once.
        QTest::newRow("repeated 0x08") << test::Background::Repeated << 0x08 << 512;
        QTest::newRow("repeated 0x10") << test::Background::Repeated << 0x10 << 512;
        QTest::newRow("repeated 0x01") << test::Background::Repeated << 0x01 << 512;
        QTest::newRow("repeated 0x55") << test::Background::Repeated << 0x55 << 512;
    }

    void imagesWithoutFontsGiveNoCandidate()
    {
        QFETCH(test::Background, kind);
        QFETCH(int, value);
        QFETCH(int, kilobytes);
        const std::vector<uint8_t> image = test::backgroundImage(7, int64_t{kilobytes} << 10, kind, static_cast<uint8_t>(value));
        const FontScanResult found = scanFonts(image);
        for (const FontCandidate &c : found.candidates)
            qWarning("%s", qPrintable(describe(c)));
        QCOMPARE(found.candidates.size(), size_t(0));
    }

    void repeatingRecordsGiveNoCandidate_data()
    {
        QTest::addColumn<QByteArray>("record");
        QTest::newRow("08 10") << QByteArray("\x08\x10", 2);
        QTest::newRow("10 08 04") << QByteArray("\x10\x08\x04", 3);
        QTest::newRow("08 01 02 03 04 10 00") << QByteArray("\x08\x01\x02\x03\x04\x10\x00", 7);
    }

    void repeatingRecordsGiveNoCandidate()
    {
        QFETCH(QByteArray, record);
        std::vector<uint8_t> image;
        while (image.size() < 256 * 1024)
            image.insert(image.end(), record.begin(), record.end());
        const FontScanResult found = scanFonts(image);
        for (const FontCandidate &c : found.candidates)
            qWarning("%s", qPrintable(describe(c)));
        QCOMPARE(found.candidates.size(), size_t(0));
    }

    void glyphRowsDecodeAsTheCodec_data()
    {
        QTest::addColumn<FontFormat>("format");
        for (const FontFormat &f : allFontFormats())
            QTest::newRow(formatText(f).c_str()) << f;
    }

    void glyphRowsDecodeAsTheCodec()
    {
        QFETCH(FontFormat, format);
        std::mt19937 random(format.height * 4 + format.spare * 2 + format.swap);
        std::vector<uint8_t> bytes(64);
        for (uint8_t &b : bytes)
            b = static_cast<uint8_t>(random());
        EditorState s;
        s.image.replace(bytes);
        s.charWidth = static_cast<uint8_t>(format.width);
        s.charHeight = static_cast<uint8_t>(format.height);
        s.setFlag(Flag::SkipSpareByte, format.spare);
        s.setFlag(Flag::SwapBytes, format.swap);
        for (const int32_t g : {0, 5, 60}) { // the last one reaches past the end
            s.glyphOffset = g;
            decodeChar(s);
            const auto rows = glyphRows(bytes, g, format);
            for (int r = 0; r < format.height; ++r)
                for (int c = 0; c < format.width; ++c)
                    QCOMPARE(int((rows[r] >> (format.width - 1 - c)) & 1), int(s.glyph.at(c, r)));
        }
    }

    void whatLooksLikeAGlyph_data()
    {
        QTest::addColumn<FontFormat>("format");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("glyph");
        const FontFormat f8{8, 3, false, false};
        const FontFormat f16{16, 3, false, false};
        const FontFormat f16swap{16, 3, false, true};
        QTest::newRow("8: width 5, pixels left of it") << f8 << QByteArray("\x05\x88\x00", 3) << true;
        QTest::newRow("8: width 0") << f8 << QByteArray("\x00\x80\x00", 3) << false;
        QTest::newRow("8: width 9") << f8 << QByteArray("\x09\x80\x00", 3) << false;
        QTest::newRow("8: pixel at the width") << f8 << QByteArray("\x05\x04\x00", 3) << false;
        QTest::newRow("8: width 8, any pixels") << f8 << QByteArray("\x08\xFF\x01", 3) << true;
        QTest::newRow("8: every row full (a block)") << f8 << QByteArray("\x08\xFF\xFF", 3) << true;
        QTest::newRow("8: one row not full") << f8 << QByteArray("\x08\xFF\xFE", 3) << true;
        QTest::newRow("8: a full block narrower than W") << f8 << QByteArray("\x03\xE0\xE0", 3) << true;
        QTest::newRow("8: blank") << f8 << QByteArray("\x03\x00\x00", 3) << true;
        QTest::newRow("8: past the image end") << f8 << QByteArray("\x05\x80", 2) << false;
        QTest::newRow("16: width 12, right byte in it") << f16 << QByteArray("\x0C\xFF\xF0\x00\x00\x00", 6) << true;
        QTest::newRow("16: pixel at column 12") << f16 << QByteArray("\x0C\xFF\xF8\x00\x00\x00", 6) << false;
        QTest::newRow("16: width 17") << f16 << QByteArray("\x11\x00\x00\x00\x00\x00", 6) << false;
        QTest::newRow("16 swapped: right byte first") << f16swap << QByteArray("\x0C\xF0\xFF\x00\x00\x00", 6) << true;
        QTest::newRow("16 swapped: left byte second") << f16swap << QByteArray("\x0C\xFF\xF0\x00\x00\x00", 6) << false;
        QTest::newRow("16: spare byte past the end") << f16 << QByteArray("\x0C\x80\x00\x00\x00", 5) << false;
    }

    void whatLooksLikeAGlyph()
    {
        QFETCH(FontFormat, format);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, glyph);
        const std::vector<uint8_t> image(bytes.begin(), bytes.end());
        QCOMPARE(looksLikeGlyph(image, 0, format), glyph);
    }

    void repeatedGlyphsAddNothingAndABlankOneAdds()
    {
        const FontFormat f{8, 8, false, false};
        std::vector<uint8_t> image(64 * 8, 0);
        writeFont(image, 0, f, 64);
        const double all = scoreTable(image, 0, 64, f).score;
        // The same glyph 64 times scores as one glyph.
        std::vector<uint8_t> same(image.begin(), image.begin() + 8);
        for (int k = 1; k < 64; ++k)
            same.insert(same.end(), image.begin(), image.begin() + 8);
        const FontCandidate repeated = scoreTable(same, 0, 64, f);
        QCOMPARE(repeated.distinct, int64_t(1));
        QCOMPARE(repeated.score, scoreTable(same, 0, 1, f).score);
        QVERIFY(all > 10 * repeated.score);
        // A blank glyph of width 3 in place of the last one scores more.
        std::vector<uint8_t> withBlank = image;
        std::fill(withBlank.begin() + 63 * 8, withBlank.end(), uint8_t{0});
        withBlank[63 * 8] = 3;
        const FontCandidate blank = scoreTable(withBlank, 0, 64, f);
        QVERIFY(blank.hasBlank);
        QVERIFY(!scoreTable(image, 0, 64, f).hasBlank);
        QVERIFY(blank.score > all);
    }

    void inconsistentCharactersLowerTheScore()
    {
        const FontFormat f{16, 10, true, false};
        std::vector<uint8_t> image(100 * 21, 0);
        writeFont(image, 0, f, 100);
        const FontCandidate clean = scoreTable(image, 0, 100, f);
        QCOMPARE(clean.consistent, int64_t(100));
        for (int k = 10; k < 100; k += 10)
            image[static_cast<size_t>(k * 21)] = 0; // width byte 0
        const FontCandidate spoilt = scoreTable(image, 0, 100, f);
        QCOMPARE(spoilt.consistent, int64_t(91));
        QVERIFY(spoilt.score < clean.score * 0.85);
    }

    void aFontsEndsAreExact_data()
    {
        QTest::addColumn<FontFormat>("format");
        QTest::addColumn<int>("gap"); // inconsistent characters between a stray match and the font
        QTest::addColumn<int>("gapAfter"); // the same after the font
        QTest::addColumn<int>("straysAfter"); // stray matches in a row after the font
        // The font's last glyph, unlike its letters (a shade, a block),
        // width W: pixel rows of even and odd rows, or -1 for none.
        QTest::addColumn<int>("even");
        QTest::addColumn<int>("odd");
        const FontFormat f8x12{8, 12, false, false}, f8x16{8, 16, false, false};
        QTest::newRow("8x12, strays adjacent") << f8x12 << 0 << 0 << 1 << -1 << -1;
        QTest::newRow("8x12, stray one apart") << f8x12 << 1 << 0 << 1 << -1 << -1;
        QTest::newRow("16x10 skip, strays adjacent") << FontFormat{16, 10, true, false} << 0 << 0 << 1 << -1 << -1;
        QTest::newRow("16x10 swap, stray two apart") << FontFormat{16, 10, false, true} << 2 << 0 << 1 << -1 << -1;
        QTest::newRow("16x16 swap, three strays after a gap") << FontFormat{16, 16, false, true} << 0 << 2 << 3 << -1 << -1;
        QTest::newRow("8x12, six strays after a gap") << f8x12 << 0 << 1 << 6 << -1 << -1;
        QTest::newRow("8x12, medium shade last") << f8x12 << 0 << 0 << 0 << 0xAA << 0x55;
        QTest::newRow("8x16, light shade last") << f8x16 << 0 << 0 << 0 << 0x88 << 0x22;
        QTest::newRow("8x16, full block last") << f8x16 << 0 << 0 << 0 << 0xFF << 0xFF;
        QTest::newRow("16x10 skip, dark shade last") << FontFormat{16, 10, true, false} << 0 << 0 << 0 << 0xEEEE << 0xBBBB;
        QTest::newRow("16x16 swap, full block last") << FontFormat{16, 16, false, true} << 0 << 0 << 0 << 0xFFFF << 0xFFFF;
    }

    // Stray matches in the bytes around a font do not move its ends; a
    // rare last glyph with the font's width byte stays in it.
    void aFontsEndsAreExact()
    {
        QFETCH(FontFormat, format);
        QFETCH(int, gap);
        QFETCH(int, gapAfter);
        QFETCH(int, straysAfter);
        QFETCH(int, even);
        QFETCH(int, odd);
        const int64_t step = fontCharStep(format);
        std::vector<uint8_t> image = test::backgroundImage(3, 16384, test::Background::Noise);
        const int64_t start = 4096;
        int64_t count = 96;
        writeFont(image, start, format, 96);
        if (even >= 0) {
            std::array<uint32_t, 17> rows{};
            for (int r = 1; r < format.height; ++r)
                rows[r] = static_cast<uint32_t>(r % 2 ? odd : even);
            writeChar(image.data() + start + count++ * step, format, format.width, rows);
        }
        // Random pixel rows under a width byte of W: consistent, but noise.
        std::mt19937 random(9);
        auto writeStray = [&](int64_t at) {
            image[at] = static_cast<uint8_t>(format.width);
            for (int64_t i = 1; i < step; ++i)
                image[at + i] = static_cast<uint8_t>(random());
            QVERIFY(looksLikeGlyph(image, at, format));
        };
        const int64_t stray = start - (gap + 1) * step;
        writeStray(stray);
        for (int i = 1; i <= gap; ++i)
            image[stray + i * step] = 0;
        const int64_t after = start + count * step;
        for (int i = 0; i < gapAfter; ++i)
            image[after + i * step] = 0;
        for (int i = 0; i < straysAfter; ++i)
            writeStray(after + (gapAfter + i) * step);
        image[after + (gapAfter + straysAfter) * step] = 0; // no glyph

        const FontScanResult found = scanFonts(image);
        QCOMPARE(found.candidates.size(), size_t(1));
        QCOMPARE(found.candidates[0].start, start);
        QCOMPARE(found.candidates[0].count, count);
        QCOMPARE(found.candidates[0].format, format);
    }

    void oneThreadAndAllCoresFindTheSame()
    {
        const test::GeneratedImage image = test::generateFontImage(55, 2 << 20, 4);
        FontScanOptions one;
        one.threads = 1;
        one.minChars = 4;
        one.minScore = 0;
        FontScanOptions two = one;
        two.threads = 2;
        const FontScanResult a = scanFonts(image.bytes, one);
        const FontScanResult b = scanFonts(image.bytes, two);
        QCOMPARE(a.candidates.size(), b.candidates.size());
        for (size_t i = 0; i < a.candidates.size(); ++i) {
            QCOMPARE(a.candidates[i].start, b.candidates[i].start);
            QCOMPARE(a.candidates[i].format, b.candidates[i].format);
            QCOMPARE(a.candidates[i].score, b.candidates[i].score);
        }
    }

    void progressRunsToTheEndAndCancelStops()
    {
        const std::vector<uint8_t> image = test::backgroundImage(1, 3 << 20, test::Background::Mixed);
        FontScanOptions options;
        options.threads = 1;
        std::vector<std::pair<int, int>> reports;
        options.progress = [&](int done, int total) { reports.emplace_back(done, total); };
        QVERIFY(!scanFonts(image, options).cancelled);
        QVERIFY(!reports.empty());
        for (size_t i = 1; i < reports.size(); ++i)
            QVERIFY(reports[i].first > reports[i - 1].first);
        QCOMPARE(reports.back().first, reports.back().second);

        // Cancelled after the first block: the scan stops early with nothing.
        reports.clear();
        int asked = 0;
        options.cancelled = [&] { return ++asked > 1; };
        const FontScanResult cancelled = scanFonts(test::generateFontImage(4, 3 << 20, 2).bytes, options);
        QVERIFY(cancelled.cancelled);
        QVERIFY(cancelled.candidates.empty());
        QVERIFY(reports.size() <= 1);
    }
};

QTEST_GUILESS_MAIN(FontScanTest)
#include "test_font_scan.moc"
