#pragma once
#include <cstdint>
#include <span>

#include "model/editor_state.h"

namespace velmora {

// Fills the glyph matrix from the footprint at G in the current format.
// Bytes past the image end read as 0.
void decodeChar(EditorState &state);

// Writes the glyph matrix back at G. Only bytes of this character are written:
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

} // namespace velmora
