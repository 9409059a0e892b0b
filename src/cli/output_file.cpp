#include "cli/output_file.h"

#include <QFileInfo>

#include "cli/arguments.h"
#include "model/errors.h"
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

void refuseMissingFolder(const QString &path)
{
    const QFileInfo folder(QFileInfo(path).path());
    if (!folder.isDir())
        throw EditorError("Folder " + folder.filePath().toStdString() + " does not exist");
}

void writeOutput(const QString &path, const QStringList &inputs, std::span<const uint8_t> bytes)
{
    refuseInputAsOutput(path, inputs);
    writeWholeFile(path, bytes);
}

} // namespace velmora::cli
