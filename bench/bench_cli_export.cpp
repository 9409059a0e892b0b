// Times `velmora export` of a 4096-character sheet of a 12 MB image as a whole
// process, start-up and the atomic save included, as a script runs it, against
// `velmora --version` (the process start alone). Run it from a Release build;
// an argument names another velmora binary to time instead.

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

    const QString binary = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(VELMORA_BINARY);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    // Median time of 11 runs of the binary with arguments; negative when it fails.
    const auto timed = [&](const QStringList &arguments, double *slowest) {
        std::vector<double> times;
        for (int run = 0; run < 11; ++run) {
            QProcess process;
            process.setProcessEnvironment(environment);
            const auto start = std::chrono::steady_clock::now();
            process.start(binary, arguments);
            if (!process.waitForFinished(60000) || process.exitCode() != 0) {
                std::fprintf(stderr, "velmora %s failed: %s\n", qPrintable(arguments.value(0)),
                             process.readAllStandardError().constData());
                return -1.0;
            }
            times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
        if (slowest)
            *slowest = bench::percentile(times, 0.99);
        return bench::percentile(times, 0.5);
    };
    const double version = timed({QStringLiteral("--version")}, nullptr);
    if (version < 0)
        return 1;
    std::printf("velmora --version:                              median %6.1f ms (11 runs)\n", version);
    for (const char *format : {"8x13", "16x16,spare"}) {
        double slowest = 0;
        const double median = timed({QStringLiteral("export"), image.fileName(), QStringLiteral("--at"), QStringLiteral("$400000"),
                                     QStringLiteral("--format"), QString::fromLatin1(format), QStringLiteral("--count"),
                                     QStringLiteral("4096"), QStringLiteral("-o"), folder.filePath(QStringLiteral("sheet.png"))},
                                    &slowest);
        if (median < 0)
            return 1;
        std::printf("velmora export, 4096 chars %-11s of 12 MB: median %6.1f ms, slowest %6.1f ms (11 runs), %.2f x --version\n",
                    format, median, slowest, median / version);
    }
    return 0;
}
