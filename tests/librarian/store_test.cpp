#include "librarian/store.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "librarian_fixtures.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;
using test::CountingBeeper;
using test::TempTree;
using test::Touch;

std::vector<std::string> Labels(const std::vector<LibEntry>& entries)
{
    std::vector<std::string> out;
    for (const auto& e : entries)
        out.push_back((e.kind == LibItemKind::Library ? "L:" : "F:") + e.label);
    return out;
}

TEST(LibraryStore, ListsLibrariesThenFoldersWithLabelsFromTheirNames)
{
    TempTree tree;
    CLibraryStore store(tree.path());
    Touch(tree / "a.b.icl");
    Touch(tree / "x.ICL");
    Touch(tree / "notes.txt");
    Touch(tree / ".hidden.icl");
    fs::create_directory(tree / "Web");
    fs::create_directory(tree / "arrows");
    fs::create_directory(tree / "folder.icl"); // a directory stays a folder whatever its name

    EXPECT_EQ(Labels(store.List(tree.path())),
              (std::vector<std::string>{"L:a.b", "L:x", "F:arrows", "F:folder.icl", "F:Web"}));
    // A library keeps the real name of its file, whatever its case.
    auto entries = store.List(tree.path());
    EXPECT_EQ(entries[1].path, tree / "x.ICL");
    EXPECT_EQ(store.RootEntry().label, "Librarian");
}

TEST(LibraryStore, AFolderHasContentWhenItHoldsALibraryOrAnySubdirectory)
{
    TempTree tree;
    CLibraryStore store(tree.path());
    fs::create_directories(tree / "only-empty-sub/empty");
    fs::create_directory(tree / "empty");
    fs::create_directory(tree / "files");
    Touch(tree / "files/readme.txt");
    fs::create_directory(tree / "lib");
    Touch(tree / "lib/one.icl");

    EXPECT_TRUE(store.HasContent(tree / "only-empty-sub"));
    EXPECT_EQ(Labels(store.List(tree / "only-empty-sub")), (std::vector<std::string>{"F:empty"}));
    EXPECT_FALSE(store.HasContent(tree / "empty"));
    EXPECT_FALSE(store.HasContent(tree / "files"));
    EXPECT_TRUE(store.HasContent(tree / "lib"));
}

TEST(LibraryStore, NamesThatWouldLeaveTheirFolderAreRefusedBeforeAnyFileOperation)
{
    TempTree tree;
    CLibraryStore store(tree.path());
    fs::create_directory(tree / "Web");
    Touch(tree / "Web/Arrows.icl");
    CountingBeeper beeper;

    int expectedBeeps = 0;
    for (const std::string bad : {"", "   ", ".", "..", "a/b", "../escape", "/abs"}) {
        SCOPED_TRACE("name '" + bad + "'");
        EXPECT_FALSE(store.CreateFolder(tree.path(), bad));
        EXPECT_FALSE(store.CheckNewLibrary(tree.path(), bad));
        EXPECT_FALSE(store.RenameFolder(tree / "Web", bad));
        EXPECT_FALSE(store.RenameLibrary(tree / "Web/Arrows.icl", bad));
        expectedBeeps += 4;
        EXPECT_EQ(beeper.beeps, expectedBeeps);
    }
    // Nothing moved and nothing was made outside the root.
    EXPECT_TRUE(fs::exists(tree / "Web/Arrows.icl"));
    EXPECT_FALSE(fs::exists(fs::path(tree.path()).parent_path() / "escape"));
    EXPECT_EQ(Labels(store.List(tree.path())), (std::vector<std::string>{"F:Web"}));
}

