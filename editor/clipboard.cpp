#include "editor/clipboard.h"

#include <algorithm>

#include "editor/clipboard_block.h"
#include "editor/icon_view_state.h"
#include "editor/selection.h"
#include "model/icon_model.h"
#include "model/progress.h"
#include "platform/prompter.h"
#include "resources/strings.h"

namespace kavrel {

namespace {

constexpr int kReplacePaletteQuestion = 55102;
constexpr int kPasteTooLarge = 55140;

ClipboardService* g_service = nullptr;
PasteOptionsPrompt* g_pasteOptions = nullptr;
ProgressSink* g_progress = nullptr;
int g_defaultAsk = 1;
std::uint32_t g_defaultBackground = 0xFFFFFF;
int* g_askSetting = &g_defaultAsk;
std::uint32_t* g_backgroundSetting = &g_defaultBackground;

const Palette* PaletteOf(const CIconObject& f)
{
    return f.palette.size() > 0 ? &f.palette : nullptr;
}

// The source of Copy: the floating contents, else the selected area, else
// the whole image.
void CopySource(const CIconObject& f, Bitmap& color, Bitmap& mask)
{
    if (HasSelection(f) && HasFloating(f)) {
        color = *f.floatingColor;
        mask = *f.floatingMask;
        return;
    }
    Rect area{0, 0, f.width, f.height};
    if (HasSelection(f))
        area = Rect{f.selection.left, f.selection.top, f.selection.right + 1, f.selection.bottom + 1}.intersected(area);
    color = f.color.hasAlpha() ? Bitmap::ColorAlpha(area.width(), area.height())
                               : Bitmap::Color(area.width(), area.height());
    mask = Bitmap::Mono(area.width(), area.height());
    DC dc(color), sc(const_cast<Bitmap&>(f.color));
    BitBlt(dc, 0, 0, area.width(), area.height(), sc, area.left, area.top, SRCCOPY);
    DC dm(mask), sm(const_cast<Bitmap&>(f.mask));
    BitBlt(dm, 0, 0, area.width(), area.height(), sm, area.left, area.top, SRCCOPY);
}

// A standard image too large for any format is refused before it is decoded.
bool DibTooLarge(const PackedDib& dib, int& w, int& h)
{
    const auto header = dib.header();
    if (!header)
        return false;
    const std::int64_t width = header->biWidth;
    const std::int64_t height = header->biHeight < 0 ? -static_cast<std::int64_t>(header->biHeight) : header->biHeight;
    w = static_cast<int>(std::min<std::int64_t>(width, 1 << 30));
    h = static_cast<int>(std::min<std::int64_t>(height, 1 << 30));
    return width > kMaxImageSide || height > kMaxImageSide ||
           static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * 4 > kMaxImageBytes;
}

} // namespace

ClipboardService* GetClipboardService()
{
    return g_service;
}
void SetClipboardService(ClipboardService* service)
{
    g_service = service;
}
void SetPasteOptionsPrompt(PasteOptionsPrompt* prompt)
{
    g_pasteOptions = prompt;
}
int& RememberedPastePlacement()
{
    static int placement = 0;
    return placement;
}
void BindClipboardSettings(int* optionsDeCollage, std::uint32_t* backgroundColor)
{
    g_askSetting = optionsDeCollage ? optionsDeCollage : &g_defaultAsk;
    g_backgroundSetting = backgroundColor ? backgroundColor : &g_defaultBackground;
}
void SetPasteProgress(ProgressSink* sink)
{
    g_progress = sink;
}

ClipboardContents MakeClipboardContents(const Bitmap& color, const Bitmap& mask, int bitDepth, const Palette* palette,
                                        COLORREF background)
{
    ClipboardContents c;
    c.privateBlock = BuildClipboardBlock(color, mask, bitDepth, palette);
    // Other programs see the image on the background colour: transparent
    // pixels show it, inverted pixels its inverse.
    Bitmap composite = Bitmap::Color(color.width(), color.height());
    composite.fill(background);
    if (color.hasAlpha()) {
        // A picture with alpha goes as it is, and laid over the background.
        c.alphaImage = color;
        const COLORREF b = background & 0x00FFFFFFu;
        for (int y = 0; y < color.height(); ++y)
            for (int x = 0; x < color.width(); ++x) {
                const std::uint32_t p = color.rawPixel(x, y);
                const std::uint32_t a = p >> 24;
                auto mix = [&](std::uint32_t fg, int bg) {
                    return static_cast<int>((fg * a + static_cast<std::uint32_t>(bg) * (255 - a) + 127) / 255);
                };
                composite.setRawPixel(
                    x, y,
                    PixelFromColorRef(RGB(mix((p >> 16) & 0xFF, GetRValue(b)), mix((p >> 8) & 0xFF, GetGValue(b)),
                                          mix(p & 0xFF, GetBValue(b)))));
            }
    } else {
        DC dc(composite);
        const DC sm(const_cast<Bitmap&>(mask)), sc(const_cast<Bitmap&>(color));
        BitBlt(dc, 0, 0, color.width(), color.height(), sm, 0, 0, SRCAND);
        BitBlt(dc, 0, 0, color.width(), color.height(), sc, 0, 0, SRCINVERT);
    }
    c.dib = BitmapToDib(composite, palette);
    if (palette)
        c.palette = *palette;
    return c;
}

// ---- the view's commands ----

bool CIconViewState::OnUpdateSelectionCommand(CCmdUI& ui)
{
    const CIconObject* f = Format();
    const bool selected = f && HasSelection(*f);
    switch (ui.id) {
    case ID_EDIT_CLEAR:
    case ID_EDIT_CUT:
        ui.Enable(selected);
        return true;
    case ID_EDIT_COPY:
    case ID_EDIT_SELECT_ALL:
        ui.Enable(f != nullptr);
        return true;
    case ID_EDIT_PASTE:
        ui.Enable(f && g_service && g_service->CanPaste());
        return true;
    default:
        return false;
    }
}

bool CIconViewState::OnSelectionCommand(std::uint16_t id)
{
    CIconObject* f = Format();
    switch (id) {
    case ID_EDIT_CLEAR:
        if (f && EraseSelection(*f, rightColor, rightAlpha))
            SelectionChanged(true);
        return true;
    case ID_EDIT_SELECT_ALL:
        if (!f)
            return true;
        SelectTool(kToolSelection);
        SelectWholeImage(*Format());
        SelectionChanged(false);
        return true;
    case ID_EDIT_COPY:
    case ID_EDIT_CUT: {
        if (!f || !g_service)
            return true;
        if (id == ID_EDIT_CUT && !HasSelection(*f))
            return true;
        Bitmap color, mask;
        CopySource(*f, color, mask);
        if (color.isNull())
            return true;
        const bool put =
            g_service->Put(MakeClipboardContents(color, mask, f->bitDepth, PaletteOf(*f), *g_backgroundSetting));
        if (put && id == ID_EDIT_CUT && EraseSelection(*f, rightColor, rightAlpha))
            SelectionChanged(true);
        return true;
    }
    case ID_EDIT_PASTE:
        if (!f || !g_service)
            return true;
        {
            int placement = kPasteEditorArea;
            if (*g_askSetting) {
                const bool selection = HasSelection(*f);
                int& remembered = RememberedPastePlacement();
                if (!selection && remembered >= kPasteSelectionArea)
                    remembered = kPasteEditorArea;
                if (g_pasteOptions) {
                    const std::optional<int> chosen = g_pasteOptions->Ask(remembered, selection);
                    if (!chosen)
                        return true;
                    remembered = std::clamp(*chosen, 0, 3);
                }
                placement = remembered;
            }
            std::optional<ClipboardContents> contents = g_service->Get();
            if (!contents)
                return true;
            PasteColours colours;
            colours.progress = g_progress;
            // Our own block first: it keeps the mask.
            if (!contents->privateBlock.empty())
                if (auto block = ParseClipboardBlock(contents->privateBlock)) {
                    colours.sourceDepth = block->bitDepth;
                    colours.standardPalette = block->palette && IsStandardPalette(*block->palette);
                    PasteFloating(*this, block->color, &block->mask, placement, colours);
                    return true;
                }
            // A picture with alpha keeps it in a format that has alpha.
            if (f->bitDepth == 32 && !contents->alphaImage.isNull() && contents->alphaImage.hasAlpha()) {
                colours.sourceDepth = 32;
                PasteFloating(*this, contents->alphaImage, nullptr, placement, colours);
                return true;
            }
            if (contents->dib.empty())
                return true;
            int w = 0, h = 0;
            if (DibTooLarge(contents->dib, w, h)) {
                Prompts().Message(FormatString(kPasteTooLarge, w, h), MB_OK | MB_ICONEXCLAMATION);
                return true;
            }
            const std::optional<Bitmap> bitmap = DibToBitmap(contents->dib);
            if (!bitmap)
                return true;
            const auto header = contents->dib.header();
            const int bits = header ? header->biBitCount : 24;
            colours.sourceDepth = bits <= 8 ? bits : 24;
            const Palette dibPalette = DibPalette(contents->dib);
            colours.standardPalette = bits == 8 && dibPalette.size() == 256 && IsStandardPalette(dibPalette);
            bool replacePalette = false;
            if (f->ownPalette && bits == 8 && DibColorCount(contents->dib) == 256) {
                const int answer = Prompts().Message(LoadString(kReplacePaletteQuestion), MB_YESNO | MB_ICONQUESTION);
                replacePalette = answer == IDYES;
                if (replacePalette)
                    f->ChangePalette(dibPalette);
            }
            PasteFloating(*this, *bitmap, nullptr, placement, colours);
            if (replacePalette)
                if (PaletteBarColours* bar = GetPaletteBar())
                    bar->SetActiveView(this);
        }
        return true;
    default:
        return false;
    }
}

} // namespace kavrel
