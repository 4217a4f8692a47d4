// The librarian bar as a widget: the tree and the icons of a library made by
// kavrel-cli, the tree's lazy listing and keys, icons dropped on a library
// of the tree, and, in the running program, F3 in an editor and the
// question at exit.
#include "librarian/ui/library_bar.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidgetItem>
#include <filesystem>
#include <memory>

#include "document/icon_document.h"
#include "librarian/bar_dialogs.h"
#include "librarian/librarian_fixtures.h"
#include "librarian/settings_librarian.h"
#include "librarian/ui/icon_list_box.h"
#include "librarian/ui/lib_tree_ctrl.h"
#include "model/icl_file.h"
#include "model/ico_file.h"
#include "platform/prompter.h"
#include "platform/registry.h"
#include "resources/command_ids.h"
#include "shell/app.h"
#include "shell/core/settings.h"
#include "shell/framework/child_frame.h"
#include "shell/framework/command_router.h"
#include "shell/main_frame.h"
#include "support/external_tools.h"
#include "support/qt_app.h"
#include "support/scripted_prompter.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;
using test::CountingBeeper;
using test::LibraryNames;
using test::MakeLibGroup;
using test::TempTree;

// Answers the bar's dialogs from a script and notes what they were asked.
class ScriptedDialogs final : public LibrarianDialogs {
  public:
    ScriptedDialogs() { SetBarDialogs(this); }
    ~ScriptedDialogs() override { SetBarDialogs(nullptr); }
    bool ConfirmDeleteIcons(const std::vector<std::string>& names) override
    {
        asked.push_back("icons:" + std::to_string(names.size()));
        return confirm;
    }
    bool ConfirmDeleteLibrary(const std::string& label, const std::vector<std::string>& names) override
    {
        asked.push_back("delete " + label + ":" + std::to_string(names.size()));
        return confirm;
    }
    bool ConfirmDeleteFolder(const std::string& name) override
    {
        asked.push_back("folder:" + name);
        return confirm;
    }
    std::optional<std::string> RenameLibrary(const std::string& label) override
    {
        asked.push_back("library:" + label);
        return newName;
    }
    std::optional<std::string> RenameIcons(const std::vector<std::string>& names) override
    {
        asked.push_back("icons:" + std::to_string(names.size()));
        return newName;
    }
    bool confirm = true;
    std::optional<std::string> newName;
    std::vector<std::string> asked;
};

// Answers file dialogs from a script and notes their titles.
class ScriptedChooser final : public FileChooser {
  public:
    ScriptedChooser() : saved_(&Chooser()) { SetFileChooser(this); }
    ~ScriptedChooser() override { SetFileChooser(saved_); }
    std::vector<std::string> ChooseOpen(const std::string& title, const std::string&, bool) override
    {
        titles.push_back(title);
        return open;
    }
    std::string ChooseSave(const std::string& title, const std::string&, const std::string& suggested) override
    {
        titles.push_back(title);
        suggestions.push_back(suggested);
        return save;
    }
    std::vector<std::string> open;
    std::string save;
    std::vector<std::string> titles, suggestions;

  private:
    FileChooser* saved_;
};

bool Enabled(CLibraryBar& bar, std::uint16_t id)
{
    CCmdUI ui;
    ui.id = id;
    return bar.OnUpdateCommand(ui) && ui.enabled;
}

bool Checked(CLibraryBar& bar, std::uint16_t id)
{
    CCmdUI ui;
    ui.id = id;
    bar.OnUpdateCommand(ui);
    return ui.checked;
}

// Writes ICO files of made-up icons and turns them into a library with the
// command-line tool, as a user would.
void MakeLibraryWithCli(const std::string& dir, const std::string& library, const std::vector<std::string>& stems)
{
    std::string command = std::string(KAVREL_CLI_PATH) + " to-icl '" + library + "'";
    std::uint8_t seed = 10;
    for (const std::string& stem : stems) {
        const std::string ico = dir + "/" + stem + ".ico";
        ASSERT_TRUE(MakeLibGroup("", seed, 2).SaveAsIco(ico));
        seed = static_cast<std::uint8_t>(seed + 20);
        command += " '" + ico + "'";
    }
    ASSERT_TRUE(test::RunCommand(command)) << command;
}

std::vector<std::string> Labels(QTreeWidgetItem* item)
{
    std::vector<std::string> out;
    for (int i = 0; i < item->childCount(); ++i)
        out.push_back(item->child(i)->text(0).toStdString());
    return out;
}

std::vector<std::string> ListNames(const CIconList& list)
{
    std::vector<std::string> out;
    for (const CIconGroup& icon : list.Items())
        out.push_back(icon.name);
    return out;
}

class LibraryBarTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::EnsureQApplication(); }
    void SetUp() override
    {
        ResetSettings();
        fs::create_directories(tree_ / "src");
        fs::create_directories(tree_ / "lib/Sub");
        MakeLibraryWithCli(tree_ / "src", tree_ / "lib/Colours.icl", {"red", "green", "blue"});
        MakeLibraryWithCli(tree_ / "src", tree_ / "lib/Sub/Few.icl", {"navy", "teal"});
        bar_ = std::make_unique<CLibraryBar>(tree_ / "lib");
        bar_->Librarian().SetClock([this] { return now_; });
        bar_->resize(600, 300);
        bar_->show();
        QApplication::processEvents();
    }
    void TearDown() override
    {
        bar_.reset();
        ResetSettings();
    }

    CLibTreeCtrl& Tree() { return *bar_->Tree(); }
    QTreeWidgetItem* Item(const std::string& rel) { return Tree().FindItem(tree_ / rel); }
    // Lets the debounce see the selection and then load it.
    void Settle()
    {
        bar_->TimerStep();
        now_ += 300;
        bar_->TimerStep();
    }
    void Show(const std::string& rel)
    {
        Tree().expandItem(Tree().RootItem());
        if (QTreeWidgetItem* parent = Item(ParentPath(rel)))
            Tree().expandItem(parent);
        Tree().setCurrentItem(Item(rel));
        Settle();
    }
    void Key(QWidget* w, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(w, key, mods);
        QApplication::processEvents();
    }

    TempTree tree_;
    std::int64_t now_ = 1000;
    std::unique_ptr<CLibraryBar> bar_;
    CountingBeeper beeper_;
    test::ScriptedPrompter prompter_;
};

TEST_F(LibraryBarTest, ShowsTheTreeAndTheIconsOfALibraryMadeByTheCli)
{
    EXPECT_TRUE(bar_->Horizontal()); // wider than tall: tree left of the list
    EXPECT_LT(Tree().geometry().right(), bar_->ListBox()->geometry().left());
    QTreeWidgetItem* root = Tree().RootItem();
    EXPECT_EQ(root->text(0).toStdString(), "Librarian");
    EXPECT_EQ(root->childCount(), 1); // the placeholder until expanded
    Tree().expandItem(root);
    EXPECT_EQ(Labels(root), (std::vector<std::string>{"Colours", "Sub"}));
    EXPECT_EQ(Item("lib/Sub")->childCount(), 1); // Few.icl waits behind a placeholder

    Show("lib/Colours.icl");
    const CIconList& list = bar_->Librarian().List();
    EXPECT_EQ(ListNames(list), (std::vector<std::string>{"Red", "Green", "Blue"}));
    EXPECT_EQ(list.FirstSelected(), 0);
    EXPECT_EQ(list.CountText(), "3 icons");
    // The grid paints the icons: its picture is not a blank window.
    const QImage shot = bar_->ListBox()->viewport()->grab().toImage();
    std::set<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 2)
        for (int x = 0; x < shot.width(); x += 2)
            colours.insert(shot.pixel(x, y));
    EXPECT_GT(colours.size(), 10u);

    // A tall bar puts the tree above the list, the split clamped to 25 from the edge.
    ORVBankSeparatorH = 5000;
    bar_->resize(250, 600);
    QApplication::processEvents();
    EXPECT_FALSE(bar_->Horizontal());
    EXPECT_LT(Tree().geometry().bottom(), bar_->ListBox()->geometry().top());
    EXPECT_EQ(ORVBankSeparatorH, bar_->widget()->height() - 25);
}

TEST_F(LibraryBarTest, IconsDroppedOnALibraryOfTheTreeLandAtItsBeginning)
{
    Show("lib/Colours.icl");
    Tree().expandItem(Item("lib/Sub"));
    CLibrarian& lib = bar_->Librarian();
    lib.List().SelectOnly(1); // Green
    std::unique_ptr<QMimeData> mime(CIconListBox::MimeOf(lib.DragPayload()));

    // A move: written at the start of Few.icl, gone from the shown list.
    EXPECT_EQ(Tree().DropMime(mime.get(), Item("lib/Sub/Few.icl"), false), Qt::CopyAction);
    EXPECT_EQ(LibraryNames(tree_ / "lib/Sub/Few.icl"), (std::vector<std::string>{"Green", "Navy", "Teal"}));
    EXPECT_EQ(ListNames(lib.List()), (std::vector<std::string>{"Red", "Blue"}));
    EXPECT_TRUE(lib.Modified());
    EXPECT_EQ(lib.List().FirstSelected(), 1);

    // With Ctrl a copy: the list keeps its icons.
    lib.List().SelectOnly(0);
    mime.reset(CIconListBox::MimeOf(lib.DragPayload()));
    EXPECT_EQ(Tree().DropMime(mime.get(), Item("lib/Sub/Few.icl"), true), Qt::CopyAction);
    EXPECT_EQ(LibraryNames(tree_ / "lib/Sub/Few.icl"), (std::vector<std::string>{"Red", "Green", "Navy", "Teal"}));
    EXPECT_EQ(lib.List().Count(), 2);
    EXPECT_EQ(beeper_.beeps, 0);

    // On the library they came from, and on a folder: refused with a beep.
    EXPECT_EQ(Tree().DropMime(mime.get(), Item("lib/Colours.icl"), false), Qt::IgnoreAction);
    EXPECT_EQ(Tree().DropMime(mime.get(), Item("lib/Sub"), false), Qt::IgnoreAction);
    EXPECT_EQ(beeper_.beeps, 2);
    EXPECT_EQ(lib.List().Count(), 2);
    EXPECT_EQ(LibraryNames(tree_ / "lib/Colours.icl").size(), 3u); // not saved yet
}

