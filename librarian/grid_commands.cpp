#include "librarian/grid_commands.h"

#include <functional>

#include "librarian/librarian.h"
#include "model/icl_file.h"
#include "platform/prompter.h"
#include "resources/command_ids.h"
#include "resources/strings.h"

namespace kavrel {

namespace {

constexpr int kStrIconFilesFilter = 55028;
constexpr int kStrImportTitle = 55080;

void ChangeOptions(CGridDoc& doc, GridWindowHost& host, const std::function<void(IconListOptions&)>& change)
{
    IconListOptions options = doc.List().Options();
    change(options);
    doc.List().SetOptions(options);
    // The next window of either kind opens with these options.
    StoreGridOptions(options);
    host.RebuildList();
}

// A path with the extension added when the name has none.
std::string WithExtension(std::string path, const char* ext)
{
    if (path.substr(path.find_last_of('/') + 1).find('.') == std::string::npos)
        path += std::string(".") + ext;
    return path;
}

} // namespace

void SaveIconAsIcoFile(const CIconGroup& icon)
{
    std::string path = Chooser().ChooseSave(LoadString(55041), LoadString(55027), icon.DisplayName() + ".ico");
    if (path.empty())
        return;
    path = WithExtension(path, "ico");
    if (!icon.SaveAsIco(path))
        Prompts().Message(FormatString(55060, path), MB_OK | MB_ICONSTOP);
}

void ExportIconsToLibrary(const std::vector<CIconGroup>& icons)
{
    const int count = static_cast<int>(icons.size());
    if (count == 0)
        return;
    const std::string title = count == 1 ? LoadString(55061) : FormatString(55062, count);
    std::string path = Chooser().ChooseSave(title, LoadString(55029), LoadString(55044) + ".icl");
    if (path.empty())
        return;
    path = WithExtension(path, "icl");
    std::string error;
    if (!WriteIconLibrary(path, icons, NullProgress(), &error))
        Prompts().Message(error, MB_OK | MB_ICONSTOP);
}

bool GridUpdateCommand(CGridDoc& doc, CCmdUI& ui)
{
    const CIconList& list = doc.List();
    const int selected = list.SelectedCount();
    const IconListOptions& options = list.Options();
    auto* library = dynamic_cast<CLibDoc*>(&doc);
    switch (ui.id) {
    case ID_BROWSER_OPEN_ICON:
    case ID_BROWSER_OPEN_AS_NEW:
    case ID_ADD_TO_LIBRARIAN:
    case ID_BROWSER_EXPORT_ICL:
        ui.Enable(selected > 0);
        return true;
    case ID_BROWSER_SAVE_AS_ICO:
        ui.Enable(selected == 1);
        return true;
    case ID_EDIT_SELECT_ALL:
        ui.Enable(!list.empty());
        return true;
    case ID_BROWSER_SHOW_16:
    case ID_BROWSER_SHOW_32:
    case ID_BROWSER_SHOW_48:
        ui.SetCheck(options.sizeClass == ui.id - ID_BROWSER_SHOW_16);
        return true;
    case ID_BROWSER_SHOW_MONO:
    case ID_BROWSER_SHOW_16COLORS:
    case ID_BROWSER_SHOW_256COLORS:
        ui.SetCheck(options.colorClass == ui.id - ID_BROWSER_SHOW_MONO);
        return true;
    case ID_BROWSER_SHOW_INFOS:
        ui.SetCheck(options.info);
        return true;
    // An empty list has no page to print and nothing to compile.
    case ID_FILE_PRINT:
    case ID_FILE_PRINT_PREVIEW:
        ui.Enable(!list.empty());
        return true;
    case ID_BROWSER_COMPILE:
        if (!library)
            return false;
        ui.Enable(!list.empty());
        return true;
    case ID_BROWSER_IMPORT:
        if (!library)
            return false;
        ui.Enable();
        return true;
    case ID_BROWSER_DELETE:
    case ID_BROWSER_RENAME:
        if (!library)
            return false;
        ui.Enable(selected > 0);
        return true;
    default:
        return false;
    }
}

void GridCommand(CGridDoc& doc, std::uint16_t id, GridWindowHost& host)
{
    CIconList& list = doc.List();
    auto* library = dynamic_cast<CLibDoc*>(&doc);
    switch (id) {
    case ID_BROWSER_OPEN_ICON:
        if (int first = list.FirstSelected(); first >= 0)
            host.OpenLinkedIcon(doc, first);
        break;
    case ID_BROWSER_OPEN_AS_NEW:
        if (int first = list.FirstSelected(); first >= 0)
            host.OpenAsNewIcon(list.Item(first));
        break;
    case ID_ADD_TO_LIBRARIAN:
        if (CLibrarian* librarian = host.Librarian(); librarian && list.SelectedCount() > 0) {
            // AddIcons refuses (beeps) while the bar's library is locked.
            if (!librarian->ShownLocked())
                librarian->List().DeselectAll();
            librarian->AddIcons(list.SelectedIcons());
        }
        break;
    case ID_BROWSER_EXPORT_ICL:
        if (list.SelectedCount() > 0)
            ExportIconsToLibrary(list.SelectedIcons());
        break;
    case ID_BROWSER_SAVE_AS_ICO:
        if (list.SelectedCount() == 1)
            SaveIconAsIcoFile(list.Item(list.FirstSelected()));
        break;
    case ID_EDIT_SELECT_ALL:
        list.SelectAll();
        break;
    case ID_BROWSER_SHOW_16:
    case ID_BROWSER_SHOW_32:
    case ID_BROWSER_SHOW_48:
        ChangeOptions(doc, host, [id](IconListOptions& o) { o.sizeClass = id - ID_BROWSER_SHOW_16; });
        break;
    case ID_BROWSER_SHOW_MONO:
    case ID_BROWSER_SHOW_16COLORS:
    case ID_BROWSER_SHOW_256COLORS:
        ChangeOptions(doc, host, [id](IconListOptions& o) { o.colorClass = id - ID_BROWSER_SHOW_MONO; });
        break;
    case ID_BROWSER_SHOW_INFOS:
        ChangeOptions(doc, host, [](IconListOptions& o) { o.info = !o.info; });
        break;
    case ID_FILE_PRINT:
    case ID_FILE_PRINT_PREVIEW:
        if (!list.empty())
            host.Print(id == ID_FILE_PRINT_PREVIEW);
        break;
    case ID_BROWSER_COMPILE:
        if (library && !list.empty())
            host.Compile();
        break;
    case ID_BROWSER_IMPORT:
        if (library) {
            auto paths = Chooser().ChooseOpen(LoadString(kStrImportTitle), LoadString(kStrIconFilesFilter), true);
            if (!paths.empty())
                library->Import(paths);
        }
        break;
    case ID_BROWSER_DELETE:
        if (library && list.SelectedCount() > 0 && host.ConfirmDelete(list.SelectedCount()))
            library->DeleteSelected();
        break;
    case ID_BROWSER_RENAME:
        if (library && list.SelectedCount() > 0) {
            int count = list.SelectedCount();
            auto name = host.AskName(count == 1 ? list.Item(list.FirstSelected()).name : std::string(), count);
            if (!name)
                break;
            if (count == 1)
                library->RenameOne(list.FirstSelected(), *name);
            else
                library->RenameSelected(*name);
        }
        break;
    default:
        break;
    }
}

} // namespace kavrel
