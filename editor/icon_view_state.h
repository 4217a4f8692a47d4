// The editor view's rules without a window: which format is edited, zoom and
// automatic zoom, centring, the pixel under a point, the remembered state of
// each format, the colours of a format, the status texts, the commands the
// view answers and the rendering of the view into a client-sized bitmap.
// CIconView (editor/ui) owns one and connects it to Qt.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "document/cmd_target.h"
#include "editor/draw_tool.h"
#include "editor/view_render.h"
#include "model/palettes.h"
#include "platform/gdi.h"
#include "resources/command_ids.h"

namespace kavrel {

class CIconDocument;
class CIconObject;
class CIconViewState;
class ScreenGrabber;
class TextRasterizer;

constexpr int kMinZoom = 1;
constexpr int kMaxZoom = 30;
constexpr int kMinOrigin = 5; // the image never comes nearer the window edge
constexpr int kScrollMargin = 13;
// The view's frame bitmap covers the client area up to this size on each
// side; a larger window (no screen shows one) leaves the rest unpainted
// instead of asking for gigabytes.
constexpr int kMaxClientSide = 8192;

// The remembered state of one image format of the document.
struct FormatState {
    int valid = 0;
    int originX = kMinOrigin, originY = kMinOrigin;
    int scrollWidth = 0, scrollHeight = 0;
    int scrollX = 0, scrollY = 0;
    int zoom = 8;
    Rect client;
    int width = 0, height = 0, bitDepth = 0;
    int selectedIndex = 47;
    ColorValue leftColor = 0, rightColor = COLOR_TRANSPARENT;
    std::uint8_t leftAlpha = 255, rightAlpha = 255;
    int lastButton = 0;
};

// The colour palette bar's side of the colours: the bar shows and changes the
// left and right colours of the active view.
class PaletteBarColours {
  public:
    virtual ~PaletteBarColours() = default;
    virtual ColorValue LeftColor() const = 0;
    virtual ColorValue RightColor() const = 0;
    // The alphas of the two colours (32-bit formats only).
    virtual std::uint8_t LeftAlpha() const { return 255; }
    virtual std::uint8_t RightAlpha() const { return 255; }
    virtual int SelectedIndex() const = 0;
    virtual ColorValue Cell(int index) const = 0;
    // The bar follows the view (its colours become the bar's).
    virtual void SetActiveView(CIconViewState* view) = 0;
    // The view goes away; the bar forgets it if it is the active one.
    virtual void ForgetView(CIconViewState* view) = 0;
};
PaletteBarColours* GetPaletteBar();
void SetPaletteBar(PaletteBarColours* bar);

// What the view's window does for the state. Every call has a harmless
// default so that tests need only what they watch.
class ViewWindow {
  public:
    virtual ~ViewWindow() = default;
    virtual void InvalidateClient(const std::optional<Rect>& clientRect) { (void)clientRect; }
    virtual void RedrawAllViews() {}
    virtual void ScrollGeometryChanged() {}
    virtual void RepaintPreview() {}
    virtual bool IsStatusBarShown() const { return false; }
    virtual void SetStatusText(int pane, const std::string& text) { (void)pane, (void)text; }
    virtual bool IsLocalToolbarShown() const { return false; }
    virtual void ShowLocalToolbar(bool show) { (void)show; }
    // The edited format changed (list selection, palette bar, colour warning).
    virtual void FormatSwitched() {}
    // This view changed the document's list of formats: every other view of
    // the document rebuilds its format states (CIconViewState::FormatsChanged).
    virtual void OtherViewsFormatsChanged() {}
    // Ctrl held at this moment (the selection tool copies instead of moving).
    virtual bool IsControlHeld() const { return false; }
    // ---- text, capture, import ----
    virtual bool IsMinimised() const { return false; }
    virtual void Beep() {}
    // The Add text dialog; true when it closed with OK (the settings then
    // hold its choices).
    virtual bool EditTextSettings() { return false; }
    virtual TextRasterizer* Rasterizer() { return nullptr; }
    virtual ScreenGrabber* Grabber() { return nullptr; }
    // The import dialog; an empty path when cancelled. By default the
    // program's file chooser.
    virtual std::string ChoosePicture(const std::string& title, const std::string& filter);
    // A capture drag starts: the window moves the main window away, takes
    // the mouse and shows the frame until the release (FinishCapture).
    virtual void BeginCaptureDrag() {}
};

// The editor-wide last tool and brush shape, which new views start with.
int& LastTool();
int& LastBrushShape();

class CIconViewState : public CCmdTarget {
  public:
    explicit CIconViewState(CIconDocument* doc, ViewWindow* window = nullptr);
    ~CIconViewState() override;
    CIconViewState(const CIconViewState&) = delete;
    CIconViewState& operator=(const CIconViewState&) = delete;

