#include <QTest>

#include <vector>

#include "patch/ips_patch.h"

using namespace velmora::patch;

using Bytes = std::vector<uint8_t>;
using Offsets = std::vector<size_t>;
Q_DECLARE_METATYPE(Bytes)
Q_DECLARE_METATYPE(Offsets)

namespace {

const IpsPatchFormat ips;
constexpr size_t endMarkOffset = 0x454F46;

// The offsets of the records of a well-formed patch.
Offsets recordOffsets(const Bytes &patch)
{
    Offsets offsets;
    size_t pos = 5;
    while (patch.size() - pos > 3) {
        offsets.push_back(size_t{patch[pos]} << 16 | size_t{patch[pos + 1]} << 8 | patch[pos + 2]);
        const size_t length = size_t{patch[pos + 3]} << 8 | patch[pos + 4];
        pos += 5 + (length == 0 ? 3 : length);
    }
    return offsets;
}

Bytes bytes(std::initializer_list<int> values)
{
    Bytes out;
    for (int v : values)
        out.push_back(static_cast<uint8_t>(v));
    return out;
}

Bytes patchOf(std::initializer_list<int> records)
{
    Bytes out{'P', 'A', 'T', 'C', 'H'};
    const Bytes body = bytes(records);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

} // namespace

class IpsPatchTest : public QObject {
    Q_OBJECT
private slots:
    // A record may not start at 0x454F46, which reads as "EOF"; runs over 65535 bytes split.
    void recordsOfTheWrittenPatch_data()
    {
        QTest::addColumn<size_t>("offset");
        QTest::addColumn<size_t>("count");
        QTest::addColumn<Offsets>("records");
        QTest::newRow("change at the end mark") << endMarkOffset << size_t{1} << Offsets{endMarkOffset - 1};
        QTest::newRow("run across the end mark") << endMarkOffset - 2 << size_t{4} << Offsets{endMarkOffset - 2};
        QTest::newRow("run over 65535 bytes") << size_t{0x10} << size_t{70000} << Offsets{0x10, 0x10 + 0xFFFF};
        QTest::newRow("second part would start at the end mark")
            << endMarkOffset - 0xFFFF << size_t{0xFFFF + 3} << Offsets{endMarkOffset - 0xFFFF, endMarkOffset - 1};
        QTest::newRow("last byte of 16 MB") << size_t{0xFFFFFF} << size_t{1} << Offsets{0xFFFFFF};
    }
    void recordsOfTheWrittenPatch()
    {
        QFETCH(size_t, offset);
        QFETCH(size_t, count);
        QFETCH(Offsets, records);
        const Bytes original(size_t{1} << 24, 0x11);
        Bytes modified = original;
        std::fill_n(modified.begin() + static_cast<std::ptrdiff_t>(offset), count, 0x22);
        const Bytes patch = ips.write(original, modified);
        QCOMPARE(recordOffsets(patch), records);
        QVERIFY(ips.apply(original, patch) == modified);
    }

    void imagesOver16MegabytesRefused()
    {
        const Bytes original((size_t{1} << 24) + 1, 0);
        QVERIFY_THROWS_EXCEPTION(PatchError, ips.write(original, original));
    }

    // Records of one repeated byte, written by other tools.
    void appliesRepeatedByteRecords()
    {
        const Bytes patch = patchOf({0, 0, 2, 0, 0, 0, 3, 0x7E, 0, 0, 6, 0, 1, 0x55, 'E', 'O', 'F'});
        QCOMPARE(ips.apply(Bytes(8, 0), patch), bytes({0, 0, 0x7E, 0x7E, 0x7E, 0, 0x55, 0}));
    }

    void refusesWithTheReason_data()
    {
        QTest::addColumn<Bytes>("patch");
        QTest::addColumn<QString>("message");
        QTest::newRow("not IPS") << Bytes{'B', 'P', 'S', '1'} << "Not an IPS patch";
        QTest::newRow("header only") << patchOf({}) << "has no EOF mark: it ends at patch offset 00000005";
        QTest::newRow("record cut in its header") << patchOf({0, 0, 1, 0}) << "ends inside the record at patch offset 00000005";
        QTest::newRow("record cut in its data") << patchOf({0, 0, 1, 0, 4, 1, 2}) << "ends inside the record";
        QTest::newRow("no EOF after a record") << patchOf({0, 0, 1, 0, 1, 9}) << "has no EOF mark: it ends at patch offset 0000000B";
        QTest::newRow("record past the image end") << patchOf({0, 0, 6, 0, 3, 1, 2, 3, 'E', 'O', 'F'})
                                                   << "writes 3 bytes at 00000006, past the image end (8 bytes), at patch offset 00000005";
        QTest::newRow("record far past the end") << patchOf({0xFF, 0xFF, 0xFF, 0, 1, 1, 'E', 'O', 'F'}) << "past the image end";
        QTest::newRow("repeated run past the end") << patchOf({0, 0, 7, 0, 0, 0, 2, 1, 'E', 'O', 'F'}) << "past the image end";
        QTest::newRow("repeated run of nothing") << patchOf({0, 0, 1, 0, 0, 0, 0, 1, 'E', 'O', 'F'}) << "run of no bytes";
        QTest::newRow("repeated run cut") << patchOf({0, 0, 1, 0, 0, 0, 2}) << "ends inside the record";
        QTest::newRow("bytes after the end mark") << patchOf({'E', 'O', 'F', 1}) << "goes on after its EOF mark at patch offset 00000008";
        QTest::newRow("cut to another length") << patchOf({'E', 'O', 'F', 0, 0, 4}) << "cuts the image to 4 bytes (it has 8)";
    }
    void refusesWithTheReason()
    {
        QFETCH(Bytes, patch);
        QFETCH(QString, message);
        try {
            ips.apply(Bytes(8, 0), patch);
            QFAIL("applied");
        } catch (const PatchError &error) {
            QVERIFY2(QString::fromStdString(error.what()).contains(message), error.what());
        }
    }
};

QTEST_GUILESS_MAIN(IpsPatchTest)
#include "test_ips_patch.moc"
