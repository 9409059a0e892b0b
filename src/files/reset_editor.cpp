#include "files/reset_editor.h"

#include <QLabel>

#include "files/firmware_info.h"
#include "model/text_format.h"
#include "presets/format_controls.h"
#include "presets/info_label.h"
#include "presets/preset_buttons.h"
#include "views/canvas_widget.h"
#include "views/edit_grid.h"
#include "views/editor.h"
#include "views/hex_entry.h"
#include "views/memory_overview.h"
#include "views/refresh.h"
#include "views/width_fields.h"

namespace velmora {

void resetEditor(Editor &e)
{
    EditorState &s = e.state;
    resetEditorState(s); // colours, format, offsets, draw mode, image, block, flags, empty matrix, file name
    showFormat(e);
    e.ui.MaskEdit1->setText(QString::fromStdString(hex8(s.viewOffset)));
    showFlags(e);
    drawGridFrame(e);
    e.ui.MemImg->canvas().fill(toRgb(colours::silver));
    selectFirstChar(e);
    showCharWidth(e);
    clearPresets(e);
    e.ui.Label2->setText(QStringLiteral("VELMORA CE 3.6"));
    setCaption(e, s.fileName, s.imageLength());
    redrawAll(e);
    fillRowOffsets(e);
    clearInfo(e);
}

} // namespace velmora
