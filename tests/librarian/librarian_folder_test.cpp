#include "librarian/librarian_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace kavrel {
namespace {

TEST(LibrarianFolder, LibrarianFolderChoiceAndAPlainFileInItsWay)
{
    char pattern[] = "/tmp/kavrel-folders-XXXXXX";
    std::string dir = mkdtemp(pattern);
    std::string program = dir + "/bin/";
    fs::create_directories(program);
    const char* savedLibrarian = std::getenv("KAVREL_LIBRARIAN");
    std::string keptLibrarian = savedLibrarian ? savedLibrarian : "";
    const char* savedData = std::getenv("XDG_DATA_HOME");
    std::string keptData = savedData ? savedData : "";
    unsetenv("KAVREL_LIBRARIAN");
    setenv("XDG_DATA_HOME", (dir + "/data").c_str(), 1);

    // Beside the program while that folder is writable, else in the data folder.
    EXPECT_EQ(ChooseLibrarianFolder(program), program + "librarian");
    fs::permissions(program, fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_EQ(ChooseLibrarianFolder(dir + "/missing/"), dir + "/data/kavrel/librarian");
    if (geteuid() != 0) { // root writes anywhere
        EXPECT_EQ(ChooseLibrarianFolder(program), dir + "/data/kavrel/librarian");
    }
    fs::permissions(program, fs::perms::owner_write, fs::perm_options::add);
    setenv("KAVREL_LIBRARIAN", (dir + "/mine").c_str(), 1);
    EXPECT_EQ(ChooseLibrarianFolder(program), dir + "/mine");

    // A plain file where the program's own librarian goes makes way for the folder...
    std::ofstream(program + "librarian") << "x";
    EXPECT_TRUE(EnsureLibrarianFolder(program + "librarian", true));
    EXPECT_TRUE(fs::is_directory(program + "librarian"));
    // ...but a file the user named is never deleted.
    std::ofstream(dir + "/mine") << "keep";
    EXPECT_FALSE(EnsureLibrarianFolder(dir + "/mine", false));
    EXPECT_TRUE(fs::is_regular_file(dir + "/mine"));
    EXPECT_TRUE(EnsureLibrarianFolder(dir + "/new/lib", false));
    EXPECT_TRUE(fs::is_directory(dir + "/new/lib"));

    if (savedLibrarian)
        setenv("KAVREL_LIBRARIAN", keptLibrarian.c_str(), 1);
    else
        unsetenv("KAVREL_LIBRARIAN");
    if (savedData)
        setenv("XDG_DATA_HOME", keptData.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
    fs::remove_all(dir);
}

} // namespace
} // namespace kavrel
