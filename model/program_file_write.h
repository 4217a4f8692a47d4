// Writing edited images back into the program file they came from.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kavrel {

struct ImageReplacement {
    std::uint64_t offset = 0;         // where the image was read from
    std::vector<std::uint8_t> bytes;  // the packed image to put there
};

enum class WriteBackResult {
    Written,
    CannotRead,    // the file cannot be opened
    NotAnImage,    // no readable image at an offset, or one outside the file
    SizeMismatch,  // a new image is not exactly as long as the one it replaces
    Overlap,       // two replacements share bytes
    WriteFailed,   // the copy could not be written; the file is unchanged
};

// Replaces images of the file in a copy written beside it, then renames the
// copy over the file, keeping its permissions. Every image must have exactly
// the size of the image it replaces, since nothing else in the file may move.
// Nothing is written unless every replacement is valid.
WriteBackResult WriteImagesBack(const std::string& path, const std::vector<ImageReplacement>& images);

}  // namespace kavrel
