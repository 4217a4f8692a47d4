#include "librarian/ui/library_bar.h"

#include "librarian/grid_commands.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QToolBar>
#include <algorithm>

#include "librarian/bar_dialogs.h"
#include "librarian/settings_librarian.h"
#include "librarian/ui/bar_art.h"
#include "librarian/ui/compile_dialog.h"
#include "librarian/ui/icon_list_box.h"
#include "librarian/ui/lib_tree_ctrl.h"
#include "model/icl_file.h"
#include "model/ico_file.h"
#include "platform/prompter.h"
#include "resources/command_ids.h"
#include "resources/command_table.h"
#include "resources/strings.h"

namespace kavrel {

namespace {

constexpr int kStrLibraryHasNoIcons = 15;

CLibraryBar* g_bar = nullptr;

constexpr int kSplitMargin = 25; // the split stays this far from either edge
constexpr int kToolStrip = 29;   // the tree toolbar's breadth
constexpr int kIconBarWidth = 155, kIconBarHeight = 25;
constexpr int kCountsWidth = 54;

constexpr std::uint16_t kTreeButtons[] = {ID_LIB_NEW_FOLDER,   ID_LIB_NEW_LIBRARY, 0, ID_LIB_COMPILE, 0,
                                          ID_LIB_OPEN_LIBRARY, ID_LIB_RENAME,      0, ID_LIB_DELETE,  0,
                                          ID_LIB_EXPORT_ICL,   ID_LIB_IMPORT};
constexpr std::uint16_t kIconButtons[] = {ID_LIB_SHOW_16,   ID_LIB_SHOW_32,       ID_LIB_SHOW_48,        0,
                                          ID_LIB_SHOW_MONO, ID_LIB_SHOW_16COLORS, ID_LIB_SHOW_256COLORS, 0,
                                          ID_LIB_SHOW_INFOS};

std::string Trimmed(const std::string& s)
{
    return QString::fromStdString(s).trimmed().toStdString();
}

std::vector<std::string> SelectedNames(const CIconList& list)
{
    std::vector<std::string> names;
    for (int i : list.Selection())
        names.push_back(list.Item(i).DisplayName());
    return names;
}

} // namespace

// The bar's client area: places the panes, draws the counts strip and
// drags the split between tree and list.
class CLibraryBar::Body : public QWidget {
  public:
    explicit Body(CLibraryBar* bar) : QWidget(bar), bar_(bar) { setMouseTracking(true); }

    QRect counts;
    int split = 0;
    std::string shownCounts;

    bool InSplit(const QPoint& p) const
    {
        const int at = bar_->horizontal_ ? p.x() : p.y();
        return at >= split - 2 && at <= split + 2;
    }

  protected:
    void resizeEvent(QResizeEvent*) override { bar_->Layout(); }
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(counts, palette().button());
        const CIconList& list = bar_->librarian_.List();
        if (list.empty())
            return;
        QFont font = painter.font();
        font.setPixelSize(9);
        painter.setFont(font);
        painter.setPen(palette().buttonText().color());
        const QRect line1(counts.left(), counts.top(), counts.width() - 2, 12);
        painter.drawText(line1, Qt::AlignRight | Qt::AlignVCenter, QString::fromStdString(list.CountText()));
        painter.drawText(line1.translated(0, 11), Qt::AlignRight | Qt::AlignVCenter,
                         QString::fromStdString(list.SelectedText()));
    }
    void mousePressEvent(QMouseEvent* e) override { dragging_ = e->button() == Qt::LeftButton && InSplit(e->pos()); }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        const bool over = dragging_ || InSplit(e->pos());
        setCursor(over ? (bar_->horizontal_ ? Qt::SplitHCursor : Qt::SplitVCursor) : Qt::ArrowCursor);
        if (!dragging_)
            return;
        (bar_->horizontal_ ? ORVBankSeparatorV : ORVBankSeparatorH) = bar_->horizontal_ ? e->pos().x() : e->pos().y();
        bar_->Layout();
    }
    void mouseReleaseEvent(QMouseEvent*) override { dragging_ = false; }

  private:
    CLibraryBar* bar_;
    bool dragging_ = false;
};

