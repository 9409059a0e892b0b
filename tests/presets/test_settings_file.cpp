#include <QTest>

#include "model/errors.h"
#include "presets/settings_file.h"

using namespace velmora;

namespace {

const std::string crlf = "\r\n";

// A preset body: size, then the two columns' captions, hints, offsets, formats and flag strings.
std::string body(int32_t size, const std::string &captions1, const std::string &offsets1,
                 const std::string &formats1, const std::string &flags1, const std::string &end = crlf)
{
    std::string text = std::to_string(size) + end + captions1 + end;
    for (int k = 1; k <= 6; ++k)
        text += "hint " + std::to_string(k) + end;
    text += offsets1 + end + formats1 + end + flags1 + end;
    text += "GHIJKL" + end;
    for (int k = 7; k <= 12; ++k)
        text += "hint " + std::to_string(k) + end;
    const std::string offsets2 = "$00000700$00000800$00000900$00000A00$00000B00$00000C00";
    text += offsets2 + end + "081308130813081316161616" + end + "tffff" + end;
    return text;
}

const std::string offsets = "$00000400$00000800        0000000021000000042000000084";
const std::string formats = "081316160813081308130813";
const std::string standardBody = body(4194304, "AB----", offsets, formats, "ffttftftf");

std::string entry(const std::string &model, const std::vector<std::string> &numbers, const std::string &presetBody)
{
    std::string text = "title" + crlf + model + crlf + std::to_string(numbers.size()) + crlf;
    for (const std::string &n : numbers)
        text += n + crlf;
    return text + presetBody;
}

EditorState stateFor(const std::string &model, uint8_t number, int32_t length)
{
    EditorState s;
    s.modelName = model;
    s.firmwareNumber = number;
    s.image.replace(std::vector<uint8_t>(static_cast<size_t>(length)));
    return s;
}

} // namespace

