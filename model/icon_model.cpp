#include "model/icon_model.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

#include "model/palettes.h"
#include "model/png_image.h"
#include "platform/dib.h"
#include "resources/strings.h"

namespace kavrel {

namespace {

constexpr std::uint64_t kHeaderSize = 40;

// Where the parts of a classic or 32-bit block lie.
struct BlockLayout {
    std::uint64_t tableEntries = 0;
    std::uint64_t xorOffset = 0, xorBytes = 0;
    std::uint64_t andOffset = 0, andBytes = 0;
    std::uint64_t total = 0;
};

BlockLayout LayoutFor(std::int64_t width, std::int64_t height, int bitCount, std::uint64_t tableEntries)
{
    BlockLayout l;
    l.tableEntries = tableEntries;
    l.xorOffset = kHeaderSize + 4 * tableEntries;
    l.xorBytes = static_cast<std::uint64_t>(height) * DibRowBytes(width, bitCount);
    l.andOffset = l.xorOffset + l.xorBytes;
    l.andBytes = static_cast<std::uint64_t>(height) * DibRowBytes(width, 1);
    l.total = l.andOffset + l.andBytes;
    return l;
}

void WriteHeader(std::uint8_t* p, int width, int height, int bitCount, std::uint32_t sizeImage, int colors)
{
    std::memset(p, 0, kHeaderSize);
    StoreU32(p + 0, 40);
    StoreU32(p + 4, static_cast<std::uint32_t>(width));
    StoreU32(p + 8, static_cast<std::uint32_t>(height));
    StoreU16(p + 12, 1);
    StoreU16(p + 14, static_cast<std::uint16_t>(bitCount));
    StoreU32(p + 20, sizeImage);
    StoreU32(p + 32, static_cast<std::uint32_t>(colors));
    StoreU32(p + 36, static_cast<std::uint32_t>(colors));
}

BitmapInfoHeader HeaderFor(int width, int height, int bitCount, std::uint32_t colors)
{
    BitmapInfoHeader h;
    h.biWidth = width;
    h.biHeight = height;
    h.biBitCount = static_cast<std::uint16_t>(bitCount);
    h.biSizeImage = static_cast<std::uint32_t>(height * DibRowBytes(width, bitCount));
    h.biClrUsed = colors;
    h.biClrImportant = colors;
    return h;
}

// A 32-bit image as an alpha bitmap and its mask. A 32-bit image whose alpha
// is zero everywhere was written by a tool that left alpha out: its AND mask
// says what is transparent, and the rest is opaque.
void ArgbToBitmaps(const std::uint32_t* argbTopDown, int width, int height, const std::uint8_t* andBottomUp,
                   Bitmap& color, Bitmap& mask)
{
    color = Bitmap::ColorAlpha(width, height);
    mask = Bitmap::Mono(width, height);
    const std::size_t n = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    bool anyAlpha = false;
    for (std::size_t i = 0; i < n && !anyAlpha; ++i)
        anyAlpha = (argbTopDown[i] >> 24) != 0;
    const std::uint64_t andRow = DibRowBytes(width, 1);
    std::uint32_t* c = color.colorBits();
    std::uint8_t* m = mask.monoBits();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::size_t i =
                static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
            std::uint32_t px = argbTopDown[i];
            if (!anyAlpha) {
                bool transparent = false;
                if (andBottomUp) {
                    const std::uint8_t* row = andBottomUp + static_cast<std::uint64_t>(height - 1 - y) * andRow;
                    transparent = (row[x >> 3] >> (7 - (x & 7))) & 1;
                }
                px = transparent ? 0u : (0xFF000000u | px);
            }
            // A fully transparent pixel has no colour of its own.
            if ((px >> 24) == 0)
                px = 0;
            c[i] = px;
            m[i] = px == 0 ? 1 : 0;
        }
    }
}

// The sizes and table the header of a block describes, for blocks this model
// accepts (classic with a full table, or 32 bits).
struct ParsedHeader {
    int width = 0, height = 0, bitCount = 0;
    BlockLayout layout;
};

