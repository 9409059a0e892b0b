#include "storage/file_access.h"

#include <algorithm>
#include <cerrno>
#include <limits>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "model/errors.h"

namespace velmora {

namespace {

constexpr int64_t noLimit = -1;

[[noreturn]] void failWithErrno(int errnoValue)
{
    throw FileError::fromErrno(errnoValue != 0 ? errnoValue : EIO);
}

// POSIX calls rather than QFile, so that the error box can name the system's
// reason (QFile reports only its own coarse error kinds).
[[noreturn]] void failNotRegular(const QString &path)
{
    throw EditorError("'" + path.toStdString() + "' is not a regular file");
}

// Only regular files are read: a FIFO, socket or device has no fixed length
// and can block the window for ever in open() or read().
void checkRegular(const QString &path, const struct stat &info)
{
    if (S_ISDIR(info.st_mode))
        failWithErrno(EISDIR);
    if (!S_ISREG(info.st_mode))
        failNotRegular(path);
}

// A regular file open for reading, and the count of bytes to take from it.
struct OpenedFile {
    int fd = -1;
    int64_t size = 0;
    ~OpenedFile()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

void openForReading(const QString &path, int64_t maxBytes, OpenedFile &file)
{
    const QByteArray name = QFile::encodeName(path);
    // Looked at before opening (a socket cannot be opened at all), and again
    // on the open file, in case the name was replaced in between. O_NONBLOCK
    // keeps open() from waiting for the writer of a FIFO.
    struct stat info {};
    if (::stat(name.constData(), &info) == 0)
        checkRegular(path, info);
    file.fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (file.fd < 0)
        failWithErrno(errno);

    if (::fstat(file.fd, &info) != 0)
        failWithErrno(errno);
    checkRegular(path, info);
    ::fcntl(file.fd, F_SETFL, ::fcntl(file.fd, F_GETFL) & ~O_NONBLOCK);

    file.size = info.st_size;
    if (maxBytes == noLimit && file.size > std::numeric_limits<int32_t>::max())
        throw EditorError("File too large: an image holds at most 2147483647 bytes");
    if (maxBytes != noLimit)
        file.size = std::clamp<int64_t>(file.size, 0, maxBytes);
}

void readInto(const OpenedFile &file, uint8_t *bytes)
{
    const size_t size = static_cast<size_t>(file.size);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(file.fd, bytes + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            failWithErrno(errno);
        if (n == 0)
            throw FileError(100); // the file became shorter while being read
        done += static_cast<size_t>(n);
    }
}

std::vector<uint8_t> readFile(const QString &path, int64_t maxBytes)
{
    OpenedFile file;
    openForReading(path, maxBytes, file);
    std::vector<uint8_t> bytes(static_cast<size_t>(file.size));
    readInto(file, bytes.data());
    return bytes;
}

void unmap(uint8_t *data, size_t size) { ::munmap(data, size); }

} // namespace

ImageStore readImageFile(const QString &path)
{
    OpenedFile file;
    openForReading(path, noLimit, file);
    ImageStore bytes(static_cast<size_t>(file.size)); // not zeroed: the read fills it
    readInto(file, bytes.data());
    return bytes;
}

ImageStore mapImageFile(const QString &path)
{
    OpenedFile file;
    openForReading(path, noLimit, file);
    if (file.size == 0)
        return {};
    // Private: a write into the image copies its page and never reaches the file.
    void *data = ::mmap(nullptr, static_cast<size_t>(file.size), PROT_READ | PROT_WRITE, MAP_PRIVATE, file.fd, 0);
    if (data == MAP_FAILED) {
        ImageStore bytes(static_cast<size_t>(file.size));
        readInto(file, bytes.data());
        return bytes;
    }
    return ImageStore(static_cast<uint8_t *>(data), static_cast<size_t>(file.size), unmap);
}

namespace {

// The error for a failed save step. The failing system call leaves
// errno set; a check inside QSaveFile that fails without one gets the step's
// likely cause.
FileError saveError(int errnoValue, int likelyErrno)
{
    return FileError::fromErrno(errnoValue != 0 ? errnoValue : likelyErrno);
}

} // namespace

std::vector<uint8_t> readWholeFile(const QString &path) { return readFile(path, noLimit); }

std::vector<uint8_t> readFileHead(const QString &path, int64_t maxBytes)
{
    return readFile(path, std::max<int64_t>(maxBytes, 0));
}

void writeWholeFile(const QString &path, std::span<const uint8_t> bytes)
{
    if (QFileInfo(path).isDir())
        failWithErrno(EISDIR);
    // Named as the command line names it, rather than the system's "File not found".
    const QFileInfo folder(QFileInfo(path).path());
    if (!folder.exists())
        throw EditorError("Folder " + folder.filePath().toStdString() + " does not exist");

    QSaveFile file(path);
    // Unbuffered, so that a failing write shows in write()'s count here:
    // a buffered QSaveFile can commit a file whose final flush failed.
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw saveError(errno, EACCES);

    const auto size = static_cast<qint64>(bytes.size());
    errno = 0;
    if (size > 0 && file.write(reinterpret_cast<const char *>(bytes.data()), size) != size) {
        const FileError error = saveError(errno, ENOSPC); // a short write without errno: no room left
        file.cancelWriting();
        throw error;
    }
    errno = 0;
    if (!file.commit())
        throw saveError(errno, EACCES);
}

FileStamp stampOf(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return {path.toStdString(), info.st_size, int64_t{info.st_mtim.tv_sec} * 1000000000 + info.st_mtim.tv_nsec};
}

bool fileExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

} // namespace velmora
