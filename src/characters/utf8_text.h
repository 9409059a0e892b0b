#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// UTF-8 to code points; nothing when the bytes are not well-formed UTF-8
// (overlong forms, surrogates and values past U+10FFFF included).
std::optional<std::u32string> decodeUtf8(std::string_view bytes);
std::string encodeUtf8(std::u32string_view text);

} // namespace velmora
