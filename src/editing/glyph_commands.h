#pragma once

namespace velmora {

struct Editor;

void MR(Editor &editor, int direction); // roll buttons btR1..btR4 give 1..4
void btClearClick(Editor &editor);
void ClikCopy(Editor &editor);
void btPasteClick(Editor &editor);
void btReadClick(Editor &editor);
void btWriteClick(Editor &editor);
void TrueCharMap1Click(Editor &editor);

} // namespace velmora
