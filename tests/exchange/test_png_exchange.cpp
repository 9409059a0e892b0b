#include <QAction>
#include <QFile>
#include <QImage>
#include <QTest>

#include <vector>

#include "exchange/png_exchange.h"
#include "model/format.h"
#include "views/refresh.h"
#include "presets/format_controls.h"
#include "support/window_fixture.h"

using namespace velmora;

namespace {

std::vector<uint8_t> patternBytes(size_t length)
{
    std::vector<uint8_t> bytes(length);
    uint32_t x = 12345;
    for (auto &b : bytes) {
        x = x * 1103515245u + 12345u;
        b = static_cast<uint8_t>(x >> 16);
    }
    return bytes;
}

// An image of pattern bytes in format w x h with the given flags; "ACW calculation" off.
void setUp(test::Window &w, int width, int height, bool skip, bool swap, size_t length)
{
    EditorState &s = w.state();
    s.image.replace(patternBytes(length));
    s.setFlag(Flag::AcwCalculation, false);
    s.setFlag(Flag::SkipSpareByte, skip);
    s.setFlag(Flag::SwapBytes, swap);
    showFlags(w.editor());
    applyFormat(w.editor(), width, height);
    readAtOffset(w.editor());
}

void setView(test::Window &w, int32_t offset)
{
    w.state().viewOffset = offset;
    w.state().glyphOffset = offset;
    readAtOffset(w.editor());
}

} // namespace

