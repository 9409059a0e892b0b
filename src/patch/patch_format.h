#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::patch {

// A patch that cannot be made or applied. The text says what is wrong and,
// for a patch being read, where in it.
class PatchError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The longest result a patch may make: the longest image the editor holds.
constexpr size_t maxPatchedLength = 0x7FFFFFFF;

// One patch file format. Each lives in a file of its own and is listed once
// in the table of patchFormats(); file dialogs and the command line both
// choose a format from that table by the file name's extension.
class PatchFormat {
public:
    virtual ~PatchFormat() = default;
    // The short name used in messages: "IPS", "BPS", "text".
    virtual std::string_view name() const = 0;
    // The file name extension, lower case, without the dot: "ips".
    virtual std::string_view extension() const = 0;
    // The file dialog filter: "IPS patches (*.ips)".
    virtual std::string_view nameFilter() const = 0;
    // The patch that turns original into modified. Throws PatchError when
    // this format cannot hold the difference.
    virtual std::vector<uint8_t> write(std::span<const uint8_t> original, std::span<const uint8_t> modified) const = 0;
    // image with patch applied, refused with a PatchError when the patch is
    // malformed, does not fit image, or would make more than maxLength bytes.
    virtual std::vector<uint8_t> apply(std::span<const uint8_t> image, std::span<const uint8_t> patch,
                                       size_t maxLength = maxPatchedLength) const = 0;
};

// Every patch format, in the order file dialogs list them.
std::span<const PatchFormat *const> patchFormats();
// The format whose extension ends fileName (compared without case), or null.
const PatchFormat *patchFormatFor(std::string_view fileName);
// The format for fileName; throws PatchError naming the known extensions when there is none.
const PatchFormat &requirePatchFormat(std::string_view fileName);
// One filter for every format: "Patches (*.ips *.bps *.txt)".
std::string anyPatchFilter();

// The format for BPS patches, for callers that always want that one.
const PatchFormat &bpsPatches();

// Hex digits of a value for messages: at least eight, upper case.
std::string hexOffset(uint64_t value);

} // namespace velmora::patch
