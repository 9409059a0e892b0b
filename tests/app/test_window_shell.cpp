#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include "app/about_box.h"
#include "support/window_fixture.h"
#include "views/row_offsets.h"

using namespace velmora;

// The about box, what assistive technology reads, and the command line.
class WindowShellTest : public QObject {
    Q_OBJECT
private slots:
    void rowOffsetsAreReadableAfterAReRead()
    {
        test::Window w;
        test::typeAddress(w, "MaskEdit1", QStringLiteral("00000100"));
        auto *rows = w.find<RowOffsets>("ByteNo");
        QAccessibleInterface *column = QAccessible::queryAccessibleInterface(rows);
        QVERIFY(column);
        QCOMPARE(column->childCount(), RowOffsets::rowCount);
        for (int r = 0; r < RowOffsets::rowCount; ++r) {
            QAccessibleInterface *row = column->child(r);
            QVERIFY(row);
            QCOMPARE(row->text(QAccessible::Name), rows->rowText(r));
            QCOMPARE(row->rect(), QRect(rows->mapToGlobal(rows->rowRect(r).topLeft()), rows->rowRect(r).size()));
            QCOMPARE(column->indexOfChild(row), r);
        }
        QCOMPARE(column->child(1)->text(QAccessible::Name), QStringLiteral("00000101"));
        QVERIFY(QAccessible::queryAccessibleInterface(w.find<QWidget>("Img"))
                    ->text(QAccessible::Description)
                    .contains(QStringLiteral("00000100")));
        QCOMPARE(QAccessible::queryAccessibleInterface(w.find<QPushButton>("btR1"))->text(QAccessible::Name),
                 QStringLiteral("Left"));
    }

    void aboutBoxIsOneModelessWindowClosedByEnter()
    {
        test::Window w;
        QAction *about = w.find<QAction>("About");
        about->trigger();
        about->trigger();
        auto *box = w.find<QWidget>("AboutBox");
        QCOMPARE(box->size(), QSize(248, 215));
        int shown = 0;
        for (QWidget *top : QApplication::topLevelWidgets())
            shown += top->objectName() == QLatin1String("AboutBox") && top->isVisible();
        QCOMPARE(shown, 1);
        QVERIFY(!box->isModal());
        QVERIFY(box->findChild<QLabel *>("Label2")->text().startsWith(QStringLiteral("Version: 3.6\n\n")));
        QTest::keyClick(box, Qt::Key_Return);
        QVERIFY(!box->isVisible());
    }

    // A file dialog first opens in the image's folder, later in the folder
    // last used for its kind of file, whatever folder another dialog visited
    // last (Qt's default for a new dialog).
    void fileDialogsStartWhereTheUsersFilesAre_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("usedBefore"); // run with a name in another folder first
        QTest::addColumn<QString>("name");
        QTest::newRow("compare with") << "Compare1" << "Compare1" << "ref.bin";
        QTest::newRow("save patch") << "SavePatch1" << "SavePatch1" << "p.bps";
        QTest::newRow("apply patch after save patch") << "ApplyPatch1" << "SavePatch1" << "p.bps";
        QTest::newRow("page export") << "ExportPagePng1" << "ExportPagePng1" << "s.png";
        QTest::newRow("sheet import after an export") << "ImportPng1" << "ExportPagePng1" << "s.png";
    }
    void fileDialogsStartWhereTheUsersFilesAre()
    {
        QFETCH(QString, action);
        QFETCH(QString, usedBefore);
        QFETCH(QString, name);
        test::MessageBoxWatcher boxes;
        test::Window w;
        const QString images = w.dir.filePath("images"), other = w.dir.filePath("other");
        QVERIFY(QDir().mkpath(images) && QDir().mkpath(other));
        test::runWithFile(w, "Open", test::writeFile(images + "/phone.bin", QByteArray(20000, 1)));
        QStringList startedIn;
        auto openCancelled = [&] {
            w.editor().ui.OVLP->setDirectory(w.dir.path()); // as start-up and Load plug-in do
            w.editor().runDialog = [&startedIn](QFileDialog &dialog) {
                startedIn << dialog.directory().absolutePath();
                return false;
            };
            w.find<QAction>(action)->trigger();
        };
        openCancelled();
        test::runWithFile(w, qPrintable(usedBefore), test::writeFile(other + "/" + name, QByteArray(20000, 1)));
        openCancelled();
        QCOMPARE(startedIn, (QStringList{images, other}));
        QCOMPARE(boxes.seen().size(), 0);
    }

    void mailLinkGoesToTheDesktop()
    {
        test::Window w;
        QList<QUrl> opened;
        const auto previous = TAboutBox::openLink;
        TAboutBox::openLink = [&opened](const QUrl &url) { opened << url; };
        w.find<QAction>("About")->trigger();
        QTest::mouseClick(w.find<QWidget>("AboutBox")->findChild<QLabel *>("Label2"), Qt::LeftButton);
        TAboutBox::openLink = previous;
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened.first().toString(QUrl::FullyEncoded),
                 QStringLiteral("mailto:velmora-ce@example.org?subject=Velmora%20CE%203.6"));
    }

    void commandLineVersionAndHelp()
    {
        for (const char *option : {"--version", "--help"}) {
            QProcess editor;
            editor.start(QStringLiteral(VELMORA_BINARY), {QString::fromLatin1(option)});
            QVERIFY(editor.waitForFinished(60000));
            QCOMPARE(editor.exitCode(), 0);
            const QString out = QString::fromLocal8Bit(editor.readAllStandardOutput());
            QVERIFY2(out.contains(QStringLiteral("3.6")) || out.contains(QStringLiteral("FILE")), qPrintable(out));
        }
    }

    void commandLineFileOpensLikeFileOpen()
    {
        test::Window w; // provides the working directory with its empty settings file
        const QString path = test::writeFile(w.dir.filePath("16x12_font.bin"), QByteArray(5000, '\x11'));
        TForm1 form;
        form.openAfterStartUp(path);
        form.show();
        QTRY_COMPARE(form.editor().state.imageLength(), 5000);
        QCOMPARE(int(form.editor().state.charWidth), 16); // the size prefix applied
        QCOMPARE(QString::fromStdString(form.editor().state.fileName), path);
    }
};

QTEST_MAIN(WindowShellTest)
#include "test_window_shell.moc"
