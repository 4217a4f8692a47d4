#include "librarian/lib_tree.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "librarian_fixtures.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;
using test::TempTree;
using test::Touch;
using Labels = std::vector<std::string>;

Labels Children(const LibTreeNode& node)
{
    Labels out;
    for (const auto& c : node.children)
        out.push_back(c->placeholder ? "(placeholder)" : c->entry.label + (c->HasExpandButton() ? "+" : ""));
    return out;
}

TEST(LibTree, FoldersShowAnExpandButtonOnlyWithContentAndListTheDiskOnEachExpansion)
{
    TempTree tree;
    fs::create_directories(tree / "Only/Empty");
    fs::create_directory(tree / "bare");
    Touch(tree / "Zebra.icl");
    Touch(tree / "arrows.icl");
    CLibraryStore store(tree.path());
    CLibTree lib(store);

    EXPECT_EQ(Children(lib.Root()), (Labels{"(placeholder)"}));
    ASSERT_TRUE(lib.Expand(lib.Root()));
    // Libraries and folders merged by label without regard to case.
    EXPECT_EQ(Children(lib.Root()), (Labels{"arrows", "bare", "Only+", "Zebra"}));
    LibTreeNode* only = lib.Find(tree / "Only");
    ASSERT_TRUE(only);
    ASSERT_TRUE(lib.Expand(*only));
    EXPECT_EQ(Children(*only), (Labels{"Empty"}));
    // An empty folder does not expand.
    EXPECT_FALSE(lib.Expand(*lib.Find(tree / "bare")));

    // Changes made meanwhile show after collapsing and expanding again.
    Touch(tree / "Only/Later.icl");
    lib.Collapse(*only);
    EXPECT_EQ(Children(*only), (Labels{"(placeholder)"}));
    lib.Expand(*only);
    EXPECT_EQ(Children(*only), (Labels{"Empty", "Later"}));

    // Selecting a folder that emptied meanwhile drops its button.
    fs::remove_all(tree / "Only");
    fs::create_directory(tree / "Only");
    lib.Collapse(*only);
    EXPECT_EQ(Children(*only), Labels{});
    // The root keeps its placeholder even when the librarian is empty.
    fs::remove_all(tree / "Only");
    fs::remove_all(tree / "bare");
    fs::remove(tree / "Zebra.icl");
    fs::remove(tree / "arrows.icl");
    EXPECT_FALSE(lib.Expand(lib.Root()));
    EXPECT_EQ(Children(lib.Root()), (Labels{"(placeholder)"}));
}

TEST(LibTree, NewItemsGoBeforeTheSelectedLibraryOrFirstInTheSelectedFolder)
{
    TempTree tree;
    fs::create_directories(tree / "Web");
    Touch(tree / "Web/B.icl");
    Touch(tree / "Web/D.icl");
    fs::create_directory(tree / "Empty");
    CLibraryStore store(tree.path());
    CLibTree lib(store);
    lib.Expand(lib.Root());
    LibTreeNode* web = lib.Find(tree / "Web");
    lib.Expand(*web);

    LibTreeNode& before = lib.InsertNew(*lib.Find(tree / "Web/D.icl"), LibItemKind::Library);
    EXPECT_EQ(before.entry.label, "New library");
    EXPECT_TRUE(before.isNew);
    EXPECT_EQ(Children(*web), (Labels{"B", "New library", "D"}));
    lib.Named(before, "C", tree / "Web/C.icl");
    EXPECT_FALSE(before.isNew);

    // In a folder with nothing on disk: opened on the new item alone.
    LibTreeNode* empty = lib.Find(tree / "Empty");
    LibTreeNode& folder = lib.InsertNew(*empty, LibItemKind::Folder);
    EXPECT_EQ(folder.entry.label, "New folder");
    EXPECT_TRUE(empty->expanded);
    EXPECT_EQ(Children(*empty), (Labels{"New folder"}));
    // Cancelled: removed, the selection goes to the parent.
    EXPECT_EQ(&lib.Remove(folder), empty);

    // Removing selects the next sibling, else the previous one.
    EXPECT_EQ(lib.Remove(*lib.Find(tree / "Web/B.icl")).entry.label, "C");
    EXPECT_EQ(lib.Remove(*lib.Find(tree / "Web/D.icl")).entry.label, "C");
}

TEST(LibTree, RenamedAndMovedSubtreesKeepTheirPathsRight)
{
    TempTree tree;
    fs::create_directories(tree / "Web/Sub");
    Touch(tree / "Web/Sub/Lib.icl");
    fs::create_directory(tree / "Target");
    Touch(tree / "Target/A.icl");
    CLibraryStore store(tree.path());
    CLibTree lib(store);
    LibTreeNode& selected = lib.OpenAlong(tree / "Web/Sub/Lib.icl");
    EXPECT_EQ(selected.entry.path, tree / "Web/Sub/Lib.icl");

    LibTreeNode* web = lib.Find(tree / "Web");
    fs::rename(tree / "Web", tree / "Net");
    lib.Renamed(*web, "Net", tree / "Net");
    EXPECT_EQ(selected.entry.path, tree / "Net/Sub/Lib.icl");

    // Into an expanded folder: in label order there; into a collapsed one:
    // it shows when that folder is next listed.
    LibTreeNode* target = lib.Find(tree / "Target");
    lib.Expand(*target);
    fs::rename(tree / "Net/Sub", tree / "Target/Sub");
    LibTreeNode& moved = lib.Moved(*lib.Find(tree / "Net/Sub"), *target, tree / "Target/Sub");
    EXPECT_EQ(Children(*target), (Labels{"A", "Sub+"}));
    EXPECT_EQ(moved.children[0]->entry.path, tree / "Target/Sub/Lib.icl");
    EXPECT_EQ(lib.Find(tree / "Net/Sub"), nullptr);
}

} // namespace
} // namespace kavrel
