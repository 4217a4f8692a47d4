// Fuzz entry point for the drag payload of icon lists.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kavrel::fuzz {

// Decodes a payload; one that is accepted must encode and decode again to
// the same header, names and image bytes. Aborts on a mismatch.
int FuzzIconPayload(const std::uint8_t* data, std::size_t size);

} // namespace kavrel::fuzz
