#include "real_fonts.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <QFontMetrics>
#include <zlib.h>

#include "exchange/font_render.h"

namespace velmora::test {

namespace {

std::runtime_error missing(const std::string &path)
{
    return std::runtime_error(path + " cannot be read: install the packages of scripts/install-deps.sh");
}

// Characters a firmware font of count glyphs holds: printable ASCII, then Latin-1 from 160.
std::vector<char32_t> fontCodes()
{
    std::vector<char32_t> codes;
    for (char32_t c = 32; c < 127; ++c)
        codes.push_back(c);
    for (char32_t c = 160; c < 256; ++c)
        codes.push_back(c);
    return codes;
}

// The glyph's columns up to its rightmost set pixel.
int inkWidth(const std::array<uint16_t, 15> &glyph)
{
    uint16_t any = 0;
    for (uint16_t row : glyph)
        any |= row;
    int width = 0;
    for (int c = 0; c < 16; ++c)
        if (any & (0x8000 >> c))
            width = c + 1;
    return width;
}

// Widths as a firmware stores them: the advance, widened to the ink, 1 to the cell width.
void finish(BitmapFont &font)
{
    int widest = 1;
    for (size_t k = 0; k < font.glyphs.size(); ++k) {
        font.widths[k] = std::clamp(std::max(font.widths[k], inkWidth(font.glyphs[k])), 1, 16);
        widest = std::max(widest, font.widths[k]);
    }
    font.cellWidth = widest;
}

BitmapFont trueTypeFont(const std::string &path, int pixelSize)
{
    const QString family = loadFontFile(QString::fromStdString(path));
    if (family.isEmpty())
        throw missing(path);
    const QFont qfont = bitmapFont(family, pixelSize);
    const QFontMetrics metrics(qfont);
    BitmapFont font;
    font.name = path.substr(path.rfind('/') + 1) + " " + std::to_string(pixelSize) + " px";
    font.rows = std::min(15, metrics.ascent() + metrics.descent());
    // A cell lower than the font keeps the descenders and cuts the accents.
    const int offset = std::min(0, font.rows - metrics.ascent() - metrics.descent());
    for (const char32_t code : fontCodes()) {
        const SheetGlyphs drawn = renderGlyphs(qfont, code, 1, 16, font.rows, offset);
        std::array<uint16_t, 15> glyph{};
        for (int y = 0; y < font.rows; ++y)
            for (int x = 0; x < 16; ++x)
                if (drawn.pixel(0, x, y))
                    glyph[static_cast<size_t>(y)] |= static_cast<uint16_t>(0x8000 >> x);
        font.glyphs.push_back(glyph);
        font.widths.push_back(drawn.widths[0]);
    }
    finish(font);
    return font;
}

uint32_t littleEndian32(const std::vector<uint8_t> &d, size_t at)
{
    if (at + 4 > d.size())
        throw std::runtime_error("truncated font file");
    return d[at] | d[at + 1] << 8 | d[at + 2] << 16 | uint32_t{d[at + 3]} << 24;
}

// A PSF 1 or 2 console font: glyphs in font order from position 32.
BitmapFont consoleFont(const std::string &path)
{
    const std::vector<uint8_t> d = readPackageFile(path);
    size_t header = 0, count = 0, height = 0, width = 8, bytesPerGlyph = 0;
    if (d.size() > 4 && d[0] == 0x36 && d[1] == 0x04) {
        header = 4;
        count = d[2] & 1 ? 512 : 256;
        height = bytesPerGlyph = d[3];
    } else if (littleEndian32(d, 0) == 0x864ab572) {
        header = littleEndian32(d, 8);
        count = littleEndian32(d, 16);
        bytesPerGlyph = littleEndian32(d, 20);
        height = littleEndian32(d, 24);
        width = littleEndian32(d, 28);
    }
    if (height == 0 || height > 15 || width > 16 || header + count * bytesPerGlyph > d.size())
        throw std::runtime_error(path + ": not a console font of at most 16 x 15 pixels");
    BitmapFont font;
    font.name = path.substr(path.rfind('/') + 1);
    font.rows = static_cast<int>(height);
    const size_t rowBytes = (width + 7) / 8;
    for (size_t k = 32; k < std::min<size_t>(count, 32 + fontCodes().size()); ++k) {
        std::array<uint16_t, 15> glyph{};
        for (size_t y = 0; y < height; ++y) {
            const uint8_t *row = d.data() + header + k * bytesPerGlyph + y * rowBytes;
            glyph[y] = static_cast<uint16_t>(row[0] << 8 | (rowBytes > 1 ? row[1] : 0));
        }
        font.glyphs.push_back(glyph);
        font.widths.push_back(static_cast<int>(width));
    }
    finish(font);
    return font;
}

// Reads the tables of an X11 PCF font that hold its glyphs.
class PcfReader {
public:
    explicit PcfReader(const std::string &path) : path_(path), d_(readPackageFile(path))
    {
        if (littleEndian32(d_, 0) != 0x70636601)
            throw std::runtime_error(path + ": not a PCF font");
        const uint32_t tables = littleEndian32(d_, 4);
        for (uint32_t i = 0; i < tables; ++i)
            toc_.push_back({littleEndian32(d_, 8 + 16 * i), littleEndian32(d_, 8 + 16 * i + 12)});
    }

