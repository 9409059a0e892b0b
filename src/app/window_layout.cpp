#include "app/main_window.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>

#include <tuple>

#include "app/undo_layer.h"
#include "app/widget_factory.h"
#include "editing/glyph_commands.h"
#include "model/format.h"
#include "navigation/block_range.h"
#include "navigation/offset_navigation.h"
#include "presets/format_controls.h"
#include "presets/preset_buttons.h"
#include "views/canvas_widget.h"
#include "views/edit_grid.h"
#include "views/hex_entry.h"
#include "views/memory_overview.h"
#include "views/refresh.h"
#include "views/row_offsets.h"
#include "views/text_field.h"

namespace velmora {

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
    // A field that fills its rectangle is repainted alone, without the
    // window's background beneath it: a re-read repaints it every time.
    maskEdit->setAutoFillBackground(true);
    maskEdit->setText(QStringLiteral("00000000"));
    ui.MaskEdit1 = maskEdit;
    connect(maskEdit, &HexEntry::enterPressed, this, [this] { run(MaskEdit1KeyPress); });

    auto *img = new CanvasWidget(QStringLiteral("Img"), QSize(290, 290), client);
    img->move(72, 68);
    img->setMouseTracking(true);
    ui.Img = img;
    // A stroke from press to the release of the last button is one undo step.
    connect(img, &CanvasWidget::pressed, this, [this](Qt::MouseButton b, QPoint p) {
        undo_->gridEvent([=](Editor &e) { ImgMouseDown(e, b, p); }, true);
    });
    connect(img, &CanvasWidget::moved, this, [this](Qt::MouseButtons b, QPoint p) {
        undo_->gridEvent([=](Editor &e) { ImgMouseMove(e, b, p); }, b != Qt::NoButton);
    });
    connect(img, &CanvasWidget::released, this, [this](Qt::MouseButton, QPoint, Qt::MouseButtons held) {
        undo_->gridEvent(ImgMouseUp, held != Qt::NoButton);
    });
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
        connect(b, &QPushButton::clicked, this, [this, i] {
            undo_->step(editor_.ui.ckCmap->isChecked() ? "CharMap Roll" : "Roll", [i](Editor &e) { MR(e, i + 1); });
        });
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
        // Opaque in the group box's colour, so that a new width repaints the
        // field alone and not the group box and panel behind it.
        e->setBackgroundRole(QPalette::Window);
        e->setAutoFillBackground(true);
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

    buildFormatText(client);

    struct Size { const char *name, *caption; };
    const Size sizes[6] = {{"btMini", "8x9"}, {"BtSub", "8x11"}, {"BtSm", "8x13"},
                           {"BtNm", "16x10"}, {"BtWd", "16x12"}, {"BtBig", "16x16"}};
    void (*sizeHandlers[6])(Editor &) = {PrCh1, PrCh2, PrCh3, PrCh4, PrCh5, PrCh6};
    for (int i = 0; i < 6; ++i) {
        const int top = 212 + 24 * i;
        auto *b = button(sizes[i].name, sizes[i].caption, "Size preset", client, QRect(641, top, 57, 25));
        ui.sizePresets[static_cast<size_t>(i)] = b;
        connect(b, &QPushButton::clicked, this, [this, fn = sizeHandlers[i]] { run(fn); });
        for (int column = 0; column < 2; ++column) {
            const int n = 6 * column + i + 1;
            auto *preset = button(QStringLiteral("bt%1").arg(n), "-", {}, client,
                                  QRect(column == 0 ? 728 : 753, top, 25, 25));
            ui.presetButtons[static_cast<size_t>(n - 1)] = preset;
            connect(preset, &QPushButton::clicked, this,
                    [this, preset] { run([preset](Editor &e) { bt1Click(e, preset); }); });
        }
    }
}

