#include "shell/core/settings.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "platform/registry.h"
#include "resources/strings.h"
#include "support/scripted_prompter.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;

const char* const kPrefs = "Software\\Orvane\\Kavrel 4.0\\prefs";
const char* const kColors = "Software\\Orvane\\Kavrel 4.0\\colors";
const char* const kMainWin = "Software\\Orvane\\Kavrel 4.0\\mainwin";

class SettingsTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/kavrel-settings-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        ResetSettings();
    }
    void TearDown() override
    {
        ResetSettings();
        fs::remove_all(folder_);
    }
    std::string folder_;
};

TEST_F(SettingsTest, AnEmptyStoreGivesEveryDefault)
{
    // Spoil every variable first, so that loading must set each one.
    for (const auto& s : SettingsTable()) {
        if (s.intValue)
            *s.intValue = 77;
        if (s.stringValue)
            *s.stringValue = "spoilt";
        if (s.colourValue)
            *s.colourValue = 0x123456;
    }
    Registry reg(folder_);
    reg.load();
    LoadSettings(reg);

    EXPECT_EQ(CouleursJPEG, 2);
    EXPECT_EQ(MotifTransparent, 0);
    EXPECT_EQ(ReorganiseAuto, 1);
    EXPECT_EQ(EcoRes, 0);
    EXPECT_EQ(PosEditeur, 2);
    EXPECT_EQ(ORVBankSeparatorH, 200);
    EXPECT_EQ(LibBarFloatSizeV, 250);
    EXPECT_EQ(LibBarFloatSizeH, 550);
    EXPECT_EQ(TypeReorganisation, 1);
    EXPECT_EQ(TypesCorrectionAuto, 0);
    EXPECT_EQ(GrilleAuto, 1);
    EXPECT_EQ(insertTextePolice, "MS Sans Serif");
    EXPECT_EQ(insertTexteTaille, 8);
    EXPECT_EQ(insertTexteTexte, "");
    EXPECT_EQ(BankPathName, "");
    EXPECT_EQ(Converted, 0);
    EXPECT_EQ(CustColor[0], 0u);
    EXPECT_EQ(CustColor[15], 0u);
    EXPECT_EQ(PalColor[0], 0xC0C0FFu);
    EXPECT_EQ(PalColor[7], 0xFFFFFFu);
    EXPECT_EQ(PalColor[47], 0x000000u);
    EXPECT_EQ(ClipBoardBackgroundColor, 16777215u);
    EXPECT_EQ(CouleurFondEditeur, 8404992u);

    // The table holds each value once, under the sections of the store.
    std::set<std::string> names;
    std::set<std::string> sections;
    for (const auto& s : SettingsTable()) {
        EXPECT_TRUE(names.insert(s.name).second) << s.name;
        sections.insert(s.section);
    }
    EXPECT_EQ(names.size(), 43u + 1 + 9 + 16 + 48 + 2 + 5 + 1);
    EXPECT_EQ(sections, (std::set<std::string>{"prefs", "paths", "specs", "colors", "Settings"}));

    auto p = LoadMainWindowPlacement(reg, 1024, 768);
    EXPECT_TRUE(p.maximized);
    EXPECT_EQ(p.normal, (WindowRect{5, 5, 1024, 768}));
}