CLibraryBar::CLibraryBar(const std::string& root, QWidget* parent) : QDockWidget(parent), librarian_(root)
{
    g_bar = this;
    setObjectName(QStringLiteral("Bar%1").arg(kLibraryBarId));
    setWindowTitle(QString::fromStdString(LoadString(kStrLibraryBarTitle)));
    setAllowedAreas(Qt::AllDockWidgetAreas);
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable | QDockWidget::DockWidgetClosable);
    setFocusPolicy(Qt::StrongFocus);

    body_ = new Body(this);
    body_->setMinimumSize(60, 60);
    setWidget(body_);
    tree_ = new CLibTreeCtrl(librarian_, body_);
    list_ = new CIconListBox(librarian_.List(), body_);
    librarian_.List().SetOptions({LibBarTailleAffiche, LibBarColorAffiche, LibBarAfficheInfos != 0, false});
    BuildToolBars();

    tree_->SetKeyHandler([this](int key, Qt::KeyboardModifiers mods) { return TreeKey(key, mods); });
    tree_->SetIconDropHandler([this](const LibEntry& target, const IconPayload& payload, bool ctrl) {
        return DropOnTreeLibrary(target, payload, ctrl);
    });
    list_->SetKeyHandler([this](int key, Qt::KeyboardModifiers mods) { return ListKey(key, mods); });
    list_->SetPayloadSource([this] { return librarian_.DragPayload(); });
    connect(tree_, &CLibTreeCtrl::focusTaken, this, [this] { listHasFocus_ = false; });
    connect(list_, &CIconListBox::focusTaken, this, [this] { listHasFocus_ = true; });
    connect(tree_, &CLibTreeCtrl::contextMenuAt, this, [this](const QPoint& at) { ShowContextMenu(2, at); });
    connect(list_, &CIconListBox::contextMenuAt, this, [this](const QPoint& at) { ShowContextMenu(1, at); });
    connect(list_, &CIconListBox::openRequested, this, [this](bool asNew) { OpenIcon(asNew); });
    connect(list_, &CIconListBox::selectionChanged, body_, [this] { body_->update(body_->counts); });
    connect(list_, &CIconListBox::iconsDropped, this, &CLibraryBar::DropOnList);
    connect(list_, &CIconListBox::movedOut, this, [this](const std::vector<int>& indices) {
        librarian_.RemoveMovedIcons(indices);
        RefreshList();
    });
    // A bar that moves takes its stored size for the new place once the
    // dock layout settles; the sizes it passes through meanwhile are not kept.
    auto place = [this] {
        placing_ = true;
        QTimer::singleShot(0, this, [this] {
            ApplyStoredSize();
            placing_ = false;
        });
    };
    connect(this, &QDockWidget::topLevelChanged, this, place);
    connect(this, &QDockWidget::dockLocationChanged, this, place);
    ReloadTree();
}

CLibraryBar::~CLibraryBar()
{
    if (g_bar == this)
        g_bar = nullptr;
}

CLibraryBar* CLibraryBar::Instance()
{
    return g_bar;
}

