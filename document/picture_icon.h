// A PNG picture opened as a new untitled icon.
#pragma once

#include <optional>
#include <string>

#include "model/icon_model.h"
#include "model/png_image.h"

namespace kavrel {

// Whether the file opens as a picture rather than as an icon file (by name).
bool IsPictureToOpen(const std::string& path);

// An Open dialog filter ("Name|patterns|...||") with the entry for PNG
// pictures (string 61760) put before its last entry (all files).
std::string WithPictureFilter(const std::string& filter);

// The single 32-bit format a picture becomes: the picture as it is when
// both its sides are 8 to 256, else fitted into 256x256 with its aspect kept
// (transparent around). Written PNG-compressed when it is 256x256.
std::optional<CIcon> FormatFromPicture(const PngPixels& picture);

// An unnamed icon holding that format, read from a PNG file through the
// bounded reader; nullopt when the file cannot be read as a PNG picture.
std::optional<CIconGroup> IconFromPictureFile(const std::string& path);

} // namespace kavrel
