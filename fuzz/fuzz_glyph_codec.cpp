// The glyph codec at random offsets near and past the image end, in every
// format: decode follows the byte layout, decode then encode changes nothing
// (unless "True Char Image" cleared pixels, and then only those), encode
// writes nothing outside the character, and for W = 16 without the spare byte
// the next character's width byte never changes.

#include <algorithm>

#include "fuzz_support.h"
#include "model/glyph_codec.h"

using namespace velmora;

namespace {

constexpr uint8_t untouched = 7; // a cell value no decode writes

int64_t offsetFrom(fuzz::Input &in, int64_t length)
{
    const uint32_t pick = in.u16();
    switch (in.byte() % 4) {
    case 0: return length - 40 + pick % 48;        // near and just past the end
    case 1: return static_cast<int64_t>(pick % (length + 1)); // anywhere inside
    case 2: return length + pick;                 // well past the end
    default: return INT32_MAX - pick % 64;        // at the top of the offset range
    }
}

// Decode fills exactly the cells of the layout, each from its bit.
void checkDecode(EditorState &s, const fuzz::Layout &layout, int64_t g)
{
    s.glyph.cells.fill(untouched);
    decodeCharAt(s, g);
    const uint8_t w = s.image.at(g);
    const bool trueImage = s.flag(Flag::TrueCharImage);
    for (int c = 0; c < 16; ++c) {
        FUZZ_CHECK(s.glyph.at(c, 0) == (c < 8 ? (w >> (7 - c)) & 1 : 0), "width row column %d", c);
        for (int r = 1; r < 17; ++r) {
            const uint8_t cell = s.glyph.at(c, r);
            const bool cleared = trueImage && w < layout.width && c >= w && c < layout.width;
            const int lastRow = layout.width == 16 ? layout.height : layout.height - 1;
            const bool filled = c < layout.width && r <= lastRow;
            if (!filled) {
                FUZZ_CHECK(cell == (cleared ? 0 : untouched), "cell (%d, %d) outside the character changed", c, r);
                continue;
            }
            int j = r; // W = 8
            if (layout.width == 16)
                j = 2 * r - 1 + ((c < 8) == layout.swap ? 1 : 0);
            const int bit = (s.image.at(g + j) >> (7 - c % 8)) & 1;
            FUZZ_CHECK(cell == (cleared ? 0 : bit), "cell (%d, %d) is %d, byte %d gives %d", c, r, cell, j, bit);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input in(data, size);
    EditorState s = fuzz::stateFrom(in);
    const fuzz::Layout layout(s);
    const size_t length = in.u16() % 700;
    const int64_t g = offsetFrom(in, static_cast<int64_t>(length));
    GlyphMatrix drawn;
    for (auto &cell : drawn.cells)
        cell = in.byte() % 3; // 2 counts as clear
    s.image.replace(fuzz::imageFrom(in, length));
    const std::vector<uint8_t> before = s.image.bytes();

    checkDecode(s, layout, g);

    // Decode then encode: only "True Char Image" may clear bits, and only its own.
    encodeCharAt(s, g);
    const uint8_t w = s.image.at(g);
    for (size_t i = 0; i < length; ++i) {
        const int64_t j = static_cast<int64_t>(i) - g;
        uint8_t expected = before[i];
        if (s.flag(Flag::TrueCharImage) && j >= 1 && j < layout.written())
            expected &= layout.keptBits(static_cast<int>(j), w);
        FUZZ_CHECK(s.image.bytes()[i] == expected, "decode + encode changed byte %zu (offset %lld from G)", i,
                   static_cast<long long>(j));
    }

    // Any matrix: encode writes its bits into the character and nothing else.
    s.image.replace(before);
    s.glyph = drawn;
    encodeCharAt(s, g);
    for (size_t i = 0; i < length; ++i) {
        const int64_t j = static_cast<int64_t>(i) - g;
        if (j < 0 || j >= layout.written()) {
            FUZZ_CHECK(s.image.bytes()[i] == before[i], "encode wrote byte %lld outside the character",
                       static_cast<long long>(j));
            continue;
        }
        const int row = j == 0 ? 0 : layout.rowOf(static_cast<int>(j));
        const int first = j == 0 ? 0 : layout.firstColumnOf(static_cast<int>(j));
        uint8_t expected = 0;
        for (int bit = 0; bit < 8; ++bit)
            if (drawn.at(first + bit, row) == 1)
                expected |= static_cast<uint8_t>(0x80 >> bit);
        FUZZ_CHECK(s.image.bytes()[i] == expected, "byte %lld of the character", static_cast<long long>(j));
    }
    if (layout.width == 16 && !layout.spare) {
        const int64_t next = g + 2 * layout.height;
        FUZZ_CHECK(s.image.at(next) == (s.image.contains(next) ? before[static_cast<size_t>(next)] : 0),
                   "the next character's width byte changed");
    }
    FUZZ_CHECK(s.glyph == drawn, "encode changed the glyph matrix");
    return 0;
}
