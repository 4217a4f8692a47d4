#include "model/resample.h"

#include <gtest/gtest.h>

#include <cmath>

#include "model/icon_model.h"

namespace kavrel {
namespace {

PngPixels Filled(int w, int h, std::uint32_t argb)
{
    return {w, h, std::vector<std::uint32_t>(std::size_t(w) * h, argb)};
}

std::uint32_t At(const PngPixels& p, int x, int y)
{
    return p.argb[std::size_t(y) * p.width + x];
}

int Alpha(std::uint32_t p)
{
    return int(p >> 24);
}
int Red(std::uint32_t p)
{
    return int((p >> 16) & 0xFF);
}
int Green(std::uint32_t p)
{
    return int((p >> 8) & 0xFF);
}
int Blue(std::uint32_t p)
{
    return int(p & 0xFF);
}

// A 1-pixel checkerboard holds the highest frequency there is: point
// sampling or a too narrow filter turns it into stripes or moiré; averaging
// over the covered area gives an even grey at every size, whole ratio or not.
TEST(ResampleTest, CheckerboardBecomesEvenGrey)
{
    PngPixels board{256, 256, std::vector<std::uint32_t>(256 * 256)};
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            board.argb[std::size_t(y) * 256 + x] = (x + y) % 2 ? 0xFFFFFFFFu : 0xFF000000u;
    for (int side : {16, 20, 40}) {
        PngPixels small = ResizeArgb(board, side, side);
        ASSERT_EQ(small.argb.size(), std::size_t(side) * side) << side;
        int lo = 255, hi = 0;
        for (std::uint32_t p : small.argb) {
            EXPECT_EQ(Alpha(p), 255);
            EXPECT_TRUE(Red(p) == Green(p) && Green(p) == Blue(p));
            lo = std::min(lo, Red(p));
            hi = std::max(hi, Red(p));
        }
        // 256/20 = 12.8 source pixels each way: a partly covered column can
        // tip the balance by a few levels at most.
        EXPECT_GE(lo, side == 16 ? 127 : 122) << side;
        EXPECT_LE(hi, side == 16 ? 128 : 133) << side;
    }
}

// Averaging straight colours would mix the black of transparent pixels into
// the edge; premultiplied averaging keeps every visible edge pixel white.
TEST(ResampleTest, WhiteDiscOnTransparentKeepsNoDarkFringe)
{
    PngPixels disc = Filled(256, 256, 0x00000000u);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            if (std::hypot(x + 0.5 - 128, y + 0.5 - 128) < 100)
                disc.argb[std::size_t(y) * 256 + x] = 0xFFFFFFFFu;
    auto sizes = PresetSizes(SizePreset::Windows);
    auto made = MakeSizes(disc, sizes);
    ASSERT_EQ(made.size(), sizes.size());
    for (std::size_t i = 0; i < made.size(); ++i) {
        const PngPixels& p = made[i];
        ASSERT_EQ(p.width, sizes[i]);
        ASSERT_EQ(p.height, sizes[i]);
        int partial = 0;
        for (std::uint32_t px : p.argb) {
            if (Alpha(px) == 0) {
                EXPECT_EQ(px, 0u);
                continue;
            }
            ASSERT_EQ(px & 0xFFFFFFu, 0xFFFFFFu) << "size " << p.width;
            partial += Alpha(px) < 255;
        }
        if (p.width < 256) {
            EXPECT_GT(partial, 0) << "the edge is anti-aliased at " << p.width;
        }
        EXPECT_EQ(At(p, p.width / 2, p.height / 2), 0xFFFFFFFFu);
        EXPECT_EQ(At(p, 0, 0), 0u);
    }
}

TEST(ResampleTest, SharesFollowExactCoverage)
{
    // Three opaque grey levels into two: each target pixel covers 1.5 source
    // pixels, the middle one half each.
    PngPixels row{3, 1, {0xFF000000u, 0xFF5A5A5Au, 0xFFB4B4B4u}}; // 0, 90, 180
    PngPixels two = ResizeArgb(row, 2, 1);
    ASSERT_EQ(two.argb.size(), 2u);
    EXPECT_EQ(Red(two.argb[0]), 30);
    EXPECT_EQ(Red(two.argb[1]), 150);

    // Half-transparent red beside transparent: alpha halves, colour stays.
    PngPixels pair{2, 1, {0x80FF0000u, 0x00000000u}};
    PngPixels one = ResizeArgb(pair, 1, 1);
    EXPECT_EQ(Alpha(one.argb[0]), 64);
    EXPECT_EQ(one.argb[0] & 0xFFFFFFu, 0xFF0000u);

    // Enlarging by a whole ratio copies each pixel into a block.
    PngPixels quad{2, 2, {0xFF112233u, 0x80445566u, 0x00000000u, 0xFFFFFFFFu}};
    PngPixels big = ResizeArgb(quad, 6, 6);
    ASSERT_EQ(big.argb.size(), 36u);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(At(big, x, y), At(quad, x / 3, y / 3)) << x << "," << y;

    // Sizes outside the limits give nothing rather than a huge allocation.
    EXPECT_TRUE(ResizeArgb(quad, 0, 4).argb.empty());
    EXPECT_TRUE(ResizeArgb(quad, kMaxImageSide + 1, 4).argb.empty());
    EXPECT_TRUE(ResizeArgb(PngPixels{4, 4, {}}, 2, 2).argb.empty());
}

TEST(ResampleTest, FitKeepsAspectCentredOnTransparent)
{
    PngPixels wide = Filled(64, 32, 0xFF0000FFu);
    PngPixels fitted = FitArgb(wide, 16, 16);
    ASSERT_EQ(fitted.width, 16);
    ASSERT_EQ(fitted.height, 16);
    for (int y = 0; y < 16; ++y)
        EXPECT_EQ(At(fitted, 7, y), y >= 4 && y < 12 ? 0xFF0000FFu : 0u) << y;

    // A small picture grows to fill the size.
    PngPixels tall = Filled(4, 8, 0xFF00FF00u);
    PngPixels grown = FitArgb(tall, 32, 32);
    EXPECT_EQ(At(grown, 8, 0), 0xFF00FF00u);
    EXPECT_EQ(At(grown, 23, 31), 0xFF00FF00u);
    EXPECT_EQ(At(grown, 7, 16), 0u);
    EXPECT_EQ(At(grown, 24, 16), 0u);
}

} // namespace
} // namespace kavrel
