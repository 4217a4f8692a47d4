#include "librarian/ui/grid_view.h"

#include <QKeyEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <memory>

#include "librarian/ui/catalogue_print.h"
#include "librarian/ui/compile_dialog.h"
#include "librarian/ui/icon_list_box.h"
#include "librarian/ui/library_bar.h"
#include "librarian/ui/qt_bar_dialogs.h"
#include "resources/command_ids.h"

namespace kavrel {

namespace {

GridViewHooks& Hooks()
{
    static GridViewHooks hooks;
    return hooks;
}

} // namespace

void SetGridViewHooks(GridViewHooks hooks)
{
    Hooks() = std::move(hooks);
}

GridLibrarianLinks* GridLinks()
{
    struct Links {
        explicit Links(CLibrarian& librarian) : bar(librarian), links(librarian, bar) { librarian.SetLinks(&links); }
        LibrarianBarSource bar;
        GridLibrarianLinks links;
    };
    static std::unique_ptr<Links> made;
    static CLibraryBar* madeFor = nullptr;
    CLibraryBar* bar = CLibraryBar::Instance();
    if (!bar)
        return nullptr;
    if (bar != madeFor) {
        made = std::make_unique<Links>(bar->Librarian());
        madeFor = bar;
    }
    return &made->links;
}

CGridView::CGridView(CGridDoc* doc, QWidget* parent) : QWidget(parent), doc_(doc)
{
    doc_->AddView(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    box_ = new CIconListBox(doc_->List(), this);
    layout->addWidget(box_);
    setFocusProxy(box_);

    auto* library = dynamic_cast<CLibDoc*>(doc_);
    const IconSourceKind kind = library ? IconSourceKind::LibraryWindow : IconSourceKind::ProgramFile;
    box_->SetPayloadSource(
        [this, kind] { return MakeIconPayload(doc_->List(), kind, doc_->GetPathName(), doc_->GetTitle()); });
    // A program file takes no icons: its layout cannot change.
    box_->SetAcceptIcons(library != nullptr);
    box_->SetKeyHandler([this](int key, Qt::KeyboardModifiers mods) { return OnKey(key, mods); });
    connect(box_, &CIconListBox::openRequested, this,
            [this](bool asNew) { GridCommand(*doc_, asNew ? ID_BROWSER_OPEN_AS_NEW : ID_BROWSER_OPEN_ICON, *this); });
    connect(box_, &CIconListBox::iconsDropped, this,
            [this, library](const IconPayload& payload, int index, bool ctrl, Qt::DropAction* action) {
                *action = Qt::IgnoreAction;
                if (!library || !library->Drop(payload, index, ctrl))
                    return;
                const bool ownMove =
                    payload.kind == IconSourceKind::LibraryWindow && payload.sourceKey == library->GetPathName();
                // A move inside this window is done; elsewhere the source
                // takes its icons out.
                *action =
                    DropActionFor(payload.kind, ctrl) == DropAction::Move && !ownMove ? Qt::MoveAction : Qt::CopyAction;
                box_->Refresh();
            });
    connect(box_, &CIconListBox::movedOut, this, [this, library](const std::vector<int>& indices) {
        if (library)
            library->RemoveMovedIcons(indices);
        box_->Refresh();
    });
    if (library && GridLinks())
        GridLinks()->LibraryWindowOpened(library->GetPathName());
}

CGridView::~CGridView()
{
    doc_->RemoveView(this);
    if (auto* library = dynamic_cast<CLibDoc*>(doc_); library && GridLinks())
        GridLinks()->LibraryWindowClosed(library->GetPathName());
}

void CGridView::OnDocumentUpdate(CDocumentView*, long)
{
    box_->Refresh();
}

void CGridView::OnActivateView(bool active)
{
    if (active)
        UpdateStatus();
}

void CGridView::UpdateStatus()
{
    if (!Hooks().setStatusText)
        return;
    const GridStatus status = doc_->Status();
    Hooks().setStatusText(0, status.message);
    Hooks().setStatusText(1, status.count);
    Hooks().setStatusText(2, status.selection);
    Hooks().setStatusText(3, status.modified);
}

bool CGridView::OnUpdateCommand(CCmdUI& ui)
{
    return GridUpdateCommand(*doc_, ui);
}

void CGridView::OnCommand(std::uint16_t id)
{
    GridCommand(*doc_, id, *this);
    box_->Refresh();
}

void CGridView::OpenLinkedIcon(IconSourceWindow& source, int index)
{
    if (Hooks().openLinkedIcon)
        Hooks().openLinkedIcon(source, index);
}

void CGridView::OpenAsNewIcon(const CIconGroup& icon)
{
    if (Hooks().openAsNewIcon)
        Hooks().openAsNewIcon(icon);
}

CLibrarian* CGridView::Librarian()
{
    CLibraryBar* bar = CLibraryBar::Instance();
    return bar ? &bar->Librarian() : nullptr;
}

void CGridView::RebuildList()
{
    box_->Refresh();
    if (CLibraryBar* bar = CLibraryBar::Instance())
        bar->RefreshList();
}

bool CGridView::ConfirmDelete(int)
{
    std::vector<std::string> names;
    for (int i : doc_->List().Selection())
        names.push_back(doc_->List().Item(i).DisplayName());
    return QtLibrarianDialogs(this).ConfirmDeleteIcons(names);
}

std::optional<std::string> CGridView::AskName(const std::string& current, int count)
{
    QtLibrarianDialogs dialogs(this);
    if (count == 1)
        return dialogs.RenameIcon(current);
    std::vector<std::string> names;
    for (int i : doc_->List().Selection())
        names.push_back(doc_->List().Item(i).DisplayName());
    return dialogs.RenameIcons(names);
}

void CGridView::Compile()
{
    CompileIcons(doc_->List(), window());
    // The dialog may have selected the whole list.
    box_->Refresh();
}

void CGridView::Print(bool preview)
{
    const IconListOptions& options = doc_->List().Options();
    PrintCatalogue catalogue;
    catalogue.source = dynamic_cast<CLibDoc*>(doc_) ? PrintSource::Library : PrintSource::ProgramFile;
    catalogue.title = doc_->GetTitle();
    catalogue.icons = &doc_->List().Items();
    catalogue.sizeIndex = options.sizeClass;
    catalogue.colorIndex = options.colorClass;
    QPrinter* printer = Hooks().printer ? Hooks().printer() : nullptr;
    if (preview)
        PreviewIcons(catalogue, window(), printer);
    else
        PrintIcons(catalogue, window(), printer);
}

bool CGridView::OnKey(int key, Qt::KeyboardModifiers mods)
{
    const bool library = dynamic_cast<CLibDoc*>(doc_) != nullptr;
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        OnCommand((mods & Qt::ControlModifier) ? ID_BROWSER_OPEN_AS_NEW : ID_BROWSER_OPEN_ICON);
        return true;
    case Qt::Key_A:
        if (!(mods & Qt::ControlModifier))
            return false;
        OnCommand(ID_EDIT_SELECT_ALL);
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Space:
        if (Hooks().focusLibrarian)
            Hooks().focusLibrarian();
        return true;
    case Qt::Key_Escape:
        if (Hooks().hideLibrarian)
            Hooks().hideLibrarian();
        return true;
    case Qt::Key_Delete:
        if (!library)
            return false;
        OnCommand(ID_BROWSER_DELETE);
        return true;
    case Qt::Key_F6:
        if (!library)
            return false;
        OnCommand(ID_BROWSER_RENAME);
        return true;
    case Qt::Key_F4:
        if (!library)
            return false;
        // Posted: the dialog opens once the key has been handled.
        QTimer::singleShot(0, this, [this] {
            CCmdUI ui;
            ui.id = ID_BROWSER_COMPILE;
            if (OnUpdateCommand(ui) && ui.enabled)
                OnCommand(ID_BROWSER_COMPILE);
        });
        return true;
    default:
        return false;
    }
}

} // namespace kavrel
