#include "app/main_window.h"

#include <new>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSpinBox>
#include <QToolBar>

#include "app/about_box.h"
#include "app/error_box.h"
#include "app/reset_editor.h"
#include "app/shortcut_filter.h"
#include "app/toolbar_icons.h"
#include "files/image_files.h"
#include "model/errors.h"
#include "navigation/block_range.h"
#include "navigation/offset_navigation.h"
#include "presets/format_controls.h"
#include "presets/preset_buttons.h"
#include "views/canvas_widget.h"
#include "views/edit_grid.h"
#include "views/glyph_commands.h"
#include "views/hex_entry.h"
#include "views/memory_overview.h"
#include "views/row_offsets.h"

namespace velmora {

namespace {

constexpr int clientWidth = 780;
constexpr int clientHeight = 388;

// A panel coloured through its palette (no style sheet: it would slow the
// painting of every control inside it).
QFrame *panel(const QString &name, QWidget *parent, QRect place, const QColor &colour = {})
{
    auto *w = new QFrame(parent);
    w->setObjectName(name);
    w->setGeometry(place);
    if (colour.isValid()) {
        QPalette p = w->palette();
        p.setColor(QPalette::Window, colour);
        w->setPalette(p);
        w->setAutoFillBackground(true);
    }
    return w;
}

QLabel *label(const QString &name, const QString &text, QWidget *parent, QRect place)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(place);
    return l;
}

QPushButton *button(const QString &name, const QString &caption, const QString &hint, QWidget *parent, QRect place)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setToolTip(hint);
    b->setGeometry(place);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

QAction *action(QObject *parent, const QString &name, const QString &text, const QString &hint = {},
                const QKeySequence &shortcut = {})
{
    auto *a = new QAction(text, parent);
    a->setObjectName(name);
    if (!hint.isEmpty())
        a->setToolTip(hint);
    if (!shortcut.isEmpty()) {
        a->setShortcut(shortcut);
        a->setShortcutContext(Qt::ApplicationShortcut);
    }
    return a;
}

const QColor rangeBackground(0x60, 0x70, 0x80); // 0x807060 as 0x00BBGGRR

// Colours a label through its palette: cheaper to repaint than a style sheet.
void colourLabel(QLabel *l, const QColor &background, const QColor &text, bool bold)
{
    QPalette p = l->palette();
    p.setColor(QPalette::Window, background);
    p.setColor(QPalette::WindowText, text);
    l->setPalette(p);
    l->setAutoFillBackground(true);
    if (bold) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
}

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
    editor_.runDialog = [](QFileDialog &dialog) { return dialog.exec() == QDialog::Accepted; };

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

void TForm1::buildToolBarAndMenus()
{
    Controls &ui = editor_.ui;
    auto handler = [this](void (*fn)(Editor &)) { return [this, fn] { run(fn); }; };

    // Menu items and tool buttons are separate actions running the same handler.
    auto *mnNew = action(this, "mnNew", "New", {}, QKeySequence(Qt::CTRL | Qt::Key_N));
    auto *open = action(this, "Open", "Open", {}, QKeySequence(Qt::CTRL | Qt::Key_O));
    auto *merge = action(this, "Open1", "Merge", {}, QKeySequence(Qt::CTRL | Qt::Key_M));
    auto *save = action(this, "Save", "Save", {}, QKeySequence(Qt::CTRL | Qt::Key_S));
    auto *saveBlock = action(this, "Saveblock1", "Save block");
    auto *pluginLoad = action(this, "PLoad", "Load");
    auto *exitItem = action(this, "Exit1", "Exit", {}, QKeySequence(Qt::ALT | Qt::Key_F4));
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
    tbPaste->setEnabled(false);

    ui.AWrite = autoWrite;
    ui.Zoom = zoom;
    ui.SZpref = sizePrefix;
    ui.AdPref = addrPrefix;
    ui.Paste1 = paste;
    ui.tbPaste = tbPaste;

    const std::pair<QList<QAction *>, void (*)(Editor &)> wiring[] = {
        {{mnNew, btNew}, NewFile},
        {{open, btOpen}, OpenClick},
        {{merge, btMerge}, MergeIn},
        {{save, btSave}, btSaveClick},
        {{saveBlock}, SaveBlock},
        {{copy, tbCopy}, ClikCopy},
        {{paste, tbPaste}, btPasteClick},
        {{clear, tbClear}, btClearClick},
        {{read, tbRead}, btReadClick},
        {{write, tbWrite}, btWriteClick},
        {{minus1}, bt1bmClick},
        {{minusChar}, btb0dmClick},
        {{minusPage}, btbpmClick},
        {{plus1}, btb1pClick},
        {{plusChar}, btb0dpClick},
        {{plusPage}, btbppClick},
        {{trueCharMap}, TrueCharMap1Click},
        {{zoom}, ZoomClick},
    };
    for (const auto &[actions, fn] : wiring)
        for (QAction *a : actions)
            connect(a, &QAction::triggered, this, handler(fn));
    connect(pluginLoad, &QAction::triggered, this, [] {});
    connect(exitItem, &QAction::triggered, this, &QWidget::close);
    connect(about, &QAction::triggered, this, [this] {
        editor_.ui.AboutBox->show();
        editor_.ui.AboutBox->raise();
        editor_.ui.AboutBox->activateWindow();
    });

    auto *menus = menuBar();
    menus->setObjectName(QStringLiteral("MainMenu1"));
    QMenu *file = menus->addMenu(QStringLiteral("File"));
    file->addActions({mnNew, open, merge, save, saveBlock});
    QMenu *plugins = file->addMenu(QStringLiteral("Plugins"));
    plugins->setObjectName(QStringLiteral("Plugins1"));
    plugins->addAction(pluginLoad);
    file->addSeparator()->setObjectName(QStringLiteral("Np"));
    file->addAction(exitItem);
    QMenu *edit = menus->addMenu(QStringLiteral("Edit"));
    edit->addActions({copy, paste, clear});
    edit->addSeparator()->setObjectName(QStringLiteral("Nl"));
    edit->addActions({read, write});
    QMenu *navigation = menus->addMenu(QStringLiteral("Navigation"));
    navigation->setObjectName(QStringLiteral("Navigate1"));
    navigation->addActions({minus1, minusChar, minusPage});
    navigation->addSeparator(); // the second column of the menu
    navigation->addActions({plus1, plusChar, plusPage});
    QMenu *operations = menus->addMenu(QStringLiteral("Operations"));
    operations->addAction(trueCharMap);
    QMenu *options = menus->addMenu(QStringLiteral("Options"));
    options->addActions({autoWrite, zoom, sizePrefix, addrPrefix});
    menus->addAction(about);

    auto *toolBar = new QToolBar(centralWidget());
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    toolBar->setGeometry(0, 0, 777, 36);
    toolBar->setIconSize(QSize(18, 18));
    toolBar->setMovable(false);
    const QList<QAction *> tools = {btNew, btOpen, btMerge, btSave, tbClear, tbCopy, tbPaste, tbRead, tbWrite};
    for (int i = 0; i < tools.size(); ++i) {
        tools[i]->setIcon(toolBarIcon(i));
        if (i == 4 || i == 7)
            toolBar->addSeparator();
        toolBar->addAction(tools[i]);
        if (QWidget *w = toolBar->widgetForAction(tools[i])) {
            w->setObjectName(tools[i]->objectName());
            w->setFixedSize(25, 24);
        }
    }

    QList<QAction *> shortcutActions;
    for (QAction *a : findChildren<QAction *>())
        if (!a->shortcut().isEmpty())
            shortcutActions.append(a);
    shortcuts_ = new ShortcutFilter(shortcutActions, this);
    shortcuts_->watchWindow(this);
    qApp->installEventFilter(shortcuts_);
}

void TForm1::buildNavigation(QWidget *client)
{
    Controls &ui = editor_.ui;
    QWidget *bar = panel("Panel1", client, QRect(5, 40, 358, 25), QColor(0xFF, 0xFF, 0xE1));
    auto *hexLabel = label("Label1", "Hex offset", bar, QRect(0, 0, 66, 25));
    hexLabel->setAlignment(Qt::AlignCenter);
    colourLabel(hexLabel, rangeBackground, Qt::white, true);

    struct Group { const char *letter; int labelLeft, minusLeft, plusLeft; };
    const Group groups[] = {{"1", 68, 89, 114}, {"2", 136, 160, 185}, {"C", 208, 232, 257}, {"P", 280, 307, 332}};
    const char *names[8] = {"bt1bm", "btb1p", "btb2m", "btb2p", "btb0dm", "btb0dp", "btbpm", "btbpp"};
    const char *hints[8] = {"Decrease offset by 1", "Increase offset by 1", "Decrease offset by 2",
                            "Increase offset by 2", "Decrease offset by charsize", "Increase offset by charsize",
                            "Decrease offset by charsize x 32", "Increase offset by charsize x 32"};
    void (*handlers[8])(Editor &) = {bt1bmClick, btb1pClick, btb2mClick, btb2pClick,
                                     btb0dmClick, btb0dpClick, btbpmClick, btbppClick};
    for (int g = 0; g < 4; ++g) {
        auto *letter = label(QStringLiteral("LbStep%1").arg(groups[g].letter), groups[g].letter, bar,
                             QRect(groups[g].labelLeft, 0, groups[g].minusLeft - groups[g].labelLeft, 25));
        letter->setAlignment(Qt::AlignCenter);
        for (int side = 0; side < 2; ++side) {
            const int i = 2 * g + side;
            auto *b = button(names[i], side == 0 ? "-" : "+", hints[i], bar,
                             QRect(side == 0 ? groups[g].minusLeft : groups[g].plusLeft, 0, 25, 25));
            ui.stepButtons[static_cast<size_t>(i)] = b;
            connect(b, &QPushButton::clicked, this, [this, fn = handlers[i]] { run(fn); });
        }
    }

    auto *byteNo = new RowOffsets(QStringLiteral("ByteNo"), client);
    byteNo->setGeometry(5, 70, 64, 287);
    byteNo->setToolTip(QStringLiteral("Click to advance"));
    ui.ByteNo = byteNo;
    connect(byteNo, &RowOffsets::rowClicked, this,
            [this](int row) { run([row](Editor &e) { ByteNoGEnter(e, row); }); });

    auto *maskEdit = new HexEntry(QStringLiteral("MaskEdit1"), true, client);
    maskEdit->setGeometry(5, 69, 64, 17);
    maskEdit->setToolTip(QStringLiteral("Enter hex address here"));
    QFont bold = maskEdit->font();
    bold.setBold(true);
    maskEdit->setFont(bold);
    maskEdit->setTextMargins(-1, 0, -1, 0);
    maskEdit->setFrame(false);
    maskEdit->setText(QStringLiteral("00000000"));
    ui.MaskEdit1 = maskEdit;
    connect(maskEdit, &HexEntry::enterPressed, this, [this] { run(MaskEdit1KeyPress); });

    auto *img = new CanvasWidget(QStringLiteral("Img"), QSize(290, 290), client);
    img->move(72, 68);
    img->setMouseTracking(true);
    ui.Img = img;
    connect(img, &CanvasWidget::pressed, this,
            [this](Qt::MouseButton b, QPoint p) { run([=](Editor &e) { ImgMouseDown(e, b, p); }); });
    connect(img, &CanvasWidget::moved, this,
            [this](Qt::MouseButtons b, QPoint p) { run([=](Editor &e) { ImgMouseMove(e, b, p); }); });
    connect(img, &CanvasWidget::released, this, [this] { run(ImgMouseUp); });
}

void TForm1::buildPanel2(QWidget *client)
{
    Controls &ui = editor_.ui;
    QWidget *p2 = panel("Panel2", client, QRect(366, 40, 121, 319));

    auto *title = label("Label2", "", p2, QRect(6, 4, 108, 37));
    title->setAlignment(Qt::AlignCenter);
    colourLabel(title, rangeBackground, title->palette().color(QPalette::Button), true);
    ui.Label2 = title;

    auto *info = label("LbNfo", "", p2, QRect(6, 44, 108, 65));
    info->setAlignment(Qt::AlignCenter);
    info->setWordWrap(true);
    info->setAutoFillBackground(true);
    ui.LbNfo = info;

    auto *roll = new QGroupBox(QStringLiteral("Roll char image"), p2);
    roll->setObjectName(QStringLiteral("GroupBox1"));
    roll->setGeometry(6, 114, 110, 121);
    auto *reel = new CanvasWidget(QStringLiteral("ImgReel"), QSize(24, 24), roll);
    reel->move(40, 44);
    ui.ImgReel = reel;
    struct Roll { const char *name, *arrow, *hint; int left, top; };
    const Roll rolls[4] = {{"btR1", "\u2190", "Left", 12, 44}, {"btR2", "\u2192", "Right", 68, 44},
                           {"btR3", "\u2191", "Up", 41, 16}, {"btR4", "\u2193", "Down", 41, 72}};
    for (int i = 0; i < 4; ++i) {
        auto *b = button(rolls[i].name, QString::fromUtf8(rolls[i].arrow), rolls[i].hint, roll,
                         QRect(rolls[i].left, rolls[i].top, 24, 24));
        ui.rollButtons[static_cast<size_t>(i)] = b;
        connect(b, &QPushButton::clicked, this, [this, i] { run([i](Editor &e) { MR(e, i + 1); }); });
    }
    auto *charMap = new QCheckBox(QStringLiteral("CharMap"), roll);
    charMap->setObjectName(QStringLiteral("ckCmap"));
    charMap->setGeometry(24, 98, 80, 17);
    charMap->setFocusPolicy(Qt::NoFocus);
    ui.ckCmap = charMap;

    auto *width = new QGroupBox(QStringLiteral("Char width:"), p2);
    width->setObjectName(QStringLiteral("GroupBox3"));
    width->setGeometry(6, 236, 110, 77);
    label("Label11", "Read:", width, QRect(8, 22, 50, 21));
    label("Label6", "Current:", width, QRect(8, 48, 50, 21));
    auto field = [width](const char *name, int top) {
        auto *e = new QLineEdit(QStringLiteral("8"), width);
        e->setObjectName(name);
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::NoFocus);
        e->setGeometry(60, top, 42, 21);
        return e;
    };
    ui.RCW = field("RCW", 22);
    ui.CCW = field("CCW", 48);
}

