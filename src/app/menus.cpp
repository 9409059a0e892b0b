#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QToolBar>

#include "app/shortcut_filter.h"
#include "app/toolbar_icons.h"
#include "app/undo_layer.h"
#include "app/widget_factory.h"
#include "characters/char_map_commands.h"
#include "characters/text_preview_dialog.h"
#include "editing/glyph_commands.h"
#include "exchange/font_import_dialog.h"
#include "exchange/png_exchange.h"
#include "files/image_files.h"
#include "finder/find_fonts_dialog.h"
#include "fontout/font_export_commands.h"
#include "navigation/offset_navigation.h"
#include "patch/compare_commands.h"
#include "patch/patch_commands.h"
#include "presets/preset_buttons.h"
#include "recovery/recover_dialog.h"
#include "recovery/recovery_commands.h"
#include "views/memory_overview.h"

namespace velmora {

void TForm1::buildToolBarAndMenus()
{
    Controls &ui = editor_.ui;
    undo_ = new UndoLayer(*this);
    // An edit runs as one undo step named as its menu text; other handlers run plainly.
    auto handler = [this](void (*fn)(Editor &), const char *step) {
        return [this, fn, step] {
            if (step)
                undo_->step(step, fn);
            else
                run(fn);
        };
    };

    // Menu items and tool buttons are separate actions running the same handler.
    auto *mnNew = action(this, "mnNew", "New", {}, QKeySequence(Qt::CTRL | Qt::Key_N));
    auto *open = action(this, "Open", "Open", {}, QKeySequence(Qt::CTRL | Qt::Key_O));
    auto *merge = action(this, "Open1", "Merge", {}, QKeySequence(Qt::CTRL | Qt::Key_M));
    auto *save = action(this, "Save", "Save", {}, QKeySequence(Qt::CTRL | Qt::Key_S));
    auto *saveBlock = action(this, "Saveblock1", "Save block");
    auto *exportPage = action(this, "ExportPagePng1", "Page as PNG...");
    auto *exportBlock = action(this, "ExportBlockPng1", "Block as PNG...");
    auto *exportBdf = action(this, "ExportBdf1", "Font as BDF...");
    auto *exportPsf = action(this, "ExportPsf1", "Font as PSF2...");
    auto *exportC = action(this, "ExportC1", "Font as C source...");
    auto *importPng = action(this, "ImportPng1", "Glyphs from PNG...");
    auto *importFont = action(this, "ImportFont1", "Glyphs from font...");
    auto *compare = action(this, "Compare1", "Compare with...");
    auto *compareOff = action(this, "CompareOff1", "Stop comparing");
    auto *savePatch = action(this, "SavePatch1", "Save patch...");
    auto *applyPatch = action(this, "ApplyPatch1", "Apply patch...");
    auto *nextChange = action(this, "NextChange1", "Next change", {}, QKeySequence(Qt::Key_F3));
    auto *prevChange = action(this, "PrevChange1", "Previous change", {}, QKeySequence(Qt::SHIFT | Qt::Key_F3));
    for (QAction *a : {compareOff, nextChange, prevChange})
        a->setEnabled(false); // until an image is compared with
    auto *recover = action(this, "Recover1", "Recover unsaved changes...");
    auto *pluginLoad = action(this, "PLoad", "Load");
    auto *exitItem = action(this, "Exit1", "Exit", {}, QKeySequence(Qt::ALT | Qt::Key_F4));
    auto *undo = action(this, "Undo1", "Undo", {}, QKeySequence(Qt::CTRL | Qt::Key_Z));
    auto *redo = action(this, "Redo1", "Redo", {}, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    auto *copy = action(this, "Copy1", "Copy", {}, QKeySequence(Qt::Key_C));
    auto *paste = action(this, "Paste1", "Paste", {}, QKeySequence(Qt::Key_V));
    auto *clear = action(this, "Clear1", "Clear", {}, QKeySequence(Qt::Key_X));
    auto *read = action(this, "Read1", "Read", {}, QKeySequence(Qt::Key_R));
    auto *write = action(this, "Write1", "Write", {}, QKeySequence(Qt::Key_W));
    auto *minus1 = action(this, "decr11", "- 1", {}, QKeySequence(Qt::Key_Insert));
    auto *minusChar = action(this, "decr21", "- char", {}, QKeySequence(Qt::Key_Home));
    auto *minusPage = action(this, "inc21", "- page", {}, QKeySequence(Qt::Key_PageUp));
    auto *plus1 = action(this, "incchar1", "+ 1", {}, QKeySequence(Qt::Key_Delete));
    auto *plusChar = action(this, "incpage1", "+ char", {}, QKeySequence(Qt::Key_End));
    auto *plusPage = action(this, "decpage1", "+ page", {}, QKeySequence(Qt::Key_PageDown));
    auto *trueCharMap = action(this, "TrueCharMap1", "True Char Map");
    auto *findFonts = action(this, "FindFonts1", "Find fonts...", {}, QKeySequence(Qt::CTRL | Qt::Key_F));
    auto *textPreview = action(this, "TextPreview1", "Text preview...", {}, QKeySequence(Qt::CTRL | Qt::Key_T));
    auto *autoWrite = action(this, "AWrite", "AutoWrite");
    auto *zoom = action(this, "Zoom", "Zoom x2");
    auto *sizePrefix = action(this, "SZpref", "Size prefix");
    auto *addrPrefix = action(this, "AdPref", "Addr prefix");
    auto *about = action(this, "About", "About", {}, QKeySequence(Qt::Key_F2));
    for (QAction *option : {autoWrite, zoom, sizePrefix, addrPrefix})
        option->setCheckable(true);
    zoom->setChecked(true);
    sizePrefix->setChecked(true);
    paste->setEnabled(false);

    auto *btNew = action(this, "btNew", "New", "New");
    auto *btOpen = action(this, "btOpen", "Open", "Open");
    auto *btMerge = action(this, "btMerge", "Merge", "Merge");
    auto *btSave = action(this, "btSave", "Save", "Save");
    auto *tbClear = action(this, "tbClear", "Clear", "Clear char image");
    auto *tbCopy = action(this, "tbCopy", "Copy", "Copy char image");
    auto *tbPaste = action(this, "tbPaste", "Paste", "Paste char image");
    auto *tbRead = action(this, "tb", "Read", "Read char image from memory");
    auto *tbWrite = action(this, "ToolButton3", "Write", "Write char image to memory");
    auto *tbUndo = action(this, "tbUndo", "Undo", "Undo the last edit");
    auto *tbRedo = action(this, "tbRedo", "Redo", "Redo the edit undone last");
    tbPaste->setEnabled(false);

    ui.AWrite = autoWrite;
    ui.Zoom = zoom;
    ui.SZpref = sizePrefix;
    ui.AdPref = addrPrefix;
    ui.Paste1 = paste;
    ui.tbPaste = tbPaste;

    struct Wiring {
        QList<QAction *> actions;
        void (*fn)(Editor &);
        const char *step = nullptr;
    };
    const Wiring wiring[] = {
        {{mnNew, btNew}, NewFile},
        {{open, btOpen}, OpenClick},
        {{merge, btMerge}, MergeIn, "Merge"},
        {{save, btSave}, btSaveClick},
        {{saveBlock}, SaveBlock},
        {{exportPage}, ExportPagePng1Click},
        {{exportBlock}, ExportBlockPng1Click},
        {{exportBdf}, ExportBdf1Click},
        {{exportPsf}, ExportPsf1Click},
        {{exportC}, ExportC1Click},
        {{importPng}, ImportPng1Click, "Import PNG"},
        {{copy, tbCopy}, ClikCopy},
        {{paste, tbPaste}, btPasteClick, "Paste"},
        {{clear, tbClear}, btClearClick, "Clear"},
        {{read, tbRead}, btReadClick},
        {{write, tbWrite}, btWriteClick, "Write"},
        {{minus1}, bt1bmClick},
        {{minusChar}, btb0dmClick},
        {{minusPage}, btbpmClick},
        {{plus1}, btb1pClick},
        {{plusChar}, btb0dpClick},
        {{plusPage}, btbppClick},
        {{trueCharMap}, TrueCharMap1Click, "True Char Map"},
        {{pluginLoad}, PLoadClick},
        {{zoom}, ZoomClick},
        {{compare}, Compare1Click},
        {{compareOff}, CompareOff1Click},
        {{savePatch}, SavePatch1Click},
        {{applyPatch}, ApplyPatch1Click, "Apply patch"},
        {{nextChange}, NextChange1Click},
        {{prevChange}, PrevChange1Click},
    };
    editor_.refreshObservers.push_back(showCompareStatus);
    for (const Wiring &w : wiring)
        for (QAction *a : w.actions)
            connect(a, &QAction::triggered, this, handler(w.fn, w.step));
    for (QAction *a : {undo, tbUndo}) {
        connect(a, &QAction::triggered, undo_, &UndoLayer::undo);
        undo_->followUndo(a);
    }
    for (QAction *a : {redo, tbRedo}) {
        connect(a, &QAction::triggered, undo_, &UndoLayer::redo);
        undo_->followRedo(a);
    }
    connect(exitItem, &QAction::triggered, this, &TForm1::btExitClick);
    connect(about, &QAction::triggered, this, &TForm1::AboutClick);
    connect(importFont, &QAction::triggered, this, [this] { run(ImportFont1Click); });
    connect(findFonts, &QAction::triggered, this, [this] { run(FindFontsClick); });
    connect(textPreview, &QAction::triggered, this, [this] { run(TextPreview1Click); });
    CharMapStore::of(editor_); // reads the character maps of every image opened from now on
    // Unsaved changes are kept after every step, undo and redo, and on New, Open and Save.
    recovery_ = new RecoveryKeeper(editor_, this);
    connect(&undo_->stack(), &QUndoStack::indexChanged, recovery_, &RecoveryKeeper::editStepDone);
    editor_.imageFileEvent = [this](Editor &, ImageFileEvent event, const std::string &path) {
        recovery_->fileEvent(event, path);
    };
    connect(recover, &QAction::triggered, this, [this] {
        run([this](Editor &e) { Recover1Click(e, recovery_->folder()); });
    });
    // Above the client area, so that the window grows while it shows and covers no control.
    recoveryNotice_ = new RecoveryNotice(this, editor_, recovery_->folder());
    addToolBar(Qt::TopToolBarArea, recoveryNotice_);
    recoveryNotice_->hide();

    auto *menus = menuBar();
    menus->setObjectName(QStringLiteral("MainMenu1"));
    QMenu *file = menus->addMenu(QStringLiteral("File"));
    file->addActions({mnNew, open, merge, save, saveBlock});
    file->addSeparator();
    file->addActions({compare, compareOff, savePatch, applyPatch});
    QMenu *importMenu = file->addMenu(QStringLiteral("Import"));
    importMenu->setObjectName(QStringLiteral("Import1"));
    importMenu->addActions({importPng, importFont});
    QMenu *exportMenu = file->addMenu(QStringLiteral("Export"));
    exportMenu->setObjectName(QStringLiteral("Export1"));
    exportMenu->addActions({exportPage, exportBlock});
    exportMenu->addSeparator();
    exportMenu->addActions({exportBdf, exportPsf, exportC});
    QMenu *plugins = file->addMenu(QStringLiteral("Plugins"));
    plugins->setObjectName(QStringLiteral("Plugins1"));
    plugins->addAction(pluginLoad);
    file->addAction(recover);
    file->addSeparator()->setObjectName(QStringLiteral("Np"));
    file->addAction(exitItem);
    QMenu *edit = menus->addMenu(QStringLiteral("Edit"));
    edit->addActions({undo, redo});
    edit->addSeparator();
    edit->addActions({copy, paste, clear});
    edit->addSeparator()->setObjectName(QStringLiteral("Nl"));
    edit->addActions({read, write});
    QMenu *navigation = menus->addMenu(QStringLiteral("Navigation"));
    navigation->setObjectName(QStringLiteral("Navigate1"));
    navigation->addActions({minus1, minusChar, minusPage});
    navigation->addSeparator(); // the second column of the menu
    navigation->addActions({plus1, plusChar, plusPage, nextChange, prevChange});
    QMenu *operations = menus->addMenu(QStringLiteral("Operations"));
    operations->addActions({trueCharMap, findFonts, textPreview});
    QMenu *options = menus->addMenu(QStringLiteral("Options"));
    options->addActions({autoWrite, zoom, sizePrefix, addrPrefix});
    menus->addAction(about);

    auto *toolBar = new QToolBar(centralWidget());
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    toolBar->setGeometry(0, 0, 777, 36);
    toolBar->setIconSize(QSize(18, 18));
    toolBar->setMovable(false);
    const QList<QAction *> tools = {btNew, btOpen, btMerge, btSave, tbClear, tbCopy,
                                    tbPaste, tbRead, tbWrite, tbUndo, tbRedo};
    for (int i = 0; i < tools.size(); ++i) {
        tools[i]->setIcon(toolBarIcon(i));
        if (i == 4 || i == 7 || i == 9)
            toolBar->addSeparator();
        toolBar->addAction(tools[i]);
        if (QWidget *w = toolBar->widgetForAction(tools[i])) {
            w->setObjectName(tools[i]->objectName());
            w->setFixedSize(25, 24);
        }
    }

    QList<QAction *> shortcutActions;
    for (QAction *a : findChildren<QAction *>())
        if (!a->shortcuts().isEmpty())
            shortcutActions.append(a);
    shortcuts_ = new ShortcutFilter(shortcutActions, this);
    shortcuts_->watchWindow(this);
    qApp->installEventFilter(shortcuts_);
}

} // namespace velmora
