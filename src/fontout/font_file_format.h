#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "characters/char_table.h"
#include "layout/glyph_format.h"

namespace velmora::fontout {

// A range that cannot be written as a font file; the text says why.
class FontOutError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The glyphs a font file is made of: count glyphs of format, the first at
// start, the next ones a step apart, in image. Glyph k has code firstCode + k;
// with a table the code stands for the table's text, without one it is a
// Unicode code point.
struct FontRange {
    std::span<const uint8_t> image;
    int64_t start = 0;
    int64_t count = 0;
    GlyphFormat format;
    uint32_t firstCode = 0x20;
    // When not empty, glyph k's code in place of firstCode + k: a map with
    // glyphs labelled one by one. None for a glyph without a character.
    std::vector<std::optional<uint32_t>> codes;
    const CharTable *table = nullptr;
    // True when a character map says which character each glyph is (the user
    // set one); only then does a PSF2 file get a Unicode table.
    bool mapped = false;
    // The font's name: the BDF family, the C array.
    std::string name = "font";
};

// One font file format. Each lives in a file of its own and is listed once in
// the table of fontFileFormats(); the window and the command line both choose
// one by the file name's extension.
class FontFileFormat {
public:
    virtual ~FontFileFormat() = default;
    // The short name used in menus and messages: "BDF", "PSF2", "C source".
    virtual std::string_view name() const = 0;
    // The file name extension, lower case, without the dot: "bdf".
    virtual std::string_view extension() const = 0;
    // The file dialog filter: "BDF fonts (*.bdf)".
    virtual std::string_view nameFilter() const = 0;
    // The file's bytes. Throws FontOutError when checkRange refuses range.
    virtual std::vector<uint8_t> write(const FontRange &range) const = 0;
};

// Every font file format, in the order menus list them.
std::span<const FontFileFormat *const> fontFileFormats();
// The format whose extension ends fileName (compared without case), or null.
const FontFileFormat *fontFileFormatFor(std::string_view fileName);

// Refuses (FontOutError) a range that is empty or leaves the image: every
// glyph, and the width table's count bytes when the format has one, must lie
// inside it. Nothing outside the image is ever read.
void checkRange(const FontRange &range);
// How many whole glyphs of format lie inside an image of imageLength bytes
// from start on, at most wanted.
int64_t glyphsInside(int64_t imageLength, int64_t start, const GlyphFormat &format, int64_t wanted);
// The font's name for a file: its base name without folders and extension.
std::string fontNameOf(std::string_view fileName);

} // namespace velmora::fontout
