#include "librarian/ui/lib_tree_ctrl.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QStyledItemDelegate>
#include <QTimer>

#include "librarian/librarian.h"
#include "librarian/ui/bar_art.h"
#include "librarian/ui/icon_list_box.h"
#include "resources/strings.h"

namespace kavrel {

namespace {

constexpr int kKindRole = Qt::UserRole;
constexpr int kPathRole = Qt::UserRole + 1;
constexpr int kPlaceholder = -1;

QString Q(const std::string& s)
{
    return QString::fromStdString(s);
}

QIcon LibraryIcon()
{
    QIcon icon = TreeIcon(TreeImage::Library);
    icon.addPixmap(TreeIcon(TreeImage::LibrarySelected).pixmap(16, 16), QIcon::Selected);
    return icon;
}

std::string Trimmed(const std::string& s)
{
    return QString::fromStdString(s).trimmed().toStdString();
}

} // namespace

// Never writes the label itself: the tree decides when the edit ends whether
// the new text is taken.
class CLibTreeCtrl::EditDelegate : public QStyledItemDelegate {
  public:
    explicit EditDelegate(CLibTreeCtrl* tree) : QStyledItemDelegate(tree), tree_(tree) {}
    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex&) const override
    {
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            tree_->editedText_ = line->text().toStdString();
    }

  private:
    CLibTreeCtrl* tree_;
};

CLibTreeCtrl::CLibTreeCtrl(CLibrarian& librarian, QWidget* parent) : QTreeWidget(parent), librarian_(librarian)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setItemDelegate(new EditDelegate(this));
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragEnabled(false); // our own drags
    setIconSize(QSize(16, 16));
    connect(this, &QTreeWidget::itemExpanded, this, &CLibTreeCtrl::OnExpanded);
    connect(this, &QTreeWidget::itemCollapsed, this, &CLibTreeCtrl::OnCollapsed);
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) { OnCurrentChanged(current); });
    Rebuild();
}

bool CLibTreeCtrl::IsPlaceholder(const QTreeWidgetItem* item)
{
    return item && item->data(0, kKindRole).toInt() == kPlaceholder;
}

LibEntry CLibTreeCtrl::EntryOf(const QTreeWidgetItem* item) const
{
    if (!item || IsPlaceholder(item))
        return librarian_.Store().RootEntry();
    LibEntry entry;
    entry.kind = static_cast<LibItemKind>(item->data(0, kKindRole).toInt());
    entry.path = item->data(0, kPathRole).toString().toStdString();
    entry.label = item->text(0).toStdString();
    return entry;
}

LibEntry CLibTreeCtrl::SelectedEntry() const
{
    return EntryOf(currentItem());
}

QTreeWidgetItem* CLibTreeCtrl::FindItem(const std::string& path) const
{
    const QString wanted = Q(path);
    std::vector<QTreeWidgetItem*> stack;
    for (int i = 0; i < topLevelItemCount(); ++i)
        stack.push_back(topLevelItem(i));
    while (!stack.empty()) {
        QTreeWidgetItem* item = stack.back();
        stack.pop_back();
        if (!IsPlaceholder(item) && item->data(0, kPathRole).toString() == wanted)
            return item;
        for (int i = 0; i < item->childCount(); ++i)
            stack.push_back(item->child(i));
    }
    return nullptr;
}

QTreeWidgetItem* CLibTreeCtrl::MakeItem(const LibEntry& entry)
{
    auto* item = new QTreeWidgetItem;
    item->setText(0, Q(entry.label));
    item->setData(0, kKindRole, static_cast<int>(entry.kind));
    item->setData(0, kPathRole, Q(entry.path));
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (entry.kind != LibItemKind::Root)
        flags |= Qt::ItemIsEditable;
    item->setFlags(flags);
    SetImage(item, false);
    return item;
}

