#include <csignal>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "files/image_files.h"
#include "files/firmware_info.h"
#include "model/text_format.h"
#include "support/window_fixture.h"

using namespace velmora;

namespace {

QByteArray pattern(int size)
{
    QByteArray bytes(size, 0);
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i * 7 + 1);
    return bytes;
}

QByteArray imageBytes(const EditorState &s)
{
    return QByteArray(reinterpret_cast<const char *>(s.image.bytes().data()), s.imageLength());
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QString nameIn(const QFileDialog *dialog) { return dialog->selectedFiles().value(0); }

// Answers every file dialog with path (an empty path cancels) and runs the command.
void run(test::Window &w, const char *command, const QString &path = {})
{
    w.editor().runDialog = [path](QFileDialog &dialog) {
        if (path.isEmpty())
            return false;
        dialog.selectFile(path);
        return true;
    };
    w.find<QAction>(command)->trigger();
}

// Lowers the file size limit so that writes past it fail as on a full disk.
struct FileSizeLimit {
    rlimit previous{};
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous);
        rlimit limit = previous;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &previous); }
};

// Makes something at path that is not a regular file; returns the path.
QString nonRegularFile(const QString &kind, const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    if (kind == "fifo") {
        if (::mkfifo(name.constData(), 0600) != 0)
            qFatal("mkfifo failed");
    } else if (kind == "socket") {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, name.constData(), sizeof address.sun_path);
        if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
            qFatal("cannot bind a socket");
        ::close(fd); // the name stays
    } else if (!QFile::link(QStringLiteral("/dev/zero"), path)) { // a name for a device
        qFatal("cannot link to a device");
    }
    return path;
}

} // namespace

