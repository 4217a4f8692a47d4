// Settings that the librarian reads, as process-wide variables named by their
// registry values. The application loads them at start-up and writes them
// back at exit (shell/settings.cpp holds the table); the defaults below hold
// until then.
#pragma once

#include <string>

namespace kavrel {

// ---- prefs ----
extern int ConfirmeSave;        // ask before a library with changes is saved
extern int ORVBankSeparatorH;   // librarian bar, tall layout: y of the split
extern int ORVBankSeparatorV;   // librarian bar, wide layout: x of the split
extern int LibBarSizeV;         // docked librarian bar height (top or bottom)
extern int LibBarSizeH;         // docked librarian bar width (left or right)
extern int LibBarFloatSizeV;    // floating librarian bar height
extern int LibBarFloatSizeH;    // floating librarian bar width
extern int LibBarTailleAffiche; // librarian grid size class: 0, 1, 2 = 16, 32, 48
extern int LibBarAfficheInfos;  // librarian grid shows names and format counts
extern int LibBarColorAffiche;  // librarian grid colour class: 0 mono, 1 16, 2 256 or more
extern int FileTailleAffiche;   // program-file and library windows: size class
extern int FileAfficheInfos;    // ... names and format counts under icons
extern int FileColorAffiche;    // ... colour class

// ---- paths ----
extern std::string BankPathName; // librarian item last selected; empty: the root

// ---- specs ----
extern std::string ExeFileName; // compile: last output file
extern std::string ExeTitle;
extern std::string ExeCopyright;
extern int Converted; // 1 once the earlier librarian was converted

} // namespace kavrel
