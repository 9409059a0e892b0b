#include <QTest>

#include <random>
#include <vector>

#include "patch/bps_patch.h"
#include "patch/crc32.h"

using namespace velmora::patch;

using Bytes = std::vector<uint8_t>;
Q_DECLARE_METATYPE(Bytes)

namespace {

Bytes text(const char *s) { return Bytes(s, s + std::strlen(s)); }

void putCrc(Bytes &out, uint32_t crc)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(crc >> shift));
}

// A patch of hand-made header and actions (numbers below 128 are one byte,
// 0x80 | n), closed with the CRC-32s of original, result and itself.
Bytes sealed(const Bytes &body, const Bytes &original, const Bytes &result)
{
    Bytes patch = text("BPS1");
    patch.insert(patch.end(), body.begin(), body.end());
    putCrc(patch, crc32Of(original));
    putCrc(patch, crc32Of(result));
    putCrc(patch, crc32Of(patch));
    return patch;
}

Bytes randomImage(unsigned seed, size_t length)
{
    std::mt19937 rng(seed);
    Bytes bytes(length);
    for (auto &b : bytes)
        b = static_cast<uint8_t>(rng() % 4 == 0 ? rng() : 0);
    return bytes;
}

// Changes count bytes from offset, each to its complement.
Bytes changed(Bytes bytes, size_t offset, size_t count)
{
    for (size_t i = offset; i < offset + count && i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(~bytes[i]);
    return bytes;
}

} // namespace

class BpsPatchTest : public QObject {
    Q_OBJECT
private slots:
    void writtenPatchGivesTheModifiedBytesBack_data()
    {
        QTest::addColumn<Bytes>("original");
        QTest::addColumn<Bytes>("modified");
        const Bytes image = randomImage(1, 5000);
        QTest::newRow("no change") << image << image;
        QTest::newRow("first byte") << image << changed(image, 0, 1);
        QTest::newRow("last byte") << image << changed(image, 4999, 1);
        QTest::newRow("a glyph in the middle") << image << changed(image, 2000, 13);
        QTest::newRow("several runs") << image << changed(changed(changed(image, 10, 3), 300, 200), 4990, 10);
        QTest::newRow("everything") << image << changed(image, 0, 5000);
        Bytes longer = image;
        longer.insert(longer.end(), 300, 0x5A);
        QTest::newRow("result longer") << image << longer;
        QTest::newRow("result longer, last original byte changed") << image << changed(longer, 4999, 1);
        QTest::newRow("result shorter") << image << Bytes(image.begin(), image.begin() + 4000);
        QTest::newRow("result shorter and changed") << image << changed(Bytes(image.begin(), image.begin() + 4000), 3999, 1);
        QTest::newRow("empty original") << Bytes() << image;
        QTest::newRow("empty result") << image << Bytes();
        QTest::newRow("long runs and lengths of multi-byte numbers") << randomImage(2, 300000)
                                                                     << changed(randomImage(2, 300000), 70000, 100000);
    }
    void writtenPatchGivesTheModifiedBytesBack()
    {
        QFETCH(Bytes, original);
        QFETCH(Bytes, modified);
        const Bytes patch = bpsPatches().write(original, modified);
        QCOMPARE(bpsPatches().apply(original, patch), modified);
        const BpsSummary summary = readBpsSummary(patch);
        QCOMPARE(summary.originalLength, original.size());
        QCOMPARE(summary.resultLength, modified.size());
        QCOMPARE(summary.originalCrc, crc32Of(original));
        QCOMPARE(summary.resultCrc, crc32Of(modified));
    }

    // The bytes other programs expect: lengths and actions as BPS numbers.
    void writesTheStandardEncoding_data()
    {
        QTest::addColumn<Bytes>("original");
        QTest::addColumn<Bytes>("modified");
        QTest::addColumn<Bytes>("body");
        QTest::newRow("one byte replaced") << text("ABCD") << text("AXCD")
                                           << Bytes{0x84, 0x84, 0x80, 0x80, 0x81, 'X', 0x84};
        // 200 = 0x48 + 128: two bytes, the first without its top bit.
        Bytes image(200, 7), result(200, 7);
        result[199] = 9;
        QTest::newRow("lengths of two bytes") << image << result << Bytes{0x48, 0x80, 0x48, 0x80, 0x80, 0x18, 0x85, 0x81, 9};
    }
    void writesTheStandardEncoding()
    {
        QFETCH(Bytes, original);
        QFETCH(Bytes, modified);
        QFETCH(Bytes, body);
        QCOMPARE(bpsPatches().write(original, modified), sealed(body, original, modified));
    }

