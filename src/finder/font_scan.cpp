#include "finder/font_scan.h"

#include "finder/layout_scan.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <initializer_list>
#include <mutex>
#include <thread>
#include <tuple>
#include <unordered_set>
#include <utility>

namespace velmora {

namespace {

// Bytes handled between two looks at the cancel flag and two progress reports.
constexpr int64_t blockSize = int64_t{1} << 20;
// Characters of a table that its statistics and distinct glyphs are taken from.
constexpr int64_t scoredChars = 65536;
// A table whose first fewGlyphsAfter consistent characters hold fewer than
// fewGlyphs different glyphs is judged on those characters alone.
constexpr int64_t fewGlyphsAfter = 512;
constexpr size_t fewGlyphs = 16;
// The most bytes one character spans: 16 x 16 with the spare byte.
constexpr int64_t maxFootprint = 33;
// Leading or trailing characters that the edge test may remove from a table.
constexpr int maxEdgeTrim = 2;
// ... or, when they lie beyond a gap, up to this many.
constexpr int maxStrayRun = 16;

int bytesPerRow(const FontFormat &f) { return f.width >> 3; }

// Row r (1 and up) of the character at p, W bits, column 0 in the top bit.
// The caller keeps the row's bytes inside the image.
inline uint32_t rowBits(const uint8_t *bytes, int64_t p, int r, int width, bool swap)
{
    if (width == 8)
        return bytes[p + r];
    const int64_t q = p + 1 + 2 * int64_t{r - 1};
    const uint32_t x1 = bytes[q];
    const uint32_t x2 = bytes[q + 1];
    return swap ? (x2 << 8 | x1) : (x1 << 8 | x2);
}

// Pixels right of width w: the low W - w bits of a row.
inline uint32_t rightOfWidth(int width, int w) { return (1u << (width - w)) - 1; }

// The last byte of row r of the character at p.
inline int64_t rowEnd(int64_t p, int r, int b) { return p + int64_t{b} * r; }

// A table being followed in one residue class of one format. A table holds
// runs of consistent characters separated by at most maxGap inconsistent
// ones; a run after a gap counts only once it has two characters, and a
// single character before the first gap is dropped, so that one stray match
// in the bytes around a font does not move its ends.
struct Track {
    int64_t start = -1; // first character (byte offset), -1 when idle
    int64_t end = 0;    // last confirmed character
    int64_t good = 0;   // consistent characters from start to end
    int64_t pending = -1; // first character of an unconfirmed run after a gap
    int64_t pendingEnd = 0;
    int64_t pendingGood = 0;
    // Consistent characters of abandoned single-character runs after end:
    // they lie inside the table once a later run joins it.
    int64_t strayGood = 0;
};

struct Run {
    int64_t start;
    int64_t count;
    int64_t good;
};

class FormatTracker {
public:
    FormatTracker(const FontFormat &format, int maxGap, int minChars)
        : step_(fontCharStep(format)), maxGap_(maxGap), minChars_(minChars), tracks_(static_cast<size_t>(step_))
    {
    }

    void add(int64_t p)
    {
        Track &t = tracks_[static_cast<size_t>(p % step_)];
        if (t.start < 0) {
            begin(t, p);
            return;
        }
        if (t.pending >= 0) {
            if (p == t.pendingEnd + step_) {
                t.pendingEnd = p;
                ++t.pendingGood;
                confirm(t);
                return;
            }
            t.strayGood += t.pendingGood;
            t.pending = -1;
        }
        if (p == t.end + step_) {
            t.end = p;
            ++t.good;
            return;
        }
        const int64_t gap = (p - t.end) / step_ - 1;
        if (gap <= maxGap_) {
            t.pending = p;
            t.pendingEnd = p;
            t.pendingGood = 1;
            return;
        }
        close(t);
        begin(t, p);
    }

    // Closes every table still open; returns the tables found.
    std::vector<Run> finish()
    {
        for (Track &t : tracks_)
            if (t.start >= 0)
                close(t);
        return std::move(runs_);
    }

private:
    void begin(Track &t, int64_t p)
    {
        t.start = t.end = p;
        t.good = 1;
        t.pending = -1;
        t.strayGood = 0;
    }

    void confirm(Track &t)
    {
        if (t.end == t.start) {
            // The table so far is a single character followed by a gap.
            t.start = t.pending;
            t.good = t.pendingGood;
        } else {
            t.good += t.strayGood + t.pendingGood;
        }
        t.strayGood = 0;
        t.end = t.pendingEnd;
        t.pending = -1;
    }

