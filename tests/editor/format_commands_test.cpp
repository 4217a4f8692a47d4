#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "document/icon_document.h"
#include "editor/format_rules.h"
#include "editor/icon_view_state.h"
#include "editor/settings_editor.h"
#include "editor/undo.h"
#include "model/palettes.h"
#include "model/png_image.h"
#include "platform/byte_reader.h"
#include "platform/screen.h"
#include "support/scripted_prompter.h"

namespace kavrel {
namespace {

// Dialogs answering from a script and recording what they were shown.
class ScriptedFormatDialogs final : public FormatDialogs {
  public:
    ScriptedFormatDialogs() { SetFormatDialogs(this); }
    ~ScriptedFormatDialogs() override { SetFormatDialogs(nullptr); }

    NewFormatResult NewFormat(const std::vector<CIcon>& formats, const NewFormatChoices& start) override
    {
        ++newShown;
        shownFormats = formats.size();
        offered = start;
        return newAnswer;
    }
    bool ConfirmDelete(const CIcon& format) override
    {
        deleteShown.push_back(format.width);
        return deleteAnswer;
    }
    int SelectFormat(const std::vector<CIcon>& formats, int current) override
    {
        shownFormats = formats.size();
        selectCurrent = current;
        return selectAnswer;
    }
    bool ColourWarning(const std::string& text1, const std::string& text2) override
    {
        warnings.push_back({text1, text2});
        return keepWarning;
    }
    int ConvertDepth(const CIcon& format, int currentDepth) override
    {
        convertShown.push_back({format.width, currentDepth});
        return convertAnswer;
    }

    NewFormatResult newAnswer;
    NewFormatChoices offered;
    int newShown = 0;
    std::size_t shownFormats = 0;
    bool deleteAnswer = true;
    std::vector<int> deleteShown;
    int selectAnswer = -1, selectCurrent = -2;
    bool keepWarning = true;
    std::vector<std::pair<std::string, std::string>> warnings;
    int convertAnswer = -1;
    std::vector<std::pair<int, int>> convertShown; // width, depth
};

// Views of one document: each window tells the others when its view changed
// the list of formats, as the editor's windows do.
class Views {
  public:
    explicit Views(CIconDocument* doc, int count)
    {
        for (int i = 0; i < count; ++i) {
            windows_.push_back(std::make_unique<Window>(this));
            views.push_back(std::make_unique<CIconViewState>(doc, windows_.back().get()));
            windows_.back()->self = views.back().get();
        }
    }
    CIconViewState& operator[](int i) { return *views[static_cast<std::size_t>(i)]; }
    std::vector<std::unique_ptr<CIconViewState>> views;

  private:
    struct Window : ViewWindow {
        explicit Window(Views* owner) : owner(owner) {}
        void OtherViewsFormatsChanged() override
        {
            for (auto& v : owner->views)
                if (v.get() != self)
                    v->FormatsChanged();
        }
        Views* owner;
        CIconViewState* self = nullptr;
    };
    std::vector<std::unique_ptr<Window>> windows_;
};

std::unique_ptr<CIconDocument> IconWith(std::initializer_list<std::array<int, 3>> formats)
{
    auto doc = std::make_unique<CIconDocument>();
    doc->OnNewDocument(); // 32x32, 16 colours
    for (const auto& f : formats)
        doc->AddFormat(f[0], f[1], f[2], 0);
    return doc;
}

class FormatCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        savedWarn_ = ShowWarnColor;
        savedChoices_ = RememberedNewFormatChoices();
        RememberedNewFormatChoices() = NewFormatChoices{};
        ShowWarnColor = 1;
        CIconViewState::FormatToOpen() = 0;
    }
    void TearDown() override
    {
        ShowWarnColor = savedWarn_;
        RememberedNewFormatChoices() = savedChoices_;
    }
    static FormatDialogs::NewFormatResult Choose(int size, int colour)
    {
        FormatDialogs::NewFormatResult r;
        r.accepted = true;
        r.choices.sizeChoice = size;
        r.choices.colorChoice = colour;
        return r;
    }
    ScriptedFormatDialogs dialogs_;
    test::ScriptedPrompter prompter_;
    int savedWarn_ = 1;
    NewFormatChoices savedChoices_;
};