// The format string and the layout menu, in the free right end of the tool bar.
void TForm1::buildFormatText(QWidget *client)
{
    Controls &ui = editor_.ui;
    label("LbFormat", "Format:", client, QRect(448, 8, 50, 20));
    ui.FormatText = new QLineEdit(client);
    ui.FormatText->setObjectName(QStringLiteral("FormatText"));
    ui.FormatText->setGeometry(500, 6, 190, 24);
    ui.FormatText->setToolTip(QStringLiteral("Format string: WxH, then a layout (rows, packed, strips, pages, columns) "
                                             "and options (reverse, bpp2, bpp4, invert, stride=N, widths=HEX); Enter applies it"));
    ui.FormatText->setAccessibleName(QStringLiteral("Format string"));
    markAsTextField(ui.FormatText);
    connect(ui.FormatText, &QLineEdit::returnPressed, this, [this] { run(FormatTextEnter); });
    // Leaving the field without Enter shows the current format again.
    connect(ui.FormatText, &QLineEdit::editingFinished, this, [this] {
        if (!editor_.ui.FormatText->hasFocus()) {
            editor_.ui.FormatText->setModified(false);
            showFormatText(editor_);
        }
    });

    ui.btLayout = button("btLayout", "Layout", "Pick a layout and its options", client, QRect(694, 5, 80, 26));
    auto *menu = new QMenu(ui.btLayout);
    menu->setObjectName(QStringLiteral("LayoutMenu"));
    struct Choice { const char *name, *text; Layout layout; };
    const Choice layouts[] = {{"actLayoutWidthByte", "Width byte, rows of 8 or 16", Layout::WidthByte},
                              {"actLayoutRows", "Rows padded to bytes", Layout::Rows},
                              {"actLayoutPacked", "Packed bits", Layout::Packed},
                              {"actLayoutStrips", "Strips of 8 columns", Layout::Strips},
                              {"actLayoutPages", "Pages of 8 rows (LCD)", Layout::Pages},
                              {"actLayoutColumns", "Columns of 8 rows (LCD)", Layout::Columns}};
    for (const Choice &c : layouts) {
        QAction *a = menu->addAction(QString::fromUtf8(c.text));
        a->setObjectName(c.name);
        a->setCheckable(true);
        a->setData(static_cast<int>(c.layout));
        connect(a, &QAction::triggered, this, [this, layout = c.layout] {
            run([layout](Editor &e) { chooseLayout(e, layout); });
        });
    }
    menu->addSeparator();
    for (const auto &[name, text, option] : {std::tuple{"actReverse", "Reverse bit order", "reverse"},
                                             std::tuple{"actInvert", "Inverted ink (stored as 0)", "invert"}}) {
        QAction *a = menu->addAction(QString::fromUtf8(text));
        a->setObjectName(name);
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, option] {
            run([option](Editor &e) { toggleLayoutOption(e, option); });
        });
    }
    menu->addSeparator();
    for (int bpp : {1, 2, 4}) {
        QAction *a = menu->addAction(QStringLiteral("%1 bit%2 a pixel").arg(bpp).arg(bpp > 1 ? "s" : ""));
        a->setObjectName(QStringLiteral("actBpp%1").arg(bpp));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, bpp] { run([bpp](Editor &e) { chooseBitsPerPixel(e, bpp); }); });
    }
    // The marks follow the current format each time the menu opens.
    connect(menu, &QMenu::aboutToShow, this, [this, menu] {
        const GlyphFormat f = glyphFormatOf(editor_.state);
        for (QAction *a : menu->actions()) {
            const QString name = a->objectName();
            if (name.startsWith(QStringLiteral("actLayout")))
                a->setChecked(a->data().toInt() == static_cast<int>(f.layout));
            else if (name == QStringLiteral("actReverse"))
                a->setChecked(f.reverse), a->setEnabled(!f.widthByte());
            else if (name == QStringLiteral("actInvert"))
                a->setChecked(f.invert), a->setEnabled(!f.widthByte());
            else if (name.startsWith(QStringLiteral("actBpp")))
                a->setChecked(name.endsWith(QString::number(f.bpp))),
                    a->setEnabled(f.layout == Layout::Rows || f.layout == Layout::Packed);
        }
    });
    ui.btLayout->setMenu(menu);
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
    // How the image differs from the one it is compared with; shown only then.
    ui.CompareStatus = label("CompareStatus", {}, bar, QRect(332, 4, 440, 17));
    colourLabel(ui.CompareStatus, QColor(0x80, 0x90, 0xA0), Qt::white, true);
    ui.CompareStatus->hide();

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
