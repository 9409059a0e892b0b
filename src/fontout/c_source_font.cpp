#include "fontout/c_source_font.h"

#include <cctype>
#include <set>

#include "characters/utf8_text.h"
#include "fontout/font_glyphs.h"

namespace velmora::fontout {

namespace {

// The words of C (to C23) that cannot name an array.
bool isCKeyword(const std::string &word)
{
    static const std::set<std::string> keywords = {
        "alignas", "alignof", "auto", "bool", "break", "case", "char", "const", "constexpr", "continue", "default",
        "do", "double", "else", "enum", "extern", "false", "float", "for", "goto", "if", "inline", "int", "long",
        "nullptr", "register", "restrict", "return", "short", "signed", "sizeof", "static", "static_assert", "struct",
        "switch", "thread_local", "true", "typedef", "typeof", "typeof_unqual", "union", "unsigned", "void",
        "volatile", "while", "_Alignas", "_Alignof", "_Atomic", "_BitInt", "_Bool", "_Complex", "_Decimal128",
        "_Decimal32", "_Decimal64", "_Generic", "_Imaginary", "_Noreturn", "_Static_assert", "_Thread_local"};
    return keywords.count(word) > 0;
}

// The font's name as a C identifier: letters, digits and underscores, not
// starting with a digit, no word of C.
std::string identifier(const std::string &name)
{
    std::string id;
    for (const char c : name)
        id += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    if (id.empty() || std::isdigit(static_cast<unsigned char>(id[0])) || isCKeyword(id))
        id = "font_" + id;
    return id;
}

// The glyph's characters for a comment: printable ones as UTF-8 (never
// closing the comment), any other as U+XXXX.
std::string commentText(const std::u32string &characters)
{
    std::string text;
    for (const char32_t c : characters) {
        if (c < 0x20 || (c >= 0x7F && c < 0xA0))
            text += "U+" + hexText(c, 4);
        else if (c == U'/' && !text.empty() && text.back() == '*')
            text += " /";
        else
            text += encodeUtf8(std::u32string(1, c));
    }
    return text;
}

void appendBytes(std::string &text, std::span<const uint8_t> bytes)
{
    for (size_t i = 0; i < bytes.size(); ++i)
        text += (i > 0 ? " 0x" : "0x") + hexText(bytes[i], 2) + ",";
}

} // namespace

std::string_view CSourceFont::name() const { return "C source"; }
std::string_view CSourceFont::extension() const { return "c"; }
std::string_view CSourceFont::nameFilter() const { return "C source (*.c)"; }

std::vector<uint8_t> CSourceFont::write(const FontRange &range) const
{
    checkRange(range);
    const GlyphFormat &f = range.format;
    const std::string id = identifier(range.name);
    const int64_t step = f.step();
    const int64_t total = (range.count - 1) * step + f.size();
    std::string text = "/* " + std::to_string(range.count) + " glyphs from offset " + hexText(range.start, 8)
                       + ", as they are in the image: glyph k starts at byte k * " + std::to_string(step) + ".\n";
    text += "   Format: " + formatText(f) + " */\n\n#include <stdint.h>\n\n";
    text += "static const uint8_t " + id + "[" + std::to_string(total) + "] = {\n";
    for (int64_t k = 0; k < range.count; ++k) {
        const int64_t length = k + 1 < range.count ? step : f.size();
        text += "    ";
        appendBytes(text, range.image.subspan(static_cast<size_t>(glyphOffset(range, k)), static_cast<size_t>(length)));
        const std::string characters = commentText(charactersOf(range, k));
        const std::optional<uint32_t> code = codeOf(range, k);
        text += " /* " + (code ? "0x" + hexText(*code, 2) : std::string("no code")) + (characters.empty() ? "" : " " + characters)
                + " */\n";
    }
    text += "};\n";
    if (!f.widthByte() && f.widthTable >= 0) {
        text += "\n/* The advances, one byte a glyph, from the width table at " + hexText(f.widthTable, 8) + ". */\n";
        text += "static const uint8_t " + id + "_widths[" + std::to_string(range.count) + "] = {\n";
        for (int64_t k = 0; k < range.count; k += 16) {
            text += "    ";
            appendBytes(text, range.image.subspan(static_cast<size_t>(f.widthTable + k),
                                                  static_cast<size_t>(std::min<int64_t>(16, range.count - k))));
            text += "\n";
        }
        text += "};\n";
    }
    return {text.begin(), text.end()};
}

} // namespace velmora::fontout
