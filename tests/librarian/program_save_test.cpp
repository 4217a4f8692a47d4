#include "librarian/program_save.h"

#include <gtest/gtest.h>

#include "model/ico_file.h"
#include "model/program_file_write.h"
#include "model/program_fixtures.h"
#include "platform/byte_reader.h"
#include "resources/strings.h"
#include "support/scripted_prompter.h"

namespace kavrel {
namespace {

using test::Bytes;

// The PE checksum as the format defines it, word by word with the carry
// folded after each addition, written independently of the program's own.
std::uint32_t ReferenceChecksum(const Bytes& file)
{
    std::uint64_t pe = LoadU32(&file[60]);
    std::uint64_t field = pe + 24 + 64;
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < file.size(); i += 2) {
        if (i >= field && i < field + 4)
            continue;
        std::uint32_t word = file[i] | (i + 1 < file.size() ? file[i + 1] << 8 : 0);
        sum += word;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return sum + static_cast<std::uint32_t>(file.size());
}

std::uint64_t ChecksumField(const Bytes& file)
{
    return LoadU32(&file[60]) + 24 + 64;
}

std::vector<CIconGroup> Load(const std::string& path)
{
    std::vector<CIconGroup> groups;
    LoadIconsFromFile(groups, path);
    return groups;
}

CIcon* FormatAt(CIconGroup& group, std::uint64_t offset)
{
    for (auto& f : group.formats)
        if (f->sourceOffset == offset)
            return f.get();
    return nullptr;
}

// Bytes that differ between two files of the same size, as [first, last).
std::vector<std::pair<std::size_t, std::size_t>> Differences(const Bytes& a, const Bytes& b)
{
    std::vector<std::pair<std::size_t, std::size_t>> out;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i]) {
            if (!out.empty() && out.back().second == i)
                out.back().second = i + 1;
            else
                out.emplace_back(i, i + 1);
        }
    return out;
}

class ProgramSave : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override
    {
        if (!test::HaveMingw(GetParam()) || !test::HaveTool("wrestool"))
            GTEST_SKIP() << "mingw tool chain or icoutils not installed";
        dir_ = test::TempFolder("program_save_" + GetParam() + "_" +
                                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        a_ = test::MakePackedImage(16, 16, 16, 1);
        b_ = test::MakePackedImage(32, 32, 16, 2);
        c_ = test::MakePackedImage(48, 48, 256, 3);
        test::WriteFileBytes(dir_ + "/a.bin", a_);
        test::WriteFileBytes(dir_ + "/b.bin", b_);
        test::WriteFileBytes(dir_ + "/c.bin", c_);
        // Both icons list image 2.
        test::WriteFileBytes(dir_ + "/g1.bin", test::MakeGroupDirectory({{&a_, 1}, {&b_, 2}}));
        test::WriteFileBytes(dir_ + "/g2.bin", test::MakeGroupDirectory({{&c_, 3}, {&b_, 2}}));
        path_ = test::BuildMingwProgram(dir_, "icons",
                                        "LANGUAGE 9, 1\n1 3 \"a.bin\"\n2 3 \"b.bin\"\n3 3 \"c.bin\"\n"
                                        "1 14 \"g1.bin\"\n2 14 \"g2.bin\"\n",
                                        true, GetParam());
        ASSERT_FALSE(path_.empty());
        original_ = test::ReadFileBytes(path_);
        icons_ = Load(path_);
        ASSERT_EQ(icons_.size(), 2u);
        // The shared image's offset: the 32x32 format of both icons.
        shared_ = *(icons_[0].formats[0]->width == 32 ? icons_[0].formats[0] : icons_[0].formats[1])->sourceOffset;
        ASSERT_NE(FormatAt(icons_[1], shared_), nullptr);
    }

    Bytes Raw(int id)
    {
        std::string raw;
        EXPECT_TRUE(
            test::RunCommand("wrestool -x --raw --type=3 --name=" + std::to_string(id) + " '" + path_ + "'", &raw));
        return Bytes(raw.begin(), raw.end());
    }

    std::string dir_, path_;
    Bytes a_, b_, c_, original_;
    std::vector<CIconGroup> icons_;
    std::uint64_t shared_ = 0;
};

