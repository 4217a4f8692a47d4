#include "editor/palette_bar.h"

#include <algorithm>
#include <tuple>
#include <utility>

#include "document/icon_document.h"
#include "editor/palette_file.h"
#include "editor/settings_editor.h"
#include "model/icon_model.h"
#include "platform/atomic_file.h"
#include "platform/prompter.h"
#include "resources/strings.h"

namespace kavrel {

namespace {

// Strings of the bar.
constexpr int kPalFilter = 55020;
constexpr int kOpenError = 55023;
constexpr int kNotPaletteFile = 55024;
constexpr int kReplaceWarning = 55025;
constexpr int kCreateError = 55026;
constexpr int kPa8Filter = 55030;
constexpr int kOpenPalTitle = 55067;
constexpr int kSavePalTitle = 55068;
constexpr int kOpenPa8Title = 55074;
constexpr int kSavePa8Title = 55075;
constexpr int kGradientQuestion = 55127;

constexpr COLORREF kFace = RGB(0xC0, 0xC0, 0xC0);
constexpr COLORREF kShadow = RGB(0x80, 0x80, 0x80);
constexpr COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kMarkRed = RGB(0xFF, 0, 0); // 0x0000FF

int Channel(COLORREF c, int channel)
{
    return channel == 0 ? GetRValue(c) : channel == 1 ? GetGValue(c) : GetBValue(c);
}

COLORREF WithChannel(COLORREF c, int channel, int value)
{
    int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    (channel == 0 ? r : channel == 1 ? g : b) = value;
    return RGB(r, g, b);
}

COLORREF EntryColour(const PaletteEntry& e)
{
    return RGB(e.red, e.green, e.blue);
}

void SetEntryColour(PaletteEntry& e, COLORREF c)
{
    e.red = static_cast<std::uint8_t>(GetRValue(c));
    e.green = static_cast<std::uint8_t>(GetGValue(c));
    e.blue = static_cast<std::uint8_t>(GetBValue(c));
}

// A stored colour value that is neither a colour, a palette index nor a
// pseudo-colour keeps only its colour.
ColorValue Sanitised(std::uint32_t v)
{
    const std::uint32_t top = v >> 24;
    return top == 0 || top == 1 || top >= 0xF1 ? v : v & 0x00FFFFFFu;
}

void Fill(DC& dc, const Rect& r, COLORREF c)
{
    FillRect(dc, r, Brush::Solid(c));
}

// A one-pixel frame: top and left in one colour, bottom and right in another.
void Frame(DC& dc, const Rect& r, COLORREF topLeft, COLORREF bottomRight)
{
    Fill(dc, {r.left, r.top, r.right, r.top + 1}, topLeft);
    Fill(dc, {r.left, r.top, r.left + 1, r.bottom}, topLeft);
    Fill(dc, {r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
    Fill(dc, {r.right - 1, r.top, r.right, r.bottom}, bottomRight);
}

Rect Inflated(const Rect& r, int d)
{
    return {r.left - d, r.top - d, r.right + d, r.bottom + d};
}

void RaisedButton(DC& dc, const Rect& r)
{
    Fill(dc, r, kFace);
    Frame(dc, r, kWhite, kBlack);
    Frame(dc, Inflated(r, -1), kFace, kShadow);
}

// Asks for a palette file and reads it; a file that cannot be read or is not
// a palette file is reported and changes nothing.
bool ChooseAndReadPalette(int titleId, int filterId, PaletteFileKind kind, std::vector<COLORREF>& values)
{
    const std::vector<std::string> paths = Chooser().ChooseOpen(LoadString(titleId), LoadString(filterId), false);
    if (paths.empty() || paths.front().empty())
        return false;
    switch (ReadPaletteFile(paths.front(), kind, values)) {
    case PaletteReadResult::CannotOpen:
        Prompts().Message(LoadString(kOpenError), MB_OK | MB_ICONSTOP);
        return false;
    case PaletteReadResult::WrongMagic:
        Prompts().Message(LoadString(kNotPaletteFile), MB_OK | MB_ICONSTOP);
        return false;
    case PaletteReadResult::Ok:
        break;
    }
    return true;
}

} // namespace

COLORREF GreyRampCell(int cell)
{
    if (cell == 0)
        return RGB(0, 0, 0);
    if (cell == 11)
        return RGB(0x40, 0x40, 0x40);
    if (cell == 47)
        return RGB(0xFF, 0xFF, 0xFF);
    const int g = (cell * 255 / 47 + 1) & 0xFF;
    return RGB(g, g, g);
}

CPaletteBar::CPaletteBar(PaletteBarWindow* window) : window_(window ? window : &noWindow_)
{
    leftColor = Sanitised(kavrel::LeftColor);
    rightColor = Sanitised(kavrel::RightColor);
    dirty = IsDirty ? 1 : 0;
    selected = previousSelected = std::clamp(SelectedColor, 0, 257);
    lastButton = LastButtonHit ? 1 : 0;
}

CPaletteBar::~CPaletteBar()
{
    if (timer_)
        timer_->Stop();
    StoreSettings();
}

void CPaletteBar::StoreSettings() const
{
    kavrel::LeftColor = leftColor;
    kavrel::RightColor = rightColor;
    IsDirty = dirty;
    SelectedColor = selected;
    LastButtonHit = lastButton;
}

// ---- faces and layout ----

ColorValue CPaletteBar::CellValue(int cell) const
{
    if (cell == TransparentCell())
        return COLOR_TRANSPARENT;
    if (cell == InvertedCell())
        return COLOR_INVERTED;
    if (PaletteFace())
        return cell >= 0 && cell < 256 ? PaletteIndexValue(cell) : COLOR_TRANSPARENT;
    if (cell < 0 || cell >= kColourCellCount)
        return COLOR_TRANSPARENT;
    return shownDepth == 1 ? GreyRampCell(cell) : PalColor[cell] & 0x00FFFFFFu;
}

ColorValue CPaletteBar::Cell(int index) const
{
    return index >= 0 && index < kColourCellCount ? PalColor[index] & 0x00FFFFFFu : RGB(0, 0, 0);
}

Rect CPaletteBar::ColourCellRect(int cell)
{
    if (cell == 48)
        return TransparentCellRect();
    if (cell == 49)
        return InvertedCellRect();
    if (cell < 0 || cell >= kColourCellCount)
        return {};
    const int c = cell / 8, r = cell % 8;
    return {3 + 17 * c, 31 + 17 * r, 19 + 17 * c, 47 + 17 * r};
}

Rect CPaletteBar::PaletteCellRect(int entry)
{
    int c = 0, r = 0;
    if (entry == 256)
        return TransparentCellRect();
    if (entry == 257)
        return InvertedCellRect();
    if (entry < 0 || entry > 255)
        return {};
    if (entry < 10) {
        c = entry;
    } else if (entry >= 248) {
        c = entry - 248;
        r = 1;
    } else if (entry >= 246) {
        c = entry - 246 + 8;
        r = 1;
    } else {
        c = (entry - 10) % 12;
        r = (entry - 10) / 12 + 2;
    }
    return {5 + 8 * c, 31 + 6 * r, 14 + 8 * c, 38 + 6 * r};
}

Rect CPaletteBar::CellRect(int cell) const
{
    return PaletteFace() ? PaletteCellRect(cell) : ColourCellRect(cell);
}

int CPaletteBar::ColourCellHitTest(int x, int y)
{
    if (x < 3 || y < 31)
        return -1;
    const int column = (x - 3) / 17, row = (y - 31) / 17;
    if (column > 5)
        return -1;
    if (row < 8)
        return column * 8 + row;
    if (row == 8)
        return column < 3 ? 48 : 49;
    return -1;
}

int CPaletteBar::PaletteCellHitTest(int x, int y)
{
    if (TransparentCellRect().contains(x, y))
        return 256;
    if (InvertedCellRect().contains(x, y))
        return 257;
    // Neighbouring cells share their frame line; a shared pixel belongs to
    // the cell to its right or below, as the arithmetic gives it.
    if (x < 5 || y < 31)
        return -1;
    const int column = (x - 5) / 8, row = (y - 31) / 6;
    if (row == 0)
        return column < 10 ? column : -1;
    if (row == 1)
        return column < 8 ? 248 + column : column < 10 ? 246 + column - 8 : -1;
    const int entry = 10 + (row - 2) * 12 + column;
    return column < 12 && entry <= 245 ? entry : -1;
}

int CPaletteBar::HitTest(int x, int y) const
{
    return PaletteFace() ? PaletteCellHitTest(x, y) : ColourCellHitTest(x, y);
}

Rect CPaletteBar::SliderMinusRect(int channel)
{
    const int y = SliderY(channel);
    return {6, y + 2, 14, y + 14};
}

Rect CPaletteBar::SliderTrackRect(int channel)
{
    const int y = SliderY(channel);
    return {14, y + 2, 67, y + 14};
}

Rect CPaletteBar::SliderPlusRect(int channel)
{
    const int y = SliderY(channel);
    return {68, y + 2, 76, y + 14};
}

CPaletteBar::SliderPart CPaletteBar::SliderHitTest(int x, int y, int& channel)
{
    for (channel = 0; channel <= kAlphaChannel; ++channel) {
        if (SliderMinusRect(channel).contains(x, y))
            return SliderPart::Minus;
        if (SliderTrackRect(channel).contains(x, y))
            return SliderPart::Track;
        if (SliderPlusRect(channel).contains(x, y))
            return SliderPart::Plus;
    }
    channel = -1;
    return SliderPart::None;
}

// ---- the active view ----

CIconObject* CPaletteBar::ActiveFormat() const
{
    return activeView ? activeView->Format() : nullptr;
}

void CPaletteBar::SetActiveView(CIconViewState* view)
{
    activeView = view;
    const CIconObject* f = ActiveFormat();
    if (!f) {
        if (shownDepth != 4 || shownOwnPalette != 0) {
            shownDepth = 4;
            shownOwnPalette = 0;
            shownPalette = Palette();
            window_->RepaintAll();
        }
        return;
    }
    const int own = f->ownPalette ? 1 : 0;
    const bool sameFace = f->bitDepth == shownDepth && own == shownOwnPalette && f->palette == shownPalette;
    if (sameFace && view->leftColor == leftColor && view->rightColor == rightColor && view->leftAlpha == leftAlpha &&
        view->rightAlpha == rightAlpha && view->selectedPaletteIndex == selected)
        return;
    leftColor = view->leftColor;
    rightColor = view->rightColor;
    leftAlpha = view->leftAlpha;
    rightAlpha = view->rightAlpha;
    previousSelected = selected;
    selected = view->selectedPaletteIndex;
    if (!sameFace) {
        shownDepth = f->bitDepth;
        shownOwnPalette = own;
        shownPalette = f->palette;
        window_->RepaintAll();
        return;
    }
    window_->Repaint(IndicatorRect());
    window_->Repaint(Inflated(CellRect(previousSelected), 1));
    window_->Repaint(Inflated(CellRect(selected), 1));
    window_->Repaint(SlidersRect());
}

void CPaletteBar::ForgetView(CIconViewState* view)
{
    if (activeView == view)
        activeView = nullptr;
}

void CPaletteBar::SendToView()
{
    if (!activeView)
        return;
    activeView->selectedPaletteIndex = selected;
    activeView->leftColor = leftColor;
    activeView->rightColor = rightColor;
    activeView->leftAlpha = leftAlpha;
    activeView->rightAlpha = rightAlpha;
    activeView->lastButton = lastButton;
}

void CPaletteBar::SetSelected(int cell)
{
    previousSelected = selected;
    selected = cell;
    window_->Repaint(Inflated(CellRect(previousSelected), 1));
    window_->Repaint(Inflated(CellRect(selected), 1));
    window_->Repaint(SlidersRect());
}

void CPaletteBar::SetLastButtonColour(ColorValue value)
{
    (lastButton == 0 ? leftColor : rightColor) = value;
    SendToView();
    if (lastButton == 1 && activeView)
        window_->RedrawViews(activeView);
    window_->Repaint(IndicatorRect());
}

// ---- mouse ----

void CPaletteBar::PickCell(int cell, int button)
{
    if (cell < 0 || cell >= CellCount())
        return;
    // Images with alpha have no inverted pixels.
    if (cell == InvertedCell() && AlphaShown())
        return;
    SetSelected(cell);
    const ColorValue value = CellValue(cell);
    if (button == 0) {
        leftColor = value;
        lastButton = 0;
    } else {
        rightColor = value;
        lastButton = 1;
    }
    SendToView();
    // The right colour is also the transparent colour of the format's selection.
    if (button == 1 && activeView) {
        if (CIconObject* f = ActiveFormat()) {
            f->transparentColor = rightColor;
            f->transparentAlpha = rightAlpha;
        }
        window_->RedrawViews(activeView);
    }
    window_->Repaint(IndicatorRect());
}

void CPaletteBar::Swap()
{
    std::swap(leftColor, rightColor);
    std::swap(leftAlpha, rightAlpha);
    lastButton ^= 1;
    if (activeView) {
        activeView->leftColor = leftColor;
        activeView->rightColor = rightColor;
        activeView->leftAlpha = leftAlpha;
        activeView->rightAlpha = rightAlpha;
        activeView->lastButton ^= 1;
        window_->RedrawViews(activeView);
    }
    window_->Repaint(IndicatorRect());
}

void CPaletteBar::DefaultColours()
{
    if (PaletteFace()) {
        SetSelected(0);
        leftColor = PaletteIndexValue(0);
        rightColor = PaletteIndexValue(255);
    } else {
        SetSelected(47);
        leftColor = RGB(0, 0, 0);
        rightColor = RGB(255, 255, 255);
    }
    leftAlpha = rightAlpha = 255;
    lastButton = 0;
    SendToView();
    if (activeView)
        window_->RedrawViews(activeView);
    window_->Repaint(IndicatorRect());
}

CPaletteBar::Press CPaletteBar::ButtonDown(int button, int x, int y, bool coarse)
{
    (void)coarse;
    if (SliderHeld())
        return Press::Handled;
    const int cell = HitTest(x, y);
    if (cell >= 0) {
        PickCell(cell, button);
        return Press::Handled;
    }
    if (button != 0)
        return Press::ContextMenu;
    if (SwapButtonRect().contains(x, y)) {
        Swap();
        return Press::Handled;
    }
    if (DefaultButtonRect().contains(x, y)) {
        DefaultColours();
        return Press::Handled;
    }
    int channel = -1;
    const SliderPart part = SliderHitTest(x, y, channel);
    if (part == SliderPart::None || !SliderActive(channel))
        return Press::None;
    sliderChannel_ = channel;
    sliderPart_ = part;
    sliderChanged_ = false;
    if (part == SliderPart::Track) {
        dragStartX_ = x;
        dragStartValue_ = channel == kAlphaChannel ? LastButtonAlpha() : Channel(SelectedCellColour(), channel);
    } else {
        StepSlider();
        if (timer_)
            timer_->Start(kSliderFirstDelayMs);
    }
    return Press::Handled;
}

void CPaletteBar::PointerMove(int x, int y, bool coarse)
{
    (void)y;
    if (sliderPart_ != SliderPart::Track || sliderChannel_ < 0 || !SliderActive(sliderChannel_))
        return;
    const int value = DragValue(dragStartValue_, x - dragStartX_, coarse);
    if (sliderChannel_ == kAlphaChannel) {
        SetLastButtonAlpha(static_cast<std::uint8_t>(value));
        return;
    }
    const COLORREF c = SelectedCellColour();
    if (value != Channel(c, sliderChannel_)) {
        SetSelectedCellColour(WithChannel(c, sliderChannel_, value));
        sliderChanged_ = true;
    }
}

void CPaletteBar::ButtonUp()
{
    if (!SliderHeld())
        return;
    if (timer_)
        timer_->Stop();
    SliderReleased();
    sliderChannel_ = -1;
    sliderPart_ = SliderPart::None;
}

void CPaletteBar::DoubleClick(int x, int y)
{
    const int cell = HitTest(x, y);
    if (cell < 0)
        return;
    PickCell(cell, 0);
    ModifyColour(true);
}

void CPaletteBar::OnTimer()
{
    if (sliderPart_ != SliderPart::Minus && sliderPart_ != SliderPart::Plus)
        return;
    StepSlider();
    if (timer_)
        timer_->Start(kSliderRepeatMs);
}

// ---- sliders ----

bool CPaletteBar::SlidersActive() const
{
    if (PaletteFace()) {
        const CIconObject* f = ActiveFormat();
        return f && selected >= 10 && selected <= 245 && selected < f->palette.size();
    }
    return shownDepth != 1 && selected >= 0 && selected < kColourCellCount;
}

bool CPaletteBar::AlphaSliderActive() const
{
    return AlphaShown() && ColorKind(lastButton == 0 ? leftColor : rightColor) == ColorKindType::Ordinary;
}

void CPaletteBar::SetLastButtonAlpha(std::uint8_t alpha)
{
    if (LastButtonAlpha() == alpha)
        return;
    (lastButton == 0 ? leftAlpha : rightAlpha) = alpha;
    SendToView();
    if (lastButton == 1 && activeView)
        window_->RedrawViews(activeView);
    window_->Repaint(SlidersRect());
    window_->Repaint(IndicatorRect());
}

int CPaletteBar::ToolTipAt(int x, int y) const
{
    if (!AlphaShown())
        return 0;
    if (InvertedCellRect().contains(x, y))
        return kNoInvertedTip;
    int channel = -1;
    if (SliderHitTest(x, y, channel) != SliderPart::None && channel == kAlphaChannel)
        return kAlphaSliderTip;
    return 0;
}

COLORREF CPaletteBar::SelectedCellColour() const
{
    if (PaletteFace()) {
        const CIconObject* f = ActiveFormat();
        if (f && selected >= 0 && selected < f->palette.size())
            return EntryColour(f->palette[selected]);
        return RGB(0, 0, 0);
    }
    if (selected < 0 || selected >= kColourCellCount)
        return RGB(0, 0, 0);
    return shownDepth == 1 ? GreyRampCell(selected) : PalColor[selected] & 0x00FFFFFFu;
}

int CPaletteBar::DragValue(int startValue, int dx, bool coarse)
{
    int value = startValue + dx * 255 / kSliderTravel;
    value = coarse ? (value + 32) / 64 * 64 : (value + 2) / 4 * 4;
    return std::clamp(value, 0, 255);
}

void CPaletteBar::SetSelectedCellColour(COLORREF rgb)
{
    rgb &= 0x00FFFFFFu;
    if (PaletteFace()) {
        CIconObject* f = ActiveFormat();
        if (!f || selected < 0 || selected >= f->palette.size())
            return;
        Palette next = f->palette;
        SetEntryColour(next[selected], rgb);
        f->ChangePalette(std::move(next));
        PaletteEdited();
    } else {
        if (selected < 0 || selected >= kColourCellCount)
            return;
        PalColor[selected] = rgb;
        // Edited cells are as much the user's work as a colour chosen in the
        // dialog: the standard colours or a loaded file must ask first.
        dirty = 1;
    }
    window_->Repaint(Inflated(CellRect(selected), 1));
    window_->Repaint(SlidersRect());
    window_->Repaint(IndicatorRect());
}

void CPaletteBar::StepSlider()
{
    if (sliderChannel_ < 0 || !SliderActive(sliderChannel_))
        return;
    const int step = sliderPart_ == SliderPart::Plus ? 1 : -1;
    if (sliderChannel_ == kAlphaChannel) {
        SetLastButtonAlpha(static_cast<std::uint8_t>(std::clamp(LastButtonAlpha() + step, 0, 255)));
        return;
    }
    const COLORREF c = SelectedCellColour();
    const int value = Channel(c, sliderChannel_);
    const int next = std::clamp(value + step, 0, 255);
    if (next != value) {
        SetSelectedCellColour(WithChannel(c, sliderChannel_, next));
        sliderChanged_ = true;
    }
}

void CPaletteBar::SliderReleased()
{
    // The alpha slider changes the colour as it moves.
    if (sliderChannel_ == kAlphaChannel || !SlidersActive())
        return;
    SetLastButtonColour(CellValue(selected));
}

void CPaletteBar::PaletteEdited()
{
    CIconObject* f = ActiveFormat();
    if (!f || !activeView)
        return;
    shownPalette = f->palette;
    if (CIconDocument* doc = activeView->Document())
        doc->SetModifiedFlag(true);
    activeView->UpdateStatus();
    window_->RedrawViews(activeView);
}

// ---- algorithms ----

bool CPaletteBar::CanModifyColour(bool fromDoubleClick) const
{
    if (shownDepth == 1)
        return false;
    if (!PaletteFace())
        return selected >= 0 && selected < kColourCellCount;
    const CIconObject* f = ActiveFormat();
    if (!f || selected >= f->palette.size())
        return false;
    return fromDoubleClick ? selected >= 10 && selected <= 245 : selected >= 1 && selected <= 255;
}

void CPaletteBar::ModifyColour(bool fromDoubleClick)
{
    if (!dialog_ || !CanModifyColour(fromDoubleClick))
        return;
    if (!PaletteFace()) {
        COLORREF colour = PalColor[selected] & 0x00FFFFFFu;
        if (!dialog_->Choose(colour, CustColor))
            return;
        dirty = 1;
        PalColor[selected] = colour & 0x00FFFFFFu;
        window_->Repaint(Inflated(CellRect(selected), 1));
        window_->Repaint(SlidersRect());
        SetLastButtonColour(CellValue(selected));
        return;
    }
    CIconObject* f = ActiveFormat();
    const COLORREF old = EntryColour(f->palette[selected]);
    COLORREF colour = old;
    if (!dialog_->Choose(colour, CustColor))
        return;
    dirty = 1;
    colour &= 0x00FFFFFFu;
    if (colour == old)
        return;
    Palette next = f->palette;
    SetEntryColour(next[selected], colour);
    f->ChangePalette(std::move(next));
    PaletteEdited();
    window_->RepaintAll();
}

bool CPaletteBar::CanCreateGradient() const
{
    const CIconObject* f = ActiveFormat();
    return PaletteFace() && f && f->palette.size() >= 256 && ColorKind(leftColor) == ColorKindType::Ordinary &&
           ColorKind(rightColor) == ColorKindType::Ordinary;
}

void CPaletteBar::CreateGradient()
{
    if (!CanCreateGradient())
        return;
    if (Prompts().Message(LoadString(kGradientQuestion), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    CIconObject* f = ActiveFormat();
    const int a = static_cast<int>(leftColor & 0xFF), b = static_cast<int>(rightColor & 0xFF);
    const int lo = std::min(a, b), hi = std::max(a, b);
    Palette next = f->palette;
    const COLORREF c1 = EntryColour(next[lo]), c2 = EntryColour(next[hi]);
    const int d = hi - lo;
    // Entry hi keeps its colour: the last step of the ramp is the entry itself.
    for (int i = lo; i < hi; ++i) {
        const int k = i - lo;
        int rgb[3];
        for (int ch = 0; ch < 3; ++ch)
            rgb[ch] = (Channel(c1, ch) * (d - k) + Channel(c2, ch) * k) / d;
        SetEntryColour(next[i], RGB(rgb[0], rgb[1], rgb[2]));
    }
    f->ChangePalette(std::move(next));
    PaletteEdited();
    window_->RepaintAll();
}

bool CPaletteBar::ConfirmReplace() const
{
    return !dirty || Prompts().Message(LoadString(kReplaceWarning), MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
}

void CPaletteBar::StandardColours()
{
    if (!ConfirmReplace())
        return;
    std::copy(std::begin(kStandardColourCells), std::end(kStandardColourCells), PalColor);
    if (!PaletteFace() && shownDepth != 1)
        SetLastButtonColour(CellValue(selected));
    dirty = 0;
    window_->RepaintAll();
}

void CPaletteBar::LoadPalette()
{
    if (PaletteFace()) {
        LoadPa8();
        return;
    }
    if (!ConfirmReplace())
        return;
    std::vector<COLORREF> values;
    if (!ChooseAndReadPalette(kOpenPalTitle, kPalFilter, PaletteFileKind::Cells, values))
        return;
    // A short file gives the first cells; the others keep their colours.
    std::copy(values.begin(), values.end(), PalColor);
    if (shownDepth != 1)
        SetLastButtonColour(CellValue(selected));
    window_->RepaintAll();
    dirty = 0;
}

void CPaletteBar::LoadPa8()
{
    CIconObject* f = ActiveFormat();
    if (!f)
        return;
    std::vector<COLORREF> values;
    if (!ChooseAndReadPalette(kOpenPa8Title, kPa8Filter, PaletteFileKind::Palette256, values))
        return;
    std::vector<PaletteEntry> entries = f->palette.entries();
    entries.resize(kPa8EntryCount);
    for (std::size_t i = 0; i < values.size(); ++i) {
        SetEntryColour(entries[i], values[i]);
        entries[i].flags = 0;
    }
    f->ChangePalette(Palette(std::move(entries)));
    PaletteEdited();
    window_->RepaintAll();
}

void CPaletteBar::SavePalette()
{
    if (PaletteFace()) {
        SavePa8();
        return;
    }
    std::string path = Chooser().ChooseSave(LoadString(kSavePalTitle), LoadString(kPalFilter), "");
    if (path.empty())
        return;
    path = WithPaletteExtension(path, PaletteFileKind::Cells);
    std::vector<COLORREF> cells(PalColor, PalColor + kColourCellCount);
    int error = 0;
    if (!WritePaletteFile(path, PaletteFileKind::Cells, cells, &error)) {
        Prompts().Message(WithSystemReason(LoadString(kCreateError), error), MB_OK | MB_ICONSTOP);
        return;
    }
    dirty = 0;
}

void CPaletteBar::SavePa8()
{
    const CIconObject* f = ActiveFormat();
    if (!f)
        return;
    std::string path = Chooser().ChooseSave(LoadString(kSavePa8Title), LoadString(kPa8Filter), "");
    if (path.empty())
        return;
    path = WithPaletteExtension(path, PaletteFileKind::Palette256);
    std::vector<COLORREF> entries;
    for (int i = 0; i < f->palette.size() && i < kPa8EntryCount; ++i)
        entries.push_back(EntryColour(f->palette[i]));
    int error = 0;
    if (!WritePaletteFile(path, PaletteFileKind::Palette256, entries, &error))
        Prompts().Message(WithSystemReason(LoadString(kCreateError), error), MB_OK | MB_ICONSTOP);
}

bool CPaletteBar::OnUpdateCommand(CCmdUI& ui)
{
    switch (ui.id) {
    case ID_PALETTE_GRADIENT:
        ui.Enable(CanCreateGradient());
        return true;
    case ID_PALETTE_MODIFY:
        ui.Enable(dialog_ != nullptr && CanModifyColour(false));
        return true;
    case ID_PALETTE_STANDARD:
        ui.Enable(true);
        return true;
    case ID_PALETTE_SAVE:
    case ID_PALETTE_OPEN:
        // The palette face works on the active format's palette.
        ui.Enable(!PaletteFace() || ActiveFormat() != nullptr);
        return true;
    default:
        return false;
    }
}

void CPaletteBar::OnCommand(std::uint16_t id)
{
    switch (id) {
    case ID_PALETTE_GRADIENT:
        CreateGradient();
        break;
    case ID_PALETTE_MODIFY:
        ModifyColour(false);
        break;
    case ID_PALETTE_STANDARD:
        StandardColours();
        break;
    case ID_PALETTE_SAVE:
        SavePalette();
        break;
    case ID_PALETTE_OPEN:
        LoadPalette();
        break;
    default:
        break;
    }
}

// ---- rendering ----

void CPaletteBar::Render(Bitmap& out) const
{
    if (out.width() != kPaletteBarWidth || out.height() != kPaletteBarHeight)
        out = Bitmap::Color(kPaletteBarWidth, kPaletteBarHeight);
    DC dc(out);
    Fill(dc, out.rect(), kFace);
    const Palette* palette = PaletteFace() ? &shownPalette : nullptr;

    // Cells; the marked one last, so that its frame lies over shared lines.
    auto drawCell = [&](int cell) {
        const Rect r = CellRect(cell);
        if (r.empty())
            return;
        if (cell == selected)
            Frame(dc, r, kMarkRed, kMarkRed);
        else
            Frame(dc, r, kShadow, kWhite);
        if (cell == InvertedCell() && AlphaShown()) {
            // Greyed: a 32-bit image has no inverted pixels.
            FillRect(dc, Inflated(r, -1), Brush::Solid(kFace));
            return;
        }
        FillRect(dc, Inflated(r, -1), MakeDisplayBrush(CellValue(cell), shownDepth, palette));
    };
    const int count = PaletteFace() ? 256 : kColourCellCount;
    if (!PaletteFace() || shownPalette.size() > 0)
        for (int cell = 0; cell < count; ++cell)
            if (cell != selected)
                drawCell(cell);
    for (int cell : {TransparentCell(), InvertedCell()})
        if (cell != selected)
            drawCell(cell);
    if (selected >= 0 && selected < CellCount())
        drawCell(selected);

    // Sliders: minus button, track with the channel's ramp and its knob, plus button.
    const COLORREF colour = SelectedCellColour();
    for (int ch = 0; ch <= kAlphaChannel; ++ch) {
        if (ch == kAlphaChannel && !AlphaShown())
            break;
        const bool active = SliderActive(ch);
        const Rect minus = SliderMinusRect(ch), track = SliderTrackRect(ch), plus = SliderPlusRect(ch);
        RaisedButton(dc, minus);
        RaisedButton(dc, plus);
        const COLORREF glyph = active ? kBlack : kShadow;
        const int my = (minus.top + minus.bottom) / 2;
        Fill(dc, {minus.left + 2, my, minus.right - 2, my + 1}, glyph);
        Fill(dc, {plus.left + 2, my, plus.right - 2, my + 1}, glyph);
        const int px = (plus.left + plus.right) / 2;
        Fill(dc, {px, my - 2, px + 1, my + 3}, glyph);
        const Rect groove{track.left + 3, my - 2, track.right - 3, my + 2};
        Frame(dc, groove, kShadow, kWhite);
        if (!active)
            continue;
        const int value = ch == kAlphaChannel ? LastButtonAlpha() : Channel(colour, ch);
        Fill(dc, Inflated(groove, -1),
             ch == kAlphaChannel ? RGB(value, value, value) : WithChannel(RGB(0, 0, 0), ch, value));
        const int kx = track.left + value * kSliderTravel / 255;
        RaisedButton(dc, {kx, track.top, kx + 7, track.bottom});
    }

    // Indicator: the right colour behind the left one. A colour that is not
    // opaque shows over a light and dark checkerboard, as it would over the
    // transparent pattern.
    const Rect ind = IndicatorRect();
    const Rect right{ind.left + 24, ind.top + 12, ind.right, ind.bottom},
        left{ind.left, ind.top, ind.left + 32, ind.top + 26};
    for (const auto& [r, value, alpha] :
         {std::tuple{right, rightColor, rightAlpha}, std::tuple{left, leftColor, leftAlpha}}) {
        Frame(dc, r, kBlack, kBlack);
        const Rect inner = Inflated(r, -1);
        if (!AlphaShown() || alpha == 255 || ColorKind(value) != ColorKindType::Ordinary) {
            FillRect(dc, inner, MakeDisplayBrush(value, shownDepth, palette));
            continue;
        }
        const COLORREF c = ResolveColor(value, palette);
        const int a = alpha;
        for (int y = inner.top; y < inner.bottom; ++y)
            for (int x = inner.left; x < inner.right; ++x) {
                const int back = (((x - inner.left) / 4 + (y - inner.top) / 4) & 1) ? 0x80 : 0xFF;
                auto mix = [&](int channel) { return (channel * a + back * (255 - a) + 127) / 255; };
                Fill(dc, {x, y, x + 1, y + 1}, RGB(mix(GetRValue(c)), mix(GetGValue(c)), mix(GetBValue(c))));
            }
    }

    // Swap button: an arrow each way.
    const Rect swap = SwapButtonRect();
    RaisedButton(dc, swap);
    const int sx = swap.left + 5, sy = swap.top + 5;
    Fill(dc, {sx, sy + 2, sx + 14, sy + 3}, kBlack);
    Fill(dc, {sx, sy + 8, sx + 14, sy + 9}, kBlack);
    for (int i = 1; i <= 2; ++i) {
        Fill(dc, {sx + i, sy + 2 - i, sx + i + 1, sy + 3 + i}, kBlack);
        Fill(dc, {sx + 13 - i, sy + 8 - i, sx + 14 - i, sy + 9 + i}, kBlack);
    }

    // Default-colours button: black over white.
    const Rect def = DefaultButtonRect();
    Fill(dc, {def.left + 8, def.top + 6, def.left + 19, def.top + 16}, kBlack);
    Fill(dc, {def.left + 9, def.top + 7, def.left + 18, def.top + 15}, kWhite);
    Fill(dc, {def.left + 2, def.top + 1, def.left + 12, def.top + 10}, kBlack);
}

} // namespace kavrel