TEST(LibraryStore, CreateAndRenameRefuseNamesInUseAndNeverReplaceAnything)
{
    TempTree tree;
    CLibraryStore store(tree.path());
    CountingBeeper beeper;
    std::string path;

    ASSERT_TRUE(store.CreateFolder(tree.path(), "Web", &path));
    EXPECT_EQ(path, tree / "Web");
    EXPECT_FALSE(store.CreateFolder(tree.path(), "Web"));
    EXPECT_EQ(beeper.beeps, 1);

    // A new library is only checked: no file yet.
    ASSERT_TRUE(store.CheckNewLibrary(tree / "Web", "New library", &path));
    EXPECT_EQ(path, tree / "Web/New library.icl");
    EXPECT_FALSE(fs::exists(path));
    Touch(tree / "Web/New library.icl", "old");
    EXPECT_FALSE(store.CheckNewLibrary(tree / "Web", "New library"));
    EXPECT_EQ(beeper.beeps, 2);

    // Renaming onto an existing library or folder keeps both.
    Touch(tree / "Web/Arrows.icl", "arrows");
    EXPECT_FALSE(store.RenameLibrary(tree / "Web/Arrows.icl", "New library"));
    EXPECT_EQ(beeper.beeps, 3);
    EXPECT_TRUE(fs::exists(tree / "Web/Arrows.icl"));
    fs::create_directory(tree / "Other");
    EXPECT_FALSE(store.RenameFolder(tree / "Other", "Web"));
    EXPECT_EQ(beeper.beeps, 4);

    // The same name changes nothing; a new name moves the file.
    EXPECT_TRUE(store.RenameLibrary(tree / "Web/Arrows.icl", "Arrows", &path));
    EXPECT_EQ(path, tree / "Web/Arrows.icl");
    EXPECT_TRUE(store.RenameLibrary(tree / "Web/Arrows.icl", "Pointers", &path));
    EXPECT_EQ(path, tree / "Web/Pointers.icl");
    EXPECT_TRUE(fs::exists(path));
    EXPECT_TRUE(store.RenameFolder(tree / "Web", "Internet", &path));
    EXPECT_TRUE(fs::exists(tree / "Internet/Pointers.icl"));
    EXPECT_EQ(beeper.beeps, 4);
    // The root is never renamed.
    EXPECT_FALSE(store.RenameFolder(tree.path(), "Elsewhere"));
}

TEST(LibraryStore, MoveRefusesTheItemItselfItsSubtreeItsParentALibraryAndANameInUse)
{
    TempTree tree;
    CLibraryStore store(tree.path());
    fs::create_directories(tree / "A/B/C");
    fs::create_directories(tree / "D/B");
    Touch(tree / "lib.icl");
    Touch(tree / "A/lib.icl");
    CountingBeeper beeper;

    EXPECT_FALSE(store.Move(tree / "A", tree / "A"));
    EXPECT_FALSE(store.Move(tree / "A", tree / "A/B/C"));
    EXPECT_FALSE(store.Move(tree / "A/B", tree / "A"));
    EXPECT_FALSE(store.Move(tree / "A", tree / "lib.icl"));
    EXPECT_FALSE(store.Move(tree / "A", ""));
    EXPECT_FALSE(store.Move(tree / "A/B", tree / "D"));        // D/B exists
    EXPECT_FALSE(store.Move(tree / "A/lib.icl", tree.path())); // lib.icl exists
    EXPECT_EQ(beeper.beeps, 7);
    EXPECT_TRUE(fs::exists(tree / "A/B/C"));
    EXPECT_TRUE(fs::exists(tree / "D/B"));

    std::string moved;
    EXPECT_TRUE(store.Move(tree / "A/B", tree.path(), &moved));
    EXPECT_EQ(moved, tree / "B");
    EXPECT_TRUE(fs::exists(tree / "B/C"));
    EXPECT_TRUE(store.Move(tree / "lib.icl", tree / "D", &moved));
    EXPECT_EQ(moved, tree / "D/lib.icl");
    // A sibling whose name begins like the dragged folder is not inside it.
    fs::create_directory(tree / "AB");
    EXPECT_TRUE(store.Move(tree / "A", tree / "AB"));
    EXPECT_EQ(beeper.beeps, 7);
}

TEST(LibraryStore, DeletingALibraryThatIsAlreadyGoneIsHarmless)
{
    TempTree tree;
    CLibraryStore store(tree.path());
    Touch(tree / "gone.icl");
    chmod((tree / "gone.icl").c_str(), 0444);
    store.DeleteLibrary(tree / "gone.icl");
    EXPECT_FALSE(fs::exists(tree / "gone.icl"));
    store.DeleteLibrary(tree / "gone.icl");
}

