// Helpers shared by the raster sources of this folder; not for other layers.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gdi.h"

namespace kavrel::raster {

// The 20 static colours of a palette device, in system palette order
// (0-9 then 246-255).
const std::vector<PaletteEntry>& StaticColors();

// A colour reference as the RGB a true-colour screen shows for it.
COLORREF ResolveColor(const DC& dc, COLORREF c);
// The stored value of a colour in the target's kind (0xFFRRGGBB, 0xAARRGGBB
// with the given alpha in an alpha bitmap, or 0/1).
std::uint32_t DevicePixel(const Bitmap& target, COLORREF rgb, std::uint8_t alpha = 255);

// A brush realised for one target: 8x8 values in the target's kind. A colour
// pattern drawn into a monochrome target maps each pixel with MonoFromColor.
struct PatternTable {
    std::uint32_t cells[64] = {};
    bool solid = false;
    // False for a null brush (nothing is painted).
    bool build(const DC& dc, const Brush& brush);
};

void FillSolid(Bitmap& target, const Rect& clipped, std::uint32_t value);
// Paints [x0, x1) of row y with the brush, clipped to the target.
void BrushSpan(Bitmap& target, const PatternTable& pattern, int y, int x0, int x1);

} // namespace kavrel::raster
