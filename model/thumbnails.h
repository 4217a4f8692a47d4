// Thumbnails of a packed image format for lists, grids and dialogs. Each one
// ANDs the mask and then XORs the colour bits onto its background, so
// transparent pixels show the background and inverted pixels invert it;
// 32-bit and PNG images are blended onto it with their alpha.
#pragma once

#include "model/icon_model.h"
#include "platform/gdi.h"

namespace kavrel {

// The largest cell a cell thumbnail renders (its off-screen bitmap and cache).
constexpr int kThumbnailCellSize = 70;

// A thumbnail in a list or grid cell: the window colour behind the image, an
// image larger than maxSize in either direction stretched to maxSize square,
// a smaller one drawn at its size, centred in the cell. The rendered cell is
// cached in the icon (unless EcoRes is set) until its group frees thumbnails;
// a frame is overlaid on every draw: C0C0C0 for frameStyle 2, 808080 for 0,
// the highlight colour otherwise.
void DrawIconCell(CIcon& icon, DC& target, int x, int y, bool frame, int frameStyle, int maxSize, int cellWidth,
                  int cellHeight);

// A 48x48 thumbnail on the window colour; larger images are stretched. The
// frame, when asked for, is the highlight colour or, without `highlight`, 808080.
void DrawIcon48(const CIcon& icon, DC& target, int x, int y, bool frame, bool highlight);

// Straight onto the target in a 32x32 square: larger images are stretched to
// fill it, smaller ones centred.
void DrawIcon32(const CIcon& icon, DC& target, int x, int y);

// Unscaled at the given position.
void DrawIconActual(const CIcon& icon, DC& target, int x, int y);

} // namespace kavrel
