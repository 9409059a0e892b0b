#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace velmora::test {

// A bitmap font as a firmware would hold it: every glyph a cell of rows
// pixel rows, column 0 in bit 15, and its advance as width.
struct BitmapFont {
    std::string name;
    int cellWidth = 0; // columns the glyphs use, at most 16
    int rows = 0;      // pixel rows, at most 15
    std::vector<std::array<uint16_t, 15>> glyphs;
    std::vector<int> widths;
};

// The fonts of installed Debian packages the test images are made of:
// TrueType fonts drawn without anti-aliasing at 8 to 15 pixels with the
// editor's own renderer, console fonts (PSF) and X11 bitmap fonts (PCF).
// Loaded once; throws std::runtime_error naming a missing file. TrueType
// fonts need a QGuiApplication.
const std::vector<BitmapFont> &realFonts();

// The contents of a file, gunzipped when its name ends in ".gz"; throws
// std::runtime_error when it cannot be read.
std::vector<uint8_t> readPackageFile(const std::string &path);

} // namespace velmora::test
