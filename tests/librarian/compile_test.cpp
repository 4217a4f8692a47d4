// Compiling icons into a viewer program: the file's layout byte for byte,
// the checksum, the selection rule, and every refusal with the old file kept.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "librarian/compile.h"
#include "model/icl_file.h"
#include "model/ico_file.h"
#include "model/program_fixtures.h"
#include "platform/atomic_file.h"
#include "platform/byte_reader.h"
#include "resources/strings.h"
#include "resources/viewer/viewer_core.h"
#include "resources/viewer/viewer_stub.h"
#include "support/scripted_prompter.h"

namespace kavrel {
namespace {

using test::Bytes;
using test::MakeIcon;
namespace fs = std::filesystem;

CIconGroup Group(const std::string& name, std::initializer_list<CIcon> formats)
{
    CIconGroup g;
    g.name = name;
    for (const CIcon& f : formats)
        g.AddFormat(f);
    return g;
}

std::vector<CIconGroup> SomeIcons()
{
    std::vector<CIconGroup> icons;
    icons.push_back(Group("Star", {MakeIcon(16, 16, 16, 1), MakeIcon(32, 32, 16, 2)}));
    icons.push_back(Group("", {MakeIcon(32, 32, 256, 3)}));
    icons.push_back(Group("Folder open", {MakeIcon(48, 48, 0, 4), MakeIcon(32, 32, 2, 5)}));
    return icons;
}

std::uint32_t StoredChecksum(const Bytes& file)
{
    kv_pe_info info{};
    EXPECT_TRUE(kv_pe_read(file.data(), file.size(), &info));
    return LoadU32(file.data() + info.checksum_offset);
}

Bytes Stub()
{
    auto s = ViewerStub();
    return Bytes(s.begin(), s.end());
}

class CompileStep : public ::testing::Test {
  protected:
    void SetUp() override
    {
        dir = test::TempFolder("compile");
        if (ViewerStub().empty())
            GTEST_SKIP() << "built without the viewer program";
    }
    void TearDown() override
    {
        SetAtomicFileFaultHook(nullptr);
        fs::remove_all(dir);
    }
    // Everything in the folder but `keep`: a failed compile leaves nothing.
    std::vector<std::string> Others(const std::string& keep) const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir))
            if (e.path().filename() != keep)
                names.push_back(e.path().filename().string());
        return names;
    }

    std::string dir;
    test::ScriptedPrompter prompts;
};

TEST_F(CompileStep, WritesStubTitleCopyrightMarkerAndLibrary)
{
    const auto icons = SomeIcons();
    const std::string path = dir + "/icons.exe";
    const std::string title(80, 'T');
    ASSERT_EQ(CompileExecutable(path, title, "(c) Someone", icons, ViewerStub()), CompileResult::Written);
    EXPECT_TRUE(prompts.shown.empty());

    const Bytes file = test::ReadFileBytes(path);
    const Bytes stub = Stub();
    const auto library = BuildIconLibrary(icons);
    ASSERT_TRUE(library);
    ASSERT_EQ(file.size(), stub.size() + 337 + library->size());

    kv_pe_info info{};
    ASSERT_TRUE(kv_pe_read(stub.data(), stub.size(), &info));
    for (std::size_t i = 0; i < stub.size(); ++i)
        if (i < info.checksum_offset || i >= info.checksum_offset + 4u) {
            ASSERT_EQ(file[i], stub[i]) << "stub byte " << i;
        }
    // The full-length title runs straight into the copyright.
    EXPECT_EQ(std::string(file.begin() + stub.size(), file.begin() + stub.size() + 81), title + "(");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.data() + stub.size() + 80)), "(c) Someone");
    EXPECT_EQ(file[stub.size() + 336], 0x23);
    EXPECT_TRUE(std::equal(library->begin(), library->end(), file.begin() + stub.size() + 337));

    // The viewer's own reader finds the same texts and icons, and saves each
    // icon exactly as the editor's ICO writer does.
    kv_viewer viewer;
    ASSERT_EQ(kv_viewer_open(&viewer, file.data(), file.size()), KV_OK);
    EXPECT_EQ(std::string(viewer.title), title);
    EXPECT_EQ(std::string(viewer.copyright), "(c) Someone");
    ASSERT_EQ(viewer.lib.icon_count, icons.size());
    for (unsigned i = 0; i < icons.size(); ++i) {
        EXPECT_EQ(std::string(viewer.lib.icons[i].name), icons[i].name);
        std::vector<const CIcon*> formats;
        for (const auto& f : icons[i].formats)
            formats.push_back(f.get());
        Bytes ico(kv_ico_write(&viewer.lib, i, nullptr, 0));
        kv_ico_write(&viewer.lib, i, ico.data(), ico.size());
        EXPECT_EQ(ico, BuildIcoFile(formats)) << "icon " << i;
    }
    kv_viewer_close(&viewer);
}

