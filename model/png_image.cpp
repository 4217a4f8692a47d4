#include "model/png_image.h"

#include <png.h>

#include <algorithm>
#include <cstring>

#include "model/icon_model.h"

namespace kavrel {

namespace {

std::uint32_t LoadBE32(const std::uint8_t* p)
{
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}

bool WithinLimits(std::uint64_t width, std::uint64_t height)
{
    return width >= 1 && height >= 1 && width <= kMaxImageSide && height <= kMaxImageSide &&
           width * height * 4 <= kMaxImageBytes;
}

}  // namespace

bool HasPngSignature(std::span<const std::uint8_t> bytes)
{
    return bytes.size() >= 8 && std::memcmp(bytes.data(), kPngSignature, 8) == 0;
}

std::optional<PngHeader> ReadPngHeader(std::span<const std::uint8_t> bytes)
{
    // Signature (8), IHDR length (4) and type (4), then its 13 bytes.
    if (bytes.size() < 8 + 8 + 13 || !HasPngSignature(bytes))
        return std::nullopt;
    const std::uint8_t* p = bytes.data() + 8;
    if (LoadBE32(p) != 13 || std::memcmp(p + 4, "IHDR", 4) != 0)
        return std::nullopt;
    std::uint32_t width = LoadBE32(p + 8);
    std::uint32_t height = LoadBE32(p + 12);
    if (!WithinLimits(width, height))
        return std::nullopt;
    PngHeader h;
    h.width = static_cast<int>(width);
    h.height = static_cast<int>(height);
    h.bitDepth = p[16];
    h.colorType = p[17];
    return h;
}

std::optional<std::uint64_t> PngStreamLength(ByteSource& source, std::uint64_t offset, std::uint64_t maxLength)
{
    std::uint64_t size = source.size();
    if (offset > size)
        return std::nullopt;
    std::uint64_t limit = std::min(size - offset, maxLength);
    std::uint64_t pos = 8;  // past the signature
    std::vector<std::uint8_t> head;
    // Each chunk is at least 12 bytes, so the walk ends within limit / 12 steps.
    while (pos + 12 <= limit) {
        if (!source.readAt(offset + pos, 8, head))
            return std::nullopt;
        std::uint64_t length = LoadBE32(head.data());
        if (length > 0x7FFFFFFFu)
            return std::nullopt;
        std::uint64_t end = pos + 12 + length;
        if (end > limit)
            return std::nullopt;
        if (std::memcmp(head.data() + 4, "IEND", 4) == 0)
            return end;
        pos = end;
    }
    return std::nullopt;
}

std::optional<PngPixels> DecodePng(std::span<const std::uint8_t> bytes)
{
    // Refuse by our own reading of IHDR first: libpng would otherwise size its
    // buffers from whatever the stream claims.
    auto header = ReadPngHeader(bytes);
    if (!header)
        return std::nullopt;

    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        return std::nullopt;
    if (static_cast<int>(image.width) != header->width || static_cast<int>(image.height) != header->height) {
        png_image_free(&image);
        return std::nullopt;
    }
    image.format = PNG_FORMAT_BGRA;
    PngPixels out;
    out.width = header->width;
    out.height = header->height;
    out.argb.assign(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height), 0);
    // BGRA bytes in memory are 0xAARRGGBB little-endian words.
    if (!png_image_finish_read(&image, nullptr, out.argb.data(), static_cast<png_int_32>(out.width * 4), nullptr)) {
        png_image_free(&image);
        return std::nullopt;
    }
    for (auto& px : out.argb) {
        const auto* b = reinterpret_cast<const std::uint8_t*>(&px);
        px = (static_cast<std::uint32_t>(b[3]) << 24) | (static_cast<std::uint32_t>(b[2]) << 16) |
             (static_cast<std::uint32_t>(b[1]) << 8) | b[0];
    }
    return out;
}

std::vector<std::uint8_t> EncodePng(const PngPixels& pixels)
{
    if (!WithinLimits(static_cast<std::uint64_t>(std::max(pixels.width, 0)),
                      static_cast<std::uint64_t>(std::max(pixels.height, 0))) ||
        pixels.argb.size() != static_cast<std::size_t>(pixels.width) * static_cast<std::size_t>(pixels.height))
        return {};
    std::vector<std::uint8_t> rgba(pixels.argb.size() * 4);
    for (std::size_t i = 0; i < pixels.argb.size(); ++i) {
        std::uint32_t px = pixels.argb[i];
        rgba[4 * i + 0] = static_cast<std::uint8_t>(px >> 16);
        rgba[4 * i + 1] = static_cast<std::uint8_t>(px >> 8);
        rgba[4 * i + 2] = static_cast<std::uint8_t>(px);
        rgba[4 * i + 3] = static_cast<std::uint8_t>(px >> 24);
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(pixels.width);
    image.height = static_cast<png_uint_32>(pixels.height);
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr))
        return {};
    std::vector<std::uint8_t> out(size);
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, rgba.data(), 0, nullptr))
        return {};
    out.resize(size);
    return out;
}

}  // namespace kavrel
