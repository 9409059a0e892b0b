#include "patch/ips_patch.h"

#include <algorithm>
#include <cstring>

#include "patch/byte_runs.h"
#include "patch/patch_support.h"

namespace velmora::patch {

namespace {

constexpr char header[] = {'P', 'A', 'T', 'C', 'H'};
constexpr char endMark[] = {'E', 'O', 'F'};
constexpr size_t endMarkOffset = 0x454F46; // "EOF" read as an offset
constexpr size_t offsetLimit = size_t{1} << 24;
constexpr size_t longestRecord = 0xFFFF;

void putBigEndian(std::vector<uint8_t> &out, size_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

size_t bigEndian(std::span<const uint8_t> bytes, size_t at, int count)
{
    size_t value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 8 | bytes[at + static_cast<size_t>(i)];
    return value;
}

[[noreturn]] void fail(const std::string &what, size_t offset)
{
    throw PatchError("The IPS patch " + what + " at patch offset " + hexOffset(offset));
}

} // namespace

std::vector<uint8_t> IpsPatchFormat::write(std::span<const uint8_t> original, std::span<const uint8_t> modified) const
{
    requireSameLength("IPS", original, modified);
    if (modified.size() > offsetLimit)
        throw PatchError("An IPS patch reaches only the first 16 MB (16777216 bytes): this image has "
                         + std::to_string(modified.size()) + " bytes");
    std::vector<uint8_t> out(header, header + sizeof header);
    for (const ByteRun &run : differingRuns(original, modified)) {
        size_t pos = run.offset;
        while (pos < run.end()) {
            // Rewriting the unchanged byte before it is harmless; a record
            // at 0x454F46 would end the patch.
            const size_t start = pos == endMarkOffset ? pos - 1 : pos;
            const size_t length = std::min(run.end() - start, longestRecord);
            putBigEndian(out, start, 3);
            putBigEndian(out, length, 2);
            out.insert(out.end(), modified.begin() + static_cast<std::ptrdiff_t>(start),
                       modified.begin() + static_cast<std::ptrdiff_t>(start + length));
            pos = start + length;
        }
    }
    out.insert(out.end(), endMark, endMark + sizeof endMark);
    return out;
}

std::vector<uint8_t> IpsPatchFormat::apply(std::span<const uint8_t> image, std::span<const uint8_t> patch,
                                           size_t maxLength) const
{
    if (patch.size() < sizeof header || std::memcmp(patch.data(), header, sizeof header) != 0)
        throw PatchError("Not an IPS patch: it does not begin with \"PATCH\"");
    if (image.size() > maxLength)
        throw PatchError("The image of " + std::to_string(image.size()) + " bytes is longer than the "
                         + std::to_string(maxLength) + " allowed");
    std::vector<uint8_t> out(image.begin(), image.end());
    size_t pos = sizeof header;
    while (true) {
        if (pos == patch.size())
            fail("has no EOF mark: it ends", pos);
        if (patch.size() - pos >= 3 && std::memcmp(patch.data() + pos, endMark, sizeof endMark) == 0)
            break;
        const size_t record = pos;
        if (patch.size() - pos < 5)
            fail("ends inside the record", record);
        const size_t offset = bigEndian(patch, pos, 3);
        size_t length = bigEndian(patch, pos + 3, 2);
        pos += 5;
        const uint8_t *data = nullptr;
        bool repeated = false;
        if (length == 0) {
            // A run of one byte: a 2-byte count and the byte.
            if (patch.size() - pos < 3)
                fail("ends inside the record", record);
            length = bigEndian(patch, pos, 2);
            data = patch.data() + pos + 2;
            repeated = true;
            pos += 3;
            if (length == 0)
                fail("has a run of no bytes", record);
        } else {
            if (patch.size() - pos < length)
                fail("ends inside the record", record);
            data = patch.data() + pos;
            pos += length;
        }
        if (offset + length > out.size())
            fail("writes " + std::to_string(length) + " bytes at " + hexOffset(offset) + ", past the image end ("
                     + std::to_string(out.size()) + " bytes),",
                 record);
        if (repeated)
            std::fill_n(out.begin() + static_cast<std::ptrdiff_t>(offset), length, *data);
        else
            std::memcpy(out.data() + offset, data, length);
    }
    pos += sizeof endMark;
    if (pos != patch.size()) {
        // Some writers add a 3-byte length to cut the image to: only a cut
        // that keeps the image whole is taken, as a no-op.
        if (patch.size() - pos != 3)
            fail("goes on after its EOF mark", pos);
        const size_t cut = bigEndian(patch, pos, 3);
        if (cut != out.size())
            fail("cuts the image to " + std::to_string(cut) + " bytes (it has " + std::to_string(out.size()) + ")", pos);
    }
    return out;
}

} // namespace velmora::patch