TEST_F(SettingsTest, ValuesSurviveARestartWithTheirTypes)
{
    {
        Registry reg(folder_);
        reg.load();
        LoadSettings(reg);
        GrilleAuto = 0;
        TypeReorganisation = 2;
        insertTexteTexte = "Hello \"there\"";
        BankPathName = "Folder\\Library.icl";
        CouleurFondEditeur = 0x00FF00;
        PalColor[47] = 0x102030;
        ASSERT_TRUE(SaveSettings(reg));
    }
    ResetSettings();
    Registry reg(folder_);
    reg.load();
    // Types as the store keeps them: numbers as numbers, colours as decimal strings.
    EXPECT_EQ(reg.queryDword(RegHive::CurrentUser, kPrefs, "GrilleAuto"), 0u);
    EXPECT_EQ(reg.queryDword(RegHive::CurrentUser, kPrefs, "AfficheOmbreIcone"), 1u);
    EXPECT_EQ(reg.queryString(RegHive::CurrentUser, kColors, "CouleurFondEditeur"), "65280");
    EXPECT_EQ(reg.queryString(RegHive::CurrentUser, kColors, "PalColor48"), "1056816");
    EXPECT_EQ(reg.queryString(RegHive::CurrentUser, kColors, "CustColor01"), "0");
    EXPECT_EQ(reg.queryString(RegHive::CurrentUser, "Software\\Orvane\\Kavrel 4.0\\paths", "BankPathName"),
              "Folder\\Library.icl");
    LoadSettings(reg);
    EXPECT_EQ(GrilleAuto, 0);
    EXPECT_EQ(TypeReorganisation, 2);
    EXPECT_EQ(insertTexteTexte, "Hello \"there\"");
    EXPECT_EQ(BankPathName, "Folder\\Library.icl");
    EXPECT_EQ(CouleurFondEditeur, 0x00FF00u);
    EXPECT_EQ(PalColor[47], 0x102030u);

    // One value written at once leaves the others in the store as they were.
    Converted = 1;
    GrilleAuto = 1;
    ASSERT_TRUE(SaveSetting(reg, "Converted"));
    EXPECT_FALSE(SaveSetting(reg, "NoSuchSetting"));
    Registry again(folder_);
    again.load();
    EXPECT_EQ(again.queryDword(RegHive::CurrentUser, "Software\\Orvane\\Kavrel 4.0\\specs", "Converted"), 1u);
    EXPECT_EQ(again.queryDword(RegHive::CurrentUser, kPrefs, "GrilleAuto"), 0u);
}

TEST_F(SettingsTest, WrongTypesAndOddValuesTakeTheDefault)
{
    Registry reg("");
    reg.setString(RegHive::CurrentUser, kPrefs, "GrilleAuto", "0");         // a string where a number belongs
    reg.setDword(RegHive::CurrentUser, kColors, "CouleurFondEditeur", 255); // a number where a string belongs
    reg.setDword(RegHive::CurrentUser, kPrefs, "MotifTransparent", 7);      // no such pattern pair
    reg.setDword(RegHive::CurrentUser, kPrefs, "TypeReorganisation", 0xFFFFFFFF);
    reg.setDword(RegHive::CurrentUser, kPrefs, "LibBarSizeH", 0xFFFFFF00);
    reg.setDword(RegHive::CurrentUser, kPrefs, "ReorganiseAuto", 0);
    reg.setString(RegHive::CurrentUser, kColors, "PalColor01", "red");
    reg.setString(RegHive::CurrentUser, kColors, "PalColor02", " 255xyz");
    reg.setString(RegHive::CurrentUser, kColors, "PalColor03", "99999999999999999999999");
    reg.setString(RegHive::CurrentUser, kColors, "PalColor04", "-1");
    reg.setString(RegHive::CurrentUser, kColors, "PalColor05", "33554687"); // 0x020000FF
    LoadSettings(reg);
    EXPECT_EQ(GrilleAuto, 1);
    EXPECT_EQ(CouleurFondEditeur, 0x804000u);
    EXPECT_EQ(MotifTransparent, 0);
    EXPECT_EQ(TypeReorganisation, 1);
    EXPECT_EQ(LibBarSizeH, 200);
    EXPECT_EQ(ReorganiseAuto, 0);
    // Colours parse as plain decimals: a non-number is black, never out of the colour range.
    EXPECT_EQ(PalColor[0], 0u);
    EXPECT_EQ(PalColor[1], 255u);
    EXPECT_EQ(PalColor[2] & 0xFF000000u, 0u);
    EXPECT_EQ(PalColor[3], 0x00FFFFFFu);
    EXPECT_EQ(PalColor[4], 0x0000FFu);
}

