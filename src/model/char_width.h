#pragma once
#include <cstdint>

#include "model/editor_state.h"

namespace velmora {

// 1 when the width row is derived ("ACW calculation"), else 0: the first
// matrix row that drawing, preview and rolls treat as a pixel row.
uint8_t firstPixelRow(const EditorState &state);

// Columns up to the rightmost set pixel of rows 1..H-1; W when none is set.
int calcCharWidth(const EditorState &state);

// The logic of ShowCharWidth: with "ACW calculation" checked, row 0 columns
// 0..7 take the bits of the computed width. Returns the computed width.
int applyComputedWidth(EditorState &state);

} // namespace velmora
