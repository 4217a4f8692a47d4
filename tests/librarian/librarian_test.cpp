#include "librarian/librarian.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "librarian/settings_librarian.h"
#include "librarian_fixtures.h"
#include "platform/atomic_file.h"
#include "support/scripted_prompter.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;
using test::CountingBeeper;
using test::LibraryNames;
using test::MakeLibGroups;
using test::ScriptedPrompter;
using test::TempTree;
using test::WriteLibrary;

using Names = std::vector<std::string>;

Names ListNames(const CIconList& list)
{
    Names out;
    for (const auto& g : list.Items())
        out.push_back(g.name);
    return out;
}

struct FakeLinks : LibrarianLinks {
    int modifiedEditors = 0;
    std::vector<std::string> windows;
    std::vector<std::pair<std::string, bool>> closedEditors, closedWindows;
    int ModifiedEditors(const std::string&) override { return modifiedEditors; }
    void CloseEditors(const std::string& path, bool writeBack) override
    {
        closedEditors.emplace_back(path, writeBack);
        modifiedEditors = 0;
    }
    std::vector<std::string> OpenLibraryWindows() override { return windows; }
    void CloseLibraryWindow(const std::string& path, bool save) override
    {
        closedWindows.emplace_back(path, save);
        std::erase(windows, path);
    }
};

class LibrarianTest : public ::testing::Test {
  protected:
    LibrarianTest() : librarian(tree.path())
    {
        ConfirmeSave = 1;
        librarian.SetLinks(&links);
        librarian.SetClock([this] { return now; });
    }
    ~LibrarianTest() override
    {
        ConfirmeSave = 1;
        SetAtomicFileFaultHook(nullptr);
    }

    LibEntry Library(const std::string& rel) { return {LibItemKind::Library, LabelFromFileName(rel), tree / rel}; }

    TempTree tree;
    FakeLinks links;
    CLibrarian librarian;
    std::int64_t now = 1000;
};

TEST_F(LibrarianTest, LoadingShowsTheLibraryInFileOrderWithTheFirstIconSelected)
{
    WriteLibrary(tree / "Arrows.icl", {"Up", "", "Down"});
    librarian.Load(tree / "Arrows.icl");
    EXPECT_TRUE(librarian.Loaded());
    EXPECT_EQ(librarian.ShownLabel(), "Arrows");
    EXPECT_EQ(ListNames(librarian.List()), (Names{"Up", "", "Down"}));
    EXPECT_EQ(librarian.List().Selection(), (std::vector<int>{0}));

    // A library open in its own window is shown disabled, nothing selected.
    links.windows = {tree / "Arrows.icl"};
    librarian.Load(tree / "Arrows.icl");
    EXPECT_FALSE(librarian.List().enabled);
    EXPECT_EQ(librarian.List().SelectedCount(), 0);
    EXPECT_FALSE(librarian.AddIcons(MakeLibGroups({"x"})));

    // A folder empties the list.
    librarian.Load("");
    EXPECT_FALSE(librarian.Loaded());
    EXPECT_TRUE(librarian.List().empty());
}

TEST_F(LibrarianTest, ANewLibraryLeavesNoFileUntilItIsFirstLoaded)
{
    std::string path;
    ASSERT_TRUE(librarian.NewLibrary(tree.path(), "New library", &path));
    EXPECT_EQ(librarian.PendingNewLibrary(), path);
    EXPECT_FALSE(fs::exists(path));

    // Selected only briefly: nothing is loaded and nothing written.
    librarian.TimerStep(Library("New library.icl"));
    now += 150;
    librarian.TimerStep(Library("New library.icl"));
    librarian.TimerStep({LibItemKind::Root, "Librarian", tree.path()});
    EXPECT_FALSE(fs::exists(path));

    // Kept 200 ms: loaded, and written empty without a question.
    librarian.TimerStep(Library("New library.icl"));
    now += 200;
    ScriptedPrompter prompter;
    librarian.TimerStep(Library("New library.icl"));
    EXPECT_TRUE(prompter.shown.empty());
    bool ok = false;
    EXPECT_TRUE(LibraryNames(path, &ok).empty());
    EXPECT_TRUE(ok);
    EXPECT_TRUE(librarian.PendingNewLibrary().empty());
    EXPECT_FALSE(librarian.Modified());
}