TEST_F(SettingsTest, PaletteBarColoursKeepTheirWholeValue)
{
    Registry reg("");
    // Defaults when absent or empty: black on the left, palette entry 0 on the right.
    reg.setString(RegHive::CurrentUser, kColors, "RightColor", "");
    LoadSettings(reg);
    EXPECT_EQ(LeftColor, 0u);
    EXPECT_EQ(RightColor, 0x01000000u);
    EXPECT_EQ(SelectedColor, 47);

    // Pseudo-colours are negative as signed decimal text, and survive a round trip.
    LeftColor = 0xF1000000u;
    RightColor = 0x010000FEu;
    IsDirty = 1;
    SelectedColor = 257;
    ASSERT_TRUE(SaveSettings(reg));
    EXPECT_EQ(reg.queryString(RegHive::CurrentUser, kColors, "LeftColor"), "-251658240");
    EXPECT_EQ(reg.queryString(RegHive::CurrentUser, kColors, "RightColor"), "16777470");
    ResetSettings();
    LoadSettings(reg);
    EXPECT_EQ(LeftColor, 0xF1000000u);
    EXPECT_EQ(RightColor, 0x010000FEu);
    EXPECT_EQ(IsDirty, 1);
    EXPECT_EQ(SelectedColor, 257);
}

TEST_F(SettingsTest, MainWindowPlacementCases)
{
    Registry reg(folder_);
    auto placement = [&](const char* pos, int maximized) {
        if (pos)
            reg.setString(RegHive::CurrentUser, kMainWin, "Pos", pos);
        else
            reg.deleteValue(RegHive::CurrentUser, kMainWin, "Pos");
        reg.setDword(RegHive::CurrentUser, kMainWin, "Maximized", static_cast<std::uint32_t>(maximized));
        return LoadMainWindowPlacement(reg, 1024, 768);
    };

    // Maximised: the normal rectangle is made at least 460 high.
    auto p = placement("0010 0020 0030 0040", 1);
    EXPECT_TRUE(p.maximized);
    EXPECT_EQ(p.normal, (WindowRect{10, 20, 30, 480}));
    p = placement("0010 0020 0030 0040", 0);
    EXPECT_FALSE(p.maximized);
    EXPECT_EQ(p.normal, (WindowRect{10, 20, 30, 40}));

    // Off-screen corners are brought back; right and bottom are at least 5,
    // and the window is no larger than the screen and its frame.
    p = placement("99999 0020 0030 0900", 0);
    EXPECT_EQ(p.normal, (WindowRect{1019, 20, 30, 784}));
    p = placement("0005 0005 999999999 9999", 0);
    EXPECT_EQ(p.normal, (WindowRect{5, 5, 1040, 784}));
    p = placement("-999 -999 0100 0200", 0);
    EXPECT_EQ(p.normal, (WindowRect{-956, -600, 100, 200}));
    p = placement("0010 9999 -010 -020", 0);
    EXPECT_EQ(p.normal, (WindowRect{10, 763, 5, 5}));
    // The fields sit at fixed places: a wide first number shifts the others.
    p = placement("123456 0020 0030 0040", 0);
    EXPECT_EQ(p.normal, (WindowRect{1019, 6, 5, 5}));

    // Short, empty or non-numeric texts read as no placement at all.
    for (const char* bad : {"", "0010", "0010 0020 0030", "0010 0020 0030 ", "abcd efgh ijkl mnop", "10 20 30 40"}) {
        p = placement(bad, 0);
        EXPECT_EQ(p.normal, (WindowRect{5, 5, 1024, 768})) << '"' << bad << '"';
    }
    p = placement(nullptr, 1);
    EXPECT_EQ(p.normal, (WindowRect{5, 5, 1024, 768}));

    // Saving writes the fixed-width form; minimised keeps what it restores to.
    ASSERT_TRUE(SaveMainWindowPlacement(reg, {10, 20, 300, 400}, MainWindowState::Normal, false));
    EXPECT_EQ(reg.queryString(RegHive::CurrentUser, kMainWin, "Pos"), "0010 0020 0300 0400");
    EXPECT_EQ(reg.queryDword(RegHive::CurrentUser, kMainWin, "Maximized"), 0u);
    SaveMainWindowPlacement(reg, {10, 20, 300, 400}, MainWindowState::Minimized, true);
    EXPECT_EQ(reg.queryDword(RegHive::CurrentUser, kMainWin, "Maximized"), 1u);
    SaveMainWindowPlacement(reg, {10, 20, 300, 400}, MainWindowState::Minimized, false);
    EXPECT_EQ(reg.queryDword(RegHive::CurrentUser, kMainWin, "Maximized"), 0u);
    SaveMainWindowPlacement(reg, {-8, -8, 1032, 776}, MainWindowState::Maximized, false);
    Registry again(folder_);
    again.load();
    p = LoadMainWindowPlacement(again, 1024, 768);
    EXPECT_TRUE(p.maximized);
    EXPECT_EQ(p.normal, (WindowRect{-8, -8, 1032, 776}));
}