TEST_P(ProgramSave, WritesOnlyEditedImagesAndSharedOnesReachBothIcons)
{
    test::ScriptedPrompter prompts;
    // Nothing edited: nothing changes, not even a stale checksum.
    ASSERT_EQ(SaveIconsIntoProgramFile(path_, icons_), ProgramSaveResult::Saved);
    EXPECT_EQ(test::ReadFileBytes(path_), original_);

    // Edit the shared image through the first icon only; the second icon
    // still holds the unedited copy and comes later in the list.
    Bytes edited = test::MakePackedImage(32, 32, 16, 77);
    FormatAt(icons_[0], shared_)->image = edited;
    ASSERT_EQ(SaveIconsIntoProgramFile(path_, icons_), ProgramSaveResult::Saved);
    EXPECT_TRUE(prompts.shown.empty());

    Bytes now = test::ReadFileBytes(path_);
    ASSERT_EQ(now.size(), original_.size());
    // The linker sets the checksum, so its field changes with the image.
    std::uint64_t field = ChecksumField(now);
    EXPECT_EQ(LoadU32(&now[field]), ReferenceChecksum(now));
    auto diff = Differences(original_, now);
    ASSERT_FALSE(diff.empty());
    for (auto [first, last] : diff) {
        if (first >= field && last <= field + 4)
            continue;
        EXPECT_GE(first, static_cast<std::size_t>(shared_));
        EXPECT_LE(last, shared_ + edited.size());
    }
    EXPECT_EQ(Raw(2), edited);
    EXPECT_EQ(Raw(1), a_);
    EXPECT_EQ(Raw(3), c_);

    // The icons in memory agree with the file, so saving again keeps it.
    EXPECT_EQ(FormatAt(icons_[1], shared_)->image, edited);
    ASSERT_EQ(SaveIconsIntoProgramFile(path_, icons_), ProgramSaveResult::Saved);
    EXPECT_EQ(test::ReadFileBytes(path_), now);

    auto reopened = Load(path_);
    ASSERT_EQ(reopened.size(), 2u);
    EXPECT_EQ(FormatAt(reopened[0], shared_)->image, edited);
    EXPECT_EQ(FormatAt(reopened[1], shared_)->image, edited);

    // Two edited copies: the later icon's wins.
    Bytes later = test::MakePackedImage(32, 32, 16, 88);
    FormatAt(reopened[0], shared_)->image = test::MakePackedImage(32, 32, 16, 99);
    FormatAt(reopened[1], shared_)->image = later;
    ASSERT_EQ(SaveIconsIntoProgramFile(path_, reopened), ProgramSaveResult::Saved);
    EXPECT_EQ(Raw(2), later);
}

TEST_P(ProgramSave, RefusesResizedOrMisplacedFormatsBeforeWritingAnything)
{
    test::ScriptedPrompter prompts;
    // A harmless edit first, so that a partial write would show.
    FormatAt(icons_[0], shared_)->image = test::MakePackedImage(32, 32, 16, 50);
    CIcon* big = icons_[1].formats.back().get();
    ASSERT_EQ(big->width, 48);
    big->image = test::MakePackedImage(48, 48, 16, 4);
    EXPECT_EQ(SaveIconsIntoProgramFile(path_, icons_), ProgramSaveResult::Failed);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].style, MB_OK | MB_ICONSTOP);
    EXPECT_EQ(prompts.shown[0].text,
              FormatString(55047, path_) + "\n" + FormatString(55323, "Icon 2", "48x48 - 256 colors"));
    EXPECT_EQ(test::ReadFileBytes(path_), original_);

    // A recorded offset outside the resource section (the headers here),
    // named by the icon's own name.
    icons_[1].formats.back()->image = c_;
    icons_[1].name = "Disk";
    icons_[1].formats.back()->sourceOffset = 0x40;
    EXPECT_EQ(SaveIconsIntoProgramFile(path_, icons_), ProgramSaveResult::Failed);
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_NE(prompts.shown[1].text.find(FormatString(55324, "\"Disk\"", "48x48 - 256 colors")), std::string::npos);
    EXPECT_EQ(test::ReadFileBytes(path_), original_);
}