class ImageFilesTest : public QObject {
    Q_OBJECT
private slots:
    void openReplacesImageAndResetsOffsetsAndBlock_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("firmware");
        QTest::newRow("small") << 1000 << false;
        QTest::newRow("4 MB firmware") << 0x400000 << true;
        QTest::newRow("empty") << 0 << false;
    }
    void openReplacesImageAndResetsOffsetsAndBlock()
    {
        QFETCH(int, size);
        QFETCH(bool, firmware);
        test::Window w;
        const QString path = test::writeFile(w.dir.filePath("image.bin"), pattern(size));
        w.state().viewOffset = w.state().glyphOffset = 0x20;
        w.find<QPushButton>("bt1")->setText("P");
        w.find<QLabel>("LbNfo")->setText("old");
        run(w, "Open", path);
        QCOMPARE(imageBytes(w.state()), pattern(size));
        QCOMPARE(w.form->windowTitle(), "VELMORA CE  [" + path + "]  " + QString::fromStdString(hex8(size)));
        QCOMPARE(w.state().viewOffset, 0);
        QCOMPARE(w.state().glyphOffset, 0);
        QCOMPARE(w.state().blockStart, 0);
        QCOMPARE(w.state().blockEnd, size - 1);
        QCOMPARE(QString::fromStdString(w.state().fileName), path);
        QCOMPARE(nameIn(&saveDialog(w.editor())), path);
        QCOMPARE(w.find<QLabel>("LbNfo")->text(), QString());
        // Not a firmware size, or a firmware size without the marker: the presets are cleared.
        QCOMPARE(w.find<QPushButton>("bt1")->text(), QStringLiteral("-"));
        QCOMPARE(isFirmwareSize(size), firmware);
    }

    void failedOpenKeepsThePreviousImage()
    {
        test::MessageBoxWatcher boxes;
        test::Window w;
        QFile huge(w.dir.filePath("huge.bin"));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(0x80000000LL)); // sparse: no disk used
        huge.close();
        run(w, "Open", huge.fileName());
        QCOMPARE(boxes.seen().size(), 1);
        QVERIFY(boxes.seen().first().text.startsWith("File too large"));
        QCOMPARE(w.state().imageLength(), 2112);
        QCOMPARE(w.form->windowTitle(), QStringLiteral("VELMORA CE  [blank.bin]  00000840"));
    }

    void openUsesReadOnlyAccess()
    {
        test::MessageBoxWatcher boxes;
        test::Window w;
        const QString path = test::writeFile(w.dir.filePath("locked.bin"), pattern(40));
        QFile::setPermissions(path, QFile::ReadOwner);
        run(w, "Open", path);
        QCOMPARE(imageBytes(w.state()), pattern(40));
        // A running program may not be opened for writing, not even by root.
        const QString self = QCoreApplication::applicationFilePath();
        QVERIFY(QFile::link(self, w.dir.filePath("self.bin")));
        run(w, "Open", w.dir.filePath("self.bin"));
        QCOMPARE(boxes.seen().size(), 0);
        QCOMPARE(qint64(w.state().imageLength()), QFileInfo(self).size());
    }

    void sizePrefixSetsTheFormat_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("sizePrefix");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QString>("error");
        QTest::newRow("prefix") << "16x12_font.bin" << true << 16 << 12 << "";
        QTest::newRow("option off") << "16x12_font.bin" << false << 8 << 13 << "";
        QTest::newRow("not third character") << "font_16x12.bin" << true << 8 << 13 << "";
        QTest::newRow("width not a number") << "axx13_.bin" << true << 8 << 13 << "'ax' is not a valid integer value.";
        QTest::newRow("height converted first") << "axxby_.bin" << true << 8 << 13 << "'by' is not a valid integer value.";
    }
    void sizePrefixSetsTheFormat()
    {
        QFETCH(QString, name);
        QFETCH(bool, sizePrefix);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QString, error);
        test::MessageBoxWatcher boxes;
        test::Window w;
        w.find<QAction>("SZpref")->setChecked(sizePrefix);
        run(w, "Open", test::writeFile(w.dir.filePath(name), pattern(64)));
        QCOMPARE(w.state().imageLength(), 64);
        QCOMPARE(int(w.state().charWidth), width);
        QCOMPARE(int(w.state().charHeight), height);
        QCOMPARE(boxes.seen().size(), error.isEmpty() ? 0 : 1);
        if (!error.isEmpty())
            QCOMPARE(boxes.seen().first().text, error);
    }

    void cancelledOrMissingOpenAppliesTheCurrentPrefixOnly()
    {
        test::Window w;
        w.find<QAction>("SZpref")->setChecked(false);
        run(w, "Open", test::writeFile(w.dir.filePath("16x12_font.bin"), pattern(64)));
        QCOMPARE(int(w.state().charWidth), 8);
        w.find<QAction>("SZpref")->setChecked(true);
        run(w, "Open", w.dir.filePath("missing.bin"));
        QCOMPARE(int(w.state().charWidth), 16);
        QCOMPARE(w.state().imageLength(), 64);
        w.state().charWidth = 8;
        run(w, "Open"); // cancelled
        QCOMPARE(int(w.state().charWidth), 16);
        QCOMPARE(int(w.state().charHeight), 12);
    }

    void mergeOverwritesFromTheViewOffsetWithinTheImage()
    {
        test::Window w;
        w.state().viewOffset = 0x100;
        run(w, "Open1", test::writeFile(w.dir.filePath("a.bin"), pattern(16)));
        QCOMPARE(imageBytes(w.state()).mid(0xFE, 20), QByteArray(2, 0) + pattern(16) + QByteArray(2, 0));
        QCOMPARE(w.state().glyphOffset, 0x100);
        w.state().viewOffset = 2112 - 10;
        run(w, "Open1", test::writeFile(w.dir.filePath("b.bin"), pattern(100)));
        QCOMPARE(w.state().imageLength(), 2112);
        QCOMPARE(imageBytes(w.state()).right(10), pattern(10));
        run(w, "Open1", w.dir.filePath("missing.bin"));
        QCOMPARE(w.form->windowTitle(), QStringLiteral("VELMORA CE  [blank.bin]  00000840"));
    }

    void saveWritesTheImageAndOpenStartsFromIt()
    {
        test::Window w;
        const QString opened = test::writeFile(w.dir.filePath("16x12_font.bin"), pattern(300));
        run(w, "Open", opened);
        run(w, "mnNew");
        QCOMPARE(imageBytes(w.state()), QByteArray(2112, 0));
        QCOMPARE(w.form->windowTitle(), QStringLiteral("VELMORA CE  [blank.bin]  00000840"));
        QCOMPARE(nameIn(&saveDialog(w.editor())), opened);
        run(w, "Open", opened);
        const QString saved = w.dir.filePath("copy.bin");
        run(w, "Save", saved);
        QCOMPARE(contents(saved), pattern(300));
        QCOMPARE(w.form->windowTitle(), "VELMORA CE  [" + saved + "]  0000012C");
        QCOMPARE(nameIn(w.editor().ui.OD), saved);
        // The file name stays the opened one: a cancelled Open re-applies its prefix.
        w.state().charWidth = 8;
        run(w, "Open");
        QCOMPARE(int(w.state().charWidth), 16);
    }

    void failedSaveLeavesTheOldFileAndCaption()
    {
        test::MessageBoxWatcher boxes;
        test::Window w;
        const QString target = test::writeFile(w.dir.filePath("old.bin"), "old");
        {
            FileSizeLimit limit(1000);
            run(w, "Save", target);
        }
        run(w, "Save", w.dir.filePath("no/such/dir.bin"));
        run(w, "Saveblock1", w.dir.filePath("no/such/block.bin"));
        QCOMPARE(boxes.seen().size(), 3);
        QCOMPARE(boxes.seen().at(0).text, QStringLiteral("Disk full."));
        // The missing folder is named, as the command line names it.
        QCOMPARE(boxes.seen().at(1).text, "Folder " + w.dir.filePath("no/such") + " does not exist.");
        QCOMPARE(boxes.seen().at(2).text, "Folder " + w.dir.filePath("no/such") + " does not exist.");
        QCOMPARE(contents(target), QByteArray("old"));
        QCOMPARE(QDir(w.dir.path()).entryList(QDir::Files), QStringList({"old.bin", "velmora.ini"}));
        QCOMPARE(w.form->windowTitle(), QStringLiteral("VELMORA CE  [blank.bin]  00000840"));
        QVERIFY(nameIn(w.editor().ui.OD) != target);
    }

    void saveOntoAFolderIsRefused()
    {
        test::MessageBoxWatcher boxes;
        test::Window w;
        QVERIFY(QDir(w.dir.path()).mkdir("folder.bin"));
        run(w, "Save", w.dir.filePath("folder.bin"));
        QCOMPARE(boxes.seen().size(), 1);
        QCOMPARE(boxes.seen().first().text, QStringLiteral("Invalid filename."));
        QVERIFY(QFileInfo(w.dir.filePath("folder.bin")).isDir());
        QCOMPARE(w.form->windowTitle(), QStringLiteral("VELMORA CE  [blank.bin]  00000840"));
    }

    void saveBlockWritesTheRangeInsideTheImage_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("16 bytes") << 0x10 << 0x1F << pattern(0x20).mid(0x10);
        QTest::newRow("one byte") << 0x10 << 0x10 << pattern(0x11).mid(0x10);
        QTest::newRow("start = end + 1") << 0x10 << 0x0F << QByteArray();
        QTest::newRow("end past the image") << 0x1F0 << 0x20F << pattern(0x200).mid(0x1F0);
    }
    void saveBlockWritesTheRangeInsideTheImage()
    {
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(QByteArray, written);
        test::Window w;
        run(w, "Open", test::writeFile(w.dir.filePath("image.bin"), pattern(0x200)));
        w.state().blockStart = start;
        w.state().blockEnd = end;
        run(w, "Saveblock1", w.dir.filePath("block.bin"));
        QCOMPARE(contents(w.dir.filePath("block.bin")), written);
    }

    void saveBlockRefusesAStartAboveTheEnd()
    {
        test::MessageBoxWatcher boxes;
        test::Window w;
        w.state().blockStart = 0x20;
        w.state().blockEnd = 0x10;
        run(w, "Saveblock1", w.dir.filePath("block.bin"));
        QCOMPARE(boxes.seen().size(), 1);
        QCOMPARE(boxes.seen().first().text, QStringLiteral("Block start 00000020 lies above block end 00000010: no block to save."));
        QVERIFY(!QFile::exists(w.dir.filePath("block.bin")));
    }

    void saveBlockProposesANameThenRestoresTheDialog_data()
    {
        QTest::addColumn<bool>("sizePrefix");
        QTest::addColumn<bool>("addressPrefix");
        QTest::addColumn<QString>("proposed");
        QTest::newRow("size") << true << false << "08x13_.bin";
        QTest::newRow("both") << true << true << "block_00010000-0001FFFF_08x13_.bin";
        QTest::newRow("address") << false << true << "block_00010000-0001FFFF.bin";
        QTest::newRow("none") << false << false << ".bin";
    }
    void saveBlockProposesANameThenRestoresTheDialog()
    {
        QFETCH(bool, sizePrefix);
        QFETCH(bool, addressPrefix);
        QFETCH(QString, proposed);
        test::Window w;
        w.find<QAction>("SZpref")->setChecked(sizePrefix);
        w.find<QAction>("AdPref")->setChecked(addressPrefix);
        w.state().blockStart = 0x10000;
        w.state().blockEnd = 0x1FFFF;
        const QString before = nameIn(&saveDialog(w.editor()));
        QString seen;
        w.editor().runDialog = [&seen](QFileDialog &dialog) {
            seen = QFileInfo(nameIn(&dialog)).fileName();
            return false;
        };
        w.find<QAction>("Saveblock1")->trigger();
        QCOMPARE(seen, proposed);
        QCOMPARE(nameIn(&saveDialog(w.editor())), before);
    }
    // A FIFO, a socket or a device is refused at once with a message: the
    // window never waits in open() for a writer, and the image stays.
    void nonRegularFilesAreRefused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("command");
        for (const char *kind : {"fifo", "socket", "device"}) {
            QTest::addRow("open %s", kind) << kind << "Open";
            QTest::addRow("merge %s", kind) << kind << "Open1";
        }
    }
    void nonRegularFilesAreRefused()
    {
        QFETCH(QString, kind);
        QFETCH(QString, command);
        test::MessageBoxWatcher boxes;
        test::Window w;
        run(w, "Open", test::writeFile(w.dir.filePath("image.bin"), pattern(64)));
        const QString path = nonRegularFile(kind, w.dir.filePath("odd.bin"));
        run(w, command.toLatin1().constData(), path);
        QCOMPARE(boxes.seen().size(), 1);
        QCOMPARE(boxes.seen().first().text, "'" + path + "' is not a regular file.");
        QCOMPARE(imageBytes(w.state()), pattern(64));
        QCOMPARE(QString::fromStdString(w.state().fileName), w.dir.filePath("image.bin"));
    }

    // After an Open that failed, neither the file name nor Save's proposed name
    // is the unreadable file: a Save straight after cannot overwrite it.
    void failedOpenNamesNothing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("too large") << "huge";
        QTest::newRow("fifo") << "fifo";
    }
    void failedOpenNamesNothing()
    {
        QFETCH(QString, kind);
        test::MessageBoxWatcher boxes;
        test::Window w;
        const QString previous = test::writeFile(w.dir.filePath("previous.bin"), pattern(32));
        run(w, "Open", previous);
        QString path = w.dir.filePath("unreadable.bin");
        if (kind == "huge") {
            QFile huge(path);
            QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(0x80000000LL));
        } else {
            nonRegularFile(kind, path);
        }
        run(w, "Open", path);
        QCOMPARE(boxes.seen().size(), 1);
        QCOMPARE(QString::fromStdString(w.state().fileName), previous);
        QCOMPARE(nameIn(&saveDialog(w.editor())), previous);
        QCOMPARE(w.form->windowTitle(), "VELMORA CE  [" + previous + "]  00000020");
        QString proposed;
        w.editor().runDialog = [&proposed](QFileDialog &dialog) {
            proposed = nameIn(&dialog);
            return false;
        };
        w.find<QAction>("Save")->trigger();
        QCOMPARE(proposed, previous);
    }
};

QTEST_MAIN(ImageFilesTest)
#include "test_image_files.moc"