TEST_F(LibrarianTest, TheDebounceLoadsOnlyASelectionThatStayedAndNothingWhileNaming)
{
    WriteLibrary(tree / "A.icl", {"a"});
    WriteLibrary(tree / "B.icl", {"b"});
    librarian.TimerStep(Library("A.icl"));
    now += 100;
    librarian.TimerStep(Library("B.icl"));
    now += 199;
    librarian.TimerStep(Library("B.icl"));
    EXPECT_FALSE(librarian.Loaded());
    now += 1;
    librarian.TimerStep(Library("B.icl"));
    EXPECT_EQ(librarian.ShownPath(), tree / "B.icl");

    librarian.SetNaming(true);
    librarian.TimerStep(Library("A.icl"));
    now += 500;
    librarian.TimerStep(Library("A.icl"));
    EXPECT_EQ(librarian.ShownPath(), tree / "B.icl");
    librarian.SetNaming(false);

    // A closed library window makes the same selection load again.
    librarian.List().Clear();
    librarian.ResetNotedSelection();
    librarian.TimerStep(Library("B.icl"));
    now += 200;
    librarian.TimerStep(Library("B.icl"));
    EXPECT_EQ(ListNames(librarian.List()), (Names{"b"}));
}

TEST_F(LibrarianTest, SaveIfNeededAsksThenWritesOrDiscards)
{
    WriteLibrary(tree / "Lib.icl", {"one"});
    auto modify = [&] {
        librarian.Load(tree / "Lib.icl");
        librarian.AddIcons(MakeLibGroups({"two"}));
        ASSERT_TRUE(librarian.Modified());
    };

    { // Yes: written.
        modify();
        ScriptedPrompter prompter;
        prompter.Answer(IDYES);
        librarian.SaveIfNeeded(true);
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_EQ(prompter.shown[0].text, "Save changes in the library \"Lib\" ?");
        EXPECT_EQ(LibraryNames(tree / "Lib.icl"), (Names{"one", "two"}));
        EXPECT_FALSE(librarian.Modified());
    }
    { // No with the forced flag: discarded.
        modify();
        ScriptedPrompter prompter;
        prompter.Answer(IDNO);
        librarian.SaveIfNeeded(true);
        EXPECT_EQ(LibraryNames(tree / "Lib.icl"), (Names{"one", "two"}));
        EXPECT_FALSE(librarian.Modified());
    }
    { // No without it (at exit): nothing written, the changes stay.
        modify();
        ScriptedPrompter prompter;
        prompter.Answer(IDNO);
        librarian.SaveIfNeeded(false);
        EXPECT_TRUE(librarian.Modified());
        EXPECT_EQ(LibraryNames(tree / "Lib.icl"), (Names{"one", "two"}));
        prompter.Answer(IDNO);
        librarian.SaveIfNeeded(true);
    }
    { // ConfirmeSave 0: written without a question.
        ConfirmeSave = 0;
        modify();
        ScriptedPrompter prompter;
        librarian.SaveIfNeeded(true);
        EXPECT_TRUE(prompter.shown.empty());
        EXPECT_EQ(LibraryNames(tree / "Lib.icl"), (Names{"one", "two", "two"}));
        ConfirmeSave = 1;
    }
    { // Emptied: written without asking.
        librarian.Load(tree / "Lib.icl");
        librarian.List().SelectAll();
        librarian.DeleteSelectedIcons();
        ScriptedPrompter prompter;
        librarian.SaveIfNeeded(true);
        EXPECT_TRUE(prompter.shown.empty());
        EXPECT_TRUE(LibraryNames(tree / "Lib.icl").empty());
    }
}

TEST_F(LibrarianTest, ModifiedEditorsAreAskedAboutFirstAndClosed)
{
    WriteLibrary(tree / "Lib.icl", {"one"});
    librarian.Load(tree / "Lib.icl");
    librarian.SetModified();
    links.modifiedEditors = 2;
    ScriptedPrompter prompter;
    prompter.Answer(IDYES); // editors
    prompter.Answer(IDNO);  // library
    librarian.SaveIfNeeded(true);
    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(prompter.shown[0].text, "Save changes in all edit windows associated with the library Lib ?");
    ASSERT_EQ(links.closedEditors.size(), 1u);
    EXPECT_EQ(links.closedEditors[0], std::make_pair(tree / "Lib.icl", true));

    // Deleting icons with modified editors: Cancel stops the delete.
    librarian.Load(tree / "Lib.icl");
    links.modifiedEditors = 1;
    prompter.shown.clear();
    prompter.Answer(IDCANCEL);
    EXPECT_EQ(librarian.DeleteSelectedIcons(), -1);
    EXPECT_EQ(librarian.List().Count(), 1);
    EXPECT_FALSE(librarian.Modified());
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_NE(prompter.shown[0].text.find("\"Lib\""), std::string::npos);
}

