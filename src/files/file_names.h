#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include <QString>

namespace velmora {

struct CharFormat {
    int width;
    int height;
};

// The format carried by a file name's size prefix ("16x12_font.bin" gives
// 16 x 12): the last path component must have "x" as its third character.
// Characters 4 and 5 (the height) are converted before characters 1 and 2;
// a pair that is not a number throws ConversionError naming it. The numbers
// are returned unchecked.
std::optional<CharFormat> sizePrefixFormat(const QString &fileName);

// The name Save block proposes: "block_<start>-<end>" with the address
// prefix, "<WW>x<HH>_" with the size prefix, "_" between the two, then ".bin".
std::string proposedBlockName(int32_t blockStart, int32_t blockEnd, int charWidth, int charHeight,
                              bool sizePrefix, bool addressPrefix);

} // namespace velmora
