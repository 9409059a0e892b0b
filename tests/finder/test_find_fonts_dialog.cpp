#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

#include <set>

#include "finder/find_fonts_dialog.h"
#include "finder/firmware_image_generator.h"
#include "finder/font_image_generator.h"
#include "model/text_format.h"
#include "support/window_fixture.h"
#include "views/canvas_widget.h"
#include "views/hex_entry.h"
#include "views/refresh.h"

using namespace velmora;

namespace {

// Makes bytes the image as Open would: named fonts.bin, the whole image as block.
void loadImage(test::Window &w, std::vector<uint8_t> bytes)
{
    EditorState &s = w.state();
    s.image.replace(std::move(bytes));
    s.fileName = w.dir.filePath(QStringLiteral("fonts.bin")).toStdString();
    s.viewOffset = 0;
    s.glyphOffset = 0;
    s.blockStart = 0;
    s.blockEnd = s.imageLength() - 1;
    readAtOffset(w.editor());
}

// Runs "Find fonts..." and waits for the scan's end.
FindFontsDialog *findFonts(test::Window &w)
{
    w.find<QAction>(QStringLiteral("FindFonts1"))->trigger();
    auto *dialog = w.find<FindFontsDialog>(QStringLiteral("FindFontsDialog"));
    if (!dialog)
        qFatal("no dialog FindFontsDialog");
    if (dialog->scanning()) {
        QSignalSpy finished(dialog, &FindFontsDialog::scanFinished);
        finished.wait(120000);
    }
    return dialog;
}

QAbstractItemView *foundFonts(FindFontsDialog *dialog)
{
    return dialog->findChild<QAbstractItemView *>(QStringLiteral("FoundFonts"));
}

QString cellText(QAbstractItemView *view, int row, int column)
{
    return view->model()->index(row, column).data().toString();
}

const test::PlantedFont *plantedAt(const test::GeneratedImage &image, const QString &offset)
{
    for (const test::PlantedFont &font : image.fonts)
        if (QString::fromStdString(hex8(font.start)) == offset)
            return &font;
    return nullptr;
}

// A 1 MB image with four fonts in random formats.
test::GeneratedImage fontImage() { return test::generateFontImage(31, 1 << 20, 4); }

} // namespace

class FindFontsDialogTest : public QObject {
    Q_OBJECT
private slots:
    void theListShowsEachFontBestFirst()
    {
        test::Window w;
        const test::GeneratedImage image = fontImage();
        loadImage(w, image.bytes);
        FindFontsDialog *dialog = findFonts(w);
        QVERIFY(dialog->isVisible());
        QAbstractItemView *view = foundFonts(dialog);
        QVERIFY(view);
        QCOMPARE(view->model()->rowCount(), int(image.fonts.size()));
        double previous = 1e300;
        for (int row = 0; row < view->model()->rowCount(); ++row) {
            const test::PlantedFont *font = plantedAt(image, cellText(view, row, 0));
            QVERIFY2(font, qPrintable(cellText(view, row, 0)));
            const QString format = cellText(view, row, 1);
            // The row's format is the format string the editor reads.
            QCOMPARE(format, QString::fromStdString(formatText(font->format)));
            QCOMPARE(cellText(view, row, 2).toLongLong(), font->count);
            const double score = dialog->candidates()[size_t(row)].score;
            QVERIFY(score <= previous);
            previous = score;
        }
    }

