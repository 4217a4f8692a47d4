#include "editor/icon_view_state.h"

#include <gtest/gtest.h>

#include <map>

#include "document/icon_document.h"
#include "editor/settings_editor.h"
#include "editor/view_patterns.h"
#include "resources/command_ids.h"
#include "support/pixel_picture.h"

namespace kavrel {
namespace {

// A document holding exactly the given formats (width, height, depth).
std::unique_ptr<CIconDocument> DocumentWith(std::initializer_list<std::array<int, 3>> formats)
{
    auto doc = std::make_unique<CIconDocument>();
    doc->OnNewDocument();
    for (const auto& f : formats)
        doc->AddFormat(f[0], f[1], f[2], 0);
    // Drop the default 32x32 16-colour format unless it was asked for.
    bool wanted = false;
    for (const auto& f : formats)
        wanted = wanted || (f[0] == 32 && f[1] == 32 && f[2] == 4);
    if (!wanted)
        for (int i = 0; i < doc->GetFormatCount(); ++i)
            if (doc->GetFormat(i)->width == 32 && doc->GetFormat(i)->height == 32 && doc->GetFormat(i)->bitDepth == 4) {
                doc->RemoveFormat(i);
                break;
            }
    doc->SetModifiedFlag(false); // as opened
    return doc;
}

int IndexOf(const CIconDocument& doc, int w, int h, int depth)
{
    for (int i = 0; i < doc.GetFormatCount(); ++i)
        if (doc.GetFormat(i)->width == w && doc.GetFormat(i)->height == h && doc.GetFormat(i)->bitDepth == depth)
            return i;
    return -1;
}

// A tool that records the steps it receives.
class RecordingTool : public CDrawTool {
  public:
    int CursorId() const override { return 118; }
    bool HoverPreview() const override { return true; }
    void Begin(ToolContext& c, int column, int row) override
    {
        steps.push_back("begin " + std::to_string(column) + "," + std::to_string(row));
        pressed = c.pressedColor;
    }
    void Move(ToolContext&, int column, int row) override
    {
        steps.push_back("move " + std::to_string(column) + "," + std::to_string(row));
    }
    void End(ToolContext&) override { steps.push_back("end"); }
    std::optional<Rect> Hover(ToolContext&, int column, int row) override
    {
        steps.push_back("hover " + std::to_string(column) + "," + std::to_string(row));
        return Rect{column, row, column + 1, row + 1};
    }
    std::vector<std::string> steps;
    ColorValue pressed = 0;
};

class StatusWindow : public ViewWindow {
  public:
    bool IsStatusBarShown() const override { return shown; }
    void SetStatusText(int pane, const std::string& text) override { panes[pane] = text; }
    bool shown = true;
    std::map<int, std::string> panes;
};

// Settings and editor-wide values restored after each test.
class ViewStateTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        saved_ = {GrilleAuto, DefaultZoomAuto, AfficheOmbreIcone, MotifTransparent};
        savedBackground_ = CouleurFondEditeur;
        GrilleAuto = 1;
        DefaultZoomAuto = 1;
        LastTool() = 0;
        LastBrushShape() = 0;
        CIconViewState::FormatToOpen() = 0;
    }
    void TearDown() override
    {
        GrilleAuto = saved_[0];
        DefaultZoomAuto = saved_[1];
        AfficheOmbreIcone = saved_[2];
        MotifTransparent = saved_[3];
        CouleurFondEditeur = savedBackground_;
        ClearTools();
        SetPaletteBar(nullptr);
    }
    std::array<int, 4> saved_{};
    std::uint32_t savedBackground_ = 0;
};