std::optional<ParsedHeader> ParseBlockHeader(std::span<const std::uint8_t> image)
{
    if (image.size() < kHeaderSize || LoadU32(image.data()) != 40)
        return std::nullopt;
    ParsedHeader h;
    h.width = static_cast<std::int32_t>(LoadU32(image.data() + 4));
    h.height = static_cast<std::int32_t>(LoadU32(image.data() + 8)) / 2;
    h.bitCount = LoadU16(image.data() + 14);
    if (h.width <= 0 || h.height <= 0 || h.width > kMaxImageSide || h.height > kMaxImageSide)
        return std::nullopt;
    std::uint64_t entries = 0;
    switch (h.bitCount) {
    case 1:
    case 4:
    case 8:
        entries = 1u << h.bitCount;
        break;
    case 24:
    case 32:
        break;
    default:
        return std::nullopt;
    }
    h.layout = LayoutFor(h.width, h.height, h.bitCount, entries);
    if (h.layout.total > image.size())
        return std::nullopt;
    return h;
}

} // namespace

int BitDepthFromColorCount(int colorCount)
{
    switch (colorCount) {
    case 0:
        return 24;
    case 2:
        return 1;
    case 256:
        return 8;
    default:
        return 4;
    }
}

int ColorCountFromBitDepth(int bitDepth)
{
    switch (bitDepth) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

bool DefaultCompressed(int width, int height)
{
    return width >= 256 && height >= 256;
}

std::string FormatDepthName(int bitDepth)
{
    return bitDepth == 32 ? LoadString(55340) : ColorName(bitDepth);
}

std::string ColorName(int bitDepth)
{
    switch (bitDepth) {
    case 1:
        return LoadString(55085);
    case 4:
        return LoadString(55086);
    case 8:
        return LoadString(55087);
    case 15:
        return LoadString(55125);
    case 16:
        return LoadString(55088);
    case 24:
        return LoadString(55089);
    case 32:
        return LoadString(55126);
    default:
        return {};
    }
}

void BitmapsFromArgb(const PngPixels& pixels, Bitmap& color, Bitmap& mask)
{
    if (pixels.width <= 0 || pixels.height <= 0 ||
        pixels.argb.size() != static_cast<std::size_t>(pixels.width) * static_cast<std::size_t>(pixels.height)) {
        color = Bitmap();
        mask = Bitmap();
        return;
    }
    // Pixels that come with alpha keep it, even when all of it is zero.
    color = Bitmap::ColorAlpha(pixels.width, pixels.height);
    mask = Bitmap::Mono(pixels.width, pixels.height);
    for (std::size_t i = 0; i < pixels.argb.size(); ++i) {
        const std::uint32_t px = (pixels.argb[i] >> 24) == 0 ? 0u : pixels.argb[i];
        color.colorBits()[i] = px;
        mask.monoBits()[i] = px == 0 ? 1 : 0;
    }
}

PngPixels ArgbFromBitmaps(const Bitmap& color, const Bitmap* mask)
{
    PngPixels out;
    if (color.isNull() || color.isMono())
        return out;
    out.width = color.width();
    out.height = color.height();
    const std::size_t n = static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height);
    out.argb.resize(n);
    const bool masked = mask && !mask->isNull() && mask->width() == color.width() && mask->height() == color.height();
    for (std::size_t i = 0; i < n; ++i) {
        std::uint32_t px = color.colorBits()[i];
        if (!color.hasAlpha())
            px = masked && mask->monoBits()[i] ? 0u : (0xFF000000u | px);
        out.argb[i] = (px >> 24) == 0 ? 0u : px;
    }
    return out;
}

// ---------------------------------------------------------------- CIcon

std::uint64_t CIcon::BlockSize(std::int64_t width, std::int64_t height, int colorCount)
{
    if (width <= 0 || height <= 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF)
        return 0;
    int bits;
    switch (colorCount) {
    case 0:
        bits = 24;
        break;
    case 2:
        bits = 1;
        break;
    case 16:
        bits = 4;
        break;
    case 256:
        bits = 8;
        break;
    default:
        return 0;
    }
    return LayoutFor(width, height, bits, static_cast<std::uint64_t>(colorCount)).total;
}

bool CIcon::AllocateImage(int w, int h, int colors)
{
    std::uint64_t size = BlockSize(w, h, colors);
    if (size == 0 || w > kMaxImageSide || h > kMaxImageSide || size > kMaxImageBytes)
        return false;
    width = w;
    height = h;
    colorCount = colors;
    imageSize = static_cast<int>(size);
    bitCountRaw = 0;
    png = false;
    image.assign(static_cast<std::size_t>(size), 0);
    FreeThumbnail();
    return true;
}

void CIcon::CopyFrom(const CIcon& other)
{
    if (this == &other)
        return;
    image = other.image;
    FreeThumbnail();
    width = other.width;
    height = other.height;
    colorCount = other.colorCount;
    imageSize = other.imageSize;
    sourceOffset = other.sourceOffset;
    bitCountRaw = other.bitCountRaw;
    png = other.png;
}

