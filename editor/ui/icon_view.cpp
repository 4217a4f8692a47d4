#include "editor/ui/icon_view.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QWheelEvent>

#include "editor/capture.h"
#include "editor/format_rules.h"
#include "editor/icon_view_state.h"
#include "editor/selection.h"
#include "editor/ui/actual_size_preview.h"
#include "editor/ui/context_menu.h"
#include "editor/ui/editor_host.h"
#include "editor/ui/palette_bar_widget.h"
#include "editor/ui/picture_dialog.h"
#include "editor/ui/qt_text_rasterizer.h"
#include "editor/ui/screen_grabber.h"
#include "editor/ui/text_dialog.h"
#include "editor/ui/tool_cursor.h"
#include "model/icon_model.h"
#include "resources/command_table.h"
#include "resources/strings.h"

namespace kavrel {

// The state's window: repaints the viewport and talks to the main window.
class CIconView::Window final : public ViewWindow {
  public:
    explicit Window(CIconView& view) : view_(view) {}

    void InvalidateClient(const std::optional<Rect>& r) override
    {
        if (r)
            view_.viewport()->update(r->left, r->top, r->width(), r->height());
        else
            view_.viewport()->update();
    }
    void RedrawAllViews() override { view_.RedrawAllViews(); }
    void ScrollGeometryChanged() override { view_.SyncScrollBars(); }
    void RepaintPreview() override
    {
        if (EditorHost* host = GetEditorHost())
            host->RepaintActualSizePreview();
        else
            CActualSizePreview::RepaintAll();
    }
    bool IsStatusBarShown() const override
    {
        EditorHost* host = GetEditorHost();
        return host && host->IsStatusBarShown();
    }
    void SetStatusText(int pane, const std::string& text) override
    {
        if (EditorHost* host = GetEditorHost())
            host->SetStatusPaneText(pane, text);
    }
    bool IsLocalToolbarShown() const override
    {
        EditorHost* host = GetEditorHost();
        return host && host->IsLocalToolbarShown(&view_);
    }
    void ShowLocalToolbar(bool show) override
    {
        if (EditorHost* host = GetEditorHost())
            host->ShowLocalToolbar(&view_, show);
    }
    void FormatSwitched() override { view_.FillFormatList(); }
    bool IsControlHeld() const override
    {
        return (QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier) != 0;
    }
    void OtherViewsFormatsChanged() override { CIconView::BroadcastFormatsChanged(view_.GetDocument(), &view_); }

    bool IsMinimised() const override
    {
        // The document window (or the main window holding it) is minimised.
        for (const QWidget* w = &view_; w; w = w->parentWidget())
            if (w->isMinimized())
                return true;
        return false;
    }
    void Beep() override { QApplication::beep(); }
    bool EditTextSettings() override { return CTextDialog::Run(&view_); }
    TextRasterizer* Rasterizer() override { return &rasterizer_; }
    ScreenGrabber* Grabber() override { return &grabber_; }
    std::string ChoosePicture(const std::string& title, const std::string& filter) override
    {
        return ChoosePictureFile(&view_, title, filter);
    }
    void BeginCaptureDrag() override { view_.BeginCaptureDrag(); }

  private:
    CIconView& view_;
    QtTextRasterizer rasterizer_;
    QtScreenGrabber grabber_;
};

CIconView::CIconView(CIconDocument* doc, QWidget* parent)
    : QAbstractScrollArea(parent), doc_(doc), window_(std::make_unique<Window>(*this)),
      state_(std::make_unique<CIconViewState>(doc, window_.get()))
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAttribute(Qt::WA_NoSystemBackground);
    if (doc_)
        doc_->AddView(this);
}

CIconView::~CIconView()
{
    // A view closed during a capture drag still brings the main window back.
    if (capture_ && movedWindow_)
        movedWindow_->move(movedFrom_);
    if (CActualSizePreview::ActiveView() == this)
        CActualSizePreview::SetActiveView(nullptr);
    if (doc_)
        doc_->RemoveView(this);
    state_->SetWindow(nullptr);
    if (formatList_ && !formatList_->parent())
        delete formatList_.data();
}