TEST_F(ViewStateTest, AutomaticZoomAndCentring)
{
    struct Case {
        int size, clientW, clientH, zoom, ox, oy;
    };
    for (const Case& c : {Case{32, 400, 300, 8, 72, 22}, Case{72, 100, 100, 1, 14, 14},
                          Case{16, 1000, 800, 30, 260, 160}, Case{48, 60, 60, 1, 6, 6}}) {
        auto doc = DocumentWith({{c.size, c.size, 4}});
        CIconViewState view(doc.get());
        view.InitialUpdate(c.clientW, c.clientH);
        EXPECT_EQ(view.zoom, c.zoom) << c.size << " in " << c.clientW << "x" << c.clientH;
        EXPECT_EQ(view.originX, c.ox) << c.size;
        EXPECT_EQ(view.originY, c.oy) << c.size;
        EXPECT_EQ(view.scrollWidth, c.size * c.zoom + 13);
        EXPECT_EQ(view.scrollHeight, c.size * c.zoom + 13);
    }
    // Tall and wide formats show whole: the smaller of the two fitting zooms.
    struct Oblong {
        int w, h, zoom;
    };
    for (const Oblong& c : {Oblong{48, 96, 2}, Oblong{256, 16, 1}, Oblong{16, 256, 1}, Oblong{96, 48, 3}}) {
        auto oblong = DocumentWith({{c.w, c.h, 4}});
        CIconViewState view(oblong.get());
        view.InitialUpdate(400, 300);
        EXPECT_EQ(view.zoom, c.zoom) << c.w << "x" << c.h;
        EXPECT_LE(view.originX + c.w * view.zoom, 400) << c.w << "x" << c.h;
        EXPECT_LE(view.originY + c.h * view.zoom, 300) << c.w << "x" << c.h;
    }

    // A tiny client never pushes the image nearer the edge than 5 pixels.
    auto doc = DocumentWith({{32, 32, 4}});
    CIconViewState view(doc.get());
    view.InitialUpdate(10, 10);
    EXPECT_EQ(view.zoom, 1);
    EXPECT_EQ(view.originX, 5);
    EXPECT_EQ(view.originY, 5);

    // Resizing follows automatic zoom only while it is on.
    view.SetClientSize(400, 300);
    EXPECT_EQ(view.zoom, 8);
    view.OnCommand(ID_ZOOM_IN);
    EXPECT_EQ(view.zoom, 9);
    EXPECT_EQ(view.autoZoom, 0);
    view.SetClientSize(1000, 1000);
    EXPECT_EQ(view.zoom, 9);
    EXPECT_EQ(view.originX, (1000 - 288) / 2);
    view.OnCommand(ID_ZOOM_AUTO);
    EXPECT_EQ(view.autoZoom, 1);
    EXPECT_EQ(view.zoom, 30);
}

