#pragma once

namespace velmora {

struct Editor;

// Every preset button shows "-"; the information label gets the button-face colour.
void clearPresets(Editor &editor);
// Searches velmora.ini in the program directory.
void searchSettings(Editor &editor);

} // namespace velmora
