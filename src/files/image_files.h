#pragma once

class QFileDialog;
class QString;

namespace velmora {

struct Editor;

// New: the blank image of ResetEditor, re-read.
void NewFile(Editor &editor);
// Open: the chosen file becomes the image; then the size prefix of the
// current file name applies, also after a cancel or a missing file.
void OpenClick(Editor &editor);
// Opens path as File > Open does, its dialog answered with path: start-up's
// file and a recovered file open this way.
void openPath(Editor &editor, const QString &path);
// Merge: the chosen file's bytes overwrite the image from the view offset;
// what does not fit is left out, the image length never changes.
void MergeIn(Editor &editor);
// Save: the whole image to the chosen file; Open then starts from it.
void btSaveClick(Editor &editor);
// The Save dialog, proposing the name of the image last opened.
QFileDialog &saveDialog(Editor &editor);
// Save block: the block range to a file under a proposed name.
void SaveBlock(Editor &editor);

} // namespace velmora
