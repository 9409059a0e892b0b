#include "layout/glyph_layout.h"

#include <algorithm>
#include <array>
#include <vector>

namespace velmora {

namespace {

int bytesFor(int bits) { return (bits + 7) / 8; }

// A bit string read from bit 7 of its first byte down.
BitPlace inBitString(int index) { return {index / 8, 7 - index % 8}; }

// The editor's own layout: the width byte, then rows of one or two bytes,
// the two swapped with "swap".
class WidthByteLayout final : public GlyphLayout {
public:
    Layout kind() const override { return Layout::WidthByte; }
    std::string_view name() const override { return {}; }
    int glyphSize(const GlyphFormat &f) const override { return (f.width >> 3) * f.height; }
    BitPlace place(const GlyphFormat &f, int x, int y, int) const override
    {
        if (f.width == 8)
            return {1 + y, 7 - x};
        return {1 + 2 * y + ((x >> 3) ^ (f.swap ? 1 : 0)), 7 - (x & 7)};
    }
};

// Each row padded to whole bytes.
class RowsLayout final : public GlyphLayout {
public:
    Layout kind() const override { return Layout::Rows; }
    std::string_view name() const override { return "rows"; }
    int glyphSize(const GlyphFormat &f) const override { return rowBytes(f) * f.height; }
    BitPlace place(const GlyphFormat &f, int x, int y, int k) const override
    {
        const BitPlace p = inBitString(x * f.bpp + k);
        return {y * rowBytes(f) + p.byte, p.bit};
    }

private:
    static int rowBytes(const GlyphFormat &f) { return bytesFor(f.width * f.bpp); }
};

// The glyph's bits as one string, row after row.
class PackedLayout final : public GlyphLayout {
public:
    Layout kind() const override { return Layout::Packed; }
    std::string_view name() const override { return "packed"; }
    int glyphSize(const GlyphFormat &f) const override { return bytesFor(f.width * f.height * f.bpp); }
    BitPlace place(const GlyphFormat &f, int x, int y, int k) const override
    {
        return inBitString((y * f.width + x) * f.bpp + k);
    }
};

// Strips of 8 columns, each strip's rows one byte after another.
class StripsLayout final : public GlyphLayout {
public:
    Layout kind() const override { return Layout::Strips; }
    std::string_view name() const override { return "strips"; }
    int glyphSize(const GlyphFormat &f) const override { return bytesFor(f.width) * f.height; }
    BitPlace place(const GlyphFormat &f, int x, int y, int) const override { return {(x >> 3) * f.height + y, 7 - (x & 7)}; }
    bool greyLevels() const override { return false; }
};

// Pages of 8 rows; a byte is one column of a page, its top row in bit 0.
class PagesLayout final : public GlyphLayout {
public:
    Layout kind() const override { return Layout::Pages; }
    std::string_view name() const override { return "pages"; }
    int glyphSize(const GlyphFormat &f) const override { return bytesFor(f.height) * f.width; }
    BitPlace place(const GlyphFormat &f, int x, int y, int) const override { return {(y >> 3) * f.width + x, y & 7}; }
    bool greyLevels() const override { return false; }
};

// As pages, the bytes of one column next to each other.
class ColumnsLayout final : public GlyphLayout {
public:
    Layout kind() const override { return Layout::Columns; }
    std::string_view name() const override { return "columns"; }
    int glyphSize(const GlyphFormat &f) const override { return bytesFor(f.height) * f.width; }
    BitPlace place(const GlyphFormat &f, int x, int y, int) const override
    {
        return {x * bytesFor(f.height) + (y >> 3), y & 7};
    }
    bool greyLevels() const override { return false; }
};

const WidthByteLayout widthByteLayout;
const RowsLayout rowsLayout;
const PackedLayout packedLayout;
const StripsLayout stripsLayout;
const PagesLayout pagesLayout;
const ColumnsLayout columnsLayout;

// The one table of layouts, in the order of the Layout enumeration.
const std::array<const GlyphLayout *, 6> layouts{&widthByteLayout, &rowsLayout,  &packedLayout,
                                                 &stripsLayout,    &pagesLayout, &columnsLayout};

BitPlace placed(const GlyphLayout &layout, const GlyphFormat &f, int x, int y, int k)
{
    BitPlace p = layout.place(f, x, y, k);
    if (f.reverse)
        p.bit = 7 - p.bit;
    return p;
}

} // namespace

const GlyphLayout &layoutOf(Layout kind) { return *layouts[static_cast<size_t>(kind)]; }

const GlyphLayout *layoutNamed(std::string_view name)
{
    for (const GlyphLayout *layout : layouts)
        if (!name.empty() && layout->name() == name)
            return layout;
    return nullptr;
}

namespace {

// Where every bit of every pixel of a format lies, as byte x 8 + bit, in
// pixel order with the level's most significant bit first: worked out once
// per format and thread, so that decoding and encoding are table walks.
const std::vector<uint32_t> &bitPlaces(const GlyphFormat &f)
{
    thread_local GlyphFormat cachedFor;
    thread_local std::vector<uint32_t> places;
    if (places.empty() || !(cachedFor == f)) {
        const GlyphLayout &layout = layoutOf(f.layout);
        places.clear();
        for (int y = 0; y < f.pixelRows(); ++y)
            for (int x = 0; x < f.width; ++x)
                for (int k = 0; k < f.bpp; ++k) {
                    const BitPlace p = placed(layout, f, x, y, k);
                    places.push_back(static_cast<uint32_t>(p.byte) << 3 | static_cast<uint32_t>(p.bit));
                }
        cachedFor = f;
    }
    return places;
}

} // namespace

void decodePixels(std::span<const uint8_t> image, int64_t offset, const GlyphFormat &f, uint8_t *levels)
{
    const std::vector<uint32_t> &places = bitPlaces(f);
    const int64_t length = static_cast<int64_t>(image.size());
    // A glyph wholly inside the image reads without a bounds test a bit.
    const bool inside = offset >= 0 && offset + f.size() <= length;
    const uint8_t *base = inside ? image.data() + offset : nullptr;
    const auto byteAt = [&](uint32_t place) -> unsigned {
        if (inside)
            return base[place >> 3];
        const int64_t at = offset + (place >> 3);
        return at >= 0 && at < length ? image[static_cast<size_t>(at)] : 0u;
    };
    const int max = f.maxLevel();
    const size_t pixels = places.size() / static_cast<size_t>(f.bpp);
    const uint32_t *place = places.data();
    for (size_t i = 0; i < pixels; ++i) {
        int level = 0;
        for (int k = 0; k < f.bpp; ++k, ++place)
            level = level << 1 | static_cast<int>((byteAt(*place) >> (*place & 7)) & 1u);
        levels[i] = static_cast<uint8_t>(f.invert ? max - level : level);
    }
}

void encodePixels(const uint8_t *levels, const GlyphFormat &f, std::span<uint8_t> bytes)
{
    const std::vector<uint32_t> &places = bitPlaces(f);
    const int max = f.maxLevel();
    const size_t pixels = places.size() / static_cast<size_t>(f.bpp);
    const uint32_t *place = places.data();
    for (size_t i = 0; i < pixels; ++i) {
        const int level = std::min<int>(levels[i], max);
        const int stored = f.invert ? max - level : level;
        for (int k = 0; k < f.bpp; ++k, ++place) {
            const size_t at = *place >> 3;
            if (at >= bytes.size())
                continue;
            const auto mask = static_cast<uint8_t>(1u << (*place & 7));
            uint8_t &b = bytes[at];
            b = (stored >> (f.bpp - 1 - k)) & 1 ? b | mask : b & ~mask;
        }
    }
}

int glyphAdvance(std::span<const uint8_t> image, int64_t start, int64_t k, const GlyphFormat &f)
{
    int64_t at = -1;
    if (f.widthByte())
        at = start + k * f.step();
    else if (f.widthTable >= 0)
        at = f.widthTable + k;
    if (at < 0)
        return f.width;
    const int advance = at < static_cast<int64_t>(image.size()) ? image[static_cast<size_t>(at)] : 0;
    return std::min(advance, f.width);
}

} // namespace velmora
