// The Preferences sheet's rules: its three pages edit copies of settings,
// written back only on OK, in a fixed order. The Qt sheet
// (shell/prefs_dialog.h) only shows these values.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace kavrel {

enum class PrefsPage { General = 0, Editor = 1, Messages = 2 };

// One integer per control (check boxes 0 or 1, the pattern list an index).
struct PrefsValues {
    // General
    int iconeAuto = 0;
    int reorganiseLancement = 0;
    int confirmeSave = 0;
    int ecoRes = 0;
    int agrandissement = 0;
    int showIcoToolBar = 0;
    int showIclToolBar = 0;
    int showExeToolBar = 0;
    // Editor
    int motifTransparent = 0;
    std::uint32_t backgroundColour = 0;
    std::string backgroundText; // the colour button's decimal string, which OK reads
    int optionsDeCollage = 0;
    int afficheOmbreIcone = 0;
    int defaultZoomAuto = 0;
    int grilleAuto = 0;
    // Messages
    int showWarnTypes = 0;
    int showWarnExeType = 0;
    int showWarnColor = 0;
    int showBienvenue = 0;
    int showWarnColor16 = 0;
};

// The standard colour dialog. It edits `custom` (the 16 custom colours) in
// place whether or not the user confirms; true and `colour` set on OK.
class ColourChooser {
  public:
    virtual ~ColourChooser() = default;
    virtual bool ChooseColour(std::uint32_t& colour, std::uint32_t (&custom)[16]) = 0;
};

// What OK does besides copying the values.
struct PrefsEffects {
    std::function<void()> reloadPatterns; // MotifTransparent changed
    std::function<void()> repaintAll;     // every window inside the frame's children
};

// The values as the settings hold them now.
PrefsValues ReadPreferences();
// The colour button: the colour dialog on the button's colour and CustColor.
void ChooseBackgroundColour(PrefsValues& values, ColourChooser& chooser);
// OK: the values become the settings, then the effects run, and `page` is
// where the next opening starts.
void ApplyPreferences(const PrefsValues& values, PrefsPage page, const PrefsEffects& effects);

// The page the sheet opens on: the last one closed with OK during this run.
PrefsPage PreferencesStartPage();
void ResetPreferencesStartPage();

} // namespace kavrel
