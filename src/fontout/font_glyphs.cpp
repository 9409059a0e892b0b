#include "fontout/font_glyphs.h"

#include <cstdio>

#include "layout/glyph_layout.h"

namespace velmora::fontout {

int64_t glyphOffset(const FontRange &range, int64_t k) { return range.start + k * range.format.step(); }

int inkRowBytes(const GlyphFormat &format) { return (format.width + 7) / 8; }

std::vector<uint8_t> inkRows(const FontRange &range, int64_t k)
{
    const GlyphFormat &f = range.format;
    std::vector<uint8_t> levels(static_cast<size_t>(f.width * f.pixelRows()));
    decodePixels(range.image, glyphOffset(range, k), f, levels.data());
    const int rowBytes = inkRowBytes(f);
    std::vector<uint8_t> rows(static_cast<size_t>(rowBytes * f.pixelRows()));
    for (int y = 0; y < f.pixelRows(); ++y)
        for (int x = 0; x < f.width; ++x)
            if (2 * levels[static_cast<size_t>(y * f.width + x)] >= f.maxLevel())
                rows[static_cast<size_t>(y * rowBytes + x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
    return rows;
}

int advanceOf(const FontRange &range, int64_t k) { return glyphAdvance(range.image, range.start, k, range.format); }

std::optional<uint32_t> codeOf(const FontRange &range, int64_t k)
{
    if (!range.codes.empty())
        return static_cast<size_t>(k) < range.codes.size() ? range.codes[static_cast<size_t>(k)] : std::nullopt;
    return range.firstCode + static_cast<uint32_t>(k);
}

std::u32string charactersOf(const FontRange &range, int64_t k)
{
    const std::optional<uint32_t> known = codeOf(range, k);
    if (!known)
        return {};
    const uint32_t code = *known;
    if (range.table) {
        const std::u32string *text = range.table->textOf(code);
        return text ? *text : std::u32string();
    }
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return {};
    return std::u32string(1, static_cast<char32_t>(code));
}

std::string hexText(uint64_t value, int digits)
{
    char text[24];
    std::snprintf(text, sizeof text, "%0*llX", digits, static_cast<unsigned long long>(value));
    return text;
}

} // namespace velmora::fontout
