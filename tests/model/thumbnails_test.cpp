#include "model/thumbnails.h"

#include <gtest/gtest.h>

#include "model/png_image.h"
#include "model/settings_model.h"
#include "platform/byte_reader.h"
#include "platform/dib.h"
#include "platform/screen.h"
#include "support/pixel_picture.h"

namespace kavrel {
namespace {

// A 24-bit packed image written byte by byte, so that these tests depend on
// Unpack only.
CIcon MakeIcon24(const Bitmap& color, const Bitmap& mask)
{
    const int w = color.width(), h = color.height();
    CIcon icon;
    EXPECT_TRUE(icon.AllocateImage(w, h, 0));
    std::vector<std::uint8_t>& block = icon.image;
    BitmapInfoHeader header;
    header.biWidth = w;
    header.biHeight = 2 * h;
    header.biBitCount = 24;
    header.biSizeImage = static_cast<std::uint32_t>(h * DibRowBytes(w, 24));
    header.Write(block.data());
    const std::size_t xorRow = DibRowBytes(w, 24), andRow = DibRowBytes(w, 1);
    const std::size_t andStart = 40 + h * xorRow;
    for (int row = 0; row < h; ++row) {
        const int y = h - 1 - row;
        for (int x = 0; x < w; ++x) {
            const COLORREF c = color.pixel(x, y);
            std::uint8_t* p = &block[40 + row * xorRow + 3 * x];
            p[0] = static_cast<std::uint8_t>(GetBValue(c));
            p[1] = static_cast<std::uint8_t>(GetGValue(c));
            p[2] = static_cast<std::uint8_t>(GetRValue(c));
            if (mask.rawPixel(x, y))
                block[andStart + row * andRow + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
    }
    return icon;
}

CIcon SolidIcon(int w, int h, COLORREF c)
{
    Bitmap color = Bitmap::Color(w, h);
    color.fill(c);
    return MakeIcon24(color, Bitmap::Mono(w, h));
}

// The bounding box of the pixels that differ from `background`.
Rect Painted(const Bitmap& bitmap, COLORREF background)
{
    Rect box{bitmap.width(), bitmap.height(), 0, 0};
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            if (bitmap.pixel(x, y) != background) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
    return box;
}

class Thumbnails : public ::testing::Test {
  protected:
    void SetUp() override
    {
        savedColors_ = SysColors();
        savedEcoRes_ = EcoRes;
        EcoRes = 0;
    }
    void TearDown() override
    {
        SysColors() = savedColors_;
        EcoRes = savedEcoRes_;
    }

  private:
    SystemColors savedColors_;
    int savedEcoRes_ = 0;
};

TEST_F(Thumbnails, CellStretchesLargeImagesAndCentresSmallOnes)
{
    // Left half red, right half blue: stretching keeps the halves.
    Bitmap color = Bitmap::Color(64, 64), mask = Bitmap::Mono(64, 64);
    color.fill(RGB(0, 0, 255));
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 32; ++x)
            color.setRawPixel(x, y, PixelFromColorRef(RGB(255, 0, 0)));
    CIcon large = MakeIcon24(color, mask);

    Bitmap target = Bitmap::Color(50, 50);
    target.fill(RGB(0, 255, 0));
    DC dc(target);
    DrawIconCell(large, dc, 5, 5, false, 1, 32, 40, 40);
    EXPECT_EQ(Painted(target, RGB(0, 255, 0)), (Rect{5, 5, 45, 45}));
    EXPECT_EQ(target.pixel(5, 5), RGB(255, 255, 255));
    EXPECT_EQ(target.pixel(44, 44), RGB(255, 255, 255));
    // The image lands at (4, 4)-(36, 36) of the cell.
    EXPECT_EQ(target.pixel(8, 8), RGB(255, 255, 255));
    EXPECT_EQ(target.pixel(9, 9), RGB(255, 0, 0));
    EXPECT_EQ(target.pixel(24, 20), RGB(255, 0, 0));
    EXPECT_EQ(target.pixel(25, 20), RGB(0, 0, 255));
    EXPECT_EQ(target.pixel(40, 40), RGB(0, 0, 255));
    EXPECT_EQ(target.pixel(41, 41), RGB(255, 255, 255));

    CIcon small = SolidIcon(16, 16, RGB(255, 0, 0));
    Bitmap cell = Bitmap::Color(40, 40);
    DC cellDC(cell);
    DrawIconCell(small, cellDC, 0, 0, false, 1, 32, 40, 40);
    EXPECT_EQ(Painted(cell, RGB(255, 255, 255)), (Rect{12, 12, 28, 28}));

    CIcon exact = SolidIcon(32, 32, RGB(255, 0, 0));
    DrawIconCell(exact, cellDC, 0, 0, false, 1, 32, 40, 40);
    EXPECT_EQ(Painted(cell, RGB(255, 255, 255)), (Rect{4, 4, 36, 36}));
}

TEST_F(Thumbnails, MaskAndColourCombineWithTheBackground)
{
    Bitmap color, mask;
    test::ImagePicture({".ir", "r.i"}, color, mask);
    CIcon icon = MakeIcon24(color, mask);

    SysColors().window = RGB(0, 255, 0);
    Bitmap cell = Bitmap::Color(7, 4);
    DC cellDC(cell);
    DrawIconCell(icon, cellDC, 0, 0, false, 1, 32, 7, 4);
    EXPECT_TRUE(test::PictureIs(cell, {"ggggggg", "gggmrgg", "ggrgmgg", "ggggggg"}));

    // The 32x32 form has no background of its own.
    Bitmap target = Bitmap::Color(40, 40);
    target.fill(RGB(0, 0, 255));
    DC dc(target);
    DrawIcon32(icon, dc, 4, 4);
    EXPECT_EQ(target.pixel(4 + 14, 4 + 15), RGB(0, 0, 255));
    EXPECT_EQ(target.pixel(4 + 15, 4 + 15), RGB(255, 255, 0));
    EXPECT_EQ(target.pixel(4 + 16, 4 + 15), RGB(255, 0, 0));
    EXPECT_EQ(target.pixel(4 + 16, 4 + 16), RGB(255, 255, 0));

    // Actual size ignores the caller's text and background colours.
    target.fill(RGB(255, 255, 255));
    dc.textColor = RGB(255, 0, 0);
    dc.bkColor = RGB(0, 0, 255);
    DrawIconActual(icon, dc, 1, 2);
    EXPECT_EQ(target.pixel(1, 2), RGB(255, 255, 255));
    EXPECT_EQ(target.pixel(2, 2), RGB(0, 0, 0));
    EXPECT_EQ(target.pixel(3, 2), RGB(255, 0, 0));
    EXPECT_EQ(target.pixel(1, 3), RGB(255, 0, 0));
    EXPECT_EQ(target.pixel(4, 2), RGB(255, 255, 255));
    EXPECT_EQ(dc.textColor, RGB(255, 0, 0));
}

TEST_F(Thumbnails, AlphaImagesBlendWithTheBackground)
{
    // Opaque red, 50 % white, transparent; stored in both 32-bit forms.
    PngPixels pixels{3, 1, {0xFFFF0000u, 0x80FFFFFFu, 0x00000000u}};
    SysColors().window = RGB(0, 0, 0);
    for (bool compressed : {false, true}) {
        CIcon icon;
        ASSERT_TRUE(icon.PackArgb(pixels, compressed));
        Bitmap cell = Bitmap::Color(5, 3);
        DC cellDC(cell);
        DrawIconCell(icon, cellDC, 0, 0, false, 1, 32, 5, 3);
        EXPECT_EQ(cell.pixel(1, 1), RGB(255, 0, 0));
        EXPECT_EQ(cell.pixel(2, 1), RGB(128, 128, 128)) << compressed;
        EXPECT_EQ(cell.pixel(3, 1), RGB(0, 0, 0));

        // Drawn over what the target holds, stretched too.
        Bitmap target = Bitmap::Color(32, 32);
        target.fill(RGB(0, 0, 255));
        DC dc(target);
        DrawIconActual(icon, dc, 0, 0);
        EXPECT_EQ(target.pixel(1, 0), RGB(128, 128, 255));
        EXPECT_EQ(target.pixel(2, 0), RGB(0, 0, 255));
        target.fill(RGB(0, 0, 255));
        DrawIcon32(icon, dc, 0, 0); // centred at its size
        EXPECT_EQ(target.pixel(14, 15), RGB(255, 0, 0));
        EXPECT_EQ(target.pixel(15, 15), RGB(128, 128, 255));
        EXPECT_EQ(target.pixel(16, 15), RGB(0, 0, 255));
        // A cell smaller than the image stretches it and still blends.
        target.fill(RGB(0, 0, 255));
        icon.FreeThumbnail();
        DrawIconCell(icon, dc, 0, 0, false, 1, 2, 6, 2);
        EXPECT_EQ(target.pixel(2, 0), RGB(255, 0, 0));
        EXPECT_EQ(target.pixel(3, 1), RGB(128, 128, 128)) << "on the window colour";
    }
}

TEST_F(Thumbnails, LargeImagesFillThe48And32Squares)
{
    CIcon large = SolidIcon(64, 40, RGB(255, 0, 0));
    CIcon small = SolidIcon(16, 16, RGB(255, 0, 0));
    Bitmap target = Bitmap::Color(60, 60);
    DC dc(target);

    target.fill(RGB(0, 255, 0));
    DrawIcon48(large, dc, 2, 3, false, false);
    EXPECT_EQ(Painted(target, RGB(0, 255, 0)), (Rect{2, 3, 50, 51}));
    EXPECT_EQ(target.pixel(2, 3), RGB(255, 0, 0));

    target.fill(RGB(0, 255, 0));
    DrawIcon48(small, dc, 0, 0, false, false);
    EXPECT_EQ(Painted(target, RGB(0, 255, 0)), (Rect{0, 0, 48, 48}));
    EXPECT_EQ(target.pixel(16, 16), RGB(255, 0, 0));
    EXPECT_EQ(target.pixel(15, 16), RGB(255, 255, 255));
    EXPECT_EQ(target.pixel(31, 31), RGB(255, 0, 0));
    EXPECT_EQ(target.pixel(32, 32), RGB(255, 255, 255));

    target.fill(RGB(0, 255, 0));
    DrawIcon32(large, dc, 10, 10);
    EXPECT_EQ(Painted(target, RGB(0, 255, 0)), (Rect{10, 10, 42, 42}));
    target.fill(RGB(0, 255, 0));
    DrawIcon32(small, dc, 10, 10);
    EXPECT_EQ(Painted(target, RGB(0, 255, 0)), (Rect{18, 18, 34, 34}));
}

TEST_F(Thumbnails, FramesOverlayTheCell)
{
    CIcon icon = SolidIcon(8, 8, RGB(255, 0, 0));
    SysColors().highlight = RGB(0, 0, 255);
    Bitmap cell = Bitmap::Color(10, 10);
    DC dc(cell);
    DrawIconCell(icon, dc, 0, 0, true, 2, 32, 10, 10);
    EXPECT_EQ(cell.pixel(0, 0), RGB(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(cell.pixel(1, 0), RGB(255, 255, 255));
    EXPECT_EQ(cell.pixel(1, 1), RGB(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(cell.pixel(2, 1), RGB(255, 0, 0));
    DrawIconCell(icon, dc, 0, 0, true, 0, 32, 10, 10);
    EXPECT_EQ(cell.pixel(0, 0), RGB(0x80, 0x80, 0x80));
    DrawIconCell(icon, dc, 0, 0, true, 1, 32, 10, 10);
    EXPECT_EQ(cell.pixel(0, 0), RGB(0, 0, 255));
    // The frame is not part of the cached cell.
    DrawIconCell(icon, dc, 0, 0, false, 1, 32, 10, 10);
    EXPECT_EQ(cell.pixel(0, 0), RGB(255, 255, 255));

    Bitmap big = Bitmap::Color(48, 48);
    DC bigDC(big);
    DrawIcon48(icon, bigDC, 0, 0, true, true);
    EXPECT_EQ(big.pixel(2, 0), RGB(0, 0, 255));
    EXPECT_EQ(big.pixel(3, 0), RGB(255, 255, 255));
    DrawIcon48(icon, bigDC, 0, 0, true, false);
    EXPECT_EQ(big.pixel(2, 0), RGB(0x80, 0x80, 0x80));
}

TEST_F(Thumbnails, CellIsCachedUnlessEcoRes)
{
    CIcon icon = SolidIcon(16, 16, RGB(255, 0, 0));
    Bitmap cell = Bitmap::Color(20, 20);
    DC dc(cell);
    DrawIconCell(icon, dc, 0, 0, false, 1, 32, 20, 20);
    EXPECT_EQ(icon.thumbnailSize, kThumbnailCellSize * kThumbnailCellSize * 4);
    EXPECT_EQ(cell.pixel(10, 10), RGB(255, 0, 0));

    // Repaint the packed image blue: the cached cell still shows red.
    const std::size_t xorStart = 40;
    for (std::size_t i = xorStart; i < xorStart + 16 * DibRowBytes(16, 24); i += 3) {
        icon.image[i] = 0xFF;
        icon.image[i + 2] = 0;
    }
    cell.fill(RGB(0, 0, 0));
    DrawIconCell(icon, dc, 0, 0, false, 1, 32, 20, 20);
    EXPECT_EQ(cell.pixel(10, 10), RGB(255, 0, 0));
    EXPECT_EQ(cell.pixel(0, 0), RGB(255, 255, 255));

    icon.FreeThumbnail();
    DrawIconCell(icon, dc, 0, 0, false, 1, 32, 20, 20);
    EXPECT_EQ(cell.pixel(10, 10), RGB(0, 0, 255));

    EcoRes = 1;
    for (std::size_t i = xorStart; i < xorStart + 16 * DibRowBytes(16, 24); i += 3)
        icon.image[i + 1] = 0xFF; // now cyan
    DrawIconCell(icon, dc, 0, 0, false, 1, 32, 20, 20);
    EXPECT_EQ(cell.pixel(10, 10), RGB(0, 255, 255));
    EXPECT_TRUE(icon.thumbnailBits.empty());
    EXPECT_EQ(icon.thumbnailSize, 0);
}

TEST_F(Thumbnails, EmptyIconsDrawOnlyTheBackground)
{
    CIcon empty;
    Bitmap cell = Bitmap::Color(10, 10);
    cell.fill(RGB(255, 0, 0));
    DC dc(cell);
    DrawIconCell(empty, dc, 0, 0, false, 1, 32, 10, 10);
    EXPECT_EQ(Painted(cell, RGB(255, 255, 255)), (Rect{10, 10, 0, 0}));
    EXPECT_TRUE(empty.thumbnailBits.empty());
    DrawIcon32(empty, dc, 0, 0);
    DrawIconActual(empty, dc, 0, 0);
    EXPECT_EQ(cell.pixel(5, 5), RGB(255, 255, 255));
}

} // namespace
} // namespace kavrel