void CLibraryBar::BuildToolBars()
{
    auto fill = [this](QToolBar* bar, std::span<const std::uint16_t> ids, QSize button) {
        for (std::uint16_t id : ids) {
            if (id == 0) {
                bar->addSeparator();
                continue;
            }
            QAction* action = bar->addAction(LibrarianCommandIcon(id), QString());
            action->setData(id);
            if (const CommandInfo* info = FindCommand(id)) {
                action->setToolTip(
                    QString::fromUtf8(info->tooltip.data(), static_cast<qsizetype>(info->tooltip.size())));
                action->setStatusTip(
                    QString::fromUtf8(info->prompt.data(), static_cast<qsizetype>(info->prompt.size())));
            }
            connect(action, &QAction::triggered, this, [this, id] {
                if (!hooks_.sendCommand || !hooks_.sendCommand(id))
                    OnCommand(id);
            });
            actions_.push_back(action);
            if (QWidget* widget = bar->widgetForAction(action))
                widget->setFixedSize(button);
        }
    };
    // Buttons tight round their images, so that both bars fit a narrow bar.
    const QString tight = QStringLiteral("QToolBar { border: 0px; padding: 0px; spacing: 0px; }");
    treeBar_ = new QToolBar(body_);
    treeBar_->setStyleSheet(tight);
    treeBar_->setIconSize(QSize(16, 15));
    fill(treeBar_, kTreeButtons, QSize(19, 18));
    iconBar_ = new QToolBar(body_);
    iconBar_->setStyleSheet(tight);
    iconBar_->setIconSize(QSize(12, 12));
    fill(iconBar_, kIconButtons, QSize(17, 17));
    UpdateToolBars();
}

Qt::DockWidgetArea CLibraryBar::Area() const
{
    auto* frame = qobject_cast<QMainWindow*>(parentWidget());
    return frame ? frame->dockWidgetArea(const_cast<CLibraryBar*>(this)) : Qt::LeftDockWidgetArea;
}

QSize CLibraryBar::sizeHint() const
{
    if (isFloating())
        return {LibBarFloatSizeH, LibBarFloatSizeV};
    const Qt::DockWidgetArea area = Area();
    if (area == Qt::TopDockWidgetArea || area == Qt::BottomDockWidgetArea)
        return {QDockWidget::sizeHint().width(), LibBarSizeV};
    return {LibBarSizeH, QDockWidget::sizeHint().height()};
}

void CLibraryBar::ApplyStoredSize()
{
    if (isFloating()) {
        resize(LibBarFloatSizeH, LibBarFloatSizeV);
        return;
    }
    auto* frame = qobject_cast<QMainWindow*>(parentWidget());
    if (!frame)
        return;
    const Qt::DockWidgetArea area = Area();
    if (area == Qt::TopDockWidgetArea || area == Qt::BottomDockWidgetArea)
        frame->resizeDocks({this}, {LibBarSizeV}, Qt::Vertical);
    else if (area != Qt::NoDockWidgetArea)
        frame->resizeDocks({this}, {LibBarSizeH}, Qt::Horizontal);
}

void CLibraryBar::resizeEvent(QResizeEvent* event)
{
    QDockWidget::resizeEvent(event);
    if (placing_ || !isVisible() || !window()->isVisible())
        return;
    if (isFloating()) {
        LibBarFloatSizeH = width();
        LibBarFloatSizeV = height();
        return;
    }
    const Qt::DockWidgetArea area = Area();
    if (area == Qt::TopDockWidgetArea || area == Qt::BottomDockWidgetArea)
        LibBarSizeV = height();
    else if (area != Qt::NoDockWidgetArea)
        LibBarSizeH = width();
}

