// The main window's parts: status bar panes, layouts and progress, the Draw
// toolbar's rows, reorganisation of a real MDI area, the caption's buttons,
// and the welcome and About dialogs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QToolButton>
#include <set>

#include "platform/registry.h"
#include "platform/screen.h"
#include "resources/command_ids.h"
#include "resources/strings.h"
#include "shell/about_dialog.h"
#include "shell/bars.h"
#include "shell/caption.h"
#include "shell/core/reorganise.h"
#include "shell/core/settings.h"
#include "shell/frame_parts.h"
#include "shell/framework/command_router.h"
#include "shell/reorganise_mdi.h"
#include "shell/status_bar.h"
#include "shell/welcome_dialog.h"
#include "support/qt_app.h"

namespace kavrel {
namespace {

class FrameTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::EnsureQApplication(); }
    void SetUp() override
    {
        ResetSettings();
        SetReorganisationPending(false);
    }
    void TearDown() override
    {
        ResetSettings();
        SetReorganisationPending(false);
    }

    // A shown window with a status bar of this width.
    CStatusBarEx* ShownStatusBar(QMainWindow& window, int width = 800)
    {
        auto* bar = new CStatusBarEx(&window);
        window.setStatusBar(bar);
        window.resize(width, 300);
        window.show();
        QApplication::processEvents();
        return bar;
    }
};

// The widths a layout gives, in the font the bar scales them to.
std::vector<int> Widths(const CStatusBarEx& bar)
{
    std::vector<int> out;
    for (int i = 1; i < bar.PaneCount(); ++i)
        if (!bar.PaneIsIndicator(i))
            out.push_back(bar.PaneWidth(i));
    return out;
}

std::vector<int> Scaled(const CStatusBarEx& bar, std::vector<int> widths)
{
    for (int& w : widths)
        w = bar.ScaledWidth(w);
    return widths;
}

TEST_F(FrameTest, StatusBarLayouts)
{
    CStatusBarEx bar;
    EXPECT_EQ(bar.Layout(), StatusLayout::None);
    ASSERT_EQ(bar.PaneCount(), 4);
    EXPECT_EQ(Widths(bar), Scaled(bar, {123}));
    EXPECT_EQ(bar.PaneText(2), "CAP");
    EXPECT_EQ(bar.PaneText(3), "NUM");

    bar.SetLayout(StatusLayout::Editor);
    ASSERT_EQ(bar.PaneCount(), 7);
    EXPECT_EQ(Widths(bar), Scaled(bar, {130, 50, 50, 40, 12}));
    EXPECT_EQ(bar.PaneText(6), "NUM");
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(bar.PaneOwnerDrawn(i), i >= 2 && i <= 5) << i;

    // Applying the layout in force again keeps what the panes show.
    bar.SetPaneText(2, std::string("@0  3,4"));
    bar.SetLayout(StatusLayout::Editor);
    EXPECT_EQ(bar.PaneText(2), "@0  3,4");
    // The indicators keep their names.
    bar.SetPaneText(6, QStringLiteral("x"));
    EXPECT_EQ(bar.PaneText(6), "NUM");
    // A text longer than its pane widens the pane rather than being cut, and
    // a shorter one later leaves the width as it is.
    const QString longText = QStringLiteral("16,8M colors + alpha with room to spare");
    bar.SetPaneText(1, longText);
    const int wide = Widths(bar)[0];
    EXPECT_GE(wide, bar.fontMetrics().horizontalAdvance(longText) + 2);
    bar.SetPaneText(1, QStringLiteral("2 colors"));
    EXPECT_EQ(Widths(bar)[0], wide);
    bar.SetLayout(StatusLayout::None);
    bar.SetLayout(StatusLayout::Editor);
    EXPECT_EQ(Widths(bar), Scaled(bar, {130, 50, 50, 40, 12}));

    // Scaled only for fonts with digits wider than 6 pixels.
    QFont narrow = bar.font();
    narrow.setPixelSize(8);
    bar.setFont(narrow);
    EXPECT_EQ(bar.ScaledWidth(40), 40);
    narrow.setPixelSize(30);
    bar.setFont(narrow);
    EXPECT_GT(bar.ScaledWidth(40), 40);

    for (StatusLayout layout : {StatusLayout::ProgramFile, StatusLayout::Library}) {
        bar.SetLayout(layout);
        ASSERT_EQ(bar.PaneCount(), 5);
        EXPECT_EQ(Widths(bar), Scaled(bar, {130, 170, 12}));
        EXPECT_TRUE(bar.PaneOwnerDrawn(3));
        EXPECT_FALSE(bar.PaneOwnerDrawn(2));
        EXPECT_EQ(bar.PaneText(1), ""); // a new layout starts empty
    }
    // The message survives layout changes.
    bar.SetMessage(QStringLiteral("Ready"));
    bar.SetLayout(StatusLayout::None);
    EXPECT_EQ(bar.Message(), "Ready");
}