    BitmapFont read()
    {
        // Font ascent and descent, from the accelerators.
        seek(find(0x100, 0x2));
        at_ += 8;
        const int ascent = int32(), descent = int32();
        BitmapFont font;
        font.name = path_.substr(path_.rfind('/') + 1);
        font.rows = ascent + descent;
        if (font.rows > 15)
            throw std::runtime_error(path_ + ": taller than 15 rows");

        struct Metrics { int left, right, advance, ascent, descent; };
        std::vector<Metrics> metrics;
        seek(find(0x4));
        if (format_ & 0x100) {
            const int count = int16();
            for (int i = 0; i < count; ++i) {
                Metrics m{};
                for (int *v : {&m.left, &m.right, &m.advance, &m.ascent, &m.descent})
                    *v = byte() - 0x80;
                metrics.push_back(m);
            }
        } else {
            const int count = int32();
            for (int i = 0; i < count; ++i) {
                Metrics m{};
                for (int *v : {&m.left, &m.right, &m.advance, &m.ascent, &m.descent})
                    *v = int16();
                int16(); // attributes
                metrics.push_back(m);
            }
        }

        seek(find(0x8));
        const uint32_t bitmapFormat = format_;
        const int glyphCount = int32();
        std::vector<size_t> offsets;
        for (int i = 0; i < glyphCount; ++i)
            offsets.push_back(static_cast<size_t>(int32()));
        at_ += 16; // sizes of the bitmaps for each padding
        const size_t bitmaps = at_;
        const size_t pad = size_t{1} << (bitmapFormat & 3);
        const size_t unit = size_t{1} << ((bitmapFormat >> 4) & 3);
        const bool msbBits = bitmapFormat & 8, msbBytes = bitmapFormat & 4;

        seek(find(0x20));
        const int firstCol = int16(), lastCol = int16(), firstRow = int16(), lastRow = int16();
        int16(); // default character
        std::vector<int> indices;
        for (int i = 0; i < (lastCol - firstCol + 1) * (lastRow - firstRow + 1); ++i)
            indices.push_back(int16() & 0xFFFF);

        for (const char32_t code : fontCodes()) {
            const int col = static_cast<int>(code) - firstCol;
            if (firstRow > 0 || col < 0 || static_cast<int>(code) > lastCol)
                throw std::runtime_error(path_ + ": a character of Latin-1 is missing");
            const int index = indices[static_cast<size_t>(col)];
            if (index == 0xFFFF || index >= glyphCount)
                throw std::runtime_error(path_ + ": a character of Latin-1 is missing");
            const Metrics &m = metrics[static_cast<size_t>(index)];
            const size_t rowBytes = (static_cast<size_t>(std::max(0, m.right - m.left)) + 7) / 8;
            const size_t stride = (rowBytes + pad - 1) / pad * pad;
            std::array<uint16_t, 15> glyph{};
            for (int y = 0; y < m.ascent + m.descent; ++y) {
                const int cellY = ascent - m.ascent + y;
                for (int x = 0; x < m.right - m.left; ++x) {
                    size_t byteAt = bitmaps + offsets[static_cast<size_t>(index)] + static_cast<size_t>(y) * stride
                                    + static_cast<size_t>(x / 8);
                    if (unit > 1 && msbBytes != msbBits) // bytes swapped within each scan unit
                        byteAt = byteAt - (byteAt - bitmaps) % unit + (unit - 1 - (byteAt - bitmaps) % unit);
                    const int bit = msbBits ? 7 - x % 8 : x % 8;
                    const int cellX = m.left + x;
                    if (byteAt < d_.size() && (d_[byteAt] >> bit & 1) && cellY >= 0 && cellY < 15 && cellX >= 0 && cellX < 16)
                        glyph[static_cast<size_t>(cellY)] |= static_cast<uint16_t>(0x8000 >> cellX);
                }
            }
            font.glyphs.push_back(glyph);
            font.widths.push_back(m.advance);
        }
        finish(font);
        return font;
    }

private:
    struct Entry { uint32_t type, offset; };