int CIcon::bitCount() const
{
    if (png || bitCountRaw == 32)
        return 32;
    return BitDepthFromColorCount(colorCount);
}

std::string CIcon::FormatLabel() const
{
    std::string depth = png ? "png" : std::to_string(bitCount());
    return std::to_string(width) + "x" + std::to_string(height) + "x" + depth;
}

void CIcon::Pack(const Bitmap& colorBitmap, const Bitmap& maskBitmap, const Palette* palette)
{
    if (!isClassic() || width <= 0 || height <= 0)
        return;
    const int depth = BitDepthFromColorCount(colorCount);
    const BlockLayout l = LayoutFor(width, height, depth, static_cast<std::uint64_t>(colorCount == 0 ? 0 : colorCount));
    if (image.size() != l.total || colorBitmap.width() != width || colorBitmap.height() != height ||
        maskBitmap.width() != width || maskBitmap.height() != height)
        return;
    std::uint8_t* block = image.data();
    if (palette && palette->size() == 0)
        palette = nullptr;

    // The mask, as the 1-bit image it is.
    WriteHeader(block, width, height, 1, static_cast<std::uint32_t>(l.andBytes), 2);
    std::vector<RGBQuad> table;
    std::vector<std::uint8_t> andBits = GetDIBits(maskBitmap, 1, table);
    std::memcpy(block + l.andOffset, andBits.data(), std::min<std::size_t>(andBits.size(), l.andBytes));

    WriteHeader(block, width, height, depth, static_cast<std::uint32_t>(l.xorBytes), colorCount);
    std::uint8_t* tableOut = block + kHeaderSize;
    std::uint8_t* xorOut = block + l.xorOffset;
    if (depth == 8) {
        const Palette& pal = palette ? *palette : StandardPalette();
        const std::uint64_t row = DibRowBytes(width, 8);
        // Icons hold few distinct colours; remember each one's index rather
        // than scanning the palette again for every pixel.
        std::unordered_map<std::uint32_t, std::uint8_t> nearest;
        const std::uint32_t* px = colorBitmap.colorBits();
        for (int y = 0; y < height; ++y) {
            std::uint8_t* out = xorOut + static_cast<std::uint64_t>(height - 1 - y) * row;
            for (int x = 0; x < width; ++x) {
                std::uint32_t v = colorBitmap.isMono() ? colorBitmap.rawPixel(x, y) * 0xFFFFFFu
                                                       : px[static_cast<std::size_t>(y) * width + x] & 0xFFFFFFu;
                auto it = nearest.find(v);
                if (it == nearest.end()) {
                    int index = NearestPaletteIndex(ColorRefFromPixel(v), pal);
                    it = nearest.emplace(v, static_cast<std::uint8_t>(std::max(index, 0))).first;
                }
                out[x] = it->second;
            }
        }
        std::vector<RGBQuad> colors;
        ColorTableFromPalette(colors, &pal, 256);
        table = std::move(colors);
    } else {
        std::vector<std::uint8_t> bits = GetDIBits(colorBitmap, depth, table, palette);
        std::memcpy(xorOut, bits.data(), std::min<std::size_t>(bits.size(), l.xorBytes));
    }
    for (std::size_t i = 0; i < l.tableEntries; ++i) {
        RGBQuad q = i < table.size() ? table[i] : RGBQuad{};
        tableOut[4 * i + 0] = q.blue;
        tableOut[4 * i + 1] = q.green;
        tableOut[4 * i + 2] = q.red;
        tableOut[4 * i + 3] = 0;
    }
    StoreU32(block + 8, static_cast<std::uint32_t>(2 * height));
}

