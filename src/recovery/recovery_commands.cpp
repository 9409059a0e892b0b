#include "recovery/recovery_commands.h"

#include <algorithm>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "storage/file_access.h"
#include "model/errors.h"
#include "patch/crc32.h"

namespace velmora {

using recovery::RecoveryEntry;

namespace {

QString entryPath(const QString &folder, const std::string &filePath)
{
    return QDir(folder).filePath(QString::fromStdString(recovery::entryFileName(filePath)));
}

QStringList entryFiles(const QString &folder)
{
    QStringList files;
    if (folder.isEmpty()) // no data folder: not the working folder either
        return files;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (recovery::isEntryFileName(name.toStdString()))
            files << QDir(folder).filePath(name);
    return files;
}

RecoveryEntry readEntry(const QString &entryFile) { return recovery::parseEntry(readWholeFile(entryFile)); }

} // namespace

QString recoveryFolder()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    return data.isEmpty() ? QString() : data + QStringLiteral("/recovery");
}

std::vector<RecoveryListing> listRecoveryEntries(const QString &folder)
{
    std::vector<RecoveryListing> listings;
    for (const QString &file : entryFiles(folder)) {
        RecoveryListing listing{file, std::nullopt, {}};
        try {
            listing.entry = readEntry(file);
        } catch (const std::exception &error) {
            listing.problem = QString::fromStdString(error.what());
        }
        listings.push_back(std::move(listing));
    }
    std::stable_sort(listings.begin(), listings.end(), [](const RecoveryListing &a, const RecoveryListing &b) {
        if (a.entry && b.entry)
            return a.entry->savedAt > b.entry->savedAt;
        return a.entry.has_value() && !b.entry.has_value();
    });
    return listings;
}

void writeRecoveryEntry(const QString &folder, const RecoveryEntry &entry)
{
    if (folder.isEmpty())
        throw EditorError("There is no folder for application data to keep unsaved changes in");
    if (!QDir().mkpath(folder))
        throw EditorError("The folder for unsaved changes '" + folder.toStdString() + "' cannot be made");
    // The entries hold the user's image bytes: only the user may read them.
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    writeWholeFile(entryPath(folder, entry.filePath), recovery::serialiseEntry(entry));
}

void removeRecoveryEntry(const QString &folder, const std::string &filePath)
{
    if (folder.isEmpty())
        return;
    QFile::remove(entryPath(folder, filePath));
}

void removeExpiredEntries(const QString &folder, int64_t now)
{
    for (const QString &file : entryFiles(folder)) {
        int64_t savedAt = 0;
        try {
            savedAt = readEntry(file).savedAt;
        } catch (const std::exception &) {
            savedAt = QFileInfo(file).lastModified().toSecsSinceEpoch();
        }
        if (recovery::isExpired(savedAt, now))
            QFile::remove(file);
    }
}

RecoveryKeeper::RecoveryKeeper(Editor &editor, QObject *parent)
    : QObject(parent), editor_(editor), folder_(recoveryFolder()), refresh_(new QTimer(this))
{
    refresh_->setObjectName(QStringLiteral("recoveryRefresh"));
    refresh_->setSingleShot(true);
    refresh_->setInterval(refreshInterval);
    connect(refresh_, &QTimer::timeout, this, [this] { keepNow(true); });
    removeExpiredEntries(folder_, QDateTime::currentSecsSinceEpoch());
}

void RecoveryKeeper::fileEvent(ImageFileEvent event, const std::string &path)
{
    if (event == ImageFileEvent::Leaving) {
        keepNow();
        return;
    }
    // Saved: the changes are in that file now; the entry this window kept
    // for the file before, and any older entry of the saved file, go.
    if (event == ImageFileEvent::Saved) {
        if (keptCrc_)
            removeRecoveryEntry(folder_, filePath_);
        removeRecoveryEntry(folder_, path);
    }
    refresh_->stop();
    keptCrc_.reset();
    filePath_ = path;
    // The image as opened (Open and New make it the saved state themselves),
    // or as just written, is what the changes from now on are counted from.
    editor_.state.image.markSaved();
}

void RecoveryKeeper::editStepDone()
{
    if (!refresh_->isActive())
        refresh_->start();
}

bool RecoveryKeeper::hasUnsavedChanges() const { return editor_.state.image.hasUnsavedChanges(); }

void RecoveryKeeper::keepNow(bool report)
{
    refresh_->stop();
    try {
        const ImageBytes image = editor_.state.image.bytes();
        if (!hasUnsavedChanges()) {
            if (keptCrc_)
                removeRecoveryEntry(folder_, filePath_);
            keptCrc_.reset();
            return;
        }
        const uint32_t crc = patch::crc32Of(image);
        if (keptCrc_ == crc)
            return; // the entry on disk holds this image already
        // The file as last opened or saved (zeros for a New image): the saved state.
        const std::vector<uint8_t> source = editor_.state.image.savedBytes();
        writeRecoveryEntry(folder_, recovery::makeEntry(filePath_, source, image, QDateTime::currentSecsSinceEpoch()));
        keptCrc_ = crc;
        failureShown_ = false;
    } catch (const std::exception &error) {
        // Said once, not every ten seconds; never while the window closes.
        if (report && !failureShown_ && editor_.run) {
            failureShown_ = true;
            const std::string message = std::string("Unsaved changes cannot be kept for recovery: ") + error.what();
            editor_.run([message](Editor &) { throw EditorError(message); });
        }
    }
}

} // namespace velmora