TEST_F(ViewStateTest, PixelFromPointAndPresses)
{
    auto doc = DocumentWith({{32, 32, 4}});
    CIconViewState view(doc.get());
    view.InitialUpdate(400, 300); // zoom 8, origin (72, 22)
    int c = -1, r = -1;
    EXPECT_TRUE(view.PixelFromPoint(72, 22, c, r));
    EXPECT_EQ(c, 0);
    EXPECT_EQ(r, 0);
    EXPECT_TRUE(view.PixelFromPoint(72 + 8 * 31 + 7, 22 + 8 * 5 + 3, c, r));
    EXPECT_EQ(c, 31);
    EXPECT_EQ(r, 5);
    // Three pixels left of the image: column 0 by truncation, yet off the image.
    EXPECT_FALSE(view.PixelFromPoint(69, 30, c, r));
    EXPECT_EQ(c, 0);
    EXPECT_EQ(r, 1);
    // Right of and below the image: clamped to the last pixel, off the image.
    EXPECT_FALSE(view.PixelFromPoint(72 + 256, 22 + 256, c, r));
    EXPECT_EQ(c, 31);
    EXPECT_EQ(r, 31);
    EXPECT_FALSE(view.PixelFromPoint(10, 0, c, r));
    EXPECT_EQ(c, 0);
    EXPECT_EQ(r, 0);

    // No tool installed: a press on the image does nothing harmful.
    EXPECT_EQ(view.ButtonDown(0, 80, 30), CIconViewState::Press::OnImage);
    EXPECT_EQ(view.buttonDown, 0);
    view.ButtonUp();
    EXPECT_FALSE(doc->IsModified());

    auto owned = std::make_unique<RecordingTool>();
    RecordingTool* tool = owned.get();
    InstallTool(kToolPencil, std::move(owned));
    view.SelectTool(kToolPencil);
    view.leftColor = RGB(255, 0, 0);
    view.rightColor = COLOR_TRANSPARENT;

    // The press three pixels left of the image starts nothing.
    EXPECT_EQ(view.ButtonDown(0, 69, 30), CIconViewState::Press::OffImage);
    EXPECT_TRUE(tool->steps.empty());
    EXPECT_EQ(view.buttonDown, 0);

    // A right press draws with the right colour; moves within one pixel are
    // not repeated; the release marks the document modified.
    EXPECT_EQ(view.ButtonDown(1, 80, 30), CIconViewState::Press::OnImage);
    EXPECT_EQ(tool->pressed, COLOR_TRANSPARENT);
    EXPECT_EQ(view.lastButton, 1);
    view.PointerMove(81, 31);
    view.PointerMove(90, 31);
    view.PointerMove(1000, 31); // outside: the clamped pixel
    view.ButtonUp();
    EXPECT_EQ(tool->steps, (std::vector<std::string>{"begin 1,1", "move 2,1", "move 31,1", "end"}));
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(view.CursorId(80, 30), 118);
    EXPECT_EQ(view.CursorId(10, 10), 0);

    // Hovering reports each new pixel once; leaving the image ends it.
    tool->steps.clear();
    EXPECT_TRUE(view.Hover(80, 30));
    EXPECT_TRUE(view.Hover(81, 30));
    EXPECT_FALSE(view.Hover(60, 30));
    EXPECT_EQ(tool->steps, (std::vector<std::string>{"hover 1,1"}));
    EXPECT_EQ(view.pointerTracked, 0);
    EXPECT_FALSE(view.hoverRect.has_value());
}

TEST_F(ViewStateTest, CommandsAndTheirState)
{
    auto doc = DocumentWith({{16, 16, 4}});
    CIconViewState view(doc.get());
    view.InitialUpdate(1000, 800);
    ASSERT_EQ(view.zoom, 30);
    CCmdTarget* route[] = {&view};
    EXPECT_FALSE(UpdateCommand(route, ID_ZOOM_IN).enabled);
    EXPECT_FALSE(SendCommand(route, ID_ZOOM_IN));
    EXPECT_EQ(view.zoom, 30);
    EXPECT_TRUE(UpdateCommand(route, ID_ZOOM_AUTO).checked);

    view.SetZoom(1);
    EXPECT_FALSE(UpdateCommand(route, ID_ZOOM_OUT).enabled);
    EXPECT_FALSE(SendCommand(route, ID_ZOOM_OUT));
    EXPECT_EQ(view.zoom, 1);
    EXPECT_TRUE(SendCommand(route, ID_ZOOM_IN));
    EXPECT_EQ(view.zoom, 2);
    EXPECT_FALSE(UpdateCommand(route, ID_ZOOM_AUTO).checked);

    EXPECT_TRUE(UpdateCommand(route, ID_VIEW_GRID).checked);
    SendCommand(route, ID_VIEW_GRID);
    EXPECT_FALSE(UpdateCommand(route, ID_VIEW_GRID).checked);

    // Tools: the picker remembers the tool it interrupted and leaves the
    // editor-wide last tool alone.
    SendCommand(route, kToolCommands[kToolLine]);
    EXPECT_TRUE(UpdateCommand(route, kToolCommands[kToolLine]).checked);
    EXPECT_FALSE(UpdateCommand(route, kToolCommands[kToolPencil]).checked);
    SendCommand(route, kToolCommands[kToolColorPicker]);
    SendCommand(route, kToolCommands[kToolColorPicker]);
    EXPECT_EQ(view.previousTool, kToolLine);
    EXPECT_EQ(LastTool(), kToolLine);
    SendCommand(route, kBrushShapeCommands[7]);
    EXPECT_EQ(LastBrushShape(), 7);
    SendCommand(route, kFillModeCommands[3]);
    EXPECT_TRUE(UpdateCommand(route, ID_FILL_RADIAL).checked);

    // A new view starts with the editor-wide tool and shape.
    CIconViewState next(doc.get());
    EXPECT_EQ(next.currentTool, kToolLine);
    EXPECT_EQ(next.brushShape, 7);
    EXPECT_EQ(next.fillMode, 0);

    // Commands of other areas are left to them.
    EXPECT_FALSE(UpdateCommand(route, ID_FILE_SAVE).claimed);
}