TEST_F(LibrarianTest, AFailedSaveReportsAndLeavesTheOldLibraryWhole)
{
    WriteLibrary(tree / "Lib.icl", {"one", "two"});
    librarian.Load(tree / "Lib.icl");
    librarian.AddIcons(MakeLibGroups({"three"}));
    SetAtomicFileFaultHook([](const std::string& step) { return step != "commit"; });
    ScriptedPrompter prompter;

    EXPECT_FALSE(librarian.Save());
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "Unable to save changes in the library \"" + tree / "Lib.icl" + "\".");
    EXPECT_EQ(prompter.shown[0].style & kMessageIconMask, MB_ICONSTOP);
    EXPECT_TRUE(librarian.Modified());
    EXPECT_EQ(LibraryNames(tree / "Lib.icl"), (Names{"one", "two"}));

    SetAtomicFileFaultHook(nullptr);
    EXPECT_TRUE(librarian.Save());
    EXPECT_FALSE(librarian.Modified());
    EXPECT_EQ(LibraryNames(tree / "Lib.icl"), (Names{"one", "two", "three"}));
    // Nothing left behind but the library.
    EXPECT_EQ(std::distance(fs::directory_iterator(tree.path()), fs::directory_iterator()), 1);
}

TEST_F(LibrarianTest, RenamingAndMovingKeepTheShownLibraryWhereItWent)
{
    fs::create_directories(tree / "Web/Sub");
    WriteLibrary(tree / "Web/Sub/Lib.icl", {"one"});
    librarian.Load(tree / "Web/Sub/Lib.icl");
    librarian.AddIcons(MakeLibGroups({"two"}));
    ScriptedPrompter prompter;

    // Renaming the shown library saves it first (after the question).
    std::string path;
    ASSERT_TRUE(librarian.RenameLibrary(tree / "Web/Sub/Lib.icl", "Icons", &path));
    EXPECT_EQ(path, tree / "Web/Sub/Icons.icl");
    EXPECT_EQ(librarian.ShownPath(), path);
    EXPECT_EQ(librarian.ShownLabel(), "Icons");
    EXPECT_EQ(LibraryNames(path), (Names{"one", "two"}));

    // Renaming or moving its folder: later saves go to where it is now.
    ASSERT_TRUE(librarian.RenameFolder(tree / "Web", "Internet", &path));
    EXPECT_EQ(librarian.ShownPath(), tree / "Internet/Sub/Icons.icl");
    ASSERT_TRUE(librarian.Move(tree / "Internet/Sub", tree.path(), &path));
    EXPECT_EQ(librarian.ShownPath(), tree / "Sub/Icons.icl");
    librarian.AddIcons(MakeLibGroups({"three"}));
    EXPECT_TRUE(librarian.Save());
    EXPECT_EQ(LibraryNames(tree / "Sub/Icons.icl"), (Names{"one", "two", "three"}));
    EXPECT_FALSE(fs::exists(tree / "Web"));
}

TEST_F(LibrarianTest, RenamingAFolderClosesTheLibraryWindowsInsideItOnly)
{
    fs::create_directories(tree / "Web");
    fs::create_directories(tree / "Webby");
    WriteLibrary(tree / "Web/A.icl", {"a"});
    WriteLibrary(tree / "Webby/B.icl", {"b"});
    links.windows = {tree / "Web/A.icl", tree / "Webby/B.icl"};
    ScriptedPrompter prompter;

    prompter.Answer(IDCANCEL);
    EXPECT_FALSE(librarian.RenameFolder(tree / "Web", "Net"));
    EXPECT_TRUE(fs::exists(tree / "Web/A.icl"));
    EXPECT_TRUE(links.closedWindows.empty());

    prompter.Answer(IDYES);
    EXPECT_TRUE(librarian.RenameFolder(tree / "Web", "Net"));
    // The sibling whose name begins the same way keeps its window.
    EXPECT_EQ(links.closedWindows, (std::vector<std::pair<std::string, bool>>{{tree / "Web/A.icl", true}}));
    EXPECT_EQ(links.windows, (std::vector<std::string>{tree / "Webby/B.icl"}));
}

TEST_F(LibrarianTest, DeletingTheShownLibraryOrItsFolderDiscardsItsChanges)
{
    fs::create_directories(tree / "Web");
    WriteLibrary(tree / "Web/Lib.icl", {"one"});
    librarian.Load(tree / "Web/Lib.icl");
    librarian.AddIcons(MakeLibGroups({"two"}));
    librarian.DeleteLibrary(tree / "Web/Lib.icl");
    EXPECT_FALSE(librarian.Loaded());
    EXPECT_FALSE(librarian.Modified());
    ScriptedPrompter prompter;
    librarian.Load("");
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_FALSE(fs::exists(tree / "Web/Lib.icl"));

    // The root is refused with its message; a failed folder delete says so.
    librarian.DeleteFolder(tree.path());
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "You can't remove the root folder.");
    EXPECT_TRUE(librarian.DeleteFolder(tree / "Web"));
    EXPECT_FALSE(librarian.DeleteFolder(tree / "Web"));
    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(prompter.shown[1].text,
              "An error has occured while deleting the current library. Please exit and try again.");
}

