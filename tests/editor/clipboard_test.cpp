#include "editor/clipboard.h"

#include <gtest/gtest.h>

#include <cstring>

#include "document/icon_document.h"
#include "editor/clipboard_block.h"
#include "editor/icon_view_state.h"
#include "editor/selection.h"
#include "editor/settings_editor.h"
#include "editor/tool_selection.h"
#include "editor/undo.h"
#include "model/icon_model.h"
#include "support/pixel_picture.h"
#include "support/scripted_prompter.h"

namespace kavrel {
namespace {

using test::ImagePicture;
using test::PictureIs;

std::uint32_t Field(const std::vector<std::uint8_t>& b, std::size_t at)
{
    std::uint32_t v = 0;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}
void SetField(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v)
{
    std::memcpy(b.data() + at, &v, 4);
}

class Options : public PasteOptionsPrompt {
  public:
    std::optional<int> Ask(int initial, bool selectionChoices) override
    {
        asked.push_back({initial, selectionChoices});
        return answer;
    }
    std::optional<int> answer = 0;
    std::vector<std::pair<int, bool>> asked;
};

class ClipboardTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        savedSwitch_ = TransparentCopy;
        TransparentCopy = 0;
        LastTool() = 0;
        RememberedPastePlacement() = 0;
        InstallTool(kToolSelection, std::make_unique<CSelectionTool>());
        SetClipboardService(&clipboard_);
        SetPasteOptionsPrompt(&options_);
        BindClipboardSettings(&ask_, &background_);
        doc_ = std::make_unique<CIconDocument>();
        doc_->OnNewDocument();
        doc_->AddFormat(4, 4, 24, 0);
        doc_->AddFormat(8, 8, 24, 0);
        doc_->AddFormat(32, 32, 24, 0);
        doc_->SetModifiedFlag(false); // as opened
        CIconViewState::FormatToOpen() = Index(4, 24);
        view_ = std::make_unique<CIconViewState>(doc_.get());
        view_->InitialUpdate(400, 300);
    }
    void TearDown() override
    {
        view_.reset();
        ClearTools();
        SetClipboardService(nullptr);
        SetPasteOptionsPrompt(nullptr);
        BindClipboardSettings(nullptr, nullptr);
        TransparentCopy = savedSwitch_;
    }
    int Index(int size, int depth, int own = -1)
    {
        for (int i = 0; i < doc_->GetFormatCount(); ++i) {
            const CIconObject* o = doc_->GetFormat(i);
            if (o->width == size && o->bitDepth == depth && (own < 0 || o->ownPalette == own))
                return i;
        }
        return -1;
    }
    CIconObject& F() { return *view_->Format(); }
    void Paste(int placement)
    {
        options_.answer = placement;
        view_->OnCommand(ID_EDIT_PASTE);
    }

    int savedSwitch_ = 0;
    MemoryClipboard clipboard_;
    Options options_;
    int ask_ = 1;
    std::uint32_t background_ = 0xFFFFFF;
    std::unique_ptr<CIconDocument> doc_;
    std::unique_ptr<CIconViewState> view_;
};

