#include "editor/tool_brushes.h"

#include <algorithm>
#include <vector>

namespace kavrel {

namespace {

constexpr std::array<int, 12> kEllipsePens = {1, 3, 5, 7, 2, 4, 6, 8, 4, 4, 4, 6};
constexpr std::array<int, 12> kFrameThickness = {1, 2, 3, 4, 1, 2, 3, 4, 2, 2, 2, 3};
constexpr std::array<int, 12> kReach = {0, 1, 2, 3, 1, 2, 3, 4, 4, 4, 2, 3};

class Footprint {
  public:
    // A block of columns -h..h by rows -v..v.
    Footprint& Block(int h, int v)
    {
        for (int dy = -v; dy <= v; ++dy)
            for (int dx = -h; dx <= h; ++dx)
                Add(dx, dy);
        return *this;
    }
    // A one-pixel diagonal line without its last point.
    Footprint& Line(int x1, int y1, int x2, int y2)
    {
        LineDDA(x1, y1, x2, y2, [this](int x, int y) { Add(x, y); });
        return *this;
    }
    std::vector<PixelOffset> Take() { return std::move(offsets_); }

  private:
    void Add(int dx, int dy)
    {
        const PixelOffset p{dx, dy};
        if (std::find(offsets_.begin(), offsets_.end(), p) == offsets_.end())
            offsets_.push_back(p);
    }
    std::vector<PixelOffset> offsets_;
};

const std::array<std::vector<PixelOffset>, 12>& Footprints()
{
    static const std::array<std::vector<PixelOffset>, 12> table = [] {
        std::array<std::vector<PixelOffset>, 12> t;
        t[kBrushFine] = Footprint().Block(0, 0).Take();
        t[kBrushSquareMedium] = Footprint().Block(1, 1).Take();
        t[kBrushSquareLarge] = Footprint().Block(2, 2).Take();
        t[kBrushSquareXLarge] = Footprint().Block(3, 3).Take();
        t[kBrushCircleSmall] = Footprint().Block(1, 0).Block(0, 1).Take();
        t[kBrushCircleMedium] = Footprint().Block(2, 1).Block(1, 2).Take();
        t[kBrushCircleLarge] = Footprint().Block(3, 1).Block(2, 2).Block(1, 3).Take();
        t[kBrushCircleXLarge] = Footprint().Block(4, 1).Block(3, 3).Block(1, 4).Take();
        t[kBrushObliqueLeft] = Footprint().Line(3, 2, -3, -4).Line(3, 3, -4, -4).Line(2, 3, -4, -3).Take();
        t[kBrushObliqueRight] = Footprint().Line(-3, 2, 3, -4).Line(-3, 3, 4, -4).Line(-2, 3, 4, -3).Take();
        t[kBrushDiamondMedium] = Footprint().Block(2, 0).Block(1, 1).Block(0, 2).Take();
        t[kBrushDiamondLarge] = Footprint().Block(3, 0).Block(2, 1).Block(1, 2).Block(0, 3).Take();
        return t;
    }();
    return table;
}

bool KnownShape(int shape)
{
    return shape >= 0 && shape < 12;
}

} // namespace

std::span<const PixelOffset> BrushFootprint(int shape)
{
    return Footprints()[static_cast<std::size_t>(KnownShape(shape) ? shape : kBrushFine)];
}

int BrushReach(int shape)
{
    return kReach[static_cast<std::size_t>(KnownShape(shape) ? shape : kBrushFine)];
}

int EllipsePenWidth(int shape)
{
    return kEllipsePens[static_cast<std::size_t>(KnownShape(shape) ? shape : kBrushFine)];
}

int FrameThickness(int shape)
{
    return kFrameThickness[static_cast<std::size_t>(KnownShape(shape) ? shape : kBrushFine)];
}

Rect StampBrush(Bitmap& stencil, int column, int row, int shape)
{
    const int w = stencil.width(), h = stencil.height();
    std::uint8_t* bits = stencil.monoBits();
    for (const PixelOffset& p : BrushFootprint(shape)) {
        const int x = column + p.dx, y = row + p.dy;
        if (x >= 0 && y >= 0 && x < w && y < h)
            bits[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)] = 0;
    }
    const int reach = BrushReach(shape);
    return Rect{column - reach, row - reach, column + reach + 1, row + reach + 1}.intersected(stencil.rect());
}

} // namespace kavrel
