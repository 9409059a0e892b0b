#pragma once
#include <cstdint>

#include "layout/glyph_format.h"
#include "model/editor_state.h"

namespace velmora {

// Format arithmetic, always computed from the current state, never stored.
inline bool widthByteLayout(const EditorState &s) { return s.layout.kind == Layout::WidthByte; }

// The state's format as a format string describes it.
inline GlyphFormat glyphFormatOf(const EditorState &s)
{
    GlyphFormat f;
    f.layout = s.layout.kind;
    f.width = s.charWidth;
    if (widthByteLayout(s)) {
        f.height = s.charHeight;
        // The two flags move bytes only in 16-pixel fonts.
        f.spare = s.charWidth == 16 && s.flag(Flag::SkipSpareByte);
        f.swap = s.charWidth == 16 && s.flag(Flag::SwapBytes);
        return f;
    }
    f.height = s.charHeight - 1;
    f.reverse = s.layout.reverse;
    f.bpp = s.layout.bpp;
    f.invert = s.layout.invert;
    f.stride = s.layout.stride;
    f.widthTable = s.layout.widthTable;
    return f;
}

inline int bytesPerRow(const EditorState &s) { return s.charWidth >> 3; }
inline int charSize(const EditorState &s)
{
    return widthByteLayout(s) ? bytesPerRow(s) * s.charHeight : glyphFormatOf(s).size();
}
inline int spareByte(const EditorState &s)
{
    return (widthByteLayout(s) && s.flag(Flag::SkipSpareByte) && s.charWidth == 16) ? 1 : 0;
}
inline int charStep(const EditorState &s)
{
    return widthByteLayout(s) ? charSize(s) + spareByte(s) : glyphFormatOf(s).step();
}
inline int pageStep(const EditorState &s) { return 32 * charStep(s); }
// Bytes DecodeChar reads at G: H for W = 8, 2H + 1 for W = 16; a glyph's
// size in the other layouts.
inline int footprint(const EditorState &s)
{
    if (!widthByteLayout(s))
        return charSize(s);
    return s.charWidth == 16 ? 2 * s.charHeight + 1 : s.charHeight;
}
// Distance between the characters the overview thumbnails show: the char step.
inline int thumbnailStride(const EditorState &s) { return charStep(s); }
// What the step clamp compares against: 32 x H for W = 8, 32 x (2H + 1) for W = 16,
// a page in the other layouts.
inline int overviewSpan(const EditorState &s)
{
    if (!widthByteLayout(s))
        return pageStep(s);
    const int b = bytesPerRow(s);
    return 32 * (b * s.charHeight + b - 1);
}
// What the step clamp adds back: 2 x (B - 1) in the width-byte layout.
inline int overviewSlack(const EditorState &s) { return widthByteLayout(s) ? 2 * (bytesPerRow(s) - 1) : 0; }

inline bool isValidFormat(int width, int height) { return (width == 8 || width == 16) && height >= 2 && height <= 16; }
// True when the state's W and H make a format of its layout.
inline bool isValidFormat(const EditorState &s)
{
    if (widthByteLayout(s))
        return isValidFormat(s.charWidth, s.charHeight);
    return s.charWidth >= 1 && s.charWidth <= 32 && s.charHeight >= 2 && s.charHeight <= 33;
}
// True when each glyph has an advance of its own: a width byte or a width table.
inline bool hasWidths(const EditorState &s) { return widthByteLayout(s) || s.layout.widthTable >= 0; }

// Sets the state's layout, W and H to format; the spare byte and swap flags
// too for W = 16, no other flag. base is the glyph a width table starts at.
void setGlyphFormat(EditorState &state, const GlyphFormat &format, int64_t base);

} // namespace velmora
