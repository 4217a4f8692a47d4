// Fuzz entry point for the palette files (.pal and .pa8).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kavrel::fuzz {

// Reads the bytes as both kinds of palette file.
int FuzzPaletteFile(const std::uint8_t* data, std::size_t size);
// Whole and truncated files of both kinds.
std::vector<std::vector<std::uint8_t>> PaletteSeeds();

}  // namespace kavrel::fuzz
