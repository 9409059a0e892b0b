#include "characters/char_map.h"

#include <charconv>

#include "model/errors.h"

namespace velmora {

namespace {

bool inside(const FontMap &map, int64_t offset, int64_t imageLength)
{
    return offset >= map.start && offset + map.format.size() <= imageLength;
}

// The offset of the label that names code, among those that count.
std::optional<int64_t> labelledWith(const FontMap &map, uint32_t code)
{
    for (const auto &[offset, labelled] : map.labels)
        if (labelled == code && offset >= map.start)
            return offset;
    return std::nullopt;
}

} // namespace

std::optional<int64_t> glyphOffsetOf(const FontMap &map, uint32_t code, int64_t imageLength)
{
    if (const auto labelled = labelledWith(map, code))
        return inside(map, *labelled, imageLength) ? labelled : std::nullopt;
    if (code < map.firstCode)
        return std::nullopt;
    const int64_t offset = map.start + int64_t{code - map.firstCode} * map.format.step();
    if (!inside(map, offset, imageLength) || map.labels.contains(offset))
        return std::nullopt; // past the end, or the glyph in that slot is labelled otherwise
    return offset;
}

std::optional<uint32_t> codeOfGlyph(const FontMap &map, int64_t offset, int64_t imageLength)
{
    if (!inside(map, offset, imageLength))
        return std::nullopt;
    if (const auto label = map.labels.find(offset); label != map.labels.end())
        return label->second;
    const int64_t distance = offset - map.start;
    if (distance % map.format.step() != 0)
        return std::nullopt;
    const int64_t code = int64_t{map.firstCode} + distance / map.format.step();
    if (code > UINT32_MAX || labelledWith(map, static_cast<uint32_t>(code)))
        return std::nullopt;
    return static_cast<uint32_t>(code);
}

void labelGlyph(FontMap &map, int64_t offset, uint32_t code)
{
    std::erase_if(map.labels, [code](const auto &label) { return label.second == code; });
    map.labels[offset] = code;
}

namespace {

// The format a preset puts into effect, on top of the state's flags.
GlyphFormat presetFormat(const EditorState &s, const Preset &preset)
{
    if (const auto layout = parseFormatText(preset.format))
        return *layout;
    const auto flag = [&](size_t k, Flag f) {
        return preset.flags.size() > k && (preset.flags[k] == 't' || preset.flags[k] == 'f') ? preset.flags[k] == 't' : s.flag(f);
    };
    const bool wide = preset.charWidth == 16;
    return GlyphFormat{preset.charWidth, preset.charHeight, wide && flag(3, Flag::SkipSpareByte), wide && flag(4, Flag::SwapBytes)};
}

bool holds(int64_t start, int64_t count, const GlyphFormat &f, int64_t g)
{
    const int64_t distance = g - start;
    return distance >= 0 && distance % f.step() == 0 && distance / f.step() < count;
}

} // namespace

std::optional<KnownFont> knownFontHolding(const EditorState &s, const GlyphFormat &format, int64_t g)
{
    std::optional<KnownFont> best;
    const auto consider = [&](int64_t start, std::string source) {
        if (!best || start > best->start)
            best = KnownFont{start, std::move(source)};
    };
    for (int n = 0; n < presetCount; ++n) {
        const Preset &preset = s.presetTable.presets[static_cast<size_t>(n)];
        if (s.presetButtons.acts(n) && presetFormat(s, preset) == format && holds(preset.offset, 256, format, g))
            consider(preset.offset, s.presetsFromPlugin ? "plug-in button " + std::to_string(n + 1)
                                                        : "preset " + s.presetButtons.captions[static_cast<size_t>(n)]);
    }
    for (size_t k = 0; k < s.foundFonts.size(); ++k) {
        const FoundFont &font = s.foundFonts[k];
        if (font.format == format && holds(font.start, font.count, format, g))
            consider(font.start, "found font " + std::to_string(k + 1));
    }
    return best;
}

const FontMap *CharMaps::governing(const GlyphFormat &format, int64_t offset) const
{
    const FontMap *best = nullptr;
    for (const FontMap &font : fonts)
        if (font.format == format && font.start <= offset && (!best || font.start > best->start))
            best = &font;
    return best;
}

bool CharMaps::remove(int64_t start, const GlyphFormat &format)
{
    return std::erase_if(fonts, [&](const FontMap &font) { return font.start == start && font.format == format; }) > 0;
}

FontMap &CharMaps::set(const FontMap &map)
{
    for (FontMap &font : fonts) {
        if (font.start == map.start && font.format == map.format) {
            font = map;
            return font;
        }
    }
    return fonts.emplace_back(map);
}

namespace {

constexpr std::string_view header =
    "# Velmora CE character map: start, format, first code, table; then \"= OFFSET CODE\" for each labelled glyph\n";

// Upper-case hex digits of value, at least digits of them: a first code past
// FFFF keeps all its digits.
std::string hex(uint64_t value, int digits)
{
    std::string text;
    do {
        text.insert(text.begin(), "0123456789ABCDEF"[value & 15]);
        value >>= 4;
    } while (value != 0);
    if (text.size() < static_cast<size_t>(digits))
        text.insert(0, static_cast<size_t>(digits) - text.size(), '0');
    return text;
}

// The next field of line up to a blank; line keeps the rest after the blank.
std::string_view field(std::string_view &line)
{
    const size_t blank = line.find(' ');
    const std::string_view word = line.substr(0, blank);
    line = blank == std::string_view::npos ? std::string_view() : line.substr(blank + 1);
    return word;
}

std::optional<uint64_t> parseHex(std::string_view digits, uint64_t limit)
{
    uint64_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || value > limit)
        return std::nullopt;
    return value;
}

} // namespace

