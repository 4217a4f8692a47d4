// Image-format management in the editor: adding a format to the edited icon,
// deleting one, choosing which one is edited, and the warning shown when the
// screen has fewer colours than the edited format. The dialogs are reached
// through FormatDialogs so that every step can be tested without a window;
// editor/ui implements it with Qt.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "document/cmd_target.h"
#include "model/icon_model.h"
#include "resources/command_ids.h"

namespace kavrel {

class CIconDocument;
class CIconViewState;

constexpr int kMinCustomSide = 8;
constexpr int kMaxCustomSide = 256;
constexpr int kSizeChoiceCount = 6;  // 16, 32, 48, 64, 72, custom
constexpr int kColorChoiceCount = 6; // mono, 16, 256 dithered, 256 indexed, 24 bits, 32 bits with alpha
constexpr int kCustomSizeChoice = 5;

// The choices of the New image format dialog; the last ones confirmed are
// offered again until the program ends.
struct NewFormatChoices {
    int sizeChoice = 1;
    int colorChoice = 1;
    int customWidth = 32;
    int customHeight = 32;
    bool squareAspect = true;
    // The new format starts as the edited one, scaled and converted to its depth.
    bool fromCurrent = false;
    // 32 bits: written as PNG; the dialog proposes DefaultCompressed.
    bool compressed = false;
    bool operator==(const NewFormatChoices&) const = default;
};
NewFormatChoices& RememberedNewFormatChoices();

struct FormatSpec {
    int width = 32, height = 32, bitDepth = 4, ownPalette = 0;
};
// Size and depth from the choices; an unknown choice gives 32x32 in 4 bits.
FormatSpec FormatFromChoices(const NewFormatChoices& choices);
bool IsValidCustomSide(int side);
// The first format of the document with this width, height and depth; -1.
int FindFormat(const CIconDocument& doc, int width, int height, int bitDepth);

// Whether a format of this depth needs the warning on a screen of that many
// bits per pixel (anything above 15 counts as 24).
bool NeedsColourWarning(int formatBitDepth, int screenBitsPerPixel);
// The two texts of the warning.
std::pair<std::string, std::string> ColourWarningTexts(int formatBitDepth, int screenBitsPerPixel);
// The text of a format in the drop-down list: its description, which for a
// format still held as read from a 32-bit or PNG image says so.
std::string FormatListText(const CIconObject& format);
// Message 23: the format already exists in the named icon.
std::string FormatExistsText(int width, int height, int bitDepth, const std::string& iconName);

// Converts a format's image to another depth (1, 4, 8, 24 or 32) into the
// given bitmaps, the format itself unchanged. Towards a legacy depth, alpha
// below 128 becomes transparent (legacy images keep their transparent and
// inverted pixels), and colours follow the depth's dithering rules (24 bits
// keep them; an own palette, given, takes the nearest entry). Towards 32
// bits, pixels are opaque where the mask is 0; transparent and inverted
// pixels alike become alpha 0.
void ConvertImage(const CIconObject& from, int bitDepth, Bitmap& color, Bitmap& mask,
                  const Palette* ownPalette = nullptr);
// Gives the format at `index` of the document another depth: its image
// converted, a standard palette, no undo history (states of another depth
// cannot come back). A 32-bit format taken to a legacy depth is marked
// `converted`, so that saving asks before its alpha is lost. False when the
// depth is not one of the five, is the format's own, or the document already
// has a format of that size and depth.
bool ConvertFormatDepth(CIconDocument& doc, int index, int bitDepth);

// Packed copies of every format of the document, in document order, for the
// dialogs' lists. The document's own packed forms are left alone, so a format
// still holding the bytes of a 32-bit or PNG image keeps them.
std::vector<CIcon> PackedFormatCopies(const CIconDocument& doc);

// The dialogs of the format commands.
class FormatDialogs {
  public:
    virtual ~FormatDialogs() = default;
    struct NewFormatResult {
        bool accepted = false;
        NewFormatChoices choices;
        int existing = -1; // an existing format chosen by double-click
    };
    virtual NewFormatResult NewFormat(const std::vector<CIcon>& formats, const NewFormatChoices& start) = 0;
    // Shows the format about to go; true for " DELETE ! ".
    virtual bool ConfirmDelete(const CIcon& format) = 0;
    // The chosen format, or -1 when cancelled.
    virtual int SelectFormat(const std::vector<CIcon>& formats, int current) = 0;
    // Shows the warning; returns the state of its "always" box.
    virtual bool ColourWarning(const std::string& text1, const std::string& text2) = 0;
    // The depth to convert the format to (1, 4, 8, 24 or 32), or -1.
    virtual int ConvertDepth(const CIcon& format, int currentDepth)
    {
        (void)format;
        (void)currentDepth;
        return -1;
    }
};
// The dialogs in use; the program installs its own. Before that every dialog
// is cancelled and the warning is not shown.
FormatDialogs& FormatDialogBoxes();
void SetFormatDialogs(FormatDialogs* dialogs); // nullptr restores the default

// The warning after a switch to a format of this depth, when ShowWarnColor is
// on and the screen (platform/screen.h) shows fewer colours; the box writes
// ShowWarnColor back.
void ShowColourWarning(int formatBitDepth);

// The commands, run on the view that received them.
void NewImageFormat(CIconViewState& view);
void DeleteImageFormat(CIconViewState& view);
void SelectImageFormat(CIconViewState& view);
// Converts the edited format to the depth the dialog gives; a format of that
// size and depth already there is named and switched to instead.
void ConvertImageFormat(CIconViewState& view);
// "Compressed (PNG)" of the edited 32-bit format, on or off.
void ToggleCompressed(CIconViewState& view);
bool OnUpdateFormatCommand(const CIconViewState& view, CCmdUI& ui);
bool OnFormatCommand(CIconViewState& view, std::uint16_t id);

} // namespace kavrel