TEST(LibraryStore, RecursiveDeleteRemovesLinksAsLinksAndNeverWhatTheyPointAt)
{
    TempTree tree;
    fs::create_directories(tree / "root/Doomed/Sub/Deeper");
    fs::create_directories(tree / "outside/precious");
    Touch(tree / "outside/precious/keep.icl", "keep");
    Touch(tree / "outside/file.icl", "keep");
    Touch(tree / "root/Doomed/one.icl");
    Touch(tree / "root/Doomed/Sub/.hidden");
    chmod((tree / "root/Doomed/one.icl").c_str(), 0444);
    fs::create_directory_symlink(tree / "outside/precious", tree / "root/Doomed/Sub/link-to-folder");
    fs::create_symlink(tree / "outside/file.icl", tree / "root/Doomed/link-to-file.icl");
    fs::create_symlink(tree / "nowhere", tree / "root/Doomed/dangling");
    chmod((tree / "outside/file.icl").c_str(), 0444);

    CLibraryStore store(tree / "root");
    EXPECT_TRUE(store.DeleteFolder(tree / "root/Doomed"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(tree / "root/Doomed")));
    EXPECT_TRUE(fs::exists(tree / "outside/precious/keep.icl"));
    EXPECT_TRUE(fs::exists(tree / "outside/file.icl"));
    // chmod was not followed through the link either.
    EXPECT_EQ(fs::status(tree / "outside/file.icl").permissions() & fs::perms::owner_write, fs::perms::none);

    // The root itself is never deleted, and a link to a folder is not a folder to delete.
    EXPECT_FALSE(store.DeleteFolder(tree / "root"));
    fs::create_directory_symlink(tree / "outside/precious", tree / "root/Alias");
    EXPECT_FALSE(store.DeleteFolder(tree / "root/Alias"));
    EXPECT_TRUE(fs::exists(tree / "outside/precious/keep.icl"));
}

TEST(LibraryStore, AFolderThatCannotBeEmptiedReportsFailure)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root deletes anything";
    TempTree tree;
    fs::create_directories(tree / "Locked/Inner");
    Touch(tree / "Locked/Inner/a.icl");
    fs::permissions(tree / "Locked/Inner", fs::perms::owner_write, fs::perm_options::remove);
    CLibraryStore store(tree.path());
    EXPECT_FALSE(store.DeleteFolder(tree / "Locked"));
    EXPECT_TRUE(fs::exists(tree / "Locked/Inner/a.icl"));
}

TEST(LibraryStore, TheRememberedPathOpensAsFarAsItStillExists)
{
    TempTree tree;
    fs::create_directories(tree / "Web/Arrows");
    Touch(tree / "Web/Arrows/Blue.icl");
    Touch(tree / "Web/Flags.icl");
    fs::create_directory(tree / "Empty");
    CLibraryStore store(tree.path());

    // Full match, compared without regard to case.
    auto walk = WalkRememberedPath(store, tree / "WEB/arrows/blue.ICL");
    EXPECT_EQ(walk.expanded, (std::vector<std::string>{tree / "Web", tree / "Web/Arrows"}));
    EXPECT_EQ(walk.selected.kind, LibItemKind::Library);
    EXPECT_EQ(walk.selected.path, tree / "Web/Arrows/Blue.icl");

    // Gone below Web/Arrows: expanded that far, the root stays selected.
    walk = WalkRememberedPath(store, tree / "Web/Arrows/Gone/Red.icl");
    EXPECT_EQ(walk.expanded, (std::vector<std::string>{tree / "Web", tree / "Web/Arrows"}));
    EXPECT_EQ(walk.selected.kind, LibItemKind::Root);

    // A folder with nothing below it is selected where the walk stops.
    walk = WalkRememberedPath(store, tree / "Empty/Something.icl");
    EXPECT_TRUE(walk.expanded.empty());
    EXPECT_EQ(walk.selected.path, tree / "Empty");

    // A folder named last is selected, and expanded when it has content.
    walk = WalkRememberedPath(store, tree / "Web");
    EXPECT_EQ(walk.expanded, (std::vector<std::string>{tree / "Web"}));
    EXPECT_EQ(walk.selected.path, tree / "Web");

    // Empty, the root itself, or another root's path: the root.
    for (const std::string& remembered : {std::string(), tree.path() + "/", tree.path() + "2/Web"}) {
        walk = WalkRememberedPath(store, remembered);
        EXPECT_TRUE(walk.expanded.empty());
        EXPECT_EQ(walk.selected.kind, LibItemKind::Root);
    }
}

TEST(LibraryPaths, JoiningAndSplitting)
{
    EXPECT_EQ(JoinPath("/a", "b"), "/a/b");
    EXPECT_EQ(JoinPath("/a/", "b"), "/a/b");
    EXPECT_EQ(ParentPath("/a/b/c.icl"), "/a/b");
    EXPECT_EQ(LastComponent("/a/b/"), "b");
    EXPECT_EQ(LabelFromFileName("a.b.icl"), "a.b");
    EXPECT_EQ(LabelFromFileName("plain"), "plain");
    EXPECT_TRUE(IsSameOrInside("/a/b/c", "/a/b"));
    EXPECT_TRUE(IsSameOrInside("/a/b", "/a/b/"));
    EXPECT_FALSE(IsSameOrInside("/a/bc", "/a/b"));
}

} // namespace
} // namespace kavrel
