#include "editor/text_tool.h"

#include <cstdint>
#include <cstdlib>

#include "editor/icon_view_state.h"
#include "editor/selection.h"
#include "editor/settings_editor.h"
#include "model/icon_model.h"

namespace kavrel {

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return 0;
    const std::int64_t p = static_cast<std::int64_t>(a) * b;
    const bool negative = (p < 0) != (c < 0);
    const std::int64_t q = (std::llabs(p) + std::llabs(c) / 2) / std::llabs(c);
    return static_cast<int>(negative ? -q : q);
}

int TextFontHeight(int points, int dpiY)
{
    return -MulDiv(points, dpiY, 72);
}

TextRequest TextRequestFromSettings()
{
    TextRequest r;
    r.face = insertTextePolice;
    r.text = insertTexteTexte;
    r.size = insertTexteTaille;
    r.bold = insertTexteGras != 0;
    r.italic = insertTexteItalic != 0;
    return r;
}

TextFont FontForRequest(const TextRequest& request, int dpiY)
{
    TextFont f;
    f.face = request.face;
    f.height = TextFontHeight(request.size, dpiY);
    f.weight = request.bold ? 700 : 400;
    f.italic = request.italic;
    return f;
}

namespace {

// A bitmap of the block's size painted all over with a brush, so that dither
// patterns line up with the block's origin as the brush would paint them.
Bitmap Painted(const Bitmap& like, const Brush& brush)
{
    Bitmap b = like.isMono() ? Bitmap::Mono(like.width(), like.height()) : Bitmap::Color(like.width(), like.height());
    DC dc(b);
    FillRect(dc, b.rect(), brush);
    return b;
}

} // namespace

Bitmap TextRasterizer::RenderCoverage(const TextFont& font, const std::string& text)
{
    const Bitmap pixels = Render(font, text);
    if (pixels.isNull())
        return {};
    Bitmap coverage = Bitmap::Color(pixels.width(), pixels.height());
    for (int y = 0; y < pixels.height(); ++y)
        for (int x = 0; x < pixels.width(); ++x)
            coverage.setRawPixel(x, y, pixels.rawPixel(x, y) ? 0xFFFFFFFFu : 0xFF000000u);
    return coverage;
}

void BuildAlphaTextBlock(const Bitmap& coverage, ColorValue left, std::uint8_t leftAlpha, ColorValue right,
                         std::uint8_t rightAlpha, const Palette* palette, Bitmap& color, Bitmap& mask)
{
    const int w = coverage.width(), h = coverage.height();
    color = Bitmap::ColorAlpha(w, h);
    mask = Bitmap::Mono(w, h);
    mask.fill(RGB(255, 255, 255));
    if (coverage.isNull())
        return;
    const int la = StoredAlpha(left, leftAlpha), ra = StoredAlpha(right, rightAlpha);
    const COLORREF lc = ResolveColor(left, palette), rc = ResolveColor(right, palette);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int c = static_cast<int>(coverage.rawPixel(x, y) & 0xFF);
            // Both colours weighted by coverage and alpha (premultiplied), so
            // a transparent side gives no colour of its own.
            const int wl = la * c, wr = ra * (255 - c);
            const int a = (wl + wr + 127) / 255;
            if (a == 0)
                continue;
            auto mix = [&](int l, int r) { return (l * wl + r * wr + (wl + wr) / 2) / (wl + wr); };
            const COLORREF rgb = RGB(mix(GetRValue(lc), GetRValue(rc)), mix(GetGValue(lc), GetGValue(rc)),
                                     mix(GetBValue(lc), GetBValue(rc)));
            color.setRawPixel(x, y, (static_cast<std::uint32_t>(a) << 24) | (PixelFromColorRef(rgb) & 0x00FFFFFFu));
            mask.setRawPixel(x, y, 0);
        }
}

void BuildTextBlock(const CIconObject& format, const Bitmap& textPixels, ColorValue left, ColorValue right,
                    Bitmap& color, Bitmap& mask)
{
    const int w = textPixels.width(), h = textPixels.height();
    color = Bitmap::Color(w, h);
    mask = Bitmap::Mono(w, h);
    if (textPixels.isNull())
        return;
    const Palette* palette = format.palette.size() > 0 ? &format.palette : nullptr;
    Brush leftColor, leftMask, rightColor, rightMask;
    MakeImageBrushes(left, leftColor, leftMask, format.bitDepth, palette);
    MakeImageBrushes(right, rightColor, rightMask, format.bitDepth, palette);
    const Bitmap fc = Painted(color, leftColor), fm = Painted(mask, leftMask);
    const Bitmap bc = Painted(color, rightColor), bm = Painted(mask, rightMask);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool text = textPixels.rawPixel(x, y) != 0;
            color.setRawPixel(x, y, (text ? fc : bc).rawPixel(x, y));
            mask.setRawPixel(x, y, (text ? fm : bm).rawPixel(x, y));
        }
}

TextOutcome AddText(CIconViewState& view, const TextRequest& request, TextRasterizer& rasterizer, int dpiY)
{
    if (request.face.empty() || request.text.empty())
        return TextOutcome::Beep;
    CIconObject* format = view.Format();
    if (!format)
        return TextOutcome::Failed;
    Bitmap color, mask;
    if (format->bitDepth == 32) {
        // Anti-aliased: the coverage becomes alpha.
        const Bitmap coverage = rasterizer.RenderCoverage(FontForRequest(request, dpiY), request.text);
        if (coverage.isNull())
            return TextOutcome::Failed;
        BuildAlphaTextBlock(coverage, view.leftColor, view.leftAlpha, view.rightColor, view.rightAlpha,
                            format->palette.size() > 0 ? &format->palette : nullptr, color, mask);
        return PasteFloating(view, color, &mask, kPasteEditorArea) ? TextOutcome::Pasted : TextOutcome::Failed;
    }
    const Bitmap pixels = rasterizer.Render(FontForRequest(request, dpiY), request.text);
    if (pixels.isNull())
        return TextOutcome::Failed;
    BuildTextBlock(*format, pixels, view.leftColor, view.rightColor, color, mask);
    // The block already holds the format's colours.
    return PasteFloating(view, color, &mask, kPasteEditorArea) ? TextOutcome::Pasted : TextOutcome::Failed;
}

} // namespace kavrel
