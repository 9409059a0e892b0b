#include <QAction>
#include <QFile>
#include <QLabel>
#include <QTest>

#include <vector>

#include "patch/bps_patch.h"
#include "patch/crc32.h"
#include "patch/patch_format.h"
#include "support/window_fixture.h"
#include "views/canvas_probe.h"

using namespace velmora;

namespace {

using Bytes = std::vector<uint8_t>;

QByteArray bytesOf(const Bytes &b) { return QByteArray(reinterpret_cast<const char *>(b.data()), static_cast<qsizetype>(b.size())); }

Bytes fileBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = f.readAll();
    return Bytes(data.begin(), data.end());
}

void trigger(test::Window &w, const char *name) { w.find<QAction>(name)->trigger(); }

// A key pressed as a user would, to the widget with the focus.
void press(test::Window &w, Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    w.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
    QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : w.form.get();
    QTest::keyClick(target, key, modifiers);
}

// A left click on edit-grid cell (column, row).
void drawCell(test::Window &w, int column, int row)
{
    auto *img = w.find<QWidget>("Img");
    const QPoint p(18 * column + 9, 18 * row + 9);
    QTest::mousePress(img, Qt::LeftButton, {}, p);
    QTest::mouseRelease(img, Qt::LeftButton, {}, p);
}

// Whether cell k of the overview carries the change mark (its top right corner).
bool marked(test::Window &w, int k)
{
    const QImage shown = test::shot(w, "MemImg");
    return test::colourAt(shown, 33 * (k / 8) + 32, 33 * (k % 8) + 1) == test::name(colours::changeMark);
}

QString statusText(test::Window &w)
{
    auto *status = w.find<QLabel>("CompareStatus");
    return status->isVisible() ? status->text() : QString();
}

} // namespace

