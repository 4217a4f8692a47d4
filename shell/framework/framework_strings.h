// Numbers of the framework's and the application's own texts in the string table.
#pragma once

namespace kavrel {

inline constexpr int kStrVideoTitle = 61702;   // "Insufficient video configuration"
inline constexpr int kStrVideoText = 61703;    // "Your Windows system is configured for only 16 color..."
inline constexpr int kStrVideoAdvice1 = 61704; // ". 640x480 256 colors"
inline constexpr int kStrVideoAdvice2 = 61705; // ". 800x600, 65535 colors (recommended)"
inline constexpr int kStrVideoOk = 61706;      // " OK"
inline constexpr int kStrVideoAlways = 61707;  // "&Always Display this Warning Message"

} // namespace kavrel
