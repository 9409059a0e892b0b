#pragma once
#include <cstdint>
#include <span>
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

// The same surroundings with fontCount real fonts of 95 to 191 characters in
// the 1-bit layouts without widths: rows, packed, strips, pages or columns,
// plain or reverse, in their own cells of 4 to 32 x 6 to 32 pixels (the
// fonts of realFonts() and TrueType fonts drawn at 16 to 30 pixels). Each
// layout comes in turn, so that every image holds several.
GeneratedImage generateLayoutFirmwareImage(uint64_t seed, int64_t size, int fontCount);

// Plants count glyphs (from the space on) of the font of the layout images
// named fontName in layout at start, in the font's own cell; throws
// std::runtime_error for an unknown name.
PlantedFont plantCellFont(std::vector<uint8_t> &bytes, int64_t start, const std::string &fontName, Layout layout, bool reverse,
                          int64_t count);

// True when candidate c shows the planted font: in the same glyph step, the
// same glyphs in the same places, ink for ink (blank columns and rows
// beyond every glyph's ink may differ, as may blank glyphs at the ends).
bool showsFont(std::span<const uint8_t> image, const FontCandidate &c, const PlantedFont &font);
// Why a row on a planted font does not show it, for the evaluation's report.
std::string misreadOf(std::span<const uint8_t> image, const FontCandidate &c, const PlantedFont &font);

// The surroundings alone: no font.
std::vector<uint8_t> firmwareBackground(uint64_t seed, int64_t size);

} // namespace velmora::test
