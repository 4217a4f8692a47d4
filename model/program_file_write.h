// Writing edited images back into the program file they came from.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/byte_reader.h"

namespace kavrel {

struct ImageReplacement {
    std::uint64_t offset = 0;        // where the image was read from
    std::vector<std::uint8_t> bytes; // the packed image to put there
};

enum class WriteBackResult {
    Written,
    CannotRead,   // the file cannot be opened
    NotAnImage,   // no readable image at an offset, or one outside the file
    SizeMismatch, // a new image is not exactly as long as the one it replaces
    Overlap,      // two replacements share bytes
    WriteFailed,  // the copy could not be written; the file is unchanged
};

// What a write into a program file must respect, read from its headers.
struct ProgramFileLayout {
    bool pe = false;
    // Byte ranges [first, second) holding resource data: the raw data of a
    // PE's resource section, or every resource of a 16-bit module.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> resourceData;
    // A PE whose header checksum is set: where the checksum lies.
    std::optional<std::uint64_t> checksumOffset;
    bool signedFile = false; // a PE with a non-empty security directory

    bool Holds(std::uint64_t offset, std::uint64_t n) const;
};

// Nothing for a file that is neither a 16-bit module nor a PE, or whose
// headers do not lie inside it.
std::optional<ProgramFileLayout> ReadProgramFileLayout(ByteSource& source);

// The PE header checksum of the bytes, the field at checksumOffset counting
// as zero: 16-bit little-endian words added with their carries folded back,
// plus the file length.
class PeChecksum {
  public:
    explicit PeChecksum(std::uint64_t checksumOffset) : skip_(checksumOffset) {}
    void Add(const std::uint8_t* bytes, std::uint64_t n);
    std::uint32_t Value() const;

  private:
    std::uint64_t skip_;
    std::uint64_t pos_ = 0;
    std::uint64_t sum_ = 0;
};

// Replaces images of the file in a copy written beside it, then renames the
// copy over the file, keeping its permissions. Every image must have exactly
// the size of the image it replaces, since nothing else in the file may move.
// Nothing is written unless every replacement is valid. With checksumOffset
// the PE checksum there is recomputed for the new content.
WriteBackResult WriteImagesBack(const std::string& path, const std::vector<ImageReplacement>& images,
                                std::optional<std::uint64_t> checksumOffset = std::nullopt);

} // namespace kavrel
