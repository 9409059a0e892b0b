#pragma once

namespace velmora {

struct Editor;

void BLDefault(Editor &editor);     // block := whole image
void BLStCopy(Editor &editor);      // block start := G
void BLEndCopy(Editor &editor);     // block end := last byte of the character at G
void BStartKeyPress(Editor &editor); // Enter in the block start field
void BEndKeyPress(Editor &editor);   // Enter in the block end field

} // namespace velmora
