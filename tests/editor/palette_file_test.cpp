#include "editor/palette_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "document/icon_document.h"
#include "editor/palette_bar.h"
#include "editor/settings_editor.h"
#include "model/icon_model.h"
#include "platform/prompter.h"
#include "support/scripted_prompter.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;

class ScriptedChooser : public FileChooser {
  public:
    ScriptedChooser() { SetFileChooser(this); }
    ~ScriptedChooser() override { SetFileChooser(nullptr); }
    std::vector<std::string> ChooseOpen(const std::string& t, const std::string& f, bool) override
    {
        title = t;
        filter = f;
        return {path};
    }
    std::string ChooseSave(const std::string& t, const std::string& f, const std::string&) override
    {
        title = t;
        filter = f;
        return path;
    }
    std::string path, title, filter;
};

std::vector<std::uint8_t> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class PaletteFileTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/kavrel-palette-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        std::copy(std::begin(kStandardColourCells), std::end(kStandardColourCells), PalColor);
        doc.OnNewDocument();
        doc.AddFormat(32, 32, 8, 1);
        for (int i = 0; i < doc.GetFormatCount(); ++i)
            if (doc.GetFormat(i)->ownPalette)
                eight = i;
    }
    void TearDown() override
    {
        fs::remove_all(folder_);
        std::copy(std::begin(kStandardColourCells), std::end(kStandardColourCells), PalColor);
        IsDirty = 0;
    }
    std::string File(const std::string& name) const { return folder_ + "/" + name; }

    std::string folder_;
    CIconDocument doc;
    int eight = 0;
};

TEST_F(PaletteFileTest, ExactLayoutsAndRoundTrip)
{
    std::vector<COLORREF> cells(PalColor, PalColor + 48);
    const auto pal = EncodePaletteFile(PaletteFileKind::Cells, cells);
    ASSERT_EQ(pal.size(), 198u);
    EXPECT_EQ(std::string(pal.begin(), pal.begin() + 6), std::string("KVPAL\0", 6));
    // Cell 0 is 0xC0C0FF: red low.
    EXPECT_EQ((std::vector<std::uint8_t>(pal.begin() + 6, pal.begin() + 10)),
              (std::vector<std::uint8_t>{0xFF, 0xC0, 0xC0, 0x00}));

    std::vector<COLORREF> entries(256);
    for (int i = 0; i < 256; ++i)
        entries[static_cast<std::size_t>(i)] = RGB(i, 255 - i, i / 2);
    ASSERT_TRUE(WritePaletteFile(File("a.pa8"), PaletteFileKind::Palette256, entries));
    const auto pa8 = ReadAll(File("a.pa8"));
    ASSERT_EQ(pa8.size(), 1030u);
    EXPECT_EQ(std::string(pa8.begin(), pa8.begin() + 6), std::string("KVPA8\0", 6));
    std::vector<COLORREF> back;
    ASSERT_EQ(ReadPaletteFile(File("a.pa8"), PaletteFileKind::Palette256, back), PaletteReadResult::Ok);
    EXPECT_EQ(back, entries);

    // Magic of the other kind, or a missing file.
    EXPECT_EQ(ReadPaletteFile(File("a.pa8"), PaletteFileKind::Cells, back), PaletteReadResult::WrongMagic);
    EXPECT_TRUE(back.empty());
    EXPECT_EQ(ReadPaletteFile(File("none.pal"), PaletteFileKind::Cells, back), PaletteReadResult::CannotOpen);
    // "KVPAL" without its zero byte is not ours either.
    std::vector<std::uint8_t> noZero = pal;
    noZero[5] = ' ';
    EXPECT_EQ(DecodePaletteFile(noZero, PaletteFileKind::Cells, back), PaletteReadResult::WrongMagic);
    // Top bytes in a file never make palette indices or pseudo-colours.
    std::vector<std::uint8_t> high = pal;
    high[9] = 0xF1;
    ASSERT_EQ(DecodePaletteFile(high, PaletteFileKind::Cells, back), PaletteReadResult::Ok);
    EXPECT_EQ(back[0], 0xC0C0FFu);

    EXPECT_EQ(WithPaletteExtension("/x/colours", PaletteFileKind::Cells), "/x/colours.pal");
    EXPECT_EQ(WithPaletteExtension("/x.y/colours", PaletteFileKind::Palette256), "/x.y/colours.pa8");
    EXPECT_EQ(WithPaletteExtension("/x/colours.txt", PaletteFileKind::Cells), "/x/colours.txt");
}

