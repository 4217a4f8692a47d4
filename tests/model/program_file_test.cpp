#include "model/program_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <regex>

#include "model/icl_file.h"
#include "model/ico_file.h"
#include "model/program_file_write.h"
#include "platform/atomic_file.h"
#include "platform/byte_reader.h"
#include "program_fixtures.h"

namespace kavrel {
namespace {

using test::Bytes;
using test::MakePackedImage;

std::vector<CIconGroup> Read(const Bytes& bytes)
{
    MemorySource source(bytes);
    std::vector<CIconGroup> groups;
    int count = ReadProgramFileIcons(groups, source);
    EXPECT_EQ(count, static_cast<int>(groups.size()));
    return groups;
}

// Every delivered image must be the file's bytes at the offset it names.
void ExpectImagesFromFile(const std::vector<CIconGroup>& groups, const Bytes& file)
{
    for (const auto& g : groups)
        for (const auto& f : g.formats) {
            ASSERT_TRUE(f->sourceOffset.has_value());
            ASSERT_LE(*f->sourceOffset + f->image.size(), file.size());
            EXPECT_TRUE(std::equal(f->image.begin(), f->image.end(), file.begin() + *f->sourceOffset));
        }
}

std::vector<Bytes> Images(const CIconGroup& g)
{
    std::vector<Bytes> out;
    for (const auto& f : g.formats)
        out.push_back(f->image);
    return out;
}

// --- 16-bit modules --------------------------------------------------------

struct NeFixture {
    Bytes small = MakePackedImage(16, 16, 16, 1);
    Bytes large = MakePackedImage(32, 32, 256, 2);
    Bytes mono = MakePackedImage(32, 32, 2, 3);
    Bytes groupA = test::MakeGroupDirectory({{&large, 2}, {&small, 1}});
    Bytes groupB = test::MakeGroupDirectory({{&mono, 3}});
    std::vector<test::NeResource> Resources(bool groupsFirst) const
    {
        std::vector<test::NeResource> icons = {
            {0x8003, 0x8001, small}, {0x8003, 0x8002, large}, {0x8003, 0x8003, mono}};
        std::vector<test::NeResource> groups = {{0x800E, 0x8001, groupA}, {0x800E, 0x8002, groupB}};
        std::vector<test::NeResource> other = {{0x8006, 0x8001, Bytes(40, 7)}};
        std::vector<test::NeResource> all = groupsFirst ? groups : icons;
        all.insert(all.end(), other.begin(), other.end());
        for (const auto& r : groupsFirst ? icons : groups)
            all.push_back(r);
        return all;
    }
};

TEST(ProgramFileNe, ReadsEitherTableOrderNamesAndVersion)
{
    NeFixture f;
    Bytes iconsFirst = test::BuildNe(f.Resources(false));
    Bytes groupsFirst = test::BuildNe(f.Resources(true));
    for (const Bytes* file : {&iconsFirst, &groupsFirst}) {
        auto groups = Read(*file);
        ASSERT_EQ(groups.size(), 2u);
        EXPECT_EQ(Images(groups[0]), (std::vector<Bytes>{f.small, f.large})); // sorted by size
        EXPECT_EQ(Images(groups[1]), (std::vector<Bytes>{f.mono}));
        EXPECT_EQ(groups[0].name, ""); // a program file has no icon names
        ExpectImagesFromFile(groups, *file);
    }

    test::NeOptions named;
    named.iclNames = true;
    named.names = {"Disk", "@"};
    auto groups = Read(test::BuildNe(f.Resources(true), named));
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].name, "Disk");
    EXPECT_EQ(groups[1].name, "");

    test::NeOptions old;
    old.windowsVersion = 2;
    EXPECT_TRUE(Read(test::BuildNe(f.Resources(false), old)).empty());
}