TEST_F(FrameTest, GlyphPanesDrawTheNamedGlyphThenTheText)
{
    QMainWindow window;
    CStatusBarEx* bar = ShownStatusBar(window);
    bar->SetLayout(StatusLayout::Editor);
    bar->SetDocumentPanesEnabled(true);
    CStatusPane* pane = bar->Pane(4);
    ASSERT_TRUE(pane);
    auto grab = [&](const QString& text) {
        bar->SetPaneText(4, text);
        return pane->grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    const QRect glyphBox(3, 2, 12, 12); // 2 and 1 inside the pane's frame
    const QRect textBox(17, 0, pane->width() - 18, pane->height());
    QImage zoom4 = grab(QStringLiteral("@2  4:1"));
    QImage zoom9 = grab(QStringLiteral("@2  9:1"));
    QImage pos4 = grab(QStringLiteral("@0  4:1"));
    EXPECT_EQ(zoom4.copy(glyphBox), zoom9.copy(glyphBox));
    EXPECT_NE(zoom4.copy(textBox), zoom9.copy(textBox));
    EXPECT_NE(zoom4.copy(glyphBox), pos4.copy(glyphBox));
    EXPECT_EQ(zoom4.copy(textBox), pos4.copy(textBox));

    // The glyph is the strip's cell 2.
    QImage strip = CStatusBarEx::GlyphStrip().toImage().convertToFormat(QImage::Format_ARGB32);
    int compared = 0;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) {
            QRgb s = strip.pixel(2 * CStatusBarEx::kGlyphPitch + x, y);
            if (qAlpha(s) != 255)
                continue;
            EXPECT_EQ(qRgb(qRed(s), qGreen(s), qBlue(s)), zoom4.pixel(glyphBox.x() + x, glyphBox.y() + y) | 0xFF000000)
                << x << "," << y;
            ++compared;
        }
    EXPECT_GT(compared, 10);

    // Panes show nothing while no document window is open.
    QImage blank = grab(QString());
    bar->SetDocumentPanesEnabled(false);
    EXPECT_EQ(grab(QStringLiteral("@2  4:1")), blank);
}

