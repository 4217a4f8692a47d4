// Commands: every user action is a numeric command offered to a route of
// targets (active view, its document, its child frame, the main window, the
// application). The first target that claims a command decides whether it is
// enabled and checked, and carries it out. A command nobody claims is
// disabled and does nothing.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

namespace kavrel {

// The state of one command as its update handler leaves it.
struct CCmdUI {
    std::uint16_t id = 0;
    bool claimed = false;  // some target handles the command
    bool enabled = true;
    bool checked = false;
    bool hasText = false;  // the handler changed the caption
    std::string text;

    void Enable(bool on = true) { enabled = on; }
    void SetCheck(bool on = true) { checked = on; }
    void SetText(std::string t)
    {
        text = std::move(t);
        hasText = true;
    }
};

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;
    // Claims the command by returning true, after setting its state on ui.
    // The default claims nothing.
    virtual bool OnUpdateCommand(CCmdUI& ui)
    {
        (void)ui;
        return false;
    }
    // Carries out a command this target claimed and enabled.
    virtual void OnCommand(std::uint16_t id) { (void)id; }
};

// The state of a command along a route (null targets are skipped).
CCmdUI UpdateCommand(std::span<CCmdTarget* const> route, std::uint16_t id);
// Sends a command along a route; false when nobody claims it or it is disabled.
bool SendCommand(std::span<CCmdTarget* const> route, std::uint16_t id);

inline CCmdUI UpdateCommand(std::initializer_list<CCmdTarget*> route, std::uint16_t id)
{
    return UpdateCommand(std::span<CCmdTarget* const>(route.begin(), route.size()), id);
}
inline bool SendCommand(std::initializer_list<CCmdTarget*> route, std::uint16_t id)
{
    return SendCommand(std::span<CCmdTarget* const>(route.begin(), route.size()), id);
}

}  // namespace kavrel
