#pragma once
#include <cstdint>
#include <vector>

#include "model/editor_state.h"

namespace velmora {

// Characters as a sheet shows them: per character its width byte and a
// W x (H - 1) grid of its pixel rows (the width row is not part of the grid).
struct SheetGlyphs {
    int cellWidth = 0;  // W
    int cellHeight = 0; // H - 1
    std::vector<uint8_t> widths; // one width byte per character
    std::vector<uint8_t> pixels; // per character cellHeight rows of cellWidth cells, 0 or 1

    SheetGlyphs() = default;
    SheetGlyphs(int width, int height, int count);
    int count() const { return static_cast<int>(widths.size()); }
    uint8_t &pixel(int k, int x, int y) { return pixels[index(k, x, y)]; }
    uint8_t pixel(int k, int x, int y) const { return pixels[index(k, x, y)]; }

private:
    size_t index(int k, int x, int y) const
    {
        return (static_cast<size_t>(k) * static_cast<size_t>(cellHeight) + static_cast<size_t>(y))
                   * static_cast<size_t>(cellWidth)
               + static_cast<size_t>(x);
    }
};

// The layout of a sheet: 16 cells a row, a one-pixel line around and between cells.
struct SheetGeometry {
    static constexpr int columns = 16;
    int cellWidth = 0;
    int cellHeight = 0;
    int rows = 0;

    int width() const { return columns * cellWidth + columns + 1; }
    int height() const { return rows * cellHeight + rows + 1; }
    int cellLeft(int k) const { return 1 + (k % columns) * (cellWidth + 1); }
    int cellTop(int k) const { return 1 + (k / columns) * (cellHeight + 1); }
};

SheetGeometry sheetGeometry(int cellWidth, int cellHeight, int count);

// How many whole characters of the current format lie inside the image from
// offset on, at most wanted.
int charsThatFit(const EditorState &state, int64_t offset, int64_t wanted);

// The stored pixels and width bytes of count characters from offset, a char
// step apart. Reads as the codec does, without the "True Char Image" mask, so
// that writing them back gives the same bytes. The glyph matrix is kept.
SheetGlyphs readSheetGlyphs(EditorState &state, int64_t offset, int count);

// Writes the characters from offset on through the codec, cut at the image
// end; returns how many were written. Each character's width byte is taken
// from glyphs, or computed from its pixels when computeWidths is set. Bytes
// of a character that the grid does not hold (the matrix row below the
// shown rows, for W = 16) keep their stored value. The glyph matrix is kept.
int writeSheetGlyphs(EditorState &state, int64_t offset, const SheetGlyphs &glyphs, bool computeWidths);

} // namespace velmora
