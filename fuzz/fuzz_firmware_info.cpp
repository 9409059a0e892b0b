// Firmware identification on images of random content with markers planted
// at random: it finds exactly the megabytes whose marker is spelled right,
// uses the last one, and its texts hold only printable bytes.
#include <map>
#include <string>

#include "files/firmware_marker.h"
#include "fuzz_support.h"

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    constexpr int64_t megabyte = 0x100000;
    fuzz::Input in(data, size);
    const uint8_t shape = in.byte();
    const int64_t length = shape % 4 == 0 ? megabyte - 1 - in.byte() : (1 + shape % 4) * megabyte / 1 - (shape & 0x10);
    // The information blocks get the input's bytes, the rest a repeated byte.
    // Images are kept between runs, one per length (at most 262 lengths,
    // under 300 MB): allocating megabytes on every run would make the target
    // a hundred times slower. Every run rewrites the background when its byte
    // changes and all four blocks, so nothing of an earlier run is left.
    static std::map<int64_t, ImageBuffer> images;
    static std::vector<uint8_t> background;
    const uint8_t fill = in.byte();
    auto [slot, added] = images.try_emplace(length);
    ImageBuffer &image = slot->second;
    if (added)
        image.replace(std::vector<uint8_t>(static_cast<size_t>(length), fill));
    else if (image.at(0) != fill) {
        background.assign(static_cast<size_t>(length), fill);
        image.writeBytes(0, background);
    }
    for (int64_t m = 0; m < 4; ++m) {
        const int64_t base = m * megabyte + 0x7FF50;
        const bool plant = in.byte() & 1;
        uint8_t block[0x37];
        for (uint8_t &b : block)
            b = in.byte();
        if (plant)
            for (int i = 0; i < 7; ++i)
                block[0x30 + i] = static_cast<uint8_t>("VELMORA"[i] ^ (in.byte() % 8 == 0));
        image.writeBytes(base, block); // drops what lies past the image end
    }
    const ImageBytes bytes = image.bytes();

    int expectedBank = -1;
    for (int64_t m = 0; (m + 1) * megabyte <= length; ++m)
        if (std::string(bytes.begin() + m * megabyte + 0x7FF80, bytes.begin() + m * megabyte + 0x7FF87) == "VELMORA")
            expectedBank = static_cast<int>(m);

    const auto info = readFirmwareInfo(image);
    FUZZ_CHECK(info.has_value() == (expectedBank >= 0), "found %d, expected bank %d", info ? info->bank : -1, expectedBank);
    if (!info)
        return 0;
    FUZZ_CHECK(info->bank == expectedBank, "bank %d, expected %d", info->bank, expectedBank);
    const int64_t base = expectedBank * megabyte;
    FUZZ_CHECK(info->firmwareNumber == bytes[static_cast<size_t>(base + 0x7FF50)], "firmware number");
    for (const std::string *text : {&info->modelName, &info->infoText}) {
        FUZZ_CHECK(text->size() <= 7, "text of %zu characters", text->size());
        for (const char c : *text)
            FUZZ_CHECK(static_cast<uint8_t>(c) > 0x20 && static_cast<uint8_t>(c) != 0xFF, "byte %02X kept", c & 0xFF);
    }
    const std::string shown = identificationText(*info);
    FUZZ_CHECK(shown.find("\n\r") != std::string::npos && shown.find("\n\r", shown.find("\n\r") + 2) != std::string::npos
                   && shown.rfind("BID:") == shown.size() - 6,
               "%s", shown.c_str());
    return 0;
}
