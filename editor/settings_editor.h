// Settings that the editor reads, as process-wide variables named by their
// registry values. The application loads them at start-up and writes them
// back at exit (shell/core/settings.cpp holds the table); the defaults below hold
// until then.
#pragma once

#include <cstdint>
#include <string>

namespace kavrel {

extern int MotifTransparent;             // 0-3: the pattern pair that shows transparent and inverted pixels
extern int DefaultZoomAuto;              // editor windows start with automatic zoom
extern int ShowApercu;                   // actual-size preview in the editor
extern int TransparentCopy;              // image transparency when moving or copying selections
extern int GrilleAuto;                   // editor windows start with the grid shown
extern int AfficheOmbreIcone;            // shade behind the icon edit area
extern std::uint32_t CouleurFondEditeur; // background of the edit window (0x00BBGGRR)
extern int ShowWarnColor;                // warn when the display has too few colours for a format

// ---- specs ---- (the Add text dialog's last choices)
extern std::string insertTextePolice; // font face
extern std::string insertTexteTexte;  // the text
extern int insertTexteGras;           // bold
extern int insertTexteItalic;
extern int insertTexteTaille; // size in points

// ---- colors ---- (colour references 0x00BBGGRR unless said otherwise)
extern std::uint32_t CustColor[16]; // CustColor01..16: the colour dialog's custom colours
extern std::uint32_t PalColor[48];  // PalColor01..48: the colour palette bar's cells
// The colour palette bar's standard cells 0 to 47 (cell 7 white, 47 black).
extern const std::uint32_t kStandardColourCells[48];
// The palette bar's own state, read when the bar is created and written back
// when it goes. The two colours are editor colour values (palette indices and
// pseudo-colours included), stored as signed decimal text.
extern std::uint32_t LeftColor;  // default 0
extern std::uint32_t RightColor; // default 0x01000000
extern int IsDirty;              // the cells hold changes not saved to a .pal file
extern int SelectedColor;        // the marked cell, 0 to 257
extern int LastButtonHit;        // 0 left, 1 right

} // namespace kavrel
