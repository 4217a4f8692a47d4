#include "editor/undo.h"

#include <gtest/gtest.h>

#include "document/icon_document.h"
#include "editor/icon_view_state.h"
#include "model/icon_model.h"
#include "support/pixel_picture.h"

namespace kavrel {
namespace {

using test::ImagePicture;
using test::PictureIs;

// A document holding one format of the given size and depth.
std::unique_ptr<CIconDocument> DocumentOf(int width, int height, int bitDepth)
{
    auto doc = std::make_unique<CIconDocument>();
    doc->OnNewDocument();
    doc->AddFormat(width, height, bitDepth, 0);
    for (int i = 0; i < doc->GetFormatCount(); ++i) {
        const CIconObject* f = doc->GetFormat(i);
        if (!(f->width == width && f->height == height && f->bitDepth == bitDepth)) {
            doc->RemoveFormat(i);
            break;
        }
    }
    doc->SetModifiedFlag(false); // as opened
    return doc;
}

// Stamps the pressed colour on the pixel pressed, like a one-pixel pencil.
class DotTool : public CDrawTool {
  public:
    explicit DotTool(bool modifies = true) : modifies_(modifies) {}
    int CursorId() const override { return 118; }
    bool ModifiesImage() const override { return modifies_; }
    void Begin(ToolContext& c, int column, int row) override
    {
        if (modifies_)
            SetImagePixel(c.format->color, c.format->mask, c.pressedColor, column, row, &c.format->palette);
    }
    void Move(ToolContext&, int, int) override {}
    void End(ToolContext&) override {}

  private:
    bool modifies_;
};

class StatusWindow : public ViewWindow {
  public:
    bool IsStatusBarShown() const override { return true; }
    void SetStatusText(int pane, const std::string& text) override
    {
        if (pane == 5)
            modifiedPane = text;
    }
    void RepaintPreview() override { ++previews; }
    void RedrawAllViews() override { ++redraws; }
    std::string modifiedPane;
    int previews = 0, redraws = 0;
};

// An 8x8 format in a 400x300 client: zoom 30 (capped), origin (80, 30).
class UndoTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        LastTool() = 0;
        CIconViewState::FormatToOpen() = 0;
        doc = DocumentOf(8, 8, 24);
        view = std::make_unique<CIconViewState>(doc.get(), &window);
        view->InitialUpdate(400, 300);
        InstallTool(kToolPencil, std::make_unique<DotTool>());
        InstallTool(kToolColorPicker, std::make_unique<DotTool>(false));
        view->SelectTool(kToolPencil);
    }
    void TearDown() override
    {
        view.reset();
        ClearTools();
        LastTool() = 0;
    }
    // A press and release on one pixel with the left colour.
    void Stroke(int column, int row, ColorValue colour)
    {
        view->leftColor = colour;
        ASSERT_EQ(view->ButtonDown(0, view->originX + column * view->zoom + 1, view->originY + row * view->zoom + 1),
                  CIconViewState::Press::OnImage);
        view->ButtonUp();
    }
    bool Enabled(std::uint16_t id)
    {
        CCmdUI ui;
        ui.id = id;
        EXPECT_TRUE(view->OnUpdateCommand(ui)) << id;
        return ui.enabled;
    }
    CIconObject& Format() { return *doc->GetFormat(0); }

    StatusWindow window;
    std::unique_ptr<CIconDocument> doc;
    std::unique_ptr<CIconViewState> view;
};

TEST_F(UndoTest, SixteenStrokesLeaveFifteenUndoableStates)
{
    EXPECT_FALSE(Enabled(ID_EDIT_UNDO));
    EXPECT_FALSE(Enabled(ID_EDIT_REDO));
    for (int i = 0; i < 16; ++i)
        Stroke(i % 8, i / 8, RGB(255, 0, 0));
    EXPECT_EQ(Format().undoLast, 15);
    EXPECT_EQ(Format().undoPosition, 15);

    int undone = 0;
    while (Enabled(ID_EDIT_UNDO) && undone < 20) {
        view->OnCommand(ID_EDIT_UNDO);
        ++undone;
    }
    EXPECT_EQ(undone, 15);
    // The first stroke is past the history's reach.
    EXPECT_TRUE(
        PictureIs(Format().color, Format().mask,
                  {"r.......", "........", "........", "........", "........", "........", "........", "........"}));

    int redone = 0;
    while (Enabled(ID_EDIT_REDO) && redone < 20) {
        view->OnCommand(ID_EDIT_REDO);
        ++redone;
    }
    EXPECT_EQ(redone, 15);
    EXPECT_TRUE(
        PictureIs(Format().color, Format().mask,
                  {"rrrrrrrr", "rrrrrrrr", "........", "........", "........", "........", "........", "........"}));
    // Out of range they change nothing.
    view->OnCommand(ID_EDIT_REDO);
    EXPECT_EQ(Format().undoPosition, 15);
}