TEST_F(LibraryBarTest, ClicksAndArrowsSelectInTheGrid)
{
    Show("lib/Colours.icl");
    CIconListBox* box = bar_->ListBox();
    CIconList& list = bar_->Librarian().List();
    const int h = box->viewport()->height();
    auto at = [&](int i) {
        const Rect r = list.ItemRect(i, h, box->ScrollX());
        return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    };
    QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, at(2));
    EXPECT_EQ(list.Selection(), std::vector<int>{2});
    QTest::mouseClick(box->viewport(), Qt::LeftButton, Qt::ControlModifier, at(0));
    EXPECT_EQ(list.Selection(), (std::vector<int>{0, 2}));
    // A plain click on a selected icon keeps the selection for a drag until
    // the button comes up, then selects that icon alone.
    QTest::mousePress(box->viewport(), Qt::LeftButton, {}, at(2));
    EXPECT_EQ(list.Selection(), (std::vector<int>{0, 2}));
    QTest::mouseRelease(box->viewport(), Qt::LeftButton, {}, at(2));
    EXPECT_EQ(list.Selection(), std::vector<int>{2});
    QTest::mouseClick(box->viewport(), Qt::LeftButton, Qt::ShiftModifier, at(0));
    EXPECT_EQ(list.Selection(), (std::vector<int>{0, 1, 2}));
    Key(box, Qt::Key_Down); // from the icon clicked last
    EXPECT_EQ(list.Selection(), std::vector<int>{1});
    Key(box, Qt::Key_End);
    EXPECT_EQ(list.Selection(), std::vector<int>{2});
    EXPECT_EQ(list.SelectedText(), "1 selected");
}

TEST_F(LibraryBarTest, IconsDroppedOnTheListGoToTheDropIndex)
{
    Show("lib/Colours.icl");
    CLibrarian& lib = bar_->Librarian();
    // Icons of another list (a program file) are copied and named after it.
    IconPayload payload;
    payload.kind = IconSourceKind::ProgramFile;
    payload.sourceKey = "/x/Shell32.dll";
    payload.title = "Shell32.dll";
    payload.indices = {4};
    payload.icons.push_back(MakeLibGroup("", 3));
    std::unique_ptr<QMimeData> mime(CIconListBox::MimeOf(payload));
    ASSERT_TRUE(CIconListBox::PayloadOf(mime.get()));
    Qt::DropAction action = Qt::IgnoreAction;
    emit bar_->ListBox()->iconsDropped(*CIconListBox::PayloadOf(mime.get()), 1, false, &action);
    EXPECT_EQ(action, Qt::CopyAction);
    EXPECT_EQ(ListNames(lib.List()), (std::vector<std::string>{"Red", "Shell32", "Green", "Blue"}));
    EXPECT_EQ(lib.List().Selection(), std::vector<int>{1});

    // A move inside the list takes the original out itself and tells the drag so.
    lib.List().SelectOnly(0);
    emit bar_->ListBox()->iconsDropped(lib.DragPayload(), 4, false, &action);
    EXPECT_EQ(action, Qt::CopyAction);
    EXPECT_EQ(ListNames(lib.List()), (std::vector<std::string>{"Shell32", "Green", "Blue", "Red"}));
}

