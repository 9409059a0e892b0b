#include "files/file_names.h"

#include <QFileInfo>

#include "model/text_format.h"

namespace velmora {

std::optional<CharFormat> sizePrefixFormat(const QString &fileName)
{
    const QString name = QFileInfo(fileName).fileName();
    if (name.size() < 3 || name.at(2) != QLatin1Char('x'))
        return std::nullopt;
    const int height = strToInt(name.mid(3, 2).toStdString());
    const int width = strToInt(name.left(2).toStdString());
    return CharFormat{width, height};
}

std::string proposedBlockName(int32_t blockStart, int32_t blockEnd, int charWidth, int charHeight,
                              bool sizePrefix, bool addressPrefix)
{
    std::string name;
    if (addressPrefix)
        name += "block_" + hex8(blockStart) + "-" + hex8(blockEnd);
    if (addressPrefix && sizePrefix)
        name += "_";
    if (sizePrefix)
        name += zeroPad(charWidth, 2) + "x" + zeroPad(charHeight, 2) + "_";
    return name + ".bin";
}

} // namespace velmora
