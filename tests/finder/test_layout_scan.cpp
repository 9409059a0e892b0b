#include <QGuiApplication>
#include <QTest>

#include <algorithm>
#include <random>
#include <stdexcept>

#include "finder/firmware_image_generator.h"
#include "finder/font_scan.h"
#include "finder/layout_scan.h"

using namespace velmora;

Q_DECLARE_METATYPE(velmora::Layout)

namespace {

QString describe(const FontCandidate &c)
{
    return QStringLiteral("%1 %2 x%3 score %4")
        .arg(c.start, 8, 16, QLatin1Char('0'))
        .arg(QString::fromStdString(formatText(c.format)))
        .arg(c.count)
        .arg(c.score, 0, 'f', 0);
}

FontScanOptions withLayouts()
{
    FontScanOptions options;
    options.layouts = true;
    return options;
}

} // namespace

// Real fonts in the layouts without widths, among code, text and deflate data.
class LayoutScanTest : public QObject {
    Q_OBJECT
private slots:
    void aFontInEachLayoutIsFoundFirstWithItsEnds_data()
    {
        QTest::addColumn<QString>("font");
        QTest::addColumn<Layout>("layout");
        QTest::addColumn<bool>("reverse");
        QTest::addColumn<quint64>("seed");
        QTest::newRow("rows 8x14 console") << "Lat15-VGA14.psf.gz" << Layout::Rows << false << quint64(3);
        QTest::newRow("rows reverse 7x14") << "7x14.pcf.gz" << Layout::Rows << true << quint64(4);
        QTest::newRow("packed reverse 7x13") << "7x13.pcf.gz" << Layout::Packed << true << quint64(6);
        QTest::newRow("strips 23 px") << "DejaVuSans.ttf 23 px" << Layout::Strips << false << quint64(7);
        QTest::newRow("pages reverse 6x12") << "6x12.pcf.gz" << Layout::Pages << true << quint64(9);
        QTest::newRow("columns reverse 30 px") << "DejaVuSansMono.ttf 30 px" << Layout::Columns << true << quint64(11);
        // Fonts that read nearly as well a quarter turn, a mirror or split at their punctuation.
        QTest::newRow("columns reverse 15 px, not turned") << "DejaVuSans.ttf 15 px" << Layout::Columns << true << quint64(12);
        QTest::newRow("rows 8x15 mono, not turned") << "LiberationMono-Regular.ttf 15 px" << Layout::Rows << false << quint64(13);
        QTest::newRow("packed 30 px, not split") << "LiberationSerif-Regular.ttf 30 px" << Layout::Packed << false << quint64(14);
        QTest::newRow("pages reverse 8x15 console") << "Lat15-Fixed15.psf.gz" << Layout::Pages << true << quint64(15);
        QTest::newRow("rows 8x15 console, space column on the left, not mirrored") << "Lat15-Fixed15.psf.gz" << Layout::Rows << false << quint64(1);
        QTest::newRow("packed 8x15 console, space column on the left, not mirrored") << "Lat15-Fixed15.psf.gz" << Layout::Packed << false << quint64(1);
        QTest::newRow("columns 6x12 console") << "Lat15-Terminus12x6.psf.gz" << Layout::Columns << false << quint64(17);
        QTest::newRow("columns reverse 13 px") << "LiberationSans-Regular.ttf 13 px" << Layout::Columns << true << quint64(18);
        QTest::newRow("packed reverse 8x14 console") << "Lat15-Terminus14.psf.gz" << Layout::Packed << true << quint64(40);
        QTest::newRow("pages reverse 30 px") << "DejaVuSans.ttf 30 px" << Layout::Pages << true << quint64(61);
        QTest::newRow("rows 30 px serif") << "LiberationSerif-Regular.ttf 30 px" << Layout::Rows << false << quint64(66);
        QTest::newRow("strips 10 px serif") << "LiberationSerif-Regular.ttf 10 px" << Layout::Strips << false << quint64(70);
        QTest::newRow("strips 9x15 bold") << "9x15B.pcf.gz" << Layout::Strips << false << quint64(70);
        QTest::newRow("strips 9x15, not a row over") << "9x15.pcf.gz" << Layout::Strips << false << quint64(4);
        QTest::newRow("rows 12x14, not turned for a piece less") << "DejaVuSans.ttf 12 px" << Layout::Rows << false << quint64(2);
        // Fonts of 9 to 12 pixels in 16-bit rows and in two strips, read a byte or a row over before.
        QTest::newRow("rows reverse 10x14 narrow") << "LiberationSansNarrow-Regular.ttf 12 px" << Layout::Rows << true << quint64(7);
        QTest::newRow("strips reverse 9x15 mono") << "DejaVuSansMono.ttf 14 px" << Layout::Strips << true << quint64(1);
        QTest::newRow("strips 11x14 serif") << "LiberationSerif-Regular.ttf 12 px" << Layout::Strips << false << quint64(7);
        QTest::newRow("rows 8x8 dense console, not turned") << "Lat15-VGA8.psf.gz" << Layout::Rows << false << quint64(1);
        QTest::newRow("packed 6x9, thin strokes without padding") << "6x9.pcf.gz" << Layout::Packed << false << quint64(1);
        QTest::newRow("packed 6x10, thin strokes without padding") << "6x10.pcf.gz" << Layout::Packed << false << quint64(2);
        QTest::newRow("columns 5x8, a byte a column") << "5x8.pcf.gz" << Layout::Columns << false << quint64(1);
        QTest::newRow("pages 5x7, not upside down") << "5x7.pcf.gz" << Layout::Pages << false << quint64(2);
        QTest::newRow("packed 5x8") << "5x8.pcf.gz" << Layout::Packed << false << quint64(1);
        QTest::newRow("packed reverse 5x7") << "5x7.pcf.gz" << Layout::Packed << true << quint64(3);
        QTest::newRow("rows 4x6, short strokes") << "4x6.pcf.gz" << Layout::Rows << false << quint64(1);
        QTest::newRow("pages 4x6, not upside down") << "4x6.pcf.gz" << Layout::Pages << false << quint64(2);
        QTest::newRow("columns reverse 4x6") << "4x6.pcf.gz" << Layout::Columns << true << quint64(3);
        QTest::newRow("packed 4x6") << "4x6.pcf.gz" << Layout::Packed << false << quint64(1);
        QTest::newRow("packed reverse 4x6") << "4x6.pcf.gz" << Layout::Packed << true << quint64(1);
        QTest::newRow("packed 5x8, no glyph of the bytes before") << "5x8.pcf.gz" << Layout::Packed << false << quint64(10);
        QTest::newRow("packed 4x6, not the bytes before its space") << "4x6.pcf.gz" << Layout::Packed << false << quint64(7);
        QTest::newRow("columns 5x8, not the bytes before its space") << "5x8.pcf.gz" << Layout::Columns << false << quint64(9);
        QTest::newRow("rows reverse 8x14 bold console, past ^ _ `") << "Lat15-TerminusBold14.psf.gz" << Layout::Rows << true << quint64(2);
        QTest::newRow("strips 13x15 serif, not laid down as tall pages") << "LiberationSerif-Regular.ttf 15 px" << Layout::Strips << false << quint64(2);
    }

