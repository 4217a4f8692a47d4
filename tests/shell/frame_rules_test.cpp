#include "shell/core/frame_rules.h"

#include <gtest/gtest.h>

#include <set>

namespace kavrel {
namespace {

TEST(CaptionRules, DarkCaptionTextBecomesWhite)
{
    EXPECT_EQ(Lightness(RGB(0, 0, 0)), 0);
    EXPECT_EQ(Lightness(RGB(255, 255, 255)), 240);
    EXPECT_EQ(Lightness(RGB(0, 0, 190)), 89); // (190 * 240 + 255) / 510
    EXPECT_EQ(Lightness(RGB(0, 0, 192)), 90);

    const COLORREF white = RGB(255, 255, 255), grey = RGB(192, 192, 192);
    EXPECT_EQ(DocumentTitleColour(true, RGB(0, 0, 190), grey), white);
    EXPECT_EQ(DocumentTitleColour(true, RGB(0, 0, 192), grey), RGB(0, 0, 192));
    EXPECT_EQ(DocumentTitleColour(false, RGB(0, 0, 0), grey), grey);
}

TEST(CaptionRules, GradientCoversTheCaptionFromBlackToTheBaseColour)
{
    const COLORREF base = RGB(0, 84, 227);
    for (int width : {1, 50, 640, 1920, 20000}) {
        auto bands = CaptionGradient(width, base);
        ASSERT_FALSE(bands.empty());
        // Right to left, without gaps or overlaps.
        EXPECT_EQ(bands.front().x + bands.front().width, width);
        EXPECT_EQ(bands.front().colour, base);
        for (std::size_t i = 1; i < bands.size(); ++i) {
            EXPECT_EQ(bands[i].x + bands[i].width, bands[i - 1].x) << width;
            EXPECT_LE(GetBValue(bands[i].colour), GetBValue(bands[i - 1].colour)) << width;
        }
        EXPECT_EQ(bands.back().x, 0);
        if (width >= 50) {
            EXPECT_EQ(bands.back().colour, RGB(0, 0, 0)) << width;
        }
    }
    // 1920 wide: the base colour from x = 1600, steps of 1600 / 64 = 25 pixels.
    auto bands = CaptionGradient(1920, base);
    EXPECT_EQ(bands[0], (CaptionBand{1600, 320, base}));
    EXPECT_EQ(bands[1].x, 1575);
    EXPECT_EQ(bands[1].width, 25);
    EXPECT_EQ(bands[1].colour, RGB(0, 84 - 84 * 25 * 25 / (1600 * 1600), 227 - 227 * 25 * 25 / (1600 * 1600)));
}

TEST(Tips, TheIndexCyclesThroughAllTwentyFiveTips)
{
    int index = 24;
    EXPECT_EQ(TakeTip(index), 55139);
    EXPECT_EQ(index, 0);

    std::set<int> seen;
    for (int i = 0; i < kTipCount; ++i)
        seen.insert(TakeTip(index));
    EXPECT_EQ(seen.size(), 25u);
    EXPECT_EQ(*seen.begin(), 55104);
    EXPECT_TRUE(seen.count(55124) && seen.count(55136) && !seen.count(55125));
    EXPECT_EQ(index, 0);

    for (int bad : {-3, 25, 1000}) {
        index = bad;
        EXPECT_EQ(TakeTip(index), 55104) << bad;
        EXPECT_EQ(index, 1);
    }
}

TEST(AboutBox, SystemLines)
{
    EXPECT_EQ(VideoLine({8, 96, 96, 1024, 768}), "1024x768 pixels - 256 colors");
    EXPECT_EQ(VideoLine({32, 96, 96, 1920, 1080}), "1920x1080 pixels - 16,8M colors (24 bits)");
    EXPECT_EQ(ScreenDepthName(15), "32768 colors");
    EXPECT_EQ(ScreenDepthName(2), "?");

    EXPECT_EQ(TotalMemoryKb("MemTotal:       16318412 kB\nMemFree:  1 kB\n"), 16318412);
    EXPECT_EQ(TotalMemoryKb("MemFree: 5 kB\nMemTotal: 2048 kB"), 2048);
    EXPECT_FALSE(TotalMemoryKb("MemFree: 5 kB\n").has_value());
    EXPECT_FALSE(TotalMemoryKb("MemTotal: lots\n").has_value());
    EXPECT_EQ(MemoryLine(16318412), "16318412 KB of  RAM");
}

} // namespace
} // namespace kavrel
