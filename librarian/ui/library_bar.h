// CLibraryBar: the librarian as a dock of the main window (bar id 59407,
// "Librarian", any edge or floating, docked left at creation). It holds the
// tree with its toolbar and the icon list with its toolbar and counts, lays
// them out side by side when the bar is wide and one above the other when
// it is tall, and answers the librarian commands the main window forwards.
// The state behind it is a CLibrarian (librarian/librarian.h).
//
// The main window: creates one, docks it, sets the hooks, calls TimerStep
// from its 50 ms update, forwards the librarian commands (OnUpdateCommand /
// OnCommand) and calls SaveState when it closes.
#pragma once

#include <QDockWidget>
#include <cstdint>
#include <functional>

#include "document/cmd_target.h"
#include "librarian/librarian.h"

class QToolBar;
class QAction;
class QMenu;

namespace kavrel {

class CIconListBox;
class CLibTreeCtrl;

inline constexpr int kLibraryBarId = 59407;
inline constexpr int kStrLibraryBarTitle = 20; // "Librarian"

// What the bar needs of the windows around it.
struct LibraryBarHooks {
    // Sends a command along the main window's route (posted keys, Import).
    std::function<bool(std::uint16_t)> sendCommand;
    // Opens a copy of an icon as a new untitled icon document.
    std::function<void(const CIconGroup&)> openAsNewIcon;
    // Opens icon i of the shown library in an editor linked to the bar.
    std::function<void(int)> openLinkedIcon;
    // Opens a library in a window of its own (Open library, F5), or brings
    // its window forward; a non-zero command is then posted to that window
    // (Print and Print Preview of the library).
    std::function<void(const std::string&, std::uint16_t)> openLibraryWindow;
    // Gives the keyboard focus to the active document window.
    std::function<void()> focusDocument;
    // The bar was shown or hidden by its command.
    std::function<void()> toggled;
    // The second pop-up of the librarian's context menus, filled by the
    // main window's command router (nullptr: none).
    std::function<QMenu*(int index, QWidget* parent)> contextMenu;
};

class CLibraryBar : public QDockWidget, public CCmdTarget {
    Q_OBJECT
  public:
    explicit CLibraryBar(const std::string& root, QWidget* parent = nullptr);
    ~CLibraryBar() override;

    // The one of the main window (nullptr when none exists).
    static CLibraryBar* Instance();

    CLibrarian& Librarian() { return librarian_; }
    CLibTreeCtrl* Tree() const { return tree_; }
    CIconListBox* ListBox() const { return list_; }
    QToolBar* TreeToolBar() const { return treeBar_; }
    QToolBar* IconToolBar() const { return iconBar_; }
    void SetHooks(LibraryBarHooks hooks) { hooks_ = std::move(hooks); }

    // The tree listed again from the root (after the conversion of an
    // earlier librarian), then opened along BankPathName.
    void ReloadTree();
    // One step of the 200 ms debounce (the main window's timer).
    void TimerStep();
    // After the shown library's icons changed elsewhere (F3, Import).
    void RefreshList();
    // Save-if-needed and the tree's selection into BankPathName.
    void SaveState();

    // Whether the list (rather than the tree) took the focus last.
    bool ListHasFocus() const { return listHasFocus_; }
    // The focus goes to the pane that had it last.
    void TakeFocus();
    // Wide bar: tree left of the list; tall bar: tree above it.
    bool Horizontal() const { return horizontal_; }

    // "Add to the librarian": copies appended to the shown library, selected.
    bool AddIcons(std::vector<CIconGroup> icons);
    // Icons dropped on a library of the tree (refusals beep); the action to
    // report back to the drag.
    Qt::DropAction DropOnTreeLibrary(const LibEntry& target, const IconPayload& payload, bool ctrlHeld);

    QSize sizeHint() const override;

    bool OnUpdateCommand(CCmdUI& ui) override;
    void OnCommand(std::uint16_t id) override;

  signals:
    // A key of the tree or the list sent or posted a command.
    void commandIssued(std::uint16_t id);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    class Body;
    friend class Body;

    void BuildToolBars();
    void Layout();
    void Issue(std::uint16_t id, bool post);
    bool TreeKey(int key, Qt::KeyboardModifiers mods);
    bool ListKey(int key, Qt::KeyboardModifiers mods);
    void ShowContextMenu(int index, const QPoint& global);
    void UpdateToolBars();
    void SetDisplay(int sizeClass, int colorClass, bool info);
    Qt::DockWidgetArea Area() const;
    // The docked or floating size of the settings, for where the bar is now.
    void ApplyStoredSize();

    void RenameCommand();
    void DeleteCommand();
    void SaveAsIco();
    void ExportIcl();
    // Print / Print Preview of the shown library, through its own window.
    void PrintShown(bool preview);
    void OpenIcon(bool asNew);
    void DropOnList(const IconPayload& payload, int index, bool ctrlHeld, Qt::DropAction* action);

    CLibrarian librarian_;
    LibraryBarHooks hooks_;
    Body* body_ = nullptr;
    CLibTreeCtrl* tree_ = nullptr;
    CIconListBox* list_ = nullptr;
    QToolBar* treeBar_ = nullptr;
    QToolBar* iconBar_ = nullptr;
    std::vector<QAction*> actions_;
    bool listHasFocus_ = true;
    bool horizontal_ = false;
    bool placing_ = false;
};

} // namespace kavrel
