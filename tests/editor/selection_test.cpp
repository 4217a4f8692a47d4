#include "editor/selection.h"

#include <gtest/gtest.h>

#include "document/icon_document.h"
#include "editor/icon_view_state.h"
#include "editor/settings_editor.h"
#include "editor/tool_selection.h"
#include "editor/undo.h"
#include "model/icon_model.h"
#include "support/pixel_picture.h"

namespace kavrel {
namespace {

using test::ImagePicture;
using test::PictureIs;

class CtrlWindow : public ViewWindow {
  public:
    bool IsControlHeld() const override { return ctrl; }
    bool ctrl = false;
};

// An 8x8 24-bit format in a view at zoom 30 whose pixel (c, r) is at
// (80 + 30c, 30 + 30r); the selection tool is current.
class SelectionTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        savedSwitch_ = TransparentCopy;
        TransparentCopy = 0;
        LastTool() = 0;
        CIconViewState::FormatToOpen() = 0;
        InstallTool(kToolSelection, std::make_unique<CSelectionTool>());
        doc_ = std::make_unique<CIconDocument>();
        doc_->OnNewDocument();
        doc_->AddFormat(8, 8, 24, 0);
        doc_->SetModifiedFlag(false); // as opened
        for (int i = 0; i < doc_->GetFormatCount(); ++i)
            if (doc_->GetFormat(i)->width == 8)
                CIconViewState::FormatToOpen() = i;
        view_ = std::make_unique<CIconViewState>(doc_.get(), &window_);
        view_->InitialUpdate(400, 300);
        ASSERT_EQ(view_->zoom, 30);
        view_->SelectTool(kToolSelection);
    }
    void TearDown() override
    {
        view_.reset();
        ClearTools();
        TransparentCopy = savedSwitch_;
    }
    CIconObject& F() { return *view_->Format(); }
    void Picture(const std::vector<std::string>& rows) { ImagePicture(rows, F().color, F().mask); }
    // A press at one pixel, moves through the others, the release at the last.
    void Drag(std::initializer_list<std::pair<int, int>> pixels)
    {
        auto it = pixels.begin();
        view_->ButtonDown(0, 80 + 30 * it->first + 15, 30 + 30 * it->second + 15);
        for (++it; it != pixels.end(); ++it)
            view_->PointerMove(80 + 30 * it->first + 15, 30 + 30 * it->second + 15);
        view_->ButtonUp();
    }
    void Mark(int c0, int r0, int c1, int r1) { Drag({{c0, r0}, {c1, r1}}); }

    std::unique_ptr<CIconDocument> doc_;
    CtrlWindow window_;
    std::unique_ptr<CIconViewState> view_;
    int savedSwitch_ = 0;
};

const std::vector<std::string> kStart = {
    "########", //
    "#rr#####", //
    "#rr#####", //
    "########", //
    "########", //
    "########", //
    "########", //
    "########",
};

