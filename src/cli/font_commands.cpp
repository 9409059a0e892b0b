#include "cli/font_commands.h"

#include <cstdio>
#include <iostream>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli/arguments.h"
#include "cli/image_map.h"
#include "cli/output_file.h"
#include "exchange/png_sheet.h"
#include "finder/font_scan.h"
#include "fontout/font_file_format.h"
#include "fontout/font_glyphs.h"
#include "model/errors.h"
#include "model/format.h"
#include "model/text_format.h"
#include "characters/char_table.h"
#include "storage/file_access.h"

namespace velmora::cli {

namespace {

std::span<const uint8_t> asBytes(const QByteArray &bytes)
{
    return {reinterpret_cast<const uint8_t *>(bytes.constData()), static_cast<size_t>(bytes.size())};
}

void requireInside(const EditorState &state, int32_t offset)
{
    if (offset >= state.imageLength())
        throw EditorError("Offset " + hex8(offset) + " lies past the image end (" + hex8(state.imageLength()) + ")");
}

// The format a sheet names in its text keys ("8x13" with flags "tfftf", or
// a format string of another layout); false when it names none.
bool sheetFormat(const QImage &sheet, EditorState &state)
{
    const QString text = sheet.text(QStringLiteral("Velmora-Format"));
    const QString flags = sheet.text(QStringLiteral("Velmora-Flags"));
    if (text.isEmpty())
        return false;
    for (int f = 0; f < flagCount; ++f)
        state.setFlag(static_cast<Flag>(f), flags.size() == flagCount && flags[f] == QLatin1Char('t'));
    GlyphFormat format = parseFormat(text.toStdString());
    // The flags key holds the spare byte and swap of a 16-pixel font.
    format.spare = format.width == 16 && state.flag(Flag::SkipSpareByte);
    format.swap = format.width == 16 && state.flag(Flag::SwapBytes);
    setGlyphFormat(state, format, 0);
    return true;
}

// The font file of out's extension: count glyphs from offset, coded from
// --first-code (through --table when given).
std::vector<uint8_t> fontFile(const fontout::FontFileFormat &file, const Invocation &in, std::span<const uint8_t> image,
                              int32_t offset, const GlyphFormat &format, int wanted, const QString &out)
{
    fontout::FontRange range;
    range.image = image;
    range.start = offset;
    range.format = format;
    range.count = fontout::glyphsInside(static_cast<int64_t>(image.size()), offset, format, wanted);
    range.firstCode = in.has("first-code") ? static_cast<uint32_t>(parseOffset(in.value("first-code"))) : 0x20;
    if (range.firstCode > 0x10FFFF)
        throw UsageError("--first-code takes a code up to 10FFFF, not '" + in.value("first-code") + "'");
    range.mapped = in.has("first-code") || in.has("table");
    // Without --first-code, the window's map of this font codes the glyphs,
    // those labelled one by one included.
    if (!in.has("first-code"))
        if (const std::optional<FontMap> kept = imageFontMap(in.positionals[0], offset, format)) {
            range.firstCode = kept->firstCode;
            range.mapped = true;
            if (!kept->labels.empty())
                for (int64_t k = 0; k < range.count; ++k)
                    range.codes.push_back(codeOfGlyph(*kept, fontout::glyphOffset(range, k), static_cast<int64_t>(image.size())));
        }
    range.name = fontout::fontNameOf(out.toStdString());
    CharTable table;
    if (in.has("table")) {
        const std::vector<uint8_t> bytes = readWholeFile(QString::fromStdString(in.value("table")));
        table = parseCharTable(std::string_view(reinterpret_cast<const char *>(bytes.data()), bytes.size()));
        range.table = &table;
    }
    try {
        return file.write(range);
    } catch (const fontout::FontOutError &error) {
        throw EditorError(error.what());
    }
}

} // namespace

int runFind(const Invocation &in)
{
    const std::vector<uint8_t> image = readWholeFile(in.positionals[0]);
    FontScanOptions options;
    options.layouts = !in.has("width-byte-only");
    const FontScanResult result = scanFonts(image, options);
    // Said where a script reading the list does not see it: an empty list is no failure.
    if (result.candidates.empty())
        std::cerr << "No fonts found.\n";
    if (in.has("json")) {
        QJsonArray fonts;
        for (const FontCandidate &c : result.candidates) {
            fonts.append(QJsonObject{{QStringLiteral("offset"), QString::fromStdString(hex8(c.start))},
                                     {QStringLiteral("format"), QString::fromStdString(formatText(c.format))},
                                     {QStringLiteral("characters"), static_cast<qint64>(c.count)},
                                     {QStringLiteral("score"), c.score}});
        }
        const QJsonObject document{{QStringLiteral("image"), in.positionals[0]},
                                   {QStringLiteral("size"), static_cast<qint64>(image.size())},
                                   {QStringLiteral("fonts"), fonts}};
        std::cout << QJsonDocument(document).toJson(QJsonDocument::Indented).toStdString();
        return Success;
    }
    if (result.candidates.empty())
        return Success;
    std::printf("%-8s  %-24s  %10s  %10s\n", "offset", "format", "characters", "score");
    for (const FontCandidate &c : result.candidates)
        std::printf("%-8s  %-24s  %10lld  %10.0f\n", hex8(c.start).c_str(), formatText(c.format).c_str(),
                    static_cast<long long>(c.count), c.score);
    return Success;
}

int runExport(const Invocation &in)
{
    const int32_t offset = parseOffset(in.required("at"));
    const GlyphFormat format = parseFormat(in.required("format"));
    const int wanted = in.has("count") ? parseCount("count", in.value("count"), 1, 65536) : 32;
    const QString out = QString::fromStdString(in.required("o"));
    // A font file's extension chooses its format; any other name gets the PNG sheet.
    if (const fontout::FontFileFormat *file = fontout::fontFileFormatFor(out.toStdString())) {
        refuseInputAsOutput(out, in.positionals);
        // Mapped: only the pages of the glyphs written are read.
        const ImageStore mapped = mapImageFile(in.positionals[0]);
        const std::span<const uint8_t> image(mapped.data(), mapped.size());
        if (offset >= static_cast<int64_t>(image.size()))
            throw EditorError("Offset " + hex8(offset) + " lies past the image end (" + hex8(static_cast<int64_t>(image.size())) + ")");
        writeOutput(out, in.positionals, fontFile(*file, in, image, offset, format, wanted, out));
        return Success;
    }
    if (in.has("first-code") || in.has("table"))
        throw UsageError("--first-code and --table name the characters of a font file (.bdf, .psf, .c), not of a sheet");
    EditorState state = stateFor(mapImageFile(in.positionals[0]), format);
    state.layout.widthTableBase = offset; // a width table counts glyphs from the first one exported
    requireInside(state, offset);
    const QByteArray png = sheetPng(state, offset, charsThatFit(state, offset, wanted));
    writeOutput(out, in.positionals, asBytes(png));
    return Success;
}

int runImport(const Invocation &in)
{
    const QString out = QString::fromStdString(in.required("o"));
    const QString sheetPath = in.positionals[1];
    EditorState state = stateFor(mapImageFile(in.positionals[0]), GlyphFormat{});
    const QImage sheet = sheetFromFileBytes(readWholeFile(sheetPath), sheetPath);
    if (in.has("format")) {
        setGlyphFormat(state, parseFormat(in.value("format")), 0);
    } else if (!sheetFormat(sheet, state)) {
        throw UsageError("the sheet names no format: give --format");
    }
    const std::string sheetOffset = sheet.text(QStringLiteral("Velmora-Offset")).toStdString();
    if (!in.has("at") && sheetOffset.empty())
        throw UsageError("the sheet names no offset: give --at");
    const int32_t offset = parseOffset(in.value("at", sheetOffset));
    state.layout.widthTableBase = offset;
    requireInside(state, offset);
    const SheetRead read = readSheetImage(sheet, state);
    const int written = writeSheetGlyphs(state, offset, read.glyphs, state.flag(Flag::AcwCalculation) || !read.hasWidths);
    if (written == 0)
        checkSheetCount(state, offset, 0);
    writeOutput(out, in.positionals, state.image.bytes());
    if (written < read.glyphs.count())
        std::cerr << "velmora import: the image end cuts the sheet: " << written << " of its " << read.glyphs.count()
                  << " characters written\n";
    return Success;
}

} // namespace velmora::cli
