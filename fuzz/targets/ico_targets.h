// Fuzz entry points for the ICO reader and the DIB paths under it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kavrel::fuzz {

// Reads an ICO file, writes it back and reads that again: the formats and
// their bytes must survive. Aborts on a mismatch.
int FuzzIcoReader(const std::uint8_t* data, std::size_t size);
// The bytes as a packed DIB and as one ICO image: header parsing, colour
// tables, conversion to a bitmap, unpacking and compositing.
int FuzzDibReader(const std::uint8_t* data, std::size_t size);

}  // namespace kavrel::fuzz
