// Writes a picture of the text preview with a two-line phrase in the demo
// image's 8 x 13 font. Usage: text_preview_shot OUT.png
#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QSpinBox>

#include "characters/text_preview_dialog.h"
#include "demo/demo_firmware.h"
#include "presets/format_controls.h"
#include "support/window_fixture.h"
#include "views/memory_overview.h"
#include "views/refresh.h"

using namespace velmora;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 2)
        return 2;
    const QString out = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    test::Window w;
    w.state().image.replace(demo::demoImage());
    applyFormat(w.editor(), 8, 13);
    w.state().viewOffset = demo::demoFonts[0].offset;
    selectFirstChar(w.editor());
    readAtOffset(w.editor());
    w.find<QAction>("TextPreview1")->trigger();
    auto *d = w.find<TextPreviewDialog>("TextPreviewDialog");
    d->findChild<QPlainTextEdit *>("SampleText")->setPlainText(QStringLiteral("Hello, world!\nCall me at 10:45 \U0001F600"));
    d->findChild<QSpinBox *>("PreviewZoom")->setValue(2);
    d->findChild<QSpinBox *>("ScreenWidth")->setValue(100);
    d->resize(560, 330);
    QApplication::processEvents();
    return d->grab().save(out) ? 0 : 1;
}