    void aFontInEachLayoutIsFoundFirstWithItsEnds()
    {
        QFETCH(QString, font);
        QFETCH(Layout, layout);
        QFETCH(bool, reverse);
        QFETCH(quint64, seed);
        std::vector<uint8_t> image;
        test::PlantedFont planted;
        try {
            image = test::firmwareBackground(seed, 512 << 10);
            planted = test::plantCellFont(image, 0x20004, font.toStdString(), layout, reverse, 160);
        } catch (const std::runtime_error &e) {
            QFAIL(e.what());
        }
        const std::vector<FontCandidate> found = scanFonts(image, withLayouts()).candidates;
        for (const FontCandidate &c : found)
            qInfo("%s", qPrintable(describe(c)));
        QVERIFY(!found.empty());
        QVERIFY2(test::showsFont(image, found[0], planted),
                 qPrintable(QString::fromStdString(formatText(planted.format)) + " planted, found " + describe(found[0])));
    }

    // Fonts of generated firmware found a glyph short or long before: read a row or two off, with
    // about as many pieces and a table a glyph short; a table taken over the blocks of data before a
    // 30-pixel font; a table taken on over glyphs of code that ink the padding; a 30-pixel font
    // without its last glyph, an acute accent before a block of data.
    void generatedFirmwareFontsEndWhereTheyEnd()
    {
        struct Case { quint64 seed; int megabytes; int fonts; std::vector<int64_t> starts; };
        for (const Case &c : {Case{5043891552710420261ULL, 1, 8, {0xd46b0}}, Case{9340134593180673284ULL, 1, 7, {0x33e84, 0xf5d40}},
                              Case{9378899539383526872ULL, 1, 7, {0xca7c5}}, Case{15019081665029229540ULL, 1, 8, {0x1714c}},
                              Case{5587938809817815431ULL, 2, 7, {0x1c3b14}}, Case{14902491980668345909ULL, 3, 8, {0x2f7558}}}) {
            const test::GeneratedImage image = test::generateLayoutFirmwareImage(c.seed, int64_t{c.megabytes} << 20, c.fonts);
            const std::vector<FontCandidate> found = scanFonts(image.bytes, withLayouts()).candidates;
            for (const int64_t start : c.starts) {
                const auto planted = std::find_if(image.fonts.begin(), image.fonts.end(), [&](const test::PlantedFont &f) { return f.start == start; });
                QVERIFY(planted != image.fonts.end());
                QVERIFY2(std::any_of(found.begin(), found.end(), [&](const FontCandidate &f) { return test::showsFont(image.bytes, f, *planted); }),
                         qPrintable(QString::number(start, 16)));
            }
        }
    }

