// The colour palette bar without a window: its two faces (48 colour cells,
// or the 256 entries of an 8-bit format's own palette), the layout and hit
// tests, picking the left and right colours, the swap and default-colours
// buttons, the three channel sliders, colour editing, the palette gradient,
// the standard colours and the palette files. CColorPaletteBar
// (editor/ui/palette_bar_widget.h) shows it and feeds it the mouse.
//
// The bar never holds a document: every operation reaches the edited format
// through the active view, and writes the view's colours directly.
#pragma once

#include <cstdint>
#include <optional>

#include "document/cmd_target.h"
#include "editor/icon_view_state.h"
#include "model/palettes.h"
#include "platform/gdi.h"
#include "resources/command_ids.h"

namespace kavrel {

class CIconObject;

inline constexpr int kPaletteBarWidth = 106;
inline constexpr int kPaletteBarHeight = 345;
inline constexpr int kColourCellCount = 48;
inline constexpr int kSliderTravel = 46;
inline constexpr int kSliderFirstDelayMs = 500;
inline constexpr int kSliderRepeatMs = 20;
// The fourth slider: the alpha of the last chosen colour, shown only while a
// 32-bit format is edited.
inline constexpr int kAlphaChannel = 3;
// Tooltips of the bar's parts (string ids).
inline constexpr int kNoInvertedTip = 61740;
inline constexpr int kAlphaSliderTip = 61741;

// What the bar's window does for the logic. Harmless defaults.
class PaletteBarWindow {
  public:
    virtual ~PaletteBarWindow() = default;
    virtual void Repaint(const Rect& rect) { (void)rect; }
    virtual void RepaintAll() {}
    // The view's colours or its format's palette changed: every view of its
    // document draws again (and the actual-size preview).
    virtual void RedrawViews(CIconViewState* view) { (void)view; }
};

// The platform's colour chooser, opened fully.
class ColourDialog {
  public:
    virtual ~ColourDialog() = default;
    // Starts on colour; custom is the dialog's 16 custom colours, edited in
    // place. True on OK, with colour set to the choice.
    virtual bool Choose(COLORREF& colour, std::uint32_t (&custom)[16]) = 0;
};

// A one-shot timer: after Start(ms) the owner calls CPaletteBar::OnTimer
// once, unless Stop came first. Tests drive it by hand.
class BarTimer {
  public:
    virtual ~BarTimer() = default;
    virtual void Start(int milliseconds) = 0;
    virtual void Stop() = 0;
};

// The grey ramp a 1-bit format shows instead of the colour cells.
COLORREF GreyRampCell(int cell);

class CPaletteBar : public PaletteBarColours, public CCmdTarget {
  public:
    // Takes its state from the section "colors" settings.
    explicit CPaletteBar(PaletteBarWindow* window = nullptr);
    // Writes its state back to the settings.
    ~CPaletteBar() override;
    CPaletteBar(const CPaletteBar&) = delete;
    CPaletteBar& operator=(const CPaletteBar&) = delete;

    void SetWindow(PaletteBarWindow* window) { window_ = window ? window : &noWindow_; }
    void SetColourDialog(ColourDialog* dialog) { dialog_ = dialog; }
    void SetTimer(BarTimer* timer) { timer_ = timer; }
    void StoreSettings() const;

    // ---- faces and layout ----
    bool PaletteFace() const { return shownOwnPalette != 0; }
    int CellCount() const { return PaletteFace() ? 258 : 50; }
    int TransparentCell() const { return PaletteFace() ? 256 : 48; }
    int InvertedCell() const { return PaletteFace() ? 257 : 49; }
    // The colour value a cell gives in the face shown now.
    ColorValue CellValue(int cell) const;
    // The rectangle of a cell in the face shown now (empty for none).
    Rect CellRect(int cell) const;
    static Rect ColourCellRect(int cell);
    static Rect PaletteCellRect(int entry);
    static Rect TransparentCellRect() { return {3, 167, 53, 183}; }
    static Rect InvertedCellRect() { return {54, 167, 104, 183}; }
    // The cell under a point of the face shown now, or -1.
    int HitTest(int x, int y) const;
    static int ColourCellHitTest(int x, int y);
    static int PaletteCellHitTest(int x, int y);

