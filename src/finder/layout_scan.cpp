#include "finder/layout_scan.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <numeric>
#include <optional>
#include <tuple>
#include <unordered_set>

#include "layout/glyph_layout.h"

namespace velmora {

namespace {

constexpr int minLag = 4;
constexpr int maxLag = 32;
constexpr int minHeight = 6;
constexpr int maxSide = 32;
// Windows of one region: a font-like window may be followed by one that is not.
constexpr int maxWindowGap = 1;
constexpr int minRegionWindows = 6;
constexpr int64_t windowGroup = 4;
// Regions of one place that are judged: the lags whose bits agree most.
constexpr int regionsPerPlace = 1;
// The part of a region that the step, the layout and the first byte are judged on.
constexpr int64_t judgedBytes = 6144;
// Steps whose places are weighed, of those where bytes agree most with the next glyph's.
constexpr size_t stepsTried = 6;
// The share of the least score that the first look at a region must reach.
constexpr double firstLookShare = 1.0;
// The share of it that a region found by the places of small cells must
// reach: the first glyphs of a 5 x 8 font save few bits, and such regions
// are few and judged only in the formats of their steps. Packed small
// cells, without padding bits to foresee, need less again.
constexpr double smallCellLookShare = 0.6;
constexpr double smallPackedLookShare = 0.4;
// The least score of a table without widths, as a share of the least score
// of a width-byte table: its glyphs have no width bytes to check.
constexpr double layoutScoreShare = 0.25;
// The least score of a table found in a faint region, as a share of the
// least score of a width-byte table: code and data agree that little too.
constexpr double faintScoreShare = 1.0;
// Glyphs that the readings of a region are compared on.
constexpr int64_t glyphsCompared = 128;
// Glyphs of the first look at a region.
constexpr int64_t glyphsLooked = 48;
// Blank glyphs that the search for a table's end steps over.
constexpr int maxBlankRun = 40;
// The evidence that glyphs which fit a table poorly may cost it in a row
// before glyphs that fit it again, and what one glyph costs at most (a
// glyph with most of its ink outside every glyph of the core costs that),
// for cells of up to 64 pixels. Larger cells scale both: the punctuation of
// a 30-pixel font costs many times what a small font's does.
constexpr double bridgedBits = 48;
constexpr double glyphBits = 24;
// Glyphs past a costlier run whose fit may still make up for it.
constexpr int lookaheadGlyphs = 4;
double cellScale(size_t pixels) { return std::max(1.0, static_cast<double>(pixels) / 64); }
// What a glyph drawn in strokes (or scattered) tells of itself, and the
// packed cells below which it tells less, in proportion to their pixels.
constexpr double strokeBits = 8;
constexpr double packedStrokePixels = 96;
// A glyph with this many times the mean ink of a table's glyphs is no
// glyph of it (a block of data, not a letter).
constexpr int64_t crowdedInk = 3;
// Glyphs of a table's core from which places without ink are taken as
// outside every glyph.
constexpr int64_t envelopeGlyphs = 48;
// Glyphs at the start of a table found that may be bytes before the font.
constexpr int64_t untrustedGlyphs = 8;

constexpr std::array<uint8_t, 256> bitCount = [] {
    std::array<uint8_t, 256> counts{};
    for (int i = 0; i < 256; ++i)
        counts[static_cast<size_t>(i)] = static_cast<uint8_t>((i & 1) + counts[static_cast<size_t>(i >> 1)]);
    return counts;
}();

// The set bits of a word, without a call into the compiler's library on
// processors built for without a population count instruction.
constexpr int setBits(uint64_t x)
{
    x -= (x >> 1) & 0x5555555555555555u;
    x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
    return static_cast<int>((x * 0x0101010101010101u) >> 56);
}

double entropyBits(double p) { return p <= 0 || p >= 1 ? 0 : -(p * std::log2(p) + (1 - p) * std::log2(1 - p)); }

// The bits that n pixels of which ones are set cost at their own density.
double bits(int64_t n, int64_t ones)
{
    return n > 0 ? static_cast<double>(n) * entropyBits(static_cast<double>(ones) / static_cast<double>(n)) : 0;
}

// The formats whose neighbouring pixels lie lag bits apart in the bytes
// (as a row below, or a column beside), reverse off: the scan reads
// reverse as an orientation of the same bits.
std::vector<GlyphFormat> formatsForLag(int lag)
{
    std::vector<GlyphFormat> formats;
    auto add = [&](Layout layout, int w, int h) {
        GlyphFormat f;
        f.layout = layout;
        f.width = w;
        f.height = h;
        formats.push_back(f);
    };
    if (lag % 8 != 0) {
        // Packed glyphs of W = lag: for each size the tallest H it holds.
        std::map<int, int> tallest;
        for (int h = minHeight; h <= maxSide; ++h)
            tallest[(lag * h + 7) / 8] = h;
        for (const auto &[size, h] : tallest)
            add(Layout::Packed, lag, h);
        return formats;
    }
    const int bytes = lag / 8;
    for (int h = minHeight; h <= maxSide; ++h)
        add(Layout::Rows, lag, h);
    if (bytes == 1) {
        for (int w = 16; w <= maxSide; w += 8)
            for (int h = minHeight; h <= maxSide; ++h)
                add(Layout::Strips, w, h);
        for (int pages = 1; pages <= 4; ++pages)
            for (int w = minLag; w <= maxSide; ++w)
                add(Layout::Pages, w, 8 * pages);
    } else {
        for (int w = minLag; w <= maxSide; ++w)
            add(Layout::Columns, w, lag);
    }
    return formats;
}

// Where each pixel's bit lies in a glyph of format f, row-major.
std::vector<BitPlace> placesOf(const GlyphFormat &f)
{
    const GlyphLayout &layout = layoutOf(f.layout);
    std::vector<BitPlace> places;
    places.reserve(static_cast<size_t>(f.width * f.height));
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x) {
            BitPlace p = layout.place(f, x, y, 0);
            if (f.reverse)
                p.bit = 7 - p.bit;
            places.push_back(p);
        }
    return places;
}

// A glyph's pixels, 0 or 1, row-major.
using Pixels = std::array<uint8_t, maxSide * maxSide>;
// A glyph's rows as masks, pixel x in bit x: what the shape measures work on
// a row at a time.
using Rows = std::array<uint32_t, maxSide>;

Rows rowsOf(const Pixels &p, int w, int h)
{
    Rows rows{};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            rows[static_cast<size_t>(y)] |= uint32_t{p[static_cast<size_t>(y * w + x)]} << x;
    return rows;
}

struct Reader {
    GlyphFormat format;
    std::vector<BitPlace> places;
    int step;

    // For each bit of the glyph's bytes, the pixel it holds (row * 32 +
    // column), or none for padding: a glyph is read ink bit by ink bit.
    std::vector<uint16_t> pixelOfBit;
    static constexpr uint16_t padding = 0xFFFF;

    explicit Reader(const GlyphFormat &f) : format(f), places(placesOf(f)), step(f.step())
    {
        int bytes = 0;
        for (const BitPlace &p : places)
            bytes = std::max(bytes, p.byte + 1);
        pixelOfBit.assign(static_cast<size_t>(bytes) * 8, padding);
        for (size_t i = 0; i < places.size(); ++i)
            pixelOfBit[static_cast<size_t>(places[i].byte * 8 + places[i].bit)] =
                static_cast<uint16_t>(static_cast<int>(i) / f.width * 32 + static_cast<int>(i) % f.width);
    }

    // The caller keeps the glyph inside the image.
    bool read(std::span<const uint8_t> image, int64_t start, Pixels &pixels) const
    {
        bool ink = false;
        const uint8_t *bytes = image.data() + start;
        for (size_t i = 0; i < places.size(); ++i) {
            pixels[i] = static_cast<uint8_t>((bytes[places[i].byte] >> places[i].bit) & 1);
            ink = ink || pixels[i];
        }
        return ink;
    }

    bool readRows(std::span<const uint8_t> image, int64_t start, Rows &rows) const
    {
        const uint8_t *bytes = image.data() + start;
        std::fill_n(rows.begin(), format.height, 0u);
        bool any = false;
        const size_t count = pixelOfBit.size() / 8;
        for (size_t i = 0; i < count; ++i)
            for (unsigned ink = bytes[i]; ink; ink &= ink - 1) {
                const uint16_t pixel = pixelOfBit[i * 8 + static_cast<size_t>(std::countr_zero(ink))];
                if (pixel != padding) {
                    rows[pixel >> 5] |= 1u << (pixel & 31);
                    any = true;
                }
            }
        return any;
    }
};

// How often a pixel is set after each pattern of its left and upper
// neighbour, and how much those neighbours tell of it.
struct Strokes {
    std::array<int64_t, 4> all{}, set{};

    void add(const Pixels &p, int w, int h)
    {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const size_t i = static_cast<size_t>(y * w + x);
                const size_t k = static_cast<size_t>((x > 0 && p[i - 1] ? 2 : 0) + (y > 0 && p[i - static_cast<size_t>(w)] ? 1 : 0));
                ++all[k];
                set[k] += p[i];
            }
    }
    // The smaller of the two neighbours' gains over the larger: near 0 for
    // data that repeats along one direction only.
    double balance() const
    {
        const double both = bits(all[0], set[0]) + bits(all[1], set[1]) + bits(all[2], set[2]) + bits(all[3], set[3]);
        const double upGain = bits(all[0] + all[1], set[0] + set[1]) + bits(all[2] + all[3], set[2] + set[3]) - both;
        const double leftGain = bits(all[0] + all[2], set[0] + set[2]) + bits(all[1] + all[3], set[1] + set[3]) - both;
        return std::max(leftGain, upGain) > 0 ? std::max(0.0, std::min(leftGain, upGain)) / std::max(leftGain, upGain) : 0;
    }
    // Bits a pixel given both neighbours.
    double entropy() const
    {
        const int64_t pixels = all[0] + all[1] + all[2] + all[3];
        const double both = bits(all[0], set[0]) + bits(all[1], set[1]) + bits(all[2], set[2]) + bits(all[3], set[3]);
        return pixels > 0 ? both / static_cast<double>(pixels) : 0;
    }
};

// What the cell's places tell: the bits that the position of a bit in the
// glyph saves over the glyphs' density, less the cost of the positions'
// densities. The step that repeats the glyphs' structure scores highest,
// and its multiples score less for the longer model.
double positionalInformation(std::span<const uint8_t> image, int64_t from, int64_t to, int step)
{
    const int64_t glyphs = (to - from) / step;
    if (glyphs < 16)
        return -1e300;
    std::vector<int32_t> ones(static_cast<size_t>(step) * 8);
    int64_t total = 0;
    for (int64_t k = 0; k < glyphs; ++k) {
        const uint8_t *bytes = image.data() + from + k * step;
        for (int i = 0; i < step; ++i)
            for (int b = 0; b < 8; ++b)
                ones[static_cast<size_t>(i * 8 + b)] += (bytes[i] >> b) & 1;
    }
    for (int32_t n : ones)
        total += n;
    const auto n = static_cast<double>(glyphs);
    const double density = static_cast<double>(total) / (n * static_cast<double>(ones.size()));
    double saved = 0;
    for (int32_t count : ones)
        saved += n * (entropyBits(density) - entropyBits(static_cast<double>(count) / n));
    return saved - 0.5 * static_cast<double>(ones.size()) * std::log2(n);
}

