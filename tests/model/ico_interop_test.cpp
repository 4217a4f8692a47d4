// ICO files made by independent tools are read with the right formats and
// pixels, and the files we write are understood by them. Skipped when the
// tools are not installed.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "model/ico_file.h"
#include "model/png_image.h"
#include "model/render.h"
#include "platform/byte_reader.h"
#include "support/external_tools.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;

using test::CommandOutput;
using test::HaveTool;

class IcoInterop : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HaveTool("icotool") || !HaveTool("convert"))
            GTEST_SKIP() << "icotool or ImageMagick convert not installed";
        char pattern[] = "/tmp/kavrel-interop-XXXXXX";
        dir_ = mkdtemp(pattern);
    }
    void TearDown() override
    {
        if (!dir_.empty())
            fs::remove_all(dir_);
    }
    std::string file(const std::string& name) const { return dir_ + "/" + name; }

    // A picture whose pixels are either opaque or fully transparent, so
    // every tool must keep them exactly.
    std::string MakePng(const std::string& name, const std::string& args)
    {
        std::string path = file(name);
        int status = 0;
        CommandOutput("convert " + args + " PNG32:" + path + " 2>&1", &status);
        EXPECT_EQ(status, 0) << args;
        return path;
    }

    std::string dir_;
};

PngPixels LoadPng(const std::string& path)
{
    auto bytes = ReadWholeFile(path);
    EXPECT_TRUE(bytes) << path;
    auto pixels = bytes ? DecodePng(*bytes) : std::nullopt;
    EXPECT_TRUE(pixels) << path;
    return pixels.value_or(PngPixels{});
}

