#include <QAction>
#include <QFileDialog>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "model/text_format.h"
#include "support/window_fixture.h"
#include "views/hex_entry.h"
#include "views/refresh.h"

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

    // Every shortcut of the menus, pressed in each address field, runs its
    // command and types nothing into the field.
    void everyShortcutRunsItsCommandFromAnAddressField_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("action");
        const std::pair<QKeySequence, const char *> shortcuts[] = {
            {QKeySequence(Qt::CTRL | Qt::Key_N), "mnNew"},       {QKeySequence(Qt::CTRL | Qt::Key_O), "Open"},
            {QKeySequence(Qt::CTRL | Qt::Key_M), "Open1"},       {QKeySequence(Qt::CTRL | Qt::Key_S), "Save"},
            {QKeySequence(Qt::CTRL | Qt::Key_Z), "Undo1"},       {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), "Redo1"},
            {QKeySequence(Qt::CTRL | Qt::Key_Y), "Redo1"},       {QKeySequence(Qt::Key_C), "Copy1"},
            {QKeySequence(Qt::Key_V), "Paste1"},                 {QKeySequence(Qt::Key_X), "Clear1"},
            {QKeySequence(Qt::Key_R), "Read1"},                  {QKeySequence(Qt::Key_W), "Write1"},
            {QKeySequence(Qt::Key_Insert), "decr11"},            {QKeySequence(Qt::Key_Home), "decr21"},
            {QKeySequence(Qt::Key_PageUp), "inc21"},             {QKeySequence(Qt::Key_Delete), "incchar1"},
            {QKeySequence(Qt::Key_End), "incpage1"},             {QKeySequence(Qt::Key_PageDown), "decpage1"},
            {QKeySequence(Qt::CTRL | Qt::Key_F), "FindFonts1"},  {QKeySequence(Qt::Key_F2), "About"},
            {QKeySequence(Qt::ALT | Qt::Key_F4), "Exit1"},
        };
        for (const char *field : {"MaskEdit1", "BStart", "BEnd"})
            for (const auto &[keys, action] : shortcuts)
                QTest::addRow("%s %s", field, keys.toString().toUtf8().constData())
                    << QString::fromLatin1(field) << keys << QString::fromLatin1(action);
    }

    void everyShortcutRunsItsCommandFromAnAddressField()
    {
        QFETCH(QString, field);
        QFETCH(QKeySequence, keys);
        QFETCH(QString, action);
        test::Window w;
        w.editor().runDialog = [](QFileDialog &) { return false; };
        w.state().image.replace(test::patternBytes(100000));
        readAtOffset(w.editor());
        // Undo, Redo and Paste run only when there is something to undo, redo or paste.
        if (action == QLatin1String("Undo1") || action == QLatin1String("Redo1"))
            w.find<QAction>(QStringLiteral("Clear1"))->trigger();
        if (action == QLatin1String("Redo1"))
            w.find<QAction>(QStringLiteral("Undo1"))->trigger();
        if (action == QLatin1String("Paste1"))
            w.find<QAction>(QStringLiteral("Copy1"))->trigger();

        HexEntry *entry = focusField(w, field.toUtf8().constData());
        QTRY_VERIFY(entry->hasFocus());
        QSignalSpy ran(w.find<QAction>(action), &QAction::triggered);
        QTest::keySequence(entry, keys);
        QCOMPARE(ran.count(), 1);
        // The field shows its offset, not a typed letter.
        const EditorState &s = w.state();
        const int64_t shown = field == QLatin1String("MaskEdit1") ? s.glyphOffset
                              : field == QLatin1String("BStart")  ? s.blockStart
                                                                  : s.blockEnd;
        QCOMPARE(entry->text(), QString::fromStdString(hex8(shown)));
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
