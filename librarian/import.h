// Icons imported from files into a library (the librarian's Import and a
// library window's): each file's icons in order, unnamed ones named after
// the file.
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

// The file's name without its folder, cut at its first '.', in lower case
// with the first letter upper-cased: "/x/ARROWS.set.ico" gives "Arrows".
std::string ImportBaseName(const std::string& path);

struct ImportedIcons {
    std::vector<CIconGroup> icons;
    int filesWithoutIcons = 0; // the caller reports them (55048, 55049)
};

// Reads every file by its kind, with "Importing ..." progress. An unnamed
// icon takes the base name alone when its file holds one icon, else
// "base N" with N its position in the file from 1.
ImportedIcons ReadIconsForImport(const std::vector<std::string>& paths, ProgressSink& progress = NullProgress());

// The librarian's Import names icons a little differently from a library
// window's: without the extension (cut at the last '.', and only when that
// dot is not the first character), after the last '\\' too.
std::string LibrarianImportBaseName(const std::string& path);
// The icons of one file for the librarian, unnamed ones named "Base" (one
// icon) or "Base N".
std::vector<CIconGroup> IconsForImport(const std::string& path);

struct ImportResult {
    int added = 0;        // icons added
    int withoutIcons = 0; // files that gave none
    bool refused = false; // no library shown, or it is locked
};
// Adds the files' icons to the librarian's shown library (it becomes
// modified), with progress stepping per file when there are several.
ImportResult ImportIntoLibrarian(CLibrarian& librarian, const std::vector<std::string>& paths,
                                 ProgressSink& progress = NullProgress());

} // namespace kavrel
