// What the Open and Import commands need besides the dialog: the filter of
// the file kinds that can be opened, the preview of a chosen file, and the
// messages about chosen files that held no icon.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "model/ico_file.h"

namespace kavrel {

// A "Name|patterns|Name|patterns||" filter with the patterns of kinds that
// canOpen refuses taken out; an entry left with no pattern is dropped.
// Patterns of no known kind ("*.*") are kept.
std::string OpenFilter(const std::string& filter, const std::function<bool(FileKindType)>& canOpen);

// The filter's entries as (name, patterns) pairs, patterns split at ';'.
struct FilterEntry {
    std::string name;
    std::vector<std::string> patterns;
};
std::vector<FilterEntry> ParseFilter(const std::string& filter);

// The preview panel's contents for one chosen file: the caption
// "%d icon(s) in %s :" with the file's name, or "(No icon)", and the icons.
struct IconFilePreview {
    std::string caption;
    std::vector<CIconGroup> icons;
};
IconFilePreview PreviewIconFile(const std::string& path);
// "(Multiple selection)": what the panel shows for a file-name text that
// names several files (quoted names separated by blanks) or is too long to be
// one path.
bool IsMultipleSelectionText(const std::string& fileNameText);

// Whether a file holds at least one icon with at least one format.
bool FileHoldsIcons(const std::string& path);

// After the Open or Import command handled its chosen files: withoutIcon of
// them held no icon (and were not already reported by their document). One
// file gives string 55048, several give 55049 once; both with a stop icon.
void ReportFilesWithoutIcons(int chosen, int withoutIcon);

// A message about one named file (string 55048 and the like), naming it first
// so that a file opened from outside the program is recognised.
std::string AboutFile(const std::string& path, int stringId);
// One file handed over (command line, another instance, a drop) gave no icon:
// string 55048 naming the file, with a stop icon.
void ReportFileWithoutIcons(const std::string& path);

} // namespace kavrel
