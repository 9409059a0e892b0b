#include "firmware_image_generator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <QFontMetrics>
#include <random>
#include <stdexcept>

#include <zlib.h>

#include "exchange/font_render.h"
#include "layout/glyph_layout.h"
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
        f.spare = uniform(random, 0, 1) == 1;
        f.swap = uniform(random, 0, 1) == 1;
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
                c[2 * r - 1] = f.swap ? right : left;
                c[2 * r] = f.swap ? left : right;
            }
        }
    }
}

// A font in a cell of up to 32 x 32 pixels: row y of glyph k, column 0 in bit 31.
struct CellFont {
    std::string name;
    int width = 0;
    int height = 0;
    std::vector<std::array<uint32_t, 32>> glyphs;
};

std::vector<CellFont> cellFonts()
{
    std::vector<CellFont> all;
    for (const BitmapFont &font : realFonts()) {
        if (font.cellWidth < 4 || font.rows < 6)
            continue;
        CellFont cell{font.name, font.cellWidth, font.rows, {}};
        for (const auto &glyph : font.glyphs) {
            std::array<uint32_t, 32> rows{};
            for (int y = 0; y < font.rows; ++y)
                rows[static_cast<size_t>(y)] = uint32_t{glyph[static_cast<size_t>(y)]} << 16;
            cell.glyphs.push_back(rows);
        }
        all.push_back(std::move(cell));
    }
    for (const char *path : {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf",
                             "/usr/share/fonts/truetype/liberation/LiberationSerif-Regular.ttf"}) {
        const QString family = loadFontFile(QString::fromLatin1(path));
        if (family.isEmpty())
            throw std::runtime_error(std::string(path) + " cannot be read: install the packages of scripts/install-deps.sh");
        for (int size = 16; size <= 30; size += 7) {
            const QFont qfont = bitmapFont(family, size);
            const QFontMetrics metrics(qfont);
            CellFont cell;
            cell.name = std::string(path).substr(std::string(path).rfind('/') + 1) + " " + std::to_string(size) + " px";
            cell.height = std::min(32, metrics.ascent() + metrics.descent());
            for (char32_t code = 32; code < 256; code = code == 126 ? 160 : code + 1) {
                const SheetGlyphs drawn = renderGlyphs(qfont, code, 1, 32, cell.height, 0);
                std::array<uint32_t, 32> rows{};
                for (int y = 0; y < cell.height; ++y)
                    for (int x = 0; x < 32; ++x)
                        if (drawn.pixel(0, x, y)) {
                            rows[static_cast<size_t>(y)] |= 0x80000000u >> x;
                            cell.width = std::max(cell.width, x + 1);
                        }
                cell.width = std::max(cell.width, std::min(32, int{drawn.widths[0]}));
                cell.glyphs.push_back(rows);
            }
            all.push_back(std::move(cell));
        }
    }
    return all;
}

const Layout layoutsInTurn[] = {Layout::Rows, Layout::Packed, Layout::Strips, Layout::Pages, Layout::Columns};

void writeCellFont(uint8_t *out, const CellFont &font, const GlyphFormat &f, int64_t count)
{
    std::vector<uint8_t> levels(static_cast<size_t>(f.width * f.height));
    for (int64_t k = 0; k < count; ++k) {
        const auto &rows = font.glyphs[static_cast<size_t>(k)];
        for (int y = 0; y < f.height; ++y)
            for (int x = 0; x < f.width; ++x)
                levels[static_cast<size_t>(y * f.width + x)] = (rows[static_cast<size_t>(y)] >> (31 - x)) & 1;
        // Padding bits are clear, as a font converter writes them.
        std::fill(out + k * f.step(), out + (k + 1) * f.step(), uint8_t{0});
        encodePixels(levels.data(), f, std::span<uint8_t>(out + k * f.step(), static_cast<size_t>(f.step())));
    }
}

// The glyph at offset in format f on a 32 x 32 canvas; pixels outside the cell are blank.
std::array<uint32_t, 32> canvasOf(std::span<const uint8_t> image, int64_t offset, const GlyphFormat &f)
{
    std::vector<uint8_t> levels(static_cast<size_t>(f.width * f.height));
    decodePixels(image, offset, f, levels.data());
    std::array<uint32_t, 32> rows{};
    for (int y = 0; y < f.height && y < 32; ++y)
        for (int x = 0; x < f.width && x < 32; ++x)
            if (levels[static_cast<size_t>(y * f.width + x)])
                rows[static_cast<size_t>(y)] |= 0x80000000u >> x;
    return rows;
}

// The glyph moved right by dx and down by dy; what leaves the canvas is lost.
std::array<uint32_t, 32> moved(const std::array<uint32_t, 32> &rows, int dx, int dy)
{
    std::array<uint32_t, 32> out{};
    for (int y = 0; y < 32; ++y) {
        const int to = y + dy;
        if (to >= 0 && to < 32)
            out[static_cast<size_t>(to)] = dx >= 0 ? rows[static_cast<size_t>(y)] >> dx : rows[static_cast<size_t>(y)] << -dx;
    }
    return out;
}

// The range of glyphs from start without the blank ones at its ends.
std::pair<int64_t, int64_t> inkedRange(std::span<const uint8_t> image, int64_t start, int64_t count, const GlyphFormat &f)
{
    const std::array<uint32_t, 32> blank{};
    int64_t first = 0, last = count - 1;
    while (first <= last && canvasOf(image, start + first * f.step(), f) == blank)
        ++first;
    while (last >= first && canvasOf(image, start + last * f.step(), f) == blank)
        --last;
    return {start + first * f.step(), last - first + 1};
}

} // namespace

