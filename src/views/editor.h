#pragma once
#include <array>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <QImage>
#include <QString>

#include "model/edit_history.h"
#include "model/editor_state.h"

class QAction;
class QCheckBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QListWidget;
class QMainWindow;
class QPushButton;
class QSpinBox;
class QWidget;

namespace velmora {

class CanvasWidget;
class HexEntry;
class RowOffsets;

// The named controls that the operations read and write. They belong to the
// main window; this is only a directory of them.
struct Controls {
    QMainWindow *Form1 = nullptr;

    // Navigation and refresh
    HexEntry *MaskEdit1 = nullptr;
    RowOffsets *ByteNo = nullptr;
    QLabel *Adrs = nullptr;
    std::array<QPushButton *, 8> stepButtons{}; // bt1bm, btb1p, btb2m, btb2p, btb0dm, btb0dp, btbpm, btbpp

    // Views
    CanvasWidget *Img = nullptr;
    CanvasWidget *ImgReel = nullptr;
    CanvasWidget *MemImg = nullptr;
    QLineEdit *RCW = nullptr;
    QLineEdit *CCW = nullptr;
    QImage thumbnail; // 16 x 16 scratch bitmap of one overview character

    // Glyph operations
    std::array<QPushButton *, 4> rollButtons{}; // btR1..btR4
    QCheckBox *ckCmap = nullptr;

    // Format controls
    QSpinBox *spWidth = nullptr;
    QLineEdit *FormatText = nullptr; // the format string of the current format
    QPushButton *btLayout = nullptr; // its menu picks a layout and options
    QSpinBox *spHeight = nullptr;
    QListWidget *CLB = nullptr;
    std::array<QPushButton *, 6> sizePresets{}; // btMini, BtSub, BtSm, BtNm, BtWd, BtBig

    // Presets and information
    std::array<QPushButton *, 12> presetButtons{}; // bt1..bt12
    QLabel *LbNfo = nullptr;
    QLabel *CompareStatus = nullptr;
    QLabel *Label2 = nullptr;

    // Block bar
    QLabel *lbStart = nullptr;
    HexEntry *BStart = nullptr;
    HexEntry *BEnd = nullptr;
    QPushButton *btBS = nullptr;
    QPushButton *btBE = nullptr;
    QPushButton *btDef = nullptr;

    // Options (check marks of the "Options" menu)
    QAction *AWrite = nullptr;
    QAction *Zoom = nullptr;
    QAction *SZpref = nullptr;
    QAction *AdPref = nullptr;

    // Commands whose enabled state changes
    QAction *Paste1 = nullptr;
    QAction *tbPaste = nullptr;

    // File dialogs
    QFileDialog *OD = nullptr;
    QFileDialog *SD = nullptr;
    QFileDialog *MDl = nullptr;
    QFileDialog *OVLP = nullptr;

    QWidget *AboutBox = nullptr;
};

// What Open, New and Save tell the keeper of unsaved changes: the image is
// about to be replaced (Leaving), now holds a file's bytes as read (Opened;
// an empty path for New's blank image), or was written whole to a file (Saved).
enum class ImageFileEvent { Leaving, Opened, Saved };

// Everything a handler works on: the editor state and the controls showing it.
struct Editor {
    EditorState state;
    // Undo and redo of every edit of the state; cleared when the image is replaced.
    EditHistory history;
    Controls ui;

    // Runs a file dialog modally; true when the user confirmed a name.
    // Tests replace it to answer dialogs without a user.
    std::function<bool(QFileDialog &)> runDialog;
    // Runs a handler as the window runs its own: a failure ends in the error
    // box, and the undo buttons follow. Dialogs outside the window use it.
    std::function<void(const std::function<void(Editor &)> &)> run;
    // Runs a handler as one undoable step of that name, as the window's
    // commands run. Dialogs outside the window use it.
    std::function<void(const std::string &, const std::function<void(Editor &)> &)> runStep;
    // Run after every refresh of the views and after a pixel edit, so that
    // windows outside the main one follow the state without being called by name.
    std::vector<std::function<void(Editor &)>> refreshObservers;
    // While above 0, redrawAll leaves its immediate repaint to the last
    // RepaintHold (views/refresh.h) of the handler.
    int repaintHolds = 0;

    // The folder of the name last confirmed in a file dialog, by kind of file
    // ("patch", "sheet", ...): where that kind's dialogs start (file_folders.h).
    std::map<std::string, std::string> lastFolders;
    // The name the Save dialog is to propose, put into the dialog only when
    // it is next used (saveDialog in files/image_files.h): Open does not pay
    // for a hidden dialog's look-up of the path. Empty once put in.
    QString saveNameToPropose;

    // Told of ImageFileEvents; the window fills it in, it may stay empty.
    std::function<void(Editor &, ImageFileEvent, const std::string &path)> imageFileEvent;

    bool autoWrite() const;
    bool zoomed() const;
};

} // namespace velmora
