// Small files that claim a lot: program files whose icon groups all name one
// large group directory (read once, so time and memory follow the file's
// size, not its groups times the directory's entries), and JPEG streams of
// endless progressive scans.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "fuzz/targets/fuzz_targets.h"
#include "fuzz/targets/picture_targets.h"
#include "model/picture_import.h"
#include "model/program_file.h"
#include "platform/byte_reader.h"

namespace kavrel::fuzz {
namespace {

namespace fs = std::filesystem;

struct SharedFile {
    const char* kind;
    Seed (*build)(int entries, int groups);
};
const SharedFile kKinds[] = {{"icl", SharedDirectoryNe}, {"dll", SharedDirectoryPe}};

TEST(SharedGroupDirectory, EveryGroupGetsItsImage)
{
    for (const SharedFile& kind : kKinds)
        for (int entries : {2000, 65535}) {
            SCOPED_TRACE(std::string(kind.kind) + " " + std::to_string(entries));
            const Seed file = kind.build(entries, entries);
            MemorySource source(file);
            std::vector<CIconGroup> groups;
            ASSERT_EQ(ReadProgramFileIcons(groups, source), entries);
            for (const CIconGroup& group : groups)
                ASSERT_EQ(group.FormatCount(), 1);
            EXPECT_EQ(groups.back().GetFormat(0)->FormatLabel(), "16x16x1");
        }
}

TEST(SharedGroupDirectory, OverlappingDirectoriesBeyondTheFileAreRefused)
{
    // Two thousand groups name directories 64 bytes apart, each claiming
    // 65,535 entries over one run of 0xFF bytes: 130 million entries from a
    // 2 MB file. The first directory's first entry names the image.
    Seed file = SharedDirectoryNe(65535, 2000);
    constexpr std::size_t kRecords = 128 + 2 + 8 + 12 + 8; // shift, icon type and record, group type
    const std::size_t directory = std::size_t{LoadU16(&file[kRecords])} << 6;
    std::fill(file.begin() + static_cast<std::ptrdiff_t>(directory + 6 + 14), file.end(), 0xFF);
    file.insert(file.end(), 2000 * 64, 0xFF);
    for (std::size_t i = 0; i < 2000; ++i)
        StoreU16(&file[kRecords + 12 * i], static_cast<std::uint16_t>((directory >> 6) + i));
    MemorySource source(file);
    std::vector<CIconGroup> groups;
    EXPECT_EQ(ReadProgramFileIcons(groups, source), 0);

    // The same directories without the overlap are read.
    for (std::size_t i = 0; i < 2000; ++i)
        StoreU16(&file[kRecords + 12 * i], static_cast<std::uint16_t>(directory >> 6));
    MemorySource whole(file);
    EXPECT_EQ(ReadProgramFileIcons(groups, whole), 2000);
}

TEST(ManyScanJpeg, MoreThan256ScansAreRefused)
{
    // 253 scans decode; 316 are refused before the first is decoded.
    const Seed enough = ManyScanJpeg(64, 3), tooMany = ManyScanJpeg(64, 4);
    EXPECT_FALSE(DecodeJpeg(enough, JpegMode::TrueColor).empty());
    EXPECT_TRUE(DecodeJpeg(tooMany, JpegMode::TrueColor).empty());
    EXPECT_TRUE(DecodeJpeg(tooMany, JpegMode::Quantized).empty());
}

// kavrel-cli list in a child limited to 100 MB of address space; the lines
// it printed, or nullopt when it did not exit by itself with status 0.
std::optional<std::size_t> ListUnderMemoryCap(const fs::path& file, const fs::path& out)
{
    const pid_t pid = fork();
    if (pid == 0) {
        const rlimit cap{100ul << 20, 100ul << 20};
        const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (setrlimit(RLIMIT_AS, &cap) != 0 || fd < 0 || dup2(fd, 1) < 0)
            _exit(99);
        execl(KAVREL_CLI_PATH, KAVREL_CLI_PATH, "list", file.c_str(), static_cast<char*>(nullptr));
        _exit(98);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    std::ifstream in(out);
    return static_cast<std::size_t>(std::count(std::istreambuf_iterator<char>(in), {}, '\n'));
}

TEST(SharedGroupDirectory, ListedWithin100Megabytes)
{
    char pattern[] = "/tmp/kavrel-shared-XXXXXX";
    const fs::path dir = mkdtemp(pattern);
    for (const SharedFile& kind : kKinds) {
        SCOPED_TRACE(kind.kind);
        const fs::path file = dir / (std::string("shared.") + kind.kind);
        const Seed bytes = kind.build(65535, 65535);
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        EXPECT_EQ(ListUnderMemoryCap(file, dir / "out"), 65535u);
    }
    fs::remove_all(dir);
}

} // namespace
} // namespace kavrel::fuzz
