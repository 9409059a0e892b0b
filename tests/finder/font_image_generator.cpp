#include "font_image_generator.h"

#include <algorithm>
#include <random>

namespace velmora::test {

namespace {

using Random = std::mt19937_64;

int uniform(Random &random, int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }

void fillBackground(Random &random, uint8_t *out, int64_t count, Background kind, uint8_t value)
{
    switch (kind) {
    case Background::Noise:
        for (int64_t i = 0; i < count; ++i)
            out[i] = static_cast<uint8_t>(random());
        break;
    case Background::Zeros:
        std::fill_n(out, count, uint8_t{0});
        break;
    case Background::Ones:
        std::fill_n(out, count, uint8_t{0xFF});
        break;
    case Background::Repeated:
        std::fill_n(out, count, value);
        break;
    case Background::Mixed:
        for (int64_t i = 0; i < count;) {
            const int64_t run = std::min<int64_t>(count - i, uniform(random, 256, 256 * 1024));
            const Background part = std::array{Background::Noise, Background::Zeros, Background::Ones}[uniform(random, 0, 2)];
            fillBackground(random, out + i, run, part, value);
            i += run;
        }
        break;
    }
}

// Pixel rows 1..H-1 of a glyph, W bits each, column 0 in the top bit.
using Rows = std::array<uint32_t, 17>;

void setPixel(Rows &rows, const FontFormat &f, int column, int row)
{
    rows[static_cast<size_t>(row)] |= 1u << (f.width - 1 - column);
}

// A few strokes (lines and box outlines) inside a box of random width.
Rows strokeGlyph(Random &random, const FontFormat &f)
{
    Rows rows{};
    const int box = uniform(random, 1, f.width);
    const int lastRow = f.height - 1;
    const int strokes = uniform(random, 1, 4);
    for (int s = 0; s < strokes; ++s) {
        const int c0 = uniform(random, 0, box - 1), c1 = uniform(random, c0, box - 1);
        const int r0 = uniform(random, 1, lastRow), r1 = uniform(random, r0, lastRow);
        switch (uniform(random, 0, 3)) {
        case 0: // horizontal line
            for (int c = c0; c <= c1; ++c)
                setPixel(rows, f, c, r0);
            break;
        case 1: // vertical line
            for (int r = r0; r <= r1; ++r)
                setPixel(rows, f, c0, r);
            break;
        case 2: // box outline
            for (int c = c0; c <= c1; ++c) {
                setPixel(rows, f, c, r0);
                setPixel(rows, f, c, r1);
            }
            for (int r = r0; r <= r1; ++r) {
                setPixel(rows, f, c0, r);
                setPixel(rows, f, c1, r);
            }
            break;
        default: // diagonal
            for (int r = r0, c = c0; r <= r1 && c <= c1; ++r, ++c)
                setPixel(rows, f, c, r);
            break;
        }
    }
    return rows;
}

// The width a glyph's width byte holds: up to its rightmost set pixel.
int inkWidth(const Rows &rows, const FontFormat &f)
{
    uint32_t any = 0;
    for (int r = 1; r < f.height; ++r)
        any |= rows[static_cast<size_t>(r)];
    int width = 0;
    for (int c = 0; c < f.width; ++c)
        if ((any >> (f.width - 1 - c)) & 1)
            width = c + 1;
    return width;
}

void writeGlyph(uint8_t *out, const FontFormat &f, int widthByte, const Rows &rows)
{
    out[0] = static_cast<uint8_t>(widthByte);
    for (int r = 1; r < f.height; ++r) {
        const uint32_t bits = rows[static_cast<size_t>(r)];
        if (f.width == 8) {
            out[r] = static_cast<uint8_t>(bits);
        } else {
            const auto left = static_cast<uint8_t>(bits >> 8), right = static_cast<uint8_t>(bits);
            out[2 * r - 1] = f.swap ? right : left;
            out[2 * r] = f.swap ? left : right;
        }
    }
    // The bytes past the last shown row (the spare bytes of W = 16) are 0.
    for (int i = 1 + (f.width / 8) * (f.height - 1); i < fontCharStep(f); ++i)
        out[i] = 0;
}

void plantFont(Random &random, uint8_t *out, const FontFormat &f, int64_t count)
{
    const int64_t blank = uniform(random, 0, 3) == 0 ? -1 : (uniform(random, 0, 2) == 0 ? 0 : uniform(random, 0, static_cast<int>(count) - 1));
    const int64_t step = fontCharStep(f);
    for (int64_t k = 0; k < count; ++k) {
        Rows rows{};
        int width = uniform(random, 1, std::max(1, f.width / 2));
        if (k != blank) {
            rows = strokeGlyph(random, f);
            // A glyph with every row full does not look like one; open a gap.
            const int w = inkWidth(rows, f);
            bool full = true;
            for (int r = 1; r < f.height; ++r)
                full = full && rows[static_cast<size_t>(r)] == ((1u << w) - 1) << (f.width - w);
            if (full)
                rows[1] &= ~(1u << (f.width - 1));
            if (const int ink = inkWidth(rows, f))
                width = ink;
        }
        writeGlyph(out + k * step, f, width, rows);
    }
}

} // namespace

std::vector<uint8_t> backgroundImage(uint64_t seed, int64_t size, Background kind, uint8_t value)
{
    Random random(seed);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    fillBackground(random, bytes.data(), size, kind, value);
    return bytes;
}

GeneratedImage generateFontImage(uint64_t seed, int64_t size, int fontCount)
{
    Random random(seed);
    GeneratedImage image;
    image.bytes.resize(static_cast<size_t>(size));
    fillBackground(random, image.bytes.data(), size, Background::Mixed, 0);

    const std::vector<FontFormat> formats = allFontFormats();
    // One zone of the image for each font, so that no two fonts touch.
    const int64_t zone = size / fontCount;
    for (int i = 0; i < fontCount; ++i) {
        PlantedFont font;
        font.format = formats[static_cast<size_t>(uniform(random, 0, static_cast<int>(formats.size()) - 1))];
        font.count = uniform(random, 64, 256);
        const int64_t length = font.count * fontCharStep(font.format);
        const int64_t margin = 64;
        font.start = i * zone + margin
                     + std::uniform_int_distribution<int64_t>(0, std::max<int64_t>(0, zone - length - 2 * margin))(random);
        plantFont(random, image.bytes.data() + font.start, font.format, font.count);
        image.fonts.push_back(font);
    }
    return image;
}

} // namespace velmora::test
