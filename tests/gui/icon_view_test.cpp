#include "editor/ui/icon_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include "document/icon_document.h"
#include "editor/icon_view_state.h"
#include "editor/settings_editor.h"
#include "editor/ui/actual_size_preview.h"
#include "editor/ui/editor_host.h"
#include "editor/ui/icon_print.h"
#include "model/palettes.h"
#include "resources/command_ids.h"
#include "support/qt_app.h"

namespace kavrel {
namespace {

class RecordingHost : public EditorHost {
  public:
    void SetStatusPaneText(int pane, const std::string& text) override { panes[pane] = text; }
    bool IsStatusBarShown() const override { return true; }
    void RepaintActualSizePreview() override { ++previewRepaints; }
    void ActivateViewFrame(CIconView*) override { ++activations; }
    void SendMainWindowCommand(std::uint16_t id) override { commands.push_back(id); }
    bool IsLocalToolbarShown(CIconView*) const override { return toolbar; }
    void ShowLocalToolbar(CIconView*, bool show) override { toolbar = show; }
    bool FocusLibrarian() override
    {
        ++librarianFocus;
        return true;
    }
    std::map<int, std::string> panes;
    std::vector<std::uint16_t> commands;
    int previewRepaints = 0, activations = 0, librarianFocus = 0;
    bool toolbar = true;
};

class IconViewTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::EnsureQApplication(); }
    void SetUp() override
    {
        SetEditorHost(&host_);
        saved_ = {GrilleAuto, DefaultZoomAuto, AfficheOmbreIcone};
        background_ = CouleurFondEditeur;
        GrilleAuto = 1;
        DefaultZoomAuto = 1;
        CouleurFondEditeur = 0x804000;
        CIconViewState::FormatToOpen() = 0;
        doc_.OnNewDocument(); // 32x32, 16 colours, transparent
        CIconObject* f = doc_.GetFormat(0);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                SetImagePixel(f->color, f->mask, x < 16 ? RGB(255, 0, 0) : RGB(0, 0, 255), x, y, nullptr);
    }
    void TearDown() override
    {
        SetEditorHost(nullptr);
        GrilleAuto = saved_[0];
        DefaultZoomAuto = saved_[1];
        AfficheOmbreIcone = saved_[2];
        CouleurFondEditeur = background_;
    }

    RecordingHost host_;
    CIconDocument doc_;
    std::array<int, 3> saved_{};
    std::uint32_t background_ = 0;
};

QRgb At(const QImage& image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFFu;
}

