#include "editor/format_rules.h"

#include <algorithm>
#include <optional>

#include "document/icon_document.h"
#include "editor/icon_view_state.h"
#include "editor/selection.h"
#include "editor/settings_editor.h"
#include "editor/undo.h"
#include "model/palettes.h"
#include "platform/prompter.h"
#include "platform/screen.h"
#include "resources/strings.h"

namespace kavrel {

namespace {

constexpr int kStrFormatExists = 23;         // "The image format \"%dx%d - %s\" already exists ..."
constexpr int kStrUntitled = 28;             // "Untitled"
constexpr int kStrWarnContains = 56310;      // "You are about to modify an icon that contains %s ..."
constexpr int kStrWarnConfigure = 56311;     // "You should configure your display settings to %s ..."
constexpr int kStrTrueColourAdvice = 55092;  // "16,8M or 65536 colors"
constexpr int kStrFormatDescription = 55084; // "%dx%d - %s"
constexpr int kStrPngName = 55341;           // "PNG"

// Cancels everything: what the program does before it installs its dialogs.
class NoFormatDialogs final : public FormatDialogs {
  public:
    NewFormatResult NewFormat(const std::vector<CIcon>&, const NewFormatChoices& start) override
    {
        NewFormatResult r;
        r.choices = start;
        return r;
    }
    bool ConfirmDelete(const CIcon&) override { return false; }
    int SelectFormat(const std::vector<CIcon>&, int) override { return -1; }
    bool ColourWarning(const std::string&, const std::string&) override { return ShowWarnColor != 0; }
};

NoFormatDialogs g_noDialogs;
FormatDialogs* g_dialogs = &g_noDialogs;

// The screen depth as the warning compares it: high-colour screens count as true colour.
int EffectiveScreenDepth(int bitsPerPixel)
{
    return bitsPerPixel > 15 ? 24 : bitsPerPixel;
}

} // namespace

NewFormatChoices& RememberedNewFormatChoices()
{
    static NewFormatChoices choices;
    return choices;
}

FormatSpec FormatFromChoices(const NewFormatChoices& c)
{
    static constexpr int kSides[] = {16, 32, 48, 64, 72};
    FormatSpec spec;
    if (c.sizeChoice >= 0 && c.sizeChoice < kCustomSizeChoice) {
        spec.width = spec.height = kSides[c.sizeChoice];
    } else if (c.sizeChoice == kCustomSizeChoice) {
        // The dialog refuses other sizes; clamped all the same so that no
        // caller can make a format the editor cannot hold.
        spec.width = std::clamp(c.customWidth, kMinCustomSide, kMaxCustomSide);
        spec.height = std::clamp(c.customHeight, kMinCustomSide, kMaxCustomSide);
    }
    switch (c.colorChoice) {
    case 0:
        spec.bitDepth = 1;
        break;
    case 1:
        spec.bitDepth = 4;
        break;
    case 2:
        spec.bitDepth = 8;
        break;
    case 3:
        spec.bitDepth = 8;
        spec.ownPalette = 1;
        break;
    case 4:
        spec.bitDepth = 24;
        break;
    case 5:
        spec.bitDepth = 32;
        break;
    default:
        spec.bitDepth = 4;
        break;
    }
    return spec;
}

bool IsValidCustomSide(int side)
{
    return side >= kMinCustomSide && side <= kMaxCustomSide;
}

int FindFormat(const CIconDocument& doc, int width, int height, int bitDepth)
{
    for (int i = 0; i < doc.GetFormatCount(); ++i) {
        const CIconObject* o = doc.GetFormat(i);
        if (o->width == width && o->height == height && o->bitDepth == bitDepth)
            return i;
    }
    return -1;
}

bool NeedsColourWarning(int formatBitDepth, int screenBitsPerPixel)
{
    // Alpha is no colour a screen lacks: 32-bit formats ask what 24 bits ask.
    return EffectiveScreenDepth(screenBitsPerPixel) < std::min(formatBitDepth, 24);
}

std::pair<std::string, std::string> ColourWarningTexts(int formatBitDepth, int screenBitsPerPixel)
{
    const std::string advice = formatBitDepth >= 24 ? LoadString(kStrTrueColourAdvice) : ColorName(formatBitDepth);
    return {FormatString(kStrWarnContains, FormatDepthName(formatBitDepth), ColorName(screenBitsPerPixel)),
            FormatString(kStrWarnConfigure, advice)};
}

std::string FormatListText(const CIconObject& format)
{
    if (format.bitDepth != 32 || !format.compressed)
        return format.description;
    return FormatString(kStrFormatDescription, format.width, format.height, LoadString(kStrPngName));
}

std::string FormatExistsText(int width, int height, int bitDepth, const std::string& iconName)
{
    return FormatString(kStrFormatExists, width, height, FormatDepthName(bitDepth),
                        iconName.empty() ? LoadString(kStrUntitled) : iconName);
}

void ConvertImage(const CIconObject& from, int bitDepth, Bitmap& color, Bitmap& mask, const Palette* ownPalette)
{
    const int w = from.color.width(), h = from.color.height();
    if (bitDepth == 32) {
        BitmapsFromArgb(ArgbFromBitmaps(from.color, &from.mask), color, mask);
        return;
    }
    const bool alpha = from.color.hasAlpha();
    const bool masked = from.mask.width() == w && from.mask.height() == h;
    // The colours alone, opaque, as the dithering reads them.
    Bitmap opaque = Bitmap::Color(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            opaque.setRawPixel(x, y, 0xFF000000u | from.color.rawPixel(x, y));
    color = Bitmap::Color(w, h);
    mask = Bitmap::Mono(w, h);
    if (bitDepth == 24)
        color = opaque;
    else if (!ownPalette)
        DitherCopy(color, 0, 0, w, h, opaque, 0, 0, w, h, bitDepth);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint32_t px = from.color.rawPixel(x, y);
            bool see = false;       // transparent or inverted: the mask is 1
            std::uint32_t kept = 0; // then black (transparent) or white (inverted)
            if (alpha) {
                see = (px >> 24) < 128;
            } else if (masked && from.mask.rawPixel(x, y)) {
                see = true;
                kept = (px & 0x00FFFFFFu) ? 0x00FFFFFFu : 0u;
            }
            if (see) {
                color.setRawPixel(x, y, 0xFF000000u | kept);
                mask.setRawPixel(x, y, 1);
            } else if (ownPalette && bitDepth != 24) {
                const int i = std::max(NearestPaletteIndex(ColorRefFromPixel(px), *ownPalette), 0);
                color.setRawPixel(x, y, PixelFromColorRef(ownPalette->colorRef(i)));
            }
        }
}

bool ConvertFormatDepth(CIconDocument& doc, int index, int bitDepth)
{
    CIconObject* f = doc.GetFormat(index);
    if (!f || f->bitDepth == bitDepth ||
        (bitDepth != 1 && bitDepth != 4 && bitDepth != 8 && bitDepth != 24 && bitDepth != 32) ||
        FindFormat(doc, f->width, f->height, bitDepth) >= 0)
        return false;
    Bitmap color, mask;
    ConvertImage(*f, bitDepth, color, mask);
    const bool fromAlpha = f->bitDepth == 32 || f->converted;
    const bool wasCompressed = f->compressed;
    const int w = f->width, h = f->height;
    f->floatingColor.reset();
    f->floatingMask.reset();
    f->SetFormat(bitDepth, w, h, 0);
    f->palette = StandardPalette();
    f->color = std::move(color);
    f->mask = std::move(mask);
    f->converted = bitDepth != 32 && fromAlpha;
    // The save question names the form the alpha was kept in.
    if (bitDepth != 32)
        f->compressed = wasCompressed;
    ClearUndo(*f);
    f->contentId = NewContentId();
    doc.SortFormats();
    doc.SetModifiedFlag(true);
    return true;
}

std::vector<CIcon> PackedFormatCopies(const CIconDocument& doc)
{
    std::vector<CIcon> copies;
    copies.reserve(static_cast<std::size_t>(doc.GetFormatCount()));
    for (int i = 0; i < doc.GetFormatCount(); ++i) {
        const CIconObject* o = doc.GetFormat(i);
        CIcon icon;
        o->PackInto(icon);
        copies.push_back(std::move(icon));
    }
    return copies;
}

FormatDialogs& FormatDialogBoxes()
{
    return *g_dialogs;
}

void SetFormatDialogs(FormatDialogs* dialogs)
{
    g_dialogs = dialogs ? dialogs : &g_noDialogs;
}

void ShowColourWarning(int formatBitDepth)
{
    const int screen = Screen().bitsPerPixel;
    if (!ShowWarnColor || !NeedsColourWarning(formatBitDepth, screen))
        return;
    const auto [first, second] = ColourWarningTexts(formatBitDepth, screen);
    ShowWarnColor = FormatDialogBoxes().ColourWarning(first, second) ? 1 : 0;
}

// ---- commands ----

namespace {

// The edited format becomes `index` after the state of the one before was saved.
void SwitchToExisting(CIconViewState& view, int index)
{
    if (index >= 0 && index != view.formatIndex)
        view.SwitchFormat(index);
}

} // namespace

void NewImageFormat(CIconViewState& view)
{
    CIconDocument* doc = view.Document();
    if (!doc || doc->GetFormatCount() == 0)
        return;
    const std::vector<CIcon> formats = PackedFormatCopies(*doc);
    const FormatDialogs::NewFormatResult result = FormatDialogBoxes().NewFormat(formats, RememberedNewFormatChoices());
    if (!result.accepted)
        return;
    RememberedNewFormatChoices() = result.choices;
    if (result.existing >= 0) {
        if (result.existing < doc->GetFormatCount())
            SwitchToExisting(view, result.existing);
        return;
    }
    const FormatSpec spec = FormatFromChoices(result.choices);
    const int existing = FindFormat(*doc, spec.width, spec.height, spec.bitDepth);
    if (existing >= 0) {
        Prompts().Message(FormatExistsText(spec.width, spec.height, spec.bitDepth, doc->GetName()),
                          MB_OK | MB_ICONINFORMATION);
        SwitchToExisting(view, existing);
        return;
    }
    // The state is saved while the index still names the edited format: the
    // sorted insertion renumbers the formats.
    view.CommitSelection();
    view.SaveFormatState();
    const CIconObject* current = view.Format();
    // The edited image scaled to the new size (nearest pixel), alpha or mask
    // and all, to be converted to the new depth.
    std::optional<CIconObject> source;
    if (result.choices.fromCurrent && current && !current->color.isNull()) {
        source.emplace(current->bitDepth == 32 ? 32 : 24, spec.width, spec.height, 0);
        const int cw = current->color.width(), ch = current->color.height();
        for (int y = 0; y < spec.height; ++y)
            for (int x = 0; x < spec.width; ++x) {
                const int sx = static_cast<int>(static_cast<long long>(cw) * x / spec.width);
                const int sy = static_cast<int>(static_cast<long long>(ch) * y / spec.height);
                source->color.setRawPixel(x, y, current->color.rawPixel(sx, sy));
                source->mask.setRawPixel(x, y, current->mask.rawPixel(sx, sy));
            }
    }
    if (!doc->AddFormat(spec.width, spec.height, spec.bitDepth, spec.ownPalette))
        return;
    CIconObject* added = doc->GetFormat(FindFormat(*doc, spec.width, spec.height, spec.bitDepth));
    if (added && spec.bitDepth == 32)
        added->compressed = result.choices.compressed;
    if (added && source) {
        Bitmap color, mask;
        ConvertImage(*source, spec.bitDepth, color, mask, spec.ownPalette ? &added->palette : nullptr);
        if (color.width() == added->width && color.height() == added->height) {
            added->color = std::move(color);
            added->mask = std::move(mask);
        }
    }
    doc->SetModifiedFlag(true);
    view.RebuildFormatStates();
    view.EnterFormat(FindFormat(*doc, spec.width, spec.height, spec.bitDepth));
    view.NotifyOtherViewsFormatsChanged();
}

void ConvertImageFormat(CIconViewState& view)
{
    CIconDocument* doc = view.Document();
    if (!doc || !view.Format())
        return;
    const int index = std::clamp(view.formatIndex, 0, doc->GetFormatCount() - 1);
    const CIconObject* f = doc->GetFormat(index);
    CIcon shown;
    f->PackInto(shown);
    const int depth = FormatDialogBoxes().ConvertDepth(shown, f->bitDepth);
    if (depth < 0 || depth == f->bitDepth)
        return;
    const int w = f->width, h = f->height;
    const int existing = FindFormat(*doc, w, h, depth);
    if (existing >= 0) {
        Prompts().Message(FormatExistsText(w, h, depth, doc->GetName()), MB_OK | MB_ICONINFORMATION);
        SwitchToExisting(view, existing);
        return;
    }
    view.CommitSelection();
    view.SaveFormatState();
    if (!ConvertFormatDepth(*doc, index, depth))
        return;
    view.RebuildFormatStates();
    view.EnterFormat(FindFormat(*doc, w, h, depth));
    view.NotifyOtherViewsFormatsChanged();
    ShowColourWarning(depth);
}

void ToggleCompressed(CIconViewState& view)
{
    CIconDocument* doc = view.Document();
    CIconObject* f = view.Format();
    if (!doc || !f || f->bitDepth != 32)
        return;
    f->compressed = !f->compressed;
    // The image is the same; only the bytes a save writes differ.
    f->contentId = NewContentId();
    doc->SetModifiedFlag(true);
    view.NotifyOtherViewsFormatsChanged();
}

void DeleteImageFormat(CIconViewState& view)
{
    CIconDocument* doc = view.Document();
    if (!doc || doc->GetFormatCount() < 2)
        return;
    const int index = std::clamp(view.formatIndex, 0, doc->GetFormatCount() - 1);
    const std::vector<CIcon> formats = PackedFormatCopies(*doc);
    if (!FormatDialogBoxes().ConfirmDelete(formats[static_cast<std::size_t>(index)]))
        return;
    if (!doc->RemoveFormat(index))
        return;
    doc->SetModifiedFlag(true);
    view.RebuildFormatStates();
    // The format that took its place, or the new last one.
    view.EnterFormat(std::min(index, doc->GetFormatCount() - 1));
    view.NotifyOtherViewsFormatsChanged();
}

void SelectImageFormat(CIconViewState& view)
{
    CIconDocument* doc = view.Document();
    if (!doc || doc->GetFormatCount() == 0)
        return;
    const std::vector<CIcon> formats = PackedFormatCopies(*doc);
    const int chosen = FormatDialogBoxes().SelectFormat(formats, view.formatIndex);
    if (chosen >= 0 && chosen < doc->GetFormatCount())
        SwitchToExisting(view, chosen);
}

bool OnUpdateFormatCommand(const CIconViewState& view, CCmdUI& ui)
{
    switch (ui.id) {
    case ID_FORMAT_NEW:
    case ID_FORMAT_CHOOSE:
        return true;
    case ID_FORMAT_DELETE:
        ui.Enable(view.Document() && view.Document()->GetFormatCount() > 1);
        return true;
    case ID_FORMAT_CONVERT:
        ui.Enable(view.Format() != nullptr);
        return true;
    case ID_FORMAT_COMPRESSED: {
        const CIconObject* f = view.Format();
        ui.Enable(f && f->bitDepth == 32);
        ui.SetCheck(f && f->bitDepth == 32 && f->compressed);
        return true;
    }
    default:
        return false;
    }
}

bool OnFormatCommand(CIconViewState& view, std::uint16_t id)
{
    switch (id) {
    case ID_FORMAT_NEW:
        NewImageFormat(view);
        return true;
    case ID_FORMAT_DELETE:
        DeleteImageFormat(view);
        return true;
    case ID_FORMAT_CHOOSE:
        SelectImageFormat(view);
        return true;
    case ID_FORMAT_CONVERT:
        ConvertImageFormat(view);
        return true;
    case ID_FORMAT_COMPRESSED:
        ToggleCompressed(view);
        return true;
    default:
        return false;
    }
}

} // namespace kavrel
