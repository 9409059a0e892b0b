#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "finder/font_scan.h"

namespace velmora {

// The scan for fonts in the 1-bit layouts without widths (rows, packed,
// strips, pages, columns, plain or reverse). Such glyphs carry no field
// that could be checked one by one, so the scan looks for bytes whose bits
// agree with the bits one pixel away, as strokes do, finds the glyph step
// at which they repeat a cell's structure, and the layout and first byte
// that make the cells read as drawn glyphs. See docs/font-finder.md.

// Work items that can run in parallel: one per distance in bits between a
// pixel and its neighbour in the next row or column (4 to 32), and one per
// such distance of packed glyphs whose bytes run from bit 0.
int layoutScanItems();

// The distance in bits that item looks at.
int layoutScanLag(int item);

constexpr int layoutWindowBytes = 64;

// What the items share, made once: which 64-byte windows may hold glyphs at
// all (not text, not fill), how often neighbouring bits agree in each and
// their set bits, which groups of windows may hold glyphs, and the image as
// 64-bit words, most significant bit first, in the bytes' own bit order and
// reversed.
struct LayoutScanPrep {
    std::vector<uint8_t> plausible;
    std::vector<uint16_t> nextInter, nextUni, ones;
    std::vector<uint8_t> groupMayHoldGlyphs; // for the group of windows from each window on
    std::vector<uint8_t> inGlyphGroup;       // some group holding the window may hold glyphs
    std::vector<int32_t> groupNextInter, groupNextUni; // nextInter and nextUni summed over each group
    std::vector<uint64_t> words, reversedWords;
};
LayoutScanPrep prepareLayoutScan(std::span<const uint8_t> image);

// A stretch of the image whose bits agree lag bits apart as glyphs' do.
struct LayoutRegion {
    int64_t from = 0;
    int64_t to = 0;
    int lag = 8;
    bool reversedBits = false; // packed glyphs whose bytes run from bit 0
    double strength = 0;       // how many times more often than at random
    bool faint = false;        // its bits agree less both ways, as in dense bold fonts
    bool bySteps = false;      // found by the places of a small cell, not by agreement
};

// The first pass of item: where the image's bits agree at its lag.
// blockDone is called after every megabyte; it returns true to stop.
std::vector<LayoutRegion> findLayoutRegions(std::span<const uint8_t> image, const LayoutScanPrep &prep, int item,
                                            const std::function<bool()> &blockDone);

// The regions worth judging: at each place of the image the few lags whose
// bits agree most (a font's rows agree at several lags, its own the most).
std::vector<LayoutRegion> strongestRegions(std::vector<LayoutRegion> regions);

// The second pass: the font a region holds, if any, with its format, ends and score.
std::vector<FontCandidate> judgeLayoutRegion(std::span<const uint8_t> image, const LayoutRegion &region, const FontScanOptions &options);

// The score of the table of count glyphs at start in format (a layout
// without widths), as the scan computes it.
FontCandidate scoreLayoutTable(std::span<const uint8_t> image, int64_t start, int64_t count, const FontFormat &format);

} // namespace velmora
