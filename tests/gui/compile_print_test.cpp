// Compile and print from the librarian bar as a user would: the compile
// dialog answered field by field, the overwrite question answered No, a
// catalogue printed to a PDF file and checked with the poppler tools, and the
// preview's page count.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>

#include "librarian/compile.h"
#include "librarian/grid_docs.h"
#include "librarian/librarian_fixtures.h"
#include "librarian/print_layout.h"
#include "librarian/settings_librarian.h"
#include "librarian/ui/catalogue_print.h"
#include "librarian/ui/compile_dialog.h"
#include "librarian/ui/grid_view.h"
#include "librarian/ui/icon_list_box.h"
#include "librarian/ui/lib_tree_ctrl.h"
#include "librarian/ui/library_bar.h"
#include "model/icl_file.h"
#include "model/png_image.h"
#include "platform/byte_reader.h"
#include "resources/command_ids.h"
#include "resources/viewer/viewer_stub.h"
#include "shell/core/settings.h"
#include "support/external_tools.h"
#include "support/qt_app.h"
#include "support/scripted_prompter.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;
using test::TempTree;

std::vector<std::uint8_t> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Acts on the next modal window once its event loop runs (the dialogs are
// real; only their answers come from the test).
void WhenModal(std::function<void(QWidget*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act = std::move(act)] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            act(modal);
        }
    });
    timer->start();
}

class PathChooser final : public FileChooser {
  public:
    PathChooser() : saved_(&Chooser()) { SetFileChooser(this); }
    ~PathChooser() override { SetFileChooser(saved_); }
    std::vector<std::string> ChooseOpen(const std::string&, const std::string&, bool) override { return {}; }
    std::string ChooseSave(const std::string& title, const std::string& filter, const std::string& suggested) override
    {
        asked.push_back(title + "|" + filter + "|" + suggested);
        return answer;
    }
    std::string answer;
    std::vector<std::string> asked;

  private:
    FileChooser* saved_;
};

// The first icon is half transparent (its lower rows), so that printing
// shows both its colours and the paper through it.
CIconGroup HalfClearIcon(const std::string& name)
{
    CIconGroup group = test::MakeLibGroup(name, 40, 2); // 16x16 and 32x32
    CIcon& big = *group.GetFormat(1);
    const std::size_t bits = 40 + 16 * 4, xorBytes = 32 * 32 / 2;
    std::fill_n(big.image.begin() + 40, 4, 0);  // index 0 black: clear where the mask is set
    for (std::size_t i = 0; i < 16 * 16; ++i) { // the bottom 16 rows, stored first
        big.image[bits + i] = 0;
        big.image[bits + xorBytes + i / 4] = 0xFF;
    }
    return group;
}

class CompilePrintTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::EnsureQApplication(); }
    void SetUp() override
    {
        ResetSettings();
        fs::create_directories(tree_ / "lib");
    }
    void TearDown() override
    {
        bar_.reset();
        ResetSettings();
    }
    // A bar showing lib/<name>.icl with these icons.
    void ShowLibrary(const std::string& name, const std::vector<CIconGroup>& icons)
    {
        ASSERT_TRUE(WriteIconLibrary(tree_ / ("lib/" + name + ".icl"), icons));
        bar_ = std::make_unique<CLibraryBar>(tree_ / "lib");
        bar_->Librarian().SetClock([this] { return now_; });
        bar_->resize(600, 300);
        bar_->show();
        CLibTreeCtrl& tree = *bar_->Tree();
        tree.expandItem(tree.RootItem());
        tree.setCurrentItem(tree.FindItem(tree_ / ("lib/" + name + ".icl")));
        bar_->TimerStep();
        now_ += 300;
        bar_->TimerStep();
        ASSERT_EQ(bar_->Librarian().List().Count(), static_cast<int>(icons.size()));
    }

    TempTree tree_;
    std::int64_t now_ = 1000;
    std::unique_ptr<CLibraryBar> bar_;
    test::ScriptedPrompter prompter_;
    test::CountingBeeper beeper_;
};

