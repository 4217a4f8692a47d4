// The librarian bar's layout rules, without a widget: a wide bar puts the
// tree left of the icon list, a tall one puts it above; the split follows
// ORVBankSeparatorV (wide) or ORVBankSeparatorH (tall), kept 25 pixels from
// either edge; a docked bar's size stays 10 pixels inside the main window.
#pragma once

#include "platform/gdi.h"

namespace kavrel {

constexpr int kSeparatorMargin = 25;
constexpr int kSeparatorHalfZone = 2; // the split's grab zone is 4 pixels across
constexpr int kDockedSizeMargin = 10;

struct BarLayout {
    bool wide = true;  // width at least height: tree left, list right
    int separator = 0; // the clamped split, to store back in its setting
    Rect tree, list;   // the two panes (toolbars and frames are the widget's)
    Rect splitZone;    // where a press starts dragging the split
};

// Lays out a client area of width x height with the stored split positions.
BarLayout LayoutBar(int width, int height, int separatorV, int separatorH);
// A split at least 25 from either edge of extent (the middle when the
// extent is too small for both).
int ClampSeparator(int position, int extent);
// A docked width or height between 10 and the main window's extent - 10.
int ClampDockedSize(int size, int frameExtent);

} // namespace kavrel