TEST_F(FormatCommandsTest, ChoicesGiveTheirSizeAndDepth)
{
    struct Case {
        int size, colour, w, h, depth, own;
    };
    for (const Case& c :
         {Case{0, 0, 16, 16, 1, 0}, Case{1, 1, 32, 32, 4, 0}, Case{2, 2, 48, 48, 8, 0}, Case{3, 3, 64, 64, 8, 1},
          Case{4, 4, 72, 72, 24, 0}, Case{0, 5, 16, 16, 32, 0}, Case{9, -1, 32, 32, 4, 0}}) {
        NewFormatChoices choices;
        choices.sizeChoice = c.size;
        choices.colorChoice = c.colour;
        const FormatSpec s = FormatFromChoices(choices);
        EXPECT_EQ(s.width, c.w) << c.size;
        EXPECT_EQ(s.height, c.h) << c.size;
        EXPECT_EQ(s.bitDepth, c.depth) << c.colour;
        EXPECT_EQ(s.ownPalette, c.own) << c.colour;
    }
    NewFormatChoices custom;
    custom.sizeChoice = kCustomSizeChoice;
    custom.customWidth = 40;
    custom.customHeight = 24;
    EXPECT_EQ(FormatFromChoices(custom).width, 40);
    EXPECT_EQ(FormatFromChoices(custom).height, 24);
    custom.customWidth = 5000; // never past what the editor holds
    EXPECT_EQ(FormatFromChoices(custom).width, kMaxCustomSide);
}

TEST_F(FormatCommandsTest, AnExistingFormatIsShownAndEditedInsteadOfAdded)
{
    auto doc = IconWith({{16, 16, 4}});
    doc->SetName("Globe");
    doc->SetModifiedFlag(false);
    Views views(doc.get(), 1);
    views[0].InitialUpdate(400, 300);
    ASSERT_EQ(views[0].formatIndex, 0); // 16x16
    dialogs_.newAnswer = Choose(1, 1);  // 32x32, 16 colours: already there
    views[0].OnCommand(ID_FORMAT_NEW);
    ASSERT_EQ(prompter_.shown.size(), 1u);
    EXPECT_EQ(prompter_.shown[0].text,
              "The image format \"32x32 - 16 colors\" already exists in the icon named \"Globe\".");
    EXPECT_EQ(prompter_.shown[0].style, MB_OK | MB_ICONINFORMATION);
    EXPECT_EQ(doc->GetFormatCount(), 2);
    EXPECT_EQ(views[0].formatIndex, 1);
    EXPECT_FALSE(doc->IsModified());
    // The dialog got both formats and the choices made are offered next time.
    EXPECT_EQ(dialogs_.shownFormats, 2u);
    dialogs_.newAnswer.accepted = false;
    views[0].OnCommand(ID_FORMAT_NEW);
    EXPECT_EQ(dialogs_.offered, Choose(1, 1).choices);

    // A double-click on an existing format edits it; cancelling changes nothing.
    dialogs_.newAnswer = Choose(0, 0);
    dialogs_.newAnswer.existing = 0;
    views[0].OnCommand(ID_FORMAT_NEW);
    EXPECT_EQ(views[0].formatIndex, 0);
    EXPECT_EQ(doc->GetFormatCount(), 2);
    EXPECT_EQ(prompter_.shown.size(), 1u);
}