TEST_F(FrameTest, ProgressIndicator)
{
    QMainWindow window;
    CStatusBarEx* bar = ShownStatusBar(window, 900);
    bar->SetMessage(QStringLiteral("Ready"));
    const int width = bar->PaneWidth(0);
    ASSERT_GT(width, 200);

    bar->ProgressBegin(QString());
    EXPECT_TRUE(bar->ProgressActive());
    EXPECT_EQ(bar->ProgressCaption().toStdString(), LoadString(55083));
    EXPECT_EQ(bar->Message().toStdString(), LoadString(55083));
    const int blocks = std::min((width - 130) / 4, 100);
    EXPECT_EQ(bar->ProgressBlocks(), blocks);

    int draws = bar->ProgressDraws();
    bar->ProgressStep(1, 1000); // no block fills yet: nothing is drawn
    EXPECT_EQ(bar->ProgressFilled(), 0);
    EXPECT_EQ(bar->ProgressDraws(), draws);
    bar->ProgressStep(500, 1000);
    EXPECT_EQ(bar->ProgressFilled(), blocks / 2);
    EXPECT_EQ(bar->ProgressPercent(), 50);
    EXPECT_EQ(bar->ProgressDraws(), draws + 1);
    bar->ProgressStep(5000, 1000); // past the end counts as the end
    EXPECT_EQ(bar->ProgressFilled(), blocks);
    EXPECT_EQ(bar->ProgressPercent(), 100);
    bar->ProgressStep(3, 0); // no steps: ignored
    EXPECT_EQ(bar->ProgressPercent(), 100);

    // A nested begin does not lose the message shown before any progress.
    bar->ProgressBegin(QStringLiteral("Saving ..."));
    EXPECT_EQ(bar->Message(), "Saving ...");
    bar->ProgressEnd();
    EXPECT_FALSE(bar->ProgressActive());
    EXPECT_EQ(bar->Message(), "Ready");

    // Through the sink the file layers use.
    {
        ProgressScope scope(*bar, "Loading ...", 4);
        EXPECT_EQ(bar->Message(), "Loading ...");
        scope.Step(2);
        EXPECT_EQ(bar->ProgressFilled(), bar->ProgressBlocks() / 2);
    }
    EXPECT_EQ(bar->Message(), "Ready");

    // A narrow pane has no blocks but still shows the caption.
    window.resize(150, 300);
    QApplication::processEvents();
    bar->ProgressBegin(QStringLiteral("Loading ..."));
    EXPECT_EQ(bar->ProgressBlocks(), 0);
    bar->ProgressStep(1, 2);
    EXPECT_EQ(bar->ProgressFilled(), 0);
    bar->ProgressEnd();

    bar->SetProgressEnabled(false);
    bar->ProgressBegin(QStringLiteral("x"));
    EXPECT_FALSE(bar->ProgressActive());
    EXPECT_EQ(bar->Message(), "Ready");
}

TEST_F(FrameTest, DrawToolbarRowsOfFour)
{
    CCommandRouter router([] { return std::vector<CCmdTarget*>{}; });
    CDrawToolBar draw(router);
    EXPECT_EQ(draw.Cell(ID_TOOL_SELECTION), (std::pair{0, 0})); // Selection
    EXPECT_EQ(draw.Cell(ID_TOOL_PENCIL), (std::pair{0, 3}));    // Pencil ends the first row
    EXPECT_EQ(draw.Cell(ID_TOOL_BRUSH), (std::pair{1, 0}));
    EXPECT_EQ(draw.Cell(ID_TOOL_FILLED_ELLIPSE), (std::pair{2, 3}));
    // Row 3 is the separator; the brushes follow.
    EXPECT_EQ(draw.Cell(ID_BRUSH_FINE), (std::pair{4, 0}));
    EXPECT_EQ(draw.Cell(ID_BRUSH_DIAMOND_LARGE), (std::pair{6, 3}));
    EXPECT_EQ(draw.Cell(ID_FILL_SOLID), (std::pair{8, 0}));
    EXPECT_EQ(draw.Cell(ID_FILL_RADIAL), (std::pair{8, 3}));
    // Seven buttons after the last separator: a full row and three.
    EXPECT_EQ(draw.Cell(ID_MIRROR_VERTICAL), (std::pair{10, 0}));
    EXPECT_EQ(draw.Cell(ID_TRANSPARENT_COPY), (std::pair{11, 2}));
    EXPECT_EQ(draw.RowCount(), 12);
    EXPECT_EQ(draw.Cell(ID_FILE_NEW), (std::pair{-1, -1}));
    EXPECT_EQ(draw.allowedAreas(), Qt::LeftToolBarArea | Qt::RightToolBarArea);

    // Every button of both bars has an image and a tooltip.
    std::set<std::uint16_t> ids;
    for (auto list : {StandardToolbarButtons(), DrawToolbarButtons()})
        for (std::uint16_t id : list)
            if (id)
                ids.insert(id);
    EXPECT_EQ(DrawToolbarButtons().size(), 38u);
    for (std::uint16_t id : ids) {
        EXPECT_FALSE(CommandIcon(id).isNull()) << id;
        EXPECT_FALSE(router.Action(id)->toolTip().isEmpty()) << id;
    }
}

class MdiFixture : public FrameTest {
  protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        window_.setCentralWidget(area_ = new QMdiArea);
        window_.show();
        QApplication::processEvents();
        // A client area of exactly 1000 by 600.
        QSize extra = window_.size() - area_->viewport()->size();
        window_.resize(QSize(1000, 600) + extra);
        QApplication::processEvents();
        ASSERT_EQ(area_->viewport()->size(), QSize(1000, 600));
    }
    QMdiSubWindow* Add()
    {
        auto* w = area_->addSubWindow(new QWidget);
        w->show();
        return w;
    }
    QMainWindow window_;
    QMdiArea* area_ = nullptr;
};

