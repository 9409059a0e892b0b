// Times the font finder's scan of a 12 MB image in every format, on one
// thread and on every core, and reports the scan's peak memory beyond the image.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include <sys/resource.h>

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

double secondsOf(const std::vector<uint8_t> &image, int threads, FontScanResult &result)
{
    FontScanOptions options;
    options.threads = threads;
    const auto start = std::chrono::steady_clock::now();
    result = scanFonts(image, options);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main()
{
    constexpr int64_t size = 12 << 20;
    const test::GeneratedImage image = test::generateFontImage(2026, size, 6);
    const long before = peakKilobytes();

    for (const int threads : {1, 0}) {
        std::vector<double> times;
        FontScanResult result;
        for (int i = 0; i < 7; ++i)
            times.push_back(secondsOf(image.bytes, threads, result));
        std::sort(times.begin(), times.end());
        int found = 0;
        for (const test::PlantedFont &font : image.fonts)
            for (const FontCandidate &c : result.candidates)
                found += c.start == font.start && c.format == font.format ? 1 : 0;
        std::printf("scan of 12 MB in %zu formats, %s: median %.1f ms, best %.1f ms; %d of %zu planted fonts found, %zu candidates\n",
                    allFontFormats().size(), threads == 1 ? "1 thread" : "all cores", times[times.size() / 2] * 1000,
                    times.front() * 1000, found, image.fonts.size(), result.candidates.size());
    }
    const long after = peakKilobytes();
    std::printf("peak memory of the scan beyond the image: %ld KB (image %lld KB)\n", after - before,
                static_cast<long long>(size / 1024));
    return 0;
}