// How much more likely each glyph is as one of the table's than as the
// bytes around it: by the density of each pixel place, against bits as
// dense as the surroundings.
struct PlaceModel {
    std::vector<double> ifSet, ifClear; // log2 odds of a set or clear pixel
    std::vector<uint8_t> outside;        // places without ink in the core
    int64_t outsidePlaces = 0;

    PlaceModel(const std::vector<int64_t> &ones, int64_t glyphs, double outsideDensity)
    {
        const double d = std::clamp(outsideDensity, 0.01, 0.99);
        for (int64_t count : ones) {
            const double p = (static_cast<double>(count) + 0.5) / (static_cast<double>(glyphs) + 1);
            ifSet.push_back(std::log2(p / d));
            ifClear.push_back(std::log2((1 - p) / (1 - d)));
            outside.push_back(count == 0 && glyphs >= envelopeGlyphs);
            outsidePlaces += outside.back();
        }
    }
    // A glyph's ink pixels, and those of them outside every glyph of the core.
    std::pair<int, int> ink(const Pixels &p) const
    {
        int all = 0, out = 0;
        for (size_t i = 0; i < outside.size(); ++i) {
            all += p[i];
            out += p[i] && outside[i] ? 1 : 0;
        }
        return {all, out};
    }
    // Ink mostly where no glyph of a long core has any (the rows and columns
    // around every glyph, the padding) belongs to no glyph; a little of it
    // is an accent or a wider letter.
    double evidence(const Pixels &p) const
    {
        double bits = 0;
        int ink = 0, out = 0;
        for (size_t i = 0; i < ifSet.size(); ++i) {
            bits += p[i] ? ifSet[i] : ifClear[i];
            ink += p[i];
            out += p[i] && outside[i] ? 1 : 0;
        }
        return 4 * out > ink ? std::min(bits, -glyphBits * cellScale(ifSet.size())) : bits;
    }
};

double byteDensity(std::span<const uint8_t> image, int64_t from, int64_t to)
{
    from = std::max<int64_t>(0, from);
    to = std::min<int64_t>(static_cast<int64_t>(image.size()), to);
    int64_t ones = 0;
    for (int64_t i = from; i < to; ++i)
        ones += bitCount[image[static_cast<size_t>(i)]];
    return to > from ? static_cast<double>(ones) / (8.0 * static_cast<double>(to - from)) : 0.5;
}

// How upright and unmirrored the glyphs stand: letters lean left (more
// ink left of their middle, their stems on the left), and most fonts keep
// the space between letters on the right of the cell, so more glyphs reach
// its first column than its last; and glyphs end on one baseline while
// their tops (capitals, small letters, accents) vary, so more share their
// bottom row than their top row.
double orientationScore(std::span<const uint8_t> image, int64_t start, int64_t count, const Reader &reader)
{
    const int w = reader.format.width, h = reader.format.height;
    std::array<int, maxSide> bottoms{}, tops{};
    int inked = 0, firstColumn = 0, lastColumn = 0, leaning = 0;
    Rows rows{};
    for (int64_t k = 0; k < count; ++k) {
        if (!reader.readRows(image, start + k * reader.step, rows))
            continue;
        ++inked;
        int top = -1, bottom = 0;
        uint32_t columns = 0;
        for (int y = 0; y < h; ++y)
            if (rows[static_cast<size_t>(y)]) {
                top = top < 0 ? y : top;
                bottom = y;
                columns |= rows[static_cast<size_t>(y)];
            }
        // Ink left of the middle of the glyph's own columns, against ink right of it.
        const int middle2 = std::countr_zero(columns) + std::bit_width(columns) - 1;
        int balance = 0;
        for (int y = top; y <= bottom; ++y)
            for (uint32_t row = rows[static_cast<size_t>(y)]; row; row &= row - 1) {
                const int x2 = 2 * std::countr_zero(row);
                balance += x2 < middle2 ? 1 : x2 > middle2 ? -1 : 0;
            }
        leaning += balance > 0 ? 1 : balance < 0 ? -1 : 0;
        // The longest upright stroke in the glyph's first column against
        // the one in its last: stems stand on the left (b, h, k, n, p, E, R).
        const uint32_t leftColumn = columns & (~columns + 1), rightColumn = uint32_t{1} << (std::bit_width(columns) - 1);
        int leftRun = 0, rightRun = 0, left = 0, right = 0;
        for (int y = top; y <= bottom; ++y) {
            const uint32_t row = rows[static_cast<size_t>(y)];
            left = row & leftColumn ? left + 1 : 0;
            right = row & rightColumn ? right + 1 : 0;
            leftRun = std::max(leftRun, left);
            rightRun = std::max(rightRun, right);
        }
        leaning += leftRun > rightRun ? 1 : leftRun < rightRun ? -1 : 0;
        ++bottoms[static_cast<size_t>(bottom)];
        ++tops[static_cast<size_t>(top)];
        firstColumn += static_cast<int>(columns & 1);
        lastColumn += static_cast<int>((columns >> (w - 1)) & 1);
    }
    if (inked == 0)
        return 0;
    // Where as many glyphs end on one row as start on another, the letters
    // that reach past the baseline (descenders) break the tie: past the
    // common top row fewer glyphs reach (accents), in a small font none.
    const auto baseline = std::max_element(bottoms.begin(), bottoms.end());
    const auto capLine = std::max_element(tops.begin(), tops.end());
    const int descending = std::accumulate(baseline + 1, bottoms.end(), 0);
    const int ascending = std::accumulate(tops.begin(), capLine, 0);
    // In glyphs of 8 rows or fewer, capitals, digits and ascenders share the
    // top row about as often as glyphs share the baseline: there, within a
    // twentieth of the glyphs, the descenders decide.
    const double descenderWeight = h <= 8 && std::abs(*baseline - *capLine) * 20 <= inked ? 0.5 : 0.001;
    // The space column only counts a tenth of a glyph: some console fonts
    // keep it on the left, and the letters' own lean tells in them too.
    return (0.1 * (firstColumn - lastColumn) + leaning + *baseline - *capLine + descenderWeight * (descending - ascending)) / static_cast<double>(inked);
}

struct Extent {
    int64_t start = 0;
    int64_t count = 0;
};

// The pieces of ink of a glyph, 8-connected: the runs of ink of each row,
// joined to the runs of the row above that they touch or meet at a corner.
int64_t piecesOf(const Rows &rows, int h)
{
    // Left uninitialised: entry i is written when run i is found, before any read.
    std::array<uint64_t, maxSide * maxSide / 2> runs;
    std::array<int, maxSide * maxSide / 2> parent;
    const auto root = [&](int i) {
        while (parent[static_cast<size_t>(i)] != i)
            i = parent[static_cast<size_t>(i)] = parent[static_cast<size_t>(parent[static_cast<size_t>(i)])];
        return i;
    };
    int count = 0, joined = 0, aboveFrom = 0;
    for (int y = 0; y < h; ++y) {
        const int rowFrom = count;
        for (uint64_t left = rows[static_cast<size_t>(y)]; left != 0;) {
            const uint64_t lowest = left & (~left + 1);
            const uint64_t run = left & ~(left + lowest);
            left ^= run;
            const int i = count++;
            runs[static_cast<size_t>(i)] = run;
            parent[static_cast<size_t>(i)] = i;
            const uint64_t reach = run | run << 1 | run >> 1;
            for (int j = aboveFrom; j < rowFrom; ++j)
                if (runs[static_cast<size_t>(j)] & reach) {
                    const int a = root(i), b = root(j);
                    if (a != b) {
                        parent[static_cast<size_t>(a)] = b;
                        ++joined;
                    }
                }
        }
        aboveFrom = rowFrom;
    }
    return count - joined;
}

// Glyphs are drawn in strokes: one or two pieces of ink without a lone
// pixel tell for a glyph of a font, scattered ink against it. A pixel with
// ink within two rows is not lone: the dots of i, j and the diaereses stand
// one blank row over their letter.
double strokeEvidence(const Rows &rows, int h)
{
    int64_t lone = 0;
    for (int y = 0; y < h; ++y) {
        const uint32_t row = rows[static_cast<size_t>(y)];
        uint32_t near = row << 1 | row >> 1;
        for (int other = y - 2; other <= y + 2; ++other)
            if (other != y && other >= 0 && other < h)
                near |= rows[static_cast<size_t>(other)] | rows[static_cast<size_t>(other)] << 1 | rows[static_cast<size_t>(other)] >> 1;
        lone += setBits(row & ~near);
    }
    const int64_t pieces = piecesOf(rows, h);
    return pieces <= 2 && lone == 0 ? strokeBits : -strokeBits * static_cast<double>(pieces - 2 + lone);
}