bool CIcon::PackArgb(const PngPixels& pixels, bool compressed)
{
    const int w = pixels.width, h = pixels.height;
    if (w <= 0 || h <= 0 || w > kMaxImageSide || h > kMaxImageSide ||
        pixels.argb.size() != static_cast<std::size_t>(w) * static_cast<std::size_t>(h))
        return false;
    std::vector<std::uint8_t> block;
    if (compressed) {
        block = EncodePng(pixels);
        if (block.empty())
            return false;
    } else {
        const BlockLayout l = LayoutFor(w, h, 32, 0);
        if (l.total > kMaxImageBytes)
            return false;
        block.assign(static_cast<std::size_t>(l.total), 0);
        WriteHeader(block.data(), w, h, 32, static_cast<std::uint32_t>(l.xorBytes), 0);
        StoreU32(block.data() + 8, static_cast<std::uint32_t>(2 * h));
        const std::uint64_t andRow = DibRowBytes(w, 1);
        for (int y = 0; y < h; ++y) {
            const std::uint64_t flipped = static_cast<std::uint64_t>(h - 1 - y);
            std::uint8_t* xorRow = block.data() + l.xorOffset + flipped * DibRowBytes(w, 32);
            std::uint8_t* andBits = block.data() + l.andOffset + flipped * andRow;
            for (int x = 0; x < w; ++x) {
                const std::uint32_t px = pixels.argb[static_cast<std::size_t>(y) * w + x];
                StoreU32(xorRow + 4 * x, px);
                if ((px >> 24) == 0)
                    andBits[x >> 3] |= static_cast<std::uint8_t>(0x80u >> (x & 7));
            }
        }
    }
    image = std::move(block);
    width = w;
    height = h;
    colorCount = 0;
    bitCountRaw = 32;
    png = compressed;
    imageSize = static_cast<int>(image.size());
    FreeThumbnail();
    return true;
}

bool CIcon::Unpack(Bitmap& colorOut, Bitmap& maskOut, const Palette* /*palette*/) const
{
    // On a true-colour screen the colour table itself gives every pixel's
    // colour, so no palette needs realising here.
    if (image.empty())
        return false;
    if (png) {
        auto pixels = DecodePng(image);
        if (!pixels)
            return false;
        ArgbToBitmaps(pixels->argb.data(), pixels->width, pixels->height, nullptr, colorOut, maskOut);
        return true;
    }
    auto h = ParseBlockHeader(image);
    if (!h)
        return false;
    const std::uint8_t* block = image.data();
    if (h->bitCount == 32) {
        std::vector<std::uint32_t> argb(static_cast<std::size_t>(h->width) * static_cast<std::size_t>(h->height));
        for (int y = 0; y < h->height; ++y) {
            const std::uint8_t* row =
                block + h->layout.xorOffset + static_cast<std::uint64_t>(h->height - 1 - y) * DibRowBytes(h->width, 32);
            for (int x = 0; x < h->width; ++x)
                argb[static_cast<std::size_t>(y) * h->width + x] = LoadU32(row + 4 * x);
        }
        ArgbToBitmaps(argb.data(), h->width, h->height, block + h->layout.andOffset, colorOut, maskOut);
        return true;
    }

    std::vector<RGBQuad> table(h->layout.tableEntries);
    for (std::size_t i = 0; i < table.size(); ++i) {
        const std::uint8_t* q = block + kHeaderSize + 4 * i;
        table[i] = RGBQuad{q[0], q[1], q[2], 0};
    }
    Bitmap c = Bitmap::Color(h->width, h->height);
    BitmapInfoHeader colorHeader =
        HeaderFor(h->width, h->height, h->bitCount, static_cast<std::uint32_t>(table.size()));
    if (!SetDIBits(c, colorHeader, table, std::span(block + h->layout.xorOffset, h->layout.xorBytes)))
        return false;
    Bitmap m = Bitmap::Mono(h->width, h->height);
    const RGBQuad monoTable[2] = {RGBQuad{0, 0, 0, 0}, RGBQuad{255, 255, 255, 0}};
    BitmapInfoHeader maskHeader = HeaderFor(h->width, h->height, 1, 2);
    if (!SetDIBits(m, maskHeader, monoTable, std::span(block + h->layout.andOffset, h->layout.andBytes)))
        return false;
    colorOut = std::move(c);
    maskOut = std::move(m);
    return true;
}

std::optional<Palette> CIcon::CreateImagePalette()
{
    if (!isClassic() || image.size() < kHeaderSize)
        return std::nullopt;
    const int bits = LoadU16(image.data() + 14);
    std::uint64_t count = LoadU32(image.data() + 32);
    if (count == 0 && bits <= 8)
        count = 1u << bits;
    if (count == 0 || count > 256 || kHeaderSize + 4 * count > image.size())
        return std::nullopt;
    std::vector<PaletteEntry> entries(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* q = image.data() + kHeaderSize + 4 * i;
        entries[i] = PaletteEntry{q[2], q[1], q[0], 0};
    }
    Palette result(std::move(entries));
    if (count == 256 && standardPalette == 1 && !IsStandardPalette(result))
        standardPalette = 0;
    return result;
}

