#include "platform/gdi.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/raster_internal.h"

namespace kavrel {

// ---------------------------------------------------------------------------
// Rectangles, palettes, bitmaps

Rect Rect::normalized() const
{
    return {std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
}

Rect Rect::intersected(const Rect& o) const
{
    Rect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
    return r.empty() ? Rect{} : r;
}

Rect Rect::united(const Rect& o) const
{
    if (empty())
        return o.empty() ? Rect{} : o;
    if (o.empty())
        return *this;
    return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right), std::max(bottom, o.bottom)};
}

COLORREF Palette::colorRef(int i) const
{
    if (i < 0 || i >= size())
        return CLR_INVALID;
    const PaletteEntry& e = entries_[static_cast<std::size_t>(i)];
    return RGB(e.red, e.green, e.blue);
}

int Palette::nearestIndex(COLORREF rgb) const
{
    const int r = GetRValue(rgb), g = GetGValue(rgb), b = GetBValue(rgb);
    int best = -1;
    int bestDistance = 10000;
    for (int i = 0; i < size(); ++i) {
        const PaletteEntry& e = entries_[static_cast<std::size_t>(i)];
        const int d = std::abs(r - e.red) + std::abs(g - e.green) + std::abs(b - e.blue);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
            if (d == 0)
                break;
        }
    }
    return best;
}

Bitmap Bitmap::Color(int width, int height)
{
    Bitmap b;
    if (width <= 0 || height <= 0)
        return b;
    b.width_ = width;
    b.height_ = height;
    b.color_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0xFF000000u);
    return b;
}

Bitmap Bitmap::ColorAlpha(int width, int height)
{
    Bitmap b = Color(width, height);
    if (!b.isNull()) {
        b.alpha_ = true;
        std::fill(b.color_.begin(), b.color_.end(), 0u);
    }
    return b;
}

void Bitmap::setHasAlpha(bool on)
{
    if (mono_ || isNull() || alpha_ == on)
        return;
    alpha_ = on;
    if (!on) {
        for (std::uint32_t& v : color_)
            v |= 0xFF000000u;
    }
}

Bitmap Bitmap::Mono(int width, int height)
{
    Bitmap b;
    if (width <= 0 || height <= 0)
        return b;
    b.width_ = width;
    b.height_ = height;
    b.mono_ = true;
    b.mono_bits_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    return b;
}

std::uint32_t Bitmap::rawPixel(int x, int y) const
{
    assert(x >= 0 && y >= 0 && x < width_ && y < height_);
    const std::size_t i = static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
    return mono_ ? mono_bits_[i] : color_[i];
}

void Bitmap::setRawPixel(int x, int y, std::uint32_t v)
{
    assert(x >= 0 && y >= 0 && x < width_ && y < height_);
    const std::size_t i = static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
    if (mono_)
        mono_bits_[i] = static_cast<std::uint8_t>(v & 1u);
    else
        color_[i] = alpha_ ? v : v | 0xFF000000u;
}

COLORREF Bitmap::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return CLR_INVALID;
    const std::uint32_t v = rawPixel(x, y);
    if (mono_)
        return v ? RGB(255, 255, 255) : RGB(0, 0, 0);
    return ColorRefFromPixel(v);
}

void Bitmap::fill(COLORREF c)
{
    if (mono_)
        std::fill(mono_bits_.begin(), mono_bits_.end(), MonoFromColor(c & 0x00FFFFFFu));
    else
        std::fill(color_.begin(), color_.end(), PixelFromColorRef(c & 0x00FFFFFFu));
}

std::uint8_t MonoFromColor(COLORREF c)
{
    const int sum = GetRValue(c) + GetGValue(c) + GetBValue(c);
    // Distance to black is sum, to white 765 - sum; a tie goes to black.
    return sum > 765 - sum ? 1 : 0;
}

