#pragma once

namespace velmora {

struct Editor;

void NewFile(Editor &editor);
void OpenClick(Editor &editor);
void MergeIn(Editor &editor);
void btSaveClick(Editor &editor);
void SaveBlock(Editor &editor);

} // namespace velmora
