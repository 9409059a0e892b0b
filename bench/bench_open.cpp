// Times Open of a generated 12 MB firmware image (the dialog answered at
// once, so what is timed is the read, the identification with its settings
// search, and the re-read), and measures the peak resident memory when a
// 12 MB image is opened over another. Runs the real main window offscreen.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <QApplication>
#include <QFileDialog>

#include "app/main_window.h"
#include "bench_support.h"
#include "files/image_files.h"

using namespace velmora;

namespace {

using Clock = std::chrono::steady_clock;
constexpr qint64 imageSize = 12 * 1024 * 1024;

// A patterned image carrying the firmware marker block in megabyte 5.
QByteArray firmwareImage(uint32_t seed)
{
    const std::vector<uint8_t> pattern = bench::patternedImage(imageSize, seed);
    QByteArray bytes(reinterpret_cast<const char *>(pattern.data()), imageSize);
    const qint64 base = 5 * 0x100000;
    bytes[base + 0x7FF50] = 0x3A;
    bytes.replace(base + 0x7FF60, 7, "123456 ", 7);
    bytes.replace(base + 0x7FF70, 7, "R47    ", 7);
    bytes.replace(base + 0x7FF80, 7, "VELMORA", 7);
    return bytes;
}

// A field of /proc/self/status in kilobytes (VmRSS, VmHWM).
long statusKilobytes(const char *field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0)
            return std::stol(line.substr(key.size()));
    return -1;
}

// Starts a new peak: VmHWM becomes the current resident size.
void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

} // namespace

int main(int argc, char **argv)
{
    bench::useOffscreenPlatform();
    QApplication app(argc, argv);

    const bench::SettingsFolder dir;
    if (!dir.ready())
        return 1;
    const QString paths[2] = {dir.filePath(QStringLiteral("first.bin")), dir.filePath(QStringLiteral("second.bin"))};
    for (int i = 0; i < 2; ++i) {
        QFile file(paths[i]);
        if (!file.open(QIODevice::WriteOnly) || file.write(firmwareImage(0x1234u + i)) != imageSize)
            return 1;
    }

    TForm1 form;
    form.show();
    QApplication::processEvents();
    Editor &e = form.editor();
    QString next;
    e.runDialog = [&next](QFileDialog &dialog) {
        dialog.selectFile(next);
        return true;
    };
    auto open = [&](int which) {
        next = paths[which];
        form.run(OpenClick);
    };

    open(0);
    QApplication::processEvents();
    const long before = statusKilobytes("VmRSS");
    resetPeak();
    open(1);
    const long peak = statusKilobytes("VmHWM");
    const double growth = (peak - before) * 1024.0;
    std::printf("resident before the second Open %8ld kB, peak during it %8ld kB: grows by %.2f x the image size\n",
                before, peak, growth / imageSize);
    if (e.state.imageLength() != imageSize)
        return 1;

    std::vector<double> times;
    for (int i = 0; i < 40; ++i) {
        const auto start = Clock::now();
        open(i % 2);
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        QApplication::processEvents();
    }
    std::printf("%-46s median %8.2f ms   p90 %8.2f ms   (%zu runs)\n", "Open of a 12 MB firmware image",
                bench::percentile(times, 0.5), bench::percentile(times, 0.9), times.size());
    return 0;
}