TEST(CompiledFile, EmptyTextsAreZerosThenMarkerAndLongTextsStopAtACharacter)
{
    const Bytes stub(512, 0); // no PE headers: copied as it is
    const Bytes library = {1, 2, 3};
    Bytes file = BuildCompiledExecutable(stub, "", "", library);
    ASSERT_EQ(file.size(), 512u + 337 + 3);
    EXPECT_EQ(std::count(file.begin() + 512, file.begin() + 848, 0), 336);
    EXPECT_EQ(file[848], 0x23);
    EXPECT_EQ(Bytes(file.begin() + 849, file.end()), library);

    // 79 ASCII bytes and a two-byte character: the character does not fit.
    const std::string title = std::string(79, 'a') + "\xC3\xA9";
    file = BuildCompiledExecutable(stub, title, std::string(300, 'c'), library);
    EXPECT_EQ(file[512 + 78], 'a');
    EXPECT_EQ(file[512 + 79], 0);
    EXPECT_EQ(std::count(file.begin() + 592, file.begin() + 848, 'c'), 256);
    EXPECT_EQ(file[848], 0x23);

    const CompiledLayout layout = CompiledFileLayout(1000);
    EXPECT_EQ(layout.title, 1000u);
    EXPECT_EQ(layout.copyright, 1080u);
    EXPECT_EQ(layout.marker, 1336u);
    EXPECT_EQ(layout.library, 1337u);
}

// The linker wrote the stub's checksum: the same sum over the stub is an
// independent check of ours, and a compiled file must carry its own.
TEST(CompiledFile, ChecksumIsRecomputedWhenTheStubHasOne)
{
    const Bytes stub = Stub();
    if (stub.empty())
        GTEST_SKIP() << "built without the viewer program";
    kv_pe_info info{};
    ASSERT_TRUE(kv_pe_read(stub.data(), stub.size(), &info));
    const std::uint32_t linked = StoredChecksum(stub);
    ASSERT_NE(linked, 0u);
    EXPECT_EQ(PeFileChecksum(stub, info.checksum_offset), linked);

    const auto library = BuildIconLibrary(SomeIcons());
    const Bytes file = BuildCompiledExecutable(stub, "Title", "Copyright", *library);
    EXPECT_EQ(StoredChecksum(file), PeFileChecksum(file, info.checksum_offset));
    EXPECT_NE(StoredChecksum(file), linked);

    // A stub without a checksum keeps none.
    Bytes unsummed = stub;
    std::fill_n(unsummed.begin() + info.checksum_offset, 4, 0);
    EXPECT_EQ(StoredChecksum(BuildCompiledExecutable(unsummed, "Title", "", *library)), 0u);
}

TEST(CompileSelection, NoneOrOneSelectedCompilesAllElseTheSelectionInOrder)
{
    EXPECT_TRUE(ChooseIconsToCompile(0, {}).icons.empty());
    for (const std::vector<int>& selected : {std::vector<int>{}, std::vector<int>{2}}) {
        const CompileChoice all = ChooseIconsToCompile(4, selected);
        EXPECT_EQ(all.icons, (std::vector<int>{0, 1, 2, 3}));
        EXPECT_TRUE(all.selectAll);
    }
    const CompileChoice some = ChooseIconsToCompile(5, {4, 1, 9, 1, -1});
    EXPECT_EQ(some.icons, (std::vector<int>{1, 4}));
    EXPECT_FALSE(some.selectAll);
    EXPECT_EQ(CompileWarningText(12), "WARNING : Do you hold the copyright on the 12 icons to compile ?");
}

