// Brush shapes: the pixels each of the twelve shapes covers around a point
// (kept as data, one table of offsets per shape), the box it reports, and the
// pen widths and frame thicknesses the shapes stand for in the ellipse and
// 3D frame tools.
#pragma once

#include <array>
#include <span>

#include "platform/gdi.h"

namespace kavrel {

enum BrushShape : int {
    kBrushFine = 0,
    kBrushSquareMedium = 1,
    kBrushSquareLarge = 2,
    kBrushSquareXLarge = 3,
    kBrushCircleSmall = 4,
    kBrushCircleMedium = 5,
    kBrushCircleLarge = 6,
    kBrushCircleXLarge = 7,
    kBrushObliqueLeft = 8,
    kBrushObliqueRight = 9,
    kBrushDiamondMedium = 10,
    kBrushDiamondLarge = 11,
};

struct PixelOffset {
    int dx = 0, dy = 0;
    bool operator==(const PixelOffset&) const = default;
};

// The footprint of a shape as offsets from the stamped pixel, each once;
// an unknown shape is the single pixel.
std::span<const PixelOffset> BrushFootprint(int shape);
// Half the side of the box a stamp reports: the box is a-h..a+h by b-h..b+h.
int BrushReach(int shape);

// Stamps a shape in black on a monochrome stencil, clipped to the stencil,
// and returns the box it reports (right and bottom exclusive) clipped the
// same way; empty when the point lies wholly outside.
Rect StampBrush(Bitmap& stencil, int column, int row, int shape);

// Outline pen width of the ellipse and thickness of the 3D frame by shape.
int EllipsePenWidth(int shape);
int FrameThickness(int shape);

} // namespace kavrel
