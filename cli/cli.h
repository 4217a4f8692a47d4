// kavrel-cli: the command table, argument parsing and the exit codes shared by
// every command.
#pragma once

#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "platform/gdi.h"

namespace kavrel::cli {

enum ExitCode : int {
    kExitOk = 0,
    kExitFailed = 1, // a file gave no icons, or an operation failed
    kExitUsage = 2,
};

// A command's arguments after the command name: options (with their value, or
// empty for flags) and positional arguments in order.
struct Args {
    std::map<std::string, std::string> options;
    std::vector<std::string> positional;

    bool has(const std::string& name) const { return options.count(name) != 0; }
    std::optional<std::string> value(const std::string& name) const;
};

// Splits `argv` by the options a command knows: `valued` take a value
// ("-o DIR", "--icon=3"), `flags` take none. "--" ends the options. Unknown
// options and missing values give nullopt with the reason in `error`.
std::optional<Args> ParseArgs(const std::vector<std::string>& argv, const std::set<std::string>& valued,
                              const std::set<std::string>& flags, std::string& error);

// Where a command writes: its normal output and its messages.
struct Io {
    std::ostream& out;
    std::ostream& err;
};

struct Command {
    const char* name;
    const char* synopsis; // the arguments, as the usage text shows them
    const char* summary;  // one line
    int (*run)(const std::vector<std::string>& argv, Io& io);
};

// Every command, in the order the usage text lists them.
const std::vector<Command>& Commands();

// Prints "kavrel-cli: MESSAGE" and the command's usage line; returns kExitUsage.
int UsageError(Io& io, const std::string& command, const std::string& message);
// Prints "kavrel-cli: MESSAGE"; returns kExitFailed.
int Failure(Io& io, const std::string& message);

// Refuses an output file that must not be replaced (read-only, a folder):
// prints why and gives kExitFailed; kExitOk when writing may go ahead.
int RefuseUnwritableTarget(Io& io, const std::string& path);
// A failed write: the path and the system's reason when one is known.
int WriteFailure(Io& io, const std::string& path, int error);

// Parsing helpers shared by the commands.
std::optional<int> ParsePositiveInt(const std::string& text);
// "RRGGBB" or "#RRGGBB" as a colour reference.
std::optional<COLORREF> ParseRgbHex(const std::string& text);

int Main(int argc, char** argv, std::ostream& out, std::ostream& err);

} // namespace kavrel::cli
