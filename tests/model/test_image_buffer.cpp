// The image buffer's saved state: whether anything is unsaved is known from
// the writes alone, and stays exact (checked against a plain copy of the
// saved bytes) through random writes, undo and redo.
#include <QTest>

#include <random>
#include <vector>

#include "model/edit_history.h"
#include "model/glyph_codec.h"

using namespace velmora;

namespace {

constexpr int64_t block = ImageBuffer::savedBlockSize;

std::vector<uint8_t> pattern(size_t length)
{
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<uint8_t>(i * 53 + 7);
    return bytes;
}

} // namespace

class ImageBufferTest : public QObject {
    Q_OBJECT
private slots:
    // Writes as (offset, byte count, value; "=" writes the saved bytes back),
    // each line one write, from an image just replaced (saved).
    void unsavedFollowsTheWrites_data()
    {
        QTest::addColumn<qint64>("length");
        QTest::addColumn<QString>("writes");
        QTest::addColumn<bool>("unsaved");
        const qint64 twoAndABit = 2 * block + 100;
        QTest::newRow("nothing written") << twoAndABit << "" << false;
        QTest::newRow("one byte") << twoAndABit << "5 1 FF" << true;
        QTest::newRow("the saved byte again") << twoAndABit << "5 1 =" << false;
        QTest::newRow("changed, then back") << twoAndABit << "5 1 FF\n5 1 =" << false;
        QTest::newRow("across a block edge, then back")
            << twoAndABit << QStringLiteral("%1 8 00\n%1 8 =").arg(block - 4) << false;
        QTest::newRow("across an edge, one half back") << twoAndABit << QStringLiteral("%1 8 00\n%1 4 =").arg(block - 4) << true;
        QTest::newRow("the last, short block") << twoAndABit << QStringLiteral("%1 1 00").arg(twoAndABit - 1) << true;
        QTest::newRow("wholly outside the image") << twoAndABit << QStringLiteral("%1 10 00\n-20 10 00").arg(twoAndABit) << false;
        QTest::newRow("across the start, then back") << twoAndABit << "-4 8 00\n0 4 =" << false;
        QTest::newRow("whole image, then back") << twoAndABit << QStringLiteral("0 %1 00\n0 %1 =").arg(twoAndABit) << false;
        QTest::newRow("two blocks, one back") << twoAndABit << QStringLiteral("1 1 00\n%1 1 00\n1 1 =").arg(block + 1) << true;
        QTest::newRow("empty image") << qint64(0) << "0 4 00" << false;
    }
    void unsavedFollowsTheWrites()
    {
        QFETCH(qint64, length);
        QFETCH(QString, writes);
        const std::vector<uint8_t> saved = pattern(static_cast<size_t>(length));
        ImageBuffer image(saved);
        for (const QString &line : writes.split('\n', Qt::SkipEmptyParts)) {
            const QStringList w = line.split(' ');
            const int64_t offset = w[0].toLongLong();
            const int64_t count = w[1].toLongLong();
            std::vector<uint8_t> data(static_cast<size_t>(count), static_cast<uint8_t>(w[2].toUInt(nullptr, 16)));
            if (w[2] == "=")
                for (int64_t i = 0; i < count; ++i)
                    data[static_cast<size_t>(i)] = offset + i >= 0 && offset + i < length ? saved[static_cast<size_t>(offset + i)] : 0;
            image.writeBytes(offset, data);
        }
        QTEST(image.hasUnsavedChanges(), "unsaved");
        QCOMPARE(image.savedBytes(), saved);
    }

    // Random steps written, undone and redone, saves between them: the flag
    // is always what comparing with the saved bytes says, and the saved bytes
    // are kept exactly.
    void randomStepsKeepTheFlagExact()
    {
        std::mt19937 rng(28);
        EditorState s;
        resetEditorState(s);
        s.image.replace(pattern(3 * block + 17));
        std::vector<uint8_t> saved = s.image.bytes();
        EditHistory history;
        for (int n = 0; n < 600; ++n) {
            const uint32_t what = rng() % 10;
            if (what < 5) {
                history.begin(s, "Write");
                const int64_t offset = static_cast<int64_t>(rng() % static_cast<uint32_t>(s.imageLength() + 40)) - 20;
                std::vector<uint8_t> data(rng() % (2 * block));
                for (uint8_t &b : data)
                    b = static_cast<uint8_t>(rng() % 3 ? 0 : rng()); // equal bytes common
                if (rng() % 4 == 0) // the saved bytes written back
                    for (size_t i = 0; i < data.size(); ++i) {
                        const int64_t p = offset + static_cast<int64_t>(i);
                        data[i] = p >= 0 && p < s.imageLength() ? saved[static_cast<size_t>(p)] : 0;
                    }
                s.image.writeBytes(offset, data);
                s.glyph = rereadGlyph(s);
                history.end(s);
            } else if (what < 8) {
                history.undo(s);
            } else if (what < 9) {
                history.redo(s);
            } else {
                s.image.markSaved();
                saved = s.image.bytes();
            }
            QCOMPARE(s.image.hasUnsavedChanges(), s.image.bytes() != saved);
            QCOMPARE(s.image.savedBytes(), saved);
        }
    }

    // A copy keeps the image and its saved state apart from the original's.
    void copiesKeepTheirOwnSavedState()
    {
        ImageBuffer image(pattern(block + 10));
        image.write(block + 2, 0);
        ImageBuffer copy = image;
        copy.write(block + 2, image.savedBytes()[block + 2]);
        QVERIFY(image.hasUnsavedChanges());
        QVERIFY(!copy.hasUnsavedChanges());
        QCOMPARE(copy.savedBytes(), image.savedBytes());
    }
};

QTEST_APPLESS_MAIN(ImageBufferTest)
#include "test_image_buffer.moc"
