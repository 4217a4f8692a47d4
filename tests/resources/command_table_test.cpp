#include "resources/command_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "resources/command_ids.h"
#include "resources/strings.h"

namespace kavrel {
namespace {

std::string Where(const MenuItem& item)
{
    return item.caption.empty() ? "#" + std::to_string(item.command) : item.caption;
}

// Every item names a known command, every submenu holds something, and no
// submenu begins or ends with a separator or doubles one.
void CheckMenu(const MenuItem& menu, const std::string& path)
{
    ASSERT_EQ(menu.type, MenuItem::Type::Submenu);
    EXPECT_FALSE(menu.items.empty()) << path;
    for (std::size_t i = 0; i < menu.items.size(); ++i) {
        const MenuItem& item = menu.items[i];
        if (item.type == MenuItem::Type::Separator) {
            EXPECT_TRUE(i > 0 && i + 1 < menu.items.size()) << path << ": separator at an end";
            if (i > 0) {
                EXPECT_NE(menu.items[i - 1].type, MenuItem::Type::Separator) << path;
            }
        } else if (item.type == MenuItem::Type::Submenu) {
            CheckMenu(item, path + " > " + item.caption);
        } else {
            EXPECT_NE(FindCommand(item.command), nullptr) << path << ": unknown command " << item.command;
            EXPECT_FALSE(item.caption.empty()) << path << ": command " << item.command;
        }
    }
}

bool Holds(const MenuItem& menu, std::uint16_t id)
{
    auto ids = CommandsOf(menu);
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

const MenuItem* TopMenu(MenuKind kind, std::string_view caption)
{
    for (const auto& m : MenuBar(kind))
        if (m.caption == caption)
            return &m;
    return nullptr;
}

TEST(CommandTable, EveryCommandIsUniqueAndHasItsTexts)
{
    std::set<std::uint16_t> ids;
    std::set<std::string_view> names;
    for (const auto& c : Commands()) {
        EXPECT_TRUE(ids.insert(c.id).second) << "duplicate id " << c.id;
        EXPECT_TRUE(names.insert(c.name).second) << "duplicate name " << c.name;
        EXPECT_FALSE(c.prompt.empty()) << c.id << " has no prompt";
        EXPECT_FALSE(c.caption.empty()) << c.id;
        EXPECT_EQ(c.name.substr(0, 3), "ID_") << c.id;
        EXPECT_EQ(c.prompt.find('\n'), std::string_view::npos) << c.id;
        EXPECT_EQ(FindCommand(c.id), &c);
    }
    EXPECT_EQ(FindCommand(12345), nullptr);

    // Texts that other windows and the string table rely on, exactly.
    EXPECT_EQ(CommandPromptString(ID_VIEW_GRID), "Enable or disable the grid..\n Display Grid (Ctrl+G)");
    EXPECT_EQ(CommandPromptString(ID_BROWSER_DELETE), "Delete the selected icons in the library.\nDelete");
    EXPECT_EQ(CommandPromptString(ID_BROWSER_RENAME), "Rename one or more icons in the library\nRename (F6)");
    EXPECT_EQ(CommandPromptString(ID_LIB_IMPORT).substr(0, 52),
              "Imports one or several icons in the current library\n");
    EXPECT_EQ(FindCommand(ID_FILE_OPEN)->caption, "&Open..");
    EXPECT_EQ(FindCommand(ID_EDIT_SELECT_ALL)->tooltip, "Select all  (Ctrl+A)");
    EXPECT_EQ(FindCommand(ID_ROTATE)->tooltip, "90° rotation (Ctrl+R)");
    EXPECT_EQ(FindCommand(ID_TIP_OF_THE_DAY)->caption, "&Welcome && Tip of the day...");
    EXPECT_EQ(FindCommand(ID_VIEW_LIBRARIAN)->shortcut, "Ctrl+F8");
    EXPECT_TRUE(FindCommand(ID_FORMAT_CHOOSE)->tooltip.empty());
    // The program's own commands lie in their range, beside the framework's standard ones.
    for (const auto& c : Commands())
        EXPECT_TRUE((c.id >= 32773 && c.id <= 32920) || c.id >= 57600 || c.id == 1 || c.id == 21 || c.id == 210 ||
                    c.id == 211)
            << c.id;
}

TEST(CommandTable, AcceleratorsNameCommandsAndActAsTheTableSays)
{
    std::set<std::pair<unsigned, std::string>> keys;
    for (const auto& a : Accelerators()) {
        EXPECT_NE(FindCommand(a.command), nullptr) << a.keys;
        EXPECT_TRUE(keys.insert({a.modifiers, std::string(a.key)}).second) << "key used twice: " << a.keys;
        EXPECT_EQ(FindAccelerator(a.keys), &a);
    }
    EXPECT_EQ(Accelerators().size(), 42u);

    auto command = [](std::string_view keys) -> int {
        const Accelerator* a = FindAccelerator(keys);
        return a ? a->command : -1;
    };
    EXPECT_EQ(command("Ctrl+E"), ID_UNUSED_CTRL_E);       // a command nothing handles: it stays disabled
    EXPECT_EQ(command("Ctrl+F8"), ID_VIEW_SCALE_TOOLBAR); // the Scale 1:1 bar, whatever the menu shows
    EXPECT_EQ(command("Alt+F12"), ID_VIEW_LIBRARIAN);     // the librarian window
    EXPECT_EQ(command("Ctrl+F9"), ID_VIEW_TOOLBAR);
    EXPECT_EQ(command("F1"), ID_HELP);
    EXPECT_EQ(command("Shift+F1"), ID_CONTEXT_HELP);
    EXPECT_EQ(command("Alt+Backspace"), ID_EDIT_UNDO);
    EXPECT_EQ(command("shift+insert"), ID_EDIT_PASTE);
    EXPECT_EQ(command("Shift+Delete"), ID_EDIT_CUT);
    EXPECT_EQ(command("Ctrl+Insert"), ID_EDIT_COPY);
    EXPECT_EQ(command("Ctrl+F6"), ID_NEXT_WINDOW); // the next document window
    EXPECT_EQ(command("Ctrl+Tab"), ID_NEXT_WINDOW);
    // Keys shown in menus but taken only by the focused window.
    for (const char* k : {"F4", "F6", "Del", "Enter", "Ctrl+Enter", "Ctrl+A", "+", "-", "Ctrl+F12"})
        EXPECT_EQ(command(k), -1) << k;

    const Accelerator* a = FindAccelerator("Ctrl+F10");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->modifiers, unsigned(kModCtrl));
    EXPECT_EQ(a->key, "F10");

    // ID_UNUSED_CTRL_E is in no menu: its key is the only way to send it.
    for (MenuKind kind :
         {MenuKind::Main, MenuKind::IconDocument, MenuKind::ProgramFile, MenuKind::IconLibrary, MenuKind::IconInFile})
        for (const auto& m : MenuBar(kind))
            EXPECT_FALSE(Holds(m, ID_UNUSED_CTRL_E));
}

TEST(CommandTable, MenusOfEachDocumentKind)
{
    const std::vector<std::string> editorBar = {"&File",    "&Edit",    "Dra&w",   "&Librarian",
                                                "&Options", "&Display", "W&indow", "&?"};
    for (MenuKind kind :
         {MenuKind::Main, MenuKind::IconDocument, MenuKind::ProgramFile, MenuKind::IconLibrary, MenuKind::IconInFile}) {
        ASSERT_FALSE(MenuBar(kind).empty());
        for (const auto& m : MenuBar(kind))
            CheckMenu(m, m.caption);
    }
    auto captions = [](MenuKind kind) {
        std::vector<std::string> v;
        for (const auto& m : MenuBar(kind))
            v.push_back(m.caption);
        return v;
    };
    EXPECT_EQ(captions(MenuKind::IconDocument), editorBar);
    EXPECT_EQ(captions(MenuKind::IconInFile), editorBar);
    EXPECT_EQ(captions(MenuKind::ProgramFile),
              (std::vector<std::string>{"&File", "&Librarian", "&Options", "&Display", "&Window", "&?"}));
    EXPECT_EQ(captions(MenuKind::IconLibrary),
              (std::vector<std::string>{"&File", "Li&brary", "&Librarian", "&Options", "&Display", "W&indow", "&?"}));

    // With no document window the editor's commands are not there at all.
    EXPECT_EQ(captions(MenuKind::Main),
              (std::vector<std::string>{"&File", "&Librarian", "&Options", "&Display", "W&indow", "&?"}));
    for (const auto& m : MenuBar(MenuKind::Main))
        for (std::uint16_t id :
             {ID_EDIT_UNDO, ID_EDIT_COPY, ID_EDIT_PASTE, ID_TOOL_SELECTION, ID_TOOL_PENCIL, ID_BRUSH_FINE, ID_ZOOM_IN,
              ID_ZOOM_OUT, ID_ZOOM_AUTO, ID_VIEW_GRID, ID_FILE_SAVE, ID_ADD_TO_LIBRARIAN})
            EXPECT_FALSE(Holds(m, id)) << m.caption << " holds " << id;
    EXPECT_EQ(
        CommandsOf(*TopMenu(MenuKind::Main, "&File")),
        (std::vector<std::uint16_t>{ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_PRINT_SETUP, ID_FILE_MRU_FILE1, ID_APP_EXIT}));

    // The editor's File and Draw menus.
    EXPECT_EQ(CommandsOf(*TopMenu(MenuKind::IconDocument, "&File")),
              (std::vector<std::uint16_t>{ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_CLOSE, ID_FILE_SAVE, ID_FILE_SAVE_AS,
                                          ID_ADD_TO_LIBRARIAN, ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW,
                                          ID_FILE_PRINT_SETUP, ID_FILE_MRU_FILE1, ID_APP_EXIT}));
    const MenuItem& draw = *TopMenu(MenuKind::IconDocument, "Dra&w");
    ASSERT_EQ(draw.items[0].caption, "&Drawing tools");
    EXPECT_EQ(draw.items[0].items.size(), 12u);
    EXPECT_EQ(draw.items[1].caption, "&Bruhes");
    EXPECT_EQ(draw.items[1].items.size(), 12u);
    EXPECT_EQ(draw.items[2].caption, "&Color fill ");
    EXPECT_EQ(CommandsOf(draw.items[2]),
              (std::vector<std::uint16_t>{ID_FILL_SOLID, ID_FILL_HGRADIENT, ID_FILL_VGRADIENT, ID_FILL_RADIAL}));

    // An editor on an icon from a file updates its source instead of saving.
    const MenuItem& file = *TopMenu(MenuKind::IconInFile, "&File");
    EXPECT_TRUE(Holds(file, ID_FILE_UPDATE));
    EXPECT_FALSE(Holds(file, ID_FILE_SAVE));
    auto itemOf = [](const MenuItem& menu, std::uint16_t id) -> const MenuItem* {
        for (const auto& i : menu.items)
            if (i.type == MenuItem::Type::Command && i.command == id)
                return &i;
        return nullptr;
    };
    EXPECT_EQ(itemOf(file, ID_FILE_SAVE_AS)->caption, "&Save as...");
    EXPECT_EQ(itemOf(*TopMenu(MenuKind::IconInFile, "&Edit"), ID_EDIT_CLEAR)->shortcut, "Suppr");
    EXPECT_EQ(itemOf(*TopMenu(MenuKind::IconDocument, "&Edit"), ID_EDIT_CLEAR)->shortcut, "Del");

    const MenuItem& exeFile = *TopMenu(MenuKind::ProgramFile, "&File");
    for (std::uint16_t id : {ID_FILE_SAVE, ID_BROWSER_EXPORT_ICL, ID_BROWSER_SAVE_AS_ICO, ID_BROWSER_OPEN_ICON,
                             ID_BROWSER_OPEN_AS_NEW, ID_EDIT_SELECT_ALL})
        EXPECT_TRUE(Holds(exeFile, id)) << id;
    EXPECT_EQ(itemOf(exeFile, ID_EDIT_SELECT_ALL)->caption, "Se&lect all");
    const MenuItem& exeDisplay = *TopMenu(MenuKind::ProgramFile, "&Display");
    EXPECT_EQ(exeDisplay.items[0].caption, "&Display icons");
    EXPECT_EQ(
        CommandsOf(exeDisplay.items[0]),
        (std::vector<std::uint16_t>{ID_BROWSER_SHOW_16, ID_BROWSER_SHOW_32, ID_BROWSER_SHOW_48, ID_BROWSER_SHOW_MONO,
                                    ID_BROWSER_SHOW_16COLORS, ID_BROWSER_SHOW_256COLORS, ID_BROWSER_SHOW_INFOS}));

    EXPECT_EQ(CommandsOf(*TopMenu(MenuKind::IconLibrary, "Li&brary")),
              (std::vector<std::uint16_t>{ID_BROWSER_IMPORT, ID_BROWSER_EXPORT_ICL, ID_BROWSER_SAVE_AS_ICO,
                                          ID_BROWSER_COMPILE, ID_BROWSER_OPEN_ICON, ID_BROWSER_OPEN_AS_NEW,
                                          ID_EDIT_SELECT_ALL, ID_BROWSER_RENAME, ID_LIB_DELETE}));
    EXPECT_EQ(itemOf(*TopMenu(MenuKind::IconLibrary, "Li&brary"), ID_BROWSER_SAVE_AS_ICO)->caption,
              "Save as an IC&O file...");
}

TEST(CommandTable, TheNineContextPopups)
{
    for (int i = 0; i < kContextMenuCount; ++i)
        CheckMenu(ContextMenu(i), "pop-up " + std::to_string(i));
    EXPECT_TRUE(ContextMenu(9).items.empty());
    EXPECT_TRUE(ContextMenu(-1).items.empty());

    // Pop-up 0 ends with the format item that carries command 1, which nothing handles.
    const MenuItem& editor = ContextMenu(0);
    ASSERT_FALSE(editor.items.empty());
    EXPECT_EQ(editor.items.back().command, 1);
    EXPECT_EQ(editor.items.back().caption, "Imag&e format...");
    for (std::uint16_t id :
         {ID_EDIT_UNDO, ID_EDIT_REDO, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_ADD_TO_LIBRARIAN, ID_TOOL_SELECTION,
          ID_BRUSH_FINE, ID_FILL_SOLID, ID_ZOOM_IN, ID_ZOOM_OUT, ID_ZOOM_AUTO, ID_FORMAT_NEW, ID_FORMAT_DELETE})
        EXPECT_TRUE(Holds(editor, id)) << id;

    const std::vector<std::uint16_t> toggles = {ID_VIEW_LIBRARIAN, ID_VIEW_STANDARD_TOOLBAR, ID_VIEW_DRAW_TOOLBAR,
                                                ID_VIEW_COLORS_TOOLBAR, ID_VIEW_SCALE_TOOLBAR};
    for (int i : {1, 2, 4, 5, 7}) {
        auto ids = CommandsOf(ContextMenu(i));
        EXPECT_TRUE(std::search(ids.begin(), ids.end(), toggles.begin(), toggles.end()) != ids.end()) << i;
        EXPECT_TRUE(Holds(ContextMenu(i), ID_CUSTOMIZE_WINDOWS)) << i;
    }
    EXPECT_EQ(CommandsOf(ContextMenu(5)), CommandsOf(ContextMenu(7)));
    EXPECT_EQ(CommandsOf(ContextMenu(8)), std::vector<std::uint16_t>{ID_LOCAL_TOOLBAR_HIDE});
    EXPECT_TRUE(Holds(ContextMenu(3), ID_BROWSER_SHOW_16));
    EXPECT_FALSE(Holds(ContextMenu(3), ID_LIB_SHOW_16));
    EXPECT_TRUE(Holds(ContextMenu(6), ID_LIB_SHOW_16));
    EXPECT_TRUE(Holds(ContextMenu(6), ID_BROWSER_RENAME));
    EXPECT_TRUE(Holds(ContextMenu(2), ID_LIB_NEW_FOLDER));
    EXPECT_TRUE(Holds(ContextMenu(4), ID_PALETTE_GRADIENT));
    EXPECT_EQ(Where(ContextMenu(8).items[0]), "&Hide");
}

TEST(ShellStrings, OpenDialogAndTitles)
{
    EXPECT_EQ(LoadString(2), "Orvane Kavrel 4.0");
    EXPECT_EQ(LoadString(38), "Kavrel 4.0");
    EXPECT_EQ(FormatString(55051, 3, "icons.icl"), "3 icon(s) in icons.icl :");
    // The filter holds pairs of description and pattern, ending with an empty pair.
    const std::string& filter = LoadString(55028);
    EXPECT_EQ(std::count(filter.begin(), filter.end(), '|'), 11); // five pairs
    EXPECT_EQ(filter.substr(filter.size() - 2), "||");
    for (int id : {55048, 55049, 55050, 55052, 55066, 55080, 55091})
        EXPECT_FALSE(LoadString(id).empty()) << id;
}

} // namespace
} // namespace kavrel
