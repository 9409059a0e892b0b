#pragma once
#include <string>
#include <vector>

#include <QStringList>

namespace velmora::cli {

// Exit statuses of a subcommand.
enum ExitStatus : int { Success = 0, Failure = 1, UsageFailure = 2 };

// What one run of a subcommand was given: its positional arguments in order,
// and its options by name (a switch has an empty value).
struct Invocation {
    QStringList positionals;
    std::vector<std::pair<std::string, std::string>> options;

    bool has(const std::string &name) const;
    // The value of an option, or fallback when it was not given.
    std::string value(const std::string &name, const std::string &fallback = {}) const;
    // The value of an option that must be given; throws UsageError.
    std::string required(const std::string &name) const;
};

// True when the arguments ask for the command line rather than the window:
// a subcommand name first, or a help or version option anywhere. Decided
// before any application object exists, so no window system is started.
bool wantsCommandLine(int argc, char *argv[]);

// Checks, before the window's application object exists, what would keep
// the window from starting: a first argument that names neither a
// subcommand nor a file (status 2), or no display to show the window on
// (status 1; Qt would abort). Says why in one line on standard error and
// returns the exit status, or returns -1 when the window may start.
int refuseWindowStart(int argc, char *argv[]);

// Runs the subcommand named in arguments (the program name first) and
// returns the exit status; texts go to standard output and standard error.
int runCommandLine(const QStringList &arguments);

} // namespace velmora::cli
