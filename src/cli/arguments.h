#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

#include "finder/font_scan.h"
#include "layout/glyph_format.h"
#include "model/editor_state.h"

namespace velmora::cli {

// A command line the program cannot act on: exit status 2, one line on
// standard error.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An offset as the editor takes one: hexadecimal digits, with "$" or "0x"
// in front or without. Throws UsageError for anything else or a negative value.
int32_t parseOffset(const std::string &text);

// A format string: "WxH", then ",spare" (skip the spare byte) and ",swap"
// (swap the bytes of a row), each for W = 16 only, or a layout and its
// options. Throws UsageError naming the wrong part.
GlyphFormat parseFormat(const std::string &text);

// A whole number from min to max. Throws UsageError naming the option.
int parseCount(const std::string &option, const std::string &text, int min, int max);

// The state of an editor holding bytes in the given format, every other
// flag unchecked, both offsets at 0; a width table counts glyphs from offset 0.
EditorState stateFor(ImageStore bytes, const GlyphFormat &format);

} // namespace velmora::cli
