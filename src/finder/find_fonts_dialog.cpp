#include "finder/find_fonts_dialog.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPromise>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include "storage/file_access.h"
#include "finder/plugin_writer.h"
#include "model/text_format.h"
#include "presets/format_controls.h"
#include "presets/preset_buttons.h"
#include "views/canvas_widget.h"
#include "views/editor.h"
#include "views/memory_overview.h"
#include "views/tool_window.h"

namespace velmora {

namespace {

constexpr int thumbnailSize = 16;
constexpr int stripChars = 10;
constexpr int stripZoom = 2;
constexpr int progressSteps = 1000;

enum Column { OffsetColumn, FormatColumn, CharsColumn, ScoreColumn, GlyphsColumn };

} // namespace

QImage fontStrip(std::span<const uint8_t> image, const FontCandidate &font, const StripStyle &style, int chars, int zoom)
{
    const int pitch = thumbnailSize * zoom + 1;
    QImage strip(chars * pitch - 1, thumbnailSize * zoom, QImage::Format_RGB32);
    strip.fill(toRgb(colours::grey));
    const FontFormat &f = font.format;
    const ThumbnailSource source{image, f.width, f.height, f.swap, style.hideWidthBytes, style.trueCharImage,
                                 style.blockStart, style.blockEnd, f};
    QImage thumbnail;
    QPainter painter(&strip);
    for (int k = 0; k < chars; ++k) {
        drawCharThumbnail(thumbnail, source, font.start + int64_t{k} * fontCharStep(f));
        painter.drawImage(QRect(k * pitch, 0, thumbnailSize * zoom, thumbnailSize * zoom), thumbnail);
    }
    return strip;
}

void goToFont(Editor &e, const FontCandidate &font)
{
    EditorState &s = e.state;
    if (!font.format.widthByte()) {
        s.viewOffset = static_cast<int32_t>(font.start);
        applyGlyphFormat(e, font.format);
        return;
    }
    s.setFlag(Flag::SkipSpareByte, font.format.spare);
    s.setFlag(Flag::SwapBytes, font.format.swap);
    showFlags(e);
    s.viewOffset = static_cast<int32_t>(font.start);
    // Selects the first character (G := V) and re-reads in the new format.
    applyFormat(e, font.format.width, font.format.height);
}

FindFontsDialog::FindFontsDialog(QWidget *parent, Editor &editor) : QDialog(parent), editor_(editor)
{
    setObjectName(QStringLiteral("FindFontsDialog"));
    setWindowTitle(QStringLiteral("Find fonts"));

    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("FoundFonts"));
    list_->setColumnCount(5);
    list_->setHeaderLabels({QStringLiteral("Offset"), QStringLiteral("Format"), QStringLiteral("Chars"),
                            QStringLiteral("Score"), QStringLiteral("First characters")});
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setIconSize(QSize(stripChars * (thumbnailSize * stripZoom + 1) - 1, thumbnailSize * stripZoom));
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list_->setMinimumSize(760, 300);

    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("ScanProgress"));
    progress_->setRange(0, progressSteps);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("ScanStatus"));

    auto button = [this](const char *name, const char *caption) {
        auto *b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QString::fromUtf8(name));
        b->setAutoDefault(false);
        return b;
    };
    go_ = button("btGoFont", "Go to font");
    save_ = button("btSavePlugin", "Save all as plug-in...");
    rescan_ = button("btScanAgain", "Scan again");
    cancel_ = button("btCancelScan", "Cancel scan");
    QPushButton *close = button("btCloseFinder", "Close");
    // On by default, so that a font of any layout shows; unchecked, the scan
    // looks for the width-byte layout alone, about four times as fast.
    layouts_ = new QCheckBox(QStringLiteral("Layouts without widths"), this);
    layouts_->setObjectName(QStringLiteral("FindLayouts"));
    layouts_->setChecked(true);
    layouts_->setToolTip(QStringLiteral("Also look for fonts stored as rows, packed bits, strips, pages or columns"));

    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {go_, save_, rescan_, cancel_})
        buttons->addWidget(b);
    buttons->addWidget(layouts_);
    buttons->addStretch();
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(progress_);
    layout->addWidget(status_);
    layout->addLayout(buttons);

    saveDialog_ = new QFileDialog(this, QStringLiteral("Save plugin"));
    saveDialog_->setObjectName(QStringLiteral("SVLP"));
    saveDialog_->setOption(QFileDialog::DontUseNativeDialog);
    saveDialog_->setAcceptMode(QFileDialog::AcceptSave);
    saveDialog_->setNameFilter(QStringLiteral("VLR plugins (*.vlp)"));
    saveDialog_->setDefaultSuffix(QStringLiteral("vlp"));

    list_->installEventFilter(this);
    connect(list_, &QTreeWidget::itemActivated, this, &FindFontsDialog::goToRow);
    connect(go_, &QPushButton::clicked, this, [this] { goToRow(list_->currentItem()); });
    connect(save_, &QPushButton::clicked, this, &FindFontsDialog::savePlugin);
    // The button says whether it saves the selected rows or every row.
    connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] {
        save_->setText(list_->selectedItems().isEmpty() ? QStringLiteral("Save all as plug-in...")
                                                        : QStringLiteral("Save selected as plug-in..."));
    });
    connect(rescan_, &QPushButton::clicked, this, &FindFontsDialog::startScan);
    connect(layouts_, &QCheckBox::toggled, this, &FindFontsDialog::startScan);
    connect(cancel_, &QPushButton::clicked, this, &FindFontsDialog::cancelScan);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(&watcher_, &QFutureWatcher<FontScanResult>::progressValueChanged, progress_, &QProgressBar::setValue);
    connect(&watcher_, &QFutureWatcher<FontScanResult>::finished, this, &FindFontsDialog::showResult);
    showResult();
}

