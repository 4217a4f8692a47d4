#include "librarian/import.h"

#include <cctype>

#include "librarian/store.h"
#include "model/ico_file.h"
#include "resources/strings.h"

namespace kavrel {

std::string ImportBaseName(const std::string& path)
{
    std::string name = LastComponent(path);
    name = name.substr(0, name.find('.'));
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (!name.empty())
        name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    return name;
}

ImportedIcons ReadIconsForImport(const std::vector<std::string>& paths, ProgressSink& progress)
{
    ImportedIcons result;
    ProgressScope scope(progress, LoadString(kStrImporting), static_cast<int>(paths.size()));
    int step = 0;
    for (const auto& path : paths) {
        std::vector<CIconGroup> groups;
        LoadIconsFromFile(groups, path);
        if (groups.empty())
            ++result.filesWithoutIcons;
        const std::string base = ImportBaseName(path);
        for (std::size_t i = 0; i < groups.size(); ++i) {
            if (groups[i].name.empty())
                groups[i].name = groups.size() == 1 ? base : base + " " + std::to_string(i + 1);
            result.icons.push_back(std::move(groups[i]));
        }
        scope.Step(++step);
    }
    return result;
}

} // namespace kavrel
