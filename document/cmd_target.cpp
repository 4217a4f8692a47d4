#include "document/cmd_target.h"

namespace kavrel {

namespace {

CCmdTarget* Claim(std::span<CCmdTarget* const> route, CCmdUI& ui)
{
    for (CCmdTarget* target : route) {
        if (!target)
            continue;
        CCmdUI state;
        state.id = ui.id;
        if (target->OnUpdateCommand(state)) {
            state.claimed = true;
            ui = state;
            return target;
        }
    }
    ui.claimed = false;
    ui.enabled = false;
    ui.checked = false;
    return nullptr;
}

}  // namespace

CCmdUI UpdateCommand(std::span<CCmdTarget* const> route, std::uint16_t id)
{
    CCmdUI ui;
    ui.id = id;
    Claim(route, ui);
    return ui;
}

bool SendCommand(std::span<CCmdTarget* const> route, std::uint16_t id)
{
    CCmdUI ui;
    ui.id = id;
    CCmdTarget* target = Claim(route, ui);
    if (!target || !ui.enabled)
        return false;
    target->OnCommand(id);
    return true;
}

}  // namespace kavrel
