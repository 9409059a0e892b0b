#pragma once
#include <cstdint>
#include <optional>
#include <span>

#include "model/editor_state.h"

namespace velmora {

// Fills the glyph matrix from the footprint at G in the current format. In
// the layouts other than the width-byte one the pixel rows go to matrix rows
// 1..H and row 0 holds the width table's byte, when the format has a table.
// Bytes past the image end read as 0.
void decodeChar(EditorState &state);

// Writes the glyph matrix back at G. Only bytes of this character are written
// (in the other layouts only the bits of its pixels, and its width table byte):
// for W = 16 without the spare byte, the footprint's last byte belongs to the
// next character and is left alone; bytes past the image end are dropped.
void encodeChar(EditorState &state);

// The same at any offset, in 64 bits: the page passes walk characters whose
// offsets can lie past 2^31 - 1, where no 32-bit G can name them.
void decodeCharAt(EditorState &state, int64_t offset);
void encodeCharAt(EditorState &state, int64_t offset);

// The decoding itself, from any bytes: the width byte into row 0 (columns
// 0..7) and the pixel rows of a width x height character at offset into
// glyph, without the "True Char Image" mask. Bytes outside image read as 0.
void decodeGlyph(std::span<const uint8_t> image, int width, int height, bool swapBytes, int64_t offset,
                 GlyphMatrix &glyph);
// Matrix rows 1..height-1 alone (what a sheet cell shows), row by row into
// width x (height - 1) cells of 0 or 1.
void decodeGlyphRows(std::span<const uint8_t> image, int width, int height, bool swapBytes, int64_t offset,
                     uint8_t *pixels);

// The width table's byte of the glyph at g: the table counts glyphs from
// the layout's base; nothing without a table or off the glyph grid.
std::optional<int64_t> widthTableEntry(const EditorState &state, int64_t g);

} // namespace velmora