TEST_F(SelectionTest, MovingAMarkedSelectionLeavesTheRightColourAndCtrlKeepsTheOriginal)
{
    for (const ColorValue right : {RGB(255, 255, 255), COLOR_TRANSPARENT}) {
        SCOPED_TRACE(right);
        Picture(kStart);
        view_->rightColor = right;
        Mark(1, 1, 2, 2);
        ASSERT_TRUE(F().selectionActive);
        EXPECT_EQ(F().selection, (Rect{1, 1, 2, 2}));
        EXPECT_EQ(view_->StatusText(3), "@1  2x2");
        EXPECT_FALSE(HasFloating(F()));
        EXPECT_FALSE(doc_->IsModified());

        Drag({{1, 1}, {2, 3}, {4, 4}});
        EXPECT_EQ(F().selection, (Rect{4, 4, 5, 5}));
        EXPECT_EQ(F().selectionInPlace, 0);
        EXPECT_TRUE(doc_->IsModified());
        const char c = right == COLOR_TRANSPARENT ? '.' : 'w';
        const std::string hole = std::string("#") + c + c + "#####";
        // Lifted: the old place holds the right colour, the image under the
        // new place is untouched until the selection is laid down.
        EXPECT_TRUE(PictureIs(F().color, F().mask,
                              {"########", hole, hole, "########", "########", "########", "########", "########"}));
        view_->CommitSelection();
        EXPECT_FALSE(F().selectionActive);
        EXPECT_TRUE(PictureIs(F().color, F().mask,
                              {"########", hole, hole, "########", "####rr##", "####rr##", "########", "########"}));
        // The move is one undoable step.
        view_->OnCommand(ID_EDIT_UNDO);
        EXPECT_TRUE(PictureIs(F().color, F().mask, kStart));
    }

    // With Ctrl the drag moves a copy and the original stays.
    Picture(kStart);
    view_->rightColor = RGB(255, 255, 255);
    Mark(1, 1, 2, 2);
    window_.ctrl = true;
    Drag({{1, 1}, {5, 5}});
    window_.ctrl = false;
    EXPECT_TRUE(PictureIs(F().color, F().mask, kStart));
    // A second Ctrl-drag of the floating copy leaves that copy behind too.
    window_.ctrl = true;
    Drag({{5, 5}, {5, 2}});
    window_.ctrl = false;
    view_->SelectTool(kToolSelection); // a tool change commits
    EXPECT_FALSE(F().selectionActive);
    EXPECT_TRUE(
        PictureIs(F().color, F().mask,
                  {"########", "#rr#####", "#rr##rr#", "#####rr#", "########", "#####rr#", "#####rr#", "########"}));
}

TEST_F(SelectionTest, TransparencySwitchWithWhiteRightColourKeepsWhitePixelsOut)
{
    const std::vector<std::string> start = {
        "rwr#####", //
        "wwr#####", //
        "########", //
        "##gggg##", //
        "##gggg##", //
        "########", //
        "########", //
        "########",
    };
    view_->rightColor = RGB(255, 255, 255);
    for (const int on : {1, 0}) {
        SCOPED_TRACE(on);
        TransparentCopy = on;
        Picture(start);
        Mark(0, 0, 2, 1);
        Drag({{0, 0}, {2, 3}});
        // The view shows the floating contents the way they will be laid down.
        Bitmap shownColor = F().color, shownMask = F().mask;
        LayDownFloating(F(), shownColor, shownMask, TransparencySwitch());
        view_->CommitSelection();
        EXPECT_EQ(F().color, shownColor);
        const std::string row3 = on ? "##rgrg##" : "##rwrg##";
        const std::string row4 = on ? "##ggrg##" : "##wwrg##";
        EXPECT_TRUE(PictureIs(F().color, F().mask,
                              {"www#####", "www#####", "########", row3, row4, "########", "########", "########"}));
    }
    // Ctrl+T toggles the switch and shows as checked.
    TransparentCopy = 0;
    view_->OnCommand(ID_TRANSPARENT_COPY);
    CCmdUI ui;
    ui.id = ID_TRANSPARENT_COPY;
    EXPECT_TRUE(view_->OnUpdateCommand(ui));
    EXPECT_TRUE(ui.checked);
}

TEST_F(SelectionTest, EraseAfterAMoveRemovesOnlyTheMovedContents)
{
    Picture(kStart);
    view_->rightColor = RGB(0, 0, 255);
    Mark(1, 1, 2, 2);
    Drag({{1, 1}, {4, 4}});
    view_->rightColor = RGB(255, 255, 255); // the fill of Erase would be white
    view_->OnCommand(ID_EDIT_CLEAR);
    EXPECT_FALSE(F().selectionActive);
    EXPECT_FALSE(HasFloating(F()));
    EXPECT_TRUE(
        PictureIs(F().color, F().mask,
                  {"########", "#bb#####", "#bb#####", "########", "########", "########", "########", "########"}));

    // Erase of a marked selection fills it with the right colour.
    Picture(kStart);
    Mark(0, 0, 1, 1);
    view_->OnCommand(ID_EDIT_CLEAR);
    EXPECT_TRUE(
        PictureIs(F().color, F().mask,
                  {"ww######", "wwr#####", "#rr#####", "########", "########", "########", "########", "########"}));
    CCmdUI ui;
    ui.id = ID_EDIT_CLEAR;
    view_->OnUpdateCommand(ui);
    EXPECT_FALSE(ui.enabled);
}

