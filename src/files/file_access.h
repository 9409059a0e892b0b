#pragma once
#include <cstdint>
#include <vector>

#include <QFile>
#include <QString>

namespace velmora {

// Reads a whole file with read-only access. Throws FileError with the code
// matching the failure ("File not found", "File access denied", ...).
std::vector<uint8_t> readWholeFile(const QString &path);

} // namespace velmora