void CLibTreeCtrl::SetImage(QTreeWidgetItem* item, bool open)
{
    switch (static_cast<LibItemKind>(item->data(0, kKindRole).toInt())) {
    case LibItemKind::Root:
        item->setIcon(0, TreeIcon(open ? TreeImage::RootOpen : TreeImage::Root));
        break;
    case LibItemKind::Folder:
        item->setIcon(0, TreeIcon(open ? TreeImage::FolderOpen : TreeImage::Folder));
        break;
    case LibItemKind::Library:
        item->setIcon(0, LibraryIcon());
        break;
    }
}

void CLibTreeCtrl::AddPlaceholder(QTreeWidgetItem* item)
{
    auto* placeholder = new QTreeWidgetItem;
    placeholder->setData(0, kKindRole, kPlaceholder);
    placeholder->setFlags(Qt::NoItemFlags);
    item->addChild(placeholder);
}

void CLibTreeCtrl::ClearChildren(QTreeWidgetItem* item)
{
    // The selection must not sit in what goes.
    for (QTreeWidgetItem* c = currentItem(); c; c = c->parent())
        if (c->parent() == item) {
            setCurrentItem(item);
            break;
        }
    qDeleteAll(item->takeChildren());
}

void CLibTreeCtrl::ResetChildren(QTreeWidgetItem* item)
{
    ClearChildren(item);
    const LibEntry entry = EntryOf(item);
    if (entry.kind == LibItemKind::Root ||
        (entry.kind == LibItemKind::Folder && librarian_.Store().HasContent(entry.path)))
        AddPlaceholder(item);
}

void CLibTreeCtrl::Rebuild()
{
    newItem_ = editing_ = highlight_ = nullptr;
    clear();
    QTreeWidgetItem* root = MakeItem(librarian_.Store().RootEntry());
    addTopLevelItem(root);
    AddPlaceholder(root);
    setCurrentItem(root);
}

void CLibTreeCtrl::OpenAlong(const RememberedWalk& walk)
{
    if (walk.selected.kind != LibItemKind::Root)
        expandItem(RootItem());
    for (const std::string& folder : walk.expanded)
        if (QTreeWidgetItem* item = FindItem(folder))
            expandItem(item);
    if (QTreeWidgetItem* item = FindItem(walk.selected.path)) {
        setCurrentItem(item);
        scrollToItem(item);
    }
}

void CLibTreeCtrl::OnExpanded(QTreeWidgetItem* item)
{
    SetImage(item, true);
    if (suppressExpansion_)
        return;
    ClearChildren(item);
    const LibEntry entry = EntryOf(item);
    for (const LibEntry& child : librarian_.Store().List(entry.path)) {
        QTreeWidgetItem* c = MakeItem(child);
        item->addChild(c);
        if (child.kind == LibItemKind::Folder && librarian_.Store().HasContent(child.path))
            AddPlaceholder(c);
    }
    if (item->childCount() == 0) {
        // Nothing to show after all: the expansion does not happen.
        const QSignalBlocker block(this);
        collapseItem(item);
        SetImage(item, false);
        if (entry.kind == LibItemKind::Root)
            AddPlaceholder(item);
    }
}

void CLibTreeCtrl::OnCollapsed(QTreeWidgetItem* item)
{
    SetImage(item, false);
    if (item == newItem_ || (newItem_ && newItem_->parent() == item))
        return;
    ResetChildren(item);
}

void CLibTreeCtrl::OnCurrentChanged(QTreeWidgetItem* current)
{
    if (!current || current == newItem_ || IsPlaceholder(current))
        return;
    if (current->isExpanded() && current->childCount() > 0)
        return;
    const LibEntry entry = EntryOf(current);
    if (entry.kind == LibItemKind::Library)
        ClearChildren(current);
    else if (entry.kind == LibItemKind::Folder)
        ResetChildren(current);
}

void CLibTreeCtrl::ToggleExpansion(QTreeWidgetItem* item)
{
    if (!item)
        return;
    if (item->isExpanded())
        collapseItem(item);
    else
        expandItem(item);
}

