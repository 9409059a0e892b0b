#include "characters/text_preview_dialog.h"

#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QSpinBox>

#include "characters/char_map_commands.h"
#include "characters/rendering_image.h"
#include "characters/utf8_text.h"
#include "model/text_format.h"
#include "views/canvas_widget.h"
#include "views/editor.h"
#include "views/file_folders.h"
#include "views/text_field.h"

namespace velmora {

namespace {

std::u32string toU32(const QString &text)
{
    const QList<uint> codes = text.toUcs4();
    return std::u32string(codes.begin(), codes.end());
}

QString toQString(const std::u32string &text)
{
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

// Where the glyphs come from when no map is set, after the start and first code.
QString sourceText(const std::string &source)
{
    if (source.empty())
        return {};
    if (source == "view offset")
        return QStringLiteral(" (view offset: no map set)");
    return QStringLiteral(" (%1)").arg(QString::fromStdString(source));
}

QString listed(const std::vector<std::u32string> &texts)
{
    QStringList items;
    for (const std::u32string &t : texts)
        items << toQString(t);
    return items.join(QStringLiteral(" "));
}

} // namespace

TextPreviewDialog::TextPreviewDialog(QWidget *parent, Editor &editor) : QDialog(parent), editor_(editor)
{
    setObjectName(QStringLiteral("TextPreviewDialog"));
    setWindowTitle(QStringLiteral("Text preview"));
    setModal(false);

    sampleText_ = new QPlainTextEdit(QStringLiteral("The quick brown fox\njumps over the lazy dog"), this);
    sampleText_->setObjectName(QStringLiteral("SampleText"));
    sampleText_->setFixedHeight(sampleText_->fontMetrics().lineSpacing() * 4 + 12);

    auto spin = [this](const char *name, int low, int high, int value, const char *hint) {
        auto *box = new QSpinBox(this);
        box->setObjectName(QString::fromUtf8(name));
        box->setRange(low, high);
        box->setValue(value);
        box->setToolTip(QString::fromUtf8(hint));
        markAsTextField(box);
        return box;
    };
    zoom_ = spin("PreviewZoom", 1, 4, 2, "Each pixel as a square of this size");
    gap_ = spin("GlyphGap", 0, 16, 0, "Blank pixels after each character");
    screenWidth_ = spin("ScreenWidth", 0, 4096, 128, "Width of the phone's screen in pixels (0: no limit)");
    auto *loadTable = new QPushButton(QStringLiteral("Table..."), this);
    loadTable->setObjectName(QStringLiteral("btLoadTable"));
    loadTable->setToolTip(QStringLiteral("Read a .tbl file: which character each code stands for"));
    auto *clearTable = new QPushButton(QStringLiteral("No table"), this);
    clearTable->setObjectName(QStringLiteral("btClearTable"));
    clearTable->setToolTip(QStringLiteral("Codes are Unicode code points"));
    auto *settings = new QHBoxLayout;
    settings->addWidget(new QLabel(QStringLiteral("Zoom:"), this));
    settings->addWidget(zoom_);
    settings->addWidget(new QLabel(QStringLiteral("Gap:"), this));
    settings->addWidget(gap_);
    settings->addWidget(new QLabel(QStringLiteral("Screen width:"), this));
    settings->addWidget(screenWidth_);
    settings->addStretch(1);
    settings->addWidget(loadTable);
    settings->addWidget(clearTable);

    canvas_ = new CanvasWidget(QStringLiteral("PreviewCanvas"), QSize(1, 1), this);
    canvas_->setAccessibleName(QStringLiteral("Text preview"));
    canvas_->setCursor(Qt::PointingHandCursor);
    auto *scroll = new QScrollArea(this);
    scroll->setWidget(canvas_);
    scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scroll->setMinimumSize(420, 120);
    scroll->setBackgroundRole(QPalette::Base);

    auto *thisGlyphIs = new QPushButton(QStringLiteral("This glyph is"), this);
    thisGlyphIs->setObjectName(QStringLiteral("btThisGlyphIs"));
    thisGlyphIs->setToolTip(QStringLiteral("The glyph being edited shows the character typed beside"));
    glyphChar_ = new QLineEdit(this);
    glyphChar_->setObjectName(QStringLiteral("GlyphChar"));
    glyphChar_->setMaximumWidth(80);
    alphabet_ = new QLineEdit(this);
    alphabet_->setObjectName(QStringLiteral("AlphabetCheck"));
    alphabet_->setPlaceholderText(QStringLiteral("Paste the letters of an alphabet"));
    auto *mapRow = new QHBoxLayout;
    mapRow->addWidget(thisGlyphIs);
    mapRow->addWidget(glyphChar_);
    mapRow->addSpacing(12);
    mapRow->addWidget(new QLabel(QStringLiteral("Missing for..."), this));
    mapRow->addWidget(alphabet_, 1);

    // Where the font starts and its first code, set apart from the labels.
    auto *startsHere = new QPushButton(QStringLiteral("Font starts here"), this);
    startsHere->setObjectName(QStringLiteral("btFontStartsHere"));
    startsHere->setToolTip(QStringLiteral("The font's first glyph is the glyph being edited"));
    firstCode_ = new QLineEdit(this);
    firstCode_->setObjectName(QStringLiteral("FirstCode"));
    firstCode_->setToolTip(QStringLiteral("Code of the font's first glyph, hex; Enter sets it"));
    firstCode_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9A-Fa-f]{1,6}")), firstCode_));
    firstCode_->setMaximumWidth(80);
    resetMap_ = new QPushButton(QStringLiteral("Reset map..."), this);
    resetMap_->setObjectName(QStringLiteral("btResetMap"));
    resetMap_->setToolTip(QStringLiteral("Forget this font's map: its start, first code and labelled glyphs"));
    auto *fontRow = new QHBoxLayout;
    fontRow->addWidget(startsHere);
    fontRow->addWidget(new QLabel(QStringLiteral("First code:"), this));
    fontRow->addWidget(firstCode_);
    fontRow->addStretch(1);
    fontRow->addWidget(resetMap_);
    for (QWidget *field : {static_cast<QWidget *>(sampleText_), static_cast<QWidget *>(glyphChar_),
                           static_cast<QWidget *>(alphabet_), static_cast<QWidget *>(firstCode_)})
        markAsTextField(field);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("PreviewStatus"));
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    status_->setWordWrap(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(sampleText_);
    layout->addLayout(settings);
    layout->addWidget(scroll, 1);
    layout->addLayout(mapRow);
    layout->addLayout(fontRow);
    layout->addWidget(status_);

    connect(sampleText_, &QPlainTextEdit::textChanged, this, &TextPreviewDialog::refresh);
    connect(alphabet_, &QLineEdit::textChanged, this, &TextPreviewDialog::refresh);
    for (QSpinBox *box : {zoom_, gap_, screenWidth_})
        connect(box, &QSpinBox::valueChanged, this, &TextPreviewDialog::refresh);
    connect(canvas_, &CanvasWidget::pressed, this, &TextPreviewDialog::canvasPressed);
    connect(loadTable, &QPushButton::clicked, this, &TextPreviewDialog::loadTable);
    connect(clearTable, &QPushButton::clicked, this, [this] {
        editor_.run([](Editor &e) { CharMapStore::of(e).clearTable(); });
        refresh();
    });
    connect(thisGlyphIs, &QPushButton::clicked, this, [this] {
        const std::u32string text = toU32(glyphChar_->text());
        editor_.run([text](Editor &e) { setGlyphCharacter(e, text); });
        refresh();
    });
    // Enter does what its field says. A dialog's push buttons are auto-default,
    // so Enter in a field would otherwise press the first of them ("Table...").
    connect(glyphChar_, &QLineEdit::returnPressed, thisGlyphIs, &QPushButton::click);
    connect(firstCode_, &QLineEdit::returnPressed, this, [this] {
        const uint32_t code = firstCode_->text().toUInt(nullptr, 16);
        editor_.run([code](Editor &e) { setFirstCode(e, code); });
        firstCode_->clearFocus(); // the refresh shows the code as set
        refresh();
    });
    connect(startsHere, &QPushButton::clicked, this, [this] {
        editor_.run([](Editor &e) { setFontStart(e); });
        refresh();
    });
    connect(resetMap_, &QPushButton::clicked, this, &TextPreviewDialog::resetMap);
    connect(alphabet_, &QLineEdit::returnPressed, this, &TextPreviewDialog::refresh);
    for (QPushButton *button : findChildren<QPushButton *>())
        if (button->window() == this) {
            button->setAutoDefault(false);
            button->setDefault(false);
        }
    // Cheap while hidden: the observer returns at once.
    editor.refreshObservers.push_back([this](Editor &) {
        if (isVisible())
            refresh();
    });
}

void TextPreviewDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    refresh();
}

