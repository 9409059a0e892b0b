#pragma once
#include <optional>

#include "model/colours.h"

namespace velmora {

struct Editor;

// Empties the information label and gives it the button-face colour.
void clearInfo(Editor &editor);
// Gives the information label a colour, or the button-face colour for none.
void setInfoColour(Editor &editor, std::optional<Colour> colour);

} // namespace velmora
