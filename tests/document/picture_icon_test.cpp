#include "document/picture_icon.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "document/icon_document.h"
#include "document/open_files.h"
#include "model/render.h"
#include "resources/strings.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;

PngPixels Picture(int w, int h, std::uint32_t argb)
{
    return {w, h, std::vector<std::uint32_t>(std::size_t(w) * h, argb)};
}

TEST(PictureIcon, SizesFrom8To256AreKeptOthersFittedInto256)
{
    auto small = FormatFromPicture(Picture(48, 20, 0x80102030u));
    ASSERT_TRUE(small);
    EXPECT_EQ(small->width, 48);
    EXPECT_EQ(small->height, 20);
    EXPECT_FALSE(small->isPng());
    EXPECT_EQ(small->bitCount(), 32);
    auto pixels = RenderWithAlpha(*small);
    ASSERT_TRUE(pixels);
    EXPECT_EQ(pixels->argb, Picture(48, 20, 0x80102030u).argb) << "half-transparent pixels keep their alpha";

    auto exact = FormatFromPicture(Picture(256, 256, 0xFF00FF00u));
    ASSERT_TRUE(exact);
    EXPECT_TRUE(exact->isPng()) << "256x256 is written compressed";

    // Too wide: fitted with its aspect kept, transparent above and below.
    auto wide = FormatFromPicture(Picture(1024, 512, 0xFF0000FFu));
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->width, 256);
    EXPECT_EQ(wide->height, 256);
    pixels = RenderWithAlpha(*wide);
    ASSERT_TRUE(pixels);
    EXPECT_EQ(pixels->argb[0], 0u);
    EXPECT_EQ(pixels->argb[std::size_t(128) * 256 + 5], 0xFF0000FFu);
    EXPECT_EQ(pixels->argb[std::size_t(63) * 256], 0u);
    EXPECT_EQ(pixels->argb[std::size_t(64) * 256], 0xFF0000FFu);

    // Too small: grown to fill 256x256.
    auto tiny = FormatFromPicture(Picture(4, 4, 0xFFFFFFFFu));
    ASSERT_TRUE(tiny);
    EXPECT_EQ(tiny->width, 256);
}

TEST(PictureIcon, FileOpensAsAnUntitledIcon)
{
    const fs::path dir = fs::temp_directory_path() / ("kavrel-picture-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path png = dir / "Logo.PNG", bad = dir / "bad.png";
    {
        auto bytes = EncodePng(Picture(32, 32, 0x40FF0000u));
        std::ofstream(png, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        std::ofstream(bad, std::ios::binary) << "not a picture at all";
    }
    EXPECT_TRUE(IsPictureToOpen(png.string()));
    EXPECT_FALSE(IsPictureToOpen((dir / "x.ico").string()));
    EXPECT_FALSE(IconFromPictureFile(bad.string()));
    EXPECT_FALSE(IconFromPictureFile((dir / "missing.png").string()));

    auto icon = IconFromPictureFile(png.string());
    ASSERT_TRUE(icon);
    GroupIconSource source(*icon, false);
    CIconDocument doc(&source);
    ASSERT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(doc.GetName(), "");
    EXPECT_EQ(doc.GetPathName(), "");
    ASSERT_EQ(doc.GetFormatCount(), 1);
    EXPECT_EQ(doc.GetFormat(0)->width, 32);
    const CIconGroup stored = doc.ToIconGroup();
    auto pixels = RenderWithAlpha(*stored.formats.at(0));
    ASSERT_TRUE(pixels);
    EXPECT_EQ(pixels->argb[0], 0x40FF0000u);
    fs::remove_all(dir);

    // The Open dialog offers PNG pictures before "all files".
    const std::string filter = WithPictureFilter(LoadString(55028));
    const auto entries = ParseFilter(filter);
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_EQ(entries[4].patterns, (std::vector<std::string>{"*.png"}));
    EXPECT_EQ(entries[5].patterns, (std::vector<std::string>{"*.*"}));
    EXPECT_TRUE(filter.ends_with("|*.*||"));
}

} // namespace
} // namespace kavrel
