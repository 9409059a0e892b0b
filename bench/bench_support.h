#pragma once
// What the timing programs share: the offscreen platform, a working folder
// with an empty settings file (start-up reads it and reports nothing), the
// patterned images they time on, and medians.
#include <algorithm>
#include <cstdint>
#include <vector>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace velmora::bench {

// Runs on the offscreen platform unless QT_QPA_PLATFORM names another.
inline void useOffscreenPlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// A temporary folder holding an empty velmora.ini, made the working folder.
class SettingsFolder {
public:
    SettingsFolder()
    {
        QFile settings(dir_.filePath(QStringLiteral("velmora.ini")));
        ready_ = settings.open(QIODevice::WriteOnly);
        settings.close();
        ready_ = ready_ && QDir::setCurrent(dir_.path());
    }
    bool ready() const { return ready_; }
    QString filePath(const QString &name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
    bool ready_ = false;
};

// size pseudo-random bytes, the same for the same seed.
inline std::vector<uint8_t> patternedImage(size_t size, uint32_t seed = 0x12345678)
{
    std::vector<uint8_t> bytes(size);
    uint32_t x = seed;
    for (auto &b : bytes) {
        x = x * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(x >> 24);
    }
    return bytes;
}

// The value at fraction of the sorted times (0.5: the median).
inline double percentile(std::vector<double> times, double fraction)
{
    std::sort(times.begin(), times.end());
    return times.empty() ? 0 : times[static_cast<size_t>(static_cast<double>(times.size()) * fraction)];
}

} // namespace velmora::bench
