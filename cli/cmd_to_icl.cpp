// to-icl OUT.icl INPUT...: every icon of the inputs, in order, in one new
// icon library.
#include <cctype>
#include <filesystem>

#include "cli/commands.h"
#include "model/icl_file.h"

namespace kavrel::cli {

// "Folder.ICO" -> "Folder", "/x/ARROWS.dll" -> "Arrows".
std::string NameFromFile(const std::string& path)
{
    std::string name = std::filesystem::path(path).stem().string();
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (!name.empty())
        name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    return name;
}

int RunToIcl(const std::vector<std::string>& argv, Io& io)
{
    std::string error;
    auto args = ParseArgs(argv, {}, {"--salvage"}, error);
    if (!args)
        return UsageError(io, "to-icl", error);
    if (args->positional.size() < 2)
        return UsageError(io, "to-icl", "give the library and at least one input");
    const std::string& out = args->positional[0];
    if (int refused = RefuseUnwritableTarget(io, out))
        return refused;

    std::vector<CIconGroup> library;
    int status = kExitOk;
    for (std::size_t i = 1; i < args->positional.size(); ++i) {
        const std::string& in = args->positional[i];
        std::vector<CIconGroup> groups;
        if (!LoadIcons(in, groups, io, args->has("--salvage"))) {
            status = kExitFailed;
            continue;
        }
        const std::string base = NameFromFile(in);
        for (std::size_t n = 0; n < groups.size(); ++n) {
            if (groups[n].name.empty())
                groups[n].name = groups.size() == 1 ? base : base + " " + std::to_string(n + 1);
            library.push_back(std::move(groups[n]));
        }
    }
    // A library missing some inputs is not what was asked for.
    if (status != kExitOk)
        return status;
    if (!WriteIconLibrary(out, library, NullProgress(), &error))
        return Failure(io, error.empty() ? out + ": cannot write the library" : error);
    return kExitOk;
}

} // namespace kavrel::cli
