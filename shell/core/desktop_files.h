// What the Linux desktop reads in the user's own folders: the XDG folders,
// small text files written whole, desktop-entry command lines, and the
// desktop's own programs (database refreshes, settings tools) run through
// an interface that tests replace.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavrel {

// $XDG_DATA_HOME (default ~/.local/share) and $XDG_CONFIG_HOME (default ~/.config).
struct DesktopFolders {
    std::string dataHome;
    std::string configHome;
    static DesktopFolders FromEnvironment();
};

class ProgramRunner {
  public:
    virtual ~ProgramRunner() = default;
    // Whether `name` is a program on the PATH.
    virtual bool Exists(const std::string& name) = 0;
    // Runs argv[0] from the PATH and waits; the exit status, -1 when it
    // could not run. output, when given, receives its standard output.
    virtual int Run(const std::vector<std::string>& argv, std::string* output = nullptr) = 0;
};
// Real processes.
ProgramRunner& SystemPrograms();

// The path of the running program, links resolved.
std::string RunningProgramPath();

// A file's text; nullopt when it cannot be read.
std::optional<std::string> ReadTextFile(const std::string& path);
// Writes through the atomic writer, creating the folders first.
bool WriteTextFile(const std::string& path, std::string_view text);

// One argument of a desktop entry's Exec key, quoted and escaped so that the
// desktop passes it back unchanged.
std::string DesktopExecArgument(const std::string& argument);

// mimeapps.list: the desktop id of the default handler of `type` (the first
// of its list), or empty; and the file's text with `type` handled by `id`.
std::string MimeAppsDefault(std::string_view text, std::string_view type);
std::string SetMimeAppsDefault(std::string_view text, std::string_view type, std::string_view id);

// "[Group]" / "Key=value" files: the value of a key, when present.
std::optional<std::string> IniValue(std::string_view text, std::string_view group, std::string_view key);
// The text with the key set (the group and key created as needed).
std::string SetIniValue(std::string_view text, std::string_view group, std::string_view key, std::string_view value);

} // namespace kavrel
