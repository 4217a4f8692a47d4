// An icon format drawn the way thumbnails draw it, at actual size.
#pragma once

#include <cstdint>
#include <optional>

#include "model/icon_model.h"
#include "model/png_image.h"
#include "platform/gdi.h"

namespace kavrel {

// A straight-alpha pixel 0xAARRGGBB over an opaque one: each channel is
// (colour x alpha + under x (255 - alpha)) / 255, rounded. Opaque result.
constexpr std::uint32_t BlendOver(std::uint32_t argb, std::uint32_t under)
{
    const std::uint32_t a = argb >> 24;
    if (a == 255)
        return argb;
    if (a == 0)
        return 0xFF000000u | under;
    std::uint32_t out = 0xFF000000u;
    for (int shift = 0; shift <= 16; shift += 8) {
        const std::uint32_t c = (argb >> shift) & 0xFF, u = (under >> shift) & 0xFF;
        out |= ((c * a + u * (255 - a) + 127) / 255) << shift;
    }
    return out;
}

// A colour bitmap drawn into (x, y, w, h) of the target, stretched (nearest
// pixel) when the size differs. An alpha bitmap is blended over what the
// target holds; a plain one with its mask is ANDed and XORed as icons are.
void DrawImageInto(const Bitmap& color, const Bitmap& mask, DC& target, int x, int y, int w, int h);

// The image composited onto a background colour: the mask ANDed onto it, then
// the colour bits XORed, so transparent pixels show the background and
// inverted ones invert it. 32-bit and PNG images are blended over it with
// their alpha. A null bitmap when the image cannot be decoded.
Bitmap RenderComposite(const CIcon& icon, COLORREF background);

// The image with transparency as alpha, top-down 0xAARRGGBB: 32-bit and PNG
// images keep their own alpha (a 32-bit image without any takes its mask);
// classic formats are opaque where the mask is 0, and their inverted pixels
// show black. nullopt when the image cannot be decoded.
std::optional<PngPixels> RenderWithAlpha(const CIcon& icon);

} // namespace kavrel