CIconObject* CIconView::CurrentFormat() const
{
    return state_->Format();
}
int CIconView::FormatIndex() const
{
    return state_->formatIndex;
}

QComboBox* CIconView::FormatList()
{
    if (!formatList_) {
        formatList_ = new QComboBox;
        formatList_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        formatList_->setFocusPolicy(Qt::NoFocus);
        connect(formatList_.data(), &QComboBox::activated, this, [this](int index) { OnFormatListChanged(index); });
        FillFormatList();
    }
    return formatList_;
}

void CIconView::FillFormatList()
{
    if (!formatList_ || !doc_)
        return;
    const QSignalBlocker block(formatList_.data());
    formatList_->clear();
    for (int i = 0; i < doc_->GetFormatCount(); ++i)
        formatList_->addItem(QString::fromStdString(FormatListText(*doc_->GetFormat(i))));
    formatList_->setCurrentIndex(state_->formatIndex);
}

void CIconView::RefreshFormatListTexts()
{
    // A save turns an edited 32-bit or PNG format into a 24-bit one.
    if (!formatList_ || !doc_ || formatList_->count() != doc_->GetFormatCount())
        return;
    for (int i = 0; i < formatList_->count(); ++i) {
        const QString text = QString::fromStdString(FormatListText(*doc_->GetFormat(i)));
        if (formatList_->itemText(i) != text)
            formatList_->setItemText(i, text);
    }
}

void CIconView::OnFormatListChanged(int index)
{
    if (index < 0 || index == state_->formatIndex)
        return;
    state_->SwitchFormat(index);
    SyncScrollBars();
    viewport()->update();
}

void CIconView::OnFormatsChanged(CIconView* sender)
{
    if (sender == this)
        return;
    if (!initialised_)
        return;
    state_->FormatsChanged();
    SyncScrollBars();
    viewport()->update();
}

void CIconView::BroadcastFormatsChanged(CIconDocument* doc, CIconView* sender)
{
    if (!doc)
        return;
    // A copy: a view may go away while it rebuilds.
    const std::vector<CDocumentView*> views = doc->Views();
    for (CDocumentView* v : views)
        if (auto* view = dynamic_cast<CIconView*>(v))
            view->OnFormatsChanged(sender);
}

void CIconView::OnPaletteChanged()
{
    // A true-colour screen realises nothing; the view only shows the new colours.
    RedrawAllViews();
}

void CIconView::OnActivateView(bool active)
{
    CColorPaletteBar* colors = CColorPaletteBar::Instance();
    if (active) {
        CActualSizePreview::SetActiveView(this);
        if (colors)
            colors->Follow(this);
        window_->RepaintPreview();
        state_->UpdateStatus();
    } else {
        state_->LeaveCaptureMode();
        if (CActualSizePreview::ActiveView() == this)
            CActualSizePreview::SetActiveView(nullptr);
        if (colors && colors->Follows(this))
            colors->Follow(nullptr);
    }
}

bool CIconView::IsBusy() const
{
    return state_->buttonDown != 0;
}

void CIconView::UpdateStatus()
{
    if (CActualSizePreview::ActiveView() != this)
        CActualSizePreview::SetActiveView(this);
    // The palette bar polls: the edited format and its colours change under it.
    if (CColorPaletteBar* colors = CColorPaletteBar::Instance())
        colors->Follow(this);
    state_->UpdateStatus();
    RefreshFormatListTexts();
}

void CIconView::SetModified(bool modified)
{
    if (doc_)
        doc_->SetModifiedFlag(modified);
    if (window_->IsStatusBarShown())
        window_->SetStatusText(5, state_->StatusText(5));
}

void CIconView::ShowSize(const std::optional<Rect>& inclusive)
{
    state_->ShowSize(inclusive);
}

void CIconView::RenderRegion(const Bitmap& color, const Bitmap& mask, const std::optional<Rect>& imageRect)
{
    state_->RenderRegion(color, mask, imageRect);
}

