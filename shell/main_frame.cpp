#include "shell/main_frame.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMdiArea>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>

#include "editor/icon_view_state.h"
#include "editor/ui/actual_size_preview.h"
#include "editor/ui/icon_view.h"
#include "editor/ui/palette_bar_widget.h"
#include "platform/registry.h"
#include "resources/command_ids.h"
#include "shell/core/customize_windows.h"
#include "shell/core/desktop_files.h"
#include "shell/core/reorganise.h"
#include "shell/customize_window.h"
#include "shell/frame_parts.h"
#include "shell/framework/child_frame.h"
#include "shell/framework/command_router.h"
#include "shell/framework/doc_manager.h"

namespace kavrel {

namespace {

constexpr int kTimerPeriodMs = 50;

} // namespace

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainFrame"));
    setMinimumSize(200, 100);
    mdiArea_ = new QMdiArea(this);
    mdiArea_->setObjectName(QStringLiteral("MDIClient"));
    setCentralWidget(mdiArea_);
    router_ = new CCommandRouter([this] { return CommandRoute(); }, this);
    DocManager().SetMdiArea(mdiArea_);
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, &CMainFrame::OnSubWindowActivated);

    // The caption, the Standard, Draw and Scale 1:1 toolbars and the status
    // bar; the parts also answer the frame's commands for them.
    parts_ = new CFrameParts(this, mdiArea_, *router_);

    router_->InstallAccelerators(this);
    router_->SetRecentFiles([] { return RecentFiles().files(); },
                            [this](int index) {
                                const auto& files = RecentFiles().files();
                                if (index < 0 || index >= static_cast<int>(files.size()) || !open_)
                                    return;
                                std::string path = files[static_cast<std::size_t>(index)];
                                open_(path);
                                // A file that no longer opens leaves the list.
                                if (!DocManager().FindFrame(path))
                                    RecentFiles().remove(path);
                            });
    SelectMenuBar();
    setAcceptDrops(true);
    SetEditorHost(this);

    timer_.setInterval(kTimerPeriodMs);
    connect(&timer_, &QTimer::timeout, this, &CMainFrame::ActiveWindowUpdate);
    timer_.start();
    // The colour palette bar, docked on the right.
    auto* colors = new CColorPaletteBar(this);
    addDockWidget(Qt::RightDockWidgetArea, colors);
    colors->SetToggledHandler([this] {
        if (parts_)
            parts_->SideBarToggled();
    });
    // The bar layout of the last close; the librarian and colour bars must
    // exist by then to take their places too (TODO, librarian bar: no issue yet).
    parts_->RestoreBarState(Registry::Instance());
}

CMainFrame::~CMainFrame()
{
    SavePlacement();
    timer_.stop();
    if (GetEditorHost() == this)
        SetEditorHost(nullptr);
    CActualSizePreview::SetActiveView(nullptr);
    // The document windows go before the frame's members do.
    DocManager().CloseAllDocuments();
    delete mdiArea_;
    mdiArea_ = nullptr;
    DocManager().SetMdiArea(nullptr);
}

CChildFrame* CMainFrame::ActiveFrame() const
{
    return mdiArea_ ? dynamic_cast<CChildFrame*>(mdiArea_->activeSubWindow()) : nullptr;
}

QWidget* CMainFrame::ActiveView() const
{
    CChildFrame* frame = ActiveFrame();
    return frame ? frame->View() : nullptr;
}

std::vector<CCmdTarget*> CMainFrame::CommandRoute() const
{
    CChildFrame* frame = ActiveFrame();
    return {frame ? frame->ViewTarget() : nullptr, frame ? frame->Document() : nullptr, frame,
            const_cast<CMainFrame*>(this), appTarget_};
}

