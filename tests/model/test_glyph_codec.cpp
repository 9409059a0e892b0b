#include <QTest>

#include <random>
#include <vector>

#include "model/editor_state.h"
#include "model/format.h"
#include "model/glyph_codec.h"

using namespace velmora;

Q_DECLARE_METATYPE(std::vector<int>)

namespace {

using Bytes = std::vector<uint8_t>;

EditorState makeState(int width, int height, int flagMask, Bytes image)
{
    EditorState s;
    s.charWidth = static_cast<uint8_t>(width);
    s.charHeight = static_cast<uint8_t>(height);
    for (int f = 0; f < flagCount; ++f)
        s.flags[static_cast<size_t>(f)] = (flagMask >> f) & 1;
    s.image.replace(std::move(image));
    return s;
}

Bytes randomBytes(std::mt19937 &rng, size_t count)
{
    std::uniform_int_distribution<int> byte(0, 255);
    Bytes bytes(count);
    for (auto &b : bytes)
        b = static_cast<uint8_t>(byte(rng));
    return bytes;
}

void fillRandomCells(GlyphMatrix &m, std::mt19937 &rng, int maxValue)
{
    std::uniform_int_distribution<int> cell(0, maxValue);
    for (auto &c : m.cells)
        c = static_cast<uint8_t>(cell(rng));
}

// Where a pixel lives relative to G, worked out cell by cell: the byte
// offset and the bit of that byte. Row 0 is the width byte.
struct BitPlace {
    int offset;
    int bit;
};

BitPlace placeOf(int width, bool swap, int c, int r)
{
    if (r == 0)
        return {0, 7 - c};
    if (width == 8)
        return {r, 7 - c};
    const bool rightHalf = c >= 8;
    const bool first = rightHalf == swap; // left half first unless swapped
    return {first ? 2 * r - 1 : 2 * r, 7 - c % 8};
}

// The pixel rows a format stores: 1..H-1 for W = 8, 1..H for W = 16.
int lastStoredRow(int width, int height) { return width == 8 ? height - 1 : height; }

// The matrix DecodeChar must produce from image at g, starting from before.
GlyphMatrix expectedDecode(const GlyphMatrix &before, const Bytes &image, int64_t g, int width, int height,
                           bool swap, bool trueImage)
{
    const auto byteAt = [&](int64_t offset) -> int {
        return offset >= 0 && offset < static_cast<int64_t>(image.size()) ? image[static_cast<size_t>(offset)] : 0;
    };
    GlyphMatrix m = before;
    for (int c = 0; c < 16; ++c)
        m.at(c, 0) = c < 8 ? (byteAt(g) >> (7 - c)) & 1 : 0;
    for (int r = 1; r <= lastStoredRow(width, height); ++r)
        for (int c = 0; c < width; ++c) {
            const BitPlace p = placeOf(width, swap, c, r);
            m.at(c, r) = (byteAt(g + p.offset) >> p.bit) & 1;
        }
    const int w = byteAt(g);
    if (trueImage && w < width)
        for (int c = w; c < width; ++c)
            for (int r = 1; r <= 16; ++r)
                m.at(c, r) = 0;
    return m;
}

// Bytes of the character itself: the footprint without the next character's
// width byte that W = 16 without the spare byte reaches.
int ownBytes(int width, int height, bool skipSpare)
{
    return width == 8 ? height : 2 * height + (skipSpare ? 1 : 0);
}

// The image after EncodeChar of m at g: every own byte inside the image is
// rebuilt from the cells, nothing else changes.
Bytes expectedEncode(const GlyphMatrix &m, Bytes image, int64_t g, int width, int height, bool swap, bool skipSpare)
{
    const int count = ownBytes(width, height, skipSpare);
    std::vector<int> fresh(static_cast<size_t>(count), 0);
    for (int c = 0; c < 8; ++c)
        if (m.at(c, 0) == 1)
            fresh[0] |= 1 << (7 - c);
    for (int r = 1; r <= lastStoredRow(width, height); ++r)
        for (int c = 0; c < width; ++c) {
            const BitPlace p = placeOf(width, swap, c, r);
            if (p.offset < count && m.at(c, r) == 1)
                fresh[static_cast<size_t>(p.offset)] |= 1 << p.bit;
        }
    for (int k = 0; k < count; ++k)
        if (g + k >= 0 && g + k < static_cast<int64_t>(image.size()))
            image[static_cast<size_t>(g + k)] = static_cast<uint8_t>(fresh[static_cast<size_t>(k)]);
    return image;
}

QString flagName(int mask)
{
    static const char *const names[flagCount] = {"tci", "hide", "acw", "skip", "swap"};
    QStringList on;
    for (int f = 0; f < flagCount; ++f)
        if ((mask >> f) & 1)
            on << QLatin1String(names[f]);
    return on.isEmpty() ? QStringLiteral("none") : on.join('+');
}

// Offsets that cover the start, the middle, the last whole character, a
// character cut by the image end, and characters wholly past it.
std::vector<int64_t> offsetsFor(int64_t length, int footprintSize, std::mt19937 &rng)
{
    std::vector<int64_t> offsets = {0, 1, length - footprintSize, length - footprintSize + 1, length - 1, length,
                                    length + 3};
    std::uniform_int_distribution<int64_t> any(0, length - 1);
    for (int i = 0; i < 4; ++i)
        offsets.push_back(any(rng));
    return offsets;
}

constexpr int imageLength = 600;

GlyphMatrix matrixFromColumns(int row, const std::vector<int> &columns)
{
    GlyphMatrix m;
    for (int c : columns)
        m.at(c, row) = 1;
    return m;
}

std::vector<int> setColumns(const GlyphMatrix &m, int row)
{
    std::vector<int> columns;
    for (int c = 0; c < 16; ++c)
        if (m.at(c, row) == 1)
            columns.push_back(c);
    return columns;
}

} // namespace

