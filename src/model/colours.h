#pragma once
#include <cstdint>

namespace velmora {

// Colours are 0x00BBGGRR: red in the low byte, blue in the high one.
using Colour = uint32_t;

namespace colours {
constexpr Colour black = 0x000000;
constexpr Colour silver = 0xC0C0C0;
constexpr Colour lightLavender = 0xE0D0D0;
constexpr Colour lightCyan = 0xF0F0E0;
constexpr Colour red = 0x0000FF;
constexpr Colour grey = 0x808080;
constexpr Colour rangeLabel = 0x807060;
constexpr Colour blockBar = 0xA09080;
constexpr Colour matchedInfo = 0xFFC0C0;
constexpr Colour pluginInfo = 0xB0A090;
constexpr Colour changeMark = 0x0080FF; // orange: a character that differs from the reference
} // namespace colours

} // namespace velmora
