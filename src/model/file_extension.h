#pragma once

#include <cctype>
#include <string_view>

namespace velmora {

// Whether fileName ends in "." and extension (given in lower case), in any
// case. A base name before the dot is needed: ".bdf" alone is a hidden file
// without an extension.
inline bool endsWithExtension(std::string_view fileName, std::string_view extension)
{
    if (fileName.size() < extension.size() + 2)
        return false;
    const size_t dot = fileName.size() - extension.size() - 1;
    if (fileName[dot] != '.' || fileName[dot - 1] == '/')
        return false;
    const std::string_view tail = fileName.substr(dot + 1);
    for (size_t i = 0; i < tail.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(tail[i])) != extension[i])
            return false;
    return true;
}

} // namespace velmora
