#include "editor/ui/icon_view.h"

#include <QComboBox>
#include <QMenu>

#include "editor/icon_view_state.h"

// First skeleton so that the shell compiles and links against the view.

namespace kavrel {

CIconView::CIconView(CIconDocument* doc, QWidget* parent)
    : QAbstractScrollArea(parent), doc_(doc), state_(std::make_unique<CIconViewState>())
{
}

CIconView::~CIconView()
{
    if (formatList_ && !formatList_->parent())
        delete formatList_.data();
}

CIconObject* CIconView::CurrentFormat() const { return nullptr; }
int CIconView::FormatIndex() const { return 0; }

QComboBox* CIconView::FormatList()
{
    if (!formatList_)
        formatList_ = new QComboBox;
    return formatList_;
}

void CIconView::OnFormatListChanged(int) {}
void CIconView::OnFormatsChanged(CIconView*) {}
void CIconView::OnPaletteChanged() {}
void CIconView::OnActivateView(bool) {}
void CIconView::UpdateStatus() {}
void CIconView::SetModified(bool) {}
void CIconView::ShowSize(const std::optional<Rect>&) {}
void CIconView::RenderRegion(const Bitmap&, const Bitmap&, const std::optional<Rect>&) {}
void CIconView::RenderRegion(const std::optional<Rect>&) {}
void CIconView::RedrawAllViews() { viewport()->update(); }
void CIconView::OnDocumentUpdate(CDocumentView*, long) { viewport()->update(); }
bool CIconView::OnUpdateCommand(CCmdUI&) { return false; }
void CIconView::OnCommand(std::uint16_t) {}

CIconView::MenuPlacement CIconView::ContextMenuPlacement(int globalX, int globalY, int screenLeft, int screenWidth)
{
    if (globalX - screenLeft < screenWidth / 2)
        return {globalX - 10, globalY - 10, false};
    return {globalX + 10, globalY - 10, true};
}

QMenu* CIconView::BuildContextMenu(QWidget* parent) { return new QMenu(parent); }

void CIconView::paintEvent(QPaintEvent* event) { QAbstractScrollArea::paintEvent(event); }
void CIconView::resizeEvent(QResizeEvent* event) { QAbstractScrollArea::resizeEvent(event); }
void CIconView::scrollContentsBy(int dx, int dy) { QAbstractScrollArea::scrollContentsBy(dx, dy); }
void CIconView::mousePressEvent(QMouseEvent* event) { QAbstractScrollArea::mousePressEvent(event); }
void CIconView::mouseMoveEvent(QMouseEvent* event) { QAbstractScrollArea::mouseMoveEvent(event); }
void CIconView::mouseReleaseEvent(QMouseEvent* event) { QAbstractScrollArea::mouseReleaseEvent(event); }
void CIconView::leaveEvent(QEvent* event) { QAbstractScrollArea::leaveEvent(event); }
void CIconView::keyPressEvent(QKeyEvent* event) { QAbstractScrollArea::keyPressEvent(event); }
void CIconView::showEvent(QShowEvent* event) { QAbstractScrollArea::showEvent(event); }
void CIconView::focusInEvent(QFocusEvent* event) { QAbstractScrollArea::focusInEvent(event); }
bool CIconView::viewportEvent(QEvent* event) { return QAbstractScrollArea::viewportEvent(event); }

void CIconView::InitialUpdate() {}
void CIconView::SyncScrollBars() {}
void CIconView::SyncFromScrollBars() {}
void CIconView::FillFormatList() {}
void CIconView::UpdateCursor(int, int) {}
void CIconView::EndHover() {}
void CIconView::Press(QMouseEvent*, int) {}

}  // namespace kavrel
