#pragma once
#include <span>
#include <string>
#include <string_view>

#include "patch/patch_format.h"

namespace velmora::patch {

// Formats that only replace bytes cannot carry a change of length.
inline void requireSameLength(std::string_view format, std::span<const uint8_t> original,
                              std::span<const uint8_t> modified)
{
    if (original.size() != modified.size())
        throw PatchError("An " + std::string(format) + " patch keeps the image length: the original has "
                         + std::to_string(original.size()) + " bytes, the image " + std::to_string(modified.size()));
}

} // namespace velmora::patch
