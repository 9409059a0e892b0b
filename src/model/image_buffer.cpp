#include "model/image_buffer.h"

#include <algorithm>
#include <cstring>

namespace velmora {

size_t ImageBuffer::writeBytes(int64_t offset, std::span<const uint8_t> data)
{
    const int64_t size = static_cast<int64_t>(bytes_.size());
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
    if (changes_)
        changes_->record(first, std::span(bytes_).subspan(static_cast<size_t>(first), count),
                         data.subspan(skipped, count));
    std::memmove(bytes_.data() + first, data.data() + skipped, count);
    ++generation_;
    return count;
}

void ImageBuffer::replace(std::vector<uint8_t> bytes)
{
    bytes_ = std::move(bytes);
    ++generation_;
    if (changes_)
        changes_.emplace();
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
    const int64_t size = static_cast<int64_t>(bytes_.size());
    const int64_t first = std::clamp<int64_t>(offset, 0, size);
    const int64_t last = std::clamp<int64_t>(offset + std::max<int64_t>(count, 0), first, size);
    return {bytes_.data() + first, static_cast<size_t>(last - first)};
}

} // namespace velmora
