#include "exchange/glyph_sheet.h"

#include <algorithm>
#include <span>
#include <thread>

#include "layout/glyph_layout.h"
#include "model/char_width.h"
#include "model/format.h"
#include "model/glyph_codec.h"

namespace velmora {

namespace {

// Runs fn with "True Char Image" off and the glyph matrix put back afterwards.
template <typename Fn> void withPlainCodec(EditorState &s, Fn fn)
{
    const GlyphMatrix kept = s.glyph;
    const bool trueImage = s.flag(Flag::TrueCharImage);
    s.setFlag(Flag::TrueCharImage, false);
    fn();
    s.setFlag(Flag::TrueCharImage, trueImage);
    s.glyph = kept;
}

uint8_t widthRow(const GlyphMatrix &m)
{
    uint8_t byte = 0;
    for (int c = 0; c < 8; ++c)
        if (m.isSet(c, 0))
            byte |= static_cast<uint8_t>(0x80 >> c);
    return byte;
}

} // namespace

SheetGlyphs::SheetGlyphs(int width, int height, int count)
    : cellWidth(width), cellHeight(height), widths(static_cast<size_t>(std::max(count, 0)), 0),
      pixels(static_cast<size_t>(std::max(count, 0)) * static_cast<size_t>(width) * static_cast<size_t>(height), 0)
{
}

SheetGeometry sheetGeometry(int cellWidth, int cellHeight, int count)
{
    return {cellWidth, cellHeight, (std::max(count, 0) + SheetGeometry::columns - 1) / SheetGeometry::columns};
}

int charsThatFit(const EditorState &s, int64_t offset, int64_t wanted)
{
    const int64_t step = charStep(s);
    const int64_t span = std::min(footprint(s), charStep(s)); // the bytes encodeChar writes
    const int64_t room = int64_t{s.imageLength()} - offset;
    if (offset < 0 || step <= 0 || room < span || wanted <= 0)
        return 0;
    return static_cast<int>(std::min(wanted, (room - span) / step + 1));
}

SheetGlyphs readSheetGlyphs(EditorState &s, int64_t offset, int count)
{
    SheetGlyphs glyphs(s.charWidth, s.charHeight - 1, count);
    const GlyphFormat format = glyphFormatOf(s);
    const std::span<const uint8_t> image = s.image.bytes();
    const int64_t step = charStep(s);
    const bool swapBytes = s.flag(Flag::SwapBytes);
    const bool widthBytes = widthByteLayout(s);
    // Glyphs from..to-1, straight from the bytes into the sheet's cells. In
    // the width-byte layout the matrix's row 0 is the width byte; in the
    // others the cells hold the pixel rows as the codec gives them, and such
    // glyphs have no width.
    const auto decodeRange = [&](int from, int to) {
        for (int k = from; k < to; ++k) {
            const int64_t at = offset + int64_t{k} * step;
            if (!widthBytes) {
                decodePixels(image, at, format, &glyphs.pixel(k, 0, 0));
                continue;
            }
            glyphs.widths[static_cast<size_t>(k)] = at >= 0 && at < static_cast<int64_t>(image.size()) ? image[static_cast<size_t>(at)] : 0;
            decodeGlyphRows(image, s.charWidth, s.charHeight, swapBytes, at, &glyphs.pixel(k, 0, 0));
        }
    };
    if (widthBytes || !format.hasWidths()) {
        // Large sheets are read by two threads, each its own half.
        if (int64_t{count} * s.charWidth * s.charHeight < (1 << 20)) {
            decodeRange(0, count);
            return glyphs;
        }
        std::thread other(decodeRange, count / 2, count);
        decodeRange(0, count / 2);
        other.join();
        return glyphs;
    }
    // A width table: the codec puts each glyph's entry into the matrix's row 0.
    withPlainCodec(s, [&] {
        for (int k = 0; k < count; ++k) {
            decodeCharAt(s, offset + int64_t{k} * step);
            glyphs.widths[static_cast<size_t>(k)] = widthRow(s.glyph);
            for (int y = 0; y < glyphs.cellHeight; ++y)
                for (int x = 0; x < glyphs.cellWidth; ++x)
                    glyphs.pixel(k, x, y) = s.glyph.at(x, y + 1);
        }
    });
    return glyphs;
}

int writeSheetGlyphs(EditorState &s, int64_t offset, const SheetGlyphs &glyphs, bool computeWidths)
{
    if (glyphs.cellWidth != s.charWidth || glyphs.cellHeight != s.charHeight - 1)
        return 0;
    const int count = charsThatFit(s, offset, glyphs.count());
    const auto maxLevel = static_cast<uint8_t>(glyphFormatOf(s).maxLevel());
    withPlainCodec(s, [&] {
        for (int k = 0; k < count; ++k) {
            const int64_t p = offset + int64_t{k} * charStep(s);
            // Decoding first keeps the matrix row that the grid does not hold.
            decodeCharAt(s, p);
            for (int y = 0; y < glyphs.cellHeight; ++y)
                for (int x = 0; x < glyphs.cellWidth; ++x)
                    s.glyph.at(x, y + 1) = std::min<uint8_t>(glyphs.pixel(k, x, y), maxLevel);
            const int width = computeWidths ? calcCharWidth(s) : glyphs.widths[static_cast<size_t>(k)];
            for (int c = 0; c < 8; ++c)
                s.glyph.at(c, 0) = (width >> (7 - c)) & 1;
            encodeCharAt(s, p);
        }
    });
    return count;
}

} // namespace velmora
