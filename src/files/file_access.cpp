#include "files/file_access.h"

#include <cerrno>
#include <cstdio>
#include <limits>

#include "model/errors.h"

namespace velmora {

std::vector<uint8_t> readWholeFile(const QString &path)
{
    errno = 0;
    std::FILE *file = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!file)
        throw FileError::fromErrno(errno ? errno : ENOENT);
    struct Closer { std::FILE *f; ~Closer() { std::fclose(f); } } closer{file};

    if (std::fseek(file, 0, SEEK_END) != 0)
        throw FileError::fromErrno(errno);
    const long size = std::ftell(file);
    if (size < 0)
        throw FileError::fromErrno(errno);
    if (size > std::numeric_limits<int32_t>::max())
        throw EditorError("File too large: images of up to 2 GB can be opened");
    std::rewind(file);

    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (!bytes.empty() && std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size())
        throw std::ferror(file) ? FileError::fromErrno(errno) : FileError(100);
    return bytes;
}

} // namespace velmora
