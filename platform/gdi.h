// The raster layer: screen-compatible bitmaps, palettes, brushes, pens and the
// drawing operations the model and the editor need, with the pixel results a
// true-colour Windows screen gives.
//
// Colour bitmaps hold 32 bits per pixel as 0xFFRRGGBB (QImage::Format_RGB32),
// rows top-down, so the view shows them without copying; the top byte stays
// 0xFF through every operation. Alpha bitmaps (the colour bitmaps of 32-bit
// image formats) hold 0xAARRGGBB with straight, not premultiplied, alpha
// (QImage::Format_ARGB32): there every raster operation acts on all four
// bytes, and brushes and pens carry their own alpha. Monochrome bitmaps hold
// one byte per pixel, 0 black and 1 white. Colours at the API are colour
// references 0x00BBGGRR; alpha travels beside them, never in them.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace kavrel {

using COLORREF = std::uint32_t;

constexpr COLORREF RGB(int r, int g, int b)
{
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(COLORREF c)
{
    return static_cast<int>(c & 0xFF);
}
constexpr int GetGValue(COLORREF c)
{
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int GetBValue(COLORREF c)
{
    return static_cast<int>((c >> 16) & 0xFF);
}

// A colour reference with 0x02000000 added names "the nearest entry of the
// selected palette"; on a true-colour screen that is the RGB colour itself.
constexpr COLORREF PALETTERGB(int r, int g, int b)
{
    return 0x02000000u | RGB(r, g, b);
}
constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;

// Converts between a colour reference and a stored colour pixel.
constexpr std::uint32_t PixelFromColorRef(COLORREF c)
{
    return 0xFF000000u | (static_cast<std::uint32_t>(GetRValue(c)) << 16) |
           (static_cast<std::uint32_t>(GetGValue(c)) << 8) | static_cast<std::uint32_t>(GetBValue(c));
}
constexpr COLORREF ColorRefFromPixel(std::uint32_t p)
{
    return RGB(static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF), static_cast<int>(p & 0xFF));
}

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0; // right and bottom exclusive
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool empty() const { return right <= left || bottom <= top; }
    Rect normalized() const;
    Rect intersected(const Rect& o) const;
    Rect united(const Rect& o) const; // an empty side is ignored
    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool operator==(const Rect&) const = default;
};

struct PaletteEntry {
    std::uint8_t red = 0, green = 0, blue = 0, flags = 0;
    bool operator==(const PaletteEntry&) const = default;
};

// A logical palette (CreatePalette / GetPaletteEntries).
class Palette {
  public:
    Palette() = default;
    explicit Palette(std::vector<PaletteEntry> entries) : entries_(std::move(entries)) {}

    int size() const { return static_cast<int>(entries_.size()); }
    const PaletteEntry& operator[](int i) const { return entries_[static_cast<std::size_t>(i)]; }
    PaletteEntry& operator[](int i) { return entries_[static_cast<std::size_t>(i)]; }
    const std::vector<PaletteEntry>& entries() const { return entries_; }
    COLORREF colorRef(int i) const;

    // Smallest sum of absolute channel differences; ties go to the lowest
    // index. Returns -1 for an empty palette.
    int nearestIndex(COLORREF rgb) const;

    bool operator==(const Palette&) const = default;

  private:
    std::vector<PaletteEntry> entries_;
};

// A bitmap compatible with the screen (colour) or a monochrome bitmap.
class Bitmap {
  public:
    Bitmap() = default;                         // null bitmap
    static Bitmap Color(int width, int height); // filled black
    static Bitmap Mono(int width, int height);  // filled black (0)
    // A colour bitmap with an alpha channel, filled transparent (0x00000000).
    static Bitmap ColorAlpha(int width, int height);

