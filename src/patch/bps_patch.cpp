#include "patch/bps_patch.h"

#include <algorithm>
#include <cstring>

#include "patch/byte_runs.h"
#include "patch/crc32.h"

namespace velmora::patch {

namespace {

constexpr char magic[] = {'B', 'P', 'S', '1'};
constexpr size_t magicSize = sizeof magic;
constexpr size_t footerSize = 12; // CRC-32 of the original, the result and the patch
constexpr size_t shortestPatch = magicSize + 3 + footerSize;

enum Action : uint64_t { SourceRead = 0, TargetRead = 1, SourceCopy = 2, TargetCopy = 3 };

void putNumber(std::vector<uint8_t> &out, uint64_t value)
{
    // Seven bits a byte, the last byte marked by its top bit; each following
    // byte counts from one more than the bytes before could say, so that
    // every number has exactly one encoding.
    while (true) {
        const uint8_t low = value & 0x7F;
        value >>= 7;
        if (value == 0) {
            out.push_back(0x80 | low);
            return;
        }
        out.push_back(low);
        --value;
    }
}

void putAction(std::vector<uint8_t> &out, Action action, uint64_t length)
{
    putNumber(out, (length - 1) << 2 | action);
}

void putCrc(std::vector<uint8_t> &out, uint32_t crc)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(crc >> shift));
}

uint32_t crcAt(std::span<const uint8_t> bytes, size_t offset)
{
    uint32_t crc = 0;
    for (int i = 3; i >= 0; --i)
        crc = crc << 8 | bytes[offset + static_cast<size_t>(i)];
    return crc;
}

std::string crcText(uint32_t crc) { return hexOffset(crc); }

// Reads the numbers and bytes between the magic and the checksums, naming
// the patch offset of anything malformed.
class Reader {
public:
    Reader(std::span<const uint8_t> patch) : patch_(patch), pos_(magicSize), end_(patch.size() - footerSize) {}

    bool atEnd() const { return pos_ >= end_; }
    size_t position() const { return pos_; }

    uint64_t number()
    {
        const size_t start = pos_;
        uint64_t value = 0;
        uint64_t shift = 1;
        while (true) {
            if (pos_ >= end_)
                fail("ends inside a number", start);
            const uint8_t byte = patch_[pos_++];
            value += (byte & 0x7F) * shift;
            if (byte & 0x80)
                break;
            shift <<= 7;
            value += shift;
            if (value > (uint64_t{1} << 62))
                fail("holds a number too large", start);
        }
        if (value > (uint64_t{1} << 62))
            fail("holds a number too large", start);
        return value;
    }

    std::span<const uint8_t> bytes(uint64_t count, const char *what, size_t start)
    {
        if (count > end_ - pos_)
            fail(std::string("ends inside ") + what, start);
        const auto taken = patch_.subspan(pos_, static_cast<size_t>(count));
        pos_ += static_cast<size_t>(count);
        return taken;
    }

    [[noreturn]] static void fail(const std::string &what, size_t offset)
    {
        throw PatchError("The BPS patch " + what + " at patch offset " + hexOffset(offset));
    }

private:
    std::span<const uint8_t> patch_;
    size_t pos_;
    size_t end_;
};

struct Header {
    BpsSummary summary;
    Reader reader;
};

Header readHeader(std::span<const uint8_t> patch)
{
    if (patch.size() < magicSize || std::memcmp(patch.data(), magic, magicSize) != 0)
        throw PatchError("Not a BPS patch: it does not begin with \"BPS1\"");
    if (patch.size() < shortestPatch)
        throw PatchError("The BPS patch is truncated: " + std::to_string(patch.size()) + " bytes, at least "
                         + std::to_string(shortestPatch) + " needed");
    const size_t crcOffset = patch.size() - 4;
    const uint32_t own = crc32Of(patch.first(crcOffset));
    if (own != crcAt(patch, crcOffset))
        throw PatchError("The BPS patch is damaged or truncated: its CRC-32 is " + crcText(own) + ", its last four bytes say "
                         + crcText(crcAt(patch, crcOffset)));
    Header header{{}, Reader(patch)};
    BpsSummary &s = header.summary;
    s.originalLength = header.reader.number();
    s.resultLength = header.reader.number();
    const size_t metadataStart = header.reader.position();
    const uint64_t metadataLength = header.reader.number();
    header.reader.bytes(metadataLength, "its metadata", metadataStart); // the metadata is not used
    s.originalCrc = crcAt(patch, patch.size() - footerSize);
    s.resultCrc = crcAt(patch, patch.size() - footerSize + 4);
    return header;
}

// Offsets in SourceCopy and TargetCopy move relative to the last copy: the
// lowest bit is the sign.
int64_t signedNumber(uint64_t value)
{
    const auto magnitude = static_cast<int64_t>(value >> 1);
    return value & 1 ? -magnitude : magnitude;
}

} // namespace

