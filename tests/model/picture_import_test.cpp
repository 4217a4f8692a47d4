#include "model/picture_import.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include <unistd.h>

#include "model/ico_file.h"
#include "model/palettes.h"
#include "model/settings_model.h"
#include "platform/screen.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;

// --- reading a result back, independently of the reader's own view --------

struct DibFacts {
    int width = 0, height = 0, bitCount = 0, colors = 0;
    std::uint32_t compression = 0;
};

DibFacts FactsOf(const PackedDib& dib)
{
    const auto& b = dib.bytes;
    if (b.size() < 40)
        return {};
    DibFacts f;
    f.width = static_cast<int>(LoadU32(&b[4]));
    f.height = static_cast<int>(LoadU32(&b[8]));
    f.bitCount = LoadU16(&b[14]);
    f.compression = LoadU32(&b[16]);
    f.colors = static_cast<int>(LoadU32(&b[32]));
    if (f.colors == 0 && f.bitCount <= 8)
        f.colors = 1 << f.bitCount;
    return f;
}

// The colour of pixel (x, y), y counted from the top, as 0x00BBGGRR.
COLORREF PixelOf(const PackedDib& dib, int x, int y)
{
    DibFacts f = FactsOf(dib);
    std::size_t stride = static_cast<std::size_t>((f.bitCount * f.width + 31) / 32 * 4);
    const std::uint8_t* table = dib.bytes.data() + 40;
    const std::uint8_t* row = table + f.colors * 4 + static_cast<std::size_t>(f.height - 1 - y) * stride;
    EXPECT_LE(static_cast<std::size_t>(row - dib.bytes.data()) + stride, dib.bytes.size());
    if (f.bitCount == 24)
        return RGB(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]);
    int i = 0;
    switch (f.bitCount) {
    case 1:
        i = (row[x / 8] >> (7 - x % 8)) & 1;
        break;
    case 4:
        i = x % 2 ? row[x / 2] & 15 : row[x / 2] >> 4;
        break;
    default:
        i = row[x];
        break;
    }
    return RGB(table[i * 4 + 2], table[i * 4 + 1], table[i * 4]);
}

int IndexOf(const PackedDib& dib, int x, int y)
{
    DibFacts f = FactsOf(dib);
    std::size_t stride = static_cast<std::size_t>((f.width + 3) / 4 * 4);
    return dib.bytes[40 + f.colors * 4 + static_cast<std::size_t>(f.height - 1 - y) * stride + x];
}

// --- building BMP files ------------------------------------------------------

struct BmpSpec {
    int width = 0, height = 0, bitCount = 8;
    std::uint32_t compression = BI_RGB;
    std::vector<COLORREF> table;
    std::vector<std::uint8_t> bits; // as stored
    bool core = false;
    std::uint32_t clrUsed = 0;
};

BmpSpec Spec(int width, int height, int bitCount, std::uint32_t compression = BI_RGB)
{
    BmpSpec s;
    s.width = width;
    s.height = height;
    s.bitCount = bitCount;
    s.compression = compression;
    return s;
}

std::vector<std::uint8_t> BuildBmp(const BmpSpec& s)
{
    ByteWriter w;
    std::uint32_t headerSize = s.core ? 12 : 40;
    std::uint32_t entry = s.core ? 3 : 4;
    std::uint32_t offBits = 14 + headerSize + static_cast<std::uint32_t>(s.table.size()) * entry;
    w.u8('B');
    w.u8('M');
    w.u32(offBits + static_cast<std::uint32_t>(s.bits.size()));
    w.u32(0);
    w.u32(offBits);
    w.u32(headerSize);
    if (s.core) {
        w.u16(static_cast<std::uint16_t>(s.width));
        w.u16(static_cast<std::uint16_t>(s.height));
        w.u16(1);
        w.u16(static_cast<std::uint16_t>(s.bitCount));
    } else {
        w.i32(s.width);
        w.i32(s.height);
        w.u16(1);
        w.u16(static_cast<std::uint16_t>(s.bitCount));
        w.u32(s.compression);
        w.u32(s.compression ? static_cast<std::uint32_t>(s.bits.size()) : 0);
        w.u32(0);
        w.u32(0);
        w.u32(s.clrUsed);
        w.u32(0);
    }
    for (COLORREF c : s.table) {
        w.u8(static_cast<std::uint8_t>(GetBValue(c)));
        w.u8(static_cast<std::uint8_t>(GetGValue(c)));
        w.u8(static_cast<std::uint8_t>(GetRValue(c)));
        if (!s.core)
            w.u8(0);
    }
    w.bytes(s.bits);
    return w.take();
}

