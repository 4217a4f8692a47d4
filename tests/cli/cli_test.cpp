#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <sstream>

#include "cli/cli.h"
#include "cli/cli_fixtures.h"
#include "cli/commands.h"
#include "model/icl_file.h"
#include "model/ico_file.h"

namespace kavrel::test {
namespace {

namespace fs = std::filesystem;

const std::vector<std::uint32_t>& Vga16()
{
    static const std::vector<std::uint32_t> t = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                                 0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                                 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    return t;
}

// A transparent frame one pixel wide, an inverted pixel at (2, 1), colour
// elsewhere. Transparent pixels carry black colour bits, inverted white.
bool FrameMask(int w, int h, int x, int y)
{
    return x == 0 || y == 0 || x == w - 1 || y == h - 1 || (x == 2 && y == 1);
}

FixtureImage Mono16()
{
    FixtureImage f{16, 16, 1, {0x000000, 0xFFFFFF}, nullptr, nullptr};
    f.mask = [](int x, int y) { return FrameMask(16, 16, x, y); };
    f.pixel = [m = f.mask](int x, int y) -> std::uint32_t { return m(x, y) ? (x == 2 && y == 1) : (x + y) % 2; };
    return f;
}

FixtureImage Color16(int size)
{
    FixtureImage f{size, size, 4, Vga16(), nullptr, nullptr};
    f.mask = [size](int x, int y) { return FrameMask(size, size, x, y); };
    f.pixel = [m = f.mask](int x, int y) -> std::uint32_t {
        return m(x, y) ? (x == 2 && y == 1 ? 15 : 0) : static_cast<std::uint32_t>((x * 3 + y) % 16);
    };
    return f;
}

FixtureImage Color256(int size)
{
    std::vector<std::uint32_t> table(256);
    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<std::uint32_t>((i * 0x010305) & 0xFFFFFF);
    table[0] = 0x000000;
    table[255] = 0xFFFFFF;
    FixtureImage f{size, size, 8, table, nullptr, nullptr};
    f.mask = [size](int x, int y) { return FrameMask(size, size, x, y); };
    f.pixel = [m = f.mask](int x, int y) -> std::uint32_t {
        return m(x, y) ? (x == 2 && y == 1 ? 255 : 0) : static_cast<std::uint32_t>(1 + (x * 7 + y * 5) % 254);
    };
    return f;
}

FixtureImage True24(int size)
{
    FixtureImage f{size, size, 24, {}, nullptr, nullptr};
    f.mask = [size](int x, int y) { return FrameMask(size, size, x, y); };
    f.pixel = [m = f.mask](int x, int y) -> std::uint32_t {
        if (m(x, y))
            return x == 2 && y == 1 ? 0xFFFFFF : 0;
        return static_cast<std::uint32_t>((x * 8) << 16 | (y * 8) << 8 | 0x40);
    };
    return f;
}

FixtureImage Alpha32(int size)
{
    FixtureImage f{size, size, 32, {}, nullptr, nullptr};
    f.pixel = [](int x, int y) -> std::uint32_t {
        const std::uint32_t alpha = x < 4 ? 0x00 : (x < 8 ? 0x7F : (x < 12 ? 0x80 : 0xFF));
        return alpha << 24 | static_cast<std::uint32_t>((x * 16) << 16 | (y * 16) << 8 | 0x20);
    };
    f.mask = [](int x, int) { return x < 8; };
    return f;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream s(text);
    for (std::string line; std::getline(s, line);)
        lines.push_back(line);
    return lines;
}

// Expects the PNG at `path` to show `image` composited onto `background`.
void ExpectRendered(const fs::path& path, const FixtureImage& image, std::uint32_t background)
{
    auto png = ReadPngFile(path);
    ASSERT_TRUE(png) << path;
    ASSERT_EQ(png->width, image.width);
    ASSERT_EQ(png->height, image.height);
    int wrong = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if ((png->at(x, y) & 0xFFFFFF) != image.Composite(x, y, background) && ++wrong <= 5)
                ADD_FAILURE() << image.width << "x" << image.bitCount << " pixel (" << x << ", " << y << "): got "
                              << std::hex << (png->at(x, y) & 0xFFFFFF) << " want "
                              << image.Composite(x, y, background);
    EXPECT_EQ(wrong, 0);
}

class CliTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        // The directory lists the images out of order and with gaps, so the
        // listing shows the sorted order and the real offsets.
        images = {True24(32), Color16(16), Color256(32), Mono16()};
        WriteBytes(dir / "sample.ico", BuildIco(images, 3, &offsets));
    }

