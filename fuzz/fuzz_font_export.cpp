// Fonts out of random images in random formats: every font file format
// either writes the range or refuses it with one line, never reads past the
// image, and writes what the range holds (the BDF's and PSF2's glyph counts,
// the C array's length).
#include <cstring>
#include <string>
#include <vector>

#include "characters/char_table.h"
#include "fontout/font_file_format.h"
#include "fuzz_support.h"

using namespace velmora;
using namespace velmora::fontout;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input in(data, size);
    const std::string text = in.text(40); // the format string
    const std::optional<GlyphFormat> format = parseFormatText(text);
    if (!format)
        return 0;
    FontRange range;
    range.format = *format;
    range.start = static_cast<int64_t>(in.u16()) - 256;
    range.count = static_cast<int64_t>(in.byte()) - 8;
    const uint8_t choices = in.byte();
    range.firstCode = (choices & 1) ? in.u32() : 0x20 + in.byte();
    range.mapped = choices & 2;
    CharTable table;
    table.add(range.firstCode, U"A");
    table.add(range.firstCode + 1, U"*/");
    table.add(range.firstCode + 2, U"");
    if (choices & 4)
        range.table = &table;
    range.name = (choices & 8) ? "9 lives-font" : "";
    // A copy of exactly the image's bytes, so that ASan sees a read past its end.
    const std::vector<uint8_t> image(in.rest(), in.rest() + in.restSize());
    range.image = image;

    for (const FontFileFormat *file : fontFileFormats()) {
        std::vector<uint8_t> bytes;
        try {
            bytes = file->write(range);
        } catch (const FontOutError &error) {
            FUZZ_CHECK(std::strchr(error.what(), '\n') == nullptr, "a refusal of two lines: %s", error.what());
            continue;
        }
        FUZZ_CHECK(range.count > 0 && range.start >= 0, "'%s': wrote %lld glyphs from %lld", text.c_str(),
                   static_cast<long long>(range.count), static_cast<long long>(range.start));
        const std::string written(bytes.begin(), bytes.end());
        if (file->extension() == "bdf") {
            FUZZ_CHECK(written.find("CHARS " + std::to_string(range.count) + "\n") != std::string::npos, "'%s': BDF count",
                       text.c_str());
        } else if (file->extension() == "psf") {
            const size_t cell = static_cast<size_t>((format->width + 7) / 8 * format->pixelRows());
            FUZZ_CHECK(bytes.size() >= 32 + cell * static_cast<size_t>(range.count), "'%s': PSF2 of %zu bytes", text.c_str(),
                       bytes.size());
        } else {
            const int64_t total = (range.count - 1) * format->step() + format->size();
            FUZZ_CHECK(written.find("[" + std::to_string(total) + "] = {") != std::string::npos, "'%s': C array length",
                       text.c_str());
        }
    }
    return 0;
}
