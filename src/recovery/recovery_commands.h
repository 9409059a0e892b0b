#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <QObject>
#include <QString>
#include <QTimer>

#include "recovery/recovery_entry.h"
#include "views/editor.h"

namespace velmora {

// The folder recovery entries are kept in: "recovery" in the user's
// application data folder (~/.local/share/<application>/recovery); empty
// when there is no such folder.
QString recoveryFolder();

// One entry file of the recovery folder, readable or not.
struct RecoveryListing {
    QString entryFile;
    std::optional<recovery::RecoveryEntry> entry; // empty when the file cannot be read
    QString problem; // why it cannot
};
// Every entry file of folder, the newest first, unreadable ones last.
std::vector<RecoveryListing> listRecoveryEntries(const QString &folder);
// Writes entry to its file in folder, replacing the older entry of its path.
// Throws EditorError when the folder or the file cannot be written.
void writeRecoveryEntry(const QString &folder, const recovery::RecoveryEntry &entry);
// Removes the entry of filePath; nothing happens when there is none.
void removeRecoveryEntry(const QString &folder, const std::string &filePath);
// Removes entries older than thirty days; unreadable ones go by their file's time.
void removeExpiredEntries(const QString &folder, int64_t now);

// Keeps the image's unsaved changes in the recovery folder: it knows the file
// as last opened or saved, writes an entry when the window closes and at most
// every refreshInterval after edits, and removes the entry once the changes
// are saved or undone. Everything runs on the window's thread.
class RecoveryKeeper : public QObject {
    Q_OBJECT
public:
    static constexpr int refreshInterval = 10000; // ms

    explicit RecoveryKeeper(Editor &editor, QObject *parent = nullptr);

    const QString &folder() const { return folder_; }
    // What Open, New and Save report (see Editor::imageFileEvent).
    void fileEvent(ImageFileEvent event, const std::string &path);
    // An edit step was made, undone or redone: refresh the entry soon.
    void editStepDone();
    // Brings the entry in line with the image now: written when it holds
    // changes not yet kept, removed when the changes this window kept are
    // gone. Failures are reported only when report is set.
    void keepNow(bool report = false);
    // The single-shot timer of the refresh after edits.
    QTimer &refreshTimer() { return *refresh_; }
    // Whether the image differs from the file as last opened or saved
    // (ImageBuffer keeps that state; nothing is compared here).
    bool hasUnsavedChanges() const;

private:
    Editor &editor_;
    QString folder_;
    std::string filePath_; // empty: a New image, whose saved state is its zeros
    std::optional<uint32_t> keptCrc_; // the image's CRC-32 in the entry this window wrote for filePath_
    bool failureShown_ = false;
    QTimer *refresh_;
};

} // namespace velmora
