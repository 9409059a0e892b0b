#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "support/window_fixture.h"

using namespace velmora;

// The window as laid out: every menu item and tool button, and the place of every control.
class WindowLayoutTest : public QObject {
    Q_OBJECT
private slots:
    void menuItemsAndToolButtons_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("shortcut");
        QTest::addColumn<int>("check"); // -1 not checkable, 0 unchecked, 1 checked
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("hint"); // "" for the caption itself
        const struct {
            const char *name, *caption, *shortcut;
            int check;
            bool enabled;
            const char *hint;
        } rows[] = {
            {"mnNew", "New", "Ctrl+N", -1, true, ""},           {"Open", "Open", "Ctrl+O", -1, true, ""},
            {"Open1", "Merge", "Ctrl+M", -1, true, ""},         {"Save", "Save", "Ctrl+S", -1, true, ""},
            {"Saveblock1", "Save block", "", -1, true, ""},     {"PLoad", "Load", "", -1, true, ""},
            {"Exit1", "Exit", "Alt+F4", -1, true, ""},          {"Copy1", "Copy", "C", -1, true, ""},
            {"Paste1", "Paste", "V", -1, false, ""},            {"Clear1", "Clear", "X", -1, true, ""},
            {"Read1", "Read", "R", -1, true, ""},               {"Write1", "Write", "W", -1, true, ""},
            {"decr11", "- 1", "Ins", -1, true, ""},             {"decr21", "- char", "Home", -1, true, ""},
            {"inc21", "- page", "PgUp", -1, true, ""},          {"incchar1", "+ 1", "Del", -1, true, ""},
            {"incpage1", "+ char", "End", -1, true, ""},        {"decpage1", "+ page", "PgDown", -1, true, ""},
            {"TrueCharMap1", "True Char Map", "", -1, true, ""}, {"AWrite", "AutoWrite", "", 0, true, ""},
            {"Zoom", "Zoom x2", "", 1, true, ""},               {"SZpref", "Size prefix", "", 1, true, ""},
            {"AdPref", "Addr prefix", "", 0, true, ""},         {"About", "About", "F2", -1, true, ""},
            {"ExportPagePng1", "Page as PNG...", "", -1, true, ""},
            {"ExportBlockPng1", "Block as PNG...", "", -1, true, ""},
            {"ExportBdf1", "Font as BDF...", "", -1, true, ""},
            {"ExportPsf1", "Font as PSF2...", "", -1, true, ""},
            {"ExportC1", "Font as C source...", "", -1, true, ""},
            {"ImportPng1", "Glyphs from PNG...", "", -1, true, ""},
            {"ImportFont1", "Glyphs from font...", "", -1, true, ""},
            {"Compare1", "Compare with...", "", -1, true, ""}, {"CompareOff1", "Stop comparing", "", -1, false, ""},
            {"SavePatch1", "Save patch...", "", -1, true, ""}, {"ApplyPatch1", "Apply patch...", "", -1, true, ""},
            {"NextChange1", "Next change", "F3", -1, false, ""},
            {"PrevChange1", "Previous change", "Shift+F3", -1, false, ""},
            {"btNew", "New", "", -1, true, "New"},              {"btOpen", "Open", "", -1, true, "Open"},
            {"btMerge", "Merge", "", -1, true, "Merge"},        {"btSave", "Save", "", -1, true, "Save"},
            {"tbClear", "Clear", "", -1, true, "Clear char image"},
            {"tbCopy", "Copy", "", -1, true, "Copy char image"},
            {"tbPaste", "Paste", "", -1, false, "Paste char image"},
            {"tb", "Read", "", -1, true, "Read char image from memory"},
            {"ToolButton3", "Write", "", -1, true, "Write char image to memory"},
        };
        for (const auto &r : rows)
            QTest::newRow(r.name) << r.name << r.caption << r.shortcut << r.check << r.enabled << r.hint;
    }
    void menuItemsAndToolButtons()
    {
        QFETCH(QString, name);
        test::Window w;
        auto *a = w.find<QAction>(name);
        QVERIFY2(a, qPrintable(name));
        QTEST(a->text(), "caption");
        QTEST(a->shortcut().toString(), "shortcut");
        QFETCH(int, check);
        QCOMPARE(a->isCheckable(), check >= 0);
        if (check >= 0)
            QCOMPARE(a->isChecked(), check == 1);
        QTEST(a->isEnabled(), "enabled");
        QFETCH(QString, hint);
        if (!hint.isEmpty()) {
            QCOMPARE(a->toolTip(), hint);
            QVERIFY(w.find<QToolButton>(name)); // shown on the tool bar under the same name
        }
    }

    void menusAndSeparators()
    {
        test::Window w;
        QStringList titles;
        for (QAction *a : w.form->menuBar()->actions())
            titles << a->text();
        QCOMPARE(titles.mid(0, 4), (QStringList{"File", "Edit", "Navigation", "Operations"}));
        QVERIFY(titles.contains("Options"));
        QCOMPARE(titles.last(), QStringLiteral("About")); // an item without a menu
        QVERIFY(!w.form->menuBar()->actions().last()->menu());
        QVERIFY(w.find<QMenu>("Plugins1"));
        QVERIFY(w.find<QAction>("Np")->isSeparator());
        QVERIFY(w.find<QAction>("Nl")->isSeparator());
        auto *navigation = w.find<QMenu>("Navigate1");
        QCOMPARE(navigation->actions().size(), 9); // then "Next change" and "Previous change"
        QVERIFY(navigation->actions().at(3)->isSeparator()); // between "- page" and "+ 1"
    }

    void controlsSitWhereTheLayoutPutsThem_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("place"); // in the parent's coordinates
        const struct { const char *name; QRect place; } rows[] = {
            {"ToolBar1", {0, 0, 777, 36}},     {"Panel1", {5, 40, 358, 25}},   {"MaskEdit1", {5, 69, 64, 17}},
            {"ByteNo", {5, 70, 64, 287}},      {"Img", {72, 68, 290, 290}},    {"Panel2", {366, 40, 121, 319}},
            {"Label2", {6, 4, 108, 37}},       {"LbNfo", {6, 44, 108, 65}},    {"GroupBox1", {6, 114, 110, 121}},
            {"ImgReel", {40, 44, 24, 24}},     {"GroupBox3", {6, 236, 110, 77}}, {"Panel3", {492, 40, 145, 320}},
            {"Adrs", {6, 5, 133, 36}},         {"MemImg", {6, 48, 133, 265}},  {"GroupBox2", {642, 40, 137, 169}},
            {"btMini", {641, 212, 57, 25}},    {"BtBig", {641, 332, 57, 25}},  {"bt1", {728, 212, 25, 25}},
            {"bt6", {728, 332, 25, 25}},       {"bt7", {753, 212, 25, 25}},    {"bt12", {753, 332, 25, 25}},
            {"Panel4", {4, 360, 779, 25}},
        };
        for (const auto &r : rows)
            QTest::newRow(r.name) << r.name << r.place;
    }
    void controlsSitWhereTheLayoutPutsThem()
    {
        QFETCH(QString, name);
        test::Window w;
        QWidget *control = w.find<QWidget>(name);
        QVERIFY2(control, qPrintable(name));
        QTEST(control->geometry(), "place");
    }

    void windowHasItsFixedClientArea()
    {
        test::Window w;
        QCOMPARE(w.form->centralWidget()->size(), QSize(780, 388));
        QCOMPARE(w.form->minimumSize(), w.form->maximumSize());
        QVERIFY(!(w.form->windowFlags() & Qt::WindowMaximizeButtonHint));
        for (int n = 1; n <= 12; ++n)
            QCOMPARE(w.find<QPushButton>(QStringLiteral("bt%1").arg(n))->text(), QStringLiteral("-"));
    }
};

QTEST_MAIN(WindowLayoutTest)
#include "test_window_layout.moc"
