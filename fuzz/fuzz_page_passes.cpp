// The page-wide passes (a roll with "CharMap" and "True Char Map") with the
// view offset near the image end and near 2^31 - 1, in every format. Checked:
// G, the flags and the length stay; nothing outside the page changes; "True
// Char Map" clears exactly the pixels right of each stored width; a roll and
// the opposite roll give every character inside the image its pixel rows back.

#include <algorithm>

#include "fuzz_support.h"
#include "model/format.h"
#include "model/glyph_ops.h"

using namespace velmora;

namespace {

int64_t viewOffsetFrom(fuzz::Input &in, int64_t length, int64_t span)
{
    const uint32_t pick = in.u16();
    switch (in.byte() % 3) {
    case 0: return std::max<int64_t>(0, length - span - 40 + pick % 80); // the last pages
    case 1: return INT32_MAX - pick % 1200;                              // near 2^31 - 1
    default: return pick % (length + 1);                                 // anywhere
    }
}

uint8_t opposite(uint8_t direction)
{
    static constexpr uint8_t inverse[] = {RollNone, RollToRight, RollToLeft, RollToBottom, RollToTop};
    return inverse[direction];
}

void rollPage(EditorState &s, uint8_t direction)
{
    s.rollDirection = direction;
    rollGlyph(s, true, false);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input in(data, size);
    EditorState s = fuzz::stateFrom(in);
    const fuzz::Layout layout(s);
    const int64_t length = in.u16() % 1500;
    const int64_t v = viewOffsetFrom(in, length, overviewSpan(s));
    const uint8_t operation = in.byte() % 5; // 0: True Char Map, 1..4: a roll with "CharMap"
    const int32_t g = static_cast<int32_t>(in.u32() & 0x7FFFFFFF);
    s.image.replace(fuzz::imageFrom(in, static_cast<size_t>(length)));
    s.viewOffset = static_cast<int32_t>(v);
    s.glyphOffset = g;
    const std::vector<uint8_t> before = s.image.bytes();
    const auto flags = s.flags;
    const int64_t step = layout.step();

    if (operation == 0)
        trueCharMap(s);
    else
        rollPage(s, operation);

    FUZZ_CHECK(s.glyphOffset == g, "G moved");
    FUZZ_CHECK(s.flags == flags, "flags changed");
    FUZZ_CHECK(s.rollDirection == RollNone, "roll direction left set");
    FUZZ_CHECK(s.imageLength() == length, "length changed");
    for (int64_t i = 0; i < length; ++i)
        if (i < v || i >= v + 32 * step)
            FUZZ_CHECK(s.image.at(i) == before[static_cast<size_t>(i)], "byte %lld outside the page changed",
                       static_cast<long long>(i));

    if (operation == 0) {
        for (int k = 0; k < 32; ++k) {
            const int64_t at = v + k * step;
            const uint8_t w = s.image.at(at);
            for (int j = 0; j < step; ++j) {
                if (!s.image.contains(at + j))
                    continue;
                uint8_t expected = before[static_cast<size_t>(at + j)];
                if (j >= 1 && j < layout.written())
                    expected &= layout.keptBits(j, w);
                FUZZ_CHECK(s.image.at(at + j) == expected, "character %d byte %d after True Char Map", k, j);
            }
        }
        return 0;
    }

    // The opposite roll restores the pixel rows 1..H-1 of every character whose
    // rows lie inside the image; with the width row taking part (no ACW) and
    // W = 8, the whole character. "True Char Image" makes the decode lossy, and
    // so does a vertical roll of a 16-pixel row into the 8-bit width row.
    const bool vertical = operation == RollToTop || operation == RollToBottom;
    if (s.flag(Flag::TrueCharImage) || (vertical && layout.width == 16 && !s.flag(Flag::AcwCalculation)))
        return 0;
    rollPage(s, opposite(operation));
    const bool wholeCharacter = layout.width == 8 && !s.flag(Flag::AcwCalculation);
    const int b = layout.width / 8;
    for (int k = 0; k < 32; ++k) {
        const int64_t at = v + k * step;
        const int64_t last = at + b * (layout.height - 1); // last byte of row H - 1
        if (last >= length)
            continue;
        for (int64_t j = wholeCharacter ? 0 : 1; at + j <= last; ++j)
            FUZZ_CHECK(s.image.at(at + j) == before[static_cast<size_t>(at + j)],
                       "roll %d and back changed character %d byte %lld", operation, k, static_cast<long long>(j));
    }
    return 0;
}
