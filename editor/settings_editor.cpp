#include "editor/settings_editor.h"

namespace kavrel {

int MotifTransparent = 0;
int DefaultZoomAuto = 1;
int ShowApercu = 1;
int TransparentCopy = 1;
int GrilleAuto = 1;
int AfficheOmbreIcone = 1;
std::uint32_t CouleurFondEditeur = 0x804000;

} // namespace kavrel
