#pragma once
#include <QPoint>
#include <Qt>

#include "model/colours.h"

class QImage;

namespace velmora {

struct Editor;
struct EditorState;

// Canvas-level drawing of the edit grid (290 x 290, 18-pixel cells).
void drawGridFrame(QImage &canvas, const EditorState &state);
void drawGrid(QImage &canvas, const EditorState &state);
// Fills the 15 x 15 inside of the cell containing pixel (x, y).
void fillCell(QImage &canvas, int x, int y, Colour colour);

// Editor-level operations on the control Img.
void drawGridFrame(Editor &editor);
void drawGrid(Editor &editor);
// Applies the draw mode to the cell under (x, y), coordinates taken as unsigned 16-bit.
void paintCell(Editor &editor, int x, int y);

void ImgMouseDown(Editor &editor, Qt::MouseButton button, QPoint position);
void ImgMouseMove(Editor &editor, Qt::MouseButtons buttons, QPoint position);
void ImgMouseUp(Editor &editor);

} // namespace velmora
