// The application as a whole: start-up with an empty configuration, the
// icon named on the command line shown in an editor window, the menu bar of
// each kind, accelerators reaching the active window, document windows and
// their titles, and a second Kavrel handing its file to the first.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QImage>
#include <QLocalSocket>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPrinterInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include "document/icon_document.h"
#include "editor/draw_tool.h"
#include "editor/icon_view_state.h"
#include "editor/ui/actual_size_preview.h"
#include "editor/ui/icon_view.h"
#include "editor/ui/palette_bar_widget.h"
#include "librarian/grid_docs.h"
#include "librarian/librarian_fixtures.h"
#include "librarian/ui/grid_view.h"
#include "librarian/ui/library_bar.h"
#include "model/icl_file.h"
#include "model/ico_file.h"
#include "model/icon_model.h"
#include "model/picture_import.h"
#include "platform/atomic_file.h"
#include "platform/byte_reader.h"
#include "platform/dib.h"
#include "platform/registry.h"
#include "platform/screen.h"
#include "resources/command_ids.h"
#include "resources/command_table.h"
#include "resources/strings.h"
#include "shell/app.h"
#include "shell/caption.h"
#include "shell/core/help.h"
#include "shell/core/settings.h"
#include "shell/file_icon_view.h"
#include "shell/framework/child_frame.h"
#include "shell/framework/command_router.h"
#include "shell/framework/doc_manager.h"
#include "shell/main_frame.h"
#include "shell/status_bar.h"
#include "support/external_tools.h"
#include "support/qt_app.h"
#include "support/scripted_prompter.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;

// The process-wide registry must never be the user's own: it is made on
// first use from KAVREL_CONFIG_DIR.
const bool kConfigured = [] {
    if (!std::getenv("KAVREL_CONFIG_DIR")) {
        static char pattern[] = "/tmp/kavrel-gui-config-XXXXXX";
        if (char* dir = mkdtemp(pattern)) {
            setenv("KAVREL_CONFIG_DIR", dir, 1);
            std::atexit([] {
                std::error_code ec;
                fs::remove_all(pattern, ec);
            });
        }
    }
    return true;
}();

constexpr COLORREF kRed = RGB(255, 0, 0);

// A 32x32 true-colour icon: the left half opaque red, the right half transparent.
void WriteHalfRedIcon(const std::string& path)
{
    CIconObject format(24, 32, 32, 0);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            bool opaque = x < 16;
            format.color.setRawPixel(x, y, opaque ? PixelFromColorRef(kRed) : 0xFF000000u);
            format.mask.setRawPixel(x, y, opaque ? 0 : 1);
        }
    format.PackToIcon();
    ASSERT_TRUE(WriteIcoFile(path, {&format.packed}));
}

std::vector<std::uint16_t> MenuBarCommands(QMenuBar* bar)
{
    std::vector<std::uint16_t> ids;
    std::function<void(QMenu*)> walk = [&](QMenu* menu) {
        for (QAction* a : menu->actions()) {
            if (a->menu())
                walk(a->menu());
            else if (std::uint16_t id = CCommandRouter::CommandOf(a))
                ids.push_back(id);
        }
    };
    for (QAction* top : bar->actions())
        if (top->menu())
            walk(top->menu());
    return ids;
}

QStringList MenuTitles(QMenuBar* bar)
{
    QStringList titles;
    for (QAction* top : bar->actions())
        titles << top->text();
    return titles;
}

bool Contains(const std::vector<std::uint16_t>& ids, std::uint16_t id)
{
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

class AppTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite()
    {
        (void)kConfigured;
        test::EnsureQApplication();
    }
    void SetUp() override
    {
        char pattern[] = "/tmp/kavrel-app-XXXXXX";
        dir_ = mkdtemp(pattern);
        setenv("KAVREL_LIBRARIAN", (dir_ + "/librarian").c_str(), 1);
        // The association check reads, and its repair writes, only these.
        setenv("XDG_DATA_HOME", (dir_ + "/xdg-data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (dir_ + "/xdg-config").c_str(), 1);
        // Start-up describes the real screen; other tests expect the default one.
        screen_ = Screen();
        // An empty configuration: nothing stored, every setting its default.
        Registry::Instance().clear();
        ResetSettings();
        RecentFiles().clear();
        // A dialog nobody expected must not hang the test: it is closed and noted.
        watchdog_.setInterval(200);
        QObject::connect(&watchdog_, &QTimer::timeout, [this] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                unexpectedDialogs_ << modal->windowTitle();
                modal->close();
            }
        });
        watchdog_.start();
    }
    void TearDown() override
    {
        watchdog_.stop();
        EXPECT_TRUE(unexpectedDialogs_.isEmpty()) << unexpectedDialogs_.join(", ").toStdString();
        app_.reset();
        Screen() = screen_;
        Registry::Instance().clear();
        ResetSettings();
        RecentFiles().clear();
        unsetenv("KAVREL_LIBRARIAN");
        unsetenv("XDG_DATA_HOME");
        unsetenv("XDG_CONFIG_HOME");
        fs::remove_all(dir_);
    }

    std::string file(const std::string& name) const { return dir_ + "/" + name; }

    CKavrelApp& Start(QStringList arguments)
    {
        arguments.prepend(QStringLiteral("kavrel"));
        // The association warning only where a test asks for it.
        if (!Registry::Instance().queryDword(RegHive::CurrentUser, std::string(kApplicationKey) + "\\prefs",
                                             "ShowWarnTypes"))
            Store("ShowWarnTypes", 0);
        app_ = std::make_unique<CKavrelApp>(arguments);
        EXPECT_TRUE(app_->InitInstance());
        // Window shortcuts act in the active window only.
        app_->MainFrame()->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(app_->MainFrame(), 2000));
        QApplication::processEvents();
        return *app_;
    }

    CMainFrame& Frame() { return *app_->MainFrame(); }
    CIconView* ActiveIconView() { return dynamic_cast<CIconView*>(Frame().ActiveView()); }
    int WindowCount() { return static_cast<int>(Frame().MdiArea()->subWindowList().size()); }

    // Stores a setting as an earlier run would have left it.
    static void Store(const char* name, std::uint32_t value)
    {
        Registry::Instance().setDword(RegHive::CurrentUser, std::string(kApplicationKey) + "\\prefs", name, value);
    }

    std::string dir_;
    std::unique_ptr<CKavrelApp> app_;
    ScreenInfo screen_;
    QTimer watchdog_;
    QStringList unexpectedDialogs_;
};

