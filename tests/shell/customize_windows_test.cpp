#include "shell/core/customize_windows.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "model/ico_file.h"
#include "model/icon_model.h"
#include "platform/registry.h"
#include "shell/core/settings.h"
#include "support/scripted_prompter.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;

class FixedTheme : public DesktopIconTheme {
  public:
    std::string Current() override { return name; }
    bool Set(const std::string& n) override
    {
        name = n;
        return true;
    }
    std::string name = "Adwaita";
};

class NoPrograms : public ProgramRunner {
  public:
    bool Exists(const std::string&) override { return false; }
    int Run(const std::vector<std::string>&, std::string*) override { return -1; }
};

class CustomizeTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/kavrel-customize-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        custom_ = std::make_unique<CustomizeWindows>(
            registry_, "/opt/kavrel/kavrel", DesktopFolders{root_ + "/data", root_ + "/config"}, theme_, programs_);
    }
    void TearDown() override { fs::remove_all(root_); }
    std::optional<std::string> ShellIcon(const std::string& name)
    {
        return registry_.queryString(RegHive::LocalMachine, kShellIconsKey, name);
    }
    CustomEntry& Standard(std::vector<CustomEntry>& entries, int number)
    {
        for (CustomEntry& e : entries)
            if (e.number == number)
                return e;
        throw std::runtime_error("no such icon");
    }
    // An ICO file with 16x16 and 32x32 images in 16 colours.
    std::string WriteIcon(const std::string& name)
    {
        CIconObject small(4, 16, 16, 0), large(4, 32, 32, 0);
        small.PackToIcon();
        large.PackToIcon();
        std::string path = root_ + "/" + name;
        EXPECT_TRUE(WriteIcoFile(path, {&small.packed, &large.packed}));
        return path;
    }

    std::string root_;
    Registry registry_{""};
    FixedTheme theme_;
    NoPrograms programs_;
    std::unique_ptr<CustomizeWindows> custom_;
    test::ScriptedPrompter prompts_;
};

TEST_F(CustomizeTest, ParametersReadAndApplyWithTheirNotifications)
{
    CustomParameters p = custom_->ReadParameters();
    EXPECT_EQ(p.sizeIndex, 0); // no "Shell Icon Size": 32x32
    EXPECT_TRUE(p.arrow);
    EXPECT_FALSE(p.highColour);

    // Nothing changed: nothing is told.
    custom_->Apply(p, {}, custom_->ReadStandardIcons(), false);
    EXPECT_TRUE(custom_->notifications.empty());

    custom_->RebuildIconCache();
    EXPECT_EQ(registry_.queryString(RegHive::CurrentUser, kWindowMetricsKey, "Shell Icon Size"), "32");
    EXPECT_EQ(custom_->notifications.size(), 2u);
    custom_->notifications.clear();

    // Hiding the arrow names the program's own icon 14, rebuilds and refreshes.
    p.arrow = false;
    p.sizeIndex = 3;
    custom_->Apply(p, {}, {}, false);
    EXPECT_EQ(ShellIcon("29"), "/opt/kavrel/kavrel,14");
    // The rebuild the arrow asks for clamps the new 72 to 64.
    EXPECT_EQ(registry_.queryString(RegHive::CurrentUser, kWindowMetricsKey, "Shell Icon Size"), "64");
    EXPECT_EQ(custom_->notifications.size(), 3u);
    p = custom_->ReadParameters();
    p.arrow = true;
    custom_->Apply(p, {}, {}, false);
    EXPECT_FALSE(ShellIcon("29"));

    // The colour depth takes effect after a restart, which is said unless closing.
    p.highColour = true;
    custom_->notifications.clear();
    EXPECT_TRUE(custom_->Apply(p, {}, {}, false));
    EXPECT_EQ(registry_.queryString(RegHive::CurrentUser, kWindowMetricsKey, "Shell Icon BPP"), "16");
    EXPECT_TRUE(custom_->notifications.empty());
    ASSERT_EQ(prompts_.shown.size(), 1u);
    p.highColour = false;
    custom_->Apply(p, {}, {}, true);
    EXPECT_EQ(prompts_.shown.size(), 1u);
}

TEST_F(CustomizeTest, StandardIconsWriteDeleteAndCompareIgnoringCase)
{
    registry_.setString(RegHive::LocalMachine, kShellIconsKey, "3", "C:\\icons\\folder.ico,0");
    std::vector<CustomEntry> entries = custom_->ReadStandardIcons();
    ASSERT_EQ(entries.size(), 28u);
    EXPECT_EQ(entries.back().number, 40);
    EXPECT_EQ(Standard(entries, 3).path, "C:\\icons\\folder.ico");
    EXPECT_EQ(Standard(entries, 8).path, Shell32Path());
    EXPECT_EQ(Standard(entries, 8).index, 8);

    // The same file in other capitals is a change of text only: written.
    CustomizeWindows::SetIcon(Standard(entries, 3), "C:\\ICONS\\FOLDER.ICO", 0);
    custom_->Apply(custom_->ReadParameters(), {}, entries, false);
    EXPECT_EQ(ShellIcon("3"), "C:\\icons\\folder.ico,0"); // equal ignoring case: kept
    CustomizeWindows::SetIcon(Standard(entries, 3), "C:\\ICONS\\FOLDER.ICO", 1);
    custom_->Apply(custom_->ReadParameters(), {}, entries, false);
    EXPECT_EQ(ShellIcon("3"), "C:\\ICONS\\FOLDER.ICO,1");

    // Back to the default: the value goes.
    custom_->SetDefaultIcon(Standard(entries, 3));
    custom_->notifications.clear();
    custom_->Apply(custom_->ReadParameters(), {}, entries, false);
    EXPECT_FALSE(ShellIcon("3"));
    EXPECT_EQ(custom_->notifications.size(), 3u); // rebuild (two) and refresh

    // A path under %SystemRoot% stays in that form.
    CustomEntry rooted;
    rooted.path = "%SystemRoot%\\system\\shell32.dll";
    CustomizeWindows::SetIcon(rooted, WindowsDirectory() + "\\moricons.dll", 2);
    EXPECT_EQ(rooted.path, "%SystemRoot%\\moricons.dll");
}

