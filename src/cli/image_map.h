#pragma once
#include <optional>

#include <QString>

#include "characters/char_map.h"

namespace velmora::cli {

// The map the window keeps for the font of format starting at start, read
// from the image's IMAGE.chars; nothing when the file or such a font is not
// there. A file that cannot be read is named on standard error and left out.
std::optional<FontMap> imageFontMap(const QString &imagePath, int64_t start, const GlyphFormat &format);

} // namespace velmora::cli
