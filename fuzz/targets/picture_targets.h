// Fuzz entry points for picture import (BMP with RLE8, and JPEG).
#pragma once

#include <cstddef>
#include <cstdint>

namespace kavrel::fuzz {

// Reads a BMP file and fits the picture into 32x32 formats of every depth.
int FuzzBmpReader(const std::uint8_t* data, std::size_t size);
// Decodes a JPEG stream (true colour, and quantised for odd sizes) and fits it.
int FuzzJpegReader(const std::uint8_t* data, std::size_t size);

}  // namespace kavrel::fuzz