// The table around the glyphs of [coreFrom, coreTo) read at start + k x
// step: glyph by glyph outwards while they fit the core's pixel places
// better than the surroundings' bytes, bridging runs of glyphs
// that do not. Blank glyphs at the ends are left out: they fit zero fill as
// well as a font.
Extent extentAround(std::span<const uint8_t> image, const Reader &reader, int64_t coreFrom, int64_t coreTo)
{
    const int64_t step = reader.step;
    const auto length = static_cast<int64_t>(image.size());
    const int64_t glyphs = (coreTo - coreFrom) / step;
    // The places that the core's glyphs ink, of those drawn in strokes
    // and without a crowd of ink: the ends of the core may hold glyphs of
    // the bytes beside the font, which ink its padding.
    std::vector<int64_t> ones(reader.places.size());
    const auto inkOf = [&](const Pixels &glyph) {
        return std::accumulate(glyph.begin(), glyph.begin() + static_cast<std::ptrdiff_t>(ones.size()), int64_t{0});
    };
    Pixels p{};
    int64_t allInk = 0;
    for (int64_t k = 0; k < glyphs; ++k) {
        reader.read(image, coreFrom + k * step, p);
        allInk += inkOf(p);
    }
    int64_t counted = 0;
    for (int64_t k = 0; k < glyphs; ++k) {
        reader.read(image, coreFrom + k * step, p);
        if (inkOf(p) * glyphs > crowdedInk * allInk
            || strokeEvidence(rowsOf(p, reader.format.width, reader.format.height), reader.format.height) < -strokeBits)
            continue;
        for (size_t i = 0; i < ones.size(); ++i)
            ones[i] += p[i];
        ++counted;
    }
    const int64_t coreInk = std::accumulate(ones.begin(), ones.end(), int64_t{0});
    const double before = byteDensity(image, coreFrom - 4096, coreFrom);
    const double after = byteDensity(image, coreTo, coreTo + 4096);
    // Judged against the sparser surroundings, so that a glyph of fill or
    // code is not taken for a font's.
    const PlaceModel model(ones, counted, std::min(before, after) > 0.02 ? std::min(before, after) : std::max(before, after));

    Extent e;
    const int64_t middle = coreFrom + glyphs / 2 * step;
    const double scale = cellScale(static_cast<size_t>(reader.format.width * reader.format.height));
    // A glyph of a small cell tells few bits: one that barely fits the
    // table is as likely a glyph's worth of the bytes beside it.
    const double endMargin = reader.format.width * reader.format.height < 48 ? 2 * scale : 0;
    // Packed glyphs have no padding: in a small packed cell the bytes of
    // code are one or two pieces without a lone pixel nearly as often as a
    // glyph is, so that strokes tell less of a glyph there.
    const double strokeShare = reader.format.layout == Layout::Packed ? std::min(1.0, reader.format.width * reader.format.height / packedStrokePixels) : 1.0;
    // How much better a glyph fits the table than the bytes beside it, by
    // its places and its strokes; a crowd of ink is no letter.
    const auto evidenceOf = [&](const Pixels &glyph) {
        if (inkOf(glyph) * counted > crowdedInk * coreInk)
            return -glyphBits * scale;
        const double strokes = strokeEvidence(rowsOf(glyph, reader.format.width, reader.format.height), reader.format.height);
        return std::max(model.evidence(glyph) + (strokes > 0 ? strokes * strokeShare : strokes), -glyphBits * scale);
    };
    // Whether the glyph at `at`, past the table's last one, is the font's
    // own: inked only where the core's glyphs are, at most an eighth of it
    // where one glyph of the core is at most, in strokes, over two rows and
    // two columns or more, with at most twice their mean ink; and
    // followed by no glyph of a font: a blank one, one mostly outside every
    // glyph of the core, one crowded with ink, or one that fits as poorly
    // as a glyph can where that much ink at random places would show two
    // pixels outside.
    const auto closesTable = [&](int64_t at) {
        Pixels glyph{}, next{};
        if (at + step > length || !reader.read(image, at, glyph))
            return false;
        const auto [ink, out] = model.ink(glyph);
        // Places that one glyph of the core inks at most: the core's ends
        // may hold a glyph or two of the bytes beside the font.
        int rare = 0;
        for (size_t i = 0; i < ones.size(); ++i)
            rare += glyph[i] && ones[i] <= 1;
        const Rows rows = rowsOf(glyph, reader.format.width, reader.format.height);
        uint32_t columns = 0;
        int inkedRows = 0;
        for (const uint32_t row : rows) {
            columns |= row;
            inkedRows += row != 0;
        }
        if (out > 0 || 8 * rare > ink || inkedRows < 2 || setBits(columns) < 2 || ink * counted > 2 * coreInk
            || strokeEvidence(rows, reader.format.height) < -strokeBits)
            return false;
        if (at + 2 * step > length || !reader.read(image, at + step, next))
            return true;
        const auto [nextInk, nextOut] = model.ink(next);
        const bool outsideShows = ink * model.outsidePlaces >= 2 * static_cast<int64_t>(model.outside.size());
        return 4 * nextOut > nextInk || nextInk * counted > crowdedInk * coreInk || (outsideShows && evidenceOf(next) <= -glyphBits * scale);
    };
    // Whether the inked glyphs from `at` on, a few of them, fit the table
    // well enough to make up a deficit: a run of poorly fitting signs
    // (^ _ `) inside a font, which bytes past its end rarely do.
    const auto regainedAhead = [&](int64_t at, int direction, double deficit) {
        Pixels glyph{};
        double gained = 0;
        for (int seen = 0, blanks = 0; seen < lookaheadGlyphs && blanks <= maxBlankRun && at >= 0 && at + step <= length; at += direction * step) {
            if (!reader.read(image, at, glyph)) {
                ++blanks;
                continue;
            }
            ++seen;
            gained += evidenceOf(glyph);
            if (gained >= deficit)
                return true;
        }
        return false;
    };
    int64_t first = -1, last = -1;
    for (const int direction : {+1, -1}) {
        // The evidence summed outwards: the table ends at its last glyph
        // that fits it before the sum falls well below its peak, unless the
        // next few glyphs make up for the fall, so a run of glyphs that fit
        // it poorly (punctuation, an underscore below the letters) is kept
        // when the glyphs past it fit again, and the bytes past the table's
        // end, which fit it worse and worse, are not.
        double sum = 0, peak = 0;
        int blanks = 0;
        Pixels previous{};
        bool previousTaken = false;
        // Towards the start, in a small cell, a glyph whose inner neighbour
        // was not taken (the space that opens a font, or a glyph that does
        // not fit) is taken only with the glyph past it: a font opens with
        // a run of signs and letters, and one glyph there that barely fits
        // is as likely a glyph's worth of the bytes before the font.
        const bool confirmFirst = direction < 0 && endMargin > 0;
        bool innerTaken = true;
        bool unconfirmed = false;
        bool takenAny = false;
        for (int64_t at = direction > 0 ? middle : middle - step; at >= 0 && at + step <= length; at += direction * step) {
            // Blank glyphs, and glyphs repeating the one before (a box for
            // every missing letter), tell nothing either way; a repeat of a
            // glyph the table takes is the table's too.
            const bool inked = reader.read(image, at, p);
            if (!inked || p == previous) {
                if (inked && previousTaken && !unconfirmed)
                    (direction > 0 ? last : first) = at;
                if (!inked)
                    innerTaken = unconfirmed = false;
                if (++blanks > maxBlankRun)
                    break;
                continue;
            }
            blanks = 0;
            previous = p;
            const double evidence = evidenceOf(p);
            sum += evidence;
            peak = std::max(peak, sum);
            // After glyphs that do not fit, one that fits must be drawn in
            // strokes: a pixel or two of the bytes past a font fits it by chance.
            const bool fits = evidence > endMargin
                              && (!takenAny || previousTaken || strokeEvidence(rowsOf(p, reader.format.width, reader.format.height), reader.format.height) > 0);
            previousTaken = fits;
            const bool isolated = !innerTaken;
            innerTaken = false;
            if (fits) {
                if (confirmFirst && isolated && !unconfirmed) {
                    unconfirmed = true;
                    continue;
                }
                unconfirmed = false;
                innerTaken = true;
                takenAny = true;
                if (direction > 0)
                    last = at;
                else
                    first = at;
                if (first < 0 && direction > 0)
                    first = at;
            } else {
                unconfirmed = false;
                if (sum < peak - bridgedBits * scale && !regainedAhead(at + direction * step, direction, peak - sum))
                    break;
            }
        }
        if (direction > 0 && last < 0)
            return e;
        // The glyph past the table's end may be the font's last one, one
        // that fits its places poorly (a middle dot, a fraction, an accent
        // at the top): taken when no glyph of the bytes beside the font
        // follows it.
        if (direction > 0 && closesTable(last + step))
            last += step;
    }
    e.start = first;
    e.count = (last - first) / step + 1;
    return e;
}

// The table around a region's core, found twice: the core may start with
// glyphs of the bytes before the font (records drawn in lines fit a font
// as well), whose ink widens the places that the font's glyphs take. The
// second time, the places are learnt from the table found, past its first
// glyphs, where such bytes would be. The second table is taken when it
// starts among those glyphs: places learnt better drop bytes before a
// font, while a table that moves further is data read anew.
Extent findExtent(std::span<const uint8_t> image, const Reader &reader, int64_t coreFrom, int64_t coreTo)
{
    const Extent first = extentAround(image, reader, coreFrom, coreTo);
    if (first.count < envelopeGlyphs + 2 * untrustedGlyphs)
        return first;
    const Extent refined = extentAround(image, reader, first.start + untrustedGlyphs * reader.step, first.start + first.count * reader.step);
    return refined.count > 0 && refined.start >= first.start && refined.start <= first.start + untrustedGlyphs * reader.step ? refined : first;
}

// The bits that glyphs cost when each pixel is told by its six nearest
// earlier neighbours (two to the left, three above, the one two above),
// learnt from these glyphs, with the cost of the model. The layout and the
// first byte that a font was drawn in make its strokes most foreseeable;
// any other reading cuts them.
struct StrokeModel {
    std::array<int32_t, 64> all{}, set{};

    void add(const Pixels &p, int w, int h) { add(rowsOf(p, w, h), w, h); }
    void add(const Rows &rows, int w, int h)
    {
        // Rows moved up two bits, so that the pixels left of the first
        // column read as paper; rows above the first are paper too.
        const uint64_t cell = ((uint64_t{1} << w) - 1) << 2;
        uint64_t above = 0, twoAbove = 0;
        for (int y = 0; y < h; ++y) {
            const uint64_t row = uint64_t{rows[static_cast<size_t>(y)]} << 2;
            // Paper with only paper around it is the common case: counted at
            // once, the other pixels one by one.
            const uint64_t busy = (row | row << 1 | row << 2 | above | above << 1 | above >> 1 | twoAbove) & cell;
            all[0] += w - setBits(busy);
            // A pixel's context: the two pixels left of it, the three above
            // and the one two above, each group read from its row at once.
            for (uint64_t pixels = busy; pixels; pixels &= pixels - 1) {
                const int b = std::countr_zero(pixels);
                const auto k = static_cast<size_t>(((row >> (b - 2)) & 3) << 4 | ((above >> (b - 1)) & 7) << 1 | ((twoAbove >> b) & 1));
                ++all[k];
                set[k] += static_cast<int32_t>((row >> b) & 1);
            }
            twoAbove = above;
            above = row;
        }
    }
    double cost() const
    {
        double total = 0;
        for (size_t k = 0; k < 64; ++k)
            if (all[k] > 0)
                total += bits(all[k], set[k]) + 0.5 * std::log2(static_cast<double>(all[k]) + 1);
        return total;
    }
    // Bits saved over the pixels' own density.
    double gain() const
    {
        int64_t pixels = 0, ink = 0;
        for (size_t k = 0; k < 64; ++k) {
            pixels += all[k];
            ink += set[k];
        }
        return pixels > 0 ? bits(pixels, ink) - cost() : 0;
    }
};

// The cost of the glyphs of [from + phase, to) read in reader's format.
double readingBits(std::span<const uint8_t> image, int64_t from, int64_t to, const Reader &reader, int phase)
{
    StrokeModel model;
    Rows rows{};
    for (int64_t start = from + phase; start + reader.step <= to; start += reader.step)
        if (reader.readRows(image, start, rows))
            model.add(rows, reader.format.width, reader.format.height);
    return model.cost();
}

// How a reading places the glyphs in their cells: ink pieces (8-connected)
// summed over the glyphs, and the rows and columns blank in every glyph at
// each side.
struct Shape {
    int64_t pieces = 0;
    int leftMargin = 0, topMargin = 0, bottomMargin = 0;
    // Glyphs with ink in their first column, and in their last.
    int64_t firstColumnInked = 0, lastColumnInked = 0;
    // Ink pixels with ink below and beside, and the glyphs' ink heights and widths summed.
    int64_t vertical = 0, horizontal = 0, heights = 0, widths = 0;
    // Ink pixels in the left half of the cell, and in the right half.
    int64_t leftInk = 0, rightInk = 0;

