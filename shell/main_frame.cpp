#include "shell/main_frame.h"

#include "librarian/ui/grid_view.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <filesystem>

#include "document/icon_document.h"
#include "editor/icon_view_state.h"
#include "editor/ui/actual_size_preview.h"
#include "editor/ui/icon_view.h"
#include "editor/ui/palette_bar_widget.h"
#include "librarian/settings_librarian.h"
#include "librarian/ui/library_bar.h"
#include "platform/registry.h"
#include "resources/command_ids.h"
#include "shell/app.h"
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
    router_->SetWindowList(
        [this] {
            std::vector<CCommandRouter::WindowEntry> entries;
            for (QMdiSubWindow* w : mdiArea_->subWindowList())
                entries.push_back({w->windowTitle().remove(QStringLiteral("[*]")), w == mdiArea_->activeSubWindow()});
            return entries;
        },
        [this](int index) {
            const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList();
            if (index >= 0 && index < windows.size()) {
                mdiArea_->setActiveSubWindow(windows[index]);
                FocusActiveView();
            }
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
    // The librarian bar, docked on the left.
    auto* librarian = new CLibraryBar(LibrarianFolder(), this);
    addDockWidget(Qt::LeftDockWidgetArea, librarian);
    resizeDocks({librarian}, {LibBarSizeH}, Qt::Horizontal);
    LibraryBarHooks hooks;
    GridViewHooks grid;
    hooks.sendCommand = [this](std::uint16_t id) { return router_->Send(id); };
    hooks.openAsNewIcon = [](const CIconGroup& icon) {
        if (CKavrelApp* app = CKavrelApp::Instance()) {
            GroupIconSource source(icon, true);
            app->OpenIconAsNewIcon(source);
        }
    };
    hooks.openLinkedIcon = [](int index) {
        CKavrelApp* app = CKavrelApp::Instance();
        if (GridLibrarianLinks* links = GridLinks(); app && links)
            app->OpenLinkedIcon(links->Bar(), index);
    };
    hooks.openLibraryWindow = [this](const std::string& path, std::uint16_t post) {
        CKavrelApp* app = CKavrelApp::Instance();
        if (!app)
            return;
        const OpenResult opened = app->OpenDocumentFile(path);
        if (post == 0 || (opened != OpenResult::Opened && opened != OpenResult::Activated))
            return;
        // The window, once made, posts the command to itself.
        std::error_code ec;
        const std::string key = std::filesystem::absolute(path, ec).lexically_normal().string();
        CChildFrame* frame = DocManager().FindFrame(ec ? path : key);
        QPointer<QWidget> view = frame ? frame->View() : nullptr;
        QTimer::singleShot(0, this, [view, post] {
            if (auto* target = dynamic_cast<CCmdTarget*>(view.data())) {
                CCmdUI ui;
                ui.id = post;
                if (target->OnUpdateCommand(ui) && ui.enabled)
                    target->OnCommand(post);
            }
        });
    };
    grid.printer = [] { return &ApplicationPrinter(); };
    hooks.focusDocument = [this] {
        if (QWidget* view = ActiveView())
            view->setFocus(Qt::OtherFocusReason);
    };
    hooks.toggled = [this] {
        if (parts_)
            parts_->SideBarToggled();
    };
    hooks.contextMenu = [this](int index, QWidget* parent) { return router_->BuildMenu(ContextMenu(index), parent); };
    grid.openAsNewIcon = hooks.openAsNewIcon;
    librarian->SetHooks(std::move(hooks));
    grid.openLinkedIcon = [](IconSourceWindow& source, int index) {
        if (CKavrelApp* app = CKavrelApp::Instance())
            app->OpenLinkedIcon(source, index);
    };
    grid.setStatusText = [this](int pane, const std::string& text) { SetStatusPaneText(pane, text); };
    grid.focusLibrarian = [librarian] {
        if (librarian->isVisible())
            librarian->TakeFocus();
    };
    grid.hideLibrarian = [this] { router_->Send(ID_VIEW_LIBRARIAN); };
    SetGridViewHooks(std::move(grid));
    GridLinks();
    // The bar layout of the last close; the librarian and colour bars exist
    // by now to take their places too.
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

void CMainFrame::FocusActiveView()
{
    // Keys typed next go to the window just chosen.
    if (QWidget* view = ActiveView())
        view->setFocus();
}

void CMainFrame::OnSubWindowActivated(QMdiSubWindow* window)
{
    SelectMenuBar();
    auto* frame = dynamic_cast<CChildFrame*>(window);
    QWidget* view = frame ? frame->View() : nullptr;
    if (activeView_ != view) {
        if (auto* old = dynamic_cast<CFrameView*>(activeView_.data()))
            old->OnActivateView(false);
        activeView_ = view;
        if (CFrameView* now = frame ? frame->FrameView() : nullptr)
            now->OnActivateView(true);
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
        if (CLibraryBar* librarian = CLibraryBar::Instance())
            librarian->TimerStep();
        CChildFrame* frame = ActiveFrame();
        CFrameView* view = frame ? frame->FrameView() : nullptr;
        // Nothing more while a mouse operation is under way in the view.
        if (!view || !view->IsBusy()) {
            if (OnActiveWindowUpdate() == ReorgAction::Now)
                ReorganiseDesktop();
            SelectMenuBar();
            if (parts_)
                parts_->UpdateStatus(frame);
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
    if (CLibraryBar* librarian = CLibraryBar::Instance(); librarian && librarian->OnUpdateCommand(ui))
        return true;
    switch (ui.id) {
    case ID_ADD_TO_LIBRARIAN: {
        CLibraryBar* librarian = CLibraryBar::Instance();
        ui.Enable(dynamic_cast<CIconView*>(ActiveView()) && librarian && librarian->Librarian().Loaded() &&
                  !librarian->Librarian().ShownLocked());
        return true;
    }
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
    case ID_NEXT_WINDOW:
        ui.Enable(mdiArea_->subWindowList().size() > 1);
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
    if (CLibraryBar* librarian = CLibraryBar::Instance(); librarian && librarian->OnUpdateCommand(probe)) {
        librarian->OnCommand(id);
        return;
    }
    switch (id) {
    case ID_ADD_TO_LIBRARIAN:
        AddToLibrarian();
        break;
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
    case ID_NEXT_WINDOW:
        mdiArea_->activateNextSubWindow();
        FocusActiveView();
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
    if (CLibraryBar* librarian = CLibraryBar::Instance())
        librarian->SaveState();
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
    CLibraryBar* librarian = CLibraryBar::Instance();
    if (!librarian || !librarian->isVisible())
        return false;
    librarian->TakeFocus();
    return true;
}

bool CMainFrame::AddToLibrarian()
{
    auto* view = dynamic_cast<CIconView*>(ActiveView());
    CChildFrame* frame = ActiveFrame();
    auto* doc = frame ? dynamic_cast<CIconDocument*>(frame->Document()) : nullptr;
    CLibraryBar* librarian = CLibraryBar::Instance();
    if (!view || !doc || !librarian)
        return false;
    view->State().CommitSelection();
    view->update();
    std::vector<CIconGroup> icons;
    icons.push_back(doc->ToIconGroup());
    return librarian->AddIcons(std::move(icons));
}

} // namespace kavrel
