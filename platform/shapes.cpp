// Lines, rectangles, ellipses and the flood fill.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/gdi.h"
#include "platform/raster_internal.h"

namespace kavrel {

using namespace raster;

namespace {

// The DDA line: one point per step along the major axis, the minor offset
// rounded to the nearest pixel with exact halves going towards the start, so
// the eight octants are mirror images of each other.
template <class Visit> void ForEachLinePoint(int x1, int y1, int x2, int y2, Visit&& visit)
{
    const std::int64_t dx = static_cast<std::int64_t>(x2) - x1;
    const std::int64_t dy = static_cast<std::int64_t>(y2) - y1;
    const std::int64_t adx = std::llabs(dx), ady = std::llabs(dy);
    const int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    const std::int64_t major = std::max(adx, ady), minor = std::min(adx, ady);
    if (major == 0)
        return;
    for (std::int64_t i = 0; i < major; ++i) {
        const std::int64_t offset = (2 * i * minor + major - 1) / (2 * major);
        if (adx >= ady)
            visit(static_cast<int>(x1 + sx * i), static_cast<int>(y1 + sy * offset));
        else
            visit(static_cast<int>(x1 + sx * offset), static_cast<int>(y1 + sy * i));
    }
}

// The inscribed ellipse in doubled coordinates about its centre: column x of
// a W-wide rectangle is u = 2x - (W - 1), so both odd and even sizes are
// exact and the shape is built from one quadrant, mirrored both ways.
struct EllipseShape {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<std::vector<int>> rows;   // per row, the outline columns (relative to left), ascending
    std::vector<int> spanLeft, spanRight; // per row, the filled columns [spanLeft, spanRight)

    EllipseShape(int l, int t, int r, int b)
    {
        const Rect n = Rect{l, t, r, b}.normalized();
        left = n.left;
        top = n.top;
        width = n.width();
        height = n.height();
        // Beyond any bitmap this layer handles; nothing sensible to draw.
        if (width <= 0 || height <= 0 || width > (1 << 16) || height > (1 << 16)) {
            width = height = 0;
            return;
        }
        const int A = width - 1, B = height - 1;
        std::vector<std::vector<int>> quadrant(static_cast<std::size_t>(height)); // |u| per row index
        auto nearest = [](double c, int parity) {
            const int u = parity + 2 * static_cast<int>(std::ceil((c - parity) / 2.0 - 0.5));
            return std::abs(u);
        };
        auto rowOf = [&](int v) { return (v + B) / 2; };
        // Rows: the column nearest to the curve.
        for (int v = B & 1; v <= B; v += 2) {
            const double c = B == 0 ? A : A * std::sqrt(std::max(0.0, 1.0 - (double(v) / B) * (double(v) / B)));
            quadrant[static_cast<std::size_t>(rowOf(v))].push_back(std::min(nearest(c, A & 1), A));
        }
        // Columns: the row nearest to the curve, which closes the flat parts.
        for (int u = A & 1; u <= A; u += 2) {
            const double c = A == 0 ? B : B * std::sqrt(std::max(0.0, 1.0 - (double(u) / A) * (double(u) / A)));
            const int v = std::min(nearest(c, B & 1), B);
            quadrant[static_cast<std::size_t>(rowOf(v))].push_back(u);
        }
        rows.resize(static_cast<std::size_t>(height));
        spanLeft.assign(static_cast<std::size_t>(height), 0);
        spanRight.assign(static_cast<std::size_t>(height), 0);
        for (int y = 0; y < height; ++y) {
            const int v = std::abs(2 * y - B);
            const std::vector<int>& us = quadrant[static_cast<std::size_t>(rowOf(v))];
            std::vector<int>& out = rows[static_cast<std::size_t>(y)];
            int extent = -1;
            for (int u : us) {
                out.push_back((A - u) / 2);
                out.push_back((A + u) / 2);
                extent = std::max(extent, u);
            }
            std::sort(out.begin(), out.end());
            out.erase(std::unique(out.begin(), out.end()), out.end());
            if (extent >= 0) {
                spanLeft[static_cast<std::size_t>(y)] = (A - extent) / 2;
                spanRight[static_cast<std::size_t>(y)] = (A + extent) / 2 + 1;
            }
        }
    }
};

// The pixels a pen of the given width covers around a point: a disc of that
// diameter, as spans relative to the point.
struct PenFootprint {
    struct Span {
        int dy, dx0, dx1;
    };
    std::vector<Span> spans;