    // Glyphs stand at the left of their cell: most ink in the right half
    // is a font read a byte or a strip over, its glyphs pushed right.
    bool pushedRight() const { return rightInk > 2 * leftInk; }

    // Letters stand on vertical stems and are taller than wide; a reading
    // that turns them a quarter (rows read as columns) lays them down.
    bool lying(double margin) const
    {
        return std::log((vertical + 1.0) / (horizontal + 1.0)) + std::log((heights + 1.0) / (widths + 1.0)) < -margin;
    }
};

// Pieces only grow glyph by glyph: a reading with more than maxPieces is
// given up there, its shape holding only that count. A glyph counts at most
// piecesCap pieces.
Shape shapeOf(std::span<const uint8_t> image, int64_t start, int64_t count, const Reader &reader,
              int64_t maxPieces = std::numeric_limits<int64_t>::max(), int64_t piecesCap = std::numeric_limits<int64_t>::max())
{
    const int w = reader.format.width, h = reader.format.height;
    Shape shape;
    Rows ink{};
    uint32_t columnMask = 0, rowMask = 0;
    const uint32_t leftHalf = (uint32_t{1} << (w / 2)) - 1;
    for (int64_t k = 0; k < count; ++k) {
        if (!reader.readRows(image, start + k * reader.step, ink))
            continue;
        int top = -1, bottom = 0;
        uint32_t glyphColumns = 0;
        for (int y = 0; y < h; ++y) {
            const uint32_t row = ink[static_cast<size_t>(y)];
            if (!row)
                continue;
            top = top < 0 ? y : top;
            bottom = y;
            glyphColumns |= row;
            rowMask |= 1u << y;
            shape.horizontal += setBits(row & row >> 1);
            shape.leftInk += setBits(row & leftHalf);
            shape.rightInk += setBits(row & ~leftHalf);
            if (y + 1 < h)
                shape.vertical += setBits(row & ink[static_cast<size_t>(y + 1)]);
        }
        columnMask |= glyphColumns;
        shape.firstColumnInked += glyphColumns & 1;
        shape.lastColumnInked += (glyphColumns >> (w - 1)) & 1;
        shape.heights += bottom - top + 1;
        shape.widths += std::bit_width(glyphColumns) - std::countr_zero(glyphColumns);
        shape.pieces += std::min(piecesCap, piecesOf(ink, h));
        if (shape.pieces > maxPieces)
            return shape;
    }
    shape.leftMargin = columnMask ? std::countr_zero(columnMask) : w;
    shape.topMargin = rowMask ? std::countr_zero(rowMask) : h;
    shape.bottomMargin = rowMask ? h - std::bit_width(rowMask) : h;
    return shape;
}

// Whether the places that glyphs ink span at most 24 pixels (4 x 6) and,
// but for two rows and a column, the cell: the smallest fonts, not a few
// inked places of a larger cell.
bool tinyGlyphs(const Pixels &varied, const GlyphFormat &f)
{
    int left = f.width, right = -1, top = f.height, bottom = -1;
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x)
            if (varied[static_cast<size_t>(y * f.width + x)]) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    // Rows are whole bytes wide, so a 4-pixel font leaves half of them blank.
    const bool wideEnough = f.layout == Layout::Rows || f.layout == Layout::Strips || right - left + 2 >= f.width;
    return right >= left && (right - left + 1) * (bottom - top + 1) <= 24 && bottom - top + 3 >= f.height && wideEnough;
}

// The measures of a table and its score: the bits that strokes save over
// its distinct glyphs, taken only at the pixel places that vary from glyph
// to glyph (a place set in nearly every glyph is a field of data), and
// reduced when many places are such fields.
FontCandidate scoreExtent(std::span<const uint8_t> image, const Reader &reader, int64_t start, int64_t count)
{
    const GlyphFormat &f = reader.format;
    FontCandidate c;
    c.start = start;
    c.format = f;
    c.count = count;
    const size_t pixels = reader.places.size();
    std::vector<int64_t> ones(pixels);
    std::unordered_set<std::string> seen;
    std::vector<Pixels> distinct;
    Pixels p{};
    int64_t inked = 0;
    for (int64_t k = 0; k < count; ++k) {
        if (!reader.read(image, start + k * reader.step, p)) {
            c.hasBlank = true;
            ++c.consistent;
            continue;
        }
        ++inked;
        ++c.consistent;
        for (size_t i = 0; i < pixels; ++i)
            ones[i] += p[i];
        if (distinct.size() < 4096 && seen.insert(std::string(p.begin(), p.begin() + static_cast<ptrdiff_t>(pixels))).second)
            distinct.push_back(p);
    }
    c.distinct = static_cast<int64_t>(distinct.size());
    if (inked == 0 || c.distinct < 16)
        return c;
    // Ink pixels without an inked neighbour, over all ink of the distinct glyphs.
    {
        int64_t ink = 0, alone = 0;
        for (const Pixels &g : distinct)
            for (int y = 0; y < f.height; ++y)
                for (int x = 0; x < f.width; ++x) {
                    if (!g[static_cast<size_t>(y * f.width + x)])
                        continue;
                    ++ink;
                    bool neighbour = false;
                    for (int dy = -1; dy <= 1; ++dy)
                        for (int dx = -1; dx <= 1; ++dx) {
                            const int nx = x + dx, ny = y + dy;
                            neighbour = neighbour || ((dx || dy) && nx >= 0 && ny >= 0 && nx < f.width && ny < f.height
                                                      && g[static_cast<size_t>(ny * f.width + nx)]);
                        }
                    alone += neighbour ? 0 : 1;
                }
        c.edgeInkShare = ink > 0 ? static_cast<double>(alone) / static_cast<double>(ink) : 0;
        c.widthSlack = static_cast<double>(ink) / static_cast<double>(c.distinct);
    }
    // Places set in nearly every glyph, and the mask of the places that vary.
    int fields = 0;
    Pixels varied{};
    for (size_t i = 0; i < pixels; ++i) {
        const double share = static_cast<double>(ones[i]) / static_cast<double>(inked);
        fields += share > 0.9 ? 1 : 0;
        varied[i] = share >= 0.02 && share <= 0.9;
    }
    Strokes strokes;
    StrokeModel model;
    for (Pixels &g : distinct) {
        for (size_t i = 0; i < pixels; ++i)
            g[i] = static_cast<uint8_t>(g[i] & varied[i]);
        strokes.add(g, f.width, f.height);
        model.add(g, f.width, f.height);
    }
    c.pixelEntropy = strokes.entropy();
    // Pieces over the first glyphs: enough to tell strokes from scatter.
    const int64_t shaped = std::min<int64_t>(count, glyphsCompared);
    int64_t shapedInked = 0;
    for (int64_t k = 0; k < shaped; ++k)
        shapedInked += reader.read(image, start + k * reader.step, p) ? 1 : 0;
    c.piecesPerGlyph = static_cast<double>(shapeOf(image, start, shaped, reader).pieces) / static_cast<double>(std::max<int64_t>(1, shapedInked));
    const double gain = model.gain();
    c.strokeShare = strokes.balance();
    c.fieldShare = static_cast<double>(fields) / static_cast<double>(pixels);
    c.fixedWidth = true;
    // Strokes run both ways: data whose neighbours tell only along one
    // direction loses its score, as does data with fields (places set in
    // nearly every glyph).
    // Glyphs are drawn in strokes: most are one or two pieces of ink, and
    // an ink pixel alone among its eight neighbours is rare (a dot); numbers
    // and bit fields scatter their ink.
    // Glyphs of 4 x 6 pixels have strokes too short to run both ways, and
    // their dots (i, j, the colon) are a larger share of their ink.
    const bool tiny = tinyGlyphs(varied, f);
    c.score = std::max(0.0, gain) * std::clamp(c.strokeShare / (tiny ? 0.2 : 0.4), 0.0, 1.0) * std::clamp(1 - c.fieldShare / 0.1, 0.0, 1.0)
              * std::clamp(((tiny ? 0.035 : 0.025) - c.edgeInkShare) / 0.01, 0.0, 1.0) * std::clamp((2 - c.piecesPerGlyph) / 0.5, 0.0, 1.0);
    return c;
}

// A quick score of count glyphs from start: the bits their strokes save,
// as far as the strokes run both ways; no glyph is compared with another.
double firstLook(std::span<const uint8_t> image, const Reader &reader, int64_t start, int64_t count)
{
    Strokes strokes;
    StrokeModel model;
    Pixels p{};
    for (int64_t k = 0; k < count; ++k)
        if (reader.read(image, start + k * reader.step, p)) {
            strokes.add(p, reader.format.width, reader.format.height);
            model.add(p, reader.format.width, reader.format.height);
        }
    // Glyphs 4 pixels wide (4 x 6, or in pages and columns 4 x 8 before
    // their blank rows are known) have strokes too short to run both ways.
    const GlyphFormat &f = reader.format;
    const bool tiny = f.width * f.height <= 24 || (f.width <= 4 && (f.layout == Layout::Pages || f.layout == Layout::Columns));
    return std::max(0.0, model.gain()) * std::clamp(strokes.balance() / (tiny ? 0.2 : 0.4), 0.0, 1.0);
}

// The bits set at each of step x 8 bit places over the glyphs of [from, to)
// read from from.
std::vector<int32_t> placeCounts(std::span<const uint8_t> image, int64_t from, int64_t to, int step)
{
    std::vector<int32_t> ones(static_cast<size_t>(step) * 8);
    for (int64_t at = from; at + step <= to; at += step)
        for (int i = 0; i < step; ++i)
            for (int b = 0; b < 8; ++b)
                ones[static_cast<size_t>(i * 8 + b)] += (image[static_cast<size_t>(at + i)] >> b) & 1;
    return ones;
}

// How rough the map of each pixel's share of ink is: Geary's ratio of the
// squared differences of neighbouring pixels to those of any two, 1 for a
// map without order and near 0 for a smooth one. A font read in its own
// layout shows the blur of its letters, their body and their margins; read
// in another, the pieces of that blur lie shuffled. ones are the counts of
// placeCounts read from phase bytes on.
double mapRoughness(const std::vector<int32_t> &ones, int step, int phase, const GlyphFormat &f, const std::vector<BitPlace> &places)
{
    const int w = f.width, h = f.height;
    std::array<double, maxSide * maxSide> share{};
    double mean = 0;
    for (size_t i = 0; i < places.size(); ++i) {
        const int byte = (places[i].byte + phase) % step;
        share[i] = ones[static_cast<size_t>(byte * 8 + places[i].bit)];
        mean += share[i];
    }
    mean /= static_cast<double>(places.size());
    double spread = 0;
    for (size_t i = 0; i < places.size(); ++i)
        spread += (share[i] - mean) * (share[i] - mean);
    double neighbours = 0;
    int pairs = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double v = share[static_cast<size_t>(y * w + x)];
            if (x + 1 < w) {
                neighbours += (v - share[static_cast<size_t>(y * w + x + 1)]) * (v - share[static_cast<size_t>(y * w + x + 1)]);
                ++pairs;
            }
            if (y + 1 < h) {
                neighbours += (v - share[static_cast<size_t>((y + 1) * w + x)]) * (v - share[static_cast<size_t>((y + 1) * w + x)]);
                ++pairs;
            }
        }
    if (spread <= 0 || pairs == 0)
        return 1;
    return static_cast<double>(places.size() - 1) * neighbours / (2.0 * pairs * spread);
}

