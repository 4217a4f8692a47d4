// The editor's 8x8 patterns: the four pairs that show transparent pixels
// (inverted pixels show the inverse), chosen by MotifTransparent, and the grid.
#pragma once

#include "platform/gdi.h"

namespace kavrel {

// Pattern pair `motif` (0-3, other values read as 0): the first is painted
// under the enlarged image, the second under the actual-size preview, where
// a pattern of larger cells would hide the pixels it should show between.
const Bitmap& ViewTransparentPattern(int motif);
const Bitmap& PreviewTransparentPattern(int motif);

// The grid's pattern: a one-pixel checkerboard of 0x808080 and 0xC0C0C0.
const Bitmap& GridPattern();

} // namespace kavrel
