#pragma once
#include <QPoint>
#include <Qt>

#include "model/colours.h"

class QImage;

namespace velmora {

struct Editor;
struct EditorState;

// Where the edit grid's cells lie: 18 pixels apart, fewer for glyphs of more
// than 16 cells a side (the same square); grid row = matrix row - shift, the
// shift 1 in layouts without widths, whose grid starts at the first pixel row.
struct GridGeometry {
    int pitch;
    int shift;
};
GridGeometry gridGeometry(const EditorState &state);

// Canvas-level drawing of the edit grid (290 x 290).
void drawGridFrame(QImage &canvas, const EditorState &state);
void drawGrid(QImage &canvas, const EditorState &state);
// Fills the inside of the cell of matrix cell (column, row), pitch - 3 pixels square.
void fillCell(QImage &canvas, GridGeometry geometry, int column, int row, Colour colour);

// Editor-level operations on the control Img.
void drawGridFrame(Editor &editor);
void drawGrid(Editor &editor);
// Applies the draw mode to the cell under (x, y), coordinates taken as unsigned 16-bit.
void paintCell(Editor &editor, int x, int y);

void ImgMouseDown(Editor &editor, Qt::MouseButton button, QPoint position);
void ImgMouseMove(Editor &editor, Qt::MouseButtons buttons, QPoint position);
void ImgMouseUp(Editor &editor);

} // namespace velmora
