// list [--offsets] [--salvage] FILE...: one line per icon, "N<TAB>NAME<TAB>FORMATS".
#include "cli/commands.h"

namespace kavrel::cli {

int RunList(const std::vector<std::string>& argv, Io& io)
{
    std::string error;
    auto args = ParseArgs(argv, {}, {"--offsets", "--salvage"}, error);
    if (!args)
        return UsageError(io, "list", error);
    if (args->positional.empty())
        return UsageError(io, "list", "no file given");
    const bool offsets = args->has("--offsets");
    const bool headers = args->positional.size() > 1;

    int status = kExitOk;
    for (const std::string& path : args->positional) {
        std::vector<CIconGroup> groups;
        if (!LoadIcons(path, groups, io, args->has("--salvage"))) {
            status = kExitFailed;
            continue;
        }
        if (headers)
            io.out << "# " << path << "\n";
        for (std::size_t n = 0; n < groups.size(); ++n) {
            io.out << n + 1 << "\t" << EscapedName(groups[n].name) << "\t";
            for (int i = 0; i < groups[n].FormatCount(); ++i) {
                const CIcon& icon = *groups[n].GetFormat(i);
                io.out << (i ? " " : "") << icon.FormatLabel();
                if (offsets)
                    io.out << "@" << static_cast<std::uint32_t>(icon.sourceOffset);
            }
            io.out << "\n";
        }
    }
    return status;
}

} // namespace kavrel::cli
