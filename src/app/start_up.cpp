#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMouseEvent>

#include "app/main_window.h"
#include "app/reset_editor.h"
#include "files/image_files.h"
#include "presets/preset_buttons.h"

namespace velmora {

void TForm1::FormShow()
{
    run([](Editor &e) {
        // The program directory is the working directory, not the program file's.
        e.state.programDirectory = QDir::currentPath().toStdString();
        e.ui.OVLP->setDirectory(QDir(QString::fromStdString(e.state.programDirectory)).filePath("plugins"));
        e.ui.thumbnail = QImage(16, 16, QImage::Format_RGB32);
        resetEditor(e);
        searchSettings(e);
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