TEST(ProgramFileNe, GroupsFindImagesByIdentifierAndDropWhatIsMissing)
{
    NeFixture f;
    // Images stored in another order than their identifiers, one unreadable.
    Bytes broken = f.mono;
    broken.resize(20);
    std::vector<test::NeResource> res = {{0x8003, 0x8003, broken},
                                         {0x8003, 0x8002, f.large},
                                         {0x8003, 0x8001, f.small},
                                         {0x800E, 0x8001, f.groupA},
                                         {0x800E, 0x8002, f.groupB}};
    Bytes file = test::BuildNe(res);
    auto groups = Read(file);
    ASSERT_EQ(groups.size(), 1u); // the second group lost its only image
    EXPECT_EQ(Images(groups[0]), (std::vector<Bytes>{f.small, f.large}));
}

// --- PE files built by the mingw tool chain --------------------------------

struct WrestoolEntry {
    std::string type, name, language;
    std::uint64_t offset, size;
};

std::vector<WrestoolEntry> WrestoolList(const std::string& path)
{
    std::string out;
    EXPECT_TRUE(test::RunCommand("wrestool -l '" + path + "'", &out));
    std::regex line(R"(--type=(\d+) --name=(\S+) --language=(\d+) \[type=\S+ offset=0x([0-9a-f]+) size=(\d+)\])");
    std::vector<WrestoolEntry> list;
    for (std::sregex_iterator it(out.begin(), out.end(), line), end; it != end; ++it)
        list.push_back({(*it)[1], (*it)[2], (*it)[3], std::stoull((*it)[4], nullptr, 16), std::stoull((*it)[5])});
    return list;
}

class MingwProgramFile : public ::testing::Test {
  protected:
    void SetUp() override
    {
        if (!test::HaveTool("i686-w64-mingw32-windres") || !test::HaveTool("i686-w64-mingw32-gcc") ||
            !test::HaveTool("wrestool"))
            GTEST_SKIP() << "mingw tool chain or icoutils not installed";
        dir_ = test::TempFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }

    std::string File(const std::string& name, const Bytes& bytes)
    {
        test::WriteFileBytes(dir_ + "/" + name, bytes);
        return name;
    }

    // Builds a program from resource script lines; `dll` links a library.
    std::string Build(const std::string& name, const std::string& script, bool dll)
    {
        std::string out = test::BuildMingwProgram(dir_, name, script, dll);
        EXPECT_FALSE(out.empty()) << name;
        return out;
    }

    // wrestool lists the place of a PE resource as its relative virtual
    // address; this is what to add to a file offset to get it.
    static std::int64_t AddressDelta(const Bytes& file)
    {
        std::uint64_t pe = LoadU32(&file[60]);
        std::uint64_t sections = pe + 24 + LoadU16(&file[pe + 20]);
        for (std::uint64_t i = 0; i < LoadU16(&file[pe + 6]); ++i) {
            const std::uint8_t* s = &file[sections + 40 * i];
            if (std::string(reinterpret_cast<const char*>(s)) == ".rsrc")
                return std::int64_t{LoadU32(s + 12)} - std::int64_t{LoadU32(s + 20)};
        }
        return 0;
    }

    // Our reading agrees with wrestool: every image we deliver is a listed
    // icon resource at the place and of the size listed, and its bytes are
    // what wrestool extracts.
    std::vector<CIconGroup> ReadAndCompare(const std::string& path)
    {
        std::int64_t delta = AddressDelta(test::ReadFileBytes(path));
        std::vector<CIconGroup> groups;
        int count = LoadIconsFromFile(groups, path);
        EXPECT_EQ(count, static_cast<int>(groups.size()));
        auto listed = WrestoolList(path);
        for (const auto& g : groups)
            for (const auto& f : g.formats) {
                auto it = std::find_if(listed.begin(), listed.end(), [&](const WrestoolEntry& e) {
                    return e.type == "3" && f->sourceOffset &&
                           static_cast<std::int64_t>(e.offset) == static_cast<std::int64_t>(*f->sourceOffset) + delta;
                });
                if (it == listed.end()) {
                    ADD_FAILURE() << "no icon resource at " << f->sourceOffset.value_or(0);
                    continue;
                }
                EXPECT_EQ(it->size, f->image.size());
                std::string raw;
                EXPECT_TRUE(test::RunCommand("wrestool -x --raw --type=3 --name=" + it->name +
                                                 " --language=" + it->language + " '" + path + "'",
                                             &raw));
                EXPECT_EQ(Bytes(raw.begin(), raw.end()), f->image);
            }
        return groups;
    }

