#pragma once
#include <QIcon>

namespace velmora {

// The eleven 18 x 18 tool-bar pictures: new, open, merge, save, clear, copy,
// paste, read, write, undo, redo.
QIcon toolBarIcon(int index);

} // namespace velmora
