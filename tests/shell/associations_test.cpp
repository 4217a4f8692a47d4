#include "shell/core/associations.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "platform/registry.h"
#include "shell/core/settings.h"
#include "support/external_tools.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;

// Records what would run instead of running it.
class NoPrograms : public ProgramRunner {
  public:
    bool Exists(const std::string&) override { return true; }
    int Run(const std::vector<std::string>& argv, std::string*) override
    {
        ran.push_back(argv.front());
        return 0;
    }
    std::vector<std::string> ran;
};

class ScriptedWarning : public AssociationWarning {
  public:
    bool Show(AssociationChoices& choices) override
    {
        ++shown;
        seen = choices;
        if (answer)
            choices = *answer;
        return repair;
    }
    int shown = 0;
    AssociationChoices seen;
    std::optional<AssociationChoices> answer;
    bool repair = false;
};

class AssociationsTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/kavrel-assoc-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        folders_ = {root_ + "/data", root_ + "/config"};
        ResetSettings();
    }
    void TearDown() override
    {
        ResetSettings();
        fs::remove_all(root_);
    }
    FileAssociations Make(const std::string& program = "/opt/kavrel/kavrel")
    {
        return FileAssociations(registry_, program, "/opt/kavrel/kavrel-cli", folders_, programs_);
    }
    std::optional<std::string> Classes(const std::string& key)
    {
        return registry_.queryString(RegHive::ClassesRoot, key, "");
    }
    bool NothingWritten() const
    {
        return registry_.subkeys(RegHive::ClassesRoot, "").empty() && !fs::exists(root_ + "/data") &&
               !fs::exists(root_ + "/config");
    }

    std::string root_;
    DesktopFolders folders_;
    Registry registry_{""};
    NoPrograms programs_;
};

TEST_F(AssociationsTest, RepairWritesBothGroupsAndTheCheckIgnoresCase)
{
    FileAssociations assoc = Make();
    EXPECT_FALSE(assoc.Check());
    EXPECT_TRUE(NothingWritten()); // checking writes nothing

    ASSERT_TRUE(assoc.Repair(true, true));
    EXPECT_EQ(Classes(".il"), "iclfile");
    EXPECT_EQ(Classes(".nil"), "iclfile");
    EXPECT_EQ(Classes(".icl"), "iclfile");
    EXPECT_EQ(Classes("iclfile\\shell\\edit\\command"), "/opt/kavrel/kavrel %1");
    EXPECT_EQ(Classes("icofile\\shell\\open\\command"), "/opt/kavrel/kavrel %1");
    EXPECT_EQ(Classes("icofile\\DefaultIcon"), "%1");
    EXPECT_TRUE(assoc.Check());
    EXPECT_EQ(programs_.ran, (std::vector<std::string>{"update-mime-database", "update-desktop-database"}));

    registry_.setString(RegHive::ClassesRoot, ".ico", "", "ICOFILE");
    EXPECT_TRUE(assoc.Check());
    // Another program's path, or a desktop file gone, is not correct.
    EXPECT_FALSE(Make("/usr/bin/other").Check());
    fs::remove(assoc.ThumbnailerPath());
    EXPECT_FALSE(assoc.Check());
}

TEST_F(AssociationsTest, TheCommandNamesTheWholeProgramPath)
{
    std::string program = "/home/someone/" + std::string(120, 'x') + "/kavrel";
    FileAssociations assoc = Make(program);
    assoc.Repair(true, true);
    EXPECT_EQ(Classes("icofile\\shell\\open\\command"), program + " %1");
    EXPECT_TRUE(assoc.Check());
}

TEST_F(AssociationsTest, NoGroupChosenWritesNothingAndOneGroupKeepsTheCheckFailing)
{
    FileAssociations assoc = Make();
    ASSERT_TRUE(assoc.Repair(false, false));
    EXPECT_TRUE(NothingWritten());
    EXPECT_TRUE(programs_.ran.empty());

    assoc.Repair(false, true);
    EXPECT_EQ(Classes(".ico"), "icofile");
    EXPECT_FALSE(Classes(".icl"));
    EXPECT_FALSE(assoc.Check());
}

TEST_F(AssociationsTest, StartupStepRepairsWarnsOrStaysQuietAsTheSettingsSay)
{
    FileAssociations assoc = Make();
    ScriptedWarning warning;
    int splashClosed = 0;
    auto closeSplash = [&] { ++splashClosed; };

    // Icons only, warning on: the library entries are never written, so
    // every start warns again.
    TypesTypeIco = 1;
    TypesTypeIcl = 0;
    warning.repair = true;
    for (int start = 0; start < 2; ++start)
        EXPECT_EQ(CheckAssociationsAtStartup(assoc, warning, closeSplash), AssociationStep::Warned);
    EXPECT_EQ(warning.shown, 2);
    EXPECT_EQ(splashClosed, 2);
    EXPECT_EQ(Classes(".ico"), "icofile");
    EXPECT_FALSE(Classes(".il"));

    // The boxes as left are the settings, and Repair uses them.
    warning.answer = AssociationChoices{1, 1, 0, 1};
    CheckAssociationsAtStartup(assoc, warning, closeSplash);
    EXPECT_EQ(warning.seen.libraries, 0);
    EXPECT_EQ(TypesTypeIcl, 1);
    EXPECT_EQ(ShowWarnTypes, 0);
    EXPECT_EQ(TypesCorrectionAuto, 1);
    EXPECT_EQ(Classes(".il"), "iclfile");
    EXPECT_EQ(CheckAssociationsAtStartup(assoc, warning, closeSplash), AssociationStep::Correct);

    // Repaired silently when asked to; nothing when the warning is off.
    registry_.deleteValue(RegHive::ClassesRoot, ".nil", "");
    EXPECT_EQ(CheckAssociationsAtStartup(assoc, warning, closeSplash), AssociationStep::Repaired);
    EXPECT_TRUE(assoc.Check());
    registry_.deleteValue(RegHive::ClassesRoot, ".nil", "");
    TypesCorrectionAuto = 0;
    EXPECT_EQ(CheckAssociationsAtStartup(assoc, warning, closeSplash), AssociationStep::Nothing);
    EXPECT_EQ(warning.shown, 3);
}

TEST(DesktopFiles, ExecArgumentsMimeAppsAndIniEditing)
{
    EXPECT_EQ(DesktopExecArgument("/usr/bin/kavrel"), "/usr/bin/kavrel");
    EXPECT_EQ(DesktopExecArgument("/opt/my apps/k$v\"100%"), "\"/opt/my apps/k\\\\$v\\\\\"100%%\"");

    std::string text = "[Added Associations]\ntext/plain=gedit.desktop;\n\n[Default Applications]\n"
                       "image/png=viewer.desktop;\n";
    text = SetMimeAppsDefault(text, "image/png", "kavrel.desktop");
    text = SetMimeAppsDefault(text, "image/vnd.microsoft.icon", "kavrel.desktop");
    EXPECT_EQ(MimeAppsDefault(text, "image/png"), "kavrel.desktop");
    EXPECT_EQ(MimeAppsDefault(text, "image/vnd.microsoft.icon"), "kavrel.desktop");
    EXPECT_EQ(IniValue(text, "Added Associations", "text/plain"), "gedit.desktop;");
    EXPECT_EQ(MimeAppsDefault("", "image/png"), "");
    EXPECT_EQ(SetIniValue("", "Icons", "Theme", "Kavrel"), "[Icons]\nTheme=Kavrel\n");
}

} // namespace
} // namespace kavrel
