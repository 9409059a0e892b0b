#include "model/errors.h"

#include <cerrno>

namespace velmora {

namespace {

// A zero byte would end the error box's text early: it is shown as "\0".
std::string visibleText(const std::string &text)
{
    std::string shown;
    for (const char c : text)
        shown += c == '\0' ? std::string("\\0") : std::string(1, c);
    return shown;
}

} // namespace

ConversionError::ConversionError(const std::string &text)
    : EditorError("'" + visibleText(text) + "' is not a valid integer value")
{
}

FileError::FileError(int code) : EditorError(fileErrorText(code)), code_(code) {}

FileError::FileError(int code, const std::string &text) : EditorError(text), code_(code) {}

FileError FileError::fromErrno(int errnoValue)
{
    const int code = fileErrorCodeFromErrno(errnoValue);
    if (code != 0)
        return FileError(code);
    return FileError(errnoValue, "I/O error " + std::to_string(errnoValue));
}

std::string fileErrorText(int code)
{
    switch (code) {
    case 2: return "File not found";
    case 3: return "Invalid filename";
    case 4: return "Too many open files";
    case 5: return "File access denied";
    case 100: return "Read beyond end of file";
    case 101: return "Disk full";
    case 106: return "Invalid numeric input";
    default: return "I/O error " + std::to_string(code);
    }
}

int fileErrorCodeFromErrno(int e)
{
    switch (e) {
    case ENOENT: return 2;
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL:
    case EISDIR: return 3;
    case EMFILE:
    case ENFILE: return 4;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY: return 5;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return 101;
    default: return 0;
    }
}

std::string withFullStop(const std::string &message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
        return message + ".";
    return message;
}

} // namespace velmora
