// The Qt side of command routing: menus, toolbar actions and accelerators
// turn into numeric commands sent along the route of the active window
// (view, document, child frame, main frame, application), and their
// enabled/checked state comes from the same route.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include <QIcon>
#include <QObject>
#include <QString>

#include "document/cmd_target.h"
#include "resources/command_table.h"

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace kavrel {

class CCommandRouter : public QObject {
    Q_OBJECT
  public:
    using RouteProvider = std::function<std::vector<CCmdTarget*>()>;

    explicit CCommandRouter(RouteProvider route, QObject* parent = nullptr);
    ~CCommandRouter() override;

    std::vector<CCmdTarget*> Route() const { return route_(); }
    CCmdUI Update(std::uint16_t id) const;
    // False when nobody on the route claims the command or it is disabled.
    bool Send(std::uint16_t id);

    // The shared action of a command for toolbars: caption, tooltip and
    // status-bar prompt from the command table; triggering sends the
    // command. Its state follows UpdateActions.
    QAction* Action(std::uint16_t id);
    // Where the shared actions take their button images from.
    void SetIconProvider(std::function<QIcon(std::uint16_t)> provider) { iconProvider_ = std::move(provider); }
    // Refreshes enabled and checked of every shared action (the idle update).
    void UpdateActions();
    // Applies the route's state of id to one action.
    void ApplyState(QAction* action, std::uint16_t id) const;

    // Fills a menu bar with the menus of a kind; each menu updates its items
    // when it is about to show.
    void BuildMenuBar(QMenuBar* bar, MenuKind kind);
    // A menu (a Submenu item, such as a context pop-up) with the same behaviour.
    QMenu* BuildMenu(const MenuItem& menu, QWidget* parent);
    // Updates the items of a menu from the route.
    void UpdateMenu(QMenu* menu);

    // The accelerator table as window-wide shortcuts of window.
    void InstallAccelerators(QWidget* window);
    const std::vector<QAction*>& AcceleratorActions() const { return accelerators_; }

    // The recent-file entries a "Recent files" item expands into; a handler
    // receives the chosen index (0 for the first file).
    using RecentFilesProvider = std::function<std::vector<std::string>()>;
    void SetRecentFiles(RecentFilesProvider provider, std::function<void(int)> open);

    // The document windows listed below the commands of the Window menu, in
    // order, each with its title and whether it is the active one; a handler
    // activates the chosen index.
    struct WindowEntry {
        QString title;
        bool active = false;
    };
    using WindowListProvider = std::function<std::vector<WindowEntry>()>;
    void SetWindowList(WindowListProvider provider, std::function<void(int)> activate);

    // The router of the main window (nullptr before it exists).
    static CCommandRouter* Instance();

    // The command id an action carries (0 for none).
    static std::uint16_t CommandOf(const QAction* action);

  signals:
    // A command was sent (handled or not): for tests and the splash window.
    void commandSent(std::uint16_t id, bool handled);

  private:
    void FillMenu(QMenu* menu, const std::vector<MenuItem>& items);
    void FillRecentFiles(QMenu* menu, QAction* placeholder);
    void FillWindowList(QMenu* menu);

    RouteProvider route_;
    std::function<QIcon(std::uint16_t)> iconProvider_;
    std::map<std::uint16_t, QAction*> actions_;
    std::vector<QAction*> accelerators_;
    RecentFilesProvider recentFiles_;
    std::function<void(int)> openRecent_;
    WindowListProvider windowList_;
    std::function<void(int)> activateWindow_;
};

// Menu text for a caption and a shown shortcut: "caption\tshortcut".
QString MenuText(const std::string& caption, const std::string& shortcut);

} // namespace kavrel
