#pragma once
#include "patch/patch_format.h"

namespace velmora::patch {

// BPS patches: "BPS1", the original's and the result's lengths, actions that
// copy from the original or carry new bytes, and the CRC-32s of the original,
// the result and the patch itself, so that a patch applied to another image
// than its own, or a damaged patch, is refused.
class BpsPatchFormat final : public PatchFormat {
public:
    std::string_view name() const override { return "BPS"; }
    std::string_view extension() const override { return "bps"; }
    std::string_view nameFilter() const override { return "BPS patches (*.bps)"; }
    std::vector<uint8_t> write(std::span<const uint8_t> original, std::span<const uint8_t> modified) const override;
    std::vector<uint8_t> apply(std::span<const uint8_t> image, std::span<const uint8_t> patch,
                               size_t maxLength = maxPatchedLength) const override;
};

// What a BPS patch says about the images it joins, read without applying it.
struct BpsSummary {
    uint64_t originalLength = 0;
    uint64_t resultLength = 0;
    uint32_t originalCrc = 0;
    uint32_t resultCrc = 0;
};
// The header and checksums of a BPS patch, after checking its own CRC-32.
// Throws PatchError for a patch that is not BPS, truncated or damaged.
BpsSummary readBpsSummary(std::span<const uint8_t> patch);

} // namespace velmora::patch
