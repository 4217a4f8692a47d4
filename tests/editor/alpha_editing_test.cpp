// Selection, clipboard, transforms, undo and text on 32-bit formats keep
// each pixel's alpha, and the mask stays 1 exactly where alpha is 0.
#include <gtest/gtest.h>

#include "document/icon_document.h"
#include "editor/clipboard.h"
#include "editor/clipboard_block.h"
#include "editor/icon_view_state.h"
#include "editor/selection.h"
#include "editor/settings_editor.h"
#include "editor/text_tool.h"
#include "editor/tool_selection.h"
#include "editor/transforms.h"
#include "editor/undo.h"
#include "model/icon_model.h"
#include "support/alpha_format.h"
#include "support/pixel_picture.h"

namespace kavrel {
namespace {

using test::AlphaRow;
using test::MaskFollowsAlpha;

class NoOptions : public PasteOptionsPrompt {
  public:
    std::optional<int> Ask(int, bool) override { return kPasteEditorArea; }
};

class AlphaEditingTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        savedSwitch_ = TransparentCopy;
        TransparentCopy = 0;
        InstallTool(kToolSelection, std::make_unique<CSelectionTool>());
        SetClipboardService(&clipboard_);
        SetPasteOptionsPrompt(&options_);
        doc_.OnNewDocument();
        doc_.AddFormat(4, 4, 24, 0);
        doc_.AddFormat(8, 8, 24, 0);
        test::MakeAlphaFormat(*doc_.GetFormat(Index(4)));
        test::MakeAlphaFormat(*doc_.GetFormat(Index(8)));
        CIconViewState::FormatToOpen() = Index(4);
        view_ = std::make_unique<CIconViewState>(&doc_);
        view_->InitialUpdate(400, 300);
        // One row of each kind: opaque red, half blue, transparent, 25% green.
        Put(0, 0, RGB(255, 0, 0), 255);
        Put(1, 0, RGB(0, 0, 255), 128);
        Put(3, 0, RGB(0, 255, 0), 64);
    }
    void TearDown() override
    {
        view_.reset();
        ClearTools();
        SetClipboardService(nullptr);
        SetPasteOptionsPrompt(nullptr);
        TransparentCopy = savedSwitch_;
    }
    int Index(int size)
    {
        for (int i = 0; i < doc_.GetFormatCount(); ++i)
            if (doc_.GetFormat(i)->width == size && doc_.GetFormat(i)->height == size)
                return i;
        return -1;
    }
    CIconObject& F() { return *view_->Format(); }
    void Put(int x, int y, COLORREF c, std::uint8_t alpha)
    {
        SetImagePixel(F().color, F().mask, c, x, y, nullptr, alpha);
    }

    int savedSwitch_ = 0;
    MemoryClipboard clipboard_;
    NoOptions options_;
    CIconDocument doc_;
    std::unique_ptr<CIconViewState> view_;
};

