#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSpinBox>
#include <QTest>

#include "cli/arguments.h"
#include "demo/demo_firmware.h"
#include "model/format.h"
#include "model/text_format.h"
#include "support/window_fixture.h"
#include "views/refresh.h"

using namespace velmora;

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the editor binary as a script would, on a machine without a display.
Run runVelmora(const QStringList &arguments, const QString &folder)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(VELMORA_BINARY), arguments);
    Run run;
    if (!process.waitForFinished(120000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A demo font's format as the command line takes it.
QString formatOf(const demo::DemoFont &f)
{
    return QStringLiteral("%1x%2%3%4")
        .arg(f.width)
        .arg(f.height)
        .arg(f.flagString[3] == 't' ? ",spare" : "")
        .arg(f.flagString[4] == 't' ? ",swap" : "");
}

} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString image_;

    QString path(const char *name) const { return dir_.filePath(QString::fromLatin1(name)); }

private slots:
    void initTestCase()
    {
        QVERIFY(demo::writeDemoFolder(dir_.path().toStdString()));
        image_ = path("demo_phone.bin");
    }

    void formatsReadBackAsWritten_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("8x13") << "8x13";
        QTest::newRow("spare") << "16x16,spare";
        QTest::newRow("swap") << "16x12,swap";
        QTest::newRow("both") << "16x2,spare,swap";
    }
    void formatsReadBackAsWritten()
    {
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(cli::formatArgument(cli::parseFormat(text.toStdString()))), text);
    }

    void badArgumentsExitTwoWithOneLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        const QString img = QStringLiteral("demo_phone.bin");
        const QString png = QStringLiteral("x.png");
        QTest::newRow("no offset") << QStringList{"export", img, "--format", "8x13", "-o", png};
        QTest::newRow("offset not hex") << QStringList{"export", img, "--at", "12G4", "-o", png, "--format", "8x13"};
        QTest::newRow("negative offset") << QStringList{"export", img, "--at", "FFFFFFFF", "--format", "8x13", "-o", png};
        QTest::newRow("height 17") << QStringList{"export", img, "--at", "0", "--format", "8x17", "-o", png};
        QTest::newRow("spare at 8") << QStringList{"export", img, "--at", "0", "--format", "8x13,spare", "-o", png};
        QTest::newRow("first code past Unicode") << QStringList{"render", img, "--at", "0", "--format", "8x13", "--first-code", "110000", "--text", "A", "-o", png};
        QTest::newRow("unknown flag") << QStringList{"export", img, "--at", "0", "--format", "16x13,bold", "-o", png};
        QTest::newRow("count 0") << QStringList{"export", img, "--at", "0", "--format", "8x13", "--count", "0", "-o", png};
        QTest::newRow("extra argument") << QStringList{"find", img, img};
        QTest::newRow("unknown option") << QStringList{"find", img, "--fast"};
        QTest::newRow("option twice") << QStringList{"export", img, "--at", "0", "--at", "10", "--format", "8x13", "-o", png};
        QTest::newRow("output is input") << QStringList{"export", img, "--at", "0", "--format", "8x13", "-o", img};
        QTest::newRow("output is input by another name")
            << QStringList{"import", img, png, "-o", "./" + img};
        QTest::newRow("patch without verb") << QStringList{"patch"};
        QTest::newRow("patch of no known format") << QStringList{"patch", "make", img, img, "-o", "p.zip"};
        QTest::newRow("patch onto its image") << QStringList{"patch", "apply", img, "p.ips", "-o", img};
    }
    void badArgumentsExitTwoWithOneLine()
    {
        QFETCH(QStringList, arguments);
        const QByteArray before = contents(image_);
        const Run run = runVelmora(arguments, dir_.path());
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.err.count('\n'), 1);
        QVERIFY(run.out.isEmpty());
        QCOMPARE(contents(image_), before);
    }

    void failuresExitOneWithTheEditorsText_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("text");
        QTest::newRow("missing image") << QStringList{"find", "none.bin"} << "File not found.";
        QTest::newRow("missing sheet") << QStringList{"import", "demo_phone.bin", "none.png", "-o", "o.bin"}
                                       << "File not found.";
        QTest::newRow("past the end") << QStringList{"export", "demo_phone.bin", "--at", "100000", "--format", "8x13", "-o", "x.png"}
                                      << "lies past the image end";
        QTest::newRow("malformed table") << QStringList{"render", "demo_phone.bin", "--at", "10000", "--format", "8x13",
                                                        "--table", "bad.tbl", "--text", "A", "-o", "x.png"}
                                         << "Line 2";
        QTest::newRow("not a png") << QStringList{"import", "demo_phone.bin", "demo_phone.bin", "-o", "o.bin"}
                                   << "is not a PNG image.";
    }
    void failuresExitOneWithTheEditorsText()
    {
        QFETCH(QStringList, arguments);
        test::writeFile(path("bad.tbl"), "41=A\nno equals sign\n");
        QFETCH(QString, text);
        const Run run = runVelmora(arguments, dir_.path());
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(QString::fromUtf8(run.err).contains(text), run.err.constData());
        QVERIFY(!QFile::exists(path("o.bin")) && !QFile::exists(path("x.png")));
    }

    // A patch made by one subcommand and applied by the other gives the
    // modified image; applied to another image, a BPS patch is refused.
    void patchesMadeAndAppliedGiveTheModifiedImage_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::newRow("IPS") << "ips";
        QTest::newRow("BPS") << "bps";
        QTest::newRow("text") << "txt";
    }
    void patchesMadeAndAppliedGiveTheModifiedImage()
    {
        QFETCH(QString, extension);
        QByteArray modified = contents(image_);
        for (int i = 0x10000; i < 0x10400; i += 7)
            modified[i] = static_cast<char>(~modified[i]);
        modified[modified.size() - 1] = 'Z';
        test::writeFile(path("modified.bin"), modified);
        const QString patch = "p." + extension;
        QCOMPARE(runVelmora({"patch", "make", "demo_phone.bin", "modified.bin", "-o", patch}, dir_.path()).exitCode, 0);
        QCOMPARE(runVelmora({"patch", "apply", "demo_phone.bin", patch, "-o", "patched.bin"}, dir_.path()).exitCode, 0);
        QCOMPARE(contents(path("patched.bin")), modified);

        QFile::remove(path("patched.bin"));
        const Run wrong = runVelmora({"patch", "apply", "modified.bin", patch, "-o", "patched.bin"}, dir_.path());
        if (extension != QLatin1String("ips")) { // an IPS patch knows no original
            QCOMPARE(wrong.exitCode, 1);
            QVERIFY(!QFile::exists(path("patched.bin")));
        }
    }

    // The rendering of a phrase, a character without a glyph included, is
    // the text preview's canvas at zoom 1, pixel for pixel.
    void renderIsTheTextPreview_data()
    {
        QTest::addColumn<int>("font");
        QTest::addColumn<int>("gap");
        QTest::newRow("8x13") << 0 << 0;
        QTest::newRow("16x12 swap, gap 2") << 2 << 2;
    }
    void renderIsTheTextPreview()
    {
        QFETCH(int, font);
        QFETCH(int, gap);
        const demo::DemoFont &f = demo::demoFonts[font];
        const QString phrase = QStringLiteral("Hi, VX100!\n\t42 ~");
        const Run run = runVelmora({"render", "demo_phone.bin", "--at", QString::number(f.offset, 16), "--format",
                                    formatOf(f), "--gap", QString::number(gap), "--text", phrase, "-o", "r.png"},
                                   dir_.path());
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.contains("no glyph for"), run.err.constData()); // the tab comes before the first glyph

        test::Window w;
        test::runWithFile(w, "Open", image_);
        EditorState &s = w.state();
        s.charWidth = static_cast<uint8_t>(f.width);
        s.charHeight = static_cast<uint8_t>(f.height);
        for (int k = 0; k < flagCount; ++k)
            s.setFlag(static_cast<Flag>(k), f.flagString[k] == 't');
        s.viewOffset = s.glyphOffset = f.offset;
        readAtOffset(w.editor());
        w.find<QAction>("TextPreview1")->trigger();
        auto *preview = w.find<QWidget>("TextPreviewDialog");
        preview->findChild<QSpinBox *>("PreviewZoom")->setValue(1);
        preview->findChild<QSpinBox *>("ScreenWidth")->setValue(0);
        preview->findChild<QSpinBox *>("GlyphGap")->setValue(gap);
        preview->findChild<QPlainTextEdit *>("SampleText")->setPlainText(phrase);
        const QImage shown = preview->findChild<QWidget *>("PreviewCanvas")->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage written = QImage(path("r.png")).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(written.size(), shown.size());
        QCOMPARE(written, shown);
    }

    void helpAndVersionNeedNoDisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("text");
        QTest::newRow("help") << QStringList{"--help"} << "velmora export IMAGE --at OFFSET";
        QTest::newRow("subcommand help") << QStringList{"import", "--help"} << "--format WxH[,spare][,swap]";
        QTest::newRow("version after a subcommand") << QStringList{"find", "--version"} << "velmora 3.6";
    }
    void helpAndVersionNeedNoDisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, text);
        const Run run = runVelmora(arguments, dir_.path());
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(QString::fromUtf8(run.out).contains(text), run.out.constData());
    }

    void findListsTheDemoFonts()
    {
        const Run run = runVelmora({"find", "demo_phone.bin", "--json"}, dir_.path());
        QCOMPARE(run.exitCode, 0);
        const QJsonArray fonts = QJsonDocument::fromJson(run.out).object().value(QStringLiteral("fonts")).toArray();
        QStringList found;
        for (const QJsonValue &font : fonts)
            found << font[QStringLiteral("offset")].toString() + " " + font[QStringLiteral("format")].toString() + " "
                         + QString::number(font[QStringLiteral("characters")].toInt());
        found.sort();
        QCOMPARE(found, (QStringList{"00010000 8x13 96", "00020000 16x16,spare 96", "00030000 16x12,swap 96"}));
    }

    // The sheet of each demo font equals the window's page export byte for
    // byte; imported into a blank image and exported again, it is the same sheet.
    void exportMatchesTheWindowAndImportRoundTrips_data()
    {
        QTest::addColumn<int>("font");
        QTest::newRow("8x13") << 0;
        QTest::newRow("16x16 spare") << 1;
        QTest::newRow("16x12 swap") << 2;
    }
    void exportMatchesTheWindowAndImportRoundTrips()
    {
        QFETCH(int, font);
        const demo::DemoFont &f = demo::demoFonts[font];
        const QString format = formatOf(f);
        const QString at = QString::fromStdString(hex8(f.offset));
        const Run exported = runVelmora({"export", "demo_phone.bin", "--at", at, "--format", format, "-o", "cli.png"}, dir_.path());
        QCOMPARE(exported.exitCode, 0);

        test::Window w;
        test::runWithFile(w, "Open", image_);
        EditorState &s = w.state();
        s.charWidth = static_cast<uint8_t>(f.width);
        s.charHeight = static_cast<uint8_t>(f.height);
        for (int k = 0; k < flagCount; ++k)
            s.setFlag(static_cast<Flag>(k), f.flagString[k] == 't');
        s.viewOffset = s.glyphOffset = f.offset;
        readAtOffset(w.editor());
        test::runWithFile(w, "ExportPagePng1", path("window.png"));
        QCOMPARE(contents(path("cli.png")), contents(path("window.png")));

        QFile blank(path("blank.bin"));
        QVERIFY(blank.open(QIODevice::WriteOnly));
        blank.write(QByteArray(demo::demoImageLength, '\0'));
        blank.close();
        QCOMPARE(runVelmora({"import", "blank.bin", "cli.png", "-o", "filled.bin"}, dir_.path()).exitCode, 0);
        QCOMPARE(contents(path("blank.bin")), QByteArray(demo::demoImageLength, '\0'));
        QCOMPARE(runVelmora({"export", "filled.bin", "--at", at, "--format", format, "-o", "again.png"}, dir_.path()).exitCode, 0);
        QCOMPARE(contents(path("again.png")), contents(path("cli.png")));
    }
};

QTEST_MAIN(CommandLineTest)
#include "test_command_line.moc"
