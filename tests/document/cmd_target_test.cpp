#include "document/cmd_target.h"

#include <gtest/gtest.h>

namespace kavrel {
namespace {

// A target that claims a set of commands, enabled or not, and counts runs.
class Target : public CCmdTarget {
public:
    Target(std::uint16_t id, bool enabled, bool checked = false) : id_(id), enabled_(enabled), checked_(checked) {}
    bool OnUpdateCommand(CCmdUI& ui) override
    {
        if (ui.id != id_)
            return false;
        ui.Enable(enabled_);
        ui.SetCheck(checked_);
        return true;
    }
    void OnCommand(std::uint16_t) override { ++runs; }
    int runs = 0;

private:
    std::uint16_t id_;
    bool enabled_, checked_;
};

TEST(CommandRouting, FirstClaimDecidesAndUnclaimedCommandsAreDisabled)
{
    Target view(100, true, true), frame(100, true), app(200, true);
    // The view comes first on the route and takes the command.
    CCmdUI ui = UpdateCommand({&view, nullptr, &frame, &app}, 100);
    EXPECT_TRUE(ui.claimed && ui.enabled && ui.checked);
    EXPECT_TRUE(SendCommand({&view, nullptr, &frame, &app}, 100));
    EXPECT_EQ(view.runs, 1);
    EXPECT_EQ(frame.runs, 0);

    // Further down the route when the view does not claim it.
    EXPECT_TRUE(SendCommand({&view, &frame, &app}, 200));
    EXPECT_EQ(app.runs, 1);

    // Nobody claims 1: disabled, and sending it does nothing.
    ui = UpdateCommand({&view, &frame, &app}, 1);
    EXPECT_FALSE(ui.claimed);
    EXPECT_FALSE(ui.enabled);
    EXPECT_FALSE(SendCommand({&view, &frame, &app}, 1));
}

TEST(CommandRouting, DisabledClaimStopsTheRoute)
{
    // A view that greys a command hides the same command further down.
    Target view(100, false), app(100, true);
    EXPECT_FALSE(UpdateCommand({&view, &app}, 100).enabled);
    EXPECT_FALSE(SendCommand({&view, &app}, 100));
    EXPECT_EQ(app.runs, 0);
    EXPECT_EQ(view.runs, 0);
}

}  // namespace
}  // namespace kavrel
