#include "editor/ui/palette_bar_widget.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QTest>
#include <algorithm>

#include "document/icon_document.h"
#include "editor/icon_view_state.h"
#include "editor/settings_editor.h"
#include "editor/ui/icon_view.h"
#include "model/icon_model.h"
#include "resources/command_ids.h"
#include "support/alpha_format.h"
#include "support/qt_app.h"

namespace kavrel {
namespace {

class PaletteBarWidgetTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::EnsureQApplication(); }
    void SetUp() override
    {
        std::copy(std::begin(kStandardColourCells), std::end(kStandardColourCells), PalColor);
        CIconViewState::FormatToOpen() = 0;
        doc_.OnNewDocument(); // 32x32, 16 colours
    }
    void TearDown() override { CIconViewState::FormatToOpen() = 0; }

    static QPoint Centre(const Rect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

    CIconDocument doc_;
};

TEST_F(PaletteBarWidgetTest, ClickingACellSetsTheActiveViewsColours)
{
    CColorPaletteBar bar;
    bar.show();
    EXPECT_EQ(GetPaletteBar(), &bar.Logic());
    EXPECT_EQ(bar.Canvas()->size(), QSize(kPaletteBarWidth, kPaletteBarHeight));

    CIconView view(&doc_);
    view.resize(300, 300);
    view.show();
    bar.Follow(&view);

    QTest::mouseClick(bar.Canvas(), Qt::LeftButton, {}, Centre(CPaletteBar::ColourCellRect(16)));
    EXPECT_EQ(view.State().leftColor, PalColor[16]);
    EXPECT_EQ(view.State().selectedPaletteIndex, 16);
    QTest::mouseClick(bar.Canvas(), Qt::RightButton, {}, Centre(CPaletteBar::ColourCellRect(18)));
    EXPECT_EQ(view.State().rightColor, PalColor[18]);
    EXPECT_EQ(view.State().lastButton, 1);
    EXPECT_EQ(view.State().leftColor, PalColor[16]);

    // A window opened now starts with the bar's colours.
    CIconView second(&doc_);
    second.resize(300, 300);
    second.show();
    QApplication::processEvents();
    EXPECT_EQ(second.State().leftColor, PalColor[16]);
    EXPECT_EQ(second.State().rightColor, PalColor[18]);

    // An 8-bit format with its own palette shows its entries.
    doc_.AddFormat(32, 32, 8, 1);
    int eight = 0;
    for (int i = 0; i < doc_.GetFormatCount(); ++i)
        if (doc_.GetFormat(i)->ownPalette)
            eight = i;
    CIconView::BroadcastFormatsChanged(&doc_, nullptr);
    view.OnFormatListChanged(eight);
    bar.Follow(&view);
    ASSERT_TRUE(bar.Logic().PaletteFace());
    QTest::mouseClick(bar.Canvas(), Qt::LeftButton, {}, Centre(CPaletteBar::PaletteCellRect(20)));
    EXPECT_EQ(view.State().leftColor, PaletteIndexValue(20));
}

TEST_F(PaletteBarWidgetTest, ContextMenuAndCommands)
{
    CColorPaletteBar bar;
    bar.show();
    std::unique_ptr<QMenu> menu(bar.BuildContextMenu(nullptr));
    QStringList texts;
    for (QAction* a : menu->actions())
        if (!a->isSeparator())
            texts << a->text();
    ASSERT_GE(texts.size(), 5);
    EXPECT_EQ(texts[0], "C&reate a color gradient...");
    EXPECT_EQ(texts[1], "&Modify color...");
    // No editing window: no gradient, and the colour cells can be edited.
    EXPECT_FALSE(menu->actions()[0]->isEnabled());
    EXPECT_TRUE(menu->actions()[1]->isEnabled());

    // The bar's own show/hide command.
    bool toggled = false;
    bar.SetToggledHandler([&] { toggled = true; });
    CCmdUI ui;
    ui.id = ID_VIEW_COLORS_TOOLBAR;
    ASSERT_TRUE(bar.OnUpdateCommand(ui));
    EXPECT_TRUE(ui.checked);
    bar.OnCommand(ID_VIEW_COLORS_TOOLBAR);
    EXPECT_FALSE(bar.isVisible());
    EXPECT_TRUE(toggled);
}

TEST_F(PaletteBarWidgetTest, FormatsWithAlphaShowTheAlphaSliderAndGreyTheInvertedCell)
{
    // A 32-bit format made by hand, with two half-transparent strokes.
    doc_.AddFormat(32, 32, 24, 0);
    int index = 0;
    for (int i = 0; i < doc_.GetFormatCount(); ++i)
        if (doc_.GetFormat(i)->bitDepth == 24)
            index = i;
    CIconObject& f = *doc_.GetFormat(index);
    test::MakeAlphaFormat(f);
    for (int i = 0; i < 32; ++i) {
        SetImagePixel(f.color, f.mask, RGB(255, 0, 0), i, 10, nullptr, 128);
        SetImagePixel(f.color, f.mask, RGB(0, 0, 255), 20, i, nullptr, 64);
    }

    QWidget window;
    auto* bar = new CColorPaletteBar(&window);
    auto* view = new CIconView(&doc_, &window);
    bar->setGeometry(0, 0, kPaletteBarWidth + 20, kPaletteBarHeight + 60);
    view->setGeometry(kPaletteBarWidth + 20, 0, 320, kPaletteBarHeight + 60);
    window.resize(kPaletteBarWidth + 340, kPaletteBarHeight + 60);
    window.show();
    CIconView::BroadcastFormatsChanged(&doc_, nullptr);
    view->OnFormatListChanged(index);
    bar->Follow(view);
    ASSERT_TRUE(bar->Logic().AlphaShown());
    QTest::mouseClick(bar->Canvas(), Qt::LeftButton, {}, Centre(CPaletteBar::ColourCellRect(16)));
    view->State().leftAlpha = 96;
    bar->Follow(view);
    QApplication::processEvents();

    const QImage canvas = bar->Canvas()->grab().toImage();
    // The Inverted cell is plain face grey, its name in grey.
    const Rect inverted = CPaletteBar::InvertedCellRect();
    EXPECT_EQ(canvas.pixelColor(inverted.left + 3, inverted.top + 3), QColor(0xC0, 0xC0, 0xC0));
    int darkText = 0, greyText = 0;
    for (int y = inverted.top + 2; y < inverted.bottom - 2; ++y)
        for (int x = inverted.left + 2; x < inverted.right - 2; ++x) {
            const QColor c = canvas.pixelColor(x, y);
            darkText += c.red() < 0x40;
            greyText += c.red() >= 0x60 && c.red() <= 0xA0;
        }
    EXPECT_EQ(darkText, 0);
    EXPECT_GT(greyText, 0);
    // The alpha slider's knob sits where 96 puts it.
    const Rect track = CPaletteBar::SliderTrackRect(kAlphaChannel);
    const int knob = track.left + 96 * kSliderTravel / 255;
    EXPECT_EQ(canvas.pixelColor(knob, track.top + 6), QColor(Qt::white));
    EXPECT_EQ(canvas.pixelColor(knob + 6, track.top + 6), QColor(Qt::black));

    // Screenshots for a human look, when asked for.
    if (const QByteArray dir = qgetenv("KAVREL_SHOT_DIR"); !dir.isEmpty())
        window.grab().save(QString::fromLocal8Bit(dir) + "/alpha_palette_bar.png");
}

} // namespace
} // namespace kavrel
