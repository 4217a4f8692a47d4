#include "model/palettes.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "platform/screen.h"

namespace kavrel {

namespace {

// clang-format off
// Entries as 0xRRGGBB, in index order.
constexpr std::array<std::uint32_t, 256> kStandard256 = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0xC0DCC0, 0xA4C8F0, 0x040404, 0x080808, 0x0C0C0C, 0x111111, 0x161616, 0x1C1C1C,
    0x222222, 0x292929, 0x555555, 0x4D4D4D, 0x424242, 0x393939, 0x818181, 0x810000,
    0x008100, 0x818100, 0x000081, 0x810081, 0x008181, 0x330000, 0x660000, 0x990000,
    0xCC0000, 0x003300, 0x333300, 0x663300, 0x993300, 0xCC3300, 0xFF3300, 0x006600,
    0x336600, 0x666600, 0x996600, 0xCC6600, 0xFF6600, 0x009900, 0x339900, 0x669900,
    0x999900, 0xCC9900, 0xFF9900, 0x00CC00, 0x33CC00, 0x66CC00, 0x99CC00, 0xCCCC00,
    0xFFCC00, 0x66FF00, 0x99FF00, 0xCCFF00, 0x000033, 0x330033, 0x660033, 0x990033,
    0xCC0033, 0xFF0033, 0x003333, 0x333333, 0x663333, 0x993333, 0xCC3333, 0xFF3333,
    0x006633, 0x336633, 0x666633, 0x996633, 0xCC6633, 0xFF6633, 0x009933, 0x339933,
    0x669933, 0x999933, 0xCC9933, 0xFF9933, 0x00CC33, 0x33CC33, 0x66CC33, 0x99CC33,
    0xCCCC33, 0xFFCC33, 0x33FF33, 0x66FF33, 0x99FF33, 0xCCFF33, 0xFFFF33, 0x000066,
    0x330066, 0x660066, 0x990066, 0xCC0066, 0xFF0066, 0x003366, 0x333366, 0x663366,
    0x993366, 0xCC3366, 0xFF3366, 0x006666, 0x336666, 0x666666, 0x996666, 0xCC6666,
    0x009966, 0x339966, 0x669966, 0x999966, 0xCC9966, 0xFF9966, 0x00CC66, 0x33CC66,
    0x99CC66, 0xCCCC66, 0xFFCC66, 0x00FF66, 0x33FF66, 0x99FF66, 0xCCFF66, 0xFF00CC,
    0xCC00FF, 0x009999, 0x993399, 0x990099, 0xCC0099, 0x000099, 0x333399, 0x660099,
    0xCC3399, 0xFF0099, 0x006699, 0x336699, 0x663399, 0x996699, 0xCC6699, 0xFF3399,
    0x339999, 0x669999, 0x999999, 0xCC9999, 0xFF9999, 0x00CC99, 0x33CC99, 0x66CC66,
    0x99CC99, 0xCCCC99, 0xFFCC99, 0x00FF99, 0x33FF99, 0x66CC99, 0x99FF99, 0xCCFF99,
    0xFFFF99, 0x0000CC, 0x330099, 0x6600CC, 0x9900CC, 0xCC00CC, 0x003399, 0x3333CC,
    0x6633CC, 0x9933CC, 0xCC33CC, 0xFF33CC, 0x0066CC, 0x3366CC, 0x666699, 0x9966CC,
    0xCC66CC, 0xFF6699, 0x0099CC, 0x3399CC, 0x6699CC, 0x9999CC, 0xCC99CC, 0xFF99CC,
    0x00CCCC, 0x33CCCC, 0x66CCCC, 0x99CCCC, 0xCCCCCC, 0xFFCCCC, 0x00FFCC, 0x33FFCC,
    0x66FF99, 0x99FFCC, 0xCCFFCC, 0xFFFFCC, 0x3300CC, 0x6600FF, 0x9900FF, 0x0033CC,
    0x3333FF, 0x6633FF, 0x9933FF, 0xCC33FF, 0xFF33FF, 0x0066FF, 0x3366FF, 0x6666CC,
    0x9966FF, 0xCC66FF, 0xFF66CC, 0x0099FF, 0x3399FF, 0x6699FF, 0x9999FF, 0xCC99FF,
    0xFF99FF, 0x00CCFF, 0x33CCFF, 0x66CCFF, 0x99CCFF, 0xCCCCFF, 0xFFCCFF, 0x33FFFF,
    0x66FFCC, 0x99FFFF, 0xCCFFFF, 0xFF6666, 0x66FF66, 0xFFFF66, 0x6666FF, 0xFF66FF,
    0x66FFFF, 0xC1C1C1, 0x5F5F5F, 0x777777, 0x868686, 0x969696, 0xCBCBCB, 0xB2B2B2,
    0xD7D7D7, 0xDDDDDD, 0xE3E3E3, 0xEAEAEA, 0xF1F1F1, 0xF8F8F8, 0xFFFBF0, 0xA0A0A4,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

constexpr std::array<std::uint32_t, 16> kStandard16 = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0x808080,
    0xC0C0C0, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

// clang-format on

PaletteEntry EntryFromHex(std::uint32_t rrggbb)
{
    return PaletteEntry{static_cast<std::uint8_t>(rrggbb >> 16), static_cast<std::uint8_t>(rrggbb >> 8),
                        static_cast<std::uint8_t>(rrggbb), 0};
}

PaletteEntry Entry(int r, int g, int b)
{
    return PaletteEntry{static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b), 0};
}

template <std::size_t N> Palette PaletteFromTable(const std::array<std::uint32_t, N>& table)
{
    std::vector<PaletteEntry> entries;
    entries.reserve(N);
    for (std::uint32_t c : table)
        entries.push_back(EntryFromHex(c));
    return Palette(std::move(entries));
}

COLORREF EntryColor(const PaletteEntry& e)
{
    return RGB(e.red, e.green, e.blue);
}

// A 15- or 16-bit screen drops the low three bits of each channel; full
// intensity is kept so that white stays white.
int RoundChannelForScreen(int v)
{
    return v == 255 ? 255 : v & ~7;
}

COLORREF RoundForScreen(COLORREF c)
{
    return RGB(RoundChannelForScreen(GetRValue(c)), RoundChannelForScreen(GetGValue(c)),
               RoundChannelForScreen(GetBValue(c)));
}

bool IsHighColorScreen()
{
    const int bpp = Screen().bitsPerPixel;
    return bpp == 15 || bpp == 16;
}

// clang-format off
// Ordered-dither thresholds of the mono brush; row 0 is the bottom row.
constexpr int kMonoThreshold[8][8] = {
    {0, 192, 48, 240, 12, 204, 60, 252},   {128, 64, 176, 112, 140, 76, 188, 124},
    {32, 224, 16, 208, 44, 236, 28, 220},  {160, 96, 144, 80, 172, 108, 156, 92},
    {8, 200, 56, 248, 4, 196, 52, 244},    {136, 72, 184, 120, 132, 68, 180, 116},
    {40, 232, 24, 216, 36, 228, 20, 212},  {168, 104, 152, 88, 164, 100, 148, 84},
};

// Thresholds (0-50) of the colour-cube dither, indexed [x % 8][y % 8].
constexpr int kCubeThreshold[8][8] = {
    {0, 38, 9, 47, 2, 40, 11, 50},   {25, 12, 35, 22, 27, 15, 37, 24}, {6, 44, 3, 41, 8, 47, 5, 43},
    {31, 19, 28, 15, 34, 21, 31, 18}, {1, 39, 11, 49, 0, 39, 10, 48},  {27, 14, 36, 23, 26, 13, 35, 23},
    {7, 46, 4, 43, 7, 45, 3, 42},     {33, 20, 30, 17, 32, 19, 29, 16},
};

// clang-format on

// Standard-palette index of each colour-cube colour (r * 36 + g * 6 + b).
const std::array<int, 216>& CubeIndices()
{
    static const std::array<int, 216> indices = [] {
        std::array<int, 216> out{};
        const Palette& standard = StandardPalette();
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b) {
                    const COLORREF c = RGB(51 * r, 51 * g, 51 * b);
                    int found = -1;
                    for (int i = 0; i < standard.size() && found < 0; ++i)
                        if (standard.colorRef(i) == c)
                            found = i;
                    if (found < 0) {
                        // The four cube colours the palette lacks fall back to pure green or blue.
                        if (c == RGB(0x33, 0xFF, 0x00) || c == RGB(0x00, 0xFF, 0x33))
                            found = 250;
                        else if (c == RGB(0x33, 0x00, 0xFF) || c == RGB(0x00, 0x33, 0xFF))
                            found = 252;
                        else
                            found = NearestPaletteIndex(c, standard);
                    }
                    out[static_cast<std::size_t>(r * 36 + g * 6 + b)] = found;
                }
        return out;
    }();
    return indices;
}

