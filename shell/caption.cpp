#include "shell/caption.h"

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QStyle>
#include <QToolTip>
#include <QWindow>
#include <optional>
#include <qdrawutil.h>

#include "resources/strings.h"
#include "shell/core/frame_rules.h"

namespace kavrel {

namespace {

std::optional<CaptionColours> g_colours;

QColor ToQColor(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}
COLORREF ToColorRef(const QColor& c)
{
    return RGB(c.red(), c.green(), c.blue());
}

int ButtonWidth()
{
    return std::max(16, CFrameCaption::CaptionHeight() - 4);
}
int ButtonHeight()
{
    return std::max(14, CFrameCaption::CaptionHeight() - 6);
}

} // namespace

CaptionColours CFrameCaption::Colours()
{
    if (g_colours)
        return *g_colours;
    QPalette pal = QApplication::palette();
    CaptionColours c;
    c.active = ToColorRef(pal.color(QPalette::Active, QPalette::Highlight));
    c.activeText = ToColorRef(pal.color(QPalette::Active, QPalette::HighlightedText));
    c.inactive = ToColorRef(pal.color(QPalette::Active, QPalette::Dark));
    c.inactiveText = ToColorRef(pal.color(QPalette::Active, QPalette::Light));
    return c;
}

void CFrameCaption::SetColours(const CaptionColours* colours)
{
    if (colours)
        g_colours = *colours;
    else
        g_colours.reset();
    for (QWidget* w : QApplication::allWidgets())
        if (auto* caption = qobject_cast<CFrameCaption*>(w))
            caption->Invalidate();
}

int CFrameCaption::CaptionHeight()
{
    int h = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
    return std::max(h, 20);
}

CFrameCaption* CFrameCaption::Install(QMainWindow* frame)
{
    auto* caption = new CFrameCaption(frame);
    return caption;
}

CFrameCaption::CFrameCaption(QMainWindow* frame) : QWidget(frame), frame_(frame)
{
    setObjectName(QStringLiteral("FrameCaption"));
    frame_->setWindowFlags(frame_->windowFlags() | Qt::FramelessWindowHint);
    frame_->setMinimumSize(200, 100);
    frame_->setMouseTracking(true);
    frame_->installEventFilter(this);
    setMouseTracking(true);
    Relayout();
}

QSize CFrameCaption::sizeHint() const
{
    return {200, CaptionHeight()};
}

void CFrameCaption::Relayout()
{
    // No borders while maximised: the window fills the screen's work area.
    int b = frame_->isMaximized() || frame_->isFullScreen() ? 0 : BorderWidth();
    frame_->setContentsMargins(b, b + CaptionHeight(), b, b);
    setGeometry(b, b, std::max(0, frame_->width() - 2 * b), CaptionHeight());
    raise();
}

void CFrameCaption::SetFrameTitle(const QString& title)
{
    frameTitleSet_ = true;
    if (title == frameTitle_)
        return;
    frameTitle_ = title;
    Invalidate();
}

QString CFrameCaption::FrameTitle() const
{
    if (frameTitleSet_)
        return frameTitle_;
    // A maximised document window adds " - [its title]" to the frame's title;
    // the caption names the document once, after the frame's own title.
    QString title = frame_->windowTitle();
    static const QRegularExpression maximisedChild(QStringLiteral(" - \\[.*\\]$"));
    title.remove(maximisedChild);
    return title;
}

void CFrameCaption::SetDocumentTitle(const QString& title)
{
    if (title == documentTitle_)
        return;
    documentTitle_ = title;
    Invalidate();
}

void CFrameCaption::TrackMdiArea(QMdiArea* area)
{
    connect(area, &QMdiArea::subWindowActivated, this, &CFrameCaption::OnSubWindowActivated);
    OnSubWindowActivated(area->activeSubWindow());
}

void CFrameCaption::OnSubWindowActivated(QMdiSubWindow* window)
{
    // Deactivation with the frame going to the background reports nullptr
    // too: the last document stays in the caption until another one or none
    // is left in the area.
    if (!window && trackedWindow_ && !trackedWindow_->isHidden() && trackedWindow_->mdiArea() &&
        trackedWindow_->mdiArea()->subWindowList().contains(trackedWindow_.data()))
        return;
    disconnect(titleConnection_);
    trackedWindow_ = window;
    if (window) {
        titleConnection_ = connect(window, &QWidget::windowTitleChanged, this,
                                   [this](const QString& title) { SetDocumentTitle(title); });
        SetDocumentTitle(window->windowTitle());
    } else {
        SetDocumentTitle(QString());
    }
}

void CFrameCaption::Invalidate()
{
    cache_[0] = cache_[1] = QPixmap();
    update();
}

bool CFrameCaption::ActiveLook() const
{
    if (!frame_->isEnabled() && !QApplication::activeModalWidget())
        return false;
    // The frame also keeps its active caption while one of its own windows
    // (a dialog, a floating bar) has the focus.
    for (QWidget* w = QApplication::activeWindow(); w; w = w->parentWidget())
        if (w == frame_)
            return true;
    return false;
}

COLORREF CFrameCaption::DocumentTitleColourNow() const
{
    CaptionColours c = Colours();
    return DocumentTitleColour(ActiveLook(), c.activeText, c.inactiveText);
}

QRect CFrameCaption::ButtonRect(Button button) const
{
    int bw = ButtonWidth(), bh = ButtonHeight();
    int y = (height() - bh) / 2;
    QRect close(width() - bw - 2, y, bw, bh);
    QRect maximise = close.translated(-bw, 0);
    QRect minimise = maximise.translated(-(bw - 2), 0);
    switch (button) {
    case Button::Close:
        return close;
    case Button::Maximise:
        return maximise;
    case Button::Minimise:
        return minimise;
    case Button::None:
        break;
    }
    return {};
}

CFrameCaption::Button CFrameCaption::ButtonAt(const QPoint& pos) const
{
    for (Button b : {Button::Close, Button::Maximise, Button::Minimise})
        if (ButtonRect(b).contains(pos))
            return b;
    return Button::None;
}

void CFrameCaption::Press(Button button)
{
    switch (button) {
    case Button::Close:
        frame_->close();
        break;
    case Button::Maximise:
        if (frame_->isMaximized())
            frame_->showNormal();
        else
            frame_->showMaximized();
        break;
    case Button::Minimise:
        frame_->showMinimized();
        break;
    case Button::None:
        break;
    }
}

const QPixmap& CFrameCaption::Cached(bool active)
{
    QPixmap& pm = cache_[active ? 1 : 0];
    if (cacheSize_ != size()) {
        cache_[0] = cache_[1] = QPixmap();
        cacheSize_ = size();
    }
    if (pm.isNull() && !size().isEmpty()) {
        qreal dpr = devicePixelRatioF();
        pm = QPixmap(size() * dpr);
        pm.setDevicePixelRatio(dpr);
        QPainter p(&pm);
        DrawCaption(p, active);
        ++redraws_;
    }
    return pm;
}

void CFrameCaption::DrawCaption(QPainter& p, bool active)
{
    const CaptionColours colours = Colours();
    const int w = width(), h = height();
    if (active) {
        for (const CaptionBand& band : CaptionGradient(w, colours.active))
            p.fillRect(band.x, 0, band.width, h, ToQColor(band.colour));
    } else {
        p.fillRect(0, 0, w, h, ToQColor(colours.inactive));
    }

    const int bw = ButtonWidth(), bh = ButtonHeight();
    QIcon icon = frame_->windowIcon();
    if (!icon.isNull()) {
        QRect box(2, (h - bh) / 2 - 1, bw, bh + 2);
        int side = std::min(box.width(), box.height());
        icon.paint(&p, QRect(box.left() + (box.width() - side) / 2, box.top() + (box.height() - side) / 2, side, side));
    }

    int left = bw + 5;
    int right = ButtonRect(Button::Minimise).left() - 2;
    if (right <= left)
        return;
    QFont captionFont = font();
    QFont titleFont = captionFont;
    titleFont.setBold(true);
    titleFont.setPixelSize(std::max(8, QFontMetrics(captionFont).height() - 1));

    QString title = FrameTitle() + QLatin1Char(' ');
    QFontMetrics tm(titleFont);
    QString shown = tm.elidedText(title, Qt::ElideRight, right - left);
    p.setFont(titleFont);
    p.setPen(Qt::white);
    p.drawText(QRect(left, 0, right - left, h), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    int used = tm.horizontalAdvance(shown);
    if (shown != title || documentTitle_.isEmpty() || left + used >= right)
        return;

    QFontMetrics cm(captionFont);
    QString doc = cm.elidedText(QStringLiteral("- ") + documentTitle_, Qt::ElideRight, right - left - used);
    p.setFont(captionFont);
    p.setPen(ToQColor(DocumentTitleColour(active, colours.activeText, colours.inactiveText)));
    p.drawText(QRect(left + used, 0, right - left - used, h), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
               doc);
}

void CFrameCaption::DrawButton(QPainter& p, Button button, bool down)
{
    QRect r = ButtonRect(button);
    qDrawWinButton(&p, r, palette(), down, &palette().brush(QPalette::Button));
    QRect g = r.adjusted(4, 3, -4, -3);
    if (down)
        g.translate(1, 1);
    p.setPen(QPen(Qt::black, 2));
    switch (button) {
    case Button::Close:
        p.drawLine(g.topLeft(), g.bottomRight());
        p.drawLine(g.topRight(), g.bottomLeft());
        break;
    case Button::Maximise:
        if (frame_->isMaximized()) {
            p.setPen(QPen(Qt::black, 1));
            p.drawRect(g.adjusted(3, 0, 0, -3));
            p.fillRect(g.adjusted(0, 3, -3, 0), palette().brush(QPalette::Button));
            p.drawRect(g.adjusted(0, 3, -3, 0));
        } else {
            p.setPen(QPen(Qt::black, 1));
            p.drawRect(g);
            p.drawLine(g.left(), g.top() + 1, g.right(), g.top() + 1);
        }
        break;
    case Button::Minimise:
        p.drawLine(g.left(), g.bottom(), g.right() - 2, g.bottom());
        break;
    case Button::None:
        break;
    }
}

bool CFrameCaption::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        int id = 0;
        switch (ButtonAt(help->pos())) {
        case Button::Close:
            id = 56203;
            break;
        case Button::Maximise:
            id = frame_->isMaximized() ? 56222 : 56221;
            break;
        case Button::Minimise:
            id = 56220;
            break;
        case Button::None:
            break;
        }
        if (id)
            QToolTip::showText(help->globalPos(), QString::fromStdString(LoadString(id)), this,
                               ButtonRect(ButtonAt(help->pos())));
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void CFrameCaption::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawPixmap(0, 0, Cached(ActiveLook()));
    for (Button b : {Button::Close, Button::Maximise, Button::Minimise})
        DrawButton(p, b, pressed_ == b && pressedInside_);
}

void CFrameCaption::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    pressed_ = ButtonAt(event->position().toPoint());
    if (pressed_ != Button::None) {
        pressedInside_ = true;
        update();
        return;
    }
    // The window system moves the window; where it cannot, we do.
    QWindow* handle = frame_->windowHandle();
    if (frame_->isMaximized() || (handle && handle->startSystemMove()))
        return;
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - frame_->frameGeometry().topLeft();
}

