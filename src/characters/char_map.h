#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "layout/glyph_format.h"
#include "model/editor_state.h"

namespace velmora {

// Which glyph is which character code: glyph k lies at start + k x step and
// has code firstCode + k. table names the table file whose texts the codes
// stand for (empty: codes are Unicode code points).
struct FontMap {
    int64_t start = 0;
    GlyphFormat format;
    uint32_t firstCode = 0x20;
    std::string table;

    bool operator==(const FontMap &) const = default;
};

// The offset of the glyph of code, when the code is not before the first one
// and the whole glyph lies inside an image of imageLength bytes.
std::optional<int64_t> glyphOffsetOf(const FontMap &map, uint32_t code, int64_t imageLength);
// The code of the glyph at offset, when a whole glyph of the font starts there.
std::optional<uint32_t> codeOfGlyph(const FontMap &map, int64_t offset, int64_t imageLength);

// The maps of the fonts of one image. A font's map governs its glyphs from
// its start up to the next map of the same format.
struct CharMaps {
    std::vector<FontMap> fonts;

    // The map of format that governs the glyph at offset, if any.
    const FontMap *governing(const GlyphFormat &format, int64_t offset) const;
    // Adds map, or replaces the one with the same start and format.
    void set(const FontMap &map);
    bool operator==(const CharMaps &) const = default;
};

// A font the editor knows (a preset button, a plug-in button, a font the
// finder found) that holds a glyph: its start and how the status names it
// ("preset B", "plug-in button 2", "found font 3").
struct KnownFont {
    int64_t start = 0;
    std::string source;
};

// The known font of format that holds the glyph at g, the nearest start
// first: a preset's font is taken to run for 256 glyphs, a found font for
// its count. Nothing when none holds it.
std::optional<KnownFont> knownFontHolding(const EditorState &state, const GlyphFormat &format, int64_t g);

// The text of a map file: a comment line, then one font a line:
// "START FORMAT FIRST [TABLE]", start and first code in hex, the table path
// taking the rest of the line.
std::string serialiseCharMaps(const CharMaps &maps);
// Throws EditorError naming the first line that cannot be read.
CharMaps parseCharMaps(std::string_view text);

} // namespace velmora
