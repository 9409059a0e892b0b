#include "cli/image_map.h"

#include <iostream>

#include <QFileInfo>

#include "model/errors.h"
#include "storage/file_access.h"

namespace velmora::cli {

std::optional<FontMap> imageFontMap(const QString &imagePath, int64_t start, const GlyphFormat &format)
{
    const QString path = imagePath + QStringLiteral(".chars");
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    try {
        const std::vector<uint8_t> bytes = readFileHead(path, 16 * 1024 * 1024);
        const CharMaps maps = parseCharMaps(std::string_view(reinterpret_cast<const char *>(bytes.data()), bytes.size()));
        for (const FontMap &font : maps.fonts)
            if (font.start == start && font.format == format)
                return font;
    } catch (const EditorError &error) {
        std::cerr << "velmora: " << path.toStdString() << ": " << error.what() << "; the map is not used\n";
    }
    return std::nullopt;
}

} // namespace velmora::cli
