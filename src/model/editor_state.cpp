#include "model/editor_state.h"

#include "model/char_width.h"

namespace velmora {

void resetEditorState(EditorState &s)
{
    s.inkColour = colours::black;
    s.paperColour = colours::silver;
    s.charWidth = 8;
    s.charHeight = 13;
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
    return static_cast<Colour>((value == 1 ? s.inkColour : s.paperColour) & 0xFFFFFFFF);
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
