#include "editor/palette_bar.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "document/icon_document.h"
#include "editor/settings_editor.h"
#include "model/icon_model.h"
#include "support/alpha_format.h"
#include "support/scripted_prompter.h"

namespace kavrel {
namespace {

class CountingWindow : public PaletteBarWindow {
  public:
    void Repaint(const Rect&) override { ++repaints; }
    void RepaintAll() override { ++fullRepaints; }
    void RedrawViews(CIconViewState*) override { ++viewRedraws; }
    int repaints = 0, fullRepaints = 0, viewRedraws = 0;
};

class FakeTimer : public BarTimer {
  public:
    void Start(int ms) override
    {
        started.push_back(ms);
        running = true;
    }
    void Stop() override { running = false; }
    std::vector<int> started;
    bool running = false;
};

class FakeDialog : public ColourDialog {
  public:
    bool Choose(COLORREF& colour, std::uint32_t (&custom)[16]) override
    {
        ++opened;
        shownColour = colour;
        custom[0] = 0x123456;
        if (!accept)
            return false;
        colour = answer;
        return true;
    }
    bool accept = true;
    COLORREF answer = RGB(10, 20, 30);
    COLORREF shownColour = 0;
    int opened = 0;
};

// An icon with one format of each kind the bar tells apart.
class PaletteBarTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        std::copy(std::begin(kStandardColourCells), std::end(kStandardColourCells), PalColor);
        std::fill(std::begin(CustColor), std::end(CustColor), 0u);
        doc.OnNewDocument(); // 32x32, 16 colours
        doc.AddFormat(32, 32, 1, 0);
        doc.AddFormat(32, 32, 8, 1);
        doc.AddFormat(32, 32, 24, 0);
        doc.SetModifiedFlag(false); // as opened
        bar.SetTimer(&timer);
        bar.SetColourDialog(&dialog);
    }
    void TearDown() override { std::copy(std::begin(kStandardColourCells), std::end(kStandardColourCells), PalColor); }

