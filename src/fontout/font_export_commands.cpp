#include "fontout/font_export_commands.h"

#include <algorithm>

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>

#include "characters/char_map_commands.h"
#include "fontout/font_file_format.h"
#include "fontout/font_glyphs.h"
#include "model/errors.h"
#include "model/format.h"
#include "model/glyph_codec.h"
#include "model/text_format.h"
#include "storage/file_access.h"
#include "views/editor.h"
#include "views/file_folders.h"

namespace velmora {

namespace {

const fontout::FontFileFormat &formatOf(std::string_view extension)
{
    for (const fontout::FontFileFormat *file : fontout::fontFileFormats())
        if (file->extension() == extension)
            return *file;
    throw EditorError("No font file format ." + std::string(extension));
}

// The save dialog of one font file format, made on first use so that it keeps
// its folder and file name from one use to the next.
QFileDialog &fontDialog(Editor &e, const fontout::FontFileFormat &file)
{
    QWidget *owner = e.ui.Form1;
    const QString name = QStringLiteral("ExportFontDialog_") + QString::fromUtf8(file.extension().data(), qsizetype(file.extension().size()));
    auto *dialog = owner ? owner->findChild<QFileDialog *>(name) : nullptr;
    if (!dialog) {
        dialog = new QFileDialog(owner, QStringLiteral("Export font as ") + QString::fromUtf8(file.name().data(), qsizetype(file.name().size())));
        dialog->setObjectName(name);
        dialog->setOption(QFileDialog::DontUseNativeDialog);
        dialog->setNameFilter(QString::fromUtf8(file.nameFilter().data(), qsizetype(file.nameFilter().size())));
        dialog->setDefaultSuffix(QString::fromUtf8(file.extension().data(), qsizetype(file.extension().size())));
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
    }
    return *dialog;
}

// The block's glyphs: from block start, as many whole glyphs as lie inside
// the block and the image.
fontout::FontRange blockRange(const EditorState &s)
{
    fontout::FontRange range;
    range.image = s.image.bytes();
    range.start = s.blockStart;
    range.format = glyphFormatOf(s);
    const int64_t length = int64_t{s.blockEnd} - s.blockStart + 1;
    const int64_t size = range.format.size();
    const int64_t wanted = length >= size ? (length - size) / range.format.step() + 1 : 0;
    range.count = fontout::glyphsInside(s.imageLength(), range.start, range.format, wanted);
    if (range.count == 0)
        throw EditorError("The block holds no whole glyph of format " + formatText(range.format));
    // The width table counts glyphs from where the format was applied; the font file's from block start.
    if (!range.format.widthByte() && range.format.widthTable >= 0) {
        const std::optional<int64_t> entry = widthTableEntry(s, range.start);
        if (!entry)
            throw EditorError("The block start " + hex8(range.start) + " is not a glyph of the width table's font");
        range.format.widthTable = *entry;
    }
    return range;
}

void exportFont(Editor &e, std::string_view extension)
{
    const fontout::FontFileFormat &file = formatOf(extension);
    fontout::FontRange range = blockRange(e.state);
    // The codes of the map that governs the block start, read before any dialog.
    CharTable table;
    CharMapStore &store = CharMapStore::of(e);
    if (const FontMap *map = store.maps().governing(glyphFormatOf(e.state), range.start)) {
        // Labelled glyphs have their own codes, and take them from their slots.
        if (!map->labels.empty())
            for (int64_t k = 0; k < range.count; ++k)
                range.codes.push_back(codeOfGlyph(*map, fontout::glyphOffset(range, k), e.state.imageLength()));
        const std::optional<uint32_t> code = codeOfGlyph(*map, range.start, e.state.imageLength());
        if (code || std::any_of(range.codes.begin(), range.codes.end(), [](const auto &c) { return c.has_value(); })) {
            range.firstCode = code.value_or(0);
            range.mapped = true;
            if (!map->table.empty()) {
                // A table path written by hand into the map file is taken from the image's folder.
                QString path = QString::fromStdString(map->table);
                if (QFileInfo(path).isRelative())
                    path = QFileInfo(QString::fromStdString(e.state.fileName)).dir().filePath(path);
                table = readTableFile(path.toStdString());
                range.table = &table;
            }
        } else {
            range.codes.clear(); // no glyph of the block has a character: not coded by the map
        }
    }
    QFileDialog &dialog = fontDialog(e, file);
    if (!runFileDialogFor(e, dialog, "font"))
        return;
    const QString path = dialog.selectedFiles().value(0);
    if (!e.state.fileName.empty()
        && QFileInfo(path).absoluteFilePath() == QFileInfo(QString::fromStdString(e.state.fileName)).absoluteFilePath())
        throw EditorError("The font file cannot replace the image it comes from");
    range.name = fontout::fontNameOf(path.toStdString());
    std::vector<uint8_t> bytes;
    try {
        bytes = file.write(range);
    } catch (const fontout::FontOutError &error) {
        throw EditorError(error.what());
    }
    writeWholeFile(path, bytes);
}

} // namespace

void ExportBdf1Click(Editor &e) { exportFont(e, "bdf"); }
void ExportPsf1Click(Editor &e) { exportFont(e, "psf"); }
void ExportC1Click(Editor &e) { exportFont(e, "c"); }

} // namespace velmora
