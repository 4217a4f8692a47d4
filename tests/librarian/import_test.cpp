#include "librarian/import.h"

#include <gtest/gtest.h>

#include "librarian/librarian.h"
#include "librarian_fixtures.h"
#include "model/icl_file.h"

namespace kavrel {
namespace {

using test::MakeLibGroup;
using test::TempTree;
using test::WriteLibrary;

struct Steps : ProgressSink {
    std::vector<std::string> seen;
    void Begin(const std::string& caption, int steps) override
    {
        seen.push_back(caption + " /" + std::to_string(steps));
    }
    void Step(int i) override { seen.push_back(std::to_string(i)); }
    void End() override { seen.push_back("end"); }
};

std::vector<std::string> Names(const CIconList& list)
{
    std::vector<std::string> out;
    for (const CIconGroup& icon : list.Items())
        out.push_back(icon.name);
    return out;
}

TEST(ImportTest, BaseNamesOfFiles)
{
    EXPECT_EQ(LibrarianImportBaseName("/a/b/Arrows.ICO"), "Arrows");
    EXPECT_EQ(LibrarianImportBaseName("/a/SHELL32.dll"), "Shell32");
    EXPECT_EQ(LibrarianImportBaseName("/a/my.icons.icl"), "My.icons");
    // A leading dot is no extension.
    EXPECT_EQ(LibrarianImportBaseName("/a/.hidden"), ".hidden");
    EXPECT_EQ(LibrarianImportBaseName("C:\\old\\Disk.ico"), "Disk");
}

TEST(ImportTest, UnnamedIconsTakeTheirFilesNameAndLandAtTheEnd)
{
    TempTree tree;
    // Three unnamed icons and a named one in a library; one icon in an ICO file.
    std::vector<CIconGroup> icons{MakeLibGroup("", 1), MakeLibGroup("", 2), MakeLibGroup("Kept", 3),
                                  MakeLibGroup("", 4)};
    ASSERT_TRUE(WriteIconLibrary(tree / "Arrows.ICL", icons));
    ASSERT_TRUE(MakeLibGroup("", 5).SaveAsIco(tree / "disk.ico"));
    test::Touch(tree / "empty.ico", "not an icon");
    std::vector<CIconGroup> read = IconsForImport(tree / "Arrows.ICL");
    ASSERT_EQ(read.size(), 4u);
    EXPECT_EQ(read[0].name, "Arrows 1");
    EXPECT_EQ(read[2].name, "Kept");
    EXPECT_EQ(read[3].name, "Arrows 4");

    CLibrarian librarian(tree / "lib");
    std::filesystem::create_directories(tree / "lib");
    // Nothing shown: refused.
    EXPECT_TRUE(ImportIntoLibrarian(librarian, {tree / "disk.ico"}).refused);
    WriteLibrary(tree / "lib/Shown.icl", {"First"});
    librarian.Load(tree / "lib/Shown.icl");

    Steps progress;
    const ImportResult result =
        ImportIntoLibrarian(librarian, {tree / "disk.ico", tree / "empty.ico", tree / "Arrows.ICL"}, progress);
    EXPECT_EQ(result.added, 5);
    EXPECT_EQ(result.withoutIcons, 1);
    EXPECT_EQ(Names(librarian.List()),
              (std::vector<std::string>{"First", "Disk", "Arrows 1", "Arrows 2", "Kept", "Arrows 4"}));
    EXPECT_TRUE(librarian.Modified());
    EXPECT_EQ(progress.seen, (std::vector<std::string>{"Importing ... /3", "1", "2", "3", "end"}));

    // One file: no progress.
    Steps quiet;
    ImportIntoLibrarian(librarian, {tree / "disk.ico"}, quiet);
    EXPECT_TRUE(quiet.seen.empty());
    EXPECT_EQ(librarian.List().Count(), 7);
}

} // namespace
} // namespace kavrel
