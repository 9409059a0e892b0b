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
#include <QStyle>
#include <QToolButton>
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
        openPath(e, path);
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
    const QString file = chosen->entryFile;
    editor_.run([listing = *chosen, &recovered](Editor &e) {
        recoverEntry(e, listing);
        recovered = true;
    });
    if (recovered) {
        emit entryDealtWith(file);
        accept();
    } else {
        refill();
    }
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
    if (!QFile::exists(file))
        emit entryDealtWith(file);
    refill();
}

void Recover1Click(Editor &editor, const QString &folder)
{
    QWidget *window = editor.ui.Form1;
    auto *dialog = window->findChild<RecoverDialog *>(QStringLiteral("RecoverDialog"));
    if (!dialog) {
        dialog = new RecoverDialog(window, editor, folder);
        if (auto *notice = window->findChild<RecoveryNotice *>(QStringLiteral("RecoveryNotice")))
            QObject::connect(dialog, &RecoverDialog::entryDealtWith, notice, &RecoveryNotice::entryDealtWith);
    }
    dialog->refill();
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

RecoveryNotice::RecoveryNotice(QWidget *parent, Editor &editor, QString folder)
    : QToolBar(parent), editor_(editor), folder_(std::move(folder)), text_(new QLabel(this))
{
    setObjectName(QStringLiteral("RecoveryNotice"));
    // A notice, not a tool bar the user arranges: it stays where it is shown.
    setMovable(false);
    setFloatable(false);
    toggleViewAction()->setVisible(false);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(0xFF, 0xF4, 0xC8));
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);
    text_->setObjectName(QStringLiteral("RecoveryNoticeText"));
    text_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    text_->setContentsMargins(4, 0, 4, 0);
    auto *recoverNow = new QPushButton(tr("Recover now..."), this);
    recoverNow->setObjectName(QStringLiteral("btRecoverNow"));
    recoverNow->setAutoDefault(false);
    auto *close = new QToolButton(this);
    close->setObjectName(QStringLiteral("btCloseRecoveryNotice"));
    close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    close->setAutoRaise(true);
    close->setToolTip(tr("Hide this notice; File > Recover unsaved changes... still lists the changes"));
    close->setAccessibleName(tr("Close"));
    addWidget(text_);
    addWidget(recoverNow);
    addWidget(close);
    connect(recoverNow, &QPushButton::clicked, this, [this] {
        editor_.run([this](Editor &e) { Recover1Click(e, folder_); });
    });
    connect(close, &QToolButton::clicked, this, &QWidget::hide);
    hide();
}

void RecoveryNotice::showEntries()
{
    pending_.clear();
    for (RecoveryListing &listing : listRecoveryEntries(folder_))
        if (listing.entry) // an unreadable entry cannot be recovered; the dialog still lists it
            pending_.push_back(std::move(listing));
    showPending();
}

void RecoveryNotice::entryDealtWith(const QString &entryFile)
{
    std::erase_if(pending_, [&](const RecoveryListing &l) { return l.entryFile == entryFile; });
    showPending();
}

void RecoveryNotice::showPending()
{
    // Entries removed meanwhile (a save of their file) are no longer there to recover.
    std::erase_if(pending_, [](const RecoveryListing &l) { return !QFile::exists(l.entryFile); });
    if (pending_.empty()) {
        hide();
        return;
    }
    const RecoveryListing &newest = pending_.front();
    const QString file = newest.entry->blank() ? tr("a new image")
                                               : QFileInfo(QString::fromStdString(newest.entry->filePath)).fileName();
    const QDateTime time = QDateTime::fromSecsSinceEpoch(newest.entry->savedAt);
    const QString when = time.date() == QDate::currentDate() ? QLocale().toString(time.time(), QLocale::ShortFormat)
                                                               : QLocale().toString(time, QLocale::ShortFormat);
    const QString others = pending_.size() == 1 ? QString()
        : pending_.size() == 2                    ? tr(" and of 1 other image")
                                                  : tr(" and of %1 other images").arg(pending_.size() - 1);
    text_->setText(tr("Unsaved changes of %1 from %2%3 can be recovered").arg(file, when, others));
    show();
}

} // namespace velmora
