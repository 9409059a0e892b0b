#include "exchange/font_import_dialog.h"

#include <algorithm>
#include <optional>

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QSpinBox>

#include "characters/char_map_commands.h"
#include "exchange/import_by_map.h"
#include "exchange/font_render.h"
#include "model/colours.h"
#include "model/errors.h"
#include "model/format.h"
#include "model/text_format.h"
#include "views/refresh.h"
#include "views/canvas_widget.h"
#include "views/editor.h"
#include "views/memory_overview.h"
#include "views/tool_window.h"

namespace velmora {

namespace {

constexpr int previewColumns = 16;
constexpr int previewChars = 64;
constexpr int zoom = 2;
constexpr int pitch = 16 * zoom + 1;

bool computeWidths(const EditorState &s) { return s.flag(Flag::AcwCalculation); }

// The character a set map gives the glyph at G (codes are Unicode without a table).
std::optional<QString> mappedCharacter(Editor &e)
{
    CharMapStore &store = CharMapStore::of(e);
    if (!store.activeIsSet() || !store.activeMap().table.empty())
        return std::nullopt;
    const auto code = codeOfGlyph(store.activeMap(), e.state.glyphOffset, e.state.imageLength());
    if (!code || *code < 0x20 || *code > 0x10FFFF || (*code >= 0xD800 && *code <= 0xDFFF))
        return std::nullopt;
    const char32_t c = *code;
    return QString::fromUcs4(&c, 1);
}

} // namespace

QImage storedGlyphsPreview(const EditorState &state, const SheetGlyphs &glyphs, bool computed)
{
    const int shown = std::min(glyphs.count(), previewChars);
    const int rows = std::max(1, (shown + previewColumns - 1) / previewColumns);
    QImage preview(previewColumns * pitch + 1, rows * pitch + 1, QImage::Format_RGB32);
    preview.fill(toRgb(colours::grey));

    // The characters stored into a scratch image of the same format, so that
    // the thumbnails show the bytes the write will leave.
    EditorState scratch;
    scratch.charWidth = state.charWidth;
    scratch.charHeight = state.charHeight;
    scratch.layout = state.layout;
    scratch.layout.widthTable = -1; // the scratch image has no width table
    scratch.flags = state.flags;
    scratch.blockStart = 0;
    scratch.blockEnd = -1;
    scratch.image.replace(std::vector<uint8_t>(static_cast<size_t>(shown * charStep(state) + footprint(state)), 0));
    SheetGlyphs first = glyphs;
    first.widths.resize(static_cast<size_t>(shown));
    first.pixels.resize(static_cast<size_t>(shown * glyphs.cellWidth * glyphs.cellHeight));
    writeSheetGlyphs(scratch, 0, first, computed);

    QImage thumbnail;
    for (int k = 0; k < shown; ++k) {
        drawCharThumbnail(thumbnail, scratch, int64_t{k} * charStep(scratch));
        const QImage zoomed = thumbnail.scaled(16 * zoom, 16 * zoom);
        const int left = 1 + (k % previewColumns) * pitch;
        const int top = 1 + (k / previewColumns) * pitch;
        for (int y = 0; y < zoomed.height(); ++y)
            std::copy_n(reinterpret_cast<const QRgb *>(zoomed.constScanLine(y)), zoomed.width(),
                        reinterpret_cast<QRgb *>(preview.scanLine(top + y)) + left);
    }
    return preview;
}

FontImportDialog::FontImportDialog(QWidget *parent, Editor &editor) : QDialog(parent), editor_(editor)
{
    setObjectName(QStringLiteral("FontImportDialog"));
    setWindowTitle(QStringLiteral("Import glyphs from font"));
    const EditorState &s = editor.state;

    family_ = new QComboBox(this);
    family_->setObjectName(QStringLiteral("FontFamily"));
    family_->addItems(QFontDatabase::families());
    const int dejavu = family_->findText(QStringLiteral("DejaVu Sans"));
    if (dejavu >= 0)
        family_->setCurrentIndex(dejavu);
    fileButton_ = new QPushButton(QStringLiteral("Font file..."), this);
    fileButton_->setObjectName(QStringLiteral("FontFileButton"));
    auto *fontRow = new QHBoxLayout;
    fontRow->addWidget(family_, 1);
    fontRow->addWidget(fileButton_);

    auto spin = [this](const char *name, int low, int high, int value) {
        auto *box = new QSpinBox(this);
        box->setObjectName(QString::fromUtf8(name));
        box->setRange(low, high);
        box->setValue(value);
        return box;
    };
    pixelSize_ = spin("FontPixelSize", 4, 64, std::max(4, s.charHeight - 1));
    firstChar_ = new QLineEdit(mappedCharacter(editor).value_or(QStringLiteral("A")), this);
    firstChar_->setObjectName(QStringLiteral("FirstChar"));
    firstChar_->setToolTip(QStringLiteral("A character, or its code point as U+XXXX"));
    count_ = spin("CharCount", 1, 65536, 32);
    verticalOffset_ = spin("VerticalOffset", -32, 32, 0);
    byMap_ = new QCheckBox(QStringLiteral("Characters: from the map"), this);
    byMap_->setObjectName(QStringLiteral("ImportByMap"));
    byMap_->setToolTip(QStringLiteral("Count glyphs from the start of the current font, each drawn as the character "
                                      "its code stands for"));

    preview_ = new QLabel(this);
    preview_->setObjectName(QStringLiteral("FontPreview"));
    preview_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    writeCount_ = new QLabel(this);
    writeCount_->setObjectName(QStringLiteral("WriteCount"));
    write_ = new QPushButton(QStringLiteral("Write"), this);
    write_->setObjectName(QStringLiteral("WriteButton"));
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("CloseButton"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(writeCount_, 1);
    buttons->addWidget(write_);
    buttons->addWidget(close);

    auto *fields = new QFormLayout;
    fields->addRow(QStringLiteral("Font:"), fontRow);
    fields->addRow(QStringLiteral("Pixel size:"), pixelSize_);
    fields->addRow(QStringLiteral("First character:"), firstChar_);
    fields->addRow(QStringLiteral("Count:"), count_);
    fields->addRow(QStringLiteral("Vertical offset:"), verticalOffset_);
    fields->addRow(QString(), byMap_);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(preview_);
    layout->addLayout(buttons);

    connect(family_, &QComboBox::currentTextChanged, this, &FontImportDialog::updatePreview);
    connect(firstChar_, &QLineEdit::textChanged, this, &FontImportDialog::updatePreview);
    connect(byMap_, &QCheckBox::toggled, this, &FontImportDialog::updatePreview);
    for (QSpinBox *box : {pixelSize_, count_, verticalOffset_})
        connect(box, &QSpinBox::valueChanged, this, &FontImportDialog::updatePreview);
    connect(fileButton_, &QPushButton::clicked, this, &FontImportDialog::chooseFontFile);
    connect(write_, &QPushButton::clicked, this, &FontImportDialog::write);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    updatePreview();
}

int64_t FontImportDialog::importStart() const
{
    // With a map set, the first character goes to its code's slot of the font.
    const CharMapStore &store = CharMapStore::of(editor_);
    const auto first = parseCharacter(firstChar_->text());
    if (first && store.activeIsSet()) {
        const FontMap map = store.activeMap();
        if (map.table.empty())
            if (const auto offset = glyphOffsetOf(map, *first, editor_.state.imageLength()))
                return *offset;
    }
    return editor_.state.viewOffset;
}

int FontImportDialog::charsToWrite() const
{
    const EditorState &s = editor_.state;
    if (!parseCharacter(firstChar_->text()) || !isValidFormat(s))
        return 0;
    return charsThatFit(s, importStart(), count_->value());
}

SheetGlyphs FontImportDialog::renderedGlyphs(int limit) const
{
    const EditorState &s = editor_.state;
    // Characters past the image end are never written, so they are not drawn either.
    const int count = std::min(charsToWrite(), limit);
    if (count == 0)
        return SheetGlyphs(s.charWidth, s.charHeight - 1, 0);
    return renderGlyphs(bitmapFont(family_->currentText(), pixelSize_->value()), *parseCharacter(firstChar_->text()),
                        count, s.charWidth, s.charHeight - 1, verticalOffset_->value(), glyphFormatOf(s).maxLevel());
}

void FontImportDialog::updatePreview()
{
    firstChar_->setEnabled(!byMap_->isChecked());
    if (byMap_->isChecked()) {
        updateMapPreview();
        return;
    }
    const EditorState &s = editor_.state;
    const SheetGlyphs glyphs = renderedGlyphs(previewChars);
    preview_->setPixmap(QPixmap::fromImage(storedGlyphsPreview(s, glyphs, computeWidths(s))));
    if (!parseCharacter(firstChar_->text()))
        writeCount_->setText(QStringLiteral("First character: type one character or U+XXXX"));
    else
        writeCount_->setText(QStringLiteral("%1 of %2 characters will be written from %3")
                                 .arg(charsToWrite())
                                 .arg(count_->value())
                                 .arg(QString::fromStdString(hex8(importStart()))));
    write_->setEnabled(charsToWrite() > 0);
}

void FontImportDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    updatePreview(); // the format or the view offset may have changed meanwhile
}

bool FontImportDialog::event(QEvent *event)
{
    // Coming back from the main window, where format or view offset may have changed.
    if (event->type() == QEvent::WindowActivate)
        updatePreview();
    return QDialog::event(event);
}

void FontImportDialog::chooseFontFile()
{
    auto *dialog = findChild<QFileDialog *>(QStringLiteral("FontFileDialog"));
    if (!dialog) {
        dialog = new QFileDialog(this, QStringLiteral("Open font file"));
        dialog->setObjectName(QStringLiteral("FontFileDialog"));
        dialog->setOption(QFileDialog::DontUseNativeDialog);
        dialog->setNameFilter(QStringLiteral("Font files (*.ttf *.otf *.pcf *.pcf.gz *.bdf);;All files (*)"));
        dialog->setFileMode(QFileDialog::ExistingFile);
    }
    editor_.run([this, dialog](Editor &e) {
        if (!e.runDialog(*dialog))
            return;
        const QString path = dialog->selectedFiles().value(0);
        const QString family = loadFontFile(path);
        if (family.isEmpty())
            throw EditorError("'" + path.toStdString() + "' holds no font that can be read");
        if (family_->findText(family) < 0)
            family_->addItem(family);
        family_->setCurrentText(family);
        updatePreview();
    });
}

void FontImportDialog::write()
{
    if (byMap_->isChecked()) {
        writeByMap();
        return;
    }
    const SheetGlyphs glyphs = renderedGlyphs(charsToWrite());
    const int64_t start = importStart();
    editor_.runStep("Import font", [glyphs, start](Editor &e) {
        writeSheetGlyphs(e.state, start, glyphs, computeWidths(e.state));
        selectFirstChar(e);
        readAtOffset(e);
    });
    updatePreview();
}

void FontImportDialog::updateMapPreview()
{
    const EditorState &s = editor_.state;
    const QFont font = bitmapFont(family_->currentText(), pixelSize_->value());
    const MapImportPlan plan = planMapImport(editor_, font, count_->value());
    const SheetGlyphs glyphs =
        renderTexts(font, plan.texts.mid(0, previewChars), s.charWidth, s.charHeight - 1, verticalOffset_->value(),
                    glyphFormatOf(s).maxLevel());
    preview_->setPixmap(QPixmap::fromImage(storedGlyphsPreview(s, glyphs, computeWidths(s))));
    if (!plan.error.empty())
        writeCount_->setText(QString::fromStdString(plan.error));
    else
        writeCount_->setText(QStringLiteral("%1 glyphs will be written; %2 characters the font lacks stay unchanged")
                                 .arg(plan.offsets.size())
                                 .arg(plan.lacking));
    write_->setEnabled(!plan.offsets.empty());
}

void FontImportDialog::writeByMap()
{
    const EditorState &s = editor_.state;
    const QFont font = bitmapFont(family_->currentText(), pixelSize_->value());
    const MapImportPlan plan = planMapImport(editor_, font, count_->value());
    const SheetGlyphs glyphs = renderTexts(font, plan.texts, s.charWidth, s.charHeight - 1, verticalOffset_->value(),
                                           glyphFormatOf(s).maxLevel());
    editor_.runStep("Import font by map", [plan, glyphs](Editor &e) {
        writeMapImport(e.state, plan, glyphs, computeWidths(e.state));
        readAtOffset(e);
    });
    updatePreview();
}

void ImportFont1Click(Editor &editor)
{
    showToolDialog<FontImportDialog>(editor, QStringLiteral("FontImportDialog"));
}

} // namespace velmora
