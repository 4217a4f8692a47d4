#include "editor/tool_fill.h"

#include <gtest/gtest.h>

#include <set>

#include "model/icon_model.h"
#include "support/pixel_picture.h"

namespace kavrel {
namespace {

// Fills a whole format through an all-black stencil and returns the format.
struct Filled {
    Filled(int depth, int w, int h, int own, FillSpec spec) : format(depth, w, h, own)
    {
        Bitmap stencil = Bitmap::Mono(w, h); // all black: every pixel is in the shape
        spec.bitDepth = depth;
        spec.palette = &format.palette;
        spec.ownPalette = own != 0;
        spec.span = {0, 0, w - 1, h - 1};
        FillThroughStencil(format.color, format.mask, stencil, Rect{0, 0, w, h}, spec);
    }
    COLORREF At(int x, int y) const { return format.color.pixel(x, y); }
    CIconObject format;
};

FillSpec Gradient(ColorValue pressed, ColorValue other, int button, int mode)
{
    FillSpec spec;
    spec.pressed = pressed;
    spec.other = other;
    spec.button = button;
    spec.fillMode = mode;
    return spec;
}

TEST(FillModes, VerticalAndHorizontalTrueColourGradients)
{
    // Left colour black, right colour white, over rows 0 to 4.
    const Filled left(24, 3, 5, 0, Gradient(RGB(0, 0, 0), RGB(255, 255, 255), 0, kFillVertical));
    const Filled right(24, 3, 5, 0, Gradient(RGB(255, 255, 255), RGB(0, 0, 0), 1, kFillVertical));
    const int levels[5] = {0, 63, 127, 191, 255};
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(left.At(x, y), RGB(levels[y], levels[y], levels[y])) << y;
            EXPECT_EQ(right.At(x, y), RGB(levels[4 - y], levels[4 - y], levels[4 - y])) << y;
            EXPECT_EQ(left.format.mask.rawPixel(x, y), 0u);
        }
    // Channels separately: red to blue across four columns.
    const Filled across(24, 4, 2, 0, Gradient(RGB(255, 0, 0), RGB(0, 0, 255), 0, kFillHorizontal));
    EXPECT_EQ(across.At(0, 1), RGB(255, 0, 0));
    EXPECT_EQ(across.At(1, 1), RGB(170, 0, 85));
    EXPECT_EQ(across.At(2, 0), RGB(85, 0, 170));
    EXPECT_EQ(across.At(3, 0), RGB(0, 0, 255));
}

TEST(FillModes, PaletteGradientRunsThroughTheEntriesLowestFirst)
{
    // Own palette: entries 10 and 20 over 11 rows.
    FillSpec spec = Gradient(PaletteIndexValue(10), PaletteIndexValue(20), 0, kFillVertical);
    const Filled left(8, 1, 11, 1, spec);
    spec = Gradient(PaletteIndexValue(20), PaletteIndexValue(10), 1, kFillVertical);
    const Filled right(8, 1, 11, 1, spec);
    const int afterRight[11] = {20, 20, 19, 18, 17, 16, 15, 14, 13, 12, 11};
    for (int y = 0; y < 11; ++y) {
        EXPECT_EQ(left.At(0, y), left.format.palette.colorRef(10 + y)) << y;
        EXPECT_EQ(right.At(0, y), right.format.palette.colorRef(afterRight[y])) << y;
    }
    // Whichever colour holds the lower entry, a left press starts from it.
    spec = Gradient(PaletteIndexValue(20), PaletteIndexValue(10), 0, kFillVertical);
    spec.span = {0, 0, 0, 10};
    spec.ownPalette = true;
    EXPECT_EQ(GradientColor(spec, 0), PaletteIndexValue(10));
    EXPECT_EQ(GradientColor(spec, 10), PaletteIndexValue(20));
    EXPECT_EQ(PaletteGradientIndex(0, 5, 5, 1, 1), 5);
}

TEST(FillModes, PseudoColourOrSolidModePaintsSolid)
{
    const Filled transparentEnd(24, 2, 4, 0, Gradient(RGB(255, 0, 0), COLOR_TRANSPARENT, 0, kFillVertical));
    EXPECT_TRUE(test::PictureIs(transparentEnd.format.color, transparentEnd.format.mask, {"rr", "rr", "rr", "rr"}));
    // Pressing with the transparent colour makes the shape transparent.
    const Filled transparent(24, 2, 2, 0, Gradient(COLOR_TRANSPARENT, RGB(255, 0, 0), 0, kFillRadial));
    EXPECT_TRUE(test::PictureIs(transparent.format.color, transparent.format.mask, {"..", ".."}));
    const Filled inverted(24, 2, 2, 0, Gradient(COLOR_INVERTED, RGB(255, 0, 0), 0, kFillSolid));
    EXPECT_TRUE(test::PictureIs(inverted.format.color, inverted.format.mask, {"ii", "ii"}));
    const Filled solid(24, 2, 2, 0, Gradient(RGB(0, 0, 255), RGB(255, 0, 0), 1, kFillSolid));
    EXPECT_TRUE(test::PictureIs(solid.format.color, solid.format.mask, {"bb", "bb"}));
}

TEST(FillModes, RadialRingsRunFromTheOtherColourOutsideToThePressedInside)
{
    const Filled rings(24, 12, 12, 0, Gradient(RGB(0, 0, 0), RGB(240, 240, 240), 0, kFillRadial));
    // Six rings: 240, 192, 144, 96, 48, 0, the outer one in the corners.
    EXPECT_EQ(rings.At(0, 0), RGB(240, 240, 240));
    EXPECT_EQ(rings.At(11, 0), RGB(240, 240, 240));
    EXPECT_EQ(rings.At(0, 11), RGB(240, 240, 240));
    EXPECT_EQ(rings.At(7, 6), RGB(0, 0, 0));
    // Along the middle row the colour darkens ring by ring towards the
    // centre and lightens again beyond it.
    int previous = 255;
    for (int x = 0; x <= 7; ++x) {
        const int level = GetRValue(rings.At(x, 6));
        EXPECT_LE(level, previous) << x;
        EXPECT_EQ(level % 48, 0) << x;
        previous = level;
    }
    for (int x = 8; x < 12; ++x) {
        const int level = GetRValue(rings.At(x, 6));
        EXPECT_GE(level, previous) << x;
        previous = level;
    }
    // Every ring shows up.
    std::set<COLORREF> seen;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x)
            seen.insert(rings.At(x, y));
    EXPECT_EQ(seen.size(), 6u);
    // A tall span counts its rings by the height.
    FillSpec tall = Gradient(RGB(0, 0, 0), RGB(255, 255, 255), 0, kFillRadial);
    tall.span = {0, 0, 3, 9};
    EXPECT_EQ(GradientSteps(tall), 5);
    tall.span = {0, 0, 0, 0};
    EXPECT_EQ(GradientSteps(tall), 1);
}

