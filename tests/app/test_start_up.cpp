#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "app/main_window.h"
#include "support/window_fixture.h"

using namespace velmora;

class StartUpTest : public QObject {
    Q_OBJECT
private slots:
    void missingSettingsFileIsReportedThenWindowOpens()
    {
        QTemporaryDir empty;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(empty.path());
        test::MessageBoxWatcher boxes;
        TForm1 form;
        form.show();
        QTRY_COMPARE(boxes.seen().size(), 1);
        QCOMPARE(boxes.seen().first().title, QStringLiteral("Velmora CE"));
        QCOMPARE(boxes.seen().first().text, QStringLiteral("File not found."));
        QVERIFY(boxes.seen().first().critical);
        QVERIFY(form.isVisible());
        QCOMPARE(form.objectName(), QStringLiteral("Form1"));
        QCOMPARE(form.windowTitle(), QStringLiteral("VELMORA CE  [blank.bin]  00000840"));
        QCOMPARE(form.centralWidget()->size(), QSize(780, 388));
        QCOMPARE(QString::fromStdString(form.editor().state.programDirectory), QDir::currentPath());
        QDir::setCurrent(previous);
    }

    void startsWithTheBlankImage()
    {
        test::Window w;
        const EditorState &s = w.state();
        QCOMPARE(s.imageLength(), 2112);
        QCOMPARE(int(s.charWidth), 8);
        QCOMPARE(int(s.charHeight), 13);
        QCOMPARE(s.blockEnd, 2111);
        QVERIFY(s.glyph.isSet(4, 0)); // width 8 in the width row
        QCOMPARE(w.find<QLabel>("Label2")->text(), QStringLiteral("VELMORA CE 3.6"));
        QWidget *about = w.form->findChild<QWidget *>("AboutBox");
        QVERIFY(about);
        QVERIFY(!about->isVisible());
    }

    void exitClosesAtOnceWithoutAsking()
    {
        test::Window w;
        test::MessageBoxWatcher boxes;
        w.state().image.write(0, 0xFF); // an unsaved change
        w.form->findChild<QAction *>("Exit1")->trigger();
        QVERIFY(!w.form->isVisible());
        QCOMPARE(boxes.seen().size(), 0);
    }
    // The start-up error box appears only once the window is on the screen
    // with its fixed size, so that its modal loop cannot leave the window at
    // a default size with part of the client area cut off.
    void startUpErrorBoxLeavesTheWindowItsSize()
    {
        QTemporaryDir empty;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(empty.path());
        TForm1 form;
        bool seen = false;
        bool windowOnScreen = false;
        QSize windowSize;
        QSize nativeSize;
        QTimer poll;
        poll.setInterval(2);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                auto *box = qobject_cast<QMessageBox *>(w);
                if (!box || !box->isVisible())
                    continue;
                seen = true;
                windowOnScreen = form.windowHandle() && form.windowHandle()->isVisible();
                windowSize = form.size();
                nativeSize = form.windowHandle() ? form.windowHandle()->size() : QSize();
                box->done(QMessageBox::Ok);
            }
        });
        poll.start();
        form.show();
        QTRY_VERIFY(seen);
        QVERIFY(windowOnScreen);
        QCOMPARE(windowSize, form.minimumSize());
        QCOMPARE(windowSize, form.maximumSize());
        QCOMPARE(nativeSize, windowSize);
        const QRect client = form.centralWidget()->geometry();
        QCOMPARE(client.size(), QSize(780, 388));
        QVERIFY(form.rect().contains(client));
        QDir::setCurrent(previous);
    }
};

QTEST_MAIN(StartUpTest)
#include "test_start_up.moc"
