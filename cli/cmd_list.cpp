// list [--offsets] FILE...: one line per icon, "N<TAB>NAME<TAB>FORMATS".
#include <memory>

#include "cli/commands.h"
#include "model/ico_file.h"
#include "platform/byte_reader.h"

namespace kavrel::cli {
namespace {

// The ICO reader keeps no offsets, so with --offsets an ICO file that the
// reader accepted is read again entry by entry to learn where each image
// lies. AddFormat sorts the same way, so the formats line up.
bool RecordIcoOffsets(const std::string& path, CIconGroup& group)
{
    auto file = FileReader::Open(path);
    if (!file)
        return false;
    auto header = file->readAt(0, 6);
    if (!header)
        return false;
    const std::uint64_t count = LoadU16(header->data() + 4);
    auto directory = file->readAt(6, 16 * count);
    if (!directory)
        return false;
    CIconGroup withOffsets;
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint32_t offset = LoadU32(directory->data() + 16 * i + 12);
        CIcon icon;
        if (!icon.ReadImage(*file, offset))
            return false;
        icon.sourceOffset = static_cast<int>(offset);
        if (!withOffsets.AddFormat(icon))
            return false;
    }
    if (withOffsets.FormatCount() != group.FormatCount())
        return false;
    for (int i = 0; i < group.FormatCount(); ++i) {
        if (withOffsets.GetFormat(i)->image != group.GetFormat(i)->image)
            return false;
        group.GetFormat(i)->sourceOffset = withOffsets.GetFormat(i)->sourceOffset;
    }
    return true;
}

} // namespace

int RunList(const std::vector<std::string>& argv, Io& io)
{
    std::string error;
    auto args = ParseArgs(argv, {}, {"--offsets"}, error);
    if (!args)
        return UsageError(io, "list", error);
    if (args->positional.empty())
        return UsageError(io, "list", "no file given");
    const bool offsets = args->has("--offsets");
    const bool headers = args->positional.size() > 1;

    int status = kExitOk;
    for (const std::string& path : args->positional) {
        std::vector<CIconGroup> groups;
        if (!LoadIcons(path, groups, io)) {
            status = kExitFailed;
            continue;
        }
        if (offsets && FileKind(path) == FileKindType::Icon && groups.size() == 1) {
            bool known = false;
            for (const auto& f : groups[0].formats)
                known = known || f->sourceOffset != 0;
            if (!known && !RecordIcoOffsets(path, groups[0])) {
                status = Failure(io, path + ": cannot read the image offsets");
                continue;
            }
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
