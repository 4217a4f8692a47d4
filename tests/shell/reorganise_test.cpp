#include "shell/core/reorganise.h"

#include <gtest/gtest.h>

#include <vector>

#include "resources/command_ids.h"
#include "shell/core/settings.h"

namespace kavrel {
namespace {

using R = ReorgRect;
const ReorgWindow kEditor{ReorgKind::Editor, false, false};
const ReorgWindow kBrowser{ReorgKind::Browser, false, false};
const R kArea{0, 0, 1000, 600};

std::vector<R> Layout(std::vector<ReorgWindow> windows, int mode, R area = kArea)
{
    auto out = ComputeReorganisation(area, windows, mode);
    EXPECT_TRUE(out.has_value());
    return out.value_or(std::vector<R>{});
}

TEST(Reorganise, RowsShareTheAreaBetweenEditorsAndBrowsers)
{
    // The library window comes between the editors in child order: indexes
    // count only windows of the same kind.
    EXPECT_EQ(Layout({kEditor, kBrowser, kEditor}, kReorgHorizontal),
              (std::vector<R>{{500, 0, 500, 300}, {0, 0, 500, 600}, {500, 300, 500, 300}}));
    // Alone, each kind takes the whole width; the last row takes what the
    // division left over.
    EXPECT_EQ(Layout({kBrowser, kBrowser, kBrowser}, kReorgHorizontal, {0, 0, 1000, 601}),
              (std::vector<R>{{0, 0, 1000, 200}, {0, 200, 1000, 200}, {0, 400, 1000, 201}}));
}

TEST(Reorganise, ColumnsGiveTheLastWindowTheRemainder)
{
    EXPECT_EQ(Layout({kEditor, kEditor, kEditor}, kReorgVertical),
              (std::vector<R>{{0, 0, 333, 600}, {333, 0, 333, 600}, {666, 0, 334, 600}}));
    // With both kinds, browsers go above and editors below; odd sizes leave
    // the extra pixel to the editors.
    EXPECT_EQ(Layout({kBrowser, kEditor, kBrowser}, kReorgVertical, {0, 0, 1001, 601}),
              (std::vector<R>{{0, 0, 500, 300}, {0, 300, 1001, 301}, {500, 0, 501, 300}}));
}

TEST(Reorganise, FullWindowAndUnknownModesCoverTheArea)
{
    R area{10, 20, 800, 400};
    for (int mode : {0, 7, -1})
        EXPECT_EQ(Layout({kEditor, kBrowser, kEditor}, mode, area), (std::vector<R>(3, area))) << mode;
}

TEST(Reorganise, AMaximisedWindowStopsEverything)
{
    std::vector<ReorgWindow> windows{kEditor, {ReorgKind::Editor, true, false}};
    EXPECT_FALSE(ComputeReorganisation(kArea, windows, kReorgHorizontal).has_value());
    std::vector<ReorgWindow> one{{ReorgKind::Editor, true, false}};
    EXPECT_FALSE(ComputeReorganisation(kArea, one, kReorgFullWindow).has_value());
    EXPECT_TRUE(ComputeReorganisation(kArea, {}, kReorgHorizontal).has_value());
}

TEST(Reorganise, MinimisedWindowsKeepTheirSlot)
{
    EXPECT_EQ(Layout({{ReorgKind::Editor, false, true}, kEditor}, kReorgHorizontal),
              (std::vector<R>{{0, 0, 1000, 300}, {0, 300, 1000, 300}}));
}

TEST(Reorganise, WindowsAtTheRightAndBottomEdgesFollowTheArea)
{
    // The area grows by 30 at the bottom and 40 at the right, then shrinks back.
    EXPECT_EQ(FollowAreaEdges({0, 0, 1000, 600}, 1000, 600, 1040, 630), (ReorgRect{0, 0, 1040, 630}));
    EXPECT_EQ(FollowAreaEdges({500, 300, 500, 300}, 1000, 600, 1040, 630), (ReorgRect{500, 300, 540, 330}));
    EXPECT_EQ(FollowAreaEdges({0, 0, 1040, 630}, 1040, 630, 1000, 600), (ReorgRect{0, 0, 1000, 600}));
    // Windows short of an edge, or beyond it, keep their size.
    EXPECT_EQ(FollowAreaEdges({10, 10, 300, 200}, 1000, 600, 1040, 630), (ReorgRect{10, 10, 300, 200}));
    EXPECT_EQ(FollowAreaEdges({0, 0, 1100, 600}, 1000, 600, 1040, 630), (ReorgRect{0, 0, 1100, 630}));
    // An area narrower than where the window starts leaves it alone.
    EXPECT_EQ(FollowAreaEdges({900, 0, 100, 600}, 1000, 600, 800, 600), (ReorgRect{900, 0, 100, 600}));
}

TEST(Reorganise, ANewEditorIsPlacedAsTheFirstEditor)
{
    std::vector<ReorgWindow> others{kEditor, kBrowser};
    EXPECT_EQ(NewEditorPlacement(kArea, others, kReorgHorizontal), (R{500, 0, 500, 300}));
    EXPECT_EQ(NewEditorPlacement(kArea, {}, kReorgVertical), kArea);
}

class ReorganiseTriggers : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ResetSettings();
        SetReorganisationPending(false);
    }
    void TearDown() override
    {
        ResetSettings();
        SetReorganisationPending(false);
    }
};

