#pragma once
#include <cstdint>
#include <span>

#include <Qt>

#include "layout/glyph_format.h"

class QImage;

namespace velmora {

struct Editor;
struct EditorState;

// The 32 thumbnails of the page at V, decoded from the image buffer. While a
// reference is kept, a character whose bytes differ from it gets a mark.
void drawOverview(QImage &canvas, QImage &thumbnail, EditorState &state, int zoom);
void drawOverview(Editor &editor);
// What a thumbnail is drawn from: the bytes, the format, the flags that
// change the drawing and the block range that colours it.
struct ThumbnailSource {
    std::span<const uint8_t> bytes;
    int width = 8;
    int height = 13;
    bool swapBytes = false;
    bool hideWidthBytes = false;
    bool trueCharImage = false;
    int64_t blockStart = 0;
    int64_t blockEnd = -1;
    // The whole format: the layouts other than the width-byte one are drawn from it.
    GlyphFormat format;

    static ThumbnailSource of(const EditorState &state);
};

// One character at offset as an overview cell shows it, into a 16 x 16
// thumbnail, 32 x 32 for larger glyphs (made when it has another size);
// pixels it does not cover are silver.
void drawCharThumbnail(QImage &thumbnail, EditorState &state, int64_t offset);
void drawCharThumbnail(QImage &thumbnail, const ThumbnailSource &source, int64_t offset);
// The grey lattice with the red frame around cell k.
void drawOverviewLattice(QImage &canvas, int selectedCell);
// Frames the first cell and sets G := V. Does not decode.
void selectFirstChar(Editor &editor);

void Naviscope(Editor &editor, Qt::MouseButton button, int x, int y);
// Runs after the check mark of "Zoom x2" has been toggled.
void ZoomClick(Editor &editor);

} // namespace velmora
