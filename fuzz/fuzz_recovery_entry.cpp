// The recovery entry reader on any file: it either refuses with a
// RecoveryError naming the reason, or gives an entry whose fields hold
// together, that is written back to the same bytes, and whose changes either
// apply to a file of its size (keeping the length) or are refused.
#include <string>

#include "fuzz_support.h"
#include "patch/crc32.h"
#include "recovery/recovery_entry.h"

using namespace velmora::recovery;

namespace {

// The entry file with its last four bytes made its CRC-32 again, so that the
// reader gets past the checksum to the fields and the patch.
void seal(std::vector<uint8_t> &file)
{
    if (file.size() < 4)
        return;
    const uint32_t crc = velmora::patch::crc32Of(std::span(file).first(file.size() - 4));
    for (int i = 0; i < 4; ++i)
        file[file.size() - 4 + static_cast<size_t>(i)] = static_cast<uint8_t>(crc >> (8 * i));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input in(data, size);
    const bool sealed = in.byte() & 1;
    std::vector<uint8_t> file(in.rest(), in.rest() + in.restSize());
    if (sealed)
        seal(file);

    RecoveryEntry entry;
    try {
        entry = parseEntry(file);
    } catch (const RecoveryError &error) {
        FUZZ_CHECK(std::string(error.what()).size() > 10, "refusal without a reason");
        return 0;
    }
    FUZZ_CHECK(entry.filePath.size() <= maxPathLength, "path of %zu bytes", entry.filePath.size());
    FUZZ_CHECK(entry.changedBytes <= entry.fileSize, "more changed bytes than the file holds");
    FUZZ_CHECK(serialiseEntry(entry) == file, "the entry is not written back to the same bytes");
    if (entry.fileSize > (1u << 16))
        return 0;
    // A file of the entry's size: refused unless it is the very source.
    const std::vector<uint8_t> source(static_cast<size_t>(entry.fileSize), 0);
    try {
        const std::vector<uint8_t> result = applyEntry(entry, source);
        FUZZ_CHECK(matchesSource(entry, source), "applied to a file it was not made for");
        FUZZ_CHECK(result.size() == source.size(), "the changes changed the length");
    } catch (const RecoveryError &error) {
        FUZZ_CHECK(std::string(error.what()).size() > 10, "refusal without a reason");
    }
    return 0;
}