// 64x64 in four 32x32 quarters: red, green / blue, white.
PackedDib Quarters()
{
    Bitmap b = Bitmap::Color(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            b.setRawPixel(x, y,
                          PixelFromColorRef(y < 32 ? (x < 32 ? RGB(255, 0, 0) : RGB(0, 255, 0))
                                                   : (x < 32 ? RGB(0, 0, 255) : RGB(255, 255, 255))));
    return BitmapToDib(b);
}

TEST_F(ClipboardTest, CopyWithoutSelectionCopiesTheWholeImageAndPastesTopLeftKeepingTransparency)
{
    const std::vector<std::string> icon = {"r.rr", "rir.", "....", "gggg"};
    ImagePicture(icon, F().color, F().mask);
    view_->OnCommand(ID_EDIT_COPY);
    ASSERT_EQ(clipboard_.puts, 1);
    const ClipboardContents& c = clipboard_.contents;
    EXPECT_EQ(Field(c.privateBlock, kBlockWidth), 4u);
    EXPECT_EQ(Field(c.privateBlock, kBlockHeight), 4u);
    // The standard image shows the clipboard background under transparent
    // pixels and its inverse under inverted ones.
    const auto bitmap = DibToBitmap(c.dib);
    ASSERT_TRUE(bitmap);
    EXPECT_TRUE(PictureIs(*bitmap, {"rwrr", "r#rw", "wwww", "gggg"}));

    view_->SwitchFormat(Index(8, 24));
    ImagePicture(std::vector<std::string>(8, "bbbbbbbb"), F().color, F().mask);
    Paste(kPasteEditorArea);
    EXPECT_TRUE(F().selectionActive);
    EXPECT_EQ(F().selectionInPlace, 0);
    EXPECT_EQ(F().selection, (Rect{0, 0, 3, 3}));
    ASSERT_TRUE(HasFloating(F()));
    EXPECT_TRUE(PictureIs(*F().floatingColor, *F().floatingMask, icon));
    EXPECT_TRUE(doc_->IsModified());
    EXPECT_EQ(view_->currentTool, kToolSelection);
    view_->CommitSelection();
    EXPECT_TRUE(
        PictureIs(F().color, F().mask,
                  {"r.rrbbbb", "rir.bbbb", "....bbbb", "ggggbbbb", "bbbbbbbb", "bbbbbbbb", "bbbbbbbb", "bbbbbbbb"}));
    // Undo takes the paste back.
    view_->OnCommand(ID_EDIT_UNDO);
    EXPECT_TRUE(PictureIs(F().color, F().mask, std::vector<std::string>(8, "bbbbbbbb")));
}

TEST_F(ClipboardTest, ABigBitmapIsCroppedAtScaleOneAndStretchedToFitAndIsOpaque)
{
    view_->SwitchFormat(Index(32, 24));
    clipboard_.contents.dib = Quarters();
    Paste(kPasteEditorArea);
    ASSERT_TRUE(HasFloating(F()));
    EXPECT_EQ(F().selection, (Rect{0, 0, 31, 31}));
    const Bitmap& fc = *F().floatingColor;
    ASSERT_EQ(fc.width(), 32);
    EXPECT_EQ(fc.pixel(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(fc.pixel(31, 31), RGB(255, 0, 0));
    // A standard image is opaque through and through.
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            ASSERT_EQ(F().floatingMask->rawPixel(x, y), 0u);

    Paste(kPasteFitEditor);
    EXPECT_EQ(RememberedPastePlacement(), kPasteFitEditor);
    const Bitmap& scaled = *F().floatingColor;
    EXPECT_EQ(F().selection, (Rect{0, 0, 31, 31}));
    EXPECT_EQ(scaled.pixel(15, 15), RGB(255, 0, 0));
    EXPECT_EQ(scaled.pixel(16, 0), RGB(0, 255, 0));
    EXPECT_EQ(scaled.pixel(0, 16), RGB(0, 0, 255));
    EXPECT_EQ(scaled.pixel(31, 31), RGB(255, 255, 255));
    // The first paste was committed into the image by the second.
    EXPECT_EQ(F().color.pixel(31, 31), RGB(255, 0, 0));

    // Into a selection: 1:1 crops to it, fit stretches to it.
    view_->CommitSelection();
    view_->OnCommand(ID_EDIT_SELECT_ALL);
    F().selection = {10, 10, 13, 11};
    Paste(kPasteSelectionArea);
    EXPECT_EQ(options_.asked.back(), (std::pair<int, bool>{kPasteFitEditor, true}));
    EXPECT_EQ(F().selection, (Rect{10, 10, 13, 11}));
    EXPECT_EQ(F().floatingColor->width(), 4);
    EXPECT_EQ(F().floatingColor->pixel(3, 1), RGB(255, 0, 0));
    // Without a selection the remembered selection choice falls back to 0.
    view_->CommitSelection();
    options_.answer.reset(); // Cancel
    const int undoBefore = F().undoLast;
    view_->OnCommand(ID_EDIT_PASTE);
    EXPECT_EQ(options_.asked.back(), (std::pair<int, bool>{kPasteEditorArea, false}));
    EXPECT_EQ(F().undoLast, undoBefore);
    EXPECT_FALSE(F().selectionActive);
}

TEST_F(ClipboardTest, PrivateBlockHeaderFieldsAreLaidOutInOrder)
{
    // 20 pixels wide: mask rows of 4 bytes (word-aligned), 8 bits with a palette.
    doc_->AddFormat(20, 20, 8, 0);
    view_->FormatsChanged();
    view_->SwitchFormat(Index(20, 8));
    ASSERT_EQ(F().bitDepth, 8);
    view_->OnCommand(ID_EDIT_COPY);
    const std::vector<std::uint8_t>& b = clipboard_.contents.privateBlock;
    const std::uint32_t colorSize = 20 * 4 * 20, maskSize = 4 * 20, dibSize = 40 + 60 * 20;
    EXPECT_EQ(Field(b, 0), 20u);
    EXPECT_EQ(Field(b, 4), 20u);
    EXPECT_EQ(Field(b, 8), 44u);
    EXPECT_EQ(Field(b, 12), colorSize);
    EXPECT_EQ(Field(b, 16), 44u + colorSize);
    EXPECT_EQ(Field(b, 20), maskSize);
    EXPECT_EQ(Field(b, 24), 8u);
    EXPECT_EQ(Field(b, 28), 44u + colorSize + maskSize);
    EXPECT_EQ(Field(b, 32), 1024u);
    EXPECT_EQ(Field(b, 36), 44u + colorSize + maskSize + 1024);
    EXPECT_EQ(Field(b, 40), dibSize);
    EXPECT_EQ(b.size(), 44u + colorSize + maskSize + 1024 + dibSize);
    // The palette entries are red, green, blue, flags.
    const std::size_t pal = 44 + colorSize + maskSize;
    EXPECT_EQ(b[pal + 4 * 9], F().palette[9].red);
    EXPECT_EQ(b[pal + 4 * 9 + 2], F().palette[9].blue);
    ASSERT_TRUE(clipboard_.contents.palette);
    EXPECT_EQ(*clipboard_.contents.palette, F().palette);

    // Without depth 8 there is no palette.
    view_->SwitchFormat(Index(4, 24));
    view_->OnCommand(ID_EDIT_COPY);
    const auto& c = clipboard_.contents.privateBlock;
    EXPECT_EQ(Field(c, 12), 64u);
    EXPECT_EQ(Field(c, 20), 8u);
    EXPECT_EQ(Field(c, 28), 0u);
    EXPECT_EQ(Field(c, 32), 0u);
    EXPECT_EQ(Field(c, 36), 44u + 64 + 8);
    ASSERT_TRUE(ParseClipboardBlock(c));
}

TEST_F(ClipboardTest, HostileBlocksAndHugeImagesAreRefusedAndChangeNothing)
{
    ImagePicture({"r.rr", "rir.", "....", "gggg"}, F().color, F().mask);
    view_->OnCommand(ID_EDIT_COPY);
    const std::vector<std::uint8_t> good = clipboard_.contents.privateBlock;
    ASSERT_TRUE(ParseClipboardBlock(good));

    std::vector<std::vector<std::uint8_t>> bad;
    bad.push_back(std::vector<std::uint8_t>(good.begin(), good.begin() + 43)); // shorter than the header
    bad.push_back(std::vector<std::uint8_t>(good.begin(), good.end() - 1));    // the copy runs past the end
    auto with = [&](std::size_t field, std::uint32_t v) {
        auto b = good;
        SetField(b, field, v);
        bad.push_back(b);
    };
    with(kBlockWidth, 0);
    with(kBlockWidth, 100000);         // over the size limit
    with(kBlockHeight, 5);             // the mask no longer fits the height
    with(kBlockMaskSize, 0xFFFFFFF0u); // offset + size wraps in 32 bits
    with(kBlockMaskOffset, 0xFFFFFFF0u);
    with(kBlockColorOffset, 2); // inside the header
    with(kBlockDibSize, 0x7FFFFFFF);
    with(kBlockBitDepth, 32);
    with(kBlockPaletteSize, 1000);
    {
        auto b = good; // the copy claims another size than the block
        SetField(b, Field(good, kBlockDibOffset) + 4, 4000);
        bad.push_back(b);
    }
    for (std::size_t i = 0; i < bad.size(); ++i)
        EXPECT_FALSE(ParseClipboardBlock(bad[i])) << i;

    // A refused block with nothing else on the clipboard pastes nothing.
    view_->SwitchFormat(Index(8, 24));
    const Bitmap before = F().color;
    test::ScriptedPrompter prompter;
    for (const auto& b : bad) {
        clipboard_.contents = {};
        clipboard_.contents.privateBlock = b;
        Paste(kPasteEditorArea);
        EXPECT_FALSE(F().selectionActive);
    }
    EXPECT_EQ(F().undoLast, 0);
    EXPECT_EQ(F().color, before);
    EXPECT_FALSE(doc_->IsModified());

    // A 10000x10000 image is refused with a message before it is decoded.
    clipboard_.contents = {};
    BitmapInfoHeader h;
    h.biWidth = 10000;
    h.biHeight = 10000;
    h.biBitCount = 24;
    clipboard_.contents.dib.bytes.resize(40 + 64);
    h.Write(clipboard_.contents.dib.bytes.data());
    Paste(kPasteEditorArea);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "The image on the clipboard is too large to paste (10000x10000 pixels).");
    EXPECT_FALSE(F().selectionActive);
    EXPECT_EQ(F().undoLast, 0);

    // A clipboard that cannot be opened: Copy and Paste do nothing.
    clipboard_.openable = false;
    const int puts = clipboard_.puts;
    view_->OnCommand(ID_EDIT_COPY);
    Paste(kPasteEditorArea);
    EXPECT_EQ(clipboard_.puts, puts);
    EXPECT_EQ(F().undoLast, 0);
}

TEST_F(ClipboardTest, A256ColourImageIntoAnOwnPaletteAsksToReplaceThePalette)
{
    doc_->AddFormat(16, 16, 8, 1);
    view_->FormatsChanged();
    view_->SwitchFormat(Index(16, 8, 1));
    ASSERT_TRUE(F().ownPalette);
    std::vector<PaletteEntry> grey(256);
    for (int i = 0; i < 256; ++i)
        grey[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), 0};
    const Palette greys(grey);
    Bitmap picture = Bitmap::Color(2, 2);
    picture.fill(RGB(77, 77, 77));
    clipboard_.contents.dib = BitmapToDib(picture, &greys, 8);
    ASSERT_EQ(DibColorCount(clipboard_.contents.dib), 256);

    test::ScriptedPrompter prompter;
    prompter.Answer(IDNO);
    const Palette before = F().palette;
    Paste(kPasteEditorArea);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text.rfind("Do you want to replace the current icon palette", 0), 0u);
    EXPECT_EQ(prompter.shown[0].style, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(F().palette, before);
    // Drawn through the format's palette.
    const COLORREF kept = F().floatingColor->pixel(0, 0);
    EXPECT_EQ(kept, before.colorRef(before.nearestIndex(RGB(77, 77, 77))));

    prompter.Answer(IDYES);
    Paste(kPasteEditorArea);
    EXPECT_EQ(F().palette, greys);
    EXPECT_EQ(F().floatingColor->pixel(1, 1), RGB(77, 77, 77));

    // A 24-bit image asks nothing.
    clipboard_.contents.dib = BitmapToDib(picture);
    Paste(kPasteEditorArea);
    EXPECT_EQ(prompter.shown.size(), 2u);
}

} // namespace
} // namespace kavrel