TEST_F(AppTest, StartsWithAnEmptyConfigurationAndShowsTheIconOfTheCommandLine)
{
    std::string path = file("half red.ico");
    WriteHalfRedIcon(path);
    // Blanks and all, the command line is one file name.
    Start({QString::fromStdString(dir_ + "/half"), QStringLiteral("red.ico")});

    EXPECT_TRUE(Frame().isMaximized());
    EXPECT_TRUE(app_->SplashClosed());
    EXPECT_EQ(app_->Splash(), nullptr);
    EXPECT_EQ(Frame().windowTitle(), QString::fromStdString(LoadString(2)));
    EXPECT_TRUE(fs::is_directory(dir_ + "/librarian"));
    ASSERT_EQ(WindowCount(), 1); // no automatic new icon beside the named file
    CChildFrame* frame = Frame().ActiveFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->Document()->GetPathName(), path);
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("half red.ico"));
    EXPECT_EQ(Frame().CurrentMenuKind(), MenuKind::IconDocument);
    CDocTemplate& kind = frame->Template();
    EXPECT_EQ(&kind, DocManager().Template(DocKind::Icon));
    EXPECT_EQ(kind.Kind(), DocKind::Icon);
    EXPECT_EQ(DocManager().Templates().size(), 4u);
    EXPECT_NE(DocManager().Template(DocKind::IconInFile), nullptr);
    EXPECT_NE(DocManager().Template(DocKind::IconLibrary), nullptr);
    EXPECT_EQ(kind.GetDocString(CDocTemplate::docName), "Icon");
    EXPECT_EQ(kind.GetDocString(CDocTemplate::filterExt), ".ico");
    EXPECT_EQ(kind.GetDocString(CDocTemplate::regFileTypeId), "Kavrel.Document");

    CIconView* view = ActiveIconView();
    ASSERT_NE(view, nullptr);
    view->resize(400, 400);
    QApplication::processEvents();
    QImage shot = view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(shot.isNull());

    // The background shows at the corner, the red half as a block twice as tall as wide.
    EXPECT_EQ(shot.pixel(1, 1) & 0xFFFFFF, PixelFromColorRef(CouleurFondEditeur) & 0xFFFFFF);
    int left = shot.width(), right = -1, top = shot.height(), bottom = -1;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if ((shot.pixel(x, y) & 0xFFFFFF) == 0xFF0000) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    ASSERT_GE(right, left) << "no red pixel in the editor";
    int w = right - left + 1, h = bottom - top + 1;
    EXPECT_NEAR(h, 2 * w, 3);
    EXPECT_GE(w, 16 * 2); // enlarged
    // Right of the red half lies the transparent half: not red, not background.
    QRgb transparent = shot.pixel(right + w / 2, top + h / 2) & 0xFFFFFF;
    EXPECT_NE(transparent, 0xFF0000u);
    EXPECT_NE(transparent, PixelFromColorRef(CouleurFondEditeur) & 0xFFFFFF);
}

TEST_F(AppTest, WithoutAFileANewIconOpensAndSettingsAreWrittenOnceAtExit)
{
    Store("ShowBienvenue", 0);
    Start({});
    ASSERT_EQ(WindowCount(), 1);
    EXPECT_TRUE(Frame().ActiveFrame()->Document()->GetPathName().empty());
    EXPECT_EQ(Frame().CurrentMenuKind(), MenuKind::IconDocument);
    EXPECT_EQ(
        Registry::Instance().queryDword(RegHive::CurrentUser, std::string(kApplicationKey) + "\\prefs", "IconeAuto"),
        std::nullopt);

    // Opening an open file again only brings its window forward; a picture opens nothing.
    std::string path = file("a.ico");
    WriteHalfRedIcon(path);
    EXPECT_EQ(app_->OpenDocumentFile(path), OpenResult::Opened);
    EXPECT_EQ(app_->OpenDocumentFile(dir_ + "/./a.ico"), OpenResult::Activated);
    EXPECT_EQ(CKavrelApp({"kavrel", "\"" + QString::fromStdString(path) + "\""}).RawCommandLine(), path);
    EXPECT_EQ(CKavrelApp::Instance(), app_.get());
    std::ofstream(file("p.bmp")) << "BM";
    EXPECT_EQ(app_->OpenDocumentFile(file("p.bmp")), OpenResult::NoKind);
    EXPECT_EQ(WindowCount(), 2);
    EXPECT_EQ(RecentFiles().files().front(), path);

    app_->ExitInstance();
    std::string prefs = std::string(kApplicationKey) + "\\prefs";
    EXPECT_EQ(Registry::Instance().queryDword(RegHive::CurrentUser, prefs, "IconeAuto"), 1u);
    EXPECT_EQ(
        Registry::Instance().queryDword(RegHive::CurrentUser, std::string(kApplicationKey) + "\\mainwin", "Maximized"),
        1u);
    EXPECT_TRUE(Registry::Instance()
                    .queryString(RegHive::CurrentUser, std::string(kApplicationKey) + "\\Recent File List", "File1")
                    .has_value());
}

TEST_F(AppTest, MenuBarFollowsTheActiveKind)
{
    Store("IconeAuto", 0);
    Store("ShowBienvenue", 0);
    Start({});
    ASSERT_EQ(WindowCount(), 0);
    // With no document window: no Edit or Draw menu, no editor commands.
    EXPECT_EQ(Frame().CurrentMenuKind(), MenuKind::Main);
    std::vector<std::uint16_t> main = MenuBarCommands(Frame().menuBar());
    for (std::uint16_t editorCommand :
         {ID_EDIT_COPY, ID_EDIT_PASTE, ID_TOOL_PENCIL, ID_ZOOM_IN, ID_VIEW_GRID, ID_FILE_SAVE})
        EXPECT_FALSE(Contains(main, editorCommand)) << editorCommand;
    EXPECT_TRUE(Contains(main, ID_FILE_NEW));
    EXPECT_FALSE(MenuTitles(Frame().menuBar()).contains(QStringLiteral("&Edit")));
    // Their keys do nothing either.
    QSignalSpy sent(&Frame().Router(), &CCommandRouter::commandSent);
    QTest::keyClick(&Frame(), Qt::Key_C, Qt::ControlModifier);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0][0].value<std::uint16_t>(), ID_EDIT_COPY);
    EXPECT_FALSE(sent[0][1].toBool());

    ASSERT_NE(app_->FileNew(), nullptr);
    Frame().ActiveWindowUpdate();
    EXPECT_EQ(Frame().CurrentMenuKind(), MenuKind::IconDocument);
    std::vector<std::uint16_t> icon = MenuBarCommands(Frame().menuBar());
    for (std::uint16_t editorCommand :
         {ID_EDIT_COPY, ID_EDIT_PASTE, ID_TOOL_PENCIL, ID_ZOOM_IN, ID_VIEW_GRID, ID_FILE_SAVE})
        EXPECT_TRUE(Contains(icon, editorCommand)) << editorCommand;
    EXPECT_EQ(MenuTitles(Frame().menuBar()).size(), static_cast<qsizetype>(MenuBar(MenuKind::IconDocument).size()));

    // A menu about to show takes its items' state from the route: Close is
    // the frame's, Ctrl+E's command nobody's.
    QMenu* fileMenu = Frame().menuBar()->actions().front()->menu();
    emit fileMenu->aboutToShow();
    for (QAction* a : fileMenu->actions()) {
        if (CCommandRouter::CommandOf(a) == ID_FILE_CLOSE) {
            EXPECT_TRUE(a->isEnabled());
        }
    }
    EXPECT_FALSE(Frame().Router().Update(ID_UNUSED_CTRL_E).enabled);
    EXPECT_FALSE(Frame().Router().Update(1).claimed);

    Frame().ActiveFrame()->close();
    QApplication::processEvents();
    Frame().ActiveWindowUpdate();
    EXPECT_EQ(WindowCount(), 0);
    EXPECT_EQ(Frame().CurrentMenuKind(), MenuKind::Main);
}

