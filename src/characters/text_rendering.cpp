#include "characters/text_rendering.h"

#include <algorithm>
#include <array>

#include "layout/glyph_layout.h"
#include "model/glyph_codec.h"

namespace velmora {

namespace {

// A missing character's box is half a glyph wide, at least three pixels.
int boxWidth(const GlyphFormat &f) { return std::max(3, f.width / 2); }

// The glyph at offset as the grid holds it: row 0 the advance's bits (the
// width byte, the width table's byte or W), the pixel rows from row 1.
void loadGlyph(std::span<const uint8_t> image, const FontMap &map, int64_t offset,
               const std::optional<GlyphOverride> &override, GlyphMatrix &m)
{
    const GlyphFormat &f = map.format;
    if (override && override->matrix && override->offset == offset) {
        m = *override->matrix;
    } else if (f.widthByte()) {
        decodeGlyph(image, f.width, f.height, f.swap, offset, m);
        return;
    } else {
        std::array<uint8_t, 32 * 32> levels{};
        decodePixels(image, offset, f, levels.data());
        m.clear();
        for (int y = 0; y < f.height; ++y)
            for (int x = 0; x < f.width; ++x)
                m.at(x, y + 1) = levels[static_cast<size_t>(y * f.width + x)];
    }
    if (!f.widthByte()) {
        // Row 0 of a grid without widths holds nothing: the advance comes from the format.
        const int advance = glyphAdvance(image, map.start, (offset - map.start) / f.step(), f);
        for (int c = 0; c < 8; ++c)
            m.at(c, 0) = (advance >> (7 - c)) & 1;
    }
}

// A pixel drawn as ink: set, or in grey fonts at least half of full ink.
bool inked(const GlyphMatrix &m, const GlyphFormat &f, int c, int r)
{
    return f.bpp == 1 || f.widthByte() ? m.isSet(c, r) : 2 * m.at(c, r) >= f.maxLevel();
}

// The columns a glyph shows: its width byte (matrix row 0), at most W.
int shownColumns(const GlyphMatrix &m, const GlyphFormat &f)
{
    int widthByte = 0;
    for (int c = 0; c < 8; ++c)
        widthByte = widthByte << 1 | (m.isSet(c, 0) ? 1 : 0);
    return std::min(widthByte, f.width);
}

bool hasInk(const GlyphMatrix &m, const GlyphFormat &f)
{
    const int columns = shownColumns(m, f);
    for (int c = 0; c < columns; ++c)
        for (int r = 1; r <= f.pixelRows(); ++r)
            if (inked(m, f, c, r))
                return true;
    return false;
}

std::vector<std::u32string_view> splitLines(std::u32string_view text)
{
    std::vector<std::u32string_view> lines;
    for (size_t start = 0;;) {
        const size_t end = std::min(text.find(U'\n', start), text.size());
        std::u32string_view line = text.substr(start, end - start);
        if (line.ends_with(U'\r'))
            line.remove_suffix(1);
        lines.push_back(line);
        if (end == text.size())
            return lines;
        start = end + 1;
    }
}

void addOnce(std::vector<std::u32string> &list, const std::u32string &text)
{
    if (std::find(list.begin(), list.end(), text) == list.end())
        list.push_back(text);
}

bool isBlankText(const std::u32string &text)
{
    return std::all_of(text.begin(), text.end(), [](char32_t c) { return c == U' ' || c == U'\t' || c == U'\u00A0'; });
}

} // namespace

std::vector<TextItem> splitText(std::u32string_view line, const CharTable *table)
{
    std::vector<TextItem> items;
    while (!line.empty()) {
        if (!table) {
            items.push_back({std::u32string(1, line.front()), static_cast<uint32_t>(line.front())});
            line.remove_prefix(1);
        } else if (const auto match = table->longestMatch(line)) {
            items.push_back({std::u32string(line.substr(0, match->second)), match->first});
            line.remove_prefix(match->second);
        } else {
            items.push_back({std::u32string(1, line.front()), std::nullopt});
            line.remove_prefix(1);
        }
    }
    return items;
}

std::optional<uint32_t> codeOfText(const std::u32string &text, const CharTable *table)
{
    if (table)
        return table->codeOf(text);
    if (text.size() == 1)
        return static_cast<uint32_t>(text.front());
    return std::nullopt;
}

int TextRendering::widestLine() const
{
    if (lineWidths.empty())
        return -1;
    return static_cast<int>(std::max_element(lineWidths.begin(), lineWidths.end()) - lineWidths.begin());
}

const PlacedChar *TextRendering::charAt(int x, int y) const
{
    const int pitch = lineHeight + 1;
    if (x < margin || y < margin || pitch <= 1 || (y - margin) % pitch >= lineHeight)
        return nullptr;
    const int line = (y - margin) / pitch;
    const int px = x - margin;
    for (const PlacedChar &c : placed)
        if (c.line == line && px >= c.x && px < c.x + std::max(c.advance, 1))
            return &c;
    return nullptr;
}

TextRendering renderText(std::span<const uint8_t> image, const FontMap &map, const CharTable *table, int gap,
                         int screenWidth, std::u32string_view text, std::optional<GlyphOverride> override)
{
    const GlyphFormat &f = map.format;
    const int64_t length = static_cast<int64_t>(image.size());
    gap = std::clamp(gap, 0, 255);
    screenWidth = std::max(screenWidth, 0);
    TextRendering out;
    out.lineHeight = f.pixelRows();

    // Layout: where each character goes and how far it moves the pen.
    std::vector<GlyphMatrix> glyphs; // one per placed character with a glyph, in order
    const std::vector<std::u32string_view> lines = splitLines(text);
    for (size_t n = 0; n < lines.size(); ++n) {
        int pen = 0;
        for (TextItem &item : splitText(lines[n], table)) {
            PlacedChar c;
            c.line = static_cast<int>(n);
            c.x = pen;
            c.glyph = item.code ? glyphOffsetOf(map, *item.code, length) : std::nullopt;
            if (c.glyph) {
                glyphs.emplace_back();
                const GlyphMatrix &m = glyphs.back();
                loadGlyph(image, map, *c.glyph, override, glyphs.back());
                const int columns = shownColumns(m, f);
                c.advance = columns + gap;
                if (!isBlankText(item.text)) {
                    if (columns == 0) {
                        bool ink = false;
                        for (int col = 0; col < f.width && !ink; ++col)
                            for (int r = 1; r <= f.pixelRows() && !ink; ++r)
                                ink = inked(m, f, col, r);
                        addOnce(ink ? out.inkedZeroWidth : out.zeroWidth, item.text);
                        c.mark = PlacedChar::Mark::ZeroWidth;
                    } else if (!hasInk(m, f)) {
                        addOnce(out.blank, item.text);
                        c.mark = PlacedChar::Mark::Blank;
                    }
                }
            } else {
                c.advance = boxWidth(f) + gap;
                addOnce(out.missing, item.text);
            }
            pen += c.advance;
            c.text = std::move(item.text);
            out.placed.push_back(std::move(c));
        }
        // The gap after the last character is not part of the line.
        out.lineWidths.push_back(std::max(0, pen - (pen > 0 ? gap : 0)));
    }

    const int widest = *std::max_element(out.lineWidths.begin(), out.lineWidths.end());
    const int lineCount = static_cast<int>(lines.size());
    out.width = 2 * TextRendering::margin + std::max(widest, screenWidth);
    out.height = 2 * TextRendering::margin + lineCount * out.lineHeight + (lineCount - 1);
    out.pixels.assign(static_cast<size_t>(out.width) * static_cast<size_t>(out.height), PixelKind::Paper);
    const auto set = [&out](int x, int y, PixelKind kind) {
        out.pixels[static_cast<size_t>(y) * static_cast<size_t>(out.width) + static_cast<size_t>(x)] = kind;
    };

    size_t nextGlyph = 0;
    for (const PlacedChar &c : out.placed) {
        const int left = TextRendering::margin + c.x;
        const int top = TextRendering::margin + c.line * (out.lineHeight + 1);
        if (c.glyph) {
            const GlyphMatrix &m = glyphs[nextGlyph++];
            const int columns = shownColumns(m, f);
            for (int r = 1; r <= f.pixelRows(); ++r)
                for (int col = 0; col < columns; ++col)
                    if (inked(m, f, col, r))
                        set(left + col, top + r - 1, PixelKind::Ink);
            if (c.mark == PlacedChar::Mark::ZeroWidth)
                for (int y = top; y < top + out.lineHeight; ++y)
                    set(left, y, PixelKind::Missing);
            else if (c.mark == PlacedChar::Mark::Blank)
                for (int col = 0; col < columns; ++col)
                    set(left + col, top + out.lineHeight - 1, PixelKind::Missing);
        } else {
            const int right = left + boxWidth(f) - 1;
            const int bottom = top + out.lineHeight - 1;
            for (int x = left; x <= right; ++x) {
                set(x, top, PixelKind::Missing);
                set(x, bottom, PixelKind::Missing);
            }
            for (int y = top; y <= bottom; ++y) {
                set(left, y, PixelKind::Missing);
                set(right, y, PixelKind::Missing);
            }
        }
    }

    // What a line draws past the screen's right edge is tinted.
    if (screenWidth > 0) {
        for (int n = 0; n < lineCount; ++n) {
            if (out.lineWidths[static_cast<size_t>(n)] <= screenWidth)
                continue;
            const int top = TextRendering::margin + n * (out.lineHeight + 1);
            for (int y = top; y < top + out.lineHeight; ++y) {
                for (int x = TextRendering::margin + screenWidth; x < out.width; ++x) {
                    PixelKind &p = out.pixels[static_cast<size_t>(y) * static_cast<size_t>(out.width) + static_cast<size_t>(x)];
                    if (p == PixelKind::Paper)
                        p = PixelKind::TintedPaper;
                    else if (p == PixelKind::Ink)
                        p = PixelKind::TintedInk;
                }
            }
        }
    }
    return out;
}

AlphabetReport checkAlphabet(std::span<const uint8_t> image, const FontMap &map, const CharTable *table,
                             std::u32string_view letters, std::optional<GlyphOverride> override)
{
    AlphabetReport report;
    GlyphMatrix m;
    for (const std::u32string_view line : splitLines(letters)) {
        for (const TextItem &item : splitText(line, table)) {
            if (isBlankText(item.text))
                continue;
            const auto glyph = item.code ? glyphOffsetOf(map, *item.code, static_cast<int64_t>(image.size())) : std::nullopt;
            if (!glyph) {
                addOnce(report.missing, item.text);
                continue;
            }
            loadGlyph(image, map, *glyph, override, m);
            if (!hasInk(m, map.format))
                addOnce(report.blank, item.text);
        }
    }
    return report;
}

} // namespace velmora
