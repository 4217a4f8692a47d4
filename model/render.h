// An icon format drawn the way thumbnails draw it, at actual size.
#pragma once

#include <optional>

#include "model/icon_model.h"
#include "model/png_image.h"
#include "platform/gdi.h"

namespace kavrel {

// The image composited onto a background colour: the mask ANDed onto it, then
// the colour bits XORed, so transparent pixels show the background and
// inverted ones invert it. 32-bit and PNG images are flattened first (alpha
// below 128 is transparent). A null bitmap when the image cannot be decoded.
Bitmap RenderComposite(const CIcon& icon, COLORREF background);

// The image with transparency as alpha, top-down 0xAARRGGBB: 32-bit and PNG
// images keep their own alpha (a 32-bit image without any takes its mask);
// classic formats are opaque where the mask is 0, and their inverted pixels
// show black. nullopt when the image cannot be decoded.
std::optional<PngPixels> RenderWithAlpha(const CIcon& icon);

} // namespace kavrel
