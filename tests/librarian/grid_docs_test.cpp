#include "librarian/grid_docs.h"

#include <gtest/gtest.h>

#include "librarian_fixtures.h"
#include "model/icl_file.h"
#include "model/ico_file.h"
#include "model/program_fixtures.h"
#include "resources/strings.h"
#include "support/scripted_prompter.h"

namespace kavrel {
namespace {

using test::Bytes;

// A 16-bit program with three unnamed icons; the third has two formats.
class ProgramWindow : public ::testing::Test {
  protected:
    void SetUp() override
    {
        dir_ = test::TempFolder(std::string("grid_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        a_ = test::MakePackedImage(32, 32, 16, 1);
        b_ = test::MakePackedImage(16, 16, 16, 2);
        c_ = test::MakePackedImage(32, 32, 16, 3);
        d_ = test::MakePackedImage(16, 16, 2, 4);
        original_ = test::BuildNe({{0x8003, 0x8001, a_},
                                   {0x8003, 0x8002, b_},
                                   {0x8003, 0x8003, c_},
                                   {0x8003, 0x8004, d_},
                                   {0x800E, 0x8001, test::MakeGroupDirectory({{&a_, 1}})},
                                   {0x800E, 0x8002, test::MakeGroupDirectory({{&b_, 2}})},
                                   {0x800E, 0x8003, test::MakeGroupDirectory({{&c_, 3}, {&d_, 4}})}});
        path_ = dir_ + "/old.exe";
        test::WriteFileBytes(path_, original_);
        doc_.SetTitle("old.exe");
        ASSERT_TRUE(doc_.OnOpenDocument(path_));
        ASSERT_EQ(doc_.List().Count(), 3);
    }

    // Opens icon `index` in a linked editor and draws one red pixel in its
    // largest format, as the editor view would.
    std::unique_ptr<CFileIconDoc> EditIcon(IconSourceWindow& source, int index, int x = 0)
    {
        auto editor = std::make_unique<CFileIconDoc>(&source, index);
        EXPECT_TRUE(editor->OnNewDocument());
        editor->GetFormat(editor->GetFormatCount() - 1)->color.setRawPixel(x, 0, 0xFFFF0000);
        editor->SetModifiedFlag(true);
        return editor;
    }

    // The offset of the 32x32 format of icon 3.
    std::ptrdiff_t IconThreeOffset()
    {
        return static_cast<std::ptrdiff_t>(*doc_.List().Item(2).formats[1]->sourceOffset);
    }

    std::string dir_, path_;
    Bytes a_, b_, c_, d_, original_;
    CFileDoc doc_;
};

TEST_F(ProgramWindow, EditorUpdatesTheListAndSaveWritesOnlyThatImage)
{
    test::ScriptedPrompter prompts;
    EXPECT_EQ(doc_.List().ItemLabel(0), "Icon 1");
    GridStatus status = doc_.Status();
    EXPECT_EQ(status.message, "Total : 3 Icons");
    EXPECT_EQ(status.modified, "   ");

    ASSERT_EQ(doc_.List().Item(2).formats[1]->width, 32);
    auto editor = EditIcon(doc_, 2);
    EXPECT_EQ(editor->GetTitle(), "Icon 3 in \"old.exe\"");
    EXPECT_EQ(FindIconEditor(&doc_, 2), editor.get());
    EXPECT_EQ(FindIconEditor(&doc_, 1), nullptr);
    EXPECT_FALSE(editor->CanChangeFormats());

    ASSERT_TRUE(editor->OnSaveDocument("")); // Update
    EXPECT_FALSE(editor->IsModified());
    EXPECT_TRUE(doc_.IsModified());
    EXPECT_EQ(doc_.Status().modified, "@3 ");
    Bytes edited = doc_.List().Item(2).formats[1]->image;
    ASSERT_NE(edited, c_);
    // The format that was not drawn on keeps its bytes exactly.
    EXPECT_EQ(doc_.List().Item(2).formats[0]->image, d_);

    ASSERT_TRUE(doc_.OnSaveDocument(path_));
    EXPECT_FALSE(doc_.IsModified());
    EXPECT_TRUE(prompts.shown.empty());
    Bytes expected = original_;
    std::copy(edited.begin(), edited.end(), expected.begin() + IconThreeOffset());
    EXPECT_EQ(test::ReadFileBytes(path_), expected);

    CFileDoc reopened;
    ASSERT_TRUE(reopened.OnOpenDocument(path_));
    EXPECT_EQ(reopened.List().Item(2).formats[1]->image, edited);
}

TEST_F(ProgramWindow, AnIconIsReadWhenItsCellIsDrawnOrItIsUsed)
{
    CIconList& list = doc_.List();
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(list.IsPending(i)) << i;
    // Status, labels and cell texts come from the headers.
    EXPECT_EQ(doc_.Status().message, "Total : 3 Icons");
    const Rect r = list.ItemRect(2, 200);
    EXPECT_EQ(list.CellTextFor(2, r, {true}).line2, "(2 formats)");
    EXPECT_EQ(list.DisplayFormat(2), 1);
    EXPECT_TRUE(list.IsPending(2));

    Bitmap view = Bitmap::Color(200, 200);
    DC dc(view);
    list.DrawCell(2, dc, r, {true});
    EXPECT_FALSE(list.IsPending(2));
    EXPECT_TRUE(list.IsPending(0));
    EXPECT_TRUE(list.IsPending(1));
    EXPECT_EQ(list.Item(2).formats[0]->image, d_);
    EXPECT_EQ(list.Item(2).formats[1]->image, c_);

    // Anything handing an icon on reads it first.
    list.SelectOnly(1);
    auto selected = list.SelectedIcons();
    ASSERT_EQ(selected.size(), 1u);
    EXPECT_EQ(selected[0].formats[0]->image, b_);
    EXPECT_TRUE(list.IsPending(0));

    // Saving unedited reads the rest and leaves the file as it was.
    ASSERT_TRUE(doc_.OnSaveDocument(path_));
    EXPECT_EQ(test::ReadFileBytes(path_), original_);
    EXPECT_EQ(list.Item(0).formats[0]->image, a_);
}

TEST_F(ProgramWindow, ClosingAsksForEditorsThenTheFile)
{
    test::ScriptedPrompter prompts;
    auto updated = EditIcon(doc_, 2);
    ASSERT_TRUE(updated->SaveIntoSource());
    Bytes kept = doc_.List().Item(2).formats[1]->image;
    auto pending = EditIcon(doc_, 0, 5);
    int closed = 0;
    updated->closeWindow = [&] { ++closed; };
    pending->closeWindow = [&] { ++closed; };

    prompts.Answer(IDCANCEL);
    EXPECT_EQ(doc_.SaveModified(), SaveResult::Cancelled);
    EXPECT_EQ(closed, 0);

    prompts.Answer(IDNO);
    prompts.Answer(IDYES);
    EXPECT_EQ(doc_.SaveModified(), SaveResult::Saved);
    ASSERT_EQ(prompts.shown.size(), 3u);
    EXPECT_EQ(prompts.shown[1].text, "Save changes in the all edit windows associated with the file \"old.exe\" ?");
    EXPECT_EQ(prompts.shown[2].text, "Save changes in the file \"old.exe\" ?");
    EXPECT_EQ(closed, 2);

    // Written with the updated icon and without the pending editor's pixel.
    Bytes expected = original_;
    std::copy(kept.begin(), kept.end(), expected.begin() + IconThreeOffset());
    EXPECT_EQ(test::ReadFileBytes(path_), expected);
}

TEST_F(ProgramWindow, EditorQuestionsNameIconAndSourceAndSaveAsKeepsTheMark)
{
    test::ScriptedPrompter prompts;
    auto editor = EditIcon(doc_, 2);
    ASSERT_TRUE(editor->OnSaveDocument(dir_ + "/copy.ico"));
    EXPECT_TRUE(editor->IsModified());
    EXPECT_EQ(editor->GetTitle(), "Icon 3 in \"old.exe\"");
    std::vector<CIconGroup> copy;
    EXPECT_EQ(LoadIconsFromFile(copy, dir_ + "/copy.ico"), 1);

    prompts.Answer(IDCANCEL);
    EXPECT_EQ(editor->SaveModified(), SaveResult::Cancelled);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Save changes in icon 3 in the file \"old.exe\" ?");
    prompts.Answer(IDNO);
    EXPECT_EQ(editor->SaveModified(), SaveResult::Declined);
    EXPECT_FALSE(doc_.IsModified());

    // A library source names the icon and the library, and allows format
    // changes.
    CLibDoc lib;
    lib.SetTitle("tools.icl");
    lib.List().SetItems(test::MakeLibGroups({"Disk", "Hammer"}));
    auto libEditor = EditIcon(lib, 0);
    EXPECT_TRUE(libEditor->CanChangeFormats());
    prompts.Answer(IDYES);
    EXPECT_EQ(libEditor->SaveModified(), SaveResult::Saved);
    EXPECT_EQ(prompts.shown.back().text, "Save changes in icon \"Disk\" in library \"tools.icl\" ?");
    EXPECT_TRUE(lib.IsModified());
    EXPECT_EQ(lib.List().Item(0).name, "Disk");
}

TEST_F(ProgramWindow, ResizedFormatRefusesTheSaveAndKeepsTheDocumentModified)
{
    test::ScriptedPrompter prompts;
    auto editor = EditIcon(doc_, 2);
    // A depth change cannot be written over the old image.
    editor->GetFormat(1)->SetFormat(8, 32, 32, 0);
    ASSERT_TRUE(editor->SaveIntoSource());
    EXPECT_FALSE(doc_.OnSaveDocument(path_));
    EXPECT_TRUE(doc_.IsModified());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_NE(prompts.shown[0].text.find("Icon 3, image format 32x32 - 256 colors"), std::string::npos);
    EXPECT_EQ(test::ReadFileBytes(path_), original_);
}

TEST(LibraryWindow, ImportDropSaveAndStatus)
{
    test::ScriptedPrompter prompts;
    std::string dir = test::TempFolder("grid_library");
    Bytes one = test::MakePackedImage(32, 32, 16, 1);
    Bytes two = test::MakePackedImage(16, 16, 16, 2), three = test::MakePackedImage(16, 16, 2, 3);
    test::WriteFileBytes(dir + "/Arrows.DLL",
                         test::BuildNe({{0x8003, 0x8001, one},
                                        {0x8003, 0x8002, two},
                                        {0x8003, 0x8003, three},
                                        {0x800E, 0x8001, test::MakeGroupDirectory({{&one, 1}})},
                                        {0x800E, 0x8002, test::MakeGroupDirectory({{&two, 2}})},
                                        {0x800E, 0x8003, test::MakeGroupDirectory({{&three, 3}})}}));
    test::WriteFileBytes(dir + "/star.v2.ico", test::MakeIcoFile({one}));
    test::WriteFileBytes(dir + "/empty.ico", Bytes(10, 0));
    test::WriteLibrary(dir + "/tools.icl", {"Disk"});

    CLibDoc missing;
    EXPECT_FALSE(missing.OnOpenDocument(dir + "/none.icl"));
    ASSERT_EQ(prompts.shown.size(), 1u);
    prompts.shown.clear();

    CLibDoc lib;
    lib.SetTitle("tools.icl");
    ASSERT_TRUE(lib.OnOpenDocument(dir + "/tools.icl"));
    EXPECT_EQ(lib.Status().selection, "Disk (1 format)");
    EXPECT_EQ(lib.Status().count, "Total : 1 icons");
    EXPECT_TRUE(lib.Status().message.empty());

    EXPECT_EQ(lib.Import({dir + "/Arrows.DLL", dir + "/star.v2.ico", dir + "/empty.ico"}), 4);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, LoadString(55049)); // one of several files
    EXPECT_EQ(lib.Status().selection, "4 Selected");
    EXPECT_EQ(lib.Status().modified, "@3 ");

