#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "layout/glyph_format.h"

namespace velmora {

// A character format as the finder reports it. The width-byte scan tries W
// 8 or 16, H 2..16 and the two flags of W = 16; the layout scan tries the
// 1-bit layouts without widths.
using FontFormat = GlyphFormat;

// Distance from one character to the next. The width-byte layout's is
// worked out here, as the scan's inner loops ask for it per character.
inline int fontCharStep(const FontFormat &format)
{
    if (format.widthByte())
        return (format.width >> 3) * format.height + (format.width == 16 && format.spare ? 1 : 0);
    return format.step();
}
// Every format the scan tries: 8 x 2..16, and 16 x 2..16 with and without
// each of the two flags.
std::vector<FontFormat> allFontFormats();

// The rows of the character at offset as the glyph codec decodes them:
// row 0 the width byte's bits (W bits, most significant first), rows 1 to
// H - 1 the pixel rows, column 0 in the most significant of W bits. Bytes
// outside the image read as 0.
std::array<uint16_t, 17> glyphRows(std::span<const uint8_t> image, int64_t offset, const FontFormat &format);

// True when the character at offset looks like a glyph: it lies inside the
// image, its width byte is 1 to W, and no pixel right of that width is set.
bool looksLikeGlyph(std::span<const uint8_t> image, int64_t offset, const FontFormat &format);

// One table of characters found in the image.
struct FontCandidate {
    int64_t start = 0; // width byte of the first character
    FontFormat format;
    int64_t count = 0;      // characters from the first to the last consistent one
    int64_t consistent = 0; // characters among them that look like glyphs
    int64_t distinct = 0;   // different glyphs among the consistent ones (of those scored)
    bool hasBlank = false;  // a consistent glyph without any set pixel (a space)
    double score = 0;
    // What tells glyphs from data (see docs/font-finder.md), over the scored characters.
    double pixelEntropy = 0; // bits per pixel inside the widths, given the left and upper neighbours
    double fieldShare = 0;   // the largest share of characters holding one non-zero byte at one place
    double edgeInkShare = 0; // share of inked characters whose ink reaches the last column of their width
    double widthSlack = 0;   // mean columns between the ink and the width, over inked characters
    bool fixedWidth = false; // every character has the same width byte
    double strokeShare = 0;  // share of a pixel's uncertainty in its row that its left and upper neighbours explain
    double piecesPerGlyph = 0; // layouts without widths: pieces of ink (8-connected) per inked glyph

    int64_t end() const { return start + count * fontCharStep(format); } // one past the table
};

struct FontScanOptions {
    int minChars = 16;      // shorter tables are not reported
    double minScore = 1200; // nor are tables scoring less
    int maxGap = 2;         // inconsistent characters in a row that a table may hold
    int threads = 0;        // 0: one per processor core, at most the work items
    // Also look for fonts in the 1-bit layouts without widths (rows, packed,
    // strips, pages, columns). Slower, and less sure: such glyphs carry no
    // width byte that checks them one by one.
    bool layouts = false;
    // Asked between blocks of work; true stops the scan.
    std::function<bool()> cancelled;
    // Called from the scanning threads with the work done so far out of total.
    std::function<void(int done, int total)> progress;
};

struct FontScanResult {
    std::vector<FontCandidate> candidates; // best first, overlapping tables merged
    bool cancelled = false;
};

// Scans the whole image in every format for tables of glyphs. Reads the
// image only.
FontScanResult scanFonts(std::span<const uint8_t> image, const FontScanOptions &options = {});

// The score of the table of count characters at start (see docs/font-finder.md).
FontCandidate scoreTable(std::span<const uint8_t> image, int64_t start, int64_t count, const FontFormat &format);

} // namespace velmora
