#include "demo/demo_firmware.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <span>

#include "model/editor_state.h"
#include "model/glyph_codec.h"

namespace velmora::demo {

const DemoFont demoFonts[3] = {
    {0x10000, 8, 13, "fffff", "8x13 font with width bytes"},
    {0x20000, 16, 16, "ffftf", "16x16 font, spare byte skipped"},
    {0x30000, 16, 12, "fffft", "16x12 wide font, bytes swapped"},
};

namespace {

using Shape = std::array<uint8_t, 7>; // seven rows of five pixels, bit 4 leftmost

const std::map<char, Shape> &shapes()
{
    static const std::map<char, Shape> table = {
        {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
        {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
        {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
        {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
        {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
        {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
        {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}}, {'D', {0x1C, 0x12, 0x11, 0x11, 0x11, 0x12, 0x1C}},
        {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}}, {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
        {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}}, {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
        {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}}, {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}},
        {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}}, {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
        {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}}, {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
        {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
        {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}}, {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
        {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}}, {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
        {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
        {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}}, {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
        {'Y', {0x11, 0x11, 0x11, 0x0A, 0x04, 0x04, 0x04}}, {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
        {'!', {0x04, 0x04, 0x04, 0x04, 0x04, 0x00, 0x04}}, {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
        {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}}, {',', {0x00, 0x00, 0x00, 0x00, 0x0C, 0x04, 0x08}},
        {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}}, {'?', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x00, 0x04}},
        {'/', {0x01, 0x01, 0x02, 0x04, 0x08, 0x10, 0x10}}, {'(', {0x02, 0x04, 0x08, 0x08, 0x08, 0x04, 0x02}},
        {')', {0x08, 0x04, 0x02, 0x02, 0x02, 0x04, 0x08}}, {'+', {0x00, 0x04, 0x04, 0x1F, 0x04, 0x04, 0x00}},
        {'=', {0x00, 0x00, 0x1F, 0x00, 0x1F, 0x00, 0x00}},
    };
    return table;
}

// Lower-case letters share the capitals' shapes; characters without a shape are blank.
Shape shapeOf(int code)
{
    const char c = static_cast<char>(code >= 'a' && code <= 'z' ? code - 32 : code);
    const auto found = shapes().find(c);
    return found == shapes().end() ? Shape{} : found->second;
}

// Draws a shape into the glyph matrix, each pixel scale pixels wide, from pixel row top;
// the width byte is the drawn width plus one pixel of spacing (4 pixels for a blank).
void drawShape(EditorState &s, const Shape &shape, int scale, int top)
{
    s.glyph.clear();
    int rightmost = -1;
    for (int r = 0; r < 7; ++r)
        for (int c = 0; c < 5; ++c)
            if (shape[static_cast<size_t>(r)] & (0x10 >> c)) {
                rightmost = std::max(rightmost, c);
                for (int dx = 0; dx < scale; ++dx)
                    for (int dy = 0; dy < (scale == 2 && s.charHeight == 16 ? 2 : 1); ++dy)
                        s.glyph.at(c * scale + dx, top + r * (s.charHeight == 16 ? 2 : 1) + dy) = 1;
            }
    const int width = rightmost < 0 ? 4 * scale : (rightmost + 1) * scale + scale;
    for (int bit = 0; bit < 8; ++bit)
        s.glyph.at(bit, 0) = (width >> (7 - bit)) & 1;
}

void plantFont(EditorState &s, const DemoFont &font)
{
    s.charWidth = static_cast<uint8_t>(font.width);
    s.charHeight = static_cast<uint8_t>(font.height);
    for (int k = 0; k < 5; ++k)
        s.setFlag(static_cast<Flag>(k), font.flagString[k] == 't');
    const int step = font.width / 8 * font.height + (s.flag(Flag::SkipSpareByte) ? 1 : 0);
    const int scale = font.width / 8;
    const int top = font.height == 13 ? 3 : font.height == 16 ? 1 : 2;
    for (int i = 0; i < demoCharCount; ++i) {
        s.glyphOffset = font.offset + i * step;
        drawShape(s, shapeOf(demoFirstChar + i), scale, top);
        encodeChar(s);
    }
}

// The fixed-width fields of one column of a preset body: captions, hints, offsets, formats, flags.
std::string column(const std::string &captions, const std::string &end)
{
    std::string hints, offsets, formats, flags;
    for (size_t k = 0; k < 6; ++k) {
        const DemoFont *font = k < 3 ? &demoFonts[k] : nullptr;
        char field[16];
        std::snprintf(field, sizeof field, "$%08X", font ? static_cast<unsigned>(font->offset) : 0u);
        offsets += field;
        std::snprintf(field, sizeof field, "%02d%02d", font ? font->width : 8, font ? font->height : 13);
        formats += field;
        flags += font ? font->flagString : "-----";
        hints += (font ? font->hint : "") + end;
    }
    return captions + end + hints + offsets + end + formats + end + flags + end;
}

std::string presetBody(const std::string &leftCaptions)
{
    const std::string end = "\r\n";
    return std::to_string(demoImageLength) + end + column(leftCaptions, end) + column("------", end);
}

} // namespace

std::vector<uint8_t> demoImage()
{
    EditorState s;
    std::vector<uint8_t> bytes(demoImageLength);
    // Filler that looks like code: a fixed pseudo-random sequence, with erased (0xFF) areas.
    uint32_t seed = 0x2545F491;
    for (size_t i = 0; i < bytes.size(); ++i) {
        seed = seed * 1664525 + 1013904223;
        bytes[i] = (i & 0x40000) ? 0xFF : static_cast<uint8_t>(seed >> 24);
    }
    // The fonts' tables start from erased flash.
    for (const DemoFont &font : demoFonts)
        std::memset(bytes.data() + font.offset, 0, 0x4000);
    s.image.replace(std::move(bytes));
    for (const DemoFont &font : demoFonts)
        plantFont(s, font);

    const auto put = [&s](int64_t offset, const std::string &text) {
        s.image.writeBytes(offset, std::span(reinterpret_cast<const uint8_t *>(text.data()), text.size()));
    };
    put(0x7FF50, std::string(1, '\x21')); // firmware number
    put(0x7FF60, std::string("DEMO-01", 7));
    put(0x7FF70, std::string("VX100\0\0", 7));
    put(0x7FF80, "VELMORA");
    return s.image.bytes();
}

std::string demoSettingsFile()
{
    return "Demo phone VX100\r\nVX100\r\n1\r\n$21\r\n" + presetBody("ABC---");
}

std::string demoPlugin() { return "Demo plug-in: VX100 fonts\r\n" + presetBody("123---"); }

bool writeDemoFolder(const std::string &folder)
{
    namespace fs = std::filesystem;
    std::error_code error;
    fs::create_directories(fs::path(folder) / "plugins", error);
    if (error)
        return false;
    const auto write = [](const fs::path &path, const char *data, size_t size) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(data, static_cast<std::streamsize>(size));
        return static_cast<bool>(out);
    };
    const std::vector<uint8_t> image = demoImage();
    const std::string settings = demoSettingsFile();
    const std::string plugin = demoPlugin();
    return write(fs::path(folder) / "demo_phone.bin", reinterpret_cast<const char *>(image.data()), image.size())
        && write(fs::path(folder) / "velmora.ini", settings.data(), settings.size())
        && write(fs::path(folder) / "plugins" / "demo.vlp", plugin.data(), plugin.size());
}

} // namespace velmora::demo
