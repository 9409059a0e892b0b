#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "storage/file_access.h"
#include "recovery/recover_dialog.h"
#include "support/window_fixture.h"

using namespace velmora;

namespace {

QByteArray bytesOf(const std::vector<uint8_t> &v) { return QByteArray(reinterpret_cast<const char *>(v.data()), qsizetype(v.size())); }

void trigger(test::Window &w, const char *name) { w.find<QAction>(name)->trigger(); }

// Opens a 4 KB file and makes one edit step: the first character cleared and written.
QString openAndEdit(test::Window &w, bool newImage = false)
{
    const std::vector<uint8_t> bytes = test::patternBytes(4096);
    const QString path = test::writeFile(w.dir.filePath("fw.bin"), bytesOf(bytes));
    if (newImage) {
        trigger(w, "mnNew");
        w.editor().runStep("Draw", [](Editor &e) { e.state.image.write(5, 0x3C); });
    } else {
        test::runWithFile(w, "Open", path);
        trigger(w, "Clear1");
        trigger(w, "Write1");
    }
    return path;
}

QStringList entryFiles() { return QDir(recoveryFolder()).entryList(QDir::Files); }

// Runs Recover on the entry listed in row; returns the dialog's list as it was.
QTreeWidget *recoverRow(test::Window &w, int row)
{
    trigger(w, "Recover1");
    auto *dialog = w.find<RecoverDialog>("RecoverDialog");
    auto *list = dialog->findChild<QTreeWidget *>("RecoveryList");
    list->setCurrentItem(list->topLevelItem(row));
    QTest::mouseClick(dialog->findChild<QPushButton *>("btRecover"), Qt::LeftButton);
    return list;
}

} // namespace

class RecoverDialogTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init()
    {
        QFile::remove(recoveryFolder());
        QDir(recoveryFolder()).removeRecursively();
    }

    void closeKeepsChangesAndRecoverGivesThemBack_data()
    {
        QTest::addColumn<bool>("newImage");
        QTest::newRow("opened file") << false;
        QTest::newRow("new image") << true;
    }
    void closeKeepsChangesAndRecoverGivesThemBack()
    {
        QFETCH(bool, newImage);
        test::MessageBoxWatcher boxes;
        test::Window w;
        openAndEdit(w, newImage);
        const std::vector<uint8_t> original = newImage ? std::vector<uint8_t>(2112, 0) : test::patternBytes(4096);
        const std::vector<uint8_t> edited = w.state().image.bytes();
        QVERIFY(edited != original);
        QVERIFY(entryFiles().isEmpty()); // the refresh waits its ten seconds
        QVERIFY(w.form->close());
        QCOMPARE(entryFiles().size(), 1);

        test::Window again;
        test::runWithFile(again, "mnNew", {});
        recoverRow(again, 0);
        QCOMPARE(again.state().image.bytes(), edited);
        QCOMPARE(again.find<QAction>("Undo1")->text(), QStringLiteral("Undo Recover"));
        trigger(again, "Undo1");
        QCOMPARE(again.state().image.bytes(), original);
        QVERIFY(boxes.seen().isEmpty());
    }

    // Changes left by an earlier session are offered in a bar of the window,
    // not a box: it goes once they are recovered or discarded, or when closed.
    void recoveryIsOfferedAtStartUp_data()
    {
        QTest::addColumn<QString>("button"); // in the Recover dialog, or the bar's own close button
        QTest::newRow("recovered") << "btRecover";
        QTest::newRow("discarded") << "btDiscardRecovery";
        QTest::newRow("notice closed") << "btCloseRecoveryNotice";
    }
    void recoveryIsOfferedAtStartUp()
    {
        QFETCH(QString, button);
        test::MessageBoxWatcher boxes;
        test::Window earlier;
        openAndEdit(earlier);
        QVERIFY(!earlier.find<QWidget>("RecoveryNotice")->isVisible());
        QVERIFY(earlier.form->close());

        test::Window w;
        auto *notice = w.find<QWidget>("RecoveryNotice");
        QVERIFY(notice->isVisible() && !QApplication::activeModalWidget());
        const QString text = notice->findChild<QLabel *>("RecoveryNoticeText")->text();
        QVERIFY2(text.startsWith("Unsaved changes of fw.bin from ") && text.endsWith(" can be recovered"), qPrintable(text));
        if (button != "btCloseRecoveryNotice") {
            QTest::mouseClick(notice->findChild<QPushButton *>("btRecoverNow"), Qt::LeftButton);
            notice = w.find<RecoverDialog>("RecoverDialog"); // where the button is
        }
        QTest::mouseClick(notice->findChild<QWidget *>(button), Qt::LeftButton);
        QVERIFY(!w.find<QWidget>("RecoveryNotice")->isVisible());
        QVERIFY(boxes.seen().isEmpty());
    }

    void refreshTimerKeepsAnEntryThatApplies()
    {
        test::Window w;
        openAndEdit(w);
        auto *timer = w.form->findChild<QTimer *>("recoveryRefresh");
        QVERIFY(timer->isActive() && timer->isSingleShot() && timer->interval() == 10000);
        timer->start(0);
        QTRY_COMPARE(entryFiles().size(), 1);
        // Read back as after a crash, with the window still open.
        const auto listed = listRecoveryEntries(recoveryFolder());
        QCOMPARE(listed.size(), size_t{1});
        QVERIFY2(listed[0].entry, qPrintable(listed[0].problem));
        QCOMPARE(recovery::applyEntry(*listed[0].entry, test::patternBytes(4096)), w.state().image.bytes());
        // Undone back to the file: the entry this window kept goes.
        trigger(w, "Undo1");
        QVERIFY(timer->isActive());
        timer->start(0);
        QTRY_VERIFY(entryFiles().isEmpty());
    }

    void saveRemovesTheEntry_data()
    {
        QTest::addColumn<QString>("saveAs");
        QTest::addColumn<bool>("targetHadEntry"); // from an earlier session
        QTest::newRow("same file") << "fw.bin" << false;
        QTest::newRow("another file with an older entry") << "other.bin" << true;
    }
    void saveRemovesTheEntry()
    {
        QFETCH(QString, saveAs);
        QFETCH(bool, targetHadEntry);
        test::Window w;
        openAndEdit(w);
        if (targetHadEntry)
            writeRecoveryEntry(recoveryFolder(), recovery::makeEntry(w.dir.filePath(saveAs).toStdString(), std::vector<uint8_t>(8),
                                                                     std::vector<uint8_t>(8, 1), 0));
        w.form->findChild<QTimer *>("recoveryRefresh")->start(0);
        QTRY_COMPARE(entryFiles().size(), targetHadEntry ? 2 : 1);
        test::runWithFile(w, "Save", w.dir.filePath(saveAs));
        QVERIFY(entryFiles().isEmpty());
        QVERIFY(w.form->close()); // nothing unsaved: nothing kept
        QVERIFY(entryFiles().isEmpty());
    }

    void refusedEntriesStayAndChangeNothing_data()
    {
        QTest::addColumn<int>("damage"); // 0: the file changed on disk; else bytes cut off the entry, or -1 for a flipped byte
        QTest::addColumn<QString>("listed");
        QTest::addColumn<QString>("message");
        QTest::newRow("file changed since") << 0 << "Changed since" << "has changed since";
        QTest::newRow("truncated entry") << 7 << "Unreadable" << "cannot be read";
        QTest::newRow("corrupt entry") << -1 << "Unreadable" << "cannot be read";
    }
    void refusedEntriesStayAndChangeNothing()
    {
        QFETCH(int, damage);
        QFETCH(QString, listed);
        QFETCH(QString, message);
        test::MessageBoxWatcher boxes;
        test::Window w;
        const QString path = openAndEdit(w);
        QVERIFY(w.form->close());
        const QString entry = QDir(recoveryFolder()).filePath(entryFiles().value(0));
        QByteArray bytes = bytesOf(readWholeFile(entry));
        if (damage > 0)
            bytes.chop(damage);
        else if (damage < 0)
            bytes[bytes.size() / 2] = char(~bytes[bytes.size() / 2]);
        test::writeFile(entry, bytes);
        if (damage == 0)
            test::writeFile(path, QByteArray(4096, 'x'));

        test::Window again;
        const std::vector<uint8_t> before = again.state().image.bytes();
        QTreeWidget *list = recoverRow(again, 0);
        QVERIFY2(list->topLevelItem(0)->text(3).startsWith(listed), qPrintable(list->topLevelItem(0)->text(3)));
        QCOMPARE(boxes.seen().size(), 1);
        QVERIFY2(boxes.seen()[0].text.contains(message), qPrintable(boxes.seen()[0].text));
        QCOMPARE(again.state().image.bytes(), before);
        QVERIFY(!again.find<QAction>("Undo1")->isEnabled());
        QCOMPARE(entryFiles().size(), 1);

        QTest::mouseClick(again.find<RecoverDialog>("RecoverDialog")->findChild<QPushButton *>("btDiscardRecovery"),
                          Qt::LeftButton);
        QVERIFY(entryFiles().isEmpty());
        QCOMPARE(list->topLevelItemCount(), 0);
    }

    void unwritableFolderIsReportedOnceAndCloseStaysQuiet()
    {
        test::MessageBoxWatcher boxes;
        QDir().mkpath(QFileInfo(recoveryFolder()).path());
        test::writeFile(recoveryFolder(), "a file where the folder should be");
        test::Window w;
        openAndEdit(w);
        auto *timer = w.form->findChild<QTimer *>("recoveryRefresh");
        timer->start(0);
        QTRY_COMPARE(boxes.seen().size(), 1);
        QVERIFY2(boxes.seen()[0].text.contains("cannot be kept for recovery"), qPrintable(boxes.seen()[0].text));
        w.editor().runStep("Draw", [](Editor &e) { e.state.image.write(9, 0x55); });
        QVERIFY(timer->isActive());
        timer->start(0);
        QTRY_VERIFY(!timer->isActive());
        QVERIFY(w.form->close());
        QTest::qWait(20);
        QCOMPARE(boxes.seen().size(), 1);
        QFile::remove(recoveryFolder());
    }

    void startUpRemovesEntriesOlderThanThirtyDays()
    {
        const int64_t now = QDateTime::currentSecsSinceEpoch();
        for (auto [path, days] : {std::pair{"/old.bin", 31}, std::pair{"/recent.bin", 29}})
            writeRecoveryEntry(recoveryFolder(), recovery::makeEntry(path, std::vector<uint8_t>(64, 1),
                                                                     std::vector<uint8_t>(64, 9), now - days * 24 * 3600));
        test::Window w;
        const auto listed = listRecoveryEntries(recoveryFolder());
        QCOMPARE(listed.size(), size_t{1});
        QCOMPARE(listed[0].entry->filePath, std::string("/recent.bin"));
    }
};

QTEST_MAIN(RecoverDialogTest)
#include "test_recover_dialog.moc"
