#include "views/glyph_commands.h"

#include "app/editor.h"

namespace velmora {

// TODO(glyph operations)
void MR(Editor &, int) {}
void btClearClick(Editor &) {}
void ClikCopy(Editor &) {}
void btPasteClick(Editor &) {}
void btReadClick(Editor &) {}
void btWriteClick(Editor &) {}
void TrueCharMap1Click(Editor &) {}

} // namespace velmora
