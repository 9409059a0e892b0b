#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTest>

#include "demo/demo_firmware.h"
#include "finder/firmware_image_generator.h"
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

// The window on the demo image at a demo font, in its format and flags.
void showDemoFont(test::Window &w, const QString &image, const demo::DemoFont &f)
{
    test::runWithFile(w, "Open", image);
    EditorState &s = w.state();
    s.charWidth = static_cast<uint8_t>(f.width);
    s.charHeight = static_cast<uint8_t>(f.height);
    for (int k = 0; k < flagCount; ++k)
        s.setFlag(static_cast<Flag>(k), f.flagString[k] == 't');
    s.viewOffset = s.glyphOffset = f.offset;
    readAtOffset(w.editor());
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
        // Five 8 x 4 characters from "A" on: width byte, then three rows.
        test::writeFile(path("glyphs.bin"), QByteArray::fromHex("03FFFFFF" // A: drawn
                                                                 "00000000" // B: width 0, no ink
                                                                 "00808080" // C: ink, but width 0
                                                                 "04000000" // D: width 4, no ink
                                                                 "02212121")); // E: ink only right of its width
        test::writeFile(path("zeros.bin"), QByteArray(4096, '\0'));
    }

    // Bad arguments (status 2) and failures (status 1, with the editor's
    // texts) give one line on standard error and write nothing; so does a
    // search that finds nothing, though it is no failure (status 0).
    void refusedRunsWriteNothing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("text");
        const QString img = QStringLiteral("demo_phone.bin");
        const QString png = QStringLiteral("x.png");
        QTest::newRow("no offset") << QStringList{"export", img, "--format", "8x13", "-o", png} << 2 << QString();
        QTest::newRow("offset not hex") << QStringList{"export", img, "--at", "12G4", "-o", png, "--format", "8x13"} << 2 << QString();
        QTest::newRow("negative offset") << QStringList{"export", img, "--at", "FFFFFFFF", "--format", "8x13", "-o", png} << 2 << QString();
        QTest::newRow("height 17") << QStringList{"export", img, "--at", "0", "--format", "8x17", "-o", png} << 2 << QString();
        QTest::newRow("spare at 8") << QStringList{"export", img, "--at", "0", "--format", "8x13,spare", "-o", png} << 2 << QString();
        QTest::newRow("first code past Unicode") << QStringList{"render", img, "--at", "0", "--format", "8x13", "--first-code", "110000", "--text", "A", "-o", png} << 2 << QString();
        QTest::newRow("unknown flag") << QStringList{"export", img, "--at", "0", "--format", "16x13,bold", "-o", png} << 2 << QString();
        QTest::newRow("layout option") << QStringList{"export", img, "--at", "0", "--format", "8x8,rows,bpp3", "-o", png} << 2
                                       << "'bpp3' is not an option";
        QTest::newRow("two layouts") << QStringList{"render", img, "--at", "0", "--format", "8x8,rows,pages", "--text", "A", "-o", png}
                                     << 2 << "rows and pages: one layout at most";
        QTest::newRow("count 0") << QStringList{"export", img, "--at", "0", "--format", "8x13", "--count", "0", "-o", png} << 2 << QString();
        QTest::newRow("extra argument") << QStringList{"find", img, img} << 2 << QString();
        QTest::newRow("unknown option") << QStringList{"find", img, "--fast"} << 2 << QString();
        QTest::newRow("option twice") << QStringList{"export", img, "--at", "0", "--at", "10", "--format", "8x13", "-o", png} << 2 << QString();
        QTest::newRow("output is input") << QStringList{"export", img, "--at", "0", "--format", "8x13", "-o", img} << 2 << QString();
        QTest::newRow("output is input by another name")
            << QStringList{"import", img, png, "-o", "./" + img} << 2 << QString();
        QTest::newRow("patch without verb") << QStringList{"patch"} << 2 << QString();
        QTest::newRow("patch of no known format") << QStringList{"patch", "make", img, img, "-o", "p.zip"} << 2 << QString();
        QTest::newRow("patch onto its image") << QStringList{"patch", "apply", img, "p.ips", "-o", img} << 2 << QString();
        QTest::newRow("missing image") << QStringList{"find", "none.bin"} << 1 << "File not found.";
        QTest::newRow("missing sheet") << QStringList{"import", "demo_phone.bin", "none.png", "-o", "o.bin"}
                                       << 1 << "File not found.";
        QTest::newRow("past the end") << QStringList{"export", "demo_phone.bin", "--at", "100000", "--format", "8x13", "-o", "x.png"}
                                      << 1 << "lies past the image end";
        QTest::newRow("malformed table") << QStringList{"render", "demo_phone.bin", "--at", "10000", "--format", "8x13",
                                                        "--table", "bad.tbl", "--text", "A", "-o", "x.png"}
                                         << 1 << "Line 2";
        QTest::newRow("not a png") << QStringList{"import", "demo_phone.bin", "demo_phone.bin", "-o", "o.bin"}
                                   << 1 << "is not a PNG image.";
        QTest::newRow("mistyped subcommand") << QStringList{"bogus"} << 2 << "'bogus' is neither a command nor a file";
        QTest::newRow("window without a display") << QStringList{} << 1
                                                  << "No display: the window needs one; see velmora --help for the commands that run without";
        QTest::newRow("file for a window without a display") << QStringList{img} << 1 << "No display: the window needs one";
        QTest::newRow("output into a missing folder")
            << QStringList{"export", img, "--at", "10000", "--format", "8x13", "-o", "/nonexistent/dir/x.png"}
            << 1 << "Folder /nonexistent/dir does not exist.";
        QTest::newRow("strict render of a blank glyph")
            << QStringList{"render", "glyphs.bin", "--at", "0", "--format", "8x4", "--first-code", "41", "--text", "AD",
                           "--strict", "-o", png}
            << 1 << "blank: D";
        QTest::newRow("no font found") << QStringList{"find", "zeros.bin"} << 0 << "No fonts found.";
        QTest::newRow("character codes for a sheet")
            << QStringList{"export", "glyphs.bin", "--at", "0", "--format", "8x4", "--first-code", "41", "-o", png} << 2 << QString();
    }
    void refusedRunsWriteNothing()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, text);
        test::writeFile(path("bad.tbl"), "41=A\nno equals sign\n");
        const QByteArray before = contents(image_);
        const Run run = runVelmora(arguments, dir_.path());
        QCOMPARE(run.exitCode, status);
        QCOMPARE(run.err.count('\n'), 1);
        QVERIFY2(QString::fromUtf8(run.err).contains(text), run.err.constData());
        QVERIFY(run.out.isEmpty());
        QCOMPARE(contents(image_), before);
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
        showDemoFont(w, image_, f);
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

    // Every character that draws nothing is named once per kind, kinds in
    // this order; the picture is written all the same.
    void renderNamesCharactersThatDrawNothing()
    {
        const Run run = runVelmora({"render", "glyphs.bin", "--at", "0", "--format", "8x4", "--first-code", "41",
                                    "--text", "FEDCBABA", "-o", "r.png"}, dir_.path());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QByteArray("velmora render: no glyph for: F\nvelmora render: width 0: B\n"
                                     "velmora render: C has ink but width 0: set its width\nvelmora render: blank: E D\n"));
        QVERIFY(QFile::exists(path("r.png")));
    }

    // The extension of -o chooses a font file; the count is cut at the image end.
    void exportWritesAFontFileByItsExtension()
    {
        const Run run = runVelmora({"export", "glyphs.bin", "--at", "0", "--format", "8x4", "--count", "99", "-o", "x.bdf"},
                                   dir_.path());
        QVERIFY2(run.exitCode == 0, run.err.constData());
        const QByteArray bdf = contents(path("x.bdf"));
        QVERIFY(bdf.startsWith("STARTFONT 2.1\n"));
        QVERIFY(bdf.contains("CHARS 5\n"));
        QVERIFY(bdf.contains("STARTCHAR uni0024\nENCODING 36\nSWIDTH 667 0\nDWIDTH 2 0\nBBX 8 3 0 0\nBITMAP\n21\n21\n21\nENDCHAR\n"));
    }

    // Without --first-code, render and export take the window's map of the
    // font from IMAGE.chars: glyph C (ink, width 0) is labelled "A", so "A"
    // draws as it and glyph A has no character any more.
    void renderAndExportFollowTheWindowsLabels()
    {
        QFile::copy(path("glyphs.bin"), path("labelled.bin"));
        test::writeFile(path("labelled.bin.chars"), QByteArray("00000000 8x4 0041\n= 00000008 0041\n"));
        const Run render = runVelmora({"render", "labelled.bin", "--at", "0", "--format", "8x4", "--text", "AB", "-o", "l.png"},
                                      dir_.path());
        QCOMPARE(render.exitCode, 0);
        QCOMPARE(render.err, QByteArray("velmora render: width 0: B\nvelmora render: A has ink but width 0: set its width\n"));
        const Run exported = runVelmora({"export", "labelled.bin", "--at", "0", "--format", "8x4", "--count", "3", "-o", "l.bdf"},
                                        dir_.path());
        QVERIFY2(exported.exitCode == 0, exported.err.constData());
        const QByteArray bdf = contents(path("l.bdf"));
        for (const char *glyph : {"STARTCHAR glyph0\nENCODING -1\n", "STARTCHAR uni0042\nENCODING 66\n", "STARTCHAR uni0041\nENCODING 65\n"})
            QVERIFY2(bdf.contains(glyph), bdf.constData());
    }

    // An image whose end cuts the sheet takes the whole characters that fit.
    void importSaysWhereTheImageEndCutsTheSheet()
    {
        QCOMPARE(runVelmora({"export", "demo_phone.bin", "--at", "10000", "--format", "8x13", "-o", "s.png"}, dir_.path()).exitCode, 0);
        test::writeFile(path("short.bin"), QByteArray(10 * 13 + 5, '\0'));
        const Run run = runVelmora({"import", "short.bin", "s.png", "--at", "0", "-o", "cut.bin"}, dir_.path());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QByteArray("velmora import: the image end cuts the sheet: 10 of its 32 characters written\n"));
        QCOMPARE(contents(path("cut.bin")), contents(image_).mid(0x10000, 10 * 13) + QByteArray(5, '\0'));
        // The import wrote into its private mapping of the input, never into the file.
        QCOMPARE(contents(path("short.bin")), QByteArray(10 * 13 + 5, '\0'));
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

    // A console font of padded rows among code and data: listed in its
    // format string, with or without --layouts, but not with --width-byte-only.
    void findWithLayoutsNamesTheLayout()
    {
        std::vector<uint8_t> bytes = test::firmwareBackground(3, 512 << 10);
        test::plantCellFont(bytes, 0x20004, "Lat15-VGA14.psf.gz", Layout::Rows, false, 160);
        QFile file(QDir(dir_.path()).filePath(QStringLiteral("lcd.bin")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char *>(bytes.data()), static_cast<qint64>(bytes.size()));
        file.close();
        const Run widthByte = runVelmora({"find", "lcd.bin", "--width-byte-only"}, dir_.path());
        QVERIFY(!QString::fromUtf8(widthByte.out).contains(QStringLiteral(",rows")));
        for (const QStringList &arguments : {QStringList{"find", "lcd.bin"}, QStringList{"find", "lcd.bin", "--layouts"}}) {
            const Run run = runVelmora(arguments, dir_.path());
            QCOMPARE(run.exitCode, 0);
            QVERIFY2(QString::fromUtf8(run.out).contains(QRegularExpression(QStringLiteral("^000200[01][0-9A-F] +8x14,rows +159 "),
                                                                            QRegularExpression::MultilineOption)),
                     run.out.constData());
        }
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
        showDemoFont(w, image_, f);
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

    // A sheet exported in any layout and imported unedited gives the image
    // byte for byte: padding, unused page rows, bytes between glyphs and the
    // width table included; imported into zeros it exports as the same sheet.
    void layoutsRoundTripThroughASheet_data()
    {
        QTest::addColumn<QString>("format");
        for (const char *f : {"24x24,rows", "12x16,rows,reverse,bpp4", "7x9,packed,bpp2,invert", "12x16,strips",
                              "5x8,pages,reverse", "6x12,columns,stride=16", "8x8,rows,widths=F000"})
            QTest::newRow(f) << QString::fromLatin1(f);
    }
    void layoutsRoundTripThroughASheet()
    {
        QFETCH(QString, format);
        const Run exported = runVelmora({"export", "demo_phone.bin", "--at", "10000", "--format", format, "--count", "40",
                                         "-o", "layout.png"}, dir_.path());
        QVERIFY2(exported.exitCode == 0, exported.err.constData());
        QCOMPARE(runVelmora({"import", "demo_phone.bin", "layout.png", "-o", "same.bin"}, dir_.path()).exitCode, 0);
        QCOMPARE(contents(path("same.bin")), contents(image_));

        test::writeFile(path("zeros.bin"), QByteArray(demo::demoImageLength, '\0'));
        QCOMPARE(runVelmora({"import", "zeros.bin", "layout.png", "-o", "filled.bin"}, dir_.path()).exitCode, 0);
        QCOMPARE(runVelmora({"export", "filled.bin", "--at", "10000", "--format", format, "--count", "40", "-o", "again.png"},
                            dir_.path()).exitCode, 0);
        QCOMPARE(contents(path("again.png")), contents(path("layout.png")));
        test::writeFile(path("zeros.bin"), QByteArray(4096, '\0'));
    }
};

QTEST_MAIN(CommandLineTest)
#include "test_command_line.moc"
