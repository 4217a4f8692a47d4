#include "shell/prefs_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTabWidget>

#include "editor/settings_editor.h"
#include "shell/association_dialog.h"
#include "shell/core/settings.h"
#include "support/qt_app.h"

namespace kavrel {
namespace {

class PickGreen : public ColourChooser {
  public:
    bool ChooseColour(std::uint32_t& colour, std::uint32_t (&custom)[16]) override
    {
        custom[0] = 0xABCDEF;
        colour = 0x00FF00;
        return true;
    }
};

class PrefsDialogTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::EnsureQApplication(); }
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

TEST_F(PrefsDialogTest, ControlsShowTheSettingsAndOnlyOkWritesThem)
{
    MotifTransparent = 2;
    ShowIclToolBar = 0;
    PickGreen chooser;
    {
        CPrefsPropertySheet sheet(nullptr, &chooser);
        EXPECT_EQ(sheet.Pages()->count(), 3);
        EXPECT_EQ(sheet.Pages()->currentIndex(), 0);
        EXPECT_EQ(sheet.PatternList()->count(), 4);
        EXPECT_EQ(sheet.PatternList()->currentIndex(), 2);
        EXPECT_FALSE(sheet.Box(PrefsPage::General, 1021)->isChecked());
        EXPECT_TRUE(sheet.Box(PrefsPage::Editor, 1016)->isChecked());
        sheet.Box(PrefsPage::Editor, 1016)->setChecked(false);
        sheet.ColourButton()->click();
        sheet.reject();
    }
    EXPECT_EQ(GrilleAuto, 1);
    EXPECT_EQ(CouleurFondEditeur, 8404992u);
    EXPECT_EQ(CustColor[0], 0xABCDEFu);

    CPrefsPropertySheet sheet(nullptr, &chooser);
    sheet.Box(PrefsPage::Messages, 1044)->setChecked(false);
    sheet.ColourButton()->click();
    sheet.Pages()->setCurrentIndex(2);
    sheet.accept();
    EXPECT_EQ(ShowWarnTypes, 0);
    EXPECT_EQ(CouleurFondEditeur, 0x00FF00u);
    CPrefsPropertySheet again(nullptr, &chooser);
    EXPECT_EQ(again.Pages()->currentIndex(), 2);
}

TEST_F(PrefsDialogTest, AssociationWarningBoxesComeBackAsLeft)
{
    CAssociationDialog dialog({1, 0, 1, 0});
    EXPECT_TRUE(dialog.Box(1114)->isChecked());
    EXPECT_FALSE(dialog.Box(1113)->isChecked());
    dialog.Box(1043)->setChecked(true);
    AssociationChoices choices = dialog.Choices();
    EXPECT_EQ(choices.icons, 1);
    EXPECT_EQ(choices.libraries, 0);
    EXPECT_EQ(choices.showWarning, 1);
    EXPECT_EQ(choices.autoRepair, 1);
}

} // namespace
} // namespace kavrel