TEST_F(AppTest, AcceleratorsReachTheActiveWindow)
{
    Store("IconeAuto", 0);
    Store("ShowBienvenue", 0);
    Start({});
    app_->FileNew();
    CIconView* first = ActiveIconView();
    app_->FileNew();
    CIconView* second = ActiveIconView();
    ASSERT_TRUE(first && second && first != second);
    int grid = first->State().gridShown;
    ASSERT_EQ(second->State().gridShown, grid);

    // Ctrl+G toggles the grid of the active window only.
    QTest::keyClick(&Frame(), Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(second->State().gridShown, grid ? 0 : 1);
    EXPECT_EQ(first->State().gridShown, grid);
    DocManager().ActivateFrame(DocManager().Frames().front());
    QTest::keyClick(Frame().ActiveView(), Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(first->State().gridShown, grid ? 0 : 1);

    // Keys go by the accelerator table, not by what the menus show.
    QSignalSpy sent(&Frame().Router(), &CCommandRouter::commandSent);
    QTest::keyClick(&Frame(), Qt::Key_E, Qt::ControlModifier);
    QTest::keyClick(&Frame(), Qt::Key_F8, Qt::ControlModifier);
    QTest::keyClick(&Frame(), Qt::Key_F12, Qt::AltModifier);
    QTest::keyClick(&Frame(), Qt::Key_W, Qt::ControlModifier);
    ASSERT_EQ(sent.size(), 4);
    EXPECT_EQ(sent[0][0].value<std::uint16_t>(), ID_UNUSED_CTRL_E);
    EXPECT_FALSE(sent[0][1].toBool()); // Ctrl+E: nobody handles it
    EXPECT_EQ(sent[1][0].value<std::uint16_t>(), ID_VIEW_SCALE_TOOLBAR);
    EXPECT_EQ(sent[2][0].value<std::uint16_t>(), ID_VIEW_LIBRARIAN);
    EXPECT_EQ(sent[3][0].value<std::uint16_t>(), ID_MIRROR_VERTICAL); // not the window's own close key
    EXPECT_EQ(WindowCount(), 2);
}

// The Window menu lists the document windows below its commands, numbered,
// the active one checked; Ctrl+F6 and Ctrl+Tab go to the next window.
TEST_F(AppTest, WindowMenuListsTheWindowsAndKeysGoToTheNext)
{
    Store("IconeAuto", 0);
    Store("ShowBienvenue", 0);
    Start({});
    app_->FileNew();
    app_->FileNew();
    EXPECT_TRUE(Frame().Router().Send(ID_WINDOW_NEW)); // a second window on the second icon
    ASSERT_EQ(WindowCount(), 3);
    QMenu* window = nullptr;
    for (QAction* top : Frame().menuBar()->actions())
        if (top->text() == QStringLiteral("W&indow"))
            window = top->menu();
    ASSERT_NE(window, nullptr);
    auto listed = [&] {
        Frame().Router().UpdateMenu(window);
        QStringList entries;
        for (QAction* a : window->actions())
            if (a->text().startsWith(QLatin1Char('&')) && a->text().at(1).isDigit())
                entries << a->text() + (a->isChecked() ? QStringLiteral(" *") : QString());
        return entries;
    };
    const QList<QMdiSubWindow*> windows = Frame().MdiArea()->subWindowList();
    const QString t0 = windows[0]->windowTitle(), t1 = windows[1]->windowTitle(), t2 = windows[2]->windowTitle();
    EXPECT_EQ(t2, t1 + QStringLiteral(":2"));
    EXPECT_EQ(listed(), (QStringList{"&1 " + t0, "&2 " + t1, "&3 " + t2 + " *"}));
    // The commands stay above the list, their last item the vertical reorganisation.
    const QList<QAction*> items = window->actions();
    EXPECT_TRUE(items[items.size() - 4]->isSeparator());
    EXPECT_EQ(CCommandRouter::CommandOf(items[items.size() - 5]), ID_REORGANIZE_VERTICAL);
    // Updating again does not list them twice.
    EXPECT_EQ(listed().size(), 3);

    // Choosing an entry activates its window.
    for (QAction* a : window->actions())
        if (a->text() == "&1 " + t0)
            a->trigger();
    EXPECT_EQ(Frame().MdiArea()->activeSubWindow(), windows[0]);
    EXPECT_EQ(listed()[0], "&1 " + t0 + " *");

    QTest::keyClick(Frame().ActiveView(), Qt::Key_F6, Qt::ControlModifier);
    EXPECT_EQ(Frame().MdiArea()->activeSubWindow(), windows[1]);
    QTest::keyClick(Frame().ActiveView(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(Frame().MdiArea()->activeSubWindow(), windows[2]);
    EXPECT_EQ(QApplication::focusWidget(), Frame().ActiveView());
    QTest::keyClick(Frame().ActiveView(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(Frame().MdiArea()->activeSubWindow(), windows[0]);
}

TEST_F(AppTest, TheFormatListIsWideEnoughForItsTexts)
{
    Store("IconeAuto", 0);
    Store("ShowBienvenue", 0);
    Start({});
    app_->FileNew();
    auto* frame = dynamic_cast<CIconDocumentMDI*>(Frame().ActiveFrame());
    ASSERT_NE(frame, nullptr);
    auto* doc = dynamic_cast<CIconDocument*>(frame->Document());
    ASSERT_NE(doc, nullptr);
    doc->AddFormat(256, 256, 24, 0);
    CIconView::BroadcastFormatsChanged(doc, nullptr);
    QApplication::processEvents();
    QComboBox* box = frame->FormatBox();
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->count(), 2);
    EXPECT_EQ(box->itemText(0), QStringLiteral("32x32 - 16 colors"));
    EXPECT_EQ(box->itemText(1), QStringLiteral("256x256 - 16,8M colors"));
    for (int i = 0; i < box->count(); ++i)
        EXPECT_GT(box->width(), box->fontMetrics().horizontalAdvance(box->itemText(i)) + 16) << i;
}

TEST_F(AppTest, DocumentWindowsTitlesMaximisingAndClosing)
{
    Store("IconeAuto", 0);
    Store("ShowBienvenue", 0);
    Store("Agrandissement", 1);
    Start({});
    std::string path = file("disk.ico");
    WriteHalfRedIcon(path);
    ASSERT_EQ(app_->OpenDocumentFile(path), OpenResult::Opened);
    auto* first = dynamic_cast<COrvaneMDI*>(Frame().ActiveFrame());
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isMaximized());
    EXPECT_FALSE(first->FirstActivation());
    // The caption names the maximised document once.
    auto* caption = Frame().findChild<CFrameCaption*>();
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->FrameTitle() + " - " + caption->DocumentTitle(), QStringLiteral("Orvane Kavrel 4.0 - disk.ico"));
    // Restored and shown again, it stays restored.
    first->showNormal();
    first->ShowFrame();
    EXPECT_FALSE(first->isMaximized());

    // A second window on the same document carries its number.
    EXPECT_TRUE(Frame().Router().Send(ID_WINDOW_NEW));
    ASSERT_EQ(WindowCount(), 2);
    CChildFrame* second = Frame().ActiveFrame();
    EXPECT_EQ(first->windowTitle(), QStringLiteral("disk.ico"));
    EXPECT_EQ(second->windowTitle(), QStringLiteral("disk.ico:2"));
    EXPECT_EQ(second->Document(), first->Document());

    // Closing one of two windows asks nothing; the last one of a modified
    // document asks, and Cancel keeps it open.
    test::ScriptedPrompter prompts;
    CDocument* doc = first->Document();
    doc->SetModifiedFlag(true);
    second->close();
    QApplication::processEvents();
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(WindowCount(), 1);
    EXPECT_EQ(first->windowTitle(), QStringLiteral("disk.ico"));

    prompts.Answer(IDCANCEL);
    first->close();
    QApplication::processEvents();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, FormatString(61700, path));
    EXPECT_EQ(prompts.shown[0].style, unsigned(MB_YESNOCANCEL | MB_ICONEXCLAMATION));
    EXPECT_EQ(WindowCount(), 1);

    // Exit asks the same question; Cancel keeps everything open.
    prompts.Answer(IDCANCEL);
    EXPECT_TRUE(Frame().Router().Send(ID_APP_EXIT));
    QApplication::processEvents();
    EXPECT_TRUE(Frame().isVisible());
    EXPECT_EQ(WindowCount(), 1);
    EXPECT_EQ(prompts.shown.size(), 2u);

    prompts.Answer(IDNO);
    first->close();
    QApplication::processEvents();
    EXPECT_EQ(WindowCount(), 0);
    EXPECT_TRUE(DocManager().Template(DocKind::Icon)->Documents().empty());
}

TEST_F(AppTest, SaveAsAsksForAPathAndRenamesTheWindow)
{
    Store("IconeAuto", 0);
    Store("ShowBienvenue", 0);
    Start({});
    ASSERT_NE(app_->FileNew(), nullptr);

    struct Chooser : FileChooser {
        std::string answer;
        std::string suggested;
        std::vector<std::string> ChooseOpen(const std::string&, const std::string&, bool) override { return {}; }
        std::string ChooseSave(const std::string&, const std::string&, const std::string& s) override
        {
            suggested = s;
            return answer;
        }
    } chooser;
    FileChooser* saved = &kavrel::Chooser();
    SetFileChooser(&chooser);
    chooser.answer = file("saved"); // the kind's extension is added
    EXPECT_TRUE(Frame().Router().Send(ID_FILE_SAVE));
    SetFileChooser(saved);

    EXPECT_EQ(chooser.suggested.substr(chooser.suggested.size() - 4), ".ico");
    EXPECT_TRUE(fs::exists(file("saved.ico")));
    CChildFrame* frame = Frame().ActiveFrame();
    EXPECT_EQ(frame->Document()->GetPathName(), file("saved.ico"));
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("saved.ico"));
    EXPECT_FALSE(frame->Document()->IsModified());
}

TEST_F(AppTest, OpenCommandDropsRecentFilesAndFailedSaves)
{
    Store("IconeAuto", 0);
    Store("ShowBienvenue", 0);
    Start({});
    std::string ico = file("one.ico"), bmp = file("pic.bmp");
    WriteHalfRedIcon(ico);
    std::ofstream(bmp) << "BM";

    struct Chooser : FileChooser {
        std::vector<std::string> chosen;
        std::string filter;
        std::vector<std::string> ChooseOpen(const std::string&, const std::string& f, bool multiple) override
        {
            filter = f;
            EXPECT_TRUE(multiple);
            return chosen;
        }
        std::string ChooseSave(const std::string&, const std::string&, const std::string&) override { return {}; }
    } chooser;
    FileChooser* saved = &kavrel::Chooser();
    SetFileChooser(&chooser);
    test::ScriptedPrompter prompts;

    // Open with two files: the icon opens, the picture held none (one message at the end).
    chooser.chosen = {ico, bmp};
    EXPECT_TRUE(Frame().Router().Send(ID_FILE_OPEN));
    SetFileChooser(saved);
    EXPECT_NE(chooser.filter.find("*.ico"), std::string::npos);
    EXPECT_EQ(WindowCount(), 1);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, LoadString(55049));
    EXPECT_EQ(prompts.shown[0].style, unsigned(MB_OK | MB_ICONSTOP));

    // A file dropped on the frame opens the same way.
    std::string other = file("two.ico");
    WriteHalfRedIcon(other);
    Frame().OpenDroppedFiles({QUrl::fromLocalFile(QString::fromStdString(other))});
    EXPECT_EQ(WindowCount(), 2);
    EXPECT_EQ(Frame().ActiveFrame()->Document()->GetPathName(), other);

    // The recent files of the File menu: the latest first; choosing one brings its window forward.
    QMenu* fileMenu = Frame().menuBar()->actions().front()->menu();
    emit fileMenu->aboutToShow();
    QList<QAction*> recent;
    for (QAction* a : fileMenu->actions())
        if (a->isVisible() && a->text().startsWith(QLatin1Char('&')) && a->text().contains(QLatin1String(".ico")))
            recent << a;
    ASSERT_EQ(recent.size(), 2);
    EXPECT_TRUE(recent[0]->text().endsWith(QString::fromStdString(other)));
    recent[1]->trigger();
    EXPECT_EQ(Frame().ActiveFrame()->Document()->GetPathName(), ico);
    EXPECT_EQ(WindowCount(), 2);
    // One that is gone is reported and leaves the list.
    RecentFiles().add(file("gone.ico"));
    emit fileMenu->aboutToShow();
    for (QAction* a : fileMenu->actions())
        if (a->isVisible() && a->text().endsWith(QLatin1String("gone.ico")))
            a->trigger();
    EXPECT_EQ(WindowCount(), 2);
    EXPECT_EQ(RecentFiles().files().size(), 2u);
    prompts.shown.clear();

    // A save into a folder that is gone is reported once, and the document keeps its path.
    CDocument* doc = Frame().ActiveFrame()->Document();
    doc->SetPathName(file("gone/one.ico"));
    doc->SetModifiedFlag(true);
    prompts.shown.clear();
    EXPECT_TRUE(Frame().Router().Send(ID_FILE_SAVE));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, FormatString(61709, file("gone/one.ico"), "No such file or directory"));
    EXPECT_TRUE(doc->IsModified());
    doc->SetModifiedFlag(false);
}

