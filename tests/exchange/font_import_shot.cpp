// Writes a picture of the font-import dialog with its preview filled:
// DejaVu Sans "A" onwards in the 16 x 16 format. Usage: font_import_shot OUT.png
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFontDatabase>
#include <QLineEdit>
#include <QSpinBox>
#include <QTemporaryDir>

#include "exchange/font_import_dialog.h"
#include "views/refresh.h"
#include "presets/format_controls.h"
#include "support/window_fixture.h"

using namespace velmora;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 2)
        return 2;
    const QString out = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"));
    test::Window w;
    w.state().image.replace(std::vector<uint8_t>(65536, 0));
    applyFormat(w.editor(), 16, 16);
    readAtOffset(w.editor());
    w.find<QAction>("ImportFont1")->trigger();
    auto *d = w.find<FontImportDialog>("FontImportDialog");
    d->findChild<QComboBox *>("FontFamily")->setCurrentText(QStringLiteral("DejaVu Sans"));
    d->findChild<QSpinBox *>("FontPixelSize")->setValue(13);
    d->findChild<QLineEdit *>("FirstChar")->setText(QStringLiteral("A"));
    d->findChild<QSpinBox *>("CharCount")->setValue(48);
    d->findChild<QSpinBox *>("VerticalOffset")->setValue(0);
    d->adjustSize();
    QApplication::processEvents();
    return d->grab().save(out) ? 0 : 1;
}
