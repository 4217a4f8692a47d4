#include "editor/format_sizes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "document/icon_document.h"
#include "document/picture_icon.h"
#include "editor/icon_view_state.h"
#include "editor/picture_paste.h"
#include "model/ico_file.h"
#include "model/render.h"
#include "model/resample.h"
#include "support/external_tools.h"
#include "support/scripted_prompter.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;

class ScriptedSizes final : public SizeSetDialog {
  public:
    ScriptedSizes() { SetSizeSetDialog(this); }
    ~ScriptedSizes() override { SetSizeSetDialog(nullptr); }
    std::optional<std::vector<int>> ChooseSizes(const std::vector<int>& start, const std::string& sourceText) override
    {
        offered = start;
        shownSource = sourceText;
        return answer;
    }
    std::optional<std::vector<int>> answer;
    std::vector<int> offered;
    std::string shownSource;
};

class ScriptedChooser final : public FileChooser {
  public:
    ScriptedChooser() { SetFileChooser(this); }
    ~ScriptedChooser() override { SetFileChooser(nullptr); }
    std::vector<std::string> ChooseOpen(const std::string&, const std::string&, bool) override { return {}; }
    std::string ChooseSave(const std::string& title, const std::string& filter, const std::string& suggested) override
    {
        askedTitle = title;
        askedFilter = filter;
        suggestedPath = suggested;
        return answer;
    }
    std::string answer, askedTitle, askedFilter, suggestedPath;
};

struct TempDir {
    TempDir() : path(fs::temp_directory_path() / ("kavrel-sizes-" + std::to_string(::getpid())))
    {
        fs::create_directories(path);
    }
    ~TempDir() { fs::remove_all(path); }
    fs::path path;
};

// A white disc, half transparent, on transparent.
PngPixels Disc(int side)
{
    PngPixels p{side, side, std::vector<std::uint32_t>(std::size_t(side) * side, 0)};
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            if (std::hypot(x + 0.5 - side / 2.0, y + 0.5 - side / 2.0) < side * 0.4)
                p.argb[std::size_t(y) * side + x] = 0x80FFFFFFu;
    return p;
}

std::unique_ptr<CIconDocument> DocumentOf(const PngPixels& picture)
{
    auto icon = FormatFromPicture(picture);
    EXPECT_TRUE(icon);
    CIconGroup group;
    group.AddFormat(*icon);
    GroupIconSource source(group, false);
    auto doc = std::make_unique<CIconDocument>(&source);
    doc->OnNewDocument();
    return doc;
}

class FormatSizesTest : public ::testing::Test {
  protected:
    void SetUp() override { saved_ = RememberedSizeSet(); }
    void TearDown() override { RememberedSizeSet() = saved_; }
    ScriptedSizes sizes_;
    test::ScriptedPrompter prompter_;
    std::vector<int> saved_;
};

