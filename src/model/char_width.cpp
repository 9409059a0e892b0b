#include "model/char_width.h"

#include "model/format.h"

namespace velmora {

uint8_t firstPixelRow(const EditorState &s)
{
    // Row 0 of a layout without widths is no pixel row and holds nothing.
    return s.flag(Flag::AcwCalculation) || !hasWidths(s) ? 1 : 0;
}

int calcCharWidth(const EditorState &s)
{
    int width = s.charWidth;
    for (int c = 0; c < s.charWidth && c < GlyphMatrix::columns; ++c)
        for (int r = 1; r < s.charHeight && r < GlyphMatrix::rows; ++r)
            if (widthByteLayout(s) ? s.glyph.isSet(c, r) : s.glyph.at(c, r) != 0)
                width = c + 1;
    return width;
}

int applyComputedWidth(EditorState &s)
{
    const int width = calcCharWidth(s);
    if (s.flag(Flag::AcwCalculation) && hasWidths(s))
        for (int c = 0; c < 8; ++c)
            s.glyph.at(c, 0) = (width >> (7 - c)) & 1;
    return width;
}

} // namespace velmora