void CFrameCaption::mouseMoveEvent(QMouseEvent* event)
{
    if (pressed_ != Button::None) {
        bool inside = ButtonRect(pressed_).contains(event->position().toPoint());
        if (inside != pressedInside_) {
            pressedInside_ = inside;
            update();
        }
        return;
    }
    if (dragging_)
        frame_->move(event->globalPosition().toPoint() - dragOffset_);
}

void CFrameCaption::mouseReleaseEvent(QMouseEvent* event)
{
    dragging_ = false;
    if (pressed_ == Button::None)
        return QWidget::mouseReleaseEvent(event);
    Button b = pressed_;
    bool inside = ButtonRect(b).contains(event->position().toPoint());
    pressed_ = Button::None;
    pressedInside_ = false;
    update();
    if (inside)
        Press(b);
}

void CFrameCaption::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && ButtonAt(event->position().toPoint()) == Button::None)
        Press(Button::Maximise);
}

void CFrameCaption::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange ||
        event->type() == QEvent::StyleChange)
        Invalidate();
    QWidget::changeEvent(event);
}

Qt::Edges CFrameCaption::EdgesAt(const QPoint& pos) const
{
    if (frame_->isMaximized() || frame_->isFullScreen())
        return {};
    const int b = BorderWidth(), corner = 2 * b + 4;
    const int w = frame_->width(), h = frame_->height();
    Qt::Edges edges;
    if (pos.x() < b || (pos.x() < corner && (pos.y() < b || pos.y() >= h - b)))
        edges |= Qt::LeftEdge;
    if (pos.x() >= w - b || (pos.x() >= w - corner && (pos.y() < b || pos.y() >= h - b)))
        edges |= Qt::RightEdge;
    if (pos.y() < b || (pos.y() < corner && (pos.x() < b || pos.x() >= w - b)))
        edges |= Qt::TopEdge;
    if (pos.y() >= h - b || (pos.y() >= h - corner && (pos.x() < b || pos.x() >= w - b)))
        edges |= Qt::BottomEdge;
    return edges;
}