// Writes a colour into a bitmap of either kind.
void PutPixel(Bitmap& bitmap, int x, int y, COLORREF c)
{
    if (x < 0 || y < 0 || x >= bitmap.width() || y >= bitmap.height())
        return;
    if (bitmap.isMono())
        bitmap.setRawPixel(x, y, MonoFromColor(c));
    else
        bitmap.setRawPixel(x, y, PixelFromColorRef(c));
}

Brush SolidForScreen(COLORREF c)
{
    return Brush::Solid(IsHighColorScreen() ? RoundForScreen(c) : c);
}

Brush MonoDitherBrush(COLORREF rgb)
{
    const int grey = (GetRValue(rgb) + GetGValue(rgb) + GetBValue(rgb)) / 3;
    Bitmap pattern = Bitmap::Color(8, 8);
    for (int row = 0; row < 8; ++row)
        for (int x = 0; x < 8; ++x)
            PutPixel(pattern, x, 7 - row, kMonoThreshold[row][x] < grey ? RGB(255, 255, 255) : RGB(0, 0, 0));
    return Brush::FromPattern(std::move(pattern));
}

Brush SixteenColorDitherBrush(COLORREF rgb)
{
    if (rgb == RGB(0xC0, 0xC0, 0xC0))
        return Brush::Solid(rgb);
    const auto pairs = SplitTo16Colors(rgb);
    if (pairs.size() <= 1)
        return Brush::Solid(pairs.empty() ? rgb : pairs.front().second);

    // The largest pair (the first on a tie) fills the cell; the others take
    // consecutive runs of the placement order, in list order.
    std::size_t largest = 0;
    for (std::size_t i = 1; i < pairs.size(); ++i)
        if (pairs[i].first > pairs[largest].first)
            largest = i;
    Bitmap pattern = Bitmap::Color(8, 8);
    pattern.fill(pairs[largest].second);
    const auto& order = DitherPlacementOrder();
    std::size_t next = 0;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        if (i == largest)
            continue;
        for (int n = 0; n < pairs[i].first && next < order.size(); ++n, ++next)
            PutPixel(pattern, order[next] % 8, order[next] / 8, pairs[i].second);
    }
    return Brush::FromPattern(std::move(pattern));
}

