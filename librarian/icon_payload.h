// Icons dragged between lists travel as one MIME type of ours: a small
// header (where they come from, their indices there and their names) and
// each icon as the bytes of an ICO file, read back through the ICO reader.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/icon_model.h"

namespace kavrel {

inline constexpr const char* kIconsMimeType = "application/x-kavrel-icons";

enum class IconSourceKind : std::uint8_t {
    LibrarianBar = 0,
    LibraryWindow = 1,
    ProgramFile = 2,
};

struct IconPayload {
    IconSourceKind kind = IconSourceKind::LibrarianBar;
    // Names the source list for the receiver: the library or program file's
    // path (the bar's shown library for the bar).
    std::string sourceKey;
    std::string title;        // the source document's title
    std::vector<int> indices; // in the source list, one per icon, distinct
    std::vector<CIconGroup> icons;
};

// Limits a payload must keep to be accepted.
constexpr std::size_t kMaxPayloadIcons = 65535;
constexpr std::size_t kMaxPayloadText = 4096;

std::vector<std::uint8_t> EncodeIconPayload(const IconPayload& payload);
// nullopt for anything that is not a whole, well-formed payload: wrong
// magic or version, lengths past the end, too many icons, repeated indices,
// an icon whose ICO bytes the reader refuses, or bytes left over.
std::optional<IconPayload> DecodeIconPayload(std::span<const std::uint8_t> bytes);

// The selected icons of a list, in list order.
class CIconList;
IconPayload MakeIconPayload(const CIconList& list, IconSourceKind kind, const std::string& sourceKey,
                            const std::string& title);

enum class DropAction { Copy, Move };
// Icons from the librarian or a library window move unless Ctrl is held at
// the drop; icons from a program file are always copied.
DropAction DropActionFor(IconSourceKind kind, bool ctrlHeld);

// The icons a drop inserts: copies, and an unnamed icon from a program file
// takes the file's title up to its first '.' ("Shell32" for one icon,
// "Shell32 1", "Shell32 2", ... by its place among the dragged icons).
std::vector<CIconGroup> DroppedIcons(const IconPayload& payload);

} // namespace kavrel
