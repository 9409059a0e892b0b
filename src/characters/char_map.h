#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "layout/glyph_format.h"
#include "model/editor_state.h"

namespace velmora {

// Which glyph is which character code: glyph k lies at start + k x step and
// has code firstCode + k, unless the user labelled glyphs one by one. table
// names the table file whose texts the codes stand for (empty: codes are
// Unicode code points).
//
// labels (glyph offset -> code) override that rule: a labelled glyph has its
// label's code, and the glyph whose slot the rule gives that code has no
// character any more, so no two glyphs of a font share one (the label is the
// user's later, deliberate word). Labels before the start count only once the
// start moves back over them.
struct FontMap {
    int64_t start = 0;
    GlyphFormat format;
    uint32_t firstCode = 0x20;
    std::string table;
    std::map<int64_t, uint32_t> labels;

    bool operator==(const FontMap &) const = default;
};

// The offset of the glyph of code, when one has it and the whole glyph lies
// inside an image of imageLength bytes.
std::optional<int64_t> glyphOffsetOf(const FontMap &map, uint32_t code, int64_t imageLength);
// The code of the glyph at offset, when a whole glyph of the font starts there and has one.
std::optional<uint32_t> codeOfGlyph(const FontMap &map, int64_t offset, int64_t imageLength);
// Gives the glyph at offset the code, taking it from any other labelled glyph.
void labelGlyph(FontMap &map, int64_t offset, uint32_t code);

// The maps of the fonts of one image. A font's map governs its glyphs from
// its start up to the next map of the same format.
struct CharMaps {
    std::vector<FontMap> fonts;

    // The map of format that governs the glyph at offset, if any.
    const FontMap *governing(const GlyphFormat &format, int64_t offset) const;
    // Adds map, or replaces the one with the same start and format; returns it as kept.
    FontMap &set(const FontMap &map);
    // Removes the map with that start and format; true when there was one.
    bool remove(int64_t start, const GlyphFormat &format);
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
// taking the rest of the line, each followed by its labels, one a line:
// "= OFFSET CODE" in hex. Files without labels read as they always did.
std::string serialiseCharMaps(const CharMaps &maps);
// Throws EditorError naming the first line that cannot be read.
CharMaps parseCharMaps(std::string_view text);

} // namespace velmora
