#include "presets/format_controls.h"

#include <QListWidget>
#include <QSignalBlocker>
#include <QSpinBox>

#include <algorithm>

#include "model/format.h"
#include "views/canvas_widget.h"
#include "views/edit_grid.h"
#include "views/editor.h"
#include "views/memory_overview.h"
#include "views/refresh.h"

namespace velmora {

void showFlags(Editor &e)
{
    const QSignalBlocker blocker(e.ui.CLB);
    for (int i = 0; i < flagCount; ++i)
        e.ui.CLB->item(i)->setCheckState(e.state.flag(static_cast<Flag>(i)) ? Qt::Checked : Qt::Unchecked);
}

void showFormat(Editor &e)
{
    e.state.formatUpdate = 1;
    e.ui.spHeight->setValue(e.state.charHeight);
    e.ui.spWidth->setValue(e.state.charWidth);
    e.state.formatUpdate = 0;
}

void applyFormat(Editor &e, int width, int height)
{
    EditorState &s = e.state;
    // The glyph matrix has 16 columns and 17 rows: a pair outside the
    // formats the codec knows leaves the format as it was.
    if (isValidFormat(width, height)) {
        s.charWidth = static_cast<uint8_t>(width);
        s.charHeight = static_cast<uint8_t>(height);
    }
    showFormat(e);
    e.ui.MemImg->canvas().fill(toRgb(colours::silver));
    selectFirstChar(e);
    drawGridFrame(e);
    readAtOffset(e);
}

void spChange(Editor &e)
{
    if (e.state.formatUpdate == 1)
        return;
    applyFormat(e, e.ui.spWidth->value(), e.ui.spHeight->value());
}

void ckClick(Editor &e)
{
    EditorState &s = e.state;
    const int64_t page = 32 * charSize(s);
    if (int64_t{s.viewOffset} + page >= s.imageLength()) {
        int64_t v = s.imageLength() - page - 32 * spareByte(s);
        s.viewOffset = static_cast<int32_t>(std::max<int64_t>(v, 0));
        selectFirstChar(e);
    }
    drawGridFrame(e);
    readAtOffset(e);
}

void PrCh1(Editor &e) { applyFormat(e, 8, 9); }
void PrCh2(Editor &e) { applyFormat(e, 8, 11); }
void PrCh3(Editor &e) { applyFormat(e, 8, 13); }
void PrCh4(Editor &e) { applyFormat(e, 16, 10); }
void PrCh5(Editor &e) { applyFormat(e, 16, 12); }
void PrCh6(Editor &e) { applyFormat(e, 16, 16); }

} // namespace velmora
