#include "recovery/recover_dialog.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMainWindow>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "storage/file_access.h"
#include "files/image_files.h"
#include "model/errors.h"
#include "views/refresh.h"

namespace velmora {

using recovery::RecoveryEntry;

namespace {

QString fileText(const RecoveryListing &listing)
{
    if (!listing.entry)
        return QFileInfo(listing.entryFile).fileName();
    return listing.entry->blank() ? QObject::tr("New image") : QString::fromStdString(listing.entry->filePath);
}

QString timeText(const RecoveryListing &listing)
{
    const QDateTime time = listing.entry ? QDateTime::fromSecsSinceEpoch(listing.entry->savedAt)
                                         : QFileInfo(listing.entryFile).lastModified();
    return QLocale().toString(time, QLocale::ShortFormat);
}

// Whether the entry can be recovered: its file still there and unchanged.
QString fileStateText(const RecoveryListing &listing)
{
    if (!listing.entry)
        return QObject::tr("Unreadable entry: %1").arg(listing.problem);
    const RecoveryEntry &entry = *listing.entry;
    if (entry.blank())
        return QObject::tr("No file (a new image)");
    const QString path = QString::fromStdString(entry.filePath);
    if (!fileExists(path))
        return QObject::tr("Not there any more");
    try {
        return recovery::matchesSource(entry, readWholeFile(path)) ? QObject::tr("There, unchanged since")
                                                                     : QObject::tr("Changed since: cannot be recovered");
    } catch (const std::exception &error) {
        return QObject::tr("Cannot be read: %1").arg(QString::fromStdString(error.what()));
    }
}

[[noreturn]] void refuseChangedFile(const std::string &path)
{
    throw EditorError("'" + path + "' has changed since its unsaved changes were kept, so they are not applied; "
                      "the entry stays in the list");
}

// Opens path as File > Open does, its dialog answered with path.
void openAsFileOpen(Editor &e, const QString &path)
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

} // namespace

void recoverEntry(Editor &e, const RecoveryListing &listing)
{
    if (!listing.entry)
        throw EditorError("The recovery entry " + QFileInfo(listing.entryFile).fileName().toStdString()
                          + " cannot be read, so nothing of it is applied: " + listing.problem.toStdString());
    const RecoveryEntry &entry = *listing.entry;
    if (entry.blank()) {
        NewFile(e);
    } else {
        const QString path = QString::fromStdString(entry.filePath);
        if (!fileExists(path))
            throw EditorError("'" + entry.filePath + "' is not there any more: its unsaved changes cannot be applied");
        // Checked before Open, so that a refusal leaves the image as it is.
        if (!recovery::matchesSource(entry, readWholeFile(path)))
            refuseChangedFile(entry.filePath);
        openAsFileOpen(e, path);
    }
    std::vector<uint8_t> recovered;
    try {
        recovered = recovery::applyEntry(entry, e.state.image.bytes());
    } catch (const recovery::SourceChangedError &) {
        refuseChangedFile(entry.blank() ? std::string("The new image") : entry.filePath);
    } catch (const recovery::RecoveryError &error) {
        throw EditorError(error.what());
    }
    e.runStep("Recover", [&recovered](Editor &e) {
        e.state.image.writeBytes(0, recovered);
        readAtOffset(e);
    });
}

RecoverDialog::RecoverDialog(QWidget *parent, Editor &editor, QString folder)
    : QDialog(parent), editor_(editor), folder_(std::move(folder)), list_(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("RecoverDialog"));
    setWindowTitle(tr("Recover unsaved changes"));
    setWindowModality(Qt::WindowModal);
    auto *intro = new QLabel(tr("Changes not saved when the editor closed, kept in %1").arg(QDir::toNativeSeparators(folder_)), this);
    intro->setWordWrap(true);
    list_->setObjectName(QStringLiteral("RecoveryList"));
    list_->setHeaderLabels({tr("File"), tr("Kept at"), tr("Changed bytes"), tr("File now")});
    list_->setRootIsDecorated(false);
    list_->setTextElideMode(Qt::ElideMiddle); // the file's name stays in sight
    list_->setColumnWidth(0, 300);
    list_->header()->setStretchLastSection(true);

    auto *buttons = new QDialogButtonBox(this);
    auto *recover = buttons->addButton(tr("Recover"), QDialogButtonBox::AcceptRole);
    recover->setObjectName(QStringLiteral("btRecover"));
    auto *discard = buttons->addButton(tr("Discard"), QDialogButtonBox::DestructiveRole);
    discard->setObjectName(QStringLiteral("btDiscardRecovery"));
    buttons->addButton(QDialogButtonBox::Close);
    // The buttons act on the chosen row; the box's own accept and reject stay unconnected for them.
    connect(recover, &QPushButton::clicked, this, &RecoverDialog::recoverSelected);
    connect(discard, &QPushButton::clicked, this, &RecoverDialog::discardSelected);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &RecoverDialog::recoverSelected);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(list_);
    layout->addWidget(buttons);
    resize(720, 300);
}

void RecoverDialog::refill()
{
    listings_ = listRecoveryEntries(folder_);
    list_->clear();
    for (const RecoveryListing &listing : listings_) {
        const QString changed = listing.entry ? QLocale().toString(static_cast<qulonglong>(listing.entry->changedBytes)) : QString();
        auto *item = new QTreeWidgetItem(list_, {fileText(listing), timeText(listing), changed, fileStateText(listing)});
        item->setToolTip(0, fileText(listing));
        item->setToolTip(3, item->text(3));
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    }
    if (list_->topLevelItemCount() > 0)
        list_->setCurrentItem(list_->topLevelItem(0));
    list_->resizeColumnToContents(1);
    list_->resizeColumnToContents(2);
}

const RecoveryListing *RecoverDialog::selected() const
{
    const int row = list_->indexOfTopLevelItem(list_->currentItem());
    return row >= 0 && row < static_cast<int>(listings_.size()) ? &listings_[static_cast<size_t>(row)] : nullptr;
}

void RecoverDialog::recoverSelected()
{
    const RecoveryListing *chosen = selected();
    if (!chosen)
        return;
    bool recovered = false;
    editor_.run([listing = *chosen, &recovered](Editor &e) {
        recoverEntry(e, listing);
        recovered = true;
    });
    if (recovered)
        accept();
    else
        refill();
}

void RecoverDialog::discardSelected()
{
    const RecoveryListing *chosen = selected();
    if (!chosen)
        return;
    const QString file = chosen->entryFile;
    editor_.run([file](Editor &) {
        if (QFile::exists(file) && !QFile::remove(file))
            throw EditorError("The recovery entry '" + file.toStdString() + "' cannot be removed");
    });
    refill();
}

void Recover1Click(Editor &editor, const QString &folder)
{
    QWidget *window = editor.ui.Form1;
    auto *dialog = window->findChild<RecoverDialog *>(QStringLiteral("RecoverDialog"));
    if (!dialog)
        dialog = new RecoverDialog(window, editor, folder);
    dialog->refill();
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

} // namespace velmora