TEST_F(ViewStateTest, StatusPanes)
{
    auto doc = DocumentWith({{32, 32, 8}});
    StatusWindow window;
    CIconViewState view(doc.get(), &window);
    view.InitialUpdate(400, 300);
    view.UpdateStatus();
    EXPECT_EQ(window.panes[1], "32x32 - 256 colors");
    EXPECT_EQ(window.panes[2], "@0 ");
    EXPECT_EQ(window.panes[3], "@1 ");
    EXPECT_EQ(window.panes[4], "@2  8:1");
    EXPECT_EQ(window.panes[5], "   ");
    view.Hover(72 + 8 * 3, 22 + 8 * 4);
    EXPECT_EQ(window.panes[2], "@0  3,4");
    view.ShowSize(Rect{2, 3, 6, 4});
    EXPECT_EQ(window.panes[3], "@1  5x2");
    doc->SetModifiedFlag(true);
    view.UpdateStatus();
    EXPECT_EQ(window.panes[5], "@3 ");

    // With the status bar hidden nothing is written.
    window.shown = false;
    window.panes.clear();
    view.UpdateStatus();
    view.ShowSize(std::nullopt);
    EXPECT_TRUE(window.panes.empty());
}

// A palette bar that follows the active view, as the real one does.
class FollowingBar : public PaletteBarColours {
  public:
    ColorValue LeftColor() const override { return left; }
    ColorValue RightColor() const override { return right; }
    int SelectedIndex() const override { return selected; }
    ColorValue Cell(int index) const override { return index == 47 ? RGB(1, 2, 3) : 0; }
    void SetActiveView(CIconViewState* view) override
    {
        left = view->leftColor;
        right = view->rightColor;
        selected = view->selectedPaletteIndex;
    }
    void ForgetView(CIconViewState*) override {}
    ColorValue left = RGB(0, 0, 255), right = COLOR_TRANSPARENT;
    int selected = 12;
};

