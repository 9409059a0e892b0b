#include "presets/settings_file.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "model/errors.h"
#include "model/format.h"
#include "model/text_format.h"

namespace velmora {

namespace {

constexpr char cr = 13;
constexpr char lf = 10;
constexpr char endOfFile = 26;
constexpr size_t maxTokenLength = 32;

bool isBlankOrControl(char c) { return static_cast<unsigned char>(c) <= 32; }

// Characters first .. first + count - 1 of line (1-based), cut where the line ends.
std::string field(const std::string &line, size_t first, size_t count)
{
    if (first > line.size())
        return {};
    return line.substr(first - 1, count);
}

uint8_t lowByte(int32_t value) { return static_cast<uint8_t>(value & 0xFF); }

} // namespace

SettingsText::SettingsText(std::string_view bytes)
    // Ctrl-Z ends the file wherever it stands.
    : bytes_(bytes.substr(0, std::min(bytes.find(endOfFile), bytes.size())))
{
}

void SettingsText::skipLineEnd()
{
    if (pos_ < bytes_.size() && bytes_[pos_] == cr) {
        ++pos_;
        if (pos_ < bytes_.size() && bytes_[pos_] == lf)
            ++pos_;
    }
}

std::string SettingsText::textLine()
{
    const size_t end = std::min(bytes_.find(cr, pos_), bytes_.size());
    std::string line(bytes_.substr(pos_, end - pos_));
    pos_ = end;
    skipLineEnd();
    return line;
}

int32_t SettingsText::numberLine()
{
    // Blank lines, blanks and control characters before the token are skipped.
    while (pos_ < bytes_.size() && isBlankOrControl(bytes_[pos_]))
        ++pos_;
    if (atEnd())
        return 0;
    const size_t start = pos_;
    while (pos_ < bytes_.size() && !isBlankOrControl(bytes_[pos_]))
        ++pos_;
    const std::string token(bytes_.substr(start, std::min(pos_ - start, maxTokenLength)));
    textLine(); // the rest of the line is ignored
    try {
        return strToInt(token);
    } catch (const ConversionError &) {
        throw FileError(106); // "Invalid numeric input"
    }
}

SettingsOutcome loadSettings(std::string_view bytes, SettingsMode mode, EditorState &s)
{
    SettingsText text(bytes);
    SettingsOutcome outcome;
    s.pluginMatch = 0;

    while (!text.atEnd() && s.pluginMatch != 1) {
        outcome.title = text.textLine();
        if (mode == SettingsMode::Plugin) {
            s.pluginMatch = 1;
            break;
        }
        const std::string modelLine = text.textLine();
        // Every number the entry lists is read, so that the next entry starts
        // where it should even when the count exceeds the usual eight.
        const int count = lowByte(text.numberLine());
        bool numberMatches = false;
        for (int i = 0; i < count; ++i)
            numberMatches = lowByte(text.numberLine()) == s.firmwareNumber || numberMatches;
        if (modelLine == s.modelName && numberMatches)
            s.pluginMatch = 1;
        else
            for (int line = 0; line < presetBodyLines; ++line)
                text.textLine();
    }
    if (s.pluginMatch == 0 && mode == SettingsMode::Search)
        return outcome;

    s.presetTable.expectedSize = text.numberLine();
    std::array<std::string, presetBodyLines - 1> body;
    for (std::string &line : body)
        line = text.textLine();
    if (s.presetTable.expectedSize != s.imageLength())
        return outcome;

    // Body lines after the size, per column: captions, six hints, offsets, formats, flag strings.
    constexpr size_t columnLines = 10;
    for (size_t n = 0; n < presetCount; ++n) {
        const size_t column = n / 6;
        const size_t k = n % 6 + 1;
        const std::string *lines = body.data() + column * columnLines;
        Preset &preset = s.presetTable.presets[n];
        preset.offset = strToInt(field(lines[7], 9 * k - 8, 9));
        preset.flags = field(lines[9], 5 * k - 4, 5);
        // A captions line that ends early leaves the buttons past its end without a preset.
        s.presetButtons.captions[n] = k <= lines[0].size() ? std::string(1, lines[0][k - 1]) : "-";
        s.presetButtons.hints[n] = lines[k];
        preset.charWidth = lowByte(strToInt(field(lines[8], 4 * k - 3, 2)));
        preset.charHeight = lowByte(strToInt(field(lines[8], 4 * k - 1, 2)));
        preset.format.clear();
    }
    // A plug-in may go on with "format N STRING" lines: button N shows its font
    // in that format string's layout. Other lines, and strings that name no
    // format, are passed over.
    while (mode == SettingsMode::Plugin && !text.atEnd()) {
        const std::string line = text.textLine();
        int button = 0;
        char named[64] = {};
        if (std::sscanf(line.c_str(), "format %d %63s", &button, named) == 2 && button >= 1 && button <= presetCount
            && parseFormatText(named))
            s.presetTable.presets[static_cast<size_t>(button - 1)].format = named;
    }
    outcome.taken = true;
    return outcome;
}

int32_t presetViewOffset(const EditorState &state, const Preset &preset)
{
    EditorState format;
    format.charWidth = state.charWidth;
    format.charHeight = state.charHeight;
    format.layout = state.layout;
    if (const auto layout = parseFormatText(preset.format)) {
        setGlyphFormat(format, *layout, preset.offset);
    } else if (isValidFormat(preset.charWidth, preset.charHeight)) {
        format.layout = {};
        format.charWidth = preset.charWidth;
        format.charHeight = preset.charHeight;
    }
    const int64_t length = state.imageLength();
    int64_t v = preset.offset;
    if (v + overviewSpan(format) > length + 1)
        v = length + overviewSlack(format) - overviewSpan(format);
    return static_cast<int32_t>(std::max<int64_t>(v, 0));
}

void applyFlagString(EditorState &state, const std::string &flagString)
{
    for (size_t k = 0; k < flagString.size() && k < flagCount; ++k) {
        if (flagString[k] == 't')
            state.setFlag(static_cast<Flag>(k), true);
        else if (flagString[k] == 'f')
            state.setFlag(static_cast<Flag>(k), false);
    }
}

} // namespace velmora
