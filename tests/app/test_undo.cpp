#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QSpinBox>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <vector>

#include "model/char_width.h"
#include "presets/format_controls.h"
#include "support/window_fixture.h"
#include "views/hex_entry.h"
#include "views/refresh.h"

using namespace velmora;

namespace {

QPoint cell(int c, int r) { return {18 * c + 9, 18 * r + 9}; }

void loadImage(test::Window &w, std::vector<uint8_t> bytes)
{
    w.state().image.replace(std::move(bytes));
    readAtOffset(w.editor());
}

// A key pressed as a user would, to the widget with the focus.
void press(test::Window &w, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier)
{
    w.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
    QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : w.form.get();
    QTest::keyClick(target, key, modifiers);
}

void trigger(test::Window &w, const char *name) { w.find<QAction>(name)->trigger(); }

// A press, drags through cells and a release, with the left button.
void stroke(test::Window &w, std::initializer_list<QPoint> cells)
{
    auto *img = w.find<QWidget>("Img");
    QTest::mousePress(img, Qt::LeftButton, {}, *cells.begin());
    for (QPoint p : cells) {
        QMouseEvent move(QEvent::MouseMove, QPointF(p), img->mapToGlobal(QPointF(p)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(img, &move);
    }
    QTest::mouseRelease(img, Qt::LeftButton, {}, *(cells.end() - 1));
}

} // namespace

class UndoTest : public QObject {
    Q_OBJECT
private slots:
    void strokeThenWriteAreUndoneInTurn()
    {
        test::Window w;
        EditorState &s = w.state();
        loadImage(w, std::vector<uint8_t>(2112, 0));
        stroke(w, {cell(1, 2)});
        const GlyphMatrix firstStroke = s.glyph;
        trigger(w, "Write1");
        const std::vector<uint8_t> written = s.image.bytes();
        QCOMPARE(s.image.at(2), uint8_t{0x40});
        stroke(w, {cell(3, 4), cell(4, 4)});
        QVERIFY(s.glyph.isSet(4, 4));

        press(w, Qt::Key_Z);
        QVERIFY(s.glyph == firstStroke);
        QCOMPARE(s.image.bytes(), written);
        press(w, Qt::Key_Z);
        QCOMPARE(s.image.bytes(), std::vector<uint8_t>(2112, 0));
        QVERIFY(s.glyph == firstStroke); // the stroke is back to unwritten
        press(w, Qt::Key_Z);
        QVERIFY(!s.glyph.isSet(1, 2));
        QVERIFY(!w.find<QAction>("Undo1")->isEnabled());

        press(w, Qt::Key_Y);
        press(w, Qt::Key_Y);
        QCOMPARE(s.image.bytes(), written);
    }

    void autoWriteDragIsOneStep()
    {
        test::Window w;
        EditorState &s = w.state();
        w.find<QAction>("AWrite")->setChecked(true);
        stroke(w, {cell(1, 1), cell(2, 1), cell(3, 1), cell(4, 1)});
        QCOMPARE(s.image.at(1), uint8_t{0x78});
        const std::vector<uint8_t> drawn = s.image.bytes();
        QCOMPARE(w.editor().history.count(), size_t{1});
        QCOMPARE(w.find<QAction>("Undo1")->text(), QStringLiteral("Undo Draw"));

        press(w, Qt::Key_Z);
        QCOMPARE(s.image.bytes(), std::vector<uint8_t>(2112, 0));
        for (int c = 1; c <= 4; ++c)
            QVERIFY(!s.glyph.isSet(c, 1));
        QVERIFY(!w.find<QAction>("Undo1")->isEnabled());
        press(w, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(s.image.bytes(), drawn);
        QVERIFY(s.glyph.isSet(4, 1));
    }

    void pagePassesAreOneStepEach_data()
    {
        QTest::addColumn<bool>("charMapRoll");
        QTest::addColumn<QString>("text");
        QTest::newRow("True Char Map") << false << "Undo True Char Map";
        QTest::newRow("CharMap roll") << true << "Undo CharMap Roll";
    }
    void pagePassesAreOneStepEach()
    {
        QFETCH(bool, charMapRoll);
        QFETCH(QString, text);
        test::Window w;
        EditorState &s = w.state();
        loadImage(w, test::patternBytes(2112));
        s.glyphOffset = 26; // the third character, so the undo has a place to bring back
        readAtOffset(w.editor());
        const std::vector<uint8_t> before = s.image.bytes();
        if (charMapRoll) {
            w.find<QCheckBox>("ckCmap")->setChecked(true);
            test::clickButton(w, "btR1");
        } else {
            trigger(w, "TrueCharMap1");
        }
        const std::vector<uint8_t> after = s.image.bytes();
        QVERIFY(after != before);
        QCOMPARE(w.editor().history.count(), size_t{1});
        QCOMPARE(w.find<QAction>("Undo1")->text(), text);

        trigger(w, "tbUndo");
        QCOMPARE(s.image.bytes(), before);
        QCOMPARE(s.glyphOffset, 26);
        QCOMPARE(w.find<HexEntry>("MaskEdit1")->text(), QStringLiteral("0000001A"));
        trigger(w, "tbRedo");
        QCOMPARE(s.image.bytes(), after);
    }

    void undoAfterMergeRestoresTheOldBytes()
    {
        test::Window w;
        EditorState &s = w.state();
        loadImage(w, test::patternBytes(4000));
        s.viewOffset = 1000;
        readAtOffset(w.editor());
        const QString path = test::writeFile(w.dir.filePath(QStringLiteral("part.bin")), QByteArray(5000, '\x5A'));
        w.editor().runDialog = [path](QFileDialog &dialog) {
            dialog.selectFile(path);
            return true;
        };
        trigger(w, "Open1");
        QCOMPARE(s.image.at(3999), uint8_t{0x5A});
        QCOMPARE(w.find<QAction>("Undo1")->text(), QStringLiteral("Undo Merge"));
        press(w, Qt::Key_Z);
        QCOMPARE(s.image.bytes(), test::patternBytes(4000));
        QCOMPARE(s.viewOffset, 1000);
        press(w, Qt::Key_Y);
        QCOMPARE(s.image.at(1000), uint8_t{0x5A});
        QCOMPARE(s.image.at(999), test::patternBytes(4000)[999]);
    }

    void undoReturnsToThePlaceAndFormatOfItsStep()
    {
        test::Window w;
        EditorState &s = w.state();
        loadImage(w, std::vector<uint8_t>(100000, 0));
        test::clickButton(w, "BtWd"); // 16 x 12
        test::typeAddress(w, "MaskEdit1", QStringLiteral("00001234"));
        QCOMPARE(s.glyphOffset, 0x1234);
        const int32_t view = s.viewOffset;
        stroke(w, {cell(12, 3)});
        trigger(w, "Write1");
        QVERIFY(s.image.at(0x1234 + 1 + 2 * 2 + 1) != 0);

        test::clickButton(w, "BtSm"); // 8 x 13
        trigger(w, "decpage1");
        trigger(w, "decpage1");
        press(w, Qt::Key_Z);
        QCOMPARE(int(s.charWidth), 16);
        QCOMPARE(int(s.charHeight), 12);
        QCOMPARE(w.find<QSpinBox>("spWidth")->value(), 16);
        QCOMPARE(w.find<QSpinBox>("spHeight")->value(), 12);
        QCOMPARE(s.glyphOffset, 0x1234);
        QCOMPARE(s.viewOffset, view);
        QCOMPARE(w.find<HexEntry>("MaskEdit1")->text(), QStringLiteral("00001234"));
        QCOMPARE(s.image.bytes(), std::vector<uint8_t>(100000, 0));
        QVERIFY(s.glyph.isSet(12, 3)); // the stroke, unwritten again
    }

    void commandTextsAndEnabledStatesFollowTheHistory()
    {
        test::Window w;
        QAction *undo = w.find<QAction>("Undo1");
        QAction *redo = w.find<QAction>("Redo1");
        const auto states = [&] {
            return QStringList{undo->text(), redo->text(), w.find<QAction>("tbUndo")->text(),
                               QString::number(undo->isEnabled()), QString::number(redo->isEnabled()),
                               QString::number(w.find<QToolButton>("tbUndo")->isEnabled()),
                               QString::number(w.find<QToolButton>("tbRedo")->isEnabled())}
                .join(u'|');
        };
        QCOMPARE(states(), QStringLiteral("Undo|Redo|Undo|0|0|0|0"));
        trigger(w, "Read1"); // navigation and Read are no steps
        trigger(w, "incpage1");
        QCOMPARE(states(), QStringLiteral("Undo|Redo|Undo|0|0|0|0"));

        w.state().glyph.at(2, 2) = 1;
        applyComputedWidth(w.state()); // as a painted cell does
        trigger(w, "Write1");
        QCOMPARE(states(), QStringLiteral("Undo Write|Redo|Undo Write|1|0|1|0"));
        trigger(w, "Write1"); // writes nothing new: no step
        QCOMPARE(w.editor().history.count(), size_t{1});
        trigger(w, "Clear1");
        QCOMPARE(states(), QStringLiteral("Undo Clear|Redo|Undo Clear|1|0|1|0"));
        trigger(w, "Undo1");
        QCOMPARE(states(), QStringLiteral("Undo Write|Redo Clear|Undo Write|1|1|1|1"));
        trigger(w, "Undo1");
        QCOMPARE(states(), QStringLiteral("Undo|Redo Write|Undo|0|1|0|1"));
        w.state().glyph.at(3, 3) = 1;
        trigger(w, "Paste1"); // not enabled: runs nothing
        trigger(w, "Write1");
        QCOMPARE(states(), QStringLiteral("Undo Write|Redo|Undo Write|1|0|1|0"));

        QCOMPARE(redo->shortcuts(), (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
                                                          QKeySequence(Qt::CTRL | Qt::Key_Y)}));
        const QList<QAction *> tools = w.find<QToolBar>("ToolBar1")->actions();
        const auto at = [&](const char *name) { return tools.indexOf(w.find<QAction>(name)); };
        QVERIFY(at("ToolButton3") < at("tbUndo"));
        QCOMPARE(at("tbRedo"), at("tbUndo") + 1);
    }

    void undoKeysWinOverAFocusedAddressField_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("redo");
        QTest::newRow("Ctrl+Z") << int(Qt::Key_Z) << int(Qt::ControlModifier) << false;
        QTest::newRow("Ctrl+Shift+Z") << int(Qt::Key_Z) << int(Qt::ControlModifier | Qt::ShiftModifier) << true;
        QTest::newRow("Ctrl+Y") << int(Qt::Key_Y) << int(Qt::ControlModifier) << true;
    }
    void undoKeysWinOverAFocusedAddressField()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, redo);
        test::Window w;
        w.state().glyph.at(2, 2) = 1;
        trigger(w, "Write1");
        if (redo)
            trigger(w, "Undo1");
        auto *entry = w.find<HexEntry>("MaskEdit1");
        w.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
        entry->setFocus();
        QTRY_VERIFY(entry->hasFocus());
        QTest::keyClicks(entry, "12"); // something for the field's own undo to take back
        QTest::keyClick(entry, static_cast<Qt::Key>(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(w.editor().history.undoCount(), size_t{redo ? 1u : 0u});
        QCOMPARE(entry->text(), QStringLiteral("00000000"));
    }

    void newAndOpenClearTheHistorySaveKeepsIt()
    {
        test::Window w;
        const auto makeStep = [&w] {
            w.state().glyph.at(2, 2) = 1 - w.state().glyph.at(2, 2);
            trigger(w, "Write1");
        };
        makeStep();
        const QString path = w.dir.filePath(QStringLiteral("saved.bin"));
        w.editor().runDialog = [path](QFileDialog &dialog) {
            dialog.selectFile(path);
            return true;
        };
        trigger(w, "Save");
        QVERIFY(QFile::exists(path));
        QVERIFY(w.find<QAction>("Undo1")->isEnabled());
        trigger(w, "mnNew");
        QVERIFY(!w.find<QAction>("Undo1")->isEnabled());
        QCOMPARE(w.editor().history.count(), size_t{0});

        makeStep();
        trigger(w, "Undo1");
        makeStep();
        trigger(w, "Open");
        QVERIFY(!w.find<QAction>("Undo1")->isEnabled());
        QVERIFY(!w.find<QAction>("Redo1")->isEnabled());
        QCOMPARE(w.editor().history.count(), size_t{0});
    }

    // A 24 x 24 glyph of rows: a stroke on the grid's smaller cells and a
    // Write change only the two pixels' bits, and undo takes back each in turn.
    void largeGlyphInAnotherLayoutIsDrawnWrittenAndUndone()
    {
        test::Window w;
        EditorState &s = w.state();
        loadImage(w, std::vector<uint8_t>(2112, 0xA5));
        applyGlyphFormat(w.editor(), parseGlyphFormat("24x24,rows"));
        const std::vector<uint8_t> before = s.image.bytes();
        const int pitch = 288 / 24; // 24 x 24 cells in the 288-pixel lattice, matrix row r in grid row r - 1
        const auto at = [pitch](int c, int r) { return QPoint(pitch * c + pitch / 2, pitch * (r - 1) + pitch / 2); };
        stroke(w, {at(22, 24), at(1, 1)}); // pixels (22, 23) and (1, 0), paper in 0xA5
        trigger(w, "Write1");
        std::vector<uint8_t> expected = before;
        expected[0] = 0xE5;  // bit 6 of row 0's first byte
        expected[71] = 0xA7; // bit 1 of row 23's last byte
        QCOMPARE(s.image.bytes(), expected);

        press(w, Qt::Key_Z);
        QCOMPARE(s.image.bytes(), before);
        QVERIFY(s.glyph.isSet(22, 24));
        press(w, Qt::Key_Z);
        QVERIFY(!s.glyph.isSet(22, 24) && !s.glyph.isSet(1, 1));
    }
};

QTEST_MAIN(UndoTest)
#include "test_undo.moc"
