#include "model/char_width.h"

namespace velmora {

uint8_t firstPixelRow(const EditorState &s)
{
    return s.flag(Flag::AcwCalculation) ? 1 : 0;
}

int calcCharWidth(const EditorState &s)
{
    int width = s.charWidth;
    for (int c = 0; c < s.charWidth && c < GlyphMatrix::columns; ++c)
        for (int r = 1; r < s.charHeight && r < GlyphMatrix::rows; ++r)
            if (s.glyph.isSet(c, r))
                width = c + 1;
    return width;
}

int applyComputedWidth(EditorState &s)
{
    const int width = calcCharWidth(s);
    if (s.flag(Flag::AcwCalculation))
        for (int c = 0; c < 8; ++c)
            s.glyph.at(c, 0) = (width >> (7 - c)) & 1;
    return width;
}

} // namespace velmora
