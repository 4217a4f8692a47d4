#include "model/palettes.h"

#include <algorithm>
#include <map>
#include <set>

#include <gtest/gtest.h>

#include "platform/screen.h"
#include "support/pixel_picture.h"

namespace kavrel {
namespace {

COLORREF Hex(std::uint32_t rrggbb)
{
    return RGB(rrggbb >> 16, rrggbb >> 8, rrggbb);
}

std::map<COLORREF, int> PatternCounts(const Brush& brush)
{
    std::map<COLORREF, int> counts;
    if (brush.kind == Brush::Kind::Solid) {
        counts[brush.color] = 64;
        return counts;
    }
    EXPECT_EQ(brush.kind, Brush::Kind::Pattern);
    EXPECT_EQ(brush.pattern.width(), 8);
    EXPECT_EQ(brush.pattern.height(), 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            ++counts[brush.pattern.pixel(x, y)];
    return counts;
}

TEST(Palettes, StandardTablesHoldTheFixedEntries)
{
    const Palette& p = StandardPalette();
    ASSERT_EQ(p.size(), 256);
    const std::pair<int, std::uint32_t> spots[] = {
        {0, 0x000000},   {7, 0xC0C0C0},   {8, 0xC0DCC0},   {9, 0xA4C8F0},   {10, 0x040404},  {22, 0x818181},
        {23, 0x810000},  {57, 0x66FF00},  {127, 0xFF00CC}, {128, 0xCC00FF}, {151, 0x66CC66}, {233, 0xC1C1C1},
        {246, 0xFFFBF0}, {247, 0xA0A0A4}, {248, 0x808080}, {249, 0xFF0000}, {252, 0x0000FF}, {255, 0xFFFFFF},
    };
    for (auto [index, color] : spots)
        EXPECT_EQ(p.colorRef(index), Hex(color)) << "entry " << index;
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(p[i].flags, 0);

    const Palette& p16 = Standard16Palette();
    ASSERT_EQ(p16.size(), 16);
    EXPECT_EQ(p16.colorRef(7), Hex(0x808080));
    EXPECT_EQ(p16.colorRef(8), Hex(0xC0C0C0));
    EXPECT_EQ(p16.colorRef(9), Hex(0xFF0000));
    EXPECT_EQ(p16.colorRef(15), Hex(0xFFFFFF));

    EXPECT_TRUE(IsStandardPalette(p));
    Palette flagged = p;
    flagged[100].flags = 4; // only red, green and blue count
    EXPECT_TRUE(IsStandardPalette(flagged));
    Palette changed = p;
    changed[200].blue ^= 1;
    EXPECT_FALSE(IsStandardPalette(changed));
    EXPECT_FALSE(IsStandardPalette(p16));
}

TEST(Palettes, SpectrumPaletteRampsAndGreys)
{
    const Palette p = SpectrumPalette();
    ASSERT_EQ(p.size(), 256);
    const std::uint32_t reds[] = {0x3E0000, 0x5D0000, 0x7C0000, 0x9B0000, 0xBA0000, 0xD90000,
                                  0xF00000, 0xFF2424, 0xFF4848, 0xFF6C6C, 0xFF9090, 0xFFB4B4};
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(p.colorRef(10 + i), Hex(reds[i])) << "entry " << 10 + i;
    // The second ramp (orange) starts from 255, 85, 0.
    EXPECT_EQ(p.colorRef(22), RGB(62, 20, 0));
    for (int i = 0; i < 20; ++i) {
        const int v = i * 255 / 20 + 6;
        EXPECT_EQ(p.colorRef(226 + i), RGB(v, v, v)) << "grey " << i;
    }
    EXPECT_EQ(p.colorRef(226), Hex(0x060606));
    EXPECT_EQ(p.colorRef(245), Hex(0xF8F8F8));
    EXPECT_EQ(p.colorRef(9), Hex(0xA6CAF0));
    EXPECT_EQ(p.colorRef(246), Hex(0xFFFBF0));
    EXPECT_EQ(p.colorRef(255), Hex(0xFFFFFF));
    EXPECT_FALSE(IsStandardPalette(p));
}

TEST(Palettes, NearestIndexPrefersSmallestDistanceThenLowestIndex)
{
    EXPECT_EQ(NearestPaletteIndex(Hex(0x7F7F7F), StandardPalette()), 248);
    EXPECT_EQ(NearestPaletteIndex(Hex(0xFF0000), StandardPalette()), 249);
    Palette twins({{10, 10, 10, 0}, {50, 50, 50, 0}, {50, 50, 50, 0}, {90, 90, 90, 0}});
    EXPECT_EQ(NearestPaletteIndex(RGB(52, 48, 50), twins), 1);
    EXPECT_EQ(NearestPaletteIndex(RGB(70, 70, 70), twins), 1); // equal distance to 1 and 3
}

TEST(Palettes, ColorTableFromPalette)
{
    std::vector<RGBQuad> table;
    EXPECT_EQ(ColorTableFromPalette(table, &StandardPalette(), 16), 16);
    ASSERT_EQ(table.size(), 16u);
    for (int i = 0; i < 8; ++i) {
        const PaletteEntry& low = StandardPalette()[i];
        const PaletteEntry& high = StandardPalette()[248 + i];
        EXPECT_EQ(table[i], (RGBQuad{low.blue, low.green, low.red, 0}));
        EXPECT_EQ(table[8 + i], (RGBQuad{high.blue, high.green, high.red, 0}));
    }

    const Palette spectrum = SpectrumPalette();
    EXPECT_EQ(ColorTableFromPalette(table, &spectrum, 2), 2);
    EXPECT_EQ(table, (std::vector<RGBQuad>{{0, 0, 0, 0}, {255, 255, 255, 0}}));

    EXPECT_EQ(ColorTableFromPalette(table, &StandardPalette(), 256), 256);
    EXPECT_EQ(table[9], (RGBQuad{0xF0, 0xC8, 0xA4, 0}));

    const Palette small({{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}});
    EXPECT_EQ(ColorTableFromPalette(table, &small, 256), 3);
    EXPECT_EQ(table[2], (RGBQuad{9, 8, 7, 0}));
    EXPECT_EQ(ColorTableFromPalette(table, nullptr, 16), 0);
    EXPECT_EQ(ColorTableFromPalette(table, &StandardPalette(), 1), 0);
}

TEST(Palettes, ColorValuesClassifyAndResolve)
{
    EXPECT_EQ(ColorKind(RGB(1, 2, 3)), ColorKindType::Ordinary);
    EXPECT_EQ(ColorKind(PaletteIndexValue(5)), ColorKindType::Ordinary);
    EXPECT_EQ(ColorKind(0xF0FFFFFF), ColorKindType::Ordinary);
    EXPECT_EQ(ColorKind(0xF1000000), ColorKindType::Transparent);
    EXPECT_EQ(ColorKind(0xF1123456), ColorKindType::Transparent);
    EXPECT_EQ(ColorKind(0xF2000000), ColorKindType::Inverted);
    EXPECT_EQ(ColorKind(0xFF000000), ColorKindType::Inverted);

    const Palette spectrum = SpectrumPalette();
    EXPECT_EQ(ResolveColor(PaletteIndexValue(12), &spectrum), Hex(0x7C0000));
    EXPECT_EQ(ResolveColor(PaletteIndexValue(9), nullptr), Hex(0xA4C8F0));
    EXPECT_EQ(ResolveColor(RGB(9, 8, 7), &spectrum), RGB(9, 8, 7));
    EXPECT_EQ(ResolveColor(COLOR_TRANSPARENT, nullptr), RGB(0, 0, 0));
    EXPECT_EQ(ResolveColor(COLOR_INVERTED, nullptr), RGB(255, 255, 255));
}

TEST(Palettes, ImagePixelsRoundTrip)
{
    Bitmap color = Bitmap::Color(4, 1);
    Bitmap mask = Bitmap::Mono(4, 1);
    const Palette spectrum = SpectrumPalette();
    SetImagePixel(color, mask, COLOR_TRANSPARENT, 0, 0, &spectrum);
    SetImagePixel(color, mask, COLOR_INVERTED, 1, 0, &spectrum);
    SetImagePixel(color, mask, RGB(10, 20, 30), 2, 0, &spectrum);
    SetImagePixel(color, mask, PaletteIndexValue(20), 3, 0, &spectrum);
    EXPECT_TRUE(test::PictureIs(color, mask, {".i??"}));
    EXPECT_EQ(color.pixel(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(color.pixel(1, 0), RGB(255, 255, 255));

    EXPECT_EQ(GetImagePixel(color, mask, 0, 0), COLOR_TRANSPARENT);
    EXPECT_EQ(GetImagePixel(color, mask, 1, 0), COLOR_INVERTED);
    EXPECT_EQ(GetImagePixel(color, mask, 2, 0), RGB(10, 20, 30));
    EXPECT_EQ(GetImagePixel(color, mask, 3, 0), Hex(0xFF9090));

    // Only pure white under a set mask bit counts as inverted.
    color.setRawPixel(1, 0, PixelFromColorRef(Hex(0x00FFFF)));
    EXPECT_EQ(GetImagePixel(color, mask, 1, 0), COLOR_TRANSPARENT);
    // Writing an ordinary colour over a pseudo-colour clears the mask bit.
    SetImagePixel(color, mask, RGB(255, 255, 255), 1, 0, &spectrum);
    EXPECT_EQ(GetImagePixel(color, mask, 1, 0), RGB(255, 255, 255));
}

TEST(Palettes, MonoDitherFollowsTheThresholdMatrix)
{
    const Brush grey = MakeDitherBrush(Hex(0x808080), 1);
    const auto counts = PatternCounts(grey);
    EXPECT_EQ(counts.at(RGB(255, 255, 255)), 32);
    EXPECT_EQ(counts.at(RGB(0, 0, 0)), 32);
    // The bottom row is threshold row 0: 0, 192, 48, 240, 12, 204, 60, 252.
    EXPECT_TRUE(test::PictureIs(grey.pattern, {"#w#w#w#w", "w#w#w#w#", "#w#w#w#w", "w#w#w#w#", "#w#w#w#w", "w#w#w#w#",
                                               "#w#w#w#w", "w#w#w#w#"}));

    EXPECT_EQ(PatternCounts(MakeDitherBrush(RGB(0, 0, 0), 1)), (std::map<COLORREF, int>{{RGB(0, 0, 0), 64}}));
    EXPECT_EQ(PatternCounts(MakeDitherBrush(RGB(255, 255, 255), 1)),
              (std::map<COLORREF, int>{{RGB(255, 255, 255), 64}}));
    // grey 1 lights only the zero threshold, at the bottom left.
    const Brush dark = MakeDitherBrush(RGB(1, 1, 1), 1);
    EXPECT_EQ(PatternCounts(dark).at(RGB(255, 255, 255)), 1);
    EXPECT_EQ(dark.pattern.pixel(0, 7), RGB(255, 255, 255));
}

TEST(Palettes, SixteenColorSplitAddsUpAndPaintsItsCounts)
{
    std::set<COLORREF> standard16;
    for (const auto& e : Standard16Palette().entries())
        standard16.insert(RGB(e.red, e.green, e.blue));

    std::vector<int> levels;
    for (int v = 0; v < 256; v += 17)
        levels.push_back(v);
    for (int v : {1, 2, 3, 4, 63, 64, 127, 128, 129, 191, 192, 254})
        levels.push_back(v);

    for (int r : levels)
        for (int g : levels)
            for (int b : levels) {
                const COLORREF c = RGB(r, g, b);
                const auto pairs = SplitTo16Colors(c);
                int total = 0;
                std::map<COLORREF, int> expected;
                for (auto [count, color] : pairs) {
                    EXPECT_GT(count, 0);
                    EXPECT_TRUE(standard16.count(color)) << std::hex << color;
                    total += count;
                    expected[color] += count;
                }
                ASSERT_EQ(total, 64) << std::hex << "colour " << c;
                if (c == Hex(0xC0C0C0))
                    continue;
                ASSERT_EQ(PatternCounts(MakeDitherBrush(c, 4)), expected) << std::hex << "colour " << c;
            }

    EXPECT_EQ(SplitTo16Colors(Hex(0xFF0000)), (std::vector<std::pair<int, COLORREF>>{{64, Hex(0xFF0000)}}));
    EXPECT_EQ(SplitTo16Colors(Hex(0x808080)), (std::vector<std::pair<int, COLORREF>>{{64, Hex(0x808080)}}));
    // Max blue, mid green at half intensity: K and the blue-side dark colours.
    EXPECT_EQ(SplitTo16Colors(Hex(0x004080)),
              (std::vector<std::pair<int, COLORREF>>{{32, Hex(0x000080)}, {32, Hex(0x008080)}}));
    EXPECT_EQ(MakeDitherBrush(Hex(0xC0C0C0), 4), Brush::Solid(Hex(0xC0C0C0)));
}

TEST(Palettes, PlacementOrderSpreadsConsecutivePositions)
{
    const auto& order = DitherPlacementOrder();
    ASSERT_EQ(order.size(), 64u);
    EXPECT_EQ(std::set<int>(order.begin(), order.end()).size(), 64u);
    // Every aligned run of four puts one position in each 4x4 quadrant, and
    // the first sixteen one in each 2x2 block.
    for (int start = 0; start < 64; start += 4) {
        std::set<int> quadrants;
        for (int i = start; i < start + 4; ++i)
            quadrants.insert((order[i] % 8 / 4) + 2 * (order[i] / 8 / 4));
        EXPECT_EQ(quadrants.size(), 4u) << "run at " << start;
    }
    std::set<int> blocks;
    for (int i = 0; i < 16; ++i)
        blocks.insert((order[i] % 8 / 2) + 4 * (order[i] / 8 / 2));
    EXPECT_EQ(blocks.size(), 16u);
}

TEST(Palettes, StandardPaletteDither)
{
    const Palette& standard = StandardPalette();
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) {
                const COLORREF c = RGB(51 * r, 51 * g, 51 * b);
                const bool missing =
                    c == Hex(0x33FF00) || c == Hex(0x00FF33) || c == Hex(0x3300FF) || c == Hex(0x0033FF);
                for (int y = 0; y < 8; ++y)
                    for (int x = 0; x < 8; ++x) {
                        const int index = StandardDitherIndex(c, x, y, x % 2 == 0);
                        if (c == Hex(0x33FF00) || c == Hex(0x00FF33)) {
                            ASSERT_EQ(index, 250);
                        } else if (c == Hex(0x3300FF) || c == Hex(0x0033FF)) {
                            ASSERT_EQ(index, 252);
                        } else {
                            ASSERT_EQ(standard.colorRef(index), c) << std::hex << c;
                        }
                    }
                if (!missing && c != Hex(0xC0C0C0)) {
                    EXPECT_EQ(PatternCounts(MakeDitherBrush(c, 8)), (std::map<COLORREF, int>{{c, 64}}));
                }
            }

    // 26 is level 0 with remainder 26: pixels whose threshold is below 26 step up to 33.
    int above = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            above += standard.colorRef(StandardDitherIndex(RGB(26, 0, 0), x, y, false)) == Hex(0x330000);
    const auto counts = PatternCounts(MakeDitherBrush(RGB(26, 0, 0), 8));
    EXPECT_EQ(counts.at(Hex(0x330000)), above);
    EXPECT_EQ(counts.at(Hex(0x000000)), 64 - above);
    EXPECT_GT(above, 20);
    EXPECT_LT(above, 44);

    // Brushes treat 128 as 127: where the threshold is 25 (column 1, row 0) a
    // brush keeps level 2 and a picture steps up to level 3.
    EXPECT_EQ(standard.colorRef(StandardDitherIndex(RGB(128, 0, 0), 1, 0, true)), Hex(0x660000));
    EXPECT_EQ(standard.colorRef(StandardDitherIndex(RGB(128, 0, 0), 1, 0, false)), Hex(0x990000));

    EXPECT_EQ(MakeDitherBrush(Hex(0xC0C0C0), 8), Brush::Solid(Hex(0xC0C0C0)));
    EXPECT_EQ(MakeDitherBrush(Hex(0x808080), 8), Brush::Solid(Hex(0x808080)));
}

TEST(Palettes, ImageAndDisplayBrushes)
{
    Brush color, mask;
    MakeImageBrushes(COLOR_TRANSPARENT, color, mask, 24, nullptr);
    EXPECT_EQ(mask, Brush::Solid(RGB(255, 255, 255)));
    EXPECT_EQ(color, Brush::Solid(RGB(0, 0, 0)));
    MakeImageBrushes(COLOR_INVERTED, color, mask, 8, nullptr);
    EXPECT_EQ(mask, Brush::Solid(RGB(255, 255, 255)));
    EXPECT_EQ(color, Brush::Solid(RGB(255, 255, 255)));
    MakeImageBrushes(RGB(0x87, 0x43, 0xFF), color, mask, 24, nullptr);
    EXPECT_EQ(mask, Brush::Solid(RGB(0, 0, 0)));
    EXPECT_EQ(color, Brush::Solid(RGB(0x87, 0x43, 0xFF)));
    MakeImageBrushes(Hex(0x808080), color, mask, 1, nullptr);
    EXPECT_EQ(color, MakeDitherBrush(Hex(0x808080), 1));

    const Palette spectrum = SpectrumPalette();
    MakeImageBrushes(PaletteIndexValue(11), color, mask, 8, &spectrum);
    EXPECT_EQ(color, Brush::Solid(Hex(0x5D0000)));
    {
        ScreenInfo highColor;
        highColor.bitsPerPixel = 16;
        ScopedScreen screen(highColor);
        MakeImageBrushes(RGB(0x87, 0x43, 0xFF), color, mask, 24, nullptr);
        EXPECT_EQ(color, Brush::Solid(RGB(0x80, 0x40, 0xFF)));
        MakeImageBrushes(PaletteIndexValue(11), color, mask, 8, &spectrum);
        EXPECT_EQ(color, Brush::Solid(RGB(0x58, 0, 0)));
    }

    const Brush transparent = MakeDisplayBrush(COLOR_TRANSPARENT, 8);
    const Brush inverted = MakeDisplayBrush(COLOR_INVERTED, 8);
    ASSERT_EQ(transparent.kind, Brush::Kind::Pattern);
    ASSERT_EQ(inverted.kind, Brush::Kind::Pattern);
    EXPECT_EQ(transparent.pattern, TransparentPattern());
    EXPECT_EQ(inverted.pattern, InvertedPattern());
    EXPECT_NE(TransparentPattern(), InvertedPattern());
    EXPECT_EQ(MakeDisplayBrush(PaletteIndexValue(11), 8, &spectrum), Brush::Solid(Hex(0x5D0000)));
    EXPECT_EQ(MakeDisplayBrush(Hex(0x808080), 1), MakeDitherBrush(Hex(0x808080), 1));
}

TEST(Palettes, FrameHighlightPaintsEveryOtherPixel)
{
    Bitmap bitmap = Bitmap::Color(6, 4);
    bitmap.fill(RGB(255, 255, 255));
    DC dc(bitmap);
    FrameHighlight(dc, Rect{1, 1, 5, 4}, RGB(255, 0, 0));
    EXPECT_TRUE(test::PictureIs(bitmap, {"wwwwww", "wrwrww", "wwrwrw", "wrwrww"}));
    FrameHighlight(dc, Rect{-3, -3, 100, 100}, RGB(0, 0, 255)); // clipped to the bitmap
    EXPECT_EQ(bitmap.pixel(0, 0), RGB(0, 0, 255));
    EXPECT_EQ(bitmap.pixel(1, 0), RGB(255, 255, 255));
}

} // namespace
} // namespace kavrel
