// Device-independent bitmaps: the 40-byte BITMAPINFOHEADER (12-byte core
// headers are read), colour tables and bottom-up rows, and the conversion
// between them and screen bitmaps (GetDIBits / SetDIBits).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/gdi.h"

namespace kavrel {

struct RGBQuad {
    std::uint8_t blue = 0, green = 0, red = 0, reserved = 0;
    bool operator==(const RGBQuad&) const = default;
};

struct BitmapInfoHeader {
    std::uint32_t biSize = 40;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::uint16_t biPlanes = 1;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = 0;
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;

    static constexpr std::size_t kSize = 40;
    static constexpr std::size_t kCoreSize = 12;

    // Reads a 40-byte header, or a 12-byte core header (BITMAPCOREHEADER,
    // whose fields are widened; biSize stays 12). nullopt when too short or
    // the size field is neither.
    static std::optional<BitmapInfoHeader> Parse(std::span<const std::uint8_t> bytes);
    // Writes the 40 bytes little-endian.
    void Write(std::uint8_t* out) const;
    bool isCore() const { return biSize == kCoreSize; }
};

enum : std::uint32_t { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_PNG = 5 };

// ((bits x width + 31) / 32) x 4, in 64 bits so that hostile sizes cannot wrap.
constexpr std::uint64_t DibRowBytes(std::int64_t width, int bitCount)
{
    return static_cast<std::uint64_t>((static_cast<std::int64_t>(bitCount) * width + 31) / 32) * 4;
}

// The standard 16-colour palette in index order, as GetDIBits fills a 4-bit
// colour table on a true-colour screen.
const std::vector<RGBQuad>& DefaultColorTable16();

// GetDIBits: the bitmap's rows as a bottom-up DIB of `bitCount` (1, 4, 8, 24
// or 32) bits. `colorTable` is filled with the table the bits refer to: for 1
// bit black and white, for 4 bits the standard 16 colours, for 8 bits the
// given palette's entries (the standard 20 static colours padded with black
// when none). Pixels map to the nearest table entry. Monochrome bitmaps give
// their 0/1 bits directly at 1 bit.
std::vector<std::uint8_t> GetDIBits(const Bitmap& bitmap, int bitCount, std::vector<RGBQuad>& colorTable,
                                    const Palette* palette = nullptr);

// SetDIBits: draws bottom-up DIB rows into an existing bitmap of the same size
// (the DIB's height may be negative for top-down rows). Colour indices go
// through `colorTable`; into a monochrome bitmap a colour is converted with
// MonoFromColor, except for a 1-bit DIB whose entries are used as 0/1 by
// their own brightness. Returns false when the bits are shorter than the
// header needs or the depth is unsupported (1, 4, 8, 16, 24, 32 are).
bool SetDIBits(Bitmap& bitmap, const BitmapInfoHeader& header, std::span<const RGBQuad> colorTable,
               std::span<const std::uint8_t> bits);

// A packed DIB: header, colour table and bits in one block.
struct PackedDib {
    std::vector<std::uint8_t> bytes;

    bool empty() const { return bytes.empty(); }
    std::optional<BitmapInfoHeader> header() const;
    // Number of colour-table entries: biClrUsed when not 0, else 2^bits for up
    // to 8 bits, else 0 (core headers counted the same way).
    int colorCount() const;
    std::vector<RGBQuad> colorTable() const;  // core triples widened
    std::span<const std::uint8_t> bits() const;  // empty when the block is short
};

// CreateDIBitmap-style conversions between a packed DIB and a screen bitmap.
// BitmapToDib's depth is the screen's (24 on a true-colour screen) unless given.
PackedDib BitmapToDib(const Bitmap& bitmap, const Palette* palette = nullptr, int bitCount = 0);
std::optional<Bitmap> DibToBitmap(const PackedDib& dib);
Palette DibPalette(const PackedDib& dib);
int DibColorCount(const PackedDib& dib);

}  // namespace kavrel