TEST_F(PaletteFileTest, LoadingCellsRefusalsAndTruncatedFiles)
{
    test::ScriptedPrompter prompter;
    ScriptedChooser chooser;
    CPaletteBar bar;

    // A .pa8 file offered as .pal is refused and changes nothing.
    std::vector<COLORREF> entries(256, RGB(1, 2, 3));
    ASSERT_TRUE(WritePaletteFile(File("x.pa8"), PaletteFileKind::Palette256, entries));
    chooser.path = File("x.pa8");
    bar.dirty = 1;
    bar.OnCommand(ID_PALETTE_OPEN);
    ASSERT_EQ(prompter.shown.size(), 2u); // the replace warning, then the refusal
    EXPECT_EQ(prompter.shown[1].text, "The file is not compatible with Kavrel 4.0 palette format.");
    EXPECT_EQ(prompter.shown[1].style, MB_OK | MB_ICONSTOP);
    EXPECT_TRUE(std::equal(PalColor, PalColor + 48, kStandardColourCells));
    EXPECT_EQ(bar.dirty, 1);

    // A file that cannot be opened.
    chooser.path = File("missing.pal");
    bar.dirty = 0;
    bar.OnCommand(ID_PALETTE_OPEN);
    EXPECT_EQ(prompter.shown.back().text, "An error has occured while opening the file. ");
    EXPECT_EQ(chooser.title, "Open a palette file ...");
    EXPECT_EQ(chooser.filter, "Palette File (*.pal)|*.pal|All files(*.*)|*.*||");

    // A truncated file: ten whole cells and half of the eleventh.
    std::vector<COLORREF> cells(48, RGB(9, 8, 7));
    auto bytes = EncodePaletteFile(PaletteFileKind::Cells, cells);
    bytes.resize(6 + 10 * 4 + 2);
    WriteAll(File("short.pal"), bytes);
    chooser.path = File("short.pal");
    bar.selected = 3;
    bar.lastButton = 0;
    bar.OnCommand(ID_PALETTE_OPEN);
    EXPECT_EQ(PalColor[9], RGB(9, 8, 7));
    EXPECT_EQ(PalColor[10], kStandardColourCells[10]);
    EXPECT_EQ(PalColor[47], kStandardColourCells[47]);
    EXPECT_EQ(bar.leftColor, RGB(9, 8, 7)); // the last button's colour follows its cell
    EXPECT_EQ(bar.dirty, 0);
}

TEST_F(PaletteFileTest, SavingCellsAndPalettes)
{
    test::ScriptedPrompter prompter;
    ScriptedChooser chooser;
    CPaletteBar bar;

    PalColor[5] = RGB(0x11, 0x22, 0x33);
    bar.dirty = 1;
    chooser.path = File("mine"); // the default extension is added
    bar.OnCommand(ID_PALETTE_SAVE);
    const auto pal = ReadAll(File("mine.pal"));
    ASSERT_EQ(pal.size(), 198u);
    EXPECT_EQ(pal[6 + 5 * 4], 0x11);
    EXPECT_EQ(bar.dirty, 0);
    EXPECT_TRUE(prompter.shown.empty());

    // A folder that does not exist: the error, dirty kept, no file left behind.
    bar.dirty = 1;
    chooser.path = File("no/such/folder/x.pal");
    bar.OnCommand(ID_PALETTE_SAVE);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "An error has occured while creating the file.\nNo such file or directory.");
    EXPECT_EQ(bar.dirty, 1);

    // Palette face: the format's 256 entries, out and back in.
    CIconViewState view(&doc);
    view.formatIndex = eight;
    bar.SetActiveView(&view);
    ASSERT_TRUE(bar.PaletteFace());
    CIconObject& f = *doc.GetFormat(eight);
    f.palette[7] = {1, 2, 3, 0};
    chooser.path = File("mine8");
    bar.OnCommand(ID_PALETTE_SAVE);
    EXPECT_EQ(chooser.title, "Save as a 256 color palette...");
    ASSERT_EQ(ReadAll(File("mine8.pa8")).size(), 1030u);

    f.palette[7] = {9, 9, 9, 0};
    chooser.path = File("mine8.pa8");
    doc.SetModifiedFlag(false);
    bar.OnCommand(ID_PALETTE_OPEN);
    EXPECT_EQ(chooser.filter, "256 Color Palette Files (*.pa8)|*.pa8|All files (*.*)|*.*||");
    EXPECT_EQ(f.palette[7], (PaletteEntry{1, 2, 3, 0}));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(prompter.shown.size(), 1u); // no question for a .pa8 file

    // A truncated .pa8 file changes only the entries it holds; a .pal is refused.
    std::vector<COLORREF> grey(256, RGB(128, 128, 128));
    auto bytes = EncodePaletteFile(PaletteFileKind::Palette256, grey);
    bytes.resize(6 + 4 * 4);
    WriteAll(File("short.pa8"), bytes);
    chooser.path = File("short.pa8");
    bar.OnCommand(ID_PALETTE_OPEN);
    EXPECT_EQ(f.palette.colorRef(3), RGB(128, 128, 128));
    EXPECT_EQ(f.palette[7], (PaletteEntry{1, 2, 3, 0}));
    const Palette before = f.palette;
    chooser.path = File("mine.pal");
    bar.OnCommand(ID_PALETTE_OPEN);
    EXPECT_EQ(prompter.shown.back().text, "The file is not compatible with Kavrel 4.0 palette format.");
    EXPECT_EQ(f.palette, before);
}

} // namespace
} // namespace kavrel
