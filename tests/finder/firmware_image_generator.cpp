#include "firmware_image_generator.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <stdexcept>

#include <zlib.h>

#include "real_fonts.h"

namespace velmora::test {

namespace {

using Random = std::mt19937_64;

int64_t uniform(Random &random, int64_t low, int64_t high) { return std::uniform_int_distribution<int64_t>(low, high)(random); }

// Machine code and data of real binaries, and text.
const char *const armFiles[] = {"/usr/arm-linux-gnueabihf/lib/libc.so.6", "/usr/arm-linux-gnueabihf/lib/libm.so.6",
                                "/usr/arm-linux-gnueabihf/lib/libresolv.so.2"};
const char *const x86Files[] = {"/usr/lib/x86_64-linux-gnu/libc.so.6", "/usr/lib/x86_64-linux-gnu/libm.so.6",
                                "/usr/lib/x86_64-linux-gnu/libstdc++.so.6", "/usr/lib/x86_64-linux-gnu/libQt6Core.so.6"};
const char *const textFiles[] = {"/usr/share/common-licenses/GPL-3", "/usr/share/common-licenses/LGPL-2.1",
                                 "/usr/share/common-licenses/Apache-2.0", "/usr/share/common-licenses/MPL-2.0"};

struct Sources {
    std::vector<std::vector<uint8_t>> arm, x86, text;
};

const Sources &sources()
{
    static const Sources loaded = [] {
        Sources s;
        for (const char *f : armFiles)
            s.arm.push_back(readPackageFile(f));
        for (const char *f : x86Files)
            s.x86.push_back(readPackageFile(f));
        for (const char *f : textFiles)
            s.text.push_back(readPackageFile(f));
        return s;
    }();
    return loaded;
}

void appendSlice(Random &random, std::vector<uint8_t> &out, const std::vector<std::vector<uint8_t>> &files, int64_t length)
{
    const std::vector<uint8_t> &file = files[static_cast<size_t>(uniform(random, 0, static_cast<int64_t>(files.size()) - 1))];
    length = std::min<int64_t>(length, static_cast<int64_t>(file.size()));
    const int64_t from = uniform(random, 0, static_cast<int64_t>(file.size()) - length);
    out.insert(out.end(), file.begin() + from, file.begin() + from + length);
}

// A zlib stream of text or of a library, as compressed resources are stored.
void appendDeflate(Random &random, std::vector<uint8_t> &out, int64_t length)
{
    std::vector<uint8_t> plain;
    while (static_cast<int64_t>(plain.size()) < 3 * length)
        appendSlice(random, plain, uniform(random, 0, 1) ? sources().text : sources().x86, std::min<int64_t>(65536, 3 * length));
    uLongf packedSize = compressBound(static_cast<uLong>(plain.size()));
    std::vector<uint8_t> packed(packedSize);
    compress2(packed.data(), &packedSize, plain.data(), static_cast<uLong>(plain.size()), static_cast<int>(uniform(random, 1, 9)));
    out.insert(out.end(), packed.begin(), packed.begin() + std::min<int64_t>(length, static_cast<int64_t>(packedSize)));
}

// Pieces of 512 bytes to 512 KB, more short ones than long ones.
void fillSurroundings(Random &random, std::vector<uint8_t> &out, int64_t size)
{
    const Sources &s = sources();
    while (static_cast<int64_t>(out.size()) < size) {
        const auto length = static_cast<int64_t>(std::exp2(std::uniform_real_distribution<double>(9, 19)(random)));
        switch (uniform(random, 0, 9)) {
        case 0: case 1: case 2: appendSlice(random, out, s.arm, length); break;
        case 3: case 4: appendSlice(random, out, s.x86, length); break;
        case 5: appendSlice(random, out, s.text, length); break;
        case 6: case 7: appendDeflate(random, out, length); break;
        case 8: out.insert(out.end(), static_cast<size_t>(length), uint8_t{0}); break;
        default: out.insert(out.end(), static_cast<size_t>(length), uint8_t{0xFF}); break;
        }
    }
    out.resize(static_cast<size_t>(size));
}

FontFormat formatFor(Random &random, const BitmapFont &font)
{
    FontFormat f;
    f.width = font.cellWidth <= 8 && uniform(random, 0, 4) < 3 ? 8 : 16;
    f.height = font.rows + 1 + (font.rows < 15 && uniform(random, 0, 3) == 0 ? 1 : 0);
    if (f.width == 16) {
        f.skipSpareByte = uniform(random, 0, 1) == 1;
        f.swapBytes = uniform(random, 0, 1) == 1;
    }
    return f;
}

void writeFont(uint8_t *out, const BitmapFont &font, const FontFormat &f, int64_t count)
{
    const int64_t step = fontCharStep(f);
    for (int64_t k = 0; k < count; ++k) {
        uint8_t *c = out + k * step;
        std::fill(c, c + step, uint8_t{0});
        c[0] = static_cast<uint8_t>(font.widths[static_cast<size_t>(k)]);
        for (int r = 1; r < f.height; ++r) {
            const uint16_t bits = r - 1 < font.rows ? font.glyphs[static_cast<size_t>(k)][static_cast<size_t>(r - 1)] : 0;
            if (f.width == 8) {
                c[r] = static_cast<uint8_t>(bits >> 8);
            } else {
                const auto left = static_cast<uint8_t>(bits >> 8), right = static_cast<uint8_t>(bits);
                c[2 * r - 1] = f.swapBytes ? right : left;
                c[2 * r] = f.swapBytes ? left : right;
            }
        }
    }
}

} // namespace

std::vector<uint8_t> firmwareBackground(uint64_t seed, int64_t size)
{
    Random random(seed);
    std::vector<uint8_t> bytes;
    bytes.reserve(static_cast<size_t>(size));
    fillSurroundings(random, bytes, size);
    return bytes;
}

GeneratedImage generateFirmwareImage(uint64_t seed, int64_t size, int fontCount)
{
    Random random(seed);
    const std::vector<BitmapFont> &fonts = realFonts();
    GeneratedImage image;
    image.bytes.reserve(static_cast<size_t>(size));
    fillSurroundings(random, image.bytes, size);

    // One zone of the image for each font, so that no two fonts touch.
    const int64_t zone = size / fontCount;
    for (int i = 0; i < fontCount; ++i) {
        const BitmapFont &font = fonts[static_cast<size_t>(uniform(random, 0, static_cast<int64_t>(fonts.size()) - 1))];
        PlantedFont planted;
        planted.format = formatFor(random, font);
        planted.count = uniform(random, 95, static_cast<int64_t>(font.glyphs.size()));
        planted.source = font.name;
        const int64_t length = planted.count * fontCharStep(planted.format);
        if (length + 128 > zone)
            throw std::runtime_error("image too small for its fonts");
        planted.start = i * zone + uniform(random, 64, zone - length - 64);
        if (uniform(random, 0, 1))
            planted.start &= ~int64_t{3}; // often word-aligned, as a linker places tables
        writeFont(image.bytes.data() + planted.start, font, planted.format, planted.count);
        image.fonts.push_back(planted);
    }
    return image;
}

} // namespace velmora::test
