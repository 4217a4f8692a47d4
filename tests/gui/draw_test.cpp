// Drawing in the editor widget: a pencil drag with real mouse events, the
// Draw toolbar's buttons reaching the view, and the tools' cursors.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QToolButton>

#include "document/icon_document.h"
#include "editor/icon_view_state.h"
#include "editor/tool_set.h"
#include "editor/ui/icon_view.h"
#include "editor/ui/tool_cursor.h"
#include "model/icon_model.h"
#include "shell/bars.h"
#include "shell/framework/command_router.h"
#include "support/qt_app.h"

namespace kavrel {
namespace {

class DrawTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite()
    {
        test::EnsureQApplication();
    }
    void SetUp() override
    {
        InstallDrawingTools();
        savedTool_ = LastTool();
        CIconViewState::FormatToOpen() = 0;
        doc_.OnNewDocument(); // 32x32, 16 colours, transparent
    }
    void TearDown() override
    {
        LastTool() = savedTool_;
        ReleaseDrawingTools();
    }
    // The viewport point over the centre of an image pixel.
    static QPoint PointOf(const CIconView& view, int column, int row)
    {
        const CIconViewState& s = view.State();
        return {s.originX + column * s.zoom + s.zoom / 2 - s.scrollX,
                s.originY + row * s.zoom + s.zoom / 2 - s.scrollY};
    }

    CIconDocument doc_;
    int savedTool_ = 0;
};

TEST_F(DrawTest, PencilDragChangesExactlyThePixelsUnderIt)
{
    CIconView view(&doc_);
    view.resize(400, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    CCmdTarget* route[] = {&view};
    SendCommand(route, kToolCommands[kToolPencil]);
    ASSERT_EQ(view.State().currentTool, kToolPencil);
    ASSERT_EQ(view.State().leftColor, RGB(0, 0, 0));

    QWidget* port = view.viewport();
    QTest::mouseMove(port, PointOf(view, 2, 3));
    QTest::mousePress(port, Qt::LeftButton, {}, PointOf(view, 2, 3));
    QTest::mouseMove(port, PointOf(view, 9, 3));
    QTest::mouseMove(port, PointOf(view, 9, 7));
    QTest::mouseRelease(port, Qt::LeftButton, {}, PointOf(view, 9, 7));

    const CIconObject& f = *view.CurrentFormat();
    int changed = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const bool under = (y == 3 && x >= 2 && x <= 9) || (x == 9 && y >= 3 && y <= 7);
            const ColorValue v = GetImagePixel(f.color, f.mask, x, y);
            EXPECT_EQ(v, under ? RGB(0, 0, 0) : COLOR_TRANSPARENT) << x << "," << y;
            changed += v != COLOR_TRANSPARENT;
        }
    EXPECT_EQ(changed, 12);
    EXPECT_TRUE(doc_.IsModified());

    // The window shows the stroke: pixel (5, 3) black, (5, 4) the pattern.
    const QImage shot = view.grab().toImage();
    const QPoint drawn = PointOf(view, 5, 3);
    EXPECT_EQ(shot.pixel(drawn) & 0xFFFFFFu, 0u);
    EXPECT_NE(shot.pixel(PointOf(view, 5, 5)) & 0xFFFFFFu, 0u);
}

TEST_F(DrawTest, DrawToolbarButtonsSelectToolsShapesAndFills)
{
    CIconView view(&doc_);
    view.resize(300, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    CCommandRouter router([&] { return std::vector<CCmdTarget*>{&view}; });
    CDrawToolBar bar(router);
    auto button = [&](std::uint16_t id) -> QToolButton* {
        for (QToolButton* b : bar.findChildren<QToolButton*>())
            if (b->property("kavrelCommand").toInt() == id)
                return b;
        return nullptr;
    };
    for (std::uint16_t id : {kToolCommands[kToolBrush], kBrushShapeCommands[7], kFillModeCommands[kFillRadial]}) {
        QToolButton* b = button(id);
        ASSERT_NE(b, nullptr) << id;
        b->defaultAction()->trigger();
    }
    EXPECT_EQ(view.State().currentTool, kToolBrush);
    EXPECT_EQ(view.State().brushShape, 7);
    EXPECT_EQ(view.State().fillMode, kFillRadial);
    router.UpdateActions();
    EXPECT_TRUE(button(kToolCommands[kToolBrush])->defaultAction()->isChecked());
    EXPECT_FALSE(button(kToolCommands[kToolPencil])->defaultAction()->isChecked());
    EXPECT_TRUE(button(kFillModeCommands[kFillRadial])->defaultAction()->isChecked());
}

TEST_F(DrawTest, ToolCursorsHaveTheirOwnPicturesAndHotSpots)
{
    for (int tool = 0; tool < kToolCount; ++tool) {
        QPoint hot;
        const QImage image = ToolCursorImage(kToolCursors[tool], &hot);
        ASSERT_FALSE(image.isNull()) << tool;
        EXPECT_EQ(image.size(), QSize(32, 32));
        EXPECT_TRUE(image.rect().contains(hot)) << tool;
        EXPECT_EQ(ToolCursor(kToolCursors[tool]).shape(), Qt::BitmapCursor);
    }
    // The pencil acts at its tip in the lower left corner; the shapes at the
    // centre of their cross.
    QPoint hot;
    const QImage pencil = ToolCursorImage(kToolCursors[kToolPencil], &hot);
    EXPECT_LT(hot.x(), 4);
    EXPECT_GT(hot.y(), 27);
    EXPECT_NE(qAlpha(pencil.pixel(hot)), 0);
    ToolCursorImage(kToolCursors[kToolRectangle], &hot);
    EXPECT_EQ(hot, QPoint(15, 13));
    EXPECT_EQ(ToolCursor(0).shape(), Qt::ArrowCursor);
    ReleaseToolCursors();
}

} // namespace
} // namespace kavrel