namespace raster {

const std::vector<PaletteEntry>& StaticColors()
{
    static const std::vector<PaletteEntry> colors = [] {
        const std::uint32_t rgb[20] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080,
                                       0xC0C0C0, 0xC0DCC0, 0xA6CAF0, 0xFFFBF0, 0xA0A0A4, 0x808080, 0xFF0000,
                                       0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
        std::vector<PaletteEntry> v;
        for (std::uint32_t c : rgb)
            v.push_back({static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
                         static_cast<std::uint8_t>(c), 0});
        return v;
    }();
    return colors;
}

COLORREF ResolveColor(const DC& dc, COLORREF c)
{
    if ((c >> 24) == 0x01) {
        // An explicit palette index: the DC's palette, else the default one.
        const int index = static_cast<int>(c & 0xFFFF);
        if (dc.palette && dc.palette->size() > 0) {
            return index < dc.palette->size() ? dc.palette->colorRef(index) : dc.palette->colorRef(0);
        }
        const auto& statics = StaticColors();
        const PaletteEntry& e = index < 10                    ? statics[static_cast<std::size_t>(index)]
                                : index >= 246 && index < 256 ? statics[static_cast<std::size_t>(index - 236)]
                                                              : statics[0];
        return RGB(e.red, e.green, e.blue);
    }
    // Plain RGB and palette-relative RGB both name the colour itself on a
    // true-colour screen.
    return c & 0x00FFFFFFu;
}

std::uint32_t DevicePixel(const Bitmap& target, COLORREF rgb, std::uint8_t alpha)
{
    if (target.isMono())
        return MonoFromColor(rgb);
    const std::uint32_t v = PixelFromColorRef(rgb);
    return target.hasAlpha() ? (v & 0x00FFFFFFu) | (static_cast<std::uint32_t>(alpha) << 24) : v;
}

bool PatternTable::build(const DC& dc, const Brush& brush)
{
    const Bitmap& target = *dc.bitmap;
    if (brush.kind == Brush::Kind::Solid) {
        std::fill(std::begin(cells), std::end(cells), DevicePixel(target, ResolveColor(dc, brush.color), brush.alpha));
        solid = true;
        return true;
    }
    if (brush.kind != Brush::Kind::Pattern || brush.pattern.isNull())
        return false;
    solid = false;
    const Bitmap& pattern = brush.pattern;
    const std::uint32_t text = DevicePixel(target, ResolveColor(dc, dc.textColor), brush.alpha);
    const std::uint32_t back = DevicePixel(target, ResolveColor(dc, dc.bkColor), brush.alpha);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const std::uint32_t v = pattern.rawPixel(x % pattern.width(), y % pattern.height());
            std::uint32_t out;
            if (pattern.isMono())
                out = target.isMono() ? v : (v ? back : text);
            else if (target.isMono())
                out = MonoFromColor(ColorRefFromPixel(v));
            else
                out = pattern.hasAlpha() && target.hasAlpha() ? v : v | 0xFF000000u;
            cells[y * 8 + x] = out;
        }
    }
    return true;
}

} // namespace raster

using namespace raster;

// ---------------------------------------------------------------------------
// Ternary raster operations