class SettingsFileTest : public QObject {
    Q_OBJECT
private slots:
    void linesAndNumbers_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("CR LF and lone CR end lines, LF is text")
            << QByteArray("a b\r\nc\nd\re\r\r") << QStringList{"a b", "c\nd", "e", ""};
        QTest::newRow("Ctrl-Z ends the file") << QByteArray("one\r\ntw\x1Ao\r\nthree") << QStringList{"one", "tw"};
        QTest::newRow("last line without end") << QByteArray("x\r\ny") << QStringList{"x", "y"};
    }
    void linesAndNumbers()
    {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, lines);
        SettingsText reader(std::string_view(text.constData(), size_t(text.size())));
        QStringList read;
        while (!reader.atEnd())
            read << QString::fromStdString(reader.textLine());
        QCOMPARE(read, lines);
        QCOMPARE(QString::fromStdString(reader.textLine()), QString()); // past the end: empty
    }

    void numberLinesSkipBlanksAndTakeOneToken()
    {
        const std::string text = "\r\n  \t\r\n  42 rest of line\r\n$1F\r\n-7\x01" "8\r\n"
                                 + std::string(40, '1') + "\r\n";
        SettingsText reader(text);
        QCOMPARE(reader.numberLine(), 42);
        QCOMPARE(reader.numberLine(), 0x1F);
        QCOMPARE(reader.numberLine(), -7); // a control character ends the token
        // A token is cut at 32 characters, which is past any integer.
        QVERIFY_THROWS_EXCEPTION(EditorError, reader.numberLine());
        QCOMPARE(reader.numberLine(), 0); // end of file
    }

    void search_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("match");
        QTest::addColumn<QString>("captions"); // of bt1..bt12 after the load, from "-" each
        QTest::addColumn<int>("offset1");

        const std::string other = body(4194304, "XYZXYZ", offsets, formats, "");
        auto bytes = [](const std::string &s) { return QByteArray(s.data(), qsizetype(s.size())); };
        const QString none = QString(12, '-');
        QTest::newRow("first matching entry wins")
            << bytes(entry("R47", {"3"}, standardBody) + entry("R47", {"3"}, other)) << "R47" << 3 << 1
            << "AB----GHIJKL" << 0x400;
        QTest::newRow("a later entry matches")
            << bytes(entry("Q1", {"3"}, other) + entry("R47", {"9", "3"}, standardBody)) << "R47" << 3 << 1
            << "AB----GHIJKL" << 0x400;
        QTest::newRow("261 matches 5 by its low 8 bits")
            << bytes(entry("R47", {"261"}, standardBody)) << "R47" << 5 << 1 << "AB----GHIJKL" << 0x400;
        QTest::newRow("5 matches 5") << bytes(entry("R47", {"5"}, standardBody)) << "R47" << 5 << 1 << "AB----GHIJKL"
                                     << 0x400;
        QTest::newRow("trailing blank in model line") << bytes(entry("R47 ", {"3"}, standardBody)) << "R47" << 3 << 0
                                                      << none << 0;
        QTest::newRow("model compared with case") << bytes(entry("r47", {"3"}, standardBody)) << "R47" << 3 << 0
                                                  << none << 0;
        QTest::newRow("number not listed") << bytes(entry("R47", {"4", "6"}, standardBody)) << "R47" << 3 << 0
                                           << none << 0;
        QTest::newRow("ten numbers: all read, the tenth matches")
            << bytes(entry("R47", {"1", "2", "4", "5", "6", "7", "8", "9", "10", "3"}, standardBody)
                     + entry("Q", {"1"}, other))
            << "R47" << 3 << 1 << "AB----GHIJKL" << 0x400;
        std::string lfOnly = entry("R47", {"3"}, standardBody);
        std::erase(lfOnly, '\r');
        QTest::newRow("LF-only file takes nothing") << bytes(lfOnly) << "R47" << 3 << 0 << none << 0;
        std::string crOnly = entry("R47", {"3"}, standardBody);
        std::erase(crOnly, '\n');
        QTest::newRow("CR-only line ends work") << bytes(crOnly) << "R47" << 3 << 1 << "AB----GHIJKL" << 0x400;
        QTest::newRow("Ctrl-Z before the match ends the file")
            << bytes(entry("Q", {"1"}, other) + "\x1A" + entry("R47", {"3"}, standardBody)) << "R47" << 3 << 0
            << none << 0;
        QTest::newRow("matching entry for another image size")
            << bytes(entry("R47", {"3"}, body(1048576, "AB----", offsets, formats, "")) + entry("R47", {"3"}, other))
            << "R47" << 3 << 1 << none << 0;
        QTest::newRow("short captions line: the rest read -")
            << bytes(entry("R47", {"3"}, body(4194304, "AB", offsets, formats, ""))) << "R47" << 3 << 1
            << "AB----GHIJKL" << 0x400;
    }
    void search()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, model);
        QFETCH(int, number);
        EditorState s = stateFor(model.toStdString(), uint8_t(number), 4194304);
        loadSettings(std::string_view(file.constData(), size_t(file.size())), SettingsMode::Search, s);
        QTEST(int(s.pluginMatch), "match");
        QString captions;
        for (const std::string &c : s.presetButtons.captions)
            captions += QString::fromStdString(c);
        QTEST(captions, "captions");
        QTEST(int(s.presetTable.presets[0].offset), "offset1");
    }

    void presetFieldsAreDecodedByPosition()
    {
        EditorState s = stateFor("", 0, 4194304);
        const std::string plugin = "My plug-in" + crlf + body(4194304, "AB----", offsets, formats, "ffttftftftt-f  ");
        const SettingsOutcome outcome = loadSettings(plugin, SettingsMode::Plugin, s);
        QVERIFY(outcome.taken);
        QCOMPARE(outcome.title, std::string("My plug-in"));
        QCOMPARE(int(s.pluginMatch), 1);
        const auto &p = s.presetTable.presets;
        QCOMPARE(p[0].offset, 0x400);
        QCOMPARE(int(p[0].charWidth), 8);
        QCOMPARE(int(p[0].charHeight), 13);
        QCOMPARE(p[0].flags, std::string("ffttf"));
        QCOMPARE(p[1].offset, 0x800);
        QCOMPARE(int(p[1].charWidth), 16);
        QCOMPARE(p[1].flags, std::string("tftft"));
        QCOMPARE(p[2].offset, 0);          // a field of blanks and "0"
        QCOMPARE(p[2].flags, std::string("t-f  "));
        QCOMPARE(p[3].offset, 21);         // right-aligned decimal with leading zeros
        QCOMPARE(p[3].flags, std::string()); // past the end of the flag line
        QCOMPARE(p[11].offset, 0xC00);
        QCOMPARE(int(p[11].charWidth), 16);
        QCOMPARE(s.presetButtons.hints[11], std::string("hint 12"));
        QCOMPARE(s.presetButtons.captions[11], std::string("L"));
    }

    void failuresKeepWhatWasTakenBefore_data()
    {
        QTest::addColumn<QString>("offsetLine");
        QTest::addColumn<QString>("formatLine");
        QTest::addColumn<QString>("error");
        QTest::addColumn<int>("failing");         // the preset whose field fails, from 1
        QTest::addColumn<bool>("failedInFormat"); // its offset, flags, caption and hint were taken
        QTest::newRow("left-aligned decimal offset") << "$00000400$0000080012345    " << QString::fromStdString(formats)
                                                     << "'12345    ' is not a valid integer value" << 3 << false;
        QTest::newRow("short offset line") << "$00000400" << QString::fromStdString(formats) << "'' is not a valid integer value" << 2 << false;
        QTest::newRow("width field of preset 3") << QString::fromStdString(offsets) << "08131616-+13" << "'-+' is not a valid integer value"
                                                 << 3 << true;
        QTest::newRow("zero byte in an offset field") << QStringLiteral("$00000400$12") + QChar(0) + QStringLiteral("ABCDE")
                                                      << QString::fromStdString(formats)
                                                      << "'$12\\0ABCDE' is not a valid integer value" << 2 << false;
        QTest::newRow("height field of preset 2") << QString::fromStdString(offsets) << "0813166 " << "'6 ' is not a valid integer value"
                                                  << 2 << true;
    }
    void failuresKeepWhatWasTakenBefore()
    {
        QFETCH(QString, offsetLine);
        QFETCH(QString, formatLine);
        QFETCH(int, failing);
        QFETCH(bool, failedInFormat);
        EditorState s = stateFor("", 0, 2112);
        for (Preset &p : s.presetTable.presets)
            p.offset = -1;
        const std::string plugin
            = "t" + crlf + body(2112, "ABCDEF", offsetLine.toStdString(), formatLine.toStdString(), "");
        QString error;
        try {
            loadSettings(plugin, SettingsMode::Plugin, s);
        } catch (const ConversionError &e) {
            error = QString::fromStdString(e.what());
        }
        QTEST(error, "error");
        const int withOffset = failing - 1 + (failedInFormat ? 1 : 0);
        for (int n = 0; n < presetCount; ++n)
            QCOMPARE(s.presetTable.presets[size_t(n)].offset != -1, n < withOffset);
        const std::string caption = failedInFormat ? std::string(1, char('A' + failing - 1)) : "-";
        QCOMPARE(s.presetButtons.captions[size_t(failing - 1)], caption);
        QCOMPARE(s.presetButtons.captions[size_t(failing)], std::string("-"));
    }

    void invalidNumberLines_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("plugin");
        auto bytes = [](const std::string &s) { return QByteArray(s.data(), qsizetype(s.size())); };
        QTest::newRow("firmware number") << bytes(entry("R47", {"3x"}, standardBody)) << false;
        QTest::newRow("count") << bytes("t" + crlf + "R47" + crlf + "two" + crlf + standardBody) << false;
        QTest::newRow("expected size of a plug-in") << bytes("t" + crlf + "4MB" + standardBody.substr(7)) << true;
    }
    void invalidNumberLines()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, plugin);
        EditorState s = stateFor("R47", 3, 4194304);
        QString error;
        try {
            loadSettings(std::string_view(file.constData(), size_t(file.size())),
                         plugin ? SettingsMode::Plugin : SettingsMode::Search, s);
        } catch (const EditorError &e) {
            error = QString::fromStdString(e.what());
        }
        QCOMPARE(error, QStringLiteral("Invalid numeric input"));
        QCOMPARE(s.presetButtons.captions[0], std::string("-")); // nothing taken
    }

    void presetOffsetKeepsThePageInsideTheImage_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("expected");
        QTest::newRow("inside") << 0x400 << 8 << 13 << 0x400;
        QTest::newRow("page past the end, 8x13") << 2000 << 8 << 13 << 2112 - 32 * 13;
        QTest::newRow("page past the end, 16x16") << 2000 << 16 << 16 << 2112 + 2 - 32 * 33;
        QTest::newRow("invalid format: current 8x13") << 5000 << 12 << 40 << 2112 - 32 * 13;
        QTest::newRow("negative") << -100 << 8 << 13 << 0;
    }
    void presetOffsetKeepsThePageInsideTheImage()
    {
        QFETCH(int, offset);
        QFETCH(int, width);
        QFETCH(int, height);
        EditorState s = stateFor("", 0, 2112);
        s.charWidth = 8;
        s.charHeight = 13;
        QTEST(presetViewOffset(s, Preset{offset, uint8_t(width), uint8_t(height), ""}), "expected");
    }
};

QTEST_MAIN(SettingsFileTest)
#include "test_settings_file.moc"