void CMainFrame::OnSubWindowActivated(QMdiSubWindow* window)
{
    SelectMenuBar();
    auto* frame = dynamic_cast<CChildFrame*>(window);
    auto* view = frame ? dynamic_cast<CIconView*>(frame->View()) : nullptr;
    if (activeIconView_ != view) {
        if (activeIconView_)
            activeIconView_->OnActivateView(false);
        activeIconView_ = view;
        CActualSizePreview::SetActiveView(view);
        if (view)
            view->OnActivateView(true);
    }
}

void CMainFrame::SelectMenuBar()
{
    CChildFrame* frame = ActiveFrame();
    // While the last window closes the MDI area may still name it.
    if (frame && frame->Document() == nullptr)
        frame = nullptr;
    MenuKind kind = frame ? frame->Template().Menu() : MenuKind::Main;
    if (menuBuilt_ && kind == menuKind_)
        return;
    menuKind_ = kind;
    menuBuilt_ = true;
    router_->BuildMenuBar(menuBar(), kind);
}

void CMainFrame::ActiveWindowUpdate()
{
    if (inUpdate_)
        return;
    inUpdate_ = true;
    if (!isMinimized()) {
        // TODO (librarian bar, no issue yet): the librarian bar refreshes its state here.
        CChildFrame* frame = ActiveFrame();
        auto* view = frame ? dynamic_cast<CIconView*>(frame->View()) : nullptr;
        // Nothing more while a mouse button is down in the editor.
        if (!view || view->State().buttonDown == 0) {
            if (OnActiveWindowUpdate() == ReorgAction::Now)
                ReorganiseDesktop();
            SelectMenuBar();
            if (parts_)
                parts_->UpdateStatus(frame);
            if (CActualSizePreview::ActiveView() != view)
                CActualSizePreview::SetActiveView(view);
            if (CColorPaletteBar* colors = CColorPaletteBar::Instance())
                colors->Follow(view);
            if (view)
                view->UpdateStatus();
            router_->UpdateActions();
        }
    }
    inUpdate_ = false;
}

void CMainFrame::ReorganiseDesktop()
{
    if (parts_)
        parts_->Reorganise();
}

bool CMainFrame::OnUpdateCommand(CCmdUI& ui)
{
    if (parts_ && parts_->OnUpdateCommand(ui))
        return true;
    if (CColorPaletteBar* colors = CColorPaletteBar::Instance(); colors && colors->OnUpdateCommand(ui))
        return true;
    switch (ui.id) {
    case ID_WINDOW_NEW:
        ui.Enable(ActiveFrame() != nullptr);
        return true;
    case ID_CUSTOMIZE_WINDOWS:
        ui.Enable();
        ui.SetCheck(customize_ && customize_->isVisible());
        return true;
    case ID_WINDOW_ARRANGE:
    case ID_WINDOW_CASCADE:
    case ID_WINDOW_TILE:
        ui.Enable(!mdiArea_->subWindowList().isEmpty());
        return true;
    default:
        return false;
    }
}

void CMainFrame::OnCommand(std::uint16_t id)
{
    CCmdUI probe;
    probe.id = id;
    if (parts_ && parts_->OnUpdateCommand(probe)) {
        parts_->OnCommand(id);
        return;
    }
    if (CColorPaletteBar* colors = CColorPaletteBar::Instance(); colors && colors->OnUpdateCommand(probe)) {
        colors->OnCommand(id);
        return;
    }
    switch (id) {
    case ID_WINDOW_NEW:
        if (CChildFrame* frame = ActiveFrame(); frame && frame->Document())
            DocManager().NewFrame(*frame->Document());
        break;
    case ID_CUSTOMIZE_WINDOWS:
        if (CustomizeWindow()->isVisible()) {
            customize_->hide();
        } else {
            customize_->show();
            customize_->raise();
            customize_->activateWindow();
        }
        break;
    case ID_WINDOW_ARRANGE:
        // Minimised windows line up along the bottom: cascading does it too.
        mdiArea_->cascadeSubWindows();
        break;
    case ID_WINDOW_CASCADE:
        mdiArea_->cascadeSubWindows();
        break;
    case ID_WINDOW_TILE:
        mdiArea_->tileSubWindows();
        break;
    default:
        break;
    }
}

