#include <QAction>
#include <QDir>
#include <QLabel>
#include <QTest>

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
};

QTEST_MAIN(StartUpTest)
#include "test_start_up.moc"
