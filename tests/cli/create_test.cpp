#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli_fixtures.h"
#include "model/ico_file.h"
#include "model/png_image.h"
#include "model/render.h"

namespace kavrel::test {
namespace {

namespace fs = std::filesystem;

// The left half opaque red, the right half half-transparent blue: every even
// size splits it on a pixel boundary, so each made image holds exactly these
// two colours, whatever the ratio.
constexpr std::uint32_t kRed = 0xFFFF0000u, kBlue = 0x800080FFu;

void WritePicture(const fs::path& path, int width, int height, std::uint32_t left, std::uint32_t right)
{
    PngPixels p{width, height, std::vector<std::uint32_t>(std::size_t(width) * height)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.argb[std::size_t(y) * width + x] = x < width / 2 ? left : right;
    WriteBytes(path, EncodePng(p));
}

struct Entry {
    int width;
    bool png;
};

// The directory as the file says, read byte by byte.
std::vector<Entry> Directory(const fs::path& path)
{
    auto b = ReadBytes(path);
    std::vector<Entry> out;
    int count = b[4] | b[5] << 8;
    for (int i = 0; i < count; ++i) {
        const std::uint8_t* e = &b[6 + 16 * i];
        std::uint32_t offset = e[12] | e[13] << 8 | e[14] << 16 | std::uint32_t(e[15]) << 24;
        out.push_back({e[0] == 0 ? 256 : e[0], b[offset] == 0x89 && b[offset + 1] == 'P'});
    }
    return out;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream s(text);
    for (std::string line; std::getline(s, line);)
        lines.push_back(line);
    return lines;
}

void ExpectHalves(const PngFile& png, int side, const std::string& what)
{
    ASSERT_EQ(png.width, side) << what;
    ASSERT_EQ(png.height, side) << what;
    int wrong = 0;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            wrong += png.at(x, y) != (x < side / 2 ? kRed : kBlue);
    EXPECT_EQ(wrong, 0) << what << ": " << std::hex << png.at(0, 0) << " " << png.at(side - 1, side - 1);
}

TEST(CliCreate, OneLargePictureGivesEverySizeWith256AsPng)
{
    TempDir dir;
    WritePicture(dir / "big.png", 1024, 1024, kRed, kBlue);
    const fs::path ico = dir / "app.ico";
    RunResult r = RunCli({"create", ico.string(), (dir / "big.png").string()});
    ASSERT_EQ(r.status, 0) << r.err;

    const std::vector<int> sizes = {16, 20, 24, 32, 40, 48, 64, 96, 128, 256};
    auto entries = Directory(ico);
    ASSERT_EQ(entries.size(), sizes.size());
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        EXPECT_EQ(entries[i].width, sizes[i]);
        EXPECT_EQ(entries[i].png, sizes[i] == 256) << sizes[i];
    }

    if (HaveTool("icotool")) {
        r = RunProgram("icotool", {"-l", ico.string()});
        ASSERT_EQ(r.status, 0) << r.err;
        auto lines = Lines(r.out);
        ASSERT_EQ(lines.size(), sizes.size()) << r.out;
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            const std::string s = std::to_string(sizes[i]);
            EXPECT_NE(lines[i].find("--width=" + s + " --height=" + s + " --bit-depth=32"), std::string::npos)
                << lines[i];
        }
        // Its own extraction gives the same RGBA, from DIB and PNG entries alike.
        const fs::path out = dir / "x";
        fs::create_directory(out);
        r = RunProgram("icotool", {"-x", "-o", out.string(), ico.string()});
        ASSERT_EQ(r.status, 0) << r.err;
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            const std::string s = std::to_string(sizes[i]);
            auto png = ReadPngFile(out / ("app_" + std::to_string(i + 1) + "_" + s + "x" + s + "x32.png"));
            ASSERT_TRUE(png) << s;
            ExpectHalves(*png, sizes[i], "icotool " + s);
        }
    }
    if (HaveTool("convert")) {
        const fs::path small = dir / "im16.png", large = dir / "im256.png";
        ASSERT_TRUE(RunCommand("convert '" + ico.string() + "[0]' PNG32:'" + small.string() + "'"));
        ASSERT_TRUE(RunCommand("convert '" + ico.string() + "[9]' PNG32:'" + large.string() + "'"));
        auto a = ReadPngFile(small), b = ReadPngFile(large);
        ASSERT_TRUE(a && b);
        ExpectHalves(*a, 16, "ImageMagick 16");
        ExpectHalves(*b, 256, "ImageMagick 256");
    }
}

