#include "fontout/psf2_font.h"

#include "characters/utf8_text.h"
#include "fontout/font_glyphs.h"

namespace velmora::fontout {

namespace {

void put32(std::vector<uint8_t> &bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

} // namespace

std::string_view Psf2Font::name() const { return "PSF2"; }
std::string_view Psf2Font::extension() const { return "psf"; }
std::string_view Psf2Font::nameFilter() const { return "PSF2 console fonts (*.psf)"; }

std::vector<uint8_t> Psf2Font::write(const FontRange &range) const
{
    checkRange(range);
    const GlyphFormat &f = range.format;
    const int glyphBytes = inkRowBytes(f) * f.pixelRows();
    std::vector<uint8_t> bytes = {0x72, 0xB5, 0x4A, 0x86};
    put32(bytes, 0);                       // version
    put32(bytes, 32);                      // header size
    put32(bytes, range.mapped ? 1 : 0);    // flags: a Unicode table follows the glyphs
    put32(bytes, static_cast<uint32_t>(range.count));
    put32(bytes, static_cast<uint32_t>(glyphBytes));
    put32(bytes, static_cast<uint32_t>(f.pixelRows()));
    put32(bytes, static_cast<uint32_t>(f.width));
    bytes.reserve(bytes.size() + static_cast<size_t>(range.count) * (static_cast<size_t>(glyphBytes) + 4));
    for (int64_t k = 0; k < range.count; ++k) {
        const std::vector<uint8_t> rows = inkRows(range, k);
        bytes.insert(bytes.end(), rows.begin(), rows.end());
    }
    if (!range.mapped)
        return bytes;
    // Per glyph: a single character in UTF-8, or 0xFE and a sequence of
    // several; 0xFF ends the glyph's entry. A glyph of no character has none.
    for (int64_t k = 0; k < range.count; ++k) {
        const std::u32string characters = charactersOf(range, k);
        if (characters.size() > 1)
            bytes.push_back(0xFE);
        const std::string utf8 = encodeUtf8(characters);
        bytes.insert(bytes.end(), utf8.begin(), utf8.end());
        bytes.push_back(0xFF);
    }
    return bytes;
}

} // namespace velmora::fontout