TEST_F(MdiFixture, ColumnsAndOneMaximisedWindow)
{
    QMdiSubWindow* a = Add();
    QMdiSubWindow* b = Add();
    QMdiSubWindow* c = Add();
    area_->setActiveSubWindow(a);
    EXPECT_TRUE(ReorganiseMdiArea(area_, kReorgVertical));
    EXPECT_EQ(a->geometry(), QRect(0, 0, 333, 600));
    EXPECT_EQ(b->geometry(), QRect(333, 0, 333, 600));
    EXPECT_EQ(c->geometry(), QRect(666, 0, 334, 600));
    EXPECT_EQ(area_->activeSubWindow(), a); // nothing was activated

    // One maximised window: F12 leaves everything as it is.
    b->showMaximized();
    QRect before = a->geometry();
    EXPECT_FALSE(ReorganiseMdiArea(area_, kReorgHorizontal));
    EXPECT_EQ(a->geometry(), before);
    EXPECT_TRUE(b->isMaximized());

    b->showNormal();
    EXPECT_TRUE(ReorganiseMdiArea(area_, kReorgFullWindow));
    for (QMdiSubWindow* w : {a, b, c})
        EXPECT_EQ(w->geometry(), QRect(0, 0, 1000, 600));
}

TEST_F(MdiFixture, FramePartsCommandsAndTriggers)
{
    CCommandRouter router([] { return std::vector<CCmdTarget*>{}; });
    CFrameParts parts(&window_, area_, router);
    // Hidden (a frameless window is shown again below), the frame asks again
    // at the next update instead of squeezing the windows.
    SetReorganisationPending(false);
    parts.Reorganise();
    EXPECT_TRUE(ReorganisationPending());
    EXPECT_EQ(parts.Reorganisations(), 0);
    window_.show();
    EXPECT_EQ(CFrameParts::Instance(), &parts);
    EXPECT_EQ(&FrameProgress(), static_cast<ProgressSink*>(parts.StatusBar()));
    QApplication::processEvents();

    // A new window asks for a reorganisation and is placed as editor 0.
    ReorganiseAuto = 1;
    TypeReorganisation = kReorgHorizontal;
    SetReorganisationPending(false);
    QMdiSubWindow* first = Add();
    QApplication::processEvents();
    EXPECT_TRUE(ReorganisationPending());
    QMdiSubWindow* second = Add();
    QApplication::processEvents();
    const int h = area_->viewport()->height();
    EXPECT_EQ(second->geometry(), QRect(0, 0, area_->viewport()->width(), h / 2));

    // F12.
    int count = parts.Reorganisations();
    CCmdUI ui;
    ui.id = ID_REORGANIZE;
    EXPECT_TRUE(parts.OnUpdateCommand(ui));
    parts.OnCommand(ID_REORGANIZE);
    EXPECT_EQ(parts.Reorganisations(), count + 1);
    EXPECT_EQ(first->geometry().top(), 0);
    EXPECT_EQ(second->geometry().top(), h / 2);

    // The mode commands show the current one checked.
    parts.OnCommand(ID_REORGANIZE_VERTICAL);
    EXPECT_EQ(TypeReorganisation, kReorgVertical);
    for (std::uint16_t id : {ID_REORGANIZE_FULL, ID_REORGANIZE_HORIZONTAL, ID_REORGANIZE_VERTICAL}) {
        CCmdUI mode;
        mode.id = id;
        ASSERT_TRUE(parts.OnUpdateCommand(mode));
        EXPECT_EQ(mode.checked, id == ID_REORGANIZE_VERTICAL) << id;
    }

    // Hiding the Draw toolbar reorganises at once while automatic.
    count = parts.Reorganisations();
    ASSERT_TRUE(parts.Bars().draw->isVisible());
    parts.OnCommand(ID_VIEW_DRAW_TOOLBAR);
    EXPECT_FALSE(parts.Bars().draw->isVisible());
    EXPECT_EQ(parts.Reorganisations(), count + 1);
    ReorganiseAuto = 0;
    parts.OnCommand(ID_VIEW_DRAW_TOOLBAR);
    EXPECT_TRUE(parts.Bars().draw->isVisible());
    EXPECT_EQ(parts.Reorganisations(), count + 1);

    // F11 turns it back on and checks the button.
    parts.OnCommand(ID_REORGANIZE_AUTO);
    CCmdUI autoUi;
    autoUi.id = ID_REORGANIZE_AUTO;
    parts.OnUpdateCommand(autoUi);
    EXPECT_TRUE(autoUi.checked);
    EXPECT_TRUE(ReorganisationPending());

    // The bar layout goes to the store and comes back.
    Registry store("");
    EXPECT_FALSE(parts.RestoreBarState(store));
    parts.OnCommand(ID_VIEW_SCALE_TOOLBAR); // Scale 1:1 hidden
    parts.SaveBarState(store);
    parts.OnCommand(ID_VIEW_SCALE_TOOLBAR);
    ASSERT_TRUE(parts.Bars().scale->isVisible());
    EXPECT_TRUE(parts.RestoreBarState(store));
    EXPECT_FALSE(parts.Bars().scale->isVisible());

    // Status layout and panes follow the active window.
    parts.UpdateStatus(nullptr);
    EXPECT_EQ(parts.StatusBar()->Layout(), StatusLayout::None);
    EXPECT_TRUE(parts.StatusBar()->DocumentPanesEnabled());
    delete first;
    delete second;
    parts.UpdateStatus(nullptr);
    EXPECT_FALSE(parts.StatusBar()->DocumentPanesEnabled());
}

