#include "shell/core/preferences.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "editor/settings_editor.h"
#include "platform/registry.h"
#include "shell/core/settings.h"

namespace kavrel {
namespace {

class PreferencesTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ResetSettings();
        ResetPreferencesStartPage();
    }
    void TearDown() override
    {
        ResetSettings();
        ResetPreferencesStartPage();
    }
};

// A colour dialog that changes a custom colour, then answers as told.
class ScriptedColours : public ColourChooser {
  public:
    explicit ScriptedColours(bool ok, std::uint32_t pick = 0) : ok_(ok), pick_(pick) {}
    bool ChooseColour(std::uint32_t& colour, std::uint32_t (&custom)[16]) override
    {
        shownWith = colour;
        custom[3] = 0x123456;
        if (ok_)
            colour = pick_;
        return ok_;
    }
    std::uint32_t shownWith = 0;

  private:
    bool ok_;
    std::uint32_t pick_;
};

TEST_F(PreferencesTest, CancelKeepsEverySettingButTheCustomColoursTheDialogChanged)
{
    std::uint32_t background = CouleurFondEditeur;
    PrefsValues values = ReadPreferences();
    values.grilleAuto = 0;
    values.showWarnTypes = 0;
    ScriptedColours chooser(true, 0x00FF00);
    ChooseBackgroundColour(values, chooser);
    EXPECT_EQ(chooser.shownWith, background);
    EXPECT_EQ(values.backgroundColour, 0x00FF00u);
    EXPECT_EQ(values.backgroundText, "65280");
    // Cancel: the values are dropped.
    EXPECT_EQ(GrilleAuto, 1);
    EXPECT_EQ(ShowWarnTypes, 1);
    EXPECT_EQ(CouleurFondEditeur, background);
    EXPECT_EQ(CustColor[3], 0x123456u);

    // A colour dialog closed with Cancel leaves the button's colour.
    ScriptedColours cancelled(false);
    ChooseBackgroundColour(values, cancelled);
    EXPECT_EQ(values.backgroundColour, 0x00FF00u);
}

TEST_F(PreferencesTest, OkCopiesEveryValueReloadsPatternsOnlyOnChangeAndRepaints)
{
    int reloads = 0;
    int repaints = 0;
    PrefsEffects effects{[&] { ++reloads; }, [&] { ++repaints; }};

    PrefsValues values = ReadPreferences();
    ApplyPreferences(values, PrefsPage::General, effects); // the same pattern again
    EXPECT_EQ(reloads, 0);
    EXPECT_EQ(repaints, 1);

    values.motifTransparent = 2;
    values.iconeAuto = 0;
    values.showExeToolBar = 0;
    values.afficheOmbreIcone = 0;
    values.showWarnColor16 = 0;
    values.backgroundText = "255";
    ApplyPreferences(values, PrefsPage::Editor, effects);
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(repaints, 2);
    EXPECT_EQ(MotifTransparent, 2);
    EXPECT_EQ(IconeAuto, 0);
    EXPECT_EQ(ShowExeToolBar, 0);
    EXPECT_EQ(AfficheOmbreIcone, 0);
    EXPECT_EQ(ShowWarnColor16, 0);
    // The colour comes from the button's string, as stored colours are read.
    EXPECT_EQ(CouleurFondEditeur, 255u);
    values.backgroundText = "pink";
    ApplyPreferences(values, PrefsPage::Editor, effects);
    EXPECT_EQ(CouleurFondEditeur, 0u);
}

TEST_F(PreferencesTest, TheSheetReopensOnThePageClosedWithOk)
{
    EXPECT_EQ(PreferencesStartPage(), PrefsPage::General);
    ApplyPreferences(ReadPreferences(), PrefsPage::Messages, {});
    EXPECT_EQ(PreferencesStartPage(), PrefsPage::Messages);
}

TEST_F(PreferencesTest, GridChangedInTheSheetSurvivesARestart)
{
    char pattern[] = "/tmp/kavrel-prefs-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    {
        Registry store(pattern);
        PrefsValues values = ReadPreferences();
        values.grilleAuto = 0;
        ApplyPreferences(values, PrefsPage::Editor, {});
        ASSERT_TRUE(SaveSettings(store));
    }
    ResetSettings();
    ASSERT_EQ(GrilleAuto, 1);
    Registry store(pattern);
    store.load();
    LoadSettings(store);
    EXPECT_EQ(GrilleAuto, 0);
    std::filesystem::remove_all(pattern);
}

} // namespace
} // namespace kavrel