TEST_F(UndoTest, UndoRedoWalkAndANewChangeDropsRedo)
{
    const std::vector<std::string> blank(8, "........");
    // Draw A, draw B, undo twice, redo twice: B shows again.
    Stroke(1, 1, RGB(0, 0, 255));
    Stroke(2, 2, RGB(0, 255, 0));
    view->OnCommand(ID_EDIT_UNDO);
    EXPECT_TRUE(
        PictureIs(Format().color, Format().mask,
                  {"........", ".b......", "........", "........", "........", "........", "........", "........"}));
    view->OnCommand(ID_EDIT_UNDO);
    EXPECT_TRUE(PictureIs(Format().color, Format().mask, blank));
    EXPECT_FALSE(Enabled(ID_EDIT_UNDO));
    view->OnCommand(ID_EDIT_REDO);
    view->OnCommand(ID_EDIT_REDO);
    EXPECT_TRUE(
        PictureIs(Format().color, Format().mask,
                  {"........", ".b......", "..g.....", "........", "........", "........", "........", "........"}));
    EXPECT_FALSE(Enabled(ID_EDIT_REDO));
    EXPECT_TRUE(Enabled(ID_EDIT_UNDO));

    // Draw, undo, draw: nothing is left to redo, and undo goes back past the
    // new stroke to what the undo showed.
    view->OnCommand(ID_EDIT_UNDO);
    Stroke(3, 3, COLOR_INVERTED);
    EXPECT_FALSE(Enabled(ID_EDIT_REDO));
    EXPECT_EQ(Format().undoLast, 2);
    view->OnCommand(ID_EDIT_UNDO);
    EXPECT_TRUE(
        PictureIs(Format().color, Format().mask,
                  {"........", ".b......", "........", "........", "........", "........", "........", "........"}));
    view->OnCommand(ID_EDIT_REDO);
    EXPECT_TRUE(
        PictureIs(Format().color, Format().mask,
                  {"........", ".b......", "........", "...i....", "........", "........", "........", "........"}));

    // A tool that does not change the image saves no state.
    view->SelectTool(kToolColorPicker);
    Stroke(0, 0, RGB(255, 0, 0));
    EXPECT_EQ(Format().undoLast, 2);
    EXPECT_EQ(Format().undoPosition, 2);
}

// Modified exactly when the image shown is not the one last saved: undo and
// redo set or clear the mark by where they land, not by which way they go.
TEST_F(UndoTest, ModifiedMarkFollowsTheStateShownAgainstTheSavedOne)
{
    Stroke(0, 0, RGB(255, 0, 0)); // B
    Stroke(1, 0, RGB(255, 0, 0)); // C
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(view->StatusText(5), "@3 ");

    const int previews = window.previews, redraws = window.redraws;
    view->OnCommand(ID_EDIT_UNDO); // back to B: still not what was saved
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(window.modifiedPane, "@3 ");
    EXPECT_GT(window.previews, previews);
    EXPECT_GT(window.redraws, redraws);

    view->OnCommand(ID_EDIT_UNDO); // the saved state
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(window.modifiedPane, "   ");
    view->OnCommand(ID_EDIT_REDO);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(window.modifiedPane, "@3 ");

    // Saved in the middle of the history: both directions leave it.
    doc->SetModifiedFlag(false);
    view->OnCommand(ID_EDIT_UNDO);
    EXPECT_TRUE(doc->IsModified());
    view->OnCommand(ID_EDIT_REDO);
    EXPECT_FALSE(doc->IsModified());
    view->OnCommand(ID_EDIT_REDO);
    EXPECT_TRUE(doc->IsModified());

    // A new change after undoing to the saved state is a change.
    view->OnCommand(ID_EDIT_UNDO);
    ASSERT_FALSE(doc->IsModified());
    Stroke(5, 5, RGB(0, 0, 255));
    EXPECT_TRUE(doc->IsModified());
    view->OnCommand(ID_EDIT_UNDO);
    EXPECT_FALSE(doc->IsModified());

    // A change outside the history (a palette edit) stays until saved.
    doc->SetModifiedFlag(true);
    Stroke(2, 2, RGB(0, 255, 0));
    view->OnCommand(ID_EDIT_UNDO);
    EXPECT_TRUE(doc->IsModified());
}

