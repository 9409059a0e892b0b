#pragma once
#include "cli/command_line.h"

namespace velmora::cli {

// velmora find IMAGE [--json]
int runFind(const Invocation &invocation);
// velmora export IMAGE --at OFFSET --format F [--count N] -o SHEET.png, or
// [--first-code C] [--table FILE.tbl] -o FONT.bdf|.psf|.c
int runExport(const Invocation &invocation);
// velmora import IMAGE SHEET.png [--at OFFSET] [--format F] -o OUT.bin
int runImport(const Invocation &invocation);

} // namespace velmora::cli