CCustomizeWindow* CMainFrame::CustomizeWindow()
{
    if (!customize_) {
        std::string program = RunningProgramPath();
        DesktopFolders folders = DesktopFolders::FromEnvironment();
        customize_ = new CCustomizeWindow(std::make_unique<CustomizeWindows>(Registry::Instance(), program, folders,
                                                                             SystemIconTheme(SystemPrograms(), folders),
                                                                             SystemPrograms()),
                                          this);
    }
    return customize_;
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (customize_)
        customize_->FrameClosing();
    if (parts_)
        parts_->SaveBarState(Registry::Instance());
    if (!DocManager().SaveAllModified()) {
        event->ignore();
        return;
    }
    DocManager().CloseAllDocuments();
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    const auto urls = event->mimeData()->urls();
    event->acceptProposedAction();
    OpenDroppedFiles(urls);
}

void CMainFrame::OpenDroppedFiles(const QList<QUrl>& urls)
{
    activateWindow();
    for (const QUrl& url : urls)
        if (url.isLocalFile() && open_)
            open_(url.toLocalFile().toStdString());
}

void CMainFrame::ApplyPlacement(const MainWindowPlacement& placement)
{
    const WindowRect& r = placement.normal;
    setGeometry(r.left, r.top, std::max(r.right - r.left, 0), std::max(r.bottom - r.top, 0));
    if (placement.maximized)
        showMaximized();
    else
        showNormal();
}

void CMainFrame::SavePlacement()
{
    if (placementSaved_)
        return;
    placementSaved_ = true;
    QRect normal = normalGeometry();
    if (!normal.isValid())
        normal = geometry();
    WindowRect rect{normal.left(), normal.top(), normal.left() + normal.width(), normal.top() + normal.height()};
    MainWindowState state = isMinimized()   ? MainWindowState::Minimized
                            : isMaximized() ? MainWindowState::Maximized
                                            : MainWindowState::Normal;
    SaveMainWindowPlacement(Registry::Instance(), rect, state, (windowState() & Qt::WindowMaximized) != 0);
}

CChildFrame* CMainFrame::FrameOfView(const QWidget* view) const
{
    for (CChildFrame* frame : DocManager().Frames())
        if (frame->View() == view)
            return frame;
    return nullptr;
}

// ---- EditorHost ----

void CMainFrame::SetStatusPaneText(int pane, const std::string& text)
{
    if (parts_)
        parts_->StatusBar()->SetPaneText(pane, text);
}

bool CMainFrame::IsStatusBarShown() const
{
    return statusBar()->isVisible();
}

void CMainFrame::RepaintActualSizePreview()
{
    CActualSizePreview::RepaintAll();
}

void CMainFrame::ActivateViewFrame(CIconView* view)
{
    DocManager().ActivateFrame(FrameOfView(view));
}

void CMainFrame::SendMainWindowCommand(std::uint16_t id)
{
    router_->Send(id);
}

CCmdUI CMainFrame::UpdateMainWindowCommand(std::uint16_t id)
{
    return router_->Update(id);
}

bool CMainFrame::IsLocalToolbarShown(CIconView* view) const
{
    CChildFrame* frame = FrameOfView(view);
    return frame && frame->LocalToolBar() && frame->LocalToolBar()->isVisibleTo(frame);
}

void CMainFrame::ShowLocalToolbar(CIconView* view, bool show)
{
    if (CChildFrame* frame = FrameOfView(view))
        frame->ShowLocalToolBar(show);
}

bool CMainFrame::FocusLibrarian()
{
    // TODO (librarian bar, no issue yet): the librarian bar takes the focus when it is visible.
    return false;
}

} // namespace kavrel
