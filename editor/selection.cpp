#include "editor/selection.h"

#include <algorithm>

#include "editor/icon_view_state.h"
#include "editor/settings_editor.h"
#include "editor/undo.h"
#include "model/icon_model.h"
#include "model/progress.h"
#include "resources/strings.h"

namespace kavrel {

namespace {

constexpr int kPastingText = 55081; // "Pasting ..."

const Palette* OwnPalette(const CIconObject& f)
{
    return f.palette.size() > 0 ? &f.palette : nullptr;
}

// Whether a floating pixel is the transparent colour and stays out.
bool IsTransparentPixel(const CIconObject& f, ColorValue pixel, ColorValue transparent, std::uint8_t pixelAlpha)
{
    if (f.color.hasAlpha()) {
        // With alpha the transparent colour is matched with its alpha too.
        const std::uint8_t wanted = StoredAlpha(transparent, f.transparentAlpha);
        if (wanted == 0 || pixelAlpha == 0)
            return wanted == pixelAlpha;
        if (pixelAlpha != wanted)
            return false;
    }
    const bool pixelReal = ColorKind(pixel) == ColorKindType::Ordinary;
    const bool transparentReal = ColorKind(transparent) == ColorKindType::Ordinary;
    if (pixelReal != transparentReal)
        return false;
    if (!pixelReal)
        return ColorKind(pixel) == ColorKind(transparent);
    // A palette entry is compared by the colour it stands for.
    return (pixel & 0x00FFFFFFu) == (ResolveColor(transparent, OwnPalette(f)) & 0x00FFFFFFu);
}

Rect ImageRect(const CIconObject& f)
{
    return {0, 0, f.width, f.height};
}

// The pixel a floating bitmap gives an alpha bitmap: its alpha (opaque when
// it has none), 0x00000000 where its mask is set.
std::uint32_t AlphaPixel(const Bitmap& color, const Bitmap& mask, int x, int y)
{
    if (mask.rawPixel(x, y) != 0)
        return 0;
    const std::uint32_t v = color.rawPixel(x, y);
    if (!color.hasAlpha())
        return v | 0xFF000000u;
    return (v >> 24) == 0 ? 0u : v;
}

// The selection's pixels, right and bottom exclusive.
Rect SelectionArea(const CIconObject& f)
{
    const Rect& s = f.selection;
    return {s.left, s.top, s.right + 1, s.bottom + 1};
}

} // namespace

bool TransparencySwitch()
{
    return TransparentCopy != 0;
}

bool HasSelection(const CIconObject& f)
{
    // A moved selection may reach beyond the image, even to negative columns.
    return f.selectionActive && f.selection.right >= f.selection.left && f.selection.bottom >= f.selection.top &&
           f.selection != Rect{-1, -1, -1, -1};
}

bool HasFloating(const CIconObject& f)
{
    return f.floatingColor && f.floatingMask && !f.floatingColor->isNull();
}

void LayDownFloating(const CIconObject& f, Bitmap& color, Bitmap& mask, bool transparentSwitch)
{
    if (!HasFloating(f))
        return;
    const Bitmap& fc = *f.floatingColor;
    const Bitmap& fm = *f.floatingMask;
    const int x0 = f.selection.left, y0 = f.selection.top;
    const int w = std::min(fc.width(), fm.width()), h = std::min(fc.height(), fm.height());
    const Rect target = Rect{x0, y0, x0 + w, y0 + h}.intersected(color.rect()).intersected(mask.rect());
    const bool alpha = color.hasAlpha();
    for (int y = target.top; y < target.bottom; ++y)
        for (int x = target.left; x < target.right; ++x) {
            const int sx = x - x0, sy = y - y0;
            if (alpha) {
                // Pixels are replaced with their alpha, not blended; the
                // mask follows the alpha.
                const std::uint32_t v = AlphaPixel(fc, fm, sx, sy);
                if (transparentSwitch && IsTransparentPixel(f, GetImagePixel(fc, fm, sx, sy), f.transparentColor,
                                                            static_cast<std::uint8_t>(v >> 24)))
                    continue;
                color.setRawPixel(x, y, v);
                mask.setRawPixel(x, y, v == 0 ? 1 : 0);
                continue;
            }
            if (!transparentSwitch) {
                color.setRawPixel(x, y, fc.rawPixel(sx, sy));
                mask.setRawPixel(x, y, fm.rawPixel(sx, sy));
                continue;
            }
            const ColorValue v = GetImagePixel(fc, fm, sx, sy);
            if (IsTransparentPixel(f, v, f.transparentColor, 255))
                continue;
            SetImagePixel(color, mask, v, x, y, nullptr);
        }
}

void LiftSelection(CIconObject& f, bool keepOriginal)
{
    const Rect area = SelectionArea(f);
    if (area.empty())
        return;
    Bitmap fc = f.color.hasAlpha() ? Bitmap::ColorAlpha(area.width(), area.height())
                                   : Bitmap::Color(area.width(), area.height());
    Bitmap fm = Bitmap::Mono(area.width(), area.height());
    if (f.color.hasAlpha())
        fm.fill(RGB(255, 255, 255)); // beyond the image: transparent
    {
        DC dc(fc), src(f.color);
        BitBlt(dc, 0, 0, area.width(), area.height(), src, area.left, area.top, SRCCOPY);
        DC dm(fm), srcm(f.mask);
        BitBlt(dm, 0, 0, area.width(), area.height(), srcm, area.left, area.top, SRCCOPY);
    }
    f.floatingColor = std::move(fc);
    f.floatingMask = std::move(fm);
    if (keepOriginal)
        return;
    Brush colorBrush, maskBrush;
    MakeImageBrushes(f.transparentColor, colorBrush, maskBrush, f.bitDepth, OwnPalette(f), f.transparentAlpha);
    const Rect clipped = area.intersected(ImageRect(f));
    DC dc(f.color), dm(f.mask);
    FillRect(dc, clipped, colorBrush);
    FillRect(dm, clipped, maskBrush);
}

void StampFloating(CIconObject& f, bool transparentSwitch)
{
    LayDownFloating(f, f.color, f.mask, transparentSwitch);
}

void ClearSelection(CIconObject& f)
{
    f.floatingColor.reset();
    f.floatingMask.reset();
    f.selectionActive = 0;
    f.selectionInPlace = 1;
    f.selection = Rect{-1, -1, -1, -1};
}

bool CommitFloating(CIconObject& f, bool transparentSwitch)
{
    const bool floating = HasFloating(f);
    if (floating && f.selectionActive)
        StampFloating(f, transparentSwitch);
    ClearSelection(f);
    return floating;
}

void SelectWholeImage(CIconObject& f)
{
    f.floatingColor.reset();
    f.floatingMask.reset();
    f.selection = Rect{0, 0, f.width - 1, f.height - 1};
    f.selectionActive = 1;
    f.selectionInPlace = 1;
}

bool EraseSelection(CIconObject& f, ColorValue fill, std::uint8_t fillAlpha)
{
    if (!HasSelection(f))
        return false;
    // A marked area that was lifted without moving is put back first, so
    // that the fill below covers it.
    if (f.selectionInPlace && HasFloating(f))
        StampFloating(f, TransparencySwitch());
    f.floatingColor.reset();
    f.floatingMask.reset();
    SaveUndoState(f);
    if (f.selectionInPlace) {
        Brush colorBrush, maskBrush;
        MakeImageBrushes(fill, colorBrush, maskBrush, f.bitDepth, OwnPalette(f), fillAlpha);
        const Rect area = SelectionArea(f).intersected(ImageRect(f));
        DC dc(f.color), dm(f.mask);
        FillRect(dc, area, colorBrush);
        FillRect(dm, area, maskBrush);
    }
    ClearSelection(f);
    return true;
}

// ---- putting a picture in ----

void DitherCopy(Bitmap& dest, int x, int y, int c, int d, const Bitmap& source, int sx, int sy, int g, int h,
                int bitDepth, ProgressSink* progress)
{
    if (c <= 0 || d <= 0 || g <= 0 || h <= 0 || source.isNull() || dest.isNull())
        return;
    ProgressScope scope(progress ? *progress : NullProgress(), LoadString(kPastingText), d);
    Brush brush;
    COLORREF brushColor = CLR_INVALID;
    for (int i = 0; i < d; ++i) {
        const int dy = y + i;
        for (int j = 0; j < c; ++j) {
            const int dx = x + j;
            if (dx < 0 || dy < 0 || dx >= dest.width() || dy >= dest.height())
                continue;
            const int px = sx + static_cast<int>(static_cast<long long>(g) * j / c);
            const int py = sy + static_cast<int>(static_cast<long long>(h) * i / d);
            const COLORREF colour = source.pixel(px, py);
            if (colour == CLR_INVALID)
                continue;
            if (colour != brushColor) {
                brush = MakeDitherBrush(colour, bitDepth);
                brushColor = colour;
            }
            // The pattern is aligned to the destination, so an area of one
            // colour shows the brush's dither pattern.
            COLORREF out = brush.color;
            if (brush.kind == Brush::Kind::Pattern && !brush.pattern.isNull())
                out = brush.pattern.pixel(dx % 8, dy % 8);
            dest.setRawPixel(dx, dy, PixelFromColorRef(out));
        }
        scope.Step(i + 1);
    }
}

void PlacePicture(const CIconObject& f, const Bitmap& color, const Bitmap* mask, int w, int h, bool stretch,
                  const PasteColours& colours, Bitmap& outColor, Bitmap& outMask)
{
    outColor = Bitmap::Color(w, h);
    outMask = Bitmap::Mono(w, h); // black: opaque
    const int sw = stretch ? color.width() : w;
    const int sh = stretch ? color.height() : h;
    // Nearest neighbour, as colour-on-colour stretching does.
    auto sourceX = [&](int j) { return static_cast<int>(static_cast<long long>(sw) * j / w); };
    auto sourceY = [&](int i) { return static_cast<int>(static_cast<long long>(sh) * i / h); };

    const bool own = f.ownPalette && f.palette.size() > 0;
    const bool copy =
        colours.sourceDepth == 0 || colours.sourceDepth == f.bitDepth || (f.bitDepth == 8 && colours.standardPalette);
    if (!own && !copy) {
        DitherCopy(outColor, 0, 0, w, h, color, 0, 0, sw, sh, f.bitDepth, colours.progress);
    } else {
        for (int i = 0; i < h; ++i)
            for (int j = 0; j < w; ++j) {
                COLORREF c = color.pixel(sourceX(j), sourceY(i));
                if (c == CLR_INVALID)
                    c = 0;
                if (own) {
                    const int index = f.palette.nearestIndex(c);
                    if (index >= 0)
                        c = f.palette.colorRef(index);
                }
                outColor.setRawPixel(j, i, PixelFromColorRef(c));
            }
    }
    if (mask && mask->width() == color.width() && mask->height() == color.height())
        for (int i = 0; i < h; ++i)
            for (int j = 0; j < w; ++j) {
                const int px = sourceX(j), py = sourceY(i);
                if (px < mask->width() && py < mask->height())
                    outMask.setRawPixel(j, i, mask->rawPixel(px, py) ? 1 : 0);
            }
    if (f.bitDepth == 32) {
        // A format with alpha takes the picture's alpha (opaque without
        // one); its mask is 1 exactly where the alpha is 0.
        outColor.setHasAlpha(true);
        for (int i = 0; i < h; ++i)
            for (int j = 0; j < w; ++j) {
                const int px = sourceX(j), py = sourceY(i);
                std::uint32_t a = 255;
                if (color.hasAlpha() && px < color.width() && py < color.height())
                    a = color.rawPixel(px, py) >> 24;
                if (outMask.rawPixel(j, i))
                    a = 0;
                const std::uint32_t v = outColor.rawPixel(j, i) & 0x00FFFFFFu;
                outColor.setRawPixel(j, i, a == 0 ? 0u : (a << 24) | v);
                outMask.setRawPixel(j, i, a == 0 ? 1 : 0);
            }
        return;
    }
    if (color.hasAlpha())
        // Into a format without alpha: the half-transparent pixels below
        // half opacity become transparent, the others opaque.
        for (int i = 0; i < h; ++i)
            for (int j = 0; j < w; ++j) {
                const int px = sourceX(j), py = sourceY(i);
                if (px < color.width() && py < color.height() && (color.rawPixel(px, py) >> 24) < 128) {
                    outMask.setRawPixel(j, i, 1);
                    outColor.setRawPixel(j, i, PixelFromColorRef(RGB(0, 0, 0)));
                }
            }
    // An own palette cannot hold the colours a transparent or inverted pixel
    // needs; they keep black and white.
    if (own && mask)
        for (int i = 0; i < h; ++i)
            for (int j = 0; j < w; ++j)
                if (outMask.rawPixel(j, i)) {
                    const COLORREF c = color.pixel(sourceX(j), sourceY(i));
                    outColor.setRawPixel(j, i, PixelFromColorRef(c == RGB(255, 255, 255) ? c : RGB(0, 0, 0)));
                }
}

bool PasteFloating(CIconViewState& view, const Bitmap& color, const Bitmap* mask, int placement,
                   const PasteColours& colours)
{
    CIconObject* f = view.Format();
    if (!f || color.isNull() || f->width <= 0 || f->height <= 0)
        return false;
    // The selection the picture may go into, as it was before committing.
    const bool hadSelection = HasSelection(*f);
    const Rect previous = f->selection;
    if ((placement == kPasteSelectionArea || placement == kPasteFitSelection) && !hadSelection)
        placement = kPasteEditorArea;
    if (placement < kPasteEditorArea || placement > kPasteFitSelection)
        placement = kPasteEditorArea;

    view.SelectTool(kToolSelection); // commits a floating selection
    f = view.Format();
    SaveUndoState(*f);

    const int W = f->width, H = f->height;
    const int w = color.width(), h = color.height();
    Rect r;
    switch (placement) {
    case kPasteFitEditor:
        r = {0, 0, W - 1, H - 1};
        break;
    case kPasteSelectionArea:
    case kPasteFitSelection:
        r = previous;
        break;
    default:
        r = {0, 0, w, h};
        break;
    }
    r.left = std::clamp(r.left, 0, W - 1);
    r.top = std::clamp(r.top, 0, H - 1);
    r.right = std::clamp(r.right, r.left, W - 1);
    r.bottom = std::clamp(r.bottom, r.top, H - 1);
    const bool stretch = placement == kPasteFitEditor || placement == kPasteFitSelection;
    int sizeW = r.right - r.left + 1, sizeH = r.bottom - r.top + 1;
    if (!stretch) {
        sizeW = std::min(sizeW, w);
        sizeH = std::min(sizeH, h);
    }
    r.right = r.left + sizeW - 1;
    r.bottom = r.top + sizeH - 1;

    Bitmap fc, fm;
    PlacePicture(*f, color, mask, sizeW, sizeH, stretch, colours, fc, fm);
    f->floatingColor = std::move(fc);
    f->floatingMask = std::move(fm);
    f->selection = r;
    f->selectionActive = 1;
    f->selectionInPlace = 0;
    f->transparentColor = view.rightColor;
    f->transparentAlpha = view.rightAlpha;
    view.SelectionChanged(true);
    return true;
}

// ---- the view's side ----

void CIconViewState::SelectionChanged(bool modified)
{
    frameValid_ = false;
    window_->InvalidateClient(std::nullopt);
    window_->RepaintPreview();
    window_->RedrawAllViews();
    if (modified)
        ShowModifiedState();
}

void CIconViewState::CommitSelection()
{
    CIconObject* f = Format();
    if (!f || !f->selectionActive) {
        if (f)
            ClearSelection(*f);
        return;
    }
    if (CommitFloating(*f, TransparencySwitch())) {
        SelectionChanged(false);
    } else {
        frameValid_ = false;
        window_->InvalidateClient(std::nullopt);
    }
}

void CIconViewState::StampSelection()
{
    CIconObject* f = Format();
    if (!f || !f->selectionActive || !HasFloating(*f))
        return;
    StampFloating(*f, TransparencySwitch());
    SelectionChanged(false);
}

void CIconViewState::SetRubberBand(const std::optional<Rect>& band)
{
    const std::optional<Rect> old = rubberBand;
    rubberBand = band;
    // The band is drawn over the image by RenderRegion; rendering the union
    // of the old and the new band erases one and shows the other.
    Rect area;
    for (const auto& b : {old, band})
        if (b)
            area = area.united(Rect{b->left - 1, b->top - 1, b->right + 2, b->bottom + 2});
    if (const CIconObject* f = Format(); f && !area.empty())
        RenderRegion(area.intersected(ImageRect(*f)));
}

} // namespace kavrel