void CIconView::RenderRegion(const std::optional<Rect>& imageRect)
{
    state_->RenderRegion(imageRect);
}

void CIconView::RedrawAllViews()
{
    if (!doc_) {
        state_->InvalidateFrame();
        viewport()->update();
        return;
    }
    for (CDocumentView* v : doc_->Views())
        if (auto* view = dynamic_cast<CIconView*>(v)) {
            view->state_->InvalidateFrame();
            view->viewport()->update();
        }
}

void CIconView::OnDocumentUpdate(CDocumentView*, long)
{
    if (!initialised_)
        return;
    if (doc_ && static_cast<int>(state_->FormatStates().size()) != doc_->GetFormatCount())
        state_->FormatsChanged();
    state_->Recentre();
    state_->InvalidateFrame();
    viewport()->update();
}

void CIconView::CommitBeforeSave()
{
    // Every format's floating contents go into the image that is saved; the
    // other formats keep theirs in their own state otherwise.
    if (!doc_)
        return;
    bool changed = false;
    for (int i = 0; i < doc_->GetFormatCount(); ++i)
        if (CIconObject* f = doc_->GetFormat(i); f && f->selectionActive && HasFloating(*f))
            changed = CommitFloating(*f, TransparencySwitch()) || changed;
    if (changed) {
        state_->CommitSelection();
        RedrawAllViews();
    }
}

bool CIconView::OnUpdateCommand(CCmdUI& ui)
{
    return state_->OnUpdateCommand(ui);
}

void CIconView::OnCommand(std::uint16_t id)
{
    state_->OnCommand(id);
    SyncScrollBars();
}

CIconView::MenuPlacement CIconView::ContextMenuPlacement(int globalX, int globalY, int screenLeft, int screenWidth)
{
    if (globalX - screenLeft < screenWidth / 2)
        return {globalX - 10, globalY - 10, false};
    return {globalX + 10, globalY - 10, true};
}

QMenu* CIconView::BuildContextMenu(QWidget* parent)
{
    auto* menu = new QMenu(parent);
    AddCommandItems(menu, ContextMenu(0), this, this);
    return menu;
}

void CIconView::ShowContextMenu(const QPoint& global)
{
    QMenu* menu = BuildContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    PopupBesidePointer(menu, global);
}

// ---- Qt events ----

void CIconView::InitialUpdate()
{
    initialised_ = true;
    state_->InitialUpdate(viewport()->width(), viewport()->height());
    FillFormatList();
    SyncScrollBars();
    state_->UpdateStatus();
}

void CIconView::SyncScrollBars()
{
    if (syncingScroll_)
        return;
    syncingScroll_ = true;
    const CIconViewState& s = *state_;
    horizontalScrollBar()->setRange(0, std::max(0, s.scrollWidth - s.clientWidth));
    horizontalScrollBar()->setPageStep(std::max(1, s.clientWidth));
    horizontalScrollBar()->setSingleStep(std::max(1, s.zoom));
    horizontalScrollBar()->setValue(s.scrollX);
    verticalScrollBar()->setRange(0, std::max(0, s.scrollHeight - s.clientHeight));
    verticalScrollBar()->setPageStep(std::max(1, s.clientHeight));
    verticalScrollBar()->setSingleStep(std::max(1, s.zoom));
    verticalScrollBar()->setValue(s.scrollY);
    syncingScroll_ = false;
}