    TempDir dir;
    std::vector<FixtureImage> images;
    std::vector<std::uint32_t> offsets;
};

TEST_F(CliTest, ListPrintsSortedFormatsOffsetsAndHeaders)
{
    const std::string ico = (dir / "sample.ico").string();
    RunResult r = RunCli({"list", ico});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1\t\t16x16x1 16x16x4 32x32x8 32x32x24\n");
    EXPECT_EQ(r.err, "");

    r = RunCli({"list", "--offsets", ico});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string withOffsets = "1\t\t16x16x1@" + std::to_string(offsets[3]) + " 16x16x4@" +
                                    std::to_string(offsets[1]) + " 32x32x8@" + std::to_string(offsets[2]) +
                                    " 32x32x24@" + std::to_string(offsets[0]) + "\n";
    EXPECT_EQ(r.out, withOffsets);

    // In a library each offset names the image's bytes inside the library.
    const std::string icl = (dir / "sample.icl").string();
    ASSERT_EQ(RunCli({"to-icl", icl, ico}).status, 0);
    r = RunCli({"list", "--offsets", icl});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::vector<std::uint8_t> library = ReadBytes(icl);
    const int order[] = {3, 1, 2, 0}; // the sorted formats
    std::size_t at = r.out.find('@');
    for (int i : order) {
        ASSERT_NE(at, std::string::npos) << r.out;
        const std::uint64_t offset = std::stoull(r.out.substr(at + 1));
        const std::vector<std::uint8_t> packed = images[i].Packed();
        ASSERT_LE(offset + packed.size(), library.size());
        EXPECT_TRUE(std::equal(packed.begin(), packed.end(), library.begin() + static_cast<std::ptrdiff_t>(offset)))
            << images[i].width << "x" << images[i].bitCount;
        at = r.out.find('@', at + 1);
    }

    WriteBytes(dir / "modern.ico", BuildIco({Alpha32(16), Color16(16)}));
    r = RunCli({"list", ico, (dir / "modern.ico").string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "# " + ico + "\n1\t\t16x16x1 16x16x4 32x32x8 32x32x24\n# " + (dir / "modern.ico").string() +
                         "\n1\t\t16x16x4 16x16x32\n");
}

TEST_F(CliTest, ManyFilesAreListedInTheOrderGiven)
{
    // Enough files for the listing to be shared between threads: the output
    // and the error lines must still come file by file in the given order.
    WriteBytes(dir / "modern.ico", BuildIco({Alpha32(16), Color16(16)}));
    const std::string kinds[3] = {(dir / "sample.ico").string(), (dir / "modern.ico").string(),
                                  (dir / "missing.ico").string()};
    std::string lines[3], errors[3];
    for (int k = 0; k < 3; ++k) {
        RunResult alone = RunCli({"list", kinds[k]});
        lines[k] = alone.out;
        errors[k] = alone.err;
    }
    ASSERT_TRUE(errors[0].empty() && errors[1].empty() && !errors[2].empty());

    std::vector<std::string> args = {"list"};
    std::string out, err;
    for (int i = 0; i < 400; ++i) {
        // Distinct names (copies) so that an order mix-up would show.
        const int k = i % 7 == 3 ? 2 : i % 2;
        std::string path = kinds[k];
        if (k != 2) {
            path = (dir / ("copy" + std::to_string(i) + ".ico")).string();
            std::filesystem::copy_file(kinds[k], path);
            out += "# " + path + "\n" + lines[k];
        } else {
            err += errors[2];
        }
        args.push_back(path);
    }
    RunResult r = RunCli(args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, out);
    EXPECT_EQ(r.err, err);
}

TEST_F(CliTest, ExitCodesAndMessages)
{
    EXPECT_EQ(RunCli({}).status, 2);
    EXPECT_EQ(RunCli({"frobnicate"}).status, 2);
    EXPECT_EQ(RunCli({"list"}).status, 2);
    EXPECT_EQ(RunCli({"list", "--bogus", (dir / "sample.ico").string()}).status, 2);
    EXPECT_EQ(RunCli({"--help"}).status, 0);

    // A cursor file (type 2) and a missing file give no icons; the good file
    // is still listed.
    std::vector<std::uint8_t> cursor = BuildIco({Color16(16)});
    cursor[2] = 2;
    WriteBytes(dir / "cursor.ico", cursor);
    RunResult r =
        RunCli({"list", (dir / "cursor.ico").string(), (dir / "sample.ico").string(), (dir / "missing.ico").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("# " + (dir / "sample.ico").string() + "\n1\t"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("cursor.ico"), std::string::npos) << "a file without icons gets no header";
    const auto errors = Lines(r.err);
    ASSERT_EQ(errors.size(), 2u) << r.err;
    EXPECT_EQ(errors[0], (dir / "cursor.ico").string() + ": The specified file does not contains icons or is invalid");
    EXPECT_NE(errors[1].find("missing.ico"), std::string::npos);

    const std::string ico = (dir / "sample.ico").string(), png = (dir / "x.png").string();
    EXPECT_EQ(RunCli({"render", ico, "--icon", "0", "--format", "best", "-o", png}).status, 2);
    EXPECT_EQ(RunCli({"render", ico, "--format", "best"}).status, 2);
    EXPECT_EQ(RunCli({"render", ico, "--format", "best", "--background", "red", "-o", png}).status, 2);
    EXPECT_EQ(RunCli({"render", ico, "--icon", "2", "--format", "best", "-o", png}).status, 1);
    EXPECT_EQ(RunCli({"render", ico, "--icon", "1", "--format", "48x48x8", "-o", png}).status, 1);
    EXPECT_FALSE(fs::exists(png));
    EXPECT_EQ(RunCli({"convert", ico}).status, 2);
    EXPECT_EQ(RunCli({"extract", ico}).status, 2);
}

TEST_F(CliTest, RenderCompositesOntoTheBackground)
{
    const std::string ico = (dir / "sample.ico").string();
    // Sorted order: 16x16x1, 16x16x4, 32x32x8, 32x32x24.
    const std::vector<std::pair<std::string, const FixtureImage*>> formats = {
        {"16x16x1", &images[3]}, {"16x16x4", &images[1]}, {"32x32x8", &images[2]}, {"32x32x24", &images[0]}};
    for (const auto& [label, image] : formats) {
        const fs::path white = dir / (label + "-white.png"), teal = dir / (label + "-teal.png");
        RunResult r = RunCli({"render", ico, "--icon", "1", "--format", label, "-o", white.string()});
        ASSERT_EQ(r.status, 0) << r.err;
        ExpectRendered(white, *image, 0xFFFFFF);
        r = RunCli({"render", ico, "--icon=1", "--format", label, "--background", "#2080C0", "-o", teal.string()});
        ASSERT_EQ(r.status, 0) << r.err;
        ExpectRendered(teal, *image, 0x2080C0);
        // Spot checks of the rule itself: transparent shows the background,
        // inverted inverts it.
        auto png = ReadPngFile(teal);
        ASSERT_TRUE(png);
        EXPECT_EQ(png->at(0, 0) & 0xFFFFFF, 0x2080C0u) << label;
        EXPECT_EQ(png->at(2, 1) & 0xFFFFFF, 0xDF7F3Fu) << label;
    }

    // best = 48x48 in 256 colours: 32x32x8 here.
    RunResult r = RunCli({"render", ico, "--format", "best", "-o", (dir / "best.png").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    ExpectRendered(dir / "best.png", images[2], 0xFFFFFF);

    // A 32-bit image is flattened: alpha below 128 shows the background.
    WriteBytes(dir / "alpha.ico", BuildIco({Alpha32(16)}));
    r = RunCli({"render", (dir / "alpha.ico").string(), "--format", "16x16x32", "--background", "102030", "-o",
                (dir / "alpha.png").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    ExpectRendered(dir / "alpha.png", Alpha32(16), 0x102030);
}

TEST_F(CliTest, RenderMatchesIcotoolExtraction)
{
    if (!HaveTool("icotool"))
        GTEST_SKIP() << "icotool is not installed";
    // No inverted pixels: icotool has no way to show them.
    std::vector<FixtureImage> plain = {Mono16(), Color16(16), Color256(32), True24(32)};
    for (auto& f : plain) {
        auto pixel = f.pixel;
        auto mask = f.mask;
        f.pixel = [pixel, mask](int x, int y) -> std::uint32_t { return mask(x, y) ? 0 : pixel(x, y); };
        f.mask = [mask](int x, int y) { return mask(x, y) && !(x == 2 && y == 1); };
    }
    const fs::path ico = dir / "plain.ico";
    WriteBytes(ico, BuildIco(plain));
    const fs::path out = dir / "icotool";
    fs::create_directory(out);
    RunResult r = RunProgram("icotool", {"-x", "-o", out.string(), ico.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> labels = {"16x16x1", "16x16x4", "32x32x8", "32x32x24"};
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const fs::path theirs = out / ("plain_" + std::to_string(i + 1) + "_" + labels[i] + ".png");
        ASSERT_TRUE(fs::exists(theirs)) << theirs;
        const fs::path ours = dir / (labels[i] + ".png");
        r = RunCli({"render", ico.string(), "--format", labels[i], "--background", "00FF00", "-o", ours.string()});
        ASSERT_EQ(r.status, 0) << r.err;
        auto a = ReadPngFile(ours), b = ReadPngFile(theirs);
        ASSERT_TRUE(a && b);
        ASSERT_EQ(a->width, b->width);
        ASSERT_EQ(a->height, b->height);
        int wrong = 0;
        for (int y = 0; y < a->height; ++y)
            for (int x = 0; x < a->width; ++x) {
                const std::uint32_t t = b->at(x, y);
                const std::uint32_t want = (t >> 24) == 0 ? 0x00FF00 : t & 0xFFFFFF;
                wrong += (a->at(x, y) & 0xFFFFFF) != want;
            }
        EXPECT_EQ(wrong, 0) << labels[i];
    }
}

TEST_F(CliTest, ExtractNamesFilesAndNeverOverwrites)
{
    const fs::path out = dir / "out";
    RunResult r = RunCli({"extract", (dir / "sample.ico").string(), "-o", out.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, (out / "icon-1.ico").string() + "\n");
    const auto first = ReadBytes(out / "icon-1.ico");
    ASSERT_FALSE(first.empty());

    WriteBytes(dir / "other.ico", BuildIco({Mono16()}));
    r = RunCli({"extract", (dir / "other.ico").string(), "-o", out.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, (out / "icon-1 (2).ico").string() + "\n");
    EXPECT_EQ(ReadBytes(out / "icon-1.ico"), first);
    r = RunCli({"extract", (dir / "other.ico").string(), "--output", out.string()});
    EXPECT_EQ(r.out, (out / "icon-1 (3).ico").string() + "\n");

    r = RunCli({"list", (out / "icon-1.ico").string(), (out / "icon-1 (2).ico").string()});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("16x16x1 16x16x4 32x32x8 32x32x24"), std::string::npos);

    EXPECT_EQ(cli::IconFileStem("Folder", 1), "Folder");
    EXPECT_EQ(cli::IconFileStem("../up/\x01x", 2), ".._up__x");
    EXPECT_EQ(cli::IconFileStem("..", 3), "icon-3");
    EXPECT_EQ(cli::IconFileStem("", 4), "icon-4");
    EXPECT_EQ(cli::IconFileStem(std::string(300, 'a'), 5).size(), 200u);
}

TEST_F(CliTest, ConvertRoundTripKeepsEveryImage)
{
    const fs::path in = dir / "sample.ico", out = dir / "converted.ico";
    RunResult r = RunCli({"convert", in.string(), out.string()});
    ASSERT_EQ(r.status, 0) << r.err;

    std::vector<CIconGroup> a, b;
    ASSERT_TRUE(ReadIcoGroupFile(in.string(), a));
    ASSERT_TRUE(ReadIcoGroupFile(out.string(), b));
    ASSERT_EQ(a[0].FormatCount(), b[0].FormatCount());
    for (int i = 0; i < a[0].FormatCount(); ++i)
        EXPECT_EQ(a[0].GetFormat(i)->image, b[0].GetFormat(i)->image) << i;

    // Written contiguously in sorted order from 6 + 16 x count.
    r = RunCli({"list", "--offsets", out.string()});
    std::uint32_t expect = 6 + 16 * 4;
    std::string want = "1\t\t";
    const std::vector<std::string> labels = {"16x16x1", "16x16x4", "32x32x8", "32x32x24"};
    const std::vector<int> order = {3, 1, 2, 0};
    for (std::size_t i = 0; i < labels.size(); ++i) {
        want += (i ? " " : "") + labels[i] + "@" + std::to_string(expect);
        expect += static_cast<std::uint32_t>(images[order[i]].Packed().size());
    }
    EXPECT_EQ(r.out, want + "\n");
    EXPECT_EQ(fs::file_size(out), expect);

    if (HaveTool("icotool")) {
        r = RunProgram("icotool", {"-l", out.string()});
        ASSERT_EQ(r.status, 0) << r.err;
        const auto lines = Lines(r.out);
        ASSERT_EQ(lines.size(), 4u) << r.out;
        EXPECT_NE(lines[0].find("--width=16 --height=16 --bit-depth=1"), std::string::npos) << lines[0];
        EXPECT_NE(lines[3].find("--width=32 --height=32 --bit-depth=24"), std::string::npos) << lines[3];
    }
}

TEST_F(CliTest, ReadOnlyOrFolderTargetsAreRefusedAndKept)
{
    const std::string in = (dir / "sample.ico").string();
    const fs::path ico = dir / "locked.ico", icl = dir / "locked.icl";
    WriteBytes(ico, {1, 2, 3});
    WriteBytes(icl, {4, 5, 6});
    fs::permissions(ico, fs::perms::owner_read | fs::perms::group_read);
    fs::permissions(icl, fs::perms::owner_read | fs::perms::group_read);
    fs::create_symlink("locked.ico", dir / "link.ico");

    for (const auto& command : std::vector<std::vector<std::string>>{{"convert", in, ico.string()},
                                                                     {"convert", in, (dir / "link.ico").string()},
                                                                     {"to-icl", icl.string(), in}}) {
        const RunResult r = RunCli(command);
        EXPECT_EQ(r.status, 1) << command[2];
        EXPECT_NE(r.err.find("read-only"), std::string::npos) << r.err;
    }
    EXPECT_EQ(fs::file_size(ico), 3u);
    EXPECT_EQ(fs::file_size(icl), 3u);
    EXPECT_TRUE(fs::is_symlink(dir / "link.ico"));

    fs::create_directory(dir / "folder.ico");
    const RunResult r = RunCli({"convert", in, (dir / "folder.ico").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Is a directory"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::is_directory(dir / "folder.ico"));
}

TEST_F(CliTest, ToIclNamesIconsFromTheirFilesAndListsOffsets)
{
    WriteBytes(dir / "ARROW.ICO", BuildIco({Mono16()}));
    const fs::path library = dir / "set.icl";
    RunResult r = RunCli({"to-icl", library.string(), (dir / "ARROW.ICO").string(), (dir / "sample.ico").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    r = RunCli({"to-icl", (dir / "twice.icl").string(), library.string(), (dir / "missing.ico").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(fs::exists(dir / "twice.icl")) << "a library missing an input is not written";

    r = RunCli({"list", library.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1\tArrow\t16x16x1\n2\tSample\t16x16x1 16x16x4 32x32x8 32x32x24\n");

    // Offsets in a library point at the image bytes themselves.
    r = RunCli({"list", "--offsets", library.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto bytes = ReadBytes(library);
    const std::string line = Lines(r.out).at(0);
    const auto at = std::stoul(line.substr(line.find('@') + 1));
    const auto packed = Mono16().Packed();
    ASSERT_LE(at + packed.size(), bytes.size());
    EXPECT_TRUE(std::equal(packed.begin(), packed.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at)));

    // Extract names the files after the icons.
    r = RunCli({"extract", library.string(), "-o", (dir / "x").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, (dir / "x" / "Arrow.ico").string() + "\n" + (dir / "x" / "Sample.ico").string() + "\n");

    if (HaveTool("wrestool")) {
        r = RunProgram("wrestool", {"-l", library.string()});
        ASSERT_EQ(r.status, 0) << r.err;
        const auto lines = Lines(r.out);
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [](const std::string& l) { return l.find("--type=14") != std::string::npos; }),
                  2)
            << r.out;
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [](const std::string& l) { return l.find("--type=3") != std::string::npos; }),
                  5)
            << r.out;
    }
}

TEST_F(CliTest, ToIclNumbersUnnamedIconsOfOneFile)
{
    // A library whose icons lost their names: the numbered form of its file name.
    std::vector<CIconGroup> groups;
    ASSERT_TRUE(ReadIcoGroupFile((dir / "sample.ico").string(), groups));
    ASSERT_TRUE(ReadIcoGroupFile((dir / "sample.ico").string(), groups));
    ASSERT_TRUE(WriteIconLibrary((dir / "bare.icl").string(), groups));
    RunResult r = RunCli({"to-icl", (dir / "out.icl").string(), (dir / "bare.icl").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    r = RunCli({"list", (dir / "out.icl").string()});
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 2u) << r.out;
    EXPECT_EQ(lines[0].substr(0, 9), "1\tBare 1\t");
    EXPECT_EQ(lines[1].substr(0, 9), "2\tBare 2\t");
}

TEST_F(CliTest, ListEscapesControlCharactersInNames)
{
    // Names come from the file: a title-setting escape, a tab and a newline
    // must not reach the terminal or break the line format. UTF-8 text stays,
    // C1 controls do not, in UTF-8 or as single bytes.
    const std::vector<std::pair<std::string, std::string>> names = {
        {"\x1B]0;owned\x07"
         "Evil\tname\n",
         "\\x1B]0;owned\\x07Evil\\tname\\n"},
        {"back\\slash\r\x7F", "back\\\\slash\\r\\x7F"},
        {"Caf\xC3\xA9 \xE2\x82\xAC", "Caf\xC3\xA9 \xE2\x82\xAC"},
        {"Caf\xE9", "Caf\xE9"},
        {"a\xC2\x9B"
         "b\x9B"
         "c",
         "a\\xC2\\x9Bb\\x9Bc"},
    };
    std::vector<CIconGroup> groups;
    for (const auto& [name, escaped] : names) {
        ASSERT_TRUE(ReadIcoGroupFile((dir / "sample.ico").string(), groups));
        groups.back().name = name;
    }
    ASSERT_TRUE(WriteIconLibrary((dir / "names.icl").string(), groups));
    RunResult r = RunCli({"list", (dir / "names.icl").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), names.size()) << r.out;
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(lines[i], std::to_string(i + 1) + "\t" + names[i].second + "\t16x16x1 16x16x4 32x32x8 32x32x24");
}

TEST_F(CliTest, AFifoNamedLikeAnIconIsRefusedAtOnce)
{
    const fs::path fifo = dir / "x.ico";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& name : {std::string("x.ico"), std::string("x.icl")}) {
        if (name != "x.ico")
            fs::create_symlink(fifo, dir / name);
        RunResult r = RunCli({"list", (dir / name).string()});
        EXPECT_EQ(r.status, 1) << name;
        EXPECT_NE(r.err.find("does not contains icons"), std::string::npos) << r.err;
    }
}

TEST_F(CliTest, SalvageTakesTheIntactImagesOfADamagedFile)
{
    // sample.ico cut inside the image that lies last in it, the monochrome one.
    std::vector<std::uint8_t> bytes = ReadBytes(dir / "sample.ico");
    const std::uint32_t last = *std::max_element(offsets.begin(), offsets.end());
    bytes.resize(last + 100);
    const std::string cut = (dir / "cut.ico").string();
    WriteBytes(cut, bytes);

    RunResult r = RunCli({"list", cut});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");

    r = RunCli({"list", "--salvage", "--offsets", cut});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string intact = "16x16x4@" + std::to_string(offsets[1]) + " 32x32x8@" + std::to_string(offsets[2]) +
                               " 32x32x24@" + std::to_string(offsets[0]);
    EXPECT_EQ(r.out, "1\t\t" + intact + "\n");
    EXPECT_EQ(r.err, cut + ": 3 of 4 images read; the others are damaged\n");

    // Converted, the intact images make a whole file again.
    const std::string out = (dir / "mended.ico").string();
    EXPECT_EQ(RunCli({"convert", cut, out}).status, 1);
    ASSERT_EQ(RunCli({"convert", "--salvage", cut, out}).status, 0);
    r = RunCli({"list", out});
    EXPECT_EQ(r.out, "1\t\t16x16x4 32x32x8 32x32x24\n");
    EXPECT_EQ(r.err, "");
}

TEST(CliArgs, ParsingAndHelpers)
{
    std::string error;
    auto args =
        cli::ParseArgs({"a", "-o", "dir", "--flag", "--icon=3", "--", "-b"}, {"-o", "--icon"}, {"--flag"}, error);
    ASSERT_TRUE(args) << error;
    EXPECT_EQ(args->positional, (std::vector<std::string>{"a", "-b"}));
    EXPECT_EQ(args->value("-o"), "dir");
    EXPECT_EQ(args->value("--icon"), "3");
    EXPECT_TRUE(args->has("--flag"));
    EXPECT_FALSE(cli::ParseArgs({"-o"}, {"-o"}, {}, error));
    EXPECT_FALSE(cli::ParseArgs({"--flag=1"}, {}, {"--flag"}, error));
    EXPECT_FALSE(cli::ParseArgs({"-o", "a", "-o", "b"}, {"-o"}, {}, error));

    EXPECT_EQ(cli::ParsePositiveInt("12"), 12);
    EXPECT_FALSE(cli::ParsePositiveInt("0"));
    EXPECT_FALSE(cli::ParsePositiveInt("3x"));
    EXPECT_FALSE(cli::ParsePositiveInt("99999999999"));
    EXPECT_EQ(cli::ParseRgbHex("FF8000"), RGB(255, 128, 0));
    EXPECT_EQ(cli::ParseRgbHex("#0000ff"), RGB(0, 0, 255));
    EXPECT_FALSE(cli::ParseRgbHex("FF80"));
    EXPECT_FALSE(cli::ParseRgbHex("GG8000"));

    EXPECT_EQ(cli::NameFromFile("/some/dir/ARROWS.ICO"), "Arrows");
    EXPECT_EQ(cli::NameFromFile("my.icons.icl"), "My.icons");
}

} // namespace
} // namespace kavrel::test
