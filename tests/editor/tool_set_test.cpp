#include "editor/tool_set.h"

#include <gtest/gtest.h>

#include "document/icon_document.h"
#include "editor/icon_view_state.h"
#include "editor/tool_brushes.h"
#include "model/icon_model.h"
#include "support/pixel_picture.h"

namespace kavrel {
namespace {

// A format and the context a view would hand its tool, recording what the
// tool renders and the size it shows.
struct Drawing {
    Drawing(int depth, int w, int h, int own = 0) : format(depth, w, h, own)
    {
        context.format = &format;
        context.leftColor = RGB(0, 0, 0);
        context.rightColor = COLOR_TRANSPARENT;
        context.renderRegion = [this](const Bitmap& c, const Bitmap& m, const Rect& r) {
            rendered.push_back(r);
            fromFormat.push_back(&c == &format.color && &m == &format.mask);
            if (!fromFormat.back())
                shownPicture = test::PictureOf(c, m);
        };
        context.showSize = [this](const std::optional<Rect>& r) { sizes.push_back(r); };
    }
    void Draw(const std::vector<std::string>& picture) { test::ImagePicture(picture, format.color, format.mask); }
    void Use(int button, int shape = kBrushFine, int fillMode = 0)
    {
        context.lastButton = button;
        context.pressedColor = button == 0 ? context.leftColor : context.rightColor;
        context.brushShape = shape;
        context.fillMode = fillMode;
    }
    std::vector<std::string> Picture() const { return test::PictureOf(format.color, format.mask); }

