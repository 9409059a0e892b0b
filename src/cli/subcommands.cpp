#include "cli/subcommands.h"

#include "cli/font_commands.h"

namespace velmora::cli {

const std::vector<Subcommand> &subcommands()
{
    static const std::vector<Subcommand> table = {
        {"find", "Lists the fonts the font finder finds in IMAGE, best first: offset, format, characters, score.",
         {"IMAGE"},
         {{"json", nullptr, "Print the list as JSON."}},
         runFind},
        {"export", "Writes characters of IMAGE as a PNG sheet, exactly as File > Export does.",
         {"IMAGE"},
         {{"at", "OFFSET", "First character (hex, \"$\" accepted).", true},
          {"format", "WxH[,spare][,swap]", "Character format, as find lists it.", true},
          {"count", "N", "Characters on the sheet, 1 to 65536 (default 32, cut at the image end)."},
          {"o", "SHEET.png", "The sheet to write.", true}},
         runExport},
        {"import", "Writes the characters of a PNG sheet into a copy of IMAGE, as File > Import does.",
         {"IMAGE", "SHEET.png"},
         {{"at", "OFFSET", "First character (default: the offset the sheet was exported from)."},
          {"format", "WxH[,spare][,swap]", "Character format (default: the format the sheet names)."},
          {"o", "OUT.bin", "The image to write; never IMAGE itself.", true}},
         runImport},
    };
    return table;
}

} // namespace velmora::cli
