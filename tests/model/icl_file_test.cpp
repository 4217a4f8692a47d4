#include "model/icl_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "model/ico_file.h"
#include "model/program_file.h"
#include "platform/atomic_file.h"
#include "platform/byte_reader.h"
#include "program_fixtures.h"
#include "resources/strings.h"

namespace kavrel {
namespace {

using test::Bytes;
using test::MakeIcon;

CIconGroup MakeGroup(const std::string& name, std::initializer_list<CIcon> formats)
{
    CIconGroup g;
    g.name = name;
    for (const auto& f : formats)
        g.formats.push_back(std::make_unique<CIcon>(f));
    return g;
}

std::vector<CIconGroup> ReadLibrary(const Bytes& bytes)
{
    MemorySource source(bytes);
    std::vector<CIconGroup> groups;
    ReadProgramFileIcons(groups, source);
    return groups;
}

TEST(IclWriter, OneIconWithTwoFormatsIsLaidOutByteForByte)
{
    std::vector<CIconGroup> icons;
    icons.push_back(MakeGroup("Star", {MakeIcon(16, 16, 16, 1), MakeIcon(32, 32, 16, 2)}));
    ASSERT_EQ(icons[0].formats[0]->image.size(), 296u);
    ASSERT_EQ(icons[0].formats[1]->image.size(), 744u);
    auto out = BuildIconLibrary(icons);
    ASSERT_TRUE(out);
    const Bytes& b = *out;

    // Template, with the resident-name table right after the resource table.
    EXPECT_EQ(b[0], 'M');
    EXPECT_EQ(LoadU16(&b[60]), 144);
    EXPECT_EQ(b[144], 'N');
    EXPECT_EQ(LoadU16(&b[144 + 36]), 88);
    EXPECT_EQ(LoadU16(&b[182]), 288 - 144);

    EXPECT_EQ(LoadU16(&b[232]), 6);
    EXPECT_EQ(LoadU16(&b[234]), 0x8003);
    EXPECT_EQ(LoadU16(&b[236]), 2);
    struct Record {
        std::size_t at;
        std::uint16_t offset, length, id;
    };
    // Names end at 299, so data starts at 320 (unit 5).
    for (Record r : {Record{242, 5, 5, 0x8001}, Record{254, 10, 12, 0x8002}, Record{274, 22, 1, 0x8001}}) {
        SCOPED_TRACE(r.at);
        EXPECT_EQ(LoadU16(&b[r.at]), r.offset);
        EXPECT_EQ(LoadU16(&b[r.at + 2]), r.length);
        EXPECT_EQ(LoadU16(&b[r.at + 4]), 0x1C30);
        EXPECT_EQ(LoadU16(&b[r.at + 6]), r.id);
        EXPECT_EQ(LoadU32(&b[r.at + 8]), 0u);
    }
    EXPECT_EQ(LoadU16(&b[266]), 0x800E);
    EXPECT_EQ(LoadU16(&b[268]), 1);
    EXPECT_EQ(LoadU16(&b[286]), 0);
    Bytes names(b.begin() + 288, b.begin() + 299);
    EXPECT_EQ(names, (Bytes{3, 'I', 'C', 'L', 4, 'S', 't', 'a', 'r', 0, 0}));
    for (std::size_t i = 299; i < 320; ++i)
        EXPECT_EQ(b[i], 0) << i;

    EXPECT_TRUE(std::equal(icons[0].formats[0]->image.begin(), icons[0].formats[0]->image.end(), b.begin() + 320));
    EXPECT_TRUE(std::equal(icons[0].formats[1]->image.begin(), icons[0].formats[1]->image.end(), b.begin() + 640));
    const std::uint8_t* dir = &b[1408];
    EXPECT_EQ(LoadU16(dir + 2), 1);
    EXPECT_EQ(LoadU16(dir + 4), 2);
    EXPECT_EQ(Bytes(dir + 6, dir + 20), (Bytes{16, 16, 16, 0, 1, 0, 4, 0, 40, 1, 0, 0, 1, 0}));
    EXPECT_EQ(Bytes(dir + 20, dir + 34), (Bytes{32, 32, 16, 0, 1, 0, 4, 0, 0xE8, 2, 0, 0, 2, 0}));
    EXPECT_EQ(b.size(), 1408u + 64u);
}

TEST(IclWriter, AlignedSizesGetNoPadding)
{
    // A 25-byte name ends the name table at 320; 2x2 mono images are 64 bytes.
    std::vector<CIconGroup> icons;
    icons.push_back(MakeGroup(std::string(25, 'n'), {MakeIcon(2, 2, 2, 1), MakeIcon(10, 10, 2, 2)}));
    auto b = BuildIconLibrary(icons);
    ASSERT_TRUE(b);
    EXPECT_EQ(LoadU16(&(*b)[242]), 320 / 64);
    EXPECT_EQ(LoadU16(&(*b)[244]), 1);
    EXPECT_EQ(LoadU16(&(*b)[254]), 384 / 64);
    EXPECT_EQ(LoadU16(&(*b)[256]), 2);
    EXPECT_EQ(LoadU16(&(*b)[274]), 512 / 64);
    EXPECT_EQ(b->size(), 512u + 64u);
}

TEST(IclWriter, RoundTripsNamesFormatsAndOffsets)
{
    std::vector<CIconGroup> icons;
    icons.push_back(MakeGroup("Folder", {MakeIcon(32, 32, 256, 3), MakeIcon(16, 16, 16, 4), MakeIcon(48, 48, 0, 5)}));
    icons.push_back(MakeGroup("", {MakeIcon(32, 32, 2, 6)}));
    icons.push_back(MakeGroup("@", {MakeIcon(16, 16, 2, 7)}));
    icons.push_back(MakeGroup(std::string(300, 'x'), {MakeIcon(16, 16, 256, 8)}));
    for (auto& g : icons)
        g.SortFormats();
    auto bytes = BuildIconLibrary(icons);
    ASSERT_TRUE(bytes);

    auto back = ReadLibrary(*bytes);
    ASSERT_EQ(back.size(), icons.size());
    EXPECT_EQ(back[0].name, "Folder");
    EXPECT_EQ(back[1].name, "");
    EXPECT_EQ(back[2].name, ""); // the at sign alone means unnamed
    EXPECT_EQ(back[3].name, std::string(255, 'x'));
    for (std::size_t g = 0; g < icons.size(); ++g) {
        ASSERT_EQ(back[g].FormatCount(), icons[g].FormatCount());
        for (int i = 0; i < icons[g].FormatCount(); ++i) {
            const CIcon& got = *back[g].GetFormat(i);
            EXPECT_EQ(got.image, icons[g].GetFormat(i)->image) << g << "/" << i;
            ASSERT_TRUE(got.sourceOffset.has_value());
            EXPECT_TRUE(std::equal(got.image.begin(), got.image.end(), bytes->begin() + *got.sourceOffset));
        }
    }
}

TEST(IclWriter, LibrariesBeyondSixtyFourByteUnitsUseLargerUnits)
{
    // 26 images of 200 KB pass the 4 MB that 16-bit counts of 64 bytes reach.
    std::vector<CIconGroup> icons;
    for (int i = 0; i < 26; ++i)
        icons.push_back(MakeGroup("big", {MakeIcon(256, 256, 0, static_cast<std::uint8_t>(i))}));
    auto bytes = BuildIconLibrary(icons);
    ASSERT_TRUE(bytes);
    EXPECT_GT(LoadU16(&(*bytes)[232]), 6);
    auto back = ReadLibrary(*bytes);
    ASSERT_EQ(back.size(), 26u);
    EXPECT_EQ(back[25].GetFormat(0)->image, icons[25].GetFormat(0)->image);
}

struct RecordingSink : ProgressSink {
    void Begin(const std::string& caption, int steps) override
    {
        log += "begin " + caption + " " + std::to_string(steps) + ";";
    }
    void Step(int i) override { log += std::to_string(i) + ";"; }
    void End() override { log += "end"; }
    std::string log;
};

TEST(IclWriter, WritesThroughTheAtomicWriterWithProgressAndMessage)
{
    std::string dir = test::TempFolder("iclwrite");
    std::string path = dir + "/lib.icl";
    std::vector<CIconGroup> icons;
    icons.push_back(MakeGroup("A", {MakeIcon(16, 16, 16, 1)}));
    icons.push_back(MakeGroup("B", {MakeIcon(32, 32, 16, 2)}));

    RecordingSink sink;
    ASSERT_TRUE(WriteIconLibrary(path, icons, sink));
    EXPECT_EQ(sink.log, "begin Saving ... 2;1;2;end");
    EXPECT_EQ(test::ReadFileBytes(path), *BuildIconLibrary(icons));

    std::vector<CIconGroup> loaded;
    EXPECT_EQ(LoadIconsFromFile(loaded, path), 2);

    // A failing write keeps the old library and says so.
    Bytes before = test::ReadFileBytes(path);
    SetAtomicFileFaultHook([](const std::string& step) { return step != "commit"; }, ENOSPC);
    std::string error;
    icons.pop_back();
    EXPECT_FALSE(WriteIconLibrary(path, icons, NullProgress(), &error));
    SetAtomicFileFaultHook(nullptr);
    EXPECT_EQ(error, "Unable to save changes in the library \"" + path + "\".\nNo space left on device.");
    EXPECT_EQ(test::ReadFileBytes(path), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);
}

TEST(IclWriter, WrestoolListsTheResourcesWeWrite)
{
    if (!test::HaveTool("wrestool"))
        GTEST_SKIP() << "icoutils not installed";
    std::string dir = test::TempFolder("iclwrestool");
    std::string path = dir + "/lib.icl";
    std::vector<CIconGroup> icons;
    icons.push_back(MakeGroup("One", {MakeIcon(16, 16, 16, 1), MakeIcon(32, 32, 256, 2)}));
    icons.push_back(MakeGroup("", {MakeIcon(48, 48, 0, 3)}));
    ASSERT_TRUE(WriteIconLibrary(path, icons));

    std::string listing;
    ASSERT_TRUE(test::RunCommand("wrestool -l '" + path + "'", &listing));
    std::regex line(R"(--type=(\d+) --name=(\d+).*offset=0x([0-9a-f]+) size=(\d+))");
    std::vector<std::string> seen;
    for (std::sregex_iterator it(listing.begin(), listing.end(), line), end; it != end; ++it)
        seen.push_back((*it)[1].str() + ":" + (*it)[2].str());
    EXPECT_EQ(seen, (std::vector<std::string>{"3:1", "3:2", "3:3", "14:1", "14:2"})) << listing;

    std::string raw;
    ASSERT_TRUE(test::RunCommand("wrestool -x --raw --type=3 --name=2 '" + path + "'", &raw));
    const auto& image = icons[0].formats[1]->image;
    ASSERT_GE(raw.size(), image.size());
    EXPECT_TRUE(std::equal(image.begin(), image.end(), reinterpret_cast<const std::uint8_t*>(raw.data())));

    // And icotool rebuilds the icons from the group resources.
    if (test::HaveTool("icotool")) {
        std::string ico = dir + "/one.ico";
        ASSERT_TRUE(test::RunCommand("wrestool -x --type=14 --name=1 -o '" + ico + "' '" + path + "'"));
        std::vector<CIconGroup> fromIco;
        ASSERT_EQ(LoadIconsFromFile(fromIco, ico), 1);
        ASSERT_EQ(fromIco[0].FormatCount(), 2);
        EXPECT_EQ(fromIco[0].GetFormat(1)->image, image);
    }
}

} // namespace
} // namespace kavrel