void CLibraryBar::Layout()
{
    const int w = body_->width();
    const int h = body_->height();
    horizontal_ = w >= h;
    auto box = [](int l, int t, int r, int b) { return QRect(l, t, std::max(0, r - l), std::max(0, b - t)); };
    QRect treeRect, listRect, iconRect;
    const int iconWidth = std::max(kIconBarWidth, iconBar_->sizeHint().width());
    if (horizontal_) {
        int& split = ORVBankSeparatorV;
        split = std::clamp(split, kSplitMargin, std::max(kSplitMargin, w - kSplitMargin));
        body_->split = split;
        treeBar_->setOrientation(Qt::Vertical);
        treeBar_->setGeometry(2, 2, kToolStrip, h - 4);
        treeRect = box(kToolStrip + 4, 4, split - 2, h - 4);
        iconRect = QRect(split + 4, 2, iconWidth, kIconBarHeight);
        listRect = box(split + 4, 31, w - 4, h - 4);
    } else {
        int& split = ORVBankSeparatorH;
        split = std::clamp(split, kSplitMargin, std::max(kSplitMargin, h - kSplitMargin));
        body_->split = split;
        treeBar_->setOrientation(Qt::Horizontal);
        treeBar_->setGeometry(2, 2, w - 4, kToolStrip);
        treeRect = box(4, kToolStrip + 4, w - 4, split - 2);
        iconRect = QRect(4, split + 3, iconWidth, kIconBarHeight);
        listRect = box(4, split + 31, w - 4, h - 4);
    }
    tree_->setGeometry(treeRect);
    list_->setGeometry(listRect);
    // The toolbar gives way to the counts when the list is narrow (its
    // last buttons go to its extension menu).
    body_->counts = QRect(listRect.right() - kCountsWidth, iconRect.top(), kCountsWidth, 26);
    iconRect.setRight(std::min(iconRect.right(), body_->counts.left() - 2));
    iconBar_->setGeometry(iconRect);
    body_->update();
}

void CLibraryBar::ReloadTree()
{
    tree_->Rebuild();
    tree_->OpenAlong(WalkRememberedPath(librarian_.Store(), BankPathName));
}

void CLibraryBar::TimerStep()
{
    const int loads = librarian_.LoadCount();
    librarian_.TimerStep(tree_->SelectedEntry());
    if (loads != librarian_.LoadCount()) {
        list_->horizontalScrollBar()->setValue(0);
        RefreshList();
    } else {
        const std::string counts = librarian_.List().CountText() + "\n" + librarian_.List().SelectedText();
        if (counts != body_->shownCounts) {
            body_->shownCounts = counts;
            body_->update(body_->counts);
        }
    }
    UpdateToolBars();
}

void CLibraryBar::RefreshList()
{
    list_->Refresh();
    body_->shownCounts = librarian_.List().CountText() + "\n" + librarian_.List().SelectedText();
    body_->update(body_->counts);
}

void CLibraryBar::UpdateToolBars()
{
    for (QAction* action : actions_) {
        CCmdUI ui;
        ui.id = static_cast<std::uint16_t>(action->data().toUInt());
        if (ui.id == ID_LIB_IMPORT)
            ui.Enable(isVisible() && librarian_.Loaded() && !librarian_.ShownLocked());
        else if (!OnUpdateCommand(ui))
            ui.Enable(false);
        action->setEnabled(ui.enabled);
        action->setCheckable(ui.id >= ID_LIB_SHOW_16 && ui.id <= ID_LIB_SHOW_INFOS);
        action->setChecked(ui.checked);
    }
}

void CLibraryBar::SaveState()
{
    librarian_.SaveIfNeeded(false);
    const LibEntry selected = tree_->SelectedEntry();
    BankPathName = selected.kind == LibItemKind::Root ? std::string() : selected.path;
}

void CLibraryBar::TakeFocus()
{
    if (listHasFocus_ && !librarian_.ShownLocked())
        list_->setFocus(Qt::OtherFocusReason);
    else
        tree_->setFocus(Qt::OtherFocusReason);
}

void CLibraryBar::closeEvent(QCloseEvent* event)
{
    QDockWidget::closeEvent(event);
    // Hidden by its own close button: the desktop is laid out again as for
    // the Librarian command.
    if (event->isAccepted() && hooks_.toggled)
        QTimer::singleShot(0, this, [this] {
            if (hooks_.toggled)
                hooks_.toggled();
        });
}

void CLibraryBar::focusInEvent(QFocusEvent* event)
{
    QDockWidget::focusInEvent(event);
    TakeFocus();
}

