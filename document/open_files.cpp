#include "document/open_files.h"

#include <algorithm>

#include "platform/prompter.h"
#include "resources/strings.h"

namespace kavrel {

namespace {

std::vector<std::string> Split(const std::string& text, char sep)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find(sep, start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

std::string Join(const std::vector<std::string>& parts, char sep)
{
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i)
            out += sep;
        out += parts[i];
    }
    return out;
}

std::string FileNameOf(const std::string& path)
{
    std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

std::vector<FilterEntry> ParseFilter(const std::string& filter)
{
    std::vector<FilterEntry> entries;
    std::vector<std::string> fields = Split(filter, '|');
    // Pairs until the first empty name: the filter ends with "||".
    for (std::size_t i = 0; i + 1 < fields.size(); i += 2) {
        if (fields[i].empty())
            break;
        FilterEntry e{fields[i], {}};
        for (std::string& p : Split(fields[i + 1], ';'))
            if (!p.empty())
                e.patterns.push_back(std::move(p));
        entries.push_back(std::move(e));
    }
    return entries;
}

std::string OpenFilter(const std::string& filter, const std::function<bool(FileKindType)>& canOpen)
{
    std::string out;
    for (FilterEntry& e : ParseFilter(filter)) {
        std::erase_if(e.patterns, [&](const std::string& p) {
            FileKindType kind = FileKind(p);
            return kind != FileKindType::Unknown && !canOpen(kind);
        });
        if (e.patterns.empty())
            continue;
        out += e.name + '|' + Join(e.patterns, ';') + '|';
    }
    return out.empty() ? out : out + '|';
}

IconFilePreview PreviewIconFile(const std::string& path)
{
    IconFilePreview preview;
    LoadIconsFromFile(preview.icons, path);
    std::erase_if(preview.icons, [](const CIconGroup& g) { return g.FormatCount() == 0; });
    preview.caption = preview.icons.empty()
                          ? LoadString(55052)
                          : FormatString(55051, static_cast<int>(preview.icons.size()), FileNameOf(path));
    return preview;
}

bool IsMultipleSelectionText(const std::string& text)
{
    return text.size() > 260 || (!text.empty() && text[0] == '"' && text.find(' ') != std::string::npos);
}

bool FileHoldsIcons(const std::string& path)
{
    std::vector<CIconGroup> groups;
    LoadIconsFromFile(groups, path);
    return std::any_of(groups.begin(), groups.end(), [](const CIconGroup& g) { return g.FormatCount() > 0; });
}

std::string AboutFile(const std::string& path, int stringId)
{
    return path + "\n" + LoadString(stringId);
}

void ReportFileWithoutIcons(const std::string& path)
{
    Prompts().Message(AboutFile(path, 55048), MB_OK | MB_ICONSTOP);
}

void ReportFilesWithoutIcons(int chosen, int withoutIcon)
{
    if (withoutIcon <= 0)
        return;
    Prompts().Message(LoadString(chosen > 1 ? 55049 : 55048), MB_OK | MB_ICONSTOP);
}

} // namespace kavrel