PackedDib ReadBytes(const std::vector<std::uint8_t>& bytes)
{
    MemorySource source(bytes);
    return ReadBmp(source);
}

class PictureFiles : public ::testing::Test {
  protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("kavrel-picture-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const
    {
        std::ofstream(Path(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    static bool HaveConvert() { return std::system("convert -version >/dev/null 2>&1") == 0; }
    bool Convert(const std::string& args) const
    {
        std::string cmd = "cd '" + dir_.string() + "' && convert " + args + " >/dev/null 2>&1";
        return std::system(cmd.c_str()) == 0;
    }
    std::vector<std::uint8_t> Read(const std::string& name) const { return *ReadWholeFile(Path(name)); }

    fs::path dir_;
};

// A 24-bit BMP of w x h whose pixel (x, y from the top) is colour(x, y).
template <class F> std::vector<std::uint8_t> TrueColorBmp(int w, int h, F colour)
{
    BmpSpec s = Spec(w, h, 24);
    std::size_t stride = static_cast<std::size_t>((24 * w + 31) / 32 * 4);
    s.bits.assign(stride * static_cast<std::size_t>(h), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            COLORREF c = colour(x, y);
            std::uint8_t* p = &s.bits[static_cast<std::size_t>(h - 1 - y) * stride + static_cast<std::size_t>(x) * 3];
            p[0] = static_cast<std::uint8_t>(GetBValue(c));
            p[1] = static_cast<std::uint8_t>(GetGValue(c));
            p[2] = static_cast<std::uint8_t>(GetRValue(c));
        }
    return BuildBmp(s);
}

// --- tests -----------------------------------------------------------------

TEST(PictureImport, FitKeepsProportionsAndNeverEnlarges)
{
    EXPECT_EQ(FitPictureSize(320, 200, 32, 32), (PictureSize{32, 20}));
    EXPECT_EQ(FitPictureSize(20, 40, 32, 32), (PictureSize{16, 32}));
    EXPECT_EQ(FitPictureSize(16, 16, 32, 32), (PictureSize{16, 16}));
    EXPECT_EQ(FitPictureSize(32, 32, 32, 32), (PictureSize{32, 32}));
    EXPECT_EQ(FitPictureSize(40, 10, 16, 48), (PictureSize{16, 4}));
    // A sliver still gets one pixel across rather than vanishing.
    EXPECT_EQ(FitPictureSize(1000, 1, 32, 32), (PictureSize{32, 1}));
    EXPECT_EQ(FitPictureSize(1, 4000, 32, 32), (PictureSize{1, 32}));
}

TEST(PictureImport, KindByExtension)
{
    EXPECT_EQ(PictureKindOf("PHOTO.JPG"), PictureKind::Jpeg);
    EXPECT_EQ(PictureKindOf("/a/b/photo.jpg"), PictureKind::Jpeg);
    EXPECT_EQ(PictureKindOf("photo.JPEG"), PictureKind::Jpeg);
    EXPECT_EQ(PictureKindOf("photojpeg"), PictureKind::None);
    EXPECT_EQ(PictureKindOf("image.Rle"), PictureKind::Bitmap);
    EXPECT_EQ(PictureKindOf("x.bmp"), PictureKind::Bitmap);
    EXPECT_EQ(PictureKindOf("x.DIB"), PictureKind::Bitmap);
    EXPECT_EQ(PictureKindOf("x.png"), PictureKind::Png);
    EXPECT_EQ(PictureKindOf("ab"), PictureKind::None);
}

TEST(PictureImport, ReadsEveryDepthAndCoreHeadersExactly)
{
    // 1 bit, 3x2: row padding to 4 bytes, leftmost pixel in the high bit.
    for (bool core : {false, true}) {
        SCOPED_TRACE(core ? "core" : "info");
        BmpSpec mono = Spec(3, 2, 1);
        mono.core = core;
        mono.table = {RGB(10, 20, 30), RGB(200, 100, 50)};
        mono.bits = {0xA0, 0, 0, 0, 0x40, 0, 0, 0}; // bottom row 101, top row 010
        PackedDib dib = ReadBytes(BuildBmp(mono));
        ASSERT_FALSE(dib.empty());
        EXPECT_EQ(FactsOf(dib).bitCount, 1);
        EXPECT_EQ(PixelOf(dib, 0, 0), RGB(10, 20, 30));
        EXPECT_EQ(PixelOf(dib, 1, 0), RGB(200, 100, 50));
        EXPECT_EQ(PixelOf(dib, 0, 1), RGB(200, 100, 50));
        EXPECT_EQ(PixelOf(dib, 1, 1), RGB(10, 20, 30));

        BmpSpec four = Spec(3, 1, 4);
        four.core = core;
        four.table.assign(16, RGB(0, 0, 0));
        four.table[2] = RGB(1, 2, 3);
        four.table[15] = RGB(250, 0, 5);
        four.bits = {0x2F, 0x20, 0, 0};
        dib = ReadBytes(BuildBmp(four));
        ASSERT_FALSE(dib.empty());
        EXPECT_EQ(PixelOf(dib, 0, 0), RGB(1, 2, 3));
        EXPECT_EQ(PixelOf(dib, 1, 0), RGB(250, 0, 5));
        EXPECT_EQ(PixelOf(dib, 2, 0), RGB(1, 2, 3));

        BmpSpec eight = Spec(2, 1, 8);
        eight.core = core;
        eight.table.assign(256, RGB(0, 0, 0));
        eight.table[200] = RGB(9, 8, 7);
        eight.bits = {200, 0, 0, 0};
        dib = ReadBytes(BuildBmp(eight));
        ASSERT_FALSE(dib.empty());
        EXPECT_EQ(PixelOf(dib, 0, 0), RGB(9, 8, 7));
        EXPECT_EQ(PixelOf(dib, 1, 0), RGB(0, 0, 0));
    }

    PackedDib dib = ReadBytes(TrueColorBmp(3, 2, [](int x, int y) { return RGB(x * 50, y * 100, 7); }));
    ASSERT_FALSE(dib.empty());
    EXPECT_EQ(FactsOf(dib).bitCount, 24);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(PixelOf(dib, x, y), RGB(x * 50, y * 100, 7));

    // A short table named by biClrUsed; a top-down picture comes back bottom-up.
    BmpSpec topDown = Spec(2, -2, 8);
    topDown.clrUsed = 2;
    topDown.table = {RGB(255, 0, 0), RGB(0, 0, 255)};
    topDown.bits = {0, 1, 0, 0, 1, 0, 0, 0}; // first stored row is the top
    dib = ReadBytes(BuildBmp(topDown));
    ASSERT_FALSE(dib.empty());
    EXPECT_EQ(FactsOf(dib).height, 2);
    EXPECT_EQ(FactsOf(dib).colors, 2);
    EXPECT_EQ(PixelOf(dib, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(PixelOf(dib, 1, 0), RGB(0, 0, 255));
    EXPECT_EQ(PixelOf(dib, 0, 1), RGB(0, 0, 255));
}

TEST(PictureImport, Rle8IsDecodedAndRle4Refused)
{
    BmpSpec rle = Spec(6, 3, 8, BI_RLE8);
    rle.table.assign(256, RGB(0, 0, 0));
    for (int i = 1; i < 8; ++i)
        rle.table[static_cast<std::size_t>(i)] = RGB(i * 30, 0, 0);
    rle.bits = {
        3, 1, 0, 3, 2, 3, 4, 0, // bottom row: run of three 1s, absolute 2 3 4 (padded)
        0, 0,                   // end of line
        0, 2, 2, 1,             // delta: two right, one up (to row 2, column 2)
        2, 5,                   // top row: 5 5 at columns 2-3
        0, 1,                   // end of bitmap
    };
    PackedDib dib = ReadBytes(BuildBmp(rle));
    ASSERT_FALSE(dib.empty());
    DibFacts f = FactsOf(dib);
    EXPECT_EQ(f.compression, BI_RGB);
    EXPECT_EQ(f.bitCount, 8);
    const int expected[3][6] = {{0, 0, 5, 5, 0, 0}, {0, 0, 0, 0, 0, 0}, {1, 1, 1, 2, 3, 4}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(IndexOf(dib, x, y), expected[y][x]) << x << "," << y;

    // A run into the row's padding, as some encoders write, is read and the
    // padding left clear.
    BmpSpec padded = rle;
    padded.bits = {8, 6, 0, 1};
    dib = ReadBytes(BuildBmp(padded));
    ASSERT_FALSE(dib.empty());
    EXPECT_EQ(IndexOf(dib, 5, 2), 6);
    EXPECT_EQ(dib.bytes[40 + 256 * 4 + 6], 0);
    EXPECT_EQ(dib.bytes[40 + 256 * 4 + 7], 0);

    // Runs or deltas that leave the bitmap give no picture.
    for (std::vector<std::uint8_t> bad : std::vector<std::vector<std::uint8_t>>{
             {9, 1, 0, 1},                   // run past the row's padding
             {0, 0, 0, 0, 0, 0, 1, 1, 0, 1}, // run below the last row
             {0, 2, 9, 0, 0, 1},             // delta past the right edge
             {0, 2, 0, 9, 0, 1},             // delta past the top
             {0, 5, 1, 2},                   // absolute run cut short
         }) {
        BmpSpec b = rle;
        b.bits = bad;
        EXPECT_TRUE(ReadBytes(BuildBmp(b)).empty());
    }

    BmpSpec rle4 = Spec(4, 1, 4, BI_RLE4);
    rle4.table.assign(16, RGB(0, 0, 0));
    rle4.bits = {4, 0x12, 0, 1};
    EXPECT_TRUE(ReadBytes(BuildBmp(rle4)).empty());
}

TEST(PictureImport, DamagedBitmapsGiveNoPicture)
{
    BmpSpec s = Spec(5, 4, 8);
    s.table.assign(256, RGB(1, 1, 1));
    s.bits.assign(8 * 4, 3);
    std::vector<std::uint8_t> good = BuildBmp(s);
    ASSERT_FALSE(ReadBytes(good).empty());
    for (std::size_t n = 0; n < good.size(); ++n)
        EXPECT_TRUE(ReadBytes({good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n)}).empty()) << n;

    auto patched = [&](std::size_t at, std::uint32_t v) {
        std::vector<std::uint8_t> b = good;
        StoreU32(&b[at], v);
        return ReadBytes(b);
    };
    EXPECT_TRUE(patched(10, 0xFFFFFFF0u).empty()); // bits beyond the file
    EXPECT_TRUE(patched(18, 100000).empty());      // width past the limit
    EXPECT_TRUE(patched(22, 0x80000000u).empty()); // most negative height
    EXPECT_TRUE(patched(18, 4000).empty());        // bits shorter than the header says
    EXPECT_TRUE(patched(46, 0x40000000u).empty()); // colour table larger than the file
    EXPECT_TRUE(patched(14, 20).empty());          // unknown header sizes
    EXPECT_TRUE(patched(14, 200).empty());
    std::vector<std::uint8_t> notBm = good;
    notBm[0] = 'X';
    EXPECT_TRUE(ReadBytes(notBm).empty());
    BmpSpec sixteen = Spec(2, 2, 16);
    sixteen.bits.assign(8, 0);
    EXPECT_TRUE(ReadBytes(BuildBmp(sixteen)).empty());

    // Random damage never crashes.
    std::mt19937 rng(7);
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::uint8_t> b = good;
        for (int k = 0; k < 4; ++k)
            b[rng() % b.size()] = static_cast<std::uint8_t>(rng());
        (void)ReadBytes(b);
    }
}

TEST_F(PictureFiles, BitmapsWrittenByImageMagickReadExactly)
{
    if (!HaveConvert())
        GTEST_SKIP() << "ImageMagick convert is not installed";
    // A picture of w x h pixels from a palette of `colours` colours.
    auto picture = [&](int w, int h, int colours) {
        std::vector<COLORREF> pixels;
        ByteWriter ppm;
        std::string head = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
        ppm.bytes({reinterpret_cast<const std::uint8_t*>(head.data()), head.size()});
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                int k = (x * 7 + y * 3) % colours;
                COLORREF c = colours == 2 ? (k ? RGB(255, 255, 255) : RGB(0, 0, 0))
                                          : RGB(k * 255 / colours, 255 - k * 3, (k * 37) % 256);
                pixels.push_back(c);
                ppm.u8(static_cast<std::uint8_t>(GetRValue(c)));
                ppm.u8(static_cast<std::uint8_t>(GetGValue(c)));
                ppm.u8(static_cast<std::uint8_t>(GetBValue(c)));
            }
        Write("in.ppm", ppm.data());
        return pixels;
    };
    struct Case {
        const char* args;
        int colours, bitCount;
    } cases[] = {
        {"-type TrueColor BMP3:out.bmp", 40, 24},
        {"BMP:out.bmp", 40, 24},
        {"-type TrueColor BMP2:out.bmp", 40, 24},
        {"-type Palette BMP3:out.bmp", 40, 8},
        {"-type Palette -compress RLE BMP3:out.bmp", 40, 8},
        {"-type Palette BMP3:out.bmp", 9, 4},
        {"-type Palette BMP2:out.bmp", 9, 4},
        {"-type Bilevel BMP3:out.bmp", 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        std::vector<COLORREF> pixels = picture(13, 7, c.colours);
        ASSERT_TRUE(Convert(std::string("in.ppm ") + c.args));
        PackedDib dib = ReadBmpFile(Path("out.bmp"));
        ASSERT_FALSE(dib.empty());
        EXPECT_EQ(FactsOf(dib).bitCount, c.bitCount);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 13; ++x)
                ASSERT_EQ(PixelOf(dib, x, y), pixels[static_cast<std::size_t>(y * 13 + x)]) << x << "," << y;
    }
}

TEST(PictureImport, RescalingSamplesRowsAndAveragesColumns)
{
    // 4x2 to 2x1: the top row only, each pair of columns averaged.
    std::vector<COLORREF> top = {RGB(0, 0, 0), RGB(100, 50, 11), RGB(255, 255, 255), RGB(255, 255, 255)};
    PackedDib src = ReadBytes(TrueColorBmp(4, 2, [&](int x, int y) { return y ? RGB(9, 9, 9) : top[x]; }));
    PackedDib half = ResizeTrueColor(src, 2, 1);
    ASSERT_FALSE(half.empty());
    EXPECT_EQ(FactsOf(half).bitCount, 24);
    EXPECT_EQ(PixelOf(half, 0, 0), RGB(50, 25, 5));
    EXPECT_EQ(PixelOf(half, 1, 0), RGB(255, 255, 255));

    // 8-bit pictures keep their table; an averaged span takes the nearest entry.
    BmpSpec s = Spec(3, 1, 8);
    s.table.assign(256, RGB(0, 0, 0));
    s.table[1] = RGB(255, 255, 255);
    s.table[2] = RGB(128, 128, 128);
    s.table[3] = RGB(10, 200, 10);
    s.bits = {0, 1, 3, 0};
    PackedDib indexed = ResizeIndexed(ReadBytes(BuildBmp(s)), 2, 1);
    ASSERT_FALSE(indexed.empty());
    EXPECT_EQ(FactsOf(indexed).colors, 256);
    EXPECT_EQ(IndexOf(indexed, 0, 0), 0); // columns 0..0
    EXPECT_EQ(IndexOf(indexed, 1, 0), 2); // white and green average to grey-ish: nearest is 808080
    EXPECT_EQ(PixelOf(indexed, 1, 0), RGB(128, 128, 128));
}

TEST(PictureImport, CubesAndErrorDiffusion)
{
    // Cube B: eight colours, white among them.
    EXPECT_EQ(CubeColor(ColorCube::B, 0), RGB(0, 0, 0));
    EXPECT_EQ(CubeColor(ColorCube::B, 128 | 64 | 32), RGB(255, 255, 255));
    EXPECT_EQ(CubeColor(ColorCube::B, 128), RGB(255, 0, 0));
    EXPECT_EQ(CubeColor(ColorCube::B, 32), RGB(0, 0, 255));
    // Cube A: 4 x 8 x 4 levels.
    EXPECT_EQ(CubeColor(ColorCube::A, 255), RGB(255, 255, 255));
    EXPECT_EQ(CubeColor(ColorCube::A, 254), RGB(255, 255, 255));
    EXPECT_EQ(CubeColor(ColorCube::A, 64), RGB(85, 0, 0));
    EXPECT_EQ(CubeColor(ColorCube::A, 8), RGB(0, 36, 0));

    PackedDib white = ReadBytes(TrueColorBmp(8, 8, [](int, int) { return RGB(255, 255, 255); }));
    PackedDib b = FitPicture(white, 32, 32, 4);
    ASSERT_FALSE(b.empty());
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(PixelOf(b, x, y), RGB(255, 255, 255));

    PackedDib grey = ReadBytes(TrueColorBmp(16, 16, [](int, int) { return RGB(128, 128, 128); }));
    PackedDib mix = ReduceToCube(grey, 16, 16, ColorCube::B);
    int whites = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            COLORREF c = PixelOf(mix, x, y);
            ASSERT_TRUE(c == RGB(0, 0, 0) || c == RGB(255, 255, 255));
            whites += c == RGB(255, 255, 255);
        }
    EXPECT_NEAR(whites, 128, 8);
    // The first pixel is white (128 has the cube's bit); its error of -127
    // sends the next one to black.
    EXPECT_EQ(PixelOf(mix, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(PixelOf(mix, 1, 0), RGB(0, 0, 0));

    // Cube A keeps colours it holds exactly and is used for 8-bit targets
    // when the picture is not indexed.
    PackedDib red = ReadBytes(TrueColorBmp(4, 4, [](int, int) { return RGB(255, 0, 0); }));
    PackedDib a = FitPicture(red, 32, 32, 8);
    ASSERT_FALSE(a.empty());
    EXPECT_EQ(FactsOf(a).bitCount, 8);
    EXPECT_EQ(PixelOf(a, 3, 3), RGB(255, 0, 0));
    EXPECT_EQ(FactsOf(FitPicture(red, 32, 32, 24)).bitCount, 24);
}

TEST(PictureImport, StandardPaletteReductionUsesTheOrderedDither)
{
    PackedDib src = ReadBytes(TrueColorBmp(8, 8, [](int x, int y) { return RGB(x * 30, y * 30, 100); }));
    PackedDib out = ReduceToStandardPalette(src, 8, 8);
    ASSERT_FALSE(out.empty());
    const Palette& standard = StandardPalette();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            int row = 7 - y; // the dither cell counts DIB rows from the bottom
            int expected = StandardDitherIndex(RGB(x * 30, y * 30, 100), x, row, false);
            ASSERT_EQ(IndexOf(out, x, y), expected);
            ASSERT_EQ(PixelOf(out, x, y), standard.colorRef(expected));
        }
}

TEST_F(PictureFiles, JpegsDecodeInBothModes)
{
    if (!HaveConvert())
        GTEST_SKIP() << "ImageMagick convert is not installed";
    ASSERT_TRUE(Convert("-size 64x48 gradient:red-blue x.jpg"));
    ASSERT_TRUE(Convert("-size 40x30 gradient:black-white -colorspace Gray g.jpg"));
    std::vector<std::uint8_t> colour = Read("x.jpg"), grey = Read("g.jpg");

    PackedDib truecolor = DecodeJpeg(colour, JpegMode::TrueColor);
    ASSERT_FALSE(truecolor.empty());
    EXPECT_EQ(FactsOf(truecolor).bitCount, 24);
    EXPECT_EQ(FactsOf(truecolor).width, 64);
    EXPECT_EQ(FactsOf(truecolor).height, 48);
    auto near = [](COLORREF a, COLORREF b, int tolerance) {
        return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
               std::abs(GetGValue(a) - GetGValue(b)) <= tolerance && std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
    };
    EXPECT_TRUE(near(PixelOf(truecolor, 10, 0), RGB(255, 0, 0), 12));
    EXPECT_TRUE(near(PixelOf(truecolor, 10, 47), RGB(0, 0, 255), 12));
    EXPECT_TRUE(near(PixelOf(truecolor, 10, 24), RGB(128, 0, 128), 16));

    PackedDib quantized = DecodeJpeg(colour, JpegMode::Quantized);
    ASSERT_FALSE(quantized.empty());
    EXPECT_EQ(FactsOf(quantized).bitCount, 8);
    EXPECT_EQ(FactsOf(quantized).colors, 256);
    // Dithered: compare the average of a row with the true-colour one.
    for (int y : {0, 24, 47}) {
        int r = 0, b = 0, rq = 0, bq = 0;
        for (int x = 0; x < 64; ++x) {
            r += GetRValue(PixelOf(truecolor, x, y));
            b += GetBValue(PixelOf(truecolor, x, y));
            rq += GetRValue(PixelOf(quantized, x, y));
            bq += GetBValue(PixelOf(quantized, x, y));
        }
        EXPECT_NEAR(rq / 64, r / 64, 10) << y;
        EXPECT_NEAR(bq / 64, b / 64, 10) << y;
    }

    PackedDib greyTrue = DecodeJpeg(grey, JpegMode::TrueColor);
    PackedDib greyQuant = DecodeJpeg(grey, JpegMode::Quantized);
    ASSERT_FALSE(greyTrue.empty());
    ASSERT_FALSE(greyQuant.empty());
    EXPECT_TRUE(near(PixelOf(greyTrue, 5, 0), RGB(0, 0, 0), 10));
    EXPECT_TRUE(near(PixelOf(greyTrue, 5, 29), RGB(255, 255, 255), 10));
    COLORREF q = PixelOf(greyQuant, 5, 29);
    EXPECT_TRUE(GetRValue(q) == GetGValue(q) && GetGValue(q) == GetBValue(q));
    EXPECT_TRUE(near(q, RGB(255, 255, 255), 12));

    // The mode follows CouleursJPEG and the screen.
    EXPECT_EQ(JpegModeFor(0, 8), JpegMode::TrueColor);
    EXPECT_EQ(JpegModeFor(1, 24), JpegMode::Quantized);
    EXPECT_EQ(JpegModeFor(2, 24), JpegMode::TrueColor);
    EXPECT_EQ(JpegModeFor(2, 8), JpegMode::Quantized);
    int saved = CouleursJPEG;
    {
        ScopedScreen screen({8});
        CouleursJPEG = 0;
        EXPECT_EQ(FactsOf(ReadJpegFile(Path("x.jpg"))).bitCount, 24);
        CouleursJPEG = 2;
        EXPECT_EQ(FactsOf(ReadJpegFile(Path("x.jpg"))).bitCount, 8);
        // The program's own pictures on a 16-colour screen use the 8-colour cube.
        ScopedScreen sixteen({4});
        PackedDib resource = LoadJpegResource(colour);
        ASSERT_FALSE(resource.empty());
        for (int y = 0; y < 48; y += 7)
            for (int x = 0; x < 64; x += 5) {
                COLORREF c = PixelOf(resource, x, y);
                for (int v : {GetRValue(c), GetGValue(c), GetBValue(c)})
                    ASSERT_TRUE(v == 0 || v == 255);
            }
    }
    CouleursJPEG = 1;
    EXPECT_EQ(FactsOf(ReadJpegFile(Path("x.jpg"))).bitCount, 8);
    CouleursJPEG = saved;
}

TEST_F(PictureFiles, DamagedJpegsGiveNoPicture)
{
    if (!HaveConvert())
        GTEST_SKIP() << "ImageMagick convert is not installed";
    ASSERT_TRUE(Convert("-size 48x32 plasma:fractal -quality 90 p.jpg"));
    ASSERT_TRUE(Convert("-size 48x32 plasma:fractal -interlace Plane pp.jpg"));
    for (const char* name : {"p.jpg", "pp.jpg"}) {
        SCOPED_TRACE(name);
        std::vector<std::uint8_t> good = Read(name);
        ASSERT_FALSE(DecodeJpeg(good, JpegMode::TrueColor).empty());
        for (std::size_t n :
             {std::size_t{0}, std::size_t{2}, std::size_t{20}, good.size() / 3, good.size() / 2, good.size() - 40}) {
            std::vector<std::uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
            EXPECT_TRUE(DecodeJpeg(cut, JpegMode::TrueColor).empty()) << n;
            EXPECT_TRUE(DecodeJpeg(cut, JpegMode::Quantized).empty()) << n;
        }
        std::mt19937 rng(3);
        for (int round = 0; round < 300; ++round) {
            std::vector<std::uint8_t> b = good;
            for (int k = 0; k < 3; ++k)
                b[rng() % b.size()] = static_cast<std::uint8_t>(rng());
            (void)DecodeJpeg(b, round % 2 ? JpegMode::Quantized : JpegMode::TrueColor);
        }
    }
    std::vector<std::uint8_t> garbage(500, 0x5A);
    garbage[0] = 0xFF;
    garbage[1] = 0xD8;
    EXPECT_TRUE(DecodeJpeg(garbage, JpegMode::TrueColor).empty());
}

TEST_F(PictureFiles, ImportPictureByKindAndFit)
{
    Write("big.bmp", TrueColorBmp(320, 200, [](int x, int) { return x < 160 ? RGB(255, 0, 0) : RGB(0, 0, 255); }));
    PackedDib dib = ImportPicture(Path("big.bmp"), 32, 32, 24);
    ASSERT_FALSE(dib.empty());
    EXPECT_EQ(FactsOf(dib).width, 32);
    EXPECT_EQ(FactsOf(dib).height, 20);
    EXPECT_EQ(PixelOf(dib, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(PixelOf(dib, 31, 19), RGB(0, 0, 255));

    Write("image.Rle", TrueColorBmp(20, 40, [](int, int) { return RGB(0, 255, 0); }));
    dib = ImportPicture(Path("image.Rle"), 32, 32, 4);
    ASSERT_FALSE(dib.empty());
    EXPECT_EQ(FactsOf(dib).width, 16);
    EXPECT_EQ(FactsOf(dib).height, 32);
    EXPECT_EQ(PixelOf(dib, 8, 8), RGB(0, 255, 0));

    EXPECT_TRUE(ImportPicture(Path("missing.bmp"), 32, 32, 24).empty());
    // A PNG file by its name must be one by its bytes.
    Write("picture.png", TrueColorBmp(4, 4, [](int, int) { return RGB(0, 0, 0); }));
    EXPECT_TRUE(ImportPicture(Path("picture.png"), 32, 32, 24).empty());

    // A PNG picture is shrunk with its alpha; what is mostly transparent
    // shows white where no depth holds alpha.
    PngPixels png{64, 32, std::vector<std::uint32_t>(64 * 32, 0x00000000u)};
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            png.argb[std::size_t(y) * 64 + x] = 0xFF0000FFu;
    Write("alpha.PNG", EncodePng(png));
    auto decoded = ReadPngFile(Path("alpha.PNG"));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->argb, png.argb);
    dib = ImportPicture(Path("alpha.PNG"), 32, 32, 24);
    ASSERT_FALSE(dib.empty());
    EXPECT_EQ(FactsOf(dib).width, 32);
    EXPECT_EQ(FactsOf(dib).height, 16);
    EXPECT_EQ(PixelOf(dib, 0, 0), RGB(0, 0, 255));
    EXPECT_EQ(PixelOf(dib, 31, 15), RGB(255, 255, 255));

    if (HaveConvert()) {
        ASSERT_TRUE(Convert("-size 16x16 xc:yellow PHOTO.JPG"));
        fs::copy_file(Path("PHOTO.JPG"), Path("photo.jpeg"));
        dib = ImportPicture(Path("PHOTO.JPG"), 32, 32, 24);
        ASSERT_FALSE(dib.empty());
        EXPECT_EQ(FactsOf(dib).width, 16);
        EXPECT_EQ(FactsOf(ImportPicture(Path("photo.jpeg"), 32, 32, 24)).width, 16);
    }
}

TEST_F(PictureFiles, PictureBecomesAnOpaqueFormatAtTheTopLeft)
{
    Write("p.bmp", TrueColorBmp(8, 4, [](int x, int) { return x < 4 ? RGB(255, 0, 0) : RGB(255, 255, 255); }));
    for (int depth : {1, 4, 8, 24}) {
        SCOPED_TRACE(depth);
        auto format = ImportPictureAsFormat(Path("p.bmp"), 16, 16, depth);
        ASSERT_TRUE(format);
        EXPECT_EQ(format->width, 16);
        EXPECT_EQ(format->bitDepth, depth);
        const Palette* palette = &format->palette;
        auto colourAt = [&](int x, int y) {
            return ResolveColor(GetImagePixel(format->color, format->mask, x, y), palette);
        };
        EXPECT_EQ(ColorKind(GetImagePixel(format->color, format->mask, 8, 0)), ColorKindType::Transparent);
        EXPECT_EQ(ColorKind(GetImagePixel(format->color, format->mask, 0, 4)), ColorKindType::Transparent);
        EXPECT_EQ(ColorKind(GetImagePixel(format->color, format->mask, 0, 0)), ColorKindType::Ordinary);
        EXPECT_EQ(colourAt(7, 3), RGB(255, 255, 255));
        if (depth > 1) {
            EXPECT_EQ(colourAt(0, 0), RGB(255, 0, 0));
        }
        EXPECT_FALSE(format->packed.empty());
    }
    EXPECT_FALSE(ImportPictureAsFormat(Path("p.bmp"), 16, 16, 2));
    EXPECT_FALSE(ImportPictureAsFormat(Path("none.bmp"), 16, 16, 4));
}

} // namespace
} // namespace kavrel