bool CLibraryBar::AddIcons(std::vector<CIconGroup> icons)
{
    if (!librarian_.AddIcons(std::move(icons)))
        return false;
    const std::vector<int> selection = librarian_.List().Selection();
    RefreshList();
    if (!selection.empty())
        list_->ScrollToItem(selection.back());
    return true;
}

void CLibraryBar::DropOnList(const IconPayload& payload, int index, bool ctrlHeld, Qt::DropAction* action)
{
    *action = Qt::IgnoreAction;
    const bool sameList = payload.kind == IconSourceKind::LibrarianBar && payload.sourceKey == librarian_.SourceKey();
    if (!librarian_.DropOnList(payload, index, ctrlHeld))
        return;
    RefreshList();
    // A move inside this list took the originals out already.
    if (sameList)
        *action = Qt::CopyAction;
    else
        *action = DropActionFor(payload.kind, ctrlHeld) == DropAction::Move ? Qt::MoveAction : Qt::CopyAction;
}

Qt::DropAction CLibraryBar::DropOnTreeLibrary(const LibEntry& target, const IconPayload& payload, bool ctrlHeld)
{
    if (!librarian_.DropOnLibrary(target.path, payload))
        return Qt::IgnoreAction;
    const bool move = DropActionFor(payload.kind, ctrlHeld) == DropAction::Move;
    if (payload.kind == IconSourceKind::LibrarianBar && payload.sourceKey == librarian_.SourceKey()) {
        // From this bar's own list: its icons go here, and the drag is told
        // nothing more is to be removed.
        if (move) {
            librarian_.RemoveMovedIcons(payload.indices);
            RefreshList();
        }
        return Qt::CopyAction;
    }
    return move ? Qt::MoveAction : Qt::CopyAction;
}

// ---- keys ----

void CLibraryBar::Issue(std::uint16_t id, bool post)
{
    emit commandIssued(id);
    auto run = [this, id] {
        if (!hooks_.sendCommand || !hooks_.sendCommand(id))
            OnCommand(id);
    };
    if (post)
        QTimer::singleShot(0, this, run);
    else
        run();
}

bool CLibraryBar::TreeKey(int key, Qt::KeyboardModifiers)
{
    switch (key) {
    case Qt::Key_Tab:
        if (librarian_.ShownLocked()) {
            if (hooks_.focusDocument)
                hooks_.focusDocument();
        } else {
            list_->setFocus(Qt::TabFocusReason);
        }
        return true;
    case Qt::Key_Space:
        if (hooks_.focusDocument)
            hooks_.focusDocument();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (tree_->SelectedEntry().kind == LibItemKind::Library)
            Issue(ID_LIB_OPEN_LIBRARY, true);
        else
            tree_->ToggleExpansion(tree_->currentItem());
        return true;
    case Qt::Key_Escape:
        Issue(ID_VIEW_LIBRARIAN, false);
        return true;
    case Qt::Key_Insert:
        Issue(ID_LIB_NEW_LIBRARY, true);
        return true;
    case Qt::Key_Delete:
        Issue(ID_LIB_DELETE, true);
        return true;
    case Qt::Key_F4:
        Issue(ID_LIB_COMPILE, false);
        return true;
    case Qt::Key_F6:
        Issue(ID_LIB_RENAME, false);
        return true;
    default:
        return false;
    }
}

bool CLibraryBar::ListKey(int key, Qt::KeyboardModifiers mods)
{
    switch (key) {
    case Qt::Key_Tab:
        tree_->setFocus(Qt::TabFocusReason);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        OpenIcon((mods & Qt::ControlModifier) != 0);
        return true;
    case Qt::Key_Escape:
        Issue(ID_VIEW_LIBRARIAN, false);
        return true;
    case Qt::Key_Space:
        if (hooks_.focusDocument)
            hooks_.focusDocument();
        return true;
    case Qt::Key_Insert:
        Issue(ID_LIB_IMPORT, false);
        return true;
    case Qt::Key_Delete:
        Issue(ID_LIB_DELETE, false);
        return true;
    case Qt::Key_A:
        if (!(mods & Qt::ControlModifier))
            return false;
        Issue(ID_LIB_SELECT_ALL, false);
        return true;
    case Qt::Key_F4:
        Issue(ID_LIB_COMPILE, true);
        return true;
    case Qt::Key_F6:
        Issue(ID_LIB_RENAME, true);
        return true;
    default:
        return false;
    }
}

