#include "navigation/block_range.h"

#include "model/format.h"
#include "model/text_format.h"
#include "views/editor.h"
#include "views/hex_entry.h"
#include "views/memory_overview.h"
#include "views/refresh.h"

namespace velmora {

namespace {

// Enter in a block field: an address inside the image replaces the end it
// edits; anything else is refused and the re-read shows the stored value again.
void enterBlockAddress(Editor &e, HexEntry *field, int32_t &blockEnd)
{
    const int64_t address = static_cast<uint32_t>(strToInt("$" + field->maskedText().toStdString()));
    if (address < e.state.imageLength())
        blockEnd = static_cast<int32_t>(address);
    selectFirstChar(e);
    readAtOffset(e);
}

} // namespace

void BLDefault(Editor &e)
{
    e.state.blockStart = 0;
    e.state.blockEnd = e.state.imageLength() - 1;
    redrawAll(e);
}

void BLStCopy(Editor &e)
{
    e.state.blockStart = e.state.glyphOffset;
    redrawAll(e);
}

void BLEndCopy(Editor &e)
{
    const EditorState &s = e.state;
    const int b = bytesPerRow(s);
    // The last byte of the character: of its last row in the width-byte layout.
    const int64_t last = widthByteLayout(s) ? b * s.charHeight - b : charSize(s) - 1;
    e.state.blockEnd = static_cast<int32_t>(int64_t{s.glyphOffset} + last);
    redrawAll(e);
}

void BStartKeyPress(Editor &e) { enterBlockAddress(e, e.ui.BStart, e.state.blockStart); }
void BEndKeyPress(Editor &e) { enterBlockAddress(e, e.ui.BEnd, e.state.blockEnd); }

} // namespace velmora
