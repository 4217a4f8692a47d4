#include "shell/core/reorganise.h"

#include "resources/command_ids.h"
#include "shell/core/settings.h"

namespace kavrel {

namespace {

bool g_pending = false;

// One kind's band of the area: its rows (horizontal) or columns (vertical).
// count windows share the band; index is the window's place among them.
ReorgRect Slot(const ReorgRect& band, int count, int index, bool rows)
{
    if (rows) {
        int h = band.height / count;
        int height = index == count - 1 ? band.height - (count - 1) * h : h;
        return {band.x, band.y + index * h, band.width, height};
    }
    int w = band.width / count;
    int width = index == count - 1 ? band.width - (count - 1) * w : w;
    return {band.x + index * w, band.y, width, band.height};
}

ReorgRect Place(const ReorgRect& area, int mode, ReorgKind kind, int index, int editors, int browsers)
{
    int count = kind == ReorgKind::Editor ? editors : browsers;
    if (mode != kReorgHorizontal && mode != kReorgVertical)
        return area;
    if (count <= 0)
        return area;
    bool shared = editors > 0 && browsers > 0;
    ReorgRect band = area;
    if (mode == kReorgHorizontal) {
        // Rows: browsers take the left half, editors the right.
        if (shared) {
            int half = area.width / 2;
            band = kind == ReorgKind::Editor ? ReorgRect{area.x + half, area.y, area.width - half, area.height}
                                             : ReorgRect{area.x, area.y, half, area.height};
        }
        return Slot(band, count, index, true);
    }
    // Columns: browsers take the upper half, editors the lower.
    if (shared) {
        int half = area.height / 2;
        band = kind == ReorgKind::Editor ? ReorgRect{area.x, area.y + half, area.width, area.height - half}
                                         : ReorgRect{area.x, area.y, area.width, half};
    }
    return Slot(band, count, index, false);
}

} // namespace

int ReorganisationModeOfCommand(unsigned command)
{
    switch (command) {
    case ID_REORGANIZE_FULL:
        return kReorgFullWindow;
    case ID_REORGANIZE_HORIZONTAL:
        return kReorgHorizontal;
    case ID_REORGANIZE_VERTICAL:
        return kReorgVertical;
    default:
        return -1;
    }
}

std::optional<std::vector<ReorgRect>> ComputeReorganisation(const ReorgRect& area, std::span<const ReorgWindow> windows,
                                                            int mode)
{
    int editors = 0, browsers = 0;
    for (const ReorgWindow& w : windows) {
        if (w.maximised)
            return std::nullopt;
        (w.kind == ReorgKind::Editor ? editors : browsers)++;
    }
    std::vector<ReorgRect> out;
    out.reserve(windows.size());
    int e = 0, f = 0;
    for (const ReorgWindow& w : windows) {
        int index = w.kind == ReorgKind::Editor ? e++ : f++;
        out.push_back(Place(area, mode, w.kind, index, editors, browsers));
    }
    return out;
}

ReorgRect NewEditorPlacement(const ReorgRect& area, std::span<const ReorgWindow> others, int mode)
{
    int editors = 1, browsers = 0;
    for (const ReorgWindow& w : others)
        (w.kind == ReorgKind::Editor ? editors : browsers)++;
    return Place(area, mode, ReorgKind::Editor, 0, editors, browsers);
}

void RequestReorganisation()
{
    g_pending = true;
}
void SetReorganisationPending(bool on)
{
    g_pending = on;
}
bool ReorganisationPending()
{
    return g_pending;
}

void OnDocumentWindowOpened()
{
    RequestReorganisation();
}
void OnDocumentWindowClosed()
{
    RequestReorganisation();
}

void OnStartupReorganisation()
{
    if (ReorganiseLancement == 1 || ReorganiseAuto == 1)
        RequestReorganisation();
}

ReorgAction OnFrameMoved()
{
    return ReorganiseAuto == 1 ? ReorgAction::Now : ReorgAction::None;
}

ReorgAction OnFrameResized(bool minimised)
{
    return !minimised && ReorganiseAuto == 1 ? ReorgAction::Now : ReorgAction::None;
}

ReorgAction OnSideBarToggled()
{
    return ReorganiseAuto == 1 ? ReorgAction::Now : ReorgAction::None;
}

void OnStandardBarToggled()
{
    RequestReorganisation();
}

void OnToggleAutomaticReorganisation()
{
    ReorganiseAuto = ReorganiseAuto == 1 ? 0 : 1;
    g_pending = ReorganiseAuto == 1;
}

void OnChooseReorganisationMode(int mode)
{
    if (mode < kReorgFullWindow || mode > kReorgVertical)
        return;
    if (TypeReorganisation != mode) {
        TypeReorganisation = mode;
        RequestReorganisation();
    }
}

ReorgAction OnActiveWindowUpdate()
{
    if (!g_pending)
        return ReorgAction::None;
    g_pending = false;
    return ReorganiseAuto == 1 ? ReorgAction::Now : ReorgAction::None;
}

ReorgRect FollowAreaEdges(const ReorgRect& window, int oldWidth, int oldHeight, int newWidth, int newHeight)
{
    ReorgRect r = window;
    if (r.x + r.width == oldWidth && newWidth > r.x)
        r.width = newWidth - r.x;
    if (r.y + r.height == oldHeight && newHeight > r.y)
        r.height = newHeight - r.y;
    return r;
}

} // namespace kavrel
