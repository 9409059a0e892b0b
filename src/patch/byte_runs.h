#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace velmora::patch {

// A stretch of consecutive differing bytes: [offset, offset + length).
struct ByteRun {
    size_t offset = 0;
    size_t length = 0;
    size_t end() const { return offset + length; }
    bool operator==(const ByteRun &) const = default;
};

// Where a and b differ. Arrays of different lengths compare over the shorter
// length; the bytes past it, up to the longer length, count as differing.
std::vector<ByteRun> differingRuns(std::span<const uint8_t> a, std::span<const uint8_t> b);

struct DifferenceCount {
    size_t bytes = 0;
    size_t runs = 0;
    bool operator==(const DifferenceCount &) const = default;
};
// How many bytes differ, in how many runs, by the rule of differingRuns.
DifferenceCount countDifferences(std::span<const uint8_t> a, std::span<const uint8_t> b);

// The first differing offset at or after from, or -1 when there is none.
int64_t nextDifference(std::span<const uint8_t> a, std::span<const uint8_t> b, int64_t from);
// The last differing offset before before, or -1 when there is none.
int64_t previousDifference(std::span<const uint8_t> a, std::span<const uint8_t> b, int64_t before);

} // namespace velmora::patch
