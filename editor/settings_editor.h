// Settings that the editor reads, as process-wide variables named by their
// registry values. The application loads them at start-up and writes them
// back at exit (shell/settings.cpp holds the table); the defaults below hold
// until then.
#pragma once

#include <cstdint>

namespace kavrel {

extern int MotifTransparent;             // 0-3: the pattern pair that shows transparent and inverted pixels
extern int DefaultZoomAuto;              // editor windows start with automatic zoom
extern int ShowApercu;                   // actual-size preview in the editor
extern int TransparentCopy;              // image transparency when moving or copying selections
extern int GrilleAuto;                   // editor windows start with the grid shown
extern int AfficheOmbreIcone;            // shade behind the icon edit area
extern std::uint32_t CouleurFondEditeur; // background of the edit window (0x00BBGGRR)

} // namespace kavrel