void TextPreviewDialog::refresh()
{
    CharMapStore &store = CharMapStore::of(editor_);
    std::string tableError;
    const CharTable *table = store.activeTable(&tableError);
    shownMap_ = store.activeMap();
    const EditorState &s = editor_.state;
    rendering_ = renderText(s.image.bytes(), shownMap_, table, gap_->value(), screenWidth_->value(),
                            toU32(sampleText_->toPlainText()), GlyphOverride{s.glyphOffset, &s.glyph});
    paintCanvas();
    showStatus(tableError);
    if (!firstCode_->hasFocus())
        firstCode_->setText(QStringLiteral("%1").arg(shownMap_.firstCode, 4, 16, QLatin1Char('0')).toUpper());
    resetMap_->setEnabled(store.activeIsSet());
}

void TextPreviewDialog::resetMap()
{
    const size_t labels = shownMap_.labels.size();
    const QString question =
        QStringLiteral("Forget the character map of this font: its start, its first code%1?")
            .arg(labels == 0 ? QString() : QStringLiteral(" and the characters of %1 labelled glyph%2").arg(labels).arg(labels == 1 ? "" : "s"));
    if (QMessageBox::question(this, QStringLiteral("Velmora CE"), question) != QMessageBox::Yes)
        return;
    editor_.run([](Editor &e) { velmora::resetMap(e); });
    refresh();
}

