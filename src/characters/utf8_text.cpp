#include "characters/utf8_text.h"

#include <cstdint>

namespace velmora {

std::optional<std::u32string> decodeUtf8(std::string_view bytes)
{
    std::u32string text;
    size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<uint8_t>(bytes[i]);
        int extra = 0;
        char32_t code = 0;
        char32_t lowest = 0;
        if (lead < 0x80) {
            code = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1, code = lead & 0x1F, lowest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, code = lead & 0x0F, lowest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, code = lead & 0x07, lowest = 0x10000;
        } else {
            return std::nullopt;
        }
        if (static_cast<size_t>(extra) >= bytes.size() - i && extra > 0)
            return std::nullopt;
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<uint8_t>(bytes[i + static_cast<size_t>(k)]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            code = code << 6 | (next & 0x3F);
        }
        if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return std::nullopt;
        text.push_back(code);
        i += static_cast<size_t>(extra) + 1;
    }
    return text;
}

std::string encodeUtf8(std::u32string_view text)
{
    std::string bytes;
    for (const char32_t c : text) {
        if (c < 0x80) {
            bytes.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            bytes.push_back(static_cast<char>(0xC0 | c >> 6));
            bytes.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            bytes.push_back(static_cast<char>(0xE0 | c >> 12));
            bytes.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
            bytes.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            bytes.push_back(static_cast<char>(0xF0 | c >> 18));
            bytes.push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
            bytes.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
            bytes.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return bytes;
}

} // namespace velmora