    // From a program-file window: copies named after the file.
    CIconList program;
    program.SetItems({test::MakeLibGroup("", 7), test::MakeLibGroup("", 8)});
    program.SelectAll();
    IconPayload fromProgram = MakeIconPayload(program, IconSourceKind::ProgramFile, "/x/Shell32.dll", "Shell32.dll");
    ASSERT_TRUE(lib.Drop(fromProgram, 1, false));
    // Within the window the icons move: Disk goes to the end.
    lib.List().SelectOnly(0);
    IconPayload own = MakeIconPayload(lib.List(), IconSourceKind::LibraryWindow, lib.GetPathName(), "tools.icl");
    ASSERT_TRUE(lib.Drop(own, lib.List().Count(), false));

    ASSERT_TRUE(lib.OnSaveDocument(""));
    EXPECT_FALSE(lib.IsModified());
    EXPECT_EQ(test::LibraryNames(dir + "/tools.icl"),
              (std::vector<std::string>{"Shell32 1", "Shell32 2", "Arrows 1", "Arrows 2", "Arrows 3", "Star", "Disk"}));

    // Ctrl copies within the window.
    lib.List().SelectOnly(0);
    own = MakeIconPayload(lib.List(), IconSourceKind::LibraryWindow, lib.GetPathName(), "tools.icl");
    ASSERT_TRUE(lib.Drop(own, 0, true));
    EXPECT_EQ(lib.List().Count(), 8);
}

TEST(LibraryWindow, TheBarsLibraryIsDisabledWhileOpenInAWindow)
{
    test::ScriptedPrompter prompts;
    test::TempTree tree;
    test::WriteLibrary(tree / "tools.icl", {"Disk", "Hammer"});
    CLibrarian librarian(tree.path());
    LibrarianBarSource bar(librarian);
    GridLibrarianLinks links(librarian, bar);
    librarian.SetLinks(&links);
    librarian.Load(tree / "tools.icl", "tools");
    ASSERT_TRUE(librarian.List().enabled);

    // An editor opened from the bar names the library.
    auto editor = std::make_unique<CFileIconDoc>(&bar, 1);
    ASSERT_TRUE(editor->OnNewDocument());
    EXPECT_EQ(editor->GetTitle(), "Icon 2 in \"tools\"");
    editor->SetModifiedFlag(true);
    EXPECT_EQ(links.ModifiedEditors(tree / "tools.icl"), 1);

    {
        CLibDoc window;
        ASSERT_TRUE(window.OnOpenDocument(tree / "tools.icl"));
        links.LibraryWindowOpened(window.GetPathName());
        EXPECT_FALSE(librarian.List().enabled);
        EXPECT_TRUE(librarian.ShownLocked());
        int closed = 0;
        window.closeWindow = [&] { ++closed; };
        links.CloseLibraryWindow(tree / "tools.icl", false);
        EXPECT_EQ(closed, 1);
        links.LibraryWindowClosed(window.GetPathName());
    }
    EXPECT_FALSE(librarian.ShownLocked());
    librarian.Load(tree / "tools.icl", "tools");
    EXPECT_TRUE(librarian.List().enabled);
}

} // namespace
} // namespace kavrel
