#include "model/byte_changes.h"

#include <algorithm>
#include <cstring>

#include "model/image_buffer.h"

namespace velmora {

void ByteChanges::append(int64_t offset, const uint8_t *before, const uint8_t *after, uint32_t length)
{
    if (!runs_.empty() && offset < runs_.back().offset + runs_.back().length)
        ordered_ = false;
    runs_.push_back({offset, length});
    data_.insert(data_.end(), before, before + length);
    data_.insert(data_.end(), after, after + length);
}

void ByteChanges::record(int64_t offset, std::span<const uint8_t> before, std::span<const uint8_t> after)
{
    const size_t n = std::min(before.size(), after.size());
    size_t i = 0;
    while (i < n) {
        while (i < n && before[i] == after[i])
            ++i;
        size_t j = i;
        while (j < n && before[j] != after[j])
            ++j;
        if (j > i)
            append(offset + static_cast<int64_t>(i), before.data() + i, after.data() + i, static_cast<uint32_t>(j - i));
        i = j;
    }
}

void ByteChanges::coalesce()
{
    if (ordered_) {
        runs_.shrink_to_fit();
        data_.shrink_to_fit();
        return;
    }
    // The union of the written ranges, ascending; every byte in it was written at least once.
    struct Span {
        int64_t first;
        int64_t last; // exclusive
        size_t base;  // position in the merged buffers
    };
    std::vector<Span> spans;
    spans.reserve(runs_.size());
    for (const Run &run : runs_)
        spans.push_back({run.offset, run.offset + run.length, 0});
    std::sort(spans.begin(), spans.end(), [](const Span &a, const Span &b) { return a.first < b.first; });
    std::vector<Span> merged;
    for (const Span &s : spans) {
        if (!merged.empty() && s.first <= merged.back().last)
            merged.back().last = std::max(merged.back().last, s.last);
        else
            merged.push_back(s);
    }
    size_t total = 0;
    for (Span &m : merged) {
        m.base = total;
        total += static_cast<size_t>(m.last - m.first);
    }
    const auto position = [&merged](int64_t offset) {
        const auto it = std::upper_bound(merged.begin(), merged.end(), offset,
                                         [](int64_t o, const Span &m) { return o < m.first; }) - 1;
        return it->base + static_cast<size_t>(offset - it->first);
    };

    std::vector<size_t> starts(runs_.size());
    for (size_t i = 0, p = 0; i < runs_.size(); p += 2 * size_t{runs_[i].length}, ++i)
        starts[i] = p;
    std::vector<uint8_t> before(total);
    std::vector<uint8_t> after(total);
    // Later writes overwrite the new bytes; earlier writes overwrite the old ones.
    for (size_t i = 0; i < runs_.size(); ++i)
        std::memcpy(after.data() + position(runs_[i].offset), data_.data() + starts[i] + runs_[i].length,
                    runs_[i].length);
    for (size_t i = runs_.size(); i-- > 0;)
        std::memcpy(before.data() + position(runs_[i].offset), data_.data() + starts[i], runs_[i].length);

    ByteChanges result;
    for (const Span &m : merged)
        result.record(m.first, std::span(before).subspan(m.base, static_cast<size_t>(m.last - m.first)),
                      std::span(after).subspan(m.base, static_cast<size_t>(m.last - m.first)));
    result.runs_.shrink_to_fit();
    result.data_.shrink_to_fit();
    *this = std::move(result);
}

size_t ByteChanges::changedBytes() const
{
    size_t count = 0;
    for (const Run &run : runs_)
        count += run.length;
    return count;
}

size_t ByteChanges::memoryUsage() const
{
    return sizeof(*this) + runs_.capacity() * sizeof(Run) + data_.capacity();
}

void ByteChanges::apply(ImageBuffer &image, bool after) const
{
    size_t p = 0;
    for (const Run &run : runs_) {
        image.writeBytes(run.offset, std::span(data_).subspan(p + (after ? run.length : 0), run.length));
        p += 2 * size_t{run.length};
    }
}

} // namespace velmora
