#include "files/firmware_info.h"

#include <QLabel>

#include "files/firmware_marker.h"
#include "presets/info_label.h"
#include "presets/preset_buttons.h"
#include "views/canvas_widget.h"
#include "views/editor.h"
#include "views/refresh.h"

namespace velmora {

bool isFirmwareSize(int64_t length)
{
    constexpr int64_t megabyte = 0x100000;
    for (const int64_t size : {1, 4, 6, 8, 12})
        if (length == size * megabyte)
            return true;
    return false;
}

void identifyFirmware(Editor &e)
{
    EditorState &s = e.state;
    s.modelName.clear();
    const std::optional<FirmwareInfo> info = readFirmwareInfo(s.image);
    if (!info) {
        clearPresets(e);
        return;
    }
    s.modelName = info->modelName;
    s.firmwareNumber = info->firmwareNumber;
    e.ui.LbNfo->setText(QString::fromLatin1(identificationText(*info).c_str()));
    searchSettings(e);
    if (s.pluginMatch == 1) {
        setInfoColour(e, colours::matchedInfo);
        if (s.presetButtons.acts(0))
            applyPreset(e, s.presetTable.presets[0]);
    } else {
        clearPresets(e);
    }
    readAtOffset(e);
}

} // namespace velmora
