// Whole-region operations on an image format: the two mirrors and colour
// inversion over a rectangle (the selection), and the quarter turn of a square
// image. They change the bitmaps only; saving an undo state, repainting and
// the modified flag are the caller's.
#pragma once

#include "platform/gdi.h"

namespace kavrel {

class CIconObject;

// Reverses every row (horizontal) or column (vertical) of the rectangle
// (right and bottom exclusive, clipped to the image), colour and mask alike.
void MirrorHorizontal(CIconObject& format, const Rect& area);
void MirrorVertical(CIconObject& format, const Rect& area);

// Inverts the colour bits of the rectangle and leaves the mask alone, so a
// transparent pixel becomes inverted and an inverted one transparent. 24 bits
// invert each channel; 8 bits likewise, then take the nearest palette colour;
// 1 and 4 bits exchange opposite entries of the 16-colour table (a colour not
// in it becomes black).
void InvertColors(CIconObject& format, const Rect& area);
// The inverse of one colour at a bit depth by the rules above, before any
// nearest palette colour is taken.
COLORREF InvertedColor(COLORREF rgb, int bitDepth);

// A quarter turn anticlockwise on the screen, in place: pixel (x, y) moves to
// (y, N - 1 - x). Only square images turn; false (nothing done) otherwise.
bool CanRotate(const CIconObject& format);
bool Rotate90(CIconObject& format);

} // namespace kavrel
