#pragma once
#include <vector>

#include <QDialog>
#include <QToolBar>
#include <QString>
#include <QStringList>

#include "recovery/recovery_commands.h"

class QLabel;
class QTreeWidget;

namespace velmora {

struct Editor;

// Opens the entry's file as File > Open would (New for a New image's entry)
// and applies its changes as one undo step "Recover". Refused, with the
// image and the entry left alone, when the entry cannot be read or the file
// is gone or changed since.
void recoverEntry(Editor &editor, const RecoveryListing &listing);

// "Recover unsaved changes...": lists the entries of the recovery folder
// with their file, time, count of changed bytes and whether the file is
// still as the changes expect; "Recover" applies one, "Discard" removes one.
class RecoverDialog : public QDialog {
    Q_OBJECT
public:
    RecoverDialog(QWidget *parent, Editor &editor, QString folder);

    // Lists the folder's entries again.
    void refill();

signals:
    // An entry was recovered into the window or discarded: nothing of it is
    // left to recover.
    void entryDealtWith(const QString &entryFile);

private:
    const RecoveryListing *selected() const;
    void recoverSelected();
    void discardSelected();

    Editor &editor_;
    QString folder_;
    QTreeWidget *list_;
    std::vector<RecoveryListing> listings_;
};

// Shows the dialog for the entries of folder, listed afresh.
void Recover1Click(Editor &editor, const QString &folder);

// A bar inside the main window, "RecoveryNotice", saying that an earlier
// session left unsaved changes ("Unsaved changes of demo_phone.bin from
// 14:02 can be recovered"), with "Recover now..." (btRecoverNow: the Recover
// dialog) and a close button. It never blocks the window, and goes once
// every entry it named has been recovered or discarded.
class RecoveryNotice : public QToolBar {
    Q_OBJECT
public:
    RecoveryNotice(QWidget *parent, Editor &editor, QString folder);

    // Names the readable entries of the folder, or hides the bar when there
    // is none. Run once, at start-up.
    void showEntries();
    // Forgets an entry; the bar hides when none is left.
    void entryDealtWith(const QString &entryFile);

private:
    void showPending();

    Editor &editor_;
    QString folder_;
    QLabel *text_;
    std::vector<RecoveryListing> pending_;
};

} // namespace velmora
