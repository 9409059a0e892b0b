#include "patch/patch_commands.h"

#include <QFileDialog>
#include <QMainWindow>

#include "model/errors.h"
#include "patch/byte_runs.h"
#include "patch/compare_commands.h"
#include "patch/patch_format.h"
#include "storage/file_access.h"
#include "views/editor.h"
#include "views/file_folders.h"
#include "views/refresh.h"

namespace velmora {

namespace {

QStringList formatFilters()
{
    QStringList filters;
    for (const patch::PatchFormat *format : patch::patchFormats())
        filters.append(QString::fromUtf8(format->nameFilter().data(), static_cast<qsizetype>(format->nameFilter().size())));
    return filters;
}

QString extensionOf(const QString &filter)
{
    for (const patch::PatchFormat *format : patch::patchFormats())
        if (filter == QString::fromUtf8(format->nameFilter().data(), static_cast<qsizetype>(format->nameFilter().size())))
            return QString::fromUtf8(format->extension().data(), static_cast<qsizetype>(format->extension().size()));
    return {};
}

// The patch dialogs of the window, made on first use so that each keeps its
// folder and name from one use to the next.
QFileDialog &patchDialog(Editor &e, bool save)
{
    QWidget *owner = e.ui.Form1;
    const QString name = save ? QStringLiteral("SavePatchDialog") : QStringLiteral("ApplyPatchDialog");
    auto *dialog = owner ? owner->findChild<QFileDialog *>(name) : nullptr;
    if (dialog)
        return *dialog;
    dialog = new QFileDialog(owner, save ? QStringLiteral("Save patch") : QStringLiteral("Apply patch"));
    dialog->setObjectName(name);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    if (save) {
        dialog->setNameFilters(formatFilters());
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
        // A name typed without an extension gets the one of the chosen type.
        QObject::connect(dialog, &QFileDialog::filterSelected, dialog,
                         [dialog](const QString &filter) { dialog->setDefaultSuffix(extensionOf(filter)); });
        const QString bps = QString::fromUtf8(patch::bpsPatches().nameFilter().data());
        dialog->selectNameFilter(bps);
        dialog->setDefaultSuffix(extensionOf(bps));
    } else {
        dialog->setNameFilters(QStringList{QString::fromStdString(patch::anyPatchFilter())} + formatFilters()
                               + QStringList{QStringLiteral("all files (*)")});
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::ExistingFile);
    }
    return *dialog;
}

// Runs fn, turning a patch's refusal into the error box's.
template <typename Fn> auto refusingWith(Fn fn)
{
    try {
        return fn();
    } catch (const patch::PatchError &error) {
        throw EditorError(error.what());
    }
}

// What the patch is made against: the reference, else the file as it was
// last opened or saved, provided it has not changed on disk since.
std::shared_ptr<const std::vector<uint8_t>> patchOriginal(const Editor &e)
{
    const EditorState &s = e.state;
    if (s.reference.bytes)
        return s.reference.bytes;
    const FileStamp &file = s.lastFile;
    if (file.path.empty())
        throw EditorError("No original to make a patch against: open or save the image first, or choose one with "
                          "\"Compare with...\"");
    const QString path = QString::fromStdString(file.path);
    if (stampOf(path) != file)
        throw EditorError("'" + file.path + "' has changed since the image was opened or saved: choose the original "
                          "with \"Compare with...\"");
    auto bytes = std::make_shared<const std::vector<uint8_t>>(readWholeFile(path));
    if (static_cast<int64_t>(bytes->size()) != file.size)
        throw EditorError("'" + file.path + "' has changed since the image was opened or saved");
    return bytes;
}

} // namespace

void SavePatch1Click(Editor &e)
{
    const auto original = patchOriginal(e);
    QFileDialog &dialog = patchDialog(e, true);
    if (!runFileDialogFor(e, dialog, "patch"))
        return;
    const QString path = dialog.selectedFiles().value(0);
    const std::vector<uint8_t> bytes = refusingWith([&] {
        return patch::requirePatchFormat(path.toStdString()).write(*original, e.state.image.bytes());
    });
    writeWholeFile(path, bytes);
    const patch::DifferenceCount count = patch::countDifferences(*original, e.state.image.bytes());
    sayInCompareStatus(e, QStringLiteral("Patch saved: %L1 %2, %L3 %4")
                              .arg(count.runs)
                              .arg(QLatin1String(count.runs == 1 ? "run" : "runs"))
                              .arg(count.bytes)
                              .arg(QLatin1String(count.bytes == 1 ? "byte" : "bytes")));
}

void ApplyPatch1Click(Editor &e)
{
    QFileDialog &dialog = patchDialog(e, false);
    if (!runFileDialogFor(e, dialog, "patch"))
        return;
    const QString path = dialog.selectedFiles().value(0);
    EditorState &s = e.state;
    const ImageBytes image = s.image.bytes();
    // Everything is read and checked before the first byte is written.
    const std::vector<uint8_t> result = refusingWith([&] {
        const patch::PatchFormat &format = patch::requirePatchFormat(path.toStdString());
        return format.apply(image, readWholeFile(path), image.size());
    });
    if (result.size() != image.size())
        throw EditorError("This patch makes an image of " + std::to_string(result.size())
                          + " bytes; the image keeps its length of " + std::to_string(image.size()) + " bytes");
    for (const patch::ByteRun &run : patch::differingRuns(image, result))
        s.image.writeBytes(static_cast<int64_t>(run.offset), std::span(result).subspan(run.offset, run.length));
    readAtOffset(e);
}

} // namespace velmora
