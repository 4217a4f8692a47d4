// What the editor shows of a format is what saving it writes, through every
// palette action of the palette bar.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>

#include "document/icon_document.h"
#include "editor/draw_tool.h"
#include "editor/palette_bar.h"
#include "editor/palette_file.h"
#include "editor/settings_editor.h"
#include "editor/tool_set.h"
#include "model/icon_model.h"
#include "model/palettes.h"
#include "support/scripted_prompter.h"

namespace kavrel {
namespace {

class OneFileChooser : public FileChooser {
  public:
    OneFileChooser() { SetFileChooser(this); }
    ~OneFileChooser() override { SetFileChooser(nullptr); }
    std::vector<std::string> ChooseOpen(const std::string&, const std::string&, bool) override { return {path}; }
    std::string ChooseSave(const std::string&, const std::string&, const std::string&) override { return path; }
    std::string path;
};

class AnswerDialog : public ColourDialog {
  public:
    bool Choose(COLORREF& colour, std::uint32_t (&)[16]) override
    {
        colour = answer;
        return true;
    }
    COLORREF answer = 0;
};

// The format as a save writes it and an open reads it back.
std::unique_ptr<CIconObject> Saved(CIconObject& f)
{
    f.PackToIcon();
    return std::make_unique<CIconObject>(f.packed);
}

// Opaque pixels show the colour their saved index stands for; the masks agree.
void ExpectShownIsSaved(CIconObject& f, const char* after)
{
    SCOPED_TRACE(after);
    const auto saved = Saved(f);
    ASSERT_EQ(saved->mask, f.mask);
    int opaque = 0;
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x)
            if (f.mask.rawPixel(x, y) == 0) {
                ++opaque;
                ASSERT_EQ(saved->color.pixel(x, y), f.color.pixel(x, y)) << x << "," << y;
            }
    EXPECT_GT(opaque, 0);
}

// A 16x16 icon in 16 colours and in 256 colours of its own, edited with the
// real pencil through a view that the bar follows.
class PaletteFidelityTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        std::copy(std::begin(kStandardColourCells), std::end(kStandardColourCells), PalColor);
        InstallDrawingTools();
        char pattern[] = "/tmp/kavrel-fidelity-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        doc.OnNewDocument();
        doc.AddFormat(16, 16, 4, 0);
        doc.AddFormat(16, 16, 8, 1);
        CIconViewState::FormatToOpen() = 0;
        view.InitialUpdate(400, 300);
        view.SelectTool(kToolPencil);
        bar.SetColourDialog(&dialog);
    }
    void TearDown() override
    {
        bar.ForgetView(&view);
        std::copy(std::begin(kStandardColourCells), std::end(kStandardColourCells), PalColor);
        std::filesystem::remove_all(folder);
    }
    CIconObject& Edit(int depth)
    {
        for (int i = 0; i < doc.GetFormatCount(); ++i)
            if (doc.GetFormat(i)->width == 16 && doc.GetFormat(i)->bitDepth == depth)
                view.SwitchFormat(i);
        bar.SetActiveView(&view);
        return *view.Format();
    }
    void Draw(int column, int row, ColorValue colour)
    {
        view.leftColor = colour;
        ASSERT_EQ(view.ButtonDown(0, view.originX + column * view.zoom + 1, view.originY + row * view.zoom + 1),
                  CIconViewState::Press::OnImage);
        view.ButtonUp();
    }
    std::string File(const std::string& name) const { return folder + "/" + name; }

    std::string folder;
    test::ScriptedPrompter prompter;
    OneFileChooser chooser;
    AnswerDialog dialog;
    CIconDocument doc;
    CIconViewState view{&doc};
    CPaletteBar bar;
};