void CIconView::SyncFromScrollBars()
{
    state_->SetScrollPosition(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void CIconView::paintEvent(QPaintEvent* event)
{
    if (!initialised_)
        InitialUpdate();
    state_->EnsureFrame();
    const Bitmap& frame = state_->Frame();
    QPainter painter(viewport());
    if (frame.isNull()) {
        painter.fillRect(event->rect(), QColor(0x80, 0x80, 0x80));
        return;
    }
    // The frame's bits are laid out as RGB32; no copy is made.
    const QImage image(reinterpret_cast<const uchar*>(frame.colorBits()), frame.width(), frame.height(),
                       frame.width() * 4, QImage::Format_RGB32);
    // Beyond kMaxClientSide the frame stops; what lies past it stays grey.
    const QRect covered = event->rect() & image.rect();
    if (covered != event->rect())
        painter.fillRect(event->rect(), QColor(0x80, 0x80, 0x80));
    painter.drawImage(covered, image, covered);
    if (state_->captureMode) {
        const Rect box = CapturePanelRect(state_->clientWidth, state_->clientHeight);
        QFont font = painter.font();
        font.setPixelSize(11);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(QRect(box.left, box.top + kCaptureTextInset, box.width(), box.height() - kCaptureTextInset),
                         Qt::AlignHCenter | Qt::AlignTop, QString::fromStdString(LoadString(55035)));
    }
}

void CIconView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (!initialised_)
        return;
    state_->LeaveCaptureMode();
    state_->SetClientSize(viewport()->width(), viewport()->height());
    SyncScrollBars();
    state_->UpdateStatus();
}

void CIconView::scrollContentsBy(int, int)
{
    if (syncingScroll_)
        return;
    SyncFromScrollBars();
    viewport()->update();
}

void CIconView::showEvent(QShowEvent* event)
{
    QAbstractScrollArea::showEvent(event);
    if (!initialised_)
        InitialUpdate();
}

void CIconView::Press(QMouseEvent* event, int button)
{
    setFocus(Qt::MouseFocusReason);
    if (EditorHost* host = GetEditorHost())
        host->ActivateViewFrame(this);
    const QPoint p = event->position().toPoint();
    pressGlobal_ = event->globalPosition().toPoint();
    const auto result = state_->ButtonDown(button, p.x() + state_->scrollX, p.y() + state_->scrollY);
    if (button == 1 && result == CIconViewState::Press::OffImage)
        ShowContextMenu(event->globalPosition().toPoint());
}

void CIconView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        Press(event, 0);
    else if (event->button() == Qt::RightButton)
        Press(event, 1);
    else
        QAbstractScrollArea::mousePressEvent(event);
}

void CIconView::mouseMoveEvent(QMouseEvent* event)
{
    if (capture_)
        return CaptureMove(event->globalPosition().toPoint());
    const QPoint p = event->position().toPoint();
    state_->PointerMove(p.x() + state_->scrollX, p.y() + state_->scrollY);
    UpdateCursor(p.x(), p.y());
}

void CIconView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)
        return QAbstractScrollArea::mouseReleaseEvent(event);
    if (capture_) {
        if (event->button() == Qt::LeftButton) {
            CaptureMove(event->globalPosition().toPoint());
            EndCaptureDrag(true);
        }
        return;
    }
    state_->ButtonUp();
    const QPoint p = event->position().toPoint();
    UpdateCursor(p.x(), p.y());
}

void CIconView::leaveEvent(QEvent* event)
{
    QAbstractScrollArea::leaveEvent(event);
    if (state_->pointerTracked && !state_->buttonDown)
        state_->EndHover();
}

bool CIconView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Leave && state_->pointerTracked && !state_->buttonDown)
        state_->EndHover();
    return QAbstractScrollArea::viewportEvent(event);
}

bool CIconView::focusNextPrevChild(bool)
{
    return false;
}

void CIconView::UpdateCursor(int x, int y)
{
    if (state_->captureMode || capture_) {
        viewport()->setCursor(Qt::CrossCursor);
        return;
    }
    viewport()->setCursor(ToolCursor(state_->CursorId(x + state_->scrollX, y + state_->scrollY)));
}

