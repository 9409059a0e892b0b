#include "files/firmware_info.h"

#include <QLabel>

#include "app/editor.h"

namespace velmora {

void clearInfo(Editor &e)
{
    e.ui.LbNfo->setText(QString());
    e.ui.LbNfo->setPalette(QPalette());
    e.ui.LbNfo->setBackgroundRole(QPalette::Button);
}

} // namespace velmora
