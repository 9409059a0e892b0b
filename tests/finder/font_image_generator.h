#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "finder/font_scan.h"

namespace velmora::test {

struct PlantedFont {
    int64_t start = 0;
    FontFormat format;
    int64_t count = 0;
    std::string source; // the real font it was made of, if any
};

struct GeneratedImage {
    std::vector<uint8_t> bytes;
    std::vector<PlantedFont> fonts; // in the order they lie in the image
};

// What fills an image around its fonts.
enum class Background { Mixed, Noise, Zeros, Ones, Repeated };

// An image of size bytes: a background of random noise, zero runs and 0xFF
// runs (Mixed), with fontCount fonts planted apart from each other. Each font
// has 64 to 256 glyphs in a random format: strokes of random shapes, the
// width byte the column right of the rightmost set pixel, mostly with one
// blank glyph. The same seed gives the same image.
GeneratedImage generateFontImage(uint64_t seed, int64_t size, int fontCount);

// An image of size bytes of one background only (Repeated: the byte value).
std::vector<uint8_t> backgroundImage(uint64_t seed, int64_t size, Background kind, uint8_t value = 0);

} // namespace velmora::test
