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

}  // namespace
}  // namespace kavrel
