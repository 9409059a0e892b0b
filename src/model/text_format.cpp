#include "model/text_format.h"

#include <cstdio>

#include "model/errors.h"

namespace velmora {

std::string hex8(int64_t value)
{
    char buffer[9];
    std::snprintf(buffer, sizeof buffer, "%08X", static_cast<unsigned>(static_cast<uint32_t>(value)));
    return buffer;
}

std::string zeroPad(int32_t number, int digits)
{
    std::string text = std::to_string(number);
    while (static_cast<int>(text.size()) < digits)
        text.insert(text.begin(), '0');
    return text;
}

namespace {

int hexDigit(char ch)
{
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    return -1;
}

} // namespace

int32_t strToInt(const std::string &text)
{
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    const auto fail = [&]() -> int32_t { throw ConversionError(text); };
    if (i == text.size())
        return fail();

    bool hex = false;
    if (text[i] == '$' || text[i] == 'x' || text[i] == 'X') {
        hex = true;
        ++i;
    } else if (text[i] == '0' && i + 1 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }

    if (hex) {
        if (i == text.size())
            return fail();
        uint64_t value = 0;
        int significant = 0;
        for (; i < text.size(); ++i) {
            const int d = hexDigit(text[i]);
            if (d < 0)
                return fail();
            if (value != 0 || d != 0)
                ++significant;
            if (significant > 8)
                return fail();
            value = value * 16 + static_cast<uint64_t>(d);
        }
        return static_cast<int32_t>(static_cast<uint32_t>(value));
    }

    bool negative = false;
    if (text[i] == '+' || text[i] == '-') {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size())
        return fail();
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return fail();
        value = value * 10 + (text[i] - '0');
        if (value > 2147483648LL)
            return fail();
    }
    if (negative)
        value = -value;
    if (value > 2147483647LL)
        return fail();
    return static_cast<int32_t>(value);
}

} // namespace velmora
