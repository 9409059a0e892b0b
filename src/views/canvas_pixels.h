#pragma once
#include <algorithm>

#include <QImage>

#include "views/canvas_widget.h"

namespace velmora::pixels {

// Direct scan-line drawing on 32-bit canvases. The views repaint cells on
// every mouse movement, so they write pixels without a QPainter; everything
// is clipped to the canvas.

// The rows of a 32-bit image, detached once rather than on every scanLine().
class Rows {
public:
    explicit Rows(QImage &image) : bits_(image.bits()), stride_(image.bytesPerLine())
    {
        Q_ASSERT(image.depth() == 32);
    }
    QRgb *operator[](int y) const { return reinterpret_cast<QRgb *>(bits_ + y * stride_); }

private:
    uchar *bits_;
    qsizetype stride_;
};

// Fills x0..x1 by y0..y1, both ends included.
inline void fillRect(QImage &canvas, int x0, int y0, int x1, int y1, QRgb rgb)
{
    Q_ASSERT(canvas.depth() == 32);
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, canvas.width() - 1);
    y1 = std::min(y1, canvas.height() - 1);
    if (x0 > x1 || y0 > y1)
        return;
    const Rows rows(canvas);
    for (int y = y0; y <= y1; ++y)
        std::fill(rows[y] + x0, rows[y] + x1 + 1, rgb);
}

inline void horizontalLine(QImage &canvas, int x0, int x1, int y, QRgb rgb) { fillRect(canvas, x0, y, x1, y, rgb); }
inline void verticalLine(QImage &canvas, int x, int y0, int y1, QRgb rgb) { fillRect(canvas, x, y0, x, y1, rgb); }
inline void setPixel(QImage &canvas, int x, int y, QRgb rgb) { fillRect(canvas, x, y, x, y, rgb); }

// The one-pixel outline of the rectangle from (x0, y0) to (x1, y1), both corners included.
inline void frameRect(QImage &canvas, int x0, int y0, int x1, int y1, QRgb rgb)
{
    horizontalLine(canvas, x0, x1, y0, rgb);
    horizontalLine(canvas, x0, x1, y1, rgb);
    verticalLine(canvas, x0, y0, y1, rgb);
    verticalLine(canvas, x1, y0, y1, rgb);
}

} // namespace velmora::pixels
