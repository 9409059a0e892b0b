#pragma once
#include <QMainWindow>
#include <QString>

#include "views/editor.h"

namespace velmora {

// Shows the window's one tool dialog of type Dialog named name, made on
// first use, above the main window and active.
template <typename Dialog> Dialog *showToolDialog(Editor &editor, const QString &name)
{
    QWidget *window = editor.ui.Form1;
    auto *dialog = window->findChild<Dialog *>(name);
    if (!dialog)
        dialog = new Dialog(window, editor);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return dialog;
}

} // namespace velmora
