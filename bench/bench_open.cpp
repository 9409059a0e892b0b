// Times Open of a generated 12 MB firmware image (the dialog answered at
// once, so what is timed is the read, the identification with its settings
// search, and the re-read), in turn with a C program's read of the same file
// into a fresh buffer, and measures the peak resident memory when a 12 MB
// image is opened over another. Runs the real main window offscreen.

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QFileDialog>

#include "app/main_window.h"
#include "bench_support.h"
#include "files/firmware_info.h"
#include "files/image_files.h"
#include "storage/file_access.h"
#include "views/refresh.h"

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

// What a C program does to read a file: a fresh buffer from malloc, one read
// loop, the buffer freed. Returns false when the file cannot be read whole.
bool readAsCDoes(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return false;
    auto *buffer = static_cast<unsigned char *>(std::malloc(imageSize));
    qint64 done = 0;
    while (buffer && done < imageSize) {
        const ssize_t n = ::read(fd, buffer + done, static_cast<size_t>(imageSize - done));
        if (n <= 0)
            break;
        done += n;
    }
    ::close(fd);
    const bool whole = buffer && done == imageSize;
    std::free(buffer);
    return whole;
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
    // The user's choice is put into the dialog before the clock starts: what
    // is timed is Open itself, not the dialog taking the choice.
    e.runDialog = [](QFileDialog &) { return true; };
    auto choose = [&](int which) { e.ui.OD->selectFile(paths[which]); };
    auto open = [&](int which) {
        choose(which);
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
    std::vector<double> reads;
    for (int i = 0; i < 400; ++i) {
        choose(i % 2);
        const auto start = Clock::now();
        form.run(OpenClick);
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        QApplication::processEvents();
        const auto readStart = Clock::now();
        if (!readAsCDoes(paths[i % 2]))
            return 1;
        reads.push_back(std::chrono::duration<double, std::milli>(Clock::now() - readStart).count());
    }
    std::printf("%-46s median %8.2f ms   p90 %8.2f ms   (%zu runs)\n", "Open of a 12 MB firmware image",
                bench::percentile(times, 0.5), bench::percentile(times, 0.9), times.size());
    std::printf("%-46s median %8.2f ms   p90 %8.2f ms   (%zu runs, in turn with Open)\n",
                "C read of the same file into a fresh buffer", bench::percentile(reads, 0.5),
                bench::percentile(reads, 0.9), reads.size());
    std::printf("Open / C read (medians): %.2f x\n", bench::percentile(times, 0.5) / bench::percentile(reads, 0.5));

    // The parts of an Open: the read into the image's memory, then the views.
    const auto part = [&](const char *name, const std::function<void()> &run) {
        std::vector<double> runs;
        for (int i = 0; i < 40; ++i) {
            const auto start = Clock::now();
            run();
            runs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            QApplication::processEvents();
        }
        std::printf("  %-44s median %8.2f ms\n", name, bench::percentile(runs, 0.5));
    };
    part("readImageFile", [&] { ImageStore bytes = readImageFile(paths[0]); });
    part("readAtOffset", [&] { readAtOffset(e); });
    part("redrawAll", [&] { redrawAll(e); });
    part("identifyFirmware", [&] { form.run(identifyFirmware); });
    return 0;
}
