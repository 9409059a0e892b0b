#include "views/width_fields.h"

#include <QLineEdit>

#include "model/char_width.h"
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
    showNumber(e.ui.RCW, s.image.at(s.glyphOffset));
    const int width = applyComputedWidth(s);
    if (s.flag(Flag::AcwCalculation)) {
        // The derived width row shows red for a set bit, grey for a clear one.
        QImage &canvas = e.ui.Img->canvas();
        for (int c = 0; c < 8; ++c)
            fillCell(canvas, 18 * c, 0, s.glyph.isSet(c, 0) ? colours::red : colours::grey);
        e.ui.Img->update(0, 0, 8 * 18, 18);
    }
    showNumber(e.ui.CCW, width);
}

} // namespace velmora