TEST_F(CompilePrintTest, CompileThroughTheDialogWritesTheViewerTheTextsAndTheLibrary)
{
    if (ViewerStub().empty())
        GTEST_SKIP() << "built without the cross compiler";
    const std::vector<CIconGroup> icons = test::MakeLibGroups({"Red", "Green", "Blue"});
    ShowLibrary("Colours", icons);
    CIconList& list = bar_->Librarian().List();
    list.SelectOnly(1);
    ExeTitle = "Old title";
    const std::string exe = tree_ / "Out/colours.exe";
    fs::create_directories(tree_ / "Out");
    PathChooser chooser;
    chooser.answer = tree_ / "Out/COLOURS";

    std::string warning;
    WhenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<CCompileDialog*>(modal);
        ASSERT_TRUE(dialog);
        warning = dialog->Warning()->text().toStdString();
        EXPECT_EQ(dialog->TitleEdit()->text(), "Old title");
        EXPECT_EQ(dialog->TitleEdit()->maxLength(), 80);
        EXPECT_EQ(dialog->CopyrightEdit()->maxLength(), 256);
        EXPECT_EQ(dialog->PathEdit()->maxLength(), 256);
        // Browse: the chosen name in lower case with the default extension;
        // the folder stays as chosen.
        dialog->findChild<QPushButton*>("browse")->click();
        EXPECT_EQ(dialog->Path(), exe);
        dialog->TitleEdit()->setText("My colours");
        dialog->CopyrightEdit()->setText("(c) Me");
        dialog->findChild<QPushButton*>("compile")->click();
    });
    bar_->OnCommand(ID_LIB_COMPILE);

    EXPECT_EQ(warning, "WARNING : Do you hold the copyright on the 3 icons to compile ?");
    EXPECT_EQ(list.SelectedCount(), 3); // one selected: all compiled, all selected
    EXPECT_EQ(ExeFileName, exe);
    EXPECT_EQ(ExeTitle, "My colours");
    EXPECT_EQ(ExeCopyright, "(c) Me");
    EXPECT_TRUE(prompter_.shown.empty());
    const std::vector<std::uint8_t> written = ReadAll(exe);
    const auto library = BuildIconLibrary(list.Items());
    ASSERT_TRUE(library);
    const std::size_t stub = ViewerStub().size();
    ASSERT_EQ(written.size(), stub + 337 + library->size());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&written[stub])), "My colours");
    EXPECT_EQ(written[stub + 336], 0x23);
    EXPECT_TRUE(std::equal(library->begin(), library->end(), written.begin() + static_cast<long>(stub + 337)));

    // Two icons selected compile only those; No to the overwrite question
    // leaves the first file as it was.
    list.DeselectAll();
    list.SetSelected(0, true);
    list.SetSelected(2, true);
    prompter_.Answer(IDNO);
    int listed = 0;
    WhenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<CCompileDialog*>(modal);
        ASSERT_TRUE(dialog);
        listed = dialog->IconList().Count();
        EXPECT_EQ(dialog->Warning()->text().toStdString(),
                  "WARNING : Do you hold the copyright on the 2 icons to compile ?");
        EXPECT_EQ(dialog->Path(), exe);
        dialog->findChild<QPushButton*>("compile")->click();
    });
    bar_->OnCommand(ID_LIB_COMPILE);
    EXPECT_EQ(listed, 2);
    ASSERT_EQ(prompter_.shown.size(), 1u);
    EXPECT_NE(prompter_.shown[0].text.find("already exits"), std::string::npos);
    EXPECT_EQ(ReadAll(exe), written);
    EXPECT_EQ(list.SelectedCount(), 2);

    // Cancel changes no setting; an empty path is refused with string 92.
    WhenModal([](QWidget* modal) { modal->findChild<QPushButton*>("cancel")->click(); });
    ExeTitle = "kept";
    bar_->OnCommand(ID_LIB_COMPILE);
    EXPECT_EQ(ExeTitle, "kept");
    WhenModal([](QWidget* modal) {
        static_cast<CCompileDialog*>(modal)->PathEdit()->clear();
        modal->findChild<QPushButton*>("compile")->click();
    });
    bar_->OnCommand(ID_LIB_COMPILE);
    EXPECT_EQ(prompter_.shown.back().text, "The pathname of the EXE file to create is invalid.");
    EXPECT_EQ(ExeFileName, "");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(CompilePrintTest, PrintedImagesAreCompositedOnWhite)
{
    const CIconGroup icon = HalfClearIcon("Half");
    const QImage image = PrintedImage(*icon.GetFormat(1));
    ASSERT_EQ(image.size(), QSize(32, 32));
    for (int x = 0; x < 32; ++x) {
        EXPECT_EQ(image.pixel(x, 31), 0xFFFFFFFFu); // transparent: the paper
        EXPECT_NE(image.pixel(x, 0), 0xFFFFFFFFu);
    }

    // A PNG image keeps its alpha: blended over the paper, not cut at half.
    PngPixels pixels{3, 1, {0xFF0000FFu, 0x00000000u, 0x80000000u}};
    const std::vector<std::uint8_t> png = EncodePng(pixels);
    MemorySource source(png);
    CIcon packed;
    ASSERT_TRUE(packed.ReadImage(source, 0));
    const QImage blended = PrintedImage(packed);
    ASSERT_EQ(blended.size(), QSize(3, 1));
    EXPECT_EQ(blended.pixel(0, 0), 0xFF0000FFu);
    EXPECT_EQ(blended.pixel(1, 0), 0xFFFFFFFFu);
    EXPECT_EQ(blended.pixel(2, 0), 0xFF7F7F7Fu);
}

