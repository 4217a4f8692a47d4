// Files read for their bytes: only regular files, refused at once otherwise.
#include <gtest/gtest.h>

#include <fcntl.h>
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
    // Nor is a FIFO that has data waiting: it has no positions to read at.
    const int writer = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::write(writer, "abcdef", 6), 6);
    EXPECT_FALSE(FileReader::Open(fifo.string()));
    ::close(writer);

    // Files around the size of the block read at opening: the size, the
    // last bytes and a read across the block's end all come out right.
    for (std::size_t size : {std::size_t{4095}, std::size_t{4096}, std::size_t{4097}, std::size_t{9000}}) {
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<char>(i * 7 + 1);
        std::ofstream(dir / "sized.ico", std::ios::binary | std::ios::trunc) << bytes;
        auto file = FileReader::Open((dir / "sized.ico").string());
        ASSERT_TRUE(file) << size;
        EXPECT_EQ(file->size(), size);
        EXPECT_EQ(file->readAt(size - 3, 3), (std::vector<std::uint8_t>(bytes.end() - 3, bytes.end()))) << size;
        EXPECT_EQ(file->readAt(4090, size - 4090), (std::vector<std::uint8_t>(bytes.begin() + 4090, bytes.end())))
            << size;
        EXPECT_FALSE(file->readAt(size - 2, 3)) << size;
    }

    // A link to a regular file is that file.
    fs::create_symlink(dir / "plain.ico", dir / "link.ico");
    EXPECT_TRUE(FileReader::Open((dir / "link.ico").string()));
    fs::remove_all(dir);
}

} // namespace
} // namespace kavrel