void CLibraryBar::ShowContextMenu(int index, const QPoint& global)
{
    if (!hooks_.contextMenu)
        return;
    QMenu* menu = hooks_.contextMenu(index, this);
    if (!menu)
        return;
    // Opens away from the screen's nearer edge.
    QPoint at(global.x() - 10, global.y() - 10);
    if (const QScreen* screen = QGuiApplication::screenAt(global);
        screen && global.x() >= screen->geometry().center().x())
        at = QPoint(global.x() + 10 - menu->sizeHint().width(), global.y() - 10);
    menu->exec(at);
    menu->deleteLater();
}

// ---- commands ----

bool CLibraryBar::OnUpdateCommand(CCmdUI& ui)
{
    if (ui.id == ID_VIEW_LIBRARIAN) {
        ui.Enable();
        ui.SetCheck(isVisible());
        return true;
    }
    const CIconList& list = librarian_.List();
    const bool usable = librarian_.Loaded() && !librarian_.ShownLocked();
    const int selected = list.SelectedCount();
    const LibEntry entry = tree_->SelectedEntry();
    bool enabled = false;
    switch (ui.id) {
    case ID_LIB_NEW_LIBRARY:
    case ID_LIB_NEW_FOLDER:
        enabled = true;
        break;
    case ID_LIB_RENAME:
    case ID_LIB_DELETE:
        if (listHasFocus_)
            enabled = selected > 0 && usable;
        else
            enabled = entry.kind == LibItemKind::Folder ||
                      (entry.kind == LibItemKind::Library && !librarian_.IsOpenInWindow(entry.path));
        break;
    case ID_LIB_SAVE:
        enabled = librarian_.Modified();
        break;
    case ID_LIB_OPEN_ICON:
    case ID_LIB_OPEN_AS_NEW:
    case ID_LIB_EXPORT_ICL:
        enabled = selected > 0 && usable;
        break;
    case ID_LIB_SAVE_AS_ICO:
        enabled = selected == 1 && usable;
        break;
    case ID_LIB_SELECT_ALL:
        enabled = !list.empty() && usable;
        break;
    case ID_LIB_OPEN_LIBRARY:
        enabled = usable && librarian_.Loaded() && !librarian_.ShownPath().empty() && hooks_.openLibraryWindow;
        break;
    case ID_LIB_COMPILE:
        enabled = !list.empty() && usable;
        break;
    // The library prints from its own window, the one already open included.
    case ID_LIB_PRINT:
    case ID_LIB_PRINT_PREVIEW:
        enabled = librarian_.Loaded() && !librarian_.ShownPath().empty() && hooks_.openLibraryWindow;
        break;
    case ID_LIB_SHOW_16:
    case ID_LIB_SHOW_32:
    case ID_LIB_SHOW_48:
        enabled = true;
        ui.SetCheck(list.Options().sizeClass == ui.id - ID_LIB_SHOW_16);
        break;
    case ID_LIB_SHOW_MONO:
    case ID_LIB_SHOW_16COLORS:
    case ID_LIB_SHOW_256COLORS:
        enabled = true;
        ui.SetCheck(list.Options().colorClass == ui.id - ID_LIB_SHOW_MONO);
        break;
    case ID_LIB_SHOW_INFOS:
        enabled = true;
        ui.SetCheck(list.Options().info);
        break;
    default:
        return false;
    }
    // Forwarded commands act only while the bar shows.
    ui.Enable(enabled && isVisible());
    return true;
}

