#include "shell/frame_parts.h"

#include <QEvent>
#include <QLayout>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QResizeEvent>
#include <QTimer>

#include "platform/registry.h"
#include "resources/command_ids.h"
#include "shell/about_dialog.h"
#include "shell/caption.h"
#include "shell/core/reorganise.h"
#include "shell/core/settings.h"
#include "shell/framework/child_frame.h"
#include "shell/framework/command_router.h"
#include "shell/framework/doc_template.h"
#include "shell/reorganise_mdi.h"
#include "shell/welcome_dialog.h"

namespace kavrel {

namespace {

CFrameParts* g_instance = nullptr;

StatusLayout LayoutOf(QMdiSubWindow* window)
{
    auto* frame = dynamic_cast<CChildFrame*>(window);
    if (!frame || !frame->Document())
        return StatusLayout::None;
    switch (frame->Template().Menu()) {
    case MenuKind::ProgramFile:
        return StatusLayout::ProgramFile;
    case MenuKind::IconLibrary:
        return StatusLayout::Library;
    case MenuKind::Main:
        return StatusLayout::None;
    default:
        return StatusLayout::Editor;
    }
}

} // namespace

CFrameParts::CFrameParts(QMainWindow* frame, QMdiArea* area, CCommandRouter& router)
    : QObject(frame), frame_(frame), area_(area), router_(router)
{
    g_instance = this;
    caption_ = CFrameCaption::Install(frame);
    if (area)
        caption_->TrackMdiArea(area);
    bars_ = CreateMainBars(frame, router);
    status_ = new CStatusBarEx(frame);
    status_->setObjectName(QStringLiteral("Bar%1").arg(ID_VIEW_STATUS_BAR));
    frame->setStatusBar(status_);
    frame->installEventFilter(this);
    if (area)
        area->viewport()->installEventFilter(this);
}

CFrameParts::~CFrameParts()
{
    if (g_instance == this)
        g_instance = nullptr;
}

CFrameParts* CFrameParts::Instance()
{
    return g_instance;
}

void CFrameParts::Reorganise()
{
    reorganiseScheduled_ = false;
    if (!area_)
        return;
    // A bar just shown or hidden changes the area only once the layout ran.
    if (QLayout* layout = frame_->layout())
        layout->activate();
    // Not yet shown, or minimised: the windows would all shrink to nothing.
    // The next update tries again.
    if (!frame_->isVisible() || frame_->isMinimized() || area_->viewport()->width() <= 0 ||
        area_->viewport()->height() <= 0) {
        RequestReorganisation();
        return;
    }
    if (ReorganiseMdiArea(area_, TypeReorganisation))
        ++reorganisations_;
}

namespace {

std::string BarStateKey()
{
    return std::string(kApplicationKey) + "\\General";
}
constexpr const char* kBarStateValue = "BarState";
// Bumped when the bars change so that an older layout is not forced on them.
constexpr int kBarStateVersion = 1;

} // namespace

void CFrameParts::SaveBarState(Registry& registry)
{
    QByteArray state = frame_->saveState(kBarStateVersion).toBase64();
    registry.setString(RegHive::CurrentUser, BarStateKey(), kBarStateValue, state.toStdString());
}

bool CFrameParts::RestoreBarState(Registry& registry)
{
    auto text = registry.queryString(RegHive::CurrentUser, BarStateKey(), kBarStateValue);
    if (!text || text->empty())
        return false;
    QByteArray state = QByteArray::fromBase64(QByteArray::fromStdString(*text));
    return frame_->restoreState(state, kBarStateVersion);
}

void CFrameParts::ReorganiseSoon()
{
    if (reorganiseScheduled_)
        return;
    reorganiseScheduled_ = true;
    QTimer::singleShot(0, this, [this] {
        if (reorganiseScheduled_)
            Reorganise();
    });
}

void CFrameParts::UpdateStatus(QMdiSubWindow* active)
{
    status_->SetLayout(LayoutOf(active));
    status_->SetDocumentPanesEnabled(area_ && !area_->subWindowList().isEmpty());
}

void CFrameParts::ToggleBar(QWidget* bar, bool side)
{
    if (!bar)
        return;
    bar->setVisible(!bar->isVisible());
    if (side)
        SideBarToggled();
    else
        OnStandardBarToggled();
}

void CFrameParts::SideBarToggled()
{
    if (OnSideBarToggled() == ReorgAction::Now)
        Reorganise();
}

bool CFrameParts::OnUpdateCommand(CCmdUI& ui)
{
    int mode = ReorganisationModeOfCommand(ui.id);
    if (mode >= 0) {
        ui.SetCheck(TypeReorganisation == mode);
        return true;
    }
    switch (ui.id) {
    case ID_REORGANIZE:
    case ID_TIP_OF_THE_DAY:
    case ID_WEB_SITE:
    case ID_APP_ABOUT:
        return true;
    case ID_REORGANIZE_AUTO:
        ui.SetCheck(ReorganiseAuto == 1);
        return true;
    case ID_VIEW_STANDARD_TOOLBAR:
    case ID_VIEW_TOOLBAR:
        ui.SetCheck(bars_.standard && bars_.standard->isVisible());
        return true;
    case ID_VIEW_STATUS_BAR:
        ui.SetCheck(status_->isVisible());
        return true;
    case ID_VIEW_DRAW_TOOLBAR:
        ui.SetCheck(bars_.draw && bars_.draw->isVisible());
        return true;
    case ID_VIEW_SCALE_TOOLBAR:
        ui.SetCheck(bars_.scale && bars_.scale->isVisible());
        return true;
    case kStatusPaneCommand:
        ui.Enable(area_ && !area_->subWindowList().isEmpty());
        return true;
    default:
        return false;
    }
}

void CFrameParts::OnCommand(std::uint16_t id)
{
    int mode = ReorganisationModeOfCommand(id);
    if (mode >= 0) {
        OnChooseReorganisationMode(mode);
        return;
    }
    switch (id) {
    case ID_REORGANIZE:
        Reorganise();
        break;
    case ID_REORGANIZE_AUTO:
        OnToggleAutomaticReorganisation();
        break;
    case ID_VIEW_STANDARD_TOOLBAR:
    case ID_VIEW_TOOLBAR:
        ToggleBar(bars_.standard, false);
        break;
    case ID_VIEW_STATUS_BAR:
        ToggleBar(status_, false);
        break;
    case ID_VIEW_DRAW_TOOLBAR:
        ToggleBar(bars_.draw, true);
        break;
    case ID_VIEW_SCALE_TOOLBAR:
        ToggleBar(bars_.scale, true);
        break;
    case ID_TIP_OF_THE_DAY:
        ShowWelcomeDialog(frame_);
        break;
    case ID_WEB_SITE:
        OpenWebSite();
        break;
    case ID_APP_ABOUT:
        ShowAboutBox(frame_);
        break;
    default:
        break;
    }
}

void CFrameParts::FollowAreaResize(const QSize& before, const QSize& after)
{
    for (QMdiSubWindow* w : area_->subWindowList()) {
        if (w->isMaximized() || w->isMinimized() || w->isHidden())
            continue;
        const QRect g = w->geometry();
        const ReorgRect r = FollowAreaEdges({g.x(), g.y(), g.width(), g.height()}, before.width(), before.height(),
                                            after.width(), after.height());
        if (r.width != g.width() || r.height != g.height())
            w->resize(r.width, r.height);
    }
}

bool CFrameParts::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == frame_) {
        if (event->type() == QEvent::Move && OnFrameMoved() == ReorgAction::Now)
            ReorganiseSoon();
        else if (event->type() == QEvent::Resize && OnFrameResized(frame_->isMinimized()) == ReorgAction::Now)
            ReorganiseSoon();
        return false;
    }
    if (area_ && watched == area_->viewport()) {
        // Document windows are complete only once polished (ChildAdded comes
        // from inside their constructor), and already half gone when removed.
        if (event->type() == QEvent::ChildPolished) {
            auto* window = qobject_cast<QMdiSubWindow*>(static_cast<QChildEvent*>(event)->child());
            if (window && windows_.insert(window).second) {
                OnDocumentWindowOpened();
                // A new editor goes at once where editor 0 will be; the full
                // reorganisation follows at the next update.
                if (ReorganiseAuto == 1)
                    PlaceNewEditorWindow(area_, window, TypeReorganisation);
                window->installEventFilter(this);
            }
        } else if (event->type() == QEvent::ChildRemoved) {
            if (windows_.erase(static_cast<QChildEvent*>(event)->child()))
                OnDocumentWindowClosed();
        } else if (event->type() == QEvent::Resize) {
            const auto* resize = static_cast<QResizeEvent*>(event);
            if (resize->oldSize().isValid())
                FollowAreaResize(resize->oldSize(), resize->size());
        }
        return false;
    }
    // A document window closed (it is deleted later) or hidden.
    if (event->type() == QEvent::Hide && windows_.count(watched))
        RequestReorganisation();
    return false;
}

ProgressSink& FrameProgress()
{
    if (CFrameParts* parts = CFrameParts::Instance())
        return *parts->StatusBar();
    return NullProgress();
}

} // namespace kavrel
