#include "exchange/png_exchange.h"

#include <algorithm>
#include <string>

#include <QFileDialog>
#include <QMainWindow>

#include "views/editor.h"
#include "views/file_folders.h"
#include "storage/file_access.h"
#include "model/errors.h"
#include "model/format.h"
#include "model/text_format.h"
#include "views/refresh.h"
#include "views/memory_overview.h"

namespace velmora {

namespace {

// The PNG file dialog of the window named name, made on first use so that it
// keeps its folder and file name from one use to the next.
QFileDialog &pngDialog(Editor &e, const char *name, const char *title, bool save)
{
    QWidget *owner = e.ui.Form1;
    auto *dialog = owner ? owner->findChild<QFileDialog *>(QString::fromUtf8(name)) : nullptr;
    if (!dialog) {
        dialog = new QFileDialog(owner, QString::fromUtf8(title));
        dialog->setObjectName(QString::fromUtf8(name));
        dialog->setOption(QFileDialog::DontUseNativeDialog);
        dialog->setNameFilter(QStringLiteral("PNG images (*.png)"));
        dialog->setDefaultSuffix(QStringLiteral("png"));
        dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    }
    return *dialog;
}

void exportSheet(Editor &e, int64_t offset, int count)
{
    checkSheetCount(e.state, offset, count);
    QFileDialog &dialog = pngDialog(e, "ExportPngDialog", "Export glyphs as PNG", true);
    if (!runFileDialogFor(e, dialog, "sheet"))
        return;
    const QByteArray png = sheetPng(e.state, offset, count);
    writeWholeFile(dialog.selectedFiles().value(0),
                   std::span<const uint8_t>(reinterpret_cast<const uint8_t *>(png.constData()), static_cast<size_t>(png.size())));
}

} // namespace

void ExportPagePng1Click(Editor &e)
{
    const EditorState &s = e.state;
    exportSheet(e, s.viewOffset, charsThatFit(s, s.viewOffset, 32));
}

void ExportBlockPng1Click(Editor &e)
{
    const EditorState &s = e.state;
    // Whole characters from block start whose bytes end at or before block end.
    const int64_t length = int64_t{s.blockEnd} - s.blockStart + 1;
    const int64_t span = std::min(footprint(s), charStep(s));
    const int64_t wanted = length >= span ? (length - span) / charStep(s) + 1 : 0;
    exportSheet(e, s.blockStart, charsThatFit(s, s.blockStart, std::min<int64_t>(wanted, INT32_MAX)));
}

void ImportPng1Click(Editor &e)
{
    QFileDialog &dialog = pngDialog(e, "ImportPngDialog", "Import glyphs from PNG", false);
    if (!runFileDialogFor(e, dialog, "sheet"))
        return;
    const QString path = dialog.selectedFiles().value(0);
    const QImage sheet = sheetFromFileBytes(readWholeFile(path), path);
    writeSheet(e.state, e.state.viewOffset, sheet);
    selectFirstChar(e);
    readAtOffset(e);
}

} // namespace velmora