    enum class SliderPart { None, Minus, Track, Plus };
    // The alpha row (32-bit formats only) lies below everything else, so
    // the bar keeps its layout in every other format.
    static int SliderY(int channel) { return channel == kAlphaChannel ? 323 : 194 + 20 * channel; }
    static Rect SliderMinusRect(int channel);
    static Rect SliderTrackRect(int channel);
    static Rect SliderPlusRect(int channel);
    static Rect SlidersRect() { return {0, SliderY(0), kPaletteBarWidth, SliderY(kAlphaChannel) + 20}; }
    static Rect IndicatorRect() { return {6, 259, 62, 297}; }
    static Rect SwapButtonRect() { return {75, 259, 99, 278}; }
    static Rect DefaultButtonRect() { return {9, 303, 30, 320}; }
    // Which slider part is under a point; channel 0 red, 1 green, 2 blue,
    // 3 alpha (there only while AlphaShown).
    static SliderPart SliderHitTest(int x, int y, int& channel);

    // ---- the active view ----
    // Follows the view (nullptr: the 4-bit colour cells); repaints only
    // what changed.
    void SetActiveView(CIconViewState* view) override;
    void ForgetView(CIconViewState* view) override;
    CIconViewState* ActiveView() const { return activeView; }

    // PaletteBarColours
    ColorValue LeftColor() const override { return leftColor; }
    ColorValue RightColor() const override { return rightColor; }
    std::uint8_t LeftAlpha() const override { return leftAlpha; }
    std::uint8_t RightAlpha() const override { return rightAlpha; }
    int SelectedIndex() const override { return selected; }
    ColorValue Cell(int index) const override;

    // ---- mouse ---- (points in the bar's client coordinates; button 0 left,
    // 1 right; coarse is Shift or Ctrl held)
    enum class Press { None, Handled, ContextMenu };
    Press ButtonDown(int button, int x, int y, bool coarse = false);
    void PointerMove(int x, int y, bool coarse = false);
    void ButtonUp();
    void DoubleClick(int x, int y);
    void OnTimer();
    bool SliderHeld() const { return sliderChannel_ >= 0; }

    void PickCell(int cell, int button);
    void Swap();
    void DefaultColours();

    // ---- sliders ----
    bool SlidersActive() const;
    // A 32-bit format is edited: the alpha slider is there and the Inverted
    // colour is not.
    bool AlphaShown() const { return shownDepth == 32; }
    // The alpha slider moves while the last chosen colour is an ordinary one.
    bool AlphaSliderActive() const;
    bool SliderActive(int channel) const { return channel == kAlphaChannel ? AlphaSliderActive() : SlidersActive(); }
    // The alpha of the left or right colour, whichever was chosen last.
    std::uint8_t LastButtonAlpha() const { return lastButton == 0 ? leftAlpha : rightAlpha; }
    void SetLastButtonAlpha(std::uint8_t alpha);
    // The tooltip (a string id) over a point of the bar, or 0.
    int ToolTipAt(int x, int y) const;
    // The colour of the selected cell (an RGB colour; black when it has none).
    COLORREF SelectedCellColour() const;
    // Drag rule: start + dx * 255 / 46, then rounded to a multiple of 4 (of
    // 64 when coarse), then limited to 0..255.
    static int DragValue(int startValue, int dx, bool coarse);

    // ---- algorithms ----
    bool CanModifyColour(bool fromDoubleClick) const;
    void ModifyColour(bool fromDoubleClick = false);
    bool CanCreateGradient() const;
    void CreateGradient();
    void StandardColours();
    void LoadPalette();
    void SavePalette();

    bool OnUpdateCommand(CCmdUI& ui) override;
    void OnCommand(std::uint16_t id) override;

    // Draws the bar (cells, sliders, indicator and buttons; the texts and the
    // tool strip are the window's) into a bitmap of the bar's size.
    void Render(Bitmap& out) const;

    // ---- fields ----
    ColorValue leftColor = 0;
    ColorValue rightColor = PaletteIndexValue(0);
    std::uint8_t leftAlpha = 255, rightAlpha = 255;
    int selected = 47;
    int previousSelected = 47;
    int lastButton = 0;
    int dirty = 0;
    int shownDepth = 4;
    int shownOwnPalette = 0;
    Palette shownPalette;
    CIconViewState* activeView = nullptr;

  private:
    CIconObject* ActiveFormat() const;
    void SetSelected(int cell);
    void SendToView();
    void SetLastButtonColour(ColorValue value);
    void SetSelectedCellColour(COLORREF rgb);
    void PaletteEdited();
    void StepSlider();
    void SliderReleased();
    bool ConfirmReplace() const;
    void LoadPa8();
    void SavePa8();

    PaletteBarWindow noWindow_;
    PaletteBarWindow* window_;
    ColourDialog* dialog_ = nullptr;
    BarTimer* timer_ = nullptr;
    int sliderChannel_ = -1;
    SliderPart sliderPart_ = SliderPart::None;
    int dragStartX_ = 0;
    int dragStartValue_ = 0;
    bool sliderChanged_ = false;
};

} // namespace kavrel