void CLibraryBar::SetDisplay(int sizeClass, int colorClass, bool info)
{
    LibBarTailleAffiche = sizeClass;
    LibBarColorAffiche = colorClass;
    LibBarAfficheInfos = info ? 1 : 0;
    IconListOptions options = librarian_.List().Options();
    options.sizeClass = sizeClass;
    options.colorClass = colorClass;
    options.info = info;
    librarian_.List().SetOptions(options);
    RefreshList();
}

void CLibraryBar::OnCommand(std::uint16_t id)
{
    CIconList& list = librarian_.List();
    const IconListOptions options = list.Options();
    switch (id) {
    case ID_VIEW_LIBRARIAN:
        setVisible(!isVisible());
        if (isVisible())
            TakeFocus();
        if (hooks_.toggled)
            hooks_.toggled();
        break;
    case ID_LIB_NEW_LIBRARY:
    case ID_LIB_NEW_FOLDER:
        tree_->setFocus(Qt::OtherFocusReason);
        tree_->NewItem(id == ID_LIB_NEW_LIBRARY);
        break;
    case ID_LIB_RENAME:
        RenameCommand();
        break;
    case ID_LIB_DELETE:
        DeleteCommand();
        break;
    case ID_LIB_SAVE:
        librarian_.Save();
        break;
    case ID_LIB_OPEN_ICON:
    case ID_LIB_OPEN_AS_NEW:
        OpenIcon(id == ID_LIB_OPEN_AS_NEW);
        break;
    case ID_LIB_OPEN_LIBRARY:
        // The window reads the file: what the bar holds is saved first.
        if (librarian_.Loaded() && !librarian_.ShownPath().empty() && hooks_.openLibraryWindow) {
            librarian_.SaveIfNeeded(false);
            hooks_.openLibraryWindow(librarian_.ShownPath(), 0);
        }
        break;
    case ID_LIB_SAVE_AS_ICO:
        SaveAsIco();
        break;
    case ID_LIB_EXPORT_ICL:
        ExportIcl();
        break;
    case ID_LIB_SELECT_ALL:
        if (list.SelectAll())
            RefreshList();
        break;
    case ID_LIB_COMPILE:
        if (!list.empty() && !librarian_.ShownLocked()) {
            CompileIcons(list, window());
            RefreshList();
        }
        break;
    case ID_LIB_PRINT:
    case ID_LIB_PRINT_PREVIEW:
        PrintShown(id == ID_LIB_PRINT_PREVIEW);
        break;
    case ID_LIB_SHOW_16:
    case ID_LIB_SHOW_32:
    case ID_LIB_SHOW_48:
        SetDisplay(id - ID_LIB_SHOW_16, options.colorClass, options.info);
        break;
    case ID_LIB_SHOW_MONO:
    case ID_LIB_SHOW_16COLORS:
    case ID_LIB_SHOW_256COLORS:
        SetDisplay(options.sizeClass, id - ID_LIB_SHOW_MONO, options.info);
        break;
    case ID_LIB_SHOW_INFOS:
        SetDisplay(options.sizeClass, options.colorClass, !options.info);
        break;
    default:
        break;
    }
    UpdateToolBars();
}