bool CIcon::ReadImage(ByteSource& source, std::uint64_t offset, ImageBytes read)
{
    const std::uint64_t size = source.size();
    if (offset >= size)
        return false;
    std::vector<std::uint8_t> head;
    if (!source.readAt(offset, std::min<std::uint64_t>(kHeaderSize, size - offset), head))
        return false;

    if (HasPngSignature(head)) {
        auto header = ReadPngHeader(head);
        if (!header)
            return false;
        auto length = PngStreamLength(source, offset, kMaxImageBytes);
        if (!length)
            return false;
        std::vector<std::uint8_t> bytes;
        if (read == ImageBytes::Read && !source.readAt(offset, *length, bytes))
            return false;
        image = std::move(bytes);
        width = header->width;
        height = header->height;
        colorCount = 0;
        imageSize = static_cast<int>(*length);
        bitCountRaw = 0;
        png = true;
        standardPalette = 1;
        FreeThumbnail();
        return true;
    }

    if (head.size() < kHeaderSize || LoadU32(head.data()) != 40)
        return false;
    const std::int64_t w = static_cast<std::int32_t>(LoadU32(head.data() + 4));
    const std::int64_t h = static_cast<std::int32_t>(LoadU32(head.data() + 8)) / 2;
    const int bits = LoadU16(head.data() + 14);
    const std::uint32_t compression = LoadU32(head.data() + 16);
    const std::uint64_t clrUsed = LoadU32(head.data() + 32);
    if (w <= 0 || h <= 0 || w > kMaxImageSide || h > kMaxImageSide || compression != BI_RGB)
        return false;

    // Tables shorter than the depth allows are common in files from other
    // tools; they are padded to the full size so the block matches the model.
    std::uint64_t fullTable = 0, storedTable = 0;
    switch (bits) {
    case 1:
    case 4:
    case 8:
        fullTable = 1u << bits;
        storedTable = clrUsed == 0 ? fullTable : clrUsed;
        if (storedTable > fullTable)
            return false;
        break;
    case 24:
    case 32:
        if (clrUsed != 0)
            return false;
        break;
    default:
        return false;
    }
    const BlockLayout stored = LayoutFor(w, h, bits, storedTable);
    const BlockLayout full = LayoutFor(w, h, bits, fullTable);
    if (full.total > kMaxImageBytes || stored.total > size - offset)
        return false;
    std::vector<std::uint8_t> bytes;
    if (read == ImageBytes::Read && !source.readAt(offset, stored.total, bytes))
        return false;
    if (read == ImageBytes::Read && storedTable != fullTable) {
        bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(stored.xorOffset),
                     static_cast<std::size_t>(4 * (fullTable - storedTable)), 0);
        StoreU32(bytes.data() + 32, static_cast<std::uint32_t>(fullTable));
        if (LoadU32(bytes.data() + 36) > fullTable)
            StoreU32(bytes.data() + 36, static_cast<std::uint32_t>(fullTable));
    }
    image = std::move(bytes);
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    colorCount = static_cast<int>(fullTable);
    imageSize = static_cast<int>(full.total);
    bitCountRaw = bits == 32 ? 32 : 0;
    png = false;
    standardPalette = 1;
    FreeThumbnail();
    return true;
}

void CIcon::WriteImage(std::vector<std::uint8_t>& out) const
{
    out.insert(out.end(), image.begin(), image.end());
}

// ---------------------------------------------------------------- formats

bool FormatLess(const FormatKey& a, const FormatKey& b)
{
    if (a.width != b.width)
        return a.width < b.width;
    if (a.height != b.height)
        return a.height < b.height;
    return a.bitDepth < b.bitDepth;
}

int BestFormatIndex(std::span<const FormatKey> formats, int sizeIndex, int colorIndex)
{
    static constexpr int kSizes[3] = {16, 32, 48};
    static constexpr int kColors[3] = {1, 18, 33};
    const int wantedSize = kSizes[std::clamp(sizeIndex, 0, 2)];
    const int wantedColor = kColors[std::clamp(colorIndex, 0, 2)];
    int best = formats.empty() ? -1 : 0;
    long long bestDistance = -1;
    for (std::size_t i = 0; i < formats.size(); ++i) {
        const FormatKey& f = formats[i];
        int value = f.colorCount;
        if (f.bitDepth == 32 || f.colorCount == 0)
            value = 48;
        else if (f.colorCount == 256)
            value = 32;
        long long distance = std::llabs(static_cast<long long>(wantedSize) - f.width) +
                             std::llabs(static_cast<long long>(wantedSize) - f.height) +
                             2 * std::llabs(static_cast<long long>(value) - wantedColor);
        // At equal distance the deepest format, 32 bits with alpha, wins over
        // 24 bits; between legacy formats the first one stays.
        const bool deeper =
            distance == bestDistance && f.bitDepth == 32 && formats[static_cast<std::size_t>(best)].bitDepth != 32;
        if (bestDistance < 0 || distance < bestDistance || deeper) {
            bestDistance = distance;
            best = static_cast<int>(i);
        }
    }
    return best;
}

