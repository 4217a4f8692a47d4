// Colour rules shared by every image format: the fixed palettes, the
// nearest-colour rule, drawing colour values (real colours, palette entries and
// the two pseudo-colours), how they become pixels and brushes, and dithering.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/dib.h"
#include "platform/gdi.h"

namespace kavrel {

// A drawing colour value: 0x00BBGGRR is an RGB colour, 0x01000000 + i entry i
// of the format's palette, top byte 0xF1 transparent, 0xF2 and above inverted.
using ColorValue = std::uint32_t;
constexpr ColorValue COLOR_TRANSPARENT = 0xF1000000u;
constexpr ColorValue COLOR_INVERTED = 0xF2000000u;
constexpr ColorValue PaletteIndexValue(int i)
{
    return 0x01000000u | static_cast<ColorValue>(i & 0xFF);
}
constexpr bool IsPaletteIndexValue(ColorValue v)
{
    return (v >> 24) == 0x01;
}

enum class ColorKindType { Ordinary, Transparent, Inverted };
ColorKindType ColorKind(ColorValue value);

// The standard 16- and 256-colour palettes and the spectrum palette given to a
// new 8-bit format with its own palette.
const Palette& Standard16Palette();
const Palette& StandardPalette();
Palette SpectrumPalette();
bool IsStandardPalette(const Palette& palette); // compares red, green, blue of 256 entries

int NearestPaletteIndex(COLORREF rgb, const Palette& palette);

// Fills a DIB colour table from a palette for a colour count; returns how many
// entries were written (0 without a palette or for a count below 2).
int ColorTableFromPalette(std::vector<RGBQuad>& table, const Palette* palette, int colorCount);

// The RGB colour a value stands for in a format (a palette entry resolved
// through the palette; pseudo-colours give their colour-bitmap colour).
COLORREF ResolveColor(ColorValue value, const Palette* palette);

// Pixel reads and writes on a format's colour and mask bitmaps.
//
// The colour bitmap of a 32-bit format has an alpha channel: there a colour
// value comes with an alpha, the Transparent pseudo-colour is alpha 0, an
// alpha of 0 always stores the pixel 0x00000000 with mask 1 (the mask is 1
// exactly where alpha is 0), and the Inverted pseudo-colour does not exist:
// it is written as Transparent. Elsewhere alpha is ignored.
ColorValue GetImagePixel(const Bitmap& color, const Bitmap& mask, int x, int y);
void SetImagePixel(Bitmap& color, Bitmap& mask, ColorValue value, int x, int y, const Palette* palette,
                   std::uint8_t alpha = 255);
// The alpha of a pixel: its own in an alpha bitmap (0 outside), else 255.
std::uint8_t ImagePixelAlpha(const Bitmap& color, int x, int y);
// The alpha a colour value with a chosen alpha stores in an alpha bitmap
// (0 for the pseudo-colours).
std::uint8_t StoredAlpha(ColorValue value, std::uint8_t alpha);

// The brushes tools fill shapes with, in a format of the given bit depth.
// A 32-bit format's brushes are solid and carry the alpha; its mask brush is
// white exactly when that alpha is 0.
void MakeImageBrushes(ColorValue value, Brush& colorBrush, Brush& maskBrush, int bitDepth, const Palette* palette,
                      std::uint8_t alpha = 255);
// The brush that shows a colour on screen (palette bar, colour buttons).
Brush MakeDisplayBrush(ColorValue value, int bitDepth, const Palette* palette = nullptr);
// An 8x8 brush that approximates an RGB colour at a bit depth.
Brush MakeDitherBrush(COLORREF rgb, int bitDepth);

// The 16-colour split: (count, colour) pairs whose counts add up to 64.
std::vector<std::pair<int, COLORREF>> SplitTo16Colors(COLORREF rgb);
// The placement order of split pixels in the 8x8 cell (64 positions y*8+x).
const std::vector<int>& DitherPlacementOrder();
// The standard-palette index for a colour at a pattern or image position;
// forBrush applies the 128/64/192 adjustments that brushes use.
int StandardDitherIndex(COLORREF rgb, int x, int y, bool forBrush);

// Overlays a rectangle with a checkerboard of the colour.
void FrameHighlight(DC& dc, const Rect& rect, COLORREF color);

// The two 8x8 patterns that show the pseudo-colours on screen.
const Bitmap& TransparentPattern();
const Bitmap& InvertedPattern();

} // namespace kavrel
