#pragma once

#include "model/editor_state.h"

namespace velmora {

// One-pixel rolls with wrap-around over columns 0..W-1. The horizontal rolls
// move rows F..H, the vertical ones rows F..H-1, F being firstPixelRow().
void rollLeft(EditorState &state);
void rollRight(EditorState &state);
void rollUp(EditorState &state);
void rollDown(EditorState &state);

// Roll directions as the roll buttons number them.
enum RollDirection : uint8_t { RollNone = 0, RollToLeft = 1, RollToRight = 2, RollToTop = 3, RollToBottom = 4 };

// Applies state.rollDirection to the glyph, or with charMap to each of the 32
// characters of the page at V (each decoded, rolled and written back). A
// single glyph is written only with autoWrite. G is kept; the direction ends at 0.
void rollGlyph(EditorState &state, bool charMap, bool autoWrite);

// Empties all 272 cells, then recomputes the width row.
void clearMatrix(EditorState &state);

// Erases every pixel right of each stored width on the page at V, leaving the
// width bytes as they were. G stays and the two flags it borrows are restored; the
// glyph matrix is left holding the page's last character.
void trueCharMap(EditorState &state);

} // namespace velmora
