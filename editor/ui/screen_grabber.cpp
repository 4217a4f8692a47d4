#include "editor/ui/screen_grabber.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QRegion>
#include <QScreen>

namespace kavrel {

namespace {

QScreen* ScreenOf(const Rect& area)
{
    QScreen* screen = QGuiApplication::screenAt(QPoint(area.left, area.top));
    return screen ? screen : QGuiApplication::primaryScreen();
}

} // namespace

bool QtScreenGrabber::CanGrab()
{
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return false;
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen && !screen->grabWindow(0, 0, 0, 1, 1).isNull();
}

Bitmap QtScreenGrabber::Grab(const Rect& area)
{
    QScreen* screen = ScreenOf(area);
    if (!screen || area.empty())
        return {};
    const QRect geometry = screen->geometry();
    const QPixmap shot =
        screen->grabWindow(0, area.left - geometry.x(), area.top - geometry.y(), area.width(), area.height());
    if (shot.isNull())
        return {};
    QImage image = shot.toImage().convertToFormat(QImage::Format_RGB32);
    // A high-density screen gives device pixels; the format wants one per pixel.
    if (image.width() != area.width() || image.height() != area.height())
        image = image.scaled(area.width(), area.height(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    Bitmap out = Bitmap::Color(area.width(), area.height());
    for (int y = 0; y < out.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < out.width(); ++x)
            out.setRawPixel(x, y, 0xFF000000u | (row[x] & 0x00FFFFFFu));
    }
    return out;
}

CCaptureFrame::CCaptureFrame()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowTransparentForInput |
                           Qt::X11BypassWindowManagerHint)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setObjectName("captureFrame");
}

void CCaptureFrame::ShowArea(const Rect& area)
{
    const QRect ring(area.left - 1, area.top - 1, area.width() + 2, area.height() + 2);
    setGeometry(ring);
    const QRect local(0, 0, ring.width(), ring.height());
    setMask(QRegion(local).subtracted(QRegion(local.adjusted(1, 1, -1, -1))));
    if (!isVisible())
        show();
    raise();
    update();
}

void CCaptureFrame::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    QPen dashes(Qt::black, 1, Qt::CustomDashLine);
    dashes.setDashPattern({2, 2});
    p.setPen(dashes);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace kavrel
