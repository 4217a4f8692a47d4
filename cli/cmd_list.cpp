// list [--offsets] [--salvage] FILE...: one line per icon, "N<TAB>NAME<TAB>FORMATS".
#include "cli/commands.h"

namespace kavrel::cli {
namespace {

bool AllOffsetsKnown(const std::vector<CIconGroup>& groups)
{
    for (const auto& group : groups)
        for (const auto& f : group.formats)
            if (!f->sourceOffset)
                return false;
    return true;
}

} // namespace

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
        if (!LoadIcons(path, groups, io, args->has("--salvage"), ImageBytes::Skip)) {
            status = kExitFailed;
            continue;
        }
        if (offsets && !AllOffsetsKnown(groups)) {
            status = Failure(io, path + ": cannot read the image offsets");
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
                    io.out << "@" << *icon.sourceOffset;
            }
            io.out << "\n";
        }
    }
    return status;
}

} // namespace kavrel::cli
