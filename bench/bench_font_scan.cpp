// Times the font finder's scan of three 12 MB images in every format, on one
// thread and on every core: generated glyphs in noise, and real fonts among
// machine code, text, deflate streams and fill, in the width-byte layout and
// in the layouts without widths (scanned with and without them). Reports the
// scans' peak memory beyond the image.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include <sys/resource.h>

#include <QGuiApplication>

#include "bench_support.h"
#include "finder/firmware_image_generator.h"
#include "finder/font_image_generator.h"
#include "finder/font_scan.h"

using namespace velmora;

namespace {

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double secondsOf(const std::vector<uint8_t> &image, int threads, bool layouts, FontScanResult &result)
{
    FontScanOptions options;
    options.threads = threads;
    options.layouts = layouts;
    const auto start = std::chrono::steady_clock::now();
    result = scanFonts(image, options);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char **argv)
{
    bench::useOffscreenPlatform();
    QGuiApplication app(argc, argv); // draws the TrueType fonts of the firmware image
    constexpr int64_t size = 12 << 20;
    const std::pair<const char *, test::GeneratedImage> images[] = {
        {"generated glyphs in noise", test::generateFontImage(2026, size, 6)},
        {"real fonts in firmware", test::generateFirmwareImage(2026, size, 8)},
        {"fonts of other layouts in firmware", test::generateLayoutFirmwareImage(2026, size, 8)},
    };
    const long before = peakKilobytes();

    for (const auto &[name, image] : images) {
        for (const bool layouts : {false, true}) {
            for (const int threads : {1, 0}) {
                std::vector<double> times;
                FontScanResult result;
                for (int i = 0; i < 5; ++i)
                    times.push_back(secondsOf(image.bytes, threads, layouts, result));
                std::sort(times.begin(), times.end());
                int found = 0;
                for (const test::PlantedFont &font : image.fonts)
                    for (const FontCandidate &c : result.candidates)
                        found += test::showsFont(image.bytes, c, font) ? 1 : 0;
                std::printf("scan of 12 MB (%s), %s, %s: median %.1f ms, best %.1f ms; %d of %zu planted fonts found, "
                            "%zu rows\n",
                            name, layouts ? "all layouts" : "width-byte layout", threads == 1 ? "1 thread" : "all cores",
                            times[times.size() / 2] * 1000, times.front() * 1000, found, image.fonts.size(), result.candidates.size());
            }
        }
    }
    const long after = peakKilobytes();
    std::printf("peak memory of the scans beyond the images: %ld KB (images %lld KB each)\n", after - before,
                static_cast<long long>(size / 1024));
    return 0;
}
