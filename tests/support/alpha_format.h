// Formats with alpha made by hand, for tests of the editor and its windows.
#pragma once

#include "model/icon_model.h"
#include "support/pixel_picture.h"

namespace kavrel::test {

// Turns a format into a transparent 32-bit one, as a modern icon is edited.
inline void MakeAlphaFormat(CIconObject& f)
{
    f.bitDepth = 32;
    f.colorCount = 0;
    f.ownPalette = 0;
    AlphaImage(f.width, f.height, f.color, f.mask);
}

} // namespace kavrel::test
