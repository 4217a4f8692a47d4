#include "model/render.h"

namespace kavrel {

Bitmap RenderComposite(const CIcon& icon, COLORREF background)
{
    Bitmap color, mask;
    if (!icon.Unpack(color, mask) || color.isNull() || mask.width() != color.width() ||
        mask.height() != color.height())
        return {};
    Bitmap out = Bitmap::Color(color.width(), color.height());
    const std::uint32_t bg = PixelFromColorRef(background);
    const std::size_t n = static_cast<std::size_t>(color.width()) * static_cast<std::size_t>(color.height());
    const std::uint32_t* c = color.colorBits();
    const std::uint8_t* m = mask.monoBits();
    std::uint32_t* o = out.colorBits();
    for (std::size_t i = 0; i < n; ++i) {
        // SRCAND with a mask bit (1 keeps the background, 0 clears it), then
        // SRCINVERT with the colour pixel.
        std::uint32_t anded = m[i] ? bg : 0xFF000000u;
        o[i] = 0xFF000000u | ((anded ^ c[i]) & 0x00FFFFFFu);
    }
    return out;
}

}  // namespace kavrel
