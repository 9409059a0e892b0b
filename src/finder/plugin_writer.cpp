#include "finder/plugin_writer.h"

#include <algorithm>
#include <cstdio>

#include "model/text_format.h"

namespace velmora {

namespace {

constexpr const char *lineEnd = "\r\n";
constexpr char captions[] = "123456789ABC";

// A line's text without anything that ends a line or the file when read.
std::string lineText(std::string text)
{
    for (char &c : text)
        if (static_cast<unsigned char>(c) < 32 || c == 127)
            c = ' ';
    return text;
}

// A two-digit field: the value's last two decimal digits, zero-padded.
std::string twoDigits(int value)
{
    char field[3];
    std::snprintf(field, sizeof field, "%02d", std::clamp(value, 0, 99));
    return field;
}

std::string flagField(const std::string &flags) { return (flags + "-----").substr(0, 5); }

} // namespace

PluginPreset presetForFont(const FontCandidate &font)
{
    const FontFormat &f = font.format;
    PluginPreset preset;
    preset.offset = static_cast<int32_t>(font.start);
    preset.width = f.width;
    preset.height = f.height;
    preset.hint = formatText(f) + " at " + hex8(font.start);
    if (!f.widthByte()) {
        // The fixed fields keep two digits each; the format line names the layout.
        preset.flags = "-----";
        preset.format = formatText(f);
        return preset;
    }
    preset.flags = std::string("---") + (f.spare ? 't' : 'f') + (f.swap ? 't' : 'f');
    return preset;
}

std::string pluginText(const std::string &title, int32_t imageSize, std::span<const PluginPreset> presets)
{
    const size_t used = std::min<size_t>(presets.size(), pluginPresetCount);
    std::string text = lineText(title) + lineEnd + std::to_string(imageSize) + lineEnd;
    for (size_t column = 0; column < 2; ++column) {
        std::string captionLine, offsets, formats, flags;
        std::vector<std::string> hints;
        for (size_t k = 0; k < 6; ++k) {
            const size_t n = column * 6 + k;
            // Every field is written, so that a button without a preset
            // still reads as numbers.
            const PluginPreset preset = n < used ? presets[n] : PluginPreset{};
            captionLine += n < used ? captions[n] : '-';
            hints.push_back(n < used ? lineText(preset.hint) : std::string());
            offsets += '$';
            offsets += hex8(preset.offset);
            formats += twoDigits(preset.width) + twoDigits(preset.height);
            flags += n < used ? flagField(preset.flags) : std::string("-----");
        }
        text += captionLine + lineEnd;
        for (const std::string &hint : hints)
            text += hint + lineEnd;
        text += offsets + lineEnd + formats + lineEnd + flags + lineEnd;
    }
    for (size_t n = 0; n < used; ++n)
        if (!presets[n].format.empty())
            text += "format " + std::to_string(n + 1) + " " + lineText(presets[n].format) + lineEnd;
    return text;
}

} // namespace velmora
