#include "views/edit_grid.h"

#include <QImage>

#include "app/editor.h"

namespace velmora {

// TODO(views): the edit grid.
void drawGridFrame(QImage &, const EditorState &) {}
void drawGrid(QImage &, const EditorState &) {}
void fillCell(QImage &, int, int, Colour) {}
void drawGridFrame(Editor &) {}
void drawGrid(Editor &) {}
void paintCell(Editor &, int, int) {}
void ImgMouseDown(Editor &, Qt::MouseButton, QPoint) {}
void ImgMouseMove(Editor &, Qt::MouseButtons, QPoint) {}
void ImgMouseUp(Editor &) {}

} // namespace velmora
