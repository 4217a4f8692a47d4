#include "shell/framework/child_frame.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QMdiArea>
#include <QMenu>
#include <QToolBar>
#include <QVBoxLayout>

#include "document/document.h"
#include "editor/ui/icon_view.h"
#include "resources/command_ids.h"
#include "resources/command_table.h"
#include "shell/core/settings.h"
#include "shell/framework/command_router.h"
#include "shell/framework/doc_manager.h"

namespace kavrel {

namespace {

constexpr int kLocalToolBarId = ID_VIEW_TOOLBAR;
constexpr std::uint16_t kFormatBoxCommand = ID_FORMAT_LIST;

} // namespace

CChildFrame::CChildFrame(CDocTemplate& tmpl, CDocument& doc, QWidget* parent)
    : QMdiSubWindow(parent), template_(&tmpl), document_(&doc)
{
    setAttribute(Qt::WA_DeleteOnClose);
    body_ = new QWidget;
    layout_ = new QVBoxLayout(body_);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(0);
    setWidget(body_);
    // The system menu's keys must not shadow the program's accelerators
    // (Ctrl+W is the vertical mirror, not Close).
    if (QMenu* menu = systemMenu()) {
        for (QAction* action : menu->actions()) {
            QList<QKeySequence> keys = action->shortcuts();
            keys.removeIf([](const QKeySequence& key) {
                return FindAccelerator(key.toString(QKeySequence::PortableText).toStdString()) != nullptr;
            });
            action->setShortcuts(keys);
        }
    }
    connect(this, &QMdiSubWindow::aboutToActivate, this, [this] {
        // The view takes the keyboard as the frame becomes active.
        if (view_)
            view_->setFocus(Qt::ActiveWindowFocusReason);
        emit frameActivated(this);
    });
}

CChildFrame::~CChildFrame()
{
    // A frame destroyed without closing (the MDI area going away) still
    // gives its document back.
    if (!closed_) {
        closed_ = true;
        delete view_;
        view_ = nullptr;
        DocManager().OnFrameClosed(this);
    }
}

CCmdTarget* CChildFrame::ViewTarget() const
{
    return dynamic_cast<CCmdTarget*>(view_);
}

CFrameView* CChildFrame::FrameView() const
{
    return dynamic_cast<CFrameView*>(view_);
}

void CChildFrame::SetView(QWidget* view)
{
    if (view_ == view)
        return;
    delete view_;
    view_ = view;
    if (view_) {
        layout_->addWidget(view_, 1);
        setFocusProxy(view_);
    }
    ViewChanged();
}

QToolBar* CChildFrame::CreateLocalToolBar()
{
    if (toolBar_)
        return toolBar_;
    toolBar_ = new QToolBar(body_);
    toolBar_->setObjectName(QStringLiteral("LocalToolBar%1").arg(kLocalToolBarId));
    toolBar_->setIconSize(QSize(16, 16));
    toolBar_->setMovable(false);
    // Its own pop-up (context menu 8) offers to hide it.
    toolBar_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(toolBar_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        CCommandRouter* router = CCommandRouter::Instance();
        if (!router)
            return;
        if (QMdiArea* area = mdiArea())
            area->setActiveSubWindow(this);
        QMenu* menu = router->BuildMenu(ContextMenu(8), this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(toolBar_->mapToGlobal(pos));
    });
    layout_->insertWidget(0, toolBar_);
    return toolBar_;
}

void CChildFrame::ShowLocalToolBar(bool show)
{
    if (toolBar_)
        toolBar_->setVisible(show);
}

std::string CChildFrame::FrameTitle() const
{
    return document_ ? document_->GetTitle() : std::string();
}

void CChildFrame::UpdateTitle()
{
    std::string title = FrameTitle();
    int n = DocManager().WindowNumber(this);
    if (n > 1)
        title += ":" + std::to_string(n);
    setWindowTitle(QString::fromStdString(title));
}

void CChildFrame::CloseWithoutAsking()
{
    closing_ = true;
    close();
}

bool CChildFrame::OnUpdateCommand(CCmdUI& ui)
{
    switch (ui.id) {
    case ID_FILE_CLOSE:
    case ID_FILE_SAVE:
    case ID_FILE_SAVE_AS:
        ui.Enable(document_ != nullptr);
        return true;
    default:
        return false;
    }
}

void CChildFrame::OnCommand(std::uint16_t id)
{
    switch (id) {
    case ID_FILE_CLOSE:
        close();
        break;
    case ID_FILE_SAVE:
        document_->DoFileSave();
        break;
    case ID_FILE_SAVE_AS:
        document_->DoSave(true);
        break;
    default:
        break;
    }
}

void CChildFrame::closeEvent(QCloseEvent* event)
{
    if (!closing_ && document_ && DocManager().FramesOf(document_).size() <= 1 &&
        !CanClose(document_->SaveModified())) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
    if (!event->isAccepted()) {
        closing_ = false;
        return;
    }
    if (closed_)
        return;
    closed_ = true;
    // The view goes before its document does.
    delete view_;
    view_ = nullptr;
    DocManager().OnFrameClosed(this);
}

void COrvaneMDI::ShowFrame()
{
    if (Agrandissement == 1 && firstActivation_) {
        firstActivation_ = false;
        showMaximized();
        return;
    }
    show();
}

CIconDocumentMDI::CIconDocumentMDI(CDocTemplate& tmpl, CDocument& doc, QWidget* parent) : COrvaneMDI(tmpl, doc, parent)
{
    QToolBar* bar = CreateLocalToolBar();
    CCommandRouter* router = CCommandRouter::Instance();
    auto add = [&](std::uint16_t id) {
        if (router)
            bar->addAction(router->Action(id));
    };
    add(ID_FILE_SAVE);
    add(ID_ADD_TO_LIBRARIAN);
    bar->addSeparator();
    // The image-format slot: a gap of at least 130 pixels that will hold the
    // view's list, as wide as the list's longest text.
    formatGap_ = new QWidget(bar);
    auto* gapLayout = new QHBoxLayout(formatGap_);
    gapLayout->setContentsMargins(3, 0, 3, 0);
    gapLayout->setSizeConstraint(QLayout::SetFixedSize);
    formatGap_->setMinimumWidth(130);
    bar->addWidget(formatGap_);
    add(ID_FORMAT_NEW);
    add(ID_FORMAT_DELETE);
    bar->addSeparator();
    add(ID_EDIT_UNDO);
    add(ID_EDIT_REDO);
    bar->addSeparator();
    add(ID_EDIT_CUT);
    add(ID_EDIT_COPY);
    add(ID_EDIT_PASTE);
    bar->addSeparator();
    add(ID_ZOOM_IN);
    add(ID_ZOOM_OUT);
    add(ID_ZOOM_AUTO);
    bar->addSeparator();
    add(ID_FILE_PRINT);
    add(ID_FILE_PRINT_PREVIEW);
    ShowLocalToolBar(ShowIcoToolBar == 1);
}

} // namespace kavrel

