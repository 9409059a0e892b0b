#pragma once
// Shared pieces of the fuzz targets: reading choices from the fuzzer's bytes,
// setting up an editor state, and the codec's byte layout written out from
// the character format's rules (independently of the codec itself).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "model/editor_state.h"

namespace fuzz {

// Stops the run with a message; libFuzzer then keeps the input as a crash.
#define FUZZ_CHECK(condition, ...)                                                                       \
    do {                                                                                                 \
        if (!(condition)) {                                                                              \
            std::fprintf(stderr, "invariant failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);      \
            std::fprintf(stderr, __VA_ARGS__);                                                           \
            std::fprintf(stderr, "\n");                                                                  \
            std::abort();                                                                                \
        }                                                                                                \
    } while (0)

// Takes choices from the front of the input; an exhausted input gives zeros.
class Input {
public:
    Input(const uint8_t *data, size_t size) : data_(data), size_(size) {}
    uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    uint32_t u16() { return byte() | uint32_t{byte()} << 8; }
    uint32_t u32() { return u16() | u16() << 16; }
    // Characters up to the next zero byte (taken too), at most max of them.
    std::string text(size_t max)
    {
        std::string taken;
        while (pos_ < size_ && taken.size() < max) {
            const char c = static_cast<char>(byte());
            if (c == 0)
                break;
            taken += c;
        }
        return taken;
    }
    // The bytes not yet taken.
    const uint8_t *rest() const { return data_ + pos_; }
    size_t restSize() const { return size_ - pos_; }

private:
    const uint8_t *data_;
    size_t size_;
    size_t pos_ = 0;
};

// A state in any valid format (W 8 or 16, H 2..16, any flags).
inline velmora::EditorState stateFrom(Input &in)
{
    velmora::EditorState s;
    velmora::resetEditorState(s);
    s.charWidth = (in.byte() & 1) ? 16 : 8;
    s.charHeight = static_cast<uint8_t>(2 + in.byte() % 15);
    const uint8_t flags = in.byte();
    for (int i = 0; i < velmora::flagCount; ++i)
        s.setFlag(static_cast<velmora::Flag>(i), (flags >> i) & 1);
    return s;
}

// An image of length bytes, filled from the rest of the input (cycled).
inline std::vector<uint8_t> imageFrom(Input &in, size_t length)
{
    std::vector<uint8_t> bytes(length);
    const uint8_t *source = in.rest();
    const size_t n = in.restSize();
    for (size_t i = 0; i < length; ++i)
        bytes[i] = n ? static_cast<uint8_t>(source[i % n] + i / n) : static_cast<uint8_t>(i * 131);
    return bytes;
}

// Character layout from the format rules: W = 8 stores row r (1..H-1) in byte
// r; W = 16 stores row r (1..H) in bytes 2r-1 and 2r, the left half first
// unless "Swap bytes " is checked. Byte 0 is the width byte.
struct Layout {
    int width;
    int height;
    bool swap;
    bool spare;

    explicit Layout(const velmora::EditorState &s)
        : width(s.charWidth), height(s.charHeight), swap(s.flag(velmora::Flag::SwapBytes)),
          spare(s.flag(velmora::Flag::SkipSpareByte) && s.charWidth == 16)
    {
    }
    int footprint() const { return width == 16 ? 2 * height + 1 : height; }
    int step() const { return width == 16 ? 2 * height + spare : height; }
    // Bytes the codec may write: the footprint, cut at the next character.
    int written() const { return footprint() < step() ? footprint() : step(); }
    // The matrix row a pixel byte j (j >= 1) belongs to.
    int rowOf(int j) const { return width == 16 ? (j + 1) / 2 : j; }
    // The first of the eight columns a pixel byte j holds.
    int firstColumnOf(int j) const
    {
        if (width == 8)
            return 0;
        const bool firstOfPair = j % 2 == 1;
        return firstOfPair != swap ? 0 : 8;
    }
    // The bits of pixel byte j that survive a stored width w: its columns below w.
    uint8_t keptBits(int j, int w) const
    {
        uint8_t keep = 0;
        for (int bit = 0; bit < 8; ++bit)
            if (firstColumnOf(j) + bit < w || w >= width)
                keep |= static_cast<uint8_t>(0x80 >> bit);
        return keep;
    }
};

} // namespace fuzz