TEST_F(PaletteFidelityTest, OwnPalettePixelsKeepTheirIndices)
{
    CIconObject& f = Edit(8);
    ASSERT_TRUE(bar.PaletteFace());
    Draw(0, 0, PaletteIndexValue(20));
    Draw(1, 0, PaletteIndexValue(21));
    Draw(2, 0, PaletteIndexValue(25));
    Draw(3, 0, PaletteIndexValue(200));

    // A loaded palette in which entries 20 and 21 share one colour.
    std::vector<COLORREF> entries(256);
    for (int i = 0; i < 256; ++i)
        entries[i] = RGB(i, 255 - i, (i * 7) & 0xFF);
    entries[20] = entries[21] = RGB(200, 0, 0);
    chooser.path = File("mine.pa8");
    ASSERT_TRUE(WritePaletteFile(chooser.path, PaletteFileKind::Palette256, entries));
    bar.OnCommand(ID_PALETTE_OPEN);
    EXPECT_EQ(f.color.pixel(0, 0), RGB(200, 0, 0));
    EXPECT_EQ(f.color.pixel(1, 0), RGB(200, 0, 0));
    EXPECT_EQ(f.color.pixel(3, 0), entries[200]);
    EXPECT_EQ(f.PixelIndex(0, 0), 20);
    EXPECT_EQ(f.PixelIndex(1, 0), 21);
    ExpectShownIsSaved(f, "load");
    EXPECT_TRUE(doc.IsModified());

    // Editing entry 21 recolours its pixel only, though 20 had the same colour.
    bar.selected = 21;
    dialog.answer = RGB(0, 200, 0);
    bar.OnCommand(ID_PALETTE_MODIFY);
    EXPECT_EQ(f.color.pixel(0, 0), RGB(200, 0, 0));
    EXPECT_EQ(f.color.pixel(1, 0), RGB(0, 200, 0));
    ExpectShownIsSaved(f, "edit");

    // A gradient from entry 20 to 30 moves the colour of entry 25's pixel.
    bar.leftColor = PaletteIndexValue(20);
    bar.rightColor = PaletteIndexValue(30);
    bar.OnCommand(ID_PALETTE_GRADIENT);
    const COLORREF mid = f.palette.colorRef(25);
    EXPECT_NE(mid, entries[25]);
    EXPECT_EQ(f.color.pixel(2, 0), mid);
    ExpectShownIsSaved(f, "gradient");

    // The standard colours are the 48 cells', not this palette's.
    bar.OnCommand(ID_PALETTE_STANDARD);
    EXPECT_EQ(f.color.pixel(2, 0), mid);
    ExpectShownIsSaved(f, "standard colours");

    // Undone states take the new colours too: the pixel drawn before the
    // palette changed comes back in its entry's colour of today.
    view.OnCommand(57643);
    view.OnCommand(57643);
    EXPECT_EQ(f.color.pixel(3, 0), RGB(0, 0, 0));
    EXPECT_EQ(f.color.pixel(2, 0), RGB(0, 0, 0));
    EXPECT_EQ(f.color.pixel(1, 0), f.palette.colorRef(21));
    ExpectShownIsSaved(f, "undo");
    view.OnCommand(57644);
    EXPECT_EQ(f.color.pixel(2, 0), mid);
    ExpectShownIsSaved(f, "redo");
}

TEST_F(PaletteFidelityTest, OwnPaletteFileRoundTripsItsIndices)
{
    CIconObject& f = Edit(8);
    std::vector<PaletteEntry> same(256, PaletteEntry{10, 20, 30, 0});
    f.ChangePalette(Palette(same));
    Palette p = f.palette;
    for (int i = 0; i < 16; ++i)
        f.color.setRawPixel(i, 5, PixelFromColorRef(RGB(10, 20, 30)));
    for (int i = 0; i < 16; ++i)
        f.mask.setRawPixel(i, 5, 0);
    // Every entry has one colour, so only the kept indices tell the pixels apart.
    f.PackToIcon();
    CIcon icon = f.packed;
    const std::size_t row5 = 40 + 256 * 4 + (15 - 5) * 16;
    for (int i = 0; i < 16; ++i)
        icon.image[row5 + i] = static_cast<std::uint8_t>(i * 16);
    CIconObject read(icon);
    EXPECT_EQ(read.PixelIndex(7, 5), 7 * 16);
    read.PackToIcon();
    EXPECT_EQ(read.packed.image, icon.image);

    // Giving entry 112 its own colour recolours exactly that pixel.
    Palette next = read.palette;
    next[112] = PaletteEntry{255, 255, 0, 0};
    read.ChangePalette(next);
    EXPECT_EQ(read.color.pixel(7, 5), RGB(255, 255, 0));
    EXPECT_EQ(read.color.pixel(6, 5), RGB(10, 20, 30));
    ExpectShownIsSaved(read, "entry 112");
}

TEST_F(PaletteFidelityTest, SixteenColourCellsDrawWhatIsSaved)
{
    CIconObject& f = Edit(4);
    ASSERT_FALSE(bar.PaletteFace());
    std::vector<COLORREF> cells(48);
    for (int i = 0; i < 48; ++i)
        cells[i] = RGB(i * 5, 100 + i, 250 - i * 3);
    chooser.path = File("cells.pal");
    ASSERT_TRUE(WritePaletteFile(chooser.path, PaletteFileKind::Cells, cells));
    bar.lastButton = 0;
    bar.selected = 9;
    bar.OnCommand(ID_PALETTE_OPEN);
    EXPECT_EQ(bar.leftColor, cells[9]);
    for (int i = 0; i < 8; ++i)
        Draw(i, 1, bar.leftColor);
    ExpectShownIsSaved(f, "load");

    dialog.answer = RGB(90, 200, 31);
    bar.OnCommand(ID_PALETTE_MODIFY);
    for (int i = 0; i < 8; ++i)
        Draw(i, 2, bar.leftColor);
    ExpectShownIsSaved(f, "edit");

    CCmdUI ui;
    ui.id = ID_PALETTE_GRADIENT;
    ASSERT_TRUE(bar.OnUpdateCommand(ui));
    EXPECT_FALSE(ui.enabled);

    bar.OnCommand(ID_PALETTE_STANDARD);
    for (int i = 0; i < 8; ++i)
        Draw(i, 3, bar.leftColor);
    ExpectShownIsSaved(f, "standard colours");
}

} // namespace
} // namespace kavrel