// One reading of a region: a format (reverse included) and its first byte.
struct Reading {
    GlyphFormat format;
    int phase = 0;
    double roughness = 1;
    double bits = 0;
};

// Where the glyphs that readings are compared on start (before the
// reading's phase): past the region's first window, which may hold bytes
// beside the font, when the region is long enough.
int64_t comparedFrom(int64_t from, int64_t to, const Reading &r)
{
    const int64_t step = r.format.step();
    return (to - from) / step >= 48 ? from + (layoutWindowBytes + step - 1) / step * step : from;
}

// Readings within this much of the smoothest are told apart by their
// orientation and their ends: other cells of the same step can read
// smoother than the font's own (a 13 x 15 font in two strips 0.31, read
// as 10 x 24 pages that lay its glyphs down 0.27). The stroke bits tell
// layouts apart better than first bytes: a font read a row or two off can
// cost a tenth fewer bits than in its own first byte, where the pieces of
// its glyphs show it.
constexpr double roughnessSlack = 0.05;
// Maps of ink shares rougher than this (Geary's ratio) are no font's; fonts
// of even strokes all over the cell (console fonts) come near 0.55.
constexpr double maxRoughness = 0.6;
constexpr double bitsSlack = 0.25;
constexpr size_t readingsShaped = 96;
// The pieces a glyph counts at most when readings are compared. Bytes beside
// the font among the compared glyphs scatter into many pieces in every
// reading, by a count that differs from reading to reading by chance; that
// would outweigh the piece or two that a reading a row over cuts off a
// font's glyphs.
constexpr int64_t piecesCountedAGlyph = 3;
// The pieces that a reading a row or two off may cut more than the chosen
// one and still be weighed by the length of its table: where a row is
// inked in few glyphs, a reading that wraps it into the glyph beside moves
// that ink and cuts a piece or two more or fewer by chance.
constexpr int64_t rowsOffPieces = 2;
// How much more the places tell at a multiple of the step than at the step
// when the bytes are records of a table rather than glyphs.
constexpr double recordShare = 1.5;


// The share of the first look's least score that a format's glyphs must
// reach. Packed glyphs have no padding bits, whose paper the strokes' model
// foresees in every other layout, so the first glyphs of a small packed
// font save few bits: they need less in proportion to their cell. Cells
// under 48 pixels are 32-bit words of code as often as glyphs and need all.
double firstLookCellShare(const GlyphFormat &f)
{
    const int pixels = f.width * f.height;
    return f.layout == Layout::Packed && pixels >= 48 ? std::min(1.0, pixels / 192.0) : 1.0;
}

// Glyph cells are about as high as wide, up to two and a half times as
// high; tables of numbers read as cells of other shapes.
bool cellShapeFits(const GlyphFormat &f) { return 2 * f.height >= f.width && 2 * f.height <= 5 * f.width; }

// Whether a format's cell may be a font's before any reading is chosen.
// Pages and columns lose the rows below every glyph's ink once read, so
// their height is not known yet.
bool plausibleCell(const GlyphFormat &f)
{
    return f.layout == Layout::Pages || f.layout == Layout::Columns || cellShapeFits(f);
}

// Glyph steps of small cells: pages and columns 4 to 7 pixels wide and up
// to 8 high, a byte a column, and packed glyphs of 3 bytes (4 x 6) and of
// 33 to 56 bits (5 x 7, 5 x 8, 6 x 8, 7 x 8). Their pixels agree with their neighbours too
// little for the windows' agreement to show them, but the places of their
// cells differ: the spacing column blank, the bottom row rarely inked.
constexpr std::array<int, 5> smallSteps = {3, 4, 5, 6, 7};

