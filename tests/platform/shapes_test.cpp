#include <set>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/gdi.h"
#include "support/pixel_picture.h"

namespace kavrel {
namespace {

using test::ColorPicture;
using test::MonoPicture;
using test::PictureIs;

std::vector<std::pair<int, int>> LinePoints(int x1, int y1, int x2, int y2)
{
    std::vector<std::pair<int, int>> points;
    LineDDA(x1, y1, x2, y2, [&](int x, int y) { points.emplace_back(x, y); });
    return points;
}

TEST(LineDDA, ExcludesEndPointAndMirrorsInEveryOctant)
{
    EXPECT_TRUE(LinePoints(3, 3, 3, 3).empty());
    EXPECT_EQ(LinePoints(0, 0, 3, 0), (std::vector<std::pair<int, int>>{{0, 0}, {1, 0}, {2, 0}}));
    EXPECT_EQ(LinePoints(0, 0, 0, -2), (std::vector<std::pair<int, int>>{{0, 0}, {0, -1}}));
    EXPECT_EQ(LinePoints(0, 0, 4, 2), (std::vector<std::pair<int, int>>{{0, 0}, {1, 0}, {2, 1}, {3, 1}}));
    for (int dx = -7; dx <= 7; ++dx) {
        for (int dy = -7; dy <= 7; ++dy) {
            const auto base = LinePoints(0, 0, std::abs(dx), std::abs(dy));
            const int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
            auto mirrored = LinePoints(0, 0, dx, dy);
            ASSERT_EQ(mirrored.size(), base.size()) << dx << "," << dy;
            ASSERT_EQ(base.size(), static_cast<std::size_t>(std::max(std::abs(dx), std::abs(dy))));
            for (std::size_t i = 0; i < base.size(); ++i) {
                EXPECT_EQ(mirrored[i], std::make_pair(sx * base[i].first, sy * base[i].second)) << dx << "," << dy;
            }
            const auto swapped = LinePoints(0, 0, dy, dx);
            for (std::size_t i = 0; i < base.size(); ++i) {
                EXPECT_EQ(swapped[i], std::make_pair(sy * base[i].second, sx * base[i].first)) << dx << "," << dy;
            }
            // Consecutive points are 8-neighbours.
            for (std::size_t i = 1; i < base.size(); ++i) {
                EXPECT_LE(std::abs(base[i].first - base[i - 1].first), 1);
                EXPECT_LE(std::abs(base[i].second - base[i - 1].second), 1);
            }
        }
    }
}

TEST(LineTo, DrawsWithPenAndStampsWidePens)
{
    Bitmap b = ColorPicture({"wwwwww", "wwwwww", "wwwwww", "wwwwww", "wwwwww"});
    DC dc(b);
    dc.pen = Pen::Solid(1, RGB(255, 0, 0));
    LineTo(dc, 0, 0, 4, 2);
    EXPECT_TRUE(PictureIs(b, {"rrwwww", "wwrrww", "wwwwww", "wwwwww", "wwwwww"}));
    dc.pen = Pen::Solid(3, RGB(0, 0, 255));
    LineTo(dc, 1, 4, 5, 4);
    EXPECT_TRUE(PictureIs(b, {"rrwwww", "wwrrww", "wwwwww", "wbbbbw", "bbbbbb"}));
    dc.pen = Pen::None();
    LineTo(dc, 0, 2, 6, 2);
    EXPECT_TRUE(PictureIs(b, {"rrwwww", "wwrrww", "wwwwww", "wbbbbw", "bbbbbb"}));
}

TEST(Rectangle, OutlineInsideRightAndBottomExclusive)
{
    Bitmap b = ColorPicture({"......", "......", "......", "......", "......"});
    DC dc(b);
    dc.pen = Pen::Solid(1, RGB(255, 0, 0));
    dc.brush = Brush::Solid(RGB(0, 255, 0));
    Rectangle(dc, 4, 4, 0, 0);  // normalised
    EXPECT_TRUE(PictureIs(b, {"rrrr..", "rggr..", "rggr..", "rrrr..", "......"}));
    dc.brush = Brush::None();
    dc.pen = Pen::Solid(2, RGB(0, 0, 255));
    Rectangle(dc, 1, 0, 6, 5);
    EXPECT_TRUE(PictureIs(b, {"rbbbbb", "rbbbbb", "rbbrbb", "rbbbbb", ".bbbbb"}));
    dc.pen = Pen::None();
    dc.brush = Brush::Solid(RGB(255, 255, 0));
    Rectangle(dc, 0, 0, 2, 2);
    EXPECT_TRUE(PictureIs(b, {"yybbbb", "yybbbb", "rbbrbb", "rbbbbb", ".bbbbb"}));
    Rectangle(dc, 3, 3, 3, 5);  // empty: nothing
    EXPECT_TRUE(PictureIs(b, {"yybbbb", "yybbbb", "rbbrbb", "rbbbbb", ".bbbbb"}));
}

Bitmap DrawEllipse(int w, int h, int pen = 1, bool filled = false)
{
    Bitmap b = Bitmap::Color(w + 8, h + 8);
    b.fill(RGB(255, 255, 255));
    DC dc(b);
    dc.pen = Pen::Solid(pen, RGB(0, 0, 0));
    dc.brush = filled ? Brush::Solid(RGB(255, 0, 0)) : Brush::None();
    Ellipse(dc, 4, 4, 4 + w, 4 + h);
    return b;
}

TEST(Ellipse, ExactSmallShapes)
{
    Bitmap b = Bitmap::Color(5, 5);
    b.fill(RGB(255, 255, 255));
    DC dc(b);
    dc.brush = Brush::Solid(RGB(255, 0, 0));
    Ellipse(dc, 2, 2, 3, 3);
    Ellipse(dc, 0, 0, 2, 2);
    Ellipse(dc, 4, 0, 5, 4);
    EXPECT_TRUE(PictureIs(b, {"##ww#", "##ww#", "ww#w#", "wwww#", "wwwww"}));

    b = Bitmap::Color(5, 5);
    b.fill(RGB(255, 255, 255));
    Ellipse(dc, 0, 0, 5, 5);
    EXPECT_TRUE(PictureIs(b, {"w###w", "#rrr#", "#rrr#", "#rrr#", "w###w"}));
    b.fill(RGB(255, 255, 255));
    Ellipse(dc, 0, 0, 4, 4);
    EXPECT_TRUE(PictureIs(b, {"w##ww", "#rr#w", "#rr#w", "w##ww", "wwwww"}));
    b.fill(RGB(255, 255, 255));
    Ellipse(dc, 0, 0, 3, 3);
    EXPECT_TRUE(PictureIs(b, {"w#www", "#r#ww", "w#www", "wwwww", "wwwww"}));
    b.fill(RGB(255, 255, 255));
    Ellipse(dc, 0, 1, 5, 3);
    EXPECT_TRUE(PictureIs(b, {"wwwww", "#####", "#####", "wwwww", "wwwww"}));
}

TEST(Ellipse, SymmetricInsideItsRectangleAndClosed)
{
    for (int w = 1; w <= 33; w += 3) {
        for (int h = 1; h <= 34; h += 5) {
            const Bitmap b = DrawEllipse(w, h);
            std::set<std::pair<int, int>> outline;
            for (int y = 0; y < b.height(); ++y) {
                for (int x = 0; x < b.width(); ++x) {
                    const bool on = b.pixel(x, y) == RGB(0, 0, 0);
                    if (on)
                        outline.emplace(x, y);
                    const bool inside = x >= 4 && x < 4 + w && y >= 4 && y < 4 + h;
                    EXPECT_TRUE(inside || !on) << w << "x" << h << " at " << x << "," << y;
                    EXPECT_EQ(on, b.pixel(2 * 4 + w - 1 - x, y) == RGB(0, 0, 0)) << w << "x" << h;
                    EXPECT_EQ(on, b.pixel(x, 2 * 4 + h - 1 - y) == RGB(0, 0, 0)) << w << "x" << h;
                }
            }
            // Touches all four sides.
            EXPECT_TRUE(outline.count({4 + w / 2, 4}) && outline.count({4, 4 + h / 2})) << w << "x" << h;
            // One 8-connected curve: every pixel reachable from the first.
            std::set<std::pair<int, int>> seen{*outline.begin()};
            std::vector<std::pair<int, int>> todo{*outline.begin()};
            while (!todo.empty()) {
                auto [x, y] = todo.back();
                todo.pop_back();
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        if (outline.count({x + dx, y + dy}) && seen.insert({x + dx, y + dy}).second)
                            todo.emplace_back(x + dx, y + dy);
            }
            EXPECT_EQ(seen.size(), outline.size()) << w << "x" << h;
        }
    }
}

TEST(Ellipse, SpansCoverOutlineAndWidePenIsCentred)
{
    std::set<std::pair<int, int>> outline, filled;
    EllipseOutline(0, 0, 12, 9, [&](int x, int y) { outline.emplace(x, y); });
    EllipseSpans(0, 0, 12, 9, [&](int y, int x0, int x1) {
        for (int x = x0; x < x1; ++x)
            filled.emplace(x, y);
    });
    for (const auto& p : outline)
        EXPECT_TRUE(filled.count(p));
    EXPECT_EQ(filled.count({6, 4}), 1u);
    EXPECT_EQ(filled.count({0, 0}), 0u);

    const Bitmap wide = DrawEllipse(12, 12, 5);
    // Half the width reaches outside, never more.
    EXPECT_EQ(wide.pixel(4 + 6, 2), RGB(0, 0, 0));
    EXPECT_EQ(wide.pixel(4 + 6, 1), RGB(255, 255, 255));
    EXPECT_EQ(wide.pixel(4 + 6, 4 + 5), RGB(255, 255, 255));  // centre stays empty without a brush
    const Bitmap full = DrawEllipse(12, 12, 1, true);
    EXPECT_EQ(full.pixel(4 + 6, 4 + 6), RGB(255, 0, 0));
    EXPECT_EQ(full.pixel(4 + 6, 4), RGB(0, 0, 0));
}

TEST(ExtFloodFill, FourConnectedAndStopsAtOtherColours)
{
    Bitmap b = ColorPicture({
        "ww#ww",
        "ww#ww",
        "##www",
        "ww#rw",
        "w#w#w",
    });
    DC dc(b);
    dc.brush = Brush::Solid(RGB(0, 0, 255));
    EXPECT_TRUE(ExtFloodFill(dc, 0, 0, RGB(255, 255, 255)));
    EXPECT_TRUE(PictureIs(b, {"bb#ww", "bb#ww", "##www", "ww#rw", "w#w#w"}));
    EXPECT_FALSE(ExtFloodFill(dc, 0, 0, RGB(255, 255, 255)));  // not of that colour any more
    EXPECT_FALSE(ExtFloodFill(dc, 9, 0, RGB(255, 255, 255)));
    // A brush of the surface colour itself terminates.
    dc.brush = Brush::Solid(RGB(255, 255, 255));
    EXPECT_TRUE(ExtFloodFill(dc, 4, 4, RGB(255, 255, 255)));
    dc.brush = Brush::Solid(RGB(0, 255, 0));
    EXPECT_TRUE(ExtFloodFill(dc, 4, 4, RGB(255, 255, 255)));
    EXPECT_TRUE(PictureIs(b, {"bb#gg", "bb#gg", "##ggg", "ww#rg", "w#w#g"}));

    Bitmap mask = MonoPicture({"..#", "#.#", "..."});
    DC mdc(mask);
    mdc.brush = Brush::Solid(RGB(0, 0, 0));
    EXPECT_TRUE(ExtFloodFill(mdc, 2, 2, RGB(255, 255, 255)));
    EXPECT_TRUE(PictureIs(mask, {"###", "###", "###"}));
}

TEST(ExtFloodFill, LargeImageWithoutRecursion)
{
    // A maze of alternating walls makes a long serpentine region.
    Bitmap b = Bitmap::Color(4096, 4096);
    b.fill(RGB(255, 255, 255));
    for (int x = 1; x < 4096; x += 2) {
        const int gap = (x / 2) % 2 ? 0 : 4095;
        for (int y = 0; y < 4096; ++y)
            if (y != gap)
                b.setRawPixel(x, y, 0xFF000000u);
    }
    DC dc(b);
    dc.brush = Brush::Solid(RGB(255, 0, 0));
    ASSERT_TRUE(ExtFloodFill(dc, 0, 0, RGB(255, 255, 255)));
    EXPECT_EQ(b.pixel(4094, 4095), RGB(255, 0, 0));
    EXPECT_EQ(b.pixel(1, 4095), RGB(255, 0, 0));
    EXPECT_EQ(b.pixel(1, 0), RGB(0, 0, 0));
}

}  // namespace
}  // namespace kavrel
