#pragma once

namespace velmora {

struct Editor;

// Empties the information label and gives it the button-face colour.
void clearInfo(Editor &editor);

} // namespace velmora
