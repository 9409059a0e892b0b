#pragma once
#include <cstdint>

namespace velmora {

struct Editor;

// The image lengths of the firmware dumps the identification knows: 1, 4, 6, 8 and 12 MB.
bool isFirmwareSize(int64_t length);

// Reads the model name and firmware number of a firmware image, shows them,
// fills the preset buttons from the settings entry that matches and applies
// its first preset. Open calls it for an image of a firmware size.
void identifyFirmware(Editor &editor);

} // namespace velmora
