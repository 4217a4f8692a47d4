#include "editor/transforms.h"

#include <algorithm>
#include <array>
#include <unordered_map>
#include <utility>

#include "model/icon_model.h"
#include "model/palettes.h"

namespace kavrel {

namespace {

// The colours inversion exchanges in formats of 16 colours or fewer, by the top
// four bits of each channel (255 is held as 240). Entry k and 15 - k are
// opposites.
constexpr std::array<COLORREF, 16> kInversionTable = {
    RGB(0, 0, 0),     RGB(128, 0, 0),     RGB(0, 128, 0),     RGB(128, 128, 0),   RGB(0, 0, 128), RGB(128, 0, 128),
    RGB(0, 128, 128), RGB(192, 192, 192), RGB(128, 128, 128), RGB(240, 0, 0),     RGB(0, 240, 0), RGB(240, 240, 0),
    RGB(0, 0, 240),   RGB(240, 0, 240),   RGB(0, 240, 240),   RGB(240, 240, 240),
};

int Full(int channel)
{
    return channel == 240 ? 255 : channel;
}

Rect ClipToImage(const CIconObject& f, const Rect& area)
{
    return area.normalized().intersected(Rect{0, 0, f.width, f.height});
}

bool Usable(const CIconObject& f)
{
    return !f.color.isNull() && !f.mask.isNull() && f.color.width() >= f.width && f.color.height() >= f.height &&
           f.mask.width() >= f.width && f.mask.height() >= f.height;
}

// In an 8-bit format the colour pixels of an area are written as the nearest
// colour of the format's palette. Pixels under a white mask are left as they
// are: their black or white is what makes them transparent or inverted, and a
// palette without pure black or white must not turn them into tinted pixels.
class PaletteSnap {
  public:
    explicit PaletteSnap(const CIconObject& f)
        : active_(f.bitDepth == 8), palette_(f.palette.size() > 0 ? f.palette : StandardPalette())
    {
    }

    void Apply(CIconObject& f, const Rect& area)
    {
        if (!active_)
            return;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (f.mask.rawPixel(x, y) == 0)
                    f.color.setRawPixel(x, y, Nearest(f.color.rawPixel(x, y)));
    }

  private:
    std::uint32_t Nearest(std::uint32_t pixel)
    {
        auto found = cache_.find(pixel);
        if (found != cache_.end())
            return found->second;
        const int index = palette_.nearestIndex(ColorRefFromPixel(pixel));
        const std::uint32_t snapped = index < 0 ? pixel : PixelFromColorRef(palette_.colorRef(index));
        cache_.emplace(pixel, snapped);
        return snapped;
    }

    bool active_;
    const Palette& palette_;
    std::unordered_map<std::uint32_t, std::uint32_t> cache_;
};

} // namespace

void MirrorHorizontal(CIconObject& f, const Rect& area)
{
    if (!Usable(f))
        return;
    const Rect r = ClipToImage(f, area);
    if (r.empty())
        return;
    for (Bitmap* b : {&f.color, &f.mask})
        for (int y = r.top; y < r.bottom; ++y)
            for (int a = r.left, z = r.right - 1; a < z; ++a, --z) {
                const std::uint32_t left = b->rawPixel(a, y);
                b->setRawPixel(a, y, b->rawPixel(z, y));
                b->setRawPixel(z, y, left);
            }
    PaletteSnap(f).Apply(f, r);
}

void MirrorVertical(CIconObject& f, const Rect& area)
{
    if (!Usable(f))
        return;
    const Rect r = ClipToImage(f, area);
    if (r.empty())
        return;
    for (Bitmap* b : {&f.color, &f.mask})
        for (int x = r.left; x < r.right; ++x)
            for (int a = r.top, z = r.bottom - 1; a < z; ++a, --z) {
                const std::uint32_t top = b->rawPixel(x, a);
                b->setRawPixel(x, a, b->rawPixel(x, z));
                b->setRawPixel(x, z, top);
            }
    PaletteSnap(f).Apply(f, r);
}

COLORREF InvertedColor(COLORREF rgb, int bitDepth)
{
    const int r = GetRValue(rgb), g = GetGValue(rgb), b = GetBValue(rgb);
    if (bitDepth > 4)
        return RGB(255 - r, 255 - g, 255 - b);
    const COLORREF key = RGB(r & 0xF0, g & 0xF0, b & 0xF0);
    const auto found = std::find(kInversionTable.begin(), kInversionTable.end(), key);
    if (found == kInversionTable.end())
        return RGB(0, 0, 0);
    const COLORREF opposite = kInversionTable[15 - static_cast<std::size_t>(found - kInversionTable.begin())];
    return RGB(Full(GetRValue(opposite)), Full(GetGValue(opposite)), Full(GetBValue(opposite)));
}

void InvertColors(CIconObject& f, const Rect& area)
{
    if (!Usable(f))
        return;
    const Rect r = ClipToImage(f, area);
    if (r.empty())
        return;
    const bool alpha = f.color.hasAlpha();
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const std::uint32_t v = f.color.rawPixel(x, y);
            // With alpha the colour is inverted and its alpha kept; a
            // transparent pixel stays transparent (there is no inverted one).
            if (alpha && (v >> 24) == 0)
                continue;
            const std::uint32_t inverted = PixelFromColorRef(InvertedColor(ColorRefFromPixel(v), f.bitDepth));
            f.color.setRawPixel(x, y, alpha ? (v & 0xFF000000u) | (inverted & 0x00FFFFFFu) : inverted);
        }
    PaletteSnap(f).Apply(f, r);
}

bool CanRotate(const CIconObject& f)
{
    return f.width == f.height && f.width > 0;
}

bool Rotate90(CIconObject& f)
{
    if (!CanRotate(f) || !Usable(f))
        return false;
    const int n = f.width;
    for (Bitmap* b : {&f.color, &f.mask})
        for (int s = 0; s < n / 2; ++s)
            for (int i = 0; i <= n - 2 * s - 2; ++i) {
                // The four pixels of one step round the ring, each moving to the next.
                const int x0 = s, y0 = s + i;
                const int x1 = s + i, y1 = n - 1 - s;
                const int x2 = n - 1 - s, y2 = n - 1 - s - i;
                const int x3 = n - 1 - s - i, y3 = s;
                const std::uint32_t p0 = b->rawPixel(x0, y0), p1 = b->rawPixel(x1, y1);
                const std::uint32_t p2 = b->rawPixel(x2, y2), p3 = b->rawPixel(x3, y3);
                b->setRawPixel(x1, y1, p0);
                b->setRawPixel(x2, y2, p1);
                b->setRawPixel(x3, y3, p2);
                b->setRawPixel(x0, y0, p3);
            }
    PaletteSnap(f).Apply(f, Rect{0, 0, n, n});
    return true;
}

} // namespace kavrel