TEST_F(CustomizeTest, AStoreWithoutAShellShowsTheItemsAFreshShellHas)
{
    std::vector<CustomEntry> items = custom_->ReadDesktopItems();
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].name, "Poste de travail"); // no class name: the fallback
    EXPECT_EQ(items[0].path, "%SystemRoot%\\SYSTEM\\shell32.dll");
    EXPECT_EQ(items[0].index, 15);
    EXPECT_EQ(items[3].valueName, "full");
}

TEST_F(CustomizeTest, DesktopItemsRecordTheirDefaultsAndTheRecycleBinFollowsItsState)
{
    const std::string bin = std::string("CLSID\\") + kRecycleBinClsid;
    registry_.setString(RegHive::ClassesRoot, bin, "", "Recycle-Bin");
    registry_.setString(RegHive::ClassesRoot, bin + "\\DefaultIcon", "", "shell32.dll,31");
    registry_.setString(RegHive::ClassesRoot, bin + "\\DefaultIcon", "empty", "shell32.dll,31");
    registry_.setString(RegHive::ClassesRoot, bin + "\\DefaultIcon", "full", "shell32.dll,32");
    registry_.setString(RegHive::ClassesRoot, bin + "\\DefaultIcon", "Full", "shell32.dll,32");
    std::vector<CustomEntry> items = custom_->ReadDesktopItems();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].name, "Recycle Bin (Empty)");
    EXPECT_EQ(items[1].name, "Recycle Bin (Filled)");
    const std::string record = std::string(kApplicationKey) + "\\DefaultIcons";
    EXPECT_EQ(registry_.queryString(RegHive::CurrentUser, record, std::string(kRecycleBinClsid) + "empty"),
              "shell32.dll,31");

    // The bin shows its empty icon, so the empty entry also sets the default value.
    CustomizeWindows::SetIcon(items[0], "C:\\bin.ico", 0);
    custom_->Apply(custom_->ReadParameters(), items, {}, false);
    EXPECT_EQ(registry_.queryString(RegHive::ClassesRoot, bin + "\\DefaultIcon", "empty"), "C:\\bin.ico,0");
    EXPECT_EQ(registry_.queryString(RegHive::ClassesRoot, bin + "\\DefaultIcon", ""), "C:\\bin.ico,0");
    EXPECT_EQ(custom_->notifications, std::vector<std::string>{"SHChangeNotify SHCNE_ASSOCCHANGED"});

    // The record is never overwritten, and Default icon returns to it.
    custom_->ReadDesktopItems();
    custom_->SetDefaultIcon(items[0]);
    EXPECT_EQ(items[0].path, "shell32.dll");
    EXPECT_EQ(items[0].index, 31);
}

TEST_F(CustomizeTest, TheIconThemeHoldsEverySizeOfTheChosenIconOverTheCurrentTheme)
{
    std::vector<CustomEntry> entries = custom_->ReadStandardIcons();
    CustomizeWindows::SetIcon(Standard(entries, 3), WriteIcon("my folder.ico"), 0);
    custom_->Apply(custom_->ReadParameters(), {}, entries, false);
    std::string theme = custom_->ThemeFolder();
    EXPECT_TRUE(fs::exists(theme + "/16x16/apps/folder.png"));
    EXPECT_TRUE(fs::exists(theme + "/32x32/apps/folder.png"));
    auto index = ReadTextFile(theme + "/index.theme");
    ASSERT_TRUE(index);
    EXPECT_EQ(IniValue(*index, "Icon Theme", "Inherits"), "Adwaita,hicolor");
    EXPECT_EQ(IniValue(*index, "Icon Theme", "Directories"), "16x16/apps,32x32/apps");
    EXPECT_EQ(IniValue(*index, "32x32/apps", "Size"), "32");

    // Using our theme keeps inheriting the one it replaced, and gives it back.
    custom_->UseTheme(true);
    EXPECT_EQ(theme_.name, kIconThemeName);
    custom_->UseTheme(false);
    EXPECT_EQ(theme_.name, "Adwaita");

    custom_->SetDefaultIcon(Standard(entries, 3));
    custom_->Apply(custom_->ReadParameters(), {}, entries, false);
    EXPECT_FALSE(fs::exists(theme + "/16x16/apps/folder.png"));
    EXPECT_FALSE(fs::exists(theme + "/32x32/apps/folder.png"));
}

} // namespace
} // namespace kavrel
