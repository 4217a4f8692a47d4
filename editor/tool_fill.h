// Filling through a stencil: the shape a tool drew in black on a monochrome
// stencil is painted into a format's colour bitmap in the view's fill mode
// (solid, or a gradient between the pressed and the other colour) and into
// its mask, always solid. Only the pixels inside the given area are visited,
// so a stroke costs what it touches, never the whole image.
#pragma once

#include <array>
#include <cstdint>

#include "model/palettes.h"
#include "platform/gdi.h"

namespace kavrel {

enum FillMode : int { kFillSolid = 0, kFillVertical = 1, kFillHorizontal = 2, kFillRadial = 3 };

// The rows and columns a gradient runs over, all four edges inclusive.
struct GradientSpan {
    int left = 0, top = 0, right = 0, bottom = 0;
    static GradientSpan Of(const Rect& r) { return {r.left, r.top, r.right - 1, r.bottom - 1}; }
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
    bool operator==(const GradientSpan&) const = default;
};

struct FillSpec {
    ColorValue pressed = 0;               // the colour of the button pressed
    ColorValue other = COLOR_TRANSPARENT; // the other button's colour
    int button = 0;                       // 0 left, 1 right
    int fillMode = kFillSolid;
    GradientSpan span;
    int bitDepth = 24;
    const Palette* palette = nullptr;
    bool ownPalette = false;
    // The alphas of the two colours; only a 32-bit format uses them.
    std::uint8_t pressedAlpha = 255, otherAlpha = 255;
};

// Channel by channel from a (i = 0) to b (i = n - 1), truncating; a when n <= 1.
COLORREF InterpolateColor(int i, COLORREF a, COLORREF b, int n);
// The palette entry of step i between entries lo and hi (lo <= hi): lowest
// first after a left press, from the top after a right press.
int PaletteGradientIndex(int i, int lo, int hi, int n, int button);

// A solid fill paints the pressed colour: the solid mode, or a gradient that
// has a pseudo-colour at either end. In a 32-bit format Transparent is an
// ordinary end (black with alpha 0), so gradients run into it.
bool IsSolidFill(const FillSpec& spec);
// The number of rows, columns or rings of the gradient (at least 1).
int GradientSteps(const FillSpec& spec);
// The colour value of step i: an RGB colour, or a palette entry when both
// colours are entries of a format with its own palette.
ColorValue GradientColor(const FillSpec& spec, int i);
// The alpha of step i, from the pressed to the other colour's alpha as the
// colours go (255 outside 32-bit formats).
std::uint8_t GradientAlpha(const FillSpec& spec, int i);
// The step a pixel takes (clamped into the span).
int GradientStepAt(const FillSpec& spec, int x, int y);

// Paints every pixel of `area` that is black on the stencil. In an alpha
// bitmap the pixels take the colour and alpha (replaced, not blended) and the
// mask follows: 1 exactly where the alpha is 0.
void FillThroughStencil(Bitmap& color, Bitmap& mask, const Bitmap& stencil, const Rect& area, const FillSpec& spec);

// Raster helpers for working copies and the stencil.
void CopyBitmapRect(Bitmap& target, const Bitmap& source, const Rect& rect);
void WhitenRect(Bitmap& stencil, const Rect& rect);
// The raw values (0xFFRRGGBB, 0xAARRGGBB for an alpha target, or 0/1 for a
// monochrome target) a brush gives at the 64 positions of its 8x8 cell,
// y * 8 + x.
std::array<std::uint32_t, 64> BrushCells(const Brush& brush, bool monoTarget, bool alphaTarget = false);

} // namespace kavrel
