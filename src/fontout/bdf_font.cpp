#include "fontout/bdf_font.h"

#include <cmath>

#include "fontout/font_glyphs.h"

namespace velmora::fontout {

namespace {

// A name safe inside an XLFD name and a quoted property: no dash, no quote.
std::string familyName(const std::string &name)
{
    std::string family;
    for (const char c : name)
        family += (std::isalnum(static_cast<unsigned char>(c)) || c == ' ' || c == '_' || c == '.') ? c : '_';
    return family.empty() ? std::string("font") : family;
}

// The glyph's name: Unicode codes as "uniXXXX" or "uXXXXX", table codes as
// "codeXXXX", a glyph without a code as "glyphK".
std::string glyphName(const FontRange &range, int64_t k)
{
    const std::optional<uint32_t> known = codeOf(range, k);
    if (!known)
        return "glyph" + std::to_string(k);
    const uint32_t code = *known;
    if (range.table || code > 0x10FFFF)
        return "code" + hexText(code, 4);
    return code <= 0xFFFF ? "uni" + hexText(code, 4) : "u" + hexText(code, 5);
}

} // namespace

std::string_view BdfFont::name() const { return "BDF"; }
std::string_view BdfFont::extension() const { return "bdf"; }
std::string_view BdfFont::nameFilter() const { return "BDF fonts (*.bdf)"; }

std::vector<uint8_t> BdfFont::write(const FontRange &range) const
{
    checkRange(range);
    const GlyphFormat &f = range.format;
    const int width = f.width;
    const int height = f.pixelRows();
    const std::string family = familyName(range.name);
    // The point size is the pixel size at 72 dots an inch: one pixel a point.
    const std::string size = std::to_string(height);
    int64_t advances = 0;
    for (int64_t k = 0; k < range.count; ++k)
        advances += advanceOf(range, k);
    const long averageWidth = std::lround(10.0 * static_cast<double>(advances) / static_cast<double>(range.count));
    const char *spacing = f.hasWidths() ? "P" : "C";
    const char *registry = range.table ? "FontSpecific" : "ISO10646";
    const char *encoding = range.table ? "0" : "1";

    std::string text = "STARTFONT 2.1\n";
    text += "COMMENT " + std::to_string(range.count) + " glyphs from offset " + hexText(range.start, 8) + " in format "
            + formatText(f) + "\n";
    text += "FONT -Velmora-" + family + "-Medium-R-Normal--" + size + "-" + size + "0-72-72-" + spacing + "-"
            + std::to_string(averageWidth) + "-" + registry + "-" + encoding + "\n";
    text += "SIZE " + size + " 72 72\n";
    text += "FONTBOUNDINGBOX " + std::to_string(width) + " " + size + " 0 0\n";
    text += "STARTPROPERTIES 15\n";
    text += "FOUNDRY \"Velmora\"\nFAMILY_NAME \"" + family + "\"\nWEIGHT_NAME \"Medium\"\nSLANT \"R\"\n";
    text += "SETWIDTH_NAME \"Normal\"\nPIXEL_SIZE " + size + "\nPOINT_SIZE " + size + "0\n";
    text += "RESOLUTION_X 72\nRESOLUTION_Y 72\nSPACING \"" + std::string(spacing) + "\"\n";
    text += "AVERAGE_WIDTH " + std::to_string(averageWidth) + "\n";
    text += "CHARSET_REGISTRY \"" + std::string(registry) + "\"\nCHARSET_ENCODING \"" + encoding + "\"\n";
    // The cell's bottom is the baseline: nothing says where the font's own baseline lies.
    text += "FONT_ASCENT " + size + "\nFONT_DESCENT 0\nENDPROPERTIES\n";
    text += "CHARS " + std::to_string(range.count) + "\n";
    const int rowBytes = inkRowBytes(f);
    for (int64_t k = 0; k < range.count; ++k) {
        const int advance = advanceOf(range, k);
        text += "STARTCHAR " + glyphName(range, k) + "\n";
        // BDF's "ENCODING -1": a glyph outside the encoding.
        const std::optional<uint32_t> code = codeOf(range, k);
        text += "ENCODING " + (code ? std::to_string(*code) : std::string("-1")) + "\n";
        text += "SWIDTH " + std::to_string(std::lround(1000.0 * advance / height)) + " 0\n";
        text += "DWIDTH " + std::to_string(advance) + " 0\n";
        text += "BBX " + std::to_string(width) + " " + size + " 0 0\nBITMAP\n";
        const std::vector<uint8_t> rows = inkRows(range, k);
        for (int y = 0; y < height; ++y) {
            for (int i = 0; i < rowBytes; ++i)
                text += hexText(rows[static_cast<size_t>(y * rowBytes + i)], 2);
            text += '\n';
        }
        text += "ENDCHAR\n";
    }
    text += "ENDFONT\n";
    return {text.begin(), text.end()};
}

} // namespace velmora::fontout
