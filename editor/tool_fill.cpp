#include "editor/tool_fill.h"

#include <algorithm>
#include <array>
#include <unordered_map>
#include <vector>

namespace kavrel {

namespace {

using Cells = std::array<std::uint32_t, 64>;

int Clamp(int v, int lo, int hi)
{
    return std::max(lo, std::min(v, hi));
}

bool WithAlpha(const FillSpec& spec)
{
    return spec.bitDepth == 32;
}

bool IsPseudo(const FillSpec& spec, ColorValue v)
{
    // Transparent is black with alpha 0 in a 32-bit format.
    const ColorKindType kind = ColorKind(v);
    return WithAlpha(spec) ? kind == ColorKindType::Inverted : kind != ColorKindType::Ordinary;
}

bool UsesPaletteRule(const FillSpec& spec)
{
    return spec.ownPalette && IsPaletteIndexValue(spec.pressed) && IsPaletteIndexValue(spec.other);
}

// Which ring of a radial gradient covers each pixel of the span: ring 0 is the
// whole span, then each smaller ellipse painted over the ones before. Strokes
// fill through the same span segment after segment, so the last map is kept.
struct RingMap {
    GradientSpan span;
    int steps = 0;
    std::vector<std::uint16_t> ring;
};

const RingMap& RingsFor(const GradientSpan& span, int n)
{
    static RingMap cached;
    if (cached.steps == n && cached.span == span && !cached.ring.empty())
        return cached;
    const int W = span.width(), H = span.height();
    cached.span = span;
    cached.steps = n;
    cached.ring.assign(static_cast<std::size_t>(W) * static_cast<std::size_t>(H), 0);
    for (int i = 0; i + 1 < n; ++i) {
        int w = 0, h = 0;
        if (W < H) {
            w = (n - i) * W / n;
            h = 2 * (n - i);
        } else {
            w = 2 * (n - i);
            h = (n - i) * H / n;
        }
        const int x = span.left + (W - w) / 2, y = span.top + (H - h) / 2;
        const auto value = static_cast<std::uint16_t>(i + 1);
        EllipseSpans(x, y, x + w + 2, y + h + 2, [&](int row, int x0, int x1) {
            if (row < span.top || row > span.bottom)
                return;
            x0 = std::max(x0, span.left);
            x1 = std::min(x1, span.right + 1);
            std::uint16_t* line = cached.ring.data() + static_cast<std::size_t>(row - span.top) * W;
            for (int c = x0; c < x1; ++c)
                line[c - span.left] = value;
        });
    }
    return cached;
}

} // namespace

COLORREF InterpolateColor(int i, COLORREF a, COLORREF b, int n)
{
    if (n <= 1)
        return a & 0x00FFFFFFu;
    const int d = n - 1;
    auto channel = [&](int ca, int cb) { return (ca * (d - i) + cb * i) / d; };
    return RGB(channel(GetRValue(a), GetRValue(b)), channel(GetGValue(a), GetGValue(b)),
               channel(GetBValue(a), GetBValue(b)));
}

int PaletteGradientIndex(int i, int lo, int hi, int n, int button)
{
    const int diff = hi - lo, f = n - 1;
    int index = 0;
    if (button == 0)
        index = n <= 1 ? lo : lo + (diff * i + f / 2) / f;
    else
        index = n <= 1 ? hi : lo + (diff * (n - i) + f / 2) / f;
    return Clamp(index, lo, hi);
}

bool IsSolidFill(const FillSpec& spec)
{
    return spec.fillMode == kFillSolid || spec.fillMode > kFillRadial || IsPseudo(spec, spec.pressed) ||
           IsPseudo(spec, spec.other);
}

int GradientSteps(const FillSpec& spec)
{
    const int W = spec.span.width(), H = spec.span.height();
    int n = 1;
    switch (spec.fillMode) {
    case kFillVertical:
        n = H;
        break;
    case kFillHorizontal:
        n = W;
        break;
    case kFillRadial:
        n = W < H ? H / 2 : W / 2;
        break;
    default:
        break;
    }
    // A span one pixel across still has its one ring.
    return std::max(n, 1);
}

ColorValue GradientColor(const FillSpec& spec, int i)
{
    const int n = GradientSteps(spec);
    if (UsesPaletteRule(spec)) {
        const int a = static_cast<int>(spec.pressed & 0xFF), b = static_cast<int>(spec.other & 0xFF);
        return PaletteIndexValue(PaletteGradientIndex(i, std::min(a, b), std::max(a, b), n, spec.button));
    }
    const COLORREF p = ResolveColor(spec.pressed, spec.palette), o = ResolveColor(spec.other, spec.palette);
    // Radial gradients run from the other colour outside to the pressed one
    // in the centre.
    return spec.fillMode == kFillRadial ? InterpolateColor(i, o, p, n) : InterpolateColor(i, p, o, n);
}

std::uint8_t GradientAlpha(const FillSpec& spec, int i)
{
    if (!WithAlpha(spec))
        return 255;
    const int n = GradientSteps(spec);
    const int p = StoredAlpha(spec.pressed, spec.pressedAlpha), o = StoredAlpha(spec.other, spec.otherAlpha);
    const int a = spec.fillMode == kFillRadial ? o : p, b = spec.fillMode == kFillRadial ? p : o;
    if (n <= 1)
        return static_cast<std::uint8_t>(a);
    const int d = n - 1;
    return static_cast<std::uint8_t>((a * (d - i) + b * i) / d);
}

int GradientStepAt(const FillSpec& spec, int x, int y)
{
    const GradientSpan& s = spec.span;
    switch (spec.fillMode) {
    case kFillVertical:
        return Clamp(y, s.top, s.bottom) - s.top;
    case kFillHorizontal:
        return Clamp(x, s.left, s.right) - s.left;
    case kFillRadial: {
        const RingMap& rings = RingsFor(s, GradientSteps(spec));
        const int cx = Clamp(x, s.left, s.right) - s.left, cy = Clamp(y, s.top, s.bottom) - s.top;
        return rings
            .ring[static_cast<std::size_t>(cy) * static_cast<std::size_t>(s.width()) + static_cast<std::size_t>(cx)];
    }
    default:
        return 0;
    }
}

Cells BrushCells(const Brush& brush, bool monoTarget, bool alphaTarget)
{
    Bitmap cell = monoTarget ? Bitmap::Mono(8, 8) : alphaTarget ? Bitmap::ColorAlpha(8, 8) : Bitmap::Color(8, 8);
    DC dc(cell);
    FillRect(dc, cell.rect(), brush);
    Cells cells{};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            cells[static_cast<std::size_t>(y * 8 + x)] = cell.rawPixel(x, y);
    return cells;
}

void FillThroughStencil(Bitmap& color, Bitmap& mask, const Bitmap& stencil, const Rect& area, const FillSpec& spec)
{
    if (color.isNull() || stencil.isNull() || !stencil.isMono())
        return;
    Rect r = area.intersected(color.rect()).intersected(stencil.rect());
    const bool withMask = !mask.isNull() && mask.width() == color.width() && mask.height() == color.height();
    if (r.empty())
        return;

    Brush colorBrush, maskBrush;
    MakeImageBrushes(spec.pressed, colorBrush, maskBrush, spec.bitDepth, spec.palette, spec.pressedAlpha);
    const Cells maskCells = BrushCells(maskBrush, mask.isMono());
    // In an alpha bitmap the mask follows each pixel's alpha, which a
    // gradient changes from step to step.
    const bool alpha = color.hasAlpha();
    const std::uint32_t maskOpaque = mask.isMono() ? 0u : PixelFromColorRef(RGB(0, 0, 0));
    const std::uint32_t maskClear = mask.isMono() ? 1u : PixelFromColorRef(RGB(255, 255, 255));

    const bool solid = IsSolidFill(spec);
    const Cells solidCells = solid ? BrushCells(colorBrush, false, alpha) : Cells{};
    // Gradient brushes are made for the steps the area actually meets.
    std::unordered_map<int, Cells> steps;
    int lastStep = -1;
    const Cells* lastCells = nullptr;
    auto stepCells = [&](int i) -> const Cells& {
        // Neighbouring pixels mostly share their step.
        if (i == lastStep)
            return *lastCells;
        auto it = steps.find(i);
        if (it == steps.end()) {
            Brush b, unused;
            MakeImageBrushes(GradientColor(spec, i), b, unused, spec.bitDepth, spec.palette, GradientAlpha(spec, i));
            it = steps.emplace(i, BrushCells(b, false, alpha)).first;
        }
        lastStep = i;
        lastCells = &it->second;
        return it->second;
    };

    const std::size_t width = static_cast<std::size_t>(color.width());
    const std::uint8_t* stencilBits = stencil.monoBits();
    std::uint32_t* colorBits = color.colorBits();
    for (int y = r.top; y < r.bottom; ++y) {
        const std::size_t row = static_cast<std::size_t>(y) * width;
        const std::size_t cellRow = static_cast<std::size_t>((y & 7) * 8);
        for (int x = r.left; x < r.right; ++x) {
            const std::size_t i = row + static_cast<std::size_t>(x);
            if (stencilBits[i] != 0)
                continue;
            const std::size_t cell = cellRow + static_cast<std::size_t>(x & 7);
            colorBits[i] = solid ? solidCells[cell] : stepCells(GradientStepAt(spec, x, y))[cell];
            if (!withMask)
                continue;
            if (alpha)
                mask.setRawPixel(x, y, (colorBits[i] >> 24) == 0 ? maskClear : maskOpaque);
            else
                mask.setRawPixel(x, y, maskCells[cell]);
        }
    }
}

void CopyBitmapRect(Bitmap& target, const Bitmap& source, const Rect& rect)
{
    if (target.isMono() != source.isMono() || target.width() != source.width() || target.height() != source.height())
        return;
    const Rect r = rect.intersected(source.rect());
    if (r.empty())
        return;
    const std::size_t width = static_cast<std::size_t>(source.width());
    for (int y = r.top; y < r.bottom; ++y) {
        const std::size_t start = static_cast<std::size_t>(y) * width + static_cast<std::size_t>(r.left);
        if (source.isMono())
            std::copy_n(source.monoBits() + start, r.width(), target.monoBits() + start);
        else
            std::copy_n(source.colorBits() + start, r.width(), target.colorBits() + start);
    }
}

void WhitenRect(Bitmap& stencil, const Rect& rect)
{
    if (!stencil.isMono())
        return;
    const Rect r = rect.intersected(stencil.rect());
    const std::size_t width = static_cast<std::size_t>(stencil.width());
    for (int y = r.top; y < r.bottom; ++y)
        std::fill_n(stencil.monoBits() + static_cast<std::size_t>(y) * width + static_cast<std::size_t>(r.left),
                    r.width(), std::uint8_t{1});
}

} // namespace kavrel
