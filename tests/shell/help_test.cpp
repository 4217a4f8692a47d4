#include "shell/core/help.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "resources/command_ids.h"

namespace kavrel {
namespace {

class RecordingDesktop : public DesktopOpener {
  public:
    RecordingDesktop() { SetDesktopOpener(this); }
    ~RecordingDesktop() override { SetDesktopOpener(nullptr); }
    bool OpenUrl(const std::string& url) override
    {
        opened.push_back(url);
        return true;
    }
    std::vector<std::string> opened;
};

TEST(Help, EachCommandOpensTheManualAtItsSection)
{
    RecordingDesktop desktop;
    SetHelpFolder("/opt/my kavrel");
    EXPECT_EQ(HelpFilePath(), "/opt/my kavrel/help/kavrel-manual.html");
    for (std::uint16_t id : {ID_HELP_FINDER, ID_HELP_USING, ID_HELP, ID_CONTEXT_HELP})
        OpenHelp(HelpSectionForCommand(id, help_section::kDrawing));
    OpenHelp(HelpSectionForCommand(ID_HELP, ""));
    OpenWebSite();
    const std::string file = "file:///opt/my%20kavrel/help/kavrel-manual.html";
    EXPECT_EQ(desktop.opened, (std::vector<std::string>{file + "#contents", file + "#using-help", file + "#drawing",
                                                        file + "#drawing", file + "#contents", kWebSiteAddress}));
    SetHelpFolder("");
}

TEST(Help, TheBuiltManualHoldsEverySectionCommandsOpen)
{
    std::ifstream in(std::filesystem::path(KAVREL_CLI_PATH).parent_path().parent_path() /
                     "app/help/kavrel-manual.html");
    if (!in)
        GTEST_SKIP() << "the manual is built with the program";
    std::string html((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const char* section :
         {help_section::kContents, help_section::kUsingHelp, help_section::kWhatIsKavrel, help_section::kDrawing,
          help_section::kLibrarian, help_section::kProgramFiles, help_section::kPreferences,
          help_section::kCustomizeWindows, help_section::kAssociations})
        EXPECT_NE(html.find("id=\"" + std::string(section) + "\""), std::string::npos) << section;
}

} // namespace
} // namespace kavrel
