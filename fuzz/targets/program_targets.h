// Fuzz entry points for the program-file reader (NE, which includes icon
// libraries, and PE).
#pragma once

#include <cstddef>
#include <cstdint>

namespace kavrel::fuzz {

// Reads the icons of a 16-bit module; the icons read must survive being
// written as an icon library and read back. Aborts on a mismatch.
int FuzzNeReader(const std::uint8_t* data, std::size_t size);
// Reads the icons of a 32- or 64-bit program file.
int FuzzPeReader(const std::uint8_t* data, std::size_t size);

}  // namespace kavrel::fuzz
