// Format strings and the layout codec on any input: a string either names a
// format whose printed text reads back as the same format, or is refused with
// one line; decoding a glyph anywhere reads only the image; encoding the
// decoded levels changes no byte; a glyph written through the editor's codec
// reads back as written and changes no byte outside its own bits.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "layout/glyph_layout.h"
#include "model/format.h"
#include "model/glyph_codec.h"

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input in(data, size);
    const std::string text = in.text(40); // the format string
    GlyphFormat f;
    try {
        f = parseGlyphFormat(text);
    } catch (const FormatError &error) {
        FUZZ_CHECK(std::strchr(error.what(), '\n') == nullptr, "a refusal of two lines: %s", error.what());
        return 0;
    }
    FUZZ_CHECK(parseGlyphFormat(formatText(f)) == f, "'%s' prints as '%s'", text.c_str(), formatText(f).c_str());
    if (f.widthTable > (1 << 24))
        f.widthTable = f.widthTable % (1 << 24);

    const int64_t offset = static_cast<int64_t>(in.u16()) - 1024;
    // A copy of exactly the image's bytes, so that ASan sees a read past its end.
    const std::vector<uint8_t> image(in.rest(), in.rest() + in.restSize());
    std::vector<uint8_t> levels(static_cast<size_t>(f.width * f.pixelRows()));
    decodePixels(image, offset, f, levels.data());
    for (uint8_t level : levels)
        FUZZ_CHECK(level <= f.maxLevel(), "level %d above %d", level, f.maxLevel());

    EditorState s;
    s.image.replace(image);
    setGlyphFormat(s, f, 0);
    if (offset < 0 || offset + f.size() > static_cast<int64_t>(image.size()))
        return 0;
    std::vector<uint8_t> glyph(image.begin() + offset, image.begin() + offset + f.size());
    encodePixels(levels.data(), f, glyph);
    FUZZ_CHECK(std::equal(glyph.begin(), glyph.end(), image.begin() + offset), "'%s': decode and encode changed a byte",
               text.c_str());

    // Through the editor's codec: the glyph inverted (levels mirrored), written and read back.
    if (f.widthByte())
        return 0;
    decodeCharAt(s, offset);
    for (int y = 1; y <= f.height; ++y)
        for (int x = 0; x < f.width; ++x)
            s.glyph.at(x, y) = static_cast<uint8_t>(f.maxLevel() - s.glyph.at(x, y));
    const GlyphMatrix written = s.glyph;
    encodeCharAt(s, offset);
    decodeCharAt(s, offset);
    for (int y = 1; y <= f.height; ++y)
        for (int x = 0; x < f.width; ++x)
            FUZZ_CHECK(s.glyph.at(x, y) == written.at(x, y), "'%s': pixel (%d, %d) read back otherwise", text.c_str(), x, y);
    for (int64_t i = 0; i < static_cast<int64_t>(image.size()); ++i) {
        const bool own = i >= offset && i < offset + f.size();
        const bool table = f.widthTable >= 0 && i == f.widthTable + offset / f.step() && offset % f.step() == 0;
        FUZZ_CHECK(own || table || s.image.at(i) == image[static_cast<size_t>(i)], "'%s': byte %lld outside the glyph changed",
                   text.c_str(), static_cast<long long>(i));
    }
    return 0;
}