    CIconObject format;
    ToolContext context;
    std::vector<Rect> rendered;
    std::vector<bool> fromFormat;
    std::vector<std::string> shownPicture;
    std::vector<std::optional<Rect>> sizes;
};

class ToolTest : public ::testing::Test {
  protected:
    void SetUp() override { InstallDrawingTools(); }
    void TearDown() override
    {
        // Every tool leaves the shared stencil white for the next one.
        EXPECT_TRUE(ToolStencilIsClean());
        ReleaseDrawingTools();
    }
};

TEST_F(ToolTest, BrushStrokeAndPencilSegmentsRenderWhatTheyTouch)
{
    Drawing d(24, 12, 9);
    d.Use(0, kBrushCircleSmall);
    CDrawTool& brush = *Tool(kToolBrush);
    brush.Begin(d.context, 5, 5);
    brush.Move(d.context, 8, 5);
    brush.End(d.context);
    EXPECT_TRUE(test::PictureIs(d.format.color, d.format.mask,
                                {
                                    "............",
                                    "............",
                                    "............",
                                    "............",
                                    ".....####...",
                                    "....######..",
                                    ".....####...",
                                    "............",
                                    "............",
                                }));
    ASSERT_EQ(d.rendered.size(), 2u);
    EXPECT_EQ(d.rendered[0], (Rect{4, 4, 7, 7}));
    EXPECT_EQ(d.rendered[1], (Rect{4, 4, 10, 7}));
    EXPECT_TRUE(d.fromFormat[1]);

    // The pencil ignores the brush shape; each move draws its segment, the
    // end point included, and renders the segment's box only.
    Drawing p(24, 6, 4);
    p.context.leftColor = RGB(255, 0, 0);
    p.Use(0, kBrushSquareXLarge);
    CDrawTool& pencil = *Tool(kToolPencil);
    pencil.Begin(p.context, 0, 0);
    pencil.Move(p.context, 3, 3);
    pencil.Move(p.context, 5, 3);
    pencil.End(p.context);
    EXPECT_TRUE(test::PictureIs(p.format.color, p.format.mask, {"r.....", ".r....", "..r...", "...rrr"}));
    EXPECT_EQ(p.rendered.back(), (Rect{3, 3, 6, 4}));

    // A large brush in the corner is clipped, and so is its rectangle.
    Drawing c(24, 5, 5);
    c.Use(0, kBrushSquareLarge);
    Tool(kToolBrush)->Begin(c.context, 0, 0);
    Tool(kToolBrush)->End(c.context);
    EXPECT_EQ(c.rendered.back(), (Rect{0, 0, 3, 3}));
    EXPECT_TRUE(test::PictureIs(c.format.color, c.format.mask, {"###..", "###..", "###..", ".....", "....."}));
}

TEST_F(ToolTest, ShapesChangeNothingUntilRelease)
{
    for (int tool : {kToolRectangle, kToolFilledRectangle, kToolEllipse, kToolFilledEllipse, kToolLine, kTool3DFrame}) {
        Drawing d(24, 10, 8);
        d.context.leftColor = RGB(0, 0, 255);
        d.context.rightColor = RGB(255, 0, 0);
        d.Use(0);
        const std::vector<std::string> before = d.Picture();
        CDrawTool& t = *Tool(tool);
        t.Begin(d.context, 1, 1);
        t.Move(d.context, 8, 6);
        t.Move(d.context, 6, 5);
        EXPECT_EQ(d.Picture(), before) << "tool " << tool;
        EXPECT_FALSE(d.fromFormat.back()) << "tool " << tool;
        EXPECT_NE(d.shownPicture, before) << "tool " << tool;
        // The shrinking shape renders the old preview's area with the new.
        EXPECT_TRUE(d.rendered.back().contains(8, 6)) << "tool " << tool;
        // Pane 3: the inclusive start-to-end rectangle, then none.
        ASSERT_FALSE(d.sizes.empty());
        EXPECT_EQ(d.sizes.back(), (Rect{1, 1, 6, 5})) << "tool " << tool;
        t.End(d.context);
        EXPECT_FALSE(d.sizes.back().has_value());
        EXPECT_TRUE(d.fromFormat.back());
        EXPECT_NE(d.Picture(), before) << "tool " << tool;
        // What is left is exactly the last preview.
        const Rect& r = d.rendered.back();
        EXPECT_TRUE(r.contains(1, 1) && r.contains(6, 5)) << "tool " << tool;
    }

    // The final shapes, drawn from (1, 1) to (6, 5) with the left colour.
    Drawing rect(24, 8, 7);
    rect.context.leftColor = RGB(0, 0, 255);
    rect.Use(0);
    Tool(kToolRectangle)->Begin(rect.context, 1, 1);
    Tool(kToolRectangle)->Move(rect.context, 6, 5);
    Tool(kToolRectangle)->End(rect.context);
    EXPECT_TRUE(test::PictureIs(rect.format.color, rect.format.mask,
                                {"........", ".bbbbbb.", ".b....b.", ".b....b.", ".b....b.", ".bbbbbb.", "........"}));
    Drawing ellipse(24, 8, 7);
    ellipse.Use(0);
    Tool(kToolFilledEllipse)->Begin(ellipse.context, 1, 1);
    Tool(kToolFilledEllipse)->Move(ellipse.context, 6, 5);
    Tool(kToolFilledEllipse)->End(ellipse.context);
    EXPECT_EQ(ellipse.format.color.pixel(3, 3), RGB(0, 0, 0));
    EXPECT_EQ(ellipse.format.mask.rawPixel(3, 3), 0u);
    EXPECT_EQ(ellipse.format.mask.rawPixel(1, 1), 1u); // the corner stays out of the ellipse
    EXPECT_EQ(ellipse.format.mask.rawPixel(0, 0), 1u);
}

TEST_F(ToolTest, AClickWithoutDragDrawsAOnePixelShape)
{
    for (int tool : {kToolRectangle, kToolFilledRectangle, kToolEllipse, kToolFilledEllipse, kToolLine, kTool3DFrame}) {
        Drawing d(24, 5, 5);
        d.context.rightColor = RGB(255, 0, 0);
        d.Use(1);
        Tool(tool)->Begin(d.context, 2, 2);
        Tool(tool)->End(d.context);
        int drawn = 0;
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 5; ++x)
                drawn += GetImagePixel(d.format.color, d.format.mask, x, y) != COLOR_TRANSPARENT;
        EXPECT_EQ(drawn, 1) << "tool " << tool;
        // The 3D frame's other colour (here the left, black) wins on its one pixel.
        EXPECT_EQ(GetImagePixel(d.format.color, d.format.mask, 2, 2),
                  tool == kTool3DFrame ? RGB(0, 0, 0) : RGB(255, 0, 0))
            << "tool " << tool;
    }
}

TEST_F(ToolTest, EllipsePenWidthWidensTheReportedRectangle)
{
    Drawing d(24, 20, 20);
    d.Use(0, kBrushCircleXLarge); // pen 8
    Tool(kToolEllipse)->Begin(d.context, 5, 5);
    Tool(kToolEllipse)->Move(d.context, 14, 14);
    EXPECT_EQ(d.rendered.back(), (Rect{1, 1, 19, 19}));
    Tool(kToolEllipse)->End(d.context);
    // The pen lies across the outline, half of it outside.
    EXPECT_EQ(d.format.mask.rawPixel(2, 9), 0u);
    EXPECT_EQ(d.format.mask.rawPixel(8, 9), 0u);
    EXPECT_EQ(d.format.mask.rawPixel(0, 9), 1u);

    Drawing thin(24, 20, 20);
    thin.Use(0, kBrushSquareMedium); // pen 3
    Tool(kToolEllipse)->Begin(thin.context, 2, 2);
    Tool(kToolEllipse)->Move(thin.context, 17, 17);
    Tool(kToolEllipse)->End(thin.context);
    EXPECT_EQ(thin.rendered.back(), (Rect{1, 1, 19, 19}));
    for (int x = 1; x <= 3; ++x)
        EXPECT_EQ(thin.format.mask.rawPixel(x, 10), 0u) << x;
    EXPECT_EQ(thin.format.mask.rawPixel(4, 10), 1u);
    EXPECT_EQ(thin.format.mask.rawPixel(10, 10), 1u);
}

TEST_F(ToolTest, FloodFillTakesOnlyTheConnectedPixelsOfTheSeedsKind)
{
    Drawing d(24, 8, 5);
    d.Draw({
        "..i#....",
        "..i#.ii.",
        "####....",
        "...#..##",
        "...#..#.",
    });
    d.context.leftColor = RGB(255, 0, 0);
    d.Use(0);
    Tool(kToolFloodFill)->Begin(d.context, 5, 0);
    Tool(kToolFloodFill)->End(d.context);
    EXPECT_TRUE(test::PictureIs(d.format.color, d.format.mask,
                                {
                                    "..i#rrrr",
                                    "..i#riir",
                                    "####rrrr",
                                    "...#rr##",
                                    "...#rr#.",
                                }));
    EXPECT_EQ(d.rendered.back(), (Rect{0, 0, 8, 5}));

    // Black is a kind of its own too: the fill of the wall leaves the
    // transparent and inverted pixels beside it.
    Tool(kToolFloodFill)->Begin(d.context, 0, 2);
    EXPECT_TRUE(test::PictureIs(d.format.color, d.format.mask,
                                {
                                    "..irrrrr",
                                    "..irriir",
                                    "rrrrrrrr",
                                    "...rrr##",
                                    "...rrr#.",
                                }));
}

TEST_F(ToolTest, FrameThicknessShrinksForSmallRectangles)
{
    EXPECT_EQ(C3DFrameTool::Thickness(kBrushSquareLarge, 0, 0, 5, 9), 2);
    EXPECT_EQ(C3DFrameTool::Thickness(kBrushSquareLarge, 0, 0, 9, 9), 3);
    EXPECT_EQ(C3DFrameTool::Thickness(kBrushSquareXLarge, 0, 0, 9, 3), 1);
    EXPECT_EQ(C3DFrameTool::Thickness(kBrushSquareXLarge, 4, 4, 4, 4), 1);

    Drawing d(24, 8, 10);
    d.context.leftColor = RGB(255, 255, 255);
    d.context.rightColor = RGB(0, 0, 0);
    d.Use(0, kBrushSquareLarge);
    Tool(kTool3DFrame)->Begin(d.context, 1, 0);
    Tool(kTool3DFrame)->Move(d.context, 6, 9);
    Tool(kTool3DFrame)->End(d.context);
    EXPECT_TRUE(test::PictureIs(d.format.color, d.format.mask,
                                {
                                    ".wwwww#.",
                                    ".wwww##.",
                                    ".ww..##.",
                                    ".ww..##.",
                                    ".ww..##.",
                                    ".ww..##.",
                                    ".ww..##.",
                                    ".ww..##.",
                                    ".w#####.",
                                    ".######.",
                                }));
}

TEST_F(ToolTest, ReplacerMatchesByColourAndPaletteEntriesByTheirRGB)
{
    Drawing d(24, 6, 3);
    d.Draw({"rrbr.r", "rrrrrr", "rrrrrr"});
    d.context.leftColor = RGB(255, 0, 0);
    d.context.rightColor = RGB(0, 255, 0);
    d.Use(0);
    CDrawTool& replacer = *Tool(kToolColorReplacer);
    replacer.Begin(d.context, 0, 0);
    replacer.Move(d.context, 5, 0);
    replacer.End(d.context);
    EXPECT_TRUE(test::PictureIs(d.format.color, d.format.mask, {"ggbg.g", "rrrrrr", "rrrrrr"}));

    // Hover shows the right colour over the left-colour pixels under the
    // footprint, on working copies only.
    d.Use(0, kBrushSquareMedium);
    d.context.previousHover.reset();
    const auto hover = replacer.Hover(d.context, 1, 1);
    EXPECT_EQ(hover, (Rect{0, 0, 3, 3}));
    EXPECT_FALSE(d.fromFormat.back());
    EXPECT_EQ(d.shownPicture[1].substr(0, 3), "ggg");
    EXPECT_EQ(d.Picture()[1], "rrrrrr");

    // In a format with its own palette the pressed entry matches the pixels
    // showing its colour, written as entries too.
    Drawing own(8, 4, 1, 1);
    const Palette& pal = own.format.palette;
    SetImagePixel(own.format.color, own.format.mask, PaletteIndexValue(20), 0, 0, &pal);
    SetImagePixel(own.format.color, own.format.mask, PaletteIndexValue(21), 1, 0, &pal);
    SetImagePixel(own.format.color, own.format.mask, PaletteIndexValue(20), 2, 0, &pal);
    own.context.leftColor = PaletteIndexValue(30);
    own.context.rightColor = PaletteIndexValue(20);
    own.Use(1);
    replacer.Begin(own.context, 0, 0);
    replacer.Move(own.context, 3, 0);
    replacer.End(own.context);
    EXPECT_EQ(own.format.color.pixel(0, 0), pal.colorRef(30));
    EXPECT_EQ(own.format.color.pixel(1, 0), pal.colorRef(21));
    EXPECT_EQ(own.format.color.pixel(2, 0), pal.colorRef(30));
    EXPECT_EQ(own.format.mask.rawPixel(3, 0), 1u); // transparent stays
}

TEST_F(ToolTest, HoverPreviewRendersTheOldAndNewFootprintTogether)
{
    Drawing d(24, 16, 16);
    d.Use(0, kBrushSquareMedium);
    CDrawTool& brush = *Tool(kToolBrush);
    ASSERT_TRUE(brush.HoverPreview());
    auto first = brush.Hover(d.context, 4, 4);
    EXPECT_EQ(first, (Rect{3, 3, 6, 6}));
    d.context.previousHover = first;
    auto second = brush.Hover(d.context, 5, 4);
    EXPECT_EQ(second, (Rect{4, 3, 7, 6}));
    EXPECT_EQ(d.rendered.back(), (Rect{3, 3, 7, 6}));
    EXPECT_EQ(d.shownPicture[4].substr(3, 4), ".###");
    EXPECT_EQ(d.Picture()[4], std::string(16, '.'));
    // The filled rectangle hovers with the single pixel.
    d.context.previousHover = second;
    EXPECT_EQ(Tool(kToolFilledRectangle)->Hover(d.context, 9, 9), (Rect{9, 9, 10, 10}));
    EXPECT_FALSE(Tool(kToolColorPicker)->HoverPreview());
    EXPECT_FALSE(Tool(kToolColorPicker)->ModifiesImage());
}

// Through the view: the picker, its return and the commands.
class ToolViewTest : public ToolTest {
  protected:
    void SetUp() override
    {
        ToolTest::SetUp();
        saved_ = LastTool();
        doc_.OnNewDocument();
        doc_.AddFormat(16, 16, 24, 0);
        doc_.AddFormat(16, 16, 8, 1);
        CIconViewState::FormatToOpen() = 0;
    }
    void TearDown() override
    {
        LastTool() = saved_;
        ToolTest::TearDown();
    }
    // The view point of the centre of a pixel.
    static void Click(CIconViewState& view, int button, int column, int row)
    {
        const int x = view.originX + column * view.zoom + view.zoom / 2;
        const int y = view.originY + row * view.zoom + view.zoom / 2;
        ASSERT_EQ(view.ButtonDown(button, x, y), CIconViewState::Press::OnImage);
        view.ButtonUp();
    }
    int Index(int depth)
    {
        for (int i = 0; i < doc_.GetFormatCount(); ++i)
            if (doc_.GetFormat(i)->bitDepth == depth && doc_.GetFormat(i)->width == 16)
                return i;
        return 0;
    }
    CIconDocument doc_;
    int saved_ = 0;
};

TEST_F(ToolViewTest, PickerTakesThePixelAndBringsThePreviousToolBack)
{
    CIconViewState view(&doc_);
    view.InitialUpdate(400, 300);
    view.SwitchFormat(Index(24));
    CIconObject& f = *view.Format();
    SetImagePixel(f.color, f.mask, COLOR_INVERTED, 2, 2, nullptr);
    SetImagePixel(f.color, f.mask, RGB(10, 20, 30), 3, 2, nullptr);
    doc_.SetModifiedFlag(false);

    view.OnCommand(kToolCommands[kToolBrush]);
    view.OnCommand(kToolCommands[kToolColorPicker]);
    EXPECT_EQ(view.currentTool, kToolColorPicker);
    Click(view, 0, 2, 2);
    EXPECT_EQ(view.leftColor, COLOR_INVERTED);
    EXPECT_EQ(view.currentTool, kToolBrush);
    EXPECT_EQ(LastTool(), kToolBrush);
    EXPECT_FALSE(doc_.IsModified());

    view.OnCommand(kToolCommands[kToolColorPicker]);
    Click(view, 1, 3, 2);
    EXPECT_EQ(view.rightColor, RGB(10, 20, 30));
    Click(view, 0, 0, 0); // the brush again, with the left colour
    EXPECT_TRUE(doc_.IsModified());
    EXPECT_EQ(GetImagePixel(f.color, f.mask, 0, 0), COLOR_INVERTED);

    // In a format with its own palette the picker names the palette entry
    // and marks it in the palette bar.
    view.SwitchFormat(Index(8));
    CIconObject& own = *view.Format();
    SetImagePixel(own.color, own.mask, PaletteIndexValue(77), 5, 5, &own.palette);
    view.OnCommand(kToolCommands[kToolColorPicker]);
    Click(view, 0, 5, 5);
    EXPECT_EQ(view.leftColor, PaletteIndexValue(77));
    EXPECT_EQ(view.selectedPaletteIndex, 77);
    EXPECT_EQ(PickColor(own, 0, 0), COLOR_TRANSPARENT);
    SetImagePixel(own.color, own.mask, RGB(1, 2, 3), 6, 6, nullptr);
    EXPECT_EQ(PickColor(own, 6, 6), PaletteIndexValue(0)); // no entry of that colour
}

TEST_F(ToolViewTest, DragInTheViewDrawsThroughTheInstalledTools)
{
    CIconViewState view(&doc_);
    view.InitialUpdate(400, 300);
    view.SwitchFormat(Index(24));
    view.RenderAll();
    view.OnCommand(kToolCommands[kToolFilledRectangle]);
    view.OnCommand(kFillModeCommands[kFillVertical]);
    view.leftColor = RGB(0, 0, 0);
    view.rightColor = RGB(255, 255, 255);
    const auto at = [&](int c) { return view.originX + c * view.zoom + 1; };
    ASSERT_EQ(view.ButtonDown(0, at(2), at(2) - view.originX + view.originY), CIconViewState::Press::OnImage);
    view.PointerMove(at(4), at(6) - view.originX + view.originY);
    EXPECT_EQ(view.StatusText(3), "@1  3x5");
    EXPECT_EQ(view.Format()->mask.rawPixel(3, 3), 1u); // still only a preview
    view.ButtonUp();
    EXPECT_EQ(view.StatusText(3), "@1 ");
    const CIconObject& f = *view.Format();
    // The gradient spans the shape: rows 2 to 6 run from black to white.
    EXPECT_EQ(f.color.pixel(3, 2), RGB(0, 0, 0));
    EXPECT_EQ(f.color.pixel(3, 4), RGB(127, 127, 127));
    EXPECT_EQ(f.color.pixel(3, 6), RGB(255, 255, 255));
    EXPECT_EQ(f.mask.rawPixel(5, 4), 1u);
}

} // namespace
} // namespace kavrel
