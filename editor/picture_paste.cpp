#include "editor/picture_paste.h"

#include "editor/draw_tool.h"
#include "editor/icon_view_state.h"
#include "editor/selection.h"
#include "model/icon_model.h"
#include "model/palettes.h"
#include "model/picture_import.h"
#include "model/resample.h"
#include "platform/prompter.h"
#include "resources/strings.h"

namespace kavrel {

namespace {
constexpr int kImportTitle = 13;
constexpr int kImportFilter = 55128;
constexpr int kAllFilesFilter = 55129;
constexpr int kReplacePalette = 55102;
// A PNG picture keeps its alpha: shrunk (never enlarged) with it, then
// pasted with it into a format whose colours hold alpha; other formats take
// pixels of alpha below 128 as transparent, the others opaque.
bool PastePngPicture(CIconViewState& view, const CIconObject& format, const std::string& path)
{
    const std::optional<PngPixels> picture = ReadPngFile(path);
    if (!picture)
        return false;
    const PictureSize size = FitPictureSize(picture->width, picture->height, format.width, format.height);
    const PngPixels pixels = ResizeArgb(*picture, size.width, size.height);
    if (pixels.argb.empty())
        return false;
    const bool alpha = format.color.hasAlpha();
    Bitmap color = alpha ? Bitmap::ColorAlpha(pixels.width, pixels.height) : Bitmap::Color(pixels.width, pixels.height);
    Bitmap mask = Bitmap::Mono(pixels.width, pixels.height);
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x) {
            const std::uint32_t p = pixels.argb[static_cast<std::size_t>(y) * static_cast<std::size_t>(pixels.width) +
                                                static_cast<std::size_t>(x)];
            const bool transparent = alpha ? (p >> 24) == 0 : (p >> 24) < 128;
            mask.setRawPixel(x, y, transparent ? 1 : 0);
            if (transparent)
                color.setRawPixel(x, y, alpha ? 0u : 0xFF000000u);
            else
                color.setRawPixel(x, y, alpha ? p : (p | 0xFF000000u));
        }
    PasteColours colours;
    colours.sourceDepth = alpha ? 0 : 24;
    return PasteFloating(view, color, &mask, kPasteEditorArea, colours);
}

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
    if (PictureKindOf(path) == PictureKind::Png) {
        result.pasted = PastePngPicture(view, *format, path);
        return result;
    }
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
