#include "librarian/import.h"

#include <cctype>

#include "librarian/librarian.h"
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

std::string LibrarianImportBaseName(const std::string& path)
{
    std::string name = LastComponent(path);
    if (const auto slash = name.find_last_of('\\'); slash != std::string::npos)
        name = name.substr(slash + 1);
    if (const auto dot = name.find_last_of('.'); dot != std::string::npos && dot > 0)
        name.resize(dot);
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (!name.empty())
        name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    return name;
}

std::vector<CIconGroup> IconsForImport(const std::string& path)
{
    std::vector<CIconGroup> icons;
    LoadIconsFromFile(icons, path);
    const std::string base = LibrarianImportBaseName(path);
    for (std::size_t i = 0; i < icons.size(); ++i)
        if (icons[i].name.empty())
            icons[i].name = icons.size() == 1 ? base : base + " " + std::to_string(i + 1);
    return icons;
}

ImportResult ImportIntoLibrarian(CLibrarian& librarian, const std::vector<std::string>& paths, ProgressSink& progress)
{
    ImportResult result;
    if (!librarian.Loaded() || librarian.ShownLocked()) {
        result.refused = true;
        return result;
    }
    const bool stepped = paths.size() > 1;
    if (stepped)
        progress.Begin(LoadString(kStrImporting), static_cast<int>(paths.size()));
    int step = 0;
    for (const std::string& path : paths) {
        std::vector<CIconGroup> icons = IconsForImport(path);
        if (icons.empty()) {
            ++result.withoutIcons;
        } else {
            result.added += static_cast<int>(icons.size());
            librarian.AddIcons(std::move(icons));
        }
        if (stepped)
            progress.Step(++step);
    }
    if (stepped)
        progress.End();
    return result;
}

} // namespace kavrel
