#include "editor/view_render.h"

#include <algorithm>
#include <vector>

#include "editor/view_patterns.h"
#include "model/render.h"

namespace kavrel {

namespace {

constexpr std::uint32_t kGridLight = 0xFFC0C0C0u;

void FillClipped(Bitmap& frame, Rect r, std::uint32_t pixel)
{
    r = r.intersected(frame.rect());
    if (r.empty())
        return;
    std::uint32_t* bits = frame.colorBits();
    for (int y = r.top; y < r.bottom; ++y)
        std::fill(bits + static_cast<std::size_t>(y) * frame.width() + r.left,
                  bits + static_cast<std::size_t>(y) * frame.width() + r.right, pixel);
}

void PutClipped(Bitmap& frame, int x, int y, std::uint32_t pixel)
{
    if (x >= 0 && y >= 0 && x < frame.width() && y < frame.height())
        frame.colorBits()[static_cast<std::size_t>(y) * frame.width() + x] = pixel;
}

// A one-pixel frame: first colour on the top and left edges, second on the
// bottom and right ones (which take the corners they share).
void Edge(Bitmap& frame, const Rect& r, COLORREF topLeft, COLORREF bottomRight)
{
    const std::uint32_t a = PixelFromColorRef(topLeft), b = PixelFromColorRef(bottomRight);
    FillClipped(frame, {r.left, r.top, r.right - 1, r.top + 1}, a);
    FillClipped(frame, {r.left, r.top, r.left + 1, r.bottom - 1}, a);
    FillClipped(frame, {r.left, r.bottom - 1, r.right, r.bottom}, b);
    FillClipped(frame, {r.right - 1, r.top, r.right, r.bottom}, b);
}

int FloorDiv(int a, int b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

} // namespace

void RenderViewBackground(Bitmap& frame, const ViewGeometry& g, COLORREF background, bool shade)
{
    const std::uint32_t bg = PixelFromColorRef(background);
    const Rect img = g.EnlargedClientRect();
    // Everything outside the two frames; the frames are painted afterwards.
    const Rect keep{img.left - 2, img.top - 2, img.right + 2, img.bottom + 2};
    const int w = frame.width(), h = frame.height();
    FillClipped(frame, {0, 0, w, keep.top}, bg);
    FillClipped(frame, {0, keep.top, keep.left, keep.bottom}, bg);
    FillClipped(frame, {keep.right, keep.top, w, keep.bottom}, bg);
    FillClipped(frame, {0, keep.bottom, w, h}, bg);
    if (!shade)
        return;
    const int t = std::max(2, (g.zoom + 1) / 2);
    const COLORREF dark = RGB(GetRValue(background) / 2, GetGValue(background) / 2, GetBValue(background) / 2);
    const std::uint32_t d = PixelFromColorRef(dark);
    // The edges of the image rectangle (origin to origin + size x zoom).
    const int left = img.left, top = img.top, right = img.right - 1, bottom = img.bottom - 1;
    FillClipped(frame, {right + 3, top + t, right + t + 3, bottom + 3}, d);
    FillClipped(frame, {left + t, bottom + 3, right + t + 3, bottom + t + 3}, d);
}

void RenderViewFrames(Bitmap& frame, const ViewGeometry& g)
{
    const Rect img = g.EnlargedClientRect();
    Edge(frame, {img.left - 1, img.top - 1, img.right + 1, img.bottom + 1}, RGB(0xDF, 0xDF, 0xDF),
         RGB(0x80, 0x80, 0x80));
    Edge(frame, {img.left - 2, img.top - 2, img.right + 2, img.bottom + 2}, RGB(255, 255, 255), RGB(0, 0, 0));
}

Rect ImageRectFromClientRect(const ViewGeometry& g, const Rect& client)
{
    const int ex0 = client.left + g.scrollX - g.originX, ey0 = client.top + g.scrollY - g.originY;
    const int ex1 = client.right + g.scrollX - g.originX, ey1 = client.bottom + g.scrollY - g.originY;
    Rect r{FloorDiv(ex0, g.zoom), FloorDiv(ey0, g.zoom), FloorDiv(ex1 - 1, g.zoom) + 1, FloorDiv(ey1 - 1, g.zoom) + 1};
    return r.intersected({0, 0, g.imageWidth, g.imageHeight});
}

Rect RenderViewRegion(Bitmap& frame, const ViewGeometry& g, const Bitmap& color, const Bitmap& mask,
                      const Rect& imageRegion, const ViewRenderOptions& options)
{
    const int z = std::max(1, g.zoom);
    const int W = g.imageWidth, H = g.imageHeight;
    Rect region = imageRegion.intersected({0, 0, W, H});
    if (region.empty() || color.isNull() || mask.isNull() || color.width() < W || color.height() < H ||
        mask.width() < W || mask.height() < H)
        return {};
    // The region in enlarged coordinates, its far grid line included, then the
    // part of it the client area shows.
    const int dx = g.originX - g.scrollX, dy = g.originY - g.scrollY; // client position of enlarged (0, 0)
    Rect enlarged{region.left * z, region.top * z, region.right * z + 1, region.bottom * z + 1};
    Rect visible = Rect{enlarged.left + dx, enlarged.top + dy, enlarged.right + dx, enlarged.bottom + dy}.intersected(
        frame.rect());
    if (visible.empty())
        return {};
    const bool grid = options.grid && z > 3;
    const int fullW = W * z, fullH = H * z;

    // Per column: the image column (or -1 on the closing line), the pattern
    // column and whether a grid line runs there; likewise per row.
    const int cols = visible.width();
    std::vector<int> colImage(static_cast<std::size_t>(cols)), colPat(static_cast<std::size_t>(cols));
    std::vector<char> colLine(static_cast<std::size_t>(cols));
    for (int i = 0; i < cols; ++i) {
        const int ex = visible.left + i - dx;
        colImage[i] = ex < fullW ? ex / z : -1;
        colPat[i] = ex & 7;
        colLine[i] = grid ? (ex % z == 0) : (ex == fullW);
    }
    const Bitmap* pattern = options.transparentPattern;
    const std::uint32_t* gridBits = GridPattern().colorBits();
    std::uint32_t gridRow[8];

    std::uint32_t* out = frame.colorBits();
    const std::uint32_t* cbits = color.colorBits();
    const std::uint8_t* mbits = mask.monoBits();
    // 32-bit formats are blended over the pattern with their alpha.
    const bool alpha = color.hasAlpha();
    for (int y = visible.top; y < visible.bottom; ++y) {
        const int ey = y - dy;
        const int row = ey < fullH ? ey / z : -1;
        const bool rowLine = grid ? (ey % z == 0) : (ey == fullH);
        std::uint32_t patRow[8];
        for (int k = 0; k < 8; ++k) {
            patRow[k] = pattern ? pattern->colorBits()[(ey & 7) * 8 + k] : 0xFFFFFFFFu;
            gridRow[k] = gridBits[(ey & 7) * 8 + k];
        }
        std::uint32_t* o = out + static_cast<std::size_t>(y) * frame.width() + visible.left;
        for (int i = 0; i < cols; ++i) {
            std::uint32_t v;
            if (rowLine || colLine[i]) {
                v = grid ? gridRow[colPat[i]] : kGridLight;
            } else {
                const std::size_t p = static_cast<std::size_t>(row) * color.width() + colImage[i];
                const std::size_t mp = static_cast<std::size_t>(row) * mask.width() + colImage[i];
                if (alpha) {
                    v = BlendOver(cbits[p], patRow[colPat[i]] & 0x00FFFFFFu);
                } else {
                    const std::uint32_t under = mbits[mp] ? patRow[colPat[i]] : 0xFF000000u;
                    v = 0xFF000000u | ((under ^ cbits[p]) & 0x00FFFFFFu);
                }
            }
            o[i] = v;
        }
    }

    // The selection's dotted frame, (left x zoom, top x zoom) to
    // ((right + 1) x zoom + 1, (bottom + 1) x zoom + 1), exclusive.
    if (options.selection && options.selection->left >= 0) {
        const Rect& s = *options.selection;
        const int x0 = s.left * z + dx, y0 = s.top * z + dy;
        const int x1 = (s.right + 1) * z + 1 + dx - 1, y1 = (s.bottom + 1) * z + 1 + dy - 1;
        auto dot = [&](int x, int y) {
            if (visible.contains(x, y) && ((x - x0 + y - y0) % 2 == 0))
                PutClipped(frame, x, y, 0xFF000000u);
        };
        for (int x = x0; x <= x1; ++x) {
            dot(x, y0);
            dot(x, y1);
        }
        for (int y = y0; y <= y1; ++y) {
            dot(x0, y);
            dot(x1, y);
        }
    }
    return visible;
}

} // namespace kavrel

namespace kavrel {

void RenderActualSizePreview(Bitmap& target, const Bitmap* color, const Bitmap* mask, const Bitmap& pattern)
{
    const int W = target.width(), H = target.height();
    if (W < 4 || H < 4)
        return;
    Edge(target, {0, 0, W, H}, RGB(0x80, 0x80, 0x80), RGB(255, 255, 255));
    Edge(target, {1, 1, W - 1, H - 1}, RGB(0, 0, 0), RGB(0xC0, 0xC0, 0xC0));
    const Rect interior{2, 2, W - 2, H - 2};
    std::uint32_t* bits = target.colorBits();
    for (int y = interior.top; y < interior.bottom; ++y)
        for (int x = interior.left; x < interior.right; ++x)
            bits[static_cast<std::size_t>(y) * W + x] = pattern.colorBits()[(y & 7) * 8 + (x & 7)];
    if (!color || !mask || color->isNull() || mask->isNull())
        return;
    const int w = std::min({color->width(), mask->width(), 89, interior.width()});
    const int h = std::min({color->height(), mask->height(), 83, interior.height()});
    const int left = interior.left + (interior.width() - w + 1) / 2;
    const int top = interior.top + (interior.height() - h + 1) / 2;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint32_t& o = bits[static_cast<std::size_t>(top + y) * W + left + x];
            const std::uint32_t c = color->colorBits()[static_cast<std::size_t>(y) * color->width() + x];
            if (color->hasAlpha()) {
                o = BlendOver(c, o & 0x00FFFFFFu);
                continue;
            }
            const std::uint32_t under =
                mask->monoBits()[static_cast<std::size_t>(y) * mask->width() + x] ? o : 0xFF000000u;
            o = 0xFF000000u | ((under ^ c) & 0x00FFFFFFu);
        }
}

} // namespace kavrel