TEST_F(AlphaEditingTest, MovedSelectionsAndEraseKeepAlpha)
{
    const std::vector<int> row = AlphaRow(F().color, 0);
    F().selection = Rect{0, 0, 3, 0};
    F().selectionActive = 1;
    // Lifted with a half-transparent right colour, which fills the hole.
    F().transparentColor = RGB(255, 255, 0);
    F().transparentAlpha = 50;
    LiftSelection(F(), false);
    ASSERT_TRUE(F().floatingColor->hasAlpha());
    EXPECT_EQ(AlphaRow(*F().floatingColor, 0), row);
    EXPECT_EQ(AlphaRow(F().color, 0), (std::vector<int>{50, 50, 50, 50}));
    // Laid down one row lower: the pixels take their place with their alpha,
    // the transparent one included (no blending).
    F().selection = Rect{0, 1, 3, 1};
    CommitFloating(F(), false);
    EXPECT_EQ(AlphaRow(F().color, 1), row);
    EXPECT_EQ(F().color.rawPixel(1, 1), 0x800000FFu);
    EXPECT_TRUE(MaskFollowsAlpha(F().color, F().mask));

    // With the image transparency switch on, the transparent colour (alpha
    // 0 here) stays out and the rest replaces what is below.
    F().selection = Rect{0, 1, 3, 1};
    F().selectionActive = 1;
    F().transparentColor = COLOR_TRANSPARENT;
    LiftSelection(F(), true);
    F().selection = Rect{0, 0, 3, 0};
    CommitFloating(F(), true);
    EXPECT_EQ(AlphaRow(F().color, 0), (std::vector<int>{255, 128, 50, 64}));
    EXPECT_TRUE(MaskFollowsAlpha(F().color, F().mask));

    // Erase fills with the right colour and its alpha, Transparent clears.
    F().selection = Rect{0, 2, 1, 3};
    F().selectionActive = 1;
    EraseSelection(F(), RGB(0, 0, 0), 10);
    EXPECT_EQ(F().color.rawPixel(1, 3), 0x0A000000u);
    F().selection = Rect{0, 0, 3, 0};
    F().selectionActive = 1;
    EraseSelection(F(), COLOR_TRANSPARENT, 200);
    EXPECT_EQ(AlphaRow(F().color, 0), (std::vector<int>(4, 0)));
    EXPECT_TRUE(MaskFollowsAlpha(F().color, F().mask));
}