std::vector<FontCandidate> judgeRegion(std::span<const uint8_t> image, int64_t from, int64_t to, int lag, bool reversedBits,
                                       bool faint, bool bySteps, const FontScanOptions &options)
{
    const int64_t judgedTo = std::min(to, from + judgedBytes);
    // The steps of the formats, best by their places' information first.
    std::vector<GlyphFormat> formats = formatsForLag(lag);
    // A region found by the places of small cells holds glyphs of a small
    // step, if any: pages or columns a byte high, or packed glyphs of any width.
    if (bySteps) {
        for (int packedLag = minLag; packedLag < 8; ++packedLag) {
            const std::vector<GlyphFormat> packed = formatsForLag(packedLag);
            formats.insert(formats.end(), packed.begin(), packed.end());
        }
        // Packed glyphs of 4 bytes are read in every table of 32-bit words.
        std::erase_if(formats, [](const GlyphFormat &f) {
            return std::find(smallSteps.begin(), smallSteps.end(), f.step()) == smallSteps.end()
                   || (f.layout == Layout::Packed && f.step() == 4);
        });
    }
    // First the steps at which bytes agree most with the byte one step on
    // (the same place of the next glyph), then of those the best by the
    // information of their places.
    std::map<int, double> agreement;
    for (const GlyphFormat &f : formats) {
        const int step = f.step();
        if (agreement.count(step) || (judgedTo - from) / step < 16)
            continue;
        int64_t inter = 0, uni = 0;
        int64_t i = from;
        for (; i + step + 8 <= judgedTo; i += 8) {
            uint64_t a = 0, b = 0;
            std::memcpy(&a, image.data() + i, 8);
            std::memcpy(&b, image.data() + i + step, 8);
            inter += setBits(a & b);
            uni += setBits(a | b);
        }
        for (; i + step < judgedTo; ++i) {
            const uint8_t a = image[static_cast<size_t>(i)], b = image[static_cast<size_t>(i + step)];
            inter += bitCount[a & b];
            uni += bitCount[a | b];
        }
        agreement[step] = uni > 0 ? static_cast<double>(inter) / static_cast<double>(uni) : 0;
    }
    std::vector<std::pair<double, int>> agreeing;
    for (const auto &[step, share] : agreement)
        agreeing.push_back({share, step});
    std::sort(agreeing.rbegin(), agreeing.rend());
    if (agreeing.size() > stepsTried)
        agreeing.resize(stepsTried);
    std::vector<std::pair<double, int>> ranked;
    for (const auto &[share, step] : agreeing)
        if (const double info = positionalInformation(image, from, judgedTo, step); info > 0)
            ranked.push_back({info, step});
    std::sort(ranked.rbegin(), ranked.rend());
    if (ranked.size() > 1)
        ranked.resize(1);
    // Records of a table (a field layout repeating every few steps) tell
    // far more at a multiple of the step than at the step; the glyphs of a
    // font tell nothing more two, three or four glyphs on.
    for (const auto &[info, step] : ranked)
        for (int times = 2; times <= 4; ++times)
            if (positionalInformation(image, from, judgedTo, times * step) > recordShare * info)
                return {};

    std::vector<Reading> readings;
    double smoothest = 1;
    for (const auto &[info, step] : ranked) {
        const std::vector<int32_t> ones = placeCounts(image, from, judgedTo, step);
        for (const GlyphFormat &plain : formats) {
            if (plain.step() != step || !plausibleCell(plain))
                continue;
            for (const bool reverse : {false, true}) {
                // Packed glyphs: the item's bit order says which (small cells try both).
                if (plain.layout == Layout::Packed && !bySteps && reverse != reversedBits)
                    continue;
                GlyphFormat f = plain;
                f.reverse = reverse;
                const std::vector<BitPlace> places = placesOf(f);
                for (int phase = 0; phase < step; ++phase) {
                    const double roughness = mapRoughness(ones, step, phase, f, places);
                    smoothest = std::min(smoothest, roughness);
                    readings.push_back({f, phase, roughness});
                }
            }
        }
    }
    if (readings.empty() || smoothest > maxRoughness)
        return {};
    // A first look at the strokes in the smoothest reading of each format
    // nearly as smooth as the smoothest: most regions of code and data end
    // here, before the finer and slower choice of reading.
    {
        std::vector<const Reading *> firsts;
        for (const Reading &r : readings) {
            if (r.roughness > smoothest + roughnessSlack)
                continue;
            const auto known = std::find_if(firsts.begin(), firsts.end(), [&](const Reading *f) { return f->format == r.format; });
            if (known == firsts.end())
                firsts.push_back(&r);
            else if (r.roughness < (*known)->roughness)
                *known = &r;
        }
        double bestLook = 0;
        for (const Reading *first : firsts) {
            // A region of small cells often starts with bytes beside the font:
            // its first look starts past its first window, as the comparison does.
            const int64_t lookFrom = bySteps ? comparedFrom(from, to, *first) : from;
            const int64_t glyphs = std::min<int64_t>(glyphsLooked, (judgedTo - lookFrom - first->phase) / first->format.step());
            const double smallShare = !bySteps ? 1.0 : first->format.layout == Layout::Packed ? smallPackedLookShare : smallCellLookShare;
            bestLook = std::max(bestLook, firstLook(image, Reader(first->format), lookFrom + first->phase, glyphs) / (firstLookCellShare(first->format) * smallShare));
        }
        if (bestLook < options.minScore * layoutScoreShare * firstLookShare)
            return {};
    }
    // The formats with a reading nearly as smooth as the smoothest, then of
    // their readings the ones whose strokes cost nearly the fewest bits: a
    // font's own reading, its turned and mirrored ones, and those a few
    // blank rows or columns off.
    std::vector<GlyphFormat> smooth;
    for (const Reading &r : readings)
        if (r.roughness <= smoothest + roughnessSlack && std::find(smooth.begin(), smooth.end(), r.format) == smooth.end())
            smooth.push_back(r.format);
    std::erase_if(readings, [&](const Reading &r) { return std::find(smooth.begin(), smooth.end(), r.format) == smooth.end(); });
    double fewest = 1e300;
    for (Reading &r : readings) {
        const int64_t first = comparedFrom(from, to, r);
        r.bits = readingBits(image, first, std::min(judgedTo, first + (glyphsCompared / 2 + 1) * r.format.step()), Reader(r.format), r.phase);
        fewest = std::min(fewest, r.bits);
    }
    std::erase_if(readings, [&](const Reading &r) { return r.bits > fewest * (1 + bitsSlack); });
    // The readings with the fewest bits go on to the slower comparison of
    // their shapes: many of them, as a font read a strip or a row over can
    // cost a tenth fewer bits than in its own first byte.
    std::sort(readings.begin(), readings.end(), [](const Reading &a, const Reading &b) { return a.bits < b.bits; });
    if (readings.size() > readingsShaped)
        readings.resize(readingsShaped);
    // Of these, one whose glyphs are not pushed into the right half of the
    // cell and not laid down (a reading a quarter turned can cut a piece or
    // two fewer), then the one that cuts the fewest glyphs into pieces, whose ink
    // starts at the left edge, with its glyphs upright and unmirrored, and
    // whose ink reaches the bottom (the descenders). Blank rows and columns
    // around every glyph leave the cell's place open; this puts the ink
    // where fonts keep it.
    // The orientation is the slowest part of the key and decides only
    // between readings equal in the parts before it: it is counted then.
    struct Key {
        std::tuple<bool, bool, int64_t, int> shape;
        int bottomMargin = 0;
        std::function<double()> upright;
        std::optional<double> uprightness;
        double orientation()
        {
            if (!uprightness)
                uprightness = upright();
            return *uprightness;
        }
        bool before(Key &other)
        {
            if (shape != other.shape)
                return shape < other.shape;
            return std::pair(-orientation(), bottomMargin) < std::pair(-other.orientation(), other.bottomMargin);
        }
    };
    // A reading with more pieces than the best so far cannot come before it.
    auto keyOf = [&](const Reading &r, int64_t maxPieces) {
        const Reader reader(r.format);
        const int64_t first = comparedFrom(from, to, r) + r.phase;
        const int64_t compared = std::min<int64_t>(glyphsCompared, (judgedTo - first) / reader.step);
        const Shape shape = shapeOf(image, first, compared, reader, maxPieces, piecesCountedAGlyph);
        // A square cell holds its glyphs turned a quarter as well; there bold
        // strokes (as many neighbours across as down) leave the letters
        // lying only when they clearly do.
        const double lyingMargin = reader.format.width == reader.format.height ? 0.3 : 0;
        return Key{std::tuple(shape.pushedRight(), shape.lying(lyingMargin), shape.pieces, shape.leftMargin), shape.bottomMargin,
                   [&image, first, compared, reader] { return orientationScore(image, first, compared, reader); }, {}};
    };
    std::optional<Reading> chosen;
    Key best;
    // A reading pushed right or lying comes after every other: then pieces
    // cut nothing short.
    auto piecesToBeat = [&] {
        return chosen && !std::get<0>(best.shape) && !std::get<1>(best.shape) ? std::get<2>(best.shape) : std::numeric_limits<int64_t>::max();
    };
    for (const Reading &r : readings) {
        Key key = keyOf(r, piecesToBeat());
        if (!chosen || key.before(best)) {
            best = std::move(key);
            chosen = r;
        }
    }
    if (!chosen)
        return {};
    // The bits of the strokes favour some turns of a glyph over others; at
    // the chosen first byte every smooth format is weighed by its shape alone.
    for (const GlyphFormat &f : smooth) {
        const Reading turned{f, chosen->phase, 1, 0};
        if (f.step() != chosen->format.step() || f == chosen->format)
            continue;
        Key key = keyOf(turned, piecesToBeat());
        if (key.before(best)) {
            best = std::move(key);
            chosen = turned;
        }
    }
    // Pages read a byte early show each glyph a column to the right, the
    // last column of its top page wrapped into its bottom page. Where glyphs
    // keep a blank column at their right, that costs no piece or a few, and
    // can even save some. So a reading whose ink leans right (its last column
    // inked in more glyphs than its first, yet in few) gives way to the one a
    // byte later when that holds about as many pieces with its ink further left.
    if (chosen->format.layout == Layout::Pages) {
        const Reader reader(chosen->format);
        const auto shapeAt = [&](const Reading &r) {
            const int64_t first = comparedFrom(from, to, r) + r.phase;
            return shapeOf(image, first, std::min<int64_t>(glyphsCompared, (judgedTo - first) / reader.step), reader);
        };
        Shape now = shapeAt(*chosen);
        for (int moved = 0; moved < 2; ++moved) {
            const Reading later{chosen->format, (chosen->phase + 1) % reader.step, 1, 0};
            const Shape next = shapeAt(later);
            if (now.lastColumnInked <= now.firstColumnInked || now.lastColumnInked > glyphsCompared / 8
                || static_cast<double>(next.pieces) > 1.03 * static_cast<double>(now.pieces) + 1
                || next.firstColumnInked - next.lastColumnInked <= now.firstColumnInked - now.lastColumnInked + glyphsCompared / 16)
                break;
            chosen = later;
            now = next;
        }
    }
    const auto extentOf = [&](const Reading &r) {
        int64_t coreFrom = from + r.phase, coreTo = to;
        if ((to - from) / r.format.step() >= 24) {
            // The core: the region without its outer windows, where a window
            // may hold bytes beside the font.
            coreFrom += (layoutWindowBytes + r.format.step() - 1) / r.format.step() * r.format.step();
            coreTo -= layoutWindowBytes;
        }
        return findExtent(image, Reader(r.format), coreFrom, coreTo);
    };
    Extent extent = extentOf(*chosen);
    // Rows a row or two off cut the glyphs into about as many pieces where
    // few glyphs ink the rows that wrap; but at the table's end they cut its
    // last glyph with the bytes beside it, so that their table runs a glyph
    // shorter. Of such readings the one whose table runs furthest is taken,
    // of equally long ones the one with the fewest pieces.
    if (chosen->format.layout == Layout::Rows) {
        const int rowBytes = (chosen->format.width + 7) / 8;
        const int step = static_cast<int>(chosen->format.step());
        const Reading original = *chosen;
        const Extent originalExtent = extent;
        int64_t chosenPieces = std::get<2>(best.shape);
        for (const int rows : {-2, -1, 1, 2}) {
            const Reading moved{original.format, ((original.phase + rows * rowBytes) % step + step) % step, 1, 0};
            const auto shape = keyOf(moved, std::get<2>(best.shape) + rowsOffPieces).shape;
            const int64_t pieces = std::get<2>(shape);
            if (std::get<0>(shape) != std::get<0>(best.shape) || std::get<1>(shape) != std::get<1>(best.shape)
                || std::get<3>(shape) != std::get<3>(best.shape) || pieces > std::get<2>(best.shape) + rowsOffPieces)
                continue;
            // A reading that starts earlier runs further at the end, one that
            // starts later at the start.
            const Extent e = extentOf(moved);
            const bool further = rows < 0 ? e.start + e.count * step > originalExtent.start + originalExtent.count * step
                                          : e.start < originalExtent.start;
            if (further && (e.count > extent.count || (e.count == extent.count && chosen->phase != original.phase && pieces < chosenPieces))) {
                extent = e;
                chosen = moved;
                chosenPieces = pieces;
            }
        }
    }
    if (extent.count < options.minChars)
        return {};
    const Reader reader(chosen->format);
    const int64_t step = reader.step;
    FontCandidate c = scoreExtent(image, reader, extent.start, extent.count);
    GlyphFormat &f = c.format;
    // Pages and columns: rows below every glyph's ink are no part of the font.
    if (f.layout == Layout::Pages || f.layout == Layout::Columns) {
        Pixels p{};
        int lowest = 0;
        for (int64_t k = 0; k < c.count; ++k)
            if (reader.read(image, c.start + k * step, p))
                for (int y = 0; y < f.height; ++y)
                    for (int x = 0; x < f.width; ++x)
                        if (p[static_cast<size_t>(y * f.width + x)])
                            lowest = std::max(lowest, y);
        f.height = std::max(lowest + 1, f.height - 7);
    }
    if (c.score < options.minScore * (faint ? faintScoreShare : layoutScoreShare) || !cellShapeFits(f))
        return {};
    return {c};
}

} // namespace

// Items: every lag from 32 down to 4 in the bytes' own bit order, then the
// lags that are no whole bytes with each byte's bits reversed (packed
// glyphs stored "reverse" run through the bytes the other way).
int layoutScanItems() { return (maxLag - minLag + 1) + (maxLag - minLag + 1 - (maxLag / 8 - minLag / 8)); }

namespace {

struct ItemLag {
    int lag;
    bool reversedBits;
};

// Bits set in both of each word and the word lag bits on, in either, and in
// the word, over count words (lag 1 to 63; one more word is read).
#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target_clones("popcnt", "default")))
#endif
void countAgreement(const uint64_t *x, int count, int lag, int &inter, int &uni, int &ones)
{
    for (int i = 0; i < count; ++i) {
        const uint64_t y = x[i] << lag | x[i + 1] >> (64 - lag);
        inter += setBits(x[i] & y);
        uni += setBits(x[i] | y);
        ones += setBits(x[i]);
    }
}

ItemLag itemLag(int item)
{
    const int plain = maxLag - minLag + 1;
    if (item < plain)
        return {maxLag - item, false};
    int lag = maxLag + 1;
    for (int k = item - plain; k >= 0; --k)
        do
            --lag;
        while (lag % 8 == 0);
    return {lag, true};
}

constexpr bool isTextByte(uint8_t b) { return (b >= 0x20 && b < 0x7F) || b == '\n' || b == '\r' || b == '\t'; }

// For each byte: bit 0 when it is text, bit 1 when it is the low byte of a
// Latin UTF-16 character (printable ASCII and the accented letters), bit 2
// when it is the low byte of a Cyrillic one. Read once per byte of the image.
constexpr std::array<uint8_t, 256> byteKinds = [] {
    std::array<uint8_t, 256> kinds{};
    for (int b = 0; b < 256; ++b)
        kinds[static_cast<size_t>(b)] = static_cast<uint8_t>((isTextByte(static_cast<uint8_t>(b)) ? 1 : 0)
                                                             | (isTextByte(static_cast<uint8_t>(b)) || b >= 0xC0 ? 2 : 0) | (b < 0x60 ? 4 : 0));
    return kinds;
}();

// A character of UTF-16 text, its low byte first: Latin (printable ASCII and
// the accented letters) or Cyrillic. Phones keep their interface texts so.
bool isWideText(uint8_t low, uint8_t high)
{
    return (high == 0 && (byteKinds[low] & 2)) || (high == 0x04 && (byteKinds[low] & 4));
}

// The bits of each byte of a word in reverse order.
constexpr uint64_t reversedBytes(uint64_t w)
{
    w = (w & 0xF0F0F0F0F0F0F0F0u) >> 4 | (w & 0x0F0F0F0F0F0F0F0Fu) << 4;
    w = (w & 0xCCCCCCCCCCCCCCCCu) >> 2 | (w & 0x3333333333333333u) << 2;
    return (w & 0xAAAAAAAAAAAAAAAAu) >> 1 | (w & 0x5555555555555555u) << 1;
}

} // namespace

int layoutScanLag(int item) { return itemLag(item).lag; }