TEST(FillModes, DitheredGradientStaysInTheFormatsColours)
{
    // A 16-colour format dithers each step with the 16 standard colours,
    // the pattern aligned to the image.
    const Filled fill(4, 16, 16, 0, Gradient(RGB(255, 0, 0), RGB(0, 0, 255), 0, kFillHorizontal));
    const Palette& sixteen = Standard16Palette();
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            bool found = false;
            for (int i = 0; i < sixteen.size(); ++i)
                found = found || sixteen.colorRef(i) == fill.At(x, y);
            EXPECT_TRUE(found) << x << "," << y;
        }
    EXPECT_EQ(fill.At(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(fill.At(15, 15), RGB(0, 0, 255));
}

TEST(FillModes, OnlyStencilPixelsInsideTheAreaChange)
{
    CIconObject f(24, 4, 3, 0);
    Bitmap stencil = test::MonoPicture({"##..", "#...", "...."});
    FillSpec spec = Gradient(RGB(0, 255, 0), RGB(0, 0, 0), 0, kFillSolid);
    spec.span = {0, 0, 3, 2};
    FillThroughStencil(f.color, f.mask, stencil, Rect{1, 0, 4, 3}, spec);
    EXPECT_TRUE(test::PictureIs(f.color, f.mask, {".g..", "....", "...."}));
}

} // namespace
} // namespace kavrel
