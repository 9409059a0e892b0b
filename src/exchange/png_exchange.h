#pragma once
#include <cstdint>

#include <QImage>

#include "exchange/glyph_sheet.h"

namespace velmora {

struct Editor;

// A sheet picture: cells of W x (H - 1) pixels, black ink on white paper,
// grey lines around and between them, and text keys that let it be read
// back exactly (format, flags, first offset, count, width bytes).
QImage sheetImage(const SheetGlyphs &glyphs, const EditorState &state, int64_t offset);

// The characters a sheet picture holds for the current format: a pixel is
// set where its luminance is below half. Width bytes come from the keys when
// present (hasWidths). Throws EditorError when the picture's size does not fit
// the format's cells.
struct SheetRead {
    SheetGlyphs glyphs;
    bool hasWidths = false;
};
SheetRead readSheetImage(const QImage &image, const EditorState &state);

// The PNG file's bytes of a sheet picture, and a sheet picture from them.
QByteArray pngBytes(const QImage &image);
QImage imageFromPng(const QByteArray &bytes);

// File > Export > "Page as PNG...": the 32 characters of the page at V.
void ExportPagePng1Click(Editor &editor);
// File > Export > "Block as PNG...": the characters from block start to block end.
void ExportBlockPng1Click(Editor &editor);
// File > Import > "Glyphs from PNG...": a sheet's characters written from V on.
void ImportPng1Click(Editor &editor);

} // namespace velmora