    bool isNull() const { return width_ <= 0 || height_ <= 0; }
    bool isMono() const { return mono_; }
    bool hasAlpha() const { return alpha_; }
    // Gives a colour bitmap an alpha channel (its pixels stay as they are:
    // opaque) or takes it away (every pixel becomes opaque).
    void setHasAlpha(bool on);
    int width() const { return width_; }
    int height() const { return height_; }
    Rect rect() const { return {0, 0, width_, height_}; }

    // Row-major, top-down. Only the one that matches the kind is non-empty.
    std::uint32_t* colorBits() { return color_.data(); }
    const std::uint32_t* colorBits() const { return color_.data(); }
    std::uint8_t* monoBits() { return mono_bits_.data(); }
    const std::uint8_t* monoBits() const { return mono_bits_.data(); }

    // Raw pixel access without clipping checks beyond an assertion: the
    // stored value (0xFFRRGGBB, 0xAARRGGBB with alpha, or 0/1 for mono).
    std::uint32_t rawPixel(int x, int y) const;
    void setRawPixel(int x, int y, std::uint32_t v);

    // Pixel as a colour reference: mono pixels read as 0x000000 or 0xFFFFFF.
    // CLR_INVALID outside the bitmap.
    COLORREF pixel(int x, int y) const;
    void fill(COLORREF c);

    bool operator==(const Bitmap&) const = default;

  private:
    int width_ = 0, height_ = 0;
    bool mono_ = false;
    bool alpha_ = false;
    std::vector<std::uint32_t> color_;
    std::vector<std::uint8_t> mono_bits_;
};

// Maps a colour to a monochrome pixel (nearest of black and white; a tie is
// black). Used where a colour is drawn into a monochrome bitmap.
std::uint8_t MonoFromColor(COLORREF c);

// Solid brush, 8x8 pattern brush, or no brush. A pattern is an 8x8 bitmap;
// a monochrome pattern takes the text colour for 0 and the background colour
// for 1 when drawn into a colour bitmap. Patterns are aligned to the origin of
// the destination bitmap (pixel x, y uses pattern pixel x % 8, y % 8). A
// colour pattern drawn into a monochrome bitmap goes through MonoFromColor.
//
// Drawn into an alpha bitmap, a solid brush gives its alpha to the pixels it
// paints, and a monochrome pattern gives it to both of its colours; a colour
// pattern brings its own pixels' alpha (opaque unless it is an alpha bitmap).
struct Brush {
    enum class Kind { Null, Solid, Pattern };
    Kind kind = Kind::Null;
    COLORREF color = 0;
    Bitmap pattern;
    std::uint8_t alpha = 255;

    static Brush Solid(COLORREF c, std::uint8_t alpha = 255) { return Brush{Kind::Solid, c & 0x00FFFFFFu, {}, alpha}; }
    static Brush FromPattern(Bitmap pattern8x8, std::uint8_t alpha = 255)
    {
        return Brush{Kind::Pattern, 0, std::move(pattern8x8), alpha};
    }
    static Brush None() { return Brush{}; }
    bool operator==(const Brush&) const = default;
};

// In an alpha bitmap a pen's pixels take its alpha.
struct Pen {
    enum class Style { Solid, Null };
    Style style = Style::Solid;
    int width = 1;
    COLORREF color = 0;
    std::uint8_t alpha = 255;
    static Pen Solid(int width, COLORREF c, std::uint8_t alpha = 255)
    {
        return Pen{Style::Solid, width, c & 0x00FFFFFFu, alpha};
    }
    static Pen None() { return Pen{Style::Null, 0, 0, 255}; }
};

// A device context over one bitmap: what is selected into it and the
// colours that monochrome conversions use.
struct DC {
    Bitmap* bitmap = nullptr;
    COLORREF textColor = RGB(0, 0, 0);
    COLORREF bkColor = RGB(255, 255, 255);
    Brush brush = Brush::Solid(RGB(255, 255, 255));
    Pen pen = Pen::Solid(1, RGB(0, 0, 0));
    const Palette* palette = nullptr;