    void close(Track &t)
    {
        const int64_t count = (t.end - t.start) / step_ + 1;
        if (count >= minChars_)
            runs_.push_back({t.start, count, t.good});
        t.start = -1;
        t.pending = -1;
    }

    int64_t step_;
    int64_t maxGap_;
    int minChars_;
    std::vector<Track> tracks_;
    std::vector<Run> runs_;
};

// The share of a table's glyphs taken to be unlike its letters (shades,
// dithers, symbols) when its ends are judged.
constexpr double plainGlyphShare = 1.0 / 16;

// log2 of a mixture of models: the sum of weight x 2^bits.
double mix(std::initializer_list<std::pair<double, double>> models)
{
    double high = -1e300;
    for (const auto &[bits, weight] : models)
        high = std::max(high, bits);
    double sum = 0;
    for (const auto &[bits, weight] : models)
        sum += weight * std::exp2(bits - high);
    return high + std::log2(sum);
}

// log2 of how likely the pixels inside width w are as any drawn glyph: each
// row repeats the row two above (as in shades, dithers and vertical strokes)
// or is any of the 2^w patterns, one or the other as often.
double structuredGlyphBits(const std::array<uint16_t, 17> &rows, const FontFormat &f, int w)
{
    double bits = 0;
    for (int r = 1; r < f.height; ++r)
        bits -= r >= 3 && rows[static_cast<size_t>(r)] == rows[static_cast<size_t>(r - 2)] ? 1 : 1 + w;
    return bits;
}

// What a table's consistent characters look like: how often each width
// occurs, and how often a pixel inside the width is set after each pattern of
// its left and upper neighbours (glyphs are drawn in strokes, noise is not).
struct TableStats {
    int64_t chars = 0;
    std::array<int64_t, 17> widths{};
    std::array<int64_t, 4> contextSet{};
    std::array<int64_t, 4> contextAll{};
    // The same by six neighbours, counted by addWide: the finer judgement
    // of a table's ends needs them, the scan of every run does not.
    std::array<int64_t, 64> wideSet{};
    std::array<int64_t, 64> wideAll{};

    static bool pixel(const std::array<uint16_t, 17> &rows, const FontFormat &f, int c, int r)
    {
        return c >= 0 && r >= 1 && ((rows[static_cast<size_t>(r)] >> (f.width - 1 - c)) & 1);
    }
    static size_t context(const std::array<uint16_t, 17> &rows, const FontFormat &f, int c, int r)
    {
        return static_cast<size_t>((pixel(rows, f, c - 1, r) ? 2 : 0) + (pixel(rows, f, c, r - 1) ? 1 : 0));
    }
    // Six neighbours: two to the left, three above and the one two above.
    static size_t wideContext(const std::array<uint16_t, 17> &rows, const FontFormat &f, int c, int r)
    {
        const bool upRight = c + 1 < f.width && pixel(rows, f, c + 1, r - 1);
        return context(rows, f, c, r) * 16 + (pixel(rows, f, c - 2, r) ? 8 : 0) + (pixel(rows, f, c - 1, r - 1) ? 4 : 0)
               + (upRight ? 2 : 0) + (pixel(rows, f, c, r - 2) ? 1 : 0);
    }

    void add(const std::array<uint16_t, 17> &rows, const FontFormat &f, int sign)
    {
        const int w = rows[0] >> (f.width - 8);
        chars += sign;
        widths[static_cast<size_t>(w)] += sign;
        for (int r = 1; r < f.height; ++r) {
            for (int c = 0; c < w; ++c) {
                const size_t k = context(rows, f, c, r);
                contextAll[k] += sign;
                contextSet[k] += pixel(rows, f, c, r) ? sign : 0;
            }
        }
    }

    void addWide(const std::array<uint16_t, 17> &rows, const FontFormat &f, int sign)
    {
        const int w = rows[0] >> (f.width - 8);
        for (int r = 1; r < f.height; ++r) {
            for (int c = 0; c < w; ++c) {
                const size_t n = wideContext(rows, f, c, r);
                wideAll[n] += sign;
                wideSet[n] += pixel(rows, f, c, r) ? sign : 0;
            }
        }
    }

