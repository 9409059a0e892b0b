// Character tables, map files and text rendering on any input: parsing ends
// in a table or an EditorError, a map file read back from its own text is
// the same map, and a rendering of any text over any image has one pixel
// per cell of its grid, each character inside it.
#include <string_view>

#include "characters/char_map.h"
#include "characters/char_table.h"
#include "characters/text_rendering.h"
#include "characters/utf8_text.h"
#include "fuzz_support.h"
#include "model/errors.h"

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input in(data, size);
    FontMap map;
    map.format.width = (in.byte() & 1) ? 16 : 8;
    map.format.height = 2 + in.byte() % 15;
    const uint8_t flags = in.byte();
    map.format.spare = flags & 1;
    map.format.swap = flags & 2;
    map.start = in.u16();
    map.firstCode = in.u16() % 0x200;
    const int gap = in.byte() % 8;
    const int screen = in.byte();
    const size_t imageSize = in.u16() % 4096;
    const std::string_view rest(reinterpret_cast<const char *>(in.rest()), in.restSize());
    const std::span<const uint8_t> image(in.rest(), std::min(imageSize, in.restSize()));

    CharTable table;
    bool haveTable = false;
    try {
        table = parseCharTable(rest);
        haveTable = true;
    } catch (const EditorError &) {
    }

    try {
        const CharMaps maps = parseCharMaps(rest);
        FUZZ_CHECK(parseCharMaps(serialiseCharMaps(maps)) == maps, "map file text does not read back");
    } catch (const EditorError &) {
    }

    const auto text = decodeUtf8(rest.substr(0, 256));
    if (!text)
        return 0;
    FUZZ_CHECK(encodeUtf8(*text) == rest.substr(0, 256), "UTF-8 does not round-trip");
    const TextRendering r = renderText(image, map, haveTable ? &table : nullptr, gap, screen, *text);
    FUZZ_CHECK(r.pixels.size() == size_t(r.width) * size_t(r.height), "grid of %d x %d", r.width, r.height);
    for (const PlacedChar &c : r.placed) {
        FUZZ_CHECK(c.x >= 0 && TextRendering::margin + c.x + c.advance - (c.advance > 0 ? gap : 0) <= r.width,
                   "character outside the grid at %d", c.x);
        if (c.glyph)
            FUZZ_CHECK(*c.glyph >= 0 && *c.glyph + map.format.size() <= int64_t(image.size()), "glyph past the image");
    }
    return 0;
}
