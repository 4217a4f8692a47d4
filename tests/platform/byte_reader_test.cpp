// Files read for their bytes: only regular files, refused at once otherwise.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/byte_reader.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;

TEST(FileReader, OnlyRegularFilesAreOpened)
{
    char pattern[] = "/tmp/kavrel-reader-XXXXXX";
    const fs::path dir = mkdtemp(pattern);
    std::ofstream(dir / "plain.ico", std::ios::binary) << "abcdef";
    auto plain = FileReader::Open((dir / "plain.ico").string());
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->size(), 6u);
    EXPECT_EQ(plain->readAt(2, 3), (std::vector<std::uint8_t>{'c', 'd', 'e'}));
    EXPECT_FALSE(plain->readAt(4, 3));

    // A FIFO nobody writes to would block the open itself; a device or a
    // folder named like an icon has no size to bound the reads by.
    const fs::path fifo = dir / "x.ico";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directory(dir / "folder.ico");
    for (const std::string& path : {fifo.string(), (dir / "folder.ico").string(), std::string("/dev/zero")}) {
        EXPECT_FALSE(FileReader::Open(path)) << path;
        EXPECT_FALSE(ReadWholeFile(path)) << path;
    }
    // A link to a regular file is that file.
    fs::create_symlink(dir / "plain.ico", dir / "link.ico");
    EXPECT_TRUE(FileReader::Open((dir / "link.ico").string()));
    fs::remove_all(dir);
}

} // namespace
} // namespace kavrel