TEST(CliCreate, SeveralPicturesSizesAndPngThreshold)
{
    TempDir dir;
    WritePicture(dir / "s16.png", 16, 16, kRed, kBlue);
    WritePicture(dir / "s32.png", 32, 32, kBlue, kRed);
    WritePicture(dir / "s256.png", 256, 256, kRed, kBlue);

    // Each picture at its own size, in size order whatever the order given.
    const fs::path two = dir / "two.ico";
    RunResult r = RunCli({"create", two.string(), (dir / "s32.png").string(), (dir / "s16.png").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<CIconGroup> groups;
    ASSERT_TRUE(ReadIcoGroupFile(two.string(), groups));
    ASSERT_EQ(groups[0].FormatCount(), 2);
    for (int i = 0; i < 2; ++i) {
        const CIcon& icon = *groups[0].GetFormat(i);
        EXPECT_FALSE(icon.isPng());
        auto pixels = RenderWithAlpha(icon);
        ASSERT_TRUE(pixels);
        ASSERT_EQ(pixels->width, i == 0 ? 16 : 32);
        EXPECT_EQ(pixels->argb.front(), i == 0 ? kRed : kBlue);
        EXPECT_EQ(pixels->argb.back(), i == 0 ? kBlue : kRed);
    }

    // Asked sizes come from the smallest picture that covers them; every
    // image above 0 is PNG with --png-above 0.
    const fs::path asked = dir / "asked.ico";
    r = RunCli({"create", asked.string(), (dir / "s16.png").string(), (dir / "s32.png").string(),
                (dir / "s256.png").string(), "--sizes", "24,16,24,48", "--png-above=0"});
    ASSERT_EQ(r.status, 0) << r.err;
    auto entries = Directory(asked);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_TRUE(entries[0].png && entries[1].png && entries[2].png);
    groups.clear();
    ASSERT_TRUE(ReadIcoGroupFile(asked.string(), groups));
    const std::uint32_t firstPixel[] = {kRed, kBlue, kRed}; // 16 from s16, 24 from s32, 48 from s256
    for (int i = 0; i < 3; ++i) {
        auto pixels = RenderWithAlpha(*groups[0].GetFormat(i));
        ASSERT_TRUE(pixels);
        EXPECT_EQ(pixels->argb.front(), firstPixel[i]) << pixels->width;
    }
}

TEST(CliCreate, RefusalsLeaveTheOutputAlone)
{
    TempDir dir;
    WritePicture(dir / "a.png", 48, 48, kRed, kBlue);
    WritePicture(dir / "b.png", 48, 48, kBlue, kRed);
    WritePicture(dir / "wide.png", 64, 32, kRed, kBlue);
    WriteBytes(dir / "fake.png", std::vector<std::uint8_t>(100, 'x'));
    const std::string a = (dir / "a.png").string(), out = (dir / "out.ico").string();
    WriteBytes(out, {1, 2, 3});

    // Usage errors.
    EXPECT_EQ(RunCli({"create", out}).status, 2);
    EXPECT_EQ(RunCli({"create", a, out}).status, 2) << "the output comes first";
    EXPECT_EQ(RunCli({"create", out, a, "--sizes", "16,0"}).status, 2);
    EXPECT_EQ(RunCli({"create", out, a, "--sizes", "300"}).status, 2);
    EXPECT_EQ(RunCli({"create", out, a, "--sizes", "16,,32"}).status, 2);
    EXPECT_EQ(RunCli({"create", out, a, "--png-above", "-1"}).status, 2);

    // Failures, each with the file named.
    RunResult r = RunCli({"create", out, (dir / "missing.png").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("missing.png"), std::string::npos) << r.err;
    r = RunCli({"create", out, a, (dir / "fake.png").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("fake.png: not a PNG picture"), std::string::npos) << r.err;
    r = RunCli({"create", out, a, (dir / "b.png").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("second picture of 48x48"), std::string::npos) << r.err;
    r = RunCli({"create", out, a, (dir / "wide.png").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("64x32"), std::string::npos) << r.err;
    EXPECT_EQ(ReadBytes(out), (std::vector<std::uint8_t>{1, 2, 3}));

    // A wide picture alone is fitted into every size, transparent around.
    ASSERT_EQ(RunCli({"create", out, (dir / "wide.png").string(), "--sizes", "16"}).status, 0);
    std::vector<CIconGroup> groups;
    ASSERT_TRUE(ReadIcoGroupFile(out, groups));
    auto pixels = RenderWithAlpha(*groups[0].GetFormat(0));
    ASSERT_TRUE(pixels);
    EXPECT_EQ(pixels->argb[0], 0u);
    EXPECT_EQ(pixels->argb[std::size_t(8) * 16], kRed);
}

} // namespace
} // namespace kavrel::test