class PngExchangeTest : public QObject {
    Q_OBJECT
private slots:
    void blockRoundTripRestoresEveryByte_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("skip");
        QTest::addColumn<bool>("swap");
        QTest::newRow("8x13") << 8 << 13 << false << false;
        QTest::newRow("16x16 skip spare byte") << 16 << 16 << true << false;
        QTest::newRow("16x12 swap bytes") << 16 << 12 << false << true;
    }
    void blockRoundTripRestoresEveryByte()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(bool, skip);
        QFETCH(bool, swap);
        test::Window w;
        EditorState &s = w.state();
        setUp(w, width, height, skip, swap, 20000);
        const int32_t first = 301;
        s.blockStart = first;
        s.blockEnd = first + 256 * charStep(s) - 1;
        const QString path = w.dir.filePath("sheet.png");
        test::runWithFile(w, "ExportBlockPng1", path);

        const QImage sheet(path);
        QCOMPARE(sheet.size(), QSize(16 * width + 17, 16 * (height - 1) + 17));
        QCOMPARE(sheet.text("Velmora-Count"), QStringLiteral("256"));

        // Spoil every byte the sheet holds: the width byte and the shown pixel rows.
        const std::vector<uint8_t> original = s.image.bytes();
        const int held = 1 + bytesPerRow(s) * (height - 1);
        for (int k = 0; k < 256; ++k)
            for (int i = 0; i < held; ++i) {
                const int64_t p = first + int64_t{k} * charStep(s) + i;
                s.image.write(p, static_cast<uint8_t>(~s.image.at(p)));
            }
        QVERIFY(s.image.bytes() != original);

        setView(w, first);
        test::runWithFile(w, "ImportPng1", path);
        QVERIFY(s.image.bytes() == original);
    }

    void editedPixelChangesOnlyItsBit()
    {
        test::Window w;
        EditorState &s = w.state();
        setUp(w, 8, 13, false, false, 4096);
        setView(w, 130);
        const QString path = w.dir.filePath("page.png");
        test::runWithFile(w, "ExportPagePng1", path);
        // Edited in colour, as most image editors open a sheet.
        QImage sheet = QImage(path).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(sheet.size(), QSize(145, 2 * 12 + 3));

        // Cell 5, column 3 of pixel row 2 (image row 3), flipped.
        const QPoint pixel(1 + 5 * 9 + 3, 1 + 2);
        const bool wasSet = qGray(sheet.pixel(pixel)) < 128;
        sheet.setPixel(pixel, wasSet ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        QVERIFY(sheet.save(path));

        const std::vector<uint8_t> before = s.image.bytes();
        test::runWithFile(w, "ImportPng1", path);
        const std::vector<uint8_t> &after = s.image.bytes();
        const size_t changed = 130 + 5 * 13 + 3;
        for (size_t i = 0; i < before.size(); ++i)
            QCOMPARE(after[i] ^ before[i], i == changed ? 0x10 : 0);
    }

    void sheetWithoutKeysGetsComputedWidths()
    {
        test::Window w;
        EditorState &s = w.state();
        setUp(w, 8, 4, false, false, 2112);
        // A picture drawn elsewhere: transparent cells, one ink pixel in column 5 of cell 1.
        QImage drawn(145, 5, QImage::Format_ARGB32);
        drawn.fill(Qt::transparent);
        drawn.setPixel(1 + 9 + 5, 2, qRgb(40, 40, 40));
        const QString path = w.dir.filePath("drawn.png");
        QVERIFY(drawn.save(path));
        setView(w, 40);
        test::runWithFile(w, "ImportPng1", path);
        QCOMPARE(s.image.at(40), uint8_t{8});     // empty: the full width
        QCOMPARE(s.image.at(44), uint8_t{6});     // set up to column 5
        QCOMPARE(s.image.at(46), uint8_t{0x04});  // pixel row 2 of cell 1
        QCOMPARE(s.image.at(40 + 15 * 4), uint8_t{8});  // all 16 cells written
        QCOMPARE(s.image.at(40 + 16 * 4), patternBytes(2112)[104]); // nothing after them
    }

    void refusedSheetWritesNothing_data()
    {
        QTest::addColumn<bool>("png");
        QTest::addColumn<QStringList>("message");
        QTest::newRow("cells of another format") << true
            << QStringList{"expected cells of 16 x 11 pixels", "found cells of 8 x 12 pixels"};
        QTest::newRow("not a PNG") << false << QStringList{"is not a PNG image"};
    }
    void refusedSheetWritesNothing()
    {
        QFETCH(bool, png);
        QFETCH(QStringList, message);
        test::Window w;
        test::MessageBoxWatcher boxes;
        EditorState &s = w.state();
        setUp(w, 8, 13, false, false, 4096);
        const QString path = w.dir.filePath("page.png");
        if (png)
            test::runWithFile(w, "ExportPagePng1", path); // an 8 x 13 sheet
        else
            test::writeFile(path, "GIF89a, not a sheet");
        applyFormat(w.editor(), 16, 12);
        const std::vector<uint8_t> before = s.image.bytes();
        test::runWithFile(w, "ImportPng1", path);
        QCOMPARE(boxes.seen().size(), 1);
        const QString text = boxes.seen().first().text;
        for (const QString &part : message)
            QVERIFY2(text.contains(part), qPrintable(text));
        QVERIFY(s.image.bytes() == before);
        QCOMPARE(w.editor().history.count(), size_t{0});
    }

    void blockOfMoreThan65536CharactersIsRefused()
    {
        test::Window w;
        test::MessageBoxWatcher boxes;
        setUp(w, 8, 2, false, false, 2 * 65537);
        w.state().blockStart = 0;
        w.state().blockEnd = 2 * 65537 - 1;
        const QString path = w.dir.filePath("big.png");
        test::runWithFile(w, "ExportBlockPng1", path);
        QCOMPARE(boxes.seen().size(), 1);
        QVERIFY(boxes.seen().first().text.contains("at most 65536 characters"));
        QVERIFY(!QFile::exists(path));
    }

    void importIsOneUndoStepAndStopsAtTheImageEnd()
    {
        test::Window w;
        EditorState &s = w.state();
        setUp(w, 8, 13, false, false, 4096);
        const QString path = w.dir.filePath("page.png");
        test::runWithFile(w, "ExportPagePng1", path); // page at 0
        // Only 2 whole characters fit after 4096 - 30; the third's 4 bytes stay.
        s.image.replace(std::vector<uint8_t>(4096, 0));
        setView(w, 4096 - 30);
        test::runWithFile(w, "ImportPng1", path);
        const std::vector<uint8_t> pattern = patternBytes(4096);
        QVERIFY(std::equal(pattern.begin(), pattern.begin() + 26, s.image.bytes().end() - 30));
        QVERIFY(std::all_of(s.image.bytes().end() - 4, s.image.bytes().end(), [](uint8_t b) { return b == 0; }));
        QCOMPARE(w.editor().history.count(), size_t{1});
        QCOMPARE(w.editor().history.step(0).name, std::string("Import PNG"));
        w.find<QAction>("Undo1")->trigger();
        QVERIFY(std::all_of(s.image.bytes().begin(), s.image.bytes().end(), [](uint8_t b) { return b == 0; }));
    }

    // The writer packs few greys as palette indices and cuts large images into
    // parts deflated side by side: every grey and text must still read back.
    void pngKeepsEveryGreyAndText_data()
    {
        QTest::addColumn<int>("greys");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("2 greys, 1 bit") << 2 << 7 << 5;
        QTest::newRow("3 greys, 2 bits, odd width") << 3 << 145 << 27;
        QTest::newRow("5 greys, 4 bits") << 5 << 33 << 9;
        QTest::newRow("16 greys, 4 bits") << 16 << 17 << 3;
        QTest::newRow("17 greys, 8 bits") << 17 << 5 << 5;
        QTest::newRow("3 greys, several parts") << 3 << 529 << 8449;
        QTest::newRow("256 greys, several parts") << 256 << 300 << 4000;
    }
    void pngKeepsEveryGreyAndText()
    {
        QFETCH(int, greys);
        QFETCH(int, width);
        QFETCH(int, height);
        QImage image(width, height, QImage::Format_Grayscale8);
        uint32_t x = static_cast<uint32_t>(greys * 7919 + width);
        for (int row = 0; row < height; ++row)
            for (int column = 0; column < width; ++column) {
                x = x * 1103515245u + 12345u;
                image.scanLine(row)[column] = static_cast<uchar>(((x >> 16) % static_cast<uint32_t>(greys)) * 255 / (greys - 1 ? greys - 1 : 1) ^ 0x5A);
            }
        image.setText(QStringLiteral("Velmora-Format"), QStringLiteral("8x8,rows"));
        const QImage read = imageFromPng(pngBytes(image));
        QCOMPARE(read.convertToFormat(QImage::Format_Grayscale8), image);
        QCOMPARE(read.text(QStringLiteral("Velmora-Format")), QStringLiteral("8x8,rows"));
    }

    // Large sheets are read on two threads and deflated in parts: a sheet of
    // random glyphs and its import still give back every byte, padding too.
    void largeSheetRoundTripKeepsEveryByte_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("count");
        QTest::newRow("32x32 rows") << "32x32,rows" << 1100;
        QTest::newRow("21x24 pages reverse") << "21x24,pages,reverse" << 2100;
        QTest::newRow("13x16 packed, 2 bits") << "13x16,packed,bpp2" << 5100;
        QTest::newRow("16x16 width bytes, swapped") << "16x16,swap" << 4200;
    }
    void largeSheetRoundTripKeepsEveryByte()
    {
        QFETCH(QString, format);
        QFETCH(int, count);
        EditorState s;
        s.image.replace(patternBytes(4 << 20));
        setGlyphFormat(s, parseGlyphFormat(format.toStdString()), 0);
        const int64_t offset = 12345;
        const std::vector<uint8_t> before = s.image.bytes();
        const QImage sheet = imageFromPng(pngBytes(sheetImage(readSheetGlyphs(s, offset, count), s, offset)));
        QCOMPARE(writeSheetGlyphs(s, offset, readSheetImage(sheet, s).glyphs, false), count);
        QVERIFY(s.image.bytes() == before);
    }
};

QTEST_MAIN(PngExchangeTest)
#include "test_png_exchange.moc"
