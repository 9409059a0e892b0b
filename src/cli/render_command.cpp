#include "cli/render_command.h"

#include <algorithm>
#include <cstdio>
#include <iostream>

#include <QBuffer>

#include "characters/rendering_image.h"
#include "characters/utf8_text.h"
#include "cli/arguments.h"
#include "cli/image_map.h"
#include "cli/output_file.h"
#include "model/errors.h"
#include "storage/file_access.h"

namespace velmora::cli {

namespace {

// A character as a line of standard error shows it: control characters by
// their code, so that the line stays readable.
std::string shownText(const std::u32string &text)
{
    if (text.size() == 1 && (text[0] < 0x20 || text[0] == 0x7F)) {
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(text[0]));
        return code;
    }
    return encodeUtf8(text);
}

// One line of standard error per kind: "velmora render: blank: ä ö".
void warn(const char *what, const std::vector<std::u32string> &chars)
{
    if (chars.empty())
        return;
    std::string listed;
    for (const std::u32string &c : chars)
        listed += (listed.empty() ? "" : " ") + shownText(c);
    std::cerr << "velmora render: " << what << ": " << listed << "\n";
}

} // namespace

int runRender(const Invocation &in)
{
    FontMap map;
    map.start = parseOffset(in.required("at"));
    map.format = parseFormat(in.required("format"));
    // The window's map of this font, when IMAGE.chars has one: its glyphs
    // labelled one by one, and its first code unless --first-code says otherwise.
    if (const std::optional<FontMap> kept = imageFontMap(in.positionals[0], map.start, map.format)) {
        map.firstCode = kept->firstCode;
        map.labels = kept->labels;
    }
    if (in.has("first-code"))
        map.firstCode = static_cast<uint32_t>(parseOffset(in.value("first-code")));
    if (in.has("first-code") && map.firstCode > 0x10FFFF)
        throw UsageError("--first-code takes a code up to 10FFFF, not '" + in.value("first-code") + "'");
    const int gap = in.has("gap") ? parseCount("gap", in.value("gap"), 0, 16) : 0;
    const int screenWidth = in.has("screen-width") ? parseCount("screen-width", in.value("screen-width"), 0, 4096) : 0;
    const std::optional<std::u32string> text = decodeUtf8(in.required("text"));
    if (!text)
        throw UsageError("--text is not UTF-8");

    // Mapped: only the pages of the glyphs drawn are read.
    const ImageStore mapped = mapImageFile(in.positionals[0]);
    const std::span<const uint8_t> image(mapped.data(), mapped.size());
    if (map.start >= static_cast<int64_t>(image.size()))
        throw EditorError("Offset " + in.value("at") + " lies past the image end");
    CharTable table;
    if (in.has("table")) {
        const std::vector<uint8_t> bytes = readWholeFile(QString::fromStdString(in.value("table")));
        table = parseCharTable(std::string_view(reinterpret_cast<const char *>(bytes.data()), bytes.size()));
    }
    const TextRendering rendering = renderText(image, map, in.has("table") ? &table : nullptr, gap, screenWidth, *text);

    // Every character that draws nothing is named, as the preview lists them;
    // with --strict any of them is a failure and nothing is written.
    warn("no glyph for", rendering.missing);
    warn("width 0", rendering.zeroWidth);
    for (const std::u32string &c : rendering.inkedZeroWidth)
        std::cerr << "velmora render: " << shownText(c) << " has ink but width 0: set its width\n";
    warn("blank", rendering.blank);
    const bool vanishing = !rendering.missing.empty() || !rendering.zeroWidth.empty() || !rendering.inkedZeroWidth.empty()
                           || !rendering.blank.empty();
    if (vanishing && in.has("strict"))
        return Failure;

    QImage picture = renderingImage(rendering);
    picture.setDotsPerMeterX(3780);
    picture.setDotsPerMeterY(3780);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "PNG"))
        throw EditorError("The rendering could not be encoded as PNG");
    writeOutput(QString::fromStdString(in.required("o")), in.positionals,
                std::span(reinterpret_cast<const uint8_t *>(png.constData()), static_cast<size_t>(png.size())));
    return Success;
}

} // namespace velmora::cli