    std::string dir_;
};

TEST_F(MingwProgramFile, IdentifiersFromOneAndSharedImages)
{
    Bytes a = MakePackedImage(16, 16, 16, 1), b = MakePackedImage(32, 32, 16, 2), c = MakePackedImage(48, 48, 0, 3);
    File("a.bin", a);
    File("b.bin", b);
    File("c.bin", c);
    File("g1.bin", test::MakeGroupDirectory({{&a, 1}, {&b, 2}}));
    File("g2.bin", test::MakeGroupDirectory({{&c, 3}, {&b, 2}}));
    std::string path = Build("shared",
                             "LANGUAGE 9, 1\n1 3 \"a.bin\"\n2 3 \"b.bin\"\n3 3 \"c.bin\"\n"
                             "1 14 \"g1.bin\"\n2 14 \"g2.bin\"\n",
                             false);
    auto groups = ReadAndCompare(path);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(Images(groups[0]), (std::vector<Bytes>{a, b}));
    EXPECT_EQ(Images(groups[1]), (std::vector<Bytes>{b, c}));
}

TEST_F(MingwProgramFile, IdentifiersFromHundredAndTwoLanguages)
{
    Bytes a = MakePackedImage(16, 16, 16, 1), b = MakePackedImage(32, 32, 256, 2), c = MakePackedImage(32, 32, 2, 3);
    Bytes german = MakePackedImage(32, 32, 256, 9);
    File("a.bin", a);
    File("b.bin", b);
    File("c.bin", c);
    File("de.bin", german);
    File("g7.bin", test::MakeGroupDirectory({{&a, 101}, {&b, 102}, {&c, 103}, {&c, 99}, {&c, 104}}));
    File("g8.bin", test::MakeGroupDirectory({{&german, 102}}));
    std::string path = Build("langs",
                             "LANGUAGE 7, 1\n102 3 \"de.bin\"\n8 14 \"g8.bin\"\n"
                             "LANGUAGE 9, 1\n101 3 \"a.bin\"\n102 3 \"b.bin\"\n103 3 \"c.bin\"\n7 14 \"g7.bin\"\n",
                             true);
    auto groups = ReadAndCompare(path);
    ASSERT_EQ(groups.size(), 2u);
    // Identifiers 99 and 104 name no image and are skipped; each group takes
    // the image of its own language.
    EXPECT_EQ(Images(groups[0]), (std::vector<Bytes>{a, c, b}));
    EXPECT_EQ(Images(groups[1]), (std::vector<Bytes>{german}));
}

TEST_F(MingwProgramFile, NamedIconImagesGiveNothing)
{
    Bytes a = MakePackedImage(16, 16, 16, 1);
    File("a.bin", a);
    File("g.bin", test::MakeGroupDirectory({{&a, 1}}));
    std::string path = Build("named", "LANGUAGE 9, 1\nFIRST 3 \"a.bin\"\n1 14 \"g.bin\"\n", true);
    EXPECT_TRUE(ReadAndCompare(path).empty());
    // A real program that is not a program file by its name gives nothing.
    std::vector<CIconGroup> groups;
    std::filesystem::copy_file(path, dir_ + "/named.txt");
    EXPECT_EQ(LoadIconsFromFile(groups, dir_ + "/named.txt"), 0);
}

// --- PE files of our own -------------------------------------------------

std::vector<test::PeResource> SampleResources(const Bytes& a, const Bytes& b, Bytes& group)
{
    group = test::MakeGroupDirectory({{&a, 5}, {&b, 6}});
    return {
        {3, 5, "", 1033, a}, {3, 6, "", 1033, b}, {14, 0, "MAINICON", 1033, group}, {16, 1, "", 1033, Bytes(60, 1)}};
}