// 73 icons on Letter paper at 150 dpi: 8 columns, 9 rows, 2 pages.
TEST_F(CompilePrintTest, ALibraryOf73IconsPrintsToTwoPdfPagesWhereTheLayoutSays)
{
    if (!QPrinterInfo::availablePrinters().isEmpty())
        GTEST_SKIP() << "a printer is installed: Print would open its dialog";
    std::vector<CIconGroup> icons{HalfClearIcon("First")};
    for (int i = 1; i < 73; ++i)
        icons.push_back(test::MakeLibGroup("Icon " + std::to_string(i), static_cast<std::uint8_t>(i), 2));
    // A library window on them, printing with the application's printer.
    CLibDoc doc;
    doc.SetTitle("Many");
    doc.List().SetItems(icons);
    CLibView view(&doc);
    QPrinter printer(QPrinter::HighResolution);
    printer.setResolution(150);
    printer.setPageSize(QPageSize(QPageSize::Letter));
    printer.setFullPage(true);
    GridViewHooks hooks;
    hooks.printer = [&printer] { return &printer; };
    SetGridViewHooks(hooks);
    PathChooser chooser;
    const std::string pdf = tree_ / "many.pdf";
    chooser.answer = pdf;
    view.OnCommand(ID_FILE_PRINT);
    SetGridViewHooks({});
    ASSERT_EQ(chooser.asked.size(), 1u);
    EXPECT_EQ(chooser.asked[0], std::string(kPrintToPdfTitle) + "|" + kPrintToPdfFilter + "|Many.pdf");
    ASSERT_TRUE(fs::exists(pdf));

    std::string info;
    ASSERT_TRUE(test::RunCommand("pdfinfo '" + pdf + "'", &info)) << "poppler-utils missing";
    EXPECT_NE(info.find("Pages:           2"), std::string::npos) << info;
    ASSERT_TRUE(test::RunCommand("pdftoppm -r 150 -f 1 -l 1 -png '" + pdf + "' '" + (tree_ / "page") + "'"));
    QImage page(QString::fromStdString(tree_ / "page-1.png"));
    ASSERT_FALSE(page.isNull());
    page = page.convertToFormat(QImage::Format_RGB32);
    const PrintDevice device{page.width(), page.height(), 150, 150};
    ASSERT_EQ(page.size(), QSize(1275, 1650));

    PrintCatalogue catalogue{PrintSource::Library, "Many", &doc.List().Items(), 1, 2};
    const PrintPage layout = LayoutPrintPage(device, catalogue, 1);
    ASSERT_EQ(layout.cells.size(), 72u);
    auto inked = [&](const Rect& r) {
        int dark = 0;
        for (int y = std::max(r.top, 0); y < std::min(r.bottom, page.height()); ++y)
            for (int x = std::max(r.left, 0); x < std::min(r.right, page.width()); ++x)
                dark += qGray(page.pixel(x, y)) < 128;
        return dark;
    };
    // The title, the count line and both ends of the footer carry ink; the
    // margin between the count and the grid none.
    EXPECT_GT(inked(layout.texts[0].rect), 20);
    EXPECT_GT(inked(layout.texts[1].rect), 20);
    const Rect footer = layout.texts[2].rect;
    EXPECT_GT(inked({footer.left, footer.top, footer.left + footer.width() / 3, footer.bottom}), 20);
    EXPECT_GT(inked({footer.right - footer.width() / 8, footer.top, footer.right, footer.bottom}), 20);
    const Rect firstCell = layout.cells[0].cell;
    EXPECT_EQ(inked({0, layout.texts[1].rect.bottom + 5, page.width(), firstCell.top}), 0);

    // The first icon, enlarged by a whole factor, pixel for pixel in its cell.
    const QImage expected = PrintedImage(*icons[0].GetFormat(1));
    const Rect at = WholeFactorRect(layout.cells[0].imageRect, 32, 32);
    ASSERT_EQ(at.width() % 32, 0);
    const int factor = at.width() / 32;
    int wrong = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const QRgb want = expected.pixel(x, y);
            const QRgb got = page.pixel(at.left + x * factor + factor / 2, at.top + y * factor + factor / 2);
            wrong += std::abs(qRed(want) - qRed(got)) > 8 || std::abs(qGreen(want) - qGreen(got)) > 8 ||
                     std::abs(qBlue(want) - qBlue(got)) > 8;
        }
    EXPECT_EQ(wrong, 0);
    // Its name under it.
    EXPECT_GT(inked(layout.cells[0].line1.rect), 5);

    // The preview lays out the same two pages.
    int previewPages = 0;
    WhenModal([&](QWidget* modal) {
        if (auto* widget = modal->findChild<QPrintPreviewWidget*>()) {
            QApplication::processEvents();
            previewPages = widget->pageCount();
        }
        modal->close();
    });
    view.OnCommand(ID_FILE_PRINT_PREVIEW);
    EXPECT_EQ(previewPages, 2);
}