    // A view editing the format of the given depth, followed by the bar.
    void Edit(CIconViewState& v, int depth)
    {
        for (int i = 0; i < doc.GetFormatCount(); ++i)
            if (doc.GetFormat(i)->bitDepth == depth)
                v.formatIndex = i;
        bar.SetActiveView(&v);
    }
    CIconObject& Format(int depth)
    {
        for (int i = 0; i < doc.GetFormatCount(); ++i)
            if (doc.GetFormat(i)->bitDepth == depth)
                return *doc.GetFormat(i);
        throw std::runtime_error("no such format");
    }
    static std::pair<int, int> Centre(const Rect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
    void Click(int button, const Rect& r)
    {
        auto [x, y] = Centre(r);
        bar.ButtonDown(button, x, y);
        bar.ButtonUp();
    }

    // Before the bar, which reads them when it is made.
    struct BarSettings {
        BarSettings()
        {
            LeftColor = 0;
            RightColor = 0x01000000;
            IsDirty = 0;
            SelectedColor = 47;
            LastButtonHit = 0;
        }
    } settings;
    CIconDocument doc;
    CountingWindow window;
    FakeTimer timer;
    FakeDialog dialog;
    CPaletteBar bar{&window};
    CIconViewState view{&doc};
};

TEST_F(PaletteBarTest, LayoutAndHitTests)
{
    // Colour cells: eight rows per column, the 1-pixel gap goes to the cell before it.
    EXPECT_EQ(CPaletteBar::ColourCellRect(0), (Rect{3, 31, 19, 47}));
    EXPECT_EQ(CPaletteBar::ColourCellRect(47), (Rect{88, 150, 104, 166}));
    EXPECT_EQ(CPaletteBar::ColourCellHitTest(3, 31), 0);
    EXPECT_EQ(CPaletteBar::ColourCellHitTest(19, 47), 0);
    EXPECT_EQ(CPaletteBar::ColourCellHitTest(20, 31), 8);
    EXPECT_EQ(CPaletteBar::ColourCellHitTest(3, 48), 1);
    EXPECT_EQ(CPaletteBar::ColourCellHitTest(103, 165), 47);
    EXPECT_EQ(CPaletteBar::ColourCellHitTest(53, 170), 48);
    EXPECT_EQ(CPaletteBar::ColourCellHitTest(54, 170), 49);
    EXPECT_EQ(CPaletteBar::ColourCellHitTest(2, 40), -1);
    EXPECT_EQ(CPaletteBar::ColourCellHitTest(40, 30), -1);
    EXPECT_EQ(CPaletteBar::ColourCellHitTest(105, 40), -1);
    EXPECT_EQ(CPaletteBar::ColourCellHitTest(40, 190), -1);

    // Palette cells: 0-9, then 248-255, 246, 247, then twelve a row.
    EXPECT_EQ(CPaletteBar::PaletteCellRect(0), (Rect{5, 31, 14, 38}));
    EXPECT_EQ(CPaletteBar::PaletteCellRect(248), (Rect{5, 37, 14, 44}));
    EXPECT_EQ(CPaletteBar::PaletteCellRect(246), (Rect{69, 37, 78, 44}));
    EXPECT_EQ(CPaletteBar::PaletteCellRect(10), (Rect{5, 43, 14, 50}));
    EXPECT_EQ(CPaletteBar::PaletteCellRect(245), (Rect{61, 157, 70, 164}));
    for (int entry = 0; entry < 258; ++entry) {
        auto [x, y] = Centre(CPaletteBar::PaletteCellRect(entry));
        EXPECT_EQ(CPaletteBar::PaletteCellHitTest(x, y), entry) << entry;
    }
    EXPECT_EQ(CPaletteBar::PaletteCellHitTest(90, 40), -1);  // row 0 has ten columns
    EXPECT_EQ(CPaletteBar::PaletteCellHitTest(80, 160), -1); // after entry 245
    EXPECT_EQ(CPaletteBar::PaletteCellHitTest(4, 40), -1);

    int channel = -1;
    EXPECT_EQ(CPaletteBar::SliderHitTest(6, 196, channel), CPaletteBar::SliderPart::Minus);
    EXPECT_EQ(channel, 0);
    EXPECT_EQ(CPaletteBar::SliderHitTest(14, 216, channel), CPaletteBar::SliderPart::Track);
    EXPECT_EQ(channel, 1);
    EXPECT_EQ(CPaletteBar::SliderHitTest(75, 247, channel), CPaletteBar::SliderPart::Plus);
    EXPECT_EQ(channel, 2);
    EXPECT_EQ(CPaletteBar::SliderHitTest(67, 200, channel), CPaletteBar::SliderPart::None);
}

TEST_F(PaletteBarTest, PickingSwapAndDefaultColours)
{
    Edit(view, 4);
    Click(0, CPaletteBar::ColourCellRect(16));
    EXPECT_EQ(view.leftColor, PalColor[16]);
    EXPECT_EQ(view.selectedPaletteIndex, 16);
    EXPECT_EQ(view.lastButton, 0);
    const int redraws = window.viewRedraws;
    Click(1, CPaletteBar::InvertedCellRect());
    EXPECT_EQ(view.rightColor, COLOR_INVERTED);
    EXPECT_EQ(Format(4).transparentColor, COLOR_INVERTED);
    EXPECT_EQ(view.lastButton, 1);
    EXPECT_EQ(bar.selected, 49);
    EXPECT_GT(window.viewRedraws, redraws); // the right colour is a selection's transparent colour

    // A right click off the cells asks for the context menu.
    EXPECT_EQ(bar.ButtonDown(1, 40, 320), CPaletteBar::Press::ContextMenu);

    Click(0, CPaletteBar::SwapButtonRect());
    EXPECT_EQ(view.leftColor, COLOR_INVERTED);
    EXPECT_EQ(view.rightColor, PalColor[16]);
    EXPECT_EQ(view.lastButton, 0);
    EXPECT_EQ(bar.lastButton, 0);

    Edit(view, 24);
    Click(0, CPaletteBar::DefaultButtonRect());
    EXPECT_EQ(view.leftColor, RGB(0, 0, 0));
    EXPECT_EQ(view.rightColor, RGB(255, 255, 255));
    EXPECT_EQ(view.selectedPaletteIndex, 47);

    // The palette face gives palette indices.
    Edit(view, 8);
    ASSERT_TRUE(bar.PaletteFace());
    Click(0, CPaletteBar::PaletteCellRect(20));
    EXPECT_EQ(view.leftColor, PaletteIndexValue(20));
    Click(1, CPaletteBar::TransparentCellRect());
    EXPECT_EQ(view.rightColor, COLOR_TRANSPARENT);
    EXPECT_EQ(view.selectedPaletteIndex, 256);
    Click(0, CPaletteBar::DefaultButtonRect());
    EXPECT_EQ(view.leftColor, PaletteIndexValue(0));
    EXPECT_EQ(view.rightColor, PaletteIndexValue(255));
    EXPECT_EQ(view.selectedPaletteIndex, 0);
}

TEST_F(PaletteBarTest, FollowingTheActiveView)
{
    Edit(view, 1);
    EXPECT_EQ(window.fullRepaints, 1);
    EXPECT_EQ(bar.shownDepth, 1);
    EXPECT_EQ(bar.CellValue(0), RGB(0, 0, 0));
    EXPECT_EQ(bar.CellValue(1), RGB(6, 6, 6));
    EXPECT_EQ(bar.CellValue(11), RGB(0x40, 0x40, 0x40));
    EXPECT_EQ(bar.CellValue(46), RGB(250, 250, 250));
    EXPECT_EQ(bar.CellValue(47), RGB(255, 255, 255));

    // Nothing changed: nothing is repainted.
    const int repaints = window.repaints;
    bar.SetActiveView(&view);
    EXPECT_EQ(window.fullRepaints, 1);
    EXPECT_EQ(window.repaints, repaints);

    // Only the colours changed: the indicator and the marks, not every cell.
    view.leftColor = RGB(255, 255, 255);
    view.selectedPaletteIndex = 47;
    bar.SetActiveView(&view);
    EXPECT_EQ(window.fullRepaints, 1);
    EXPECT_GT(window.repaints, repaints);
    EXPECT_EQ(bar.leftColor, RGB(255, 255, 255));
    EXPECT_EQ(bar.selected, 47);

    // The palette of the format changed: the whole face.
    Edit(view, 8);
    EXPECT_EQ(window.fullRepaints, 2);
    Format(8).palette[3].red ^= 0xFF;
    bar.SetActiveView(&view);
    EXPECT_EQ(window.fullRepaints, 3);

    // No view: the 16-colour cells.
    bar.SetActiveView(nullptr);
    EXPECT_EQ(bar.shownDepth, 4);
    EXPECT_FALSE(bar.PaletteFace());
    EXPECT_EQ(window.fullRepaints, 4);
    bar.SetActiveView(nullptr);
    EXPECT_EQ(window.fullRepaints, 4);

    // A view going away is forgotten.
    {
        CIconViewState other(&doc);
        bar.SetActiveView(&other);
        bar.ForgetView(&other);
    }
    EXPECT_EQ(bar.ActiveView(), nullptr);
}

TEST_F(PaletteBarTest, SlidersDragPressAndRepeat)
{
    EXPECT_EQ(CPaletteBar::DragValue(0, 23, false), 128); // 127 to a multiple of 4
    EXPECT_EQ(CPaletteBar::DragValue(0, 23, true), 128);
    EXPECT_EQ(CPaletteBar::DragValue(0, 30, true), 192); // 166 to a multiple of 64
    EXPECT_EQ(CPaletteBar::DragValue(200, 46, false), 255);
    EXPECT_EQ(CPaletteBar::DragValue(10, -46, false), 0);

    Edit(view, 4);
    Click(0, CPaletteBar::ColourCellRect(47)); // black
    const Rect track = CPaletteBar::SliderTrackRect(0);
    bar.ButtonDown(0, 20, track.top + 3);
    bar.PointerMove(43, track.top + 3);
    EXPECT_EQ(PalColor[47], RGB(128, 0, 0));
    EXPECT_EQ(view.leftColor, RGB(0, 0, 0)); // the view hears of it at the release
    bar.PointerMove(50, track.top + 3, true);
    EXPECT_EQ(PalColor[47], RGB(192, 0, 0));
    bar.ButtonUp();
    EXPECT_EQ(view.leftColor, RGB(192, 0, 0));
    EXPECT_EQ(bar.dirty, 1);

    // Plus: one step at the press, the next after 500 ms, then every 20 ms.
    PalColor[47] = RGB(0, 253, 0);
    bar.ButtonDown(0, 70, CPaletteBar::SliderY(1) + 8);
    EXPECT_EQ(PalColor[47], RGB(0, 254, 0));
    EXPECT_EQ(timer.started, std::vector<int>{500});
    bar.OnTimer();
    EXPECT_EQ(PalColor[47], RGB(0, 255, 0));
    bar.OnTimer();
    EXPECT_EQ(PalColor[47], RGB(0, 255, 0)); // stops at 255
    EXPECT_EQ(timer.started, (std::vector<int>{500, 20, 20}));
    bar.ButtonUp();
    EXPECT_FALSE(timer.running);
    EXPECT_EQ(view.leftColor, RGB(0, 255, 0));

    // In the palette face the slider writes the entry and marks the document.
    Edit(view, 8);
    Format(8).palette[100] = {50, 60, 70, 0};
    bar.SetActiveView(&view);
    Click(0, CPaletteBar::PaletteCellRect(100));
    doc.SetModifiedFlag(false);
    bar.ButtonDown(0, 8, CPaletteBar::SliderY(2) + 8);
    EXPECT_EQ(Format(8).palette[100], (PaletteEntry{50, 60, 69, 0}));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(bar.shownPalette, Format(8).palette);
    bar.ButtonUp();
    EXPECT_EQ(view.leftColor, PaletteIndexValue(100));

    // Entries outside 10..245 have no sliders.
    Click(0, CPaletteBar::PaletteCellRect(5));
    EXPECT_FALSE(bar.SlidersActive());
}

TEST_F(PaletteBarTest, MonochromeHasNoSlidersNorColourEditing)
{
    Edit(view, 1);
    Click(0, CPaletteBar::ColourCellRect(20));
    EXPECT_EQ(view.leftColor, GreyRampCell(20));
    EXPECT_FALSE(bar.SlidersActive());
    const std::uint32_t cell = PalColor[20];
    bar.ButtonDown(0, 70, CPaletteBar::SliderY(0) + 8);
    bar.ButtonUp();
    bar.DoubleClick(Centre(CPaletteBar::ColourCellRect(20)).first, Centre(CPaletteBar::ColourCellRect(20)).second);
    bar.OnCommand(ID_PALETTE_MODIFY);
    EXPECT_EQ(dialog.opened, 0);
    EXPECT_EQ(PalColor[20], cell);
    EXPECT_TRUE(timer.started.empty());
    CCmdUI ui;
    ui.id = ID_PALETTE_MODIFY;
    ASSERT_TRUE(bar.OnUpdateCommand(ui));
    EXPECT_FALSE(ui.enabled);
}

TEST_F(PaletteBarTest, ModifyColour)
{
    Edit(view, 4);
    Click(1, CPaletteBar::ColourCellRect(3));
    bar.OnCommand(ID_PALETTE_MODIFY);
    EXPECT_EQ(dialog.shownColour, kStandardColourCells[3]);
    EXPECT_EQ(PalColor[3], RGB(10, 20, 30));
    EXPECT_EQ(view.rightColor, RGB(10, 20, 30)); // the last button was the right one
    EXPECT_EQ(bar.dirty, 1);
    EXPECT_EQ(CustColor[0], 0x123456u);

    // A double-click picks the cell as the left colour first.
    bar.dirty = 0;
    dialog.answer = RGB(1, 2, 3);
    auto [x, y] = Centre(CPaletteBar::ColourCellRect(9));
    bar.DoubleClick(x, y);
    EXPECT_EQ(PalColor[9], RGB(1, 2, 3));
    EXPECT_EQ(view.leftColor, RGB(1, 2, 3));
    dialog.accept = false;
    bar.OnCommand(ID_PALETTE_MODIFY);
    EXPECT_EQ(PalColor[9], RGB(1, 2, 3));

    // Palette face: the entry changes and the document is modified.
    dialog.accept = true;
    dialog.answer = RGB(40, 50, 60);
    Edit(view, 8);
    doc.SetModifiedFlag(false);
    Click(0, CPaletteBar::PaletteCellRect(5));
    auto [px, py] = Centre(CPaletteBar::PaletteCellRect(5));
    bar.DoubleClick(px, py); // double-clicks edit only entries 10 to 245
    EXPECT_FALSE(doc.IsModified());
    bar.OnCommand(ID_PALETTE_MODIFY);
    EXPECT_EQ(Format(8).palette.colorRef(5), RGB(40, 50, 60));
    EXPECT_TRUE(doc.IsModified());
    Click(0, CPaletteBar::PaletteCellRect(0));
    const int opened = dialog.opened;
    bar.OnCommand(ID_PALETTE_MODIFY); // entry 0 is not edited by the command
    EXPECT_EQ(dialog.opened, opened);
}

TEST_F(PaletteBarTest, PaletteGradientLeavesTheUpperEntry)
{
    test::ScriptedPrompter prompter;
    Edit(view, 8);
    Palette& p = Format(8).palette;
    p[20] = {0, 0, 0, 0};
    p[30] = {100, 200, 50, 0};
    const PaletteEntry upper = p[30];
    Click(0, CPaletteBar::PaletteCellRect(30));
    Click(1, CPaletteBar::PaletteCellRect(20));

    const Palette before = p;
    prompter.Answer(IDNO);
    bar.OnCommand(ID_PALETTE_GRADIENT);
    EXPECT_EQ(p, before);
    EXPECT_FALSE(doc.IsModified());
    ASSERT_EQ(prompter.shown.size(), 1u);

    bar.OnCommand(ID_PALETTE_GRADIENT);
    for (int i = 20; i < 30; ++i) {
        const int k = i - 20;
        EXPECT_EQ(p.colorRef(i), RGB(100 * k / 10, 200 * k / 10, 50 * k / 10)) << i;
    }
    EXPECT_EQ(p[30], upper);
    EXPECT_TRUE(doc.IsModified());

    // A pseudo-colour on either side: no gradient.
    Click(1, CPaletteBar::TransparentCellRect());
    CCmdUI ui;
    ui.id = ID_PALETTE_GRADIENT;
    ASSERT_TRUE(bar.OnUpdateCommand(ui));
    EXPECT_FALSE(ui.enabled);
}

TEST_F(PaletteBarTest, StandardColoursAskWhenDirty)
{
    test::ScriptedPrompter prompter;
    Edit(view, 4);
    Click(0, CPaletteBar::ColourCellRect(2));
    PalColor[2] = RGB(1, 1, 1);
    bar.dirty = 1;
    prompter.Answer(IDNO);
    bar.OnCommand(ID_PALETTE_STANDARD);
    EXPECT_EQ(PalColor[2], RGB(1, 1, 1));
    bar.OnCommand(ID_PALETTE_STANDARD);
    EXPECT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(PalColor[2], kStandardColourCells[2]);
    EXPECT_EQ(view.leftColor, kStandardColourCells[2]);
    EXPECT_EQ(bar.dirty, 0);
    bar.OnCommand(ID_PALETTE_STANDARD); // clean: no question
    EXPECT_EQ(prompter.shown.size(), 2u);
}

TEST_F(PaletteBarTest, SettingsAreReadAndWrittenBack)
{
    LeftColor = 0x05FF0000u; // no such kind of value: only its colour is kept
    RightColor = COLOR_INVERTED;
    SelectedColor = 12;
    LastButtonHit = 1;
    IsDirty = 1;
    {
        CPaletteBar fresh;
        EXPECT_EQ(fresh.leftColor, 0x00FF0000u);
        EXPECT_EQ(fresh.rightColor, COLOR_INVERTED);
        EXPECT_EQ(fresh.selected, 12);
        EXPECT_EQ(fresh.previousSelected, 12);
        EXPECT_EQ(fresh.lastButton, 1);
        EXPECT_EQ(fresh.dirty, 1);
        fresh.leftColor = PaletteIndexValue(7);
        fresh.selected = 200;
        fresh.dirty = 0;
    }
    EXPECT_EQ(LeftColor, PaletteIndexValue(7));
    EXPECT_EQ(SelectedColor, 200);
    EXPECT_EQ(IsDirty, 0);
}

TEST_F(PaletteBarTest, AlphaSliderAndNoInvertedColourInFormatsWithAlpha)
{
    doc.AddFormat(16, 16, 24, 0);
    int index = 0;
    for (int i = 0; i < doc.GetFormatCount(); ++i)
        if (doc.GetFormat(i)->width == 16)
            index = i;
    CIconObject& alpha = *doc.GetFormat(index);
    test::MakeAlphaFormat(alpha);
    const Rect track = CPaletteBar::SliderTrackRect(kAlphaChannel);
    const int middle = (track.top + track.bottom) / 2;

    // Legacy formats: no alpha slider, the Inverted colour as ever.
    Edit(view, 24);
    EXPECT_FALSE(bar.AlphaShown());
    EXPECT_EQ(bar.ButtonDown(0, track.left + 3, middle), CPaletteBar::Press::None);
    EXPECT_EQ(bar.ToolTipAt(60, 175), 0);
    Click(1, CPaletteBar::InvertedCellRect());
    EXPECT_EQ(view.rightColor, COLOR_INVERTED);

    Edit(view, 32);
    ASSERT_TRUE(bar.AlphaShown());
    // Inverted is refused (its tooltip says why); the colours stay.
    Click(0, CPaletteBar::ColourCellRect(8));
    const ColorValue left = view.leftColor;
    Click(0, CPaletteBar::InvertedCellRect());
    EXPECT_EQ(view.leftColor, left);
    EXPECT_EQ(bar.selected, 8);
    EXPECT_EQ(bar.ToolTipAt(60, 175), kNoInvertedTip);
    EXPECT_EQ(bar.ToolTipAt(track.left + 3, middle), kAlphaSliderTip);

    // The slider edits the alpha of the colour chosen last, as it moves.
    bar.ButtonDown(0, track.left + 30, middle);
    bar.PointerMove(track.left + 30 - 23, middle);
    EXPECT_EQ(view.leftAlpha, 128);
    bar.ButtonUp();
    EXPECT_EQ(view.leftAlpha, 128);
    EXPECT_EQ(view.rightAlpha, 255);
    EXPECT_EQ(view.leftColor, left); // the cell's colour is untouched
    bar.ButtonDown(0, CPaletteBar::SliderMinusRect(kAlphaChannel).left + 2, middle);
    EXPECT_EQ(view.leftAlpha, 127);
    bar.OnTimer();
    EXPECT_EQ(view.leftAlpha, 126);
    bar.ButtonUp();
    // The colour dialog changes the colour, not its alpha.
    bar.ModifyColour();
    EXPECT_EQ(view.leftColor, RGB(10, 20, 30));
    EXPECT_EQ(view.leftAlpha, 126);

    // Picking another cell keeps the alpha; swapping takes it along; the
    // default colours are opaque.
    Click(1, CPaletteBar::ColourCellRect(20));
    EXPECT_EQ(bar.LastButtonAlpha(), 255);
    Click(0, CPaletteBar::ColourCellRect(21));
    EXPECT_EQ(view.leftAlpha, 126);
    bar.Swap();
    EXPECT_EQ(view.rightAlpha, 126);
    EXPECT_EQ(view.leftAlpha, 255);

    // Transparent has no alpha to edit.
    Click(1, CPaletteBar::TransparentCellRect());
    EXPECT_FALSE(bar.AlphaSliderActive());
    EXPECT_EQ(bar.ButtonDown(0, track.left + 3, middle), CPaletteBar::Press::None);
    bar.DefaultColours();
    EXPECT_EQ(view.leftAlpha, 255);
    EXPECT_EQ(view.rightAlpha, 255);

    // A view's alphas come back with it.
    view.leftAlpha = 40;
    bar.SetActiveView(&view);
    EXPECT_EQ(bar.LeftAlpha(), 40);
}

} // namespace
} // namespace kavrel