void TextPreviewDialog::paintCanvas()
{
    const int z = zoom_->value();
    const QSize size(rendering_.width * z, rendering_.height * z);
    QImage &image = canvas_->canvas();
    if (image.size() != size)
        image = QImage(size, QImage::Format_RGB32);
    for (int y = 0; y < rendering_.height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y * z));
        for (int x = 0; x < rendering_.width; ++x) {
            const QRgb colour = renderingColour(rendering_.at(x, y));
            for (int dx = 0; dx < z; ++dx)
                line[x * z + dx] = colour;
        }
        for (int dy = 1; dy < z; ++dy)
            std::copy_n(line, size.width(), reinterpret_cast<QRgb *>(image.scanLine(y * z + dy)));
    }
    canvas_->setFixedSize(size);
    canvas_->update();
}

void TextPreviewDialog::showStatus(const std::string &tableError)
{
    QStringList lines;
    lines << QStringLiteral("Glyphs from %1, first code %2%3")
                 .arg(QString::fromStdString(hex8(shownMap_.start)))
                 .arg(QString::number(shownMap_.firstCode, 16).toUpper().rightJustified(4, QLatin1Char('0')))
                 .arg(sourceText(CharMapStore::of(editor_).activeSource()));
    if (!shownMap_.labels.empty())
        lines.last() += QStringLiteral(", %1 labelled one by one").arg(shownMap_.labels.size());
    if (!tableError.empty())
        lines << QString::fromStdString(tableError);
    const int widest = rendering_.widestLine();
    if (widest >= 0) {
        const int width = rendering_.lineWidths[static_cast<size_t>(widest)];
        QString line = QStringLiteral("Line %1: %2 px").arg(widest + 1).arg(width);
        if (screenWidth_->value() > 0 && width > screenWidth_->value())
            line += QStringLiteral(", %1 px too wide").arg(width - screenWidth_->value());
        lines << line;
    }
    if (!rendering_.missing.empty())
        lines << QStringLiteral("No glyph: ") + listed(rendering_.missing);
    // Letters that draw nothing are marked red in the canvas and named here.
    if (!rendering_.zeroWidth.empty())
        lines << QStringLiteral("Zero width: ") + listed(rendering_.zeroWidth);
    for (const std::u32string &c : rendering_.inkedZeroWidth)
        lines << listed({c}) + QStringLiteral(" has ink but width 0: set its width");
    if (!rendering_.blank.empty())
        lines << QStringLiteral("Blank: ") + listed(rendering_.blank);
    if (!alphabet_->text().isEmpty()) {
        const EditorState &s = editor_.state;
        std::string ignored;
        const AlphabetReport report =
            checkAlphabet(s.image.bytes(), shownMap_, CharMapStore::of(editor_).activeTable(&ignored),
                          toU32(alphabet_->text()), GlyphOverride{s.glyphOffset, &s.glyph});
        if (report.missing.empty() && report.blank.empty())
            lines << QStringLiteral("Every letter has a glyph");
        if (!report.missing.empty())
            lines << QStringLiteral("Missing: ") + listed(report.missing);
        if (!report.blank.empty())
            lines << QStringLiteral("Blank: ") + listed(report.blank);
    }
    const QString text = lines.join(QLatin1Char('\n'));
    if (status_->text() != text)
        status_->setText(text);
    canvas_->setAccessibleDescription(sampleText_->toPlainText());
}

void TextPreviewDialog::canvasPressed(Qt::MouseButton button, QPoint position)
{
    const int z = zoom_->value();
    if (button != Qt::LeftButton || position.x() < 0 || position.y() < 0)
        return;
    const PlacedChar *c = rendering_.charAt(position.x() / z, position.y() / z);
    if (!c || !c->glyph)
        return;
    const int64_t offset = *c->glyph;
    editor_.run([offset](Editor &e) { goToGlyph(e, offset); });
}

void TextPreviewDialog::loadTable()
{
    auto *dialog = findChild<QFileDialog *>(QStringLiteral("TableFileDialog"));
    if (!dialog) {
        dialog = new QFileDialog(this, QStringLiteral("Open character table"));
        dialog->setObjectName(QStringLiteral("TableFileDialog"));
        dialog->setOption(QFileDialog::DontUseNativeDialog);
        dialog->setNameFilter(QStringLiteral("Character tables (*.tbl);;All files (*)"));
        dialog->setFileMode(QFileDialog::ExistingFile);
    }
    editor_.run([dialog](Editor &e) {
        if (runFileDialogFor(e, *dialog, "table"))
            CharMapStore::of(e).loadTable(dialog->selectedFiles().value(0).toStdString());
    });
    refresh();
}

void TextPreview1Click(Editor &editor)
{
    QWidget *window = editor.ui.Form1;
    auto *dialog = window->findChild<TextPreviewDialog *>(QStringLiteral("TextPreviewDialog"));
    if (!dialog)
        dialog = new TextPreviewDialog(window, editor);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

} // namespace velmora