LayoutScanPrep prepareLayoutScan(std::span<const uint8_t> image)
{
    const auto length = static_cast<int64_t>(image.size());
    const auto windows = static_cast<size_t>((length + layoutWindowBytes - 1) / layoutWindowBytes);
    LayoutScanPrep prep;
    prep.plausible.resize(windows);
    prep.nextInter.resize(windows);
    prep.nextUni.resize(windows);
    prep.ones.resize(windows);
    // One word past the end, so that a word and its successor can always be read.
    const size_t words = windows * (layoutWindowBytes / 8) + 1;
    prep.words.assign(words, 0);
    prep.reversedWords.assign(words, 0);
    // Words hold their bytes first byte highest, so that the bits run on
    // from one word into the next.
    for (size_t i = 0; i + 1 < words; ++i) {
        uint8_t bytes[8] = {};
        const auto at = static_cast<int64_t>(i) * 8;
        if (at < length)
            std::memcpy(bytes, image.data() + at, static_cast<size_t>(std::min<int64_t>(8, length - at)));
        uint64_t word = 0;
        for (const uint8_t b : bytes)
            word = word << 8 | b;
        prep.words[i] = word;
        prep.reversedWords[i] = reversedBytes(word);
    }
    for (size_t w = 0; w < windows; ++w) {
        const int64_t from = static_cast<int64_t>(w) * layoutWindowBytes;
        const int64_t to = std::min(length, from + layoutWindowBytes);
        int text = 0, same = 0, wideText = 0;
        for (int64_t i = from; i < to; ++i) {
            const uint8_t b = image[static_cast<size_t>(i)];
            text += byteKinds[b] & 1;
            same += b == image[static_cast<size_t>(from)];
        }
        for (int64_t i = from; i + 1 < to; i += 2)
            wideText += isWideText(image[static_cast<size_t>(i)], image[static_cast<size_t>(i + 1)])
                        || isWideText(image[static_cast<size_t>(i + 1)], image[static_cast<size_t>(i)]);
        const int64_t n = to - from;
        // Text, UTF-16 text (90% of its characters) and fill hold no glyphs.
        prep.plausible[w] = n == layoutWindowBytes && 10 * text < 9 * n && 20 * wideText < 9 * n && same < n;
        int inter = 0, uni = 0, ones = 0;
        countAgreement(prep.words.data() + w * (layoutWindowBytes / 8), layoutWindowBytes / 8, 1, inter, uni, ones);
        prep.nextInter[w] = static_cast<uint16_t>(inter);
        prep.nextUni[w] = static_cast<uint16_t>(uni);
        prep.ones[w] = static_cast<uint16_t>(ones);
    }
    // A group of windows may hold glyphs when none of its windows is text or
    // fill, its ink is neither too sparse nor too dense, and its bits agree
    // with the next bit more often than at random (strokes are wide or long).
    prep.groupMayHoldGlyphs.assign(windows, 0);
    prep.inGlyphGroup.assign(windows, 0);
    prep.groupNextInter.assign(windows, 0);
    prep.groupNextUni.assign(windows, 0);
    for (size_t w = 0; w + windowGroup <= windows; ++w) {
        int inter = 0, uni = 0, ones = 0;
        bool plausible = true;
        for (size_t i = w; i < w + windowGroup; ++i) {
            plausible = plausible && prep.plausible[i];
            inter += prep.nextInter[i];
            uni += prep.nextUni[i];
            ones += prep.ones[i];
        }
        prep.groupNextInter[w] = inter;
        prep.groupNextUni[w] = uni;
        const double density = ones / (8.0 * layoutWindowBytes * windowGroup);
        const double chance = density / (2 - density);
        prep.groupMayHoldGlyphs[w] = plausible && density >= 0.01 && density <= 0.7 && uni > 0
                                     && static_cast<double>(inter) / uni >= 1.5 * chance;
        if (prep.groupMayHoldGlyphs[w])
            std::fill_n(prep.inGlyphGroup.begin() + static_cast<ptrdiff_t>(w), windowGroup, 1);
    }
    return prep;
}

namespace {

// Calls close(first, last) for each run of windows marked at least least,
// over gaps of up to maxWindowGap windows.
template <typename Close>
void forEachRun(const std::vector<uint8_t> &like, uint8_t least, Close close)
{
    int64_t runFrom = -1, lastLike = -1;
    for (int64_t w = 0; w < static_cast<int64_t>(like.size()); ++w) {
        if (like[static_cast<size_t>(w)] < least)
            continue;
        if (runFrom < 0 || w - lastLike > maxWindowGap + 1) {
            if (runFrom >= 0)
                close(runFrom, lastLike);
            runFrom = w;
        }
        lastLike = w;
    }
    if (runFrom >= 0)
        close(runFrom, lastLike);
}

// x log2 x for the counts of a group of windows.
const std::array<double, 257> xLog2x = [] {
    std::array<double, 257> t{};
    for (size_t x = 1; x < t.size(); ++x)
        t[x] = static_cast<double>(x) * std::log2(static_cast<double>(x));
    return t;
}();

// The bits that n bits of which k are set cost at their own density.
double countBits(int n, int k) { return xLog2x[static_cast<size_t>(n)] - xLog2x[static_cast<size_t>(k)] - xLog2x[static_cast<size_t>(n - k)]; }

// Each byte's bits, one to a byte of a word: adding these adds up to 255
// bytes' bits place by place.
constexpr std::array<uint64_t, 256> spreadBits = [] {
    std::array<uint64_t, 256> t{};
    for (int b = 0; b < 256; ++b)
        for (int i = 0; i < 8; ++i)
            t[static_cast<size_t>(b)] |= static_cast<uint64_t>((b >> i) & 1) << (8 * i);
    return t;
}();

// Set bits and bytes at each bit place of a cell of a small step.
struct StepCounts {
    std::array<int, 7 * 8> ones{};
    std::array<int, 7> bytes{};
};

// How much better bits are told by their place in the cell of step bytes
// than by their place in a cell of base bytes (base divides step), less the
// cost of the larger model.
double stepInformation(const StepCounts &c, int step, int base)
{
    std::array<int, 7 * 8> baseOnes{}, baseBits{};
    double stepCost = 0, baseCost = 0;
    // Place q of the step is place r of the base.
    for (int q = 0, r = 0; q < step; ++q, r = r + 1 == base ? 0 : r + 1) {
        const int bytes = c.bytes[static_cast<size_t>(q)];
        for (int b = 0; b < 8; ++b) {
            const int ones = c.ones[static_cast<size_t>(q * 8 + b)];
            stepCost += countBits(bytes, ones);
            baseOnes[static_cast<size_t>(r * 8 + b)] += ones;
            baseBits[static_cast<size_t>(r * 8 + b)] += bytes;
        }
    }
    for (int i = 0; i < base * 8; ++i)
        baseCost += countBits(baseBits[static_cast<size_t>(i)], baseOnes[static_cast<size_t>(i)]);
    return baseCost - stepCost - 0.5 * 8 * (step - base) * std::log2(std::max(2, c.bytes[0]));
}

// Whether a cell of step bytes has a bit place set in nearly every cell:
// the fixed fields of 32-bit code (ARM's condition "always") and of
// tables, where a font's pixels are each inked in a few of its glyphs.
bool heldByWords(const StepCounts &c, int step)
{
    for (int q = 0; q < step; ++q)
        for (int b = 0; b < 8; ++b)
            if (c.ones[static_cast<size_t>(q * 8 + b)] * 10 > c.bytes[static_cast<size_t>(q)] * 8)
                return true;
    return false;
}

// The least information, in bits, that a group's places must give at a small step.
constexpr double smallCellBits = 60;
// At 3 bytes (packed 4 x 6 glyphs) it is less: the blank column of their
// rows shows in the places of a byte already, and a group of such a font
// tells 45 to 70 bits more; code and data tell next to nothing there.
constexpr double threeByteCellBits = 40;

// Whether the group of windows from window g may hold small glyphs: every
// window as a group that may hold glyphs, at a density of ink.
bool mayHoldSmallCells(const LayoutScanPrep &prep, int64_t g, double &density)
{
    int ones = 0;
    for (int64_t i = g; i < g + windowGroup; ++i) {
        if (!prep.plausible[static_cast<size_t>(i)])
            return false;
        ones += prep.ones[static_cast<size_t>(i)];
    }
    density = ones / (8.0 * layoutWindowBytes * windowGroup);
    return density >= 0.01 && density <= 0.7;
}

// Whether the group's bits agree with the next bit at least 1.15 times as
// often as at random, as the thin strokes of 5 x 8 packed glyphs do (their
// next bit is often in the next row): most code and data does not.
bool nextBitsAgree(const LayoutScanPrep &prep, int64_t g, double density)
{
    const double chance = density / (2 - density);
    const int inter = prep.groupNextInter[static_cast<size_t>(g)], uni = prep.groupNextUni[static_cast<size_t>(g)];
    return uni > 0 && static_cast<double>(inter) / uni >= 1.15 * chance;
}

// Runs of groups of windows whose bits tell more by their place in a cell
// of a small step than by their place in a byte (or, at 6 bytes, in 2 or 3
// bytes, where 16-bit code repeats; at 4 bytes, in 2 bytes, and never where
// a place is set in nearly every cell, as in 32-bit code). Runs of cells of
// 3 or 4 bytes and of 5 to 7 are regions of their own. Each is judged once,
// in the formats of the small steps: pages of one row of bytes, columns a
// byte high and packed glyphs of every width and bit order.
std::vector<LayoutRegion> smallCellRegions(std::span<const uint8_t> image, const LayoutScanPrep &prep, const std::function<bool()> &blockDone)
{
    const auto count = static_cast<int64_t>(prep.plausible.size());
    constexpr int64_t windowsPerBlock = (int64_t{1} << 20) / layoutWindowBytes;
    constexpr int groupBytes = static_cast<int>(windowGroup) * layoutWindowBytes;
    // Windows like cells of 5 to 7 bytes, and like cells of 3 or 4: each
    // makes regions of its own, so that neither runs into the other.
    std::vector<uint8_t> like(static_cast<size_t>(count)), likeTiny(static_cast<size_t>(count));
    // The bits of each window at every place of each small step, one word a
    // place, for the last windowGroup windows.
    std::array<std::array<uint64_t, 3 + 4 + 5 + 6 + 7>, windowGroup> ring{};
    for (int64_t w = 0; w < count; ++w) {
        if (w % windowsPerBlock == windowsPerBlock - 1 && blockDone())
            return {};
        auto &lanes = ring[static_cast<size_t>(w % windowGroup)];
        lanes.fill(0);
        if (!prep.plausible[static_cast<size_t>(w)])
            continue;
        const int64_t from = w * layoutWindowBytes;
        int p3 = static_cast<int>(from % 3), p4 = static_cast<int>(from % 4);
        int p5 = static_cast<int>(from % 5), p6 = static_cast<int>(from % 6), p7 = static_cast<int>(from % 7);
        for (int64_t i = from; i < from + layoutWindowBytes; ++i) {
            const uint64_t bits = spreadBits[image[static_cast<size_t>(i)]];
            lanes[static_cast<size_t>(p3)] += bits;
            lanes[static_cast<size_t>(3 + p4)] += bits;
            lanes[static_cast<size_t>(7 + p5)] += bits;
            lanes[static_cast<size_t>(12 + p6)] += bits;
            lanes[static_cast<size_t>(18 + p7)] += bits;
            p3 = p3 == 2 ? 0 : p3 + 1;
            p4 = p4 == 3 ? 0 : p4 + 1;
            p5 = p5 == 4 ? 0 : p5 + 1;
            p6 = p6 == 5 ? 0 : p6 + 1;
            p7 = p7 == 6 ? 0 : p7 + 1;
        }
        const int64_t g = w - (windowGroup - 1);
        // Groups from every other window: a group's places tell about as
        // much one window on, and a font's run of groups is as long.
        double density = 0;
        if (g < 0 || g % 2 != 0 || !mayHoldSmallCells(prep, g, density))
            continue;
        // Packed glyphs of 3 bytes are 4 pixels wide: rows of up to three
        // pixels and a blank column, whose next bits agree no more than at
        // random. Their cells alone go without that test.
        const bool agreeing = nextBitsAgree(prep, g, density);
        std::array<uint64_t, 3 + 4 + 5 + 6 + 7> sum{};
        for (const auto &window : ring)
            for (size_t i = 0; i < sum.size(); ++i)
                sum[i] += window[i];
        // Each small step's counts, then what its places tell.
        std::array<StepCounts, smallSteps.size()> counts;
        for (size_t i = 0, lane = 0; i < smallSteps.size(); lane += static_cast<size_t>(smallSteps[i]), ++i) {
            const int step = smallSteps[i];
            StepCounts &c = counts[i];
            const int first = static_cast<int>(g * layoutWindowBytes % step);
            for (int q = 0; q < step; ++q) {
                c.bytes[static_cast<size_t>(q)] = groupBytes / step + ((q - first + step) % step < groupBytes % step ? 1 : 0);
                for (int b = 0; b < 8; ++b)
                    c.ones[static_cast<size_t>(q * 8 + b)] = static_cast<int>(sum[lane + static_cast<size_t>(q)] >> (8 * b) & 0xFF);
            }
        }
        static_assert(smallSteps[3] == 6);
        const StepCounts &sixBytes = counts[3];
        double best = -1e300, bestTiny = -1e300;
        for (size_t i = 0; i < smallSteps.size(); ++i) {
            const int step = smallSteps[i];
            const StepCounts &c = counts[i];
            double info = -1e300;
            if (step == 3) // unless its cells are of 6 bytes
                info = stepInformation(sixBytes, 6, 3) < smallCellBits ? stepInformation(c, 3, 1) : -1e300;
            else if (!agreeing)
                continue;
            else if (step == 4)
                info = heldByWords(c, 4) ? -1e300 : stepInformation(c, 4, 2);
            else if (step == 6)
                info = std::min(stepInformation(c, 6, 2), stepInformation(c, 6, 3));
            else
                info = stepInformation(c, step, 1);
            double &bestOfSize = step < 5 ? bestTiny : best;
            bestOfSize = std::max(bestOfSize, step == 3 ? info * smallCellBits / threeByteCellBits : info);
        }
        if (best >= smallCellBits)
            std::fill_n(like.begin() + g, windowGroup, 1);
        if (bestTiny >= smallCellBits)
            std::fill_n(likeTiny.begin() + g, windowGroup, 1);
    }
    std::vector<LayoutRegion> regions;
    for (const std::vector<uint8_t> *marked : {&like, &likeTiny})
        forEachRun(*marked, 1, [&](int64_t first, int64_t last) {
            if (last - first + 1 >= minRegionWindows)
                regions.push_back({first * layoutWindowBytes, std::min<int64_t>(static_cast<int64_t>(image.size()), (last + 1) * layoutWindowBytes),
                                   8, false, 1, false, true});
        });
    return regions;
}

} // namespace