TEST_F(FormatCommandsTest, ANewFormatIsSortedInAndEditedWhileOtherViewsKeepTheirs)
{
    auto doc = IconWith({});
    doc->SetModifiedFlag(false);
    Views views(doc.get(), 2);
    views[0].InitialUpdate(400, 300);
    views[1].InitialUpdate(400, 300);
    views[0].OnCommand(ID_ZOOM_IN); // a state worth keeping: zoom 9, no automatic zoom
    views[1].leftColor = RGB(1, 2, 3);

    dialogs_.newAnswer = Choose(0, 4); // 16x16, 24 bits
    views[0].OnCommand(ID_FORMAT_NEW);
    ASSERT_EQ(doc->GetFormatCount(), 2);
    const CIconObject* first = doc->GetFormat(0);
    EXPECT_EQ(first->width, 16);
    EXPECT_EQ(first->bitDepth, 24);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(views[0].formatIndex, 0);
    EXPECT_EQ(views[0].Format(), first);
    // Blank: every pixel transparent.
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(first->mask.rawPixel(x, y), 1u) << x << "," << y;

    // The other window still edits 32x32 in 16 colours, now the second format.
    EXPECT_EQ(views[1].formatIndex, 1);
    EXPECT_EQ(views[1].Format()->width, 32);
    EXPECT_EQ(views[1].leftColor, RGB(1, 2, 3));
    ASSERT_EQ(views[1].FormatStates().size(), 2u);
    EXPECT_EQ(views[1].FormatStates()[1].width, 32);

    // The first window's 32x32 state went along with its format.
    ASSERT_EQ(views[0].FormatStates().size(), 2u);
    EXPECT_EQ(views[0].FormatStates()[1].valid, 1);
    EXPECT_EQ(views[0].FormatStates()[1].zoom, 9);
    EXPECT_EQ(views[0].FormatStates()[0].valid, 0);
    views[0].SwitchFormat(1);
    EXPECT_EQ(views[0].zoom, 9);

    // 256 colours, indexed: a format with its own palette.
    dialogs_.newAnswer = Choose(2, 3);
    views[1].OnCommand(ID_FORMAT_NEW);
    const int added = FindFormat(*doc, 48, 48, 8);
    ASSERT_GE(added, 0);
    EXPECT_EQ(doc->GetFormat(added)->ownPalette, 1);
    EXPECT_EQ(views[1].formatIndex, added);
    EXPECT_EQ(views[1].leftColor, PaletteIndexValue(0));
    EXPECT_EQ(views[0].Format()->width, 32);
}

TEST_F(FormatCommandsTest, DeletingEditsTheFormatInItsPlaceOrThePreviousOne)
{
    auto doc = IconWith({{16, 16, 4}, {48, 48, 4}});
    Views views(doc.get(), 2);
    views[0].InitialUpdate(400, 300);
    views[1].InitialUpdate(400, 300);
    views[0].SwitchFormat(2); // 48x48, the last
    doc->SetModifiedFlag(false);

    // Cancel keeps everything.
    dialogs_.deleteAnswer = false;
    views[0].OnCommand(ID_FORMAT_DELETE);
    EXPECT_EQ(doc->GetFormatCount(), 3);
    ASSERT_EQ(dialogs_.deleteShown, std::vector<int>{48});

    dialogs_.deleteAnswer = true;
    views[0].OnCommand(ID_FORMAT_DELETE);
    ASSERT_EQ(doc->GetFormatCount(), 2);
    EXPECT_EQ(FindFormat(*doc, 48, 48, 4), -1);
    EXPECT_EQ(views[0].formatIndex, 1);
    EXPECT_EQ(views[0].Format()->width, 32);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(views[1].formatIndex, 0); // still 16x16
    EXPECT_EQ(views[1].FormatStates().size(), 2u);

    // A format in the middle: the next one takes its place; the other view,
    // which edited it, goes back to the first format.
    views[0].SwitchFormat(0);
    views[1].SwitchFormat(1);
    views[0].OnCommand(ID_FORMAT_DELETE); // 16x16 goes
    EXPECT_EQ(views[0].Format()->width, 32);
    EXPECT_EQ(views[1].Format()->width, 32);

    // One format left: the command is greyed and does nothing.
    CCmdUI ui;
    ui.id = ID_FORMAT_DELETE;
    ASSERT_TRUE(views[0].OnUpdateCommand(ui));
    EXPECT_FALSE(ui.enabled);
    views[0].OnCommand(ID_FORMAT_DELETE);
    EXPECT_EQ(doc->GetFormatCount(), 1);
    EXPECT_EQ(dialogs_.deleteShown.size(), 3u);
}