namespace {

FormatKey KeyOf(const CIcon& icon)
{
    return {icon.width, icon.height, icon.bitCount(), icon.colorCount};
}

} // namespace

// ---------------------------------------------------------------- CIconGroup

CIconGroup::CIconGroup(const CIconGroup& other)
{
    *this = other;
}

CIconGroup& CIconGroup::operator=(const CIconGroup& other)
{
    if (this == &other)
        return *this;
    std::vector<std::unique_ptr<CIcon>> copies;
    copies.reserve(other.formats.size());
    for (const auto& f : other.formats)
        if (f)
            copies.push_back(std::make_unique<CIcon>(*f));
    formats = std::move(copies);
    SortFormats();
    name = other.name;
    displayFormat = -1;
    return *this;
}

bool CIconGroup::AddFormat(const CIcon& icon)
{
    formats.push_back(std::make_unique<CIcon>(icon));
    SortFormats();
    return true;
}

CIcon* CIconGroup::GetFormat(int i)
{
    if (i < 0 || i >= FormatCount())
        return nullptr;
    return formats[static_cast<std::size_t>(i)].get();
}

const CIcon* CIconGroup::GetFormat(int i) const
{
    if (i < 0 || i >= FormatCount())
        return nullptr;
    return formats[static_cast<std::size_t>(i)].get();
}

void CIconGroup::SortFormats()
{
    // A stable sort orders exactly as repeated adjacent swaps would, without
    // their quadratic cost on files with thousands of entries.
    if (formats.size() < 2)
        return;
    std::stable_sort(formats.begin(), formats.end(),
                     [](const std::unique_ptr<CIcon>& a, const std::unique_ptr<CIcon>& b) {
                         return FormatLess(KeyOf(*a), KeyOf(*b));
                     });
}

int CIconGroup::BestFormat(int sizeIndex, int colorIndex) const
{
    std::vector<FormatKey> keys;
    keys.reserve(formats.size());
    for (const auto& f : formats)
        keys.push_back(KeyOf(*f));
    return BestFormatIndex(keys, sizeIndex, colorIndex);
}

std::string CIconGroup::DisplayName() const
{
    return name.empty() ? LoadString(28) : name;
}

std::string CIconGroup::FormatCountText(int number) const
{
    const int count = FormatCount();
    if (number == 0)
        return count == 1 ? LoadString(29) : FormatString(30, count);
    return count == 1 ? FormatString(42, number) : FormatString(43, number, count);
}

int CIconGroup::FreeThumbnails()
{
    displayFormat = -1;
    for (auto& f : formats)
        f->FreeThumbnail();
    return FormatCount();
}

// SaveAsIco lives with the ICO writer (ico_file.cpp).

std::uint64_t NewContentId()
{
    static std::atomic<std::uint64_t> next{1};
    return next++;
}

// ---------------------------------------------------------------- CIconObject

CIconObject::CIconObject() : palette(StandardPalette())
{
    UpdateDescription();
}

CIconObject::CIconObject(int depth, int w, int h, int own) : palette(StandardPalette())
{
    SetFormat(depth, w, h, own);
}

