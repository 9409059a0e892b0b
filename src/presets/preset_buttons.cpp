#include "presets/preset_buttons.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>

#include "app/editor.h"
#include "files/file_access.h"

namespace velmora {

void clearPresets(Editor &e)
{
    for (QPushButton *b : e.ui.presetButtons)
        b->setText(QStringLiteral("-"));
    e.ui.LbNfo->setPalette(QPalette());
    e.ui.LbNfo->setBackgroundRole(QPalette::Button);
}

void searchSettings(Editor &e)
{
    const QString path = QDir(QString::fromStdString(e.state.programDirectory)).filePath(QStringLiteral("velmora.ini"));
    // Reading the entries comes with the presets; a missing file is reported already.
    readWholeFile(path);
}

} // namespace velmora
