#include "app/main_window.h"

#include <new>

#include <QAbstractItemView>
#include <QAction>
#include <QCloseEvent>
#include <QCompleter>
#include <QFileDialog>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>

#include "app/about_box.h"
#include "app/error_box.h"
#include "app/shortcut_filter.h"
#include "app/undo_layer.h"
#include "model/errors.h"
#include "recovery/recovery_commands.h"
#include "views/accessibility.h"
#include "views/canvas_widget.h"
#include "views/hex_entry.h"
#include "views/row_offsets.h"

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
    editor_.run = [this](const std::function<void(Editor &)> &handler) { run(handler); };
    editor_.runStep = [this](const std::string &name, const std::function<void(Editor &)> &handler) {
        undo_->step(name, handler);
    };
    editor_.runDialog = [](QFileDialog &dialog) {
        const bool confirmed = dialog.exec() == QDialog::Accepted;
        // A name typed and confirmed quickly can leave the name completer's
        // list open after the dialog has closed.
        for (QCompleter *completer : dialog.findChildren<QCompleter *>())
            if (completer->popup())
                completer->popup()->hide();
        return confirmed;
    };

    installAccessibility();
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
    // The fixed size from the start, before any native window exists.
    layout()->activate();
    // Equal minimum and maximum sizes tell the window manager that the window
    // cannot be resized, so it offers no maximise button either.
    setFixedSize(sizeHint());
    nameControlsForAssistiveTechnology();
    // The address and width fields change on every re-read and hold only hex
    // digits and dots, which need no shaping (no kerning pairs, no ligatures):
    // laying them out without it halves the cost of their text.
    Controls &ui = editor_.ui;
    for (QWidget *field : std::initializer_list<QWidget *>{ui.MaskEdit1, ui.BStart, ui.BEnd, ui.RCW, ui.CCW, ui.Adrs}) {
        QFont font = field->font();
        font.setStyleStrategy(QFont::PreferNoShaping);
        field->setFont(font);
    }
}

void TForm1::nameControlsForAssistiveTechnology()
{
    Controls &ui = editor_.ui;
    ui.Img->setAccessibleName(QStringLiteral("Edit grid"));
    ui.ImgReel->setAccessibleName(QStringLiteral("Preview"));
    ui.MemImg->setAccessibleName(QStringLiteral("Memory overview"));
    ui.ByteNo->setAccessibleName(QStringLiteral("Row offsets"));
    // A caption of an arrow or a single sign says little when read aloud: the hint says it all.
    for (QPushButton *b : findChildren<QPushButton *>())
        if (b->text().size() <= 1 && !b->toolTip().isEmpty())
            b->setAccessibleName(b->toolTip());
}

void TForm1::run(const std::function<void(Editor &)> &handler)
{
    try {
        handler(editor_);
    } catch (const EditorError &error) {
        report(error.what());
    } catch (const std::bad_alloc &) {
        report("Out of memory");
    } catch (const std::exception &error) {
        // Anything else unforeseen still ends only the handler, never the program.
        report(error.what());
    }
    if (undo_)
        undo_->sync();
}

void TForm1::report(const std::string &message)
{
    if (!deferBoxes_) {
        showErrorBox(this, message);
        return;
    }
    // A modal box opened inside the first show runs its own event loop before
    // the window is on the screen; without a window manager the window could
    // then keep a default size. The box waits until the show has finished.
    QTimer::singleShot(0, this, [this, message] { showErrorBox(this, message); });
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

void TForm1::closeEvent(QCloseEvent *event)
{
    recovery_->keepNow();
    QMainWindow::closeEvent(event);
}

void TForm1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        if (const QScreen *display = screen())
            move(display->availableGeometry().center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
        deferBoxes_ = true;
        FormShow();
        deferBoxes_ = false;
    }
}

} // namespace velmora