std::string serialiseCharMaps(const CharMaps &maps)
{
    std::string text(header);
    for (const FontMap &font : maps.fonts) {
        text += hex(static_cast<uint64_t>(font.start), 8) + " " + formatText(font.format) + " "
                + hex(font.firstCode, 4);
        if (!font.table.empty())
            text += " " + font.table;
        text += "\n";
        for (const auto &[offset, code] : font.labels)
            text += "= " + hex(static_cast<uint64_t>(offset), 8) + " " + hex(code, 4) + "\n";
    }
    return text;
}

CharMaps parseCharMaps(std::string_view text)
{
    CharMaps maps;
    FontMap *current = nullptr; // the font of the last font line
    int lineNumber = 0;
    for (size_t start = 0; start < text.size();) {
        ++lineNumber;
        const size_t end = std::min(text.find('\n', start), text.size());
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        while (line.ends_with('\r'))
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        if (line.starts_with("= ")) {
            // A label of the font on the line above.
            line.remove_prefix(2);
            const auto offset = parseHex(field(line), INT32_MAX);
            const auto code = parseHex(field(line), 0x10FFFF);
            if (!current || !offset || !code || !line.empty())
                throw EditorError("Line " + std::to_string(lineNumber)
                                  + " of the character map: expected \"= OFFSET CODE\" after a font's line");
            labelGlyph(*current, static_cast<int64_t>(*offset), static_cast<uint32_t>(*code));
            continue;
        }
        FontMap font;
        const auto offset = parseHex(field(line), INT32_MAX);
        const auto format = parseFormatText(field(line));
        const auto first = parseHex(field(line), 0x10FFFF);
        if (!offset || !format || !first)
            throw EditorError("Line " + std::to_string(lineNumber)
                              + " of the character map: expected start, format and first code");
        font.start = static_cast<int64_t>(*offset);
        font.format = *format;
        font.firstCode = static_cast<uint32_t>(*first);
        font.table = std::string(line);
        current = &maps.set(font);
    }
    return maps;
}

} // namespace velmora