TEST_F(IconViewTest, ShowsTheImageEnlargedOnTheBackground)
{
    CIconView view(&doc_);
    view.resize(400, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    ASSERT_EQ(view.viewport()->size(), QSize(400, 300));
    EXPECT_EQ(view.State().zoom, 8);
    EXPECT_EQ(view.State().originX, 72);
    EXPECT_EQ(view.State().originY, 22);

    const QImage shot = view.grab().toImage();
    ASSERT_EQ(shot.size(), QSize(400, 300));
    EXPECT_EQ(At(shot, 0, 0), 0x004080u);                             // CouleurFondEditeur is 0x00BBGGRR
    EXPECT_EQ(At(shot, 72 + 4, 22 + 4), 0xFF0000u);                   // pixel (0, 0), red
    EXPECT_EQ(At(shot, 72 + 8 * 20 + 3, 22 + 8 * 30 + 3), 0x0000FFu); // pixel (20, 30), blue
    EXPECT_EQ(At(shot, 72, 22), 0x808080u);                           // the grid's first dot
    EXPECT_EQ(At(shot, 70, 30), 0xFFFFFFu);                           // outer frame, left
    EXPECT_EQ(At(shot, 71, 30), 0xDFDFDFu);                           // inner frame, left

    // The status panes went to the host.
    EXPECT_EQ(host_.panes[1], "32x32 - 16 colors");
    EXPECT_EQ(host_.panes[4], "@2  8:1");

    // Keypad plus zooms in and the picture follows.
    QTest::keyClick(&view, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(view.State().zoom, 9);
    EXPECT_EQ(view.State().autoZoom, 0);
    const QImage zoomed = view.grab().toImage();
    const int ox = view.State().originX, oy = view.State().originY;
    EXPECT_EQ(At(zoomed, ox + 9 * 16 + 4, oy + 4), 0x0000FFu);
    EXPECT_EQ(At(zoomed, ox + 9 * 15 + 4, oy + 4), 0xFF0000u);

    // Esc and Delete go to the main window, Tab to the librarian.
    QTest::keyClick(&view, Qt::Key_Escape);
    QTest::keyClick(&view, Qt::Key_Delete);
    QTest::keyClick(&view, Qt::Key_Tab);
    EXPECT_EQ(host_.commands, (std::vector<std::uint16_t>{ID_VIEW_LIBRARIAN, ID_EDIT_CLEAR}));
    EXPECT_EQ(host_.librarianFocus, 1);
}

// The main keyboard's + (or =) and - zoom like the keypad's; Ctrl + wheel
// zooms about the pointer, keeping the pixel under it in place.
TEST_F(IconViewTest, ZoomKeysAndControlWheel)
{
    CIconView view(&doc_);
    view.resize(200, 200);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    const int start = view.State().zoom;
    QTest::keyClick(&view, Qt::Key_Plus, Qt::ShiftModifier);
    QTest::keyClick(&view, Qt::Key_Equal);
    EXPECT_EQ(view.State().zoom, start + 2);
    QTest::keyClick(&view, Qt::Key_Minus);
    EXPECT_EQ(view.State().zoom, start + 1);
    EXPECT_EQ(view.State().autoZoom, 0);

    // Zoom 16: the 512-pixel image outgrows the 200-pixel client.
    view.State().SetZoom(16);
    auto pixelAt = [&](QPoint p) {
        int column = -1, row = -1;
        view.State().PixelFromClientPoint(p.x(), p.y(), column, row);
        return QPoint(column, row);
    };
    auto wheel = [&](QPoint at, int delta, Qt::KeyboardModifiers keys) {
        QWheelEvent event(at, view.viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, keys,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(view.viewport(), &event);
    };
    const QPoint pointer(150, 40);
    const QPoint under = pixelAt(pointer);
    wheel(pointer, 240, Qt::ControlModifier);
    EXPECT_EQ(view.State().zoom, 18);
    EXPECT_EQ(pixelAt(pointer), under);
    EXPECT_EQ(view.horizontalScrollBar()->value(), view.State().scrollX);
    wheel(pointer, -60, Qt::ControlModifier); // half a step waits for the other half
    EXPECT_EQ(view.State().zoom, 18);
    wheel(pointer, -60, Qt::ControlModifier);
    EXPECT_EQ(view.State().zoom, 17);
    EXPECT_EQ(pixelAt(pointer), under);
    // Without Ctrl the wheel scrolls.
    wheel(pointer, -120, Qt::NoModifier);
    EXPECT_EQ(view.State().zoom, 17);
}

TEST_F(IconViewTest, FormatListSwitchesAndRightClickOffTheImageOpensTheMenu)
{
    doc_.AddFormat(16, 16, 4, 0);
    CIconView view(&doc_);
    QComboBox* list = view.FormatList();
    view.resize(400, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->currentIndex(), view.FormatIndex());
    EXPECT_EQ(list->itemText(0).toStdString(), doc_.GetFormat(0)->description);
    const int other = 1 - view.FormatIndex();
    view.OnFormatListChanged(other);
    EXPECT_EQ(view.FormatIndex(), other);
    EXPECT_EQ(list->currentIndex(), other);
    EXPECT_GE(host_.previewRepaints, 1);

    // A right click 3 pixels left of the image: the context menu.
    const QPoint off(view.State().originX - 3, view.State().originY + 10);
    QTest::mouseClick(view.viewport(), Qt::RightButton, {}, off);
    QWidget* popup = QApplication::activePopupWidget();
    ASSERT_NE(popup, nullptr);
    auto* menu = qobject_cast<QMenu*>(popup);
    ASSERT_NE(menu, nullptr);
    bool zoomIn = false;
    for (QAction* a : menu->actions())
        zoomIn = zoomIn || a->text().startsWith(QStringLiteral("&Zoom in"));
    EXPECT_TRUE(zoomIn);
    menu->close();
    EXPECT_GE(host_.activations, 1);

    // Left half of the screen: left-aligned at (x - 10, y - 10); right half:
    // right-aligned at (x + 10, y - 10).
    const auto left = CIconView::ContextMenuPlacement(100, 200, 0, 1920);
    EXPECT_EQ(left.x, 90);
    EXPECT_EQ(left.y, 190);
    EXPECT_FALSE(left.alignRight);
    const auto right = CIconView::ContextMenuPlacement(1500, 200, 0, 1920);
    EXPECT_EQ(right.x, 1510);
    EXPECT_TRUE(right.alignRight);
}

TEST_F(IconViewTest, OtherViewsFollowAChangedListOfFormats)
{
    CIconView first(&doc_), second(&doc_);
    QComboBox* list = second.FormatList();
    first.resize(300, 300);
    second.resize(300, 300);
    first.show();
    second.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&second));
    EXPECT_EQ(list->count(), 1);
    doc_.AddFormat(16, 16, 4, 0); // sorts before 32x32
    CIconView::BroadcastFormatsChanged(&doc_, &first);
    EXPECT_EQ(list->count(), 2);
    // The second view still edits 32x32, now at index 1.
    EXPECT_EQ(second.FormatIndex(), 1);
    EXPECT_EQ(list->currentIndex(), 1);
    EXPECT_EQ(second.State().FormatStates().size(), 2u);
}

TEST_F(IconViewTest, ActualSizePreviewShowsTheActiveFormat)
{
    CIconView view(&doc_);
    view.resize(200, 200);
    view.show();
    CActualSizePreview preview;
    preview.resize(95, 89);
    CActualSizePreview::SetActiveView(&view);
    const QImage shot = preview.grab().toImage();
    EXPECT_EQ(At(shot, 0, 0), 0x808080u);
    EXPECT_EQ(At(shot, 94, 88), 0xFFFFFFu);
    EXPECT_EQ(At(shot, 1, 1), 0x000000u);
    // The interior is 91 x 85; a 32x32 image starts at 2 + (91 - 32 + 1) / 2
    // across and 2 + (85 - 32 + 1) / 2 down.
    EXPECT_EQ(At(shot, 32, 29), 0xFF0000u);
    EXPECT_NE(At(shot, 31, 29), 0xFF0000u);
    EXPECT_EQ(At(shot, 32 + 31, 29 + 31), 0x0000FFu);
    EXPECT_NE(At(shot, 32 + 32, 29 + 31), 0x0000FFu);
    CActualSizePreview::SetActiveView(nullptr);
}

TEST_F(IconViewTest, PrintedPageScalesTheImageIntoTheArea)
{
    EXPECT_EQ(IconPrintTitle(""), "Icons (Untitled)");
    EXPECT_EQ(IconPrintTitle("Disk"), "Icons \"Disk\"");

    CIconView view(&doc_);
    QImage page(850, 1100, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    PaintIconPage(painter, view, {IconPrintSource::Kind::IconLibrary, 4, "tools.icl"});
    painter.end();
    // The square image fills the page's width inside the margins: red on the
    // left half, blue on the right, around the middle of the page.
    const int margin = 850 / 20;
    int firstRed = -1, lastBlue = -1;
    const int y = 600;
    for (int x = 0; x < 850; ++x) {
        if (firstRed < 0 && At(page, x, y) == 0xFF0000u)
            firstRed = x;
        if (At(page, x, y) == 0x0000FFu)
            lastBlue = x;
    }
    EXPECT_NEAR(firstRed, margin, 2);
    EXPECT_NEAR(lastBlue, 850 - margin - 1, 3);
    EXPECT_EQ(At(page, 425 - 20, y), 0xFF0000u);
    EXPECT_EQ(At(page, 425 + 20, y), 0x0000FFu);
}

} // namespace
} // namespace kavrel
