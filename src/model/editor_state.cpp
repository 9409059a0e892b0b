#include "model/editor_state.h"

#include "model/char_width.h"

#include <algorithm>

namespace velmora {

void resetEditorState(EditorState &s)
{
    s.inkColour = colours::black;
    s.paperColour = colours::silver;
    s.charWidth = 8;
    s.charHeight = 13;
    s.layout = {};
    s.foundFonts.clear();
    s.viewOffset = 0;
    s.glyphOffset = s.viewOffset;
    s.drawMode = DrawToggle;
    s.formatUpdate = 0;
    s.image.replace(std::vector<uint8_t>(blankImageLength, 0));
    s.rollDirection = 0;
    s.blockStart = s.viewOffset;
    s.blockEnd = s.viewOffset + s.imageLength() - 1;
    s.flags = {false, false, true, true, false};
    s.glyph.clear();
    applyComputedWidth(s);
    s.fileName = "blank.bin";
    s.reference = {};
    s.lastFile = {};
}

Colour cellColour(const EditorState &s, uint8_t value)
{
    const auto ink = static_cast<Colour>(s.inkColour & 0xFFFFFFFF);
    const auto paper = static_cast<Colour>(s.paperColour & 0xFFFFFFFF);
    if (s.layout.kind == Layout::WidthByte || s.layout.bpp == 1)
        return value == 1 ? ink : paper;
    return blendLevel(paper, ink, value, (1 << s.layout.bpp) - 1);
}

Colour blendLevel(Colour paper, Colour ink, int level, int maxLevel)
{
    level = std::min(level, maxLevel);
    Colour blended = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int from = static_cast<int>((paper >> shift) & 0xFF);
        const int to = static_cast<int>((ink >> shift) & 0xFF);
        const int channel = from + ((to - from) * level * 2 + maxLevel) / (2 * maxLevel);
        blended |= static_cast<Colour>(channel) << shift;
    }
    return blended;
}

Colour thumbColour(const EditorState &s, uint8_t value)
{
    if (value == 1)
        return colours::black;
    switch (s.overviewColourMode) {
    case 1: return colours::silver;
    case 2: return colours::lightCyan;
    default: return colours::lightLavender;
    }
}

} // namespace velmora