void CIconView::keyPressEvent(QKeyEvent* event)
{
    if (capture_) {
        // Esc gives up a capture drag; nothing is read.
        if (event->key() == Qt::Key_Escape)
            EndCaptureDrag(false);
        return;
    }
    if (state_->EndCaptureOnKey())
        return;
    EditorHost* host = GetEditorHost();
    CCmdTarget* route[] = {this};
    switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Space:
        if (host)
            host->FocusLibrarian();
        return;
    case Qt::Key_Escape:
        if (host)
            host->SendMainWindowCommand(ID_VIEW_LIBRARIAN);
        return;
    case Qt::Key_Delete:
        if (host)
            host->SendMainWindowCommand(ID_EDIT_CLEAR);
        return;
    // + and - of the keypad and of the main keyboard (where + may need
    // Shift, so = counts as +).
    case Qt::Key_Plus:
    case Qt::Key_Equal:
    case Qt::Key_Minus:
        if (!(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
            SendCommand(route, event->key() == Qt::Key_Minus ? ID_ZOOM_OUT : ID_ZOOM_IN);
            SyncScrollBars();
            return;
        }
        break;
    default:
        break;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void CIconView::wheelEvent(QWheelEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier) || capture_) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    wheelRest_ += event->angleDelta().y();
    const int steps = wheelRest_ / QWheelEvent::DefaultDeltasPerStep;
    wheelRest_ -= steps * QWheelEvent::DefaultDeltasPerStep;
    if (steps != 0) {
        const QPoint p = event->position().toPoint();
        state_->ZoomAt(steps, p.x(), p.y());
        SyncScrollBars();
    }
    event->accept();
}

// ---- capture ----

void CIconView::BeginCaptureDrag()
{
    const CIconObject* f = CurrentFormat();
    QScreen* screen = QGuiApplication::screenAt(pressGlobal_);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!f || !screen)
        return;
    const QRect area = screen->geometry();
    capture_ = std::make_unique<CCaptureDrag>(f->width, f->height, area.width(), area.height(),
                                              pressGlobal_.x() - area.x(), pressGlobal_.y() - area.y());
    capturePoint_ = pressGlobal_ - area.topLeft();
    capture_->Confine(capturePoint_.rx(), capturePoint_.ry());
    captureFrame_ = std::make_unique<CCaptureFrame>();
    // The main window goes below the screen, keeping its size, and the screen
    // repaints without it before anything is read.
    movedWindow_ = window();
    movedFrom_ = movedWindow_->pos();
    movedWindow_->move(movedFrom_.x(), movedFrom_.y() + kCaptureWindowOffset);
    QCoreApplication::processEvents();
    // The viewport takes the mouse: the scroll area passes its own mouse
    // events on to its parent.
    viewport()->grabMouse(Qt::CrossCursor);
    viewport()->setCursor(Qt::CrossCursor);
}

void CIconView::CaptureMove(const QPoint& global)
{
    if (!capture_)
        return;
    QScreen* screen = QGuiApplication::screenAt(pressGlobal_);
    const QRect area = screen ? screen->geometry() : QRect();
    int x = global.x() - area.x(), y = global.y() - area.y();
    const int wantedX = x, wantedY = y;
    // The pointer stays where the whole frame fits on the screen.
    capture_->Confine(x, y);
    capturePoint_ = QPoint(x, y);
    if (x != wantedX || y != wantedY)
        QCursor::setPos(screen, area.x() + x, area.y() + y);
    if (const std::optional<Rect> frame = capture_->Move(x, y)) {
        const Rect r = *frame;
        captureFrame_->ShowArea({r.left + area.x(), r.top + area.y(), r.right + area.x(), r.bottom + area.y()});
    }
}

void CIconView::EndCaptureDrag(bool capture)
{
    if (!capture_)
        return;
    QScreen* screen = QGuiApplication::screenAt(pressGlobal_);
    const QRect area = screen ? screen->geometry() : QRect();
    Rect chosen = capture_->Release(capturePoint_.x(), capturePoint_.y());
    chosen = {chosen.left + area.x(), chosen.top + area.y(), chosen.right + area.x(), chosen.bottom + area.y()};
    captureFrame_.reset();
    capture_.reset();
    QCoreApplication::processEvents();
    Bitmap shot;
    if (capture)
        shot = window_->Grabber()->Grab(chosen);
    if (movedWindow_)
        movedWindow_->move(movedFrom_);
    viewport()->releaseMouse();
    UpdateCursor(0, 0);
    if (capture)
        state_->FinishCapture(shot.isNull() ? nullptr : &shot);
    else
        viewport()->update();
}

void CIconView::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    state_->UpdateStatus();
}

} // namespace kavrel
