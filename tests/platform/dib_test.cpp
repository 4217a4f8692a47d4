#include <cstring>

#include <gtest/gtest.h>

#include "platform/byte_reader.h"
#include "platform/dib.h"
#include "platform/screen.h"
#include "support/pixel_picture.h"

namespace kavrel {
namespace {

using test::ColorPicture;
using test::MonoPicture;
using test::PictureIs;

const std::vector<std::string> kPicture = {"rgbyc", "mw-#r", "#wwgb"};

TEST(DibHeader, ParsesFullAndCoreHeaders)
{
    BitmapInfoHeader h;
    h.biWidth = 32;
    h.biHeight = -64;
    h.biBitCount = 8;
    h.biClrUsed = 17;
    std::uint8_t bytes[40];
    h.Write(bytes);
    EXPECT_EQ(LoadU32(bytes + 8), 0xFFFFFFC0u);
    auto back = BitmapInfoHeader::Parse(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->biHeight, -64);
    EXPECT_EQ(back->biClrUsed, 17u);
    EXPECT_FALSE(BitmapInfoHeader::Parse(std::span(bytes, 39)));

    const std::uint8_t core[12] = {12, 0, 0, 0, 0x10, 0x01, 0x20, 0, 1, 0, 4, 0};
    auto c = BitmapInfoHeader::Parse(core);
    ASSERT_TRUE(c);
    EXPECT_TRUE(c->isCore());
    EXPECT_EQ(c->biWidth, 0x110);
    EXPECT_EQ(c->biHeight, 0x20);
    EXPECT_EQ(c->biBitCount, 4);
    EXPECT_FALSE(BitmapInfoHeader::Parse(std::span(core, 10)));
    std::uint8_t other[64] = {64};
    EXPECT_FALSE(BitmapInfoHeader::Parse(other));
    EXPECT_EQ(DibRowBytes(0x7FFFFFFF, 32), 0x7FFFFFFFull * 4);
}

TEST(Dib, RoundTripsAtEveryDepth)
{
    const Bitmap source = ColorPicture(kPicture);
    for (int bits : {4, 8, 24, 32}) {
        std::vector<RGBQuad> table;
        const auto data = GetDIBits(source, bits, table);
        ASSERT_EQ(data.size(), DibRowBytes(5, bits) * 3) << bits;
        Bitmap back = Bitmap::Color(5, 3);
        BitmapInfoHeader h;
        h.biWidth = 5;
        h.biHeight = 3;
        h.biBitCount = static_cast<std::uint16_t>(bits);
        ASSERT_TRUE(SetDIBits(back, h, table, data)) << bits;
        // These colours are in the 16-colour and the static tables, so even
        // the indexed depths keep them.
        EXPECT_TRUE(PictureIs(back, kPicture)) << bits;
    }
    std::vector<RGBQuad> table;
    const auto bits24 = GetDIBits(source, 24, table);
    EXPECT_TRUE(table.empty());
    // Bottom-up BGR: the last picture row comes first.
    EXPECT_EQ(bits24[0], 0);
    EXPECT_EQ(bits24[3], 255);
    EXPECT_EQ(bits24[5], 255);

    // A top-down DIB gives the same bitmap from reversed rows.
    const std::size_t row = DibRowBytes(5, 24);
    std::vector<std::uint8_t> flipped(bits24.size());
    for (std::size_t y = 0; y < 3; ++y)
        std::memcpy(flipped.data() + y * row, bits24.data() + (2 - y) * row, row);
    BitmapInfoHeader td;
    td.biWidth = 5;
    td.biHeight = -3;
    td.biBitCount = 24;
    Bitmap top = Bitmap::Color(5, 3);
    ASSERT_TRUE(SetDIBits(top, td, {}, flipped));
    EXPECT_TRUE(PictureIs(top, kPicture));
}

TEST(Dib, ColourTablesMapToNearest)
{
    const Bitmap source = ColorPicture({"#w"});
    Bitmap odd = Bitmap::Color(3, 1);
    odd.setRawPixel(0, 0, 0xFF7F7F7Fu);  // nearest 16-colour entry: 808080 (index 7)
    odd.setRawPixel(1, 0, 0xFFF0F0F0u);  // white (15)
    odd.setRawPixel(2, 0, 0xFF100000u);  // black (0)
    std::vector<RGBQuad> table;
    auto bits = GetDIBits(odd, 4, table);
    EXPECT_EQ(table, DefaultColorTable16());
    EXPECT_EQ(bits[0], 0x7F);
    EXPECT_EQ(bits[1], 0x00);

    // 8 bits without a palette: the static colours at both ends, black between.
    bits = GetDIBits(odd, 8, table);
    ASSERT_EQ(table.size(), 256u);
    EXPECT_EQ(table[9], (RGBQuad{0xF0, 0xCA, 0xA6, 0}));
    EXPECT_EQ(table[100], RGBQuad{});
    EXPECT_EQ(table[255], (RGBQuad{255, 255, 255, 0}));
    EXPECT_EQ(bits[0], 248);
    EXPECT_EQ(bits[1], 246);  // FFFBF0 is nearer than white
    EXPECT_EQ(bits[2], 0);

    Palette palette({{0, 0, 0, 0}, {0x80, 0x80, 0x80, 0}, {0xF0, 0xF0, 0xF0, 0}});
    bits = GetDIBits(odd, 8, table, &palette);
    EXPECT_EQ(table[2], (RGBQuad{0xF0, 0xF0, 0xF0, 0}));
    EXPECT_EQ(bits[0], 1);
    EXPECT_EQ(bits[1], 2);

    bits = GetDIBits(source, 1, table);
    EXPECT_EQ(table, (std::vector<RGBQuad>{{0, 0, 0, 0}, {255, 255, 255, 0}}));
    EXPECT_EQ(bits[0], 0x40);
    EXPECT_TRUE(GetDIBits(source, 16, table).empty());
}

TEST(Dib, MonoBitmapsAndSixteenBits)
{
    const Bitmap mask = MonoPicture({"#.#.#.#.#", "..##..##."});
    std::vector<RGBQuad> table;
    const auto bits = GetDIBits(mask, 1, table);
    ASSERT_EQ(bits.size(), 8u);
    EXPECT_EQ(bits[0], 0xCC);
    EXPECT_EQ(bits[1], 0x80);
    EXPECT_EQ(bits[4], 0x55);
    EXPECT_EQ(bits[5], 0x00);
    Bitmap back = Bitmap::Mono(9, 2);
    BitmapInfoHeader h;
    h.biWidth = 9;
    h.biHeight = 2;
    h.biBitCount = 1;
    ASSERT_TRUE(SetDIBits(back, h, table, bits));
    EXPECT_EQ(back, mask);
    // The table decides: an inverted table inverts the mask.
    const RGBQuad inverted[2] = {{255, 255, 255, 0}, {0, 0, 0, 0}};
    ASSERT_TRUE(SetDIBits(back, h, inverted, bits));
    EXPECT_TRUE(PictureIs(back, {".#.#.#.#.", "##..##..#"}));

    // 5-5-5 and 32 bits with alpha ignored.
    const std::uint8_t rgb16[4] = {0x1F, 0x7C, 0xE0, 0x03};  // pure red, pure green
    Bitmap two = Bitmap::Color(2, 1);
    BitmapInfoHeader h16;
    h16.biWidth = 2;
    h16.biHeight = 1;
    h16.biBitCount = 16;
    ASSERT_TRUE(SetDIBits(two, h16, {}, rgb16));
    EXPECT_EQ(two.pixel(0, 0), RGB(255, 0, 255));
    EXPECT_EQ(two.pixel(1, 0), RGB(0, 255, 0));
    const std::uint8_t rgb32[8] = {1, 2, 3, 0x80, 4, 5, 6, 0};
    BitmapInfoHeader h32 = h16;
    h32.biBitCount = 32;
    ASSERT_TRUE(SetDIBits(two, h32, {}, rgb32));
    EXPECT_EQ(two.rawPixel(0, 0), 0xFF030201u);
}

TEST(Dib, RefusesShortBitsAndBadHeaders)
{
    Bitmap b = Bitmap::Color(5, 3);
    BitmapInfoHeader h;
    h.biWidth = 5;
    h.biHeight = 3;
    h.biBitCount = 24;
    std::vector<std::uint8_t> bits(DibRowBytes(5, 24) * 3 - 1, 0x11);
    const Bitmap before = b;
    EXPECT_FALSE(SetDIBits(b, h, {}, bits));
    EXPECT_EQ(b, before);
    bits.push_back(0);
    EXPECT_TRUE(SetDIBits(b, h, {}, bits));
    h.biBitCount = 2;
    EXPECT_FALSE(SetDIBits(b, h, {}, bits));
    h.biBitCount = 24;
    h.biCompression = BI_RLE8;
    EXPECT_FALSE(SetDIBits(b, h, {}, bits));
    h.biCompression = BI_RGB;
    h.biWidth = 6;
    EXPECT_FALSE(SetDIBits(b, h, {}, bits));

    // A header that claims a huge image over a tiny block.
    PackedDib dib;
    dib.bytes.assign(48, 0);
    BitmapInfoHeader huge;
    huge.biWidth = 0x7FFFFFFF;
    huge.biHeight = 0x7FFFFFFF;
    huge.biBitCount = 32;
    huge.Write(dib.bytes.data());
    EXPECT_TRUE(dib.bits().empty());
    EXPECT_FALSE(DibToBitmap(dib));
    huge.biBitCount = 8;
    huge.biClrUsed = 0xFFFFFFFFu;
    huge.Write(dib.bytes.data());
    EXPECT_EQ(dib.colorTable().size(), 2u);
    EXPECT_TRUE(dib.bits().empty());
}

TEST(PackedDib, BitmapToDibAndBack)
{
    const Bitmap source = ColorPicture(kPicture);
    PackedDib dib = BitmapToDib(source);
    auto h = dib.header();
    ASSERT_TRUE(h);
    EXPECT_EQ(h->biBitCount, 24);
    EXPECT_EQ(h->biSizeImage, DibRowBytes(5, 24) * 3);
    EXPECT_EQ(DibColorCount(dib), 0);
    auto back = DibToBitmap(dib);
    ASSERT_TRUE(back);
    EXPECT_TRUE(PictureIs(*back, kPicture));

    {
        ScopedScreen screen({8, 96, 96, 640, 480});
        dib = BitmapToDib(source);
    }
    EXPECT_EQ(dib.header()->biBitCount, 8);
    EXPECT_EQ(DibColorCount(dib), 256);
    EXPECT_EQ(DibPalette(dib).size(), 256);
    EXPECT_EQ(DibPalette(dib).colorRef(249), RGB(255, 0, 0));
    back = DibToBitmap(dib);
    ASSERT_TRUE(back);
    EXPECT_TRUE(PictureIs(*back, kPicture));

    const Bitmap mask = MonoPicture({"#.", ".#"});
    dib = BitmapToDib(mask);
    EXPECT_EQ(dib.header()->biBitCount, 1);
    back = DibToBitmap(dib);
    ASSERT_TRUE(back);
    EXPECT_FALSE(back->isMono());
    EXPECT_TRUE(PictureIs(*back, {"#w", "w#"}));

    // A core-header DIB with its colour triples.
    PackedDib core;
    core.bytes = {12, 0, 0, 0, 2, 0, 1, 0, 1, 0, 1, 0, 0, 0, 255, 0, 255, 0, 0x40, 0, 0, 0};
    EXPECT_EQ(DibColorCount(core), 2);
    EXPECT_EQ(core.colorTable()[0], (RGBQuad{0, 0, 255, 0}));
    back = DibToBitmap(core);
    ASSERT_TRUE(back);
    EXPECT_TRUE(PictureIs(*back, {"rg"}));
}

}  // namespace
}  // namespace kavrel
