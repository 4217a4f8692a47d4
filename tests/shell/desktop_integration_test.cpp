// The associations' desktop files as the desktop's own tools read them, and
// the thumbnailer run the way a file manager runs it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "model/png_image.h"
#include "platform/byte_reader.h"
#include "platform/registry.h"
#include "shell/core/associations.h"
#include "support/external_tools.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;

std::string Quote(const std::string& s)
{
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// An Exec line split as the desktop does: blanks separate, double quotes
// group, a backslash inside quotes takes the next character; the key's own
// string escapes are undone first.
std::vector<std::string> SplitExec(const std::string& value)
{
    std::string text;
    for (std::size_t i = 0; i < value.size(); ++i)
        text += value[i] == '\\' && i + 1 < value.size() ? value[++i] : value[i];
    std::vector<std::string> args;
    std::string current;
    bool quoted = false, any = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quoted && c == '\\' && i + 1 < text.size()) {
            current += text[++i];
        } else if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if (c == ' ' && !quoted) {
            if (any || !current.empty())
                args.push_back(current);
            current.clear();
            any = false;
        } else {
            current += c;
        }
    }
    if (any || !current.empty())
        args.push_back(current);
    return args;
}

class DesktopIntegration : public ::testing::Test {
  protected:
    void SetUp() override
    {
        for (const char* tool : {"desktop-file-validate", "xdg-mime", "convert"})
            if (!test::HaveTool(tool))
                GTEST_SKIP() << tool << " is not installed";
        char pattern[] = "/tmp/kavrel-desktop-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        fs::create_directories(root_ + "/program folder");
        folders_ = {root_ + "/data", root_ + "/config"};
    }
    void TearDown() override
    {
        if (!root_.empty())
            fs::remove_all(root_);
    }
    std::string Env() const
    {
        return "env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION XDG_DATA_HOME=" + Quote(folders_.dataHome) +
               " XDG_CONFIG_HOME=" + Quote(folders_.configHome) + " ";
    }
    // The PNG the thumbnailer writes for `input` at `size`, or nullopt when it fails.
    std::optional<PngPixels> Thumbnail(const std::string& exec, const std::string& input, int size)
    {
        std::string out = root_ + "/thumb " + fs::path(input).filename().string() + ".png";
        std::string command;
        for (std::string arg : SplitExec(exec)) {
            if (arg == "%s")
                arg = std::to_string(size);
            else if (arg == "%i")
                arg = input;
            else if (arg == "%o")
                arg = out;
            command += Quote(arg) + " ";
        }
        if (!test::RunCommand(command + "2>/dev/null")) {
            EXPECT_FALSE(fs::exists(out)) << "a failed thumbnail leaves no file";
            return std::nullopt;
        }
        auto bytes = ReadWholeFile(out);
        return bytes ? DecodePng(*bytes) : std::nullopt;
    }

    std::string root_;
    DesktopFolders folders_;
};

TEST_F(DesktopIntegration, RepairedFilesPassTheDesktopToolsAndTheThumbnailerDrawsEachKind)
{
    // The program under a folder with a blank, as users install them.
    std::string program = root_ + "/program folder/kavrel";
    std::string cli = root_ + "/program folder/kavrel-cli";
    fs::copy_file(KAVREL_CLI_PATH, cli);
    Registry registry("");
    FileAssociations assoc(registry, program, FindCliBeside(program), folders_, SystemPrograms());
    ASSERT_TRUE(assoc.Repair(true, true));
    EXPECT_TRUE(assoc.Check());

    std::string out;
    EXPECT_TRUE(test::RunCommand("desktop-file-validate " + Quote(assoc.DesktopEntryPath()) + " 2>&1", &out)) << out;
    EXPECT_EQ(test::CommandOutput(Env() + "xdg-mime query default image/vnd.microsoft.icon"), "kavrel.desktop\n");
    EXPECT_EQ(test::CommandOutput(Env() + "xdg-mime query default application/x-kavrel-icon-library"),
              "kavrel.desktop\n");
    if (test::HaveTool("update-mime-database") && test::HaveTool("gio")) {
        // The library type is known by its glob once the database is refreshed.
        fs::path library = root_ + "/set.icl";
        std::ofstream(library) << "MZ";
        EXPECT_NE(test::CommandOutput(Env() + "gio info " + Quote(library.string()) + " 2>/dev/null")
                      .find("content-type: application/x-kavrel-icon-library"),
                  std::string::npos);
    }

    // Fixtures: an ICO with 16, 32 and 48 pixel images, a library and a DLL holding it.
    std::string ico = root_ + "/sample.ico";
    ASSERT_TRUE(test::RunCommand("convert -size 48x48 xc:none -fill red -draw 'circle 24,24 24,4' -define "
                                 "icon:auto-resize=48,32,16 " +
                                 Quote(ico)));
    std::string icl = root_ + "/sample.icl";
    ASSERT_TRUE(test::RunCommand(Quote(cli) + " to-icl " + Quote(icl) + " " + Quote(ico) + " >/dev/null"));
    std::string text = root_ + "/notes.txt";
    std::ofstream(text) << "no icon here\n";

    std::string thumbnailer = *ReadTextFile(assoc.ThumbnailerPath());
    EXPECT_EQ(IniValue(thumbnailer, "Thumbnailer Entry", "TryExec"), cli); // a file name, not a command
    std::string exec = IniValue(thumbnailer, "Thumbnailer Entry", "Exec").value_or("");
    for (const std::string& input : {ico, icl}) {
        auto png = Thumbnail(exec, input, 40);
        ASSERT_TRUE(png) << input;
        EXPECT_EQ(png->width, 32);
        EXPECT_EQ(png->height, 32);
        // Real alpha: the corner is transparent, the middle opaque red.
        EXPECT_EQ(png->argb[0] >> 24, 0u);
        EXPECT_EQ(png->argb[16 * 32 + 16], 0xFFFF0000u);
    }
    auto small = Thumbnail(exec, ico, 8); // smaller than every image: scaled down
    ASSERT_TRUE(small);
    EXPECT_EQ(small->width, 8);
    EXPECT_FALSE(Thumbnail(exec, text, 128));

    if (test::HaveTool("i686-w64-mingw32-windres") && test::HaveTool("i686-w64-mingw32-gcc")) {
        std::ofstream(root_ + "/main.c") << "int dummy(void) { return 0; }\n";
        std::ofstream(root_ + "/res.rc") << "1 ICON \"sample.ico\"\n";
        ASSERT_TRUE(test::RunCommand("cd " + Quote(root_) +
                                     " && i686-w64-mingw32-windres -O coff -o res.o res.rc && i686-w64-mingw32-gcc "
                                     "-shared -o sample.dll main.c res.o 2>&1"));
        auto png = Thumbnail(exec, root_ + "/sample.dll", 256);
        ASSERT_TRUE(png);
        EXPECT_EQ(png->width, 48);
    }
}

} // namespace
} // namespace kavrel
