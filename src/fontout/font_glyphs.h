#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "fontout/font_file_format.h"

namespace velmora::fontout {

// What the font file formats read of a range, checked by checkRange first.

// The offset of glyph k.
int64_t glyphOffset(const FontRange &range, int64_t k);
// Glyph k as one bit a pixel, rows of W pixels padded to whole bytes, the
// leftmost pixel in bit 7 (as BDF and PSF2 store bitmaps): pixelRows() rows.
// A grey pixel is ink from half of full ink on (2L >= M).
std::vector<uint8_t> inkRows(const FontRange &range, int64_t k);
// Bytes of one row of inkRows.
int inkRowBytes(const GlyphFormat &format);
// The advance of glyph k: its width byte or width table byte, else W.
int advanceOf(const FontRange &range, int64_t k);
// The code of glyph k, none for a glyph the map gives no character.
std::optional<uint32_t> codeOf(const FontRange &range, int64_t k);
// The characters glyph k stands for: its code's text in the table, or the
// code itself when it is a Unicode scalar value; empty when neither.
std::u32string charactersOf(const FontRange &range, int64_t k);
// Hex digits of value, upper case, at least digits of them.
std::string hexText(uint64_t value, int digits);

} // namespace velmora::fontout
