#pragma once
#include <cstdint>

#include "model/editor_state.h"

namespace velmora {

// Format arithmetic, always computed from the current state, never stored.
inline int bytesPerRow(const EditorState &s) { return s.charWidth >> 3; }
inline int charSize(const EditorState &s) { return bytesPerRow(s) * s.charHeight; }
inline int spareByte(const EditorState &s) { return (s.flag(Flag::SkipSpareByte) && s.charWidth == 16) ? 1 : 0; }
inline int charStep(const EditorState &s) { return charSize(s) + spareByte(s); }
inline int pageStep(const EditorState &s) { return 32 * charStep(s); }
// Bytes DecodeChar reads at G: H for W = 8, 2H + 1 for W = 16.
inline int footprint(const EditorState &s) { return s.charWidth == 16 ? 2 * s.charHeight + 1 : s.charHeight; }
// Distance between the characters the overview thumbnails show.
inline int thumbnailStride(const EditorState &s)
{
    const int b = bytesPerRow(s);
    return 1 + b * (s.charHeight - 1) + (s.flag(Flag::SkipSpareByte) ? 2 * (b - 1) : 0);
}
// What the step clamp compares against: 32 x H for W = 8, 32 x (2H + 1) for W = 16.
inline int overviewSpan(const EditorState &s) { const int b = bytesPerRow(s); return 32 * (b * s.charHeight + b - 1); }

inline bool isValidFormat(int width, int height) { return (width == 8 || width == 16) && height >= 2 && height <= 16; }

} // namespace velmora
