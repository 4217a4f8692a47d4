// Import into the shown library: every icon of each chosen file is added at
// the end, an unnamed one named after its file.
#pragma once

#include <string>
#include <vector>

#include "model/icon_model.h"
#include "model/progress.h"

namespace kavrel {

class CLibrarian;

constexpr int kStrImporting = 55091;     // "Importing ..." (progress)
constexpr int kStrImportTitle = 55080;   // "Importing ..." (dialog title)
constexpr int kStrNoIconInFile = 55048;  // "The specified file does not contains icons or is invalid"
constexpr int kStrNoIconInFiles = 55049; // "One or more selected files had no icon."

// The base name a file gives its unnamed icons: lower case, without folder
// and extension (cut only when its dot is not the first character), first
// letter upper case.
std::string ImportBaseName(const std::string& path);
// The icons of one file, unnamed ones named "Base" (one icon) or "Base N".
std::vector<CIconGroup> IconsForImport(const std::string& path);

struct ImportResult {
    int added = 0;        // icons added
    int withoutIcons = 0; // files that gave none
    bool refused = false; // no library shown, or it is open in its own window
};
// Adds the files' icons to the shown library (it becomes modified), with
// progress stepping per file when there are several.
ImportResult ImportIntoLibrarian(CLibrarian& librarian, const std::vector<std::string>& paths,
                                 ProgressSink& progress = NullProgress());

} // namespace kavrel
