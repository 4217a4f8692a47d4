// Import image: a BMP, JPEG or PNG picture fitted into the edited format,
// its colours brought to the format's depth, and pasted at the top-left as a
// floating selection. A PNG picture brings its transparency: its alpha in a
// format that holds alpha, else alpha below 128 as transparent pixels.
#pragma once

#include <string>

namespace kavrel {

class CIconViewState;

// The import dialog's title and filter (strings 13, 55128 and 55129).
std::string ImportDialogTitle();
std::string ImportDialogFilter();

struct ImportResult {
    bool pasted = false;
    bool paletteReplaced = false;
};
// Reads the picture and pastes it into the view's format. A format with its
// own palette asks first (string 55102) whether a 256-colour picture's
// palette replaces it. A picture that cannot be read pastes nothing.
ImportResult ImportPictureFile(CIconViewState& view, const std::string& path);

} // namespace kavrel
