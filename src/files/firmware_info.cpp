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

bool isFirmwareSize(int64_t length)
{
    constexpr int64_t megabyte = 0x100000;
    for (const int64_t size : {1, 4, 6, 8, 12})
        if (length == size * megabyte)
            return true;
    return false;
}

void identifyFirmware(Editor &) {}

} // namespace velmora
