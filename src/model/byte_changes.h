#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace velmora {

class ImageBuffer;

// The image bytes one action changed, as runs of (offset, bytes before, bytes
// after). Only bytes whose value changed are kept, so the size follows what
// was edited, not the image.
class ByteChanges {
public:
    struct Run {
        int64_t offset = 0;
        uint32_t length = 0;
    };

    // Records a write of after over before at offset (equal lengths).
    void record(int64_t offset, std::span<const uint8_t> before, std::span<const uint8_t> after);
    // Makes one change per byte out of overlapping writes: the first write's
    // old byte, the last write's new byte. Bytes that end as they began go.
    void coalesce();

    bool empty() const { return runs_.empty(); }
    // Positions changed, counted once each after coalesce().
    size_t changedBytes() const;
    // Heap and object size held.
    size_t memoryUsage() const;
    const std::vector<Run> &runs() const { return runs_; }

    // Writes the old (undo) or new (redo) bytes back through ImageBuffer::writeBytes.
    void restoreBefore(ImageBuffer &image) const { apply(image, false); }
    void restoreAfter(ImageBuffer &image) const { apply(image, true); }

private:
    void apply(ImageBuffer &image, bool after) const;
    void append(int64_t offset, const uint8_t *before, const uint8_t *after, uint32_t length);

    std::vector<Run> runs_;
    // For each run in order: its old bytes, then its new bytes.
    std::vector<uint8_t> data_;
    // Whether runs ascend without overlapping, so coalesce() has nothing to merge.
    bool ordered_ = true;
};

} // namespace velmora