namespace kavrel {

QComboBox* CIconDocumentMDI::FormatBox() const
{
    return formatGap_ ? formatGap_->findChild<QComboBox*>() : nullptr;
}

void CIconDocumentMDI::ViewChanged()
{
    auto* view = dynamic_cast<CIconView*>(View());
    if (!view || !formatGap_)
        return;
    if (QComboBox* list = view->FormatList()) {
        list->setMinimumWidth(124);
        list->setProperty("command", kFormatBoxCommand);
        formatGap_->layout()->addWidget(list);
    }
}

namespace {

// A grid window's local toolbar: the commands in order, 0 for a separator.
void FillGridToolBar(QToolBar* bar, std::initializer_list<std::uint16_t> ids)
{
    CCommandRouter* router = CCommandRouter::Instance();
    for (std::uint16_t id : ids) {
        if (id == 0)
            bar->addSeparator();
        else if (router)
            bar->addAction(router->Action(id));
    }
}

} // namespace

CFileExeMDI::CFileExeMDI(CDocTemplate& tmpl, CDocument& doc, QWidget* parent) : COrvaneMDI(tmpl, doc, parent)
{
    FillGridToolBar(CreateLocalToolBar(),
                    {ID_FILE_SAVE, 0, ID_BROWSER_OPEN_ICON, ID_BROWSER_OPEN_AS_NEW, ID_ADD_TO_LIBRARIAN,
                     ID_BROWSER_EXPORT_ICL, ID_BROWSER_SAVE_AS_ICO, 0, ID_BROWSER_SHOW_16, ID_BROWSER_SHOW_32,
                     ID_BROWSER_SHOW_48, 0, ID_BROWSER_SHOW_MONO, ID_BROWSER_SHOW_16COLORS, ID_BROWSER_SHOW_256COLORS,
                     0, ID_BROWSER_SHOW_INFOS});
}

CFileIclMDI::CFileIclMDI(CDocTemplate& tmpl, CDocument& doc, QWidget* parent) : COrvaneMDI(tmpl, doc, parent)
{
    FillGridToolBar(CreateLocalToolBar(), {ID_FILE_SAVE,
                                           0,
                                           ID_BROWSER_IMPORT,
                                           ID_BROWSER_DELETE,
                                           ID_BROWSER_RENAME,
                                           0,
                                           ID_BROWSER_OPEN_ICON,
                                           ID_BROWSER_OPEN_AS_NEW,
                                           ID_ADD_TO_LIBRARIAN,
                                           ID_BROWSER_EXPORT_ICL,
                                           ID_BROWSER_SAVE_AS_ICO,
                                           0,
                                           ID_BROWSER_SHOW_16,
                                           ID_BROWSER_SHOW_32,
                                           ID_BROWSER_SHOW_48,
                                           0,
                                           ID_BROWSER_SHOW_MONO,
                                           ID_BROWSER_SHOW_16COLORS,
                                           ID_BROWSER_SHOW_256COLORS,
                                           0,
                                           ID_BROWSER_SHOW_INFOS,
                                           0,
                                           ID_BROWSER_COMPILE});
}

void CKavrelFileDocMDI::AdaptToSource(bool librarySource)
{
    QToolBar* bar = LocalToolBar();
    CCommandRouter* router = CCommandRouter::Instance();
    if (!bar || !router)
        return;
    if (librarySource) {
        bar->insertAction(router->Action(ID_FILE_SAVE), router->Action(ID_FILE_UPDATE));
        bar->removeAction(router->Action(ID_FILE_SAVE));
        return;
    }
    QAction* first = router->Action(ID_FORMAT_NEW);
    auto* gap = new QWidget(bar);
    gap->setFixedWidth(120);
    bar->insertWidget(first, gap);
    bar->removeAction(first);
    bar->removeAction(router->Action(ID_FORMAT_DELETE));
}

} // namespace kavrel