bool showsFont(std::span<const uint8_t> image, const FontCandidate &c, const PlantedFont &font)
{
    if (font.format.widthByte() || c.format.widthByte())
        return c.start == font.start && c.format == font.format && c.count == font.count;
    const int64_t step = font.format.step();
    if (c.format.step() != step)
        return false;
    // A reading that starts a few blank rows or columns off shows the same
    // glyphs moved in their cells: the glyphs must match after one move.
    const auto [plantedStart, plantedCount] = inkedRange(image, font.start, font.count, font.format);
    const auto [foundStart, foundCount] = inkedRange(image, c.start, c.count, c.format);
    if (foundCount != plantedCount || std::abs(foundStart - plantedStart) >= step)
        return false;
    int dx = 99, dy = 99;
    for (int64_t k = 0; k < foundCount; ++k) {
        const auto planted = canvasOf(image, plantedStart + k * step, font.format);
        const auto found = canvasOf(image, foundStart + k * step, c.format);
        if (dx == 99) {
            // The move that puts the first inked glyph onto the planted one.
            for (int y = -31; y <= 31 && dx == 99; ++y)
                for (int x = -31; x <= 31 && dx == 99; ++x)
                    if (moved(planted, x, y) == found)
                        dx = x, dy = y;
            if (dx == 99)
                return false;
        }
        if (moved(planted, dx, dy) != found)
            return false;
    }
    return true;
}

std::string misreadOf(std::span<const uint8_t> image, const FontCandidate &c, const PlantedFont &font)
{
    if (c.format.step() != font.format.step())
        return "step " + std::to_string(c.format.step()) + " for " + std::to_string(font.format.step());
    const auto [plantedStart, plantedCount] = inkedRange(image, font.start, font.count, font.format);
    const auto [foundStart, foundCount] = inkedRange(image, c.start, c.count, c.format);
    const int64_t step = font.format.step();
    std::string why;
    if (foundCount != plantedCount || foundStart != plantedStart)
        why = "inked glyphs " + std::to_string((foundStart - plantedStart) / step) + ".." + std::to_string((foundStart - plantedStart) / step + foundCount)
              + " of " + std::to_string(plantedCount) + " (byte " + std::to_string((foundStart - plantedStart) % step) + ")";
    const int64_t from = std::max(plantedStart, foundStart - (foundStart - plantedStart) % step);
    if (from < plantedStart + plantedCount * step) {
        const auto planted = canvasOf(image, from, font.format);
        const auto found = canvasOf(image, from + (foundStart - plantedStart) % step, c.format);
        bool matches = false;
        for (int y = -31; y <= 31 && !matches; ++y)
            for (int x = -31; x <= 31 && !matches; ++x)
                matches = moved(planted, x, y) == found;
        if (!matches)
            why += why.empty() ? "glyphs differ" : ", glyphs differ";
    }
    return why;
}

static const std::vector<CellFont> &layoutFonts()
{
    static const std::vector<CellFont> fonts = cellFonts();
    return fonts;
}

PlantedFont plantCellFont(std::vector<uint8_t> &bytes, int64_t start, const std::string &fontName, Layout layout, bool reverse,
                          int64_t count)
{
    for (const CellFont &font : layoutFonts()) {
        if (font.name != fontName)
            continue;
        PlantedFont planted;
        planted.format.layout = layout;
        planted.format.width = font.width;
        planted.format.height = font.height;
        planted.format.reverse = reverse;
        planted.start = start;
        planted.count = std::min<int64_t>(count, static_cast<int64_t>(font.glyphs.size()));
        planted.source = font.name;
        if (start < 0 || start + planted.count * planted.format.step() > static_cast<int64_t>(bytes.size()))
            throw std::runtime_error("the font does not fit the image");
        writeCellFont(bytes.data() + start, font, planted.format, planted.count);
        return planted;
    }
    throw std::runtime_error("no font " + fontName);
}

GeneratedImage generateLayoutFirmwareImage(uint64_t seed, int64_t size, int fontCount)
{
    Random random(seed);
    const std::vector<CellFont> &fonts = layoutFonts();
    GeneratedImage image;
    image.bytes.reserve(static_cast<size_t>(size));
    fillSurroundings(random, image.bytes, size);
    const int64_t zone = size / fontCount;
    const auto turn = uniform(random, 0, 4);
    for (int i = 0; i < fontCount; ++i) {
        const CellFont &font = fonts[static_cast<size_t>(uniform(random, 0, static_cast<int64_t>(fonts.size()) - 1))];
        PlantedFont planted;
        GlyphFormat &f = planted.format;
        f.layout = layoutsInTurn[(turn + i) % 5];
        f.width = font.width;
        f.height = font.height;
        f.reverse = uniform(random, 0, 1) == 1;
        planted.count = uniform(random, 95, static_cast<int64_t>(font.glyphs.size()));
        planted.source = font.name;
        const int64_t length = planted.count * f.step();
        if (length + 128 > zone)
            throw std::runtime_error("image too small for its fonts");
        planted.start = i * zone + uniform(random, 64, zone - length - 64);
        if (uniform(random, 0, 1))
            planted.start &= ~int64_t{3};
        writeCellFont(image.bytes.data() + planted.start, font, f, planted.count);
        image.fonts.push_back(planted);
    }
    return image;
}

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
