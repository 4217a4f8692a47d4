#include "shell/reorganise_mdi.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <vector>

#include "shell/framework/child_frame.h"
#include "shell/framework/doc_template.h"

namespace kavrel {

namespace {

ReorgRect AreaOf(QMdiArea* area)
{
    QRect r = area->viewport()->rect();
    return {r.x(), r.y(), r.width(), r.height()};
}

ReorgWindow Describe(const QMdiSubWindow* w)
{
    return {KindOfSubWindow(w), w->isMaximized(), w->isMinimized()};
}

// The document windows in the order they were created; windows being closed
// are hidden already and no longer count.
std::vector<QMdiSubWindow*> Windows(QMdiArea* area, const QMdiSubWindow* except = nullptr)
{
    std::vector<QMdiSubWindow*> out;
    for (QMdiSubWindow* w : area->subWindowList(QMdiArea::CreationOrder))
        if (w != except && !w->isHidden())
            out.push_back(w);
    return out;
}

void Apply(QMdiSubWindow* w, const ReorgRect& r)
{
    if (w->isMinimized())
        return;
    QRect target(r.x, r.y, r.width, r.height);
    if (w->geometry() != target)
        w->setGeometry(target);
}

}  // namespace

ReorgKind KindOfSubWindow(const QMdiSubWindow* window)
{
    if (const auto* frame = dynamic_cast<const CChildFrame*>(window)) {
        switch (frame->Template().Menu()) {
        case MenuKind::ProgramFile:
        case MenuKind::IconLibrary: return ReorgKind::Browser;
        default: return ReorgKind::Editor;
        }
    }
    return ReorgKind::Editor;
}

bool ReorganiseMdiArea(QMdiArea* area, int mode)
{
    if (!area)
        return false;
    std::vector<QMdiSubWindow*> windows = Windows(area);
    std::vector<ReorgWindow> described;
    described.reserve(windows.size());
    for (QMdiSubWindow* w : windows)
        described.push_back(Describe(w));
    auto places = ComputeReorganisation(AreaOf(area), described, mode);
    if (!places)
        return false;
    for (std::size_t i = 0; i < windows.size(); ++i)
        Apply(windows[i], (*places)[i]);
    return true;
}

void PlaceNewEditorWindow(QMdiArea* area, QMdiSubWindow* window, int mode)
{
    if (!area || !window || window->isMaximized() || KindOfSubWindow(window) != ReorgKind::Editor)
        return;
    std::vector<ReorgWindow> others;
    for (QMdiSubWindow* w : Windows(area, window))
        others.push_back(Describe(w));
    Apply(window, NewEditorPlacement(AreaOf(area), others, mode));
}

}  // namespace kavrel
