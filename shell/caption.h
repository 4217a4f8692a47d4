// The caption the main window paints itself: a gradient from black to the
// caption colour, the window icon, the close, maximise and minimise buttons,
// the frame's title in white and the active document's title after it. The
// window is frameless; moving, resizing, maximising and minimising still go
// through the window system (QWindow::startSystemMove / startSystemResize).
#pragma once

#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include "platform/gdi.h"

class QMainWindow;
class QMdiArea;
class QMdiSubWindow;

namespace kavrel {

struct CaptionColours {
    COLORREF active = RGB(0, 0, 128);
    COLORREF inactive = RGB(128, 128, 128);
    COLORREF activeText = RGB(255, 255, 255);
    COLORREF inactiveText = RGB(192, 192, 192);
};

class CFrameCaption : public QWidget {
    Q_OBJECT
public:
    enum class Button { None, Close, Maximise, Minimise };

    // Makes frame frameless (before it is first shown), reserves its borders
    // and the caption strip, and puts the caption in.
    static CFrameCaption* Install(QMainWindow* frame);

    // The frame's title (default: its window title) and the active
    // document's, shown after "- " when there is room.
    void SetFrameTitle(const QString& title);
    QString FrameTitle() const;
    void SetDocumentTitle(const QString& title);
    QString DocumentTitle() const { return documentTitle_; }
    // Follows the active document window of area (and its title changes).
    void TrackMdiArea(QMdiArea* area);

    // The colours in use: the style's highlight colours unless set here
    // (tests, themes). nullptr goes back to the style's.
    static CaptionColours Colours();
    static void SetColours(const CaptionColours* colours);

    // Drops both cached captions (a settings or colour change, or a document
    // window that went away).
    void Invalidate();
    // How many caption bitmaps were drawn (they are cached).
    int Redraws() const { return redraws_; }
    bool ActiveLook() const;
    COLORREF DocumentTitleColourNow() const;

    QRect ButtonRect(Button button) const;
    Button ButtonAt(const QPoint& pos) const;
    // Does what a click on the button does.
    void Press(Button button);

    static int BorderWidth() { return 4; }
    static int CaptionHeight();

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    explicit CFrameCaption(QMainWindow* frame);
    void Relayout();
    const QPixmap& Cached(bool active);
    void DrawCaption(QPainter& p, bool active);
    void DrawButton(QPainter& p, Button button, bool down);
    Qt::Edges EdgesAt(const QPoint& framePos) const;
    void OnSubWindowActivated(QMdiSubWindow* window);

    QMainWindow* frame_;
    QString frameTitle_;
    bool frameTitleSet_ = false;
    QString documentTitle_;
    QPointer<QMdiSubWindow> trackedWindow_;
    QMetaObject::Connection titleConnection_;
    QPixmap cache_[2];  // inactive, active
    QSize cacheSize_;
    int redraws_ = 0;
    Button pressed_ = Button::None;
    bool pressedInside_ = false;
    bool dragging_ = false;   // moving by hand where the window system cannot
    QPoint dragOffset_;
};

}  // namespace kavrel