namespace {

// The result bit for pattern P, source S and destination D is bit
// (P << 2 | S << 1 | D) of the operation index; applied bitwise this works
// on 24-bit colours and on single mono bits alike.
inline std::uint32_t Rop3Generic(std::uint8_t index, std::uint32_t p, std::uint32_t s, std::uint32_t d)
{
    std::uint32_t r = 0;
    for (int i = 0; i < 8; ++i) {
        if ((index >> i) & 1)
            r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
    }
    return r;
}

template <class Fn> void WithRop(std::uint8_t index, Fn&& fn)
{
    switch (index) {
    case 0xCC:
        fn([](std::uint32_t, std::uint32_t s, std::uint32_t) { return s; });
        break;
    case 0xEE:
        fn([](std::uint32_t, std::uint32_t s, std::uint32_t d) { return s | d; });
        break;
    case 0x88:
        fn([](std::uint32_t, std::uint32_t s, std::uint32_t d) { return s & d; });
        break;
    case 0x66:
        fn([](std::uint32_t, std::uint32_t s, std::uint32_t d) { return s ^ d; });
        break;
    case 0x33:
        fn([](std::uint32_t, std::uint32_t s, std::uint32_t) { return ~s; });
        break;
    case 0xF0:
        fn([](std::uint32_t p, std::uint32_t, std::uint32_t) { return p; });
        break;
    case 0x5A:
        fn([](std::uint32_t p, std::uint32_t, std::uint32_t d) { return p ^ d; });
        break;
    case 0x55:
        fn([](std::uint32_t, std::uint32_t, std::uint32_t d) { return ~d; });
        break;
    case 0x00:
        fn([](std::uint32_t, std::uint32_t, std::uint32_t) { return 0u; });
        break;
    case 0xFF:
        fn([](std::uint32_t, std::uint32_t, std::uint32_t) { return 0xFFFFFFFFu; });
        break;
    case 0x22:
        fn([](std::uint32_t, std::uint32_t s, std::uint32_t d) { return ~s & d; });
        break;
    case 0xBB:
        fn([](std::uint32_t, std::uint32_t s, std::uint32_t d) { return ~s | d; });
        break;
    case 0xB8:
        fn([](std::uint32_t p, std::uint32_t s, std::uint32_t d) { return ((p ^ d) & s) ^ p; });
        break;
    case 0xE2:
        fn([](std::uint32_t p, std::uint32_t s, std::uint32_t d) { return ((p ^ d) & s) ^ d; });
        break;
    default:
        fn([index](std::uint32_t p, std::uint32_t s, std::uint32_t d) { return Rop3Generic(index, p, s, d); });
    }
}

inline std::uint8_t RopIndex(std::uint32_t rop)
{
    return static_cast<std::uint8_t>((rop >> 16) & 0xFF);
}
inline bool RopUsesSource(std::uint8_t i)
{
    return ((i >> 2) & 0x33) != (i & 0x33);
}
inline bool RopUsesPattern(std::uint8_t i)
{
    return ((i >> 4) & 0x0F) != (i & 0x0F);
}

// Row source for the raster loop: returns destination-format values for the
// given destination row, or nullptr when the operation has no source.
struct NoSource {
    const std::uint32_t* operator()(int) const { return nullptr; }
};

// Applies an operation to the clipped rectangle `r` of the target, row by row.
template <class SourceRows>
void RasterRect(Bitmap& target, const Rect& r, std::uint8_t index, const PatternTable& pattern, SourceRows&& rows)
{
    const int width = target.width();
    const int n = r.width();
    WithRop(index, [&](auto op) {
        for (int y = r.top; y < r.bottom; ++y) {
            const std::uint32_t* src = rows(y);
            const std::uint32_t* pat = &pattern.cells[(y & 7) * 8];
            const std::size_t rowStart = static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
            if (target.isMono()) {
                std::uint8_t* d = target.monoBits() + rowStart + r.left;
                for (int i = 0; i < n; ++i) {
                    const int x = r.left + i;
                    d[i] = static_cast<std::uint8_t>(op(pat[x & 7], src ? src[i] : 0u, d[i]) & 1u);
                }
            } else if (target.hasAlpha()) {
                std::uint32_t* d = target.colorBits() + rowStart + r.left;
                for (int i = 0; i < n; ++i) {
                    const int x = r.left + i;
                    d[i] = op(pat[x & 7], src ? src[i] : 0u, d[i]);
                }
            } else {
                std::uint32_t* d = target.colorBits() + rowStart + r.left;
                for (int i = 0; i < n; ++i) {
                    const int x = r.left + i;
                    d[i] = 0xFF000000u | (op(pat[x & 7], src ? src[i] : 0u, d[i]) & 0x00FFFFFFu);
                }
            }
        }
    });
}

// Converts source pixels to the destination's format.
struct SourceConverter {
    bool monoToColor = false, colorToMono = false;
    std::uint32_t text = 0, back = 0, colorKey = 0;

    SourceConverter(const DC& dst, const DC& src)
    {
        monoToColor = src.bitmap->isMono() && !dst.bitmap->isMono();
        colorToMono = !src.bitmap->isMono() && dst.bitmap->isMono();
        text = PixelFromColorRef(ResolveColor(dst, dst.textColor));
        back = PixelFromColorRef(ResolveColor(dst, dst.bkColor));
        colorKey = PixelFromColorRef(ResolveColor(src, src.bkColor));
    }

    std::uint32_t operator()(const Bitmap& b, std::size_t i) const
    {
        if (b.isMono()) {
            const std::uint32_t v = b.monoBits()[i];
            return monoToColor ? (v ? back : text) : v;
        }
        const std::uint32_t v = b.colorBits()[i];
        if (colorToMono)
            return (v & 0x00FFFFFFu) == (colorKey & 0x00FFFFFFu) ? 1u : 0u;
        return b.hasAlpha() ? v : v | 0xFF000000u;
    }
};

bool PreparePattern(const DC& dc, std::uint8_t index, PatternTable& pattern)
{
    if (!RopUsesPattern(index)) {
        std::fill(std::begin(pattern.cells), std::end(pattern.cells), 0u);
        return true;
    }
    return pattern.build(dc, dc.brush);
}

// A source rectangle that is part of the destination is copied first, so
// overlapping blits read the original pixels.
const Bitmap* StableSource(const DC& dst, const DC& src, Bitmap& copy)
{
    if (src.bitmap != dst.bitmap)
        return src.bitmap;
    copy = *src.bitmap;
    return &copy;
}

} // namespace

