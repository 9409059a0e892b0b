#pragma once

class QFileDialog;
class QString;

namespace velmora {

struct Editor;

// The folder the user's files are in: the image's (the file as last opened
// or saved, else the current name's), or the working folder for an image
// that came from no file.
QString imageFolder(const Editor &editor);

// Runs a file dialog for one kind of file ("patch", "sheet", "table",
// "reference") through Editor::runDialog. It starts in the folder of the
// name last confirmed for that kind, else in the image's folder, never in
// whatever folder another dialog visited last (Qt's shared default). The
// confirmed name's folder is kept for the kind. True when a name was confirmed.
bool runFileDialogFor(Editor &editor, QFileDialog &dialog, const char *kind);

} // namespace velmora
