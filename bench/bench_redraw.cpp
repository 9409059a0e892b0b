// Times the paths a user waits for: a full re-read of a page (readAtOffset,
// which ends in redrawAll), one painted cell of a drag, a page step, a roll of
// the whole page ("CharMap") and "True Char Map". Runs the real main window
// offscreen on a 12 MB patterned image.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

#include <QApplication>

#include "app/main_window.h"
#include "bench_support.h"
#include "editing/glyph_commands.h"
#include "model/format.h"
#include "navigation/offset_navigation.h"
#include "presets/format_controls.h"
#include "views/canvas_widget.h"
#include "views/edit_grid.h"
#include "views/hex_entry.h"
#include "views/memory_overview.h"
#include "views/preview.h"
#include "views/refresh.h"
#include "views/width_fields.h"

#include <QCheckBox>
#include <QLabel>

using namespace velmora;

namespace {

using Clock = std::chrono::steady_clock;

// Microseconds of processor time used by this thread: unlike the wall
// clock, it does not count the time other processes take from a shared machine.
double threadMicroseconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

// Median and 90th percentile in microseconds of runs calls of step(i), on
// the wall clock, and the median of the thread's processor time.
void measure(const char *what, int runs, const std::function<void(int)> &step)
{
    std::vector<double> times, cpu;
    times.reserve(static_cast<size_t>(runs));
    cpu.reserve(static_cast<size_t>(runs));
    for (int i = 0; i < runs; ++i) {
        const double cpuStart = threadMicroseconds();
        const auto start = Clock::now();
        step(i);
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        cpu.push_back(threadMicroseconds() - cpuStart);
        if (i % 64 == 63)
            QApplication::processEvents(); // let scheduled updates paint outside the timed part
    }
    std::printf("%-46s median %8.2f us   p90 %8.2f us   cpu %8.2f us   (%d runs)\n", what,
                bench::percentile(times, 0.5), bench::percentile(times, 0.9), bench::percentile(cpu, 0.5), runs);
}

} // namespace

int main(int argc, char **argv)
{
    bench::useOffscreenPlatform();
    QApplication app(argc, argv);

    const bench::SettingsFolder dir;
    if (!dir.ready())
        return 1;

    TForm1 form;
    form.show();
    QApplication::processEvents();
    Editor &e = form.editor();
    EditorState &s = e.state;
    s.image.replace(bench::patternedImage(12 * 1024 * 1024));
    s.blockStart = 0;
    s.blockEnd = s.imageLength() - 1;
    readAtOffset(e);

    const int pages = (s.imageLength() - overviewSpan(s)) / pageStep(s);
    measure("readAtOffset (decode + redrawAll, repaints)", 2000, [&](int i) {
        s.viewOffset = s.glyphOffset = (i * 997 % pages) * pageStep(s);
        readAtOffset(e);
    });
    measure("redrawAll", 2000, [&](int) { redrawAll(e); });
    measure("  fillRowOffsets (new G each run)", 2000, [&](int i) {
        s.glyphOffset = i * 13;
        fillRowOffsets(e);
    });
    measure("  offset field text (new G each run)", 2000,
            [&](int i) { e.ui.MaskEdit1->setText(QString::number(0x10000000 + i, 16)); });
    measure("  range label text (new V each run)", 2000,
            [&](int i) { e.ui.Adrs->setText(QString::number(0x10000000 + i, 16)); });
    measure("  drawing only (grid, preview, widths, overview)", 2000, [&](int) {
        drawGrid(e);
        drawPreview(e);
        showCharWidth(e);
        drawOverview(e);
    });

    measure("  drawGrid", 2000, [&](int) { drawGrid(e); });
    measure("  drawPreview", 2000, [&](int) { drawPreview(e); });
    measure("  showCharWidth", 2000, [&](int) { showCharWidth(e); });
    measure("  drawOverview", 2000, [&](int) { drawOverview(e); });
    measure("  drawOverview canvas only", 2000, [&](int) { drawOverview(e.ui.MemImg->canvas(), e.ui.thumbnail, s, 2); });

    for (const char *name : {"ByteNo", "MemImg", "Img", "MaskEdit1", "Adrs", "ImgReel"}) {
        QWidget *w = form.findChild<QWidget *>(QString::fromLatin1(name));
        const QByteArray label = QByteArray("  repaint ") + name;
        measure(label.constData(), 2000, [&](int) { w->repaint(); });
    }

    // Handlers as a click runs them, each ending in its refresh with repaints.
    s.viewOffset = s.glyphOffset = 0;
    measure("page step (btbppClick, wraps at the end)", 2000, [&](int) {
        if (int64_t{s.viewOffset} + 2 * overviewSpan(s) > s.imageLength())
            s.viewOffset = 0;
        btbppClick(e);
    });
    // The largest glyphs: 32 x 32 pixels of 4 bits, the overview's 32
    // thumbnails decoded through the layout codec.
    applyGlyphFormat(e, parseGlyphFormat("32x32,rows,bpp4"));
    measure("page step at 32x32,rows,bpp4", 2000, [&](int) {
        if (int64_t{s.viewOffset} + 2 * overviewSpan(s) > s.imageLength())
            s.viewOffset = 0;
        btbppClick(e);
    });
    applyFormat(e, 8, 13);
    e.ui.ckCmap->setChecked(true);
    measure("CharMap roll of the page (MR)", 2000, [&](int i) { MR(e, 1 + i % 4); });
    e.ui.ckCmap->setChecked(false);
    measure("True Char Map (TrueCharMap1Click)", 2000, [&](int) { TrueCharMap1Click(e); });

    // A left drag to and fro along the pixel rows: every movement enters a
    // new cell and paints it, with the preview and width fields.
    ImgMouseMove(e, Qt::NoButton, QPoint(0, 0));
    measure("painted cell during a drag (ImgMouseMove)", 20000, [&](int i) {
        const int c = i % 8;
        const int r = 1 + (i / 8) % 12;
        ImgMouseMove(e, (i / 96) % 2 ? Qt::RightButton : Qt::LeftButton, QPoint(18 * c + 9, 18 * r + 9));
    });
    // The same, with the changed cell, preview and width fields painted on
    // the window before the next movement.
    measure("painted cell, shown on the window", 20000, [&](int i) {
        const int c = i % 8;
        const int r = 1 + (i / 8) % 12;
        ImgMouseMove(e, (i / 96) % 2 ? Qt::RightButton : Qt::LeftButton, QPoint(18 * c + 9, 18 * r + 9));
        QCoreApplication::sendPostedEvents(&form, QEvent::UpdateRequest);
    });
    return 0;
}