bool PatBlt(DC& dc, int x, int y, int w, int h, std::uint32_t rop)
{
    if (!dc.bitmap || dc.bitmap->isNull())
        return false;
    if (w < 0) {
        x += w;
        w = -w;
    }
    if (h < 0) {
        y += h;
        h = -h;
    }
    const Rect r = Rect{x, y, x + w, y + h}.intersected(dc.bitmap->rect());
    const std::uint8_t index = RopIndex(rop);
    PatternTable pattern;
    if (!PreparePattern(dc, index, pattern))
        return true; // a null brush paints nothing
    if (r.empty())
        return true;
    if (index == 0xF0 && pattern.solid) {
        FillSolid(*dc.bitmap, r, pattern.cells[0]);
        return true;
    }
    RasterRect(*dc.bitmap, r, index, pattern, NoSource{});
    return true;
}

bool BitBlt(DC& dst, int x, int y, int w, int h, const DC& src, int sx, int sy, std::uint32_t rop)
{
    const std::uint8_t index = RopIndex(rop);
    if (!RopUsesSource(index))
        return PatBlt(dst, x, y, w, h, rop);
    if (!dst.bitmap || dst.bitmap->isNull() || !src.bitmap || src.bitmap->isNull() || w < 0 || h < 0)
        return false;
    // Clip to the destination and to the source moved onto the destination.
    Rect r = Rect{x, y, x + w, y + h}.intersected(dst.bitmap->rect());
    const Rect srcOnDst{src.bitmap->rect().left - sx + x, -sy + y, src.bitmap->width() - sx + x,
                        src.bitmap->height() - sy + y};
    r = r.intersected(srcOnDst);
    PatternTable pattern;
    if (!PreparePattern(dst, index, pattern))
        return true;
    if (r.empty())
        return true;
    Bitmap copy;
    const Bitmap* source = StableSource(dst, src, copy);
    const int dx = sx - x, dy = sy - y;
    const int n = r.width();
    const bool sameKind = source->isMono() == dst.bitmap->isMono();
    // A plain copy, unless an alpha source would leave its alpha in a bitmap
    // that has none.
    if (index == 0xCC && sameKind && (source->isMono() || !source->hasAlpha() || dst.bitmap->hasAlpha())) {
        for (int row = r.top; row < r.bottom; ++row) {
            const std::size_t s = static_cast<std::size_t>(row + dy) * static_cast<std::size_t>(source->width()) +
                                  static_cast<std::size_t>(r.left + dx);
            const std::size_t d = static_cast<std::size_t>(row) * static_cast<std::size_t>(dst.bitmap->width()) +
                                  static_cast<std::size_t>(r.left);
            if (source->isMono())
                std::memcpy(dst.bitmap->monoBits() + d, source->monoBits() + s, static_cast<std::size_t>(n));
            else
                std::memcpy(dst.bitmap->colorBits() + d, source->colorBits() + s, static_cast<std::size_t>(n) * 4);
        }
        return true;
    }
    const SourceConverter convert(dst, src);
    std::vector<std::uint32_t> buffer(static_cast<std::size_t>(n));
    const bool direct = sameKind && !source->isMono();
    RasterRect(*dst.bitmap, r, index, pattern, [&](int row) -> const std::uint32_t* {
        const std::size_t s = static_cast<std::size_t>(row + dy) * static_cast<std::size_t>(source->width()) +
                              static_cast<std::size_t>(r.left + dx);
        if (direct)
            return source->colorBits() + s;
        for (int i = 0; i < n; ++i)
            buffer[static_cast<std::size_t>(i)] = convert(*source, s + static_cast<std::size_t>(i));
        return buffer.data();
    });
    return true;
}

