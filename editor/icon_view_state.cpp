#include "editor/icon_view_state.h"

#include <algorithm>

#include "document/icon_document.h"
#include "editor/capture.h"
#include "editor/format_rules.h"
#include "editor/format_sizes.h"
#include "editor/picture_paste.h"
#include "editor/selection.h"
#include "editor/settings_editor.h"
#include "editor/text_tool.h"
#include "editor/tool_selection.h"
#include "editor/transforms.h"
#include "editor/undo.h"
#include "editor/view_patterns.h"
#include "model/icon_model.h"
#include "platform/prompter.h"
#include "platform/screen.h"
#include "resources/strings.h"

namespace kavrel {

namespace {

PaletteBarColours* g_paletteBar = nullptr;

// Strings of the status panes.
constexpr int kFormatLine = 55031;   // "%dx%d - %s"
constexpr int kZoomPane = 55032;     // "@2  %d:1"
constexpr int kPositionPane = 55033; // "@0  %d,%d"
constexpr int kSizePane = 55034;     // "@1  %dx%d"
constexpr int kCaptureRefused = 55305;

int Clamp(int v, int lo, int hi)
{
    return std::max(lo, std::min(v, hi));
}

} // namespace

std::string ViewWindow::ChoosePicture(const std::string& title, const std::string& filter)
{
    const std::vector<std::string> paths = Chooser().ChooseOpen(title, filter, false);
    return paths.empty() ? std::string() : paths.front();
}

PaletteBarColours* GetPaletteBar()
{
    return g_paletteBar;
}
void SetPaletteBar(PaletteBarColours* bar)
{
    g_paletteBar = bar;
}

int& LastTool()
{
    static int tool = 0;
    return tool;
}

int& LastBrushShape()
{
    static int shape = 0;
    return shape;
}

int& CIconViewState::FormatToOpen()
{
    static int format = 0;
    return format;
}

CIconViewState::CIconViewState(CIconDocument* doc, ViewWindow* window)
    : currentTool(LastTool()), brushShape(LastBrushShape()), gridShown(GrilleAuto ? 1 : 0),
      autoZoom(DefaultZoomAuto ? 1 : 0), doc_(doc), window_(window ? window : &noWindow_)
{
    previousTool = currentTool;
}

CIconViewState::~CIconViewState()
{
    if (g_paletteBar)
        g_paletteBar->ForgetView(this);
}

CIconObject* CIconViewState::Format() const
{
    if (!doc_ || doc_->GetFormatCount() == 0)
        return nullptr;
    return doc_->GetFormat(Clamp(formatIndex, 0, doc_->GetFormatCount() - 1));
}

// ---- geometry ----

int CIconViewState::AutomaticZoom(int clientWidth, int clientHeight, int imageWidth, int imageHeight)
{
    if (imageWidth <= 0 || imageHeight <= 0)
        return kMinZoom;
    // Tall and wide formats fit too, not only square ones.
    const int zoom = std::min((clientWidth - 20) / imageWidth, (clientHeight - 20) / imageHeight);
    return Clamp(zoom, kMinZoom, kMaxZoom);
}

void CIconViewState::ApplyAutomaticZoom()
{
    if (const CIconObject* f = Format())
        zoom = AutomaticZoom(clientWidth, clientHeight, f->width, f->height);
    frameValid_ = false;
}

void CIconViewState::Recentre()
{
    const CIconObject* f = Format();
    const int w = f ? f->width : 0, h = f ? f->height : 0;
    originX = std::max(kMinOrigin, (clientWidth - w * zoom) / 2);
    originY = std::max(kMinOrigin, (clientHeight - h * zoom) / 2);
    scrollWidth = w * zoom + kScrollMargin;
    scrollHeight = h * zoom + kScrollMargin;
    SetScrollPosition(scrollX, scrollY);
    frameValid_ = false;
    window_->ScrollGeometryChanged();
}

void CIconViewState::SetScrollPosition(int x, int y)
{
    const int nx = Clamp(x, 0, std::max(0, scrollWidth - clientWidth));
    const int ny = Clamp(y, 0, std::max(0, scrollHeight - clientHeight));
    if (nx != scrollX || ny != scrollY)
        frameValid_ = false;
    scrollX = nx;
    scrollY = ny;
}

void CIconViewState::InitialUpdate(int width, int height)
{
    clientWidth = Clamp(width, 0, kMaxClientSide);
    clientHeight = Clamp(height, 0, kMaxClientSide);
    const int count = doc_ ? doc_->GetFormatCount() : 0;
    int f = FormatToOpen();
    FormatToOpen() = 0;
    if (f < 0)
        f = count > 0 ? doc_->BestFormat(1, 1) : 0;
    formatIndex = Clamp(f, 0, std::max(0, count - 1));
    ApplyAutomaticZoom();
    Recentre();
    ApplyColoursOfFormat();
    states_.assign(static_cast<std::size_t>(count), FormatState{});
    for (int i = 0; i < count; ++i) {
        const CIconObject* o = doc_->GetFormat(i);
        states_[i].width = o->width;
        states_[i].height = o->height;
        states_[i].bitDepth = o->bitDepth;
    }
    NotifyFormatSwitched();
}

void CIconViewState::SetClientSize(int width, int height)
{
    clientWidth = Clamp(width, 0, kMaxClientSide);
    clientHeight = Clamp(height, 0, kMaxClientSide);
    if (autoZoom)
        ApplyAutomaticZoom();
    Recentre();
}

ViewGeometry CIconViewState::Geometry() const
{
    ViewGeometry g;
    const CIconObject* f = Format();
    g.zoom = zoom;
    g.originX = originX;
    g.originY = originY;
    g.imageWidth = f ? f->width : 0;
    g.imageHeight = f ? f->height : 0;
    g.scrollX = scrollX;
    g.scrollY = scrollY;
    g.clientWidth = clientWidth;
    g.clientHeight = clientHeight;
    return g;
}

bool CIconViewState::PixelFromPoint(int x, int y, int& column, int& row) const
{
    const CIconObject* f = Format();
    if (!f) {
        column = row = -1;
        return false;
    }
    const int dx = x - originX, dy = y - originY;
    bool on = dx >= 0 && dy >= 0;
    // Division truncates toward zero, so a point just left of the image still
    // names column 0; it is off the image all the same.
    column = dx / zoom;
    row = dy / zoom;
    if (column < 0) {
        column = 0;
        on = false;
    }
    if (row < 0) {
        row = 0;
        on = false;
    }
    if (column >= f->width) {
        column = f->width - 1;
        on = false;
    }
    if (row >= f->height) {
        row = f->height - 1;
        on = false;
    }
    return on;
}

// ---- formats ----

void CIconViewState::SaveFormatState()
{
    const CIconObject* f = Format();
    if (!f || formatIndex < 0 || formatIndex >= static_cast<int>(states_.size()))
        return;
    FormatState& s = states_[formatIndex];
    s.valid = 1;
    s.originX = originX;
    s.originY = originY;
    s.scrollWidth = scrollWidth;
    s.scrollHeight = scrollHeight;
    s.scrollX = scrollX;
    s.scrollY = scrollY;
    s.zoom = zoom;
    s.client = {0, 0, clientWidth, clientHeight};
    s.width = f->width;
    s.height = f->height;
    s.bitDepth = f->bitDepth;
    s.selectedIndex = selectedPaletteIndex;
    s.leftColor = leftColor;
    s.rightColor = rightColor;
    s.leftAlpha = leftAlpha;
    s.rightAlpha = rightAlpha;
    s.lastButton = lastButton;
}

void CIconViewState::RestoreFormatState()
{
    const bool valid = formatIndex < static_cast<int>(states_.size()) && states_[formatIndex].valid;
    if (valid) {
        const FormatState& s = states_[formatIndex];
        if (autoZoom) {
            ApplyAutomaticZoom();
            Recentre();
        } else {
            zoom = Clamp(s.zoom, kMinZoom, kMaxZoom);
            if (s.client != Rect{0, 0, clientWidth, clientHeight}) {
                Recentre();
            } else {
                originX = s.originX;
                originY = s.originY;
                scrollWidth = s.scrollWidth;
                scrollHeight = s.scrollHeight;
                scrollX = s.scrollX;
                scrollY = s.scrollY;
                SetScrollPosition(scrollX, scrollY);
                window_->ScrollGeometryChanged();
            }
        }
        selectedPaletteIndex = s.selectedIndex;
        leftColor = s.leftColor;
        rightColor = s.rightColor;
        leftAlpha = s.leftAlpha;
        rightAlpha = s.rightAlpha;
        lastButton = s.lastButton;
        if (g_paletteBar)
            g_paletteBar->SetActiveView(this);
    } else {
        ApplyAutomaticZoom();
        Recentre();
        ApplyColoursOfFormat();
    }
    frameValid_ = false;
    Redraw();
}

bool CIconViewState::SwitchFormat(int index)
{
    const int count = doc_ ? doc_->GetFormatCount() : 0;
    if (count == 0)
        return false;
    index = Clamp(index, 0, count - 1);
    if (index == formatIndex)
        return false;
    SaveFormatState();
    EnterFormat(index);
    return true;
}

void CIconViewState::EnterFormat(int index)
{
    const int count = doc_ ? doc_->GetFormatCount() : 0;
    if (count == 0)
        return;
    if (static_cast<int>(states_.size()) != count)
        RebuildFormatStates();
    formatIndex = Clamp(index, 0, count - 1);
    RestoreFormatState();
    NotifyFormatSwitched();
    window_->RepaintPreview();
    UpdateStatus();
}

void CIconViewState::NotifyFormatSwitched()
{
    window_->FormatSwitched();
    if (const CIconObject* f = Format())
        ShowColourWarning(f->bitDepth);
}

void CIconViewState::RebuildFormatStates()
{
    const int count = doc_ ? doc_->GetFormatCount() : 0;
    std::vector<FormatState> fresh(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const CIconObject* o = doc_->GetFormat(i);
        auto same = std::find_if(states_.begin(), states_.end(), [&](const FormatState& s) {
            return s.width == o->width && s.height == o->height && s.bitDepth == o->bitDepth;
        });
        if (same != states_.end()) {
            fresh[i] = *same;
        } else {
            fresh[i].width = o->width;
            fresh[i].height = o->height;
            fresh[i].bitDepth = o->bitDepth;
        }
    }
    states_ = std::move(fresh);
}

void CIconViewState::FormatsChanged()
{
    const int count = doc_ ? doc_->GetFormatCount() : 0;
    std::optional<FormatState> previous;
    if (formatIndex >= 0 && formatIndex < static_cast<int>(states_.size()))
        previous = states_[formatIndex];
    RebuildFormatStates();
    int found = -1;
    if (previous)
        for (int i = 0; i < count && found < 0; ++i)
            if (states_[i].width == previous->width && states_[i].height == previous->height &&
                states_[i].bitDepth == previous->bitDepth)
                found = i;
    if (found >= 0) {
        formatIndex = found;
    } else {
        formatIndex = 0;
        RestoreFormatState();
    }
    frameValid_ = false;
    NotifyFormatSwitched();
}

ColorValue CIconViewState::BarCell47() const
{
    // Cell 47 of the standard cells is black.
    return g_paletteBar ? g_paletteBar->Cell(47) : RGB(0, 0, 0);
}

void CIconViewState::ApplyColoursOfFormat()
{
    if (g_paletteBar) {
        leftColor = g_paletteBar->LeftColor();
        rightColor = g_paletteBar->RightColor();
        leftAlpha = g_paletteBar->LeftAlpha();
        rightAlpha = g_paletteBar->RightAlpha();
        selectedPaletteIndex = g_paletteBar->SelectedIndex();
    } else {
        rightColor = COLOR_TRANSPARENT;
        selectedPaletteIndex = 47;
        leftColor = BarCell47();
    }
    const CIconObject* f = Format();
    if (!f)
        return;
    if (f->bitDepth == 1) {
        rightColor = COLOR_TRANSPARENT;
        selectedPaletteIndex = 0;
        leftColor = RGB(0, 0, 0);
    } else if (f->ownPalette) {
        rightColor = COLOR_TRANSPARENT;
        selectedPaletteIndex = 0;
        leftColor = PaletteIndexValue(0);
    } else if (IsPaletteIndexValue(leftColor) || IsPaletteIndexValue(rightColor) || selectedPaletteIndex >= 50) {
        // Palette entries mean nothing in a format without its own palette.
        rightColor = COLOR_TRANSPARENT;
        selectedPaletteIndex = 47;
        leftColor = BarCell47();
    }
    if (f->bitDepth == 32) {
        // No Inverted colour in a format with alpha.
        if (ColorKind(leftColor) == ColorKindType::Inverted)
            leftColor = BarCell47();
        if (ColorKind(rightColor) == ColorKindType::Inverted)
            rightColor = COLOR_TRANSPARENT;
    }
    if (g_paletteBar)
        g_paletteBar->SetActiveView(this);
}

// ---- status ----

std::string CIconViewState::StatusText(int pane) const
{
    const CIconObject* f = Format();
    switch (pane) {
    case 1:
        return f ? FormatString(kFormatLine, f->width, f->height, FormatDepthName(f->bitDepth)) : std::string();
    case 2:
        if (currentColumn < 0 || currentRow < 0)
            return "@0 ";
        return FormatString(kPositionPane, currentColumn, currentRow);
    case 3: {
        // The shape being drawn, else the selection.
        std::optional<Rect> size = shownSize;
        if (!size && f && HasSelection(*f))
            size = f->selection;
        if (!size)
            return "@1 ";
        return FormatString(kSizePane, size->right - size->left + 1, size->bottom - size->top + 1);
    }
    case 4:
        return FormatString(kZoomPane, zoom);
    case 5:
        return doc_ && doc_->IsModified() ? "@3 " : "   ";
    default:
        return {};
    }
}

void CIconViewState::UpdateStatus()
{
    if (!window_->IsStatusBarShown())
        return;
    for (int pane = 1; pane <= 5; ++pane)
        window_->SetStatusText(pane, StatusText(pane));
}

void CIconViewState::UpdatePositionPane()
{
    if (window_->IsStatusBarShown())
        window_->SetStatusText(2, StatusText(2));
}

void CIconViewState::ShowSize(const std::optional<Rect>& inclusive)
{
    shownSize = inclusive;
    if (window_->IsStatusBarShown())
        window_->SetStatusText(3, StatusText(3));
}

// ---- commands ----

bool CIconViewState::OnUpdateCommand(CCmdUI& ui)
{
    if (OnUpdateEditCommand(ui) || OnUpdateSelectionCommand(ui) || OnUpdateFormatCommand(*this, ui) ||
        OnUpdateSizeSetCommand(*this, ui))
        return true;
    switch (ui.id) {
    case ID_ZOOM_IN:
        ui.Enable(zoom < kMaxZoom);
        return true;
    case ID_ZOOM_OUT:
        ui.Enable(zoom > kMinZoom);
        return true;
    case ID_ZOOM_AUTO:
        ui.SetCheck(autoZoom != 0);
        return true;
    case ID_VIEW_GRID:
        ui.SetCheck(gridShown != 0);
        return true;
    case ID_TRANSPARENT_COPY:
        ui.SetCheck(TransparentCopy != 0);
        return true;
    case ID_VIEW_LOCAL_TOOLBAR:
        ui.SetCheck(window_->IsLocalToolbarShown());
        return true;
    case ID_LOCAL_TOOLBAR_HIDE:
        return true;
    case ID_CAPTURE:
    case ID_TEXT:
        ui.Enable(!window_->IsMinimised());
        return true;
    case ID_IMPORT_PICTURE:
        return true;
    default:
        break;
    }
    for (int i = 0; i < kToolCount; ++i)
        if (ui.id == kToolCommands[i]) {
            ui.SetCheck(currentTool == i);
            return true;
        }
    for (int i = 0; i < kBrushShapeCount; ++i)
        if (ui.id == kBrushShapeCommands[i]) {
            ui.SetCheck(brushShape == i);
            return true;
        }
    for (int i = 0; i < static_cast<int>(kFillModeCommands.size()); ++i)
        if (ui.id == kFillModeCommands[i]) {
            ui.SetCheck(fillMode == i);
            return true;
        }
    return false;
}

void CIconViewState::SetZoom(int z)
{
    z = Clamp(z, kMinZoom, kMaxZoom);
    if (z == zoom)
        return;
    zoom = z;
    Recentre();
    Redraw();
    UpdateStatus();
}

void CIconViewState::ZoomAt(int steps, int clientX, int clientY)
{
    LeaveCaptureMode();
    autoZoom = 0;
    const int before = zoom;
    // The image point under the pointer, in 1/zoom pixels.
    const std::int64_t imageX = clientX + scrollX - originX, imageY = clientY + scrollY - originY;
    SetZoom(zoom + steps);
    if (zoom == before)
        return;
    SetScrollPosition(static_cast<int>(originX + imageX * zoom / before - clientX),
                      static_cast<int>(originY + imageY * zoom / before - clientY));
    window_->ScrollGeometryChanged();
    Redraw();
}

void CIconViewState::SelectTool(int index)
{
    if (index < 0 || index >= kToolCount)
        return;
    CommitSelection();
    if (index == kToolColorPicker) {
        // The picker returns to the tool it interrupted.
        if (currentTool != kToolColorPicker)
            previousTool = currentTool;
        currentTool = index;
        return;
    }
    currentTool = index;
    LastTool() = index;
}

void CIconViewState::SelectBrushShape(int shape)
{
    if (shape < 0 || shape >= kBrushShapeCount)
        return;
    brushShape = shape;
    LastBrushShape() = shape;
}

void CIconViewState::OnCommand(std::uint16_t id)
{
    // Zoom, grid, tools and the rest first leave capture mode.
    LeaveCaptureMode();
    if (OnEditCommand(id) || OnSelectionCommand(id) || OnFormatCommand(*this, id) || OnSizeSetCommand(*this, id))
        return;
    switch (id) {
    case ID_ZOOM_IN:
        autoZoom = 0;
        SetZoom(zoom + 1);
        return;
    case ID_ZOOM_OUT:
        autoZoom = 0;
        SetZoom(zoom - 1);
        return;
    case ID_ZOOM_AUTO:
        autoZoom = autoZoom ? 0 : 1;
        if (autoZoom) {
            const int before = zoom;
            ApplyAutomaticZoom();
            if (zoom != before) {
                Recentre();
                Redraw();
                UpdateStatus();
            }
        }
        return;
    case ID_VIEW_GRID:
        gridShown = gridShown ? 0 : 1;
        frameValid_ = false;
        window_->RedrawAllViews();
        UpdateStatus();
        return;
    case ID_TRANSPARENT_COPY:
        TransparentCopy = TransparentCopy ? 0 : 1;
        frameValid_ = false;
        Redraw();
        window_->RepaintPreview();
        return;
    case ID_VIEW_LOCAL_TOOLBAR:
        window_->ShowLocalToolbar(!window_->IsLocalToolbarShown());
        return;
    case ID_LOCAL_TOOLBAR_HIDE:
        window_->ShowLocalToolbar(false);
        return;
    case ID_CAPTURE:
        EnterCaptureMode();
        return;
    case ID_TEXT:
        if (window_->EditTextSettings()) {
            TextRasterizer* rasterizer = window_->Rasterizer();
            if (!rasterizer ||
                AddText(*this, TextRequestFromSettings(), *rasterizer, Screen().dpiY) == TextOutcome::Beep)
                window_->Beep();
        }
        return;
    case ID_IMPORT_PICTURE: {
        const std::string path = window_->ChoosePicture(ImportDialogTitle(), ImportDialogFilter());
        if (!path.empty() && ImportPictureFile(*this, path).paletteReplaced && g_paletteBar)
            g_paletteBar->SetActiveView(this);
        return;
    }
    default:
        break;
    }
    for (int i = 0; i < kToolCount; ++i)
        if (id == kToolCommands[i])
            return SelectTool(i);
    for (int i = 0; i < kBrushShapeCount; ++i)
        if (id == kBrushShapeCommands[i])
            return SelectBrushShape(i);
    for (int i = 0; i < static_cast<int>(kFillModeCommands.size()); ++i)
        if (id == kFillModeCommands[i]) {
            fillMode = i;
            return;
        }
}

bool CIconViewState::OnUpdateEditCommand(CCmdUI& ui)
{
    const CIconObject* f = Format();
    const bool selected = f && f->selectionActive && f->selection.left >= 0;
    switch (ui.id) {
    case ID_EDIT_UNDO:
        ui.Enable(f && CanUndo(*f));
        return true;
    case ID_EDIT_REDO:
        ui.Enable(f && CanRedo(*f));
        return true;
    case ID_MIRROR_HORIZONTAL:
        ui.Enable(selected && f->selection.left != f->selection.right);
        return true;
    case ID_MIRROR_VERTICAL:
        ui.Enable(selected && f->selection.top != f->selection.bottom);
        return true;
    case ID_INVERT_COLORS:
        ui.Enable(selected);
        return true;
    case ID_ROTATE:
        ui.Enable(f && CanRotate(*f));
        return true;
    default:
        return false;
    }
}

bool CIconViewState::OnEditCommand(std::uint16_t id)
{
    CIconObject* f = Format();
    switch (id) {
    case ID_EDIT_UNDO:
    case ID_EDIT_REDO:
        UndoOrRedo(id == ID_EDIT_UNDO);
        return true;
    case ID_MIRROR_HORIZONTAL:
    case ID_MIRROR_VERTICAL:
    case ID_INVERT_COLORS: {
        if (!f || !f->selectionActive || f->selection.left < 0)
            return true;
        const Rect& s = f->selection;
        if ((id == ID_MIRROR_HORIZONTAL && s.left == s.right) || (id == ID_MIRROR_VERTICAL && s.top == s.bottom))
            return true;
        // The floating contents go into the image; the area stays marked.
        if (HasFloating(*f)) {
            StampFloating(*f, TransparencySwitch());
            f->floatingColor.reset();
            f->floatingMask.reset();
            f->selectionInPlace = 1;
        }
        const Rect area{s.left, s.top, s.right + 1, s.bottom + 1};
        ChangeImage([&](CIconObject& format) {
            if (id == ID_MIRROR_HORIZONTAL)
                MirrorHorizontal(format, area);
            else if (id == ID_MIRROR_VERTICAL)
                MirrorVertical(format, area);
            else
                InvertColors(format, area);
        });
        return true;
    }
    case ID_ROTATE:
        if (!f || !CanRotate(*f))
            return true;
        CommitSelection();
        ChangeImage([](CIconObject& format) { Rotate90(format); });
        return true;
    default:
        return false;
    }
}

void CIconViewState::UndoOrRedo(bool undo)
{
    CIconObject* f = Format();
    if (!f || !(undo ? CanUndo(*f) : CanRedo(*f)))
        return;
    CommitSelection();
    if (!(undo ? Undo(*f) : Redo(*f)))
        return;
    // The document compares the state now shown with the saved one.
    ShowModifiedState();
    frameValid_ = false;
    window_->RepaintPreview();
    window_->RedrawAllViews();
    Redraw();
}

template <class Change> void CIconViewState::ChangeImage(Change&& change)
{
    CIconObject* f = Format();
    if (!f)
        return;
    SaveUndoState(*f);
    change(*f);
    Redraw();
    window_->RepaintPreview();
    window_->RedrawAllViews();
    ShowModifiedState();
}

void CIconViewState::ShowModifiedState()
{
    if (window_->IsStatusBarShown())
        window_->SetStatusText(5, StatusText(5));
}

// ---- mouse ----

ToolContext CIconViewState::MakeToolContext()
{
    ToolContext c;
    c.format = Format();
    c.leftColor = leftColor;
    c.rightColor = rightColor;
    c.pressedColor = lastButton == 0 ? leftColor : rightColor;
    c.leftAlpha = leftAlpha;
    c.rightAlpha = rightAlpha;
    c.pressedAlpha = lastButton == 0 ? leftAlpha : rightAlpha;
    c.lastButton = lastButton;
    c.brushShape = brushShape;
    c.fillMode = fillMode;
    c.renderRegion = [this](const Bitmap& color, const Bitmap& mask, const Rect& r) { RenderRegion(color, mask, r); };
    c.showSize = [this](const std::optional<Rect>& r) { ShowSize(r); };
    c.setPressedColor = [this](ColorValue v, std::uint8_t alpha) {
        (lastButton == 0 ? leftColor : rightColor) = v;
        (lastButton == 0 ? leftAlpha : rightAlpha) = alpha;
    };
    c.setSelectedPaletteIndex = [this](int index) { selectedPaletteIndex = index; };
    c.returnToPreviousTool = [this] { currentTool = Clamp(previousTool, 0, kToolCount - 1); };
    return c;
}

CIconViewState::Press CIconViewState::ButtonDown(int button, int x, int y)
{
    if (captureMode) {
        LeaveCaptureMode();
        if (button == 0 && Format()) {
            CommitSelection();
            window_->BeginCaptureDrag();
        }
        return Press::Ignored;
    }
    pointerX = x;
    pointerY = y;
    int c = 0, r = 0;
    if (!PixelFromPoint(x, y, c, r))
        return Press::OffImage;
    lastButton = button ? 1 : 0;
    currentColumn = c;
    currentRow = r;
    CDrawTool* tool = Tool(currentTool);
    if (!tool || !Format())
        return Press::OnImage;
    buttonDown = 1;
    // The hover footprint would otherwise stay on screen under the stroke.
    if (hoverRect) {
        const Rect hover = *hoverRect;
        hoverRect.reset();
        RenderRegion(hover);
    }
    if (auto* selection = dynamic_cast<CSelectionTool*>(tool))
        selection->Bind(this);
    if (tool->ModifiesImage())
        SaveUndoState(*Format());
    ToolContext ctx = MakeToolContext();
    tool->Begin(ctx, c, r);
    reportedColumn = c;
    reportedRow = r;
    UpdatePositionPane();
    return Press::OnImage;
}

void CIconViewState::PointerMove(int x, int y)
{
    if (captureMode)
        return;
    pointerX = x;
    pointerY = y;
    int c = 0, r = 0;
    const bool on = PixelFromPoint(x, y, c, r);
    if (!buttonDown) {
        Hover(x, y);
        return;
    }
    (void)on;
    // While drawing, the pointer may leave the image: tools get the clamped pixel.
    currentColumn = c;
    currentRow = r;
    if (c == reportedColumn && r == reportedRow)
        return;
    reportedColumn = c;
    reportedRow = r;
    UpdatePositionPane();
    if (CDrawTool* tool = Tool(currentTool)) {
        ToolContext ctx = MakeToolContext();
        tool->Move(ctx, c, r);
    }
}

bool CIconViewState::Hover(int x, int y)
{
    int c = 0, r = 0;
    if (!PixelFromPoint(x, y, c, r)) {
        if (pointerTracked)
            EndHover();
        return false;
    }
    pointerTracked = 1;
    currentColumn = c;
    currentRow = r;
    if (c == reportedColumn && r == reportedRow)
        return true;
    reportedColumn = c;
    reportedRow = r;
    UpdatePositionPane();
    CDrawTool* tool = Tool(currentTool);
    if (tool && tool->HoverPreview() && Format()) {
        // The tool erases the previous footprint in the same rendering.
        ToolContext ctx = MakeToolContext();
        ctx.previousHover = hoverRect;
        hoverRect = tool->Hover(ctx, c, r);
    } else if (hoverRect) {
        const Rect hover = *hoverRect;
        hoverRect.reset();
        RenderRegion(hover);
    }
    return true;
}

void CIconViewState::EndHover()
{
    pointerTracked = 0;
    if (hoverRect) {
        const Rect r = *hoverRect;
        hoverRect.reset();
        RenderRegion(r);
    }
    currentColumn = currentRow = -1;
    reportedColumn = reportedRow = -1;
    UpdatePositionPane();
}

void CIconViewState::ButtonUp()
{
    if (!buttonDown)
        return;
    CDrawTool* tool = Tool(currentTool);
    if (tool) {
        ToolContext ctx = MakeToolContext();
        tool->End(ctx);
        if (currentTool != kToolColorPicker && tool->ModifiesImage() && doc_) {
            window_->RepaintPreview();
            frameValid_ = false;
            window_->RedrawAllViews();
            UpdateStatus();
        }
    }
    buttonDown = 0;
}

int CIconViewState::CursorId(int x, int y) const
{
    int c = 0, r = 0;
    if (!PixelFromPoint(x, y, c, r))
        return 0;
    if (const CDrawTool* tool = Tool(currentTool)) {
        if (currentTool == kToolSelection && Format() && InsideSelection(*Format(), c, r))
            return kMoveCursorId;
        return tool->CursorId();
    }
    return kToolCursors[Clamp(currentTool, 0, kToolCount - 1)];
}

// ---- capture ----

void CIconViewState::EnterCaptureMode()
{
    ScreenGrabber* grabber = window_->Grabber();
    if (!grabber || !grabber->CanGrab()) {
        Prompts().Message(LoadString(kCaptureRefused), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    captureMode = 1;
    Redraw();
}

void CIconViewState::LeaveCaptureMode()
{
    if (!captureMode)
        return;
    captureMode = 0;
    Redraw();
}

bool CIconViewState::EndCaptureOnKey()
{
    if (!captureMode)
        return false;
    LeaveCaptureMode();
    return true;
}

bool CIconViewState::FinishCapture(const Bitmap* area)
{
    CIconObject* f = Format();
    if (!f)
        return false;
    const bool fits = area && !area->isMono() && area->width() == f->width && area->height() == f->height;
    if (!fits) {
        Prompts().Message(LoadString(kCaptureRefused), MB_OK | MB_ICONEXCLAMATION);
        Redraw();
        return false;
    }
    // The undo state is saved only once there is something to write.
    SaveUndoState(*f);
    CaptureIntoFormat(*f, *area);
    ShowModifiedState();
    frameValid_ = false;
    window_->RepaintPreview();
    window_->RedrawAllViews();
    Redraw();
    return true;
}

// ---- rendering ----

void CIconViewState::Redraw()
{
    frameValid_ = false;
    window_->InvalidateClient(std::nullopt);
}

void CIconViewState::EnsureFrame()
{
    if (!frameValid_ || frame_.width() != clientWidth || frame_.height() != clientHeight)
        RenderAll();
}

void CIconViewState::RenderAll()
{
    if (clientWidth <= 0 || clientHeight <= 0) {
        frame_ = Bitmap();
        frameValid_ = true;
        return;
    }
    if (frame_.width() != clientWidth || frame_.height() != clientHeight)
        frame_ = Bitmap::Color(clientWidth, clientHeight);
    if (captureMode) {
        RenderCapturePanel(frame_);
        frameValid_ = true;
        hoverRect.reset();
        return;
    }
    const ViewGeometry g = Geometry();
    RenderViewBackground(frame_, g, CouleurFondEditeur, AfficheOmbreIcone != 0);
    frameValid_ = true;
    if (const CIconObject* f = Format())
        RenderRegion(f->color, f->mask, std::nullopt);
    hoverRect.reset();
    RenderViewFrames(frame_, g);
}

Rect CIconViewState::RenderRegion(const std::optional<Rect>& imageRect)
{
    const CIconObject* f = Format();
    if (!f)
        return {};
    return RenderRegion(f->color, f->mask, imageRect);
}

Rect CIconViewState::RenderClientRect(const Rect& clientRect)
{
    const Rect image = ImageRectFromClientRect(Geometry(), clientRect);
    if (image.empty())
        return {};
    return RenderRegion(image);
}

Rect CIconViewState::RenderRegion(const Bitmap& color, const Bitmap& mask, const std::optional<Rect>& imageRect)
{
    const CIconObject* f = Format();
    if (!f)
        return {};
    if (!frameValid_ || frame_.width() != clientWidth || frame_.height() != clientHeight) {
        // The whole frame is drawn at the next paint anyway.
        window_->InvalidateClient(std::nullopt);
        return {};
    }
    if (captureMode)
        return {}; // the panel covers the image
    const Rect region = imageRect.value_or(Rect{0, 0, f->width, f->height});
    // A floating selection is shown laid onto copies of the bitmaps.
    std::optional<Bitmap> floatColor, floatMask;
    if (&color == &f->color && HasFloating(*f) && f->selectionActive) {
        floatColor = color;
        floatMask = mask;
        LayDownFloating(*f, *floatColor, *floatMask, TransparencySwitch());
    }
    ViewRenderOptions options;
    options.grid = gridShown != 0;
    options.transparentPattern = &ViewTransparentPattern(MotifTransparent);
    if (f->selectionActive && f->selection.left >= 0 && showSelectionFrame)
        options.selection = f->selection;
    Rect changed = RenderViewRegion(frame_, Geometry(), floatColor ? *floatColor : color, floatMask ? *floatMask : mask,
                                    region, options);
    if (rubberBand && !changed.empty())
        changed = changed.united(DrawRubberBand(frame_, Geometry(), *rubberBand, gridShown && zoom > 3, changed));
    if (!changed.empty())
        window_->InvalidateClient(changed);
    return changed;
}

} // namespace kavrel