TEST_F(LibraryBarTest, ExpandingListsTheDiskAndNewItemsAreNamedInPlace)
{
    // A folder whose only content is an empty folder still has something to show.
    fs::create_directories(tree_ / "lib/Only/Empty");
    Tree().expandItem(Tree().RootItem());
    QTreeWidgetItem* only = Item("lib/Only");
    ASSERT_TRUE(only);
    EXPECT_EQ(only->childCount(), 1);
    Tree().expandItem(only);
    EXPECT_EQ(Labels(only), std::vector<std::string>{"Empty"});
    EXPECT_EQ(Item("lib/Only/Empty")->childCount(), 0); // nothing below: no button
    // Collapse and expand read the disk again.
    fs::create_directories(tree_ / "lib/Only/Later");
    Tree().collapseItem(only);
    EXPECT_EQ(only->childCount(), 1);
    EXPECT_TRUE(CLibTreeCtrl::IsPlaceholder(only->child(0)));
    Tree().expandItem(only);
    EXPECT_EQ(Labels(only), (std::vector<std::string>{"Empty", "Later"}));
    // Expanding an empty folder does not happen.
    Tree().expandItem(Item("lib/Only/Empty"));
    EXPECT_FALSE(Item("lib/Only/Empty")->isExpanded());

    // Insert in the tree makes a library, not a folder, named in place.
    Tree().setCurrentItem(only);
    Tree().setFocus();
    Key(&Tree(), Qt::Key_Insert);
    ASSERT_TRUE(Tree().IsNamingNewItem());
    QTreeWidgetItem* fresh = Tree().currentItem();
    EXPECT_EQ(fresh->parent(), only);
    EXPECT_EQ(fresh->text(0).toStdString(), "New library");
    auto* editor = QApplication::focusWidget();
    ASSERT_TRUE(editor);
    QTest::keyClicks(editor, "Arrows");
    Key(editor, Qt::Key_Return);
    EXPECT_FALSE(Tree().IsNamingNewItem());
    EXPECT_EQ(fresh->text(0).toStdString(), "Arrows");
    EXPECT_EQ(bar_->Librarian().PendingNewLibrary(), tree_ / "lib/Only/Arrows.icl");
    Settle(); // its first load writes it
    EXPECT_TRUE(fs::exists(tree_ / "lib/Only/Arrows.icl"));

    // A new folder cancelled with Esc goes again, with a beep.
    bar_->OnCommand(ID_LIB_NEW_FOLDER);
    ASSERT_TRUE(Tree().IsNamingNewItem());
    Key(QApplication::focusWidget(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(beeper_.beeps, 1);
    EXPECT_EQ(Labels(only), (std::vector<std::string>{"Arrows", "Empty", "Later"}));
}

TEST_F(LibraryBarTest, InPlaceRenames)
{
    Tree().expandItem(Tree().RootItem());
    Tree().setCurrentItem(Item("lib/Sub"));
    Tree().setFocus();
    auto rename = [this](const char* text) {
        Key(&Tree(), Qt::Key_F2);
        QWidget* editor = QApplication::focusWidget();
        ASSERT_NE(editor, &Tree());
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, text);
        Key(editor, Qt::Key_Return);
    };
    rename("Shelf");
    EXPECT_TRUE(fs::is_directory(tree_ / "lib/Shelf"));
    EXPECT_EQ(Tree().currentItem()->text(0).toStdString(), "Shelf");
    EXPECT_EQ(Tree().SelectedEntry().path, tree_ / "lib/Shelf");
    // A blank name or one in use: refused with a beep, the label stays.
    rename(" ");
    fs::create_directories(tree_ / "lib/Taken");
    rename("Taken");
    EXPECT_EQ(beeper_.beeps, 2);
    EXPECT_EQ(Tree().currentItem()->text(0).toStdString(), "Shelf");
    EXPECT_TRUE(fs::exists(tree_ / "lib/Shelf/Few.icl"));
}

TEST_F(LibraryBarTest, TreeItemsDraggedOntoFoldersMove)
{
    Show("lib/Colours.icl");
    auto dragOf = [this](const std::string& rel) {
        auto* mime = new QMimeData;
        mime->setData(QString::fromLatin1(kTreeItemMimeType), QString::fromStdString(tree_ / rel).toUtf8());
        return std::unique_ptr<QMimeData>(mime);
    };
    // The shown library into Sub: the file moves, the tree follows, the list keeps showing it.
    EXPECT_EQ(Tree().DropMime(dragOf("lib/Colours.icl").get(), Item("lib/Sub"), false), Qt::MoveAction);
    EXPECT_TRUE(fs::exists(tree_ / "lib/Sub/Colours.icl"));
    EXPECT_EQ(Labels(Tree().RootItem()), std::vector<std::string>{"Sub"});
    EXPECT_EQ(Labels(Item("lib/Sub")), (std::vector<std::string>{"Colours", "Few"}));
    EXPECT_EQ(Tree().currentItem(), Item("lib/Sub/Colours.icl"));
    EXPECT_EQ(bar_->Librarian().ShownPath(), tree_ / "lib/Sub/Colours.icl");

    // A folder into itself, or a library onto a library: refused with a beep, nothing moves.
    EXPECT_EQ(Tree().DropMime(dragOf("lib/Sub").get(), Item("lib/Sub"), false), Qt::IgnoreAction);
    EXPECT_EQ(Tree().DropMime(dragOf("lib/Sub/Few.icl").get(), Item("lib/Sub/Colours.icl"), false), Qt::IgnoreAction);
    EXPECT_EQ(beeper_.beeps, 2);
    EXPECT_TRUE(fs::exists(tree_ / "lib/Sub/Few.icl"));
}

TEST_F(LibraryBarTest, KeysOfTheTreeAndTheList)
{
    ScriptedDialogs dialogs;
    std::vector<std::uint16_t> issued;
    QObject::connect(bar_.get(), &CLibraryBar::commandIssued, [&](std::uint16_t id) { issued.push_back(id); });
    Show("lib/Colours.icl");
    Tree().setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(bar_->ListHasFocus());

    // F4 compiles (its dialog cancelled here), F6 renames the library through its box.
    QTimer::singleShot(0, [] {
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });
    Key(&Tree(), Qt::Key_F4);
    bar_->activateWindow();
    Tree().setFocus();
    QApplication::processEvents();
    dialogs.newName = "Paints";
    Key(&Tree(), Qt::Key_F6);
    EXPECT_EQ(issued, (std::vector<std::uint16_t>{ID_LIB_COMPILE, ID_LIB_RENAME}));
    EXPECT_EQ(dialogs.asked, std::vector<std::string>{"library:Colours"});
    EXPECT_TRUE(fs::exists(tree_ / "lib/Paints.icl"));
    EXPECT_EQ(Tree().currentItem()->text(0).toStdString(), "Paints");
    EXPECT_EQ(bar_->Librarian().ShownPath(), tree_ / "lib/Paints.icl");

    // Delete on the root is refused with its message.
    Tree().setCurrentItem(Tree().RootItem());
    Key(&Tree(), Qt::Key_Delete);
    ASSERT_EQ(prompter_.shown.size(), 1u);
    EXPECT_EQ(prompter_.shown[0].text, "You can't remove the root folder.");

    // Tab to the list; there F6 renames the selected icons, Ctrl+A selects all first.
    Tree().setCurrentItem(Item("lib/Paints.icl"));
    Settle();
    Key(&Tree(), Qt::Key_Tab);
    EXPECT_TRUE(bar_->ListHasFocus());
    CIconListBox* list = bar_->ListBox();
    Key(list, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(bar_->Librarian().List().SelectedCount(), 3);
    dialogs.newName = "Icons";
    Key(list, Qt::Key_F6);
    EXPECT_EQ(ListNames(bar_->Librarian().List()), (std::vector<std::string>{"Icons 1", "Icons 2", "Icons 3"}));
    // Delete asks, then removes them; the library holds changes.
    Key(list, Qt::Key_Delete);
    EXPECT_EQ(dialogs.asked.back(), "icons:3");
    EXPECT_TRUE(bar_->Librarian().List().empty());
    EXPECT_TRUE(bar_->Librarian().Modified());
    // Esc hides the bar.
    Key(list, Qt::Key_Escape);
    EXPECT_FALSE(bar_->isVisible());
}

TEST_F(LibraryBarTest, CommandsAreEnabledByTheFocusedPaneAndTheSelection)
{
    Show("lib/Colours.icl");
    CIconList& list = bar_->Librarian().List();
    bar_->ListBox()->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(bar_->ListHasFocus());
    EXPECT_TRUE(Enabled(*bar_, ID_LIB_DELETE));
    EXPECT_TRUE(Enabled(*bar_, ID_LIB_SAVE_AS_ICO));
    list.SelectAll();
    EXPECT_FALSE(Enabled(*bar_, ID_LIB_SAVE_AS_ICO)); // exactly one
    EXPECT_TRUE(Enabled(*bar_, ID_LIB_EXPORT_ICL));
    list.DeselectAll();
    EXPECT_FALSE(Enabled(*bar_, ID_LIB_DELETE));
    EXPECT_FALSE(Enabled(*bar_, ID_LIB_OPEN_ICON));
    EXPECT_FALSE(Enabled(*bar_, ID_LIB_SAVE)); // nothing changed yet
    // Open library and Print go through a library window, which this bar
    // has no hook to open; Compile takes the shown list.
    EXPECT_FALSE(Enabled(*bar_, ID_LIB_OPEN_LIBRARY));
    EXPECT_FALSE(Enabled(*bar_, ID_LIB_PRINT));
    EXPECT_TRUE(Enabled(*bar_, ID_LIB_COMPILE));
    // In the tree: a library or a folder, never the root.
    Tree().setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(Enabled(*bar_, ID_LIB_DELETE));
    Tree().setCurrentItem(Tree().RootItem());
    EXPECT_FALSE(Enabled(*bar_, ID_LIB_RENAME));
    EXPECT_TRUE(Enabled(*bar_, ID_LIB_NEW_FOLDER));
    // A hidden bar takes none of the forwarded commands, but can be shown again.
    bar_->hide();
    EXPECT_FALSE(Enabled(*bar_, ID_LIB_NEW_FOLDER));
    EXPECT_TRUE(Enabled(*bar_, ID_VIEW_LIBRARIAN));
    EXPECT_FALSE(Checked(*bar_, ID_VIEW_LIBRARIAN));
    bar_->OnCommand(ID_VIEW_LIBRARIAN);
    EXPECT_TRUE(bar_->isVisible());
}

TEST_F(LibraryBarTest, DisplayOptionsChangeTheCellsAndAreStored)
{
    Show("lib/Colours.icl");
    const CIconList& list = bar_->Librarian().List();
    EXPECT_TRUE(Checked(*bar_, ID_LIB_SHOW_32));
    bar_->OnCommand(ID_LIB_SHOW_16);
    bar_->OnCommand(ID_LIB_SHOW_INFOS);
    EXPECT_EQ(list.ItemSizeNow(), (ItemSize{26, 22}));
    EXPECT_EQ(LibBarTailleAffiche, 0);
    EXPECT_EQ(LibBarAfficheInfos, 0);
    EXPECT_TRUE(Checked(*bar_, ID_LIB_SHOW_16));
    EXPECT_FALSE(Checked(*bar_, ID_LIB_SHOW_INFOS));
    bar_->OnCommand(ID_LIB_SHOW_MONO);
    EXPECT_EQ(LibBarColorAffiche, 0);
    EXPECT_TRUE(Checked(*bar_, ID_LIB_SHOW_MONO));
    EXPECT_EQ(list.FirstSelected(), 0); // the selection stays
    // The toolbar buttons follow.
    for (QAction* action : bar_->IconToolBar()->actions()) {
        if (action->data().toUInt() == ID_LIB_SHOW_16) {
            EXPECT_TRUE(action->isChecked());
        }
    }
}

TEST_F(LibraryBarTest, SaveAsIcoAndExportWriteTheSelectedIcons)
{
    Show("lib/Colours.icl");
    ScriptedChooser chooser;
    CIconList& list = bar_->Librarian().List();
    list.SelectOnly(1);
    chooser.save = tree_ / "out/green";
    fs::create_directories(tree_ / "out");
    bar_->OnCommand(ID_LIB_SAVE_AS_ICO);
    EXPECT_EQ(chooser.titles.back(), "Save the selected icon as an ICO file");
    EXPECT_EQ(chooser.suggestions.back(), "Green.ico");
    std::vector<CIconGroup> read;
    EXPECT_EQ(LoadIconsFromFile(read, tree_ / "out/green.ico"), 1); // the extension added
    EXPECT_EQ(read[0].FormatCount(), 2);

    list.SelectOnly(2);
    list.SetSelected(0, true);
    chooser.save = tree_ / "out/two.icl";
    bar_->OnCommand(ID_LIB_EXPORT_ICL);
    EXPECT_EQ(chooser.titles.back(), "Export the 2 selected icons to ...");
    EXPECT_EQ(LibraryNames(tree_ / "out/two.icl"), (std::vector<std::string>{"Red", "Blue"}));
    // Cancelled: nothing written.
    chooser.save.clear();
    bar_->OnCommand(ID_LIB_EXPORT_ICL);
    EXPECT_EQ(std::distance(fs::directory_iterator(tree_ / "out"), fs::directory_iterator()), 2);
}

TEST_F(LibraryBarTest, DeletingLibrariesAndFoldersAsksFirst)
{
    ScriptedDialogs dialogs;
    WriteIconLibrary(tree_ / "lib/Empty.icl", {});
    Show("lib/Colours.icl");
    Tree().expandItem(Item("lib/Sub"));
    Tree().setFocus();
    QApplication::processEvents();

    // A library with icons is confirmed; declined, it stays.
    dialogs.confirm = false;
    bar_->OnCommand(ID_LIB_DELETE);
    EXPECT_EQ(dialogs.asked, std::vector<std::string>{"delete Colours:3"});
    EXPECT_TRUE(fs::exists(tree_ / "lib/Colours.icl"));
    // An empty library goes without a question; its next sibling is selected.
    Tree().setCurrentItem(Item("lib/Empty.icl"));
    bar_->OnCommand(ID_LIB_DELETE);
    EXPECT_FALSE(fs::exists(tree_ / "lib/Empty.icl"));
    EXPECT_EQ(Tree().currentItem(), Item("lib/Sub"));
    // A folder: asked, then removed with what it holds.
    bar_->OnCommand(ID_LIB_DELETE);
    EXPECT_EQ(dialogs.asked.back(), "folder:Sub");
    EXPECT_TRUE(fs::exists(tree_ / "lib/Sub"));
    dialogs.confirm = true;
    bar_->OnCommand(ID_LIB_DELETE);
    EXPECT_FALSE(fs::exists(tree_ / "lib/Sub"));
    EXPECT_EQ(Labels(Tree().RootItem()), std::vector<std::string>{"Colours"});
}

TEST_F(LibraryBarTest, TheSplitIsClampedAndTheFloatingSizeKept)
{
    ORVBankSeparatorV = 3;
    bar_->resize(500, 200);
    QApplication::processEvents();
    EXPECT_TRUE(bar_->Horizontal());
    EXPECT_EQ(ORVBankSeparatorV, 25);
    ORVBankSeparatorV = 300;
    bar_->resize(520, 210);
    QApplication::processEvents();
    EXPECT_EQ(ORVBankSeparatorV, 300);
    EXPECT_GT(bar_->ListBox()->geometry().left(), 300);
    // A floating bar's size is what it was last given.
    EXPECT_TRUE(bar_->isFloating());
    EXPECT_EQ(LibBarFloatSizeH, 520);
    EXPECT_EQ(LibBarFloatSizeV, 210);
}

TEST_F(LibraryBarTest, DockedSizesFollowTheSettingsAndAreKept)
{
    bar_.reset();
    LibBarSizeH = 240;
    LibBarSizeV = 170;
    QMainWindow frame;
    frame.setCentralWidget(new QWidget);
    frame.resize(1000, 700);
    auto* bar = new CLibraryBar(tree_ / "lib", &frame);
    frame.addDockWidget(Qt::LeftDockWidgetArea, bar);
    frame.resizeDocks({bar}, {LibBarSizeH}, Qt::Horizontal);
    frame.show();
    QApplication::processEvents();
    EXPECT_EQ(bar->width(), 240);
    EXPECT_FALSE(bar->Horizontal()); // a bar docked at the side is tall
    // The user drags its edge: the new width is kept.
    frame.resizeDocks({bar}, {300}, Qt::Horizontal);
    QApplication::processEvents();
    EXPECT_EQ(LibBarSizeH, 300);
    // Moved to the bottom it takes the stored height; the width stays stored.
    frame.addDockWidget(Qt::BottomDockWidgetArea, bar);
    QTRY_COMPARE_WITH_TIMEOUT(bar->height(), 170, 1000);
    EXPECT_TRUE(bar->Horizontal());
    EXPECT_EQ(LibBarSizeH, 300);
}

// ---- in the running program ----

class LibrarianAppTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::EnsureQApplication(); }
    void SetUp() override
    {
        setenv("KAVREL_LIBRARIAN", (tree_ / "lib").c_str(), 1);
        Registry::Instance().clear();
        ResetSettings();
        fs::create_directories(tree_ / "src");
        fs::create_directories(tree_ / "lib");
        MakeLibraryWithCli(tree_ / "src", tree_ / "lib/Colours.icl", {"red", "green"});
        const std::string prefs = std::string(kApplicationKey) + "\\prefs";
        Registry::Instance().setDword(RegHive::CurrentUser, prefs, "ShowBienvenue", 0);
        Registry::Instance().setDword(RegHive::CurrentUser, prefs, "ShowWarnTypes", 0);
        Registry::Instance().setString(RegHive::CurrentUser, std::string(kApplicationKey) + "\\paths", "BankPathName",
                                       tree_ / "lib/COLOURS.icl");
    }
    void TearDown() override
    {
        app_.reset();
        Registry::Instance().clear();
        ResetSettings();
        unsetenv("KAVREL_LIBRARIAN");
    }
    CKavrelApp& Start()
    {
        app_ = std::make_unique<CKavrelApp>(QStringList{QStringLiteral("kavrel")});
        EXPECT_TRUE(app_->InitInstance());
        app_->MainFrame()->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(app_->MainFrame(), 2000));
        return *app_;
    }

    TempTree tree_;
    std::unique_ptr<CKavrelApp> app_;
};

