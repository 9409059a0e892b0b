#include "characters/rendering_image.h"

#include <algorithm>

namespace velmora {

QRgb renderingColour(PixelKind kind)
{
    switch (kind) {
    case PixelKind::Paper: return qRgb(255, 255, 255);
    case PixelKind::Ink: return qRgb(0, 0, 0);
    case PixelKind::Missing: return qRgb(255, 0, 0);
    case PixelKind::TintedPaper: return qRgb(255, 200, 200);
    case PixelKind::TintedInk: return qRgb(176, 0, 0);
    }
    return qRgb(255, 255, 255);
}

QImage renderingImage(const TextRendering &rendering, int zoom)
{
    QImage image(std::max(1, rendering.width * zoom), std::max(1, rendering.height * zoom), QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < rendering.height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y * zoom));
        for (int x = 0; x < rendering.width; ++x)
            std::fill_n(line + x * zoom, zoom, renderingColour(rendering.at(x, y)));
        for (int dy = 1; dy < zoom; ++dy)
            std::copy_n(line, image.width(), reinterpret_cast<QRgb *>(image.scanLine(y * zoom + dy)));
    }
    return image;
}

} // namespace velmora
