// The selection of an image format: marking, lifting, laying down with the
// image transparency switch, erasing, and putting a picture in as a floating
// selection (paste, text, import). The state lives in the format
// (CIconObject::selection, selectionActive, selectionInPlace, floatingColor,
// floatingMask, transparentColor); the functions on CIconObject only change
// bitmaps, the view's side (undo, repaint, modified flag) is PasteFloating's
// and CIconViewState::CommitSelection / StampSelection's.
#pragma once

#include <optional>

#include "model/palettes.h"
#include "platform/gdi.h"

namespace kavrel {

class CIconObject;
class CIconViewState;
struct ProgressSink;

bool HasSelection(const CIconObject& format);
bool HasFloating(const CIconObject& format);

// Lays the floating contents at the selection's top-left onto the bitmaps
// (the format's own or copies of them for the view). With the switch on,
// pixels equal to the transparent colour are left out. Pixels outside the
// bitmaps are dropped.
void LayDownFloating(const CIconObject& format, Bitmap& color, Bitmap& mask, bool transparentSwitch);

// Copies the selected pixels into floating bitmaps; unless keepOriginal, the
// place they came from is filled with the transparent colour.
void LiftSelection(CIconObject& format, bool keepOriginal);
// Lays the floating contents onto the image and keeps the selection.
void StampFloating(CIconObject& format, bool transparentSwitch);
// Lays the floating contents down and ends the selection. True when the
// image changed (there were floating contents).
bool CommitFloating(CIconObject& format, bool transparentSwitch);
// Ends the selection without laying anything down.
void ClearSelection(CIconObject& format);
// The whole image, marked in place.
void SelectWholeImage(CIconObject& format);
// Erase: in place, the rectangle gets `fill` (the right colour); a moved or
// pasted selection just goes. An undo state is saved first. False without a
// selection.
bool EraseSelection(CIconObject& format, ColorValue fill, std::uint8_t fillAlpha = 255);

// Where a pasted picture goes.
enum PastePlacement : int {
    kPasteEditorArea = 0,    // 1:1 at the top-left, cropped
    kPasteFitEditor = 1,     // stretched to the whole image
    kPasteSelectionArea = 2, // 1:1 in the selection, cropped
    kPasteFitSelection = 3,  // stretched to the selection
};

// How the picture's colours reach the format.
struct PasteColours {
    // Depth the picture comes from; 0 means "already the format's colours"
    // (text, the private format of the same depth): copied as they are.
    int sourceDepth = 0;
    // An 8-bit source whose palette is the standard 256-colour one.
    bool standardPalette = false;
    // Progress of a dithered copy ("Pasting ..."); none shows nothing.
    ProgressSink* progress = nullptr;
};

// Puts a picture (screen-depth colour, optional monochrome mask of the same
// size; none means opaque) into the view's format as a floating selection:
// the selection tool becomes current, a floating selection is committed, an
// undo state is saved, the picture is cropped or stretched to the placement
// and its colours brought to the format. The document is marked modified
// and every view updated. False (nothing changed) for an empty picture or a
// view without a format; a placement of 2 or 3 without a selection counts
// as 0.
bool PasteFloating(CIconViewState& view, const Bitmap& color, const Bitmap* mask, int placement,
                   const PasteColours& colours = {});

// The floating pixel values of a picture brought into the format: stretched
// or cropped into w x h, colours per PasteColours. Exposed for the capture.
void PlacePicture(const CIconObject& format, const Bitmap& color, const Bitmap* mask, int w, int h, bool stretch,
                  const PasteColours& colours, Bitmap& outColor, Bitmap& outMask);

// Nearest-neighbour scaling of (sx, sy, g, h) of the source into (x, y, c, d)
// of the destination, every pixel painted with the dither brush of its colour
// at the target depth, the pattern aligned to the destination. The progress
// advances once per destination row.
void DitherCopy(Bitmap& dest, int x, int y, int c, int d, const Bitmap& source, int sx, int sy, int g, int h,
                int bitDepth, ProgressSink* progress = nullptr);

// The transparency switch editor-wide (the setting TransparentCopy).
bool TransparencySwitch();

} // namespace kavrel
