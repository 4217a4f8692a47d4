// Fuzz entry points for picture import (BMP with RLE8, and JPEG).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kavrel::fuzz {

// Reads a BMP file and fits the picture into 32x32 formats of every depth.
int FuzzBmpReader(const std::uint8_t* data, std::size_t size);
// Decodes a JPEG stream (true colour, and quantised for odd sizes) and fits it.
int FuzzJpegReader(const std::uint8_t* data, std::size_t size);

// Seeds made by code: BMP files at 1, 4, 8 and 24 bits, a core header and
// RLE8; baseline and progressive JPEG streams in colour and grey.
std::vector<std::vector<std::uint8_t>> BmpSeeds();
std::vector<std::vector<std::uint8_t>> JpegSeeds();

// A grey size x size progressive JPEG whose AC coefficients are sent one at a
// time and refined bit by bit from bit `bits`: 1 + 63 x (bits + 1) scans.
std::vector<std::uint8_t> ManyScanJpeg(int size, int bits);

} // namespace kavrel::fuzz
