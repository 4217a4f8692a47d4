// Making the standard sizes of an icon from one of its formats, and saving a
// format as a PNG picture. The size choice is reached through SizeSetDialog
// so that the commands can be tested without a window; editor/ui implements
// it with Qt.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "document/cmd_target.h"
#include "model/icon_model.h"
#include "model/png_image.h"

namespace kavrel {

class CIconDocument;
class CIconViewState;

// A format's pixels with their alpha, top-down 0xAARRGGBB. A format whose
// colour bitmap holds alpha gives it as it is; a format still showing the
// 32-bit or PNG image it was read from gives that image with its alpha;
// any other is opaque where its mask is 0 (inverted pixels show black).
// nullopt for a format without bitmaps.
std::optional<PngPixels> FormatPixels(const CIconObject& format);

// Whether a format is a 32-bit one with alpha (editable, or still held as
// read from a 32-bit or PNG image).
bool IsAlphaFormat(const CIconObject& format);

// The dialog of "Make image formats...".
class SizeSetDialog {
  public:
    virtual ~SizeSetDialog() = default;
    // The ticked sizes (a subset of kStandardSizes), or nullopt when
    // cancelled. `start` is ticked at first; `sourceText` names the format
    // the sizes are made from ("48x48").
    virtual std::optional<std::vector<int>> ChooseSizes(const std::vector<int>& start,
                                                        const std::string& sourceText) = 0;
};
// The dialog in use; before the program installs its own, every choice is
// cancelled.
SizeSetDialog& SizeSetDialogBox();
void SetSizeSetDialog(SizeSetDialog* dialog); // nullptr restores the default
// The sizes last confirmed, offered again until the program ends; the
// Windows set at first.
std::vector<int>& RememberedSizeSet();

struct MadeFormats {
    int added = 0;    // formats that were not there before
    int replaced = 0; // existing 32-bit formats of a size made again
};
// Adds a 32-bit format of each square size, made from `source` (one of the
// document's formats) by area averaging; 256x256 is written PNG-compressed,
// smaller ones as 32-bit images. The source itself is never replaced. When
// 32-bit formats of some of the sizes exist, string 61762 asks first: Yes
// replaces them, No keeps them and makes only the others, Cancel makes
// nothing (nullopt).
std::optional<MadeFormats> MakeFormats(CIconDocument& doc, const CIconObject& source, std::span<const int> sizes);

// The commands, run on the view that received them.
void MakeImageFormats(CIconViewState& view);
// Asks for a file name through the file chooser and writes the edited
// format as a PNG picture with its alpha through the atomic writer; a failed
// write says why. True when a file was written.
bool ExportFormatAsPng(CIconViewState& view);
bool OnUpdateSizeSetCommand(const CIconViewState& view, CCmdUI& ui);
bool OnSizeSetCommand(CIconViewState& view, std::uint16_t id);

} // namespace kavrel