class GlyphCodecTest : public QObject {
    Q_OBJECT

    static void everyFormat()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("flagMask");
        for (int width : {8, 16})
            for (int height = 2; height <= 16; ++height)
                for (int mask = 0; mask < (1 << flagCount); ++mask)
                    QTest::addRow("%dx%d %s", width, height, qPrintable(flagName(mask)))
                        << width << height << mask;
    }

private slots:
    void decodeFollowsBitLayout_data() { everyFormat(); }
    void decodeFollowsBitLayout()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, flagMask);
        std::mt19937 rng(static_cast<unsigned>(width * 10000 + height * 100 + flagMask));
        const Bytes image = randomBytes(rng, imageLength);
        EditorState s = makeState(width, height, flagMask, image);
        const bool swap = s.flag(Flag::SwapBytes);
        const bool trueImage = s.flag(Flag::TrueCharImage);

        for (int64_t g : offsetsFor(imageLength, footprint(s), rng)) {
            s.glyphOffset = static_cast<int32_t>(g);
            fillRandomCells(s.glyph, rng, 1);
            const GlyphMatrix expected = expectedDecode(s.glyph, image, g, width, height, swap, trueImage);
            decodeChar(s);
            QVERIFY2(s.glyph == expected, qPrintable(QStringLiteral("G = %1").arg(g)));
            QCOMPARE(s.image.bytes(), image);
            const GlyphMatrix plain = expectedDecode(s.glyph, image, g, width, height, swap, false);
            std::vector<uint8_t> cells(16 * 16);
            decodeGlyphRows(image, width, height, swap, g, cells.data());
            for (int r = 1; r < height; ++r)
                for (int c = 0; c < width; ++c)
                    QCOMPARE(int(cells[static_cast<size_t>((r - 1) * width + c)]), int(plain.at(c, r)));
        }
    }

    void encodeFollowsBitLayout_data() { everyFormat(); }
    void encodeFollowsBitLayout()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, flagMask);
        std::mt19937 rng(static_cast<unsigned>(width * 10000 + height * 100 + flagMask + 7));
        const Bytes image = randomBytes(rng, imageLength);
        EditorState s = makeState(width, height, flagMask, image);
        const bool swap = s.flag(Flag::SwapBytes);
        const bool skipSpare = s.flag(Flag::SkipSpareByte);

        for (int64_t g : offsetsFor(imageLength, footprint(s), rng)) {
            s.image.replace(image);
            s.glyphOffset = static_cast<int32_t>(g);
            // Values other than 0 and 1 must be stored as clear bits.
            fillRandomCells(s.glyph, rng, 2);
            const GlyphMatrix before = s.glyph;
            const Bytes expected = expectedEncode(before, image, g, width, height, swap, skipSpare);
            encodeChar(s);
            QVERIFY2(s.image.bytes() == expected, qPrintable(QStringLiteral("G = %1").arg(g)));
            QVERIFY(s.glyph == before);
        }
    }

    void decodeThenEncodeKeepsTheImage_data() { everyFormat(); }
    void decodeThenEncodeKeepsTheImage()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, flagMask);
        std::mt19937 rng(static_cast<unsigned>(width * 10000 + height * 100 + flagMask + 13));
        Bytes image = randomBytes(rng, imageLength);
        // Some characters with a width byte below W, so that "True Char Image" has pixels to clear.
        for (size_t k = 0; k < image.size(); k += 3)
            image[k] = static_cast<uint8_t>(image[k] % (width + 2));
        EditorState s = makeState(width, height, flagMask, image);
        const bool trueImage = s.flag(Flag::TrueCharImage);
        const bool swap = s.flag(Flag::SwapBytes);
        const int own = ownBytes(width, height, s.flag(Flag::SkipSpareByte));

        for (int64_t g : offsetsFor(imageLength, footprint(s), rng)) {
            s.image.replace(image);
            s.glyphOffset = static_cast<int32_t>(g);
            fillRandomCells(s.glyph, rng, 1);
            decodeChar(s);
            encodeChar(s);

            // Without "True Char Image" nothing changes; with it, exactly the
            // set bits right of the width inside the character's own bytes go.
            Bytes expected = image;
            const int w = g < imageLength ? image[static_cast<size_t>(g)] : 0;
            if (trueImage && w < width)
                for (int r = 1; r <= lastStoredRow(width, height); ++r)
                    for (int c = w; c < width; ++c) {
                        const BitPlace p = placeOf(width, swap, c, r);
                        if (p.offset < own && g + p.offset < imageLength)
                            expected[static_cast<size_t>(g + p.offset)] &= static_cast<uint8_t>(~(1 << p.bit));
                    }
            QVERIFY2(s.image.bytes() == expected, qPrintable(QStringLiteral("G = %1").arg(g)));
        }
    }

    void narrowExample_data()
    {
        QTest::addColumn<bool>("trueImage");
        QTest::addColumn<std::vector<int>>("row1");
        QTest::addColumn<std::vector<int>>("row2");
        QTest::newRow("plain") << false << std::vector<int>{0, 7} << std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7};
        QTest::newRow("true char image") << true << std::vector<int>{0} << std::vector<int>{0, 1, 2, 3, 4};
    }
    void narrowExample()
    {
        QFETCH(bool, trueImage);
        QFETCH(std::vector<int>, row1);
        QFETCH(std::vector<int>, row2);
        EditorState s = makeState(8, 3, 0, {0xAA, 0x05, 0x81, 0xFF, 0xAA});
        s.setFlag(Flag::TrueCharImage, trueImage);
        s.glyphOffset = 1;
        decodeChar(s);
        QCOMPARE(setColumns(s.glyph, 0), (std::vector<int>{5, 7}));
        QCOMPARE(setColumns(s.glyph, 1), row1);
        QCOMPARE(setColumns(s.glyph, 2), row2);
        QCOMPARE(setColumns(s.glyph, 3), std::vector<int>{}); // 0xAA after the character is not read
    }

    void wideExample_data()
    {
        QTest::addColumn<bool>("swap");
        QTest::addColumn<std::vector<int>>("columns");
        QTest::newRow("in order") << false << std::vector<int>{3, 6, 10, 11, 13};
        QTest::newRow("swapped") << true << std::vector<int>{2, 3, 5, 11, 14};
    }
    void wideExample()
    {
        QFETCH(bool, swap);
        QFETCH(std::vector<int>, columns);
        EditorState s = makeState(16, 4, 0, Bytes(20, 0));
        s.setFlag(Flag::SwapBytes, swap);
        s.glyphOffset = 5;
        s.image.write(6, 0x12);
        s.image.write(7, 0x34);
        decodeChar(s);
        QCOMPARE(setColumns(s.glyph, 1), columns);

        // And back: a matrix holding only those columns writes the same two bytes.
        s.glyph = matrixFromColumns(1, columns);
        s.image.replace(Bytes(20, 0));
        encodeChar(s);
        QCOMPARE(int(s.image.at(6)), 0x12);
        QCOMPARE(int(s.image.at(7)), 0x34);
    }

    void trueCharImageClearsFromWidth_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("widthByte");
        for (int width : {8, 16})
            for (int w : {0, 1, width - 1, width, width + 1, 200, 255})
                QTest::addRow("W=%d w=%d", width, w) << width << w;
    }
    void trueCharImageClearsFromWidth()
    {
        QFETCH(int, width);
        QFETCH(int, widthByte);
        const int height = 6;
        Bytes image(40, 0xFF);
        image[0] = static_cast<uint8_t>(widthByte);
        EditorState s = makeState(width, height, 0, image);
        s.setFlag(Flag::TrueCharImage, true);
        s.glyph.cells.fill(1);
        decodeChar(s);

        const int firstCleared = std::min(widthByte, width);
        for (int c = 0; c < 16; ++c)
            for (int r = 1; r <= 16; ++r) {
                // Decoded rows and rows the decode leaves are cleared alike; columns from W on stay.
                const int expected = (c >= firstCleared && c < width) ? 0 : 1;
                QVERIFY2(s.glyph.at(c, r) == expected, qPrintable(QStringLiteral("cell (%1, %2)").arg(c).arg(r)));
            }
        for (int c = 0; c < 8; ++c)
            QCOMPARE(int(s.glyph.at(c, 0)), (widthByte >> (7 - c)) & 1);
    }

    void footprintAndStep_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("skipSpare");
        QTest::addColumn<int>("expectedFootprint");
        QTest::addColumn<int>("expectedStep");
        QTest::addColumn<int>("lastRow");
        QTest::newRow("8x13") << 8 << 13 << true << 13 << 13 << 12;
        QTest::newRow("8x2") << 8 << 2 << false << 2 << 2 << 1;
        QTest::newRow("8x16") << 8 << 16 << true << 16 << 16 << 15;
        QTest::newRow("16x10") << 16 << 10 << false << 21 << 20 << 10;
        QTest::newRow("16x10 spare") << 16 << 10 << true << 21 << 21 << 10;
        QTest::newRow("16x2") << 16 << 2 << false << 5 << 4 << 2;
        QTest::newRow("16x16") << 16 << 16 << false << 33 << 32 << 16;
        QTest::newRow("16x16 spare") << 16 << 16 << true << 33 << 33 << 16;
    }
    void footprintAndStep()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(bool, skipSpare);
        QFETCH(int, expectedFootprint);
        QFETCH(int, expectedStep);
        QFETCH(int, lastRow);
        const int g = 3;
        Bytes image(80, 0);
        for (int k = 1; k < expectedFootprint; ++k)
            image[static_cast<size_t>(g + k)] = 0xFF;
        image[static_cast<size_t>(g + expectedFootprint)] = 0xFF; // just past the footprint
        EditorState s = makeState(width, height, 0, image);
        s.setFlag(Flag::SkipSpareByte, skipSpare);
        s.glyphOffset = g;
        QCOMPARE(footprint(s), expectedFootprint);
        QCOMPARE(charStep(s), expectedStep);

        decodeChar(s);
        for (int r = 1; r <= 16; ++r)
            for (int c = 0; c < width; ++c)
                QCOMPARE(int(s.glyph.at(c, r)), r <= lastRow ? 1 : 0);

        // Encode an empty matrix over a field of 0xAA: only the character's own bytes change.
        s.image.replace(Bytes(80, 0xAA));
        s.glyph.clear();
        encodeChar(s);
        const int own = std::min(expectedFootprint, expectedStep);
        for (int k = 0; k < 80; ++k)
            QCOMPARE(int(s.image.at(k)), (k >= g && k < g + own) ? 0 : 0xAA);
    }

    void charactersPastTheImageEnd_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("g");
        QTest::newRow("8 cut") << 8 << 3;
        QTest::newRow("8 last byte") << 8 << 4;
        QTest::newRow("8 at end") << 8 << 5;
        QTest::newRow("8 far past") << 8 << 1000;
        QTest::newRow("16 cut") << 16 << 2;
        QTest::newRow("16 last byte") << 16 << 4;
        QTest::newRow("16 at end") << 16 << 5;
    }
    void charactersPastTheImageEnd()
    {
        QFETCH(int, width);
        QFETCH(int, g);
        const Bytes image = {0x11, 0x22, 0x33, 0x44, 0x55};
        EditorState s = makeState(width, 4, 1 << int(Flag::SkipSpareByte), image);
        s.glyphOffset = g;
        s.glyph.cells.fill(1);
        decodeChar(s);
        for (int r = 0; r <= lastStoredRow(width, 4); ++r)
            for (int c = 0; c < (r == 0 ? 8 : width); ++c) {
                const BitPlace p = placeOf(width, false, c, r);
                const int byte = g + p.offset < 5 ? image[static_cast<size_t>(g + p.offset)] : 0;
                QCOMPARE(int(s.glyph.at(c, r)), (byte >> p.bit) & 1);
            }

        s.glyph.cells.fill(1);
        encodeChar(s);
        QCOMPARE(s.image.length(), 5);
        for (int k = 0; k < 5; ++k)
            QCOMPARE(int(s.image.at(k)), k >= g ? 0xFF : image[static_cast<size_t>(k)]);
    }

    void nextWidthByteSurvivesRowHChanges_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("swap");
        for (int height : {2, 9, 16})
            for (bool swap : {false, true})
                QTest::addRow("H=%d%s", height, swap ? " swapped" : "") << height << swap;
    }
    void nextWidthByteSurvivesRowHChanges()
    {
        QFETCH(int, height);
        QFETCH(bool, swap);
        const int g = 10;
        Bytes image(80, 0x5A);
        image[static_cast<size_t>(g + 2 * height)] = 0x0C; // the next character's width byte
        EditorState s = makeState(16, height, 0, image);
        s.setFlag(Flag::SwapBytes, swap);
        s.glyphOffset = g;
        decodeChar(s);
        for (int c = 0; c < 16; ++c)
            s.glyph.at(c, height) ^= 1;
        encodeChar(s);
        QCOMPARE(int(s.image.at(g + 2 * height)), 0x0C);
        // The half of row H that belongs to this character is written.
        QCOMPARE(int(s.image.at(g + 2 * height - 1)), 0xA5);

        // With the spare byte the same byte belongs to the character and is written.
        s.image.replace(image);
        s.setFlag(Flag::SkipSpareByte, true);
        decodeChar(s);
        for (int c = 0; c < 16; ++c)
            s.glyph.at(c, height) ^= 1;
        encodeChar(s);
        QCOMPARE(int(s.image.at(g + 2 * height)), 0xF3);
    }

    void decodeLeavesUnreadCells()
    {
        EditorState s = makeState(8, 5, 0, Bytes(10, 0));
        s.glyph.cells.fill(1);
        decodeChar(s);
        for (int c = 0; c < 16; ++c)
            for (int r = 0; r <= 16; ++r) {
                int expected = 1;
                if (r == 0 || (c < 8 && r < 5))
                    expected = 0;
                QCOMPARE(int(s.glyph.at(c, r)), expected);
            }

        s = makeState(16, 5, 0, Bytes(20, 0));
        s.glyph.cells.fill(1);
        decodeChar(s);
        for (int c = 0; c < 16; ++c)
            for (int r = 0; r <= 16; ++r)
                QCOMPARE(int(s.glyph.at(c, r)), r > 5 ? 1 : 0);
    }
};

QTEST_APPLESS_MAIN(GlyphCodecTest)
#include "test_glyph_codec.moc"