// Our thumbnail rendering on white against the tool's picture on white.
::testing::AssertionResult SamePixels(const CIcon& icon, const PngPixels& picture)
{
    Bitmap out = RenderComposite(icon, RGB(255, 255, 255));
    if (out.width() != picture.width || out.height() != picture.height)
        return ::testing::AssertionFailure() << icon.FormatLabel() << ": size " << out.width() << "x" << out.height();
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            std::uint32_t px = picture.argb[static_cast<std::size_t>(y) * picture.width + x];
            std::uint32_t want = (px >> 24) >= 128 ? (px & 0xFFFFFFu) : 0xFFFFFFu;
            std::uint32_t got = out.rawPixel(x, y) & 0xFFFFFFu;
            if (want != got) {
                char buf[128];
                std::snprintf(buf, sizeof buf, "%s: pixel (%d, %d) is %06X, want %06X", icon.FormatLabel().c_str(), x, y,
                              got, want);
                return ::testing::AssertionFailure() << buf;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

std::vector<std::string> Labels(const CIconGroup& group)
{
    std::vector<std::string> labels;
    for (const auto& f : group.formats)
        labels.push_back(f->FormatLabel());
    return labels;
}

CIconGroup ReadOne(const std::string& path)
{
    std::vector<CIconGroup> groups;
    EXPECT_TRUE(ReadIcoGroupFile(path, groups)) << path;
    return groups.empty() ? CIconGroup{} : groups[0];
}

// "WxHxD" for every entry `icotool -l` lists, in its order.
std::vector<std::string> IcotoolList(const std::string& path)
{
    std::string out = CommandOutput("icotool -l '" + path + "' 2>&1");
    std::regex line("--width=([0-9]+) --height=([0-9]+) --bit-depth=([0-9]+)");
    std::vector<std::string> labels;
    for (std::sregex_iterator it(out.begin(), out.end(), line), end; it != end; ++it)
        labels.push_back((*it)[1].str() + "x" + (*it)[2].str() + "x" + (*it)[3].str());
    return labels;
}

TEST_F(IcoInterop, ReadsFilesMadeByIcotool)
{
    auto a16 = MakePng("a16.png", "-size 16x16 xc:red -fill blue -draw 'rectangle 0,0 7,7'");
    auto t32 = MakePng("t32.png", "-size 32x32 xc:'#00FF00' \\( -size 16x16 xc:none \\) -geometry +0+0 -compose copy "
                                  "-composite");
    auto many = MakePng("many48.png", "-size 48x48 gradient:'#FF0000-#0000FF' -fill none -draw 'rectangle 0,0 5,5'");
    auto big = MakePng("big.png", "-size 256x256 xc:'#123456' -fill '#FFFF00' -draw 'rectangle 10,10 100,50'");
    struct Case {
        std::string options;
        std::string inputs;
        std::vector<std::string> labels;
        std::vector<std::string> pictures;
    };
    const std::vector<Case> cases = {
        {"", a16 + " " + t32 + " -r " + big, {"16x16x1", "32x32x1", "256x256xpng"}, {a16, t32, big}},
        {"--bit-depth=4", a16 + " " + t32, {"16x16x4", "32x32x4"}, {a16, t32}},
        {"--bit-depth=8", a16 + " " + many, {"16x16x8", "48x48x8"}, {a16, many}},
        {"--bit-depth=24", a16 + " " + many, {"16x16x24", "48x48x24"}, {a16, many}},
        {"--bit-depth=32", t32 + " " + many + " " + a16, {"16x16x32", "32x32x32", "48x48x32"}, {a16, t32, many}},
    };
    int index = 0;
    for (const auto& c : cases) {
        std::string ico = file("c" + std::to_string(index++) + ".ico");
        int status = 0;
        std::string log = CommandOutput("icotool -c " + c.options + " -o " + ico + " " + c.inputs + " 2>&1", &status);
        ASSERT_EQ(status, 0) << log;
        CIconGroup group = ReadOne(ico);
        ASSERT_EQ(Labels(group), c.labels) << c.options;
        for (std::size_t i = 0; i < c.pictures.size(); ++i)
            EXPECT_TRUE(SamePixels(*group.GetFormat(static_cast<int>(i)), LoadPng(c.pictures[i]))) << c.options;
    }
}

TEST_F(IcoInterop, ReadsFilesMadeByImageMagick)
{
    auto a16 = MakePng("a16.png", "-size 16x16 xc:red -fill blue -draw 'rectangle 0,0 7,7'");
    auto t32 = MakePng("t32.png", "-size 32x32 xc:'#00FF00' \\( -size 16x16 xc:none \\) -geometry +0+0 -compose copy "
                                  "-composite");
    auto big = MakePng("big.png", "-size 256x256 xc:'#123456' -fill '#FFFF00' -draw 'rectangle 10,10 100,50'");
    std::string ico = file("m.ico");
    int status = 0;
    std::string log = CommandOutput("convert " + a16 + " " + t32 + " " + big + " " + ico + " 2>&1", &status);
    ASSERT_EQ(status, 0) << log;
    CIconGroup group = ReadOne(ico);
    ASSERT_EQ(Labels(group), (std::vector<std::string>{"16x16x32", "32x32x32", "256x256xpng"}));
    EXPECT_TRUE(SamePixels(*group.GetFormat(0), LoadPng(a16)));
    EXPECT_TRUE(SamePixels(*group.GetFormat(1), LoadPng(t32)));
    EXPECT_TRUE(SamePixels(*group.GetFormat(2), LoadPng(big)));

    // Read and written back, the file is the same ICO: the tool sees the
    // same entries and the same pixels.
    std::string back = file("back.ico");
    ASSERT_TRUE(group.SaveAsIco(back));
    EXPECT_EQ(IcotoolList(back), IcotoolList(ico));
    CIconGroup again = ReadOne(back);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(again.GetFormat(i)->image, group.GetFormat(i)->image);
}

TEST_F(IcoInterop, FilesWeWriteAreUnderstoodByIcotool)
{
    // One format per depth, each with transparent pixels and several colours.
    CIconGroup group;
    const int depths[] = {1, 4, 8, 24};
    const int sizes[] = {16, 32, 48, 20};
    for (int i = 0; i < 4; ++i) {
        CIconObject o(depths[i], sizes[i], sizes[i], 0);
        for (int y = 0; y < sizes[i]; ++y) {
            for (int x = 0; x < sizes[i]; ++x) {
                bool clear = (x + y) % 5 == 0;
                COLORREF c = depths[i] == 1 ? ((x / 3 + y) % 2 ? RGB(255, 255, 255) : 0)
                                            : RGB(x * 255 / sizes[i], y * 255 / sizes[i], (x * y) % 2 ? 255 : 0);
                if (depths[i] == 4)
                    c = (x + 2 * y) % 3 == 0 ? RGB(255, 0, 0) : RGB(0, 0, 128);
                o.mask.setRawPixel(x, y, clear ? 1 : 0);
                o.color.setRawPixel(x, y, clear ? 0xFF000000u : PixelFromColorRef(c));
            }
        }
        o.PackToIcon();
        group.AddFormat(o.packed);
    }
    PngPixels p;
    p.width = p.height = 64;
    for (int i = 0; i < 64 * 64; ++i)
        p.argb.push_back((i % 3 ? 0xFF000000u : 0) | static_cast<std::uint32_t>(i * 977));
    auto png = EncodePng(p);
    MemorySource s(png);
    CIcon pngIcon;
    ASSERT_TRUE(pngIcon.ReadImage(s, 0));
    group.AddFormat(pngIcon);

    std::string ico = file("ours.ico");
    ASSERT_TRUE(group.SaveAsIco(ico));
    std::vector<std::string> expected;
    for (const auto& f : group.formats)
        expected.push_back(std::to_string(f->width) + "x" + std::to_string(f->height) + "x" +
                           std::to_string(f->bitCount()));
    EXPECT_EQ(IcotoolList(ico), expected);

    // Every image icotool extracts has the pixels our thumbnails show.
    std::string out = file("x");
    fs::create_directory(out);
    int status = 0;
    std::string log = CommandOutput("icotool -x -o " + out + " " + ico + " 2>&1", &status);
    ASSERT_EQ(status, 0) << log;
    for (int i = 0; i < group.FormatCount(); ++i) {
        const CIcon& f = *group.GetFormat(i);
        std::string name = out + "/ours_" + std::to_string(i + 1) + "_" + std::to_string(f.width) + "x" +
                           std::to_string(f.height) + "x" + std::to_string(f.bitCount()) + ".png";
        ASSERT_TRUE(fs::exists(name)) << name;
        EXPECT_TRUE(SamePixels(f, LoadPng(name)));
    }
}

}  // namespace
}  // namespace kavrel
