#include "files/firmware_marker.h"

#include <cstdio>

namespace velmora {

namespace {

constexpr int64_t megabyte = 0x100000;
constexpr int64_t firmwareNumberOffset = 0x7FF50;
constexpr int64_t infoTextOffset = 0x7FF60;
constexpr int64_t modelNameOffset = 0x7FF70;
constexpr int textLength = 7;
constexpr char marker[] = "VELMORA";

std::string twoHexDigits(unsigned value)
{
    char buffer[3];
    std::snprintf(buffer, sizeof buffer, "%02X", value & 0xFF);
    return buffer;
}

} // namespace

std::string readMarkerAt(const ImageBuffer &image, int64_t offset)
{
    for (int i = 0; i < textLength; ++i)
        if (!image.contains(offset + i) || image.at(offset + i) != static_cast<uint8_t>(marker[i]))
            return {};
    return marker;
}

std::optional<FirmwareInfo> readFirmwareInfo(const ImageBuffer &image)
{
    const int64_t megabytes = image.length() / megabyte;
    std::optional<int64_t> bank;
    for (int64_t m = 0; m < megabytes; ++m)
        if (!readMarkerAt(image, m * megabyte + markerOffsetInMegabyte).empty())
            bank = m; // the last megabyte that carries the marker wins
    if (!bank)
        return std::nullopt;
    const int64_t base = *bank * megabyte;
    FirmwareInfo info;
    info.bank = static_cast<int>(*bank);
    info.infoText = filteredText(image, base + infoTextOffset);
    info.modelName = filteredText(image, base + modelNameOffset);
    info.firmwareNumber = image.at(base + firmwareNumberOffset);
    return info;
}

std::string filteredText(const ImageBuffer &image, int64_t offset)
{
    std::string text;
    for (int i = 0; i < textLength; ++i) {
        const uint8_t byte = image.at(offset + i);
        if (byte > 0x20 && byte != 0xFF)
            text += static_cast<char>(byte);
    }
    return text;
}

std::string identificationText(const FirmwareInfo &info)
{
    const std::string separator = "\n\r";
    return "VELMORA " + info.modelName + ", " + info.infoText + separator + "firmware: "
        + twoHexDigits(info.firmwareNumber) + separator + "BID:" + twoHexDigits(static_cast<unsigned>(info.bank));
}

} // namespace velmora
