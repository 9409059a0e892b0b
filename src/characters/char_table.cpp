#include "characters/char_table.h"

#include "characters/utf8_text.h"
#include "model/errors.h"

namespace velmora {

void CharTable::add(uint32_t code, std::u32string text)
{
    if (byCode_.contains(code))
        return;
    longestText_ = std::max(longestText_, text.size());
    byText_.emplace(text, code); // keeps an earlier code of the same text
    byCode_.emplace(code, std::move(text));
}

const std::u32string *CharTable::textOf(uint32_t code) const
{
    const auto found = byCode_.find(code);
    return found == byCode_.end() ? nullptr : &found->second;
}

std::optional<uint32_t> CharTable::codeOf(const std::u32string &text) const
{
    const auto found = byText_.find(text);
    return found == byText_.end() ? std::nullopt : std::optional<uint32_t>(found->second);
}

std::optional<std::pair<uint32_t, size_t>> CharTable::longestMatch(std::u32string_view line) const
{
    for (size_t length = std::min(longestText_, line.size()); length > 0; --length)
        if (const auto code = codeOf(std::u32string(line.substr(0, length))))
            return std::pair{*code, length};
    return std::nullopt;
}

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

[[noreturn]] void malformed(int lineNumber, const std::string &why)
{
    throw EditorError("Line " + std::to_string(lineNumber) + " of the table: " + why);
}

} // namespace

CharTable parseCharTable(std::string_view utf8)
{
    if (utf8.starts_with("\xEF\xBB\xBF"))
        utf8.remove_prefix(3);
    CharTable table;
    int lineNumber = 0;
    for (size_t start = 0; start <= utf8.size();) {
        ++lineNumber;
        const size_t end = std::min(utf8.find('\n', start), utf8.size());
        std::string_view line = utf8.substr(start, end - start);
        start = end + 1;
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#' || line.front() == '*' || line.front() == '/' || line.front() == '(')
            continue;
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            malformed(lineNumber, "an entry is HEX=text");
        const std::string_view hex = line.substr(0, equals);
        if (hex.size() != 2 && hex.size() != 4)
            malformed(lineNumber, "a code is two or four hex digits");
        uint32_t code = 0;
        for (const char c : hex) {
            if (hexDigit(c) < 0)
                malformed(lineNumber, std::string(hex).insert(0, 1, '\'') + "' is not a hex code");
            code = code << 4 | static_cast<uint32_t>(hexDigit(c));
        }
        const auto text = decodeUtf8(line.substr(equals + 1));
        if (!text)
            malformed(lineNumber, "the text is not UTF-8");
        if (text->empty())
            malformed(lineNumber, std::string(hex).insert(0, "code ") + " has no text");
        table.add(code, *text);
    }
    return table;
}

} // namespace velmora
