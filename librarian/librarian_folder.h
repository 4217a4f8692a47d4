// Where the librarian lives on disk.
#pragma once

#include <string>

namespace kavrel {

// $KAVREL_LIBRARIAN when set; else "librarian" in the program folder when that
// folder is writable; else $XDG_DATA_HOME/kavrel/librarian (default
// ~/.local/share/kavrel/librarian).
std::string ChooseLibrarianFolder(const std::string& programFolder);
// Whether the choice came from $KAVREL_LIBRARIAN.
bool LibrarianFolderFromEnvironment();
// Makes sure the librarian folder is a directory; false when it cannot be.
// A plain file in the way is removed only in the program's own folder.
bool EnsureLibrarianFolder(const std::string& folder, bool inProgramFolder);

} // namespace kavrel
