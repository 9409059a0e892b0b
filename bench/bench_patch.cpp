// Times comparing with a reference and applying patches on a 12 MB image:
// the count of differences with the marks of a page (what "Compare with..."
// does once the reference is read), and "Apply patch..." of 1 MB of changes
// in each format, through the real main window offscreen, with undo
// recording. Run it from a Release build.

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>

#include "app/main_window.h"
#include "bench_support.h"
#include "patch/byte_runs.h"
#include "patch/patch_format.h"
#include "storage/file_access.h"
#include "views/canvas_widget.h"
#include "views/memory_overview.h"
#include "views/refresh.h"

using namespace velmora;

namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t imageSize = 12 * 1024 * 1024;

double millis(Clock::time_point start) { return std::chrono::duration<double, std::milli>(Clock::now() - start).count(); }

void report(const char *what, std::vector<double> times)
{
    std::printf("%-58s median %8.2f ms   worst %8.2f ms   (%zu runs)\n", what, bench::percentile(times, 0.5),
                bench::percentile(times, 0.999), times.size());
}

std::vector<double> timed(int runs, const std::function<void()> &before, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        before();
        const auto start = Clock::now();
        work();
        times.push_back(millis(start));
        QApplication::processEvents();
    }
    return times;
}

// 16384 runs of 64 changed bytes, spread over the image: 1 MB of changes.
std::vector<uint8_t> withChanges(std::vector<uint8_t> bytes)
{
    const size_t runs = 16384;
    const size_t gap = bytes.size() / runs;
    for (size_t r = 0; r < runs; ++r)
        for (size_t i = 0; i < 64; ++i)
            bytes[r * gap + i] ^= 0x5A;
    return bytes;
}

} // namespace

int main(int argc, char **argv)
{
    bench::useOffscreenPlatform();
    QApplication app(argc, argv);
    bench::SettingsFolder folder;
    if (!folder.ready())
        return 1;
    TForm1 window;
    window.show();
    QApplication::processEvents();
    Editor &e = window.editor();

    const std::vector<uint8_t> original = bench::patternedImage(imageSize);
    const std::vector<uint8_t> modified = withChanges(original);
    e.state.image.replace(original);
    e.state.charWidth = 16;
    e.state.charHeight = 16;
    readAtOffset(e);

    // The reference arrives whole; counting its differences and drawing the
    // page with its marks is what the user waits for after the read.
    const auto reference = std::make_shared<const std::vector<uint8_t>>(modified);
    report("compare 12 MB with a reference, marks of a page", timed(30, [&] { e.state.reference = {}; }, [&] {
               e.state.reference = {reference, "reference.bin"};
               redrawAll(e);
           }));
    patch::DifferenceCount count;
    report("  of which the count of differing bytes and runs", timed(30, [] {}, [&] {
               count = patch::countDifferences(e.state.image.bytes(), *reference);
           }));
    std::printf("  (%zu bytes differ, in %zu runs)\n", count.bytes, count.runs);
    report("  of which the overview page with its marks", timed(200, [] {}, [&] {
               drawOverview(e.ui.MemImg->canvas(), e.ui.thumbnail, e.state, 2);
           }));
    e.state.reference = {};

    e.runDialog = [](QFileDialog &) { return true; };
    QAction *apply = window.findChild<QAction *>(QStringLiteral("ApplyPatch1"));
    QAction *undo = window.findChild<QAction *>(QStringLiteral("Undo1"));
    for (const patch::PatchFormat *format : patch::patchFormats()) {
        const QString path = folder.filePath(QStringLiteral("changes.") + QString::fromUtf8(format->extension().data()));
        writeWholeFile(path, format->write(original, modified));
        e.runDialog = [path](QFileDialog &dialog) {
            dialog.selectFile(path);
            return true;
        };
        const std::string what = "apply 1 MB of changes, " + std::string(format->name()) + " patch of "
                                 + std::to_string(QFileInfo(path).size() / 1024) + " KB";
        report(what.c_str(), timed(15, [&] {
                   if (undo->isEnabled())
                       undo->trigger();
               }, [&] { apply->trigger(); }));
        if (e.state.image.bytes() != modified)
            std::printf("  the patched image differs from the modified one\n");
    }
    return 0;
}
