#pragma once
#include <cstdint>
#include <optional>

#include "model/colours.h"

namespace velmora {

struct Editor;


// Empties the information label and gives it the button-face colour.
void clearInfo(Editor &editor);
// Gives the information label a colour, or the button-face colour for none.
void setInfoColour(Editor &editor, std::optional<Colour> colour);

// The image lengths of the firmware dumps the identification knows: 1, 4, 6, 8 and 12 MB.
bool isFirmwareSize(int64_t length);

// Reads the model name and firmware number of a firmware image, shows them,
// fills the preset buttons from the settings entry that matches and applies
// its first preset. Open calls it for an image of a firmware size.
void identifyFirmware(Editor &editor);

} // namespace velmora
