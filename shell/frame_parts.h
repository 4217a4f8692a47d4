// The main window's own parts, made and run in one place so that CMainFrame
// only has to create this object and hand it a few calls: the self-painted
// caption, the Standard, Draw and Scale 1:1 bars, the status bar with its
// layouts and progress, desktop reorganisation with every automatic trigger,
// and the frame's commands for them (plus the welcome, web-site and About
// commands).
#pragma once

#include <QObject>
#include <QPointer>
#include <set>

#include "document/cmd_target.h"
#include "model/progress.h"
#include "shell/bars.h"
#include "shell/status_bar.h"

class QMainWindow;
class QMdiArea;
class QSize;
class QMdiSubWindow;

namespace kavrel {

class CCommandRouter;
class CFrameCaption;
class Registry;

class CFrameParts : public QObject, public CCmdTarget {
    Q_OBJECT
  public:
    // Creates the caption, the bars and the status bar in frame. Call it in
    // the frame's constructor, before the frame is first shown.
    CFrameParts(QMainWindow* frame, QMdiArea* area, CCommandRouter& router);
    ~CFrameParts() override;

    // The one of the main window (nullptr before it exists).
    static CFrameParts* Instance();

    CStatusBarEx* StatusBar() const { return status_; }
    const MainBars& Bars() const { return bars_; }
    CFrameCaption* Caption() const { return caption_; }

    // Lays the document windows out now in the TypeReorganisation mode
    // (F12, and whenever an automatic reorganisation is due). Nothing while
    // a document window is maximised or the area has no size yet.
    void Reorganise();
    // A side bar (Draw, Colors, Scale 1:1, Librarian) was shown or hidden:
    // reorganises at once while ReorganiseAuto is 1.
    void SideBarToggled();
    // How many times Reorganise placed the windows (for tests).
    int Reorganisations() const { return reorganisations_; }

    // The active-window update's share, after the reorganisation: the
    // status layout of the active window's kind, and the text panes enabled
    // while a document window is open.
    void UpdateStatus(QMdiSubWindow* active);

    // The bars' docking layout, kept under "General" in the settings store
    // (as the frame's own saved-state bytes). Restore once every bar exists;
    // save when the frame closes. Restore is false when nothing was stored
    // or it did not fit the bars.
    void SaveBarState(Registry& registry);
    bool RestoreBarState(Registry& registry);

    bool OnUpdateCommand(CCmdUI& ui) override;
    void OnCommand(std::uint16_t id) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Moves and resizes reorganise once the events in hand are done, so that
    // the layout has settled.
    void ReorganiseSoon();
    void ToggleBar(QWidget* bar, bool side);
    // Windows that reached the right or bottom edge of the area follow it.
    void FollowAreaResize(const QSize& before, const QSize& after);

    QMainWindow* frame_;
    QPointer<QMdiArea> area_;
    CCommandRouter& router_;
    CFrameCaption* caption_ = nullptr;
    CStatusBarEx* status_ = nullptr;
    MainBars bars_;
    std::set<QObject*> windows_; // the document windows seen so far
    bool reorganiseScheduled_ = false;
    int reorganisations_ = 0;
};

// Where long file work reports its progress: the main window's status bar,
// or nowhere before it exists.
ProgressSink& FrameProgress();

} // namespace kavrel
