// Fuzz entry point for the program's own clipboard block, which another
// program may have put on the clipboard under our name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kavrel::fuzz {

// Parses the bytes as a block and, when accepted, touches every pixel.
int FuzzClipboardBlock(const std::uint8_t* data, std::size_t size);
// Blocks of 24 and 8 bits, odd widths, and truncated ones.
std::vector<std::vector<std::uint8_t>> ClipboardSeeds();

} // namespace kavrel::fuzz
