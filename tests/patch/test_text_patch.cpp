#include <QTest>

#include <vector>

#include "patch/text_patch.h"

using namespace velmora::patch;

using Bytes = std::vector<uint8_t>;
Q_DECLARE_METATYPE(Bytes)

namespace {

const TextPatchFormat textPatches;

Bytes bytesOf(const QByteArray &text) { return Bytes(text.begin(), text.end()); }

// An image of 16 bytes 0x00..0x0F.
Bytes counting()
{
    Bytes image(16);
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<uint8_t>(i);
    return image;
}

const QByteArray header = "original 16 bytes, CRC-32 CECEE288\nmodified 16 bytes, CRC-32 00000000\n";

} // namespace

class TextPatchTest : public QObject {
    Q_OBJECT
private slots:
    void writesOneLinePerRunAfterItsHeader()
    {
        Bytes modified = counting();
        modified[2] = 0xAA;
        modified[3] = 0xBB;
        modified[15] = 0xCC;
        const Bytes patch = textPatches.write(counting(), modified);
        const QList<QByteArray> lines = QByteArray(reinterpret_cast<const char *>(patch.data()), patch.size()).split('\n');
        QCOMPARE(lines.size(), 6);
        QVERIFY(lines[0].startsWith('#'));
        QCOMPARE(lines[1], "original 16 bytes, CRC-32 CECEE288");
        QVERIFY(lines[2].startsWith("modified 16 bytes, CRC-32 "));
        QCOMPARE(lines[3], "00000002: 02 03 -> AA BB");
        QCOMPARE(lines[4], "0000000F: 0F -> CC");
        QCOMPARE(lines[5], "");
    }

    // Hand-written patches: comments, blanks, lower case, short offsets.
    void readsWhatAPersonWrites_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("changes"); // offset:value pairs expected in the result
        QTest::newRow("comments everywhere")
            << "# my font fix\n" + header + "  # the 'A'\n00000004: 04 05 -> 40 50   # two bytes\n# done" << QByteArray("4:40 5:50");
        QTest::newRow("short offset, lower case, tabs, CR LF")
            << header + "\r\n\ta: 0a\t0b ->\t0C 0d\r\n" << QByteArray("10:0c 11:0d");
        QTest::newRow("arrow against the bytes") << header + "1: 01->ff" << QByteArray("1:ff");
        QTest::newRow("header only") << header << QByteArray();
        QTest::newRow("CRC lines do not decide") << QByteArray(header).replace("CECEE288", "12345678") + "0: 00 -> 01" << QByteArray("0:01");
    }
    void readsWhatAPersonWrites()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, changes);
        Bytes expected = counting();
        for (const QByteArray &pair : changes.split(' '))
            if (!pair.isEmpty())
                expected[pair.split(':')[0].toUInt()] = static_cast<uint8_t>(pair.split(':')[1].toUInt(nullptr, 16));
        QCOMPARE(textPatches.apply(counting(), bytesOf(text)), expected);
    }

    void refusesWithTheReason_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("old bytes differ, named")
            << header + "2: 02 03 -> 00 00\n8: 00 09 AA -> 01 02 03\n" << "differ from the image at 00000008 and 0000000A";
        QTest::newRow("many differ: the first four named")
            << header + "0: FF FF FF FF FF FF -> 00 00 00 00 00 00" << "at 00000000, 00000001, 00000002, 00000003 and 2 more";
        QTest::newRow("no header") << QByteArray("# nothing\n") << "Not a text patch";
        QTest::newRow("run before the header") << "1: 01 -> 02\n" + header << "Line 1 of the text patch: a run before";
        QTest::newRow("another image length") << QByteArray(header).replace("16 bytes", "17 bytes") << "for an image of 17 bytes; this image has 16";
        QTest::newRow("length change") << QByteArray(header).replace("modified 16", "modified 20") << "keeps the image length";
        QTest::newRow("two lengths for one image") << header + "original 16 bytes, CRC-32 0\n" << "Line 3 of the text patch: a second length";
        QTest::newRow("counts differ") << header + "1: 01 02 -> 03\n" << "Line 3 of the text patch: 2 old bytes but 1 new ones";
        QTest::newRow("no bytes") << header + "1: -> \n" << "a run without bytes";
        QTest::newRow("no arrow") << header + "1: 01 02\n" << "expected \"->\"";
        QTest::newRow("no colon") << header + "1 01 -> 02\n" << "expected \":\"";
        QTest::newRow("a single digit") << header + "1: 1 -> 02\n" << "expected old bytes as pairs of hex digits";
        QTest::newRow("three digits") << header + "1: 01 -> 020\n" << "expected new bytes as pairs";
        QTest::newRow("not hex") << header + "1: 0G -> 02\n" << "expected old bytes";
        QTest::newRow("garbage line") << header + "hello\n" << "Line 3 of the text patch: expected an offset in \"hello\"";
        QTest::newRow("offset of nine digits") << header + "000000001: 01 -> 02\n" << "more than 8 digits";
        QTest::newRow("runs out of order") << header + "4: 04 -> 00\n2: 02 03 -> 00 00\n" << "Line 4 of the text patch: the run at 00000002 does not follow the run of line 3";
        QTest::newRow("overlapping runs") << header + "2: 02 03 -> 00 00\n3: 03 -> 00\n" << "does not follow";
        QTest::newRow("past the image end") << header + "F: 0F 10 -> 00 00\n" << "reaches past the image end (16 bytes)";
        QTest::newRow("offset near 4 GB") << header + "FFFFFFFF: 00 -> 01\n" << "reaches past the image end";
        QTest::newRow("binary junk") << header + QByteArray("\x01\xFF\x00", 3) << "expected an offset in \"???\"";
        QTest::newRow("header with more") << QByteArray("original 16 bytes, CRC-32 CECEE288 extra\n") << "more than a length and a CRC-32";
    }
    void refusesWithTheReason()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, message);
        try {
            textPatches.apply(counting(), bytesOf(text));
            QFAIL("applied");
        } catch (const PatchError &error) {
            QVERIFY2(QString::fromStdString(error.what()).contains(message), error.what());
        }
    }
};

QTEST_GUILESS_MAIN(TextPatchTest)
#include "test_text_patch.moc"
