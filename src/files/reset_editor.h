#pragma once

namespace velmora {

struct Editor;

// Puts the editor state to its defaults and redraws the window.
void resetEditor(Editor &editor);

} // namespace velmora