TEST_F(FormatCommandsTest, SelectAFormatSwitchesToTheChosenOne)
{
    auto doc = IconWith({{16, 16, 4}});
    Views views(doc.get(), 1);
    views[0].InitialUpdate(400, 300);
    dialogs_.selectAnswer = 1;
    views[0].OnCommand(ID_FORMAT_CHOOSE);
    EXPECT_EQ(dialogs_.selectCurrent, 0);
    EXPECT_EQ(views[0].formatIndex, 1);
    dialogs_.selectAnswer = -1;
    views[0].OnCommand(ID_FORMAT_CHOOSE);
    EXPECT_EQ(views[0].formatIndex, 1);
}

TEST_F(FormatCommandsTest, ColourWarningOnAScreenWithFewerColours)
{
    auto doc = IconWith({{32, 32, 24}, {32, 32, 1}});
    Views views(doc.get(), 1);
    {
        ScopedScreen screen({8});
        views[0].InitialUpdate(400, 300); // 32x32 mono first
        EXPECT_TRUE(dialogs_.warnings.empty());
        views[0].SwitchFormat(FindFormat(*doc, 32, 32, 24));
        ASSERT_EQ(dialogs_.warnings.size(), 1u);
        EXPECT_EQ(dialogs_.warnings[0].first, "You are about to modify an icon that contains 16,8M colors  but your "
                                              "system is configured to display only 256 colors.");
        EXPECT_EQ(dialogs_.warnings[0].second, "You should configure your display settings to 16,8M or 65536 colors "
                                               "before modifying or creating this icon.");
        EXPECT_EQ(ShowWarnColor, 1);

        // Unchecking its box stops further warnings.
        dialogs_.keepWarning = false;
        views[0].SwitchFormat(0);
        views[0].SwitchFormat(FindFormat(*doc, 32, 32, 24));
        EXPECT_EQ(dialogs_.warnings.size(), 2u);
        EXPECT_EQ(ShowWarnColor, 0);
        views[0].SwitchFormat(0);
        views[0].SwitchFormat(FindFormat(*doc, 32, 32, 24));
        EXPECT_EQ(dialogs_.warnings.size(), 2u);
    }
    // High-colour screens count as true colour; 15 bits does not.
    EXPECT_FALSE(NeedsColourWarning(24, 16));
    EXPECT_TRUE(NeedsColourWarning(24, 15));
    EXPECT_FALSE(NeedsColourWarning(8, 8));
    EXPECT_TRUE(NeedsColourWarning(8, 4));
    EXPECT_FALSE(NeedsColourWarning(32, 24)); // alpha is not a colour the screen lacks
    EXPECT_TRUE(NeedsColourWarning(32, 8));
    EXPECT_EQ(ColourWarningTexts(8, 4).second,
              "You should configure your display settings to 256 colors before modifying or creating this icon.");
    EXPECT_EQ(ColourWarningTexts(24, 15).first, "You are about to modify an icon that contains 16,8M colors  but your "
                                                "system is configured to display only 32768 colors.");
}

} // namespace
} // namespace kavrel

