#include "views/memory_overview.h"

#include <QImage>

#include "app/editor.h"

namespace velmora {

// TODO(views): the memory overview.
void drawOverview(QImage &, QImage &, EditorState &, int) {}
void drawOverview(Editor &) {}
void drawOverviewLattice(QImage &, int) {}
void selectFirstChar(Editor &e) { e.state.glyphOffset = e.state.viewOffset; }
void Naviscope(Editor &, Qt::MouseButton, int, int) {}
void ZoomClick(Editor &) {}

} // namespace velmora
