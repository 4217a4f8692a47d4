// The program's own clipboard block ("Kavrel 4.0 Data"): a 44-byte header of
// eleven little-endian 32-bit fields, then the colour bits, the mask bits,
// the palette (8-bit formats only) and a packed device-independent copy of
// the colour pixels. The colour bits are written at 32 bits per pixel, as a
// true-colour screen holds them; the device-independent copy is what a paste
// draws, so the block stays readable whatever the screen. A block of a 32-bit
// format holds each pixel's alpha in the fourth byte of its colour bits and
// no device-independent copy; a paste draws those bits with their alpha.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/dib.h"
#include "platform/gdi.h"

namespace kavrel {

// Field offsets of the header.
enum ClipboardBlockField : std::size_t {
    kBlockWidth = 0,
    kBlockHeight = 4,
    kBlockColorOffset = 8,
    kBlockColorSize = 12,
    kBlockMaskOffset = 16,
    kBlockMaskSize = 20,
    kBlockBitDepth = 24,
    kBlockPaletteOffset = 28,
    kBlockPaletteSize = 32,
    kBlockDibOffset = 36,
    kBlockDibSize = 40,
};
constexpr std::size_t kClipboardBlockHeader = 44;

// Mask rows are word-aligned, one bit per pixel, top row first.
constexpr std::uint64_t MaskRowBytes(std::int64_t width)
{
    return static_cast<std::uint64_t>((width + 15) / 16) * 2;
}

// Assembles the block from a colour bitmap and its mask (same size), the
// source format's depth and, for 8 bits, its palette.
std::vector<std::uint8_t> BuildClipboardBlock(const Bitmap& color, const Bitmap& mask, int bitDepth,
                                              const Palette* palette);

struct ClipboardBlock {
    int width = 0, height = 0, bitDepth = 24;
    Bitmap color; // the device-independent copy when present, else the colour bits (with alpha for 32 bits)
    Bitmap mask;  // monochrome
    std::optional<Palette> palette;
};

// Reads a block. nullopt for anything whose sizes or offsets do not fit its
// length or each other, an unknown depth, or a size over the image limits;
// nothing is allocated before the sizes are checked.
std::optional<ClipboardBlock> ParseClipboardBlock(std::span<const std::uint8_t> block);

} // namespace kavrel
