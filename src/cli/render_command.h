#pragma once
#include "cli/command_line.h"

namespace velmora::cli {

// velmora render IMAGE --at OFFSET --format F [--first-code C] [--table FILE.tbl]
//                [--gap N] [--screen-width N] --text "..." -o OUT.png
int runRender(const Invocation &invocation);

} // namespace velmora::cli
