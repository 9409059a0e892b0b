#pragma once
#include <cstdint>
#include <functional>
#include <optional>

#include <QMainWindow>

#include "layout/glyph_format.h"
#include "views/editor.h"

namespace velmora {

class RecoveryKeeper;
class RecoveryNotice;
class ShortcutFilter;
class UndoLayer;

// Where the window shows the file it opens at start-up: an offset and a format.
struct StartView {
    std::optional<int32_t> offset;
    std::optional<GlyphFormat> format;
};

// The main window "Form1": builds every named control, wires each to its
// handler, and owns the editor. Handlers run through run(), which shows any
// failure in the error box.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);

    Editor &editor() { return editor_; }
    UndoLayer &undoLayer() { return *undo_; }
    // Runs a handler; a failure ends it and is shown in the error box.
    void run(const std::function<void(Editor &)> &handler);
    // The start-up work done when the window is first shown.
    void FormShow();
    // Names an image that start-up opens as File > Open would, after the settings search.
    void openAfterStartUp(const QString &path, const StartView &view = {})
    {
        startFile_ = path;
        startView_ = view;
    }
    // "Exit": closing the main window ends the program, without questions.
    void btExitClick();
    // Shows the about box, or brings it to the front; it does not block the window.
    void AboutClick();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Closes at once; unsaved changes are kept for recovery first.
    void closeEvent(QCloseEvent *event) override;

private:
    void buildToolBarAndMenus();
    void buildNavigation(QWidget *client);
    void buildPanel2(QWidget *client);
    void buildOverviewPanel(QWidget *client);
    void buildFormatControls(QWidget *client);
    void buildFormatText(QWidget *client);
    void buildBlockBar(QWidget *client);
    void buildDialogs();
    void nameControlsForAssistiveTechnology();

    // Shows a failure's box now, or after the first show when boxes are deferred.
    void report(const std::string &message);

    Editor editor_;
    ShortcutFilter *shortcuts_ = nullptr;
    UndoLayer *undo_ = nullptr;
    RecoveryKeeper *recovery_ = nullptr;
    RecoveryNotice *recoveryNotice_ = nullptr;
    bool shown_ = false;
    QString startFile_;
    StartView startView_;
    bool deferBoxes_ = false;
};

} // namespace velmora