    // Both counts, as the edge test keeps them.
    void addBoth(const std::array<uint16_t, 17> &rows, const FontFormat &f, int sign)
    {
        add(rows, f, sign);
        addWide(rows, f, sign);
    }

    // log2 of how likely width w is as one more character's: as often as
    // the table's widths.
    double widthBits(int w, const FontFormat &f) const
    {
        return std::log2((static_cast<double>(widths[static_cast<size_t>(w)]) + 0.5)
                         / (static_cast<double>(chars) + 0.5 * f.width));
    }

    // log2 of how likely the pixels inside width w are as a glyph of the
    // table: each follows its neighbours as in the table's other glyphs,
    // by two neighbours or by six (the finer model knows the table's
    // strokes better, but judges a glyph unlike its letters harshly). Both
    // are learnt from the table's letters and would cut off a rare glyph at
    // its end (a shade, a dither), so a plainer model of any drawn glyph
    // (structuredGlyphBits) is mixed in.
    double pixelBits(const std::array<uint16_t, 17> &rows, const FontFormat &f, int w) const
    {
        double narrow = 0, wide = 0;
        for (int r = 1; r < f.height; ++r) {
            for (int c = 0; c < w; ++c) {
                const bool set = pixel(rows, f, c, r);
                const size_t k = context(rows, f, c, r);
                const double p = (static_cast<double>(contextSet[k]) + 0.5) / (static_cast<double>(contextAll[k]) + 1);
                narrow += std::log2(set ? p : 1 - p);
                const size_t n = wideContext(rows, f, c, r);
                const double q = (static_cast<double>(wideSet[n]) + 0.5) / (static_cast<double>(wideAll[n]) + 1);
                wide += std::log2(set ? q : 1 - q);
            }
        }
        const double tableShare = (1 - plainGlyphShare) / 2;
        return mix({{narrow, tableShare}, {wide, tableShare}, {structuredGlyphBits(rows, f, w), plainGlyphShare}});
    }

    // log2 of how much likelier the character is as one of this table than
    // as more of the bytes beside the table, whose cost per byte value is
    // outsideBits. Pixels right of the width are clear under the table
    // anyway. The character at p must be one of those counted by addBoth.
    double edgeEvidence(std::span<const uint8_t> image, int64_t p, const std::array<uint16_t, 17> &rows, const FontFormat &f,
                        const std::array<double, 256> &outsideBits)
    {
        addBoth(rows, f, -1); // judge it against the others only
        const int w = rows[0] >> (f.width - 8);
        double bits = widthBits(w, f) + pixelBits(rows, f, w);
        const int64_t bytes = 1 + int64_t{bytesPerRow(f)} * (f.height - 1);
        for (int64_t i = 0; i < bytes; ++i)
            bits += outsideBits[image[static_cast<size_t>(p + i)]];
        addBoth(rows, f, +1);
        return bits;
    }
};

// What each byte value costs, in bits, among the up to 256 bytes of
// [from, to) inside the image: how likely the bytes beside a table are to go on.
std::array<double, 256> byteCosts(std::span<const uint8_t> image, int64_t from, int64_t to)
{
    from = std::max<int64_t>(0, from);
    to = std::min<int64_t>(static_cast<int64_t>(image.size()), to);
    std::array<double, 256> counts{};
    counts.fill(1);
    for (int64_t i = from; i < to; ++i)
        ++counts[image[static_cast<size_t>(i)]];
    const double total = 256 + static_cast<double>(std::max<int64_t>(0, to - from));
    for (double &c : counts)
        c = -std::log2(c / total);
    return counts;
}

// How unlikely random bytes are to give this glyph, in bits: its width byte
// in 1..W, the pixels right of its width all clear, and for a blank glyph
// the pixels inside its width too.
double glyphEvidence(const std::array<uint16_t, 17> &rows, const FontFormat &f, bool blank)
{
    const int w = rows[0] >> (f.width - 8);
    double bits = 8 - std::log2(f.width) + double(f.height - 1) * (f.width - w);
    if (blank)
        bits += double(f.height - 1) * w;
    return bits;
}

bool isBlank(const std::array<uint16_t, 17> &rows, int height)
{
    for (int r = 1; r < height; ++r)
        if (rows[static_cast<size_t>(r)] != 0)
            return false;
    return true;
}

uint64_t glyphKey(const std::array<uint16_t, 17> &rows, int height)
{
    uint64_t h = 14695981039346656037ull; // FNV-1a over the rows
    for (int r = 0; r < height; ++r) {
        h = (h ^ rows[static_cast<size_t>(r)]) * 1099511628211ull;
        h = (h ^ (rows[static_cast<size_t>(r)] >> 8)) * 1099511628211ull;
    }
    return h;
}

// The marks of data and of glyphs in a table's consistent characters.
struct Marks {
    int64_t inked = 0;
    int64_t edgeInk = 0;
    int64_t slack = 0;
    int firstWidth = -1;
    bool fixedWidth = true;
    // Per byte of the pixel rows: how often each value occurs.
    std::vector<std::array<int32_t, 256>> values;
    // Pixels inside the width per row and per pattern of left and upper neighbour: all, set.
    std::array<std::array<int64_t, 4>, 17> rowAll{}, rowSet{};

