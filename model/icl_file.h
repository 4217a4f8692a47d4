// Icon libraries: 16-bit resource-only modules holding one RT_ICON resource
// per image format and one RT_GROUP_ICON resource per icon, with the icon
// names in the resident-name table behind the module name "ICL".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/icon_model.h"
#include "model/progress.h"

namespace kavrel {

// String-table numbers of the library writer's texts.
constexpr int kStrSaving = 55039;             // "Saving ..."
constexpr int kStrUnableToSaveLibrary = 55060;  // "Unable to save changes in the library "%s"."

// Names longer than this do not fit the one-byte length of the name table.
constexpr std::size_t kMaxLibraryNameLength = 255;

// The bytes of a library holding `icons` in order; nullopt when the icons do
// not fit the format (more than 32767 images or icons, or tables and data that
// no 16-bit offset can reach).
std::optional<std::vector<std::uint8_t>> BuildIconLibrary(const std::vector<CIconGroup>& icons);

// Writes `icons` as a library through the atomic writer. On failure returns
// false, leaves any old file as it was and, when `error` is given, sets it to
// the message to show.
bool WriteIconLibrary(const std::string& path, const std::vector<CIconGroup>& icons,
                      ProgressSink& progress = NullProgress(), std::string* error = nullptr);

}  // namespace kavrel
