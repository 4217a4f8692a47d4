#include <gtest/gtest.h>

#include "platform/gdi.h"
#include "support/pixel_picture.h"

namespace kavrel {
namespace {

using test::ColorPicture;
using test::MonoPicture;
using test::PictureIs;

TEST(RectAndPalette, HelpersAndNearestColour)
{
    EXPECT_EQ((Rect{5, 6, 1, 2}.normalized()), (Rect{1, 2, 5, 6}));
    EXPECT_EQ((Rect{0, 0, 4, 4}.intersected({2, 2, 8, 8})), (Rect{2, 2, 4, 4}));
    EXPECT_TRUE((Rect{0, 0, 2, 2}.intersected({3, 3, 8, 8})).empty());
    EXPECT_EQ((Rect{}.united({1, 1, 2, 2})), (Rect{1, 1, 2, 2}));
    EXPECT_EQ((Rect{0, 0, 1, 1}.united({3, 3, 4, 5})), (Rect{0, 0, 4, 5}));

    Palette palette({{0, 0, 0, 0}, {0x81, 0x81, 0x81, 0}, {0x80, 0x80, 0x80, 0}, {0x80, 0x80, 0x80, 0}});
    EXPECT_EQ(palette.nearestIndex(RGB(0x7F, 0x7F, 0x7F)), 2); // distance 3 beats 6, lowest index on ties
    EXPECT_EQ(palette.nearestIndex(RGB(1, 0, 0)), 0);
    EXPECT_EQ(palette.colorRef(1), RGB(0x81, 0x81, 0x81));
    EXPECT_EQ(Palette().nearestIndex(0), -1);

    EXPECT_EQ(MonoFromColor(RGB(128, 127, 127)), 0); // 382: nearer black
    EXPECT_EQ(MonoFromColor(RGB(128, 128, 127)), 1);
    EXPECT_EQ(Bitmap::Color(2, 1).rawPixel(1, 0), 0xFF000000u);
    EXPECT_EQ(Bitmap::Mono(2, 1).rawPixel(1, 0), 0u);
    EXPECT_TRUE(Bitmap::Color(0, 3).isNull());
}

TEST(Pixels, SetAndGetResolveColours)
{
    Bitmap b = Bitmap::Color(2, 2);
    DC dc(b);
    EXPECT_EQ(SetPixel(dc, 1, 1, PALETTERGB(10, 20, 30)), RGB(10, 20, 30));
    EXPECT_EQ(b.rawPixel(1, 1), 0xFF0A141Eu);
    EXPECT_EQ(GetPixel(dc, 1, 1), RGB(10, 20, 30));
    EXPECT_EQ(SetPixel(dc, 2, 0, 0), CLR_INVALID);
    EXPECT_EQ(GetPixel(dc, -1, 0), CLR_INVALID);
    Palette palette({{1, 2, 3, 0}, {4, 5, 6, 0}});
    dc.palette = &palette;
    EXPECT_EQ(SetPixel(dc, 0, 0, 0x01000001u), RGB(4, 5, 6));

    Bitmap m = Bitmap::Mono(2, 1);
    DC mdc(m);
    EXPECT_EQ(SetPixel(mdc, 0, 0, RGB(200, 200, 200)), RGB(255, 255, 255));
    EXPECT_EQ(SetPixel(mdc, 1, 0, RGB(100, 100, 100)), RGB(0, 0, 0));
    EXPECT_EQ(m.rawPixel(0, 0), 1u);
}

TEST(Rop, EveryCodeOnColourAndMono)
{
    // Destination, source and pattern cover all combinations per channel.
    const std::uint32_t d = 0xFF0F33AAu, s = 0xFF5555F0u, p = 0xFF00FFCCu;
    struct Case {
        std::uint32_t rop, expected;
    };
    const std::uint32_t mask = 0x00FFFFFFu;
    const Case cases[] = {
        {SRCCOPY, s},
        {SRCPAINT, s | d},
        {SRCAND, s & d},
        {SRCINVERT, s ^ d},
        {NOTSRCCOPY, ~s},
        {PATCOPY, p},
        {PATINVERT, p ^ d},
        {DSTINVERT, ~d},
        {BLACKNESS, 0},
        {WHITENESS, 0xFFFFFFFFu},
        {0x00B8074A, ((p ^ d) & s) ^ p}, // not specialised: through the generic table
        {0x00E20746, ((p ^ d) & s) ^ d},
        {0x001D0000, 0}, // checked bit by bit below
    };
    for (const Case& c : cases) {
        Bitmap dst = Bitmap::Color(3, 2);
        Bitmap src = Bitmap::Color(3, 2);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) {
                dst.setRawPixel(x, y, d);
                src.setRawPixel(x, y, s);
            }
        DC ddc(dst), sdc(src);
        ddc.brush = Brush::Solid(ColorRefFromPixel(p));
        ASSERT_TRUE(BitBlt(ddc, 1, 0, 5, 5, sdc, 0, 0, c.rop));
        std::uint32_t expected = c.expected;
        if (c.rop == 0x001D0000) {
            expected = 0;
            for (int bit = 0; bit < 32; ++bit) {
                const int i = ((p >> bit) & 1) << 2 | ((s >> bit) & 1) << 1 | ((d >> bit) & 1);
                expected |= ((0x1Du >> i) & 1u) << bit;
            }
        }
        EXPECT_EQ(dst.rawPixel(1, 1), 0xFF000000u | (expected & mask)) << std::hex << c.rop;
        EXPECT_EQ(dst.rawPixel(0, 1), d) << std::hex << c.rop; // outside the blit

        // Mono: all eight (P, S, D) combinations at once.
        Bitmap mdst = MonoPicture({"#w#w#w#w"});
        Bitmap msrc = MonoPicture({"##ww##ww"});
        Bitmap pattern = MonoPicture(
            {"####wwww", "####wwww", "####wwww", "####wwww", "####wwww", "####wwww", "####wwww", "####wwww"});
        DC mdc(mdst), msdc(msrc);
        mdc.brush = Brush::FromPattern(pattern);
        ASSERT_TRUE(BitBlt(mdc, 0, 0, 8, 1, msdc, 0, 0, c.rop));
        const std::uint8_t index = static_cast<std::uint8_t>(c.rop >> 16);
        for (int x = 0; x < 8; ++x) {
            const int i = (x >= 4) << 2 | ((x >> 1) & 1) << 1 | (x & 1);
            EXPECT_EQ(mdst.rawPixel(x, 0), (index >> i) & 1u) << std::hex << c.rop << " at " << x;
        }
    }
}

TEST(Blit, KindConversionsAndClipping)
{
    // Mono into colour: 0 takes the destination's text colour, 1 its background.
    Bitmap mono = MonoPicture({"#w", "w#"});
    Bitmap color = ColorPicture({"...", "...", "..."});
    DC cdc(color), mdc(mono);
    cdc.textColor = RGB(255, 0, 0);
    cdc.bkColor = RGB(0, 0, 255);
    EXPECT_TRUE(BitBlt(cdc, 1, 1, 2, 2, mdc, 0, 0, SRCCOPY));
    EXPECT_TRUE(PictureIs(color, {"...", ".rb", ".br"}));
    EXPECT_TRUE(BitBlt(cdc, 0, 0, 2, 2, mdc, 0, 0, SRCINVERT));
    EXPECT_TRUE(PictureIs(color, {"rb.", "b.b", ".br"}));

    // Colour into mono: 1 where the source equals its own background colour.
    Bitmap target = MonoPicture({"####", "####"});
    DC tdc(target);
    Bitmap picture = ColorPicture({"rgbr", "grrw"});
    DC pdc(picture);
    pdc.bkColor = RGB(255, 0, 0);
    EXPECT_TRUE(BitBlt(tdc, 0, 0, 4, 2, pdc, 0, 0, SRCCOPY));
    EXPECT_TRUE(PictureIs(target, {"w##w", "#ww#"}));

    // Negative origins and a source smaller than the request are clipped.
    Bitmap dst = ColorPicture({"www", "www", "www"});
    DC ddc(dst);
    Bitmap src = ColorPicture({"rg", "by"});
    DC sdc(src);
    EXPECT_TRUE(BitBlt(ddc, -1, 1, 5, 5, sdc, 0, 0, SRCCOPY));
    EXPECT_TRUE(PictureIs(dst, {"www", "gww", "yww"}));
    // Overlapping blit within one bitmap reads the original pixels.
    Bitmap strip = ColorPicture({"rgbw"});
    DC stripDc(strip);
    EXPECT_TRUE(BitBlt(stripDc, 1, 0, 3, 1, stripDc, 0, 0, SRCCOPY));
    EXPECT_TRUE(PictureIs(strip, {"rrgb"}));
    Bitmap null;
    DC nullDc(null);
    EXPECT_FALSE(BitBlt(nullDc, 0, 0, 1, 1, sdc, 0, 0, SRCCOPY));
}

TEST(Brush, PatternsAlignToTheDestinationOrigin)
{
    Bitmap pattern = Bitmap::Color(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            pattern.setRawPixel(x, y, (x + y) % 2 ? 0xFFFF0000u : 0xFF0000FFu);
    Bitmap b = ColorPicture({"wwwwwwwwww", "wwwwwwwwww", "wwwwwwwwww"});
    DC dc(b);
    FillRect(dc, {7, 1, 10, 3}, Brush::FromPattern(pattern));
    EXPECT_TRUE(PictureIs(b, {"wwwwwwwwww", "wwwwwwwbrb", "wwwwwwwrbr"}));

    // A mono pattern through the text and background colours; solid brushes
    // into mono by nearest of black and white.
    Bitmap checker = Bitmap::Mono(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            checker.setRawPixel(x, y, (x + y) % 2);
    dc.textColor = RGB(0, 255, 0);
    dc.bkColor = RGB(255, 255, 0);
    dc.brush = Brush::FromPattern(checker);
    EXPECT_TRUE(PatBlt(dc, 0, 0, 3, 1, PATCOPY));
    EXPECT_TRUE(PatBlt(dc, 3, 0, -1, 1, DSTINVERT)); // negative width normalised: x = 2
    EXPECT_TRUE(PictureIs(b, {"gymwwwwwww", "wwwwwwwbrb", "wwwwwwwrbr"}));
    Bitmap m = Bitmap::Mono(3, 1);
    DC mdc(m);
    FillRect(mdc, {0, 0, 2, 1}, Brush::Solid(RGB(200, 200, 200)));
    EXPECT_TRUE(PictureIs(m, {"ww#"}));
    mdc.brush = Brush::FromPattern(checker);
    EXPECT_TRUE(PatBlt(mdc, 0, 0, 3, 1, PATINVERT));
    EXPECT_TRUE(PictureIs(m, {"w##"}));
    mdc.brush = Brush::None();
    EXPECT_TRUE(PatBlt(mdc, 0, 0, 3, 1, PATCOPY));
    EXPECT_TRUE(PictureIs(m, {"w##"}));
}

TEST(StretchBlt, NearestSamplingUpAndDown)
{
    Bitmap src = ColorPicture({"rg", "by"});
    Bitmap up = Bitmap::Color(4, 4);
    DC sdc(src), udc(up);
    EXPECT_TRUE(StretchBlt(udc, 0, 0, 4, 4, sdc, 0, 0, 2, 2, SRCCOPY));
    EXPECT_TRUE(PictureIs(up, {"rrgg", "rrgg", "bbyy", "bbyy"}));

    Bitmap big = ColorPicture({"rwgw", "wwww", "bwyw", "wwww"});
    Bitmap down = Bitmap::Color(2, 2);
    DC bdc(big), ddc(down);
    EXPECT_TRUE(StretchBlt(ddc, 0, 0, 2, 2, bdc, 0, 0, 4, 4, SRCCOPY));
    EXPECT_TRUE(PictureIs(down, {"rg", "by"}));

    // Clipped at the destination edge, sampling from the unclipped origin.
    Bitmap part = ColorPicture({"www", "www"});
    DC pdc(part);
    EXPECT_TRUE(StretchBlt(pdc, -2, 0, 4, 2, sdc, 0, 0, 2, 1, SRCCOPY));
    EXPECT_TRUE(PictureIs(part, {"ggw", "ggw"}));
    EXPECT_FALSE(StretchBlt(pdc, 0, 0, 2, 2, sdc, 0, 0, -2, 2, SRCCOPY));
}

} // namespace
} // namespace kavrel

namespace kavrel {
namespace {

// Alpha bitmaps: brushes, pens and copies carry alpha; bitmaps without alpha
// stay opaque whatever is drawn into them.
TEST(AlphaBitmap, OperationsCarryAlpha)
{
    Bitmap b = Bitmap::ColorAlpha(4, 2);
    EXPECT_TRUE(b.hasAlpha());
    EXPECT_EQ(b.rawPixel(3, 1), 0u);
    DC dc(b);
    FillRect(dc, Rect{0, 0, 2, 1}, Brush::Solid(RGB(255, 0, 0), 128));
    EXPECT_EQ(b.rawPixel(0, 0), 0x80FF0000u);
    EXPECT_EQ(b.rawPixel(2, 0), 0u);
    dc.pen = Pen::Solid(1, RGB(0, 0, 255), 64);
    LineTo(dc, 0, 1, 4, 1);
    EXPECT_EQ(b.rawPixel(3, 1), 0x400000FFu);
    EXPECT_EQ(SetPixelAlpha(dc, 3, 0, RGB(0, 255, 0), 7), RGB(0, 255, 0));
    EXPECT_EQ(b.rawPixel(3, 0), 0x0700FF00u);

    // Copies between alpha bitmaps keep alpha; into a plain bitmap it is lost.
    Bitmap plain = Bitmap::Color(4, 2);
    DC plainDc(plain);
    BitBlt(plainDc, 0, 0, 4, 2, dc, 0, 0, SRCCOPY);
    EXPECT_EQ(plain.rawPixel(0, 0), 0xFFFF0000u);
    Bitmap other = Bitmap::ColorAlpha(4, 2);
    DC otherDc(other);
    BitBlt(otherDc, 0, 0, 4, 2, dc, 0, 0, SRCCOPY);
    EXPECT_EQ(other, b);
    // A plain source is opaque in an alpha bitmap.
    BitBlt(otherDc, 0, 0, 1, 1, plainDc, 2, 0, SRCCOPY);
    EXPECT_EQ(other.rawPixel(0, 0), 0xFF000000u);

    // Flood fill: pixels of the same colour but another alpha are borders.
    Bitmap f = Bitmap::ColorAlpha(3, 1);
    f.setRawPixel(1, 0, 0x80000000u);
    DC fdc(f);
    fdc.brush = Brush::Solid(RGB(255, 255, 255), 255);
    EXPECT_TRUE(ExtFloodFill(fdc, 0, 0, RGB(0, 0, 0), 0));
    EXPECT_EQ(f.rawPixel(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(f.rawPixel(1, 0), 0x80000000u);
    EXPECT_EQ(f.rawPixel(2, 0), 0u);

    f.setHasAlpha(false);
    EXPECT_EQ(f.rawPixel(2, 0), 0xFF000000u);
}

} // namespace
} // namespace kavrel