    void add(std::span<const uint8_t> image, int64_t p, const std::array<uint16_t, 17> &rows, const FontFormat &f)
    {
        const int w = rows[0] >> (f.width - 8);
        fixedWidth = fixedWidth && (firstWidth < 0 || firstWidth == w);
        firstWidth = w;
        uint32_t ink = 0;
        for (int r = 1; r < f.height; ++r)
            ink |= rows[static_cast<size_t>(r)];
        if (ink) {
            ++inked;
            int inkWidth = f.width;
            while (!((ink >> (f.width - inkWidth)) & 1))
                --inkWidth;
            edgeInk += inkWidth == w ? 1 : 0;
            slack += w - inkWidth;
        }
        for (int r = 1; r < f.height; ++r) {
            for (int c = 0; c < w; ++c) {
                const size_t k = TableStats::context(rows, f, c, r);
                ++rowAll[static_cast<size_t>(r)][k];
                rowSet[static_cast<size_t>(r)][k] += TableStats::pixel(rows, f, c, r) ? 1 : 0;
            }
        }
        const size_t bytes = static_cast<size_t>(bytesPerRow(f) * (f.height - 1));
        if (values.empty())
            values.resize(bytes);
        for (size_t i = 0; i < bytes; ++i)
            ++values[i][image[static_cast<size_t>(p) + 1 + i]];
    }