// Draws single pixels with the pencil through real mouse events, presses the
// editor's keys and closes the window, answering the close question.
class LostWorkTest : public AppTest {
  protected:
    void OpenSaved()
    {
        ASSERT_EQ(app_->OpenDocumentFile(path_), OpenResult::Opened);
        view_ = ActiveIconView();
        ASSERT_NE(view_, nullptr);
        view_->resize(400, 400);
        QApplication::processEvents();
        ASSERT_TRUE(Frame().Router().Send(kToolCommands[kToolPencil]));
    }
    // A black dot on the transparent right half: pixel (16 + n, 4).
    void Draw(int n)
    {
        const CIconViewState& s = view_->State();
        const QPoint at(s.originX + (16 + n) * s.zoom + s.zoom / 2 - s.scrollX,
                        s.originY + 4 * s.zoom + s.zoom / 2 - s.scrollY);
        QTest::mouseClick(view_->viewport(), Qt::LeftButton, {}, at);
    }
    void Key(Qt::Key key) { QTest::keyClick(Frame().ActiveView(), key, Qt::ControlModifier); }
    void Close()
    {
        ASSERT_TRUE(Frame().Router().Send(ID_FILE_CLOSE));
        QApplication::processEvents();
    }
    // Which dots the file on disk holds, as a string of 0 and 1.
    std::string DotsOnDisk()
    {
        CIconDocument doc;
        EXPECT_TRUE(doc.OnOpenDocument(path_));
        const CIconObject* f = doc.GetFormat(0);
        std::string dots;
        for (int n = 0; n < 4 && f; ++n)
            dots += GetImagePixel(f->color, f->mask, 16 + n, 4) == RGB(0, 0, 0) ? '1' : '0';
        return dots;
    }
    bool UndoEnabled()
    {
        CCmdUI ui;
        ui.id = ID_EDIT_UNDO;
        return view_->OnUpdateCommand(ui) && ui.enabled;
    }

