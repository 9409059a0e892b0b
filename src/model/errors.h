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
    int code() const { return code_; }

private:
    int code_;
};

// The text of a file error code: the fixed table, else "I/O error %d".
std::string fileErrorText(int code);
// The file error code for an errno value.
int fileErrorCodeFromErrno(int errnoValue);

// The error box's text: a full stop is added unless the text is empty or ends
// in a character of code 46 ('.') or below.
std::string withFullStop(const std::string &message);

} // namespace velmora
