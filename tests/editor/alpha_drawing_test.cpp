// The drawing tools on 32-bit formats: pixels are replaced with their alpha,
// never blended, and the mask stays 1 exactly where alpha is 0.
#include <gtest/gtest.h>

#include "document/icon_document.h"
#include "editor/icon_view_state.h"
#include "editor/tool_brushes.h"
#include "editor/tool_set.h"
#include "model/icon_model.h"
#include "support/alpha_format.h"
#include "support/pixel_picture.h"

namespace kavrel {
namespace {

constexpr std::uint32_t kRed = 0x00FF0000u; // the raw pixel's colour bits

struct AlphaDrawing {
    AlphaDrawing(int w, int h) : format(24, w, h, 0)
    {
        test::MakeAlphaFormat(format);
        context.format = &format;
        context.renderRegion = [this](const Bitmap& c, const Bitmap&, const Rect&) { renderedAlpha = c.hasAlpha(); };
    }
    void Use(int button, ColorValue left, std::uint8_t leftAlpha, ColorValue right, std::uint8_t rightAlpha,
             int fillMode = kFillSolid)
    {
        context.leftColor = left;
        context.leftAlpha = leftAlpha;
        context.rightColor = right;
        context.rightAlpha = rightAlpha;
        context.lastButton = button;
        context.pressedColor = button == 0 ? left : right;
        context.pressedAlpha = button == 0 ? leftAlpha : rightAlpha;
        context.brushShape = kBrushFine;
        context.fillMode = fillMode;
    }
    void Drag(int tool, int x0, int y0, int x1, int y1)
    {
        Tool(tool)->Begin(context, x0, y0);
        Tool(tool)->Move(context, x1, y1);
        Tool(tool)->End(context);
    }
    std::uint32_t Raw(int x, int y) const { return format.color.rawPixel(x, y); }

