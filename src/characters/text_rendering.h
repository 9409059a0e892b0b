#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "characters/char_map.h"
#include "characters/char_table.h"
#include "model/glyph_matrix.h"

namespace velmora {

// One character of a text: its text (one code point, or a table entry of
// several) and its code, when it has one.
struct TextItem {
    std::u32string text;
    std::optional<uint32_t> code;
};

// Splits one line into characters: through the table, longest entry first,
// when there is one, else each code point is its own code.
std::vector<TextItem> splitText(std::u32string_view line, const CharTable *table);

// A glyph to draw from a matrix instead of the image: the one being edited,
// with its edits that are not written yet.
struct GlyphOverride {
    int64_t offset = 0;
    const GlyphMatrix *matrix = nullptr;
};

enum class PixelKind : uint8_t { Paper, Ink, Missing, TintedPaper, TintedInk };

// A character as laid out: its line, left edge and advance in pixels from
// the text's origin, and its glyph when it has one.
struct PlacedChar {
    // A glyph that would draw nothing although the text has it: one of width
    // 0 (a one-pixel red bar where it stands, taking no advance, so the line
    // stays as the phone lays it out) or one without ink in its columns (red
    // underlined). Blanks meant as blanks are not marked.
    enum class Mark : uint8_t { None, ZeroWidth, Blank };
    int line = 0;
    int x = 0;
    int advance = 0;
    std::u32string text;
    std::optional<int64_t> glyph;
    Mark mark = Mark::None;
};

// A text drawn in a font of the image, one pixel per glyph pixel.
struct TextRendering {
    static constexpr int margin = 2;
    int width = 0;
    int height = 0;
    int lineHeight = 0; // H - 1; lines are one blank pixel apart
    std::vector<PixelKind> pixels; // row-major, width x height
    std::vector<int> lineWidths;
    std::vector<PlacedChar> placed;
    std::vector<std::u32string> missing; // characters without a glyph, each once, in order
    // Each once, in order: glyphs of width 0 without and with ink in their
    // cell, and glyphs whose shown columns hold no ink.
    std::vector<std::u32string> zeroWidth, inkedZeroWidth, blank;

    PixelKind at(int x, int y) const { return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]; }
    // The widest line (0-based), or -1 for no text.
    int widestLine() const;
    // The character under a pixel of the rendering, if any.
    const PlacedChar *charAt(int x, int y) const;
};

// Lays out text (lines split at '\n') in the font map names and draws it:
// each character is its glyph's pixel rows 1..H-1, the columns left of its
// width byte (at most W); the pen advances by that width plus gap. A
// character without a glyph is a box of the line height. Past screenWidth
// (0: no limit) a line's pixels are tinted. Glyph pixels are decoded from
// image by the glyph codec; the glyph at override's offset from its matrix.
TextRendering renderText(std::span<const uint8_t> image, const FontMap &map, const CharTable *table, int gap,
                         int screenWidth, std::u32string_view text, std::optional<GlyphOverride> override = {});

// The letters of an alphabet (blanks between them are skipped) that have no
// glyph, and those whose glyph shows no pixel.
struct AlphabetReport {
    std::vector<std::u32string> missing;
    std::vector<std::u32string> blank;
};
AlphabetReport checkAlphabet(std::span<const uint8_t> image, const FontMap &map, const CharTable *table,
                             std::u32string_view letters, std::optional<GlyphOverride> override = {});

// The code a typed character has in the font: through the table, else its code point.
std::optional<uint32_t> codeOfText(const std::u32string &text, const CharTable *table);

} // namespace velmora