    double strokeShare() const;
    double fieldShare(int64_t chars) const
    {
        int32_t most = 0;
        for (const auto &counts : values)
            most = std::max(most, *std::max_element(counts.begin() + 1, counts.end()));
        return chars > 0 ? static_cast<double>(most) / static_cast<double>(chars) : 0;
    }
};

double entropyBits(double p) { return p <= 0 || p >= 1 ? 0 : -(p * std::log2(p) + (1 - p) * std::log2(1 - p)); }

double Marks::strokeShare() const
{
    double inRow = 0, withNeighbours = 0;
    for (size_t r = 1; r < rowAll.size(); ++r) {
        int64_t all = 0, set = 0;
        for (size_t k = 0; k < 4; ++k) {
            all += rowAll[r][k];
            set += rowSet[r][k];
            const auto n = static_cast<double>(rowAll[r][k]);
            withNeighbours += n > 0 ? n * entropyBits(static_cast<double>(rowSet[r][k]) / n) : 0;
        }
        inRow += all > 0 ? static_cast<double>(all) * entropyBits(static_cast<double>(set) / static_cast<double>(all)) : 0;
    }
    return inRow > 0 ? 1 - withNeighbours / inRow : 0;
}

// One pass over a table's characters: their statistics and their distinct glyphs.
struct Survey {
    TableStats stats;
    Marks marks;
    double evidence = 0; // of the distinct glyphs
    double insidePixels = 0; // pixels inside the widths of the distinct glyphs
    int64_t distinct = 0;
    bool blank = false;
    int64_t examined = 0; // characters looked at, from the first
};

Survey survey(std::span<const uint8_t> image, const Run &run, const FontFormat &f, bool withMarks)
{
    const int64_t step = fontCharStep(f);
    const int64_t limit = std::min(run.count, scoredChars);
    Survey s;
    std::unordered_set<uint64_t> seen;
    seen.reserve(static_cast<size_t>(std::min<int64_t>(limit, 4096)));
    int64_t consistent = 0;
    for (s.examined = 0; s.examined < limit; ++s.examined) {
        const int64_t p = run.start + s.examined * step;
        if (!looksLikeGlyph(image, p, f))
            continue;
        const auto rows = glyphRows(image, p, f);
        s.stats.add(rows, f, +1);
        if (withMarks)
            s.marks.add(image, p, rows, f);
        const bool blank = isBlank(rows, f.height);
        s.blank = s.blank || blank;
        if (seen.insert(glyphKey(rows, f.height)).second) {
            s.evidence += glyphEvidence(rows, f, blank);
            s.insidePixels += blank ? 0 : double(f.height - 1) * (rows[0] >> (f.width - 8));
        }
        // Repeating data (a filled area, a table of a few records) gives
        // long runs of a few glyphs in many formats at once; its first
        // characters tell enough.
        if (++consistent == fewGlyphsAfter && seen.size() < fewGlyphs) {
            ++s.examined;
            break;
        }
    }
    s.distinct = static_cast<int64_t>(seen.size());
    return s;
}

double clamp01(double x) { return std::clamp(x, 0.0, 1.0); }

// 1 for a table that looks like glyphs, falling to 0 with each mark of data:
// pixels that do not follow their neighbours (random bits, or fields that
// count or hold codes), one non-zero byte at one place in most characters
// (a record field), widths well past the ink (small numbers padded with
// zeros), no blank glyph.
double glyphLikeness(const FontCandidate &c)
{
    return clamp01(c.strokeShare / 0.15) * clamp01((0.7 - c.fieldShare) / 0.3) * clamp01((3 - c.widthSlack) / 1.5)
           * (c.hasBlank ? 1 : 0.5);
}

// Bits per pixel inside the widths, given the left and upper neighbour.
double pixelEntropy(const TableStats &t)
{
    double pixels = 0, bits = 0;
    for (size_t k = 0; k < 4; ++k) {
        const auto all = static_cast<double>(t.contextAll[k]);
        pixels += all;
        bits += all > 0 ? all * entropyBits(static_cast<double>(t.contextSet[k]) / all) : 0;
    }
    return pixels > 0 ? bits / pixels : 0;
}

// What the table's glyphs tell, in bits, before the marks of data: the
// distinct glyphs' evidence, the pixels inside their widths adding what the
// neighbours tell of them, weighed by the share of consistent characters.
double tableEvidence(const Survey &s, const Run &run)
{
    if (run.count == 0)
        return 0;
    const double share = static_cast<double>(run.good) / static_cast<double>(run.count);
    return share * share * (s.evidence + (1 - pixelEntropy(s.stats)) * s.insidePixels);
}

// Removes stray matches at the table's ends: a consistent character in the
// bytes next to a table lengthens it; it fits the table's own glyphs worse
// than the bytes beside it. s is the table's survey, taken over by the test.
void trimEdges(std::span<const uint8_t> image, Run &run, const FontFormat &f, int minChars, Survey s)
{
    const int64_t step = fontCharStep(f);
    if (s.stats.chars <= 2)
        return;
    for (int64_t i = 0; i < s.examined; ++i) {
        const int64_t p = run.start + i * step;
        if (looksLikeGlyph(image, p, f))
            s.stats.addWide(glyphRows(image, p, f), f, +1);
    }
    auto trim = [&](bool atStart) {
        const int64_t end = run.start + run.count * step;
        const std::array<double, 256> outside = atStart ? byteCosts(image, run.start - 256, run.start)
                                                        : byteCosts(image, end, end + 256);
        // The character k places in from this end.
        auto edge = [&](int64_t k) { return atStart ? run.start + k * step : run.start + (run.count - 1 - k) * step; };
        // Removes the consistent edge character, then the inconsistent ones
        // it leaves at the end: a table begins and ends with a consistent one.
        auto dropEdge = [&] {
            s.stats.addBoth(glyphRows(image, edge(0), f), f, -1);
            --run.good;
            do {
                --run.count;
                if (atStart)
                    run.start += step;
            } while (run.count > 0 && !looksLikeGlyph(image, edge(0), f));
        };
        // Stray matches after a gap may run longer than the trim reaches
        // into a table's body: all of them are tested.
        int reach = maxEdgeTrim;
        for (int k = 1; k <= maxStrayRun && k < run.count; ++k) {
            if (!looksLikeGlyph(image, edge(k), f)) {
                reach = std::max(reach, k);
                break;
            }
        }
        int trimmed = 0;
        for (; trimmed < reach && run.count > minChars; ++trimmed) {
            const int64_t p = edge(0);
            if (s.stats.edgeEvidence(image, p, glyphRows(image, p, f), f, outside) >= 0)
                break;
            dropEdge();
        }
        // One character left beyond a gap is no run, as when the table was
        // followed.
        while (trimmed > 0 && run.count > minChars + 1 && !looksLikeGlyph(image, edge(1), f))
            dropEdge();
    };
    const int64_t count = run.count;
    trim(true);
    // The statistics may cover only a long table's first characters.
    if (s.examined == count)
        trim(false);
}

// The table's score; below minScore it may be left at 0 with its marks
// unmeasured, as no glyph-likeness could lift it.
FontCandidate scoreRun(std::span<const uint8_t> image, Run run, const FontFormat &f, bool withEdgeTrim, int minChars, double minScore)
{
    Survey s = survey(image, run, f, false);
    // Trimming a few characters off the ends changes the evidence little:
    // a table far below the threshold is not worth the finer edge test.
    if (withEdgeTrim && tableEvidence(s, run) >= minScore / 2) {
        const Run before = run;
        trimEdges(image, run, f, minChars, s);
        if (run.start != before.start || run.count != before.count)
            s = survey(image, run, f, false);
    }

    FontCandidate c;
    c.start = run.start;
    c.format = f;
    c.count = run.count;
    c.consistent = run.good;
    c.distinct = s.distinct;
    c.hasBlank = s.blank;
    c.pixelEntropy = pixelEntropy(s.stats);
    const double evidence = tableEvidence(s, run);
    if (run.count == 0 || evidence < minScore)
        return c;
    const Marks marks = survey(image, run, f, true).marks;
    c.fieldShare = marks.fieldShare(s.stats.chars);
    const auto inked = static_cast<double>(std::max<int64_t>(1, marks.inked));
    c.edgeInkShare = static_cast<double>(marks.edgeInk) / inked;
    c.widthSlack = static_cast<double>(marks.slack) / inked;
    c.fixedWidth = marks.fixedWidth;
    c.strokeShare = marks.strokeShare();
    c.score = evidence * glyphLikeness(c);
    return c;
}

// The formats that share one reading of the pixel rows: a width and the
// byte order; the heights and the spare byte only change the step.
struct Variant {
    int width;
    bool swap;
    std::vector<FontFormat> formats; // indexed [height - 2][spare byte]
};

std::vector<Variant> variants()
{
    std::vector<Variant> list;
    for (const auto &[width, swap] : {std::pair{8, false}, std::pair{16, false}, std::pair{16, true}}) {
        Variant v{width, swap, {}};
        for (int h = 2; h <= 16; ++h)
            for (const bool spare : {false, true})
                if (width == 16 || !spare)
                    v.formats.push_back(FontFormat{width, h, spare, swap});
        list.push_back(std::move(v));
    }
    return list;
}

class Scan {
public:
    Scan(std::span<const uint8_t> image, const FontScanOptions &options)
        : image_(image), options_(options), variants_(variants()),
          prep_(options.layouts ? prepareLayoutScan(image) : LayoutScanPrep{}),
          items_(variants_.size() + (options.layouts ? static_cast<size_t>(layoutScanItems()) : 0))
    {
        const int64_t length = static_cast<int64_t>(image.size());
        blocks_ = static_cast<int>((length + blockSize - 1) / blockSize);
        total_ = std::max(1, blocks_ * static_cast<int>(items_));
    }

