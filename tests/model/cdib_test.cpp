#include "model/cdib.h"

#include <gtest/gtest.h>

#include "platform/screen.h"

namespace kavrel {
namespace {

// A packed DIB whose bytes follow a simple pattern, so that any byte lost,
// doubled or moved shows.
PackedDib MakeDib(int width, int height, int bitCount, int colors)
{
    BitmapInfoHeader header;
    header.biWidth = width;
    header.biHeight = height;
    header.biBitCount = static_cast<std::uint16_t>(bitCount);
    header.biClrUsed = static_cast<std::uint32_t>(colors);
    header.biSizeImage = static_cast<std::uint32_t>(DibRowBytes(width, bitCount) * std::abs(height));
    PackedDib dib;
    dib.bytes.resize(40 + 4 * static_cast<std::size_t>(colors) + header.biSizeImage);
    header.Write(dib.bytes.data());
    for (std::size_t i = 40; i < dib.bytes.size(); ++i)
        dib.bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    for (int c = 0; c < colors; ++c)
        dib.bytes[40 + 4 * c + 3] = 0;
    return dib;
}

std::vector<std::uint8_t> Stored(const CDIB& dib)
{
    ByteWriter out;
    dib.Store(out);
    return out.take();
}

TEST(CDIB, StoredFormIsFlagCountAndBlock)
{
    const PackedDib dib = MakeDib(3, 2, 4, 16);
    ASSERT_EQ(dib.bytes.size(), 40u + 64u + 8u);
    const std::vector<std::uint8_t> bytes = Stored(CDIB(dib));
    ASSERT_EQ(bytes.size(), 8u + 112u);
    EXPECT_EQ(LoadU32(bytes.data()), 1u);
    EXPECT_EQ(LoadU32(bytes.data() + 4), 112u);
    EXPECT_TRUE(std::equal(dib.bytes.begin(), dib.bytes.end(), bytes.begin() + 8));

    EXPECT_EQ(Stored(CDIB()), (std::vector<std::uint8_t>{0, 0, 0, 0}));

    // The count is what the header describes: extra bytes after the rows are
    // not stored, a block that stops short is padded with zeros.
    PackedDib longer = dib;
    longer.bytes.push_back(0xEE);
    EXPECT_EQ(Stored(CDIB(longer)), bytes);
    PackedDib shorter = dib;
    shorter.bytes.resize(100);
    const auto padded = Stored(CDIB(shorter));
    ASSERT_EQ(padded.size(), bytes.size());
    EXPECT_EQ(LoadU32(padded.data() + 4), 112u);
    EXPECT_EQ(padded.back(), 0);
}

TEST(CDIB, LoadRoundTripsAndBuildsThePalette)
{
    // 60 000 bytes of rows: more than one 32768-byte piece.
    const PackedDib big = MakeDib(200, 100, 24, 0);
    const PackedDib indexed = MakeDib(5, -3, 8, 256);
    ByteWriter out;
    CDIB(big).Store(out);
    CDIB(indexed).Store(out);
    CDIB().Store(out);
    const std::vector<std::uint8_t> bytes = out.take();

    ByteReader in(bytes);
    CDIB first, second, third(MakeDib(1, 1, 1, 2));
    ASSERT_TRUE(first.Load(in));
    EXPECT_EQ(first.dib().bytes, big.bytes);
    EXPECT_EQ(first.palette().size(), 0);
    EXPECT_EQ(first.width(), 200);
    EXPECT_EQ(first.height(), 100);

    ASSERT_TRUE(second.Load(in));
    EXPECT_EQ(second.dib().bytes, indexed.bytes);
    ASSERT_EQ(second.palette().size(), 256);
    EXPECT_EQ(second.palette()[1].blue, indexed.bytes[44]);
    EXPECT_EQ(second.palette()[1].red, indexed.bytes[46]);
    EXPECT_EQ(second.height(), 3);

    ASSERT_TRUE(third.Load(in));
    EXPECT_TRUE(third.empty());
    EXPECT_EQ(in.remaining(), 0u);
}

TEST(CDIB, BadStoredFormsLeaveThePictureUnchanged)
{
    const PackedDib kept = MakeDib(2, 2, 1, 2);
    const std::vector<std::uint8_t> good = Stored(CDIB(MakeDib(4, 4, 8, 256)));

    auto refused = [&](std::vector<std::uint8_t> bytes) {
        CDIB dib(kept);
        ByteReader in(bytes);
        const bool loaded = dib.Load(in);
        EXPECT_EQ(dib.dib().bytes, kept.bytes);
        EXPECT_EQ(in.pos(), 0u);
        return !loaded;
    };

    EXPECT_TRUE(refused({}));
    EXPECT_TRUE(refused({1, 0, 0}));
    EXPECT_TRUE(refused(std::vector<std::uint8_t>(good.begin(), good.end() - 1))); // truncated block
    auto huge = good;
    StoreU32(huge.data() + 4, 0xFFFFFFF0u); // count beyond the stream
    EXPECT_TRUE(refused(huge));
    auto shortCount = good;
    StoreU32(shortCount.data() + 4, 40 + 1024); // rows missing from the block
    shortCount.resize(8 + 40 + 1024);
    EXPECT_TRUE(refused(shortCount));
    auto badDepth = good;
    badDepth[8 + 14] = 7;
    EXPECT_TRUE(refused(badDepth));
    auto badHeader = good;
    StoreU32(badHeader.data() + 8, 99);
    EXPECT_TRUE(refused(badHeader));
}

TEST(CDIB, DrawFitsThePictureKeepingItsAspectRatio)
{
    const CDIB wide(MakeDib(20, 10, 24, 0));
    EXPECT_EQ(wide.FitRect({0, 0, 40, 40}), (Rect{0, 10, 40, 30}));
    EXPECT_EQ(wide.FitRect({10, 5, 20, 105}), (Rect{10, 52, 20, 57}));
    const CDIB tall(MakeDib(10, 20, 24, 0));
    EXPECT_EQ(tall.FitRect({0, 0, 40, 40}), (Rect{10, 0, 30, 40}));
    EXPECT_EQ(tall.FitRect({0, 0, 0, 40}), (Rect{}));
    EXPECT_EQ(CDIB().FitRect({0, 0, 40, 40}), (Rect{}));

    // Two pixels, red then blue, bottom-up: one row.
    BitmapInfoHeader header;
    header.biWidth = 2;
    header.biHeight = 1;
    header.biBitCount = 24;
    PackedDib pair;
    pair.bytes.resize(48);
    header.Write(pair.bytes.data());
    const std::uint8_t row[8] = {0, 0, 255, 255, 0, 0, 0, 0};
    std::copy(std::begin(row), std::end(row), pair.bytes.begin() + 40);

    Bitmap target = Bitmap::Color(40, 40);
    target.fill(RGB(0, 255, 0));
    DC dc(target);
    CDIB(pair).Draw(dc, {0, 0, 40, 40});
    EXPECT_EQ(target.pixel(0, 9), RGB(0, 255, 0));
    EXPECT_EQ(target.pixel(0, 10), RGB(255, 0, 0));
    EXPECT_EQ(target.pixel(19, 29), RGB(255, 0, 0));
    EXPECT_EQ(target.pixel(20, 10), RGB(0, 0, 255));
    EXPECT_EQ(target.pixel(39, 30), RGB(0, 255, 0));

    // An 8-bit screen shows a true-colour picture through the standard palette.
    ScreenInfo eight;
    eight.bitsPerPixel = 8;
    ScopedScreen screen(eight);
    pair.bytes[40] = 26; // blue 26 dithers between levels 0 and 1
    pair.bytes[41] = 0;
    pair.bytes[42] = 0;
    target.fill(RGB(0, 255, 0));
    CDIB(pair).Draw(dc, {0, 0, 2, 1});
    const COLORREF first = target.pixel(0, 0);
    EXPECT_TRUE(first == RGB(0, 0, 0) || first == RGB(0, 0, 0x33));
    EXPECT_EQ(target.pixel(1, 0), RGB(0, 0, 255));
}

} // namespace
} // namespace kavrel
