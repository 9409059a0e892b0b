// Times the text preview following a pixel edit: 200 characters in 4 lines
// of a 12 MB image, drawn again after one cell of the edit grid changes
// (the grid cell, the small preview, the width fields and the text preview,
// whose canvas is painted at once). Runs the real window offscreen.

#include <chrono>
#include <functional>
#include <cstdio>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QPlainTextEdit>
#include <QSpinBox>

#include "app/main_window.h"
#include "bench_support.h"
#include "characters/text_preview_dialog.h"
#include "presets/format_controls.h"
#include "views/edit_grid.h"
#include "views/memory_overview.h"
#include "views/refresh.h"

using namespace velmora;

namespace {

using Clock = std::chrono::steady_clock;

// Median and 90th percentile in milliseconds of runs calls of step(i).
void measure(const char *what, int runs, const std::function<void(int)> &step)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        step(i);
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::printf("%-52s median %6.3f ms, 90%% %6.3f ms\n", what, bench::percentile(times, 0.5),
                bench::percentile(times, 0.9));
}

} // namespace

int main(int argc, char **argv)
{
    bench::useOffscreenPlatform();
    QApplication app(argc, argv);
    bench::SettingsFolder folder;
    if (!folder.ready())
        return 1;
    TForm1 form;
    form.show();
    Editor &e = form.editor();
    e.state.image.replace(bench::patternedImage(12u * 1024 * 1024));
    for (const auto &[width, height] : {std::pair{8, 13}, std::pair{16, 16}}) {
        applyFormat(e, width, height);
        e.state.viewOffset = e.state.imageLength() / 2;
        selectFirstChar(e);
        readAtOffset(e);
        form.findChild<QAction *>(QStringLiteral("TextPreview1"))->trigger();
        auto *preview = form.findChild<TextPreviewDialog *>(QStringLiteral("TextPreviewDialog"));
        QString text;
        for (int line = 0; line < 4; ++line) {
            for (int k = 0; k < 50; ++k)
                text += QChar(0x20 + (line * 50 + k) % 95);
            text += line < 3 ? QStringLiteral("\n") : QString();
        }
        preview->findChild<QPlainTextEdit *>(QStringLiteral("SampleText"))->setPlainText(text);
        preview->findChild<QSpinBox *>(QStringLiteral("PreviewZoom"))->setValue(2);
        QWidget *canvas = preview->findChild<QWidget *>(QStringLiteral("PreviewCanvas"));
        QApplication::processEvents();

        char label[80];
        std::snprintf(label, sizeof label, "%dx%d text preview alone", width, height);
        measure(label, 400, [&](int) {
            preview->refresh();
            canvas->repaint();
        });
        std::snprintf(label, sizeof label, "%dx%d pixel edit, text preview painted", width, height);
        measure(label, 400, [&](int i) {
            e.state.drawMode = DrawToggle;
            paintCell(e, 18 * (1 + i % 6) + 9, 18 * (2 + i % 8) + 9);
            canvas->repaint();
        });
        preview->hide();
        std::snprintf(label, sizeof label, "%dx%d pixel edit, text preview closed", width, height);
        measure(label, 400, [&](int i) {
            e.state.drawMode = DrawToggle;
            paintCell(e, 18 * (1 + i % 6) + 9, 18 * (2 + i % 8) + 9);
        });
    }
    return 0;
}
