#include <QTest>

#include "finder/plugin_writer.h"
#include "presets/settings_file.h"

using namespace velmora;

namespace {

// The lines of a text whose every line ends in CR LF.
QStringList crlfLines(const std::string &text)
{
    QString all = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    if (!all.endsWith(QLatin1String("\r\n")))
        return {};
    all.chop(2);
    return all.split(QStringLiteral("\r\n"));
}

FontCandidate font(int64_t start, FontFormat format)
{
    FontCandidate c;
    c.start = start;
    c.format = format;
    c.count = 100;
    return c;
}

} // namespace

class PluginWriterTest : public QObject {
    Q_OBJECT
private slots:
    void twoFoundFontsFillTheFixedFields()
    {
        const std::vector<PluginPreset> presets = {presetForFont(font(0x400, {8, 13, false, false})),
                                                   presetForFont(font(0x12345, {16, 16, true, true}))};
        const QStringList lines = crlfLines(pluginText("Fonts found in a.bin", 4194304, presets));
        const QStringList expected = {
            "Fonts found in a.bin",
            "4194304",
            "12----",
            "8x13 at 00000400",
            "16x16,spare,swap at 00012345",
            "", "", "", "",
            "$00000400$00012345$00000000$00000000$00000000$00000000",
            "081316160813081308130813",
            "---ff---tt--------------------",
            "------",
            "", "", "", "", "", "",
            "$00000000$00000000$00000000$00000000$00000000$00000000",
            "081308130813081308130813",
            "------------------------------",
        };
        QCOMPARE(lines, expected);
    }

    void onlyTheFirstTwelveAreWrittenInTwoColumns()
    {
        std::vector<PluginPreset> presets;
        for (int n = 0; n < 13; ++n)
            presets.push_back(presetForFont(font(0x1000 * (n + 1), {16, 2 + n, n % 2 == 1, n % 3 == 0})));
        const QStringList lines = crlfLines(pluginText("t", 1000, presets));
        QCOMPARE(lines.size(), 22);
        QCOMPARE(lines[2], QStringLiteral("123456"));
        QCOMPARE(lines[12], QStringLiteral("789ABC"));
        // Preset 12 (index 11): field 6 of the second column's lines.
        QCOMPARE(lines[19].mid(45, 9), QStringLiteral("$0000C000"));
        QCOMPARE(lines[20].mid(20, 4), QStringLiteral("1613"));
        QCOMPARE(lines[21].mid(25, 5), QStringLiteral("---tf"));
        QCOMPARE(lines[18], QStringLiteral("16x13,spare at 0000C000"));
        QCOMPARE(lines[19].size(), 54);
        QVERIFY(!lines.join(QString()).contains(QStringLiteral("0000D000")));
    }

    void lineAndFileEndsInTextsBecomeBlanks()
    {
        PluginPreset preset = presetForFont(font(16, {8, 9, false, false}));
        preset.hint = "two\r\nlines\x1a";
        const QStringList lines = crlfLines(pluginText("a\rb\nc", 2112, std::vector{preset}));
        QCOMPARE(lines.size(), 22);
        QCOMPARE(lines[0], QStringLiteral("a b c"));
        QCOMPARE(lines[3], QStringLiteral("two  lines "));
    }

    // A button of another layout carries its format string in a line after
    // the fixed fields; reading the plug-in back gives each button its string,
    // and a line naming no format is passed over.
    void formatStringsFollowTheFixedFields()
    {
        GlyphFormat cjk{24, 24};
        cjk.layout = Layout::Rows;
        const PluginPreset rows = presetForFont(font(0x880, cjk));
        QCOMPARE(rows.format, std::string("24x24,rows"));
        QCOMPARE(rows.hint, std::string("24x24,rows at 00000880"));
        QCOMPARE(rows.flags, std::string("-----"));
        const std::vector<PluginPreset> presets = {presetForFont(font(16, {8, 9, false, false})), rows};
        const std::string text = pluginText("t", 2112, presets) + "format 1 8x8,rows,bpp3\r\n";
        const QStringList lines = crlfLines(text);
        QCOMPARE(lines[22], QStringLiteral("format 2 24x24,rows"));

        EditorState s;
        s.image.replace(std::vector<uint8_t>(2112, 0));
        QVERIFY(loadSettings(text, SettingsMode::Plugin, s).taken);
        QCOMPARE(s.presetTable.presets[0].format, std::string());
        QCOMPARE(s.presetTable.presets[1].format, std::string("24x24,rows"));
        QCOMPARE(int(s.presetTable.presets[1].charHeight), 24);
    }
};

QTEST_GUILESS_MAIN(PluginWriterTest)
#include "test_plugin_writer.moc"