    std::string path_;
    CIconView* view_ = nullptr;
};

TEST_F(LostWorkTest, CloseAsksWheneverTheIconDiffersFromItsFile)
{
    Store("IconeAuto", 0);
    Store("ShowBienvenue", 0);
    Start({});
    path_ = file("saved.ico");
    WriteHalfRedIcon(path_);
    const auto original = ReadWholeFile(path_);
    test::ScriptedPrompter prompts;

    // Draw B, draw C, undo: B is still new, so the question comes; Yes writes B.
    OpenSaved();
    Draw(0);
    Draw(1);
    Key(Qt::Key_Z);
    Close();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, FormatString(61700, path_));
    EXPECT_EQ(WindowCount(), 0);
    EXPECT_EQ(DotsOnDisk(), "1000");

    // Draw A, B, C, undo twice, redo: modified; No leaves the file as it was.
    prompts.shown.clear();
    OpenSaved();
    const auto withB = ReadWholeFile(path_);
    Draw(1);
    Draw(2);
    Draw(3);
    Key(Qt::Key_Z);
    Key(Qt::Key_Z);
    Key(Qt::Key_Y);
    EXPECT_TRUE(Frame().ActiveFrame()->Document()->IsModified());
    prompts.Answer(IDNO);
    Close();
    EXPECT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(WindowCount(), 0);
    EXPECT_EQ(ReadWholeFile(path_), withB);

    // Undoing back to what was saved closes without a question.
    prompts.shown.clear();
    OpenSaved();
    Draw(2);
    Draw(3);
    Key(Qt::Key_Z);
    Key(Qt::Key_Z);
    EXPECT_FALSE(Frame().ActiveFrame()->Document()->IsModified());
    Close();
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(WindowCount(), 0);
    EXPECT_EQ(ReadWholeFile(path_), withB);
    EXPECT_NE(withB, original);
}

TEST_F(LostWorkTest, FailedSaveKeepsUndoAndTheQuestion)
{
    Store("IconeAuto", 0);
    Store("ShowBienvenue", 0);
    Start({});
    path_ = file("full.ico");
    WriteHalfRedIcon(path_);
    test::ScriptedPrompter prompts;
    OpenSaved();
    Draw(0);

    SetAtomicFileFaultHook([](const std::string& step) { return step != "write"; }, ENOSPC);
    EXPECT_TRUE(Frame().Router().Send(ID_FILE_SAVE));
    SetAtomicFileFaultHook(nullptr);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, FormatString(61709, path_, "No space left on device"));
    EXPECT_EQ(DotsOnDisk(), "0000");
    EXPECT_TRUE(Frame().ActiveFrame()->Document()->IsModified());
    EXPECT_TRUE(UndoEnabled());
    Key(Qt::Key_Z);
    EXPECT_FALSE(Frame().ActiveFrame()->Document()->IsModified());

    // A save that fails at close keeps the window open.
    Draw(1);
    SetAtomicFileFaultHook([](const std::string& step) { return step != "commit"; }, EIO);
    Close();
    SetAtomicFileFaultHook(nullptr);
    EXPECT_EQ(prompts.shown.size(), 3u); // the question, then why the save failed
    EXPECT_EQ(WindowCount(), 1);
    EXPECT_TRUE(UndoEnabled());
    prompts.Answer(IDNO);
    Close();
    EXPECT_EQ(WindowCount(), 0);
}

TEST_F(AppTest, AFileHandedOverWithoutIconsIsNamed)
{
    Store("IconeAuto", 0);
    Store("ShowBienvenue", 0);
    Start({});
    test::ScriptedPrompter prompts;
    const std::string text = file("notes.txt"), bad = file("bad.ico");
    std::ofstream(text) << "no icon";
    std::ofstream(bad) << "no icon either";
    Frame().OpenDroppedFiles(
        {QUrl::fromLocalFile(QString::fromStdString(text)), QUrl::fromLocalFile(QString::fromStdString(bad))});
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0].text, text + "\n" + LoadString(55048));
    EXPECT_EQ(prompts.shown[1].text, bad + "\n" + LoadString(55037));
    EXPECT_EQ(WindowCount(), 0);
}

TEST_F(AppTest, HighlightedMenuItemShowsItsPromptInTheStatusBar)
{
    Store("ShowBienvenue", 0);
    Start({});
    QMenu* fileMenu = Frame().menuBar()->actions().front()->menu();
    QAction* open = nullptr;
    for (QAction* a : fileMenu->actions())
        if (CCommandRouter::CommandOf(a) == ID_FILE_OPEN)
            open = a;
    ASSERT_NE(open, nullptr);
    // Opened from the menu bar, as the user opens it.
    QMenuBar* bar = Frame().menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(bar->actions().front()).center());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(fileMenu));
    QTest::mouseMove(fileMenu, fileMenu->actionGeometry(open).center());
    QApplication::processEvents();
    EXPECT_EQ(Frame().statusBar()->currentMessage().toStdString(), std::string(FindCommand(ID_FILE_OPEN)->prompt));
    fileMenu->close();
}

TEST_F(AppTest, AnIconHeldElsewhereOpensAsANewIcon)
{
    Store("IconeAuto", 0);
    Store("ShowBienvenue", 0);
    Start({});
    CIconGroup group;
    group.name = "Kept";
    for (int size : {16, 48}) {
        CIconObject format(8, size, size, 0);
        format.PackToIcon();
        group.AddFormat(format.packed);
    }
    GroupIconSource source(group, true);
    auto* doc = dynamic_cast<CIconDocument*>(app_->OpenIconAsNewIcon(source));
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->GetFormatCount(), 2);
    EXPECT_EQ(doc->GetName(), "Kept");
    EXPECT_TRUE(doc->GetPathName().empty());
    // The next new icon is the default one again.
    auto* plain = dynamic_cast<CIconDocument*>(app_->FileNew());
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->GetFormatCount(), 1);

    // The local toolbar's pop-up offers to hide it.
    CChildFrame* frame = Frame().ActiveFrame();
    ASSERT_NE(frame->LocalToolBar(), nullptr);
    emit frame->LocalToolBar()->customContextMenuRequested(QPoint(2, 2));
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(popup->actions().size(), 1);
    EXPECT_EQ(CCommandRouter::CommandOf(popup->actions()[0]), ID_LOCAL_TOOLBAR_HIDE);
    popup->close();
}

