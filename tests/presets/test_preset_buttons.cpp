#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "demo/demo_firmware.h"
#include "support/window_fixture.h"

using namespace velmora;

namespace {

// A plug-in for a 2112-byte image: preset 2 at $40 in 16x10 checking "Swap bytes ",
// preset 12 at $80 in 8x9.
QByteArray plugin(int size)
{
    QByteArray text = "Blank image fonts\r\n" + QByteArray::number(size) + "\r\n-B----\r\n";
    for (int k = 1; k <= 6; ++k)
        text += "hint " + QByteArray::number(k) + "\r\n";
    text += "$00000000$00000040" + QByteArray("$00000000").repeated(4) + "\r\n";
    text += "08131610" + QByteArray("0813").repeated(4) + "\r\n";
    text += "fffff-ffft\r\n";
    text += "-----Z\r\n";
    for (int k = 7; k <= 12; ++k)
        text += "hint " + QByteArray::number(k) + "\r\n";
    text += QByteArray("$00000000").repeated(5) + "$00000080\r\n" + QByteArray("0813").repeated(5) + "0809\r\n";
    text += QByteArray("-----").repeated(5) + "ttfff\r\n";
    return text;
}

// Runs the real plug-in dialog: types path into its name field and confirms.
// Returns the folder the dialog started in.
QString loadThroughDialog(test::Window &w, const QString &path)
{
    QString startFolder;
    QTimer::singleShot(50, [path, &startFolder] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        startFolder = dialog->directory().absolutePath();
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        dialog->setDirectory(QDir::rootPath()); // the user wanders off before choosing
        name->setText(path);
        QTest::keyClick(name, Qt::Key_Return);
    });
    w.find<QAction>("PLoad")->trigger();
    return startFolder;
}

} // namespace

class PresetButtonsTest : public QObject {
    Q_OBJECT
private slots:
    void pluginThroughTheDialogThenAPresetClick()
    {
        test::Window w;
        QDir(w.dir.path()).mkdir(QStringLiteral("plugins"));
        const QString plugins = QDir(w.dir.path()).filePath(QStringLiteral("plugins"));
        const QString path = test::writeFile(QDir(plugins).filePath("blank.vlp"), plugin(2112));

        test::MessageBoxWatcher boxes;
        QCOMPARE(loadThroughDialog(w, path), plugins);
        QCOMPARE(boxes.seen().size(), 0);
        QCOMPARE(w.find<QLabel>("LbNfo")->text(), QStringLiteral("Blank image fonts"));
        QCOMPARE(w.find<QLabel>("LbNfo")->palette().color(QPalette::Window), QColor(0x90, 0xA0, 0xB0));
        QCOMPARE(w.find<QPushButton>("bt2")->text(), QStringLiteral("B"));
        QCOMPARE(w.find<QPushButton>("bt2")->toolTip(), QStringLiteral("hint 2"));
        QCOMPARE(w.find<QPushButton>("bt12")->text(), QStringLiteral("Z"));
        QCOMPARE(loadThroughDialog(w, path), plugins); // again there, although the user went elsewhere

        const EditorState before = w.state();
        test::clickButton(w, "bt1"); // "-": no preset
        QCOMPARE(w.state().viewOffset, before.viewOffset);
        QCOMPARE(w.state().charHeight, before.charHeight);

        test::clickButton(w, "bt2");
        const EditorState &s = w.state();
        QCOMPARE(s.viewOffset, 0x40);
        QCOMPARE(int(s.charWidth), 16);
        QCOMPARE(int(s.charHeight), 10);
        QCOMPARE(s.flags, (std::array<bool, 5>{false, false, false, false, true}));
        QCOMPARE(w.find<QListWidget>("CLB")->item(4)->checkState(), Qt::Checked);
        QCOMPARE(s.glyph, test::storedGlyph(s)); // decoded with the flags just set

        test::clickButton(w, "bt12");
        QCOMPARE(w.state().viewOffset, 0x80);
        QCOMPARE(int(w.state().charHeight), 9);
        QCOMPARE(w.state().flags, (std::array<bool, 5>{true, true, false, false, false}));
    }

    void pluginForAnotherImageSizeChangesNothing()
    {
        test::Window w;
        test::MessageBoxWatcher boxes;
        test::runWithFile(w, "PLoad", test::writeFile(w.dir.filePath("big.vlp"), plugin(4194304)));
        QCOMPARE(boxes.seen().size(), 0);
        QCOMPARE(w.find<QPushButton>("bt2")->text(), QStringLiteral("-"));
        QCOMPARE(w.find<QLabel>("LbNfo")->text(), QString());
    }

    void demoImageOpensOnItsFirstFont()
    {
        test::Window w;
        QVERIFY(demo::writeDemoFolder(w.dir.path().toStdString()));
        test::runWithFile(w, "Open", w.dir.filePath("demo_phone.bin"));
        const EditorState &s = w.state();
        const demo::DemoFont &first = demo::demoFonts[0];
        QCOMPARE(s.viewOffset, first.offset);
        QCOMPARE(int(s.charWidth), first.width);
        QCOMPARE(int(s.charHeight), first.height);
        QVERIFY(w.find<QLabel>("LbNfo")->text().startsWith(QStringLiteral("VELMORA VX100, DEMO-01")));
        QCOMPARE(w.find<QPushButton>("bt3")->text(), QStringLiteral("C"));
        // The first character is a blank of width 4; "A" (0x41) has its 5 x 7 shape at width 6.
        QCOMPARE(int(s.image.at(first.offset)), 4);
        QCOMPARE(int(s.image.at(first.offset + (0x41 - 0x20) * 13)), 6);
        test::clickButton(w, "bt2");
        QCOMPARE(int(w.state().charWidth), 16);
        QVERIFY(w.state().flag(Flag::SkipSpareByte));
    }
};

QTEST_MAIN(PresetButtonsTest)
#include "test_preset_buttons.moc"
