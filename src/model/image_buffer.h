#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "model/byte_changes.h"

namespace velmora {

// The whole image held in memory. Reads outside the image give 0 and writes
// outside it are dropped, so no caller can touch memory past either end.
// Every change of image bytes passes through writeBytes(), which is also
// where the changes of an action are recorded for undo.
class ImageBuffer {
public:
    ImageBuffer() = default;
    explicit ImageBuffer(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

    int32_t length() const { return static_cast<int32_t>(bytes_.size()); }
    bool contains(int64_t offset) const { return offset >= 0 && offset < static_cast<int64_t>(bytes_.size()); }

    uint8_t at(int64_t offset) const { return contains(offset) ? bytes_[static_cast<size_t>(offset)] : 0; }

    // Copies as much of data as lies inside the image from offset on; returns the count written.
    size_t writeBytes(int64_t offset, std::span<const uint8_t> data);
    void write(int64_t offset, uint8_t value) { writeBytes(offset, std::span<const uint8_t>(&value, 1)); }

    // The bytes from offset, count long, clipped to the image.
    std::span<const uint8_t> range(int64_t offset, int64_t count) const;
    const std::vector<uint8_t> &bytes() const { return bytes_; }
    // Counts the writes that changed something and the replacements, so that
    // what is worked out from the bytes can tell that it is out of date.
    uint64_t generation() const { return generation_; }

    // Replaces the whole image (new and open). Changes recorded so far refer
    // to the old image and are dropped.
    void replace(std::vector<uint8_t> bytes);

    // From now on writeBytes() records every byte it changes, until takeChanges().
    void startRecording() { changes_.emplace(); }
    bool recording() const { return changes_.has_value(); }
    // Stops recording and returns what was recorded, coalesced.
    ByteChanges takeChanges();

private:
    std::vector<uint8_t> bytes_;
    std::optional<ByteChanges> changes_;
    uint64_t generation_ = 0;
};

} // namespace velmora
