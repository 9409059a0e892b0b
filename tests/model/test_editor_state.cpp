#include <QTest>

#include <vector>

#include "model/editor_state.h"
#include "model/image_buffer.h"

using namespace velmora;

using Bytes = std::vector<uint8_t>;

class EditorStateTest : public QObject {
    Q_OBJECT
private slots:
    void resetGivesTheBlankImage()
    {
        // A state that a session has been through: a loaded file, another
        // format, moved offsets and a drawn matrix.
        EditorState s;
        s.drawMode = DrawIdle;
        s.inkColour = 0x123456;
        s.paperColour = 0x654321;
        s.formatUpdate = 1;
        s.fileName = "/tmp/font.bin";
        s.charWidth = 16;
        s.charHeight = 5;
        s.viewOffset = 0x300;
        s.glyphOffset = 0x321;
        s.blockStart = 10;
        s.blockEnd = 20;
        s.rollDirection = 3;
        s.flags = {true, true, false, false, true};
        s.image.replace(Bytes(5000, 0x77));
        s.glyph.cells.fill(1);

        resetEditorState(s);

        QCOMPARE(int(s.drawMode), int(DrawToggle));
        QCOMPARE(s.inkColour, int64_t(0));
        QCOMPARE(s.paperColour, int64_t(0xC0C0C0));
        QCOMPARE(int(s.formatUpdate), 0);
        QCOMPARE(s.fileName, std::string("blank.bin"));
        QCOMPARE(int(s.charWidth), 8);
        QCOMPARE(int(s.charHeight), 13);
        QCOMPARE(s.viewOffset, 0);
        QCOMPARE(s.glyphOffset, 0);
        QCOMPARE(s.blockStart, 0);
        QCOMPARE(s.blockEnd, 2111);
        QCOMPARE(int(s.rollDirection), 0);
        QCOMPARE(s.flags, (std::array<bool, flagCount>{false, false, true, true, false}));
        QCOMPARE(s.imageLength(), 2112);
        QCOMPARE(s.image.bytes(), Bytes(2112, 0));

        // Empty except the width row holding 8: only cell (4, 0).
        GlyphMatrix expected;
        expected.at(4, 0) = 1;
        QVERIFY(s.glyph == expected);
    }

    void resetKeepsWhatItDoesNotOwn()
    {
        EditorState s;
        s.clipboard.at(3, 7) = 1;
        s.presetTable.expectedSize = 65536;
        s.presetTable.presets[4] = Preset{0x1000, 16, 12, "tftff"};
        s.navigationStep = 0x40;
        s.lastMouseColumn = 5;
        s.lastMouseRow = 9;
        s.pluginMatch = 1;
        s.modelName = "MX-9";
        s.firmwareNumber = 3;
        s.programDirectory = "/opt/velmora";
        const EditorState before = s;

        resetEditorState(s);

        QVERIFY(s.clipboard == before.clipboard);
        QCOMPARE(s.presetTable.expectedSize, 65536);
        QCOMPARE(s.presetTable.presets[4].offset, 0x1000);
        QCOMPARE(int(s.presetTable.presets[4].charWidth), 16);
        QCOMPARE(int(s.presetTable.presets[4].charHeight), 12);
        QCOMPARE(s.presetTable.presets[4].flags, std::string("tftff"));
        QCOMPARE(s.navigationStep, 0x40);
        QCOMPARE(int(s.lastMouseColumn), 5);
        QCOMPARE(int(s.lastMouseRow), 9);
        QCOMPARE(int(s.pluginMatch), 1);
        QCOMPARE(s.modelName, std::string("MX-9"));
        QCOMPARE(int(s.firmwareNumber), 3);
        QCOMPARE(s.programDirectory, std::string("/opt/velmora"));
    }

