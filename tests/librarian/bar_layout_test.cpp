#include "librarian/bar_layout.h"

#include <gtest/gtest.h>

namespace kavrel {
namespace {

TEST(BarLayout, AWideBarSplitsAcrossATallOneDownWithTheSplitKeptFromTheEdges)
{
    BarLayout wide = LayoutBar(600, 250, 200, 999);
    EXPECT_TRUE(wide.wide);
    EXPECT_EQ(wide.separator, 200);
    EXPECT_EQ(wide.tree, (Rect{0, 0, 198, 250}));
    EXPECT_EQ(wide.list, (Rect{202, 0, 600, 250}));
    EXPECT_TRUE(wide.splitZone.contains(199, 100));
    EXPECT_FALSE(wide.splitZone.contains(202, 100));

    BarLayout tall = LayoutBar(200, 700, 999, 200);
    EXPECT_FALSE(tall.wide);
    EXPECT_EQ(tall.tree, (Rect{0, 0, 200, 198}));
    EXPECT_EQ(tall.list, (Rect{0, 202, 200, 700}));

    // A split stored for a larger bar, or dragged to an edge, stays 25 inside.
    EXPECT_EQ(LayoutBar(300, 200, 900, 0).separator, 275);
    EXPECT_EQ(LayoutBar(300, 200, 3, 0).separator, 25);
    EXPECT_EQ(LayoutBar(200, 200, 190, 0).separator, 175); // square counts as wide
    EXPECT_EQ(ClampSeparator(10, 30), 15);                 // too small for both margins
    EXPECT_EQ(ClampDockedSize(5, 800), 10);
    EXPECT_EQ(ClampDockedSize(900, 800), 790);
}

} // namespace
} // namespace kavrel
