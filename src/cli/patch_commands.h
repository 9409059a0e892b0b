#pragma once
#include "cli/command_line.h"

namespace velmora::cli {

// velmora patch make ORIGINAL MODIFIED -o PATCH.{ips,bps,txt}
int runPatchMake(const Invocation &invocation);
// velmora patch apply IMAGE PATCH -o OUT.bin
int runPatchApply(const Invocation &invocation);

} // namespace velmora::cli
