// Times undo and redo of the steps a user waits for on a 12 MB image (a True
// Char Map page pass and a 1 MB merge), and measures the memory the history
// holds after 10,000 one-pixel AutoWrite edits. Runs the real main window
// offscreen; run it from a Release build.

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QMouseEvent>

#include "app/main_window.h"
#include "bench_support.h"
#include "app/undo_layer.h"
#include "editing/glyph_commands.h"
#include "files/image_files.h"
#include "model/format.h"
#include "views/canvas_widget.h"
#include "views/refresh.h"

using namespace velmora;

namespace {

using Clock = std::chrono::steady_clock;

double micros(Clock::time_point start) { return std::chrono::duration<double, std::micro>(Clock::now() - start).count(); }

// Runs undo and redo of the top step runs times each; prints both medians.
void measureUndoRedo(const char *what, int runs, const std::function<void()> &undo, const std::function<void()> &redo)
{
    std::vector<double> undos;
    std::vector<double> redos;
    for (int i = 0; i < runs; ++i) {
        auto start = Clock::now();
        undo();
        undos.push_back(micros(start));
        start = Clock::now();
        redo();
        redos.push_back(micros(start));
        if (i % 16 == 15)
            QApplication::processEvents();
    }
    std::printf("%-52s undo median %9.1f us   redo median %9.1f us   (%d runs)\n", what,
                bench::percentile(undos, 0.5), bench::percentile(redos, 0.5), runs);
}

void sendMouse(QWidget *widget, QEvent::Type type, Qt::MouseButton button, QPoint position)
{
    QMouseEvent event(type, QPointF(position), widget->mapToGlobal(QPointF(position)), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button), Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

size_t heapInUse() { return mallinfo2().uordblks; }

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
    UndoLayer &layer = form.undoLayer();
    s.image.replace(bench::patternedImage(12 * 1024 * 1024, 0x12345678));
    s.blockStart = 0;
    s.blockEnd = s.imageLength() - 1;
    s.viewOffset = s.glyphOffset = 6 * 1024 * 1024;
    readAtOffset(e);

    // True Char Map on a page in the middle of the image.
    layer.step("True Char Map", TrueCharMap1Click);
    std::printf("True Char Map step: %zu bytes changed\n", e.history.step(0).bytes.changedBytes());
    measureUndoRedo("True Char Map, history only", 2000, [&] { e.history.undo(s); }, [&] { e.history.redo(s); });
    measureUndoRedo("True Char Map, with the window redrawn", 2000, [&] { layer.undo(); }, [&] { layer.redo(); });

    // A 1 MB merge at the view offset, through the Merge command.
    const QString part = dir.filePath(QStringLiteral("part.bin"));
    {
        QFile file(part);
        const std::vector<uint8_t> bytes = bench::patternedImage(1024 * 1024, 0xCAFEF00D);
        if (!file.open(QIODevice::WriteOnly)
            || file.write(reinterpret_cast<const char *>(bytes.data()), static_cast<qint64>(bytes.size())) != qint64(bytes.size()))
            return 1;
    }
    e.runDialog = [part](QFileDialog &dialog) {
        dialog.selectFile(part);
        return true;
    };
    auto start = Clock::now();
    layer.step("Merge", MergeIn);
    std::printf("Merge step: %zu bytes changed, %.1f us for the whole command with its recording\n",
                e.history.step(e.history.count() - 1).bytes.changedBytes(), micros(start));
    measureUndoRedo("1 MB merge, history only", 200, [&] { e.history.undo(s); }, [&] { e.history.redo(s); });
    measureUndoRedo("1 MB merge, with the window redrawn", 200, [&] { layer.undo(); }, [&] { layer.redo(); });

    // 10,000 one-pixel edits with AutoWrite, each a press and release of the
    // middle button (toggle) on a cell of the glyph at G.
    e.history.clear();
    layer.sync();
    form.findChild<QAction *>(QStringLiteral("AWrite"))->setChecked(true);
    QApplication::processEvents();
    QWidget *img = e.ui.Img;
    const size_t heapBefore = heapInUse();
    start = Clock::now();
    for (int i = 0; i < 10000; ++i) {
        const QPoint cell(18 * (i % 8) + 9, 18 * (1 + (i / 8) % 12) + 9);
        sendMouse(img, QEvent::MouseButtonPress, Qt::MiddleButton, cell);
        sendMouse(img, QEvent::MouseButtonRelease, Qt::MiddleButton, cell);
        if (i % 64 == 63)
            QApplication::processEvents();
    }
    QApplication::processEvents();
    const size_t heapAfter = heapInUse();
    std::printf("10,000 one-pixel AutoWrite edits: %zu steps, %.0f us per edit\n", e.history.count(),
                micros(start) / 10000);
    std::printf("  recorded bytes %zu, model history %zu bytes, heap growth (history and undo stack) %zu bytes\n",
                e.history.recordedBytes(), e.history.memoryUsage(), heapAfter - heapBefore);
    return 0;
}
