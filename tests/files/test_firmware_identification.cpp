#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "support/window_fixture.h"

using namespace velmora;

namespace {

constexpr int MB = 0x100000;

// A firmware image with the marker in the given megabytes and an information block before each.
QByteArray firmware(int megabytes, const QList<int> &banks, const QByteArray &model = "R47",
                    const QByteArray &info = "123456", uint8_t number = 0x3A, const QByteArray &marker = "VELMORA")
{
    QByteArray image(megabytes * MB, '\x55');
    for (int m : banks) {
        const int base = m * MB;
        image[base + 0x7FF50] = char(number);
        image.replace(base + 0x7FF60, 7, info.leftJustified(7, '\0'));
        image.replace(base + 0x7FF70, 7, model.leftJustified(7, '\0'));
        image.replace(base + 0x7FF80, 7, marker);
    }
    return image;
}

// One settings entry for model R47, firmware 3A; preset 1 at $400 in 16x12 with flags fftft.
QByteArray entry(int size, const QByteArray &captions, const QByteArray &model = "R47")
{
    QByteArray text = "Phone\r\n" + model + "\r\n1\r\n$3A\r\n" + QByteArray::number(size) + "\r\n" + captions + "\r\n";
    for (int k = 1; k <= 6; ++k)
        text += "left " + QByteArray::number(k) + "\r\n";
    text += "$00000400$00000800$00000000$00000000$00000000$00000000\r\n161208130813081308130813\r\nfftft\r\n";
    text += "------\r\n";
    for (int k = 7; k <= 12; ++k)
        text += "right " + QByteArray::number(k) + "\r\n";
    text += QByteArray("$00000000").repeated(6) + "\r\n" + QByteArray("0813").repeated(6) + "\r\n\r\n";
    return text;
}

QString captions(test::Window &w)
{
    QString text;
    for (QPushButton *b : w.editor().ui.presetButtons)
        text += b->text();
    return text;
}

QColor infoColour(test::Window &w) { return w.find<QLabel>("LbNfo")->palette().color(QPalette::Window); }
QColor buttonFace() { return QPalette().color(QPalette::Button); }

struct Opened {
    test::Window w;
    Opened(const QByteArray &settings, const QByteArray &image, const QString &name = "fw.bin")
    {
        test::writeFile(w.dir.filePath("velmora.ini"), settings);
        test::runWithFile(w, "Open", test::writeFile(w.dir.filePath(name), image));
    }
};

} // namespace

class FirmwareIdentificationTest : public QObject {
    Q_OBJECT
private slots:
    void markerSearch_data()
    {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<QString>("info");
        QTest::newRow("1 MB, marker in megabyte 0") << firmware(1, {0})
                                                    << "VELMORA R47, 123456\n\rfirmware: 3A\n\rBID:00";
        QTest::newRow("4 MB, markers in 0 and 3: the last wins")
            << firmware(4, {0, 3}, "R47", "123456", 0x3A) << "VELMORA R47, 123456\n\rfirmware: 3A\n\rBID:03";
        QTest::newRow("12 MB, marker in megabyte 11") << firmware(12, {11}, "A 1\xFF\xFF\xFF\xFF", "x\ty z", 7)
                                                      << "VELMORA A1, xyz\n\rfirmware: 07\n\rBID:0B";
        QTest::newRow("lower-case marker is ignored") << firmware(4, {0}, "R47", "1", 1, "velmora") << "";
        QTest::newRow("2 MB is not a firmware size") << firmware(2, {0}) << "";
    }
    void markerSearch()
    {
        QFETCH(QByteArray, image);
        test::MessageBoxWatcher boxes;
        Opened o("", image);
        QTEST(o.w.find<QLabel>("LbNfo")->text(), "info");
        QCOMPARE(infoColour(o.w), buttonFace()); // nothing matched
        QCOMPARE(captions(o.w), QString(12, '-'));
        QCOMPARE(o.w.state().viewOffset, 0);
        QCOMPARE(boxes.seen().size(), 0);
    }

    void modelNameIsFiltered()
    {
        Opened o("", firmware(1, {0}, "R\x01" "4 7\xFF"));
        QCOMPARE(o.w.state().modelName, std::string("R47"));
        QCOMPARE(int(o.w.state().firmwareNumber), 0x3A);
    }

    void matchingEntryAppliesPresetOne()
    {
        Opened o(entry(4 * MB, "AB----"), firmware(4, {2}));
        const EditorState &s = o.w.state();
        QCOMPARE(captions(o.w), QStringLiteral("AB----------"));
        QCOMPARE(o.w.editor().ui.presetButtons[1]->toolTip(), QStringLiteral("left 2"));
        QCOMPARE(infoColour(o.w), QColor(0xC0, 0xC0, 0xFF));
        QCOMPARE(s.viewOffset, 0x400);
        QCOMPARE(s.glyphOffset, 0x400);
        QCOMPARE(int(s.charWidth), 16);
        QCOMPARE(int(s.charHeight), 12);
        QCOMPARE(s.flags, (std::array<bool, 5>{false, false, true, false, true}));
        QCOMPARE(o.w.find<QListWidget>("CLB")->item(4)->checkState(), Qt::Checked);
        QCOMPARE(s.glyph, test::storedGlyph(s)); // decoded with the preset's flags
    }

    void entryForAnotherSizeKeepsThePreviousButtons()
    {
        Opened o(entry(4 * MB, "AB----"), firmware(4, {0}));
        test::writeFile(o.w.dir.filePath("velmora.ini"), entry(4 * MB, "XY----"));
        test::runWithFile(o.w, "Open", test::writeFile(o.w.dir.filePath("one.bin"), firmware(1, {0})));
        QCOMPARE(captions(o.w), QStringLiteral("AB----------"));
        QCOMPARE(infoColour(o.w), QColor(0xC0, 0xC0, 0xFF));
        QCOMPARE(o.w.state().viewOffset, 0x400); // preset 1 of the kept table
    }

    void sizePrefixStillOverridesTheFormat()
    {
        Opened o(entry(4 * MB, "AB----"), firmware(4, {0}), "08x09_fw.bin");
        QCOMPARE(int(o.w.state().charWidth), 8);
        QCOMPARE(int(o.w.state().charHeight), 9);
        QCOMPARE(o.w.state().viewOffset, 0x400);
    }

    void missingSettingsFileEndsTheOpen()
    {
        Opened o(entry(4 * MB, "AB----"), firmware(4, {0}));
        QFile::remove(o.w.dir.filePath("velmora.ini"));
        test::MessageBoxWatcher boxes;
        test::runWithFile(o.w, "Open", test::writeFile(o.w.dir.filePath("16x10_b.bin"), firmware(1, {0}, "Q9")));
        QTRY_COMPARE(boxes.seen().size(), 1);
        QCOMPARE(boxes.seen().first().text, QStringLiteral("File not found."));
        QCOMPARE(o.w.find<QLabel>("LbNfo")->text(), QStringLiteral("VELMORA Q9, 123456\n\rfirmware: 3A\n\rBID:00"));
        QCOMPARE(infoColour(o.w), buttonFace());
        QCOMPARE(captions(o.w), QStringLiteral("AB----------"));
        QCOMPARE(int(o.w.state().charWidth), 16); // the preset's format: no size prefix
        QCOMPARE(int(o.w.state().charHeight), 12);
    }
};

QTEST_MAIN(FirmwareIdentificationTest)
#include "test_firmware_identification.moc"
