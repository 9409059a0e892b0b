#include "editing/glyph_commands.h"

#include <QAction>
#include <QCheckBox>

#include "model/glyph_codec.h"
#include "model/glyph_ops.h"
#include "presets/format_controls.h"
#include "views/editor.h"
#include "views/memory_overview.h"
#include "views/refresh.h"

namespace velmora {

void MR(Editor &e, int direction)
{
    e.state.rollDirection = static_cast<uint8_t>(direction);
    rollGlyph(e.state, e.ui.ckCmap->isChecked(), e.autoWrite());
    redrawAll(e);
}

void btClearClick(Editor &e)
{
    clearMatrix(e.state);
    if (e.autoWrite())
        encodeChar(e.state);
    redrawAll(e);
}

void ClikCopy(Editor &e)
{
    // Once something has been copied there is always a glyph to paste.
    e.ui.Paste1->setEnabled(true);
    e.ui.tbPaste->setEnabled(true);
    e.state.clipboard = e.state.glyph;
}

void btPasteClick(Editor &e)
{
    e.state.glyph = e.state.clipboard;
    if (e.autoWrite())
        encodeChar(e.state);
    redrawAll(e);
}

void btReadClick(Editor &e)
{
    readAtOffset(e);
}

void btWriteClick(Editor &e)
{
    encodeChar(e.state);
    redrawAll(e);
}

void TrueCharMap1Click(Editor &e)
{
    trueCharMap(e.state);
    showFlags(e); // the pass changed two flags for its duration
    selectFirstChar(e);
    readAtOffset(e);
}

} // namespace velmora
