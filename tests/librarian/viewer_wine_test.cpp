// A compiled file run for real: the viewer's x86-64 twin under wine64 lists
// and extracts every icon exactly as kavrel-cli does from the library.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "librarian/compile.h"
#include "model/icl_file.h"
#include "model/ico_file.h"
#include "model/program_fixtures.h"
#include "support/external_tools.h"
#include "support/scripted_prompter.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::MakeIcon;

std::string Quote(const std::string& s)
{
    return "'" + s + "'";
}

std::string FindWine(const char* name)
{
    if (test::HaveTool(name))
        return name;
    const std::string packaged = std::string("/usr/lib/wine/") + name;
    return ::access(packaged.c_str(), X_OK) == 0 ? packaged : std::string();
}

class ViewerUnderWine : public ::testing::Test {
  protected:
    // One throwaway prefix for the whole suite: making it is the slow part.
    static void SetUpTestSuite()
    {
#ifdef KAVREL_VIEWER_TWIN
        wine = FindWine("wine64");
        server = FindWine("wineserver");
        if (wine.empty() || server.empty() || !fs::exists(KAVREL_VIEWER_TWIN))
            return;
        dir = test::TempFolder("viewer-wine");
        // No display, no runtime downloads: only the console side is used.
        env = "env -u DISPLAY WINEPREFIX=" + Quote(dir + "/prefix") +
              " WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' ";
        ready = test::RunCommand(env + "timeout 180 " + wine + " wineboot -i >/dev/null 2>&1");
#endif
    }
    static void TearDownTestSuite()
    {
        if (!dir.empty()) {
            test::RunCommand(env + "timeout 60 " + server + " -k >/dev/null 2>&1");
            fs::remove_all(dir);
        }
    }
    void SetUp() override
    {
        if (wine.empty())
            GTEST_SKIP() << "wine64 is not installed";
        if (dir.empty())
            GTEST_SKIP() << "built without the x86-64 viewer";
        ASSERT_TRUE(ready) << "wine64 could not make its prefix";
    }

    // Runs the program under wine; gives its standard output and exit status.
    static std::string Run(const std::string& exe, const std::string& args, int* status)
    {
        int raw = 0;
        std::string out = test::CommandOutput(
            "cd " + Quote(dir) + " && " + env + "timeout 60 " + wine + " " + Quote(exe) + " " + args, &raw);
        *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        return out;
    }

    static inline std::string wine, server, dir, env;
    static inline bool ready = false;
};

TEST_F(ViewerUnderWine, ListsAndExtractsEveryIconAsKavrelCliDoes)
{
#ifdef KAVREL_VIEWER_TWIN
    std::vector<CIconGroup> icons(3);
    icons[0].name = "Star";
    icons[0].AddFormat(MakeIcon(16, 16, 16, 1));
    icons[0].AddFormat(MakeIcon(32, 32, 256, 2));
    icons[1].AddFormat(MakeIcon(48, 48, 0, 3));
    icons[2].name = "Two words";
    icons[2].AddFormat(MakeIcon(32, 32, 2, 4));
    if (test::HaveTool("icotool") && test::HaveTool("convert")) {
        ASSERT_TRUE(test::RunCommand("cd " + Quote(dir) +
                                     " && convert -size 32x32 xc:'#00FF0080' alpha.png"
                                     " && convert -size 256x256 xc:'#123456' big.png"
                                     " && icotool -c -b 32 -o modern.ico alpha.png -r big.png"));
        ASSERT_TRUE(ReadIcoGroupFile(dir + "/modern.ico", icons));
    }
    ASSERT_TRUE(WriteIconLibrary(dir + "/source.icl", icons));

    std::ifstream in(KAVREL_VIEWER_TWIN, std::ios::binary);
    const Bytes twin{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    test::ScriptedPrompter prompts;
    const std::string exe = dir + "/my icons.exe";
    ASSERT_EQ(CompileExecutable(exe, "Test icons", "(c) Nobody", icons, twin), CompileResult::Written);

    int status = 0;
    const std::string listed = Run(exe, "/list", &status);
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(listed.empty());
    EXPECT_EQ(listed, test::CommandOutput(std::string(KAVREL_CLI_PATH) + " list " + Quote(dir + "/source.icl")));

    std::istringstream written(test::CommandOutput(std::string(KAVREL_CLI_PATH) + " extract " +
                                                   Quote(dir + "/source.icl") + " -o " + Quote(dir + "/cli")));
    std::string reference;
    std::size_t n = 1;
    for (; std::getline(written, reference); ++n) {
        const std::string out = "extracted " + std::to_string(n) + ".ico";
        Run(exe, "/extract " + std::to_string(n) + " " + Quote(out), &status);
        EXPECT_EQ(status, 0) << n;
        EXPECT_EQ(test::ReadFileBytes(dir + "/" + out), test::ReadFileBytes(reference)) << n;
        if (n == icons.size()) {
            Run(exe, "/extract " + std::to_string(n + 1) + " beyond.ico 2>/dev/null", &status);
            EXPECT_EQ(status, 1);
            EXPECT_FALSE(fs::exists(dir + "/beyond.ico"));
        }
    }
    EXPECT_EQ(n, icons.size() + 1);

    // A damaged trailer is refused, not shown.
    Bytes cut = test::ReadFileBytes(exe);
    cut.resize(twin.size() + 200);
    test::WriteFileBytes(dir + "/cut.exe", cut);
    EXPECT_EQ(Run(dir + "/cut.exe", "/list 2>&1", &status),
              "This program is damaged: the icons it carries cannot be read.\n");
    EXPECT_EQ(status, 1);
#endif
}

} // namespace
} // namespace kavrel
