#pragma once
#include <vector>

#include "cli/command_line.h"

namespace velmora::cli {

// One option of a subcommand: "--name VALUE", or a switch when value is empty.
struct OptionSpec {
    const char *name;
    const char *value; // shown in the help; nullptr for a switch
    const char *description;
    bool required = false;
};

// One subcommand: its name ("find", "patch make"), the positional arguments
// it takes, its options, and the handler that runs it. The help texts, the
// argument checks and the dispatch are all made from this one table.
struct Subcommand {
    const char *name;
    const char *summary;
    std::vector<const char *> positionals;
    std::vector<OptionSpec> options;
    int (*run)(const Invocation &);
};

const std::vector<Subcommand> &subcommands();

} // namespace velmora::cli
