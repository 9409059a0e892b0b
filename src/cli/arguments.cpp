#include "cli/arguments.h"

#include <charconv>

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

FontFormat parseFormat(const std::string &text)
{
    const auto fail = [&text]() -> FontFormat {
        throw UsageError("'" + text + "' is not a format: give WxH with W 8 or 16 and H 2 to 16, "
                         "then ,spare and ,swap for W = 16 (such as 8x13 or 16x12,spare,swap)");
    };
    std::string rest = text;
    const size_t comma = rest.find(',');
    const std::string size = rest.substr(0, comma);
    rest = comma == std::string::npos ? std::string() : rest.substr(comma);
    const size_t x = size.find_first_of("xX");
    if (x == std::string::npos)
        return fail();
    FontFormat format;
    format.width = digitsValue(size.substr(0, x));
    format.height = digitsValue(size.substr(x + 1));
    if (!isValidFormat(format.width, format.height))
        return fail();
    while (!rest.empty()) {
        const size_t next = rest.find(',', 1);
        const std::string flag = rest.substr(1, next == std::string::npos ? std::string::npos : next - 1);
        rest = next == std::string::npos ? std::string() : rest.substr(next);
        if (flag == "spare" && !format.skipSpareByte)
            format.skipSpareByte = true;
        else if (flag == "swap" && !format.swapBytes)
            format.swapBytes = true;
        else
            return fail();
    }
    if (format.width == 8 && (format.skipSpareByte || format.swapBytes))
        return fail();
    return format;
}

std::string formatArgument(const FontFormat &format)
{
    std::string text = std::to_string(format.width) + "x" + std::to_string(format.height);
    if (format.skipSpareByte)
        text += ",spare";
    if (format.swapBytes)
        text += ",swap";
    return text;
}

int parseCount(const std::string &option, const std::string &text, int min, int max)
{
    const int value = digitsValue(text);
    if (value < min || value > max)
        throw UsageError("--" + option + " takes a whole number from " + std::to_string(min) + " to "
                         + std::to_string(max) + ", not '" + text + "'");
    return value;
}

EditorState stateFor(std::vector<uint8_t> bytes, const FontFormat &format)
{
    EditorState state;
    state.image.replace(std::move(bytes));
    state.charWidth = static_cast<uint8_t>(format.width);
    state.charHeight = static_cast<uint8_t>(format.height);
    state.setFlag(Flag::SkipSpareByte, format.skipSpareByte);
    state.setFlag(Flag::SwapBytes, format.swapBytes);
    return state;
}

} // namespace velmora::cli
