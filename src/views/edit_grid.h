#pragma once
#include <QPoint>
#include <Qt>

#include "model/colours.h"

class QImage;

namespace velmora {

struct Editor;
struct EditorState;

// Canvas-level drawing of the edit grid (290 x 290, 18-pixel cells; glyphs
// of more than 16 cells a side get smaller cells in the same square).
int gridPitch(const EditorState &state);
void drawGridFrame(QImage &canvas, const EditorState &state);
void drawGrid(QImage &canvas, const EditorState &state);
// Fills the inside of cell (column, row), pitch - 3 pixels square.
void fillCell(QImage &canvas, int pitch, int column, int row, Colour colour);

// Editor-level operations on the control Img.
void drawGridFrame(Editor &editor);
void drawGrid(Editor &editor);
// Applies the draw mode to the cell under (x, y), coordinates taken as unsigned 16-bit.
void paintCell(Editor &editor, int x, int y);

void ImgMouseDown(Editor &editor, Qt::MouseButton button, QPoint position);
void ImgMouseMove(Editor &editor, Qt::MouseButtons buttons, QPoint position);
void ImgMouseUp(Editor &editor);

} // namespace velmora
