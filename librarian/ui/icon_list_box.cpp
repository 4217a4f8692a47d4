#include "librarian/ui/icon_list_box.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "platform/screen.h"

namespace kavrel {

namespace {

QColor ColorOf(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

} // namespace

CIconListBox::CIconListBox(CIconList& list, QWidget* parent) : QAbstractScrollArea(parent), list_(list)
{
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    viewport()->setAutoFillBackground(false);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, viewport(), qOverload<>(&QWidget::update));
}

std::optional<IconPayload> CIconListBox::PayloadOf(const QMimeData* mime)
{
    const QString type = QString::fromLatin1(kIconsMimeType);
    if (!mime || !mime->hasFormat(type))
        return std::nullopt;
    const QByteArray bytes = mime->data(type);
    return DecodeIconPayload(
        std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.constData()), bytes.size()));
}

QMimeData* CIconListBox::MimeOf(const IconPayload& payload)
{
    const std::vector<std::uint8_t> bytes = EncodeIconPayload(payload);
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kIconsMimeType),
                  QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
    return mime;
}

int CIconListBox::ScrollX() const
{
    return horizontalScrollBar()->value();
}

void CIconListBox::Refresh()
{
    if (current_ >= list_.Count())
        current_ = list_.Count() - 1;
    if (anchor_ >= list_.Count())
        anchor_ = -1;
    UpdateScrollRange();
    viewport()->update();
}

void CIconListBox::UpdateScrollRange()
{
    const int h = viewport()->height();
    const int w = viewport()->width();
    const int content = list_.ContentWidth(h);
    QScrollBar* bar = horizontalScrollBar();
    bar->setRange(0, std::max(0, content - w));
    bar->setPageStep(std::max(1, w));
    bar->setSingleStep(std::max(1, list_.ItemSizeNow().width));
}

void CIconListBox::ScrollToItem(int i)
{
    if (i < 0 || i >= list_.Count())
        return;
    UpdateScrollRange();
    const int h = viewport()->height();
    const Rect r = list_.ItemRect(i, h, 0);
    QScrollBar* bar = horizontalScrollBar();
    if (r.left < bar->value() || r.right > bar->value() + viewport()->width())
        bar->setValue(r.left);
}

int CIconListBox::DropIndexAt(const QPoint& pos) const
{
    return list_.DropIndex(pos.x(), pos.y(), viewport()->height(), ScrollX());
}

bool CIconListBox::event(QEvent* event)
{
    // Tab and Backtab belong to the host's keys, not to focus chaining.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void CIconListBox::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const int w = viewport()->width();
    const int h = viewport()->height();
    painter.fillRect(viewport()->rect(), ColorOf(SysColors().window));
    const auto [first, last] = list_.VisibleRange(w, h, ScrollX());
    if (first >= last)
        return;
    const ItemSize size = list_.ItemSizeNow();
    Bitmap cell = Bitmap::Color(size.width, size.height);
    QFont font = painter.font();
    font.setPixelSize(9);
    painter.setFont(font);
    const CellState state{hasFocus()};
    const Rect local{0, 0, size.width, size.height};
    for (int i = first; i < last; ++i) {
        const Rect r = list_.ItemRect(i, h, ScrollX());
        DC dc(cell);
        list_.DrawCell(i, dc, local, state);
        QImage image(reinterpret_cast<const uchar*>(cell.colorBits()), cell.width(), cell.height(), cell.width() * 4,
                     QImage::Format_RGB32);
        painter.drawImage(r.left, r.top, image);
        if (list_.Options().info) {
            const CellText text = list_.CellTextFor(i, r, state);
            painter.setPen(ColorOf(text.color));
            const QRect box(text.box.left + 2, text.box.top + 1, text.box.width() - 4, 10);
            const QFontMetrics metrics(font);
            painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter,
                             metrics.elidedText(QString::fromStdString(text.line1), Qt::ElideRight, box.width()));
            painter.drawText(box.translated(0, 10), Qt::AlignLeft | Qt::AlignVCenter,
                             QString::fromStdString(text.line2));
        }
    }
}

void CIconListBox::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollRange();
}

void CIconListBox::ClickSelect(int hit, Qt::KeyboardModifiers mods)
{
    if (mods & Qt::ShiftModifier && anchor_ >= 0) {
        if (!(mods & Qt::ControlModifier))
            list_.DeselectAll();
        for (int i = std::min(anchor_, hit); i <= std::max(anchor_, hit); ++i)
            list_.SetSelected(i, true);
    } else if (mods & Qt::ControlModifier) {
        list_.SetSelected(hit, !list_.IsSelected(hit));
        anchor_ = hit;
    } else {
        list_.SelectOnly(hit);
        anchor_ = hit;
    }
    current_ = hit;
    viewport()->update();
    emit selectionChanged();
}

void CIconListBox::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    pressPos_ = event->position().toPoint();
    pressHit_ = list_.HitTest(pressPos_.x(), pressPos_.y(), viewport()->height(), ScrollX());
    pressDeferred_ = false;
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)
        return;
    if (!list_.enabled || pressHit_ < 0)
        return;
    // A press on a selected icon may start a drag of the whole selection:
    // the click only selects that one icon when the button comes up.
    if (list_.IsSelected(pressHit_) && event->modifiers() == Qt::NoModifier) {
        pressDeferred_ = event->button() == Qt::LeftButton;
        current_ = pressHit_;
        return;
    }
    ClickSelect(pressHit_, event->modifiers());
}

