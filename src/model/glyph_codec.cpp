#include "model/glyph_codec.h"

#include <algorithm>
#include <vector>

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

} // namespace

void decodeChar(EditorState &s) { decodeCharAt(s, s.glyphOffset); }

void encodeChar(EditorState &s) { encodeCharAt(s, s.glyphOffset); }

void decodeCharAt(EditorState &s, const int64_t g)
{
    decodeGlyph(s.image.bytes(), s.charWidth, s.charHeight, s.flag(Flag::SwapBytes), g, s.glyph);
    const uint8_t width = s.image.at(g);
    if (s.flag(Flag::TrueCharImage) && width < s.charWidth) {
        for (int c = width; c < s.charWidth; ++c)
            for (int r = 1; r < GlyphMatrix::rows; ++r)
                s.glyph.at(c, r) = 0;
    }
}

void decodeGlyph(std::span<const uint8_t> image, int width, int height, bool swap, int64_t g, GlyphMatrix &m)
{
    const auto at = [image](int64_t offset) -> uint8_t {
        return offset >= 0 && offset < static_cast<int64_t>(image.size()) ? image[static_cast<size_t>(offset)] : 0;
    };
    const int b = width >> 3;
    bitsToRow(m, at(g), 0, 0);
    for (int c = 8; c < 16; ++c)
        m.at(c, 0) = 0;

    for (int i = 1; i < b * height; i += b) {
        const int r = i / b + b - 1;
        if (b == 1) {
            bitsToRow(m, at(g + i), 0, r);
        } else {
            const uint8_t x1 = at(g + i);
            const uint8_t x2 = at(g + i + 1);
            bitsToRow(m, swap ? x2 : x1, 0, r);
            bitsToRow(m, swap ? x1 : x2, 8, r);
        }
    }
}

void encodeCharAt(EditorState &s, const int64_t g)
{
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
