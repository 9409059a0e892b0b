#include "views/file_folders.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "views/editor.h"

namespace velmora {

QString imageFolder(const Editor &e)
{
    for (const std::string &path : {e.state.lastFile.path, e.state.fileName}) {
        if (path.empty())
            continue;
        const QFileInfo file(QString::fromStdString(path));
        if (file.absoluteDir().exists())
            return file.absolutePath();
    }
    return QDir::currentPath();
}

bool runFileDialogFor(Editor &e, QFileDialog &dialog, const char *kind)
{
    const auto last = e.lastFolders.find(kind);
    const QString folder = last != e.lastFolders.end() && QFileInfo(QString::fromStdString(last->second)).isDir()
        ? QString::fromStdString(last->second)
        : imageFolder(e);
    dialog.setDirectory(folder);
    if (!e.runDialog(dialog))
        return false;
    const QString chosen = dialog.selectedFiles().value(0);
    if (!chosen.isEmpty())
        e.lastFolders[kind] = QFileInfo(chosen).absolutePath().toStdString();
    return true;
}

} // namespace velmora
