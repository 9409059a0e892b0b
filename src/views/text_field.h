#pragma once
#include <QVariant>
#include <QWidget>

namespace velmora {

// The property that makes a field of a window outside the main one a text
// field for the window's shortcuts: plain letters and navigation keys type
// there instead of running the window's one-key commands.
inline constexpr char textFieldProperty[] = "velmoraTextField";

inline void markAsTextField(QWidget *field) { field->setProperty(textFieldProperty, true); }

} // namespace velmora
