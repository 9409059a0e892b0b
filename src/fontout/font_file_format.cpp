#include "fontout/font_file_format.h"

#include <algorithm>
#include <array>

#include "fontout/bdf_font.h"
#include "fontout/c_source_font.h"
#include "fontout/font_glyphs.h"
#include "fontout/psf2_font.h"
#include "model/file_extension.h"

namespace velmora::fontout {

namespace {

const BdfFont bdf;
const Psf2Font psf2;
const CSourceFont cSource;

const std::array<const FontFileFormat *, 3> table = {&bdf, &psf2, &cSource};

} // namespace

std::span<const FontFileFormat *const> fontFileFormats() { return table; }

const FontFileFormat *fontFileFormatFor(std::string_view fileName)
{
    for (const FontFileFormat *format : table)
        if (endsWithExtension(fileName, format->extension()))
            return format;
    return nullptr;
}

int64_t glyphsInside(int64_t imageLength, int64_t start, const GlyphFormat &format, int64_t wanted)
{
    const int64_t size = format.size();
    if (wanted <= 0 || start < 0 || start > imageLength - size)
        return 0;
    return std::min(wanted, (imageLength - start - size) / format.step() + 1);
}

void checkRange(const FontRange &range)
{
    const int64_t length = static_cast<int64_t>(range.image.size());
    if (range.count <= 0)
        throw FontOutError("No glyph to write");
    if (range.start < 0)
        throw FontOutError("The font starts before the image");
    if (glyphsInside(length, range.start, range.format, range.count) < range.count)
        throw FontOutError("The font's " + std::to_string(range.count) + " glyphs from offset " + hexText(range.start, 8)
                           + " do not lie inside the image (" + hexText(length, 8) + " bytes)");
    const int64_t widths = range.format.widthByte() ? -1 : range.format.widthTable;
    if (widths >= 0 && widths > length - range.count)
        throw FontOutError("The width table at " + hexText(widths, 8) + " does not hold " + std::to_string(range.count)
                           + " widths inside the image (" + hexText(length, 8) + " bytes)");
}

std::string fontNameOf(std::string_view fileName)
{
    const size_t slash = fileName.find_last_of("/\\");
    std::string_view base = slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
    const size_t dot = base.rfind('.');
    if (dot != std::string_view::npos && dot > 0)
        base = base.substr(0, dot);
    return base.empty() ? std::string("font") : std::string(base);
}

} // namespace velmora::fontout
