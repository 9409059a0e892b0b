#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// A character table as ROM translators write them: which text each code of
// one or two bytes stands for. The first entry of a code wins, and so does the
// first code of a text when text is turned back into codes.
class CharTable {
public:
    // Adds code = text unless the code is named already.
    void add(uint32_t code, std::u32string text);
    const std::u32string *textOf(uint32_t code) const;
    std::optional<uint32_t> codeOf(const std::u32string &text) const;
    // The longest text of an entry that line starts with, and its code.
    std::optional<std::pair<uint32_t, size_t>> longestMatch(std::u32string_view line) const;
    const std::map<uint32_t, std::u32string> &entries() const { return byCode_; }
    bool empty() const { return byCode_.empty(); }

private:
    std::map<uint32_t, std::u32string> byCode_;
    std::map<std::u32string, uint32_t> byText_;
    size_t longestText_ = 0;
};

// Reads a table file's text (UTF-8): "HEX=text" entries of 2 or 4 hex digits,
// big-endian; "#" comments and blank lines; "*HEX", "/HEX" and "(HEXh)" lines
// are read and ignored. Throws EditorError naming the line of the first
// malformed one; then nothing of the table is taken.
CharTable parseCharTable(std::string_view utf8);

} // namespace velmora