    FontScanResult run()
    {
        unsigned threads = options_.threads > 0 ? static_cast<unsigned>(options_.threads)
                                                : std::max(1u, std::thread::hardware_concurrency());
        threads = std::min<unsigned>(threads, static_cast<unsigned>(items_));
        std::vector<std::thread> workers;
        for (unsigned i = 1; i < threads; ++i)
            workers.emplace_back([this] { work(); });
        work();
        for (std::thread &t : workers)
            t.join();
        // The layout scan's second pass: the strongest regions judged.
        if (!stop_.load() && !regions_.empty()) {
            regions_ = strongestRegions(std::move(regions_));
            workers.clear();
            for (unsigned i = 1; i < std::min<unsigned>(threads, static_cast<unsigned>(regions_.size())); ++i)
                workers.emplace_back([this] { judge(); });
            judge();
            for (std::thread &t : workers)
                t.join();
        }

        FontScanResult result;
        result.cancelled = stop_.load();
        if (!result.cancelled)
            result.candidates = merged(std::move(found_));
        return result;
    }

private:
    void work()
    {
        // The width-byte variants first: they take longest.
        for (size_t v = next_++; v < items_ && !stop_.load(); v = next_++) {
            if (v < variants_.size()) {
                const std::vector<FontCandidate> local = scanVariant(variants_[v]);
                const std::lock_guard lock(mutex_);
                found_.insert(found_.end(), local.begin(), local.end());
                continue;
            }
            int blocksDone = 0;
            const std::vector<LayoutRegion> local =
                findLayoutRegions(image_, prep_, static_cast<int>(v - variants_.size()), [&] {
                    if (blocksDone < blocks_) {
                        ++blocksDone;
                        progress();
                    }
                    return cancelled();
                });
            for (; blocksDone < blocks_; ++blocksDone)
                progress();
            const std::lock_guard lock(mutex_);
            regions_.insert(regions_.end(), local.begin(), local.end());
        }
    }