// With automatic reorganisation off, hiding a bar leaves no empty strip: a
// window that reached the area's right or bottom edge follows it; one placed
// away from the edges stays as it was.
TEST_F(MdiFixture, WindowsAtTheEdgesTakeTheRoomOfAHiddenBar)
{
    CCommandRouter router([] { return std::vector<CCmdTarget*>{}; });
    CFrameParts parts(&window_, area_, router);
    ReorganiseAuto = 0;
    window_.show();
    QApplication::processEvents();
    ASSERT_TRUE(parts.StatusBar()->isVisible());
    QMdiSubWindow* full = Add();
    QMdiSubWindow* small = Add();
    const QSize area = area_->viewport()->size();
    full->setGeometry(0, 0, area.width(), area.height());
    small->setGeometry(20, 20, 200, 150);

    for (std::uint16_t bar :
         {ID_VIEW_STATUS_BAR, ID_VIEW_TOOLBAR, ID_VIEW_DRAW_TOOLBAR}) { // status bar, Standard, Draw
        parts.OnCommand(bar);
        QApplication::processEvents();
        EXPECT_EQ(full->geometry(), QRect(QPoint(0, 0), area_->viewport()->size())) << bar;
        EXPECT_EQ(small->geometry(), QRect(20, 20, 200, 150)) << bar;
    }
    EXPECT_NE(area_->viewport()->size(), area);
    // Shown again, the bars take their room back.
    for (std::uint16_t bar : {ID_VIEW_STATUS_BAR, ID_VIEW_TOOLBAR, ID_VIEW_DRAW_TOOLBAR})
        parts.OnCommand(bar);
    QApplication::processEvents();
    EXPECT_EQ(area_->viewport()->size(), area);
    EXPECT_EQ(full->geometry(), QRect(QPoint(0, 0), area));
    ReorganiseAuto = 1;
}