TEST_F(LibrarianAppTest, F3AddsTheEditorsIconAndExitSavesAfterTheQuestion)
{
    Start();
    CLibraryBar* bar = CLibraryBar::Instance();
    ASSERT_TRUE(bar);
    EXPECT_EQ(app_->MainFrame()->dockWidgetArea(bar), Qt::LeftDockWidgetArea);
    // The remembered library (found whatever its case) is shown.
    EXPECT_EQ(bar->Tree()->currentItem()->text(0).toStdString(), "Colours");
    QTest::qWait(300);
    QTRY_VERIFY_WITH_TIMEOUT(bar->Librarian().Loaded(), 2000);
    EXPECT_EQ(bar->Librarian().List().Count(), 2);

    // The new icon of start-up goes to the library with F3.
    auto* frame = app_->MainFrame()->ActiveFrame();
    ASSERT_TRUE(frame);
    static_cast<CIconDocument*>(frame->Document())->SetName("Drawn");
    frame->View()->setFocus();
    QTest::keyClick(app_->MainFrame(), Qt::Key_F3);
    QApplication::processEvents();
    ASSERT_EQ(bar->Librarian().List().Count(), 3);
    EXPECT_EQ(bar->Librarian().List().Item(2).name, "Drawn");
    EXPECT_EQ(bar->Librarian().List().Selection(), std::vector<int>{2});
    EXPECT_TRUE(bar->Librarian().Modified());

    // Closing asks to save the library (Yes), then the untouched icon closes.
    test::ScriptedPrompter prompter;
    prompter.Answer(IDYES);
    prompter.Answer(IDNO);
    app_->MainFrame()->close();
    ASSERT_FALSE(prompter.shown.empty());
    EXPECT_EQ(prompter.shown[0].text, "Save changes in the library \"Colours\" ?");
    EXPECT_EQ(LibraryNames(tree_ / "lib/Colours.icl"), (std::vector<std::string>{"Red", "Green", "Drawn"}));
    EXPECT_EQ(BankPathName, tree_ / "lib/Colours.icl");
}

