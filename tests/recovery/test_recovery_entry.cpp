#include <QTest>

#include <vector>

#include "patch/crc32.h"
#include "recovery/recovery_entry.h"

using namespace velmora::recovery;

using Bytes = std::vector<uint8_t>;
Q_DECLARE_METATYPE(Bytes)

namespace {

Bytes pattern(size_t length)
{
    Bytes bytes(length);
    for (size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<uint8_t>(i * 53 + 7);
    return bytes;
}

// source with bytes offset .. offset + count complemented.
Bytes edited(Bytes bytes, size_t offset, size_t count)
{
    for (size_t i = offset; i < offset + count; ++i)
        bytes[i] = static_cast<uint8_t>(~bytes[i]);
    return bytes;
}

// An entry file with its last four bytes made the CRC-32 of the rest again,
// so that the reader looks past the checksum at the fields.
Bytes resealed(Bytes file)
{
    const uint32_t crc = velmora::patch::crc32Of(std::span(file).first(file.size() - 4));
    for (int i = 0; i < 4; ++i)
        file[file.size() - 4 + static_cast<size_t>(i)] = static_cast<uint8_t>(crc >> (8 * i));
    return file;
}

constexpr size_t pathLengthAt = 32; // magic, time, file size, changed bytes

} // namespace

class RecoveryEntryTest : public QObject {
    Q_OBJECT
private slots:
    void entryFileGivesTheImageBack_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("blank");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("count");
        QTest::newRow("one byte of a file") << "/home/u/fw.bin" << false << 100 << 1;
        QTest::newRow("first and last bytes") << "/home/u/fw.bin" << false << 0 << 4096;
        QTest::newRow("a run in a new image") << "" << true << 2000 << 112;
        QTest::newRow("non-ASCII path") << "/home/u/прошивка.bin" << false << 4095 << 1;
    }
    void entryFileGivesTheImageBack()
    {
        QFETCH(QString, path);
        QFETCH(bool, blank);
        QFETCH(int, offset);
        QFETCH(int, count);
        const Bytes source = blank ? Bytes(4096, 0) : pattern(4096);
        const Bytes image = edited(source, size_t(offset), size_t(count));
        const RecoveryEntry entry = parseEntry(serialiseEntry(makeEntry(path.toStdString(), source, image, 1700000000)));
        QCOMPARE(entry.filePath, path.toStdString());
        QCOMPARE(entry.blank(), blank);
        QCOMPARE(entry.fileSize, uint64_t{4096});
        QCOMPARE(entry.savedAt, int64_t{1700000000});
        QCOMPARE(entry.changedBytes, uint64_t(count));
        QVERIFY(entry.patch.size() < size_t(count) + 64); // the changed bytes, not the image
        QVERIFY(applyEntry(entry, source) == image);
    }

    void damagedEntriesAreRefused_data()
    {
        QTest::addColumn<int>("cut"); // bytes taken off the end
        QTest::addColumn<int>("flip"); // offset of a byte complemented, or -1
        QTest::addColumn<int>("setAt"); // offset of a field byte set, then the CRC made right, or -1
        QTest::addColumn<int>("value");
        QTest::newRow("empty file") << 100000 << -1 << -1 << 0;
        QTest::newRow("cut by one byte") << 1 << -1 << -1 << 0;
        QTest::newRow("cut to the header") << 30 << -1 << -1 << 0;
        QTest::newRow("magic") << 0 << 0 << -1 << 0;
        QTest::newRow("a byte of the time") << 0 << 9 << -1 << 0;
        QTest::newRow("a byte of the patch") << 0 << 60 << -1 << 0;
        QTest::newRow("path longer than allowed") << 0 << -1 << int(pathLengthAt + 1) << 0x20;
        QTest::newRow("path past the end") << 0 << -1 << int(pathLengthAt) << 0xFF;
        QTest::newRow("file size not the patch's") << 0 << -1 << 16 << 0x21;
        QTest::newRow("more changed bytes than the file") << 0 << -1 << 27 << 1;
        QTest::newRow("patch length not what is left") << 0 << -1 << int(pathLengthAt + 4 + 8) << 0x30;
    }
    void damagedEntriesAreRefused()
    {
        QFETCH(int, cut);
        QFETCH(int, flip);
        QFETCH(int, setAt);
        QFETCH(int, value);
        const Bytes source = pattern(300);
        Bytes file = serialiseEntry(makeEntry("/a/b.bin", source, edited(source, 10, 5), 1700000000));
        file.resize(file.size() - std::min<size_t>(size_t(cut), file.size()));
        if (flip >= 0)
            file[size_t(flip)] ^= 0xFF;
        if (setAt >= 0) {
            file[size_t(setAt)] = uint8_t(value);
            file = resealed(file);
        }
        QVERIFY_THROWS_EXCEPTION(RecoveryError, parseEntry(file));
    }

    void changesAreRefusedForAnotherFile_data()
    {
        QTest::addColumn<Bytes>("file");
        QTest::newRow("one byte changed since") << edited(pattern(300), 299, 1);
        QTest::newRow("longer since") << pattern(301);
        QTest::newRow("shorter since") << pattern(299);
    }
    void changesAreRefusedForAnotherFile()
    {
        QFETCH(Bytes, file);
        const Bytes source = pattern(300);
        const RecoveryEntry entry = makeEntry("/a/b.bin", source, edited(source, 0, 3), 1);
        QVERIFY(!matchesSource(entry, file));
        QVERIFY_THROWS_EXCEPTION(SourceChangedError, applyEntry(entry, file));
    }

    void entriesExpireAfterThirtyDays_data()
    {
        QTest::addColumn<qint64>("savedAt");
        QTest::addColumn<bool>("expired");
        const qint64 now = 1700000000;
        const qint64 day = 24 * 60 * 60;
        QTest::newRow("just now") << now << false;
        QTest::newRow("thirty days") << now - 30 * day << false;
        QTest::newRow("thirty days and a second") << now - 30 * day - 1 << true;
        QTest::newRow("dated in the future") << now + 400 * day << false;
        QTest::newRow("oldest time there is") << qint64(INT64_MIN) << true;
    }
    void entriesExpireAfterThirtyDays()
    {
        QFETCH(qint64, savedAt);
        QFETCH(bool, expired);
        QCOMPARE(isExpired(savedAt, 1700000000), expired);
    }
};

QTEST_GUILESS_MAIN(RecoveryEntryTest)
#include "test_recovery_entry.moc"
