#pragma once

#include "model/editor_state.h"

namespace velmora {

// Fills the glyph matrix from the footprint at G in the current format.
// Bytes past the image end read as 0.
void decodeChar(EditorState &state);

// Writes the glyph matrix back at G. Only bytes of this character are written:
// for W = 16 without the spare byte, the footprint's last byte belongs to the
// next character and is left alone; bytes past the image end are dropped.
void encodeChar(EditorState &state);

} // namespace velmora