std::vector<LayoutRegion> findLayoutRegions(std::span<const uint8_t> image, const LayoutScanPrep &prep, int item,
                                            const std::function<bool()> &blockDone)
{
    const int lag = itemLag(item).lag;
    const bool reversedBits = itemLag(item).reversedBits;
    const auto count = static_cast<int64_t>(prep.plausible.size());
    const std::vector<uint64_t> &words = reversedBits ? prep.reversedWords : prep.words;
    constexpr int64_t windowsPerBlock = (int64_t{1} << 20) / layoutWindowBytes;
    constexpr int wordsPerWindow = layoutWindowBytes / 8;
    // Bit agreements lag bits apart and set bits per window, counted where
    // a group of windows may hold glyphs at all.
    struct Counts {
        int inter = 0, uni = 0, ones = 0;
    };
    std::vector<Counts> counts(static_cast<size_t>(count));
    for (int64_t w = 0; w < count; ++w) {
        if (w % windowsPerBlock == windowsPerBlock - 1 && blockDone())
            return {};
        if (!prep.inGlyphGroup[static_cast<size_t>(w)])
            continue;
        Counts &c = counts[static_cast<size_t>(w)];
        countAgreement(words.data() + w * wordsPerWindow, wordsPerWindow, lag, c.inter, c.uni, c.ones);
    }
    // Windows are judged in groups: a few glyphs with little ink (spaces,
    // punctuation) would break a font into pieces. Neighbouring pixels of
    // glyphs agree far more often than bits of that density at random would.
    constexpr uint8_t faintWindow = 1, clearWindow = 2;
    std::vector<uint8_t> like(static_cast<size_t>(count));
    for (int64_t w = 0; w + windowGroup <= count; ++w) {
        if (!prep.groupMayHoldGlyphs[static_cast<size_t>(w)])
            continue;
        Counts sum;
        for (int64_t i = w; i < w + windowGroup; ++i) {
            const Counts &c = counts[static_cast<size_t>(i)];
            sum.inter += c.inter;
            sum.uni += c.uni;
            sum.ones += c.ones;
        }
        const int nextInter = prep.groupNextInter[static_cast<size_t>(w)];
        const int nextUni = prep.groupNextUni[static_cast<size_t>(w)];
        const double density = sum.ones / (8.0 * layoutWindowBytes * windowGroup);
        const double chance = density / (2 - density);
        const double along = sum.uni > 0 ? static_cast<double>(sum.inter) / sum.uni / chance : 0;
        const double next = nextUni > 0 ? static_cast<double>(nextInter) / nextUni / chance : 0;
        // Strokes one pixel wide agree along their length only: down a row
        // of bytes lag bits apart, or down a column of bits in one byte
        // (pages and columns, whose neighbours across lie whole bytes apart).
        // Dense bold fonts (8 x 8 console fonts) agree less, but both ways
        // at once: their regions are faint, and give way to any other
        // region of their place.
        if ((along >= 2.5 && next >= 1.5) || (lag % 8 == 0 && next >= 2.5 && along >= 0.8))
            std::fill(like.begin() + w, like.begin() + w + windowGroup, clearWindow);
        else if (along >= 1.7 && next >= 1.7 && along + next >= 3.8)
            for (int64_t i = w; i < w + windowGroup; ++i)
                like[static_cast<size_t>(i)] = std::max(like[static_cast<size_t>(i)], faintWindow);
    }
    // Runs of font-like windows, over gaps of maxWindowGap, with how much
    // more their bits agree lag bits apart than at random: first the runs
    // of clear windows, then the faint runs that touch none of them.
    std::vector<LayoutRegion> regions;
    auto close = [&](int64_t first, int64_t last, bool faint) {
        if (last - first + 1 < minRegionWindows)
            return;
        if (faint && std::any_of(regions.begin(), regions.end(), [&](const LayoutRegion &r) {
                return !r.faint && r.from < (last + 1 + maxWindowGap) * layoutWindowBytes && r.to + maxWindowGap * layoutWindowBytes > first * layoutWindowBytes;
            }))
            return;
        int64_t inter = 0, uni = 0, ones = 0;
        for (int64_t w = first; w <= last; ++w) {
            inter += counts[static_cast<size_t>(w)].inter;
            uni += counts[static_cast<size_t>(w)].uni;
            ones += counts[static_cast<size_t>(w)].ones;
        }
        const double density = static_cast<double>(ones) / (8.0 * layoutWindowBytes * static_cast<double>(last - first + 1));
        const double chance = density / (2 - density);
        const double strength = uni > 0 && chance > 0 ? static_cast<double>(inter) / static_cast<double>(uni) / chance : 0;
        regions.push_back({first * layoutWindowBytes, std::min<int64_t>(static_cast<int64_t>(image.size()), (last + 1) * layoutWindowBytes),
                           lag, reversedBits, strength, faint});
    };
    for (const uint8_t least : {clearWindow, faintWindow})
        forEachRun(like, least, [&](int64_t first, int64_t last) { close(first, last, least == faintWindow); });
    if (lag == 8 && !reversedBits) {
        std::vector<LayoutRegion> small = smallCellRegions(image, prep, blockDone);
        regions.insert(regions.end(), small.begin(), small.end());
    }
    return regions;
}

std::vector<LayoutRegion> strongestRegions(std::vector<LayoutRegion> regions)
{
    // The items end in any order: ties are broken by place and lag, so that
    // a scan gives the same list every time.
    std::sort(regions.begin(), regions.end(), [](const LayoutRegion &a, const LayoutRegion &b) {
        return std::tuple(a.faint, a.bySteps, -a.strength, a.from, a.to, a.lag, a.reversedBits)
               < std::tuple(b.faint, b.bySteps, -b.strength, b.from, b.to, b.lag, b.reversedBits);
    });
    std::vector<LayoutRegion> kept;
    for (const LayoutRegion &r : regions) {
        int stronger = 0;
        for (const LayoutRegion &k : kept) {
            // A region of small cells is judged beside every other: the
            // places of larger glyphs often tell at a small step too.
            if (k.bySteps)
                continue;
            // A faint region is judged only where no clear one lies.
            if (r.faint && !k.faint) {
                stronger += std::min(r.to, k.to) > std::max(r.from, k.from) ? regionsPerPlace : 0;
                continue;
            }
            // Glyphs stored a byte a column (pages, columns) agree nearly as
            // well a bit or two off their lag, along the diagonal: a
            // whole-byte lag is judged beside any stronger lag of no whole byte.
            if (r.lag % 8 == 0 && k.lag % 8 != 0)
                continue;
            // Columns two bytes high agree nearly as well two columns apart:
            // a lag is judged beside a stronger multiple of it.
            if (k.lag % r.lag == 0 && k.lag != r.lag)
                continue;
            const int64_t overlap = std::min(r.to, k.to) - std::max(r.from, k.from);
            stronger += overlap > 0 && 2 * overlap >= std::min(r.to - r.from, k.to - k.from) ? 1 : 0;
        }
        if (stronger < regionsPerPlace)
            kept.push_back(r);
    }
    return kept;
}

std::vector<FontCandidate> judgeLayoutRegion(std::span<const uint8_t> image, const LayoutRegion &region, const FontScanOptions &options)
{
    return judgeRegion(image, region.from, region.to, region.lag, region.reversedBits, region.faint, region.bySteps, options);
}

FontCandidate scoreLayoutTable(std::span<const uint8_t> image, int64_t start, int64_t count, const FontFormat &format)
{
    if (format.widthByte() || format.bpp != 1 || format.width > maxSide || format.height > maxSide || start < 0
        || start + count * format.step() > static_cast<int64_t>(image.size()))
        return FontCandidate{start, format, count};
    return scoreExtent(image, Reader(format), start, count);
}

} // namespace velmora