    void cellColour_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("ink");
        QTest::newRow("set") << 1 << true;
        QTest::newRow("clear") << 0 << false;
        QTest::newRow("two") << 2 << false;
        QTest::newRow("255") << 255 << false;
    }
    void cellColour()
    {
        QFETCH(int, value);
        QFETCH(bool, ink);
        EditorState s;
        resetEditorState(s);
        QCOMPARE(velmora::cellColour(s, static_cast<uint8_t>(value)), ink ? Colour(0) : Colour(0xC0C0C0));

        // Only the low 32 bits of a colour field are the colour.
        s.inkColour = int64_t(0x7F00000000123456);
        s.paperColour = -1;
        QCOMPARE(velmora::cellColour(s, static_cast<uint8_t>(value)), ink ? Colour(0x123456) : Colour(0xFFFFFFFF));
    }

    void thumbColour_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("value");
        QTest::addColumn<Colour>("expected");
        const struct { int mode; Colour background; } modes[] = {
            {0, 0xE0D0D0}, {1, 0xC0C0C0}, {2, 0xF0F0E0}, {3, 0xE0D0D0}, {255, 0xE0D0D0}};
        for (auto m : modes) {
            QTest::addRow("mode %d set", m.mode) << m.mode << 1 << Colour(0);
            QTest::addRow("mode %d clear", m.mode) << m.mode << 0 << m.background;
            QTest::addRow("mode %d value 2", m.mode) << m.mode << 2 << m.background;
        }
    }
    void thumbColour()
    {
        QFETCH(int, mode);
        QFETCH(int, value);
        QFETCH(Colour, expected);
        EditorState s;
        s.overviewColourMode = static_cast<uint8_t>(mode);
        QCOMPARE(velmora::thumbColour(s, static_cast<uint8_t>(value)), expected);
    }

    void writeBytesClipsToTheImage_data()
    {
        QTest::addColumn<qint64>("offset");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("written");
        QTest::addColumn<Bytes>("expected");
        // Data bytes are 1, 2, 3, ... written into eight zero bytes.
        QTest::newRow("inside") << qint64(2) << 3 << 3 << Bytes{0, 0, 1, 2, 3, 0, 0, 0};
        QTest::newRow("whole") << qint64(0) << 8 << 8 << Bytes{1, 2, 3, 4, 5, 6, 7, 8};
        QTest::newRow("past the end") << qint64(6) << 4 << 2 << Bytes{0, 0, 0, 0, 0, 0, 1, 2};
        QTest::newRow("before the start") << qint64(-2) << 4 << 2 << Bytes{3, 4, 0, 0, 0, 0, 0, 0};
        QTest::newRow("over both ends") << qint64(-1) << 10 << 8 << Bytes{2, 3, 4, 5, 6, 7, 8, 9};
        QTest::newRow("at the end") << qint64(8) << 3 << 0 << Bytes(8, 0);
        QTest::newRow("ends at the start") << qint64(-3) << 3 << 0 << Bytes(8, 0);
        QTest::newRow("no data") << qint64(1) << 0 << 0 << Bytes(8, 0);
        QTest::newRow("far out") << qint64(0x7FFFFFFF) << 4 << 0 << Bytes(8, 0);
        QTest::newRow("far before") << -qint64(0x80000000) << 4 << 0 << Bytes(8, 0);
    }
    void writeBytesClipsToTheImage()
    {
        QFETCH(qint64, offset);
        QFETCH(int, count);
        QFETCH(int, written);
        QFETCH(Bytes, expected);
        ImageBuffer image(Bytes(8, 0));
        Bytes data(static_cast<size_t>(count));
        for (int k = 0; k < count; ++k)
            data[static_cast<size_t>(k)] = static_cast<uint8_t>(k + 1);
        QCOMPARE(image.writeBytes(offset, data), size_t(written));
        QCOMPARE(image.bytes(), expected);
        QCOMPARE(image.length(), 8);
    }

    void readsOutsideGiveZero()
    {
        ImageBuffer image(Bytes{9, 8, 7});
        QCOMPARE(int(image.at(0)), 9);
        QCOMPARE(int(image.at(2)), 7);
        QCOMPARE(int(image.at(3)), 0);
        QCOMPARE(int(image.at(-1)), 0);
        QVERIFY(image.contains(2));
        QVERIFY(!image.contains(3));
        QVERIFY(!image.contains(-1));

        ImageBuffer empty;
        QCOMPARE(empty.length(), 0);
        QCOMPARE(int(empty.at(0)), 0);
        empty.write(0, 5);
        QCOMPARE(empty.length(), 0);
        QCOMPARE(empty.range(0, 4).size(), size_t(0));
    }

    void rangeClipsToTheImage_data()
    {
        QTest::addColumn<qint64>("offset");
        QTest::addColumn<qint64>("count");
        QTest::addColumn<Bytes>("expected");
        QTest::newRow("inside") << qint64(1) << qint64(3) << Bytes{11, 12, 13};
        QTest::newRow("past the end") << qint64(4) << qint64(5) << Bytes{14, 15};
        QTest::newRow("before the start") << qint64(-2) << qint64(4) << Bytes{10, 11};
        QTest::newRow("over both ends") << qint64(-3) << qint64(20) << Bytes{10, 11, 12, 13, 14, 15};
        QTest::newRow("beyond") << qint64(6) << qint64(2) << Bytes{};
        QTest::newRow("wholly before") << qint64(-5) << qint64(3) << Bytes{};
        QTest::newRow("negative count") << qint64(2) << qint64(-1) << Bytes{};
    }
    void rangeClipsToTheImage()
    {
        QFETCH(qint64, offset);
        QFETCH(qint64, count);
        QFETCH(Bytes, expected);
        const ImageBuffer image(Bytes{10, 11, 12, 13, 14, 15});
        const auto span = image.range(offset, count);
        QCOMPARE(Bytes(span.begin(), span.end()), expected);
    }
};

QTEST_APPLESS_MAIN(EditorStateTest)
#include "test_editor_state.moc"