TEST_F(SelectionTest, SelectAllClickAwayMirrorsAndFormatsKeepTheSelection)
{
    Picture(kStart);
    view_->OnCommand(ID_EDIT_SELECT_ALL);
    EXPECT_EQ(F().selection, (Rect{0, 0, 7, 7}));
    EXPECT_EQ(F().selectionInPlace, 1);
    CCmdUI ui;
    ui.id = ID_MIRROR_HORIZONTAL;
    view_->OnUpdateCommand(ui);
    EXPECT_TRUE(ui.enabled);

    // A click without a drag removes the selection; the image is untouched.
    Drag({{3, 3}});
    EXPECT_FALSE(F().selectionActive);
    EXPECT_TRUE(PictureIs(F().color, F().mask, kStart));

    // A moved selection mirrored: laid down where it stands, still marked.
    view_->rightColor = RGB(255, 255, 255);
    Mark(1, 1, 3, 1);
    Drag({{1, 1}, {1, 5}});
    view_->OnCommand(ID_MIRROR_HORIZONTAL);
    EXPECT_TRUE(F().selectionActive);
    EXPECT_FALSE(HasFloating(F()));
    EXPECT_EQ(F().selection, (Rect{1, 5, 3, 5}));
    EXPECT_TRUE(
        PictureIs(F().color, F().mask,
                  {"########", "#www####", "#rr#####", "########", "########", "##rr####", "########", "########"}));

    // The selection belongs to its format and survives a switch.
    doc_->AddFormat(16, 16, 24, 0);
    view_->FormatsChanged();
    const int here = view_->formatIndex;
    const int other = here == 0 ? 1 : 0;
    view_->SwitchFormat(other);
    EXPECT_FALSE(view_->Format()->selectionActive);
    view_->SwitchFormat(here);
    EXPECT_TRUE(F().selectionActive);
    EXPECT_EQ(F().selection, (Rect{1, 5, 3, 5}));
}

TEST_F(SelectionTest, DitherCopyScalesByNearestNeighbourAndPaintsDitherPatterns)
{
    Bitmap source = Bitmap::Color(2, 1);
    source.setRawPixel(0, 0, PixelFromColorRef(RGB(255, 0, 0)));
    source.setRawPixel(1, 0, PixelFromColorRef(RGB(128, 128, 128)));
    Bitmap dest = Bitmap::Color(8, 8);
    struct Sink : ProgressSink {
        void Begin(const std::string& caption, int steps) override { text = caption, total = steps; }
        void Step(int i) override { last = i; }
        std::string text;
        int total = 0, last = 0;
    } sink;
    DitherCopy(dest, 0, 0, 8, 8, source, 0, 0, 2, 1, 24, &sink);
    EXPECT_EQ(sink.text, "Pasting ...");
    EXPECT_EQ(sink.total, 8);
    EXPECT_EQ(sink.last, 8);
    EXPECT_EQ(dest.pixel(3, 7), RGB(255, 0, 0));
    EXPECT_EQ(dest.pixel(4, 0), RGB(128, 128, 128));
    // At 4 bits the grey becomes the brush's pattern, aligned to the destination.
    const Brush brush = MakeDitherBrush(RGB(128, 128, 128), 4);
    DitherCopy(dest, 0, 0, 8, 8, source, 0, 0, 2, 1, 4);
    for (int y = 0; y < 8; ++y)
        for (int x = 4; x < 8; ++x) {
            const COLORREF expected = brush.kind == Brush::Kind::Pattern ? brush.pattern.pixel(x, y) : brush.color;
            EXPECT_EQ(dest.pixel(x, y), expected) << x << "," << y;
        }
}

} // namespace
} // namespace kavrel