void CLibTreeCtrl::NewItem(bool library)
{
    if (newItem_ || editing_)
        return;
    QTreeWidgetItem* current = currentItem() ? currentItem() : RootItem();
    const LibEntry selected = EntryOf(current);
    const LibItemKind kind = library ? LibItemKind::Library : LibItemKind::Folder;
    const std::string label = LoadString(library ? kStrNewLibrary : kStrNewFolder);
    QTreeWidgetItem* parent = nullptr;
    QTreeWidgetItem* item = nullptr;
    if (selected.kind == LibItemKind::Library) {
        parent = current->parent();
        item = MakeItem({kind, label, ""});
        parent->insertChild(parent->indexOfChild(current), item);
    } else {
        parent = current;
        item = MakeItem({kind, label, ""});
        if (librarian_.Store().HasContent(selected.path)) {
            if (parent->isExpanded())
                collapseItem(parent);
            expandItem(parent);
            parent->insertChild(0, item);
        } else {
            ClearChildren(parent);
            parent->insertChild(0, item);
            suppressExpansion_ = true;
            expandItem(parent);
            suppressExpansion_ = false;
        }
    }
    newItem_ = item;
    librarian_.SetNaming(true);
    setCurrentItem(item);
    scrollToItem(item);
    editItem(item, 0);
}

void CLibTreeCtrl::BeginRename()
{
    QTreeWidgetItem* item = currentItem();
    if (!item || item == RootItem() || IsPlaceholder(item) || editing_)
        return;
    editItem(item, 0);
}

bool CLibTreeCtrl::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    QTreeWidgetItem* item = itemFromIndex(index);
    // The root keeps its name; a new item is named before anything else.
    if (!item || item == RootItem() || IsPlaceholder(item) || (newItem_ && item != newItem_))
        return false;
    if (!QTreeWidget::edit(index, trigger, event))
        return false;
    editing_ = item;
    return true;
}

void CLibTreeCtrl::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    std::optional<std::string> text =
        hint == QAbstractItemDelegate::RevertModelCache ? std::nullopt : std::move(editedText_);
    editedText_.reset();
    QTreeWidgetItem* item = editing_;
    editing_ = nullptr;
    QTreeWidget::closeEditor(editor, hint);
    if (!item)
        return;
    if (item == newItem_)
        EndNewItem(item, std::move(text));
    else
        EndEdit(item, std::move(text));
}

void CLibTreeCtrl::EndNewItem(QTreeWidgetItem* item, std::optional<std::string> text)
{
    newItem_ = nullptr;
    librarian_.SetNaming(false);
    const LibEntry entry = EntryOf(item);
    const std::string parentPath = EntryOf(item->parent()).path;
    std::string result;
    bool made = false;
    if (!text || Trimmed(*text).empty()) {
        // Cancelled, or no name: the item stands for nothing on disk.
        Beeps().Beep();
    } else if (entry.kind == LibItemKind::Library) {
        made = librarian_.NewLibrary(parentPath, Trimmed(*text), &result);
    } else {
        made = librarian_.NewFolder(parentPath, Trimmed(*text), &result);
    }
    if (made) {
        item->setData(0, kPathRole, Q(result));
        item->setText(0, Q(entry.kind == LibItemKind::Library ? LabelFromFileName(LastComponent(result))
                                                              : LastComponent(result)));
        return;
    }
    // Removed once the editor is gone.
    QTimer::singleShot(0, this, [this, item] {
        std::vector<QTreeWidgetItem*> stack{RootItem()};
        while (!stack.empty()) {
            QTreeWidgetItem* at = stack.back();
            stack.pop_back();
            if (at == item) {
                RemoveItem(item);
                return;
            }
            for (int i = 0; at && i < at->childCount(); ++i)
                stack.push_back(at->child(i));
        }
    });
}

void CLibTreeCtrl::EndEdit(QTreeWidgetItem* item, std::optional<std::string> text)
{
    if (!text)
        return;
    const LibEntry entry = EntryOf(item);
    const std::string name = Trimmed(*text);
    if (name.empty()) {
        Beeps().Beep();
        return;
    }
    if (name == entry.label)
        return;
    std::string result;
    const bool done = entry.kind == LibItemKind::Library ? librarian_.RenameLibrary(entry.path, name, &result)
                                                         : librarian_.RenameFolder(entry.path, name, &result);
    if (done)
        ApplyRename(item, result);
}