TEST(ProgramFilePe, ReadsPe32AndPe32Plus)
{
    Bytes a = MakePackedImage(16, 16, 2, 1), b = MakePackedImage(24, 24, 0, 2), group;
    auto res = SampleResources(a, b, group);
    for (bool plus : {false, true}) {
        Bytes file = test::BuildPe(res, plus);
        auto groups = Read(file);
        ASSERT_EQ(groups.size(), 1u) << plus;
        EXPECT_EQ(Images(groups[0]), (std::vector<Bytes>{a, b}));
        ExpectImagesFromFile(groups, file);
    }
}

TEST(ProgramFileHostile, TruncationAtAnyLengthNeverReadsPastTheFile)
{
    Bytes a = MakePackedImage(16, 16, 2, 1), b = MakePackedImage(24, 24, 16, 2), group;
    NeFixture f;
    std::vector<CIconGroup> lib;
    lib.push_back(CIconGroup{});
    lib[0].formats.push_back(std::make_unique<CIcon>(test::MakeIcon(16, 16, 16, 4)));
    for (const Bytes& file :
         {test::BuildPe(SampleResources(a, b, group)), test::BuildNe(f.Resources(true)), *BuildIconLibrary(lib)}) {
        std::size_t full = Read(file).size();
        EXPECT_GT(full, 0u);
        for (std::size_t n = 0; n < file.size(); ++n) {
            Bytes cut(file.begin(), file.begin() + n);
            auto groups = Read(cut);
            EXPECT_LE(groups.size(), full);
            ExpectImagesFromFile(groups, cut);
        }
    }
}

