#pragma once
#include <array>
#include <cstdint>

namespace velmora {

// 16 columns of 17 one-byte cells, column-major: cell (c, r) is cells[c * 17 + r].
// Row 0 holds the width byte's bits (column 0 = bit 7), rows 1..16 pixel rows.
struct GlyphMatrix {
    static constexpr int columns = 16;
    static constexpr int rows = 17;

    std::array<uint8_t, columns * rows> cells{};

    uint8_t &at(int c, int r) { return cells[static_cast<size_t>(c * rows + r)]; }
    uint8_t at(int c, int r) const { return cells[static_cast<size_t>(c * rows + r)]; }
    // Any value other than 1 counts as clear.
    bool isSet(int c, int r) const { return at(c, r) == 1; }
    void clear() { cells.fill(0); }

    bool operator==(const GlyphMatrix &) const = default;
};

} // namespace velmora
