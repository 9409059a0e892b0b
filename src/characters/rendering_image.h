#pragma once
#include <QImage>

#include "characters/text_rendering.h"

namespace velmora {

// The colour of each kind of pixel of a text rendering: black ink on white
// paper, red boxes for characters without a glyph, red tint past the screen.
QRgb renderingColour(PixelKind kind);

// A text rendering as a picture, each pixel zoom x zoom: what the text
// preview shows, and what the command line's render writes.
QImage renderingImage(const TextRendering &rendering, int zoom = 1);

} // namespace velmora
