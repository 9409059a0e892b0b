#pragma once
#include <cstdint>
#include <string>

namespace velmora {

// Eight uppercase hex digits; negative values as their 32-bit two's complement.
std::string hex8(int64_t value);
// Decimal text, padded with leading zeros to at least digits characters.
std::string zeroPad(int32_t number, int digits);

// The integer conversion of typed offsets, file-name prefixes and settings
// fields: optional leading blanks, then [+-]decimal, or "$", "x", "X", "0x",
// "0X" and up to eight hex digits (eight-digit values are signed 32-bit).
// Throws ConversionError for anything else.
int32_t strToInt(const std::string &text);

} // namespace velmora
