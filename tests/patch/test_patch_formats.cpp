#include <QTest>

#include <random>
#include <vector>

#include "patch/byte_runs.h"
#include "patch/patch_format.h"

using namespace velmora::patch;

using Bytes = std::vector<uint8_t>;
using Runs = std::vector<ByteRun>;
Q_DECLARE_METATYPE(Bytes)
Q_DECLARE_METATYPE(Runs)

namespace {

Bytes randomImage(unsigned seed, size_t length)
{
    std::mt19937 rng(seed);
    Bytes bytes(length);
    for (auto &b : bytes)
        b = static_cast<uint8_t>(rng() % 3 == 0 ? rng() : 0);
    return bytes;
}

Bytes changed(Bytes bytes, size_t offset, size_t count)
{
    for (size_t i = offset; i < offset + count; ++i)
        bytes[i] ^= 0xA5;
    return bytes;
}

Bytes withRandomWrites(Bytes bytes, unsigned seed, int writes)
{
    std::mt19937 rng(seed);
    for (int n = 0; n < writes; ++n) {
        const size_t at = rng() % bytes.size();
        const size_t count = std::min<size_t>(1 + rng() % 40, bytes.size() - at);
        for (size_t i = at; i < at + count; ++i)
            bytes[i] = static_cast<uint8_t>(rng());
    }
    return bytes;
}

} // namespace

// Every format of the table is held to the same rules.
class PatchFormatsTest : public QObject {
    Q_OBJECT
private slots:
    void everyFormatGivesTheModifiedBytesBack_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<Bytes>("original");
        QTest::addColumn<Bytes>("modified");
        const Bytes image = randomImage(3, 70000);
        for (const PatchFormat *format : patchFormats()) {
            const std::string extension(format->extension());
            const QString name = QStringLiteral("x.") + QString::fromStdString(extension);
            auto row = [&](const char *what) -> QTestData & {
                return QTest::addRow("%s %s", extension.c_str(), what) << name;
            };
            row("no change") << image << image;
            row("first and last byte") << image << changed(changed(image, 0, 1), 69999, 1);
            row("one glyph") << image << changed(image, 1234, 13);
            row("a run over 65535 bytes") << image << changed(image, 100, 66000);
            row("many writes") << image << withRandomWrites(image, 5, 400);
            row("empty image") << Bytes() << Bytes();
        }
    }
    void everyFormatGivesTheModifiedBytesBack()
    {
        QFETCH(QString, fileName);
        QFETCH(Bytes, original);
        QFETCH(Bytes, modified);
        const PatchFormat &format = requirePatchFormat(fileName.toStdString());
        const Bytes patch = format.write(original, modified);
        QCOMPARE(format.apply(original, patch), modified);
        // Patches are read back the way they were saved: through the table.
        QCOMPARE(patchFormatFor(fileName.toStdString()), &format);
    }

    void formatChosenByExtension_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("format"); // empty: none
        QTest::newRow("ips") << "font.ips" << "IPS";
        QTest::newRow("bps in a folder") << "/tmp/a.b/font.bps" << "BPS";
        QTest::newRow("txt") << "font.txt" << "text";
        QTest::newRow("upper case") << "FONT.IPS" << "IPS";
        QTest::newRow("two extensions") << "font.ips.txt" << "text";
        QTest::newRow("image") << "font.bin" << "";
        QTest::newRow("no extension") << "ips" << "";
        QTest::newRow("only the extension") << ".ips" << "";
        QTest::newRow("extension inside the name") << "font.ips.bak" << "";
    }
    void formatChosenByExtension()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, format);
        const PatchFormat *found = patchFormatFor(fileName.toStdString());
        QCOMPARE(found ? QString::fromUtf8(found->name().data(), found->name().size()) : QString(), format);
        if (format.isEmpty())
            QVERIFY_THROWS_EXCEPTION(PatchError, requirePatchFormat(fileName.toStdString()));
    }

    // IPS and text patches only replace bytes; BPS carries a new length.
    void lengthChangeOnlyInBps_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("written");
        QTest::newRow("ips") << "x.ips" << false;
        QTest::newRow("txt") << "x.txt" << false;
        QTest::newRow("bps") << "x.bps" << true;
    }
    void lengthChangeOnlyInBps()
    {
        QFETCH(QString, fileName);
        QFETCH(bool, written);
        const PatchFormat &format = requirePatchFormat(fileName.toStdString());
        const Bytes original(100, 1), modified(120, 1);
        try {
            QCOMPARE(format.apply(original, format.write(original, modified)), modified);
            QVERIFY(written);
        } catch (const PatchError &error) {
            QVERIFY2(!written, error.what());
            QVERIFY2(QString::fromUtf8(error.what()).contains("keeps the image length"), error.what());
        }
    }

    void differingRunsOverTheLongerLength_data()
    {
        QTest::addColumn<Bytes>("a");
        QTest::addColumn<Bytes>("b");
        QTest::addColumn<Runs>("runs");
        QTest::newRow("equal") << Bytes(20, 1) << Bytes(20, 1) << Runs{};
        QTest::newRow("both empty") << Bytes() << Bytes() << Runs{};
        Bytes b(20, 1);
        b[0] = b[9] = b[10] = b[19] = 2;
        QTest::newRow("ends and middle") << Bytes(20, 1) << b << Runs{{0, 1}, {9, 2}, {19, 1}};
        QTest::newRow("longer second") << Bytes(20, 1) << Bytes(25, 1) << Runs{{20, 5}};
        QTest::newRow("longer first") << Bytes(25, 1) << Bytes(20, 1) << Runs{{20, 5}};
        QTest::newRow("run reaching the shorter end joins the tail") << Bytes(20, 1) << [] {
            Bytes c(25, 1);
            c[18] = c[19] = 3;
            return c;
        }() << Runs{{18, 7}};
        Bytes words(40, 0), other(40, 0);
        other[8] = other[15] = other[16] = other[39] = 1; // at and across the eight-byte steps
        QTest::newRow("word boundaries") << words << other << Runs{{8, 1}, {15, 2}, {39, 1}};
    }
    void differingRunsOverTheLongerLength()
    {
        QFETCH(Bytes, a);
        QFETCH(Bytes, b);
        QFETCH(Runs, runs);
        QCOMPARE(differingRuns(a, b), runs);
        DifferenceCount count;
        for (const ByteRun &run : runs)
            count.bytes += run.length;
        count.runs = runs.size();
        QCOMPARE(countDifferences(a, b), count);
        // Stepping from one difference to the next and back visits every differing byte.
        std::vector<int64_t> forwards, backwards, expected;
        for (const ByteRun &run : runs)
            for (size_t i = run.offset; i < run.end(); ++i)
                expected.push_back(static_cast<int64_t>(i));
        for (int64_t at = nextDifference(a, b, -5); at >= 0; at = nextDifference(a, b, at + 1))
            forwards.push_back(at);
        for (int64_t at = previousDifference(a, b, 1000); at >= 0; at = previousDifference(a, b, at))
            backwards.insert(backwards.begin(), at);
        QCOMPARE(forwards, expected);
        QCOMPARE(backwards, expected);
    }
};

QTEST_GUILESS_MAIN(PatchFormatsTest)
#include "test_patch_formats.moc"
