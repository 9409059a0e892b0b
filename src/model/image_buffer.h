#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "model/byte_changes.h"

namespace velmora {

// The bytes of a whole image as they arrive: memory that is not zeroed first
// (so that a read fills it once), or a private mapping of a file whose pages
// are read only when touched. Whoever makes one fills it before handing it to
// ImageBuffer::replace; release, when set, gives the memory back instead of delete[].
class ImageStore {
public:
    using Release = void (*)(uint8_t *data, size_t size);

    ImageStore() = default;
    // size bytes of fresh, unzeroed memory.
    explicit ImageStore(size_t size) : data_(size ? new uint8_t[size] : nullptr), size_(size) {}
    // Memory someone else made (a file mapping), given back through release.
    ImageStore(uint8_t *data, size_t size, Release release) : data_(data), size_(size), release_(release) {}
    ImageStore(ImageStore &&other) noexcept { swap(other); }
    ImageStore &operator=(ImageStore &&other) noexcept
    {
        ImageStore(std::move(other)).swap(*this);
        return *this;
    }
    ImageStore(const ImageStore &) = delete;
    ImageStore &operator=(const ImageStore &) = delete;
    ~ImageStore();

    uint8_t *data() { return data_; }
    const uint8_t *data() const { return data_; }
    size_t size() const { return size_; }

private:
    void swap(ImageStore &other) noexcept
    {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        std::swap(release_, other.release_);
    }

    uint8_t *data_ = nullptr;
    size_t size_ = 0;
    Release release_ = nullptr;
};

// A look at the image's bytes: a span that also compares with and copies into
// a byte vector.
class ImageBytes : public std::span<const uint8_t> {
public:
    using std::span<const uint8_t>::span;
    ImageBytes(std::span<const uint8_t> bytes) : std::span<const uint8_t>(bytes) {}
    operator std::vector<uint8_t>() const { return {begin(), end()}; }
    friend bool operator==(ImageBytes a, std::span<const uint8_t> b)
    {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
    }
    friend bool operator==(ImageBytes a, const std::vector<uint8_t> &b) { return a == std::span<const uint8_t>(b); }
};

// The whole image held in memory. Reads outside the image give 0 and writes
// outside it are dropped, so no caller can touch memory past either end.
// Every change of image bytes passes through writeBytes(), which is also
// where the changes of an action are recorded for undo, and where the saved
// state is kept: the first write into a block since the image was last saved
// keeps that block's saved bytes, so whether anything is unsaved is known at
// any time without comparing the image.
class ImageBuffer {
public:
    // The unit of the saved state's copies.
    static constexpr size_t savedBlockSize = 4096;

    ImageBuffer() = default;
    explicit ImageBuffer(const std::vector<uint8_t> &bytes) { replace(bytes); }
    ImageBuffer(const ImageBuffer &other);
    ImageBuffer &operator=(const ImageBuffer &other);
    ImageBuffer(ImageBuffer &&) noexcept = default;
    ImageBuffer &operator=(ImageBuffer &&) noexcept = default;

    int32_t length() const { return static_cast<int32_t>(store_.size()); }
    bool contains(int64_t offset) const { return offset >= 0 && offset < static_cast<int64_t>(store_.size()); }

    uint8_t at(int64_t offset) const { return contains(offset) ? store_.data()[offset] : 0; }

    // Copies as much of data as lies inside the image from offset on; returns the count written.
    size_t writeBytes(int64_t offset, std::span<const uint8_t> data);
    void write(int64_t offset, uint8_t value) { writeBytes(offset, std::span<const uint8_t>(&value, 1)); }

    // The bytes from offset, count long, clipped to the image.
    std::span<const uint8_t> range(int64_t offset, int64_t count) const;
    ImageBytes bytes() const { return ImageBytes(store_.data(), store_.size()); }
    // Counts the writes that changed something and the replacements, so that
    // what is worked out from the bytes can tell that it is out of date.
    uint64_t generation() const { return generation_; }

    // Replaces the whole image (new and open); the new bytes are the saved
    // state. Changes recorded so far refer to the old image and are dropped.
    void replace(ImageStore bytes);
    void replace(std::span<const uint8_t> bytes);
    void replace(const std::vector<uint8_t> &bytes) { replace(std::span<const uint8_t>(bytes)); }

    // The image as it is now is the saved state (after a save).
    void markSaved();
    // Whether the image differs from its saved state: exact, so writing the
    // saved bytes back, or undoing to them, makes it false again.
    bool hasUnsavedChanges() const { return dirtyBlocks_ != 0; }
    // The saved state: the image with the saved bytes of each changed block.
    std::vector<uint8_t> savedBytes() const;

    // From now on writeBytes() records every byte it changes, until takeChanges().
    void startRecording() { changes_.emplace(); }
    bool recording() const { return changes_.has_value(); }
    // Stops recording and returns what was recorded, coalesced.
    ByteChanges takeChanges();

private:
    size_t blockLength(size_t block) const;

    // A block of savedBlockSize bytes since the save: its saved bytes, kept
    // from its first write while it differs from them (null while it holds
    // them), and how many of its bytes differ.
    struct SavedBlock {
        std::unique_ptr<uint8_t[]> bytes;
        size_t differing = 0;
    };

    ImageStore store_;
    std::vector<SavedBlock> saved_;
    size_t dirtyBlocks_ = 0; // blocks with differing bytes
    std::optional<ByteChanges> changes_;
    uint64_t generation_ = 0;
};

} // namespace velmora