TEST_F(UndoTest, SavedStatePushedOutOfTheHistoryCannotBeReachedAgain)
{
    for (int i = 0; i < 16; ++i)
        Stroke(i % 8, i / 8, RGB(255, 0, 0));
    while (Enabled(ID_EDIT_UNDO))
        view->OnCommand(ID_EDIT_UNDO);
    // The first stroke can no longer be undone, so the saved image is gone.
    EXPECT_TRUE(doc->IsModified());
}

TEST(UndoHistory, AddingAndRemovingFormatsCountsAsAChange)
{
    auto doc = std::make_unique<CIconDocument>();
    doc->OnNewDocument();
    EXPECT_FALSE(doc->IsModified());
    ASSERT_TRUE(doc->AddFormat(16, 16, 4, 0));
    EXPECT_TRUE(doc->IsModified());
    ASSERT_TRUE(doc->RemoveFormat(0)); // the 16x16 sorts first
    EXPECT_FALSE(doc->IsModified());
    ASSERT_TRUE(doc->AddFormat(16, 16, 4, 0));
    doc->SetModifiedFlag(false);
    ASSERT_TRUE(doc->RemoveFormat(1));
    EXPECT_TRUE(doc->IsModified());
}

TEST(UndoHistory, EachFormatKeepsItsOwnHistoryAndIndexesOutOfRangeDoNothing)
{
    auto doc = std::make_unique<CIconDocument>();
    doc->OnNewDocument();
    doc->AddFormat(16, 16, 4, 0);
    ASSERT_EQ(doc->GetFormatCount(), 2);
    CIconObject& small = *doc->GetFormat(0);
    CIconObject& large = *doc->GetFormat(1);

    SaveUndoState(*doc, 0);
    SetImagePixel(small.color, small.mask, RGB(255, 0, 0), 0, 0, &small.palette);
    SaveUndoState(*doc, 1);
    SaveUndoState(*doc, 1);
    SaveUndoState(*doc, 2);
    SaveUndoState(*doc, -1);
    EXPECT_EQ(small.undoLast, 1);
    EXPECT_EQ(large.undoLast, 2);
    EXPECT_FALSE(CanUndo(*doc, 2));
    EXPECT_FALSE(Undo(*doc, 2));

    ASSERT_TRUE(Undo(*doc, 0));
    EXPECT_EQ(GetImagePixel(small.color, small.mask, 0, 0), COLOR_TRANSPARENT);
    EXPECT_TRUE(CanRedo(*doc, 0));
    EXPECT_FALSE(CanRedo(*doc, 1));
    ASSERT_TRUE(Redo(*doc, 0));
    EXPECT_EQ(GetImagePixel(small.color, small.mask, 0, 0), RGB(255, 0, 0));

    // Saving drops every history.
    ClearUndo(large);
    EXPECT_FALSE(CanUndo(large));
    EXPECT_FALSE(large.undo[0].color.has_value());
}

TEST(UndoHistory, ARedoPointKeepsThePresentWithoutCountingIt)
{
    CIconObject f(24, 2, 1, 0);
    auto paint = [&](COLORREF c) { SetImagePixel(f.color, f.mask, c, 0, 0, nullptr); };
    SaveUndoState(f);
    paint(RGB(0, 0, 255));
    SaveUndoState(f, true);
    EXPECT_EQ(f.undoLast, 1);
    EXPECT_EQ(f.undoPosition, 1);
    ASSERT_TRUE(f.undo[1].color.has_value());
    EXPECT_EQ(f.undo[1].color->pixel(0, 0), RGB(0, 0, 255));
    EXPECT_FALSE(f.undo[2].color.has_value());
}

} // namespace
} // namespace kavrel
