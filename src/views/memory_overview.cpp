#include "views/memory_overview.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include <QImage>

#include "layout/glyph_layout.h"
#include "model/format.h"
#include "views/canvas_pixels.h"
#include "views/edit_grid.h"
#include "views/editor.h"
#include "views/refresh.h"

namespace velmora {

namespace {

constexpr int cellPitch = 33;
constexpr int cellColumns = 4;
constexpr int cellRows = 8;
constexpr int thumbnailSize = 16;
// Glyphs of the other layouts up to 32 x 32 fill a cell's inside at zoom 1.
constexpr int largeThumbnailSize = 32;
// Presses beyond these fall on the right or bottom border line.
constexpr int lastPressX = cellColumns * cellPitch - 1;
constexpr int lastPressY = cellRows * cellPitch - 1;

// The overview colour mode of the byte at offset: past the image end 1,
// inside the block 2 (the block wins), else 0.
uint8_t colourModeAt(const ThumbnailSource &t, int64_t offset)
{
    uint8_t mode = 0;
    if (offset >= static_cast<int64_t>(t.bytes.size()))
        mode = 1;
    if (t.blockStart <= offset && offset <= t.blockEnd)
        mode = 2;
    return mode;
}

// Reads outside the bytes give 0, as ImageBuffer's do.
uint32_t byteAt(const ThumbnailSource &t, int64_t offset)
{
    return offset >= 0 && offset < static_cast<int64_t>(t.bytes.size()) ? t.bytes[static_cast<size_t>(offset)] : 0;
}

// Writes count bits, most significant first, as thumbnail row y coloured by
// the byte at offset. The colours come from the colour mode set in colours.
void drawThumbnailRow(const pixels::Rows &thumbnail, int y, uint32_t bits, int count, const ThumbnailSource &t,
                      EditorState &colours, int64_t offset)
{
    colours.overviewColourMode = colourModeAt(t, offset);
    const QRgb ink = toRgb(thumbColour(colours, 1));
    const QRgb background = toRgb(thumbColour(colours, 0));
    QRgb *line = thumbnail[y];
    for (int x = 0; x < count; ++x)
        line[x] = (bits >> (count - 1 - x)) & 1 ? ink : background;
}

// One character into the thumbnail, with the bit mapping of the glyph codec.
// Bytes at or past the image end read as 0.
void drawThumbnail(const pixels::Rows &thumbnail, const ThumbnailSource &t, EditorState &colours, int64_t p)
{
    const int width = std::min(t.width, thumbnailSize);
    const int height = std::min(t.height, thumbnailSize);
    const int b = t.width / 8;
    const uint32_t widthByte = byteAt(t, p);

    const uint32_t shownWidth = t.hideWidthBytes ? 0 : widthByte;
    drawThumbnailRow(thumbnail, 0, shownWidth << (width - 8), width, t, colours, p);

    // "True Char Image" keeps only the columns left of the stored width.
    uint32_t keep = (1u << width) - 1;
    if (t.trueCharImage && widthByte < static_cast<uint32_t>(width))
        keep &= ~((1u << (width - widthByte)) - 1);

    for (int r = 1; r < height; ++r) {
        const int64_t q = p + 1 + int64_t{r - 1} * b;
        uint32_t bits = byteAt(t, q);
        if (b > 1) {
            const uint32_t next = byteAt(t, q + 1);
            bits = t.swapBytes ? (next << 8 | bits) : (bits << 8 | next);
        }
        drawThumbnailRow(thumbnail, r, bits & keep, width, t, colours, q);
    }
}

// One glyph of a layout other than the width-byte one, levels as greys
// between the background and black; its first byte chooses the colours.
void drawLayoutThumbnail(const pixels::Rows &thumbnail, const ThumbnailSource &t, EditorState &colours, int64_t p)
{
    const GlyphFormat &f = t.format;
    std::array<uint8_t, 32 * 32> levels{};
    decodePixels(t.bytes, p, f, levels.data());
    colours.overviewColourMode = colourModeAt(t, p);
    const Colour background = thumbColour(colours, 0);
    const int max = f.maxLevel();
    std::array<QRgb, 16> shades{};
    for (int level = 0; level <= max; ++level)
        shades[static_cast<size_t>(level)] = toRgb(blendLevel(background, colours::black, level, max));
    for (int y = 0; y < f.height; ++y) {
        QRgb *line = thumbnail[y];
        for (int x = 0; x < f.width; ++x)
            line[x] = shades[levels[static_cast<size_t>(y * f.width + x)]];
    }
}

void drawAnyThumbnail(const pixels::Rows &thumbnail, const ThumbnailSource &t, EditorState &colours, int64_t p)
{
    if (t.format.widthByte())
        drawThumbnail(thumbnail, t, colours, p);
    else
        drawLayoutThumbnail(thumbnail, t, colours, p);
}

// Each thumbnail pixel becomes a zoom x zoom block, without smoothing.
// The caller keeps the block inside the canvas. The zoom is a template
// argument so that the inner loop has a fixed length: every re-read copies
// 32 thumbnails.
template <int zoom> void copyScaledBy(const pixels::Rows &thumbnail, const pixels::Rows &canvas, int left, int top, int size)
{
    for (int ty = 0; ty < size; ++ty) {
        const QRgb *source = thumbnail[ty];
        QRgb *first = canvas[top + ty * zoom] + left;
        for (int tx = 0; tx < size; ++tx)
            for (int dx = 0; dx < zoom; ++dx)
                first[tx * zoom + dx] = source[tx];
        for (int dy = 1; dy < zoom; ++dy)
            std::copy(first, first + size * zoom, canvas[top + ty * zoom + dy] + left);
    }
}

void copyScaled(const pixels::Rows &thumbnail, const pixels::Rows &canvas, int left, int top, int zoom, int size)
{
    if (zoom == 2)
        copyScaledBy<2>(thumbnail, canvas, left, top, size);
    else
        copyScaledBy<1>(thumbnail, canvas, left, top, size);
}

// True when a byte of the character at p differs from the reference. Bytes
// past the shorter of image and reference differ; bytes past both do not.
bool differsFromReference(const EditorState &s, int64_t p)
{
    const std::vector<uint8_t> &reference = *s.reference.bytes;
    const ImageBytes image = s.image.bytes();
    const auto common = static_cast<int64_t>(std::min(reference.size(), image.size()));
    const auto longer = static_cast<int64_t>(std::max(reference.size(), image.size()));
    const int64_t first = std::max<int64_t>(p, 0);
    const int64_t last = std::min<int64_t>(p + footprint(s), longer);
    if (first >= last)
        return false;
    return last > common || !std::equal(image.begin() + first, image.begin() + last, reference.begin() + first);
}

// A small orange corner at the top right of the cell's inside. Ink pixels
// stay black on it, so the glyph remains readable where they meet.
void drawChangeMark(const pixels::Rows &canvas, int left, int top)
{
    constexpr int size = 7;
    const QRgb mark = toRgb(colours::changeMark);
    const QRgb ink = toRgb(colours::black);
    const int right = left + cellPitch - 2;
    for (int dy = 0; dy < size; ++dy) {
        QRgb *line = canvas[top + dy];
        for (int x = right - (size - 1 - dy); x <= right; ++x)
            if (line[x] != ink)
                line[x] = mark;
    }
}

// The side of the thumbnail a format needs: 16, or 32 for larger glyphs.
int thumbnailSide(const GlyphFormat &f)
{
    return f.widthByte() || (f.width <= thumbnailSize && f.height <= thumbnailSize) ? thumbnailSize : largeThumbnailSize;
}

void ensureThumbnail(QImage &thumbnail, int side)
{
    if (thumbnail.size() != QSize(side, side) || thumbnail.depth() != 32)
        thumbnail = QImage(side, side, QImage::Format_RGB32);
}

bool drawable(const ThumbnailSource &t)
{
    if (t.format.widthByte())
        return isValidFormat(t.width, t.height);
    return t.format.width >= 1 && t.format.width <= 32 && t.format.height >= 1 && t.format.height <= 32;
}

} // namespace

void drawOverview(QImage &canvas, QImage &thumbnail, EditorState &s, int zoom)
{
    const ThumbnailSource source = ThumbnailSource::of(s);
    const int side = thumbnailSide(source.format);
    ensureThumbnail(thumbnail, side);
    // Once per call: every character draws the same area, the rest stays silver.
    thumbnail.fill(toRgb(colours::silver));
    // Thumbnails fill at most the inside of a cell; a canvas too small for
    // the lattice gets none.
    zoom = std::clamp(zoom, 1, (cellPitch - 1) / side);
    if (!isValidFormat(s) || canvas.depth() != 32
        || canvas.width() < cellColumns * cellPitch || canvas.height() < cellRows * cellPitch)
        return;
    const pixels::Rows thumbnailRows(thumbnail);
    const pixels::Rows canvasRows(canvas);
    const int stride = thumbnailStride(s);
    for (int i = 0; i < cellColumns; ++i) {
        for (int j = 0; j < cellRows; ++j) {
            const int k = cellRows * i + j;
            const int64_t p = int64_t{s.viewOffset} + int64_t{k} * stride;
            drawAnyThumbnail(thumbnailRows, source, s, p);
            copyScaled(thumbnailRows, canvasRows, cellPitch * i + 1, cellPitch * j + 1, zoom, side);
            if (s.reference.bytes && differsFromReference(s, p))
                drawChangeMark(canvasRows, cellPitch * i + 1, cellPitch * j + 1);
        }
    }
}

ThumbnailSource ThumbnailSource::of(const EditorState &s)
{
    return {s.image.bytes(),         s.charWidth,   s.charHeight, s.flag(Flag::SwapBytes), s.flag(Flag::HideWidthBytes),
            s.flag(Flag::TrueCharImage), s.blockStart, s.blockEnd,  glyphFormatOf(s)};
}

void drawCharThumbnail(QImage &thumbnail, EditorState &s, int64_t offset)
{
    const ThumbnailSource source = ThumbnailSource::of(s);
    ensureThumbnail(thumbnail, thumbnailSide(source.format));
    thumbnail.fill(toRgb(colours::silver));
    if (drawable(source))
        drawAnyThumbnail(pixels::Rows(thumbnail), source, s, offset);
}

void drawCharThumbnail(QImage &thumbnail, const ThumbnailSource &source, int64_t offset)
{
    ensureThumbnail(thumbnail, thumbnailSide(source.format));
    thumbnail.fill(toRgb(colours::silver));
    EditorState colours; // only its colour mode is used
    if (drawable(source))
        drawAnyThumbnail(pixels::Rows(thumbnail), source, colours, offset);
}

void drawOverview(Editor &e)
{
    drawOverview(e.ui.MemImg->canvas(), e.ui.thumbnail, e.state, e.zoomed() ? 2 : 1);
    e.ui.MemImg->update();
}

void drawOverviewLattice(QImage &canvas, int selectedCell)
{
    const QRgb grey = toRgb(colours::grey);
    for (int i = 0; i <= cellColumns; ++i)
        pixels::verticalLine(canvas, cellPitch * i, 0, lastPressY, grey);
    for (int j = 0; j <= cellRows; ++j)
        pixels::horizontalLine(canvas, 0, lastPressX, cellPitch * j, grey);

    // The frame lies on the four lattice lines around the cell.
    const int left = cellPitch * (selectedCell / cellRows);
    const int top = cellPitch * (selectedCell % cellRows);
    pixels::frameRect(canvas, left, top, left + cellPitch, top + cellPitch, toRgb(colours::red));
}

void selectFirstChar(Editor &e)
{
    drawOverviewLattice(e.ui.MemImg->canvas(), 0);
    e.ui.MemImg->update();
    e.state.glyphOffset = e.state.viewOffset;
}

void Naviscope(Editor &e, Qt::MouseButton button, int x, int y)
{
    // Presses reach here only over MemImg, but a negative position would
    // divide into a cell of another column; such a press selects nothing.
    if (x < 0 || y < 0 || x > lastPressX || y > lastPressY)
        return;
    EditorState &s = e.state;
    const int k = (x / cellPitch) * cellRows + y / cellPitch;
    const int64_t o = int64_t{s.viewOffset} + int64_t{k} * charStep(s);
    // Past 2^31 - 1 no glyph offset can name the cell (it lies past any image end).
    if (o > INT32_MAX)
        return;
    int framed = k;
    if (button == Qt::RightButton) {
        // The page starting at o must fit inside the image.
        if (o + pageStep(s) > s.imageLength())
            return;
        s.viewOffset = static_cast<int32_t>(o);
        framed = 0;
    }
    // A character at or past the image end may be selected: the codec reads
    // missing bytes as 0 and drops writes outside the image.
    s.glyphOffset = static_cast<int32_t>(o);
    drawOverviewLattice(e.ui.MemImg->canvas(), framed);
    drawGridFrame(e);
    readAtOffset(e);
}

void ZoomClick(Editor &e)
{
    // A smaller thumbnail must not leave parts of the larger one behind.
    e.ui.MemImg->canvas().fill(toRgb(colours::silver));
    selectFirstChar(e);
    readAtOffset(e);
}

} // namespace velmora
