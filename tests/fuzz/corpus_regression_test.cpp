// Every fuzz target over its generated seeds and over the committed corpus of
// inputs that once crashed, in the ordinary build.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string_view>

#include "fuzz/targets/fuzz_targets.h"
#include "fuzz/targets/picture_targets.h"
#include "model/picture_import.h"
#include "model/ico_file.h"
#include "model/program_file.h"
#include "platform/byte_reader.h"

namespace kavrel::fuzz {
namespace {

namespace fs = std::filesystem;

void RunOne(const FuzzTarget& target, const Seed& input)
{
    target.run(input.data(), input.size());
    // Every prefix too: truncation is the commonest damage.
    for (std::size_t n = 0; n < input.size(); n += 1 + input.size() / 64)
        target.run(input.data(), n);
}

TEST(FuzzCorpus, SeedsAndCommittedInputsRunCleanly)
{
    for (const FuzzTarget& target : FuzzTargets()) {
        SCOPED_TRACE(target.name);
        const std::vector<Seed> seeds = target.seeds();
        EXPECT_FALSE(seeds.empty());
        for (const Seed& seed : seeds)
            RunOne(target, seed);

        const fs::path dir = fs::path(KAVREL_SOURCE_DIR) / "fuzz" / "corpus" / target.name;
        if (!fs::is_directory(dir))
            continue;
        for (const auto& entry : fs::directory_iterator(dir)) {
            if (!entry.is_regular_file())
                continue;
            SCOPED_TRACE(entry.path().string());
            std::ifstream f(entry.path(), std::ios::binary);
            const Seed input{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
            RunOne(target, input);
        }
    }
}

// Seeds that the readers refuse would fuzz nothing but the first checks.
TEST(FuzzCorpus, SeedsAreValidFiles)
{
    for (const Seed& seed : IcoSeeds()) {
        MemorySource source(seed);
        std::vector<CIconGroup> groups;
        EXPECT_TRUE(ReadIcoGroup(source, groups)) << seed.size();
    }
    for (const auto& seeds : {NeSeeds(), PeSeeds()})
        for (const Seed& seed : seeds) {
            MemorySource source(seed);
            std::vector<CIconGroup> groups;
            EXPECT_GT(ReadProgramFileIcons(groups, source), 0) << seed.size();
        }
    // Picture seeds are pictures, so the fuzzer starts inside the decoders.
    for (const Seed& seed : BmpSeeds()) {
        MemorySource source(seed);
        EXPECT_FALSE(ReadBmp(source).empty()) << seed.size();
    }
    for (const Seed& seed : JpegSeeds())
        EXPECT_FALSE(DecodeJpeg(seed, JpegMode::TrueColor).empty()) << seed.size();

    std::vector<CIconGroup> groups;
    MemorySource pe(PeSeeds()[0]);
    ASSERT_EQ(ReadProgramFileIcons(groups, pe), 2);
    EXPECT_EQ(groups[0].FormatCount(), 3);
    EXPECT_EQ(groups[1].FormatCount(), 3);
}

}  // namespace
}  // namespace kavrel::fuzz