void CLibTreeCtrl::ApplyRename(QTreeWidgetItem* item, const std::string& newPath)
{
    item->setData(0, kPathRole, Q(newPath));
    const LibEntry entry = EntryOf(item);
    item->setText(
        0, Q(entry.kind == LibItemKind::Library ? LabelFromFileName(LastComponent(newPath)) : LastComponent(newPath)));
    if (entry.kind == LibItemKind::Folder) {
        if (item->isExpanded()) {
            collapseItem(item);
            expandItem(item);
        } else {
            ResetChildren(item);
        }
    }
}

void CLibTreeCtrl::RemoveItem(QTreeWidgetItem* item)
{
    QTreeWidgetItem* parent = item ? item->parent() : nullptr;
    if (!parent)
        return;
    const int index = parent->indexOfChild(item);
    QTreeWidgetItem* next = parent->child(index + 1);
    if (!next)
        next = index > 0 ? parent->child(index - 1) : parent;
    if (item == highlight_)
        highlight_ = nullptr;
    setCurrentItem(next);
    delete parent->takeChild(parent->indexOfChild(item));
    if (parent->childCount() == 0 && parent != RootItem()) {
        SetImage(parent, false);
        const QSignalBlocker block(this);
        collapseItem(parent);
    }
}

bool CLibTreeCtrl::MoveItem(const std::string& dragged, QTreeWidgetItem* target)
{
    const LibEntry to = EntryOf(target);
    std::string result;
    if (!librarian_.Move(dragged, to.path, &result))
        return false;
    const bool wasCurrent = currentItem() && EntryOf(currentItem()).path == dragged;
    if (QTreeWidgetItem* old = FindItem(dragged)) {
        if (old == highlight_)
            highlight_ = nullptr;
        if (old->parent()) {
            QTreeWidgetItem* parent = old->parent();
            if (currentItem() == old)
                setCurrentItem(parent);
            delete parent->takeChild(parent->indexOfChild(old));
            if (parent->childCount() == 0)
                ResetChildren(parent);
        }
    }
    if (target->isExpanded()) {
        collapseItem(target);
        expandItem(target);
    } else {
        ResetChildren(target);
        expandItem(target);
    }
    if (wasCurrent)
        if (QTreeWidgetItem* moved = FindItem(result))
            setCurrentItem(moved);
    return true;
}

Qt::DropAction CLibTreeCtrl::DropMime(const QMimeData* mime, QTreeWidgetItem* item, bool ctrlHeld)
{
    if (!item || IsPlaceholder(item)) {
        Beeps().Beep();
        return Qt::IgnoreAction;
    }
    const QString treeType = QString::fromLatin1(kTreeItemMimeType);
    if (mime->hasFormat(treeType)) {
        const std::string dragged = QString::fromUtf8(mime->data(treeType)).toStdString();
        return MoveItem(dragged, item) ? Qt::MoveAction : Qt::IgnoreAction;
    }
    std::optional<IconPayload> payload = CIconListBox::PayloadOf(mime);
    if (!payload || !iconDrop_)
        return Qt::IgnoreAction;
    const LibEntry target = EntryOf(item);
    if (target.kind != LibItemKind::Library) {
        Beeps().Beep();
        return Qt::IgnoreAction;
    }
    return iconDrop_(target, *payload, ctrlHeld);
}

bool CLibTreeCtrl::event(QEvent* event)
{
    if (event->type() == QEvent::KeyPress && !editing_) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    return QTreeWidget::event(event);
}

void CLibTreeCtrl::keyPressEvent(QKeyEvent* event)
{
    if (!editing_ && keyHandler_ && keyHandler_(event->key(), event->modifiers())) {
        event->accept();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Space:
    case Qt::Key_Minus:
    case Qt::Key_Period:
        event->accept();
        return;
    default:
        QTreeWidget::keyPressEvent(event);
    }
}

