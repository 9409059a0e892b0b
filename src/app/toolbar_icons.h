#pragma once
#include <QIcon>

namespace velmora {

// The nine 18 x 18 tool-bar pictures: new, open, merge, save, clear, copy,
// paste, read, write.
QIcon toolBarIcon(int index);

} // namespace velmora