TEST_F(AppTest, LinkedEditorsOpenOnceUpdateTheirSourceAndAskBeforeClosing)
{
    Store("IconeAuto", 0);
    Store("ShowBienvenue", 0);
    Start({});
    CIconGroup group;
    group.name = "Disk";
    CIconObject format(4, 32, 32, 0);
    format.PackToIcon();
    group.AddFormat(format.packed);

    CLibDoc library;
    library.SetTitle("tools.icl");
    library.List().SetItems({group});
    auto* editor = dynamic_cast<CFileIconDoc*>(app_->OpenLinkedIcon(library, 0));
    ASSERT_NE(editor, nullptr);
    const int windows = WindowCount();
    EXPECT_EQ(app_->OpenLinkedIcon(library, 0), editor);
    EXPECT_EQ(WindowCount(), windows);
    EXPECT_EQ(Frame().ActiveFrame()->windowTitle().toStdString(), "Icon 1 in \"tools.icl\"");
    auto* view = dynamic_cast<CFileIconView*>(Frame().ActiveView());
    ASSERT_NE(view, nullptr);
    auto toolbarHas = [this](std::uint16_t id) {
        return Frame().ActiveFrame()->LocalToolBar()->actions().contains(CCommandRouter::Instance()->Action(id));
    };
    EXPECT_TRUE(toolbarHas(ID_FILE_UPDATE));
    EXPECT_FALSE(toolbarHas(ID_FILE_SAVE));
    CCmdUI formats;
    formats.id = ID_FORMAT_NEW;
    view->OnUpdateCommand(formats);
    EXPECT_TRUE(formats.enabled);

    // Update puts the drawn pixel into the library's list.
    editor->GetFormat(0)->color.setRawPixel(0, 0, 0xFFFF0000);
    view->SetModified(true);
    view->OnCommand(ID_FILE_UPDATE);
    EXPECT_FALSE(editor->IsModified());
    EXPECT_TRUE(library.IsModified());
    EXPECT_NE(library.List().Item(0).formats[0]->image, group.formats[0]->image);

    // A program-file source allows no format changes, and closing a
    // modified editor asks in the program file's words.
    CFileDoc program;
    program.SetTitle("old.exe");
    group.name.clear();
    program.List().SetItems({group, group, group});
    ASSERT_NE(app_->OpenLinkedIcon(program, 2), nullptr);
    auto* programView = dynamic_cast<CFileIconView*>(Frame().ActiveView());
    ASSERT_NE(programView, nullptr);
    EXPECT_TRUE(toolbarHas(ID_FILE_SAVE));
    EXPECT_FALSE(toolbarHas(ID_FORMAT_NEW));
    EXPECT_FALSE(toolbarHas(ID_FORMAT_DELETE));
    formats = CCmdUI();
    formats.id = ID_FORMAT_NEW;
    programView->OnUpdateCommand(formats);
    EXPECT_FALSE(formats.enabled);
    programView->SetModified(true);
    {
        test::ScriptedPrompter prompts;
        prompts.Answer(IDCANCEL);
        const int before = WindowCount();
        Frame().ActiveFrame()->close();
        QApplication::processEvents();
        EXPECT_EQ(WindowCount(), before);
        ASSERT_EQ(prompts.shown.size(), 1u);
        EXPECT_EQ(prompts.shown[0].text, "Save changes in icon 3 in the file \"old.exe\" ?");
    }
    // The sources go before the windows that point at them.
    CloseEditorsOf(&program, false);
    CloseEditorsOf(&library, false);
}

TEST_F(AppTest, HelpCommandsOpenTheManualAtTheActiveWindowsSection)
{
    Store("ShowBienvenue", 0);
    Start({});
    struct Recorder : DesktopOpener {
        bool OpenUrl(const std::string& url) override
        {
            opened.push_back(url);
            return true;
        }
        std::vector<std::string> opened;
    } desktop;
    SetDesktopOpener(&desktop);
    for (std::uint16_t id : {ID_HELP, ID_HELP_FINDER, ID_HELP_USING})
        Frame().Router().Send(id);
    SetDesktopOpener(nullptr);
    ASSERT_EQ(desktop.opened.size(), 3u);
    const std::string manual = "file://" + ProgramFolder() + "help/kavrel-manual.html";
    EXPECT_EQ(desktop.opened[0], manual + "#drawing"); // a new icon is open
    EXPECT_EQ(desktop.opened[1], manual + "#contents");
    EXPECT_EQ(desktop.opened[2], manual + "#using-help");
}

TEST_F(AppTest, TheAssociationWarningWritesItsBoxesBackAndRepairs)
{
    Store("ShowBienvenue", 0);
    Store("ShowWarnTypes", 1);
    Store("TypesTypeIcl", 0);
    // Icons only; the library kind is ticked in the dialog.
    QTimer answer;
    answer.setInterval(50);
    bool seen = false;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog->objectName() != QLatin1String("AssociationWarning"))
            return;
        seen = true;
        EXPECT_FALSE(dialog->findChild<QCheckBox*>(QStringLiteral("1113"))->isChecked());
        dialog->findChild<QCheckBox*>(QStringLiteral("1113"))->setChecked(true);
        dialog->findChild<QCheckBox*>(QStringLiteral("1042"))->setChecked(false);
        dialog->accept();
    });
    answer.start();
    Start({});
    answer.stop();
    EXPECT_TRUE(seen);
    EXPECT_EQ(TypesTypeIcl, 1);
    EXPECT_EQ(ShowWarnTypes, 0);
    EXPECT_EQ(Registry::Instance().queryString(RegHive::ClassesRoot, ".icl", ""), "iclfile");
    EXPECT_TRUE(fs::exists(dir_ + "/xdg-data/applications/kavrel.desktop"));
    EXPECT_TRUE(fs::exists(dir_ + "/xdg-config/mimeapps.list"));
}

TEST(AppSplash, TheStartUpPictureIsBuiltBesideTheProgram)
{
    std::string path = fs::path(KAVREL_APP_PATH).parent_path() / "kavrel-splash.jpg";
    PackedDib dib = ReadJpegFile(path);
    ASSERT_FALSE(dib.empty()) << path;
    std::optional<Bitmap> picture = DibToBitmap(dib);
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->width(), 529);
    EXPECT_EQ(picture->height(), 169);
    // Dark blue on the left edge, the white of the name in the middle.
    COLORREF edge = picture->pixel(2, 84);
    EXPECT_LT(GetRValue(edge), 60);
    EXPECT_GT(GetBValue(edge), GetRValue(edge));
    COLORREF letter = picture->pixel(176 + 4, 34 + 4); // the K's stem
    EXPECT_GT(GetRValue(letter), 200);
    EXPECT_GT(GetGValue(letter), 200);
    EXPECT_GT(GetBValue(letter), 200);
}

