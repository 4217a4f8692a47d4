// CLibTreeCtrl: the librarian's tree of folders and libraries. It lists the
// disk lazily (a placeholder child stands for content not read yet, so the
// expand button shows only where there is something), names new items and
// renames in place, drags folders and libraries onto folders, and takes
// icons dropped on a library. Keys and the context pop-up are the bar's.
#pragma once

#include <QTreeWidget>
#include <functional>
#include <optional>

#include "librarian/icon_payload.h"
#include "librarian/store.h"

namespace kavrel {

class CLibrarian;

inline constexpr const char* kTreeItemMimeType = "application/x-kavrel-librarian-item";

class CLibTreeCtrl : public QTreeWidget {
    Q_OBJECT
  public:
    explicit CLibTreeCtrl(CLibrarian& librarian, QWidget* parent = nullptr);

    // Lays the tree out afresh from the root (collapsed, root selected).
    void Rebuild();
    // Expands along a remembered path and selects its item.
    void OpenAlong(const RememberedWalk& walk);

    QTreeWidgetItem* RootItem() const { return topLevelItem(0); }
    LibEntry EntryOf(const QTreeWidgetItem* item) const;
    // The selected item's entry (the root when nothing is selected).
    LibEntry SelectedEntry() const;
    QTreeWidgetItem* FindItem(const std::string& path) const;
    static bool IsPlaceholder(const QTreeWidgetItem* item);

    // Toggles expansion; collapsing forgets the children so that the next
    // expansion lists the disk again.
    void ToggleExpansion(QTreeWidgetItem* item);
    // A new library or folder beside or below the selection, named in place.
    void NewItem(bool library);
    bool IsNamingNewItem() const { return newItem_ != nullptr; }
    // In-place rename of the selected item (not the root).
    void BeginRename();
    // After a rename elsewhere (the rename boxes): the item takes its new
    // label and path; a folder's children are listed again.
    void ApplyRename(QTreeWidgetItem* item, const std::string& newPath);
    // Removes an item and selects its next sibling, else the previous one,
    // else its parent.
    void RemoveItem(QTreeWidgetItem* item);

    // Icons dropped on an item: the bar decides and tells the action done.
    using IconDropHandler =
        std::function<Qt::DropAction(const LibEntry& target, const IconPayload& payload, bool ctrlHeld)>;
    void SetIconDropHandler(IconDropHandler handler) { iconDrop_ = std::move(handler); }
    void SetKeyHandler(std::function<bool(int key, Qt::KeyboardModifiers)> handler)
    {
        keyHandler_ = std::move(handler);
    }
    // A tree item dropped on another: the move on disk, then the tree.
    bool MoveItem(const std::string& dragged, QTreeWidgetItem* target);
    // What a drop of this MIME data on item does (also the drop event's work).
    Qt::DropAction DropMime(const QMimeData* mime, QTreeWidgetItem* item, bool ctrlHeld);

  signals:
    void focusTaken();
    void contextMenuAt(const QPoint& globalPos);

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

  private:
    class EditDelegate;
    friend class EditDelegate;

    QTreeWidgetItem* MakeItem(const LibEntry& entry);
    void AddPlaceholder(QTreeWidgetItem* item);
    void ClearChildren(QTreeWidgetItem* item);
    void ResetChildren(QTreeWidgetItem* item);
    void SetImage(QTreeWidgetItem* item, bool open);
    void OnExpanded(QTreeWidgetItem* item);
    void OnCollapsed(QTreeWidgetItem* item);
    void OnCurrentChanged(QTreeWidgetItem* current);
    void EndEdit(QTreeWidgetItem* item, std::optional<std::string> text);
    void EndNewItem(QTreeWidgetItem* item, std::optional<std::string> text);
    void SetHighlight(QTreeWidgetItem* item);

    CLibrarian& librarian_;
    IconDropHandler iconDrop_;
    std::function<bool(int, Qt::KeyboardModifiers)> keyHandler_;
    QTreeWidgetItem* newItem_ = nullptr;
    QTreeWidgetItem* editing_ = nullptr;
    QTreeWidgetItem* highlight_ = nullptr;
    std::optional<std::string> editedText_;
    bool suppressExpansion_ = false;
    QPoint pressPos_;
    QTreeWidgetItem* pressItem_ = nullptr;
};

} // namespace kavrel
