// PNG-compressed images as modern ICO files hold them: the header facts, the
// stream length (by walking its chunks) and decoding from memory, with the
// size limits checked before anything is decoded.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/byte_reader.h"

namespace kavrel {

constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

bool HasPngSignature(std::span<const std::uint8_t> bytes);

struct PngHeader {
    int width = 0;
    int height = 0;
    int bitDepth = 0;   // per channel
    int colorType = 0;  // as IHDR says
};

// The IHDR of a PNG stream (signature, then IHDR first). nullopt when it is
// not one, or when its size is zero or over the image limits.
std::optional<PngHeader> ReadPngHeader(std::span<const std::uint8_t> bytes);

// The byte length of the PNG stream at `offset`, through its IEND chunk,
// without reading more than the chunk headers. nullopt when the stream runs
// past the end of the source or past maxLength.
std::optional<std::uint64_t> PngStreamLength(ByteSource& source, std::uint64_t offset, std::uint64_t maxLength);

// Decoded pixels: top-down rows of 0xAARRGGBB.
struct PngPixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;
};

// Decodes a PNG stream held in memory. nullopt on a damaged stream or one
// whose header claims more than the image limits.
std::optional<PngPixels> DecodePng(std::span<const std::uint8_t> bytes);

// Encodes top-down 0xAARRGGBB rows as an RGBA PNG (empty on failure).
std::vector<std::uint8_t> EncodePng(const PngPixels& pixels);

}  // namespace kavrel