TEST_F(AlphaEditingTest, CopyAndPasteKeepAlphaAndOtherProgramsSeeItLaidOnTheBackground)
{
    view_->OnCommand(ID_EDIT_COPY);
    const ClipboardContents c = clipboard_.contents;
    // Our block holds the alpha and no copy without it.
    const auto block = ParseClipboardBlock(c.privateBlock);
    ASSERT_TRUE(block);
    EXPECT_EQ(block->bitDepth, 32);
    EXPECT_EQ(block->color, F().color);
    // Other programs get the picture with alpha, and on white without.
    EXPECT_EQ(c.alphaImage, F().color);
    const auto flat = DibToBitmap(c.dib);
    ASSERT_TRUE(flat);
    EXPECT_EQ(flat->pixel(1, 0), RGB(127, 127, 255));
    EXPECT_EQ(flat->pixel(2, 0), RGB(255, 255, 255));

    // Into the other 32-bit format: the same pixels, alpha and all.
    view_->SwitchFormat(Index(8));
    view_->OnCommand(ID_EDIT_PASTE);
    ASSERT_TRUE(HasFloating(F()));
    view_->CommitSelection();
    EXPECT_EQ(AlphaRow(F().color, 0), (std::vector<int>{255, 128, 0, 64, 0, 0, 0, 0}));
    EXPECT_EQ(F().color.rawPixel(3, 0), 0x4000FF00u);
    EXPECT_TRUE(MaskFollowsAlpha(F().color, F().mask));

    // A picture with alpha from another program (no block of ours).
    clipboard_.contents.privateBlock.clear();
    Bitmap picture = Bitmap::ColorAlpha(2, 1);
    picture.setRawPixel(0, 0, 0x11223344u);
    clipboard_.contents.alphaImage = picture;
    view_->OnCommand(ID_EDIT_PASTE);
    view_->CommitSelection();
    EXPECT_EQ(F().color.rawPixel(0, 0), 0x11223344u);
    EXPECT_EQ(F().color.rawPixel(1, 0), 0u);
    EXPECT_TRUE(MaskFollowsAlpha(F().color, F().mask));

    // Into a format without alpha: below half opacity is transparent.
    doc_.AddFormat(16, 16, 24, 0);
    view_->SwitchFormat(Index(16));
    clipboard_.contents = c;
    view_->OnCommand(ID_EDIT_PASTE);
    view_->CommitSelection();
    EXPECT_EQ(GetImagePixel(F().color, F().mask, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(GetImagePixel(F().color, F().mask, 1, 0), RGB(0, 0, 255));
    EXPECT_EQ(GetImagePixel(F().color, F().mask, 2, 0), COLOR_TRANSPARENT);
    EXPECT_EQ(GetImagePixel(F().color, F().mask, 3, 0), COLOR_TRANSPARENT);
}

TEST_F(AlphaEditingTest, TransformsAndUndoKeepAlpha)
{
    const Bitmap before = F().color;
    SaveUndoState(F());
    MirrorHorizontal(F(), Rect{0, 0, 4, 4});
    EXPECT_EQ(AlphaRow(F().color, 0), (std::vector<int>{64, 0, 128, 255}));
    MirrorVertical(F(), Rect{0, 0, 4, 4});
    EXPECT_EQ(AlphaRow(F().color, 3), (std::vector<int>{64, 0, 128, 255}));
    ASSERT_TRUE(Rotate90(F()));
    EXPECT_TRUE(MaskFollowsAlpha(F().color, F().mask));
    // Inversion changes the colour and keeps the alpha; a transparent pixel
    // stays transparent.
    SaveUndoState(F());
    const Bitmap turned = F().color;
    InvertColors(F(), Rect{0, 0, 4, 4});
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const std::uint32_t was = turned.rawPixel(x, y), now = F().color.rawPixel(x, y);
            EXPECT_EQ(now, was == 0 ? 0u : was ^ 0x00FFFFFFu) << x << "," << y;
        }
    EXPECT_TRUE(MaskFollowsAlpha(F().color, F().mask));

    ASSERT_TRUE(Undo(F()));
    EXPECT_EQ(F().color, turned);
    ASSERT_TRUE(Undo(F()));
    EXPECT_EQ(F().color, before);
    EXPECT_TRUE(F().color.hasAlpha());
    ASSERT_TRUE(Redo(F()));
    EXPECT_EQ(F().color, turned);
}

class CoverageRasterizer : public TextRasterizer {
  public:
    Bitmap Render(const TextFont&, const std::string&) override { return {}; }
    Bitmap RenderCoverage(const TextFont&, const std::string&) override
    {
        // Full, half and no coverage.
        Bitmap b = Bitmap::Color(3, 1);
        b.setRawPixel(0, 0, 0xFFFFFFFFu);
        b.setRawPixel(1, 0, 0xFF808080u);
        b.setRawPixel(2, 0, 0xFF000000u);
        return b;
    }
};

TEST_F(AlphaEditingTest, AntiAliasedTextTurnsCoverageIntoAlpha)
{
    CoverageRasterizer rasterizer;
    TextRequest request;
    request.face = "Sans";
    request.text = "x";
    view_->leftColor = RGB(255, 0, 0);
    view_->leftAlpha = 200;
    view_->rightColor = COLOR_TRANSPARENT;
    ASSERT_EQ(AddText(*view_, request, rasterizer, 96), TextOutcome::Pasted);
    ASSERT_TRUE(F().floatingColor && F().floatingColor->hasAlpha());
    const Bitmap& block = *F().floatingColor;
    EXPECT_EQ(block.rawPixel(0, 0), 0xC8FF0000u);
    EXPECT_EQ(block.rawPixel(1, 0), 0x64FF0000u); // half of 200, still red
    EXPECT_EQ(block.rawPixel(2, 0), 0u);
    EXPECT_TRUE(MaskFollowsAlpha(block, *F().floatingMask));

    // Over an opaque right colour the edge mixes the two colours, opaque.
    Bitmap color, mask;
    BuildAlphaTextBlock(rasterizer.RenderCoverage({}, "x"), RGB(0, 0, 0), 255, RGB(255, 255, 255), 255, nullptr, color,
                        mask);
    EXPECT_EQ(color.rawPixel(0, 0), 0xFF000000u);
    EXPECT_EQ(color.rawPixel(1, 0), 0xFF7F7F7Fu);
    EXPECT_EQ(color.rawPixel(2, 0), 0xFFFFFFFFu);
}

} // namespace
} // namespace kavrel
