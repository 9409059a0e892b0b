#include "cli/output_file.h"

#include <QFileInfo>

#include "cli/arguments.h"
#include "storage/file_access.h"

namespace velmora::cli {

void refuseInputAsOutput(const QString &path, const QStringList &inputs)
{
    const QFileInfo out(path);
    for (const QString &input : inputs) {
        const QFileInfo in(input);
        const bool same = out.exists() && in.exists() ? out.canonicalFilePath() == in.canonicalFilePath()
                                                      : out.absoluteFilePath() == in.absoluteFilePath();
        if (same)
            throw UsageError("-o names the input '" + input.toStdString() + "'; the input is never written");
    }
}

void writeOutput(const QString &path, const QStringList &inputs, std::span<const uint8_t> bytes)
{
    refuseInputAsOutput(path, inputs);
    writeWholeFile(path, bytes);
}

} // namespace velmora::cli
