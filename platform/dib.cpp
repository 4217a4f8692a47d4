#include "platform/dib.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#include "platform/byte_reader.h"
#include "platform/raster_internal.h"
#include "platform/screen.h"

namespace kavrel {

namespace {

// No icon or picture this program handles comes near these; they keep a
// hostile header from asking for gigabytes.
constexpr std::int64_t kMaxDibSide = 1 << 15;
constexpr std::int64_t kMaxDibPixels = std::int64_t{1} << 26;

RGBQuad Quad(std::uint32_t rgb)
{
    return {static_cast<std::uint8_t>(rgb), static_cast<std::uint8_t>(rgb >> 8), static_cast<std::uint8_t>(rgb >> 16),
            0};
}

COLORREF RefOf(const RGBQuad& q) { return RGB(q.red, q.green, q.blue); }

// Nearest table entry with a small cache: icons hold few distinct colours, so
// most pixels hit it and skip the scan.
class NearestMapper {
public:
    NearestMapper(const std::vector<RGBQuad>& table, std::size_t usable) : table_(table), usable_(usable)
    {
        keys_.fill(0xFFFFFFFFu);
    }

    std::uint8_t operator()(std::uint32_t pixel)
    {
        const std::uint32_t rgb = pixel & 0x00FFFFFFu;
        const std::size_t slot = ((rgb * 2654435761u) >> 20) & (kSlots - 1);
        if (keys_[slot] == rgb)
            return values_[slot];
        const int r = static_cast<int>((rgb >> 16) & 0xFF), g = static_cast<int>((rgb >> 8) & 0xFF),
                  b = static_cast<int>(rgb & 0xFF);
        int best = 0, bestDistance = 10000;
        for (std::size_t i = 0; i < usable_; ++i) {
            const RGBQuad& q = table_[i];
            const int d = std::abs(r - q.red) + std::abs(g - q.green) + std::abs(b - q.blue);
            if (d < bestDistance) {
                bestDistance = d;
                best = static_cast<int>(i);
                if (d == 0)
                    break;
            }
        }
        keys_[slot] = rgb;
        values_[slot] = static_cast<std::uint8_t>(best);
        return values_[slot];
    }

private:
    static constexpr std::size_t kSlots = 4096;
    const std::vector<RGBQuad>& table_;
    std::size_t usable_;
    std::array<std::uint32_t, kSlots> keys_;
    std::array<std::uint8_t, kSlots> values_{};
};

bool SaneSize(std::int64_t width, std::int64_t height)
{
    return width > 0 && height > 0 && width <= kMaxDibSide && height <= kMaxDibSide && width * height <= kMaxDibPixels;
}

}  // namespace

std::optional<BitmapInfoHeader> BitmapInfoHeader::Parse(std::span<const std::uint8_t> bytes)
{
    ByteReader in(bytes);
    const auto size = in.u32();
    if (!size)
        return std::nullopt;
    BitmapInfoHeader h;
    h.biSize = *size;
    if (*size == kCoreSize) {
        auto w = in.u16(), ht = in.u16(), planes = in.u16(), bits = in.u16();
        if (!bits)
            return std::nullopt;
        h.biWidth = *w;
        h.biHeight = *ht;
        h.biPlanes = *planes;
        h.biBitCount = *bits;
        return h;
    }
    if (*size != kSize || bytes.size() < kSize)
        return std::nullopt;
    h.biWidth = *in.i32();
    h.biHeight = *in.i32();
    h.biPlanes = *in.u16();
    h.biBitCount = *in.u16();
    h.biCompression = *in.u32();
    h.biSizeImage = *in.u32();
    h.biXPelsPerMeter = *in.i32();
    h.biYPelsPerMeter = *in.i32();
    h.biClrUsed = *in.u32();
    h.biClrImportant = *in.u32();
    return h;
}

void BitmapInfoHeader::Write(std::uint8_t* out) const
{
    StoreU32(out + 0, static_cast<std::uint32_t>(kSize));
    StoreU32(out + 4, static_cast<std::uint32_t>(biWidth));
    StoreU32(out + 8, static_cast<std::uint32_t>(biHeight));
    StoreU16(out + 12, biPlanes);
    StoreU16(out + 14, biBitCount);
    StoreU32(out + 16, biCompression);
    StoreU32(out + 20, biSizeImage);
    StoreU32(out + 24, static_cast<std::uint32_t>(biXPelsPerMeter));
    StoreU32(out + 28, static_cast<std::uint32_t>(biYPelsPerMeter));
    StoreU32(out + 32, biClrUsed);
    StoreU32(out + 36, biClrImportant);
}

const std::vector<RGBQuad>& DefaultColorTable16()
{
    static const std::vector<RGBQuad> table = [] {
        const std::uint32_t rgb[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                       0x008080, 0x808080, 0xC0C0C0, 0xFF0000, 0x00FF00, 0xFFFF00,
                                       0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
        std::vector<RGBQuad> v;
        for (std::uint32_t c : rgb)
            v.push_back(Quad(c));
        return v;
    }();
    return table;
}

std::vector<std::uint8_t> GetDIBits(const Bitmap& bitmap, int bitCount, std::vector<RGBQuad>& colorTable,
                                    const Palette* palette)
{
    colorTable.clear();
    if (bitmap.isNull() || (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32))
        return {};
    const int width = bitmap.width(), height = bitmap.height();
    std::size_t usable = 0;
    if (bitCount == 1) {
        colorTable = {Quad(0x000000), Quad(0xFFFFFF)};
        usable = 2;
    } else if (bitCount == 4) {
        colorTable = DefaultColorTable16();
        usable = 16;
    } else if (bitCount == 8) {
        if (palette && palette->size() > 0) {
            usable = static_cast<std::size_t>(std::min(palette->size(), 256));
            for (std::size_t i = 0; i < usable; ++i) {
                const PaletteEntry& e = (*palette)[static_cast<int>(i)];
                colorTable.push_back({e.blue, e.green, e.red, 0});
            }
            colorTable.resize(256);
        } else {
            const auto& statics = raster::StaticColors();
            colorTable.assign(256, RGBQuad{});
            for (std::size_t i = 0; i < 10; ++i) {
                const PaletteEntry& lo = statics[i];
                const PaletteEntry& hi = statics[i + 10];
                colorTable[i] = {lo.blue, lo.green, lo.red, 0};
                colorTable[246 + i] = {hi.blue, hi.green, hi.red, 0};
            }
            usable = 256;
        }
    }
    const std::size_t rowBytes = static_cast<std::size_t>(DibRowBytes(width, bitCount));
    std::vector<std::uint8_t> out(rowBytes * static_cast<std::size_t>(height), 0);
    NearestMapper nearest(colorTable, usable);
    std::vector<std::uint32_t> row(static_cast<std::size_t>(width));
    for (int y = 0; y < height; ++y) {
        // Mono pixels as colours, so every depth reads one kind of row.
        const std::size_t start = static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        if (bitmap.isMono()) {
            for (int x = 0; x < width; ++x)
                row[static_cast<std::size_t>(x)] = bitmap.monoBits()[start + static_cast<std::size_t>(x)]
                                                       ? 0xFFFFFFFFu
                                                       : 0xFF000000u;
        } else {
            std::memcpy(row.data(), bitmap.colorBits() + start, static_cast<std::size_t>(width) * 4);
        }
        std::uint8_t* dst = out.data() + static_cast<std::size_t>(height - 1 - y) * rowBytes;
        switch (bitCount) {
        case 1:
            for (int x = 0; x < width; ++x) {
                const std::uint8_t bit = bitmap.isMono() ? (row[static_cast<std::size_t>(x)] & 1u)
                                                         : nearest(row[static_cast<std::size_t>(x)]);
                if (bit)
                    dst[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
            }
            break;
        case 4:
            for (int x = 0; x < width; ++x) {
                const std::uint8_t i = nearest(row[static_cast<std::size_t>(x)]);
                dst[x >> 1] |= static_cast<std::uint8_t>((x & 1) ? i : i << 4);
            }
            break;
        case 8:
            for (int x = 0; x < width; ++x)
                dst[x] = nearest(row[static_cast<std::size_t>(x)]);
            break;
        default: {
            const int step = bitCount / 8;
            for (int x = 0; x < width; ++x) {
                const std::uint32_t p = row[static_cast<std::size_t>(x)];
                std::uint8_t* d = dst + static_cast<std::size_t>(x) * static_cast<std::size_t>(step);
                d[0] = static_cast<std::uint8_t>(p);
                d[1] = static_cast<std::uint8_t>(p >> 8);
                d[2] = static_cast<std::uint8_t>(p >> 16);
            }
        }
        }
    }
    return out;
}

bool SetDIBits(Bitmap& bitmap, const BitmapInfoHeader& header, std::span<const RGBQuad> colorTable,
               std::span<const std::uint8_t> bits)
{
    const int bitCount = header.biBitCount;
    if (bitmap.isNull() || header.biCompression != BI_RGB)
        return false;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        return false;
    const std::int64_t width = header.biWidth;
    const std::int64_t height = header.biHeight < 0 ? -static_cast<std::int64_t>(header.biHeight) : header.biHeight;
    if (width != bitmap.width() || height != bitmap.height())
        return false;
    const std::uint64_t rowBytes = DibRowBytes(width, bitCount);
    if (rowBytes * static_cast<std::uint64_t>(height) > bits.size())
        return false;
    const bool topDown = header.biHeight < 0;
    // Indices past the table read as black.
    std::array<std::uint32_t, 256> lookup{};
    for (std::size_t i = 0; i < lookup.size(); ++i) {
        const COLORREF c = i < colorTable.size() ? RefOf(colorTable[i]) : RGB(0, 0, 0);
        lookup[i] = bitmap.isMono() ? MonoFromColor(c) : PixelFromColorRef(c);
    }
    const std::size_t w = static_cast<std::size_t>(width);
    for (std::int64_t y = 0; y < height; ++y) {
        const std::uint8_t* src = bits.data() + static_cast<std::size_t>(topDown ? y : height - 1 - y) * rowBytes;
        const std::size_t start = static_cast<std::size_t>(y) * w;
        auto put = [&](std::size_t x, std::uint32_t value) {
            if (bitmap.isMono())
                bitmap.monoBits()[start + x] = static_cast<std::uint8_t>(value);
            else
                bitmap.colorBits()[start + x] = value;
        };
        auto putRgb = [&](std::size_t x, int r, int g, int b) {
            const COLORREF c = RGB(r, g, b);
            put(x, bitmap.isMono() ? MonoFromColor(c) : PixelFromColorRef(c));
        };
        switch (bitCount) {
        case 1:
            for (std::size_t x = 0; x < w; ++x)
                put(x, lookup[(src[x >> 3] >> (7 - (x & 7))) & 1u]);
            break;
        case 4:
            for (std::size_t x = 0; x < w; ++x)
                put(x, lookup[(x & 1) ? (src[x >> 1] & 0x0F) : (src[x >> 1] >> 4)]);
            break;
        case 8:
            for (std::size_t x = 0; x < w; ++x)
                put(x, lookup[src[x]]);
            break;
        case 16:
            for (std::size_t x = 0; x < w; ++x) {
                const unsigned v = LoadU16(src + 2 * x);
                // Five bits widened by repeating the top bits, so 31 gives 255.
                auto widen = [](unsigned c) { return static_cast<int>((c << 3) | (c >> 2)); };
                putRgb(x, widen((v >> 10) & 31), widen((v >> 5) & 31), widen(v & 31));
            }
            break;
        case 24:
            for (std::size_t x = 0; x < w; ++x)
                putRgb(x, src[3 * x + 2], src[3 * x + 1], src[3 * x]);
            break;
        case 32:
            for (std::size_t x = 0; x < w; ++x)
                putRgb(x, src[4 * x + 2], src[4 * x + 1], src[4 * x]);
            break;
        }
    }
    return true;
}

std::optional<BitmapInfoHeader> PackedDib::header() const { return BitmapInfoHeader::Parse(bytes); }

int PackedDib::colorCount() const
{
    const auto h = header();
    if (!h)
        return 0;
    if (!h->isCore() && h->biClrUsed != 0)
        return static_cast<int>(std::min<std::uint32_t>(h->biClrUsed, std::numeric_limits<int>::max() / 4));
    return h->biBitCount <= 8 ? 1 << h->biBitCount : 0;
}

std::vector<RGBQuad> PackedDib::colorTable() const
{
    const auto h = header();
    if (!h)
        return {};
    const std::uint64_t entry = h->isCore() ? 3 : 4;
    const std::uint64_t available = (bytes.size() - h->biSize) / entry;
    const std::uint64_t count = std::min<std::uint64_t>(static_cast<std::uint64_t>(colorCount()), available);
    std::vector<RGBQuad> table;
    table.reserve(static_cast<std::size_t>(count));
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint8_t* p = bytes.data() + h->biSize + i * entry;
        table.push_back({p[0], p[1], p[2], 0});
    }
    return table;
}

std::span<const std::uint8_t> PackedDib::bits() const
{
    const auto h = header();
    if (!h)
        return {};
    std::uint64_t offset = h->biSize + static_cast<std::uint64_t>(colorCount()) * (h->isCore() ? 3 : 4);
    if (!h->isCore() && h->biCompression == BI_BITFIELDS)
        offset += 12;
    if (offset > bytes.size())
        return {};
    const std::uint64_t available = bytes.size() - offset;
    std::uint64_t needed;
    if (h->biCompression == BI_RGB || h->biCompression == BI_BITFIELDS) {
        const std::int64_t height = h->biHeight < 0 ? -static_cast<std::int64_t>(h->biHeight) : h->biHeight;
        if (h->biWidth <= 0)
            return {};
        needed = DibRowBytes(h->biWidth, h->biBitCount) * static_cast<std::uint64_t>(height);
    } else {
        needed = h->biSizeImage != 0 ? h->biSizeImage : available;
    }
    if (needed > available)
        return {};
    return {bytes.data() + offset, static_cast<std::size_t>(needed)};
}

PackedDib BitmapToDib(const Bitmap& bitmap, const Palette* palette, int bitCount)
{
    if (bitmap.isNull())
        return {};
    if (bitCount == 0) {
        const int screen = bitmap.isMono() ? 1 : Screen().bitsPerPixel;
        bitCount = screen <= 1 ? 1 : screen <= 4 ? 4 : screen <= 8 ? 8 : 24;
    }
    std::vector<RGBQuad> table;
    const std::vector<std::uint8_t> bits = GetDIBits(bitmap, bitCount, table, palette);
    if (bits.empty())
        return {};
    BitmapInfoHeader h;
    h.biWidth = bitmap.width();
    h.biHeight = bitmap.height();
    h.biBitCount = static_cast<std::uint16_t>(bitCount);
    h.biSizeImage = static_cast<std::uint32_t>(bits.size());
    if (bitCount <= 8)
        table.resize(std::size_t{1} << bitCount);
    PackedDib dib;
    dib.bytes.resize(BitmapInfoHeader::kSize + table.size() * 4 + bits.size());
    h.Write(dib.bytes.data());
    std::uint8_t* p = dib.bytes.data() + BitmapInfoHeader::kSize;
    for (const RGBQuad& q : table) {
        *p++ = q.blue;
        *p++ = q.green;
        *p++ = q.red;
        *p++ = 0;
    }
    std::memcpy(p, bits.data(), bits.size());
    return dib;
}

std::optional<Bitmap> DibToBitmap(const PackedDib& dib)
{
    const auto h = dib.header();
    if (!h)
        return std::nullopt;
    const std::int64_t height = h->biHeight < 0 ? -static_cast<std::int64_t>(h->biHeight) : h->biHeight;
    if (!SaneSize(h->biWidth, height))
        return std::nullopt;
    const std::span<const std::uint8_t> bits = dib.bits();
    if (bits.empty())
        return std::nullopt;
    BitmapInfoHeader rgb = *h;
    rgb.biCompression = h->isCore() ? BI_RGB : h->biCompression;
    // Refused before allocating: only uncompressed bits are bounded by the
    // block's real size, and SetDIBits takes nothing else.
    const int depth = rgb.biBitCount;
    if (rgb.biCompression != BI_RGB ||
        !(depth == 1 || depth == 4 || depth == 8 || depth == 16 || depth == 24 || depth == 32))
        return std::nullopt;
    Bitmap bitmap = Bitmap::Color(h->biWidth, static_cast<int>(height));
    const std::vector<RGBQuad> table = dib.colorTable();
    if (!SetDIBits(bitmap, rgb, table, bits))
        return std::nullopt;
    return bitmap;
}

Palette DibPalette(const PackedDib& dib)
{
    std::vector<PaletteEntry> entries;
    for (const RGBQuad& q : dib.colorTable())
        entries.push_back({q.red, q.green, q.blue, 0});
    return Palette(std::move(entries));
}

int DibColorCount(const PackedDib& dib) { return dib.colorCount(); }

}  // namespace kavrel