bool CFrameCaption::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != frame_)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Resize:
    case QEvent::WindowStateChange:
        Relayout();
        break;
    case QEvent::WindowTitleChange:
        if (!frameTitleSet_)
            Invalidate();
        break;
    case QEvent::WindowIconChange:
    case QEvent::ApplicationPaletteChange:
    case QEvent::ApplicationFontChange:
        Invalidate();
        break;
    case QEvent::ActivationChange:
    case QEvent::EnabledChange:
        update();
        break;
    case QEvent::Paint: {
        // The frame's border: the only part of it not covered by children.
        int b = frame_->contentsMargins().left();
        if (b > 0) {
            QPainter p(frame_);
            qDrawWinPanel(&p, frame_->rect(), frame_->palette(), false);
        }
        break;
    }
    case QEvent::MouseMove: {
        auto* me = static_cast<QMouseEvent*>(event);
        Qt::Edges e = EdgesAt(me->position().toPoint());
        Qt::CursorShape shape = Qt::ArrowCursor;
        if (e == (Qt::LeftEdge | Qt::TopEdge) || e == (Qt::RightEdge | Qt::BottomEdge))
            shape = Qt::SizeFDiagCursor;
        else if (e == (Qt::RightEdge | Qt::TopEdge) || e == (Qt::LeftEdge | Qt::BottomEdge))
            shape = Qt::SizeBDiagCursor;
        else if (e & (Qt::LeftEdge | Qt::RightEdge))
            shape = Qt::SizeHorCursor;
        else if (e & (Qt::TopEdge | Qt::BottomEdge))
            shape = Qt::SizeVerCursor;
        if (shape == Qt::ArrowCursor)
            frame_->unsetCursor();
        else
            frame_->setCursor(shape);
        break;
    }
    case QEvent::MouseButtonPress: {
        auto* me = static_cast<QMouseEvent*>(event);
        Qt::Edges e = EdgesAt(me->position().toPoint());
        if (me->button() == Qt::LeftButton && e && frame_->windowHandle()) {
            frame_->windowHandle()->startSystemResize(e);
            return true;
        }
        break;
    }
    default:
        break;
    }
    return false;
}

} // namespace kavrel
