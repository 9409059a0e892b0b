#include "views/width_fields.h"

#include <QLineEdit>

#include "model/char_width.h"
#include "model/format.h"
#include "model/glyph_codec.h"
#include "views/canvas_widget.h"
#include "views/edit_grid.h"
#include "views/editor.h"
#include "views/hex_entry.h"

namespace velmora {

namespace {

void showNumber(QLineEdit *field, int value) { showText(field, QString::number(value)); }

} // namespace

void showCharWidth(Editor &e)
{
    EditorState &s = e.state;
    // The stored width: the width byte, the width table's byte, or W in a layout without widths.
    const auto entry = widthTableEntry(s, s.glyphOffset);
    showNumber(e.ui.RCW, widthByteLayout(s) ? s.image.at(s.glyphOffset) : entry ? s.image.at(*entry) : s.charWidth);
    const int width = applyComputedWidth(s);
    if (s.flag(Flag::AcwCalculation) && hasWidths(s)) {
        // The derived width row shows red for a set bit, grey for a clear one.
        QImage &canvas = e.ui.Img->canvas();
        const GridGeometry g = gridGeometry(s);
        for (int c = 0; c < 8; ++c)
            fillCell(canvas, g, c, 0, s.glyph.isSet(c, 0) ? colours::red : colours::grey);
        e.ui.Img->update(0, 0, 8 * g.pitch, g.pitch);
    }
    showNumber(e.ui.CCW, width);
}

} // namespace velmora
