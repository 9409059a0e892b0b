#pragma once
#include <vector>

#include <QDialog>
#include <QString>

#include "recovery/recovery_commands.h"

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

} // namespace velmora
