#include "model/render.h"

#include <algorithm>
#include <cstring>

#include "model/palettes.h"

namespace kavrel {

void DrawImageInto(const Bitmap& color, const Bitmap& mask, DC& target, int x, int y, int w, int h)
{
    if (color.isNull() || mask.isNull() || w <= 0 || h <= 0)
        return;
    if (color.hasAlpha()) {
        if (!target.bitmap || target.bitmap->isNull() || target.bitmap->isMono())
            return;
        Bitmap& dst = *target.bitmap;
        const Rect r = Rect{x, y, x + w, y + h}.intersected(dst.rect());
        const bool dstAlpha = dst.hasAlpha();
        for (int ty = r.top; ty < r.bottom; ++ty) {
            const int sy = static_cast<int>(static_cast<std::int64_t>(ty - y) * color.height() / h);
            for (int tx = r.left; tx < r.right; ++tx) {
                const int sx = static_cast<int>(static_cast<std::int64_t>(tx - x) * color.width() / w);
                const std::uint32_t under = dst.rawPixel(tx, ty);
                std::uint32_t v = BlendOver(color.rawPixel(sx, sy), under & 0x00FFFFFFu);
                if (dstAlpha)
                    v = (v & 0x00FFFFFFu) | (under & 0xFF000000u);
                dst.setRawPixel(tx, ty, v);
            }
        }
        return;
    }
    // Mask pixels map 0 to black and 1 to white whatever colours the caller
    // left in the target.
    const COLORREF savedText = target.textColor, savedBk = target.bkColor;
    const Palette* savedPalette = target.palette;
    target.textColor = RGB(0, 0, 0);
    target.bkColor = RGB(255, 255, 255);
    target.palette = &StandardPalette();
    // The source DCs are only read from.
    const DC colorDC(const_cast<Bitmap&>(color)), maskDC(const_cast<Bitmap&>(mask));
    if (w == color.width() && h == color.height()) {
        BitBlt(target, x, y, w, h, maskDC, 0, 0, SRCAND);
        BitBlt(target, x, y, w, h, colorDC, 0, 0, SRCINVERT);
    } else {
        StretchBlt(target, x, y, w, h, maskDC, 0, 0, mask.width(), mask.height(), SRCAND);
        StretchBlt(target, x, y, w, h, colorDC, 0, 0, color.width(), color.height(), SRCINVERT);
    }
    target.textColor = savedText;
    target.bkColor = savedBk;
    target.palette = savedPalette;
}

Bitmap RenderComposite(const CIcon& icon, COLORREF background)
{
    Bitmap color, mask;
    if (!icon.Unpack(color, mask) || color.isNull() || mask.width() != color.width() || mask.height() != color.height())
        return {};
    Bitmap out = Bitmap::Color(color.width(), color.height());
    const std::uint32_t bg = PixelFromColorRef(background);
    const std::size_t n = static_cast<std::size_t>(color.width()) * static_cast<std::size_t>(color.height());
    const std::uint32_t* c = color.colorBits();
    const std::uint8_t* m = mask.monoBits();
    std::uint32_t* o = out.colorBits();
    if (color.hasAlpha()) {
        for (std::size_t i = 0; i < n; ++i)
            o[i] = BlendOver(c[i], bg & 0x00FFFFFFu);
        return out;
    }
    for (std::size_t i = 0; i < n; ++i) {
        // SRCAND with a mask bit (1 keeps the background, 0 clears it), then
        // SRCINVERT with the colour pixel.
        std::uint32_t anded = m[i] ? bg : 0xFF000000u;
        o[i] = 0xFF000000u | ((anded ^ c[i]) & 0x00FFFFFFu);
    }
    return out;
}

namespace {

std::uint32_t Load32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

// A 32-bit block: 40-byte header (height doubled), bottom-up BGRA rows, AND mask.
std::optional<PngPixels> Decode32(const std::vector<std::uint8_t>& block)
{
    if (block.size() < 40 || Load32(block.data()) != 40)
        return std::nullopt;
    const std::int64_t width = static_cast<std::int32_t>(Load32(block.data() + 4));
    const std::int64_t height = static_cast<std::int32_t>(Load32(block.data() + 8)) / 2;
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide)
        return std::nullopt;
    const std::uint64_t xorBytes = static_cast<std::uint64_t>(width * height * 4);
    const std::uint64_t andRow = static_cast<std::uint64_t>((width + 31) / 32 * 4);
    if (block.size() < 40 + xorBytes)
        return std::nullopt;
    const bool hasAnd = block.size() >= 40 + xorBytes + andRow * static_cast<std::uint64_t>(height);
    PngPixels out{static_cast<int>(width), static_cast<int>(height), {}};
    out.argb.resize(static_cast<std::size_t>(width * height));
    bool anyAlpha = false;
    for (std::int64_t y = 0; y < height; ++y)
        for (std::int64_t x = 0; x < width; ++x) {
            std::uint32_t px = Load32(block.data() + 40 + static_cast<std::uint64_t>((height - 1 - y) * width + x) * 4);
            out.argb[static_cast<std::size_t>(y * width + x)] = px;
            anyAlpha = anyAlpha || (px >> 24) != 0;
        }
    if (!anyAlpha)
        for (std::int64_t y = 0; y < height; ++y)
            for (std::int64_t x = 0; x < width; ++x) {
                bool transparent = false;
                if (hasAnd) {
                    const std::uint8_t* row =
                        block.data() + 40 + xorBytes + static_cast<std::uint64_t>(height - 1 - y) * andRow;
                    transparent = (row[x >> 3] >> (7 - (x & 7))) & 1;
                }
                std::uint32_t& px = out.argb[static_cast<std::size_t>(y * width + x)];
                px = transparent ? 0 : (px | 0xFF000000u);
            }
    return out;
}

} // namespace

std::optional<PngPixels> RenderWithAlpha(const CIcon& icon)
{
    if (icon.isPng())
        return DecodePng(icon.image);
    if (icon.bitCount() == 32)
        return Decode32(icon.image);
    Bitmap color, mask;
    if (!icon.Unpack(color, mask) || color.isNull() || mask.width() != color.width() || mask.height() != color.height())
        return std::nullopt;
    PngPixels out{color.width(), color.height(), {}};
    const std::size_t n = static_cast<std::size_t>(color.width()) * static_cast<std::size_t>(color.height());
    out.argb.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        std::uint32_t c = color.colorBits()[i] & 0x00FFFFFFu;
        if (mask.monoBits()[i])
            out.argb[i] = c == 0 ? 0u : 0xFF000000u;
        else
            out.argb[i] = 0xFF000000u | c;
    }
    return out;
}

} // namespace kavrel
