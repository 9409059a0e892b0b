#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "model/image_buffer.h"

namespace velmora {

// What a firmware image tells about itself in the information block of one of
// its megabytes: the last megabyte whose marker reads "VELMORA" is used.
struct FirmwareInfo {
    int bank = 0; // the megabyte whose marker was used
    std::string modelName;
    std::string infoText;
    uint8_t firmwareNumber = 0;
};

constexpr int64_t markerOffsetInMegabyte = 0x7FF80;

// The seven bytes at offset when they are exactly "VELMORA", else "".
std::string readMarkerAt(const ImageBuffer &image, int64_t offset);

// Searches every whole megabyte of the image for the marker.
std::optional<FirmwareInfo> readFirmwareInfo(const ImageBuffer &image);

// Seven bytes as text, keeping only those above blank and other than 0xFF.
std::string filteredText(const ImageBuffer &image, int64_t offset);

// The three lines the information label shows, separated by LF CR.
std::string identificationText(const FirmwareInfo &info);

} // namespace velmora