void TForm1::buildOverviewPanel(QWidget *client)
{
    Controls &ui = editor_.ui;
    QFrame *p3 = panel("Panel3", client, QRect(492, 40, 145, 320));
    p3->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto *range = label("Adrs", "00000000 ... 0000019F", p3, QRect(6, 5, 133, 36));
    range->setAlignment(Qt::AlignCenter);
    colourLabel(range, rangeBackground, Qt::white, false);
    ui.Adrs = range;

    auto *overview = new CanvasWidget(QStringLiteral("MemImg"), QSize(133, 265), p3);
    overview->move(6, 48);
    ui.MemImg = overview;
    connect(overview, &CanvasWidget::pressed, this, [this](Qt::MouseButton b, QPoint p) {
        run([=](Editor &e) { Naviscope(e, b, p.x(), p.y()); });
    });
}

void TForm1::buildFormatControls(QWidget *client)
{
    Controls &ui = editor_.ui;
    auto *group = new QGroupBox(QStringLiteral("Char format"), client);
    group->setObjectName(QStringLiteral("GroupBox2"));
    group->setGeometry(642, 40, 137, 169);
    label("Label8", "W:", group, QRect(8, 22, 18, 21));
    label("Label9", "H:", group, QRect(72, 22, 16, 21));
    auto spin = [group](const char *name, int left, int min, int max, int step, int value, const char *hint) {
        auto *s = new QSpinBox(group);
        s->setObjectName(name);
        s->setGeometry(left, 20, 44, 22);
        s->setRange(min, max);
        s->setSingleStep(step);
        s->setValue(value);
        s->setToolTip(hint);
        // Only the arrows change the value.
        if (auto *text = s->findChild<QLineEdit *>())
            text->setReadOnly(true);
        return s;
    };
    ui.spWidth = spin("spWidth", 24, 8, 16, 8, 8, "Character width");
    ui.spHeight = spin("spHeight", 88, 2, 16, 1, 13, "Character height");
    for (QSpinBox *s : {ui.spWidth, ui.spHeight})
        connect(s, &QSpinBox::valueChanged, this, [this] { run(spChange); });

    auto *flags = new QListWidget(group);
    flags->setObjectName(QStringLiteral("CLB"));
    flags->setGeometry(6, 50, 126, 112);
    flags->setToolTip(QStringLiteral("Flags"));
    flags->setFrameShape(QFrame::NoFrame);
    flags->setStyleSheet(QStringLiteral("QListWidget { background: palette(button); }"));
    flags->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    flags->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (const char *text : {"True Char Image", "Hide width bytes", "ACW calculation", "Skip spare byte", "Swap bytes "}) {
        auto *item = new QListWidgetItem(QString::fromUtf8(text), flags);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
        item->setSizeHint(QSize(120, 22));
    }
    ui.CLB = flags;
    connect(flags, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        // Only a user's toggle arrives here: the program writes the list with
        // signals blocked. Other changes of an item's data leave the flag as it is.
        const auto flag = static_cast<Flag>(editor_.ui.CLB->row(item));
        const bool checked = item->checkState() == Qt::Checked;
        if (checked == editor_.state.flag(flag))
            return;
        editor_.state.setFlag(flag, checked);
        run(ckClick);
    });

    struct Size { const char *name, *caption; };
    const Size sizes[6] = {{"btMini", "8x9"}, {"BtSub", "8x11"}, {"BtSm", "8x13"},
                           {"BtNm", "16x10"}, {"BtWd", "16x12"}, {"BtBig", "16x16"}};
    for (int i = 0; i < 6; ++i) {
        const int top = 212 + 24 * i;
        auto *b = button(sizes[i].name, sizes[i].caption, "Size preset", client, QRect(641, top, 57, 25));
        ui.sizePresets[static_cast<size_t>(i)] = b;
        connect(b, &QPushButton::clicked, this, [this, i] { run([i](Editor &e) { PrCh(e, i + 1); }); });
        for (int column = 0; column < 2; ++column) {
            const int n = 6 * column + i + 1;
            auto *preset = button(QStringLiteral("bt%1").arg(n), "-", {}, client,
                                  QRect(column == 0 ? 728 : 753, top, 25, 25));
            ui.presetButtons[static_cast<size_t>(n - 1)] = preset;
        }
    }
}

