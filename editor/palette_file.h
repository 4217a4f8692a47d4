// Palette files of the colour palette bar: .pal holds the 48 colour cells,
// .pa8 the 256 entries of an 8-bit format's own palette. Each is a six-byte
// magic ("KVPAL" or "KVPA8" and a zero byte) followed by little-endian
// 0x00BBGGRR values, nothing else.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/gdi.h"

namespace kavrel {

enum class PaletteFileKind { Cells, Palette256 };

inline constexpr std::size_t kPaletteMagicSize = 6;
inline constexpr int kPalCellCount = 48;
inline constexpr int kPa8EntryCount = 256;
inline constexpr std::size_t kPalFileSize = kPaletteMagicSize + 4 * kPalCellCount;  // 198
inline constexpr std::size_t kPa8FileSize = kPaletteMagicSize + 4 * kPa8EntryCount; // 1030

int PaletteFileValueCount(PaletteFileKind kind);

enum class PaletteReadResult { Ok, CannotOpen, WrongMagic };

// Reads a palette file. values receives the colours the file holds, in
// order: a truncated file gives fewer than the full count (only whole
// values), and the caller keeps its own colours for the rest. A file whose
// first six bytes are not the kind's magic gives WrongMagic and no values.
PaletteReadResult ReadPaletteFile(const std::string& path, PaletteFileKind kind, std::vector<COLORREF>& values);
PaletteReadResult DecodePaletteFile(std::span<const std::uint8_t> bytes, PaletteFileKind kind,
                                    std::vector<COLORREF>& values);

// The file's bytes; values beyond the kind's count are ignored and missing
// ones written as black.
std::vector<std::uint8_t> EncodePaletteFile(PaletteFileKind kind, std::span<const COLORREF> values);
// Writes through the atomic writer: false leaves any old file as it was.
// `error` receives the system's error number of a failed write.
bool WritePaletteFile(const std::string& path, PaletteFileKind kind, std::span<const COLORREF> values,
                      int* error = nullptr);

// The path with the kind's extension (".pal" or ".pa8") added when the file
// name has none.
std::string WithPaletteExtension(const std::string& path, PaletteFileKind kind);

} // namespace kavrel
