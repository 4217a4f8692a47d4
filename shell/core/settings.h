// The program's settings: process-wide variables named by their registry
// values, loaded once at start-up and written once at exit, under
// HKEY_CURRENT_USER\Software\Orvane\Kavrel 4.0\<section>.
//
// Integers are registry numbers; texts and colours are strings (a colour is
// the decimal value of its 0x00BBGGRR colour reference). A missing value, or
// one of the wrong type, takes its default.
//
// Variables that a lower layer reads are defined in that layer (for example
// model/settings_model.h); this header gathers them all.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "editor/settings_editor.h"
#include "librarian/settings_librarian.h"
#include "model/settings_model.h"

namespace kavrel {

class Registry;

// The registry key of the application and its sections.
inline constexpr const char* kApplicationKey = "Software\\Orvane\\Kavrel 4.0";
inline constexpr const char* kProductTitle = "Kavrel 4.0";

// ---- prefs ----
// CouleursJPEG and EcoRes: model/settings_model.h; MotifTransparent,
// DefaultZoomAuto, ShowApercu, TransparentCopy, GrilleAuto, AfficheOmbreIcone,
// CouleurFondEditeur and ShowWarnColor: editor/settings_editor.h; ConfirmeSave,
// ORVBankSeparator*, LibBar* and File*: librarian/settings_librarian.h.
extern int OptionsDeCollage;    // propose the paste-options dialog
extern int IconeAuto;           // new icon at start-up when no file is named
extern int ReorganiseAuto;      // automatic desktop reorganisation (F11)
extern int ReorganiseLancement; // reorganise at start-up
extern int AfficheTaille;       // kept in the store only
extern int ShowWarnColor16;     // warn at start-up on a 16-colour display
extern int ShowBienvenue;       // welcome and tip of the day at start-up
extern int IndexOfTheTip;       // next tip to show
extern int ReorganiserPalettes; // kept in the store only
extern int PosEditeur;          // kept in the store only
extern int PosPalette;          // kept in the store only
extern int Agrandissement;      // document windows open maximised
extern int ShowIcoToolBar;      // local toolbar of icon editor windows
extern int ShowIclToolBar;      // local toolbar of icon-library windows
extern int ShowExeToolBar;      // local toolbar of program-file windows
extern int TypeReorganisation;  // 0 full window, 1 horizontal, 2 vertical
extern int ShowWarnExeType;     // "NOTE: Program File" after opening a program file
extern int ShowWarnTypes;       // warn at start-up when the associations are wrong
extern int TypesCorrectionAuto; // repair the associations without asking
extern int TypesTypeIcl;        // associate .icl, .il, .nil
extern int TypesTypeIco;        // associate .ico

// ---- paths ---- BankPathName: librarian/settings_librarian.h.

// ---- specs ----
// insertTextePolice, insertTexteTexte, insertTexteGras, insertTexteItalic and
// insertTexteTaille: editor/settings_editor.h; ExeFileName, ExeTitle,
// ExeCopyright and Converted: librarian/settings_librarian.h.

// ---- colors ---- (colour references 0x00BBGGRR; CustColor, PalColor and
// the palette bar's own values: editor/settings_editor.h)
extern std::uint32_t ClipBoardBackgroundColor;

// ---- Settings ---- (print preview)
extern int PreviewPages;

// One row of the settings table.
struct SettingInfo {
    // ColourValue: an editor colour value kept whole (palette indices and
    // pseudo-colours too), as signed decimal text.
    enum class Kind { Int, String, Colour, ColourValue };
    const char* section = "";
    std::string name; // value name ("CustColor01" and so on for the arrays)
    Kind kind = Kind::Int;
    int* intValue = nullptr;
    std::string* stringValue = nullptr;
    std::uint32_t* colourValue = nullptr;
    int intDefault = 0;      // Int
    int minimum = INT32_MIN; // Int: stored values outside [minimum, maximum] take the default
    int maximum = INT32_MAX;
    std::string stringDefault; // String
    std::uint32_t colourDefault = 0;
};

// Every setting of the table, "mainwin" excepted.
const std::vector<SettingInfo>& SettingsTable();

// Sets every variable to its default.
void ResetSettings();
// Reads every setting from the store (defaults where missing or mistyped).
void LoadSettings(Registry& registry);
void LoadSettings();
// Writes every setting to the store and saves the store's file. False when
// the file could not be written.
bool SaveSettings(Registry& registry);
bool SaveSettings();
// At exit: every setting and the recent files written; when the store cannot
// be written (folder not writable, a file where the folder should be) the
// user is told once, through Prompts(), with the system's reason. False then.
bool SaveSettingsAtExit(Registry& registry);

// Writes one setting at once (Converted is written as soon as the conversion
// ends). False for an unknown name or when the file could not be written.
bool SaveSetting(Registry& registry, std::string_view name);

// A colour string as the store holds it: decimal, a non-number reads as 0.
std::uint32_t ParseColourString(std::string_view text);

// ---- the main window placement ("mainwin") ----

struct WindowRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const WindowRect&) const = default;
};

struct MainWindowPlacement {
    WindowRect normal;     // the rectangle the window has when neither maximised nor minimised
    bool maximized = true; // shown maximised, and restores to maximised
};

enum class MainWindowState { Normal, Maximized, Minimized };

// Where to show the main window on a screen of this size.
MainWindowPlacement LoadMainWindowPlacement(Registry& registry, int screenWidth, int screenHeight);
// Written when the main window is destroyed. restoresToMaximized tells, for
// a minimised window, what it would restore to.
bool SaveMainWindowPlacement(Registry& registry, const WindowRect& normal, MainWindowState state,
                             bool restoresToMaximized);

// ---- the recent-file list ("Recent File List", File1..File10) ----

class RecentFileList {
  public:
    static constexpr int kMaxFiles = 10;

    void load(Registry& registry);
    bool save(Registry& registry) const;
    // Puts path first; an entry already in the list moves up.
    void add(const std::string& path);
    void remove(const std::string& path);
    void clear() { files_.clear(); }
    const std::vector<std::string>& files() const { return files_; }

  private:
    std::vector<std::string> files_;
};

RecentFileList& RecentFiles(); // the application's list

} // namespace kavrel