TEST_P(ProgramSave, UnsetChecksumStaysAndSignedFilesAsk)
{
    test::ScriptedPrompter prompts;
    std::uint64_t field = ChecksumField(original_);
    ASSERT_NE(LoadU32(&original_[field]), 0u);
    EXPECT_EQ(LoadU32(&original_[field]), ReferenceChecksum(original_)) << "our reference disagrees with the linker";

    // A checksum left at zero stays zero.
    StoreU32(&original_[field], 0);
    test::WriteFileBytes(path_, original_);
    FormatAt(icons_[0], shared_)->image = test::MakePackedImage(32, 32, 16, 60);
    ASSERT_EQ(SaveIconsIntoProgramFile(path_, icons_), ProgramSaveResult::Saved);
    Bytes now = test::ReadFileBytes(path_);
    EXPECT_EQ(LoadU32(&now[field]), 0u);

    // A security directory (the fifth data directory) with a certificate
    // blob appended to the file: the user is asked, and No keeps the file.
    bool plus = GetParam() == "x86_64";
    std::uint64_t security = LoadU32(&now[60]) + 24 + (plus ? 112 : 96) + 32;
    std::uint32_t blobAt = static_cast<std::uint32_t>(now.size());
    StoreU32(&now[security], blobAt);
    StoreU32(&now[security + 4], 16);
    now.resize(now.size() + 16, 0xA5);
    StoreU32(&now[field], ReferenceChecksum(now));
    test::WriteFileBytes(path_, now);

    FormatAt(icons_[0], shared_)->image = test::MakePackedImage(32, 32, 16, 61);
    prompts.Answer(IDNO);
    EXPECT_EQ(SaveIconsIntoProgramFile(path_, icons_), ProgramSaveResult::Declined);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, FormatString(55325, path_));
    EXPECT_EQ(prompts.shown[0].style & kMessageButtonsMask, unsigned{MB_YESNO});
    EXPECT_EQ(test::ReadFileBytes(path_), now);

    prompts.Answer(IDYES);
    EXPECT_EQ(SaveIconsIntoProgramFile(path_, icons_), ProgramSaveResult::Saved);
    EXPECT_EQ(Raw(2), test::MakePackedImage(32, 32, 16, 61));
    Bytes signedNow = test::ReadFileBytes(path_);
    EXPECT_EQ(LoadU32(&signedNow[field]), ReferenceChecksum(signedNow));
}

INSTANTIATE_TEST_SUITE_P(Arch, ProgramSave, ::testing::Values("i686", "x86_64"));

TEST(ProgramSaveNe, WritesInsideResourcesAndRefusesWhatIsNotThere)
{
    test::ScriptedPrompter prompts;
    Bytes a = test::MakePackedImage(32, 32, 16, 1), b = test::MakePackedImage(16, 16, 2, 2);
    Bytes file = test::BuildNe(
        {{0x8003, 0x8001, a}, {0x8003, 0x8002, b}, {0x800E, 0x8001, test::MakeGroupDirectory({{&a, 1}, {&b, 2}})}});
    std::string path = test::TempFolder("program_save_ne") + "/old.exe";
    test::WriteFileBytes(path, file);
    auto icons = Load(path);
    ASSERT_EQ(icons.size(), 1u);
    CIcon* target = icons[0].formats[0].get();
    Bytes edited = test::MakePackedImage(target->width, target->height, target->colorCount, 9);
    target->image = edited;
    ASSERT_EQ(SaveIconsIntoProgramFile(path, icons), ProgramSaveResult::Saved);
    Bytes now = test::ReadFileBytes(path);
    ASSERT_EQ(now.size(), file.size());
    std::copy(edited.begin(), edited.end(), file.begin() + static_cast<std::ptrdiff_t>(*target->sourceOffset));
    EXPECT_EQ(now, file);

    // A file that is no program at all refuses with the plain message.
    test::WriteFileBytes(path, Bytes(200, 0));
    EXPECT_EQ(SaveIconsIntoProgramFile(path, icons), ProgramSaveResult::Failed);
    EXPECT_EQ(prompts.shown.back().text, FormatString(55047, path));
}

} // namespace
} // namespace kavrel
