#include "cli/arguments.h"

#include <charconv>

#include "characters/char_map.h"
#include "model/errors.h"
#include "model/format.h"
#include "model/text_format.h"

namespace velmora::cli {

namespace {

bool startsWith(const std::string &text, const char *prefix) { return text.rfind(prefix, 0) == 0; }

// A decimal number made of digits only, or -1.
int digitsValue(const std::string &text)
{
    int value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty() && text[0] != '-' ? value : -1;
}

} // namespace

int32_t parseOffset(const std::string &text)
{
    std::string digits = text;
    if (startsWith(digits, "$"))
        digits.erase(0, 1);
    else if (startsWith(digits, "0x") || startsWith(digits, "0X"))
        digits.erase(0, 2);
    int32_t value = -1;
    try {
        // Only digits may follow: strToInt would also take blanks and an "x" of its own.
        if (!digits.empty() && digits.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos)
            value = strToInt("$" + digits);
    } catch (const ConversionError &) {
        value = -1;
    }
    if (value < 0)
        throw UsageError("'" + text + "' is not an offset: give up to eight hex digits, such as 10000 or $0001F400");
    return value;
}

GlyphFormat parseFormat(const std::string &text)
{
    try {
        const GlyphFormat format = parseGlyphFormat(text);
        if (format.widthByte() && format.width == 8 && (format.spare || format.swap))
            throw FormatError((format.spare ? "spare" : "swap") + std::string(" is only for W = 16"));
        return format;
    } catch (const FormatError &error) {
        throw UsageError("'" + text + "' is not a format: " + error.what());
    }
}

int parseCount(const std::string &option, const std::string &text, int min, int max)
{
    const int value = digitsValue(text);
    if (value < min || value > max)
        throw UsageError("--" + option + " takes a whole number from " + std::to_string(min) + " to "
                         + std::to_string(max) + ", not '" + text + "'");
    return value;
}

EditorState stateFor(ImageStore bytes, const GlyphFormat &format)
{
    EditorState state;
    state.image.replace(std::move(bytes));
    setGlyphFormat(state, format, 0);
    return state;
}

} // namespace velmora::cli