    void ctrlFOpensTheDialog()
    {
        test::Window w;
        w.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
        w.find<HexEntry>(QStringLiteral("MaskEdit1"))->setFocus();
        QTest::keyClick(w.form.get(), Qt::Key_F, Qt::ControlModifier);
        auto *dialog = w.find<FindFontsDialog>(QStringLiteral("FindFontsDialog"));
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->scanning(), 60000);
        // The blank image holds no font.
        QCOMPARE(foundFonts(dialog)->model()->rowCount(), 0);
        QVERIFY(!dialog->findChild<QPushButton *>(QStringLiteral("btSavePlugin"))->isEnabled());
    }

    void aRowGoesToItsFont_data()
    {
        QTest::addColumn<bool>("byButton");
        QTest::newRow("Enter on the row") << false;
        QTest::newRow("btGoFont") << true;
    }

    void aRowGoesToItsFont()
    {
        QFETCH(bool, byButton);
        test::Window w;
        const test::GeneratedImage image = fontImage();
        loadImage(w, image.bytes);
        FindFontsDialog *dialog = findFonts(w);
        QAbstractItemView *view = foundFonts(dialog);
        for (int row = 0; row < view->model()->rowCount(); ++row) {
            view->setCurrentIndex(view->model()->index(row, 0));
            if (byButton)
                QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("btGoFont")), Qt::LeftButton);
            else
                QTest::keyClick(view, Qt::Key_Return);
            const test::PlantedFont *font = plantedAt(image, cellText(view, row, 0));
            QVERIFY(font);
            const EditorState &s = w.state();
            QCOMPARE(int64_t{s.viewOffset}, font->start);
            QCOMPARE(int64_t{s.glyphOffset}, font->start);
            QCOMPARE(int(s.charWidth), font->format.width);
            QCOMPARE(int(s.charHeight), font->format.height);
            QCOMPARE(s.flag(Flag::SkipSpareByte), font->format.spare);
            QCOMPARE(s.flag(Flag::SwapBytes), font->format.swap);
            auto *flags = w.find<QListWidget>(QStringLiteral("CLB"));
            QCOMPARE(flags->item(3)->checkState() == Qt::Checked, font->format.spare);
            QCOMPARE(flags->item(4)->checkState() == Qt::Checked, font->format.swap);
            QCOMPARE(w.find<QSpinBox>(QStringLiteral("spWidth"))->value(), font->format.width);
            QCOMPARE(w.find<QSpinBox>(QStringLiteral("spHeight"))->value(), font->format.height);
            QCOMPARE(w.find<HexEntry>(QStringLiteral("MaskEdit1"))->text(), QString::fromStdString(hex8(font->start)));
            // The re-read decoded the font's first character.
            QCOMPARE(s.glyph, test::storedGlyph(s));
        }
        QVERIFY(s_imageUnchanged(w, image.bytes));
    }

    void rowsOfAReplacedImageScanAgainInsteadOfGoing()
    {
        test::Window w;
        loadImage(w, fontImage().bytes);
        FindFontsDialog *dialog = findFonts(w);
        QAbstractItemView *view = foundFonts(dialog);
        QVERIFY(view->model()->rowCount() > 0);
        w.find<QAction>(QStringLiteral("mnNew"))->trigger();
        view->setCurrentIndex(view->model()->index(0, 0));
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("btGoFont")), Qt::LeftButton);
        QCOMPARE(w.state().viewOffset, 0);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->scanning(), 60000);
        QCOMPARE(view->model()->rowCount(), 0); // the new blank image holds no font
    }

    void navigationKeysMoveThroughTheListNotTheImage()
    {
        test::Window w;
        loadImage(w, fontImage().bytes);
        FindFontsDialog *dialog = findFonts(w);
        QAbstractItemView *view = foundFonts(dialog);
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        view->setFocus();
        view->setCurrentIndex(view->model()->index(0, 0));
        // End and Page Down are "+ char" and "+ page" in the main window.
        QTest::keyClick(view, Qt::Key_End);
        QCOMPARE(view->currentIndex().row(), view->model()->rowCount() - 1);
        QTest::keyClick(view, Qt::Key_Home);
        QCOMPARE(view->currentIndex().row(), 0);
        QTest::keyClick(view, Qt::Key_PageDown);
        QCOMPARE(w.state().viewOffset, 0);
    }

    void theStripShowsTheFirstCharactersAsTheOverview()
    {
        test::Window w;
        const test::GeneratedImage image = fontImage();
        loadImage(w, image.bytes);
        FindFontsDialog *dialog = findFonts(w);
        int compared = 0;
        for (const FontCandidate &font : dialog->candidates()) {
            // The overview steps by 2H - 1 in that one format, not by characters.
            if (font.format.width == 16 && !font.format.spare)
                continue;
            goToFont(w.editor(), font);
            const EditorState &s = w.state();
            const QImage strip = fontStrip(image.bytes, font,
                                           {s.flag(Flag::HideWidthBytes), s.flag(Flag::TrueCharImage), s.blockStart, s.blockEnd}, 4, 2);
            const QImage &overview = w.find<CanvasWidget>(QStringLiteral("MemImg"))->canvas();
            for (int k = 0; k < 4; ++k)
                for (int y = 0; y < 32; ++y)
                    for (int x = 0; x < 32; ++x)
                        QCOMPARE(strip.pixel(k * 33 + x, y), overview.pixel(1 + x, 1 + 33 * k + y));
            ++compared;
        }
        QVERIFY(compared > 0);
    }

    void savePluginWritesTheChosenFontsIntoPlugins()
    {
        test::Window w;
        const test::GeneratedImage image = fontImage();
        loadImage(w, image.bytes);
        FindFontsDialog *dialog = findFonts(w);
        QString title, folder, proposed;
        const QString path = w.dir.filePath(QStringLiteral("plugins/found.vlp"));
        w.editor().runDialog = [&](QFileDialog &d) {
            title = d.windowTitle();
            folder = d.directory().absolutePath();
            proposed = d.selectedFiles().value(0);
            d.selectFile(path);
            return true;
        };
        QAbstractItemView *view = foundFonts(dialog);
        // Rows 2 and 4 chosen: they become buttons 1 and 2.
        view->selectionModel()->clearSelection();
        for (int row : {1, 3})
            view->selectionModel()->select(view->model()->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("btSavePlugin")), Qt::LeftButton);

        QCOMPARE(title, QStringLiteral("Save plugin"));
        QCOMPARE(folder, QDir(w.dir.filePath(QStringLiteral("plugins"))).absolutePath());
        QCOMPARE(QFileInfo(proposed).fileName(), QStringLiteral("fonts.vlp"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromLatin1(file.readAll()).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 23); // 22 lines, each ended
        QCOMPARE(lines[0], QStringLiteral("Fonts found in fonts.bin"));
        QCOMPARE(lines[1], QString::number(image.bytes.size()));
        QCOMPARE(lines[2], QStringLiteral("12----"));
        for (int k = 0; k < 2; ++k) {
            const FontCandidate &font = dialog->candidates()[size_t(k == 0 ? 1 : 3)];
            QCOMPARE(lines[9].mid(9 * k, 9), QStringLiteral("$") + QString::fromStdString(hex8(font.start)));
            QCOMPARE(lines[10].mid(4 * k, 4), QStringLiteral("%1%2").arg(font.format.width, 2, 10, QLatin1Char('0')).arg(font.format.height, 2, 10, QLatin1Char('0')));
            QCOMPARE(lines[11].mid(5 * k + 3, 2), QStringLiteral("%1%2").arg(font.format.spare ? 't' : 'f').arg(font.format.swap ? 't' : 'f'));
            QVERIFY(lines[3 + k].contains(QString::fromStdString(hex8(font.start))));
        }
    }

    void aSavedPluginLoadsBackOntoTheFoundFonts()
    {
        test::Window w;
        const test::GeneratedImage image = fontImage();
        loadImage(w, image.bytes);
        FindFontsDialog *dialog = findFonts(w);
        const QString path = w.dir.filePath(QStringLiteral("plugins/fonts.vlp"));
        w.editor().runDialog = [&](QFileDialog &d) {
            d.selectFile(path);
            return true;
        };
        // No row selected: every found font, best first.
        foundFonts(dialog)->selectionModel()->clearSelection();
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("btSavePlugin")), Qt::LeftButton);
        QVERIFY(QFile::exists(path));

        // File > Plugins > Load, the plug-in dialog answered with the saved file.
        QString loadTitle;
        w.editor().runDialog = [&](QFileDialog &d) {
            loadTitle = d.objectName();
            d.selectFile(path);
            return true;
        };
        w.find<QAction>(QStringLiteral("PLoad"))->trigger();
        QCOMPARE(loadTitle, QStringLiteral("OVLP"));
        QCOMPARE(w.find<QLabel>(QStringLiteral("LbNfo"))->text(), QStringLiteral("Fonts found in fonts.bin"));
        const std::vector<FontCandidate> &fonts = dialog->candidates();
        QCOMPARE(fonts.size(), image.fonts.size());
        for (int n = 1; n <= 12; ++n) {
            const QByteArray name = "bt" + QByteArray::number(n);
            auto *button = w.find<QPushButton>(QString::fromLatin1(name));
            QVERIFY(button);
            if (n > int(fonts.size())) {
                QCOMPARE(button->text(), QStringLiteral("-"));
                continue;
            }
            QCOMPARE(button->text(), QString(QLatin1Char("123456789ABC"[n - 1])));
            const FontCandidate &font = fonts[size_t(n - 1)];
            QVERIFY(button->toolTip().contains(QString::fromStdString(hex8(font.start))));
            // Away from the font, then the button brings the view back onto it.
            loadImage(w, image.bytes);
            test::clickButton(w, name.constData());
            const EditorState &s = w.state();
            QCOMPARE(int64_t{s.viewOffset}, font.start);
            QCOMPARE(int64_t{s.glyphOffset}, font.start);
            QCOMPARE(int(s.charWidth), font.format.width);
            QCOMPARE(int(s.charHeight), font.format.height);
            QCOMPARE(s.flag(Flag::SkipSpareByte), font.format.spare);
            QCOMPARE(s.flag(Flag::SwapBytes), font.format.swap);
            QCOMPARE(s.glyph, test::storedGlyph(s));
        }
    }

    void saveAllWithoutTouchingTheListGivesAButtonForEachFont()
    {
        test::Window w;
        const test::GeneratedImage image = test::generateFirmwareImage(41, 2 << 20, 5);
        loadImage(w, image.bytes);
        FindFontsDialog *dialog = findFonts(w);
        auto *save = dialog->findChild<QPushButton *>(QStringLiteral("btSavePlugin"));
        QCOMPARE(save->text(), QStringLiteral("Save all as plug-in..."));
        const QString path = w.dir.filePath(QStringLiteral("plugins/all.vlp"));
        w.editor().runDialog = [&](QFileDialog &d) {
            d.selectFile(path);
            return true;
        };
        QTest::mouseClick(save, Qt::LeftButton);
        test::runWithFile(w, "PLoad", path);
        QCOMPARE(dialog->candidates().size(), image.fonts.size());
        std::set<int64_t> landed;
        for (size_t n = 0; n < image.fonts.size(); ++n) {
            loadImage(w, image.bytes);
            test::clickButton(w, ("bt" + std::to_string(n + 1)).c_str());
            const EditorState &s = w.state();
            const FontFormat format{s.charWidth, s.charHeight, s.flag(Flag::SkipSpareByte), s.flag(Flag::SwapBytes)};
            QVERIFY2(std::any_of(image.fonts.begin(), image.fonts.end(),
                                 [&](const test::PlantedFont &f) { return f.start == s.viewOffset && f.format == format; }),
                     qPrintable(QString::fromStdString(hex8(s.viewOffset))));
            landed.insert(s.viewOffset);
        }
        QCOMPARE(landed.size(), image.fonts.size());
        // Selected rows change what the button saves.
        foundFonts(dialog)->selectionModel()->select(foundFonts(dialog)->model()->index(0, 0),
                                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QCOMPARE(save->text(), QStringLiteral("Save selected as plug-in..."));
    }

    // The first scan looks in the layouts without widths too, and unchecking
    // "Layouts without widths" scans again for the width-byte layout alone;
    // a saved plug-in's button puts the found font's format string into effect.
    void aPluginButtonLandsOnALayoutFont()
    {
        test::Window w;
        std::vector<uint8_t> bytes = test::firmwareBackground(3, 512 << 10);
        test::plantCellFont(bytes, 0x20004, "Lat15-VGA14.psf.gz", Layout::Rows, false, 160);
        loadImage(w, bytes);
        FindFontsDialog *dialog = findFonts(w);
        QSignalSpy finished(dialog, &FindFontsDialog::scanFinished);
        auto *layouts = dialog->findChild<QCheckBox *>(QStringLiteral("FindLayouts"));
        QVERIFY(layouts->isChecked());
        layouts->click();
        QVERIFY(finished.wait(120000));
        QVERIFY(dialog->candidates().empty());
        layouts->click();
        QVERIFY(finished.wait(120000));
        QCOMPARE(dialog->candidates().size(), size_t(1));
        QCOMPARE(dialog->findChild<QLabel *>(QStringLiteral("ScanStatus"))->text(), QStringLiteral("1 font found"));
        const FontCandidate font = dialog->candidates()[0];
        QCOMPARE(formatText(font.format), std::string("8x14,rows"));
        QCOMPARE(cellText(foundFonts(dialog), 0, 1), QStringLiteral("8x14,rows"));

        const QString path = w.dir.filePath(QStringLiteral("plugins/layouts.vlp"));
        w.editor().runDialog = [&](QFileDialog &d) {
            d.selectFile(path);
            return true;
        };
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("btSavePlugin")), Qt::LeftButton);
        test::runWithFile(w, "PLoad", path);
        loadImage(w, bytes);
        test::clickButton(w, "bt1");
        QCOMPARE(int64_t{w.state().viewOffset}, font.start);
        QCOMPARE(w.find<QLineEdit>(QStringLiteral("FormatText"))->text(), QStringLiteral("8x14,rows"));
        QCOMPARE(w.state().glyph, test::storedGlyph(w.state()));
    }

    void cancelStopsTheScan()
    {
        test::Window w;
        loadImage(w, test::backgroundImage(5, 12 << 20, test::Background::Noise));
        w.find<QAction>(QStringLiteral("FindFonts1"))->trigger();
        auto *dialog = w.find<FindFontsDialog>(QStringLiteral("FindFontsDialog"));
        QVERIFY(dialog->scanning());
        QSignalSpy finished(dialog, &FindFontsDialog::scanFinished);
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("btCancelScan")), Qt::LeftButton);
        QVERIFY(finished.wait(60000));
        QVERIFY(!dialog->scanning());
        QCOMPARE(dialog->findChild<QLabel *>(QStringLiteral("ScanStatus"))->text(), QStringLiteral("Scan cancelled"));
        QCOMPARE(foundFonts(dialog)->model()->rowCount(), 0);
        QVERIFY(dialog->findChild<QPushButton *>(QStringLiteral("btScanAgain"))->isEnabled());
    }

private:
    static bool s_imageUnchanged(test::Window &w, const std::vector<uint8_t> &bytes) { return w.state().image.bytes() == bytes; }
};

QTEST_MAIN(FindFontsDialogTest)
#include "test_find_fonts_dialog.moc"
