#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace velmora::demo {

// A made-up 1 MB phone firmware for trying the editor: filler bytes, the
// firmware information block, and three fonts of the same 5 x 7 letter
// shapes in three formats at fixed offsets.
struct DemoFont {
    int32_t offset;
    int width, height;
    const char *flagString; // as a preset gives it
    const char *hint;
};

constexpr int32_t demoImageLength = 0x100000;
constexpr int demoFirstChar = 0x20; // each font holds the characters 0x20..0x7F
constexpr int demoCharCount = 96;
extern const DemoFont demoFonts[3];

std::vector<uint8_t> demoImage();
// The settings file entry that identifies the demo image, and a plug-in for it.
std::string demoSettingsFile();
std::string demoPlugin();

// Writes demo_phone.bin, velmora.ini and plugins/demo.vlp into folder (created
// when missing). Returns false when a file cannot be written.
bool writeDemoFolder(const std::string &folder);

} // namespace velmora::demo
