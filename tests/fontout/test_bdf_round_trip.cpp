// A BDF written from the image and read back by the font import (FreeType
// through Qt's font database) draws the same glyphs, bit for bit, with the
// same advances.
#include <QTemporaryDir>
#include <QtTest>

#include "exchange/font_render.h"
#include "fontout/font_file_format.h"
#include "layout/glyph_layout.h"

using namespace velmora;
using namespace velmora::fontout;

class BdfRoundTripTest : public QObject {
    Q_OBJECT
private slots:
    void importDrawsTheExportedGlyphs_data()
    {
        QTest::addColumn<QString>("format");
        QTest::newRow("width byte") << "8x13";
        QTest::newRow("16 wide width byte") << "16x16,spare,swap";
        QTest::newRow("packed with widths") << "5x7,packed,widths=100";
        QTest::newRow("strips") << "12x16,strips";
        QTest::newRow("pages reversed") << "8x8,pages,reverse";
        QTest::newRow("grey levels") << "10x10,rows,bpp4,invert";
        QTest::newRow("32 x 32") << "32x32,rows,stride=130";
    }
    void importDrawsTheExportedGlyphs()
    {
        QFETCH(QString, format);
        QTemporaryDir dir;
        // Glyphs of any bits; widths below and above the cell's.
        std::vector<uint8_t> image(4096);
        uint32_t seed = 12345;
        for (uint8_t &byte : image) {
            seed = seed * 1103515245 + 12345;
            byte = static_cast<uint8_t>(seed >> 16);
        }
        FontRange range;
        range.image = image;
        range.format = parseGlyphFormat(format.toStdString());
        range.count = 24;
        range.firstCode = 0x41;
        for (int k = 0; k < range.count; ++k)
            image[0x100 + static_cast<size_t>(k)] = static_cast<uint8_t>(k % 9);
        if (range.format.widthByte())
            for (int k = 0; k < range.count; ++k)
                image[static_cast<size_t>(k * range.format.step())] = static_cast<uint8_t>(k % 20);
        range.start = range.format.widthTable >= 0 ? 0x200 : 0;
        static int fonts = 0; // each row its own family in the application's font database
        range.name = "RoundTrip" + std::to_string(++fonts);
        const std::vector<uint8_t> bdf = fontFileFormatFor("x.bdf")->write(range);
        const QString path = dir.filePath("font.bdf");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char *>(bdf.data()), qsizetype(bdf.size()));
        file.close();

        const QString family = loadFontFile(path);
        QCOMPARE(family, QString::fromStdString(range.name));
        const GlyphFormat &f = range.format;
        const SheetGlyphs drawn = renderGlyphs(bitmapFont(family, f.pixelRows()), range.firstCode, int(range.count), f.width,
                                               f.pixelRows(), 0);
        std::vector<uint8_t> levels(static_cast<size_t>(f.width * f.pixelRows()));
        for (int k = 0; k < range.count; ++k) {
            QCOMPARE(int(drawn.widths[size_t(k)]), glyphAdvance(image, range.start, k, f));
            decodePixels(image, range.start + int64_t{k} * f.step(), f, levels.data());
            for (int y = 0; y < f.pixelRows(); ++y)
                for (int x = 0; x < f.width; ++x)
                    QVERIFY2(drawn.pixel(k, x, y) == (2 * levels[size_t(y * f.width + x)] >= f.maxLevel()),
                             qPrintable(QString("glyph %1 pixel (%2, %3)").arg(k).arg(x).arg(y)));
        }
    }
};

QTEST_MAIN(BdfRoundTripTest)
#include "test_bdf_round_trip.moc"