TEST_F(LibrarianAppTest, ImportAddsTheIconsOfTheChosenFiles)
{
    Start();
    CLibraryBar* bar = CLibraryBar::Instance();
    QTRY_VERIFY_WITH_TIMEOUT(bar->Librarian().Loaded(), 2000);
    ASSERT_TRUE(MakeLibGroup("", 7).SaveAsIco(tree_ / "src/Arrow.ICO"));
    test::Touch(tree_ / "src/junk.ico", "no icon here");
    ScriptedChooser chooser;
    test::ScriptedPrompter prompter;
    auto& router = app_->MainFrame()->Router();

    chooser.open = {tree_ / "src/Arrow.ICO", tree_ / "src/junk.ico"};
    EXPECT_TRUE(router.Send(ID_LIB_IMPORT));
    EXPECT_EQ(chooser.titles.back(), "Importing ...");
    EXPECT_EQ(ListNames(bar->Librarian().List()), (std::vector<std::string>{"Red", "Green", "Arrow"}));
    EXPECT_TRUE(bar->Librarian().Modified());
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "One or more selected files had no icon.");
    EXPECT_EQ(prompter.shown[0].style & kMessageIconMask, MB_ICONSTOP);

    chooser.open = {tree_ / "src/junk.ico"};
    router.Send(ID_LIB_IMPORT);
    EXPECT_EQ(prompter.shown.back().text, "The specified file does not contains icons or is invalid");
    EXPECT_EQ(bar->Librarian().List().Count(), 3);

    // With the root selected there is no library to import into (the
    // changes are saved on the way, after the question).
    bar->Tree()->setCurrentItem(bar->Tree()->RootItem());
    QTRY_VERIFY_WITH_TIMEOUT(!bar->Librarian().Loaded(), 2000);
    EXPECT_EQ(prompter.shown.back().text, "Save changes in the library \"Colours\" ?");
    EXPECT_EQ(LibraryNames(tree_ / "lib/Colours.icl").size(), 3u);
    EXPECT_FALSE(router.Update(ID_LIB_IMPORT).enabled);

    // Enter in the grid opens a copy of the selected icon as a new icon.
    bar->Tree()->setCurrentItem(bar->Tree()->FindItem(tree_ / "lib/Colours.icl"));
    QTRY_VERIFY_WITH_TIMEOUT(bar->Librarian().Loaded(), 2000);
    bar->Librarian().List().SelectOnly(2);
    bar->ListBox()->setFocus();
    QTest::keyClick(bar->ListBox(), Qt::Key_Return);
    QApplication::processEvents();
    auto* frame = app_->MainFrame()->ActiveFrame();
    ASSERT_TRUE(frame);
    auto* doc = static_cast<CIconDocument*>(frame->Document());
    EXPECT_EQ(doc->GetName(), "Arrow");
    EXPECT_EQ(doc->GetFormatCount(), 1);
}

} // namespace
} // namespace kavrel