namespace {

// Takes an icon's packed form and its decoded bitmaps into an object, as
// construction from a CIcon defines.
// A pixel that keeps no index.
constexpr std::uint32_t kNoKeptColour = 0xFF000000u;

// Remembers the indices of an 8-bit image as read, so that saving it again
// writes the same bytes even where its palette repeats a colour.
void KeepFileIndices(CIconObject& o)
{
    o.keptIndex.clear();
    o.keptColour.clear();
    const auto h = ParseBlockHeader(o.packed.image);
    if (!h || h->bitCount != 8 || h->width != o.color.width() || h->height != o.color.height() ||
        h->layout.total > o.packed.image.size())
        return;
    const std::size_t count = static_cast<std::size_t>(h->width) * static_cast<std::size_t>(h->height);
    o.keptIndex.resize(count);
    o.keptColour.resize(count);
    const std::uint64_t row = DibRowBytes(h->width, 8);
    for (int y = 0; y < h->height; ++y) {
        const std::uint8_t* in = o.packed.image.data() + h->layout.xorOffset + (h->height - 1 - y) * row;
        for (int x = 0; x < h->width; ++x) {
            const std::size_t p = static_cast<std::size_t>(y) * h->width + x;
            o.keptIndex[p] = in[x];
            o.keptColour[p] = o.color.rawPixel(x, y) & 0xFFFFFFu;
        }
    }
}

void AdoptIcon(CIconObject& o, const CIcon& icon, Bitmap c, Bitmap m)
{
    o.packed.CopyFrom(icon);
    o.packed.standardPalette = 1;
    o.color = std::move(c);
    o.mask = std::move(m);
    o.palette = o.packed.CreateImagePalette().value_or(Palette{});
    o.ownPalette = o.packed.standardPalette ? 0 : 1;
    o.width = o.packed.width;
    o.height = o.packed.height;
    o.converted = false;
    if (o.packed.isClassic()) {
        o.colorCount = o.packed.colorCount;
        o.bitDepth = BitDepthFromColorCount(o.colorCount);
        o.compressed = false;
        o.packedColor.reset();
        KeepFileIndices(o);
    } else {
        o.colorCount = 0;
        o.bitDepth = 32;
        o.compressed = o.packed.isPng();
        o.keptIndex.clear();
        o.keptColour.clear();
        // The bytes read stand for this image until it changes.
        o.packedColor = o.color;
    }
    o.UpdateDescription();
}

} // namespace

CIconObject::CIconObject(const CIcon& icon)
{
    Bitmap c, m;
    if (!icon.Unpack(c, m)) {
        // An image that cannot be decoded still gives an editable, empty
        // format of its size rather than no format at all.
        c = icon.isClassic() ? Bitmap::Color(icon.width, icon.height) : Bitmap::ColorAlpha(icon.width, icon.height);
        m = Bitmap::Mono(icon.width, icon.height);
        m.fill(RGB(255, 255, 255));
    }
    AdoptIcon(*this, icon, std::move(c), std::move(m));
}

bool CIconObject::SetFormat(int depth, int w, int h, int own)
{
    if (w < 0 || h < 0 || w > kMaxImageSide || h > kMaxImageSide)
        return false;
    bitDepth = depth;
    switch (depth) {
    case 1:
        colorCount = 2;
        ownPalette = 0;
        break;
    case 4:
        colorCount = 16;
        ownPalette = 0;
        break;
    case 8:
        colorCount = 256;
        ownPalette = own;
        break;
    case 24:
    case 32:
        colorCount = 0;
        ownPalette = 0;
        break;
    default:
        break;
    }
    width = w;
    height = h;
    converted = false;
    compressed = depth == 32 && DefaultCompressed(w, h);
    packedColor.reset();
    UpdateDescription();
    CreateBitmaps();
    return true;
}

void CIconObject::CreateBitmaps()
{
    keptIndex.clear();
    keptColour.clear();
    if (ownPalette)
        palette = SpectrumPalette();
    if (bitDepth == 32) {
        color = Bitmap::ColorAlpha(width, height);
    } else {
        color = Bitmap::Color(width, height);
        color.fill(RGB(0, 0, 0));
    }
    mask = Bitmap::Mono(width, height);
    mask.fill(RGB(255, 255, 255));
}

void CIconObject::UpdateDescription()
{
    selection = Rect{-1, -1, -1, -1};
    selectionActive = 0;
    floatingColor.reset();
    floatingMask.reset();
    workingWidth = width;
    workingHeight = height;
    description = FormatString(55084, width, height, FormatDepthName(bitDepth));
}

bool CIconObject::PackedIsCurrent() const
{
    return bitDepth == 32 && !packed.empty() && !packed.isClassic() && packed.isPng() == compressed &&
           packed.width == width && packed.height == height && packedColor && *packedColor == color;
}

bool CIconObject::PackInto(CIcon& out) const
{
    if (bitDepth == 32) {
        if (PackedIsCurrent()) {
            out.CopyFrom(packed);
            return true;
        }
        return out.PackArgb(ArgbFromBitmaps(color, &mask), compressed);
    }
    if (!out.AllocateImage(width, height, colorCount))
        return false;
    out.Pack(color, mask, palette.size() ? &palette : nullptr);
    return true;
}