FindFontsDialog::~FindFontsDialog()
{
    // The scan works on its own copy of the image; it only has to stop.
    watcher_.cancel();
    watcher_.waitForFinished();
}

bool FindFontsDialog::eventFilter(QObject *watched, QEvent *event)
{
    // The window's plain-key shortcuts (Home, End, Page Up, letters...) work
    // in every window; in the list those keys move through the rows instead.
    if (watched == list_ && event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (!(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
            event->accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool FindFontsDialog::scanning() const { return watcher_.isRunning(); }

void FindFontsDialog::startScan()
{
    cancelScan();
    watcher_.waitForFinished();
    const EditorState &s = editor_.state;
    // The editor may change or replace the image while the scan runs.
    scanned_ = std::make_shared<const std::vector<uint8_t>>(s.image.bytes());
    scannedName_ = s.fileName;
    candidates_.clear();
    list_->clear();
    progress_->setValue(0);
    status_->setText(QStringLiteral("Scanning %1 bytes...").arg(scanned_->size()));
    for (QPushButton *b : {go_, save_, rescan_})
        b->setEnabled(false);
    cancel_->setEnabled(true);

    watcher_.setFuture(QtConcurrent::run([image = scanned_, layouts = layouts_->isChecked()](QPromise<FontScanResult> &promise) {
        promise.setProgressRange(0, progressSteps);
        FontScanOptions options;
        options.layouts = layouts;
        options.cancelled = [&promise] { return promise.isCanceled(); };
        options.progress = [&promise](int done, int total) {
            promise.setProgressValue(static_cast<int>(int64_t{done} * progressSteps / total));
        };
        FontScanResult result = scanFonts(*image, options);
        if (!result.cancelled)
            promise.addResult(std::move(result));
    }));
}

void FindFontsDialog::cancelScan()
{
    if (watcher_.isRunning())
        watcher_.cancel();
}

void FindFontsDialog::showResult()
{
    cancel_->setEnabled(false);
    rescan_->setEnabled(true);
    if (!scanned_) {
        status_->clear();
        go_->setEnabled(false);
        save_->setEnabled(false);
        return;
    }
    if (watcher_.isCanceled() || watcher_.future().resultCount() == 0) {
        status_->setText(QStringLiteral("Scan cancelled"));
    } else {
        candidates_ = watcher_.result().candidates;
        // The text preview finds the font of a glyph among these.
        editor_.state.foundFonts.clear();
        for (const FontCandidate &c : candidates_)
            editor_.state.foundFonts.push_back({c.start, c.count, c.format});
        const EditorState &s = editor_.state;
        const StripStyle style{s.flag(Flag::HideWidthBytes), s.flag(Flag::TrueCharImage), s.blockStart, s.blockEnd};
        for (size_t i = 0; i < candidates_.size(); ++i) {
            const FontCandidate &c = candidates_[i];
            auto *item = new QTreeWidgetItem(list_);
            item->setText(OffsetColumn, QString::fromStdString(hex8(c.start)));
            item->setText(FormatColumn, QString::fromStdString(formatText(c.format)));
            item->setText(CharsColumn, QString::number(c.count));
            item->setText(ScoreColumn, QString::number(c.score, 'f', 0));
            item->setToolTip(OffsetColumn, item->text(FormatColumn));
            item->setToolTip(FormatColumn, item->text(FormatColumn));
            item->setIcon(GlyphsColumn, QPixmap::fromImage(fontStrip(*scanned_, c, style, stripChars, stripZoom)));
            item->setData(OffsetColumn, Qt::UserRole, static_cast<qulonglong>(i));
        }
        // The first row is current but not selected, so that saving takes every row.
        if (list_->topLevelItemCount() > 0)
            list_->selectionModel()->setCurrentIndex(list_->model()->index(0, 0), QItemSelectionModel::NoUpdate);
        status_->setText(candidates_.empty()       ? QStringLiteral("No fonts found")
                         : candidates_.size() == 1 ? QStringLiteral("1 font found")
                                                   : QStringLiteral("%1 fonts found").arg(candidates_.size()));
        progress_->setValue(progressSteps);
    }
    go_->setEnabled(!candidates_.empty());
    save_->setEnabled(!candidates_.empty());
    emit scanFinished();
}

bool FindFontsDialog::rescanIfImageReplaced()
{
    const EditorState &s = editor_.state;
    if (!scanned_ || (scannedName_ == s.fileName && scanned_->size() == s.image.bytes().size()))
        return false;
    // The rows name offsets of another image: going there or keeping them
    // as presets would point into the wrong file.
    startScan();
    return true;
}

void FindFontsDialog::goToRow(QTreeWidgetItem *item)
{
    if (!item || rescanIfImageReplaced())
        return;
    const auto index = static_cast<size_t>(item->data(OffsetColumn, Qt::UserRole).toULongLong());
    if (index >= candidates_.size())
        return;
    const FontCandidate font = candidates_[index];
    editor_.run([&font](Editor &e) { goToFont(e, font); });
}

std::vector<FontCandidate> FindFontsDialog::chosenFonts() const
{
    // The selected rows in list order, or every row when none is selected.
    std::vector<FontCandidate> chosen;
    for (int row = 0; row < list_->topLevelItemCount(); ++row) {
        QTreeWidgetItem *item = list_->topLevelItem(row);
        if (item->isSelected() || list_->selectedItems().isEmpty())
            chosen.push_back(candidates_[static_cast<size_t>(item->data(OffsetColumn, Qt::UserRole).toULongLong())]);
    }
    if (chosen.size() > pluginPresetCount)
        chosen.resize(pluginPresetCount);
    return chosen;
}

void FindFontsDialog::savePlugin()
{
    if (!scanned_ || candidates_.empty() || rescanIfImageReplaced())
        return;
    editor_.run([this](Editor &e) {
        const QString imageName = QFileInfo(QString::fromStdString(scannedName_)).fileName();
        // The first save starts in the plugins folder below the program
        // directory; later ones where the last one ended.
        if (!pluginFolderSet_) {
            QDir().mkpath(pluginFolder(e));
            saveDialog_->setDirectory(pluginFolder(e));
            pluginFolderSet_ = true;
        }
        saveDialog_->selectFile(QFileInfo(imageName).completeBaseName() + QStringLiteral(".vlp"));
        if (!e.runDialog(*saveDialog_))
            return;
        const QString path = saveDialog_->selectedFiles().value(0);
        if (path.isEmpty())
            return;
        std::vector<PluginPreset> presets;
        for (const FontCandidate &font : chosenFonts())
            presets.push_back(presetForFont(font));
        const std::string title = "Fonts found in " + imageName.toLatin1().toStdString();
        const std::string text = pluginText(title, static_cast<int32_t>(scanned_->size()), presets);
        writeWholeFile(path, std::span(reinterpret_cast<const uint8_t *>(text.data()), text.size()));
    });
}

void FindFontsClick(Editor &editor)
{
    showToolDialog<FindFontsDialog>(editor, QStringLiteral("FindFontsDialog"))->startScan();
}

} // namespace velmora
