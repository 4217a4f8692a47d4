// convert IN OUT.ico: a round trip through the model.
#include "cli/commands.h"

namespace kavrel::cli {

int RunConvert(const std::vector<std::string>& argv, Io& io)
{
    std::string error;
    auto args = ParseArgs(argv, {"--icon"}, {"--salvage"}, error);
    if (!args)
        return UsageError(io, "convert", error);
    if (args->positional.size() != 2)
        return UsageError(io, "convert", "give an input and an output file");
    auto iconText = args->value("--icon");
    auto number = iconText ? ParsePositiveInt(*iconText) : std::optional<int>(1);
    if (!number)
        return UsageError(io, "convert", "--icon takes an icon number from 1");

    const std::string& in = args->positional[0];
    const std::string& out = args->positional[1];
    if (int refused = RefuseUnwritableTarget(io, out))
        return refused;
    std::vector<CIconGroup> groups;
    if (!LoadIcons(in, groups, io, args->has("--salvage")))
        return kExitFailed;
    if (static_cast<std::size_t>(*number) > groups.size())
        return Failure(io, in + ": no icon " + std::to_string(*number) + " (the file holds " +
                               std::to_string(groups.size()) + ")");
    // An ICO file holds one icon; the others of a library would be lost unseen.
    if (groups.size() > 1 && !iconText)
        io.err << "kavrel-cli: " << in << " holds " << groups.size()
               << " icons; converting the first (choose one with --icon N)\n";
    int writeError = 0;
    if (!groups[static_cast<std::size_t>(*number - 1)].SaveAsIco(out, &writeError))
        return WriteFailure(io, out, writeError);
    return kExitOk;
}

} // namespace kavrel::cli