void CIconListBox::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton) || pressHit_ < 0 || dragging_ || !list_.enabled)
        return;
    if ((event->position().toPoint() - pressPos_).manhattanLength() < QApplication::startDragDistance())
        return;
    if (!list_.IsSelected(pressHit_))
        return;
    pressDeferred_ = false;
    StartDrag();
}

void CIconListBox::mouseReleaseEvent(QMouseEvent* event)
{
    if (pressDeferred_ && event->button() == Qt::LeftButton && pressHit_ >= 0 && pressHit_ < list_.Count())
        ClickSelect(pressHit_, Qt::NoModifier);
    pressDeferred_ = false;
    pressHit_ = -1;
}

void CIconListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (list_.enabled && list_.HitTest(p.x(), p.y(), viewport()->height(), ScrollX()) >= 0)
        emit openRequested((event->modifiers() & Qt::ControlModifier) != 0);
}

void CIconListBox::StartDrag()
{
    if (!payloadSource_ || list_.SelectedCount() == 0)
        return;
    const IconPayload payload = payloadSource_();
    if (payload.icons.empty())
        return;
    dragging_ = true;
    auto* drag = new QDrag(this);
    drag->setMimeData(MimeOf(payload));
    // The dragged cell as the drag image.
    const int h = viewport()->height();
    const Rect r = list_.ItemRect(pressHit_, h, ScrollX());
    drag->setPixmap(viewport()->grab(QRect(r.left, r.top, r.width(), r.height())));
    drag->setHotSpot(pressPos_ - QPoint(r.left, r.top));
    const Qt::DropAction done = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
    dragging_ = false;
    pressHit_ = -1;
    if (done == Qt::MoveAction)
        emit movedOut(payload.indices);
    Refresh();
}

void CIconListBox::MoveCurrent(int to, Qt::KeyboardModifiers mods)
{
    if (list_.empty() || !list_.enabled)
        return;
    to = std::clamp(to, 0, list_.Count() - 1);
    if (mods & Qt::ShiftModifier) {
        if (anchor_ < 0)
            anchor_ = std::max(current_, 0);
        list_.DeselectAll();
        for (int i = std::min(anchor_, to); i <= std::max(anchor_, to); ++i)
            list_.SetSelected(i, true);
    } else {
        list_.SelectOnly(to);
        anchor_ = to;
    }
    current_ = to;
    ScrollToItem(to);
    viewport()->update();
    emit selectionChanged();
}

void CIconListBox::keyPressEvent(QKeyEvent* event)
{
    if (keyHandler_ && keyHandler_(event->key(), event->modifiers())) {
        event->accept();
        return;
    }
    const int perColumn = list_.ItemsPerColumn(viewport()->height());
    const int at = current_ >= 0 ? current_ : list_.FirstSelected();
    switch (event->key()) {
    case Qt::Key_Up:
        MoveCurrent(at - 1, event->modifiers());
        break;
    case Qt::Key_Down:
        MoveCurrent(at + 1, event->modifiers());
        break;
    case Qt::Key_Left:
        MoveCurrent(at - perColumn, event->modifiers());
        break;
    case Qt::Key_Right:
        MoveCurrent(at < 0 ? 0 : at + perColumn, event->modifiers());
        break;
    case Qt::Key_Home:
        MoveCurrent(0, event->modifiers());
        break;
    case Qt::Key_End:
        MoveCurrent(list_.Count() - 1, event->modifiers());
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

void CIconListBox::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
    emit focusTaken();
}

void CIconListBox::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void CIconListBox::contextMenuEvent(QContextMenuEvent* event)
{
    emit contextMenuAt(event->globalPos());
}

void CIconListBox::SetDropTarget(int index)
{
    const int target = index < list_.Count() ? index : -1;
    if (list_.dropTarget == target)
        return;
    list_.dropTarget = target;
    viewport()->update();
}

void CIconListBox::dragEnterEvent(QDragEnterEvent* event)
{
    if (acceptIcons_ && list_.enabled && event->mimeData()->hasFormat(QString::fromLatin1(kIconsMimeType)))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CIconListBox::dragMoveEvent(QDragMoveEvent* event)
{
    if (!acceptIcons_ || !list_.enabled) {
        event->ignore();
        return;
    }
    SetDropTarget(DropIndexAt(event->position().toPoint()));
    event->setDropAction((event->modifiers() & Qt::ControlModifier) ? Qt::CopyAction : Qt::MoveAction);
    event->accept();
}

void CIconListBox::dragLeaveEvent(QDragLeaveEvent*)
{
    SetDropTarget(-1);
}

void CIconListBox::dropEvent(QDropEvent* event)
{
    SetDropTarget(-1);
    std::optional<IconPayload> payload = PayloadOf(event->mimeData());
    if (!payload || !acceptIcons_) {
        event->ignore();
        return;
    }
    Qt::DropAction action = Qt::IgnoreAction;
    emit iconsDropped(*payload, DropIndexAt(event->position().toPoint()),
                      (event->modifiers() & Qt::ControlModifier) != 0, &action);
    if (action == Qt::IgnoreAction) {
        event->ignore();
    } else {
        event->setDropAction(action);
        event->accept();
    }
    Refresh();
}

} // namespace kavrel
