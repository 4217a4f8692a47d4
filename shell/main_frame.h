// The main window: the MDI area that holds the document windows, the menu
// bar of the active document kind, the application-wide accelerators, the
// control bars, and the 50 ms active-window update.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include "document/cmd_target.h"
#include "editor/ui/editor_host.h"
#include "resources/command_table.h"
#include "shell/core/settings.h"

class QMdiArea;
class QUrl;
class QMdiSubWindow;

namespace kavrel {

class CChildFrame;
class CCommandRouter;
class CFrameParts;
class CCustomizeWindow;

class CMainFrame : public QMainWindow, public CCmdTarget, public EditorHost {
    Q_OBJECT
  public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    QMdiArea* MdiArea() const { return mdiArea_; }
    CCommandRouter& Router() const { return *router_; }
    // Caption, bars, status bar and reorganisation (shell/frame_parts.h).
    CFrameParts* Parts() const { return parts_; }

    // The "Customize Windows" tool window (made hidden on first use).
    CCustomizeWindow* CustomizeWindow();

    // The last target of the command route (the application object).
    void SetApplicationTarget(CCmdTarget* app) { appTarget_ = app; }
    // Where dropped files go (the application's open operation).
    void SetOpenHandler(std::function<void(const std::string&)> open) { open_ = std::move(open); }

    // The active document window and its view, or nullptr.
    CChildFrame* ActiveFrame() const;
    QWidget* ActiveView() const;
    // active view, its document, its child frame, this frame, the application.
    std::vector<CCmdTarget*> CommandRoute() const;

    // Files dropped on the frame: each local one opens as File Open would.
    void OpenDroppedFiles(const QList<QUrl>& urls);

    // The menu bar shown now: the active window's kind, or the main menu.
    MenuKind CurrentMenuKind() const { return menuKind_; }

    // What the timer does every 50 ms (also run once at start-up).
    void ActiveWindowUpdate();
    // Lays the document windows out in the TypeReorganisation mode.
    void ReorganiseDesktop();

    // The "mainwin" placement: applied once at start-up, written when the
    // frame is destroyed.
    void ApplyPlacement(const MainWindowPlacement& placement);
    void SavePlacement();

    // EditorHost
    void SetStatusPaneText(int pane, const std::string& text) override;
    bool IsStatusBarShown() const override;
    void RepaintActualSizePreview() override;
    void ActivateViewFrame(CIconView* view) override;
    void SendMainWindowCommand(std::uint16_t id) override;
    CCmdUI UpdateMainWindowCommand(std::uint16_t id) override;
    bool IsLocalToolbarShown(CIconView* view) const override;
    void ShowLocalToolbar(CIconView* view, bool show) override;
    bool FocusLibrarian() override;
    // "Add to the librarian": the active editor's icon, packed, appended to
    // the library the librarian bar shows.
    bool AddToLibrarian();

    bool OnUpdateCommand(CCmdUI& ui) override;
    void OnCommand(std::uint16_t id) override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void OnSubWindowActivated(QMdiSubWindow* window);
    void FocusActiveView();
    void SelectMenuBar();
    CChildFrame* FrameOfView(const QWidget* view) const;

    QMdiArea* mdiArea_ = nullptr;
    CCommandRouter* router_ = nullptr;
    CFrameParts* parts_ = nullptr;
    CCustomizeWindow* customize_ = nullptr;
    CCmdTarget* appTarget_ = nullptr;
    std::function<void(const std::string&)> open_;
    QTimer timer_;
    QPointer<QWidget> activeView_; // told when it stops being the active view
    bool inUpdate_ = false;
    bool placementSaved_ = false;
    MenuKind menuKind_ = MenuKind::Main;
    bool menuBuilt_ = false;
};

} // namespace kavrel