    // Fonts that end with a glyph fitting their places poorly: a middle dot, an acute, a ½, a bold Ü,
    // a macron over a 30-pixel font.
    void aLastGlyphThatFitsPoorlyEndsTheFont()
    {
        struct Case { const char *font; Layout layout; bool reverse; int64_t count; quint64 seed; };
        for (const Case c : {Case{"DejaVuSans.ttf 23 px", Layout::Pages, true, 119, 2}, Case{"8x13B.pcf.gz", Layout::Pages, false, 116, 2},
                             Case{"Lat15-Terminus14.psf.gz", Layout::Rows, false, 140, 1}, Case{"6x13B.pcf.gz", Layout::Packed, true, 156, 1},
                             Case{"DejaVuSans.ttf 30 px", Layout::Rows, false, 111, 1}}) {
            std::vector<uint8_t> image = test::firmwareBackground(c.seed, 512 << 10);
            const test::PlantedFont planted = test::plantCellFont(image, 0x20004, c.font, c.layout, c.reverse, c.count);
            const std::vector<FontCandidate> found = scanFonts(image, withLayouts()).candidates;
            QVERIFY2(!found.empty() && test::showsFont(image, found[0], planted), c.font);
        }
    }

    // A font whose last letters share one glyph (a box for each missing letter) ends after them.
    void repeatedLastGlyphEndsTheFont()
    {
        std::vector<uint8_t> image = test::firmwareBackground(3, 512 << 10);
        test::PlantedFont planted = test::plantCellFont(image, 0x20004, "Lat15-VGA14.psf.gz", Layout::Rows, false, 160);
        const auto last = image.begin() + planted.start + (planted.count - 1) * planted.format.step();
        for (int copy = 1; copy <= 2; ++copy, ++planted.count)
            std::copy(last, last + planted.format.step(), last + copy * planted.format.step());
        const std::vector<FontCandidate> found = scanFonts(image, withLayouts()).candidates;
        QVERIFY(!found.empty());
        QVERIFY2(test::showsFont(image, found[0], planted), qPrintable(describe(found[0])));
    }