Brush StandardPaletteDitherBrush(COLORREF rgb)
{
    if (rgb == RGB(0xC0, 0xC0, 0xC0) || rgb == RGB(0x80, 0x80, 0x80))
        return Brush::Solid(rgb);
    const Palette& standard = StandardPalette();
    Bitmap pattern = Bitmap::Color(8, 8);
    for (int i = 0; i < 64; ++i) {
        const int x = i % 8, row = i / 8;
        PutPixel(pattern, x, 7 - row, standard.colorRef(StandardDitherIndex(rgb, x, row, true)));
    }
    return Brush::FromPattern(std::move(pattern));
}

Bitmap MakeTransparentPattern()
{
    // A grey and white checkerboard of 2x2 squares.
    Bitmap pattern = Bitmap::Color(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            PutPixel(pattern, x, y, ((x / 2 + y / 2) % 2) ? RGB(0xC0, 0xC0, 0xC0) : RGB(255, 255, 255));
    return pattern;
}

Bitmap MakeInvertedPattern()
{
    // Black and white diagonal stripes, two pixels each.
    Bitmap pattern = Bitmap::Color(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            PutPixel(pattern, x, y, (((x + y) / 2) % 2) ? RGB(0, 0, 0) : RGB(255, 255, 255));
    return pattern;
}

} // namespace

ColorKindType ColorKind(ColorValue value)
{
    const std::uint32_t top = value >> 24;
    if (top < 0xF1)
        return ColorKindType::Ordinary;
    if (top == 0xF1)
        return ColorKindType::Transparent;
    return ColorKindType::Inverted;
}

const Palette& Standard16Palette()
{
    static const Palette palette = PaletteFromTable(kStandard16);
    return palette;
}

const Palette& StandardPalette()
{
    static const Palette palette = PaletteFromTable(kStandard256);
    return palette;
}

Palette SpectrumPalette()
{
    std::vector<PaletteEntry> entries(256);
    constexpr std::uint32_t kLow[10] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080,
                                        0x800080, 0x008080, 0xC0C0C0, 0xC0DCC0, 0xA6CAF0};
    constexpr std::uint32_t kHigh[10] = {0xFFFBF0, 0xA0A0A4, 0x808080, 0xFF0000, 0x00FF00,
                                         0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    for (int i = 0; i < 10; ++i) {
        entries[static_cast<std::size_t>(i)] = EntryFromHex(kLow[i]);
        entries[static_cast<std::size_t>(246 + i)] = EntryFromHex(kHigh[i]);
    }

    std::size_t at = 10;
    for (int hue = 0; hue < 18; ++hue) {
        const int k = hue % 3;
        int r = 255 - 85 * k, g = 85 * k, b = 255;
        switch (hue / 3) {
        case 0:
            r = 255;
            b = 0;
            break;
        case 1:
            g = 255;
            b = 0;
            break;
        case 2:
            b = g;
            g = 255;
            r = 0;
            break;
        case 3:
            g = r;
            r = 0;
            break;
        case 4:
            r = g;
            g = 0;
            break;
        case 5:
            g = 0;
            b = r;
            r = 255;
            break;
        }
        for (int j = 2; j <= 7; ++j)
            entries[at++] = Entry(j * (r / 8), j * (g / 8), j * (b / 8));
        for (int j = 0; j <= 5; ++j) {
            auto light = [j](int v) {
                if (j == 0 && v == 255)
                    return 240;
                return v + j * ((254 - v) / 7);
            };
            entries[at++] = Entry(light(r), light(g), light(b));
        }
    }

    for (int i = 0; i < 20; ++i) {
        const int v = i * 255 / 20 + 6;
        entries[static_cast<std::size_t>(226 + i)] = Entry(v, v, v);
    }
    return Palette(std::move(entries));
}

bool IsStandardPalette(const Palette& palette)
{
    const Palette& standard = StandardPalette();
    if (palette.size() != standard.size())
        return false;
    for (int i = 0; i < standard.size(); ++i) {
        const PaletteEntry &a = palette[i], &b = standard[i];
        if (a.red != b.red || a.green != b.green || a.blue != b.blue)
            return false;
    }
    return true;
}

int NearestPaletteIndex(COLORREF rgb, const Palette& palette)
{
    const int r = GetRValue(rgb), g = GetGValue(rgb), b = GetBValue(rgb);
    const int count = std::min(palette.size(), 256);
    int best = 0;
    int bestDistance = 10000;
    for (int i = 0; i < count; ++i) {
        const PaletteEntry& e = palette[i];
        const int distance = std::abs(r - e.red) + std::abs(g - e.green) + std::abs(b - e.blue);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

int ColorTableFromPalette(std::vector<RGBQuad>& table, const Palette* palette, int colorCount)
{
    table.clear();
    if (colorCount < 2)
        return 0;
    if (colorCount == 2) {
        // A mono table is black and white whatever the palette says.
        table.push_back(RGBQuad{0, 0, 0, 0});
        table.push_back(RGBQuad{255, 255, 255, 0});
        return 2;
    }
    if (!palette)
        return 0;
    const int n = palette->size();
    const int written = std::min({n, colorCount, 256});
    auto quad = [](const PaletteEntry& e) { return RGBQuad{e.blue, e.green, e.red, 0}; };
    if (written == 16) {
        for (int i = 0; i < 8; ++i)
            table.push_back(quad((*palette)[i]));
        for (int i = n - 8; i < n; ++i)
            table.push_back(quad((*palette)[i]));
    } else {
        for (int i = 0; i < written; ++i)
            table.push_back(quad((*palette)[i]));
    }
    return written;
}

COLORREF ResolveColor(ColorValue value, const Palette* palette)
{
    switch (ColorKind(value)) {
    case ColorKindType::Transparent:
        return RGB(0, 0, 0);
    case ColorKindType::Inverted:
        return RGB(255, 255, 255);
    case ColorKindType::Ordinary:
        break;
    }
    if (IsPaletteIndexValue(value)) {
        // Without a palette of its own a format draws through the standard one.
        const Palette& p = palette && palette->size() > 0 ? *palette : StandardPalette();
        const int index = static_cast<int>(value & 0xFF);
        return index < p.size() ? EntryColor(p[index]) : RGB(0, 0, 0);
    }
    return value & 0x00FFFFFFu;
}

ColorValue GetImagePixel(const Bitmap& color, const Bitmap& mask, int x, int y)
{
    const COLORREF maskPixel = mask.pixel(x, y);
    const COLORREF colorPixel = color.pixel(x, y);
    if (maskPixel != RGB(255, 255, 255))
        return colorPixel;
    return colorPixel == RGB(255, 255, 255) ? COLOR_INVERTED : COLOR_TRANSPARENT;
}

void SetImagePixel(Bitmap& color, Bitmap& mask, ColorValue value, int x, int y, const Palette* palette,
                   std::uint8_t alpha)
{
    if (color.hasAlpha()) {
        if (x < 0 || y < 0 || x >= color.width() || y >= color.height())
            return;
        const std::uint8_t a = StoredAlpha(value, alpha);
        const std::uint32_t rgb = PixelFromColorRef(ResolveColor(value, palette)) & 0x00FFFFFFu;
        color.setRawPixel(x, y, a == 0 ? 0u : (static_cast<std::uint32_t>(a) << 24) | rgb);
        PutPixel(mask, x, y, a == 0 ? RGB(255, 255, 255) : RGB(0, 0, 0));
        return;
    }
    switch (ColorKind(value)) {
    case ColorKindType::Transparent:
        PutPixel(mask, x, y, RGB(255, 255, 255));
        PutPixel(color, x, y, RGB(0, 0, 0));
        return;
    case ColorKindType::Inverted:
        PutPixel(mask, x, y, RGB(255, 255, 255));
        PutPixel(color, x, y, RGB(255, 255, 255));
        return;
    case ColorKindType::Ordinary:
        PutPixel(mask, x, y, RGB(0, 0, 0));
        PutPixel(color, x, y, ResolveColor(value, palette));
        return;
    }
}

std::uint8_t ImagePixelAlpha(const Bitmap& color, int x, int y)
{
    if (!color.hasAlpha())
        return 255;
    if (x < 0 || y < 0 || x >= color.width() || y >= color.height())
        return 0;
    return static_cast<std::uint8_t>(color.rawPixel(x, y) >> 24);
}

std::uint8_t StoredAlpha(ColorValue value, std::uint8_t alpha)
{
    return ColorKind(value) == ColorKindType::Ordinary ? alpha : std::uint8_t{0};
}

void MakeImageBrushes(ColorValue value, Brush& colorBrush, Brush& maskBrush, int bitDepth, const Palette* palette,
                      std::uint8_t alpha)
{
    if (bitDepth == 32) {
        // Exact colours, no dithering and no screen rounding: the image keeps
        // what was chosen.
        const std::uint8_t a = StoredAlpha(value, alpha);
        colorBrush = a == 0 ? Brush::Solid(RGB(0, 0, 0), 0) : Brush::Solid(ResolveColor(value, palette), a);
        maskBrush = Brush::Solid(a == 0 ? RGB(255, 255, 255) : RGB(0, 0, 0));
        return;
    }
    switch (ColorKind(value)) {
    case ColorKindType::Transparent:
        maskBrush = Brush::Solid(RGB(255, 255, 255));
        colorBrush = Brush::Solid(RGB(0, 0, 0));
        return;
    case ColorKindType::Inverted:
        maskBrush = Brush::Solid(RGB(255, 255, 255));
        colorBrush = Brush::Solid(RGB(255, 255, 255));
        return;
    case ColorKindType::Ordinary:
        break;
    }
    maskBrush = Brush::Solid(RGB(0, 0, 0));
    if (!IsPaletteIndexValue(value)) {
        colorBrush = MakeDitherBrush(value & 0x00FFFFFFu, bitDepth);
        return;
    }
    const COLORREF entry = ResolveColor(value, palette);
    colorBrush = Brush::Solid(palette && IsHighColorScreen() ? RoundForScreen(entry) : entry);
}

Brush MakeDisplayBrush(ColorValue value, int bitDepth, const Palette* palette)
{
    switch (ColorKind(value)) {
    case ColorKindType::Transparent:
        return Brush::FromPattern(TransparentPattern());
    case ColorKindType::Inverted:
        return Brush::FromPattern(InvertedPattern());
    case ColorKindType::Ordinary:
        break;
    }
    if (IsPaletteIndexValue(value))
        return Brush::Solid(ResolveColor(value, palette));
    return MakeDitherBrush(value & 0x00FFFFFFu, bitDepth);
}

Brush MakeDitherBrush(COLORREF rgb, int bitDepth)
{
    rgb &= 0x00FFFFFFu;
    switch (bitDepth) {
    case 1:
        return MonoDitherBrush(rgb);
    case 4:
        return SixteenColorDitherBrush(rgb);
    case 8:
        return StandardPaletteDitherBrush(rgb);
    default:
        return SolidForScreen(rgb);
    }
}

std::vector<std::pair<int, COLORREF>> SplitTo16Colors(COLORREF rgb)
{
    int value[3] = {GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)};
    // Channel order by value; ties keep red before green before blue.
    int order[3] = {0, 1, 2};
    std::stable_sort(std::begin(order), std::end(order), [&](int a, int b) { return value[a] > value[b]; });
    const int maxV = value[order[0]], midV = value[order[1]], minV = value[order[2]];
    const int F = (maxV + 1) / 4, G = (midV + 1) / 4, H = (minV + 1) / 4;
    const int M = F - G, L = G - H;

    auto lit = [&](int level, int channels) {
        int c[3] = {0, 0, 0};
        for (int i = 0; i < channels; ++i)
            c[order[i]] = level;
        return RGB(c[0], c[1], c[2]);
    };
    const COLORREF D1 = lit(0x80, 1), D3 = lit(0x80, 2), D7 = RGB(0x80, 0x80, 0x80);
    const COLORREF B9 = lit(0xFF, 1), B11 = lit(0xFF, 2), W = RGB(255, 255, 255), K = RGB(0, 0, 0);

    std::vector<std::pair<int, COLORREF>> pairs;
    auto add = [&](int count, COLORREF c) {
        if (count > 0)
            pairs.emplace_back(count, c);
    };
    if (maxV + midV > 256 && minV + maxV > 256) {
        if (maxV != 255)
            add(2 * (64 - F), D7);
        add(M, B9);
        add(L, B11);
        add(F + H - 64, W);
    } else if (maxV + midV > 256) {
        add(128 - 2 * F - 2 * H, D3);
        if (minV > 2)
            add(2 * H, D7);
        add(M, B9);
        add(G + F - 64, B11);
    } else if (maxV <= 128) {
        add(2 * (32 - F), K);
        add(2 * M, D1);
        add(2 * L, D3);
        if (minV >= 3)
            add(2 * H, D7);
    } else {
        add(2 * (64 - G - F), D1);
        add(2 * L, D3);
        if (minV > 2)
            add(2 * H, D7);
        add(2 * F - 64, B9);
    }
    return pairs;
}

const std::vector<int>& DitherPlacementOrder()
{
    // Positions (y * 8 + x, y from the top) in the order of the 8x8 Bayer
    // matrix, so that any run of consecutive positions is spread evenly.
    static const std::vector<int> order = [] {
        int bayer[8][8];
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                int v = 0;
                for (int bit = 0; bit < 3; ++bit) {
                    const int xb = (x >> bit) & 1, yb = (y >> bit) & 1;
                    v |= ((xb ^ yb) << (5 - 2 * bit)) | (yb << (4 - 2 * bit));
                }
                bayer[y][x] = v;
            }
        std::vector<int> out(64);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                out[static_cast<std::size_t>(bayer[y][x])] = y * 8 + x;
        return out;
    }();
    return order;
}

int StandardDitherIndex(COLORREF rgb, int x, int y, bool forBrush)
{
    const int threshold = kCubeThreshold[((x % 8) + 8) % 8][((y % 8) + 8) % 8];
    auto level = [&](int v) {
        if (forBrush) {
            if (v == 128)
                v = 127;
            else if (v == 64)
                v = 63;
            else if (v == 192)
                v = 191;
        }
        int l = v / 51;
        if (v % 51 > threshold)
            ++l;
        return std::min(l, 5);
    };
    const int r = level(GetRValue(rgb)), g = level(GetGValue(rgb)), b = level(GetBValue(rgb));
    return CubeIndices()[static_cast<std::size_t>(r * 36 + g * 6 + b)];
}

void FrameHighlight(DC& dc, const Rect& rect, COLORREF color)
{
    if (!dc.bitmap)
        return;
    Bitmap& bitmap = *dc.bitmap;
    const Rect r = rect.normalized().intersected(bitmap.rect());
    // Rows alternate 0x55 and 0xAA: the 0 bits are where x + y is even.
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left + ((r.left + y) & 1); x < r.right; x += 2)
            PutPixel(bitmap, x, y, color);
}

const Bitmap& TransparentPattern()
{
    static const Bitmap pattern = MakeTransparentPattern();
    return pattern;
}

const Bitmap& InvertedPattern()
{
    static const Bitmap pattern = MakeInvertedPattern();
    return pattern;
}

} // namespace kavrel
