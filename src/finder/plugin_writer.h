#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "finder/font_scan.h"

namespace velmora {

constexpr int pluginPresetCount = 12;

// One preset button's part of a plug-in file.
struct PluginPreset {
    int32_t offset = 0;
    int width = 8;
    int height = 13;
    std::string flags; // up to five characters: "t" checks, "f" unchecks, "-" leaves a flag
    std::string hint;
    std::string format; // a format string of another layout than the width-byte one; empty: none
};

// The preset that puts a found font into effect: its offset, its format, and
// the flags "Skip spare byte" and "Swap bytes " set as the font needs them,
// the other three left alone. A font of another layout carries its format
// string instead of flags.
PluginPreset presetForFont(const FontCandidate &font);

// The 22 lines of a plug-in file, each ending in CR LF: the title, the image
// size the presets are for, then captions, hints, offsets, formats and flag
// strings of buttons 1 to 6 and 7 to 12 in their fixed-width fields. The
// first twelve presets are written, captioned 1 to 9 and A to C; buttons
// without a preset read "-". Control characters in the title and hints
// would end a line or the file early and are written as blanks. A preset
// with a format string adds a line "format N STRING" after them.
std::string pluginText(const std::string &title, int32_t imageSize, std::span<const PluginPreset> presets);

} // namespace velmora