TEST_F(LibrarianTest, IconsDroppedOnALibraryInTheTreeGoToItsBeginningOnDisk)
{
    WriteLibrary(tree / "Source.icl", {"a", "b", "c"});
    WriteLibrary(tree / "Target.icl", {"t1", "t2"});
    librarian.Load(tree / "Source.icl");
    librarian.List().SelectOnly(0);
    librarian.List().SetSelected(2, true);
    const IconPayload payload = librarian.DragPayload();
    CountingBeeper beeper;

    // The library the icons came from, or one open in its window, beeps.
    EXPECT_FALSE(librarian.DropOnLibrary(tree / "Source.icl", payload));
    links.windows = {tree / "Target.icl"};
    EXPECT_FALSE(librarian.DropOnLibrary(tree / "Target.icl", payload));
    EXPECT_EQ(beeper.beeps, 2);
    links.windows.clear();

    ASSERT_TRUE(librarian.DropOnLibrary(tree / "Target.icl", payload));
    EXPECT_EQ(LibraryNames(tree / "Target.icl"), (Names{"a", "c", "t1", "t2"}));
    // A move takes them out of the source list, selecting the first removed place.
    librarian.RemoveMovedIcons(payload.indices);
    EXPECT_EQ(ListNames(librarian.List()), (Names{"b"}));
    EXPECT_EQ(librarian.List().Selection(), (std::vector<int>{0}));
    EXPECT_TRUE(librarian.Modified());

    // A file that is not a library we can read is never overwritten.
    std::ofstream(tree / "Broken.icl") << std::string(4096, 'x');
    EXPECT_FALSE(librarian.DropOnLibrary(tree / "Broken.icl", payload));
    EXPECT_EQ(fs::file_size(tree / "Broken.icl"), 4096u);

    // A pending new library takes the icons and keeps them when first loaded.
    std::string fresh;
    ASSERT_TRUE(librarian.NewLibrary(tree.path(), "Fresh", &fresh));
    ASSERT_TRUE(librarian.DropOnLibrary(fresh, payload));
    ScriptedPrompter prompter;
    prompter.Answer(IDNO);
    librarian.Load(fresh);
    EXPECT_EQ(ListNames(librarian.List()), (Names{"a", "c"}));
}

TEST_F(LibrarianTest, IconsDroppedOnTheListMoveOrCopyAtTheDropIndex)
{
    WriteLibrary(tree / "Lib.icl", {"a", "b", "c", "d"});
    librarian.Load(tree / "Lib.icl");
    librarian.List().SelectOnly(0);
    librarian.List().SetSelected(1, true);
    IconPayload own = librarian.DragPayload();

    // Within the list: a move reorders, Ctrl copies.
    ASSERT_TRUE(librarian.DropOnList(own, 3, false));
    EXPECT_EQ(ListNames(librarian.List()), (Names{"c", "a", "b", "d"}));
    EXPECT_EQ(librarian.List().Selection(), (std::vector<int>{1, 2}));
    ASSERT_TRUE(librarian.DropOnList(librarian.DragPayload(), 100, true));
    EXPECT_EQ(ListNames(librarian.List()), (Names{"c", "a", "b", "d", "a", "b"}));
    EXPECT_EQ(librarian.List().Selection(), (std::vector<int>{4, 5}));
    EXPECT_TRUE(librarian.Modified());

    // From a program file: always copied, unnamed icons named after its title.
    IconPayload program;
    program.kind = IconSourceKind::ProgramFile;
    program.title = "Shell32.dll";
    program.icons = MakeLibGroups({"", "Named", ""});
    program.indices = {0, 4, 7};
    ASSERT_TRUE(librarian.DropOnList(program, 0, false));
    EXPECT_EQ(ListNames(librarian.List()), (Names{"Shell32 1", "Named", "Shell32 3", "c", "a", "b", "d", "a", "b"}));
    program.icons = MakeLibGroups({""});
    program.indices = {3};
    ASSERT_TRUE(librarian.DropOnList(program, 1, false));
    EXPECT_EQ(librarian.List().Item(1).name, "Shell32");
    EXPECT_EQ(DropActionFor(IconSourceKind::ProgramFile, false), DropAction::Copy);
    EXPECT_EQ(DropActionFor(IconSourceKind::LibraryWindow, false), DropAction::Move);
    EXPECT_EQ(DropActionFor(IconSourceKind::LibraryWindow, true), DropAction::Copy);
}

} // namespace
} // namespace kavrel
