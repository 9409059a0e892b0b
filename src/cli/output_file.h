#pragma once
#include <cstdint>
#include <span>

#include <QStringList>

namespace velmora::cli {

// Refuses (UsageError) an output name that is one of the inputs: an input is
// never written, not even through another name for the same file.
void refuseInputAsOutput(const QString &path, const QStringList &inputs);

// Refuses (EditorError) an output whose folder does not exist, so that a
// mistyped folder is named as such before any work is done.
void refuseMissingFolder(const QString &path);

// Writes bytes to the file named by -o through the editor's atomic save,
// after refuseInputAsOutput.
void writeOutput(const QString &path, const QStringList &inputs, std::span<const uint8_t> bytes);

} // namespace velmora::cli
