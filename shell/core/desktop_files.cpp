#include "shell/core/desktop_files.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "platform/atomic_file.h"
#include "platform/byte_reader.h"

extern char** environ;

namespace kavrel {

namespace fs = std::filesystem;

namespace {

std::string EnvOr(const char* name, const std::string& fallback)
{
    const char* value = std::getenv(name);
    // The XDG rules ignore relative paths.
    if (value && value[0] == '/')
        return value;
    return fallback;
}

std::string Home()
{
    const char* home = std::getenv("HOME");
    return home ? home : "";
}

class RealPrograms : public ProgramRunner {
  public:
    bool Exists(const std::string& name) override
    {
        const char* path = std::getenv("PATH");
        std::stringstream folders(path ? path : "/usr/bin:/bin");
        std::string folder;
        while (std::getline(folders, folder, ':'))
            if (!folder.empty() && access((folder + "/" + name).c_str(), X_OK) == 0)
                return true;
        return false;
    }

    int Run(const std::vector<std::string>& argv, std::string* output) override
    {
        if (argv.empty())
            return -1;
        int pipeFds[2] = {-1, -1};
        if (pipe(pipeFds) != 0)
            return -1;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        pid_t pid = 0;
        int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(pipeFds[1]);
        std::string out;
        if (rc == 0) {
            char buffer[4096];
            ssize_t n = 0;
            while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0)
                out.append(buffer, static_cast<std::size_t>(n));
        }
        close(pipeFds[0]);
        if (rc != 0)
            return -1;
        int status = 0;
        if (waitpid(pid, &status, 0) != pid)
            return -1;
        if (output)
            *output = out;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::vector<std::string> Lines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

} // namespace

DesktopFolders DesktopFolders::FromEnvironment()
{
    return {EnvOr("XDG_DATA_HOME", Home() + "/.local/share"), EnvOr("XDG_CONFIG_HOME", Home() + "/.config")};
}

ProgramRunner& SystemPrograms()
{
    static RealPrograms programs;
    return programs;
}

std::string RunningProgramPath()
{
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.string();
}

std::optional<std::string> ReadTextFile(const std::string& path)
{
    auto bytes = ReadWholeFile(path, 4u << 20);
    if (!bytes)
        return std::nullopt;
    return std::string(bytes->begin(), bytes->end());
}

bool WriteTextFile(const std::string& path, std::string_view text)
{
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    return WriteFileAtomically(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::string DesktopExecArgument(const std::string& argument)
{
    bool plain = !argument.empty();
    for (char c : argument)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '/' || c == '.' || c == '_' || c == '-' || c == '+' ||
              c == ',' || c == ':'))
            plain = false;
    std::string out;
    if (plain) {
        out = argument;
    } else {
        // Inside quotes these four take a backslash; '%' is doubled as a
        // field code would be read otherwise.
        out = "\"";
        for (char c : argument) {
            if (c == '"' || c == '`' || c == '$' || c == '\\')
                out += '\\';
            if (c == '%')
                out += '%';
            out += c;
        }
        out += '"';
    }
    // The key's value is itself a string whose backslashes are escaped.
    std::string escaped;
    for (char c : out) {
        if (c == '\\')
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

std::optional<std::string> IniValue(std::string_view text, std::string_view group, std::string_view key)
{
    bool inGroup = false;
    for (const std::string& raw : Lines(text)) {
        std::string_view line = Trim(raw);
        if (line.starts_with('[')) {
            inGroup = line == "[" + std::string(group) + "]";
            continue;
        }
        if (!inGroup)
            continue;
        std::size_t eq = line.find('=');
        if (eq != std::string_view::npos && Trim(line.substr(0, eq)) == key)
            return std::string(Trim(line.substr(eq + 1)));
    }
    return std::nullopt;
}

std::string SetIniValue(std::string_view text, std::string_view group, std::string_view key, std::string_view value)
{
    std::vector<std::string> lines = Lines(text);
    std::string header = "[" + std::string(group) + "]";
    std::string entry = std::string(key) + "=" + std::string(value);
    int groupLine = -1;
    int end = static_cast<int>(lines.size());
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        std::string_view line = Trim(lines[i]);
        if (line.starts_with('[')) {
            if (groupLine >= 0) {
                end = i;
                break;
            }
            if (line == header)
                groupLine = i;
            continue;
        }
        if (groupLine < 0)
            continue;
        std::size_t eq = line.find('=');
        if (eq != std::string_view::npos && Trim(line.substr(0, eq)) == key) {
            lines[i] = entry;
            groupLine = -2; // done
            break;
        }
    }
    if (groupLine == -1) {
        if (!lines.empty() && !Trim(lines.back()).empty())
            lines.emplace_back();
        lines.push_back(header);
        lines.push_back(entry);
    } else if (groupLine >= 0) {
        // After the group's last non-blank line.
        int at = end;
        while (at > groupLine + 1 && Trim(lines[at - 1]).empty())
            --at;
        lines.insert(lines.begin() + at, entry);
    }
    std::string out;
    for (const std::string& line : lines)
        out += line + "\n";
    return out;
}

std::string MimeAppsDefault(std::string_view text, std::string_view type)
{
    std::optional<std::string> value = IniValue(text, "Default Applications", type);
    if (!value)
        return {};
    return value->substr(0, value->find(';'));
}

std::string SetMimeAppsDefault(std::string_view text, std::string_view type, std::string_view id)
{
    return SetIniValue(text, "Default Applications", type, std::string(id) + ";");
}

} // namespace kavrel