// ---- two processes ----

// Asks a running Kavrel (test hooks on) for its open documents.
std::vector<std::string> RunningDocuments(const QString& server)
{
    QLocalSocket socket;
    socket.connectToServer(server);
    if (!socket.waitForConnected(1000))
        return {};
    socket.write("documents\n");
    socket.waitForBytesWritten(1000);
    QByteArray answer;
    while (!answer.contains("end\n") && socket.waitForReadyRead(2000))
        answer += socket.readAll();
    std::vector<std::string> out;
    for (const QByteArray& line : answer.split('\n'))
        if (!line.isEmpty() && line != "end")
            out.push_back(QByteArray::fromPercentEncoding(line).toStdString());
    return out;
}

// The environment of a Kavrel started by a test: offscreen, with its own
// configuration and librarian folders under `dir` and the test hooks on.
QProcessEnvironment KavrelEnvironment(const std::string& dir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("KAVREL_CONFIG_DIR", QString::fromStdString(dir + "/config"));
    env.insert("KAVREL_LIBRARIAN", QString::fromStdString(dir + "/librarian"));
    env.insert("KAVREL_TEST_HOOKS", "1");
    // No desktop files outside the test.
    env.insert("XDG_DATA_HOME", QString::fromStdString(dir + "/xdg-data"));
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(dir + "/xdg-config"));
    return env;
}

// The documents a Kavrel just started shows, once it answers (at most 15 s).
std::vector<std::string> DocumentsOnceStarted(const QString& server)
{
    QElapsedTimer clock;
    clock.start();
    std::vector<std::string> documents;
    while (documents.empty() && clock.elapsed() < 15000) {
        documents = RunningDocuments(server);
        if (documents.empty())
            QTest::qWait(50);
    }
    return documents;
}

// Closes a running Kavrel as Exit closes it; true when it ended with status 0.
bool QuitKavrel(const QString& server, QProcess& process)
{
    QLocalSocket socket;
    socket.connectToServer(server);
    if (!socket.waitForConnected(1000))
        return false;
    socket.write("quit\n");
    socket.waitForBytesWritten(1000);
    socket.waitForReadyRead(2000);
    const bool ended =
        process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (process.state() != QProcess::NotRunning)
        process.kill();
    return ended;
}

std::string HiveText(const std::string& config)
{
    std::ifstream hive(config + "/HKEY_CURRENT_USER.reg", std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(hive)), std::istreambuf_iterator<char>());
}

TEST(AppProcess, ASecondKavrelHandsItsFileToTheFirst)
{
    char pattern[] = "/tmp/kavrel-instance-XXXXXX";
    std::string dir = mkdtemp(pattern);
    std::string config = dir + "/config";
    WriteHalfRedIcon(dir + "/one.ico");
    WriteHalfRedIcon(dir + "/two.ico");

    const QProcessEnvironment env = KavrelEnvironment(dir);
    {
        Registry stored(config);
        stored.setDword(RegHive::CurrentUser, std::string(kApplicationKey) + "\\prefs", "ShowWarnTypes", 0);
        ASSERT_TRUE(stored.save());
    }
    const QString server = InstanceServerName(config);
    EXPECT_EQ(InstanceServerName(dir + "/./config/"), server);
    EXPECT_NE(InstanceServerName(dir + "/other"), server);

    QProcess first;
    first.setProcessEnvironment(env);
    first.start(KAVREL_APP_PATH, {QString::fromStdString(dir + "/one.ico")});
    ASSERT_TRUE(first.waitForStarted(5000));
    // Ready once it answers on its socket with its file open.
    std::vector<std::string> documents = DocumentsOnceStarted(server);
    ASSERT_EQ(documents, std::vector<std::string>{dir + "/one.ico"});

    // The second one, started in the folder with a relative name, hands it over and ends.
    QProcess second;
    second.setProcessEnvironment(env);
    second.setWorkingDirectory(QString::fromStdString(dir));
    second.start(KAVREL_APP_PATH, {QStringLiteral("two.ico")});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);

    QElapsedTimer clock;
    clock.start();
    while (documents.size() < 2 && clock.elapsed() < 10000) {
        QTest::qWait(50);
        documents = RunningDocuments(server);
    }
    EXPECT_EQ(documents, (std::vector<std::string>{dir + "/one.ico", dir + "/two.ico"}));

    // Closed as Exit closes it, the first writes its settings once.
    EXPECT_TRUE(QuitKavrel(server, first));
    const std::string text = HiveText(config);
    EXPECT_NE(text.find("IconeAuto"), std::string::npos);
    EXPECT_NE(text.find("two.ico"), std::string::npos); // the recent files
    if (first.state() != QProcess::NotRunning)
        first.kill();
    fs::remove_all(dir);
}

// A view of another kind, known to the main window only as a CFrameView.
class StubDocument : public CDocument {
  public:
    bool OnOpenDocument(const std::string&) override { return true; }
    bool OnSaveDocument(const std::string&) override { return true; }
};

class StubView : public QWidget, public CFrameView {
  public:
    void OnActivateView(bool active) override { activations.push_back(active); }
    bool IsBusy() const override { return busy; }
    void UpdateStatus() override { ++updates; }
    std::vector<bool> activations;
    bool busy = false;
    int updates = 0;
};

TEST_F(AppTest, TheMainWindowAsksAnyViewThroughOneInterface)
{
    Store("IconeAuto", 0);
    Store("ShowBienvenue", 0);
    Start({});
    ASSERT_NE(app_->FileNew(), nullptr);
    QApplication::processEvents();
    CIconView* icon = ActiveIconView();
    ASSERT_NE(icon, nullptr);
    CChildFrame* iconFrame = Frame().ActiveFrame();
    CColorPaletteBar* colors = CColorPaletteBar::Instance();
    ASSERT_NE(colors, nullptr);
    EXPECT_TRUE(colors->Follows(icon));
    EXPECT_EQ(CActualSizePreview::ActiveView(), icon);

    // A kind of its own, not registered with the application.
    StubView* stub = nullptr;
    CDocTemplate other(
        DocKind::IconLibrary, 4, MenuKind::IconLibrary, "\nLibrary\nLibrary",
        [](IconSource*) { return std::make_unique<StubDocument>(); }, nullptr,
        [&stub](CDocument&, CChildFrame&) -> QWidget* { return stub = new StubView; });
    ASSERT_NE(DocManager().NewDocument(other), nullptr);
    QApplication::processEvents();
    ASSERT_NE(stub, nullptr);
    EXPECT_EQ(stub->activations, std::vector<bool>{true});
    // The editor's followers let go of the editor that is no longer active.
    EXPECT_FALSE(colors->Follows(icon));
    EXPECT_EQ(CActualSizePreview::ActiveView(), nullptr);

    // The periodic update asks the active view for its status, not while it is busy.
    QTest::qWait(150);
    EXPECT_GT(stub->updates, 0);
    stub->busy = true;
    stub->updates = 0;
    QTest::qWait(150);
    EXPECT_EQ(stub->updates, 0);

    DocManager().ActivateFrame(iconFrame);
    QApplication::processEvents();
    EXPECT_EQ(stub->activations, (std::vector<bool>{true, false}));
    EXPECT_TRUE(colors->Follows(icon));
    EXPECT_EQ(CActualSizePreview::ActiveView(), icon);

    for (CChildFrame* frame : DocManager().Frames())
        if (&frame->Template() == &other)
            frame->close();
    QApplication::processEvents();
    EXPECT_EQ(DocManager().Frames().size(), 1u);
}

