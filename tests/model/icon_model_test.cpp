#include "model/icon_model.h"

#include <gtest/gtest.h>

#include <cstring>

#include "model/palettes.h"
#include "model/png_image.h"
#include "model/render.h"
#include "platform/byte_reader.h"
#include "support/pixel_picture.h"

namespace kavrel {
namespace {

using test::ImagePicture;
using test::PictureIs;

// A classic block with a header of our choosing; the table and bits are
// filled with a recognisable pattern.
std::vector<std::uint8_t> ClassicBlock(int width, int height, int bits, std::uint32_t clrUsed,
                                       std::uint64_t tableEntries)
{
    std::uint64_t xorBytes = height * DibRowBytes(width, bits);
    std::uint64_t andBytes = height * DibRowBytes(width, 1);
    std::vector<std::uint8_t> b(40 + 4 * tableEntries + xorBytes + andBytes);
    StoreU32(b.data(), 40);
    StoreU32(b.data() + 4, static_cast<std::uint32_t>(width));
    StoreU32(b.data() + 8, static_cast<std::uint32_t>(2 * height));
    StoreU16(b.data() + 12, 1);
    StoreU16(b.data() + 14, static_cast<std::uint16_t>(bits));
    StoreU32(b.data() + 32, clrUsed);
    for (std::size_t i = 40; i < b.size(); ++i)
        b[i] = static_cast<std::uint8_t>(i * 7);
    return b;
}

bool ReadBlock(CIcon& icon, const std::vector<std::uint8_t>& block)
{
    MemorySource source(block);
    return icon.ReadImage(source, 0);
}

// A 32-bit block from top-down ARGB pixels, with an all-zero AND mask.
std::vector<std::uint8_t> ArgbBlock(int width, int height, const std::vector<std::uint32_t>& argb)
{
    auto b = ClassicBlock(width, height, 32, 0, 0);
    std::fill(b.begin() + 40, b.end(), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            StoreU32(b.data() + 40 + 4 * ((height - 1 - y) * width + x), argb[y * width + x]);
    return b;
}

CIcon PackedPicture(int bitDepth, const std::vector<std::string>& rows, int ownPalette = 0)
{
    CIconObject o(bitDepth, static_cast<int>(rows[0].size()), static_cast<int>(rows.size()), ownPalette);
    ImagePicture(rows, o.color, o.mask);
    o.PackToIcon();
    return o.packed;
}

TEST(IconModel, BlockSizesAndAllocation)
{
    EXPECT_EQ(CIcon::BlockSize(16, 16, 16), 296u);
    EXPECT_EQ(CIcon::BlockSize(32, 32, 0), 3240u);
    EXPECT_EQ(CIcon::BlockSize(48, 48, 256), 3752u);
    EXPECT_EQ(CIcon::BlockSize(1, 1, 2), 40u + 8 + 4 + 4);
    EXPECT_EQ(CIcon::BlockSize(32, 32, 17), 0u);
    EXPECT_EQ(CIcon::BlockSize(-1, 32, 16), 0u);

    CIcon icon;
    ASSERT_TRUE(icon.AllocateImage(48, 48, 256));
    EXPECT_EQ(icon.imageSize, 3752);
    EXPECT_EQ(icon.image.size(), 3752u);
    EXPECT_EQ(icon.bitCount(), 8);
    EXPECT_EQ(icon.FormatLabel(), "48x48x8");
    EXPECT_FALSE(icon.AllocateImage(kMaxImageSide + 1, 16, 0));
    EXPECT_EQ(icon.width, 48); // a refused allocation changes nothing

    // Copies are deep, keep the source offset, and drop the thumbnail.
    EXPECT_FALSE(icon.sourceOffset.has_value());
    icon.sourceOffset = 0x1'2345'6789ull; // past 4 GB
    icon.thumbnailBits.assign(10, 1);
    icon.thumbnailSize = 40;
    icon.standardPalette = 0;
    CIcon copy(icon);
    EXPECT_EQ(copy.image, icon.image);
    EXPECT_EQ(copy.sourceOffset, 0x1'2345'6789ull);
    EXPECT_EQ(copy.thumbnailSize, 0);
    EXPECT_TRUE(copy.thumbnailBits.empty());
    EXPECT_EQ(copy.standardPalette, 1);
    copy.image[0] = 9;
    EXPECT_NE(copy.image[0], icon.image[0]);
}

TEST(IconModel, ReadImageTakesItsSizesFromTheHeader)
{
    CIcon icon;
    ASSERT_TRUE(ReadBlock(icon, ClassicBlock(48, 48, 8, 0, 256)));
    EXPECT_EQ(icon.colorCount, 256);
    EXPECT_EQ(icon.imageSize, 3752);
    ASSERT_TRUE(ReadBlock(icon, ClassicBlock(32, 32, 24, 0, 0)));
    EXPECT_EQ(icon.colorCount, 0);
    EXPECT_EQ(icon.bitCount(), 24);
    EXPECT_EQ(icon.imageSize, 3240);
    ASSERT_TRUE(ReadBlock(icon, ClassicBlock(16, 16, 4, 16, 16)));
    EXPECT_EQ(icon.imageSize, 296);

    // Data after the block belongs to someone else and is not taken.
    auto block = ClassicBlock(16, 16, 1, 2, 2);
    std::size_t exact = block.size();
    block.resize(exact + 100, 0xEE);
    ASSERT_TRUE(ReadBlock(icon, block));
    EXPECT_EQ(icon.image.size(), exact);
    EXPECT_EQ(icon.colorCount, 2);
}

TEST(IconModel, ShortColourTablesArePaddedKeepingThePixels)
{
    // 8 bits with 16 entries stored: common in files from other tools.
    auto block = ClassicBlock(8, 8, 8, 16, 16);
    CIcon icon;
    ASSERT_TRUE(ReadBlock(icon, block));
    EXPECT_EQ(icon.colorCount, 256);
    ASSERT_EQ(icon.image.size(), CIcon::BlockSize(8, 8, 256));
    EXPECT_EQ(LoadU32(icon.image.data() + 32), 256u);
    EXPECT_TRUE(std::equal(block.begin() + 40, block.begin() + 40 + 64, icon.image.begin() + 40));
    EXPECT_TRUE(
        std::all_of(icon.image.begin() + 40 + 64, icon.image.begin() + 40 + 1024, [](auto b) { return b == 0; }));
    EXPECT_TRUE(std::equal(block.begin() + 40 + 64, block.end(), icon.image.begin() + 40 + 1024));
}

TEST(IconModel, ReadImageRefusesWhatTheModelCannotHold)
{
    CIcon icon;
    ASSERT_TRUE(ReadBlock(icon, ClassicBlock(16, 16, 4, 0, 16)));
    const auto before = icon.image;

    EXPECT_FALSE(ReadBlock(icon, ClassicBlock(16, 16, 16, 0, 0)));    // 16 bits
    EXPECT_FALSE(ReadBlock(icon, ClassicBlock(16, 16, 2, 0, 4)));     // 2 bits
    EXPECT_FALSE(ReadBlock(icon, ClassicBlock(16, 16, 4, 256, 256))); // table larger than the depth
    EXPECT_FALSE(ReadBlock(icon, ClassicBlock(16, 16, 24, 16, 16)));  // table with 24 bits
    auto shortBlock = ClassicBlock(16, 16, 4, 0, 16);
    shortBlock.pop_back();
    EXPECT_FALSE(ReadBlock(icon, shortBlock));
    auto rle = ClassicBlock(16, 16, 8, 0, 256);
    StoreU32(rle.data() + 16, BI_RLE8);
    EXPECT_FALSE(ReadBlock(icon, rle));
    auto negative = ClassicBlock(16, 16, 4, 0, 16);
    StoreU32(negative.data() + 8, static_cast<std::uint32_t>(-32));
    EXPECT_FALSE(ReadBlock(icon, negative));
    auto core = ClassicBlock(16, 16, 4, 0, 16);
    StoreU32(core.data(), 12);
    EXPECT_FALSE(ReadBlock(icon, core));
    // A header claiming a huge image in a small file.
    auto huge = ClassicBlock(16, 16, 24, 0, 0);
    StoreU32(huge.data() + 4, 4096);
    StoreU32(huge.data() + 8, 8192);
    EXPECT_FALSE(ReadBlock(icon, huge));
    StoreU32(huge.data() + 4, 0x7FFFFFFF);
    StoreU32(huge.data() + 8, 0x7FFFFFFE);
    EXPECT_FALSE(ReadBlock(icon, huge));

    EXPECT_EQ(icon.image, before);
    EXPECT_EQ(icon.colorCount, 16);
}

TEST(IconModel, SortingAndBestFormat)
{
    CIconGroup group;
    CIcon a, b, c;
    a.AllocateImage(32, 32, 256);
    b.AllocateImage(16, 16, 16);
    c.AllocateImage(32, 32, 16);
    group.AddFormat(a);
    group.AddFormat(b);
    group.AddFormat(c);
    ASSERT_EQ(group.FormatCount(), 3);
    EXPECT_EQ(group.GetFormat(0)->FormatLabel(), "16x16x4");
    EXPECT_EQ(group.GetFormat(1)->FormatLabel(), "32x32x4");
    EXPECT_EQ(group.GetFormat(2)->FormatLabel(), "32x32x8");
    EXPECT_EQ(group.GetFormat(3), nullptr);
    EXPECT_EQ(group.GetFormat(-1), nullptr);

    // 32x32 16 colours against 256 colours, wanted 48x48 in 256: 66 against 34.
    CIconGroup pair;
    pair.AddFormat(c);
    pair.AddFormat(a);
    EXPECT_EQ(pair.BestFormat(2, 2), 1);
    EXPECT_EQ(pair.BestFormat(1, 1), 0);

    // Equal distances: the first in sorted order wins (16x16 and 48x48 for 32).
    CIconGroup tie;
    CIcon small, large;
    small.AllocateImage(16, 16, 16);
    large.AllocateImage(48, 48, 16);
    tie.AddFormat(large);
    tie.AddFormat(small);
    EXPECT_EQ(tie.BestFormat(1, 1), 0);
    EXPECT_EQ(tie.GetFormat(0)->width, 16);

    // 32-bit images sort after 24 bits and count as true colour.
    std::vector<FormatKey> keys = {{32, 32, 32, 0}, {32, 32, 24, 0}, {32, 32, 8, 256}};
    EXPECT_TRUE(FormatLess(keys[1], keys[0]));
    EXPECT_TRUE(FormatLess(keys[2], keys[1]));
    std::vector<FormatKey> deep = {{48, 48, 8, 256}, {48, 48, 32, 0}};
    EXPECT_EQ(BestFormatIndex(deep, 2, 2), 0);
    std::vector<FormatKey> onlyDeep = {{16, 16, 4, 16}, {48, 48, 32, 0}};
    EXPECT_EQ(BestFormatIndex(onlyDeep, 2, 2), 1); // 15 against 32
    // 32 bits are the deepest: at equal distance they beat 24 bits.
    std::vector<FormatKey> trueColour = {{32, 32, 24, 0}, {32, 32, 32, 0}, {48, 48, 24, 0}};
    EXPECT_EQ(BestFormatIndex(trueColour, 1, 2), 1);
    EXPECT_EQ(BestFormatIndex(trueColour, 2, 2), 2);
}

TEST(IconModel, TextsOfGroupsAndFormats)
{
    CIconGroup group;
    EXPECT_EQ(group.DisplayName(), "Untitled");
    CIcon icon;
    icon.AllocateImage(16, 16, 2);
    group.AddFormat(icon);
    EXPECT_EQ(group.FormatCountText(0), "(1 format)");
    EXPECT_EQ(group.FormatCountText(7), "(#7, 1 format)");
    group.AddFormat(icon);
    group.AddFormat(icon);
    EXPECT_EQ(group.FormatCountText(0), "(3 formats)");
    EXPECT_EQ(group.FormatCountText(5), "(#5, 3 formats)");
    group.name = "Disk";
    EXPECT_EQ(group.DisplayName(), "Disk");

    EXPECT_EQ(ColorName(1), "Mono");
    EXPECT_EQ(ColorName(4), "16 colors");
    EXPECT_EQ(ColorName(8), "256 colors");
    EXPECT_EQ(ColorName(24), "16,8M colors");
    EXPECT_EQ(ColorName(15), "32768 colors");
    EXPECT_EQ(ColorName(16), "65536 colors");
    EXPECT_EQ(ColorName(32), "16,8M colors (24 bits)");
    EXPECT_EQ(ColorName(7), "");

    CIconObject object(4, 32, 32, 0);
    EXPECT_EQ(object.description, "32x32 - 16 colors");
    object.selection = Rect{1, 2, 3, 4};
    object.SetFormat(24, 48, 16, 0);
    EXPECT_EQ(object.description, "48x16 - 16,8M colors");
    EXPECT_EQ(object.selection, (Rect{-1, -1, -1, -1}));
    EXPECT_EQ(object.workingWidth, 48);
}

TEST(IconModel, GroupCopiesAreDeepAndResetTheDisplayFormat)
{
    CIconGroup group;
    group.name = "One";
    group.displayFormat = 2;
    CIcon icon;
    icon.AllocateImage(16, 16, 16);
    group.AddFormat(icon);
    CIconGroup copy(group);
    EXPECT_EQ(copy.name, "One");
    EXPECT_EQ(copy.displayFormat, -1);
    copy.GetFormat(0)->image[50] = 0xAB;
    EXPECT_EQ(group.GetFormat(0)->image[50], 0);
    group.formats[0]->thumbnailBits.assign(4, 7);
    group.displayFormat = 0;
    EXPECT_EQ(group.FreeThumbnails(), 1);
    EXPECT_EQ(group.displayFormat, -1);
    EXPECT_TRUE(group.GetFormat(0)->thumbnailBits.empty());
}

TEST(IconModel, FreshFormatsPackTransparent)
{
    for (int depth : {1, 4, 8, 24}) {
        CIconObject object(depth, 32, 32, 0);
        object.PackToIcon();
        const CIcon& p = object.packed;
        ASSERT_EQ(p.image.size(), CIcon::BlockSize(32, 32, ColorCountFromBitDepth(depth))) << depth;
        const std::uint8_t* h = p.image.data();
        EXPECT_EQ(LoadU32(h), 40u);
        EXPECT_EQ(LoadU32(h + 4), 32u);
        EXPECT_EQ(LoadU32(h + 8), 64u);
        EXPECT_EQ(LoadU16(h + 12), 1u);
        EXPECT_EQ(LoadU16(h + 14), depth);
        EXPECT_EQ(LoadU32(h + 20), 32 * DibRowBytes(32, depth));
        EXPECT_EQ(LoadU32(h + 32), static_cast<std::uint32_t>(ColorCountFromBitDepth(depth)));
        EXPECT_EQ(LoadU32(h + 36), static_cast<std::uint32_t>(ColorCountFromBitDepth(depth)));
        std::size_t xorAt = 40 + 4 * static_cast<std::size_t>(ColorCountFromBitDepth(depth));
        std::size_t andAt = xorAt + 32 * DibRowBytes(32, depth);
        EXPECT_TRUE(std::all_of(p.image.begin() + xorAt, p.image.begin() + andAt, [](auto b) { return b == 0; }));
        EXPECT_TRUE(std::all_of(p.image.begin() + andAt, p.image.end(), [](auto b) { return b == 0xFF; }));
    }
    // The colour tables: black and white, the 16 standard colours, and for an
    // own-palette 8-bit format the spectrum palette.
    CIcon mono = PackedPicture(1, {"#"});
    EXPECT_EQ(LoadU32(mono.image.data() + 40), 0x000000u);
    EXPECT_EQ(LoadU32(mono.image.data() + 44), 0xFFFFFFu);
    CIcon sixteen = PackedPicture(4, {"#"});
    EXPECT_EQ(LoadU32(sixteen.image.data() + 40 + 4 * 9), 0xFF0000u); // red as blue, green, red, 0
    CIcon own = PackedPicture(8, {"#"}, 1);
    Palette spectrum = SpectrumPalette();
    EXPECT_EQ(own.image[40 + 4 * 10 + 2], spectrum[10].red);
    EXPECT_EQ(own.image[40 + 4 * 9 + 2], 0xA6);
}

TEST(IconModel, PackAndUnpackKeepEveryPixel)
{
    const std::vector<std::string> bw = {
        "#w.i#w..",
        "w#i.w#ii",
        "..##ww.i",
    };
    const std::vector<std::string> colours = {
        "#wrgbycm-.i",
        "i.-mcybgrw#",
        "rrrr....iii",
        "#w#w#w#w#w#",
    };
    struct Case {
        int depth;
        const std::vector<std::string>* rows;
    };
    for (Case c : {Case{1, &bw}, Case{4, &colours}, Case{8, &colours}, Case{24, &colours}, Case{24, &bw}}) {
        CIcon packed = PackedPicture(c.depth, *c.rows);
        Bitmap color, mask;
        ASSERT_TRUE(packed.Unpack(color, mask)) << c.depth;
        EXPECT_TRUE(PictureIs(color, mask, *c.rows)) << "depth " << c.depth;
        // Through a file image and back into an editable format.
        CIconObject object(packed);
        EXPECT_EQ(object.bitDepth, c.depth);
        EXPECT_FALSE(object.converted);
        EXPECT_TRUE(PictureIs(object.color, object.mask, *c.rows)) << "depth " << c.depth;
        object.PackToIcon();
        EXPECT_EQ(object.packed.image, packed.image) << "depth " << c.depth;
    }
}

TEST(IconModel, EightBitPackingTakesTheNearestPaletteEntry)
{
    CIconObject object(8, 3, 1, 0);
    object.color.setRawPixel(0, 0, PixelFromColorRef(RGB(0x7F, 0x7F, 0x7F)));
    object.color.setRawPixel(1, 0, PixelFromColorRef(RGB(0xFF, 0, 0)));
    object.color.setRawPixel(2, 0, PixelFromColorRef(RGB(0x33, 0x66, 0x99)));
    object.mask.fill(RGB(0, 0, 0));
    object.PackToIcon();
    const std::uint8_t* bits = object.packed.image.data() + 40 + 1024;
    EXPECT_EQ(bits[0], 248);
    EXPECT_EQ(bits[1], 249);
    EXPECT_EQ(bits[2], NearestPaletteIndex(RGB(0x33, 0x66, 0x99), StandardPalette()));

    // The image palette of a standard table keeps the flag; another clears it.
    CIcon standard = object.packed;
    ASSERT_TRUE(standard.CreateImagePalette());
    EXPECT_EQ(standard.standardPalette, 1);
    CIcon own = PackedPicture(8, {"r"}, 1);
    auto palette = own.CreateImagePalette();
    ASSERT_TRUE(palette);
    EXPECT_EQ(palette->size(), 256);
    EXPECT_EQ(own.standardPalette, 0);
    CIconObject reopened(own);
    EXPECT_EQ(reopened.ownPalette, 1);
    EXPECT_EQ(reopened.palette, *palette);
    CIcon truecolour = PackedPicture(24, {"r"});
    EXPECT_FALSE(truecolour.CreateImagePalette());
}

TEST(IconModel, ThirtyTwoBitImagesAreEditableWithTheirAlpha)
{
    const std::vector<std::uint32_t> argb = {0x7FFF0000u, 0x80FF0000u, 0xFF00FF00u, 0x000000FFu};
    auto block = ArgbBlock(2, 2, argb);
    CIcon icon;
    ASSERT_TRUE(ReadBlock(icon, block));
    EXPECT_EQ(icon.image, block);
    EXPECT_EQ(icon.bitCount(), 32);
    EXPECT_EQ(icon.colorCount, 0);
    EXPECT_FALSE(icon.isClassic());
    EXPECT_EQ(icon.FormatLabel(), "2x2x32");
    EXPECT_EQ(icon.imageSize, 40 + 16 + 8);
    EXPECT_FALSE(icon.CreateImagePalette());

    CIconObject object(icon);
    EXPECT_FALSE(object.converted);
    EXPECT_EQ(object.bitDepth, 32);
    EXPECT_EQ(object.colorCount, 0);
    EXPECT_FALSE(object.compressed);
    EXPECT_EQ(object.description, "2x2 - 16,8M colors + alpha");
    EXPECT_TRUE(object.color.hasAlpha());
    // Alpha as read; a pixel of alpha 0 has no colour and is masked.
    EXPECT_EQ(object.color.rawPixel(0, 0), 0x7FFF0000u);
    EXPECT_EQ(object.color.rawPixel(1, 0), 0x80FF0000u);
    EXPECT_EQ(object.color.rawPixel(1, 1), 0u);
    EXPECT_TRUE(PictureIs(object.mask, {"##", "#w"}));
    // Unedited, the bytes stay; edited, the pixels are packed again.
    object.PackToIcon();
    EXPECT_EQ(object.packed.image, block);
    object.color.setRawPixel(0, 1, 0x40123456u);
    object.PackToIcon();
    EXPECT_NE(object.packed.image, block);
    EXPECT_EQ(object.packed.bitCount(), 32);
    EXPECT_FALSE(object.packed.isPng());
    CIconObject again(object.packed);
    EXPECT_EQ(again.color.rawPixel(0, 1), 0x40123456u);
    EXPECT_EQ(again.color.rawPixel(0, 0), 0x7FFF0000u);

    // Without any alpha, the AND mask says what is transparent; the rest is opaque.
    auto noAlpha = ArgbBlock(2, 1, {0x00FF0000u, 0x0000FF00u});
    noAlpha[40 + 8] = 0x40; // second pixel's mask bit
    ASSERT_TRUE(ReadBlock(icon, noAlpha));
    Bitmap color, mask;
    ASSERT_TRUE(icon.Unpack(color, mask));
    EXPECT_EQ(color.rawPixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(color.rawPixel(1, 0), 0u);
    EXPECT_EQ(mask.rawPixel(0, 0), 0u);
    EXPECT_EQ(mask.rawPixel(1, 0), 1u);
}

TEST(IconModel, NewThirtyTwoBitFormatsAndTheirForm)
{
    CIconObject small(32, 48, 48, 0), large(32, 256, 256, 0);
    EXPECT_FALSE(small.compressed);
    EXPECT_TRUE(large.compressed);
    EXPECT_TRUE(small.color.hasAlpha());
    EXPECT_EQ(small.color.rawPixel(5, 5), 0u);
    EXPECT_EQ(small.mask.rawPixel(5, 5), 1u);
    // Half-transparent pixels come back as they were, in both forms.
    for (bool compressed : {false, true}) {
        CIconObject o(32, 3, 2, 0);
        o.compressed = compressed;
        o.color.setRawPixel(0, 0, 0x80FF0000u);
        o.color.setRawPixel(1, 0, 0x01010203u);
        o.color.setRawPixel(2, 1, 0xFF00FF00u);
        for (int x : {0, 1})
            o.mask.setRawPixel(x, 0, 0);
        o.mask.setRawPixel(2, 1, 0);
        o.PackToIcon();
        EXPECT_EQ(o.packed.isPng(), compressed);
        CIconObject back(o.packed);
        EXPECT_TRUE(back.color == o.color) << compressed;
        EXPECT_TRUE(back.mask == o.mask) << compressed;
        EXPECT_EQ(back.compressed, compressed);
        // A change of form alone writes the other form.
        back.compressed = !compressed;
        back.PackToIcon();
        EXPECT_EQ(back.packed.isPng(), !compressed);
    }
    // Undo states keep alpha.
    CIconObject o(32, 2, 2, 0);
    o.color.setRawPixel(0, 0, 0x80112233u);
    o.mask.setRawPixel(0, 0, 0);
    o.undo[0].color = o.color;
    o.color.setRawPixel(0, 0, 0u);
    EXPECT_EQ(o.undo[0].color->rawPixel(0, 0), 0x80112233u);
    EXPECT_TRUE(o.undo[0].color->hasAlpha());
}

TEST(IconModel, PngImagesAreKeptAndDecoded)
{
    PngPixels pixels;
    pixels.width = 3;
    pixels.height = 2;
    pixels.argb = {0xFFFF0000u, 0x00000000u, 0xFF0000FFu, 0x80FFFFFFu, 0x10FFFFFFu, 0xFF000000u};
    auto png = EncodePng(pixels);
    ASSERT_FALSE(png.empty());
    // Other data before and after the stream.
    std::vector<std::uint8_t> file(100 + png.size() + 50, 0xDD);
    std::fill(file.begin(), file.begin() + 100, 0xCC);
    std::copy(png.begin(), png.end(), file.begin() + 100);
    MemorySource source(file);
    CIcon icon;
    ASSERT_TRUE(icon.ReadImage(source, 100));
    EXPECT_TRUE(icon.isPng());
    EXPECT_EQ(icon.image, png);
    EXPECT_EQ(icon.FormatLabel(), "3x2xpng");
    EXPECT_EQ(icon.bitCount(), 32);
    // Over green: 50 % white is the average of the two, 1/16 white nearly green.
    const Bitmap over = RenderComposite(icon, RGB(0, 255, 0));
    EXPECT_EQ(over.pixel(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(over.pixel(1, 0), RGB(0, 255, 0));
    EXPECT_EQ(over.pixel(0, 1), RGB(128, 255, 128));
    EXPECT_EQ(over.pixel(1, 1), RGB(16, 255, 16));
    EXPECT_EQ(over.pixel(2, 1), RGB(0, 0, 0));
    CIconObject object(icon);
    EXPECT_FALSE(object.converted);
    EXPECT_EQ(object.bitDepth, 32);
    EXPECT_TRUE(object.compressed);
    EXPECT_EQ(object.color.rawPixel(0, 1), 0x80FFFFFFu);
    object.PackToIcon();
    EXPECT_EQ(object.packed.image, png);

    // A stream cut short, and headers over the limits, are refused.
    std::vector<std::uint8_t> cut(png.begin(), png.end() - 1);
    EXPECT_FALSE(ReadBlock(icon, cut));
    for (std::uint32_t side : {4097u, 0u, 0x80000000u}) {
        auto big = png;
        big[16] = static_cast<std::uint8_t>(side >> 24);
        big[17] = static_cast<std::uint8_t>(side >> 16);
        big[18] = static_cast<std::uint8_t>(side >> 8);
        big[19] = static_cast<std::uint8_t>(side);
        CIcon refused;
        EXPECT_FALSE(ReadBlock(refused, big)) << side;
        EXPECT_FALSE(DecodePng(big)) << side;
    }
    EXPECT_TRUE(icon.isPng()); // unchanged by the refusals
}

TEST(IconModel, RenderCompositesMaskThenColour)
{
    CIcon icon = PackedPicture(4, {"r.i#"});
    Bitmap out = RenderComposite(icon, RGB(0, 0, 255));
    ASSERT_EQ(out.width(), 4);
    EXPECT_EQ(out.pixel(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(out.pixel(1, 0), RGB(0, 0, 255));
    EXPECT_EQ(out.pixel(2, 0), RGB(255, 255, 0)); // inverted blue
    EXPECT_EQ(out.pixel(3, 0), RGB(0, 0, 0));
    EXPECT_TRUE(RenderComposite(CIcon{}, 0).isNull());
}

TEST(IconModel, ReadingIntoAnObject)
{
    CIcon packed = PackedPicture(4, {"r.", "iw"});
    MemorySource good(packed.image);
    CIconObject object;
    ASSERT_TRUE(object.ReadFromFile(good, 0));
    EXPECT_EQ(object.bitDepth, 4);
    EXPECT_EQ(object.description, "2x2 - 16 colors");
    EXPECT_TRUE(PictureIs(object.color, object.mask, {"r.", "iw"}));

    std::vector<std::uint8_t> bad(packed.image.begin(), packed.image.end() - 1);
    MemorySource badSource(bad);
    EXPECT_FALSE(object.ReadFromFile(badSource, 0));
    EXPECT_TRUE(PictureIs(object.color, object.mask, {"r.", "iw"}));

    std::vector<std::uint8_t> out;
    object.WriteToFile(out);
    EXPECT_EQ(out, packed.image);
}

} // namespace
} // namespace kavrel

namespace kavrel {
namespace {

// Packing pixels with alpha as a 32-bit image or a PNG stream: both read back
// with every RGBA value, and the AND mask of the 32-bit image follows alpha 0.
TEST(IconModel, PackArgbRoundTripsBothWays)
{
    PngPixels pixels;
    pixels.width = 9;
    pixels.height = 2;
    for (int i = 0; i < 18; ++i)
        pixels.argb.push_back(static_cast<std::uint32_t>(i * 15) << 24 | static_cast<std::uint32_t>(i * 0x010203));
    for (bool compressed : {false, true}) {
        CIcon icon;
        ASSERT_TRUE(icon.PackArgb(pixels, compressed));
        EXPECT_EQ(icon.isPng(), compressed);
        EXPECT_EQ(icon.bitCount(), 32);
        EXPECT_EQ(icon.FormatLabel(), compressed ? "9x2xpng" : "9x2x32");
        CIcon again;
        ASSERT_TRUE(ReadBlock(again, icon.image));
        EXPECT_EQ(again.image, icon.image);
        auto back = RenderWithAlpha(again);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->argb, pixels.argb) << compressed;
    }
    CIcon dib;
    ASSERT_TRUE(dib.PackArgb(pixels, false));
    // Bottom-up: the first row of the file is the image's last; its AND row
    // follows the 9x2 colour rows; only pixel 0 of the top row has alpha 0.
    const std::size_t andOffset = 40 + 2 * 9 * 4;
    EXPECT_EQ(dib.image[andOffset + 4], 0x80);
    EXPECT_EQ(dib.image[andOffset], 0x00);

    PngPixels wrong = pixels;
    wrong.argb.pop_back();
    EXPECT_FALSE(dib.PackArgb(wrong, false));
    EXPECT_EQ(dib.FormatLabel(), "9x2x32");
}

} // namespace
} // namespace kavrel
