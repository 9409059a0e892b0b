#pragma once
#include <cstdint>
#include <span>
#include <string_view>

#include "layout/glyph_format.h"

namespace velmora {

// Where one bit of a pixel lies in a glyph's bytes: byte index and bit
// number (7 the most significant), before "reverse" flips it.
struct BitPlace {
    int byte;
    int bit;
};

// One way of laying a glyph's pixels into bytes. Every layout but the
// width-byte one places each pixel's bits at fixed places, so decoding and
// encoding are the same walk for all of them; encoding changes no bit that
// is not a pixel's (row padding, the end of a packed glyph, unused rows of
// the last page).
class GlyphLayout {
public:
    virtual ~GlyphLayout() = default;
    virtual Layout kind() const = 0;
    virtual std::string_view name() const = 0; // as in format strings; empty for the width-byte layout
    // Bytes of one glyph of format.
    virtual int glyphSize(const GlyphFormat &format) const = 0;
    // Bit k (0 the most significant of the level) of pixel (x, y).
    virtual BitPlace place(const GlyphFormat &format, int x, int y, int k) const = 0;
    // 1-bit layouts only: strips, pages and columns.
    virtual bool greyLevels() const { return true; }
};

// The layout of kind, from the one table of layouts.
const GlyphLayout &layoutOf(Layout kind);
// The layout named name in a format string; nullptr for any other word.
const GlyphLayout *layoutNamed(std::string_view name);

// The levels (0 paper .. maxLevel full ink) of the pixel rows of the glyph
// at offset, row-major, format.width x format.pixelRows() of them. Bytes
// outside image read as 0; for the width-byte layout the rows after the
// width byte as the codec reads them.
void decodePixels(std::span<const uint8_t> image, int64_t offset, const GlyphFormat &format, uint8_t *levels);

// Writes levels into bytes, the glyph's own size(): only the pixels' bits
// change. Levels above maxLevel are taken as maxLevel.
void encodePixels(const uint8_t *levels, const GlyphFormat &format, std::span<uint8_t> bytes);

// The advance of glyph index k of a font starting at start: the width
// byte, the width table's byte, or W; an advance above W counts as W.
int glyphAdvance(std::span<const uint8_t> image, int64_t start, int64_t k, const GlyphFormat &format);

} // namespace velmora
