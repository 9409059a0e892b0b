#include "app/main_window.h"

#include <new>

#include <QAbstractItemView>
#include <QAction>
#include <QCompleter>
#include <QFileDialog>
#include <QLayout>
#include <QScreen>
#include <QShowEvent>

#include "app/about_box.h"
#include "app/error_box.h"
#include "app/shortcut_filter.h"
#include "app/undo_layer.h"
#include "model/errors.h"

namespace velmora {

namespace {

constexpr int clientWidth = 780;
constexpr int clientHeight = 388;

} // namespace

bool Editor::autoWrite() const { return ui.AWrite && ui.AWrite->isChecked(); }
bool Editor::zoomed() const { return ui.Zoom && ui.Zoom->isChecked(); }

TForm1::TForm1(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    editor_.ui.Form1 = this;
    // Small type, so that eight hex digits fit the 64-pixel address fields.
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    editor_.runDialog = [](QFileDialog &dialog) {
        const bool confirmed = dialog.exec() == QDialog::Accepted;
        // A name typed and confirmed quickly can leave the name completer's
        // list open after the dialog has closed.
        for (QCompleter *completer : dialog.findChildren<QCompleter *>())
            if (completer->popup())
                completer->popup()->hide();
        return confirmed;
    };

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(clientWidth, clientHeight);
    setCentralWidget(client);

    buildToolBarAndMenus();
    buildNavigation(client);
    buildPanel2(client);
    buildOverviewPanel(client);
    buildFormatControls(client);
    buildBlockBar(client);
    buildDialogs();

    auto *about = new TAboutBox(this);
    editor_.ui.AboutBox = about;
    shortcuts_->watchWindow(about);

    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void TForm1::run(const std::function<void(Editor &)> &handler)
{
    try {
        handler(editor_);
    } catch (const EditorError &error) {
        showErrorBox(this, error.what());
    } catch (const std::bad_alloc &) {
        showErrorBox(this, "Out of memory");
    } catch (const std::exception &error) {
        // Anything else unforeseen still ends only the handler, never the program.
        showErrorBox(this, error.what());
    }
    if (undo_)
        undo_->sync();
}

void TForm1::btExitClick()
{
    close();
}

void TForm1::AboutClick()
{
    editor_.ui.AboutBox->show();
    editor_.ui.AboutBox->raise();
    editor_.ui.AboutBox->activateWindow();
}

void TForm1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        if (const QScreen *display = screen())
            move(display->availableGeometry().center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
        FormShow();
    }
}

} // namespace velmora