    uint32_t find(uint32_t type, uint32_t fallback = 0)
    {
        for (uint32_t t : {type, fallback})
            for (const Entry &e : toc_)
                if (e.type == t)
                    return e.offset;
        throw std::runtime_error(path_ + ": a PCF table is missing");
    }
    void seek(uint32_t offset)
    {
        format_ = littleEndian32(d_, offset);
        at_ = offset + 4;
    }
    int byte()
    {
        if (at_ >= d_.size())
            throw std::runtime_error(path_ + ": truncated");
        return d_[at_++];
    }
    int int16()
    {
        const int a = byte(), b = byte();
        return static_cast<int16_t>(format_ & 4 ? a << 8 | b : b << 8 | a);
    }
    int int32()
    {
        const uint32_t a = static_cast<uint32_t>(int16()) & 0xFFFF, b = static_cast<uint32_t>(int16()) & 0xFFFF;
        return static_cast<int32_t>(format_ & 4 ? a << 16 | b : b << 16 | a);
    }

    std::string path_;
    std::vector<uint8_t> d_;
    std::vector<Entry> toc_;
    uint32_t format_ = 0;
    size_t at_ = 0;
};

const char *const trueTypeFiles[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationSerif-Regular.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationMono-Regular.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationSansNarrow-Regular.ttf",
};

const char *const consoleFiles[] = {
    "Lat15-Fixed13", "Lat15-Fixed14", "Lat15-Fixed15", "Lat15-Terminus12x6", "Lat15-Terminus14",
    "Lat15-TerminusBold14", "Lat15-VGA8", "Lat15-VGA14", "Lat15-TerminusBoldVGA14",
};

const char *const pcfFiles[] = {
    "4x6", "5x7", "5x8", "6x9", "6x10", "6x12", "6x13", "6x13B", "7x13", "7x14", "7x14B", "8x13", "8x13B", "9x15", "9x15B",
    "clR6x12",
};

} // namespace

std::vector<uint8_t> readPackageFile(const std::string &path)
{
    if (path.size() > 3 && path.compare(path.size() - 3, 3, ".gz") == 0) {
        gzFile file = gzopen(path.c_str(), "rb");
        if (!file)
            throw missing(path);
        std::vector<uint8_t> bytes;
        uint8_t buffer[65536];
        int got = 0;
        while ((got = gzread(file, buffer, sizeof buffer)) > 0)
            bytes.insert(bytes.end(), buffer, buffer + got);
        gzclose(file);
        if (got < 0 || bytes.empty())
            throw missing(path);
        return bytes;
    }
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof())
        throw missing(path);
    if (bytes.empty())
        throw missing(path);
    return bytes;
}

const std::vector<BitmapFont> &realFonts()
{
    static const std::vector<BitmapFont> fonts = [] {
        std::vector<BitmapFont> all;
        for (const char *file : trueTypeFiles)
            for (int size = 8; size <= 15; ++size)
                all.push_back(trueTypeFont(file, size));
        for (const char *name : consoleFiles)
            all.push_back(consoleFont(std::string("/usr/share/consolefonts/") + name + ".psf.gz"));
        for (const char *name : pcfFiles)
            all.push_back(PcfReader(std::string("/usr/share/fonts/X11/misc/") + name + ".pcf.gz").read());
        return all;
    }();
    return fonts;
}

} // namespace velmora::test
