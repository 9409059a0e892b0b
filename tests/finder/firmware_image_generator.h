#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "font_image_generator.h"

namespace velmora::test {

// An image put together as a firmware is: slices of real ARM and x86-64
// libraries, text, deflate streams and 0x00 / 0xFF fill, with fontCount real
// fonts (realFonts()) of 95 to 191 characters planted apart from each other,
// each in a format that holds it (8 or 16 pixels wide, one or two blank rows
// below it at most, each flag combination of W = 16). The same seed gives
// the same image. Throws std::runtime_error when an input file is missing.
GeneratedImage generateFirmwareImage(uint64_t seed, int64_t size, int fontCount);

// The surroundings alone: no font.
std::vector<uint8_t> firmwareBackground(uint64_t seed, int64_t size);

} // namespace velmora::test
