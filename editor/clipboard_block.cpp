#include "editor/clipboard_block.h"

#include "model/icon_model.h"

namespace kavrel {

namespace {

void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t Get32(std::span<const std::uint8_t> in, std::size_t at)
{
    return static_cast<std::uint32_t>(in[at]) | static_cast<std::uint32_t>(in[at + 1]) << 8 |
           static_cast<std::uint32_t>(in[at + 2]) << 16 | static_cast<std::uint32_t>(in[at + 3]) << 24;
}

// A region of the block, checked in 64 bits: inside the block and after the header.
bool Fits(std::uint64_t offset, std::uint64_t size, std::uint64_t length)
{
    return offset >= kClipboardBlockHeader && offset <= length && size <= length - offset;
}

} // namespace

std::vector<std::uint8_t> BuildClipboardBlock(const Bitmap& color, const Bitmap& mask, int bitDepth,
                                              const Palette* palette)
{
    const int w = color.width(), h = color.height();
    const std::uint64_t colorSize = static_cast<std::uint64_t>(w) * 4 * h;
    const std::uint64_t maskSize = MaskRowBytes(w) * h;
    const bool withPalette = bitDepth == 8 && palette && palette->size() > 0;
    const std::uint64_t paletteSize = bitDepth == 8 ? 1024 : 0;
    // A picture with alpha has no device-independent copy: its colour bits
    // are the picture.
    const PackedDib dib =
        color.hasAlpha() ? PackedDib{} : BitmapToDib(color, palette && palette->size() > 0 ? palette : nullptr);
    const std::uint64_t dibSize = dib.bytes.size();

    std::vector<std::uint8_t> out(kClipboardBlockHeader + colorSize + maskSize + paletteSize + dibSize);
    const std::uint64_t colorOffset = kClipboardBlockHeader;
    const std::uint64_t maskOffset = colorOffset + colorSize;
    const std::uint64_t paletteOffset = maskOffset + maskSize;
    const std::uint64_t dibOffset = paletteOffset + paletteSize;
    Put32(out, kBlockWidth, static_cast<std::uint32_t>(w));
    Put32(out, kBlockHeight, static_cast<std::uint32_t>(h));
    Put32(out, kBlockColorOffset, static_cast<std::uint32_t>(colorOffset));
    Put32(out, kBlockColorSize, static_cast<std::uint32_t>(colorSize));
    Put32(out, kBlockMaskOffset, static_cast<std::uint32_t>(maskOffset));
    Put32(out, kBlockMaskSize, static_cast<std::uint32_t>(maskSize));
    Put32(out, kBlockBitDepth, static_cast<std::uint32_t>(bitDepth));
    Put32(out, kBlockPaletteOffset, paletteSize ? static_cast<std::uint32_t>(paletteOffset) : 0);
    Put32(out, kBlockPaletteSize, static_cast<std::uint32_t>(paletteSize));
    Put32(out, kBlockDibOffset, dibSize ? static_cast<std::uint32_t>(dibOffset) : 0);
    Put32(out, kBlockDibSize, static_cast<std::uint32_t>(dibSize));

    // The colour bits as a 32-bit screen holds them: blue, green, red, 0
    // (the alpha in a bitmap that has one).
    const bool alpha = color.hasAlpha();
    std::size_t at = colorOffset;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = color.rawPixel(x, y);
            out[at++] = static_cast<std::uint8_t>(p);
            out[at++] = static_cast<std::uint8_t>(p >> 8);
            out[at++] = static_cast<std::uint8_t>(p >> 16);
            out[at++] = alpha ? static_cast<std::uint8_t>(p >> 24) : 0;
        }
    const bool maskOk = mask.width() == w && mask.height() == h;
    for (int y = 0; y < h; ++y) {
        const std::size_t row = maskOffset + MaskRowBytes(w) * y;
        for (int x = 0; x < w; ++x)
            if (maskOk && mask.rawPixel(x, y))
                out[row + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
    if (paletteSize)
        for (int i = 0; i < 256; ++i) {
            const std::size_t e = paletteOffset + 4 * i;
            if (withPalette && i < palette->size()) {
                out[e] = (*palette)[i].red;
                out[e + 1] = (*palette)[i].green;
                out[e + 2] = (*palette)[i].blue;
                out[e + 3] = (*palette)[i].flags;
            }
        }
    std::copy(dib.bytes.begin(), dib.bytes.end(), out.begin() + static_cast<std::ptrdiff_t>(dibOffset));
    return out;
}

std::optional<ClipboardBlock> ParseClipboardBlock(std::span<const std::uint8_t> in)
{
    if (in.size() < kClipboardBlockHeader)
        return std::nullopt;
    const std::uint64_t length = in.size();
    const std::uint64_t w = Get32(in, kBlockWidth), h = Get32(in, kBlockHeight);
    const std::uint32_t depth = Get32(in, kBlockBitDepth);
    if (w == 0 || h == 0 || w > kMaxImageSide || h > kMaxImageSide || w * h * 4 > kMaxImageBytes)
        return std::nullopt;
    if (depth != 1 && depth != 4 && depth != 8 && depth != 24 && depth != 32)
        return std::nullopt;
    const std::uint64_t colorOffset = Get32(in, kBlockColorOffset), colorSize = Get32(in, kBlockColorSize);
    const std::uint64_t maskOffset = Get32(in, kBlockMaskOffset), maskSize = Get32(in, kBlockMaskSize);
    const std::uint64_t paletteOffset = Get32(in, kBlockPaletteOffset), paletteSize = Get32(in, kBlockPaletteSize);
    const std::uint64_t dibOffset = Get32(in, kBlockDibOffset), dibSize = Get32(in, kBlockDibSize);
    if (!Fits(colorOffset, colorSize, length) || !Fits(maskOffset, maskSize, length))
        return std::nullopt;
    if (maskSize != MaskRowBytes(static_cast<std::int64_t>(w)) * h)
        return std::nullopt;
    if (paletteSize != 0 && (paletteSize != 1024 || !Fits(paletteOffset, paletteSize, length)))
        return std::nullopt;
    if (dibSize != 0 && !Fits(dibOffset, dibSize, length))
        return std::nullopt;

    ClipboardBlock b;
    b.width = static_cast<int>(w);
    b.height = static_cast<int>(h);
    b.bitDepth = static_cast<int>(depth);
    if (depth == 32) {
        // The colour bits carry the alpha; such a block has no copy.
        if (colorSize != w * 4 * h || dibSize != 0)
            return std::nullopt;
        b.color = Bitmap::ColorAlpha(b.width, b.height);
        std::size_t at = colorOffset;
        for (int y = 0; y < b.height; ++y)
            for (int x = 0; x < b.width; ++x, at += 4)
                b.color.setRawPixel(x, y,
                                    static_cast<std::uint32_t>(in[at + 3]) << 24 |
                                        static_cast<std::uint32_t>(in[at + 2]) << 16 |
                                        static_cast<std::uint32_t>(in[at + 1]) << 8 | in[at]);
    } else if (dibSize != 0) {
        PackedDib dib;
        dib.bytes.assign(in.begin() + static_cast<std::ptrdiff_t>(dibOffset),
                         in.begin() + static_cast<std::ptrdiff_t>(dibOffset + dibSize));
        const auto header = dib.header();
        if (!header || header->biWidth != static_cast<std::int32_t>(w) ||
            (header->biHeight != static_cast<std::int32_t>(h) && header->biHeight != -static_cast<std::int32_t>(h)))
            return std::nullopt;
        // The copy's rows must be there before a bitmap of its size is made.
        const std::uint64_t rows = DibRowBytes(header->biWidth, header->biBitCount) * h;
        if (header->biCompression != BI_RGB || rows > dib.bits().size())
            return std::nullopt;
        auto bitmap = DibToBitmap(dib);
        if (!bitmap)
            return std::nullopt;
        b.color = std::move(*bitmap);
    } else {
        // Only the 32-bit colour bits this program writes can be read back.
        if (colorSize != w * 4 * h)
            return std::nullopt;
        b.color = Bitmap::Color(b.width, b.height);
        std::size_t at = colorOffset;
        for (int y = 0; y < b.height; ++y)
            for (int x = 0; x < b.width; ++x, at += 4)
                b.color.setRawPixel(x, y,
                                    0xFF000000u | static_cast<std::uint32_t>(in[at + 2]) << 16 |
                                        static_cast<std::uint32_t>(in[at + 1]) << 8 | in[at]);
    }
    b.mask = Bitmap::Mono(b.width, b.height);
    for (int y = 0; y < b.height; ++y) {
        const std::size_t row = maskOffset + MaskRowBytes(b.width) * y;
        for (int x = 0; x < b.width; ++x)
            b.mask.setRawPixel(x, y, (in[row + x / 8] & (0x80 >> (x % 8))) ? 1 : 0);
    }
    if (paletteSize == 1024) {
        std::vector<PaletteEntry> entries(256);
        for (int i = 0; i < 256; ++i) {
            const std::size_t e = paletteOffset + 4 * i;
            entries[i] = {in[e], in[e + 1], in[e + 2], in[e + 3]};
        }
        b.palette = Palette(std::move(entries));
    }
    return b;
}

} // namespace kavrel
