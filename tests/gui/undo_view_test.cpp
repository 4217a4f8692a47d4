// Undo and the transforms through the editor widget: every view of the
// document and the actual-size preview follow, and the modified pane too.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <map>

#include "document/icon_document.h"
#include "editor/icon_view_state.h"
#include "editor/ui/actual_size_preview.h"
#include "editor/ui/editor_host.h"
#include "editor/ui/icon_view.h"
#include "model/palettes.h"
#include "support/qt_app.h"

namespace kavrel {
namespace {

class PaneHost : public EditorHost {
  public:
    void SetStatusPaneText(int pane, const std::string& text) override { panes[pane] = text; }
    bool IsStatusBarShown() const override { return true; }
    void RepaintActualSizePreview() override { ++previewRepaints; }
    void ActivateViewFrame(CIconView*) override {}
    void SendMainWindowCommand(std::uint16_t) override {}
    bool IsLocalToolbarShown(CIconView*) const override { return false; }
    void ShowLocalToolbar(CIconView*, bool) override {}
    bool FocusLibrarian() override { return false; }
    std::map<int, std::string> panes;
    int previewRepaints = 0;
};

QRgb At(const QImage& image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFFu;
}

TEST(UndoViewTest, RotateAndUndoRedrawEveryViewAndThePreview)
{
    test::EnsureQApplication();
    PaneHost host;
    SetEditorHost(&host);
    CIconViewState::FormatToOpen() = 0;
    CIconDocument doc;
    doc.OnNewDocument(); // 32x32, 16 colours
    CIconObject* f = doc.GetFormat(0);
    // Left half red, right half blue.
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            SetImagePixel(f->color, f->mask, x < 16 ? RGB(255, 0, 0) : RGB(0, 0, 255), x, y, nullptr);

    CIconView first(&doc), second(&doc);
    for (CIconView* v : {&first, &second}) {
        v->resize(400, 300); // zoom 8, origin (72, 22)
        v->show();
    }
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&second));
    CActualSizePreview preview;
    preview.resize(95, 89);
    CActualSizePreview::SetActiveView(&first);
    // Pixel (0, 0) and (0, 31) in a view, and (0, 0) in the preview.
    auto topLeft = [](CIconView& v) { return At(v.grab().toImage(), 72 + 4, 22 + 4); };
    auto bottomLeft = [](CIconView& v) { return At(v.grab().toImage(), 72 + 4, 22 + 8 * 31 + 4); };
    ASSERT_EQ(topLeft(second), 0xFF0000u);
    EXPECT_EQ(At(preview.grab().toImage(), 32, 29), 0xFF0000u);

    // A quarter turn anticlockwise: the left half goes to the bottom.
    const int repaints = host.previewRepaints;
    first.OnCommand(ID_ROTATE);
    EXPECT_EQ(topLeft(second), 0x0000FFu);
    EXPECT_EQ(bottomLeft(second), 0xFF0000u);
    EXPECT_EQ(topLeft(first), 0x0000FFu);
    EXPECT_GT(host.previewRepaints, repaints);
    EXPECT_EQ(At(preview.grab().toImage(), 32, 29), 0x0000FFu);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(host.panes[5], "@3 ");

    // Undo in the other view puts it back everywhere and clears the mark.
    CCmdUI ui;
    ui.id = ID_EDIT_UNDO;
    ASSERT_TRUE(second.OnUpdateCommand(ui));
    EXPECT_TRUE(ui.enabled);
    second.OnCommand(ID_EDIT_UNDO);
    EXPECT_EQ(topLeft(first), 0xFF0000u);
    EXPECT_EQ(topLeft(second), 0xFF0000u);
    EXPECT_EQ(At(preview.grab().toImage(), 32, 29), 0xFF0000u);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(host.panes[5], "   ");

    second.OnCommand(ID_EDIT_REDO);
    EXPECT_EQ(topLeft(first), 0x0000FFu);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(host.panes[5], "@3 ");

    CActualSizePreview::SetActiveView(nullptr);
    SetEditorHost(nullptr);
}

} // namespace
} // namespace kavrel
