#include "views/preview.h"

#include <algorithm>

#include <QImage>

#include "model/char_width.h"
#include "views/canvas_pixels.h"
#include "views/editor.h"

namespace velmora {

void drawPreview(QImage &canvas, const EditorState &s)
{
    canvas.fill(toRgb(cellColour(s, 0)));
    pixels::frameRect(canvas, 0, 0, canvas.width() - 1, canvas.height() - 1, toRgb(cellColour(s, 1)));

    // Centred in the 24 x 24 square: column 0 at 12 - W/2, row 0 at 12 - H/2.
    const int left = 12 - s.charWidth / 2;
    const int top = 12 - s.charHeight / 2;
    const QRgb ink = toRgb(cellColour(s, 1));
    const QRgb paper = toRgb(cellColour(s, 0));
    const int width = std::min<int>(s.charWidth, GlyphMatrix::columns);
    const int height = std::min<int>(s.charHeight, GlyphMatrix::rows);
    for (int c = 0; c < width; ++c)
        for (int r = firstPixelRow(s); r < height; ++r)
            pixels::setPixel(canvas, left + c, top + r, s.glyph.isSet(c, r) ? ink : paper);
}

void drawPreview(Editor &e)
{
    drawPreview(e.ui.ImgReel->canvas(), e.state);
    e.ui.ImgReel->update();
}

} // namespace velmora