void CLibTreeCtrl::keyReleaseEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Space:
    case Qt::Key_Insert:
    case Qt::Key_Delete:
        event->accept();
        return;
    default:
        QTreeWidget::keyReleaseEvent(event);
    }
}

void CLibTreeCtrl::focusInEvent(QFocusEvent* event)
{
    QTreeWidget::focusInEvent(event);
    emit focusTaken();
}

void CLibTreeCtrl::mousePressEvent(QMouseEvent* event)
{
    pressPos_ = event->position().toPoint();
    pressItem_ = itemAt(pressPos_);
    QTreeWidget::mousePressEvent(event);
}

void CLibTreeCtrl::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton) || !pressItem_ || editing_ || pressItem_ == RootItem() ||
        IsPlaceholder(pressItem_) ||
        (event->position().toPoint() - pressPos_).manhattanLength() < QApplication::startDragDistance()) {
        QTreeWidget::mouseMoveEvent(event);
        return;
    }
    QTreeWidgetItem* dragged = pressItem_;
    pressItem_ = nullptr;
    auto* drag = new QDrag(this);
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kTreeItemMimeType), Q(EntryOf(dragged).path).toUtf8());
    drag->setMimeData(mime);
    const QRect label = visualItemRect(dragged);
    QPixmap image = viewport()->grab(label);
    drag->setPixmap(image);
    drag->setHotSpot(pressPos_ - label.topLeft());
    drag->exec(Qt::MoveAction);
    SetHighlight(nullptr);
}

void CLibTreeCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeWidgetItem* item = itemAt(event->position().toPoint());
    if (item && EntryOf(item).kind == LibItemKind::Library && keyHandler_) {
        // A library opens as Enter would open it.
        keyHandler_(Qt::Key_Return, Qt::NoModifier);
        return;
    }
    QTreeWidget::mouseDoubleClickEvent(event);
}

void CLibTreeCtrl::contextMenuEvent(QContextMenuEvent* event)
{
    // The pop-up's commands act on the tree.
    setFocus(Qt::PopupFocusReason);
    if (QTreeWidgetItem* item = itemAt(event->pos()); item && !IsPlaceholder(item))
        setCurrentItem(item);
    emit contextMenuAt(event->globalPos());
}

void CLibTreeCtrl::SetHighlight(QTreeWidgetItem* item)
{
    if (highlight_ == item)
        return;
    if (highlight_)
        highlight_->setBackground(0, QBrush());
    highlight_ = item;
    if (highlight_)
        highlight_->setBackground(0, palette().highlight().color().lighter(150));
}

void CLibTreeCtrl::dragEnterEvent(QDragEnterEvent* event)
{
    const QMimeData* mime = event->mimeData();
    if (mime->hasFormat(QString::fromLatin1(kTreeItemMimeType)) || mime->hasFormat(QString::fromLatin1(kIconsMimeType)))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CLibTreeCtrl::dragMoveEvent(QDragMoveEvent* event)
{
    QTreeWidgetItem* item = itemAt(event->position().toPoint());
    SetHighlight(IsPlaceholder(item) ? nullptr : item);
    if (event->mimeData()->hasFormat(QString::fromLatin1(kTreeItemMimeType)))
        event->setDropAction(Qt::MoveAction);
    else
        event->setDropAction((event->modifiers() & Qt::ControlModifier) ? Qt::CopyAction : Qt::MoveAction);
    event->accept();
}

void CLibTreeCtrl::dragLeaveEvent(QDragLeaveEvent*)
{
    SetHighlight(nullptr);
}

void CLibTreeCtrl::dropEvent(QDropEvent* event)
{
    SetHighlight(nullptr);
    const Qt::DropAction action = DropMime(event->mimeData(), itemAt(event->position().toPoint()),
                                           (event->modifiers() & Qt::ControlModifier) != 0);
    if (action == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}

} // namespace kavrel
