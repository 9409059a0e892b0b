#include "model/glyph_codec.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "layout/glyph_layout.h"
#include "model/format.h"

namespace velmora {

namespace {

void bitsToRow(GlyphMatrix &m, uint8_t byte, int firstColumn, int row)
{
    for (int c = 0; c < 8; ++c)
        m.at(firstColumn + c, row) = (byte >> (7 - c)) & 1;
}

uint8_t rowToBits(const GlyphMatrix &m, int firstColumn, int row)
{
    uint8_t byte = 0;
    for (int c = 0; c < 8; ++c)
        if (m.isSet(firstColumn + c, row))
            byte |= static_cast<uint8_t>(0x80 >> c);
    return byte;
}

// The glyph's levels in matrix rows 1..H, row-major, for the layout codec.
using Levels = std::array<uint8_t, 32 * 32>;

// Clears every column right of the stored width in rows 1 on ("True Char Image").
void maskRightOfWidth(EditorState &s, int width)
{
    if (!s.flag(Flag::TrueCharImage) || width >= s.charWidth)
        return;
    for (int c = width; c < s.charWidth; ++c)
        for (int r = 1; r < GlyphMatrix::rows; ++r)
            s.glyph.at(c, r) = 0;
}

void decodeLayoutChar(EditorState &s, int64_t g)
{
    const GlyphFormat f = glyphFormatOf(s);
    Levels levels{};
    decodePixels(s.image.bytes(), g, f, levels.data());
    s.glyph.clear();
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x)
            s.glyph.at(x, y + 1) = levels[static_cast<size_t>(y * f.width + x)];
    if (const auto entry = widthTableEntry(s, g)) {
        const uint8_t width = s.image.at(*entry);
        bitsToRow(s.glyph, width, 0, 0);
        maskRightOfWidth(s, width);
    }
}

void encodeLayoutChar(EditorState &s, int64_t g)
{
    const GlyphFormat f = glyphFormatOf(s);
    Levels levels{};
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x)
            levels[static_cast<size_t>(y * f.width + x)] = s.glyph.at(x, y + 1);
    // The glyph's bytes as they are: bits that are no pixel's keep their values.
    const std::span<const uint8_t> stored = s.image.range(g, f.size());
    std::vector<uint8_t> bytes(stored.begin(), stored.end());
    encodePixels(levels.data(), f, bytes);
    s.image.writeBytes(g, bytes);
    // A width table that overlaps the glyph's own bytes never overwrites its pixels.
    const auto entry = widthTableEntry(s, g);
    if (entry && (*entry < g || *entry >= g + f.size()))
        s.image.write(*entry, rowToBits(s.glyph, 0, 0));
}

} // namespace

std::optional<int64_t> widthTableEntry(const EditorState &s, int64_t g)
{
    if (widthByteLayout(s) || s.layout.widthTable < 0)
        return std::nullopt;
    const int64_t distance = g - s.layout.widthTableBase;
    const int64_t step = charStep(s);
    if (distance < 0 || distance % step != 0)
        return std::nullopt;
    return s.layout.widthTable + distance / step;
}

void decodeChar(EditorState &s) { decodeCharAt(s, s.glyphOffset); }

void encodeChar(EditorState &s) { encodeCharAt(s, s.glyphOffset); }

void decodeCharAt(EditorState &s, const int64_t g)
{
    if (!widthByteLayout(s)) {
        decodeLayoutChar(s, g);
        return;
    }
    decodeGlyph(s.image.bytes(), s.charWidth, s.charHeight, s.flag(Flag::SwapBytes), g, s.glyph);
    const uint8_t width = s.image.at(g);
    if (s.flag(Flag::TrueCharImage) && width < s.charWidth) {
        for (int c = width; c < s.charWidth; ++c)
            for (int r = 1; r < GlyphMatrix::widthByteRows; ++r)
                s.glyph.at(c, r) = 0;
    }
}

namespace {

// The bytes of matrix row r of a width-byte character at g (rows 1..H-1 for
// W = 8, 1..H for W = 16), left half first: one byte for W = 8 (the right
// half reads 0), two for W = 16 in the order "Swap bytes" gives. Bytes
// outside image read as 0.
std::pair<uint8_t, uint8_t> rowBytes(std::span<const uint8_t> image, int width, bool swap, int64_t g, int r)
{
    const auto at = [image](int64_t offset) -> uint8_t {
        return offset >= 0 && offset < static_cast<int64_t>(image.size()) ? image[static_cast<size_t>(offset)] : 0;
    };
    if (width >> 3 == 1)
        return {at(g + r), 0};
    const int64_t i = g + 2 * r - 1;
    return swap ? std::pair{at(i + 1), at(i)} : std::pair{at(i), at(i + 1)};
}

} // namespace

void decodeGlyph(std::span<const uint8_t> image, int width, int height, bool swap, int64_t g, GlyphMatrix &m)
{
    bitsToRow(m, g >= 0 && g < static_cast<int64_t>(image.size()) ? image[static_cast<size_t>(g)] : 0, 0, 0);
    for (int c = 8; c < 16; ++c)
        m.at(c, 0) = 0;
    const int lastRow = width >> 3 == 2 ? height : height - 1;
    for (int r = 1; r <= lastRow; ++r) {
        const auto [left, right] = rowBytes(image, width, swap, g, r);
        bitsToRow(m, left, 0, r);
        if (width >> 3 == 2)
            bitsToRow(m, right, 8, r);
    }
}

void decodeGlyphRows(std::span<const uint8_t> image, int width, int height, bool swap, int64_t g, uint8_t *pixels)
{
    for (int r = 1; r < height; ++r) {
        const auto [left, right] = rowBytes(image, width, swap, g, r);
        const unsigned bits = unsigned{left} << 8 | right;
        for (int c = 0; c < width; ++c)
            *pixels++ = (bits >> (15 - c)) & 1;
    }
}

void encodeCharAt(EditorState &s, const int64_t g)
{
    if (!widthByteLayout(s)) {
        encodeLayoutChar(s, g);
        return;
    }
    const int b = bytesPerRow(s);
    const bool swap = s.flag(Flag::SwapBytes);
    const GlyphMatrix &m = s.glyph;

    std::vector<uint8_t> bytes(static_cast<size_t>(footprint(s)), 0);
    bytes[0] = rowToBits(m, 0, 0);
    for (int i = 1; i < b * s.charHeight; i += b) {
        const int r = i / b + b - 1;
        if (b == 1) {
            bytes[static_cast<size_t>(i)] = rowToBits(m, 0, r);
        } else {
            const uint8_t left = rowToBits(m, 0, r);
            const uint8_t right = rowToBits(m, 8, r);
            bytes[static_cast<size_t>(i)] = swap ? right : left;
            bytes[static_cast<size_t>(i + 1)] = swap ? left : right;
        }
    }
    // The footprint can be one byte longer than the character (W = 16 without
    // the spare byte): that byte is the next character's width byte.
    bytes.resize(static_cast<size_t>(std::min(footprint(s), charStep(s))));
    s.image.writeBytes(g, bytes);
}

} // namespace velmora