namespace kavrel {
namespace {

TEST(FormatListText, NamesPngCompressedFormats)
{
    CIconObject png(32, 256, 256, 0), alpha(32, 2, 2, 0), plain(24, 2, 2, 0), mono(1, 2, 2, 0);
    EXPECT_EQ(FormatListText(png), "256x256 - PNG");
    EXPECT_EQ(FormatListText(alpha), "2x2 - 16,8M colors + alpha");
    EXPECT_EQ(FormatListText(plain), "2x2 - 16,8M colors");
    EXPECT_EQ(FormatListText(mono), "2x2 - Mono");
    alpha.compressed = true;
    EXPECT_EQ(FormatListText(alpha), "2x2 - PNG");
}

TEST(ConvertImage, AlphaToMaskAndBack)
{
    // 32 bits to legacy depths: alpha below 128 is transparent.
    CIconObject alpha(32, 4, 1, 0);
    const std::uint32_t px[4] = {0x7FFF0000u, 0x80FF0000u, 0xFFFFFFFFu, 0u};
    for (int x = 0; x < 4; ++x)
        alpha.color.setRawPixel(x, 0, px[x]);
    for (int depth : {1, 4, 8, 24}) {
        Bitmap color, mask;
        ConvertImage(alpha, depth, color, mask);
        EXPECT_FALSE(color.hasAlpha());
        EXPECT_EQ(mask.rawPixel(0, 0), 1u) << depth;
        EXPECT_EQ(color.rawPixel(0, 0), 0xFF000000u) << depth;
        EXPECT_EQ(mask.rawPixel(1, 0), 0u) << depth;
        EXPECT_EQ(mask.rawPixel(2, 0), 0u) << depth;
        EXPECT_EQ(color.pixel(2, 0), RGB(255, 255, 255)) << depth;
        EXPECT_EQ(mask.rawPixel(3, 0), 1u) << depth;
        // Red exists at every depth but mono, where it dithers to black or white.
        if (depth != 1) {
            EXPECT_EQ(color.pixel(1, 0), RGB(255, 0, 0)) << depth;
        }
    }
    // Through 16 colours a colour outside the palette dithers to its entries.
    CIconObject orange(32, 8, 8, 0);
    orange.color.setHasAlpha(false);
    orange.color.fill(RGB(255, 128, 0));
    orange.color.setHasAlpha(true);
    Bitmap color, mask;
    ConvertImage(orange, 4, color, mask);
    std::set<COLORREF> used;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            used.insert(color.pixel(x, y));
    EXPECT_GT(used.size(), 1u);
    EXPECT_EQ(used.count(RGB(255, 128, 0)), 0u);

    // Legacy to 32 bits: opaque where the mask is 0; transparent and inverted
    // pixels become alpha 0.
    CIconObject legacy(4, 3, 1, 0);
    SetImagePixel(legacy.color, legacy.mask, RGB(0, 0, 255), 0, 0, nullptr);
    SetImagePixel(legacy.color, legacy.mask, COLOR_TRANSPARENT, 1, 0, nullptr);
    SetImagePixel(legacy.color, legacy.mask, COLOR_INVERTED, 2, 0, nullptr);
    ConvertImage(legacy, 32, color, mask);
    EXPECT_TRUE(color.hasAlpha());
    EXPECT_EQ(color.rawPixel(0, 0), 0xFF0000FFu);
    EXPECT_EQ(color.rawPixel(1, 0), 0u);
    EXPECT_EQ(color.rawPixel(2, 0), 0u);
    EXPECT_TRUE(mask.rawPixel(1, 0) && mask.rawPixel(2, 0) && !mask.rawPixel(0, 0));
    // Between legacy depths the inverted pixel stays inverted.
    ConvertImage(legacy, 24, color, mask);
    EXPECT_EQ(GetImagePixel(color, mask, 2, 0), COLOR_INVERTED);
    EXPECT_EQ(GetImagePixel(color, mask, 1, 0), COLOR_TRANSPARENT);
}

TEST_F(FormatCommandsTest, ConvertingChangesTheDepthOfTheEditedFormat)
{
    auto doc = IconWith({{32, 32, 32}, {16, 16, 24}});
    doc->SetModifiedFlag(false);
    Views views(doc.get(), 1);
    views[0].InitialUpdate(400, 300);
    views[0].SwitchFormat(FindFormat(*doc, 32, 32, 32));
    CIconObject* f = views[0].Format();
    f->color.setRawPixel(3, 3, 0x80FF0000u);
    f->mask.setRawPixel(3, 3, 0);
    SaveUndoState(*f);

    // Cancelled, or to a depth already there: nothing changes but a message.
    views[0].OnCommand(ID_FORMAT_CONVERT);
    ASSERT_EQ(dialogs_.convertShown.size(), 1u);
    EXPECT_EQ(dialogs_.convertShown[0], std::make_pair(32, 32));
    dialogs_.convertAnswer = 4;
    views[0].OnCommand(ID_FORMAT_CONVERT);
    EXPECT_EQ(prompter_.shown.size(), 1u);
    EXPECT_EQ(views[0].Format()->bitDepth, 4);
    EXPECT_EQ(doc->GetFormatCount(), 3);

    views[0].SwitchFormat(FindFormat(*doc, 32, 32, 32));
    dialogs_.convertAnswer = 24;
    views[0].OnCommand(ID_FORMAT_CONVERT);
    const int index = FindFormat(*doc, 32, 32, 24);
    ASSERT_GE(index, 0);
    EXPECT_EQ(views[0].formatIndex, index);
    f = doc->GetFormat(index);
    EXPECT_EQ(f->color.pixel(3, 3), RGB(255, 0, 0));
    EXPECT_EQ(f->mask.rawPixel(3, 3), 0u);
    EXPECT_EQ(f->mask.rawPixel(0, 0), 1u);
    EXPECT_TRUE(f->converted);
    EXPECT_FALSE(CanUndo(*f));
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(f->description, "32x32 - 16,8M colors");

    // And back to 32 bits: no alpha to lose any more.
    dialogs_.convertAnswer = 32;
    views[0].OnCommand(ID_FORMAT_CONVERT);
    f = views[0].Format();
    EXPECT_EQ(f->bitDepth, 32);
    EXPECT_FALSE(f->converted);
    EXPECT_EQ(f->color.rawPixel(3, 3), 0xFFFF0000u);
    EXPECT_FALSE(f->compressed);

    // Compressed (PNG) is a choice of 32-bit formats only.
    CCmdUI ui;
    ui.id = ID_FORMAT_COMPRESSED;
    ASSERT_TRUE(OnUpdateFormatCommand(views[0], ui));
    EXPECT_TRUE(ui.enabled);
    EXPECT_FALSE(ui.checked);
    views[0].OnCommand(ID_FORMAT_COMPRESSED);
    EXPECT_TRUE(f->compressed);
    f->PackToIcon();
    EXPECT_TRUE(f->packed.isPng());
    views[0].SwitchFormat(FindFormat(*doc, 16, 16, 24));
    ui = CCmdUI{};
    ui.id = ID_FORMAT_COMPRESSED;
    OnUpdateFormatCommand(views[0], ui);
    EXPECT_FALSE(ui.enabled);
}

TEST_F(FormatCommandsTest, ANewFormatCanStartFromTheEditedOne)
{
    auto doc = IconWith({});
    Views views(doc.get(), 1);
    views[0].InitialUpdate(400, 300);
    CIconObject* f = views[0].Format(); // 32x32, 16 colours
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x)
            SetImagePixel(f->color, f->mask, RGB(255, 0, 0), x, y, nullptr);
    dialogs_.newAnswer = Choose(0, 5); // 16x16 with alpha
    dialogs_.newAnswer.choices.fromCurrent = true;
    dialogs_.newAnswer.choices.compressed = true;
    views[0].OnCommand(ID_FORMAT_NEW);
    const int index = FindFormat(*doc, 16, 16, 32);
    ASSERT_GE(index, 0);
    const CIconObject* added = doc->GetFormat(index);
    EXPECT_TRUE(added->compressed);
    EXPECT_EQ(added->color.rawPixel(5, 7), 0xFFFF0000u);
    EXPECT_EQ(added->color.rawPixel(5, 8), 0u);
    EXPECT_EQ(added->mask.rawPixel(5, 8), 1u);
}

} // namespace
} // namespace kavrel
