#include "cli/arguments.h"

#include <charconv>

#include "characters/char_map.h"
#include "model/errors.h"
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
    const std::optional<GlyphFormat> format = parseFormatText(text);
    if (!format || (format->width == 8 && (format->spare || format->swap)))
        throw UsageError("'" + text + "' is not a format: give WxH with W 8 or 16 and H 2 to 16, "
                         "then ,spare and ,swap for W = 16 (such as 8x13 or 16x12,spare,swap)");
    return FontFormat{format->width, format->height, format->spare, format->swap};
}

std::string formatArgument(const FontFormat &format)
{
    return formatText(GlyphFormat{format.width, format.height, format.skipSpareByte, format.swapBytes});
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