TEST_F(SettingsTest, RecentFilesKeepTheLastTenNewestFirst)
{
    Registry reg(folder_);
    RecentFileList list;
    for (int i = 1; i <= 12; ++i)
        list.add("/icons/" + std::to_string(i) + ".ico");
    list.add("/icons/5.ico");
    ASSERT_EQ(list.files().size(), 10u);
    EXPECT_EQ(list.files()[0], "/icons/5.ico");
    EXPECT_EQ(list.files()[1], "/icons/12.ico");
    EXPECT_EQ(list.files()[9], "/icons/3.ico");
    ASSERT_TRUE(list.save(reg));
    EXPECT_EQ(reg.queryString(RegHive::CurrentUser, "Software\\Orvane\\Kavrel 4.0\\Recent File List", "File1"),
              "/icons/5.ico");

    list.remove("/icons/12.ico");
    list.save(reg);
    Registry again(folder_);
    again.load();
    EXPECT_FALSE(again.queryValue(RegHive::CurrentUser, "Software\\Orvane\\Kavrel 4.0\\Recent File List", "File10"));
    // Gaps and repeats in a hand-edited list are dropped.
    again.setString(RegHive::CurrentUser, "Software\\Orvane\\Kavrel 4.0\\Recent File List", "File3", "");
    again.setString(RegHive::CurrentUser, "Software\\Orvane\\Kavrel 4.0\\Recent File List", "File4", "/icons/5.ico");
    RecentFileList loaded;
    loaded.load(again);
    ASSERT_EQ(loaded.files().size(), 7u);
    EXPECT_EQ(loaded.files()[0], "/icons/5.ico");
    EXPECT_EQ(loaded.files()[1], "/icons/11.ico");
    EXPECT_EQ(loaded.files()[2], "/icons/8.ico");
}

TEST_F(SettingsTest, ADamagedHiveNeverStopsTheSettings)
{
    fs::create_directories(folder_);
    std::ofstream(folder_ + "/HKEY_CURRENT_USER.reg", std::ios::binary)
        << "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Orvane\\Kavrel 4.0\\prefs]\n"
           "\"GrilleAuto\"=dword:00000000\n\"ReorganiseAuto\"=dword:0\xff\xfe\n\"ShowApercu\"=\"\n"
           "[HKEY_CURRENT_USER\\Software\\Orvane\\Kavrel 4.0\\mainwin]\n\"Pos\"=\"0010 00\n";
    Registry reg(folder_);
    EXPECT_FALSE(reg.load());
    LoadSettings(reg);
    EXPECT_EQ(GrilleAuto, 0);
    EXPECT_EQ(ReorganiseAuto, 1);
    EXPECT_EQ(ShowApercu, 1);
    EXPECT_EQ(LoadMainWindowPlacement(reg, 800, 600).normal, (WindowRect{5, 5, 800, 600}));
    // Saving over it gives a clean file again.
    ASSERT_TRUE(SaveSettings(reg));
    Registry again(folder_);
    EXPECT_TRUE(again.load());
    LoadSettings(again);
    EXPECT_EQ(GrilleAuto, 0);
}

TEST_F(SettingsTest, UnwritableStoreAtExitIsToldOnce)
{
    test::ScriptedPrompter prompts;
    Registry good(folder_);
    EXPECT_TRUE(SaveSettingsAtExit(good));
    EXPECT_TRUE(prompts.shown.empty());

    // A file stands where the configuration folder should be.
    const std::string blocked = folder_ + "/kavrel";
    std::ofstream(blocked) << "not a folder";
    Registry reg(blocked);
    GrilleAuto = 0;
    EXPECT_FALSE(SaveSettingsAtExit(reg));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, FormatString(61710, blocked, "Not a directory"));
    EXPECT_EQ(prompts.shown[0].style, unsigned(MB_OK | MB_ICONEXCLAMATION));
}

} // namespace
} // namespace kavrel
