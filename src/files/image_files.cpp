#include "files/image_files.h"

#include <utility>

#include <QAction>
#include <QFileDialog>

#include "storage/file_access.h"
#include "files/file_names.h"
#include "files/firmware_info.h"
#include "files/firmware_marker.h"
#include "files/reset_editor.h"
#include "model/errors.h"
#include "model/text_format.h"
#include "presets/format_controls.h"
#include "presets/info_label.h"
#include "presets/preset_buttons.h"
#include "views/editor.h"
#include "views/memory_overview.h"
#include "views/refresh.h"

namespace velmora {

namespace {

// The path a dialog names now: the confirmed choice after it ran, the name it
// will propose before.
QString fileNameOf(const QFileDialog &dialog) { return dialog.selectedFiles().value(0); }

void tellRecovery(Editor &e, ImageFileEvent event, const std::string &path = {})
{
    if (e.imageFileEvent)
        e.imageFileEvent(e, event, path);
}

// Makes bytes the image, with both offsets at 0 and the whole image as block.
void showNewImage(Editor &e, ImageStore bytes)
{
    EditorState &s = e.state;
    tellRecovery(e, ImageFileEvent::Leaving);
    s.image.replace(std::move(bytes));
    s.foundFonts.clear(); // the finder's list was of the image before
    s.reference = {}; // another image: the comparison ends with the old one
    e.history.clear();
    tellRecovery(e, ImageFileEvent::Opened, s.fileName);
    const int32_t length = s.imageLength();
    setCaption(e, s.fileName, length);
    s.viewOffset = 0;
    selectFirstChar(e);
    s.blockStart = 0;
    s.blockEnd = length - 1;
    clearInfo(e);
    const bool firmware = isFirmwareSize(length);
    // The views are read once: identification of a marked image reads them
    // itself, after its presets have chosen the format.
    const bool identificationReads = firmware && readFirmwareInfo(s.image);
    if (firmware)
        identifyFirmware(e);
    else
        clearPresets(e);
    if (!identificationReads)
        readAtOffset(e);
}

// The format from the current file name's size prefix, when "Size prefix" is checked.
void applySizePrefix(Editor &e)
{
    if (!e.ui.SZpref->isChecked())
        return;
    if (const auto format = sizePrefixFormat(QString::fromStdString(e.state.fileName)))
        applyFormat(e, format->width, format->height);
}

} // namespace

void NewFile(Editor &e)
{
    tellRecovery(e, ImageFileEvent::Leaving);
    resetEditor(e);
    tellRecovery(e, ImageFileEvent::Opened);
    e.history.clear();
    readAtOffset(e);
}

void OpenClick(Editor &e)
{
    const RepaintHold paintedOnce(e);
    if (e.runDialog(*e.ui.OD)) {
        const QString path = fileNameOf(*e.ui.OD);
        if (fileExists(path)) {
            // Read completely before anything is replaced or named: a failed
            // read leaves the old image under its old name, so that a Save
            // cannot write it over the file that could not be read.
            ImageStore bytes = readImageFile(path);
            e.state.fileName = path.toStdString();
            e.state.lastFile = stampOf(path);
            e.saveNameToPropose = path;
            showNewImage(e, std::move(bytes));
        }
    }
    applySizePrefix(e);
}

void openPath(Editor &e, const QString &path)
{
    e.ui.OD->selectFile(path);
    const auto previous = e.runDialog;
    e.runDialog = [](QFileDialog &) { return true; };
    try {
        OpenClick(e);
    } catch (...) {
        e.runDialog = previous;
        throw;
    }
    e.runDialog = previous;
}

void MergeIn(Editor &e)
{
    if (!e.runDialog(*e.ui.MDl))
        return;
    const QString path = fileNameOf(*e.ui.MDl);
    if (!fileExists(path))
        return;
    EditorState &s = e.state;
    s.image.writeBytes(s.viewOffset, readFileHead(path, int64_t{s.imageLength()} - s.viewOffset));
    selectFirstChar(e);
    readAtOffset(e);
}

QFileDialog &saveDialog(Editor &e)
{
    if (!e.saveNameToPropose.isEmpty())
        e.ui.SD->selectFile(std::exchange(e.saveNameToPropose, QString()));
    return *e.ui.SD;
}

void btSaveClick(Editor &e)
{
    if (!e.runDialog(saveDialog(e)))
        return;
    const QString path = fileNameOf(*e.ui.SD);
    writeWholeFile(path, e.state.image.bytes());
    e.state.lastFile = stampOf(path);
    setCaption(e, path.toStdString(), e.state.imageLength());
    e.ui.OD->selectFile(path);
    tellRecovery(e, ImageFileEvent::Saved, path.toStdString());
}

void SaveBlock(Editor &e)
{
    const EditorState &s = e.state;
    // Start = end + 1 is an empty block; a start further above the end names no bytes at all.
    const int64_t count = int64_t{s.blockEnd} - s.blockStart + 1;
    if (count < 0)
        throw EditorError("Block start " + hex8(s.blockStart) + " lies above block end " + hex8(s.blockEnd)
                          + ": no block to save");

    QFileDialog &dialog = saveDialog(e);
    const QString remembered = fileNameOf(dialog);
    dialog.selectFile(QString::fromStdString(proposedBlockName(
        s.blockStart, s.blockEnd, s.charWidth, s.charHeight, e.ui.SZpref->isChecked(), e.ui.AdPref->isChecked())));
    // A block end near the image end can lie past it; range() keeps to the image.
    if (e.runDialog(dialog))
        writeWholeFile(fileNameOf(dialog), s.image.range(s.blockStart, count));
    dialog.selectFile(remembered);
}

} // namespace velmora