TEST(ProgramFileHostile, LoopsHugeCountsAndSectionsPointingNowhere)
{
    Bytes a = MakePackedImage(16, 16, 2, 1), b = MakePackedImage(24, 24, 16, 2), group;
    Bytes good = test::BuildPe(SampleResources(a, b, group));
    const std::uint64_t root = test::kPeResourceBase;
    ASSERT_EQ(LoadU32(&good[root + 16]), 3u); // the icon type comes first
    std::uint64_t typeDir = root + (LoadU32(&good[root + 20]) & 0x7FFFFFFF);

    Bytes rootLoop = good;
    StoreU32(&rootLoop[root + 20], 0x80000000u); // the icon type is the root again
    Bytes typeLoop = good;
    StoreU32(&typeLoop[typeDir + 20], 0x80000000u | static_cast<std::uint32_t>(typeDir - root));
    Bytes hugeRoot = good;
    StoreU16(&hugeRoot[root + 14], 0xFFFF);
    Bytes nowhere = good;
    StoreU32(&nowhere[64 + 24 + 224 + 20], 0x7FFFFFF0u); // raw data pointer
    Bytes hugeSections = good;
    StoreU16(&hugeSections[64 + 6], 0xFFFF);
    for (const Bytes* file : {&rootLoop, &typeLoop, &hugeRoot, &nowhere, &hugeSections}) {
        auto groups = Read(*file);
        ExpectImagesFromFile(groups, *file);
    }
    EXPECT_TRUE(Read(rootLoop).empty());
    auto partial = Read(typeLoop);
    ASSERT_EQ(partial.size(), 1u);
    EXPECT_EQ(Images(partial[0]), (std::vector<Bytes>{b}));
    EXPECT_TRUE(Read(hugeRoot).empty());
    EXPECT_TRUE(Read(nowhere).empty());

    // A deep chain of directories, each pointing to the next.
    Bytes deep = good;
    for (int i = 0; i < 12; ++i) {
        std::uint64_t at = 0x2000 + 24 * i;
        deep.resize(at + 24, 0);
        StoreU16(&deep[at + 14], 1);
        StoreU32(&deep[at + 16], 3);
        StoreU32(&deep[at + 20], 0x80000000u | static_cast<std::uint32_t>(at + 24 - root));
    }
    StoreU32(&deep[root + 20], 0x80000000u | static_cast<std::uint32_t>(0x2000 - root));
    EXPECT_TRUE(Read(deep).empty());

    // A type record or group directory claiming more entries than the file.
    NeFixture f;
    Bytes ne = test::BuildNe(f.Resources(false));
    std::uint64_t table = 64 + LoadU16(&ne[64 + 36]);
    Bytes neHuge = ne;
    StoreU16(&neHuge[table + 4], 0xFFFF);
    EXPECT_TRUE(Read(neHuge).empty());

    // Many groups naming one large image would multiply memory far beyond
    // what the file holds: such a file is not read.
    std::vector<test::NeResource> many = {{0x8003, 0x8001, MakePackedImage(256, 256, 0, 1)}};
    Bytes dir = test::MakeGroupDirectory({{&many[0].data, 1}});
    for (int i = 0; i < 2000; ++i)
        many.push_back({0x800E, static_cast<std::uint16_t>(0x8001 + i), dir});
    test::NeOptions units;
    units.shift = 6;
    Bytes amplified = test::BuildNe(many, units);
    EXPECT_LT(amplified.size(), 400'000u);
    EXPECT_TRUE(Read(amplified).empty());
    many.resize(11);
    EXPECT_EQ(Read(test::BuildNe(many, units)).size(), 10u);
}

TEST(ProgramFileHostile, AnImageNeverReadsPastItsResource)
{
    // The first image's header claims 32x32, more than its resource holds:
    // read as it says, it would take the next resource's bytes, and an edit
    // written back would overwrite them. It is dropped; its neighbour stays.
    Bytes a = MakePackedImage(16, 16, 2, 1), b = MakePackedImage(24, 24, 0, 2), group;
    StoreU32(&a[4], 32);
    StoreU32(&a[8], 64);
    Bytes pe = test::BuildPe(SampleResources(a, b, group));
    auto groups = Read(pe);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(Images(groups[0]), (std::vector<Bytes>{b}));

    NeFixture f;
    StoreU32(&f.small[4], 32);
    StoreU32(&f.small[8], 64);
    groups = Read(test::BuildNe(f.Resources(false)));
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(Images(groups[0]), (std::vector<Bytes>{f.large}));
}

// --- reading images later --------------------------------------------------

// Counts the bytes read, to show that a skipping read stays out of the images.
class CountingSource : public ByteSource {
  public:
    explicit CountingSource(ByteSource& inner) : inner_(inner) {}
    std::uint64_t size() const override { return inner_.size(); }
    bool readAt(std::uint64_t offset, std::uint64_t n, std::vector<std::uint8_t>& out) override
    {
        bytes += n;
        return inner_.readAt(offset, n, out);
    }
    using ByteSource::readAt;
    std::uint64_t bytes = 0;

  private:
    ByteSource& inner_;
};

TEST(ProgramFileSkipped, ImagesReadLaterAreTheImagesAndAChangedOneIsDropped)
{
    NeFixture f;
    for (Bytes file : {test::BuildNe(f.Resources(false)), test::BuildNe(f.Resources(true))}) {
        auto full = Read(file);
        MemorySource memory(file);
        std::vector<CIconGroup> listed;
        ASSERT_EQ(ReadProgramFileIcons(listed, memory, NullProgress(), ImageBytes::Skip), 2);
        ASSERT_EQ(listed.size(), full.size());
        for (std::size_t g = 0; g < full.size(); ++g) {
            ASSERT_EQ(listed[g].FormatCount(), full[g].FormatCount());
            for (int i = 0; i < full[g].FormatCount(); ++i) {
                EXPECT_TRUE(listed[g].GetFormat(i)->image.empty());
                EXPECT_EQ(listed[g].GetFormat(i)->FormatLabel(), full[g].GetFormat(i)->FormatLabel());
                EXPECT_EQ(listed[g].GetFormat(i)->sourceOffset, full[g].GetFormat(i)->sourceOffset);
            }
            EXPECT_TRUE(ReadSkippedImages(listed[g], memory));
            EXPECT_EQ(Images(listed[g]), Images(full[g]));
        }

        // The file changed under a listed icon: the 32x32 image now claims
        // another depth. Read as listed it would be the wrong size for its
        // place, so it goes and the group keeps what still matches.
        std::vector<CIconGroup> again;
        ReadProgramFileIcons(again, memory, NullProgress(), ImageBytes::Skip);
        const std::uint64_t at = *again[0].GetFormat(1)->sourceOffset;
        StoreU16(&file[at + 14], 4);
        MemorySource changed(file);
        EXPECT_FALSE(ReadSkippedImages(again[0], changed));
        EXPECT_EQ(Images(again[0]), (std::vector<Bytes>{f.small}));
        EXPECT_EQ(again[0].displayFormat, -1);
    }

    // Large images: what a skipping read takes is the structure, read a few
    // pages at a time, and the headers; not the images.
    Bytes a = MakePackedImage(256, 256, 0, 1), b = MakePackedImage(256, 256, 0, 2), c = MakePackedImage(128, 128, 0, 3);
    Bytes file = test::BuildNe({{0x8003, 0x8001, a},
                                {0x8003, 0x8002, b},
                                {0x8003, 0x8003, c},
                                {0x800E, 0x8001, test::MakeGroupDirectory({{&a, 1}, {&c, 3}})},
                                {0x800E, 0x8002, test::MakeGroupDirectory({{&b, 2}})}});
    MemorySource memory(file);
    CountingSource counted(memory);
    std::vector<CIconGroup> listed;
    ASSERT_EQ(ReadProgramFileIcons(listed, counted, NullProgress(), ImageBytes::Skip), 2);
    EXPECT_LT(counted.bytes, 100'000u);
    EXPECT_GT(a.size() + b.size() + c.size(), 400'000u);
    EXPECT_EQ(listed[0].GetFormat(1)->FormatLabel(), "256x256x24");
}

// --- write-back ------------------------------------------------------------

TEST(ProgramFileWriteBack, ReplacesExactlyTheImagesOrNothing)
{
    std::string dir = test::TempFolder("writeback");
    std::string path = dir + "/prog.dll";
    Bytes a = MakePackedImage(16, 16, 2, 1), b = MakePackedImage(24, 24, 16, 2), group;
    Bytes original = test::BuildPe(SampleResources(a, b, group));
    test::WriteFileBytes(path, original);
    ::chmod(path.c_str(), 0750);

    std::vector<CIconGroup> groups;
    ASSERT_EQ(ReadProgramFileIcons(groups, path), 1);
    const CIcon& second = *groups[0].GetFormat(1);
    ASSERT_TRUE(second.sourceOffset.has_value());
    std::uint64_t offset = *second.sourceOffset;

    // Another size, an offset with no image, or overlapping images: refused.
    EXPECT_EQ(WriteImagesBack(path, {{offset, MakePackedImage(32, 32, 16, 5)}}), WriteBackResult::SizeMismatch);
    EXPECT_EQ(WriteImagesBack(path, {{offset + 1, b}}), WriteBackResult::NotAnImage);
    EXPECT_EQ(WriteImagesBack(path, {{original.size() + 10, b}}), WriteBackResult::NotAnImage);
    EXPECT_EQ(WriteImagesBack(path, {{offset, b}, {offset, b}}), WriteBackResult::Overlap);
    EXPECT_EQ(test::ReadFileBytes(path), original);

    // A failing write leaves the original and no temporary file.
    Bytes edited = MakePackedImage(24, 24, 16, 77);
    SetAtomicFileFaultHook([](const std::string& step) { return step != "commit"; });
    EXPECT_EQ(WriteImagesBack(path, {{offset, edited}}), WriteBackResult::WriteFailed);
    SetAtomicFileFaultHook(nullptr);
    EXPECT_EQ(test::ReadFileBytes(path), original);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);

    ASSERT_EQ(WriteImagesBack(path, {{offset, edited}}), WriteBackResult::Written);
    Bytes expected = original;
    std::copy(edited.begin(), edited.end(), expected.begin() + offset);
    EXPECT_EQ(test::ReadFileBytes(path), expected);
    struct stat st {};
    ::stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0750u);
    groups.clear();
    ASSERT_EQ(ReadProgramFileIcons(groups, path), 1);
    EXPECT_EQ(groups[0].GetFormat(1)->image, edited);
}

} // namespace
} // namespace kavrel
