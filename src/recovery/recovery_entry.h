#pragma once
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::recovery {

// An entry that cannot be read or applied; the text says why.
class RecoveryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file an entry's changes were refused for, because it no longer holds
// the bytes the changes were made against.
class SourceChangedError : public RecoveryError {
public:
    using RecoveryError::RecoveryError;
};

// Unsaved changes of one image, kept so that they survive a close or a
// crash: a BPS patch from the file as last opened or saved (or, for a New
// image, from zeros of the image's length) to the image as it was.
struct RecoveryEntry {
    std::string filePath; // UTF-8; empty for a New image
    uint64_t fileSize = 0; // the length of the file the patch applies to
    int64_t savedAt = 0; // seconds since 1970-01-01 UTC
    uint64_t changedBytes = 0;
    std::vector<uint8_t> patch;

    bool blank() const { return filePath.empty(); }
};

// The longest file path an entry carries.
constexpr size_t maxPathLength = 4096;
// Entries older than this are removed at start-up.
constexpr int64_t maxEntryAge = int64_t{30} * 24 * 60 * 60;

// The entry of image's changes against source (both of one length).
RecoveryEntry makeEntry(std::string filePath, std::span<const uint8_t> source, std::span<const uint8_t> image,
                        int64_t savedAt);
// The bytes of an entry file: header fields, path, patch, and a CRC-32 of all of it.
std::vector<uint8_t> serialiseEntry(const RecoveryEntry &entry);
// Reads an entry file; throws RecoveryError for anything truncated, damaged
// or not an entry, so that no part of such a file is ever applied.
RecoveryEntry parseEntry(std::span<const uint8_t> bytes);

// The CRC-32 the patch expects of its source.
uint32_t sourceCrc(const RecoveryEntry &entry);
// Whether source is the file the entry's changes were made against.
bool matchesSource(const RecoveryEntry &entry, std::span<const uint8_t> source);
// The image with the entry's changes. Throws SourceChangedError when source
// is not the file the changes were made against, RecoveryError for a patch
// that does not apply or changes the length.
std::vector<uint8_t> applyEntry(const RecoveryEntry &entry, std::span<const uint8_t> source);

// Whether an entry saved at savedAt is to be removed at now. Entries dated
// after now (a clock set back) are kept.
bool isExpired(int64_t savedAt, int64_t now);
// The file name of the entry for filePath in the recovery folder: one entry
// per path, so a newer entry replaces the older one.
std::string entryFileName(std::string_view filePath);
// Whether name is one an entry file is given.
bool isEntryFileName(std::string_view name);

} // namespace velmora::recovery
