#include <QAction>
#include <QLineEdit>
#include <QTest>

#include "support/window_fixture.h"
#include "views/hex_entry.h"

using namespace velmora;

// The window's plain-key shortcuts must win over a focused address field.
class ShortcutsTest : public QObject {
    Q_OBJECT
private:
    HexEntry *focusField(test::Window &w, const char *name)
    {
        w.form->activateWindow();
        if (!QTest::qWaitForWindowActive(w.form.get()))
            qWarning("window not active");
        auto *entry = w.find<HexEntry>(QString::fromUtf8(name));
        entry->setFocus();
        return entry;
    }

private slots:
    void navigationKeysStepWhileAnAddressFieldHasFocus_data()
    {
        QTest::addColumn<QString>("field");
        QTest::newRow("MaskEdit1") << "MaskEdit1";
        QTest::newRow("BStart") << "BStart";
        QTest::newRow("BEnd") << "BEnd";
    }

    void navigationKeysStepWhileAnAddressFieldHasFocus()
    {
        QFETCH(QString, field);
        test::Window w;
        w.state().image.replace(std::vector<uint8_t>(100000, 0));
        HexEntry *entry = focusField(w, field.toUtf8().constData());
        QTRY_VERIFY(entry->hasFocus());
        const QString before = entry->text();
        QTest::keyClick(entry, Qt::Key_Delete);
        QCOMPARE(w.state().viewOffset, 1);
        QTest::keyClick(entry, Qt::Key_End);
        QCOMPARE(w.state().viewOffset, 14);
        QTest::keyClick(entry, Qt::Key_PageDown);
        QCOMPARE(w.state().viewOffset, 14 + 416);
        QTest::keyClick(entry, Qt::Key_PageUp);
        QTest::keyClick(entry, Qt::Key_Home);
        QCOMPARE(w.state().viewOffset, 1);
        QTest::keyClick(entry, Qt::Key_Insert);
        QCOMPARE(w.state().viewOffset, 0);
        if (field != QLatin1String("MaskEdit1"))
            QCOMPARE(entry->text(), before);
    }

    void letterShortcutsRunCommandsAndShiftTypes()
    {
        test::Window w;
        HexEntry *entry = focusField(w, "MaskEdit1");
        QTRY_VERIFY(entry->hasFocus());
        auto *paste = w.form->findChild<QAction *>("Paste1");
        QVERIFY(!paste->isEnabled());
        entry->setCursorPosition(0);
        QTest::keyClick(entry, Qt::Key_C); // runs Copy, types nothing
        QCOMPARE(entry->text(), QStringLiteral("00000000"));
        QVERIFY(paste->isEnabled());
        QTest::keyClick(entry, Qt::Key_C, Qt::ShiftModifier);
        QCOMPARE(entry->text(), QStringLiteral("C0000000"));
    }

    void otherWindowsTypeLettersAsUsual()
    {
        test::Window w;
        QLineEdit other; // as the name field of a file dialog
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        other.setFocus();
        QTest::keyClicks(&other, "08x13c");
        QCOMPARE(other.text(), QStringLiteral("08x13c"));
        QVERIFY(!w.form->findChild<QAction *>("Paste1")->isEnabled()); // Copy did not run
    }

    void optionsToggleOnlyTheirMark()
    {
        test::Window w;
        auto *autoWrite = w.form->findChild<QAction *>("AWrite");
        QVERIFY(!autoWrite->isChecked());
        autoWrite->trigger();
        autoWrite->trigger();
        QVERIFY(!autoWrite->isChecked());
        QVERIFY(w.form->findChild<QAction *>("Zoom")->isChecked());
        QVERIFY(w.form->findChild<QAction *>("SZpref")->isChecked());
        QVERIFY(!w.form->findChild<QAction *>("AdPref")->isChecked());
    }
};

QTEST_MAIN(ShortcutsTest)
#include "test_shortcuts.moc"
