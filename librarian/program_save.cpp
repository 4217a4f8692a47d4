#include "librarian/program_save.h"

#include <map>

#include "model/program_file_write.h"
#include "platform/byte_reader.h"
#include "platform/prompter.h"
#include "resources/strings.h"

namespace kavrel {

namespace {

ProgramSaveResult Refuse(const std::string& path, const std::string& detail = {})
{
    std::string text = FormatString(kStrCannotSaveProgram, path);
    if (!detail.empty())
        text += "\n" + detail;
    Prompts().Message(text, MB_OK | MB_ICONSTOP);
    return ProgramSaveResult::Failed;
}

std::string FormatDetail(int id, const CIconGroup& group, int index, const CIcon& format)
{
    std::string icon = group.name.empty() ? FormatString(44, index + 1) : "\"" + group.name + "\"";
    return FormatString(id, icon, FormatString(55084, format.width, format.height, FormatDepthName(format.bitCount())));
}

} // namespace

ProgramSaveResult SaveIconsIntoProgramFile(const std::string& path, std::vector<CIconGroup>& icons)
{
    auto file = FileReader::Open(path);
    if (!file)
        return Refuse(path);
    auto layout = ReadProgramFileLayout(*file);
    if (!layout)
        return Refuse(path);

    std::map<std::uint64_t, const CIcon*> byOffset;
    for (std::size_t i = 0; i < icons.size(); ++i) {
        const CIconGroup& group = icons[i];
        for (const auto& format : group.formats) {
            int index = static_cast<int>(i);
            std::uint64_t offset = format->sourceOffset.value_or(0);
            CIcon original;
            if (offset == 0 || !layout->Holds(offset, format->image.size()) || !original.ReadImage(*file, offset) ||
                !layout->Holds(offset, original.image.size()))
                return Refuse(path, FormatDetail(kStrFormatOutside, group, index, *format));
            if (original.image.size() != format->image.size())
                return Refuse(path, FormatDetail(kStrFormatResized, group, index, *format));
            // Icons that share an image each hold a copy: an edited copy
            // wins over the unedited one, whatever their order.
            if (original.image != format->image)
                byOffset[offset] = format.get();
        }
    }
    file.reset();
    if (byOffset.empty())
        return ProgramSaveResult::Saved;

    if (layout->signedFile &&
        Prompts().Message(FormatString(kStrSignedProgram, path), MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return ProgramSaveResult::Declined;

    std::vector<ImageReplacement> replacements;
    for (const auto& [offset, format] : byOffset)
        replacements.push_back({offset, format->image});
    if (WriteImagesBack(path, replacements, layout->checksumOffset) != WriteBackResult::Written)
        return Refuse(path);
    // Every copy of a shared image now holds what the file holds, so a later
    // save cannot bring back an old copy.
    for (auto& group : icons)
        for (auto& format : group.formats)
            if (auto it = byOffset.find(format->sourceOffset.value_or(0));
                it != byOffset.end() && it->second != format.get()) {
                format->image = it->second->image;
                format->FreeThumbnail();
            }
    return ProgramSaveResult::Saved;
}

} // namespace kavrel
