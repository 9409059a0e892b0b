#include "cli/subcommands.h"

#include "cli/font_commands.h"
#include "cli/patch_commands.h"
#include "cli/render_command.h"

namespace velmora::cli {

const std::vector<Subcommand> &subcommands()
{
    static const std::vector<Subcommand> table = {
        {"find", "Lists the fonts the font finder finds in IMAGE, best first: offset, format, characters, score.",
         {"IMAGE"},
         {{"json", nullptr, "Print the list as JSON."},
          {"width-byte-only", nullptr, "Look only for fonts of the width-byte layout, not also in the layouts without widths "
                                       "(rows, packed, strips, pages, columns): about four times faster."},
          {"layouts", nullptr, "Also look in the layouts without widths: the default, accepted for older scripts."}},
         runFind},
        {"export", "Writes characters of IMAGE as a PNG sheet, exactly as File > Export does, or as a font file: "
                   "the extension of -o chooses .png, .bdf (BDF 2.1), .psf (PSF2) or .c (C source).",
         {"IMAGE"},
         {{"at", "OFFSET", "First character (hex, \"$\" accepted).", true},
          {"format", "FORMAT", "Character format, as find lists it (WxH[,spare][,swap] or WxH,LAYOUT[,option...]).", true},
          {"count", "N", "Characters to write, 1 to 65536 (default 32, cut at the image end)."},
          {"first-code", "C", "Font files: code of the first glyph, hex (default: the window's map of the font at --at in "
                              "IMAGE.chars, labelled glyphs included, else 20); a PSF2 gets a Unicode table."},
          {"table", "FILE.tbl", "Font files: character table (HEX=text lines) for codes that are not Unicode."},
          {"o", "OUT.png|.bdf|.psf|.c", "The sheet or font file to write.", true}},
         runExport},
        {"import", "Writes the characters of a PNG sheet into a copy of IMAGE, as File > Import does.",
         {"IMAGE", "SHEET.png"},
         {{"at", "OFFSET", "First character (default: the offset the sheet was exported from)."},
          {"format", "WxH[,spare][,swap]", "Character format (default: the format the sheet names)."},
          {"o", "OUT.bin", "The image to write; never IMAGE itself.", true}},
         runImport},
        {"patch make", "Writes the differences between ORIGINAL and MODIFIED as a patch; the extension of PATCH "
                       "chooses the format: .ips, .bps (checked against both images' CRC-32) or .txt.",
         {"ORIGINAL", "MODIFIED"},
         {{"o", "PATCH", "The patch to write: .ips, .bps or .txt.", true}},
         runPatchMake},
        {"patch apply", "Applies a patch to a copy of IMAGE; a patch for another image is refused and nothing is written.",
         {"IMAGE", "PATCH"},
         {{"o", "OUT.bin", "The patched image to write; never IMAGE itself.", true}},
         runPatchApply},
        {"render", "Draws TEXT in the font at OFFSET as the text preview shows it at zoom 1, and writes it as a PNG; "
                   "characters without a glyph, of width 0 or blank are named on standard error.",
         {"IMAGE"},
         {{"at", "OFFSET", "The font's first glyph (hex, \"$\" accepted).", true},
          {"format", "WxH[,spare][,swap]", "The font's format, as find lists it.", true},
          {"first-code", "C", "Code of the first glyph, hex (default: the window's map of the font at --at in IMAGE.chars, "
                                "else 20); that map's labelled glyphs keep their characters."},
          {"table", "FILE.tbl", "Character table (HEX=text lines) for codes that are not Unicode."},
          {"gap", "N", "Blank pixels after each character, 0 to 16 (default 0)."},
          {"screen-width", "N", "Tint lines wider than N pixels (default 0: no limit)."},
          {"text", "TEXT", "The text; a line break starts a new line.", true},
          {"strict", nullptr, "A character without a glyph, of width 0 or blank is a failure: nothing is written."},
          {"o", "OUT.png", "The picture to write.", true}},
         runRender},
    };
    return table;
}

} // namespace velmora::cli
