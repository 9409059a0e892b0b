#include "presets/info_label.h"

#include <QLabel>

#include "views/canvas_widget.h"
#include "views/editor.h"

namespace velmora {

void clearInfo(Editor &e)
{
    e.ui.LbNfo->setText(QString());
    setInfoColour(e, std::nullopt);
}

void setInfoColour(Editor &e, std::optional<Colour> colour)
{
    QPalette palette;
    if (colour)
        palette.setColor(QPalette::Window, QColor(toRgb(*colour)));
    else
        palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    e.ui.LbNfo->setPalette(palette);
}

} // namespace velmora
