// The integer conversion against its rule, written out here on its own terms:
// leading blanks; then an optional sign and decimal digits within the signed
// 32-bit range, or "$", "x", "X", "0x" or "0X" and at most eight significant
// hexadecimal digits (eight-digit values are signed 32-bit). Anything else is
// the conversion error with its exact text (a zero byte shown as "\0"). Also: every 32-bit value comes
// back from its decimal and its hex8 text.

#include <optional>
#include <string>

#include "fuzz_support.h"
#include "model/errors.h"
#include "model/text_format.h"

using namespace velmora;

namespace {

bool allOf(const std::string &digits, const char *alphabet)
{
    return !digits.empty() && digits.find_first_not_of(alphabet) == std::string::npos;
}

std::string withoutLeadingZeros(const std::string &digits)
{
    const size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? std::string() : digits.substr(first);
}

std::optional<int32_t> byRule(const std::string &text)
{
    const size_t start = text.find_first_not_of(' ');
    if (start == std::string::npos)
        return std::nullopt;
    const std::string t = text.substr(start);

    std::string hex;
    if (t.rfind("0x", 0) == 0 || t.rfind("0X", 0) == 0)
        hex = t.substr(2);
    else if (t[0] == '$' || t[0] == 'x' || t[0] == 'X')
        hex = t.substr(1);
    else {
        const bool negative = t[0] == '-';
        const std::string digits = t[0] == '+' || t[0] == '-' ? t.substr(1) : t;
        if (!allOf(digits, "0123456789"))
            return std::nullopt;
        const std::string significant = withoutLeadingZeros(digits);
        // Compare as equal-length digit strings: no arithmetic that could overflow.
        const std::string limit = negative ? "2147483648" : "2147483647";
        if (significant.size() > limit.size() || (significant.size() == limit.size() && significant > limit))
            return std::nullopt;
        const long long magnitude = significant.empty() ? 0 : std::stoll(significant);
        return static_cast<int32_t>(negative ? -magnitude : magnitude);
    }
    if (!allOf(hex, "0123456789abcdefABCDEF"))
        return std::nullopt;
    const std::string significant = withoutLeadingZeros(hex);
    if (significant.size() > 8)
        return std::nullopt;
    const unsigned long value = significant.empty() ? 0 : std::stoul(significant, nullptr, 16);
    return static_cast<int32_t>(static_cast<uint32_t>(value));
}

std::optional<int32_t> converted(const std::string &text)
{
    try {
        return strToInt(text);
    } catch (const ConversionError &error) {
        // The message quotes the text as it is, a zero byte shown as "\0".
        std::string shown;
        for (const char c : text)
            shown += c == '\0' ? std::string("\\0") : std::string(1, c);
        const std::string expected = "'" + shown + "' is not a valid integer value";
        FUZZ_CHECK(error.what() == expected, "message \"%s\"", error.what());
        return std::nullopt;
    }
}

void checkRoundTrip(int32_t value)
{
    FUZZ_CHECK(converted(std::to_string(value)) == value, "decimal %d", value);
    const std::string hex = hex8(value);
    FUZZ_CHECK(hex.size() == 8 && hex.find_first_not_of("0123456789ABCDEF") == std::string::npos, "hex8 %s",
               hex.c_str());
    FUZZ_CHECK(converted("$" + hex) == value, "$%s", hex.c_str());
    FUZZ_CHECK(converted("  0x" + hex) == value, "0x%s", hex.c_str());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    const std::optional<int32_t> expected = byRule(text);
    const std::optional<int32_t> actual = converted(text);
    FUZZ_CHECK(actual == expected, "text \"%s\": rule %s %d, conversion %s %d", text.c_str(),
               expected ? "gives" : "refuses", expected.value_or(0), actual ? "gives" : "refuses", actual.value_or(0));

    fuzz::Input in(data, size);
    checkRoundTrip(static_cast<int32_t>(in.u32()));
    return 0;
}