    explicit PenFootprint(int width)
    {
        const int half = width / 2;
        EllipseShape disc(-half, -half, width - half, width - half);
        for (int y = 0; y < disc.height; ++y) {
            spans.push_back({y - half, disc.spanLeft[static_cast<std::size_t>(y)] - half,
                             disc.spanRight[static_cast<std::size_t>(y)] - half});
        }
    }
};

// Draws pen points: single pixels for width 1, footprints for wider pens.
class PenPainter {
  public:
    explicit PenPainter(DC& dc) : target_(*dc.bitmap), footprint_(std::max(dc.pen.width, 1))
    {
        std::fill(std::begin(table_.cells), std::end(table_.cells),
                  DevicePixel(target_, ResolveColor(dc, dc.pen.color), dc.pen.alpha));
        table_.solid = true;
        wide_ = dc.pen.width > 1;
    }

    void point(int x, int y)
    {
        if (!wide_) {
            if (target_.rect().contains(x, y))
                target_.setRawPixel(x, y, table_.cells[0]);
            return;
        }
        for (const auto& s : footprint_.spans)
            BrushSpan(target_, table_, y + s.dy, x + s.dx0, x + s.dx1);
    }

  private:
    Bitmap& target_;
    PatternTable table_;
    PenFootprint footprint_;
    bool wide_ = false;
};

bool CanDraw(const DC& dc)
{
    return dc.bitmap && !dc.bitmap->isNull();
}
bool HasPen(const DC& dc)
{
    return dc.pen.style != Pen::Style::Null && dc.pen.width > 0;
}

} // namespace

void LineDDA(int x1, int y1, int x2, int y2, const std::function<void(int, int)>& visit)
{
    ForEachLinePoint(x1, y1, x2, y2, [&](int x, int y) { visit(x, y); });
}

void LineTo(DC& dc, int x1, int y1, int x2, int y2)
{
    if (!CanDraw(dc) || !HasPen(dc))
        return;
    PenPainter pen(dc);
    ForEachLinePoint(x1, y1, x2, y2, [&](int x, int y) { pen.point(x, y); });
}

void Rectangle(DC& dc, int left, int top, int right, int bottom)
{
    if (!CanDraw(dc))
        return;
    const Rect r = Rect{left, top, right, bottom}.normalized();
    if (r.empty())
        return;
    Bitmap& target = *dc.bitmap;
    const int pen = HasPen(dc) ? dc.pen.width : 0;
    PatternTable brush;
    const Rect inner{r.left + pen, r.top + pen, r.right - pen, r.bottom - pen};
    if (!inner.empty() && brush.build(dc, dc.brush)) {
        const Rect clipped = inner.intersected(target.rect());
        for (int y = clipped.top; y < clipped.bottom; ++y)
            BrushSpan(target, brush, y, clipped.left, clipped.right);
    }
    if (pen == 0)
        return;
    // The frame lies inside the rectangle, pen width thick.
    const std::uint32_t value = DevicePixel(target, ResolveColor(dc, dc.pen.color), dc.pen.alpha);
    const Rect bands[4] = {
        {r.left, r.top, r.right, std::min(r.top + pen, r.bottom)},
        {r.left, std::max(r.bottom - pen, r.top), r.right, r.bottom},
        {r.left, r.top, std::min(r.left + pen, r.right), r.bottom},
        {std::max(r.right - pen, r.left), r.top, r.right, r.bottom},
    };
    for (const Rect& band : bands) {
        const Rect clipped = band.intersected(target.rect());
        if (!clipped.empty())
            FillSolid(target, clipped, value);
    }
}

void EllipseOutline(int left, int top, int right, int bottom, const std::function<void(int, int)>& visit)
{
    const EllipseShape shape(left, top, right, bottom);
    for (int y = 0; y < shape.height; ++y) {
        for (int x : shape.rows[static_cast<std::size_t>(y)])
            visit(shape.left + x, shape.top + y);
    }
}

void EllipseSpans(int left, int top, int right, int bottom, const std::function<void(int, int, int)>& span)
{
    const EllipseShape shape(left, top, right, bottom);
    for (int y = 0; y < shape.height; ++y) {
        const std::size_t i = static_cast<std::size_t>(y);
        if (shape.spanRight[i] > shape.spanLeft[i])
            span(shape.top + y, shape.left + shape.spanLeft[i], shape.left + shape.spanRight[i]);
    }
}

void Ellipse(DC& dc, int left, int top, int right, int bottom)
{
    if (!CanDraw(dc))
        return;
    const EllipseShape shape(left, top, right, bottom);
    Bitmap& target = *dc.bitmap;
    PatternTable brush;
    if (brush.build(dc, dc.brush)) {
        for (int y = 0; y < shape.height; ++y) {
            const std::size_t i = static_cast<std::size_t>(y);
            BrushSpan(target, brush, shape.top + y, shape.left + shape.spanLeft[i], shape.left + shape.spanRight[i]);
        }
    }
    if (!HasPen(dc))
        return;
    PenPainter pen(dc);
    for (int y = 0; y < shape.height; ++y) {
        for (int x : shape.rows[static_cast<std::size_t>(y)])
            pen.point(shape.left + x, shape.top + y);
    }
}

bool ExtFloodFill(DC& dc, int x, int y, COLORREF surface, std::uint8_t surfaceAlpha)
{
    if (!CanDraw(dc) || !dc.bitmap->rect().contains(x, y))
        return false;
    Bitmap& target = *dc.bitmap;
    const std::uint32_t want = DevicePixel(target, ResolveColor(dc, surface), surfaceAlpha);
    if (target.rawPixel(x, y) != want)
        return false;
    const int width = target.width(), height = target.height();
    const std::size_t stride = static_cast<std::size_t>(width);
    auto matches = [&](std::size_t i) {
        return target.isMono() ? target.monoBits()[i] == want : target.colorBits()[i] == want;
    };
    // The region is found first on the original pixels, then painted, so a
    // brush of the surface colour (or a pattern holding it) cannot loop.
    std::vector<std::uint8_t> seen(stride * static_cast<std::size_t>(height), 0);
    struct Span {
        int y, x0, x1;
    };
    std::vector<Span> region;
    std::vector<std::pair<int, int>> stack{{x, y}};
    while (!stack.empty()) {
        const auto [sx, sy] = stack.back();
        stack.pop_back();
        const std::size_t row = static_cast<std::size_t>(sy) * stride;
        if (seen[row + static_cast<std::size_t>(sx)] || !matches(row + static_cast<std::size_t>(sx)))
            continue;
        int x0 = sx, x1 = sx + 1;
        while (x0 > 0 && !seen[row + static_cast<std::size_t>(x0 - 1)] &&
               matches(row + static_cast<std::size_t>(x0 - 1)))
            --x0;
        while (x1 < width && !seen[row + static_cast<std::size_t>(x1)] && matches(row + static_cast<std::size_t>(x1)))
            ++x1;
        std::fill(seen.begin() + static_cast<std::ptrdiff_t>(row) + x0,
                  seen.begin() + static_cast<std::ptrdiff_t>(row) + x1, std::uint8_t{1});
        region.push_back({sy, x0, x1});
        for (int ny : {sy - 1, sy + 1}) {
            if (ny < 0 || ny >= height)
                continue;
            const std::size_t nrow = static_cast<std::size_t>(ny) * stride;
            bool inRun = false;
            for (int nx = x0; nx < x1; ++nx) {
                const std::size_t i = nrow + static_cast<std::size_t>(nx);
                const bool open = !seen[i] && matches(i);
                if (open && !inRun)
                    stack.emplace_back(nx, ny);
                inRun = open;
            }
        }
    }
    PatternTable brush;
    if (brush.build(dc, dc.brush)) {
        for (const Span& s : region)
            BrushSpan(target, brush, s.y, s.x0, s.x1);
    }
    return true;
}

} // namespace kavrel