class PatchWindowTest : public QObject {
    Q_OBJECT
private slots:
    // Open, compare, edit a glyph off the first page, find it with F3, save a
    // patch, open the original again, apply it, save: the edited bytes.
    void editSavedAsPatchAndAppliedAgain_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::newRow("IPS") << "ips";
        QTest::newRow("BPS") << "bps";
        QTest::newRow("text") << "txt";
    }
    void editSavedAsPatchAndAppliedAgain()
    {
        QFETCH(QString, extension);
        test::MessageBoxWatcher boxes;
        test::Window w;
        EditorState &s = w.state();
        const Bytes original = test::patternBytes(20000);
        const QString originalPath = test::writeFile(w.dir.filePath("phone.bin"), bytesOf(original));
        test::runWithFile(w, "Open", originalPath);
        QVERIFY(!w.find<QAction>("NextChange1")->isEnabled());
        QCOMPARE(statusText(w), QString());
        test::runWithFile(w, "Compare1", originalPath);
        QCOMPARE(statusText(w), QStringLiteral("Same as phone.bin"));

        test::typeAddress(w, "MaskEdit1", QStringLiteral("00000208")); // character 40 of the 8 x 13 grid
        drawCell(w, 2, 3);
        trigger(w, "Write1");
        const Bytes edited = s.image.bytes();
        // The pixel's row and the width byte the computed width rewrote.
        QCOMPARE(statusText(w), QStringLiteral("2 bytes differ from phone.bin, in 2 runs"));
        QVERIFY(marked(w, 0));
        QVERIFY(!marked(w, 1));

        test::typeAddress(w, "MaskEdit1", QStringLiteral("00000000"));
        QVERIFY(!marked(w, 0));
        press(w, Qt::Key_F3, Qt::NoModifier);
        QCOMPARE(s.glyphOffset, 0x208);
        QCOMPARE(s.viewOffset, 0x208);
        QVERIFY(marked(w, 0));
        press(w, Qt::Key_F3, Qt::ShiftModifier); // nothing before it
        QCOMPARE(s.glyphOffset, 0x208);
        QCOMPARE(statusText(w), QStringLiteral("No earlier change"));
        press(w, Qt::Key_F3, Qt::NoModifier); // nor after it
        QCOMPARE(s.glyphOffset, 0x208);
        QCOMPARE(statusText(w), QStringLiteral("No further change"));

        const QString patchPath = w.dir.filePath("fix." + extension);
        test::runWithFile(w, "SavePatch1", patchPath);
        test::runWithFile(w, "Open", originalPath);
        QCOMPARE(statusText(w), QString()); // opening forgets the reference
        QVERIFY(s.image.bytes() == original);
        test::runWithFile(w, "ApplyPatch1", patchPath);
        QVERIFY(s.image.bytes() == edited);
        QCOMPARE(w.find<QAction>("Undo1")->text(), QStringLiteral("Undo Apply patch"));
        test::runWithFile(w, "Save", w.dir.filePath("patched.bin"));
        QVERIFY(fileBytes(w.dir.filePath("patched.bin")) == edited);
        press(w, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(s.image.bytes() == original);
        QCOMPARE(boxes.seen().size(), 0);
    }

    // One refusal per reader, and the window's own checks (length, name).
    void refusedPatchChangesNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("patch");
        QTest::addColumn<QString>("message");
        const Bytes image = test::patternBytes(3000);
        QByteArray header = QStringLiteral("original 3000 bytes, CRC-32 %1\nmodified 3000 bytes, CRC-32 0\n")
                                .arg(QString::fromStdString(patch::hexOffset(patch::crc32Of(image))))
                                .toLatin1();
        QTest::newRow("text with other old bytes")
            << "a.txt" << header + "10: 00 00 -> 01 01\n" << "This patch does not fit this image: its old bytes differ from the image at 00000010";
        QTest::newRow("IPS past the end")
            << "a.ips" << QByteArray("PATCH\x00\x0B\xB7\x00\x02zzEOF", 14) << "past the image end (3000 bytes)";
        Bytes other = image;
        other[5] ^= 1;
        QTest::newRow("BPS for another image")
            << "a.bps" << bytesOf(patch::bpsPatches().write(other, image)) << "This patch is for another image (CRC ";
        Bytes longer = image;
        longer.resize(3010);
        QTest::newRow("BPS making a longer image")
            << "a.bps" << bytesOf(patch::bpsPatches().write(image, longer)) << "makes an image of 3010 bytes, more than the 3000";
        QTest::newRow("BPS making a shorter image")
            << "a.bps" << bytesOf(patch::bpsPatches().write(image, Bytes(image.begin(), image.begin() + 2000)))
            << "makes an image of 2000 bytes; the image keeps its length of 3000 bytes";
        QTest::newRow("not a patch name") << "a.bin" << QByteArray("PATCHEOF") << "is not a patch name: a patch name ends in .ips, .bps or .txt";
    }
    void refusedPatchChangesNothing()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, patch);
        QFETCH(QString, message);
        test::MessageBoxWatcher boxes;
        test::Window w;
        const Bytes image = test::patternBytes(3000);
        test::runWithFile(w, "Open", test::writeFile(w.dir.filePath("phone.bin"), bytesOf(image)));
        test::runWithFile(w, "ApplyPatch1", test::writeFile(w.dir.filePath(name), patch));
        QCOMPARE(boxes.seen().size(), 1);
        QVERIFY2(boxes.seen().first().text.contains(message), qPrintable(boxes.seen().first().text));
        QVERIFY(w.state().image.bytes() == image);
        QVERIFY(!w.find<QAction>("Undo1")->isEnabled());
    }

    // What a patch is made against, and what is refused before a name is asked for.
    void savedPatchAgainstTheOriginal_data()
    {
        QTest::addColumn<QString>("original"); // "opened", "saved", "reference", "new", "changed on disk"
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message"); // empty: saved, and the status says so
        QTest::newRow("file as opened") << "opened" << "a.bps" << "";
        QTest::newRow("file as saved") << "saved" << "a.txt" << "";
        QTest::newRow("reference") << "reference" << "a.ips" << "";
        QTest::newRow("new image") << "new" << "a.bps" << "No original to make a patch against";
        QTest::newRow("file changed on disk") << "changed on disk" << "a.bps" << "has changed since the image was opened or saved";
        QTest::newRow("reference of another length as IPS") << "longer reference" << "a.ips" << "An IPS patch keeps the image length";
        QTest::newRow("unknown extension") << "opened" << "a.patch" << "is not a patch name";
        QTest::newRow("reference of another length as BPS") << "longer reference" << "a.bps" << "";
    }
    void savedPatchAgainstTheOriginal()
    {
        QFETCH(QString, original);
        QFETCH(QString, name);
        QFETCH(QString, message);
        test::MessageBoxWatcher boxes;
        test::Window w;
        Bytes base = test::patternBytes(3000);
        const QString path = test::writeFile(w.dir.filePath("phone.bin"), bytesOf(base));
        test::runWithFile(w, "Open", path);
        if (original == "saved") {
            w.state().image.write(7, 0xEE);
            base[7] = 0xEE;
            test::runWithFile(w, "Save", w.dir.filePath("saved.bin"));
        } else if (original == "reference" || original == "longer reference") {
            base[9] = 0x99;
            if (original == "longer reference")
                base.push_back(0);
            test::runWithFile(w, "Compare1", test::writeFile(w.dir.filePath("ref.bin"), bytesOf(base)));
        } else if (original == "new") {
            trigger(w, "mnNew");
        } else if (original == "changed on disk") {
            test::writeFile(path, QByteArray(3001, 0));
        }
        w.state().image.write(100, 0x42); // the edit the patch carries
        const Bytes edited = w.state().image.bytes();
        test::runWithFile(w, "SavePatch1", w.dir.filePath(name));
        QCOMPARE(boxes.seen().size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QVERIFY2(boxes.seen().first().text.contains(message), qPrintable(boxes.seen().first().text));
            QVERIFY(!QFile::exists(w.dir.filePath(name)));
        } else {
            QVERIFY(patch::requirePatchFormat(name.toStdString()).apply(base, fileBytes(w.dir.filePath(name))) == edited);
            // The edit at 100, the reference's own byte at 9 and its extra byte at the end.
            const QString said = original == "reference"          ? "Patch saved: 2 runs, 2 bytes"
                               : original == "longer reference" ? "Patch saved: 3 runs, 3 bytes"
                                                                : "Patch saved: 1 run, 1 byte";
            QCOMPARE(statusText(w), said);
        }
    }
};

QTEST_MAIN(PatchWindowTest)
#include "test_patch_window.moc"
