#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>

#include "app/main_window.h"
#include "storage/file_access.h"
#include "files/image_files.h"
#include "files/reset_editor.h"
#include "model/errors.h"
#include "model/format.h"
#include "presets/format_controls.h"
#include "presets/preset_buttons.h"
#include "recovery/recover_dialog.h"

namespace velmora {

void TForm1::FormShow()
{
    run([](Editor &e) {
        // The program directory is the working directory, not the program file's.
        e.state.programDirectory = QDir::currentPath().toStdString();
        e.ui.OVLP->setDirectory(pluginFolder(e));
        e.ui.thumbnail = QImage(16, 16, QImage::Format_RGB32);
        resetEditor(e);
        searchSettings(e);
    });
    // Entries left by an earlier session; this one has written none yet.
    recoveryNotice_->showEntries();
    if (!startFile_.isEmpty())
        run([path = QFileInfo(startFile_).absoluteFilePath(), view = startView_](Editor &e) {
            if (!fileExists(path))
                throw FileError(2); // "File not found"
            openPath(e, path);
            if (!view.offset && !view.format)
                return;
            // The page starts at the offset (inside the image); the format applies there.
            if (view.offset && *view.offset < e.state.imageLength())
                e.state.viewOffset = *view.offset;
            applyGlyphFormat(e, view.format.value_or(glyphFormatOf(e.state)));
        });
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    // The label "Block" acts as a button for Save block.
    if (watched == editor_.ui.lbStart && event->type() == QEvent::MouseButtonPress
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        run(SaveBlock);
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace velmora
