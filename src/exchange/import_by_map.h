#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include <QFont>
#include <QStringList>

#include "exchange/glyph_sheet.h"

namespace velmora {

struct Editor;

// What an import by character does to the current font: of count glyphs
// from the font's start, those whose code the map names get the character
// of that code drawn from a font; those whose character the font lacks are
// left unchanged and counted.
struct MapImportPlan {
    std::vector<int64_t> offsets; // the glyphs to write
    QStringList texts;            // the character each of them gets
    int lacking = 0;
    std::string error; // a table that cannot be read: nothing to write
};

MapImportPlan planMapImport(Editor &editor, const QFont &font, int count);

// Writes cell k of glyphs at offsets[k] through the codec; returns how many were written.
int writeMapImport(EditorState &state, const MapImportPlan &plan, const SheetGlyphs &glyphs, bool computeWidths);

} // namespace velmora
