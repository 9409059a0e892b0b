#include "files/image_files.h"

#include "app/editor.h"

namespace velmora {

// TODO(files)
void NewFile(Editor &) {}
void OpenClick(Editor &) {}
void MergeIn(Editor &) {}
void btSaveClick(Editor &) {}
void SaveBlock(Editor &) {}

} // namespace velmora
