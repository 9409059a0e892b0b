#pragma once
#include "patch/patch_format.h"

namespace velmora::patch {

// Readable patches: a header naming the original's and the modified image's
// lengths and CRC-32s, then one line per run of changed bytes,
// "OFFSET: OLD BYTES -> NEW BYTES" in hex. '#' starts a comment. A patch is
// applied only where every old byte matches the image, so it can be edited
// by hand and still never lands on another image.
class TextPatchFormat final : public PatchFormat {
public:
    std::string_view name() const override { return "text"; }
    std::string_view extension() const override { return "txt"; }
    std::string_view nameFilter() const override { return "Text patches (*.txt)"; }
    std::vector<uint8_t> write(std::span<const uint8_t> original, std::span<const uint8_t> modified) const override;
    std::vector<uint8_t> apply(std::span<const uint8_t> image, std::span<const uint8_t> patch,
                               size_t maxLength = maxPatchedLength) const override;
};

} // namespace velmora::patch
