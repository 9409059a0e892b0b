#include "model/format.h"

namespace velmora {

void setGlyphFormat(EditorState &s, const GlyphFormat &f, int64_t base)
{
    s.charWidth = static_cast<uint8_t>(f.width);
    if (f.widthByte()) {
        s.layout = {};
        s.charHeight = static_cast<uint8_t>(f.height);
        if (f.width == 16) {
            s.setFlag(Flag::SkipSpareByte, f.spare);
            s.setFlag(Flag::SwapBytes, f.swap);
        }
        return;
    }
    s.charHeight = static_cast<uint8_t>(f.height + 1);
    s.layout = {f.layout, f.reverse, static_cast<uint8_t>(f.bpp), f.invert, f.stride, f.widthTable, base};
}

} // namespace velmora
