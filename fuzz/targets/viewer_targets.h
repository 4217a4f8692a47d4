// Fuzz entry point for the viewer program's core: its reading of the
// program's own file and of the icon library behind it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kavrel::fuzz {

// The input as a whole program file and as a bare library; every icon read
// is written as an ICO file, which must fill exactly the size announced.
int FuzzViewerCore(const std::uint8_t* data, std::size_t size);
std::vector<std::vector<std::uint8_t>> ViewerSeeds();

} // namespace kavrel::fuzz
