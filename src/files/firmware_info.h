#pragma once
#include <cstdint>

namespace velmora {

struct Editor;

// Empties the information label and gives it the button-face colour.
void clearInfo(Editor &editor);

// The image lengths of the firmware dumps the identification knows: 1, 4, 6, 8 and 12 MB.
bool isFirmwareSize(int64_t length);

// Reads the model name and firmware number of a firmware image and fills the
// preset buttons from the settings entry that matches. Open calls it for an
// image of a firmware size; until the identification exists it does nothing.
void identifyFirmware(Editor &editor);

} // namespace velmora