bool StretchBlt(DC& dst, int x, int y, int w, int h, const DC& src, int sx, int sy, int sw, int sh, std::uint32_t rop)
{
    if (w == sw && h == sh)
        return BitBlt(dst, x, y, w, h, src, sx, sy, rop);
    const std::uint8_t index = RopIndex(rop);
    if (!dst.bitmap || dst.bitmap->isNull() || !src.bitmap || src.bitmap->isNull())
        return false;
    if (w < 0 || h < 0 || sw <= 0 || sh <= 0)
        return false;
    Rect r = Rect{x, y, x + w, y + h}.intersected(dst.bitmap->rect());
    if (r.empty())
        return true;
    PatternTable pattern;
    if (!PreparePattern(dst, index, pattern))
        return true;
    Bitmap copy;
    const Bitmap* source = StableSource(dst, src, copy);
    // Nearest sampling: destination offset d reads source offset d * s / size.
    // Destination pixels whose sample falls outside the source are clipped;
    // the mapping is monotonic, so the valid ones form one interval.
    auto sample = [](int d, int size, int ssize, int origin) {
        return origin + static_cast<int>((static_cast<std::int64_t>(d) * ssize) / size);
    };
    std::vector<int> columns;
    int left = r.right, right = r.left;
    for (int dxp = r.left; dxp < r.right; ++dxp) {
        const int c = sample(dxp - x, w, sw, sx);
        if (c >= 0 && c < source->width()) {
            left = std::min(left, dxp);
            right = std::max(right, dxp + 1);
        }
    }
    int top = r.bottom, bottom = r.top;
    for (int dyp = r.top; dyp < r.bottom; ++dyp) {
        const int c = sample(dyp - y, h, sh, sy);
        if (c >= 0 && c < source->height()) {
            top = std::min(top, dyp);
            bottom = std::max(bottom, dyp + 1);
        }
    }
    r = Rect{left, top, right, bottom};
    if (r.empty())
        return true;
    for (int dxp = r.left; dxp < r.right; ++dxp)
        columns.push_back(sample(dxp - x, w, sw, sx));
    const SourceConverter convert(dst, src);
    std::vector<std::uint32_t> buffer(columns.size());
    RasterRect(*dst.bitmap, r, index, pattern, [&](int row) -> const std::uint32_t* {
        if (!RopUsesSource(index))
            return nullptr;
        const std::size_t base =
            static_cast<std::size_t>(sample(row - y, h, sh, sy)) * static_cast<std::size_t>(source->width());
        for (std::size_t i = 0; i < columns.size(); ++i)
            buffer[i] = convert(*source, base + static_cast<std::size_t>(columns[i]));
        return buffer.data();
    });
    return true;
}

void FillRect(DC& dc, const Rect& r, const Brush& brush)
{
    if (!dc.bitmap || dc.bitmap->isNull())
        return;
    const Rect clipped = r.intersected(dc.bitmap->rect());
    PatternTable pattern;
    if (clipped.empty() || !pattern.build(dc, brush))
        return;
    if (pattern.solid)
        FillSolid(*dc.bitmap, clipped, pattern.cells[0]);
    else
        RasterRect(*dc.bitmap, clipped, 0xF0, pattern, NoSource{});
}

namespace raster {

void FillSolid(Bitmap& target, const Rect& r, std::uint32_t value)
{
    const std::size_t width = static_cast<std::size_t>(target.width());
    for (int y = r.top; y < r.bottom; ++y) {
        const std::size_t start = static_cast<std::size_t>(y) * width + static_cast<std::size_t>(r.left);
        if (target.isMono())
            std::memset(target.monoBits() + start, static_cast<int>(value & 1u), static_cast<std::size_t>(r.width()));
        else
            std::fill_n(target.colorBits() + start, r.width(), value);
    }
}

void BrushSpan(Bitmap& target, const PatternTable& pattern, int y, int x0, int x1)
{
    if (y < 0 || y >= target.height())
        return;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, target.width());
    if (x0 >= x1)
        return;
    if (pattern.solid) {
        FillSolid(target, Rect{x0, y, x1, y + 1}, pattern.cells[0]);
        return;
    }
    const std::uint32_t* pat = &pattern.cells[(y & 7) * 8];
    const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(target.width());
    for (int x = x0; x < x1; ++x) {
        if (target.isMono())
            target.monoBits()[row + static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(pat[x & 7] & 1u);
        else
            target.colorBits()[row + static_cast<std::size_t>(x)] =
                target.hasAlpha() ? pat[x & 7] : pat[x & 7] | 0xFF000000u;
    }
}

} // namespace raster

// ---------------------------------------------------------------------------
// Pixels

COLORREF SetPixel(DC& dc, int x, int y, COLORREF c)
{
    if (!dc.bitmap || !dc.bitmap->rect().contains(x, y))
        return CLR_INVALID;
    const COLORREF rgb = ResolveColor(dc, c);
    const std::uint32_t v = DevicePixel(*dc.bitmap, rgb);
    dc.bitmap->setRawPixel(x, y, v);
    return dc.bitmap->pixel(x, y);
}

COLORREF SetPixelAlpha(DC& dc, int x, int y, COLORREF c, std::uint8_t alpha)
{
    if (!dc.bitmap || !dc.bitmap->rect().contains(x, y))
        return CLR_INVALID;
    dc.bitmap->setRawPixel(x, y, DevicePixel(*dc.bitmap, ResolveColor(dc, c), alpha));
    return dc.bitmap->pixel(x, y);
}

COLORREF GetPixel(const DC& dc, int x, int y)
{
    if (!dc.bitmap)
        return CLR_INVALID;
    return dc.bitmap->pixel(x, y);
}

} // namespace kavrel
