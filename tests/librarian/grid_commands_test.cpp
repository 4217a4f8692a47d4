#include "librarian/grid_commands.h"

#include <gtest/gtest.h>

#include "librarian/settings_librarian.h"
#include "librarian_fixtures.h"
#include "resources/command_ids.h"
#include "support/scripted_prompter.h"

namespace kavrel {
namespace {

class RecordingHost : public GridWindowHost {
  public:
    void OpenLinkedIcon(IconSourceWindow& source, int index) override { opened.push_back({&source, index}); }
    void OpenAsNewIcon(const CIconGroup& icon) override { openedAsNew.push_back(icon.name); }
    CLibrarian* Librarian() override { return librarian; }
    void RebuildList() override { ++rebuilt; }
    bool ConfirmDelete(int count) override
    {
        deleteAsked = count;
        return confirm;
    }
    std::optional<std::string> AskName(const std::string& current, int count) override
    {
        nameAsked = current + "/" + std::to_string(count);
        return name;
    }
    void Compile() override { ++compiled; }
    void Print(bool preview) override { printed.push_back(preview); }

    std::vector<std::pair<IconSourceWindow*, int>> opened;
    std::vector<std::string> openedAsNew;
    CLibrarian* librarian = nullptr;
    int rebuilt = 0;
    std::size_t exported = 0;
    std::string savedAsIco, nameAsked;
    int deleteAsked = 0, compiled = 0;
    std::vector<bool> printed;
    bool confirm = true;
    std::optional<std::string> name;
};

CCmdUI Query(CGridDoc& doc, std::uint16_t id)
{
    CCmdUI ui;
    ui.id = id;
    ui.claimed = GridUpdateCommand(doc, ui);
    return ui;
}

TEST(GridCommands, StatesFollowTheSelectionAndTheKindOfWindow)
{
    CFileDoc program;
    program.List().SetItems(test::MakeLibGroups({"", "", ""}));
    EXPECT_FALSE(Query(program, ID_BROWSER_OPEN_ICON).enabled);
    EXPECT_FALSE(Query(program, ID_BROWSER_DELETE).claimed); // a program file keeps its icons
    EXPECT_FALSE(Query(program, ID_BROWSER_IMPORT).claimed);
    program.List().SetSelected(0, true);
    program.List().SetSelected(2, true);
    EXPECT_TRUE(Query(program, ID_BROWSER_OPEN_ICON).enabled);
    EXPECT_FALSE(Query(program, ID_BROWSER_SAVE_AS_ICO).enabled); // one icon at a time
    EXPECT_TRUE(Query(program, ID_FILE_PRINT).enabled);
    EXPECT_TRUE(Query(program, ID_FILE_PRINT_PREVIEW).enabled);
    EXPECT_FALSE(Query(program, ID_BROWSER_COMPILE).claimed);
    EXPECT_TRUE(Query(program, ID_BROWSER_SHOW_32).checked);

    CLibDoc library;
    library.List().SetItems(test::MakeLibGroups({"Disk"}));
    EXPECT_TRUE(Query(library, ID_BROWSER_IMPORT).enabled);
    EXPECT_FALSE(Query(library, ID_BROWSER_DELETE).enabled);
    EXPECT_TRUE(Query(library, ID_BROWSER_COMPILE).enabled);
    EXPECT_TRUE(Query(library, ID_FILE_PRINT_PREVIEW).enabled);

    // Nothing to print or compile in an empty list.
    CLibDoc empty;
    EXPECT_FALSE(Query(empty, ID_BROWSER_COMPILE).enabled);
    EXPECT_FALSE(Query(empty, ID_FILE_PRINT).enabled);
    RecordingHost host;
    GridCommand(empty, ID_BROWSER_COMPILE, host);
    GridCommand(empty, ID_FILE_PRINT, host);
    GridCommand(library, ID_BROWSER_COMPILE, host);
    GridCommand(library, ID_FILE_PRINT_PREVIEW, host);
    GridCommand(program, ID_FILE_PRINT, host);
    GridCommand(program, ID_BROWSER_COMPILE, host); // not a command of program files
    EXPECT_EQ(host.compiled, 1);
    EXPECT_EQ(host.printed, (std::vector<bool>{true, false}));
}

TEST(GridCommands, OpenAddOptionsDeleteAndRename)
{
    test::ScriptedPrompter prompts;
    test::CountingBeeper beeps;
    test::TempTree tree;
    test::WriteLibrary(tree / "bar.icl", {"Kept"});
    CLibrarian librarian(tree.path());
    librarian.Load(tree / "bar.icl", "bar");
    RecordingHost host;
    host.librarian = &librarian;

    CLibDoc library;
    library.List().SetItems(test::MakeLibGroups({"Disk", "Hammer", "Saw"}));
    library.List().SetSelected(1, true);
    GridCommand(library, ID_BROWSER_OPEN_ICON, host);
    GridCommand(library, ID_BROWSER_OPEN_AS_NEW, host);
    ASSERT_EQ(host.opened.size(), 1u);
    EXPECT_EQ(host.opened[0].second, 1);
    EXPECT_EQ(host.openedAsNew, std::vector<std::string>{"Hammer"});

    // Added to the bar's library: its own selection gives way to the copies.
    GridCommand(library, ID_ADD_TO_LIBRARIAN, host);
    ASSERT_EQ(librarian.List().Count(), 2);
    EXPECT_EQ(librarian.List().Item(1).name, "Hammer");
    EXPECT_EQ(librarian.List().Selection(), std::vector<int>{1});
    EXPECT_TRUE(librarian.Modified());

    // Display options go to the shared settings and rebuild the grid.
    FileTailleAffiche = 1;
    GridCommand(library, ID_BROWSER_SHOW_48, host);
    GridCommand(library, ID_BROWSER_SHOW_INFOS, host);
    EXPECT_EQ(host.rebuilt, 2);
    EXPECT_EQ(FileTailleAffiche, 2);
    EXPECT_EQ(FileAfficheInfos, 0);
    EXPECT_EQ(CFileDoc().List().Options().sizeClass, 2);
    EXPECT_EQ(library.List().Selection(), std::vector<int>{1});
    FileTailleAffiche = 1;
    FileAfficheInfos = 1;

    // Rename: one icon is asked with its name; several take numbered names.
    host.name = "Tool";
    GridCommand(library, ID_BROWSER_RENAME, host);
    EXPECT_EQ(host.nameAsked, "Hammer/1");
    EXPECT_EQ(library.List().Item(1).name, "Tool");
    library.List().SetSelected(2, true);
    GridCommand(library, ID_BROWSER_RENAME, host);
    EXPECT_EQ(library.List().Item(2).name, "Tool 2");

    // Delete asks first; No keeps the icons.
    host.confirm = false;
    GridCommand(library, ID_BROWSER_DELETE, host);
    EXPECT_EQ(library.List().Count(), 3);
    host.confirm = true;
    GridCommand(library, ID_BROWSER_DELETE, host);
    EXPECT_EQ(host.deleteAsked, 2);
    EXPECT_EQ(library.List().Count(), 1);
    EXPECT_TRUE(library.IsModified());
}

} // namespace
} // namespace kavrel
