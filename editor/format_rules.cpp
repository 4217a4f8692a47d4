#include "editor/format_rules.h"

#include <algorithm>

#include "document/icon_document.h"
#include "editor/icon_view_state.h"
#include "editor/settings_editor.h"
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
constexpr int kStrAlphaName = 55340;         // "16,8M colors + alpha"
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
    return EffectiveScreenDepth(screenBitsPerPixel) < formatBitDepth;
}

std::pair<std::string, std::string> ColourWarningTexts(int formatBitDepth, int screenBitsPerPixel)
{
    const std::string advice = formatBitDepth == 24 ? LoadString(kStrTrueColourAdvice) : ColorName(formatBitDepth);
    return {FormatString(kStrWarnContains, ColorName(formatBitDepth), ColorName(screenBitsPerPixel)),
            FormatString(kStrWarnConfigure, advice)};
}

std::string FormatListText(const CIconObject& format)
{
    if (!format.converted || format.packed.isClassic())
        return format.description;
    return FormatString(kStrFormatDescription, format.width, format.height,
                        LoadString(format.packed.isPng() ? kStrPngName : kStrAlphaName));
}

std::string FormatExistsText(int width, int height, int bitDepth, const std::string& iconName)
{
    return FormatString(kStrFormatExists, width, height, ColorName(bitDepth),
                        iconName.empty() ? LoadString(kStrUntitled) : iconName);
}

std::vector<CIcon> PackedFormatCopies(const CIconDocument& doc)
{
    std::vector<CIcon> copies;
    copies.reserve(static_cast<std::size_t>(doc.GetFormatCount()));
    for (int i = 0; i < doc.GetFormatCount(); ++i) {
        const CIconObject* o = doc.GetFormat(i);
        CIcon icon;
        if (icon.AllocateImage(o->width, o->height, o->colorCount))
            icon.Pack(o->color, o->mask, o->palette.size() ? &o->palette : nullptr);
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
    view.SaveFormatState();
    if (!doc->AddFormat(spec.width, spec.height, spec.bitDepth, spec.ownPalette))
        return;
    doc->SetModifiedFlag(true);
    view.RebuildFormatStates();
    view.EnterFormat(FindFormat(*doc, spec.width, spec.height, spec.bitDepth));
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
    default:
        return false;
    }
}

} // namespace kavrel