    // Patches from other tools use all four actions.
    void appliesCopiesFromOriginalAndResult_data()
    {
        QTest::addColumn<Bytes>("body");
        QTest::addColumn<Bytes>("result");
        // Original "ABCDEF". SourceCopy 2 from +4 ("EF"), then 2 from -6, back at 0 ("AB").
        QTest::newRow("source copy forwards and back")
            << Bytes{0x86, 0x84, 0x80, 0x86, 0x88, 0x86, 0x8D} << text("EFAB");
        // TargetRead "Z", then TargetCopy 4 from 0: the copy overlaps what it writes.
        QTest::newRow("target copy repeating a byte")
            << Bytes{0x86, 0x85, 0x80, 0x81, 'Z', 0x8F, 0x80} << text("ZZZZZ");
        QTest::newRow("source read then target copy of it")
            << Bytes{0x86, 0x86, 0x80, 0x88, 0x8B, 0x80} << text("ABCABC");
    }
    void appliesCopiesFromOriginalAndResult()
    {
        QFETCH(Bytes, body);
        QFETCH(Bytes, result);
        const Bytes original = text("ABCDEF");
        QCOMPARE(bpsPatches().apply(original, sealed(body, original, result)), result);
    }

    void refusesWithTheReason_data()
    {
        QTest::addColumn<Bytes>("patch");
        QTest::addColumn<QString>("message");
        const Bytes original = text("ABCDEF");
        const Bytes good = bpsPatches().write(original, text("ABXDEF"));
        QTest::newRow("other format") << text("PATCH\x00\x00\x01\x00\x01XEOF") << "Not a BPS patch";
        QTest::newRow("empty") << Bytes() << "Not a BPS patch";
        QTest::newRow("truncated to its magic") << text("BPS1\x86") << "truncated: 5 bytes";
        Bytes cut(good.begin(), good.end() - 1);
        QTest::newRow("last byte cut off") << cut << "damaged or truncated";
        Bytes flipped = good;
        flipped[8] ^= 0x40;
        QTest::newRow("a byte damaged") << flipped << "damaged or truncated";
        QTest::newRow("for another image")
            << bpsPatches().write(text("ABCDEG"), text("ABXDEG")) << "This patch is for another image (CRC ";
        QTest::newRow("for a longer image")
            << bpsPatches().write(text("ABCDEFG"), text("ABXDEFG")) << "7 bytes); this image has CRC";
        QTest::newRow("result not as promised")
            << sealed(Bytes{0x86, 0x86, 0x80, 0x94}, original, text("ABCDEX")) << "patched image has CRC";
        QTest::newRow("actions end early")
            << sealed(Bytes{0x86, 0x86, 0x80, 0x90}, original, original) << "ends after 5 of the 6 bytes";
        QTest::newRow("action past the result")
            << sealed(Bytes{0x86, 0x86, 0x80, 0x98}, original, original) << "writes past the end of the result (6 bytes) at patch offset 00000007";
        QTest::newRow("source read past the original")
            << sealed(Bytes{0x86, 0x88, 0x80, 0x9C}, original, text("ABCDEFGH")) << "reads past the end of the original";
        QTest::newRow("new bytes cut short")
            << sealed(Bytes{0x86, 0x86, 0x80, 0x95, 'A', 'B'}, original, original) << "ends inside the new bytes";
        QTest::newRow("source copy before the start")
            << sealed(Bytes{0x86, 0x86, 0x80, 0x86, 0x83}, original, text("AB")) << "copies from outside the original";
        QTest::newRow("source copy past the end")
            << sealed(Bytes{0x86, 0x86, 0x80, 0x86, 0x8A}, original, text("AB")) << "copies from outside the original";
        QTest::newRow("target copy of nothing yet")
            << sealed(Bytes{0x86, 0x86, 0x80, 0x87, 0x80}, original, text("AB")) << "not yet made";
        QTest::newRow("number without an end")
            << sealed(Bytes{0x86, 0x86, 0x80, 0x00, 0x00}, original, original) << "ends inside a number at patch offset 00000007";
        QTest::newRow("number too large")
            << sealed(Bytes{0x86, 0x86, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80}, original, original) << "number too large";
        QTest::newRow("metadata past the end")
            << sealed(Bytes{0x86, 0x86, 0x90, 'x'}, original, original) << "at patch offset 00000006";
        QTest::newRow("result longer than allowed")
            << bpsPatches().write(original, Bytes(11, 'A')) << "image of 11 bytes, more than the 10 allowed";
    }
    void refusesWithTheReason()
    {
        QFETCH(Bytes, patch);
        QFETCH(QString, message);
        const Bytes original = text("ABCDEF");
        try {
            bpsPatches().apply(original, patch, 10);
            QFAIL("applied");
        } catch (const PatchError &error) {
            QVERIFY2(QString::fromStdString(error.what()).contains(message), error.what());
        }
    }
};

QTEST_GUILESS_MAIN(BpsPatchTest)
#include "test_bps_patch.moc"
