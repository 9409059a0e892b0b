#include "presets/format_controls.h"

#include <QListWidget>
#include <QSignalBlocker>
#include <QSpinBox>

#include "app/editor.h"

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

// TODO(format controls): applyFormat, spChange, ckClick, PrCh.
void applyFormat(Editor &, int, int) {}
void spChange(Editor &) {}
void ckClick(Editor &) {}
void PrCh(Editor &, int) {}

} // namespace velmora