TEST_F(FrameTest, CaptionButtonsAndCache)
{
    QMainWindow frame;
    frame.setWindowTitle(QStringLiteral("Orvane Kavrel 4.0"));
    CFrameCaption* caption = CFrameCaption::Install(&frame);
    EXPECT_TRUE(frame.windowFlags() & Qt::FramelessWindowHint);
    frame.resize(600, 400);
    frame.show();
    QApplication::processEvents();

    QRect close = caption->ButtonRect(CFrameCaption::Button::Close);
    QRect max = caption->ButtonRect(CFrameCaption::Button::Maximise);
    QRect min = caption->ButtonRect(CFrameCaption::Button::Minimise);
    EXPECT_EQ(close.right(), caption->width() - 3);
    EXPECT_LT(max.right(), close.left());
    EXPECT_LT(min.left(), max.left());
    EXPECT_EQ(caption->ButtonAt(close.center()), CFrameCaption::Button::Close);

    caption->grab();
    int redraws = caption->Redraws();
    caption->grab();
    EXPECT_EQ(caption->Redraws(), redraws); // cached
    caption->SetDocumentTitle(QStringLiteral("icon.ico"));
    caption->grab();
    EXPECT_EQ(caption->Redraws(), redraws + 1);

    // A dark caption text colour turns white on the active caption.
    CaptionColours dark;
    dark.active = RGB(0, 84, 227);
    dark.inactive = RGB(100, 110, 120);
    dark.activeText = RGB(0, 0, 64);
    CFrameCaption::SetColours(&dark);
    frame.activateWindow();
    QApplication::processEvents();
    QImage painted = caption->grab().toImage().convertToFormat(QImage::Format_RGB32);
    // Away from the buttons and the text: the far left and just before the buttons.
    QPoint nearButtons(caption->ButtonRect(CFrameCaption::Button::Minimise).left() - 3, 1);
    if (caption->ActiveLook()) {
        EXPECT_EQ(painted.pixel(0, 1), qRgb(0, 0, 0));
        EXPECT_EQ(painted.pixel(nearButtons), qRgb(0, 84, 227));
    } else {
        EXPECT_EQ(painted.pixel(nearButtons), qRgb(100, 110, 120));
    }
    COLORREF expected = caption->ActiveLook() ? RGB(255, 255, 255) : dark.inactiveText;
    EXPECT_EQ(caption->DocumentTitleColourNow(), expected);
    CFrameCaption::SetColours(nullptr);

    caption->Press(CFrameCaption::Button::Maximise);
    QApplication::processEvents();
    EXPECT_TRUE(frame.isMaximized());
    EXPECT_EQ(frame.contentsMargins().left(), 0);
    caption->Press(CFrameCaption::Button::Maximise);
    QApplication::processEvents();
    EXPECT_FALSE(frame.isMaximized());
    EXPECT_EQ(frame.contentsMargins().left(), CFrameCaption::BorderWidth());
    EXPECT_EQ(frame.contentsMargins().top(), CFrameCaption::BorderWidth() + CFrameCaption::CaptionHeight());
}

TEST_F(FrameTest, WelcomeDialogTipsAndCheckBox)
{
    IndexOfTheTip = 24;
    {
        CWelcomeDialog dialog;
        EXPECT_EQ(dialog.TipId(), 55139);
        EXPECT_EQ(IndexOfTheTip, 0);
        EXPECT_EQ(dialog.Panel()->Tip().toStdString(), LoadString(55139));
        // 25 presses of Next show every tip once and come back to the first.
        std::set<int> seen;
        for (int i = 0; i < 25; ++i) {
            dialog.NextTipButton()->click();
            seen.insert(dialog.TipId());
            EXPECT_FALSE(dialog.TipText().isEmpty()) << dialog.TipId();
        }
        EXPECT_EQ(seen.size(), 25u);
        EXPECT_EQ(dialog.TipId(), 55139);
        EXPECT_EQ(IndexOfTheTip, 0);

        EXPECT_TRUE(dialog.ShowAtStartup()->isChecked());
        dialog.ShowAtStartup()->setChecked(false);
        dialog.accept();
        EXPECT_EQ(ShowBienvenue, 0);
    }
    {
        CWelcomeDialog dialog;
        EXPECT_FALSE(dialog.ShowAtStartup()->isChecked());
        EXPECT_EQ(dialog.TipId(), 55104);
        dialog.ShowAtStartup()->setChecked(true);
        dialog.reject(); // closing by any way writes the box back
        EXPECT_EQ(ShowBienvenue, 1);
    }
}

TEST_F(FrameTest, AboutBoxLines)
{
    ScopedScreen screen({16, 96, 96, 1280, 1024});
    CAboutDialog about;
    EXPECT_EQ(about.VideoText(), "1280x1024 pixels - 65536 colors");
    EXPECT_TRUE(about.MemoryText().endsWith(" KB of  RAM")) << about.MemoryText().toStdString();
    EXPECT_GT(about.MemoryText().split(' ').first().toLongLong(), 0);
}

} // namespace
} // namespace kavrel
