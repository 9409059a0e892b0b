#include "exchange/import_by_map.h"

#include "characters/char_map_commands.h"
#include "exchange/font_render.h"
#include "views/editor.h"

namespace velmora {

MapImportPlan planMapImport(Editor &e, const QFont &font, int count)
{
    MapImportPlan plan;
    CharMapStore &store = CharMapStore::of(e);
    const FontMap map = store.activeMap();
    const CharTable *table = store.activeTable(&plan.error);
    if (!plan.error.empty())
        return plan;
    for (int k = 0; k < count; ++k) {
        const int64_t offset = map.start + int64_t{k} * map.format.step();
        if (offset + map.format.size() > e.state.imageLength())
            break; // the glyphs that follow lie past the image end too
        // The glyph's label, else its slot's code; none when a label took that code.
        const auto mapped = codeOfGlyph(map, offset, e.state.imageLength());
        if (!mapped)
            continue;
        const uint32_t code = *mapped;
        QString text;
        if (table) {
            const std::u32string *named = table->textOf(code);
            if (!named)
                continue;
            text = QString::fromUcs4(named->data(), static_cast<qsizetype>(named->size()));
        } else if (code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF)) {
            const auto c = static_cast<char32_t>(code);
            text = QString::fromUcs4(&c, 1);
        } else {
            continue;
        }
        if (!fontHasText(font, text)) {
            ++plan.lacking;
            continue;
        }
        plan.offsets.push_back(offset);
        plan.texts << text;
    }
    return plan;
}

int writeMapImport(EditorState &s, const MapImportPlan &plan, const SheetGlyphs &glyphs, bool computeWidths)
{
    const size_t cell = static_cast<size_t>(glyphs.cellWidth) * static_cast<size_t>(glyphs.cellHeight);
    int written = 0;
    SheetGlyphs one(glyphs.cellWidth, glyphs.cellHeight, 1);
    for (size_t k = 0; k < plan.offsets.size() && static_cast<int>(k) < glyphs.count(); ++k) {
        one.widths[0] = glyphs.widths[k];
        std::copy_n(glyphs.pixels.begin() + static_cast<std::ptrdiff_t>(k * cell), cell, one.pixels.begin());
        written += writeSheetGlyphs(s, plan.offsets[k], one, computeWidths);
    }
    return written;
}

} // namespace velmora
