#pragma once
#include "patch/patch_format.h"

namespace velmora::patch {

// IPS patches: "PATCH", records of a 3-byte offset, a 2-byte length and the
// new bytes (or, for length 0, a 2-byte count and one byte repeated), "EOF".
// Offsets reach 16 MB; a record at 0x454F46 would read as the end mark, so
// the writer starts such a record one byte earlier. Records past the image
// end are refused: a patch here never changes the image length.
class IpsPatchFormat final : public PatchFormat {
public:
    std::string_view name() const override { return "IPS"; }
    std::string_view extension() const override { return "ips"; }
    std::string_view nameFilter() const override { return "IPS patches (*.ips)"; }
    std::vector<uint8_t> write(std::span<const uint8_t> original, std::span<const uint8_t> modified) const override;
    std::vector<uint8_t> apply(std::span<const uint8_t> image, std::span<const uint8_t> patch,
                               size_t maxLength = maxPatchedLength) const override;
};

} // namespace velmora::patch
