#pragma once
#include <array>
#include <cstdint>

namespace velmora {

// 32 columns of 33 one-byte cells, column-major: cell (c, r) is cells[c * 33 + r].
// Row 0 holds the width byte's bits (column 0 = bit 7), rows 1..32 pixel rows.
// The width-byte layout uses 16 columns and 17 rows of it. A cell holds a
// level: 0 or 1, or up to 15 in fonts of several bits a pixel.
struct GlyphMatrix {
    static constexpr int columns = 32;
    static constexpr int rows = 33;
    // The part the width-byte layout uses.
    static constexpr int widthByteColumns = 16;
    static constexpr int widthByteRows = 17;

    std::array<uint8_t, columns * rows> cells{};

    uint8_t &at(int c, int r) { return cells[static_cast<size_t>(c * rows + r)]; }
    uint8_t at(int c, int r) const { return cells[static_cast<size_t>(c * rows + r)]; }
    // Any value other than 1 counts as clear.
    bool isSet(int c, int r) const { return at(c, r) == 1; }
    void clear() { cells.fill(0); }

    bool operator==(const GlyphMatrix &) const = default;
};

} // namespace velmora
