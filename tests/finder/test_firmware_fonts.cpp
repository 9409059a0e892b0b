#include <QTest>

#include <algorithm>
#include <stdexcept>

#include "finder/firmware_image_generator.h"
#include "finder/font_scan.h"

using namespace velmora;

namespace {

bool sameFont(const FontCandidate &c, const test::PlantedFont &font)
{
    return c.start == font.start && c.format == font.format && c.count == font.count;
}

QString describe(int64_t start, const FontFormat &format, int64_t count)
{
    return QStringLiteral("%1 %2 x%3").arg(start, 8, 16, QLatin1Char('0')).arg(QString::fromStdString(formatText(format))).arg(count);
}

} // namespace

// Real fonts among real machine code, text, deflate streams and fill.
class FirmwareFontsTest : public QObject {
    Q_OBJECT
private slots:
    void realFontsAreFoundExactlyAndListedFirst_data()
    {
        QTest::addColumn<quint64>("seed");
        QTest::addColumn<int>("megabytes");
        QTest::addColumn<int>("fonts");
        QTest::newRow("1 MB, 4 fonts") << quint64(11) << 1 << 4;
        QTest::newRow("2 MB, 6 fonts") << quint64(12) << 2 << 6;
        QTest::newRow("2 MB, 8 fonts") << quint64(15) << 2 << 8;
        QTest::newRow("3 MB, 5 fonts") << quint64(14) << 3 << 5;
    }

    void realFontsAreFoundExactlyAndListedFirst()
    {
        QFETCH(quint64, seed);
        QFETCH(int, megabytes);
        QFETCH(int, fonts);
        test::GeneratedImage image;
        try {
            image = test::generateFirmwareImage(seed, int64_t{megabytes} << 20, fonts);
        } catch (const std::runtime_error &e) {
            QFAIL(e.what());
        }
        const std::vector<FontCandidate> found = scanFonts(image.bytes).candidates;
        for (const FontCandidate &c : found)
            qInfo("%s score %.0f", qPrintable(describe(c.start, c.format, c.count)), c.score);
        // Every planted font exactly, and no other row before the last of them.
        QCOMPARE(found.size() >= image.fonts.size(), true);
        for (const test::PlantedFont &font : image.fonts) {
            const auto at = std::find_if(found.begin(), found.end(), [&](const FontCandidate &c) { return sameFont(c, font); });
            QVERIFY2(at != found.end(), qPrintable(describe(font.start, font.format, font.count) + " " + font.source.c_str()));
            QVERIFY2(at - found.begin() < static_cast<ptrdiff_t>(image.fonts.size()), qPrintable(font.source.c_str()));
        }
    }

    void firmwareWithoutFontsGivesNoRow_data()
    {
        QTest::addColumn<quint64>("seed");
        QTest::newRow("seed 21") << quint64(21);
        QTest::newRow("seed 22") << quint64(22);
        QTest::newRow("seed 23") << quint64(23);
    }

    void firmwareWithoutFontsGivesNoRow()
    {
        QFETCH(quint64, seed);
        std::vector<uint8_t> image;
        try {
            image = test::firmwareBackground(seed, 3 << 20);
        } catch (const std::runtime_error &e) {
            QFAIL(e.what());
        }
        const std::vector<FontCandidate> found = scanFonts(image).candidates;
        for (const FontCandidate &c : found)
            qWarning("%s score %.0f", qPrintable(describe(c.start, c.format, c.count)), c.score);
        QCOMPARE(found.size(), size_t(0));
    }

    void dataMarksLowerTheScore_data()
    {
        QTest::addColumn<int>("mark");
        QTest::newRow("one byte the same in every character") << 0;
        QTest::newRow("random pixel rows") << 1;
        QTest::newRow("widths far past the ink") << 2;
    }

    void dataMarksLowerTheScore()
    {
        // A real font, then the same font spoilt by one mark of data.
        QFETCH(int, mark);
        const test::GeneratedImage image = test::generateFirmwareImage(31, 1 << 20, 1);
        const test::PlantedFont &font = image.fonts[0];
        const double clean = scoreTable(image.bytes, font.start, font.count, font.format).score;
        std::vector<uint8_t> spoilt = image.bytes;
        const int64_t step = fontCharStep(font.format);
        uint32_t random = 12345;
        for (int64_t k = 0; k < font.count; ++k) {
            uint8_t *c = spoilt.data() + font.start + k * step;
            if (mark == 0) {
                c[2] = 0x80;
            } else if (mark == 1) {
                const int w = font.format.width;
                for (int r = 1; r < font.format.height; ++r) {
                    random = random * 1103515245 + 12345;
                    const uint32_t bits = (random >> 8) & ((1u << w) - 1) & ~((1u << (w - c[0])) - 1);
                    const auto left = static_cast<uint8_t>(w == 8 ? bits : bits >> 8), right = static_cast<uint8_t>(bits);
                    if (w == 8) {
                        c[r] = left;
                    } else {
                        c[2 * r - 1] = font.format.swap ? right : left;
                        c[2 * r] = font.format.swap ? left : right;
                    }
                }
            } else {
                c[0] = static_cast<uint8_t>(font.format.width);
            }
        }
        const FontCandidate worse = scoreTable(spoilt, font.start, font.count, font.format);
        QVERIFY2(worse.score < clean / 2, qPrintable(QStringLiteral("%1 -> %2").arg(clean).arg(worse.score)));
    }
};

QTEST_MAIN(FirmwareFontsTest)
#include "test_firmware_fonts.moc"
