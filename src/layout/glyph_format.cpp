#include "layout/glyph_format.h"

#include <charconv>
#include <cstdio>

#include "layout/glyph_layout.h"

namespace velmora {

int GlyphFormat::size() const { return layoutOf(layout).glyphSize(*this); }

int GlyphFormat::step() const
{
    if (widthByte())
        return size() + (spare && width == 16 ? 1 : 0);
    return stride > 0 ? stride : size();
}

std::string formatText(const GlyphFormat &f)
{
    std::string text = std::to_string(f.width) + "x" + std::to_string(f.height);
    if (f.widthByte())
        return text + (f.spare ? ",spare" : "") + (f.swap ? ",swap" : "");
    text += ",";
    text += layoutOf(f.layout).name();
    if (f.reverse)
        text += ",reverse";
    if (f.bpp > 1)
        text += ",bpp" + std::to_string(f.bpp);
    if (f.invert)
        text += ",invert";
    if (f.stride > 0)
        text += ",stride=" + std::to_string(f.stride);
    if (f.widthTable >= 0) {
        char hex[24];
        std::snprintf(hex, sizeof hex, "%llX", static_cast<unsigned long long>(f.widthTable));
        text += std::string(",widths=") + hex;
    }
    return text;
}

namespace {

bool number(std::string_view digits, int base, int64_t &value)
{
    // Digits only: from_chars would take a minus sign.
    if (digits.empty() || digits.size() > 9 || digits.front() == '-')
        return false;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    return error == std::errc() && end == digits.data() + digits.size();
}

// The word in quotes, control characters as \xNN so that a message stays one line.
std::string quoted(std::string_view word)
{
    std::string text = "'";
    for (const char c : word) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(static_cast<unsigned char>(c)));
            text += escaped;
        } else {
            text += c;
        }
    }
    return text + "'";
}

} // namespace

GlyphFormat parseGlyphFormat(std::string_view text)
{
    GlyphFormat f;
    const size_t comma = text.find(',');
    const std::string_view size = text.substr(0, comma);
    const size_t x = size.find('x');
    int64_t width = 0, height = 0;
    if (x == std::string_view::npos || !number(size.substr(0, x), 10, width) || !number(size.substr(x + 1), 10, height))
        throw FormatError(quoted(size) + " is not WxH: give the width and the height in pixels, as 8x13");

    bool layoutNamedAlready = false;
    std::string_view rest = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    std::string_view firstWidthByteOption;
    while (!rest.empty() || comma != std::string_view::npos) {
        const size_t next = rest.find(',');
        const std::string_view word = rest.substr(0, next);
        int64_t value = 0;
        if (const GlyphLayout *layout = layoutNamed(word)) {
            if (layoutNamedAlready)
                throw FormatError(std::string(layoutOf(f.layout).name()) + " and " + std::string(word)
                                  + ": one layout at most");
            layoutNamedAlready = true;
            f.layout = layout->kind();
        } else if (word == "spare" || word == "swap") {
            (word == "spare" ? f.spare : f.swap) = true;
            firstWidthByteOption = firstWidthByteOption.empty() ? word : firstWidthByteOption;
        } else if (word == "reverse") {
            f.reverse = true;
        } else if (word == "bpp2" || word == "bpp4" || word == "bpp1") {
            f.bpp = word[3] - '0';
        } else if (word == "invert") {
            f.invert = true;
        } else if (word.starts_with("stride=") && number(word.substr(7), 10, value) && value > 0 && value <= 65536) {
            f.stride = static_cast<int>(value);
        } else if (word.starts_with("widths=") && number(word.substr(7), 16, value)) {
            f.widthTable = value;
        } else {
            throw FormatError(quoted(word) + " is not an option: give rows, packed, strips, pages or columns, reverse, "
                              "bpp2, bpp4, invert, stride=N, widths=HEX, or spare and swap for the width-byte layout");
        }
        if (next == std::string_view::npos)
            break;
        rest = rest.substr(next + 1);
    }

    f.width = static_cast<int>(width);
    f.height = static_cast<int>(height);
    if (f.widthByte()) {
        if (width != 8 && width != 16)
            throw FormatError(std::to_string(width) + " is not a width of the width-byte layout: 8 or 16, "
                              "or name a layout (rows, packed, strips, pages, columns) for 1 to 32");
        if (height < 2 || height > 16)
            throw FormatError(std::to_string(height) + " is not a height of 2 to 16 (the width byte's row included)");
        if (f.reverse || f.bpp > 1 || f.invert || f.stride > 0 || f.widthTable >= 0)
            throw FormatError("reverse, bppN, invert, stride and widths need a layout: rows, packed, strips, pages or columns");
        return f;
    }
    if (!firstWidthByteOption.empty())
        throw FormatError(std::string(firstWidthByteOption) + " is only for the width-byte layout");
    if (width < 1 || width > 32)
        throw FormatError(std::to_string(width) + " is not a width of 1 to 32");
    if (height < 1 || height > 32)
        throw FormatError(std::to_string(height) + " is not a height of 1 to 32");
    if (f.bpp > 1 && !layoutOf(f.layout).greyLevels())
        throw FormatError("bpp" + std::to_string(f.bpp) + " is only for rows and packed");
    if (f.stride > 0 && f.stride < f.size())
        throw FormatError("stride=" + std::to_string(f.stride) + " is less than the glyph's " + std::to_string(f.size())
                          + " bytes");
    return f;
}

std::optional<GlyphFormat> parseFormatText(std::string_view text)
{
    try {
        return parseGlyphFormat(text);
    } catch (const FormatError &) {
        return std::nullopt;
    }
}

} // namespace velmora
