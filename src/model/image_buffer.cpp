#include "model/image_buffer.h"

#include <algorithm>
#include <cstring>

namespace velmora {

ImageStore::~ImageStore()
{
    if (release_)
        release_(data_, size_);
    else
        delete[] data_;
}

ImageBuffer::ImageBuffer(const ImageBuffer &other)
    : store_(other.store_.size()), dirtyBlocks_(other.dirtyBlocks_), changes_(other.changes_), generation_(other.generation_)
{
    std::copy_n(other.store_.data(), other.store_.size(), store_.data());
    saved_.resize(other.saved_.size());
    for (size_t b = 0; b < saved_.size(); ++b) {
        if (other.saved_[b].bytes) {
            saved_[b].bytes.reset(new uint8_t[blockLength(b)]);
            std::copy_n(other.saved_[b].bytes.get(), blockLength(b), saved_[b].bytes.get());
            saved_[b].differing = other.saved_[b].differing;
        }
    }
}

ImageBuffer &ImageBuffer::operator=(const ImageBuffer &other)
{
    if (this != &other)
        *this = ImageBuffer(other);
    return *this;
}

size_t ImageBuffer::blockLength(size_t block) const
{
    return std::min(savedBlockSize, store_.size() - block * savedBlockSize);
}

size_t ImageBuffer::writeBytes(int64_t offset, std::span<const uint8_t> data)
{
    const int64_t size = static_cast<int64_t>(store_.size());
    int64_t first = offset;
    int64_t last = offset + static_cast<int64_t>(data.size()); // exclusive
    size_t skipped = 0;
    if (first < 0) {
        skipped = static_cast<size_t>(std::min<int64_t>(-first, static_cast<int64_t>(data.size())));
        first = 0;
    }
    last = std::min(last, size);
    if (first >= last)
        return 0;
    const size_t count = static_cast<size_t>(last - first);
    uint8_t *bytes = store_.data();
    if (changes_)
        changes_->record(first, std::span<const uint8_t>(bytes + first, count), data.subspan(skipped, count));

    // Per block this write touches: its saved bytes, kept before its first
    // change, and how many bytes differ from them once the write is done
    // (worked out before it, since data may lie in the image itself).
    const size_t firstBlock = static_cast<size_t>(first) / savedBlockSize;
    const size_t lastBlock = static_cast<size_t>(last - 1) / savedBlockSize;
    const uint8_t *source = data.data() + skipped; // source[i - first] goes to image byte i
    for (size_t b = firstBlock; b <= lastBlock; ++b) {
        SavedBlock &block = saved_[b];
        const size_t start = b * savedBlockSize;
        if (!block.bytes) {
            block.bytes.reset(new uint8_t[blockLength(b)]);
            std::memcpy(block.bytes.get(), bytes + start, blockLength(b));
        }
        const bool wasDirty = block.differing != 0;
        const size_t from = std::max(start, static_cast<size_t>(first));
        const size_t to = std::min(start + blockLength(b), static_cast<size_t>(last));
        for (size_t i = from; i < to; ++i) {
            const uint8_t saved = block.bytes[i - start];
            block.differing += static_cast<size_t>(source[i - static_cast<size_t>(first)] != saved);
            block.differing -= static_cast<size_t>(bytes[i] != saved);
        }
        if (block.differing == 0)
            block.bytes.reset(); // back at its saved bytes: the same bytes written, or an undo
        if (wasDirty && block.differing == 0)
            --dirtyBlocks_;
        else if (!wasDirty && block.differing != 0)
            ++dirtyBlocks_;
    }
    std::memmove(bytes + first, data.data() + skipped, count);
    ++generation_;
    return count;
}

void ImageBuffer::replace(ImageStore bytes)
{
    store_ = std::move(bytes);
    markSaved();
    ++generation_;
    if (changes_)
        changes_.emplace();
}

void ImageBuffer::replace(std::span<const uint8_t> bytes)
{
    ImageStore copy(bytes.size());
    std::copy(bytes.begin(), bytes.end(), copy.data());
    replace(std::move(copy));
}

void ImageBuffer::markSaved()
{
    saved_.clear();
    saved_.resize((store_.size() + savedBlockSize - 1) / savedBlockSize);
    dirtyBlocks_ = 0;
}

std::vector<uint8_t> ImageBuffer::savedBytes() const
{
    std::vector<uint8_t> saved(store_.data(), store_.data() + store_.size());
    for (size_t b = 0; b < saved_.size(); ++b)
        if (saved_[b].bytes)
            std::copy_n(saved_[b].bytes.get(), blockLength(b), saved.begin() + static_cast<std::ptrdiff_t>(b * savedBlockSize));
    return saved;
}

ByteChanges ImageBuffer::takeChanges()
{
    ByteChanges taken = changes_ ? std::move(*changes_) : ByteChanges();
    changes_.reset();
    taken.coalesce();
    return taken;
}

std::span<const uint8_t> ImageBuffer::range(int64_t offset, int64_t count) const
{
    const int64_t size = static_cast<int64_t>(store_.size());
    const int64_t first = std::clamp<int64_t>(offset, 0, size);
    const int64_t last = std::clamp<int64_t>(offset + std::max<int64_t>(count, 0), first, size);
    return {store_.data() + first, static_cast<size_t>(last - first)};
}

} // namespace velmora
