#include "views/edit_grid.h"

#include <QImage>
#include <QRect>

#include "model/char_width.h"
#include "model/format.h"
#include "model/glyph_codec.h"
#include "views/canvas_pixels.h"
#include "views/editor.h"
#include "views/memory_overview.h"
#include "views/preview.h"
#include "views/refresh.h"
#include "views/width_fields.h"

namespace velmora {

namespace {

constexpr int widePitch = 18;
// The lattice spans 16 cells of 18 pixels in every format.
constexpr int latticeSpan = 16 * widePitch;
// The lattice's mid grey: darker than the silver paper, so the cells stand out.
constexpr Colour latticeColour = 0x808080;

struct Cell {
    int column;
    int row;
};

// Coordinates count as unsigned 16-bit, so a position left of or above the
// grid lands on a cell far outside it instead of on cell 0.
Cell cellAt(GridGeometry g, int x, int y)
{
    return {static_cast<uint16_t>(x) / g.pitch, static_cast<uint16_t>(y) / g.pitch + g.shift};
}

// The inside of a cell (15 x 15 at the 18-pixel pitch); the pixel column
// left of it and the pixel row above it keep the background.
QRect cellInside(GridGeometry g, Cell cell)
{
    return QRect(g.pitch * cell.column + 2, g.pitch * (cell.row - g.shift) + 3, g.pitch - 3, g.pitch - 3);
}

void drawLattice(QImage &canvas, int pitch)
{
    const QRgb rgb = toRgb(latticeColour);
    const int cells = latticeSpan / pitch;
    const int end = pitch * cells - 1;
    for (int i = 0; i <= cells; ++i) {
        pixels::horizontalLine(canvas, 0, end, pitch * i, rgb);
        pixels::verticalLine(canvas, pitch * i, 0, end, rgb);
    }
}

// Two-pixel black outline of the W x H cells in use (height grid rows); the
// width row, when shown, is outlined for its eight cells only.
void drawOutline(QImage &canvas, int pitch, int width, int height, bool widthRow)
{
    const QRgb black = toRgb(colours::black);
    for (int i = 0; i <= height; ++i) {
        const int right = i == 0 && widthRow ? 8 * pitch - 1 : pitch * width - 1;
        pixels::fillRect(canvas, 0, pitch * i, right, pitch * i + 1, black);
    }
    for (int i = 0; i <= width; ++i) {
        const int top = i > 8 && widthRow ? pitch : 0;
        pixels::fillRect(canvas, pitch * i - 1, top, pitch * i, pitch * height - 1, black);
    }
}

uint8_t drawModeFromButton(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton: return DrawSet;
    case Qt::RightButton: return DrawClear;
    case Qt::MiddleButton: return DrawToggle;
    default: return DrawIdle;
    }
}

// Later tests override earlier ones: with left and right held a drag clears.
uint8_t drawModeFromButtons(Qt::MouseButtons buttons)
{
    uint8_t mode = DrawIdle;
    if (buttons & Qt::LeftButton)
        mode = DrawSet;
    if (buttons & Qt::MiddleButton)
        mode = DrawToggle;
    if (buttons & Qt::RightButton)
        mode = DrawClear;
    return mode;
}

// The level the left button draws: 1 in the width row and in 1-bit fonts,
// full ink in grey fonts.
uint8_t inkLevel(const EditorState &s, int row)
{
    if (row == 0 || widthByteLayout(s))
        return 1;
    return static_cast<uint8_t>((1 << s.layout.bpp) - 1);
}

// Whether the pointer may change cell (c, r) in the current format.
bool isDrawable(const EditorState &s, Cell cell)
{
    return cell.row >= firstPixelRow(s) && cell.row < s.charHeight && cell.row < GlyphMatrix::rows
           && cell.column < s.charWidth && cell.column < GlyphMatrix::columns
           && !(cell.row == 0 && cell.column >= 8);
}

} // namespace