    // Code, text, deflate data and fill: at most two rows over all images.
    void firmwareWithoutFontsGivesAtMostTwoRows()
    {
        size_t rows = 0;
        for (const quint64 seed : {21, 22, 23, 24}) {
            const std::vector<uint8_t> image = test::firmwareBackground(seed, 2 << 20);
            for (const FontCandidate &c : scanFonts(image, withLayouts()).candidates) {
                qWarning("seed %llu: %s", static_cast<unsigned long long>(seed), qPrintable(describe(c)));
                ++rows;
            }
        }
        QVERIFY(rows <= 2);
    }

    // A faint region (dense bold glyphs) is judged only where no clear region
    // lies, however much stronger it is: a lag-8 faint region over a font of
    // 16-bit rows would hide the font. Regions: from, to, lag, faint, strength.
    void faintRegionsGiveWayToClearOnes()
    {
        const auto region = [](int64_t from, int lag, bool faint, double strength) {
            return LayoutRegion{from, from + 0x800, lag, false, strength, faint};
        };
        const LayoutRegion smallCells{0, 0x800, 8, false, 1, false, true};
        const struct {
            const char *name;
            std::vector<LayoutRegion> regions;
            std::vector<int> keptLags;
        } cases[] = {
            {"faint and stronger over clear", {region(0, 8, true, 9), region(0x100, 16, false, 3)}, {16}},
            {"faint whole byte beside a packed lag", {region(0, 6, false, 3), region(0, 8, true, 9)}, {6}},
            {"faint where nothing else lies", {region(0, 8, true, 2), region(0x4000, 16, false, 3)}, {16, 8}},
            {"two faint: the stronger", {region(0, 16, true, 2), region(0, 24, true, 3)}, {24}},
            {"faint beside small cells", {smallCells, region(0x100, 6, true, 2)}, {8, 6}},
        };
        for (const auto &c : cases) {
            std::vector<int> lags;
            for (const LayoutRegion &r : strongestRegions(c.regions))
                lags.push_back(r.lag);
            QVERIFY2(lags == c.keptLags, c.name);
        }
    }

    // Bytes of short strokes everywhere; from 0x1000 to the case's end a
    // pattern. Cells of 3 to 7 bytes with a blank column make a small-cell
    // region there, if it is long enough for a run of groups; 16-bit words
    // (every other byte blank) repeat at 4 and 6 bytes too, but tell nothing
    // more there than at 2, and make none; nor do text and 32-bit words
    // with a fixed field (ARM's condition byte).
    void smallCellRegionsFollowTheCellsPlaces()
    {
        const struct { const char *name; int step, blankPlace; int64_t end; bool text, region; uint8_t blank = 0; } cases[] = {
            {"3-byte cells, last column blank", 3, 2, 0x3000, false, true},
            {"4-byte cells, last column blank", 4, 3, 0x3000, false, true},
            {"5-byte cells, last column blank", 5, 4, 0x3000, false, true},
            {"6-byte cells, last column blank", 6, 5, 0x3000, false, true},
            {"7-byte cells, first column blank", 7, 0, 0x3000, false, true},
            {"5-byte cells, too few", 5, 4, 0x10C0, false, false},
            {"16-bit words", 2, 1, 0x3000, false, false},
            {"32-bit words, a condition byte", 4, 3, 0x3000, false, false, 0xE5},
            {"text in 5-byte records", 5, 4, 0x3000, true, false, ' '},
            {"no cells", 1, -1, 0x3000, false, false},
        };
        const uint8_t strokes[] = {0x00, 0x18, 0x0F, 0xF0, 0x3C, 0x7E, 0x66, 0x1C};
        int lag8 = 0;
        while (layoutScanLag(lag8) != 8)
            ++lag8;
        for (const auto &c : cases) {
            std::mt19937 random(7);
            std::vector<uint8_t> image(0x4000);
            for (size_t i = 0; i < image.size(); ++i) {
                const bool inPattern = i >= 0x1000 && static_cast<int64_t>(i) < c.end;
                const bool blank = inPattern && static_cast<int>(i % static_cast<size_t>(c.step)) == c.blankPlace;
                image[i] = blank ? c.blank : inPattern && c.text ? static_cast<uint8_t>('a' + random() % 26) : strokes[random() % 8];
            }
            std::vector<LayoutRegion> small;
            for (const LayoutRegion &r : findLayoutRegions(image, prepareLayoutScan(image), lag8, [] { return false; }))
                if (r.bySteps)
                    small.push_back(r);
            const bool there = small.size() == 1 && small[0].from >= 0xF00 && small[0].from < 0x1100 && small[0].to > c.end - 0x100 && small[0].to <= c.end + 0x100;
            QVERIFY2(c.region ? there : small.empty(), c.name);
        }
    }