    CIconDocument* Document() const { return doc_; }
    CIconObject* Format() const;
    void SetWindow(ViewWindow* window) { window_ = window ? window : &noWindow_; }

    // The format a view opened next starts on; negative means the best
    // format for 32x32 in 16 colours. Read (and reset to 0) by InitialUpdate.
    static int& FormatToOpen();

    // ---- geometry ----
    // The largest zoom that shows the whole image, 20 pixels to spare.
    static int AutomaticZoom(int clientWidth, int clientHeight, int imageWidth, int imageHeight);
    void InitialUpdate(int clientWidth, int clientHeight);
    // A resize: automatic zoom when on, then centring. Each side is taken
    // as at most kMaxClientSide.
    void SetClientSize(int width, int height);
    void ApplyAutomaticZoom();
    // Centring, then the scroll size (and the scroll position kept in range).
    void Recentre();
    void SetScrollPosition(int x, int y);
    ViewGeometry Geometry() const;
    // A point in scrolled view coordinates to an image pixel; true when the
    // point lies on the image. The pixel is clamped into the image either way.
    bool PixelFromPoint(int x, int y, int& column, int& row) const;
    bool PixelFromClientPoint(int x, int y, int& column, int& row) const
    {
        return PixelFromPoint(x + scrollX, y + scrollY, column, row);
    }

    // ---- formats ----
    void SaveFormatState();
    // Switches to another format (clamped); false when it is the current one.
    bool SwitchFormat(int index);
    // The document's list of formats changed: states are carried over by
    // width, height and depth, and the edited format is found again.
    void FormatsChanged();
    // The format states for the document's new list, each taking the old
    // record of the same width, height and depth (others invalid). The format
    // index is left alone.
    void RebuildFormatStates();
    // Edits the format at index (clamped) with its remembered state, without
    // saving the state of the one before (it was saved, or is gone).
    void EnterFormat(int index);
    void NotifyOtherViewsFormatsChanged() { window_->OtherViewsFormatsChanged(); }
    void ApplyColoursOfFormat();
    const std::vector<FormatState>& FormatStates() const { return states_; }

    // ---- status ----
    // Panes 1 to 5 as the status bar shows them.
    std::string StatusText(int pane) const;
    // Sends every pane (nothing when the status bar is hidden).
    void UpdateStatus();
    void UpdatePositionPane();
    void ShowSize(const std::optional<Rect>& inclusive);

    // ---- commands ----
    bool OnUpdateCommand(CCmdUI& ui) override;
    void OnCommand(std::uint16_t id) override;
    void SetZoom(int zoom); // clamped; automatic zoom unchanged
    // Zooms by steps with automatic zoom off, keeping the image point under
    // the client point where it is when the image outgrows the client.
    void ZoomAt(int steps, int clientX, int clientY);
    void SelectTool(int index);
    void SelectBrushShape(int shape);

    // ---- mouse ---- (points in scrolled view coordinates)
    enum class Press { Ignored, OffImage, OnImage };
    Press ButtonDown(int button, int x, int y);
    void PointerMove(int x, int y);
    // The hover step with no button down: returns whether the pointer is
    // over the image (the window captures the mouse while it is).
    bool Hover(int x, int y);
    void EndHover();
    void ButtonUp();
    ToolContext MakeToolContext();
    int CursorId(int x, int y) const; // 0: the standard arrow

