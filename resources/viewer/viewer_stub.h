// The viewer program that compiled icon sets start with: a 32-bit windowed
// Windows program whose sections end at its last byte, built from
// resources/viewer at build time.
#pragma once

#include <cstdint>
#include <span>

namespace kavrel {

// Empty when Kavrel was built without the cross compiler.
std::span<const std::uint8_t> ViewerStub();

} // namespace kavrel