void CLibraryBar::PrintShown(bool preview)
{
    if (!librarian_.Loaded() || librarian_.ShownPath().empty() || !hooks_.openLibraryWindow)
        return;
    if (librarian_.List().empty()) {
        Prompts().Message(LoadString(kStrLibraryHasNoIcons), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // The window reads the file: what the bar holds is saved first.
    if (!librarian_.ShownLocked())
        librarian_.SaveIfNeeded(false);
    hooks_.openLibraryWindow(librarian_.ShownPath(), preview ? ID_FILE_PRINT_PREVIEW : ID_FILE_PRINT);
}

void CLibraryBar::RenameCommand()
{
    CIconList& list = librarian_.List();
    if (listHasFocus_) {
        if (librarian_.ShownLocked() || list.SelectedCount() == 0)
            return;
        if (list.SelectedCount() == 1) {
            const int i = list.FirstSelected();
            if (auto name = BarDialogs().RenameIcon(list.Item(i).name))
                librarian_.RenameIcon(i, *name);
        } else if (auto base = BarDialogs().RenameIcons(SelectedNames(list))) {
            librarian_.RenameSelectedIcons(*base);
        }
        RefreshList();
        return;
    }
    QTreeWidgetItem* item = tree_->currentItem();
    const LibEntry entry = tree_->SelectedEntry();
    if (!item || entry.kind == LibItemKind::Root)
        return;
    const bool library = entry.kind == LibItemKind::Library;
    auto answer = library ? BarDialogs().RenameLibrary(entry.label) : BarDialogs().RenameFolder(entry.label);
    if (!answer)
        return;
    const std::string name = Trimmed(*answer);
    if (name.empty()) {
        Beeps().Beep();
        return;
    }
    if (name == entry.label)
        return;
    std::string result;
    if (library ? librarian_.RenameLibrary(entry.path, name, &result)
                : librarian_.RenameFolder(entry.path, name, &result))
        tree_->ApplyRename(item, result);
}

void CLibraryBar::DeleteCommand()
{
    CIconList& list = librarian_.List();
    if (listHasFocus_) {
        if (librarian_.ShownLocked() || list.SelectedCount() == 0)
            return;
        if (!BarDialogs().ConfirmDeleteIcons(SelectedNames(list)) || !librarian_.CloseEditorsForEdit())
            return;
        const int selected = librarian_.DeleteSelectedIcons();
        RefreshList();
        list_->ScrollToItem(selected);
        return;
    }
    QTreeWidgetItem* item = tree_->currentItem();
    const LibEntry entry = tree_->SelectedEntry();
    switch (entry.kind) {
    case LibItemKind::Root:
        librarian_.RefuseRootDelete();
        return;
    case LibItemKind::Library: {
        std::vector<std::string> names;
        if (librarian_.Loaded() && librarian_.ShownPath() == entry.path) {
            for (const CIconGroup& icon : list.Items())
                names.push_back(icon.DisplayName());
        } else {
            std::vector<CIconGroup> icons;
            LoadIconsFromFile(icons, entry.path);
            for (const CIconGroup& icon : icons)
                names.push_back(icon.DisplayName());
        }
        if (!names.empty() && !BarDialogs().ConfirmDeleteLibrary(entry.label, names))
            return;
        librarian_.DeleteLibrary(entry.path);
        tree_->RemoveItem(item);
        RefreshList();
        return;
    }
    case LibItemKind::Folder:
        if (!BarDialogs().ConfirmDeleteFolder(entry.label))
            return;
        if (librarian_.DeleteFolder(entry.path))
            tree_->RemoveItem(item);
        RefreshList();
        return;
    }
}

void CLibraryBar::OpenIcon(bool asNew)
{
    const CIconList& list = librarian_.List();
    const int first = list.FirstSelected();
    if (first < 0 || librarian_.ShownLocked())
        return;
    if (!asNew && hooks_.openLinkedIcon)
        hooks_.openLinkedIcon(first);
    else if (hooks_.openAsNewIcon)
        hooks_.openAsNewIcon(list.Item(first));
}

void CLibraryBar::SaveAsIco()
{
    const CIconList& list = librarian_.List();
    if (list.SelectedCount() != 1 || librarian_.ShownLocked())
        return;
    SaveIconAsIcoFile(list.Item(list.FirstSelected()));
}

void CLibraryBar::ExportIcl()
{
    const CIconList& list = librarian_.List();
    if (list.SelectedCount() == 0 || librarian_.ShownLocked())
        return;
    ExportIconsToLibrary(list.SelectedIcons());
}

} // namespace kavrel
