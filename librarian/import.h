// Icons imported from files into a library (the librarian's Import and a
// library window's): each file's icons in order, unnamed ones named after
// the file.
#pragma once

#include <string>
#include <vector>

#include "model/icon_model.h"
#include "model/progress.h"

namespace kavrel {

constexpr int kStrImporting = 55091; // "Importing ..."

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

} // namespace kavrel
