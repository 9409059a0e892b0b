// Times `velmora export` of a 4096-character sheet of a 12 MB image as a whole
// process, start-up and the atomic save included, as a script runs it. Run it
// from a Release build.

#include <chrono>
#include <cstdio>
#include <vector>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>

#include "bench_support.h"

using namespace velmora;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    bench::SettingsFolder folder;
    const std::vector<uint8_t> bytes = bench::patternedImage(12 * 0x100000);
    QFile image(folder.filePath(QStringLiteral("image.bin")));
    if (!folder.ready() || !image.open(QIODevice::WriteOnly)
        || image.write(reinterpret_cast<const char *>(bytes.data()), static_cast<qint64>(bytes.size())) != qint64(bytes.size()))
        return 1;
    image.close();

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    for (const char *format : {"8x13", "16x16,spare"}) {
        std::vector<double> times;
        for (int run = 0; run < 11; ++run) {
            QProcess process;
            process.setProcessEnvironment(environment);
            const auto start = std::chrono::steady_clock::now();
            process.start(QStringLiteral(VELMORA_BINARY),
                          {QStringLiteral("export"), image.fileName(), QStringLiteral("--at"), QStringLiteral("$400000"),
                           QStringLiteral("--format"), QString::fromLatin1(format), QStringLiteral("--count"),
                           QStringLiteral("4096"), QStringLiteral("-o"), folder.filePath(QStringLiteral("sheet.png"))});
            if (!process.waitForFinished(60000) || process.exitCode() != 0) {
                std::fprintf(stderr, "velmora export failed: %s\n", process.readAllStandardError().constData());
                return 1;
            }
            times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
        std::printf("velmora export, 4096 chars %-11s of 12 MB: median %6.1f ms, slowest %6.1f ms (11 runs)\n", format,
                    bench::percentile(times, 0.5), bench::percentile(times, 0.99));
    }
    return 0;
}
