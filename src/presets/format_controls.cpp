#include "presets/format_controls.h"

#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QSpinBox>

#include <algorithm>

#include "model/errors.h"
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
    for (int i = 0; i < flagCount; ++i) {
        QListWidgetItem *item = e.ui.CLB->item(i);
        item->setCheckState(e.state.flag(static_cast<Flag>(i)) ? Qt::Checked : Qt::Unchecked);
        // The width flags need widths (a width byte or table); the byte flags the width-byte layout.
        const auto flag = static_cast<Flag>(i);
        const bool applies = flag == Flag::SkipSpareByte || flag == Flag::SwapBytes ? widthByteLayout(e.state)
                                                                                    : hasWidths(e.state);
        item->setFlags(applies ? item->flags() | Qt::ItemIsEnabled : item->flags() & ~Qt::ItemIsEnabled);
    }
}

void showFormat(Editor &e)
{
    const EditorState &s = e.state;
    e.state.formatUpdate = 1;
    // The width-byte layout takes W 8 or 16 and H 2..16; the others 1..32 pixels each.
    if (widthByteLayout(s)) {
        e.ui.spWidth->setRange(8, 16);
        e.ui.spWidth->setSingleStep(8);
        e.ui.spHeight->setRange(2, 16);
        e.ui.spHeight->setValue(s.charHeight);
    } else {
        e.ui.spWidth->setRange(1, 32);
        e.ui.spWidth->setSingleStep(1);
        e.ui.spHeight->setRange(1, 32);
        e.ui.spHeight->setValue(s.charHeight - 1);
    }
    e.ui.spWidth->setValue(s.charWidth);
    e.state.formatUpdate = 0;
    showFormatText(e);
}

namespace {

// What follows every change of format: the controls, a cleared overview,
// the first character selected, the grid frame, a re-read.
void showNewFormat(Editor &e)
{
    showFormat(e);
    showFlags(e);
    e.ui.MemImg->canvas().fill(toRgb(colours::silver));
    selectFirstChar(e);
    drawGridFrame(e);
    readAtOffset(e);
}

// The current format with something changed, applied when it is a format.
template <typename Change> void changeFormat(Editor &e, Change change)
{
    GlyphFormat f = glyphFormatOf(e.state);
    change(f);
    try {
        applyGlyphFormat(e, parseGlyphFormat(formatText(f)));
    } catch (const FormatError &error) {
        showFormat(e);
        throw EditorError(error.what());
    }
}

} // namespace

void applyFormat(Editor &e, int width, int height)
{
    EditorState &s = e.state;
    // The described sizes are formats of the width-byte layout: a pair
    // outside them leaves the format as it was.
    if (isValidFormat(width, height)) {
        s.layout = {};
        s.charWidth = static_cast<uint8_t>(width);
        s.charHeight = static_cast<uint8_t>(height);
    }
    showNewFormat(e);
}

void applyGlyphFormat(Editor &e, const GlyphFormat &format)
{
    setGlyphFormat(e.state, format, e.state.viewOffset);
    showNewFormat(e);
}

void FormatTextEnter(Editor &e)
{
    QLineEdit *field = e.ui.FormatText;
    GlyphFormat format;
    try {
        format = parseGlyphFormat(field->text().trimmed().toStdString());
    } catch (const FormatError &error) {
        throw EditorError(error.what());
    }
    field->setModified(false);
    applyGlyphFormat(e, format);
}

void chooseLayout(Editor &e, Layout layout)
{
    changeFormat(e, [&](GlyphFormat &f) {
        if (f.layout == layout)
            return;
        if (layout == Layout::WidthByte) {
            // The nearest format of the width-byte layout: W 8 or 16, H with the width row.
            f = GlyphFormat{f.width > 8 ? 16 : 8, std::clamp(f.height + 1, 2, 16)};
            return;
        }
        if (f.widthByte())
            f = GlyphFormat{f.width, f.height - 1};
        f.layout = layout;
        if (layout != Layout::Rows && layout != Layout::Packed)
            f.bpp = 1;
        f.stride = 0;
    });
}

void toggleLayoutOption(Editor &e, const char *option)
{
    changeFormat(e, [&](GlyphFormat &f) {
        const std::string name(option);
        if (name == "reverse")
            f.reverse = !f.reverse;
        else if (name == "invert")
            f.invert = !f.invert;
    });
}

void chooseBitsPerPixel(Editor &e, int bpp)
{
    changeFormat(e, [&](GlyphFormat &f) { f.bpp = bpp; });
}

void spChange(Editor &e)
{
    if (e.state.formatUpdate == 1)
        return;
    if (widthByteLayout(e.state)) {
        applyFormat(e, e.ui.spWidth->value(), e.ui.spHeight->value());
        return;
    }
    changeFormat(e, [&](GlyphFormat &f) {
        f.width = e.ui.spWidth->value();
        f.height = e.ui.spHeight->value();
        f.stride = f.stride > 0 && f.stride < f.size() ? 0 : f.stride;
    });
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