    CIconObject format;
    ToolContext context;
    bool renderedAlpha = false;
};

class AlphaToolTest : public ::testing::Test {
  protected:
    void SetUp() override { InstallDrawingTools(); }
    void TearDown() override
    {
        EXPECT_TRUE(ToolStencilIsClean());
        ReleaseDrawingTools();
    }
};

TEST_F(AlphaToolTest, PencilAndShapesWriteColourAndAlphaAsTheyStand)
{
    AlphaDrawing d(6, 4);
    d.Use(0, RGB(255, 0, 0), 128, COLOR_TRANSPARENT, 255);
    d.Drag(kToolPencil, 0, 0, 3, 0);
    EXPECT_EQ(test::AlphaRow(d.format.color, 0), (std::vector<int>{128, 128, 128, 128, 0, 0}));
    EXPECT_EQ(d.Raw(1, 0), 0x80000000u | kRed);
    // Drawing over a half-transparent pixel replaces it; nothing is blended.
    d.Use(0, RGB(0, 0, 255), 64, COLOR_TRANSPARENT, 255);
    d.Drag(kToolPencil, 1, 0, 1, 0);
    EXPECT_EQ(d.Raw(1, 0), 0x400000FFu);
    EXPECT_TRUE(test::MaskFollowsAlpha(d.format.color, d.format.mask));

    // The right button's Transparent clears the pixel and sets its mask; a
    // colour with alpha 0 does the same.
    d.Use(1, RGB(0, 0, 255), 255, COLOR_TRANSPARENT, 255);
    d.Drag(kToolPencil, 0, 0, 0, 0);
    d.Use(0, RGB(0, 255, 0), 0, COLOR_TRANSPARENT, 255);
    d.Drag(kToolPencil, 2, 0, 2, 0);
    EXPECT_EQ(test::AlphaRow(d.format.color, 0), (std::vector<int>{0, 64, 0, 128, 0, 0}));
    EXPECT_TRUE(test::MaskFollowsAlpha(d.format.color, d.format.mask));

    // No inverted pixels in a 32-bit image: Inverted draws as Transparent.
    d.Use(0, RGB(255, 0, 0), 200, COLOR_INVERTED, 255);
    d.Drag(kToolFilledRectangle, 0, 1, 5, 3);
    d.Use(1, RGB(255, 0, 0), 200, COLOR_INVERTED, 255);
    d.Drag(kToolLine, 0, 2, 5, 2);
    EXPECT_EQ(test::AlphaRow(d.format.color, 1), (std::vector<int>(6, 200)));
    EXPECT_EQ(test::AlphaRow(d.format.color, 2), (std::vector<int>(6, 0)));
    EXPECT_TRUE(test::MaskFollowsAlpha(d.format.color, d.format.mask));

    // Previews are drawn on working copies that keep the alpha as well.
    d.Use(0, RGB(0, 0, 0), 90, COLOR_TRANSPARENT, 255);
    Tool(kToolEllipse)->Begin(d.context, 0, 0);
    Tool(kToolEllipse)->Move(d.context, 5, 3);
    EXPECT_TRUE(d.renderedAlpha);
    Tool(kToolEllipse)->End(d.context);

    // The 3D frame paints both colours with their alphas.
    AlphaDrawing f(5, 5);
    f.Use(0, RGB(255, 255, 255), 200, RGB(0, 0, 0), 100);
    f.Drag(kTool3DFrame, 0, 0, 4, 4);
    EXPECT_EQ(f.Raw(0, 0), 0xC8FFFFFFu);
    EXPECT_EQ(f.Raw(4, 4), 0x64000000u);
    EXPECT_EQ(f.Raw(2, 2), 0u);
    EXPECT_TRUE(test::MaskFollowsAlpha(f.format.color, f.format.mask));
}

TEST_F(AlphaToolTest, GradientsInterpolateAlpha)
{
    // Transparent to opaque red across five columns.
    AlphaDrawing d(5, 2);
    d.Use(0, COLOR_TRANSPARENT, 255, RGB(255, 0, 0), 255, kFillHorizontal);
    d.Drag(kToolFilledRectangle, 0, 0, 4, 1);
    for (int y = 0; y < 2; ++y)
        EXPECT_EQ(test::AlphaRow(d.format.color, y), (std::vector<int>{0, 63, 127, 191, 255})) << y;
    EXPECT_EQ(d.Raw(2, 0), 0x7F7F0000u); // the colour runs from black as it always did
    EXPECT_EQ(d.Raw(4, 1), 0xFF000000u | kRed);
    EXPECT_EQ(d.format.mask.rawPixel(0, 0), 1u);
    EXPECT_EQ(d.format.mask.rawPixel(1, 0), 0u);
    EXPECT_TRUE(test::MaskFollowsAlpha(d.format.color, d.format.mask));

    // Two half-transparent ends, the right button pressed: from its colour
    // down the rows to the left colour's alpha.
    AlphaDrawing v(1, 3);
    v.Use(1, RGB(0, 0, 255), 40, RGB(0, 0, 255), 240, kFillVertical);
    v.Drag(kToolFilledRectangle, 0, 0, 0, 2);
    EXPECT_EQ(v.Raw(0, 0), 0xF00000FFu);
    EXPECT_EQ(v.Raw(0, 1), 0x8C0000FFu);
    EXPECT_EQ(v.Raw(0, 2), 0x280000FFu);

    // A radial gradient runs from the other colour outside to the pressed one
    // in the centre, alpha with it.
    AlphaDrawing r(9, 9);
    r.Use(0, RGB(255, 255, 255), 255, COLOR_TRANSPARENT, 255, kFillRadial);
    r.Drag(kToolFilledRectangle, 0, 0, 8, 8);
    EXPECT_EQ(r.Raw(0, 0), 0u);
    EXPECT_EQ(r.Raw(4, 4) >> 24, 255u);
    EXPECT_TRUE(test::MaskFollowsAlpha(r.format.color, r.format.mask));
}

TEST_F(AlphaToolTest, FloodFillAndReplacerTellAlphasApart)
{
    // Red in two alphas side by side, a transparent column between rows.
    AlphaDrawing d(6, 3);
    d.Use(0, RGB(255, 0, 0), 255, COLOR_TRANSPARENT, 255);
    d.Drag(kToolFilledRectangle, 0, 0, 2, 2);
    d.Use(0, RGB(255, 0, 0), 128, COLOR_TRANSPARENT, 255);
    d.Drag(kToolFilledRectangle, 3, 0, 5, 2);

    d.Use(0, RGB(0, 255, 0), 30, COLOR_TRANSPARENT, 255);
    Tool(kToolFloodFill)->Begin(d.context, 0, 0);
    Tool(kToolFloodFill)->End(d.context);
    EXPECT_EQ(test::AlphaRow(d.format.color, 1), (std::vector<int>{30, 30, 30, 128, 128, 128}));
    EXPECT_EQ(d.Raw(2, 2), 0x1E00FF00u);
    EXPECT_EQ(d.Raw(3, 2), 0x80000000u | kRed);

    // Filling with Transparent clears the area and sets its mask.
    d.Use(1, RGB(0, 0, 0), 255, COLOR_TRANSPARENT, 255);
    Tool(kToolFloodFill)->Begin(d.context, 4, 1);
    Tool(kToolFloodFill)->End(d.context);
    EXPECT_EQ(test::AlphaRow(d.format.color, 0), (std::vector<int>{30, 30, 30, 0, 0, 0}));
    EXPECT_TRUE(test::MaskFollowsAlpha(d.format.color, d.format.mask));

    // The replacer changes the pressed colour only where its alpha matches
    // too, into the other colour with that colour's alpha.
    AlphaDrawing r(4, 1);
    r.Use(0, RGB(0, 0, 255), 255, COLOR_TRANSPARENT, 255);
    r.Drag(kToolPencil, 0, 0, 1, 0);
    r.Use(0, RGB(0, 0, 255), 100, COLOR_TRANSPARENT, 255);
    r.Drag(kToolPencil, 2, 0, 2, 0);
    r.Use(0, RGB(0, 0, 255), 100, RGB(255, 255, 0), 50);
    r.Drag(kToolColorReplacer, 0, 0, 3, 0);
    EXPECT_EQ(test::AlphaRow(r.format.color, 0), (std::vector<int>{255, 255, 50, 0}));
    EXPECT_EQ(r.Raw(2, 0), 0x32FFFF00u);
    // Transparent pixels are replaced by the right button's Transparent match.
    r.Use(1, RGB(0, 0, 0), 77, COLOR_TRANSPARENT, 255);
    r.Drag(kToolColorReplacer, 0, 0, 3, 0);
    EXPECT_EQ(test::AlphaRow(r.format.color, 0), (std::vector<int>{255, 255, 50, 77}));
    EXPECT_TRUE(test::MaskFollowsAlpha(r.format.color, r.format.mask));
}

TEST_F(AlphaToolTest, ThePickerInTheViewTakesColourAndAlpha)
{
    CIconDocument doc;
    doc.OnNewDocument();
    CIconViewState view(&doc);
    view.InitialUpdate(400, 300);
    CIconObject& f = *view.Format();
    test::MakeAlphaFormat(f);
    SetImagePixel(f.color, f.mask, RGB(10, 20, 30), 2, 2, nullptr, 99);
    SetImagePixel(f.color, f.mask, RGB(40, 50, 60), 3, 2, nullptr);

    auto click = [&](int button, int column, int row) {
        const int x = view.originX + column * view.zoom + view.zoom / 2;
        const int y = view.originY + row * view.zoom + view.zoom / 2;
        ASSERT_EQ(view.ButtonDown(button, x, y), CIconViewState::Press::OnImage);
        view.ButtonUp();
    };
    view.OnCommand(kToolCommands[kToolColorPicker]);
    click(0, 2, 2);
    EXPECT_EQ(view.leftColor, RGB(10, 20, 30));
    EXPECT_EQ(view.leftAlpha, 99);
    view.OnCommand(kToolCommands[kToolColorPicker]);
    click(1, 3, 2);
    EXPECT_EQ(view.rightColor, RGB(40, 50, 60));
    EXPECT_EQ(view.rightAlpha, 255);
    // A transparent pixel gives the Transparent colour; the alpha goes back
    // to opaque for the next colour chosen.
    view.OnCommand(kToolCommands[kToolColorPicker]);
    click(0, 0, 0);
    EXPECT_EQ(view.leftColor, COLOR_TRANSPARENT);
    EXPECT_EQ(view.leftAlpha, 255);

    // The pencil draws the picked colour with its alpha through the view.
    view.leftColor = RGB(10, 20, 30);
    view.leftAlpha = 99;
    view.OnCommand(kToolCommands[kToolPencil]);
    click(0, 5, 5);
    EXPECT_EQ(f.color.rawPixel(5, 5), 0x630A141Eu);
    EXPECT_TRUE(test::MaskFollowsAlpha(f.color, f.mask));
}

} // namespace
} // namespace kavrel
