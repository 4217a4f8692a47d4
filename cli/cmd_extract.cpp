// extract FILE -o DIR: every icon of a file as an ICO file of its own.
#include <filesystem>
#include <system_error>

#include "cli/commands.h"

namespace kavrel::cli {

// A file name from an icon name: no folder separators, no control
// characters, not "." or "..", and short enough for any file system.
std::string IconFileStem(const std::string& name, int number)
{
    std::string s;
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        s += (c == '/' || c == '\\' || u < 0x20 || u == 0x7F) ? '_' : c;
    }
    if (s.size() > 200)
        s.resize(200);
    if (s.find_first_not_of(". ") == std::string::npos)
        return "icon-" + std::to_string(number);
    return s;
}

int RunExtract(const std::vector<std::string>& argv, Io& io)
{
    std::string error;
    auto args = ParseArgs(argv, {"-o", "--output"}, {"--salvage"}, error);
    if (!args)
        return UsageError(io, "extract", error);
    auto dir = args->value("-o");
    if (!dir)
        dir = args->value("--output");
    if (args->positional.size() != 1 || !dir || dir->empty())
        return UsageError(io, "extract", args->positional.size() != 1 ? "give one file" : "no output folder (-o DIR)");

    std::vector<CIconGroup> groups;
    if (!LoadIcons(args->positional[0], groups, io, args->has("--salvage")))
        return kExitFailed;
    std::error_code ec;
    std::filesystem::create_directories(*dir, ec);
    if (!std::filesystem::is_directory(*dir, ec))
        return Failure(io, *dir + ": cannot create the folder");

    int status = kExitOk;
    for (std::size_t n = 0; n < groups.size(); ++n) {
        const std::string path = FreePath(*dir, IconFileStem(groups[n].name, static_cast<int>(n + 1)), ".ico");
        if (!groups[n].SaveAsIco(path)) {
            status = Failure(io, path + ": cannot write the file");
            continue;
        }
        io.out << path << "\n";
    }
    return status;
}

} // namespace kavrel::cli
