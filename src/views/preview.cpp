#include "views/preview.h"

#include <algorithm>

#include <QImage>

#include "model/char_width.h"
#include "model/format.h"
#include "views/canvas_pixels.h"
#include "views/editor.h"

namespace velmora {

void drawPreview(QImage &canvas, const EditorState &s)
{
    canvas.fill(toRgb(cellColour(s, 0)));
    pixels::frameRect(canvas, 0, 0, canvas.width() - 1, canvas.height() - 1, toRgb(cellColour(s, 1)));

    // Centred in the 24 x 24 square: column 0 at 12 - W/2, row 0 at 12 - H/2.
    const QRgb ink = toRgb(cellColour(s, 1));
    const QRgb paper = toRgb(cellColour(s, 0));
    const int width = std::min<int>(s.charWidth, GlyphMatrix::columns);
    const int height = std::min<int>(s.charHeight, GlyphMatrix::rows);
    if (widthByteLayout(s)) {
        const int left = 12 - s.charWidth / 2;
        const int top = 12 - s.charHeight / 2;
        for (int c = 0; c < width; ++c)
            for (int r = firstPixelRow(s); r < height; ++r)
                pixels::setPixel(canvas, left + c, top + r, s.glyph.isSet(c, r) ? ink : paper);
        return;
    }
    // Other layouts: the pixel rows alone, levels as greys; a glyph wider or
    // taller than 22 pixels is shown at half size, each pixel the darkest of its 2 x 2.
    const int scale = std::max(width, height - 1) > 22 ? 2 : 1;
    const int shownWidth = (width + scale - 1) / scale;
    const int shownHeight = (height - 1 + scale - 1) / scale;
    const int left = 12 - shownWidth / 2;
    const int top = 12 - shownHeight / 2;
    for (int x = 0; x < shownWidth; ++x)
        for (int y = 0; y < shownHeight; ++y) {
            uint8_t level = 0;
            for (int c = x * scale; c < std::min(width, (x + 1) * scale); ++c)
                for (int r = 1 + y * scale; r < std::min(height, 1 + (y + 1) * scale); ++r)
                    level = std::max(level, s.glyph.at(c, r));
            pixels::setPixel(canvas, left + x, top + y, toRgb(cellColour(s, level)));
        }
}

void drawPreview(Editor &e)
{
    drawPreview(e.ui.ImgReel->canvas(), e.state);
    e.ui.ImgReel->update();
}

} // namespace velmora