    void judge()
    {
        for (size_t r = nextRegion_++; r < regions_.size() && !cancelled(); r = nextRegion_++) {
            const std::vector<FontCandidate> local = judgeLayoutRegion(image_, regions_[r], options_);
            const std::lock_guard lock(mutex_);
            found_.insert(found_.end(), local.begin(), local.end());
        }
    }

    bool cancelled()
    {
        if (!stop_.load() && options_.cancelled && options_.cancelled())
            stop_.store(true);
        return stop_.load();
    }

    std::vector<FontCandidate> scanVariant(const Variant &v)
    {
        const uint8_t *bytes = image_.data();
        const int64_t length = static_cast<int64_t>(image_.size());
        const int width = v.width;
        const int b = width >> 3;
        const bool spareFormats = width == 16;
        std::vector<FormatTracker> trackers;
        std::vector<int64_t> steps;
        for (const FontFormat &f : v.formats) {
            trackers.emplace_back(f, options_.maxGap, options_.minChars);
            steps.push_back(fontCharStep(f));
        }

        // The stretch of equal bytes around the position last looked at.
        int64_t sameFrom = 0, sameTo = -1;
        for (int block = 0; block < blocks_; ++block) {
            if (cancelled())
                return {};
            const int64_t from = block * blockSize;
            const int64_t to = std::min(length, from + blockSize);
            for (int64_t p = from; p < to; ++p) {
                const int w = bytes[p];
                if (static_cast<unsigned>(w - 1) >= static_cast<unsigned>(width))
                    continue;
                // A character well inside a run of one byte value is the same
                // glyph as its neighbours in every format: filled areas hold
                // no font, and following them in 75 formats would be slow.
                if (p > sameTo) {
                    sameFrom = p;
                    while (sameFrom > 0 && bytes[sameFrom - 1] == w)
                        --sameFrom;
                    sameTo = p;
                    while (sameTo + 1 < length && bytes[sameTo + 1] == w)
                        ++sameTo;
                }
                if (p - sameFrom >= maxFootprint && sameTo - p >= maxFootprint)
                    continue;
                const uint32_t right = rightOfWidth(width, w);
                // Rows that lie inside the image, at most the 15 of H = 16.
                const int rowsInside = static_cast<int>(std::min<int64_t>(15, (length - 1 - p) / b));
                int consistent = 0;
                while (consistent < rowsInside && !(rowBits(bytes, p, consistent + 1, width, v.swap) & right))
                    ++consistent;
                // Height H uses rows 1..H-1.
                for (int h = 2; h <= consistent + 1; ++h) {
                    const size_t first = spareFormats ? static_cast<size_t>(2 * (h - 2)) : static_cast<size_t>(h - 2);
                    for (size_t i = first; i < first + (spareFormats ? 2 : 1); ++i)
                        if (p + steps[i] <= length)
                            trackers[i].add(p);
                }
            }
            progress();
        }

        std::vector<FontCandidate> candidates;
        for (size_t i = 0; i < trackers.size(); ++i) {
            for (const Run &run : trackers[i].finish()) {
                if (cancelled())
                    return {};
                FontCandidate c = scoreRun(image_, run, v.formats[i], true, options_.minChars, options_.minScore);
                if (c.count >= options_.minChars && c.score >= options_.minScore)
                    candidates.push_back(c);
            }
        }
        return candidates;
    }

    void progress()
    {
        const int done = ++done_;
        if (options_.progress)
            options_.progress(std::min(done, total_), total_);
    }

