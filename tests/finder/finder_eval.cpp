// Runs the font finder over generated firmware images and reports how well it
// does: planted fonts found with their exact start, format and length, and
// ranked above every other row; planted fonts without any row; rows that are
// no planted font; rows found in images without fonts. Usage: finder_eval
// [images] [images without fonts] [seed] [-v] [-l] [-L] [-W]. With -l the
// fonts lie in the layouts without widths and the scan looks for them (-W: it
// does not); -L makes the scan look for them in images of width-byte fonts.
// Build it in Release; it is not part of the test run.
#include <QGuiApplication>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <stdexcept>
#include <string>

#include "finder/firmware_image_generator.h"
#include "finder/font_scan.h"

using namespace velmora;

namespace {

std::span<const uint8_t> scanned;

bool sameFont(const FontCandidate &c, const test::PlantedFont &font) { return test::showsFont(scanned, c, font); }

// Whether any row lies on the planted font, in whatever reading.
bool hasRow(const FontScanResult &found, const test::PlantedFont &font)
{
    const int64_t end = font.start + font.count * font.format.step();
    return std::any_of(found.candidates.begin(), found.candidates.end(),
                       [&](const FontCandidate &c) { return std::min(c.end(), end) - std::max(c.start, font.start) > 0; });
}

void printRow(const char *what, const FontCandidate &c)
{
    std::printf("    %s %08llx %-28s x%-5lld score %6.0f  entropy %.2f field %.2f edge %.2f slack %.1f stroke %.2f%s%s distinct %lld\n",
                what, static_cast<unsigned long long>(c.start), formatText(c.format).c_str(), static_cast<long long>(c.count),
                c.score, c.pixelEntropy, c.fieldShare, c.edgeInkShare, c.widthSlack, c.strokeShare, c.fixedWidth ? " fixed" : "",
                c.hasBlank ? " blank" : "", static_cast<long long>(c.distinct));
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    const bool verbose = std::erase(args, "-v") > 0;
    const bool layouts = std::erase(args, "-l") > 0;
    // -L scans the layouts without widths too (the default with -l; -W turns it off).
    const bool scanLayouts = (layouts || std::erase(args, "-L") > 0) && std::erase(args, "-W") == 0;
    const int images = args.size() > 0 ? std::stoi(args[0]) : 40;
    const int fontless = args.size() > 1 ? std::stoi(args[1]) : 20;
    const uint64_t seed = args.size() > 2 ? std::stoull(args[2]) : 1;

    try {
        std::mt19937_64 random(seed);
        int planted = 0, exact = 0, rankedFirst = 0, otherRows = 0, fontlessRows = 0, misread = 0, withoutRow = 0;
        double seconds = 0, megabytes = 0;
        for (int i = 0; i < images + fontless; ++i) {
            const bool withFonts = i < images;
            const int64_t size = std::uniform_int_distribution<int64_t>(1, 12)(random) << 20;
            const int count = static_cast<int>(std::uniform_int_distribution<int>(4, 8)(random));
            const uint64_t imageSeed = random();
            test::GeneratedImage image;
            if (withFonts)
                image = layouts ? test::generateLayoutFirmwareImage(imageSeed, size, count)
                                : test::generateFirmwareImage(imageSeed, size, count);
            else
                image.bytes = test::firmwareBackground(imageSeed, size);

            const auto start = std::chrono::steady_clock::now();
            FontScanOptions options;
            options.layouts = scanLayouts;
            const FontScanResult found = scanFonts(image.bytes, options);
            scanned = image.bytes;
            seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            megabytes += static_cast<double>(size >> 20);

            // Rows before the first one that is no planted font.
            size_t leading = 0;
            while (leading < found.candidates.size()
                   && std::any_of(image.fonts.begin(), image.fonts.end(),
                                  [&](const test::PlantedFont &f) { return sameFont(found.candidates[leading], f); }))
                ++leading;
            const int others = static_cast<int>(found.candidates.size()) - [&] {
                int hits = 0;
                for (const FontCandidate &c : found.candidates)
                    hits += std::any_of(image.fonts.begin(), image.fonts.end(), [&](const test::PlantedFont &f) { return sameFont(c, f); });
                return hits;
            }();
            // Rows that lie on a planted font but show it in another reading
            // (another layout, first byte or step): found, not found exactly.
            for (const FontCandidate &c : found.candidates)
                misread += std::any_of(image.fonts.begin(), image.fonts.end(), [&](const test::PlantedFont &f) {
                    const int64_t end = f.start + f.count * f.format.step();
                    return !sameFont(c, f) && std::min(c.end(), end) - std::max(c.start, f.start) > 0;
                });
            int imageExact = 0, imageFirst = 0;
            for (const test::PlantedFont &font : image.fonts) {
                withoutRow += !hasRow(found, font);
                const auto at = std::find_if(found.candidates.begin(), found.candidates.end(),
                                             [&](const FontCandidate &c) { return sameFont(c, font); });
                imageExact += at != found.candidates.end();
                imageFirst += at != found.candidates.end() && static_cast<size_t>(at - found.candidates.begin()) < leading;
            }
            planted += static_cast<int>(image.fonts.size());
            exact += imageExact;
            rankedFirst += imageFirst;
            (withFonts ? otherRows : fontlessRows) += others;
            std::printf("image %2d: %2lld MB, %d fonts: %d exact, %d ranked first, %d other rows\n", i + 1,
                        static_cast<long long>(size >> 20), static_cast<int>(image.fonts.size()), imageExact, imageFirst, others);
            if (verbose && (imageFirst < static_cast<int>(image.fonts.size()) || others > 0)) {
                std::printf("    seed %llu\n", static_cast<unsigned long long>(imageSeed));
                for (const test::PlantedFont &font : image.fonts)
                    std::printf("    planted %08llx %-28s x%-5lld %s score %.0f\n", static_cast<unsigned long long>(font.start),
                                formatText(font.format).c_str(), static_cast<long long>(font.count), font.source.c_str(),
                                scoreTable(image.bytes, font.start, font.count, font.format).score);
                for (const FontCandidate &c : found.candidates)
                    printRow(std::any_of(image.fonts.begin(), image.fonts.end(),
                                         [&](const test::PlantedFont &f) { return sameFont(c, f); })
                                 ? "font   "
                                 : "OTHER  ",
                             c);
                for (const FontCandidate &c : found.candidates)
                    for (const test::PlantedFont &f : image.fonts)
                        if (!sameFont(c, f) && std::min(c.end(), f.start + f.count * f.format.step()) - std::max(c.start, f.start) > 0)
                            std::printf("    misread %08llx as %s: %s\n", static_cast<unsigned long long>(f.start),
                                        formatText(c.format).c_str(), test::misreadOf(image.bytes, c, f).c_str());
                for (const test::PlantedFont &f : image.fonts)
                    if (!hasRow(found, f))
                        std::printf("    no row for %08llx %s\n", static_cast<unsigned long long>(f.start), formatText(f.format).c_str());
            }
        }
        std::printf("\n%d planted fonts in %d images: %d found exactly (%.1f%%), %d ranked above every other row, %d without any row;\n"
                    "%d rows that are no planted font (%d of them on a planted font, read otherwise); %d rows in %d images "
                    "without fonts; scan %.0f ms per 12 MB\n",
                    planted, images, exact, planted ? 100.0 * exact / planted : 0.0, rankedFirst, withoutRow, otherRows, misread,
                    fontlessRows, fontless, megabytes > 0 ? seconds / megabytes * 12 * 1000 : 0.0);
        return exact == planted && rankedFirst == planted && fontlessRows <= 2 ? 0 : 1;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "finder_eval: %s\n", e.what());
        return 2;
    }
}
