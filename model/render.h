// An icon format drawn the way thumbnails draw it, at actual size.
#pragma once

#include "model/icon_model.h"
#include "platform/gdi.h"

namespace kavrel {

// The image composited onto a background colour: the mask ANDed onto it, then
// the colour bits XORed, so transparent pixels show the background and
// inverted ones invert it. 32-bit and PNG images are flattened first (alpha
// below 128 is transparent). A null bitmap when the image cannot be decoded.
Bitmap RenderComposite(const CIcon& icon, COLORREF background);

}  // namespace kavrel
