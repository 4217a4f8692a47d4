// CIconListBox: the Qt grid over one CIconList, shared by the librarian bar,
// library windows and program-file windows. It paints the cells the model
// draws (only those on screen), scrolls horizontally, selects with the
// mouse and the arrow keys, starts drags of the selected icons as our icon
// payload and takes drops of it. What a key, a double-click or a drop means
// is the host's: it gets signals and a key handler.
//
// Moves: the drag source takes its icons out when the drop reports
// Qt::MoveAction. A receiver that deals with its own source itself (a move
// inside one list) reports Qt::CopyAction so that nothing is removed twice.
#pragma once

#include <QAbstractScrollArea>
#include <functional>
#include <optional>

#include "librarian/icon_list.h"
#include "librarian/icon_payload.h"

class QMimeData;

namespace kavrel {

class CIconListBox : public QAbstractScrollArea {
    Q_OBJECT
  public:
    explicit CIconListBox(CIconList& list, QWidget* parent = nullptr);

    CIconList& List() { return list_; }

    // The items, options or selection changed outside the box: re-measure
    // and repaint.
    void Refresh();
    // Scrolls so that item i is in view (its column at the left edge).
    void ScrollToItem(int i);
    int ScrollX() const;

    // What a drag of the selection carries; without one no drag starts.
    void SetPayloadSource(std::function<IconPayload()> source) { payloadSource_ = std::move(source); }
    // Keys the host takes first (true: handled). The box itself handles the
    // arrows, Home and End.
    void SetKeyHandler(std::function<bool(int key, Qt::KeyboardModifiers)> handler)
    {
        keyHandler_ = std::move(handler);
    }
    // Whether drops are taken at all (a read-only list says no).
    void SetAcceptIcons(bool accept) { acceptIcons_ = accept; }

    // The payload a MIME object carries, if it is whole and ours.
    static std::optional<IconPayload> PayloadOf(const QMimeData* mime);
    static QMimeData* MimeOf(const IconPayload& payload);

    // The index a drop at a viewport point goes to.
    int DropIndexAt(const QPoint& viewportPos) const;

  signals:
    void selectionChanged();
    // Enter or a double-click: open the first selected icon (asNew with Ctrl).
    void openRequested(bool asNew);
    // Icons dropped at index; the receiver returns the action it performed
    // through *action (Qt::IgnoreAction when refused).
    void iconsDropped(const kavrel::IconPayload& payload, int index, bool ctrlHeld, Qt::DropAction* action);
    // A drag out of this list ended with a move elsewhere: the originals go.
    void movedOut(const std::vector<int>& indices);
    void focusTaken();
    void contextMenuAt(const QPoint& globalPos);

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void UpdateScrollRange();
    void SetDropTarget(int index);
    void ClickSelect(int hit, Qt::KeyboardModifiers mods);
    void MoveCurrent(int to, Qt::KeyboardModifiers mods);
    void StartDrag();

    CIconList& list_;
    std::function<IconPayload()> payloadSource_;
    std::function<bool(int, Qt::KeyboardModifiers)> keyHandler_;
    bool acceptIcons_ = true;
    int anchor_ = -1;
    int current_ = -1;
    QPoint pressPos_;
    int pressHit_ = -1;
    bool pressDeferred_ = false;
    bool dragging_ = false;
};

} // namespace kavrel
