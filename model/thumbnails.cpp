#include "model/thumbnails.h"

#include <algorithm>

#include "model/palettes.h"
#include "model/render.h"
#include "model/settings_model.h"
#include "platform/screen.h"

namespace kavrel {

int EcoRes = 0;

namespace {

constexpr std::size_t kCellPixels = static_cast<std::size_t>(kThumbnailCellSize) * kThumbnailCellSize;

// Draws an unpacked image into (x, y, w, h) of the target, stretching when the
// size differs: 32-bit images blended with their alpha, the others through
// their mask.
void DrawMaskedImage(Bitmap& color, Bitmap& mask, DC& target, int x, int y, int w, int h)
{
    DrawImageInto(color, mask, target, x, y, w, h);
}

bool Unpacked(const CIcon& icon, Bitmap& color, Bitmap& mask)
{
    if (icon.empty() || !icon.Unpack(color, mask, nullptr))
        return false;
    return !color.isNull() && !mask.isNull();
}

// An image larger than `box` in either direction fills box x box; a smaller
// one keeps its size, centred in an area of areaWidth x areaHeight.
bool DrawFitted(const CIcon& icon, DC& target, int x, int y, int box, int areaWidth, int areaHeight)
{
    Bitmap color, mask;
    if (!Unpacked(icon, color, mask))
        return false;
    int w = color.width(), h = color.height();
    if (w > box || h > box)
        w = h = box;
    DrawMaskedImage(color, mask, target, x + (areaWidth - w) / 2, y + (areaHeight - h) / 2, w, h);
    return true;
}

Bitmap& CellBitmap()
{
    static Bitmap bitmap = Bitmap::Color(kThumbnailCellSize, kThumbnailCellSize);
    return bitmap;
}

Bitmap& Bitmap48()
{
    static Bitmap bitmap = Bitmap::Color(48, 48);
    return bitmap;
}

} // namespace

void DrawIconCell(CIcon& icon, DC& target, int x, int y, bool frame, int frameStyle, int maxSize, int cellWidth,
                  int cellHeight)
{
    cellWidth = std::clamp(cellWidth, 0, kThumbnailCellSize);
    cellHeight = std::clamp(cellHeight, 0, kThumbnailCellSize);
    Bitmap& cell = CellBitmap();
    DC cellDC(cell);
    cellDC.palette = &StandardPalette();

    const bool cacheAllowed = EcoRes == 0;
    if (!cacheAllowed)
        icon.FreeThumbnail();
    if (cacheAllowed && icon.thumbnailBits.size() == kCellPixels) {
        std::copy(icon.thumbnailBits.begin(), icon.thumbnailBits.end(), cell.colorBits());
    } else {
        cell.fill(SysColors().window);
        const bool drawn = DrawFitted(icon, cellDC, 0, 0, maxSize, cellWidth, cellHeight);
        if (drawn && cacheAllowed) {
            icon.thumbnailBits.assign(cell.colorBits(), cell.colorBits() + kCellPixels);
            icon.thumbnailSize = static_cast<int>(kCellPixels * sizeof(std::uint32_t));
        }
    }

    if (frame) {
        const COLORREF color = frameStyle == 2   ? RGB(0xC0, 0xC0, 0xC0)
                               : frameStyle == 0 ? RGB(0x80, 0x80, 0x80)
                                                 : SysColors().highlight;
        FrameHighlight(cellDC, Rect{0, 0, cellWidth, cellHeight}, color);
    }
    BitBlt(target, x, y, cellWidth, cellHeight, cellDC, 0, 0, SRCCOPY);
}

void DrawIcon48(const CIcon& icon, DC& target, int x, int y, bool frame, bool highlight)
{
    Bitmap& cell = Bitmap48();
    DC cellDC(cell);
    cellDC.palette = &StandardPalette();
    cell.fill(SysColors().window);
    DrawFitted(icon, cellDC, 0, 0, 48, 48, 48);
    if (frame)
        FrameHighlight(cellDC, cell.rect(), highlight ? SysColors().highlight : RGB(0x80, 0x80, 0x80));
    BitBlt(target, x, y, 48, 48, cellDC, 0, 0, SRCCOPY);
}

void DrawIcon32(const CIcon& icon, DC& target, int x, int y)
{
    DrawFitted(icon, target, x, y, 32, 32, 32);
}

void DrawIconActual(const CIcon& icon, DC& target, int x, int y)
{
    Bitmap color, mask;
    if (Unpacked(icon, color, mask))
        DrawMaskedImage(color, mask, target, x, y, color.width(), color.height());
}

} // namespace kavrel