void TForm1::buildBlockBar(QWidget *client)
{
    Controls &ui = editor_.ui;
    QWidget *bar = panel("Panel4", client, QRect(4, 360, 779, 25), QColor(0x80, 0x90, 0xA0));

    auto *blockLabel = label("lbStart", "Block", bar, QRect(4, 4, 40, 17));
    blockLabel->setAlignment(Qt::AlignCenter);
    colourLabel(blockLabel, rangeBackground, Qt::white, false);
    blockLabel->setCursor(Qt::PointingHandCursor);
    blockLabel->installEventFilter(this);
    ui.lbStart = blockLabel;

    auto entry = [bar](const char *name, int left, const char *hint) {
        auto *e = new HexEntry(QString::fromUtf8(name), false, bar);
        e->setGeometry(left, 2, 68, 21);
        e->setToolTip(hint);
        return e;
    };
    ui.BStart = entry("BStart", 48, "Enter block start address in hex");
    ui.btBS = button("btBS", "<", "Block Start < current char", bar, QRect(120, 1, 23, 23));
    ui.btBE = button("btBE", ">", "Current char > block end", bar, QRect(146, 1, 23, 23));
    ui.BEnd = entry("BEnd", 172, "Enter block end address in hex");
    ui.btDef = button("btDef", "DEFAULT", "Initial block values", bar, QRect(244, 1, 75, 23));

    connect(ui.BStart, &HexEntry::enterPressed, this, [this] { run(BStartKeyPress); });
    connect(ui.BEnd, &HexEntry::enterPressed, this, [this] { run(BEndKeyPress); });
    connect(ui.btBS, &QPushButton::clicked, this, [this] { run(BLStCopy); });
    connect(ui.btBE, &QPushButton::clicked, this, [this] { run(BLEndCopy); });
    connect(ui.btDef, &QPushButton::clicked, this, [this] { run(BLDefault); });
}