TEST_F(ViewStateTest, SwitchingFormatsRestoresTheirState)
{
    DefaultZoomAuto = 0;
    auto doc = DocumentWith({{16, 16, 4}, {48, 48, 4}, {32, 32, 24}, {32, 32, 8}});
    doc->GetFormat(IndexOf(*doc, 32, 32, 8))->ownPalette = 1;
    FollowingBar bar;
    SetPaletteBar(&bar);
    const int f16 = IndexOf(*doc, 16, 16, 4), f48 = IndexOf(*doc, 48, 48, 4);
    const int f24 = IndexOf(*doc, 32, 32, 24), f8 = IndexOf(*doc, 32, 32, 8);
    CIconViewState::FormatToOpen() = f16;
    CIconViewState view(doc.get());
    view.InitialUpdate(300, 300); // the first update zooms automatically: 17
    EXPECT_EQ(view.formatIndex, f16);
    EXPECT_EQ(view.zoom, 17);
    EXPECT_EQ(view.leftColor, RGB(0, 0, 255));
    EXPECT_EQ(view.selectedPaletteIndex, 12);

    view.SetZoom(25); // 16 x 25 + 13 = 413: scrolls
    view.SetScrollPosition(40, 50);
    view.leftColor = RGB(255, 0, 0);
    view.rightColor = RGB(0, 255, 0);
    view.lastButton = 1;

    EXPECT_TRUE(view.SwitchFormat(f48));
    EXPECT_EQ(view.zoom, 5); // no remembered state: automatic zoom, (300 - 20) / 48
    EXPECT_EQ(view.scrollX, 0);
    view.leftColor = RGB(0, 0, 0);
    EXPECT_FALSE(view.SwitchFormat(f48));

    EXPECT_TRUE(view.SwitchFormat(f16));
    EXPECT_EQ(view.zoom, 25);
    EXPECT_EQ(view.scrollX, 40);
    EXPECT_EQ(view.scrollY, 50);
    EXPECT_EQ(view.leftColor, RGB(255, 0, 0));
    EXPECT_EQ(view.rightColor, RGB(0, 255, 0));
    EXPECT_EQ(view.lastButton, 1);

    // A format with its own palette starts on entry 0.
    EXPECT_TRUE(view.SwitchFormat(f8));
    EXPECT_EQ(view.leftColor, PaletteIndexValue(0));
    EXPECT_EQ(view.rightColor, COLOR_TRANSPARENT);
    EXPECT_EQ(view.selectedPaletteIndex, 0);
    view.rightColor = PaletteIndexValue(9);
    view.selectedPaletteIndex = 9;
    view.SaveFormatState();
    bar.SetActiveView(&view);

    // Palette entries mean nothing in a 24-bit format: the colours are reset.
    EXPECT_TRUE(view.SwitchFormat(f24));
    EXPECT_EQ(view.rightColor, COLOR_TRANSPARENT);
    EXPECT_EQ(view.leftColor, RGB(1, 2, 3));
    EXPECT_EQ(view.selectedPaletteIndex, 47);

    // Out-of-range indexes are clamped.
    EXPECT_TRUE(view.SwitchFormat(99));
    EXPECT_EQ(view.formatIndex, doc->GetFormatCount() - 1);

    // The document's list changes: the edited format is found again by its
    // size and depth, and states travel with their formats.
    EXPECT_TRUE(view.SwitchFormat(f16));
    doc->AddFormat(24, 24, 4, 0);
    view.FormatsChanged();
    EXPECT_EQ(view.formatIndex, IndexOf(*doc, 16, 16, 4));
    ASSERT_EQ(view.FormatStates().size(), 5u);
    EXPECT_TRUE(view.FormatStates()[IndexOf(*doc, 48, 48, 4)].valid);
    EXPECT_FALSE(view.FormatStates()[IndexOf(*doc, 24, 24, 4)].valid);
    doc->RemoveFormat(IndexOf(*doc, 16, 16, 4));
    view.FormatsChanged();
    EXPECT_EQ(view.formatIndex, 0);
    EXPECT_EQ(doc->GetFormat(0)->width, 24);
}

TEST_F(ViewStateTest, OneBitFormatsDrawBlackOnTransparent)
{
    auto doc = DocumentWith({{32, 32, 1}});
    CIconViewState view(doc.get());
    view.InitialUpdate(400, 300);
    EXPECT_EQ(view.leftColor, RGB(0, 0, 0));
    EXPECT_EQ(view.rightColor, COLOR_TRANSPARENT);
    EXPECT_EQ(view.selectedPaletteIndex, 0);
}

TEST_F(ViewStateTest, AWindowLargerThanAnyScreenGetsABoundedFrame)
{
    auto doc = DocumentWith({{32, 32, 4}});
    CIconViewState view(doc.get());
    view.InitialUpdate(999999994, 20);
    view.EnsureFrame();
    EXPECT_EQ(view.Frame().width(), kMaxClientSide);
    EXPECT_EQ(view.Frame().height(), 20);
    view.SetClientSize(400, 16777215);
    view.EnsureFrame();
    EXPECT_EQ(view.Frame().width(), 400);
    EXPECT_EQ(view.Frame().height(), kMaxClientSide);
}

} // namespace
} // namespace kavrel
