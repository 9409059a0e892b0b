#pragma once
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace velmora {

// How the bits of one glyph lie in its bytes. WidthByte is the editor's own
// layout: a width byte, then rows of 8 or 16 pixels. The others hold pixel
// rows only (see layout/glyph_layout.h for where each pixel's bits are).
enum class Layout : uint8_t { WidthByte, Rows, Packed, Strips, Pages, Columns };

// A character format: the layout, the cell and the options that move or
// change the bits. For the width-byte layout H counts the width byte's row
// (2..16) and W is 8 or 16; for the others W and H are 1..32 pixels.
struct GlyphFormat {
    int width = 8;
    int height = 8;
    bool spare = false;   // width-byte layout: a spare byte after each 16-wide glyph
    bool swap = false;    // width-byte layout: the two bytes of a 16-wide row swapped
    Layout layout = Layout::WidthByte;
    bool reverse = false; // the bit order of every byte flipped
    int bpp = 1;          // bits a pixel: 1, 2 or 4 (rows and packed only)
    bool invert = false;  // ink stored as 0
    int stride = 0;       // bytes from one glyph to the next; 0: the glyph's size
    int64_t widthTable = -1; // offset of a table of one advance byte a glyph; -1: none

    bool widthByte() const { return layout == Layout::WidthByte; }
    // Bytes of one glyph.
    int size() const;
    // Bytes from one glyph to the next.
    int step() const;
    // The level of full ink: 1, 3 or 15.
    int maxLevel() const { return (1 << bpp) - 1; }
    // Pixel rows a glyph has: H - 1 for the width-byte layout, else H.
    int pixelRows() const { return widthByte() ? height - 1 : height; }
    // True when each glyph has an advance of its own (a width byte or a width table).
    bool hasWidths() const { return widthByte() || widthTable >= 0; }

    bool operator==(const GlyphFormat &) const = default;
};

// A format string that names no format; what() is one line naming the wrong part.
class FormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The canonical text: "WxH", the layout, then reverse, bppN, invert,
// stride=N, widths=HEX; the width-byte layout adds spare and swap.
std::string formatText(const GlyphFormat &format);
// Reads "WxH[,option...]". Throws FormatError.
GlyphFormat parseGlyphFormat(std::string_view text);
// The same without the message: nothing for a text that names no format.
std::optional<GlyphFormat> parseFormatText(std::string_view text);

} // namespace velmora