TEST_F(CompileStep, RefusesAnEmptyPathAFolderAndAMissingFolder)
{
    const auto icons = SomeIcons();
    for (const std::string& path : {std::string(), dir, dir + "/missing/icons.exe"}) {
        prompts.shown.clear();
        EXPECT_EQ(CompileExecutable(path, "", "", icons, ViewerStub()), CompileResult::Failed) << path;
        ASSERT_EQ(prompts.shown.size(), 1u) << path;
        EXPECT_EQ(prompts.shown[0].text, LoadString(kStrCompileBadPath));
        EXPECT_EQ(prompts.shown[0].style, MB_OK | MB_ICONEXCLAMATION);
    }
    EXPECT_TRUE(Others("").empty());
}

TEST_F(CompileStep, AnExistingFileIsReplacedOnlyAfterYesAndOnlyWhenComplete)
{
    const auto icons = SomeIcons();
    const std::string path = dir + "/icons.exe";
    const Bytes old = {'o', 'l', 'd'};
    test::WriteFileBytes(path, old);

    prompts.Answer(IDNO);
    EXPECT_EQ(CompileExecutable(path, "", "", icons, ViewerStub()), CompileResult::Declined);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, FormatString(kStrCompileExists, path));
    EXPECT_EQ(prompts.shown[0].style, MB_YESNO | MB_ICONEXCLAMATION);
    EXPECT_EQ(test::ReadFileBytes(path), old);

    // Yes, then the disk fails while writing, then while renaming.
    for (const char* step : {"write", "commit"}) {
        prompts.shown.clear();
        const std::string failing = step;
        SetAtomicFileFaultHook([failing](const std::string& s) { return s != failing; });
        // The wait cursor comes after the question and goes before the message.
        std::vector<std::pair<bool, std::size_t>> busy;
        auto tell = [&](bool on) { busy.emplace_back(on, prompts.shown.size()); };
        EXPECT_EQ(CompileExecutable(path, "", "", icons, ViewerStub(), tell), CompileResult::Failed);
        EXPECT_EQ(busy, (std::vector<std::pair<bool, std::size_t>>{{true, 1}, {false, 1}}));
        ASSERT_EQ(prompts.shown.size(), 2u);
        EXPECT_EQ(prompts.shown[1].text,
                  "Error while compiling. Unable to write file " + path + " on destination drive.");
        EXPECT_EQ(prompts.shown[1].style, MB_OK | MB_ICONSTOP);
        EXPECT_EQ(test::ReadFileBytes(path), old) << step;
        EXPECT_TRUE(Others("icons.exe").empty()) << step;
    }

    SetAtomicFileFaultHook(nullptr);
    prompts.shown.clear();
    EXPECT_EQ(CompileExecutable(path, "", "", icons, ViewerStub()), CompileResult::Written);
    EXPECT_EQ(prompts.shown.size(), 1u);
    EXPECT_GT(test::ReadFileBytes(path).size(), ViewerStub().size());
}

TEST_F(CompileStep, AMissingOrBrokenStubAndAnUnwritableLibraryAreInternalErrors)
{
    const auto icons = SomeIcons();
    const std::string path = dir + "/icons.exe";

    EXPECT_EQ(CompileExecutable(path, "", "", icons, {}), CompileResult::Failed);
    Bytes cut = Stub();
    cut.pop_back();
    EXPECT_EQ(CompileExecutable(path, "", "", icons, cut), CompileResult::Failed);
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0].text, "Erreur interne 0001");
    EXPECT_EQ(prompts.shown[1].text, "Erreur interne 0002");
    EXPECT_EQ(prompts.shown[1].style, MB_OK);

    // More images than a library can number.
    std::vector<CIconGroup> tooMany(1, Group("x", {MakeIcon(1, 1, 2, 1)}));
    tooMany.resize(0x8000, tooMany[0]);
    prompts.shown.clear();
    EXPECT_EQ(CompileExecutable(path, "", "", tooMany, ViewerStub()), CompileResult::Failed);
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0].text, FormatString(kStrUnableToSaveLibrary, path));
    EXPECT_EQ(prompts.shown[0].style, MB_OK | MB_ICONSTOP);
    EXPECT_EQ(prompts.shown[1].text, LoadString(kStrCompileFailed));
    EXPECT_EQ(prompts.shown[1].style, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_TRUE(Others("").empty());
}

} // namespace
} // namespace kavrel
