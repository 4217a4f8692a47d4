#include "editor/format_sizes.h"

#include <algorithm>
#include <filesystem>

#include "document/icon_document.h"
#include "editor/icon_view_state.h"
#include "model/render.h"
#include "model/resample.h"
#include "platform/atomic_file.h"
#include "platform/prompter.h"
#include "resources/command_ids.h"
#include "resources/strings.h"

namespace kavrel {

namespace {

constexpr int kStrPngFilter = 61760;   // "PNG Pictures (*.png)|*.png|"
constexpr int kStrExportTitle = 61761; // "Export format as PNG"
constexpr int kStrReplaceSizes = 61762;
constexpr int kStrUntitled = 28;
constexpr int kPngSide = 256;

class NoSizeSetDialog final : public SizeSetDialog {
  public:
    std::optional<std::vector<int>> ChooseSizes(const std::vector<int>&, const std::string&) override
    {
        return std::nullopt;
    }
};

NoSizeSetDialog g_noDialog;
SizeSetDialog* g_dialog = &g_noDialog;

// Whether a format converted on reading still shows the image it was read
// from, so that image (with its alpha) is what the user sees.
bool ShowsImageAsRead(const CIconObject& o)
{
    if (!o.converted || o.packed.isClassic())
        return false;
    Bitmap c, m;
    return o.packed.Unpack(c, m) && c == o.color && m == o.mask;
}

std::string SizeText(int width, int height)
{
    return std::to_string(width) + "x" + std::to_string(height);
}

} // namespace

bool IsAlphaFormat(const CIconObject& format)
{
    return format.bitDepth == 32 || (format.converted && !format.packed.isClassic());
}

std::optional<PngPixels> FormatPixels(const CIconObject& o)
{
    if (o.color.isNull() || o.mask.isNull())
        return std::nullopt;
    if (o.color.hasAlpha()) {
        PngPixels p{o.color.width(), o.color.height(), {}};
        p.argb.assign(o.color.colorBits(), o.color.colorBits() + std::size_t(p.width) * std::size_t(p.height));
        return p;
    }
    if (ShowsImageAsRead(o))
        return RenderWithAlpha(o.packed);
    CIcon icon;
    if (!icon.AllocateImage(o.width, o.height, o.colorCount))
        return std::nullopt;
    icon.Pack(o.color, o.mask, o.palette.size() ? &o.palette : nullptr);
    return RenderWithAlpha(icon);
}

SizeSetDialog& SizeSetDialogBox()
{
    return *g_dialog;
}

void SetSizeSetDialog(SizeSetDialog* dialog)
{
    g_dialog = dialog ? dialog : &g_noDialog;
}

std::vector<int>& RememberedSizeSet()
{
    static std::vector<int> sizes = PresetSizes(SizePreset::Windows);
    return sizes;
}

std::optional<MadeFormats> MakeFormats(CIconDocument& doc, const CIconObject& source, std::span<const int> sizes)
{
    const std::optional<PngPixels> pixels = FormatPixels(source);
    if (!pixels)
        return std::nullopt;

    // What is there already, by size; the source stays whatever is asked.
    std::vector<int> wanted;
    std::vector<const CIconObject*> existing;
    std::string existingText;
    for (int side : sizes) {
        if (std::find(wanted.begin(), wanted.end(), side) != wanted.end())
            continue;
        if (IsAlphaFormat(source) && source.width == side && source.height == side)
            continue;
        wanted.push_back(side);
        for (int i = 0; i < doc.GetFormatCount(); ++i) {
            const CIconObject* o = doc.GetFormat(i);
            if (o != &source && IsAlphaFormat(*o) && o->width == side && o->height == side) {
                existing.push_back(o);
                existingText += (existingText.empty() ? "" : ", ") + SizeText(side, side);
            }
        }
    }
    bool replace = false;
    if (!existing.empty()) {
        const int answer =
            Prompts().Message(FormatString(kStrReplaceSizes, existingText), MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL)
            return std::nullopt;
        replace = answer == IDYES;
    }

    MadeFormats made;
    std::vector<CIcon> icons;
    for (int side : wanted) {
        bool present = std::any_of(existing.begin(), existing.end(),
                                   [side](const CIconObject* o) { return o->width == side && o->height == side; });
        if (present && !replace)
            continue;
        CIcon icon;
        if (!icon.PackArgb(FitArgb(*pixels, side, side), side >= kPngSide))
            return std::nullopt;
        icons.push_back(std::move(icon));
        ++(present ? made.replaced : made.added);
    }
    // Every image is made before the document changes.
    if (replace)
        for (const CIconObject* o : existing)
            for (int i = 0; i < doc.GetFormatCount(); ++i)
                if (doc.GetFormat(i) == o) {
                    // Never the last format: the source is still there.
                    doc.RemoveFormat(i);
                    break;
                }
    for (const CIcon& icon : icons)
        doc.AdoptFormat(std::make_unique<CIconObject>(icon));
    return made;
}

void MakeImageFormats(CIconViewState& view)
{
    CIconDocument* doc = view.Document();
    CIconObject* source = view.Format();
    if (!doc || !source)
        return;
    const auto sizes = SizeSetDialogBox().ChooseSizes(RememberedSizeSet(), SizeText(source->width, source->height));
    if (!sizes)
        return;
    RememberedSizeSet() = *sizes;
    if (sizes->empty())
        return;
    view.CommitSelection();
    view.SaveFormatState();
    const std::optional<MadeFormats> made = MakeFormats(*doc, *source, *sizes);
    if (!made || made->added + made->replaced == 0)
        return;
    doc->SetModifiedFlag(true);
    view.RebuildFormatStates();
    for (int i = 0; i < doc->GetFormatCount(); ++i)
        if (doc->GetFormat(i) == source)
            view.EnterFormat(i);
    view.NotifyOtherViewsFormatsChanged();
}

bool ExportFormatAsPng(CIconViewState& view)
{
    CIconDocument* doc = view.Document();
    CIconObject* format = view.Format();
    if (!doc || !format)
        return false;
    // The picture shows what the user sees, a moved selection included.
    view.StampSelection();
    std::string stem = doc->GetName().empty() ? LoadString(kStrUntitled) : doc->GetName();
    stem += "-" + SizeText(format->width, format->height) + ".png";
    std::string suggested = stem;
    if (!doc->GetPathName().empty())
        suggested = (std::filesystem::path(doc->GetPathName()).parent_path() / stem).string();
    const std::string path = Chooser().ChooseSave(LoadString(kStrExportTitle), LoadString(kStrPngFilter), suggested);
    if (path.empty())
        return false;
    const std::optional<PngPixels> pixels = FormatPixels(*format);
    const std::vector<std::uint8_t> png = pixels ? EncodePng(*pixels) : std::vector<std::uint8_t>{};
    int error = 0;
    if (png.empty() || !WriteFileAtomically(path, png, &error)) {
        Prompts().Message(CannotSaveText(path, error), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

bool OnUpdateSizeSetCommand(const CIconViewState& view, CCmdUI& ui)
{
    switch (ui.id) {
    case ID_FORMAT_MAKE_SIZES:
    case ID_FORMAT_EXPORT_PNG:
        ui.Enable(view.Format() != nullptr);
        return true;
    default:
        return false;
    }
}

bool OnSizeSetCommand(CIconViewState& view, std::uint16_t id)
{
    switch (id) {
    case ID_FORMAT_MAKE_SIZES:
        MakeImageFormats(view);
        return true;
    case ID_FORMAT_EXPORT_PNG:
        ExportFormatAsPng(view);
        return true;
    default:
        return false;
    }
}

} // namespace kavrel