TEST_F(FormatSizesTest, WindowsSetFromAnOpenedPictureSavesAsTheCommandLineMakesIt)
{
    TempDir dir;
    const PngPixels picture = Disc(256);
    auto doc = DocumentOf(picture);
    CIconViewState view(doc.get());
    ASSERT_EQ(doc->GetFormatCount(), 1);
    const std::vector<std::uint8_t> original = doc->GetFormat(0)->packed.image;

    sizes_.answer = PresetSizes(SizePreset::Windows);
    EXPECT_TRUE(OnSizeSetCommand(view, ID_FORMAT_MAKE_SIZES));
    EXPECT_EQ(sizes_.offered, PresetSizes(SizePreset::Windows)) << "the Windows set is offered first";
    EXPECT_EQ(sizes_.shownSource, "256x256");
    EXPECT_TRUE(prompter_.shown.empty()) << "nothing was there to replace";
    ASSERT_EQ(doc->GetFormatCount(), 10);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(view.Format()->width, 256) << "the source stays the edited format";
    EXPECT_EQ(doc->GetFormat(9)->packed.image, original) << "the source is kept as it was";

    const CIconGroup stored = doc->ToIconGroup();
    for (int i = 0; i < 10; ++i) {
        const CIcon& icon = *stored.GetFormat(i);
        EXPECT_EQ(icon.width, kStandardSizes[std::size_t(i)]);
        EXPECT_EQ(icon.bitCount(), 32);
        EXPECT_EQ(icon.isPng(), icon.width == 256);
        auto pixels = RenderWithAlpha(icon);
        ASSERT_TRUE(pixels);
        // Premultiplied averaging: the edge fades in alpha, never in colour.
        for (std::uint32_t p : pixels->argb) {
            ASSERT_TRUE(p == 0 || (p & 0xFFFFFFu) == 0xFFFFFFu) << std::hex << p << " at " << icon.width;
            ASSERT_LE(p >> 24, 0x80u);
        }
        EXPECT_EQ(pixels->argb[std::size_t(icon.width / 2) * icon.width + icon.width / 2], 0x80FFFFFFu);
    }

    const fs::path saved = dir.path / "disc.ico";
    ASSERT_TRUE(doc->OnSaveDocument(saved.string()));
    EXPECT_TRUE(prompter_.shown.empty()) << "nothing is flattened";

    // The command line makes the same file from the same picture.
    const fs::path png = dir.path / "disc.png", made = dir.path / "made.ico";
    {
        auto bytes = EncodePng(picture);
        std::ofstream(png, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    if (fs::exists(KAVREL_CLI_PATH)) {
        ASSERT_TRUE(
            test::RunCommand(std::string(KAVREL_CLI_PATH) + " create '" + made.string() + "' '" + png.string() + "'"));
        std::vector<CIconGroup> a, b;
        ASSERT_TRUE(ReadIcoGroupFile(saved.string(), a));
        ASSERT_TRUE(ReadIcoGroupFile(made.string(), b));
        ASSERT_EQ(a[0].FormatCount(), b[0].FormatCount());
        for (int i = 0; i < a[0].FormatCount(); ++i)
            EXPECT_EQ(RenderWithAlpha(*a[0].GetFormat(i))->argb, RenderWithAlpha(*b[0].GetFormat(i))->argb)
                << a[0].GetFormat(i)->width;
    }
    if (test::HaveTool("icotool")) {
        std::string listing;
        ASSERT_TRUE(test::RunCommand("icotool -l '" + saved.string() + "'", &listing));
        int lines = 0;
        for (char c : listing)
            lines += c == '\n';
        EXPECT_EQ(lines, 10) << listing;
        EXPECT_NE(listing.find("--width=256 --height=256 --bit-depth=32"), std::string::npos) << listing;
    }
}

TEST_F(FormatSizesTest, ExistingSizesAreReplacedOnlyAfterTheQuestion)
{
    auto doc = DocumentOf(Disc(48));
    doc->AddFormat(16, 16, 4, 0); // a legacy format of a made size stays
    const CIconObject* source = doc->GetFormat(doc->GetFormatCount() - 1);
    ASSERT_EQ(source->width, 48);
    const std::vector<int> sizes = {16, 32, 48};

    auto made = MakeFormats(*doc, *source, sizes);
    ASSERT_TRUE(made);
    EXPECT_EQ(made->added, 2) << "48 is the source itself";
    EXPECT_EQ(doc->GetFormatCount(), 4);
    EXPECT_TRUE(prompter_.shown.empty());
    const CIconObject* made16 = nullptr;
    for (int i = 0; i < doc->GetFormatCount(); ++i)
        if (doc->GetFormat(i)->width == 16 && IsAlphaFormat(*doc->GetFormat(i)))
            made16 = doc->GetFormat(i);
    ASSERT_TRUE(made16);

    // Cancel: nothing; No: the existing ones stay and nothing else is missing.
    prompter_.Answer(IDCANCEL);
    EXPECT_FALSE(MakeFormats(*doc, *source, sizes));
    prompter_.Answer(IDNO);
    made = MakeFormats(*doc, *source, sizes);
    ASSERT_TRUE(made);
    EXPECT_EQ(made->added + made->replaced, 0);
    ASSERT_EQ(prompter_.shown.size(), 2u);
    EXPECT_EQ(prompter_.shown[0].text,
              "The icon already has 32-bit image formats of these sizes: 16x16, 32x32.\nReplace them?");
    EXPECT_EQ(prompter_.shown[0].style & kMessageButtonsMask, unsigned(MB_YESNOCANCEL));
    bool stillThere = false;
    for (int i = 0; i < doc->GetFormatCount(); ++i)
        stillThere |= doc->GetFormat(i) == made16;
    EXPECT_TRUE(stillThere);

    // Yes: replaced, the count unchanged, the legacy 16x16 kept.
    prompter_.Answer(IDYES);
    made = MakeFormats(*doc, *source, sizes);
    ASSERT_TRUE(made);
    EXPECT_EQ(made->replaced, 2);
    EXPECT_EQ(doc->GetFormatCount(), 4);
    int legacy = 0;
    for (int i = 0; i < doc->GetFormatCount(); ++i)
        legacy += doc->GetFormat(i)->bitDepth == 4;
    EXPECT_EQ(legacy, 1);
}

TEST_F(FormatSizesTest, ExportWritesThePixelsWithAlpha)
{
    TempDir dir;
    ScriptedChooser chooser;
    const PngPixels picture = Disc(24);
    auto doc = DocumentOf(picture);
    doc->SetName("Disc");
    CIconViewState view(doc.get());

    // Cancelled: no file.
    EXPECT_FALSE(ExportFormatAsPng(view));
    EXPECT_EQ(chooser.askedTitle, "Export format as PNG");
    EXPECT_EQ(chooser.askedFilter, "PNG Pictures (*.png)|*.png|");
    EXPECT_EQ(chooser.suggestedPath, "Disc-24x24.png");

    chooser.answer = (dir.path / "out.png").string();
    ASSERT_TRUE(ExportFormatAsPng(view));
    std::ifstream in(chooser.answer, std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    auto back = DecodePng(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->argb, picture.argb);

    // A legacy format is opaque where its mask is clear.
    doc->AddFormat(16, 16, 4, 0);
    auto legacy = FormatPixels(*doc->GetFormat(0));
    ASSERT_TRUE(legacy);
    EXPECT_EQ(legacy->argb[0] >> 24, 0u) << "a new format is transparent";

    // A failed write says so and names the file.
    chooser.answer = (dir.path / "missing" / "out.png").string();
    EXPECT_FALSE(ExportFormatAsPng(view));
    ASSERT_EQ(prompter_.shown.size(), 1u);
    EXPECT_NE(prompter_.shown[0].text.find("missing/out.png"), std::string::npos) << prompter_.shown[0].text;
}

} // namespace
} // namespace kavrel

namespace kavrel {
namespace {

TEST(PngImport, TransparencyBecomesTheFloatingMask)
{
    TempDir dir;
    PngPixels picture{64, 32, std::vector<std::uint32_t>(64 * 32)};
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x)
            picture.argb[std::size_t(y) * 64 + x] = x < 32 ? 0x40FF0000u : 0xC00000FFu;
    const fs::path png = dir.path / "half.png";
    {
        auto bytes = EncodePng(picture);
        std::ofstream(png, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    CIconDocument doc;
    doc.OnNewDocument();
    doc.AddFormat(32, 32, 24, 0);
    CIconViewState view(&doc);
    view.SwitchFormat(1);
    ASSERT_EQ(view.Format()->bitDepth, 24);
    ASSERT_TRUE(ImportPictureFile(view, png.string()).pasted);
    const CIconObject& f = *view.Format();
    ASSERT_TRUE(f.floatingMask && f.floatingColor);
    ASSERT_EQ(f.floatingMask->width(), 32);
    ASSERT_EQ(f.floatingMask->height(), 16);
    EXPECT_EQ(f.floatingMask->rawPixel(3, 3), 1u) << "alpha 64 is transparent";
    EXPECT_EQ(f.floatingMask->rawPixel(20, 3), 0u) << "alpha 192 is opaque";
    EXPECT_EQ(f.floatingColor->pixel(20, 3), RGB(0, 0, 255));
}

} // namespace
} // namespace kavrel
