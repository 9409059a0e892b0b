#pragma once
#include "exchange/png_sheet.h"

namespace velmora {

struct Editor;

// File > Export > "Page as PNG...": the 32 characters of the page at V.
void ExportPagePng1Click(Editor &editor);
// File > Export > "Block as PNG...": the characters from block start to block end.
void ExportBlockPng1Click(Editor &editor);
// File > Import > "Glyphs from PNG...": a sheet's characters written from V on.
void ImportPng1Click(Editor &editor);

} // namespace velmora
