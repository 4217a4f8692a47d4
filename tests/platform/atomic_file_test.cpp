#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "platform/atomic_file.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;

class AtomicFileTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "kavrel-atomic-XXXXXX").string();
        ASSERT_TRUE(mkdtemp(pattern.data()));
        dir_ = pattern;
    }
    void TearDown() override
    {
        SetAtomicFileFaultHook(nullptr);
        fs::remove_all(dir_);
    }
    std::string Read(const fs::path& p)
    {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    int EntryCount() { return static_cast<int>(std::distance(fs::directory_iterator(dir_), {})); }
    static std::span<const std::uint8_t> Bytes(const std::string& s)
    {
        return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
    }

    fs::path dir_;
};

TEST_F(AtomicFileTest, ReplacesAndKeepsPermissions)
{
    const fs::path target = dir_ / "icons.ico";
    ASSERT_TRUE(WriteFileAtomically(target.string(), Bytes("first")));
    EXPECT_EQ(Read(target), "first");
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    ASSERT_TRUE(WriteFileAtomically(target.string(), Bytes("second, longer")));
    EXPECT_EQ(Read(target), "second, longer");
    struct stat st {};
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(EntryCount(), 1);

    // Seek patches a placeholder.
    AtomicFile f(target.string());
    ASSERT_TRUE(f.open());
    ASSERT_TRUE(f.write("xxxx-tail", 9));
    ASSERT_TRUE(f.seek(0));
    ASSERT_TRUE(f.write("head", 4));
    ASSERT_TRUE(f.commit());
    EXPECT_EQ(Read(target), "head-tail");
}

TEST_F(AtomicFileTest, FailedWriteOrCommitLeavesOldFileAndNoTemporary)
{
    const fs::path target = dir_ / "library.icl";
    ASSERT_TRUE(WriteFileAtomically(target.string(), Bytes("old content")));
    for (const std::string failing : {"write", "commit"}) {
        SetAtomicFileFaultHook([&](const std::string& step) { return step != failing; });
        EXPECT_FALSE(WriteFileAtomically(target.string(), Bytes("new"))) << failing;
        EXPECT_EQ(Read(target), "old content") << failing;
        EXPECT_EQ(EntryCount(), 1) << failing;
    }
    SetAtomicFileFaultHook(nullptr);
    {
        // Abandoned without commit.
        AtomicFile f(target.string());
        ASSERT_TRUE(f.open());
        ASSERT_TRUE(f.write("partial", 7));
        EXPECT_TRUE(fs::exists(f.temporaryPath()));
    }
    EXPECT_EQ(Read(target), "old content");
    EXPECT_EQ(EntryCount(), 1);
    // A folder that does not exist fails cleanly.
    EXPECT_FALSE(WriteFileAtomically((dir_ / "missing" / "x.ico").string(), Bytes("x")));
}

TEST_F(AtomicFileTest, SymbolicLinkKeptAndItsTargetReplacedInItsOwnFolder)
{
    const fs::path real = dir_ / "real";
    fs::create_directory(real);
    ASSERT_TRUE(WriteFileAtomically((real / "icon.ico").string(), Bytes("old")));
    fs::create_symlink("real/icon.ico", dir_ / "link.ico"); // relative, as users make them
    fs::create_symlink(dir_ / "link.ico", dir_ / "chain.ico");

    ASSERT_TRUE(WriteFileAtomically((dir_ / "chain.ico").string(), Bytes("new")));
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.ico"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "chain.ico"));
    EXPECT_EQ(Read(real / "icon.ico"), "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(real), {}), 1);

    // A dangling link names the file to create.
    fs::create_symlink("real/fresh.ico", dir_ / "dangling.ico");
    ASSERT_TRUE(WriteFileAtomically((dir_ / "dangling.ico").string(), Bytes("made")));
    EXPECT_TRUE(fs::is_symlink(dir_ / "dangling.ico"));
    EXPECT_EQ(Read(real / "fresh.ico"), "made");

    fs::create_symlink("loop-b", dir_ / "loop-a");
    fs::create_symlink("loop-a", dir_ / "loop-b");
    int error = 0;
    EXPECT_FALSE(WriteFileAtomically((dir_ / "loop-a").string(), Bytes("x"), &error));
    EXPECT_EQ(error, ELOOP);
}

TEST_F(AtomicFileTest, RefusalsCarryTheSystemReason)
{
    const fs::path target = dir_ / "locked.ico";
    ASSERT_TRUE(WriteFileAtomically(target.string(), Bytes("kept")));
    ASSERT_EQ(chmod(target.c_str(), 0444), 0);
    int error = 0;
    EXPECT_FALSE(WriteFileAtomically(target.string(), Bytes("lost"), &error));
    EXPECT_EQ(error, EACCES);
    EXPECT_EQ(Read(target), "kept");

    fs::create_directory(dir_ / "folder.ico");
    EXPECT_FALSE(WriteFileAtomically((dir_ / "folder.ico").string(), Bytes("x"), &error));
    EXPECT_EQ(error, EISDIR);
    EXPECT_TRUE(fs::is_directory(dir_ / "folder.ico"));

    EXPECT_FALSE(WriteFileAtomically((dir_ / "missing" / "x.ico").string(), Bytes("x"), &error));
    EXPECT_EQ(error, ENOENT);

    SetAtomicFileFaultHook([](const std::string& step) { return step != "write"; }, ENOSPC);
    EXPECT_FALSE(WriteFileAtomically((dir_ / "full.ico").string(), Bytes("x"), &error));
    EXPECT_EQ(error, ENOSPC);
    EXPECT_EQ(SystemErrorText(ENOSPC), "No space left on device");
    EXPECT_EQ(SystemErrorText(EACCES), "Permission denied");
    EXPECT_EQ(SystemErrorText(0), "");
    EXPECT_EQ(EntryCount(), 2); // no temporary left by any refusal
}

} // namespace
} // namespace kavrel