    // ---- rendering ----
    // The client-sized bitmap the window shows.
    const Bitmap& Frame() const { return frame_; }
    // Everything: background, image, frames.
    void RenderAll();
    // Renders everything again if the geometry changed since the last time.
    void EnsureFrame();
    void InvalidateFrame() { frameValid_ = false; }
    // A region of the image from the format's bitmaps or from a tool's
    // working copies; returns the client rectangle that changed.
    Rect RenderRegion(const std::optional<Rect>& imageRect = std::nullopt);
    Rect RenderRegion(const Bitmap& color, const Bitmap& mask, const std::optional<Rect>& imageRect);
    // The same for the image pixels under a rectangle of the client area.
    Rect RenderClientRect(const Rect& clientRect);

    // ---- selection ---- (editor/selection.cpp, editor/clipboard.cpp)
    // Lays floating contents down and ends the selection.
    void CommitSelection();
    // Lays floating contents down and keeps the selection.
    void StampSelection();
    // The image or the selection changed: this view, the preview and every
    // view of the document are redrawn; optionally the document is modified.
    void SelectionChanged(bool modified);
    // The rubber band of the selection tool (inclusive image rectangle).
    void SetRubberBand(const std::optional<Rect>& band);
    bool IsControlHeld() const { return window_->IsControlHeld(); }
    // Erase, Cut, Copy, Paste, Select all.
    bool OnUpdateSelectionCommand(CCmdUI& ui);
    bool OnSelectionCommand(std::uint16_t id);
    std::optional<Rect> rubberBand;

    // ---- text, capture, import ---- (editor/text_tool.h, capture.h, picture_paste.h)
    // Capture mode on (the panel shown) when the screen can be read; a plain
    // message and no capture mode otherwise.
    void EnterCaptureMode();
    // Capture mode off, the window repainted (nothing when it was off).
    void LeaveCaptureMode();
    // Any key in the view first ends capture mode: true when it did.
    bool EndCaptureOnKey();
    // The end of a capture drag: the area read from the screen goes into the
    // format (none: reading failed, the user is told and nothing changes).
    bool FinishCapture(const Bitmap* area);

    // ---- fields ----
    int formatIndex = 0;
    int fillMode = 0;
    int previousTool = 0;
    int currentTool = 0;
    int brushShape = 0;
    int zoom = 8;
    int gridShown = 1;
    int autoZoom = 1;
    int pointerTracked = 0;
    int lastButton = 0;
    int pointerX = 0, pointerY = 0;
    int currentColumn = -1, currentRow = -1;
    int reportedColumn = -1, reportedRow = -1;
    ColorValue leftColor = 0;
    ColorValue rightColor = COLOR_TRANSPARENT;
    // The colours' alphas, drawn in 32-bit formats only.
    std::uint8_t leftAlpha = 255, rightAlpha = 255;
    int selectedPaletteIndex = 47;
    int originX = kMinOrigin, originY = kMinOrigin;
    int buttonDown = 0;
    int scrollWidth = 0, scrollHeight = 0;
    int scrollX = 0, scrollY = 0;
    int clientWidth = 0, clientHeight = 0;
    std::optional<Rect> hoverRect; // image pixels of the last hover preview
    int showSelectionFrame = 1;
    int captureMode = 0;
    std::optional<Rect> shownSize;

  private:
    void RestoreFormatState();
    // The list follows the edited format, then the colour warning.
    void NotifyFormatSwitched();
    void Redraw();
    // Undo, redo and the transforms (a floating selection is committed first).
    bool OnUpdateEditCommand(CCmdUI& ui);
    bool OnEditCommand(std::uint16_t id);
    void UndoOrRedo(bool undo);
    // Saves an undo state, runs a change on the edited format and shows it.
    template <class Change> void ChangeImage(Change&& change);
    // Shows the document's modified mark in its status pane. Changes made
    // through the undo history need no flag: the document compares content
    // numbers with the saved ones.
    void ShowModifiedState();
    ColorValue BarCell47() const;

    CIconDocument* doc_;
    ViewWindow noWindow_;
    ViewWindow* window_;
    std::vector<FormatState> states_;
    Bitmap frame_;
    bool frameValid_ = false;
};

} // namespace kavrel