    // A region of small cells is judged in every format of its steps: pages
    // and columns a byte high, and packed glyphs in either bit order.
    void aRegionOfSmallCellsIsReadInItsFontsFormat()
    {
        const struct { Layout layout; bool reverse; } cases[] = {
            {Layout::Pages, false}, {Layout::Columns, true}, {Layout::Packed, false}, {Layout::Packed, true},
        };
        for (const auto &c : cases) {
            std::vector<uint8_t> image = test::firmwareBackground(5, 256 << 10);
            const test::PlantedFont planted = test::plantCellFont(image, 0x20004, "5x8.pcf.gz", c.layout, c.reverse, 160);
            const LayoutRegion region{0x20000, 0x20340, 8, false, 1, false, true};
            const std::vector<FontCandidate> found = judgeLayoutRegion(image, region, withLayouts());
            QVERIFY2(found.size() == 1 && test::showsFont(image, found[0], planted), qPrintable(QString::fromStdString(formatText(planted.format))));
        }
    }

    // Words hold the image's bits in order (first byte highest), blank past its
    // end; reversed words hold each byte's bits the other way round.
    void preparedWordsRunThroughTheBitsInOrder()
    {
        std::vector<uint8_t> image(70, 0xFF);
        const struct { size_t byte; std::vector<uint8_t> bytes; size_t word; uint64_t plain, reversed; } cases[] = {
            {0, {0x01, 0x80, 0xF0, 0x0F, 0xAA, 0x55, 0xC3, 0x3C}, 0, 0x0180F00FAA55C33Cu, 0x80010FF055AAC33Cu},
            {64, {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}, 8, 0x123456789ABC0000u, 0x482C6A1E593D0000u},
            {70, {}, 9, 0, 0}, // wholly past the end
        };
        for (const auto &c : cases)
            std::copy(c.bytes.begin(), c.bytes.end(), image.begin() + static_cast<ptrdiff_t>(c.byte));
        const LayoutScanPrep prep = prepareLayoutScan(image);
        QCOMPARE(prep.words.size(), size_t{17});
        for (const auto &c : cases)
            QVERIFY2(prep.words[c.word] == c.plain && prep.reversedWords[c.word] == c.reversed, qPrintable(QString::number(c.word)));
    }

    // Month names in UTF-16 ("Th\u00e1ng 1;..."): every other byte blank, like 16-bit columns.
    void wideTextIsNoFont()
    {
        const std::vector<uint8_t> background = test::firmwareBackground(4141261287708293617u, 8 << 20);
        const std::vector<uint8_t> image(background.begin() + 0x500000, background.begin() + 0x510000);
        for (const FontCandidate &c : scanFonts(image, withLayouts()).candidates)
            QFAIL(qPrintable(describe(c)));
    }

    // Unwinding tables of compiled code among the firmware's bytes: 20-byte
    // records (length, offset back to the common entry, code start, code
    // length, padding) whose fields read as 4 x 10 glyphs of packed bits.
    void recordsOfATableAreNoFont()
    {
        const std::vector<uint8_t> background = test::firmwareBackground(8573432893358607887u, 9 << 20);
        const auto from = background.begin() + 0x2E0000;
        const std::vector<uint8_t> image(from, from + (64 << 10));
        for (const FontCandidate &c : scanFonts(image, withLayouts()).candidates)
            QFAIL(qPrintable(describe(c)));
    }
};

int main(int argc, char **argv)
{
    // The TrueType fonts of the test images are drawn with the editor's renderer.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    LayoutScanTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_layout_scan.moc"