GridGeometry gridGeometry(const EditorState &s)
{
    if (widthByteLayout(s))
        return {widePitch, 0};
    // Without widths the grid starts at the first pixel row.
    const int shift = hasWidths(s) ? 0 : 1;
    const int cells = std::max<int>(s.charWidth, s.charHeight - shift);
    return {cells <= 16 ? widePitch : std::max(4, latticeSpan / cells), shift};
}

void drawGridFrame(QImage &canvas, const EditorState &s)
{
    const GridGeometry g = gridGeometry(s);
    canvas.fill(toRgb(cellColour(s, 0)));
    drawLattice(canvas, g.pitch);
    drawOutline(canvas, g.pitch, s.charWidth, s.charHeight - g.shift, g.shift == 0);
}

void drawGrid(QImage &canvas, const EditorState &s)
{
    const GridGeometry g = gridGeometry(s);
    if (hasWidths(s))
        for (int c = 0; c < 8; ++c)
            fillCell(canvas, g, c, 0, cellColour(s, s.glyph.at(c, 0)));
    const int width = std::min<int>(s.charWidth, GlyphMatrix::columns);
    const int height = std::min<int>(s.charHeight, GlyphMatrix::rows);
    for (int c = 0; c < width; ++c)
        for (int r = 1; r < height; ++r)
            fillCell(canvas, g, c, r, cellColour(s, s.glyph.at(c, r)));
}

void fillCell(QImage &canvas, GridGeometry g, int column, int row, Colour colour)
{
    const QRect inside = cellInside(g, {column, row});
    pixels::fillRect(canvas, inside.left(), inside.top(), inside.right(), inside.bottom(), toRgb(colour));
}

void drawGridFrame(Editor &e)
{
    drawGridFrame(e.ui.Img->canvas(), e.state);
    e.ui.Img->update();
}

void drawGrid(Editor &e)
{
    drawGrid(e.ui.Img->canvas(), e.state);
    e.ui.Img->update();
}

void paintCell(Editor &e, int x, int y)
{
    EditorState &s = e.state;
    const GridGeometry g = gridGeometry(s);
    const Cell cell = cellAt(g, x, y);
    if (s.drawMode == DrawIdle || !isDrawable(s, cell))
        return;
    if (s.drawMode == DrawToggle)
        s.drawMode = s.glyph.at(cell.column, cell.row) == inkLevel(s, cell.row) ? DrawClear : DrawSet;
    const uint8_t level = s.drawMode == DrawSet ? inkLevel(s, cell.row) : 0;
    s.glyph.at(cell.column, cell.row) = level;
    fillCell(e.ui.Img->canvas(), g, cell.column, cell.row, cellColour(s, level));
    drawPreview(e);
    showCharWidth(e);
    if (e.autoWrite()) {
        encodeChar(s);
        redrawAll(e);
    } else {
        // Only this cell changed on the grid; the width row schedules its own update.
        e.ui.Img->update(cellInside(g, cell));
        notifyRefreshObservers(e);
    }
}

void ImgMouseDown(Editor &e, Qt::MouseButton button, QPoint position)
{
    e.state.drawMode = drawModeFromButton(button);
    paintCell(e, position.x(), position.y());
}

void ImgMouseMove(Editor &e, Qt::MouseButtons buttons, QPoint position)
{
    EditorState &s = e.state;
    s.drawMode = DrawIdle;
    const Cell cell = cellAt(gridGeometry(s), position.x(), position.y());
    // The last mouse cell is held as two bytes.
    const auto column = static_cast<uint8_t>(cell.column);
    const auto row = static_cast<uint8_t>(cell.row);
    if (column == s.lastMouseColumn && row == s.lastMouseRow) {
        // Staying inside one cell lets the overview catch up with a drag.
        if (e.autoWrite()) {
            encodeChar(s);
            drawOverview(e);
            e.ui.ImgReel->repaint();
            e.ui.Img->repaint();
            e.ui.MemImg->repaint();
        }
        return;
    }
    s.drawMode = drawModeFromButtons(buttons);
    paintCell(e, position.x(), position.y());
    s.lastMouseColumn = column;
    s.lastMouseRow = row;
}

void ImgMouseUp(Editor &e)
{
    e.state.drawMode = DrawIdle;
}

} // namespace velmora