    // Best first; a table overlapping a better one by half of the shorter
    // of the two is the same table read in another format, and is dropped.
    // Width-byte tables go first: their width bytes check every glyph, and
    // such a font's rows read as another layout too.
    static std::vector<FontCandidate> merged(std::vector<FontCandidate> all)
    {
        std::sort(all.begin(), all.end(), [](const FontCandidate &a, const FontCandidate &b) {
            if (a.score != b.score)
                return a.score > b.score;
            if (a.start != b.start)
                return a.start < b.start;
            const auto order = [](const FontFormat &f) { return std::tuple(f.layout, f.width, f.height, f.spare, f.swap, f.reverse); };
            return order(a.format) < order(b.format);
        });
        std::vector<FontCandidate> kept;
        for (const bool widthBytes : {true, false}) {
            for (const FontCandidate &c : all) {
                if (c.format.widthByte() != widthBytes)
                    continue;
                const bool same = std::any_of(kept.begin(), kept.end(), [&](const FontCandidate &k) {
                    const int64_t overlap = std::min(c.end(), k.end()) - std::max(c.start, k.start);
                    return overlap > 0 && 2 * overlap >= std::min(c.end() - c.start, k.end() - k.start);
                });
                if (!same)
                    kept.push_back(c);
            }
        }
        std::stable_sort(kept.begin(), kept.end(), [](const FontCandidate &a, const FontCandidate &b) { return a.score > b.score; });
        return kept;
    }

    std::span<const uint8_t> image_;
    const FontScanOptions &options_;
    std::vector<Variant> variants_;
    LayoutScanPrep prep_;
    size_t items_;
    int blocks_ = 0;
    int total_ = 1;
    std::atomic<size_t> next_{0};
    std::atomic<size_t> nextRegion_{0};
    std::vector<LayoutRegion> regions_;
    std::atomic<int> done_{0};
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<FontCandidate> found_;
};

} // namespace

std::vector<FontFormat> allFontFormats()
{
    std::vector<FontFormat> all;
    for (const Variant &v : variants())
        all.insert(all.end(), v.formats.begin(), v.formats.end());
    return all;
}

std::array<uint16_t, 17> glyphRows(std::span<const uint8_t> image, int64_t offset, const FontFormat &f)
{
    auto at = [&](int64_t o) -> uint32_t {
        return o >= 0 && o < static_cast<int64_t>(image.size()) ? image[static_cast<size_t>(o)] : 0;
    };
    std::array<uint16_t, 17> rows{};
    rows[0] = static_cast<uint16_t>(at(offset) << (f.width - 8));
    for (int r = 1; r < f.height && r < 17; ++r) {
        if (f.width == 8) {
            rows[static_cast<size_t>(r)] = static_cast<uint16_t>(at(offset + r));
        } else {
            const int64_t q = offset + 1 + 2 * int64_t{r - 1};
            const uint32_t x1 = at(q);
            const uint32_t x2 = at(q + 1);
            rows[static_cast<size_t>(r)] = static_cast<uint16_t>(f.swap ? (x2 << 8 | x1) : (x1 << 8 | x2));
        }
    }
    return rows;
}

bool looksLikeGlyph(std::span<const uint8_t> image, int64_t offset, const FontFormat &f)
{
    const int64_t length = static_cast<int64_t>(image.size());
    if (!f.widthByte() || offset < 0 || offset + fontCharStep(f) > length || f.height < 2 || f.height > 16)
        return false;
    const int w = image[static_cast<size_t>(offset)];
    if (w < 1 || w > f.width)
        return false;
    const int b = bytesPerRow(f);
    for (int r = 1; r < f.height; ++r) {
        if (rowEnd(offset, r, b) >= length)
            return false;
        if (rowBits(image.data(), offset, r, f.width, f.swap) & rightOfWidth(f.width, w))
            return false;
    }
    return true;
}

FontCandidate scoreTable(std::span<const uint8_t> image, int64_t start, int64_t count, const FontFormat &f)
{
    if (!f.widthByte())
        return scoreLayoutTable(image, start, count, f);
    int64_t good = 0;
    for (int64_t k = 0; k < count; ++k)
        good += looksLikeGlyph(image, start + k * fontCharStep(f), f) ? 1 : 0;
    return scoreRun(image, {start, count, good}, f, false, 0, 0);
}

FontScanResult scanFonts(std::span<const uint8_t> image, const FontScanOptions &options)
{
    return Scan(image, options).run();
}

} // namespace velmora