std::vector<uint8_t> BpsPatchFormat::write(std::span<const uint8_t> original, std::span<const uint8_t> modified) const
{
    std::vector<uint8_t> out(magic, magic + magicSize);
    putNumber(out, original.size());
    putNumber(out, modified.size());
    putNumber(out, 0); // no metadata

    // Equal stretches are read from the original; differing ones, and
    // whatever the result has past the original's end, are carried.
    size_t pos = 0;
    for (const ByteRun &run : differingRuns(original, modified)) {
        if (run.offset > pos)
            putAction(out, SourceRead, run.offset - pos);
        const size_t end = std::min(run.end(), modified.size());
        if (end > run.offset) {
            putAction(out, TargetRead, end - run.offset);
            out.insert(out.end(), modified.begin() + static_cast<std::ptrdiff_t>(run.offset),
                       modified.begin() + static_cast<std::ptrdiff_t>(end));
        }
        pos = end;
    }
    if (modified.size() > pos)
        putAction(out, SourceRead, modified.size() - pos);

    putCrc(out, crc32Of(original));
    putCrc(out, crc32Of(modified));
    putCrc(out, crc32Of(out));
    return out;
}

std::vector<uint8_t> BpsPatchFormat::apply(std::span<const uint8_t> image, std::span<const uint8_t> patch,
                                           size_t maxLength) const
{
    Header header = readHeader(patch);
    const BpsSummary &s = header.summary;
    const uint32_t imageCrc = crc32Of(image);
    if (s.originalLength != image.size() || s.originalCrc != imageCrc)
        throw PatchError("This patch is for another image (CRC " + crcText(s.originalCrc) + ", "
                         + std::to_string(s.originalLength) + " bytes); this image has CRC " + crcText(imageCrc) + ", "
                         + std::to_string(image.size()) + " bytes");
    if (s.resultLength > maxLength)
        throw PatchError("The BPS patch makes an image of " + std::to_string(s.resultLength) + " bytes, more than the "
                         + std::to_string(maxLength) + " allowed");

    const size_t length = static_cast<size_t>(s.resultLength);
    std::vector<uint8_t> out;
    out.reserve(length);
    Reader &in = header.reader;
    int64_t sourceCopyAt = 0;
    int64_t targetCopyAt = 0;
    while (!in.atEnd()) {
        const size_t actionStart = in.position();
        const uint64_t data = in.number();
        const uint64_t count = (data >> 2) + 1;
        if (count > length - out.size())
            Reader::fail("writes past the end of the result (" + std::to_string(length) + " bytes)", actionStart);
        const size_t n = static_cast<size_t>(count);
        switch (data & 3) {
        case SourceRead:
            if (out.size() + n > image.size())
                Reader::fail("reads past the end of the original", actionStart);
            out.insert(out.end(), image.begin() + static_cast<std::ptrdiff_t>(out.size()),
                       image.begin() + static_cast<std::ptrdiff_t>(out.size() + n));
            break;
        case TargetRead: {
            const auto bytes = in.bytes(count, "the new bytes of the action", actionStart);
            out.insert(out.end(), bytes.begin(), bytes.end());
            break;
        }
        case SourceCopy:
            sourceCopyAt += signedNumber(in.number());
            if (sourceCopyAt < 0 || static_cast<uint64_t>(sourceCopyAt) > image.size()
                || n > image.size() - static_cast<size_t>(sourceCopyAt))
                Reader::fail("copies from outside the original", actionStart);
            out.insert(out.end(), image.begin() + sourceCopyAt, image.begin() + sourceCopyAt + static_cast<std::ptrdiff_t>(n));
            sourceCopyAt += static_cast<int64_t>(n);
            break;
        case TargetCopy:
            targetCopyAt += signedNumber(in.number());
            // Each byte copied must already be there: the copy may overlap
            // what it writes, repeating a pattern.
            if (targetCopyAt < 0 || static_cast<uint64_t>(targetCopyAt) >= out.size())
                Reader::fail("copies from a part of the result not yet made", actionStart);
            for (size_t i = 0; i < n; ++i)
                out.push_back(out[static_cast<size_t>(targetCopyAt) + i]);
            targetCopyAt += static_cast<int64_t>(n);
            break;
        }
    }
    if (out.size() != length)
        throw PatchError("The BPS patch ends after " + std::to_string(out.size()) + " of the " + std::to_string(length)
                         + " bytes of the result");
    const uint32_t resultCrc = crc32Of(out);
    if (resultCrc != s.resultCrc)
        throw PatchError("The patched image has CRC " + crcText(resultCrc) + ", not " + crcText(s.resultCrc)
                         + " as the BPS patch expects");
    return out;
}

BpsSummary readBpsSummary(std::span<const uint8_t> patch) { return readHeader(patch).summary; }

} // namespace velmora::patch
