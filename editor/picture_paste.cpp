#include "editor/picture_paste.h"

#include "editor/draw_tool.h"
#include "editor/icon_view_state.h"
#include "editor/selection.h"
#include "model/icon_model.h"
#include "model/palettes.h"
#include "model/picture_import.h"
#include "platform/prompter.h"
#include "resources/strings.h"

namespace kavrel {

namespace {
constexpr int kImportTitle = 13;
constexpr int kImportFilter = 55128;
constexpr int kAllFilesFilter = 55129;
constexpr int kReplacePalette = 55102;
} // namespace

std::string ImportDialogTitle()
{
    return LoadString(kImportTitle);
}

std::string ImportDialogFilter()
{
    return LoadString(kImportFilter) + LoadString(kAllFilesFilter);
}

ImportResult ImportPictureFile(CIconViewState& view, const std::string& path)
{
    ImportResult result;
    CIconObject* format = view.Format();
    if (!format || path.empty())
        return result;
    view.SelectTool(kToolSelection);
    // A monochrome format takes the picture in true colour; the paste maps it.
    const int depth = format->bitDepth == 1 ? 24 : format->bitDepth;
    const PackedDib dib = ImportPicture(path, format->width, format->height, depth);
    if (dib.empty())
        return result;
    const auto header = dib.header();
    const std::optional<Bitmap> picture = DibToBitmap(dib);
    if (!header || !picture || picture->isNull())
        return result;
    PasteColours colours;
    colours.sourceDepth = header->biBitCount;
    if (header->biBitCount == 8)
        colours.standardPalette = IsStandardPalette(DibPalette(dib));
    if (format->ownPalette && DibColorCount(dib) == 256 &&
        Prompts().Message(LoadString(kReplacePalette), MB_YESNO | MB_ICONQUESTION) == IDYES) {
        format->ChangePalette(DibPalette(dib));
        result.paletteReplaced = true;
        // The picture's colours are now the format's own.
        colours.sourceDepth = 0;
    }
    result.pasted = PasteFloating(view, *picture, nullptr, kPasteEditorArea, colours);
    return result;
}

} // namespace kavrel