TEST_F(ReorganiseTriggers, OpeningAWindowReorganisesAtTheNextUpdateOnlyWhileAutomatic)
{
    EXPECT_EQ(OnActiveWindowUpdate(), ReorgAction::None);
    OnDocumentWindowOpened();
    EXPECT_EQ(OnActiveWindowUpdate(), ReorgAction::Now);
    EXPECT_EQ(OnActiveWindowUpdate(), ReorgAction::None); // consumed

    ReorganiseAuto = 0;
    OnDocumentWindowClosed();
    EXPECT_EQ(OnActiveWindowUpdate(), ReorgAction::None);
    EXPECT_FALSE(ReorganisationPending()); // consumed all the same
    EXPECT_EQ(OnFrameMoved(), ReorgAction::None);
    EXPECT_EQ(OnSideBarToggled(), ReorgAction::None);

    ReorganiseAuto = 1;
    EXPECT_EQ(OnFrameMoved(), ReorgAction::Now);
    EXPECT_EQ(OnFrameResized(false), ReorgAction::Now);
    EXPECT_EQ(OnFrameResized(true), ReorgAction::None);
    EXPECT_EQ(OnSideBarToggled(), ReorgAction::Now);
    OnStandardBarToggled();
    EXPECT_TRUE(ReorganisationPending());
}

TEST_F(ReorganiseTriggers, TurningAutomaticOnReorganisesAtTheNextTick)
{
    ReorganiseAuto = 0;
    OnToggleAutomaticReorganisation();
    EXPECT_EQ(ReorganiseAuto, 1);
    EXPECT_EQ(OnActiveWindowUpdate(), ReorgAction::Now);
    OnDocumentWindowOpened();
    OnToggleAutomaticReorganisation(); // off drops a pending request
    EXPECT_EQ(ReorganiseAuto, 0);
    EXPECT_FALSE(ReorganisationPending());
}

TEST_F(ReorganiseTriggers, ModeCommandsAndStartUp)
{
    EXPECT_EQ(ReorganisationModeOfCommand(ID_REORGANIZE_FULL), kReorgFullWindow);
    EXPECT_EQ(ReorganisationModeOfCommand(ID_REORGANIZE_HORIZONTAL), kReorgHorizontal);
    EXPECT_EQ(ReorganisationModeOfCommand(ID_REORGANIZE_VERTICAL), kReorgVertical);
    EXPECT_EQ(ReorganisationModeOfCommand(ID_REORGANIZE), -1);

    OnChooseReorganisationMode(TypeReorganisation); // unchanged: nothing asked
    EXPECT_FALSE(ReorganisationPending());
    OnChooseReorganisationMode(kReorgVertical);
    EXPECT_EQ(TypeReorganisation, kReorgVertical);
    EXPECT_TRUE(ReorganisationPending());

    SetReorganisationPending(false);
    ReorganiseAuto = 0;
    ReorganiseLancement = 0;
    OnStartupReorganisation();
    EXPECT_FALSE(ReorganisationPending());
    ReorganiseLancement = 1;
    OnStartupReorganisation();
    EXPECT_TRUE(ReorganisationPending());
    // Requested, but only carried out while automatic.
    EXPECT_EQ(OnActiveWindowUpdate(), ReorgAction::None);
}

} // namespace
} // namespace kavrel