    DC() = default;
    explicit DC(Bitmap& b) : bitmap(&b) {}
};

// Ternary raster operation codes.
enum : std::uint32_t {
    SRCCOPY = 0x00CC0020,
    SRCPAINT = 0x00EE0086,
    SRCAND = 0x008800C6,
    SRCINVERT = 0x00660046,
    NOTSRCCOPY = 0x00330008,
    PATCOPY = 0x00F00021,
    PATINVERT = 0x005A0049,
    DSTINVERT = 0x00550009,
    BLACKNESS = 0x00000042,
    WHITENESS = 0x00FF0062,
};

// Blits clip to both bitmaps. Between kinds: a monochrome source drawn into a
// colour bitmap maps 0 to the destination's text colour and 1 to its
// background colour (both opaque); a colour source drawn into a monochrome
// bitmap gives 1 where the pixel's colour equals the source's background
// colour, else 0 (alpha is not compared). A colour source without alpha
// drawn into an alpha bitmap is opaque; an alpha source drawn into a bitmap
// without alpha loses its alpha.
bool PatBlt(DC& dc, int x, int y, int w, int h, std::uint32_t rop);
bool BitBlt(DC& dst, int x, int y, int w, int h, const DC& src, int sx, int sy, std::uint32_t rop);
// Colour-on-colour stretching: each destination pixel takes the source pixel
// at (sx + (dx * sw) / w, ...). Negative sizes are not supported.
bool StretchBlt(DC& dst, int x, int y, int w, int h, const DC& src, int sx, int sy, int sw, int sh, std::uint32_t rop);
// Fills with a brush (PATCOPY) without touching the DC's selection.
void FillRect(DC& dc, const Rect& r, const Brush& brush);

// Returns the colour set, CLR_INVALID outside. An alpha bitmap's pixel is
// made opaque; `SetPixelAlpha` sets it with the given alpha.
COLORREF SetPixel(DC& dc, int x, int y, COLORREF c);
COLORREF SetPixelAlpha(DC& dc, int x, int y, COLORREF c, std::uint8_t alpha);
COLORREF GetPixel(const DC& dc, int x, int y); // CLR_INVALID outside

// The DDA line from (x1, y1) towards (x2, y2), end point excluded: calls
// visit for every point in order. Nothing when the two points are equal.
void LineDDA(int x1, int y1, int x2, int y2, const std::function<void(int, int)>& visit);
// A line drawn with the DC's pen, end point excluded.
void LineTo(DC& dc, int x1, int y1, int x2, int y2);

// Rectangle(left, top, right, bottom): outline with the pen, interior with the
// brush; right and bottom are exclusive. A wide pen's frame lies inside the
// rectangle; with a null pen the brush fills the whole rectangle.
void Rectangle(DC& dc, int left, int top, int right, int bottom);
// The ellipse inscribed in the rectangle (right and bottom exclusive): outline
// with the pen (a wide pen is centred on the outline), interior with the brush.
void Ellipse(DC& dc, int left, int top, int right, int bottom);
// The points of the width-1 outline of the inscribed ellipse, and its
// interior as horizontal spans (y, x0, x1 exclusive; the spans cover the
// outline too); used by Ellipse and by callers that stamp their own footprints.
void EllipseOutline(int left, int top, int right, int bottom, const std::function<void(int, int)>& visit);
void EllipseSpans(int left, int top, int right, int bottom, const std::function<void(int, int, int)>& span);

// Surface flood fill (FLOODFILLSURFACE): from (x, y), every 4-connected pixel
// whose value equals `surface` is filled with the DC's brush. Returns false
// when the seed is outside or not of that colour. In an alpha bitmap the
// surface is the seed's colour with `surfaceAlpha`: pixels of another alpha
// are borders.
bool ExtFloodFill(DC& dc, int x, int y, COLORREF surface, std::uint8_t surfaceAlpha = 255);

} // namespace kavrel
