#pragma once
#include <cstdint>
#include <vector>

#include <QImage>

#include "exchange/glyph_sheet.h"

// PNG sheets of characters, without any window: the export and import the
// File menu runs, and the command line runs too.
namespace velmora {

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

// "W x H", as the sheet messages name cells.
QString cellText(int width, int height);

// Refuses a sheet of no character or of more than a sheet holds.
void checkSheetCount(const EditorState &state, int64_t offset, int64_t count);
// The PNG file of the count characters from offset, in the state's format.
QByteArray sheetPng(EditorState &state, int64_t offset, int count);
// The sheet picture in a file's bytes; path names the file in the refusal.
QImage sheetFromFileBytes(const std::vector<uint8_t> &bytes, const QString &path);
// Writes a sheet's characters from offset on, in the state's format, through
// the image's one write path; width bytes come from the sheet unless "ACW
// calculation" is checked or the sheet has none. Returns the count written.
int writeSheet(EditorState &state, int64_t offset, const QImage &sheet);

} // namespace velmora
