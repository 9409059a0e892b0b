#pragma once
#include <string>

class QWidget;

namespace velmora {

inline constexpr const char *applicationTitle = "Velmora CE";

// The modal error box: critical icon, OK, titled with the application title;
// a full stop is added as withFullStop() says.
void showErrorBox(QWidget *parent, const std::string &message);

} // namespace velmora
