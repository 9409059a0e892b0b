// The font finder on any bytes: every reported table lies inside the image,
// begins and ends with a consistent character, counts exactly its
// consistent characters, is at least as long and
// scores at least as much as asked, and the list is best first; scoring any
// table of any format, even one running past the image, reads only the image.
// With the layouts without widths, their tables lie inside the image too.
#include <algorithm>
#include <vector>

#include "finder/font_scan.h"
#include "fuzz_support.h"

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input in(data, size);
    FontScanOptions options;
    options.minChars = 2 + in.byte() % 24;
    options.minScore = in.byte() * 8.0; // low thresholds report, and so check, more tables
    options.maxGap = in.byte() % 4;
    options.threads = 1 + in.byte() % 2;
    options.layouts = in.byte() % 2 == 1;
    const std::vector<FontFormat> formats = allFontFormats();
    const FontFormat any = formats[in.byte() % formats.size()];
    const int64_t anyStart = static_cast<int64_t>(in.u16()) - 256;
    const int64_t anyCount = in.u16() % 512;
    // A copy of exactly the image's bytes, so that ASan sees a read past its end.
    const std::vector<uint8_t> image(in.rest(), in.rest() + in.restSize());

    const FontScanResult found = scanFonts(image, options);
    FUZZ_CHECK(!found.cancelled, "a scan nobody cancelled reports cancelled");
    double previous = 1e300;
    for (const FontCandidate &c : found.candidates) {
        const int64_t step = fontCharStep(c.format);
        FUZZ_CHECK(c.start >= 0 && c.count >= options.minChars && c.end() <= static_cast<int64_t>(image.size()),
                   "table %lld x%lld outside an image of %zu bytes", static_cast<long long>(c.start),
                   static_cast<long long>(c.count), image.size());
        if (!c.format.widthByte()) {
            FUZZ_CHECK(options.layouts && c.format.bpp == 1 && !c.format.hasWidths() && c.distinct <= c.count,
                       "layout table %s found without being asked for", formatText(c.format).c_str());
            FUZZ_CHECK(c.score >= 0 && c.score <= previous, "score %f out of order", c.score);
            previous = c.score;
            continue;
        }
        FUZZ_CHECK(looksLikeGlyph(image, c.start, c.format) && looksLikeGlyph(image, c.end() - step, c.format),
                   "table at %lld does not begin and end with a consistent character", static_cast<long long>(c.start));
        int64_t glyphLike = 0;
        for (int64_t k = 0; k < c.count; ++k)
            glyphLike += looksLikeGlyph(image, c.start + k * step, c.format) ? 1 : 0;
        FUZZ_CHECK(c.consistent == glyphLike && c.distinct <= c.consistent,
                   "%lld consistent characters reported of %lld, %lld distinct", static_cast<long long>(c.consistent),
                   static_cast<long long>(glyphLike), static_cast<long long>(c.distinct));
        FUZZ_CHECK(c.score >= options.minScore && c.score <= previous, "score %f out of order or below the threshold", c.score);
        previous = c.score;
    }

    const FontCandidate scored = scoreTable(image, anyStart, anyCount, any);
    FUZZ_CHECK(scored.score >= 0 && scored.consistent <= anyCount, "table scored %f with %lld consistent of %lld", scored.score,
               static_cast<long long>(scored.consistent), static_cast<long long>(anyCount));
    return 0;
}
