#include "patch/patch_format.h"

#include <array>
#include <cstdio>

#include "model/file_extension.h"
#include "patch/bps_patch.h"
#include "patch/ips_patch.h"
#include "patch/text_patch.h"

namespace velmora::patch {

namespace {

const IpsPatchFormat ips;
const BpsPatchFormat bps;
const TextPatchFormat text;

const std::array<const PatchFormat *, 3> table = {&ips, &bps, &text};

} // namespace

std::span<const PatchFormat *const> patchFormats() { return table; }

const PatchFormat *patchFormatFor(std::string_view fileName)
{
    for (const PatchFormat *format : table)
        if (endsWithExtension(fileName, format->extension()))
            return format;
    return nullptr;
}

const PatchFormat &requirePatchFormat(std::string_view fileName)
{
    if (const PatchFormat *format = patchFormatFor(fileName))
        return *format;
    std::string known;
    for (size_t i = 0; i < table.size(); ++i) {
        if (i > 0)
            known += i + 1 == table.size() ? " or " : ", ";
        known += '.';
        known += table[i]->extension();
    }
    throw PatchError("'" + std::string(fileName) + "' is not a patch name: a patch name ends in " + known);
}

std::string anyPatchFilter()
{
    std::string filter = "Patches (";
    for (size_t i = 0; i < table.size(); ++i) {
        filter += i > 0 ? " *." : "*.";
        filter += table[i]->extension();
    }
    return filter + ")";
}

const PatchFormat &bpsPatches() { return bps; }

std::string hexOffset(uint64_t value)
{
    char text[20];
    std::snprintf(text, sizeof text, "%08llX", static_cast<unsigned long long>(value));
    return text;
}

} // namespace velmora::patch