// Records the status bar's message each time one of its panes is painted.
class MessageRecorder : public QObject {
  public:
    explicit MessageRecorder(CStatusBarEx* bar) : bar_(bar)
    {
        for (QWidget* w : bar->findChildren<QWidget*>())
            w->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && (shown.isEmpty() || shown.back() != bar_->Message()))
            shown << bar_->Message();
        return false;
    }
    QStringList shown;

  private:
    CStatusBarEx* bar_;
};

TEST_F(AppTest, OpeningAndSavingAnIconShowItInTheStatusBar)
{
    Store("IconeAuto", 0);
    Store("ShowBienvenue", 0);
    const std::string path = file("shown.ico");
    WriteHalfRedIcon(path);
    Start({});
    auto* bar = dynamic_cast<CStatusBarEx*>(Frame().statusBar());
    ASSERT_NE(bar, nullptr);
    const QString loading = QString::fromStdString(LoadString(55036));
    const QString saving = QString::fromStdString(LoadString(55039));

    MessageRecorder opening(bar);
    ASSERT_EQ(app_->OpenDocumentFile(path), OpenResult::Opened);
    EXPECT_TRUE(opening.shown.contains(loading)) << opening.shown.join(" | ").toStdString();
    EXPECT_FALSE(bar->ProgressActive());
    EXPECT_NE(bar->Message(), loading);

    Frame().ActiveFrame()->Document()->SetModifiedFlag(true);
    MessageRecorder saved(bar);
    EXPECT_TRUE(Frame().Router().Send(ID_FILE_SAVE));
    EXPECT_TRUE(saved.shown.contains(saving)) << saved.shown.join(" | ").toStdString();
    EXPECT_NE(bar->Message(), saving);
    EXPECT_FALSE(Frame().ActiveFrame()->Document()->IsModified());
}

TEST(AppProcess, AStoredWindowLargerThanAnyScreenStillStarts)
{
    // Once a damaged placement made every start end in std::bad_alloc: the
    // editor view's frame was as large as the window.
    char pattern[] = "/tmp/kavrel-placement-XXXXXX";
    std::string dir = mkdtemp(pattern);
    std::string config = dir + "/config";
    fs::create_directories(config);
    std::ofstream(config + "/HKEY_CURRENT_USER.reg", std::ios::binary)
        << "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Orvane\\Kavrel 4.0\\mainwin]\n"
           "\"Pos\"=\"0005 0005 999999999 9999\"\n\"Maximized\"=dword:00000000\n\n"
           "[HKEY_CURRENT_USER\\Software\\Orvane\\Kavrel 4.0\\prefs]\n\"ShowWarnTypes\"=dword:00000000\n";
    WriteHalfRedIcon(dir + "/one.ico");

    QProcess kavrel;
    kavrel.setProcessEnvironment(KavrelEnvironment(dir));
    kavrel.start(KAVREL_APP_PATH, {QString::fromStdString(dir + "/one.ico")});
    ASSERT_TRUE(kavrel.waitForStarted(5000));
    const QString server = InstanceServerName(config);
    EXPECT_EQ(DocumentsOnceStarted(server), std::vector<std::string>{dir + "/one.ico"})
        << kavrel.readAllStandardError().toStdString();
    ASSERT_TRUE(QuitKavrel(server, kavrel));

    // What it saved is a window no larger than a screen.
    const std::string text = HiveText(config);
    const auto at = text.find("\"Pos\"=\"");
    ASSERT_NE(at, std::string::npos) << text;
    int left = 0, top = 0, right = 0, bottom = 0;
    ASSERT_EQ(std::sscanf(text.c_str() + at + 7, "%d %d %d %d", &left, &top, &right, &bottom), 4) << text;
    EXPECT_LE(right - left, 8192);
    EXPECT_LE(bottom - top, 8192);
    fs::remove_all(dir);
}

} // namespace
} // namespace kavrel

namespace kavrel {
namespace {

class PdfChooser final : public FileChooser {
  public:
    explicit PdfChooser(std::string answer) : saved_(&Chooser()), answer_(std::move(answer)) { SetFileChooser(this); }
    ~PdfChooser() override { SetFileChooser(saved_); }
    std::vector<std::string> ChooseOpen(const std::string&, const std::string&, bool) override { return {}; }
    std::string ChooseSave(const std::string&, const std::string&, const std::string&) override
    {
        ++asked;
        return answer_;
    }
    int asked = 0;

  private:
    FileChooser* saved_;
    std::string answer_;
};

// The librarian's Print library opens the library in its own window, which
// then prints; without a printer the pages go to the PDF file asked for.
TEST_F(AppTest, TheLibrarianPrintsALibraryFromItsOwnWindow)
{
    if (!QPrinterInfo::availablePrinters().isEmpty())
        GTEST_SKIP() << "a printer is installed: Print would open its dialog";
    Store("IconeAuto", 0);
    Store("ShowBienvenue", 0);
    Start({});
    fs::create_directories(file("librarian"));
    const std::string path = file("librarian/Tools.icl");
    std::vector<CIconGroup> icons;
    for (int i = 0; i < 3; ++i)
        icons.push_back(test::MakeLibGroup("Tool " + std::to_string(i), static_cast<std::uint8_t>(i + 1), 1));
    ASSERT_TRUE(WriteIconLibrary(path, icons));
    CLibraryBar* bar = CLibraryBar::Instance();
    ASSERT_NE(bar, nullptr);
    bar->Librarian().Load(path, "Tools");
    ASSERT_EQ(bar->Librarian().List().Count(), 3);

    PdfChooser chooser(file("tools.pdf"));
    bar->OnCommand(ID_LIB_PRINT);
    auto* view = dynamic_cast<CLibView*>(Frame().ActiveView());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetDocument()->GetPathName(), path);
    EXPECT_EQ(chooser.asked, 0); // posted: the window prints once it is made
    QApplication::processEvents();
    EXPECT_EQ(chooser.asked, 1);
    ASSERT_TRUE(fs::exists(file("tools.pdf")));
    std::string info;
    if (test::RunCommand("pdfinfo '" + file("tools.pdf") + "'", &info)) {
        EXPECT_NE(info.find("Pages:           1"), std::string::npos) << info;
    }

    // Again with the window open: it comes forward and prints once more.
    const int windows = WindowCount();
    bar->OnCommand(ID_LIB_PRINT);
    QApplication::processEvents();
    EXPECT_EQ(WindowCount(), windows);
    EXPECT_EQ(chooser.asked, 2);
}

} // namespace
} // namespace kavrel
