#pragma once
#include <stdexcept>
#include <string>

namespace velmora {

// A failure that ends a handler and is shown in the error box with its text.
class EditorError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A text that is not an integer: "'%s' is not a valid integer value".
class ConversionError : public EditorError {
public:
    explicit ConversionError(const std::string &text);
};

// A file error with its system-independent code (2 "File not found", ...).
class FileError : public EditorError {
public:
    explicit FileError(int code);
    FileError(int code, const std::string &text);
    // The error for an errno value: a table text where one fits, else
    // "I/O error <errno>" (the errno's own number never picks a table text).
    static FileError fromErrno(int errnoValue);
    int code() const { return code_; }

private:
    int code_;
};

// The text of a file error code: the fixed table, else "I/O error %d".
std::string fileErrorText(int code);
// The file error code for an errno value, or 0 where no table entry fits.
int fileErrorCodeFromErrno(int errnoValue);

// The error box's text: a full stop is added unless the text is empty or ends
// in a character of code 46 ('.') or below.
std::string withFullStop(const std::string &message);

} // namespace velmora
