#include "editor/tool_brushes.h"

#include <gtest/gtest.h>

#include <set>

#include "support/pixel_picture.h"

namespace kavrel {
namespace {

Bitmap WhiteStencil(int w, int h)
{
    Bitmap s = Bitmap::Mono(w, h);
    s.fill(RGB(255, 255, 255));
    return s;
}

int BlackCount(const Bitmap& stencil)
{
    int n = 0;
    for (int y = 0; y < stencil.height(); ++y)
        for (int x = 0; x < stencil.width(); ++x)
            n += stencil.rawPixel(x, y) == 0;
    return n;
}

TEST(BrushShapes, FootprintCountsAndReportedBoxes)
{
    // Pixel counts and the side of the reported box, shape by shape.
    const int counts[12] = {1, 9, 25, 49, 5, 21, 37, 61, 19, 19, 13, 25};
    const int sides[12] = {1, 3, 5, 7, 3, 5, 7, 9, 9, 9, 5, 7};
    for (int shape = 0; shape < 12; ++shape) {
        Bitmap s = WhiteStencil(21, 21);
        const Rect box = StampBrush(s, 10, 10, shape);
        EXPECT_EQ(BlackCount(s), counts[shape]) << "shape " << shape;
        EXPECT_EQ(static_cast<int>(BrushFootprint(shape).size()), counts[shape]) << "shape " << shape;
        const int h = sides[shape] / 2;
        EXPECT_EQ(box, (Rect{10 - h, 10 - h, 11 + h, 11 + h})) << "shape " << shape;
        // Every pixel stamped lies inside the reported box.
        for (int y = 0; y < 21; ++y)
            for (int x = 0; x < 21; ++x) {
                if (s.rawPixel(x, y) == 0) {
                    EXPECT_TRUE(box.contains(x, y)) << "shape " << shape << " at " << x << "," << y;
                }
            }
    }
}

TEST(BrushShapes, PicturesOfTheRoundAndSlantedShapes)
{
    Bitmap s = WhiteStencil(9, 9);
    StampBrush(s, 4, 4, kBrushCircleLarge);
    EXPECT_TRUE(test::PictureIs(s, {
                                       "wwwwwwwww",
                                       "www###www",
                                       "ww#####ww",
                                       "w#######w",
                                       "w#######w",
                                       "w#######w",
                                       "ww#####ww",
                                       "www###www",
                                       "wwwwwwwww",
                                   }));
    // Oblique (left) runs from the lower right to the upper left, (right)
    // the other way.
    s = WhiteStencil(9, 9);
    StampBrush(s, 4, 4, kBrushObliqueLeft);
    EXPECT_TRUE(test::PictureIs(s, {
                                       "wwwwwwwww",
                                       "w##wwwwww",
                                       "w###wwwww",
                                       "ww###wwww",
                                       "www###www",
                                       "wwww###ww",
                                       "wwwww###w",
                                       "wwwwww##w",
                                       "wwwwwwwww",
                                   }));
    s = WhiteStencil(9, 9);
    StampBrush(s, 4, 4, kBrushObliqueRight);
    EXPECT_EQ(s.rawPixel(7, 1), 0u);
    EXPECT_EQ(s.rawPixel(1, 7), 0u);
    EXPECT_EQ(s.rawPixel(1, 1), 1u);
}

TEST(BrushShapes, ClippedAtTheImageEdges)
{
    // Square (large) in the corner: only the 3x3 quarter inside is stamped,
    // and the box is clipped alike.
    Bitmap s = WhiteStencil(6, 6);
    EXPECT_EQ(StampBrush(s, 0, 0, kBrushSquareLarge), (Rect{0, 0, 3, 3}));
    EXPECT_EQ(BlackCount(s), 9);
    s = WhiteStencil(6, 6);
    EXPECT_EQ(StampBrush(s, 5, 3, kBrushCircleXLarge), (Rect{1, 0, 6, 6}));
    // Wholly outside: nothing at all.
    s = WhiteStencil(6, 6);
    EXPECT_TRUE(StampBrush(s, 20, 20, kBrushCircleXLarge).empty());
    EXPECT_EQ(BlackCount(s), 0);
}

TEST(BrushShapes, PenWidthsAndFrameThicknesses)
{
    const int pens[12] = {1, 3, 5, 7, 2, 4, 6, 8, 4, 4, 4, 6};
    const int frames[12] = {1, 2, 3, 4, 1, 2, 3, 4, 2, 2, 2, 3};
    for (int shape = 0; shape < 12; ++shape) {
        EXPECT_EQ(EllipsePenWidth(shape), pens[shape]);
        EXPECT_EQ(FrameThickness(shape), frames[shape]);
    }
    EXPECT_EQ(BrushFootprint(99).size(), 1u);
}

} // namespace
} // namespace kavrel