// The librarian prints a library through its own window: the window is
// opened with Print or Print Preview to post to itself; an empty library is
// refused with a message.
TEST_F(CompilePrintTest, TheLibrarianPrintsALibraryThroughItsWindow)
{
    ShowLibrary("Tools", {test::MakeLibGroup("Saw", 3, 1)});
    std::vector<std::pair<std::string, std::uint16_t>> opened;
    LibraryBarHooks hooks;
    CCmdUI ui;
    ui.id = ID_LIB_PRINT;
    bar_->OnUpdateCommand(ui);
    EXPECT_FALSE(ui.enabled); // nothing can open the window
    hooks.openLibraryWindow = [&opened](const std::string& path, std::uint16_t post) {
        opened.push_back({path, post});
    };
    bar_->SetHooks(hooks);
    ui = {};
    ui.id = ID_LIB_PRINT_PREVIEW;
    bar_->OnUpdateCommand(ui);
    EXPECT_TRUE(ui.enabled);
    bar_->OnCommand(ID_LIB_PRINT);
    bar_->OnCommand(ID_LIB_PRINT_PREVIEW);
    bar_->OnCommand(ID_LIB_OPEN_LIBRARY);
    const std::string path = tree_ / "lib/Tools.icl";
    EXPECT_EQ(opened, (std::vector<std::pair<std::string, std::uint16_t>>{
                          {path, ID_FILE_PRINT}, {path, ID_FILE_PRINT_PREVIEW}, {path, 0}}));
    EXPECT_TRUE(prompter_.shown.empty());

    bar_->Librarian().List().SelectAll();
    bar_->Librarian().DeleteSelectedIcons();
    opened.clear();
    bar_->OnCommand(ID_LIB_PRINT);
    EXPECT_TRUE(opened.empty());
    ASSERT_EQ(prompter_.shown.size(), 1u);
    EXPECT_EQ(prompter_.shown[0].text, "The library doesn't contains icons.");
}

// F4 in a library window's grid opens the compile dialog on the window's
// icons once the key is handled; a program-file window has no Compile.
TEST_F(CompilePrintTest, F4InALibraryWindowOpensTheCompileDialog)
{
    CLibDoc doc;
    doc.SetTitle("Tools");
    doc.List().SetItems({test::MakeLibGroup("Saw", 3, 1), test::MakeLibGroup("Axe", 4, 1)});
    CLibView view(&doc);
    view.show();
    QString title;
    int icons = 0;
    WhenModal([&](QWidget* modal) {
        title = modal->windowTitle();
        if (auto* dialog = dynamic_cast<CCompileDialog*>(modal))
            icons = dialog->IconList().Count();
        modal->close();
    });
    QTest::keyClick(view.ListBox(), Qt::Key_F4);
    EXPECT_TRUE(title.isEmpty()); // posted, not yet open
    for (int i = 0; i < 100 && title.isEmpty(); ++i)
        QTest::qWait(10);
    EXPECT_EQ(title.toStdString(), kCompileDialogTitle);
    EXPECT_EQ(icons, 2);
    EXPECT_EQ(doc.List().SelectedCount(), 2); // one selected compiles all

    CFileDoc program;
    program.List().SetItems({test::MakeLibGroup("", 3, 1)});
    CFileView programView(&program);
    programView.show();
    QTest::keyClick(programView.ListBox(), Qt::Key_F4);
    QTest::qWait(50);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace
} // namespace kavrel
