#include "patch/byte_runs.h"

#include <algorithm>
#include <cstring>

namespace velmora::patch {

namespace {

uint64_t word(const uint8_t *p)
{
    uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

// The first offset in [from, end) where a and b differ, or end. Equal
// stretches are long in a patched image: they are skipped eight bytes at a time.
size_t skipEqual(const uint8_t *a, const uint8_t *b, size_t from, size_t end)
{
    size_t i = from;
    while (i + 8 <= end && word(a + i) == word(b + i))
        i += 8;
    while (i < end && a[i] == b[i])
        ++i;
    return i;
}

// The first offset in [from, end) where a and b are equal, or end.
size_t skipDiffering(const uint8_t *a, const uint8_t *b, size_t from, size_t end)
{
    size_t i = from;
    while (i < end && a[i] != b[i])
        ++i;
    return i;
}

} // namespace

std::vector<ByteRun> differingRuns(std::span<const uint8_t> a, std::span<const uint8_t> b)
{
    const size_t common = std::min(a.size(), b.size());
    const size_t longer = std::max(a.size(), b.size());
    std::vector<ByteRun> runs;
    size_t i = 0;
    while (true) {
        i = skipEqual(a.data(), b.data(), i, common);
        if (i == common)
            break;
        const size_t end = skipDiffering(a.data(), b.data(), i, common);
        runs.push_back({i, end - i});
        i = end;
    }
    if (longer > common) {
        // The tail of the longer array joins a run that reaches the shorter end.
        if (!runs.empty() && runs.back().end() == common)
            runs.back().length += longer - common;
        else
            runs.push_back({common, longer - common});
    }
    return runs;
}

DifferenceCount countDifferences(std::span<const uint8_t> a, std::span<const uint8_t> b)
{
    const size_t common = std::min(a.size(), b.size());
    const size_t longer = std::max(a.size(), b.size());
    DifferenceCount count;
    size_t i = 0;
    size_t lastEnd = SIZE_MAX;
    while (true) {
        i = skipEqual(a.data(), b.data(), i, common);
        if (i == common)
            break;
        const size_t end = skipDiffering(a.data(), b.data(), i, common);
        count.bytes += end - i;
        ++count.runs;
        lastEnd = end;
        i = end;
    }
    if (longer > common) {
        count.bytes += longer - common;
        if (lastEnd != common)
            ++count.runs;
    }
    return count;
}

int64_t nextDifference(std::span<const uint8_t> a, std::span<const uint8_t> b, int64_t from)
{
    const size_t common = std::min(a.size(), b.size());
    const size_t longer = std::max(a.size(), b.size());
    const size_t start = static_cast<size_t>(std::max<int64_t>(from, 0));
    if (start >= longer)
        return -1;
    if (start >= common)
        return static_cast<int64_t>(start);
    const size_t i = skipEqual(a.data(), b.data(), start, common);
    if (i < common)
        return static_cast<int64_t>(i);
    return longer > common ? static_cast<int64_t>(common) : -1;
}

int64_t previousDifference(std::span<const uint8_t> a, std::span<const uint8_t> b, int64_t before)
{
    const size_t common = std::min(a.size(), b.size());
    const size_t longer = std::max(a.size(), b.size());
    if (before <= 0)
        return -1;
    size_t i = std::min(static_cast<size_t>(before), longer); // exclusive
    if (i > common)
        return static_cast<int64_t>(i - 1);
    while (i >= 8 && word(a.data() + i - 8) == word(b.data() + i - 8))
        i -= 8;
    while (i > 0 && a[i - 1] == b[i - 1])
        --i;
    return i > 0 ? static_cast<int64_t>(i - 1) : -1;
}

} // namespace velmora::patch
