// CIconView: the editing window of an icon document. It shows one image
// format enlarged, with the grid, and turns mouse and keys into work for the
// current drawing tool. The rules (zoom, centring, pixel mapping, format
// states, colours, status texts, rendering) live in the plain CIconViewState
// (editor/icon_view_state.h); this widget connects them to Qt.
#pragma once

#include <QAbstractScrollArea>
#include <QPointer>
#include <cstdint>
#include <memory>
#include <optional>

#include "document/cmd_target.h"
#include "document/icon_document.h"
#include "platform/gdi.h"

class QComboBox;
class QMenu;

namespace kavrel {

class CCaptureDrag;
class CCaptureFrame;
class CIconObject;
class CIconViewState;

class CIconView : public QAbstractScrollArea, public CDocumentView, public CFrameView, public CCmdTarget {
    Q_OBJECT
  public:
    explicit CIconView(CIconDocument* doc, QWidget* parent = nullptr);
    ~CIconView() override;

    CIconDocument* GetDocument() const { return doc_; }
    CIconViewState& State() { return *state_; }
    const CIconViewState& State() const { return *state_; }

    // The edited image format (never null while the document has formats).
    CIconObject* CurrentFormat() const;
    int FormatIndex() const;

    // The drop-down list of image formats the frame puts into its local
    // toolbar (see editor_host.h for who owns it).
    QComboBox* FormatList();

    // The list chose another format: save this format's state, switch,
    // restore the new one's state (WM_USER + 2).
    void OnFormatListChanged(int index);
    // The document's list of formats changed (WM_USER + 9, sent to every view
    // of the document; the sender ignores it).
    void OnFormatsChanged(CIconView* sender);
    // Tells every view of the document that its list of formats changed.
    static void BroadcastFormatsChanged(CIconDocument* doc, CIconView* sender);
    // The palette of the edited format changed (WM_USER + 0).
    void OnPaletteChanged();
    // CFrameView: activation makes the actual-size preview and the palette
    // bar follow this view; the periodic update keeps them and the status
    // panes (format, position, size, zoom, modified) up to date.
    void OnActivateView(bool active) override;
    bool IsBusy() const override;
    void UpdateStatus() override;
    void SetModified(bool modified);
    void ShowSize(const std::optional<Rect>& inclusive);

    // Draws part of the image enlarged from the given bitmaps (tools pass
    // their working copies): a rectangle of image pixels, or the whole image.
    void RenderRegion(const Bitmap& color, const Bitmap& mask, const std::optional<Rect>& imageRect);
    void RenderRegion(const std::optional<Rect>& imageRect = std::nullopt);

    // Repaints this view and every other view of the document.
    void RedrawAllViews();

    // CDocumentView
    void OnDocumentUpdate(CDocumentView* sender, long hint) override;
    void CommitBeforeSave() override;
    // CCmdTarget
    bool OnUpdateCommand(CCmdUI& ui) override;
    void OnCommand(std::uint16_t id) override;

    // Where the context menu of a right click off the image opens, for a
    // pointer at `global` on a screen `screenWidth` wide: the menu's corner
    // and whether it is aligned on its right edge.
    struct MenuPlacement {
        int x = 0, y = 0;
        bool alignRight = false;
    };
    static MenuPlacement ContextMenuPlacement(int globalX, int globalY, int screenLeft, int screenWidth);
    // The editor's context pop-up (context menu 0) as a QMenu whose actions
    // send their command to this view.
    QMenu* BuildContextMenu(QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

  private:
    void InitialUpdate();
    void SyncScrollBars();
    void SyncFromScrollBars();
    void FillFormatList();
    void RefreshFormatListTexts();
    void UpdateCursor(int viewportX, int viewportY);
    void Press(QMouseEvent* event, int button);
    void ShowContextMenu(const QPoint& global);
    // Capture icon: the main window goes out of the way, the view takes the
    // mouse and the frame follows the pointer until the release.
    void BeginCaptureDrag();
    void CaptureMove(const QPoint& global);
    void EndCaptureDrag(bool capture);

    class Window;
    CIconDocument* doc_;
    std::unique_ptr<Window> window_;
    std::unique_ptr<CIconViewState> state_;
    QPointer<QComboBox> formatList_;
    bool initialised_ = false;
    bool syncingScroll_ = false;
    int wheelRest_ = 0; // a fine wheel's turn short of one step
    QPoint pressGlobal_;
    QPoint capturePoint_; // the pointer in screen coordinates, confined
    std::unique_ptr<CCaptureDrag> capture_;
    std::unique_ptr<CCaptureFrame> captureFrame_;
    QPointer<QWidget> movedWindow_;
    QPoint movedFrom_;
};

} // namespace kavrel
