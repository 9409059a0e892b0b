#include "recovery/recovery_entry.h"

#include <cstdint>
#include <cstring>

#include "patch/bps_patch.h"
#include "patch/byte_runs.h"
#include "patch/crc32.h"

namespace velmora::recovery {

namespace {

constexpr char magic[] = {'V', 'L', 'M', 'R', 'C', 'V', '0', '1'};
constexpr size_t magicSize = sizeof magic;
constexpr char extension[] = ".vrec";
// Magic, time, file size, changed bytes, path length, patch length, CRC-32.
constexpr size_t fixedSize = magicSize + 8 + 8 + 8 + 4 + 8 + 4;

void putLittle(std::vector<uint8_t> &out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// Reads the fields in order, refusing any that would run past the end.
class FieldReader {
public:
    FieldReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    uint64_t little(int count, const char *what)
    {
        const auto field = take(static_cast<size_t>(count), what);
        uint64_t value = 0;
        for (int i = count - 1; i >= 0; --i)
            value = value << 8 | field[static_cast<size_t>(i)];
        return value;
    }
    std::span<const uint8_t> take(uint64_t count, const char *what)
    {
        if (count > bytes_.size() - pos_)
            throw RecoveryError(std::string("The recovery entry is truncated inside ") + what);
        const auto field = bytes_.subspan(pos_, static_cast<size_t>(count));
        pos_ += static_cast<size_t>(count);
        return field;
    }
    size_t left() const { return bytes_.size() - pos_; }

private:
    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
};

patch::BpsSummary summaryOf(std::span<const uint8_t> bps)
{
    try {
        return patch::readBpsSummary(bps);
    } catch (const patch::PatchError &error) {
        throw RecoveryError(std::string("The recovery entry's changes cannot be read: ") + error.what());
    }
}

} // namespace

RecoveryEntry makeEntry(std::string filePath, std::span<const uint8_t> source, std::span<const uint8_t> image,
                        int64_t savedAt)
{
    if (source.size() != image.size())
        throw RecoveryError("The image and its file differ in length");
    if (filePath.size() > maxPathLength)
        throw RecoveryError("The file path is too long to be kept with its changes");
    RecoveryEntry entry;
    entry.filePath = std::move(filePath);
    entry.fileSize = source.size();
    entry.savedAt = savedAt;
    entry.changedBytes = patch::countDifferences(source, image).bytes;
    entry.patch = patch::bpsPatches().write(source, image);
    return entry;
}

std::vector<uint8_t> serialiseEntry(const RecoveryEntry &entry)
{
    std::vector<uint8_t> out(magic, magic + magicSize);
    out.reserve(fixedSize + entry.filePath.size() + entry.patch.size());
    putLittle(out, static_cast<uint64_t>(entry.savedAt), 8);
    putLittle(out, entry.fileSize, 8);
    putLittle(out, entry.changedBytes, 8);
    putLittle(out, entry.filePath.size(), 4);
    out.insert(out.end(), entry.filePath.begin(), entry.filePath.end());
    putLittle(out, entry.patch.size(), 8);
    out.insert(out.end(), entry.patch.begin(), entry.patch.end());
    putLittle(out, patch::crc32Of(out), 4);
    return out;
}

RecoveryEntry parseEntry(std::span<const uint8_t> bytes)
{
    if (bytes.size() < magicSize || std::memcmp(bytes.data(), magic, magicSize) != 0)
        throw RecoveryError("Not a recovery entry");
    if (bytes.size() < fixedSize)
        throw RecoveryError("The recovery entry is truncated");
    const auto body = bytes.first(bytes.size() - 4);
    FieldReader crcField(bytes.last(4));
    if (patch::crc32Of(body) != crcField.little(4, "its CRC-32"))
        throw RecoveryError("The recovery entry is damaged or truncated: its CRC-32 does not match");

    FieldReader in(body);
    in.take(magicSize, "its magic");
    RecoveryEntry entry;
    entry.savedAt = static_cast<int64_t>(in.little(8, "its time"));
    entry.fileSize = in.little(8, "its file size");
    entry.changedBytes = in.little(8, "its count of changed bytes");
    const uint64_t pathLength = in.little(4, "its path length");
    if (pathLength > maxPathLength)
        throw RecoveryError("The recovery entry's file path is longer than " + std::to_string(maxPathLength) + " bytes");
    const auto path = in.take(pathLength, "its file path");
    entry.filePath.assign(path.begin(), path.end());
    if (entry.filePath.find('\0') != std::string::npos)
        throw RecoveryError("The recovery entry's file path holds a zero byte");
    const uint64_t patchLength = in.little(8, "its patch length");
    if (patchLength != in.left())
        throw RecoveryError("The recovery entry's patch is " + std::to_string(in.left()) + " bytes long, not "
                            + std::to_string(patchLength) + " as its header says");
    const auto bps = in.take(patchLength, "its patch");
    entry.patch.assign(bps.begin(), bps.end());

    const patch::BpsSummary summary = summaryOf(entry.patch);
    if (entry.fileSize > patch::maxPatchedLength || summary.originalLength != entry.fileSize
        || summary.resultLength != entry.fileSize)
        throw RecoveryError("The recovery entry's changes do not fit its file of " + std::to_string(entry.fileSize)
                            + " bytes");
    if (entry.changedBytes > entry.fileSize)
        throw RecoveryError("The recovery entry counts more changed bytes than its file holds");
    return entry;
}

uint32_t sourceCrc(const RecoveryEntry &entry) { return summaryOf(entry.patch).originalCrc; }

bool matchesSource(const RecoveryEntry &entry, std::span<const uint8_t> source)
{
    return source.size() == entry.fileSize && patch::crc32Of(source) == sourceCrc(entry);
}

std::vector<uint8_t> applyEntry(const RecoveryEntry &entry, std::span<const uint8_t> source)
{
    if (!matchesSource(entry, source))
        throw SourceChangedError("The file has changed since its unsaved changes were kept");
    std::vector<uint8_t> result;
    try {
        result = patch::bpsPatches().apply(source, entry.patch);
    } catch (const patch::PatchError &error) {
        throw RecoveryError(std::string("The recovery entry's changes do not apply: ") + error.what());
    }
    if (result.size() != source.size())
        throw RecoveryError("The recovery entry's changes would change the image length");
    return result;
}

bool isExpired(int64_t savedAt, int64_t now)
{
    // Compared without subtracting the stored time, which may be any value.
    return now > INT64_MIN + maxEntryAge && savedAt < now - maxEntryAge;
}

std::string entryFileName(std::string_view filePath)
{
    // FNV-1a, 64 bits: a short, stable name for any path.
    uint64_t hash = 0xCBF29CE484222325;
    for (const char c : filePath) {
        hash ^= static_cast<uint8_t>(c);
        hash *= 0x100000001B3;
    }
    static constexpr char digits[] = "0123456789abcdef";
    std::string name(16, '0');
    for (int i = 15; i >= 0; --i, hash >>= 4)
        name[static_cast<size_t>(i)] = digits[hash & 0xF];
    return name + extension;
}

bool isEntryFileName(std::string_view name)
{
    const size_t suffix = sizeof extension - 1;
    if (name.size() != 16 + suffix || name.substr(16) != extension)
        return false;
    for (const char c : name.substr(0, 16))
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

} // namespace velmora::recovery