void TForm1::buildDialogs()
{
    Controls &ui = editor_.ui;
    auto dialog = [this](const char *name, const char *title, const QString &filter, const char *suffix) {
        auto *d = new QFileDialog(this, QString::fromUtf8(title));
        d->setObjectName(name);
        d->setOption(QFileDialog::DontUseNativeDialog);
        d->setNameFilter(filter);
        d->setDefaultSuffix(suffix);
        d->setFileMode(QFileDialog::AnyFile);
        return d;
    };
    const QString binaries = QStringLiteral("binary files (*.bin);;all files (*)");
    ui.OD = dialog("OD", "Open binary file", binaries, "bin");
    ui.OD->setAcceptMode(QFileDialog::AcceptOpen);
    ui.SD = dialog("SD", "Save binary file", binaries, "bin");
    ui.SD->setAcceptMode(QFileDialog::AcceptSave);
    ui.SD->selectFile(QStringLiteral("blank.bin"));
    ui.MDl = dialog("MDl", "Merge file", binaries, "bin");
    ui.MDl->setAcceptMode(QFileDialog::AcceptOpen);
    ui.OVLP = dialog("OVLP", "Load VLR plugin", QStringLiteral("VLR plugins (*.vlp)"), "vlp");
    ui.OVLP->setAcceptMode(QFileDialog::AcceptOpen);
}

} // namespace velmora