void CIconObject::PackToIcon()
{
    if (bitDepth == 32) {
        // Unchanged images keep the bytes they were read or last packed with.
        if (PackedIsCurrent())
            return;
        if (packed.PackArgb(ArgbFromBitmaps(color, &mask), compressed))
            packedColor = color;
        return;
    }
    packedColor.reset();
    if (!packed.AllocateImage(width, height, colorCount))
        return;
    packed.Pack(color, mask, palette.size() ? &palette : nullptr);
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (bitDepth != 8 || keptIndex.size() != count || keptColour.size() != count)
        return;
    const BlockLayout l = LayoutFor(width, height, 8, 256);
    if (packed.image.size() != l.total)
        return;
    const std::uint64_t row = DibRowBytes(width, 8);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* out = packed.image.data() + l.xorOffset + (height - 1 - y) * row;
        for (int x = 0; x < width; ++x) {
            const std::size_t p = static_cast<std::size_t>(y) * width + x;
            if (keptColour[p] == (color.rawPixel(x, y) & 0xFFFFFFu))
                out[x] = keptIndex[p];
        }
    }
}

int CIconObject::PixelIndex(int x, int y) const
{
    const std::uint32_t v = color.rawPixel(x, y) & 0xFFFFFFu;
    const std::size_t p = static_cast<std::size_t>(y) * width + x;
    if (p < keptColour.size() && keptIndex.size() == keptColour.size() && keptColour[p] == v)
        return keptIndex[p];
    const Palette& pal = palette.size() ? palette : StandardPalette();
    return std::max(pal.nearestIndex(ColorRefFromPixel(v)), 0);
}

void CIconObject::ChangePalette(Palette next)
{
    const Palette old = palette.size() ? palette : StandardPalette();
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    const bool kept = keptIndex.size() == count && keptColour.size() == count;
    std::unordered_map<std::uint32_t, int> nearest;
    auto indexOf = [&](std::uint32_t v) {
        auto it = nearest.find(v);
        if (it == nearest.end())
            it = nearest.emplace(v, old.nearestIndex(ColorRefFromPixel(v))).first;
        return it->second;
    };
    std::vector<std::uint8_t> newIndex(count, 0);
    std::vector<std::uint32_t> newColour(count, kNoKeptColour);
    // onImage: the bitmap lies on the image, so the kept indices are its own.
    auto recolour = [&](Bitmap& c, const Bitmap* m, bool onImage, bool keep) {
        if (c.isNull() || c.isMono())
            return;
        const bool grid = onImage && kept && c.width() == width && c.height() == height;
        const bool masked = m && !m->isNull() && m->width() == c.width() && m->height() == c.height();
        for (int y = 0; y < c.height(); ++y)
            for (int x = 0; x < c.width(); ++x) {
                const std::uint32_t v = c.rawPixel(x, y) & 0xFFFFFFu;
                const std::size_t p = static_cast<std::size_t>(y) * c.width() + x;
                const bool hasKept = grid && keptColour[p] == v;
                // Transparent and inverted pixels stay black and white.
                if (masked && m->rawPixel(x, y)) {
                    if (keep && hasKept) {
                        newIndex[p] = keptIndex[p];
                        newColour[p] = v;
                    }
                    continue;
                }
                const int i = hasKept ? keptIndex[p] : indexOf(v);
                if (i < 0 || i >= next.size())
                    continue;
                const std::uint32_t to = PixelFromColorRef(next.colorRef(i));
                c.setRawPixel(x, y, to);
                if (keep) {
                    newIndex[p] = static_cast<std::uint8_t>(i);
                    newColour[p] = to & 0xFFFFFFu;
                }
            }
    };
    for (UndoState& u : undo)
        if (u.color)
            recolour(*u.color, u.mask ? &*u.mask : nullptr, true, false);
    if (floatingColor)
        recolour(*floatingColor, floatingMask ? &*floatingMask : nullptr, false, false);
    recolour(color, &mask, true, color.width() == width && color.height() == height);
    if (color.width() == width && color.height() == height) {
        keptIndex = std::move(newIndex);
        keptColour = std::move(newColour);
    }
    palette = std::move(next);
}

bool CIconObject::ReadFromFile(ByteSource& source, std::uint64_t offset)
{
    CIcon icon;
    if (!icon.ReadImage(source, offset))
        return false;
    Bitmap c, m;
    if (!icon.Unpack(c, m))
        return false;
    AdoptIcon(*this, icon, std::move(c), std::move(m));
    return true;
}

void CIconObject::WriteToFile(std::vector<std::uint8_t>& out)
{
    PackToIcon();
    packed.WriteImage(out);
}

} // namespace kavrel
