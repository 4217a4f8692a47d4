#include "librarian/conversion.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "librarian/settings_librarian.h"
#include "librarian/store.h"
#include "librarian_fixtures.h"
#include "platform/atomic_file.h"
#include "support/scripted_prompter.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;
using test::LibraryNames;
using test::ScriptedPrompter;
using test::TempTree;
using test::Touch;
using test::WriteLibrary;
using Names = std::vector<std::string>;

struct RecordingView : ConversionView {
    int steps = -1, done = 0;
    bool closed = false;
    void Show(int n) override { steps = n; }
    void Step(int d) override { done = d; }
    void Close() override { closed = true; }
};

void OldNode(const std::string& folder, const std::string& name, const Names& icons)
{
    fs::create_directories(folder);
    if (!name.empty())
        std::ofstream(folder + "/ICONS.INI") << "; old librarian\n[Library]\nName = " << name << "\r\n";
    if (!icons.empty())
        WriteLibrary(folder + "/icons.dll", icons);
}

std::vector<std::string> Tree(const std::string& root)
{
    std::vector<std::string> out;
    for (auto& e : fs::recursive_directory_iterator(root))
        out.push_back(fs::relative(e.path(), root).string() + (e.is_directory() ? "/" : ""));
    std::sort(out.begin(), out.end());
    return out;
}

class ConversionTest : public ::testing::Test {
  protected:
    ConversionTest() { Converted = 0; }
    ~ConversionTest() override
    {
        Converted = 0;
        SetAtomicFileFaultHook(nullptr);
    }
    TempTree tree;
    std::string program = tree.path() + "/bin";
    std::string root = tree.path() + "/librarian";
};

TEST_F(ConversionTest, OldNodesBecomeLibrariesAndFoldersOnceOnly)
{
    const std::string old = program + "/library";
    OldNode(old, "", {"r1"});
    OldNode(old + "/n1", "Arrows", {"up", "down"});
    OldNode(old + "/n1/n2", "Blue", {"b"});
    OldNode(old + "/n1/n3", "Hidden/../../escape", {"x"}); // a name leading out is no name
    OldNode(old + "/n4", "", {"lost"});                    // no name: no library
    OldNode(old + "/n4/n5", "Skipped", {"s"});             // ... and its sub-nodes are skipped
    OldNode(old + "/n6", "Flags", {});                     // a name without icons: only its sub-nodes
    OldNode(old + "/n6/n7", "Red", {"r"});
    fs::create_directories(root);
    fs::create_directory_symlink(old, old + "/n1/loop"); // a link back is not followed

    RecordingView view;
    ASSERT_TRUE(EarlierLibrarianToConvert(program));
    ASSERT_TRUE(ConvertEarlierLibrarian(program, root, view));
    EXPECT_EQ(Tree(root),
              (Names{"Arrows.icl", "Arrows/", "Arrows/Blue.icl", "Flags/", "Flags/Red.icl", "Main library.icl"}));
    EXPECT_EQ(LibraryNames(root + "/Arrows.icl"), (Names{"up", "down"}));
    EXPECT_EQ(LibraryNames(root + "/Main library.icl"), (Names{"r1"}));
    EXPECT_EQ(view.steps, 7); // icon files in the whole old tree
    EXPECT_EQ(view.done, 7);  // the nodes visited (n5 is not)
    EXPECT_TRUE(view.closed);
    EXPECT_EQ(Converted, 1);
    EXPECT_FALSE(fs::exists(tree.path() + "/escape.icl"));

    // Not again, though the old folder is still there.
    fs::remove_all(root);
    fs::create_directories(root);
    EXPECT_FALSE(EarlierLibrarianToConvert(program));
    EXPECT_FALSE(ConvertEarlierLibrarian(program, root, view));
    EXPECT_TRUE(Tree(root).empty());
}

TEST_F(ConversionTest, WithoutAnEarlierLibrarianNothingHappens)
{
    RecordingView view;
    EXPECT_FALSE(ConvertEarlierLibrarian(program, root, view));
    EXPECT_EQ(view.steps, -1);
    EXPECT_EQ(Converted, 0);
}

// A prompter that runs a repair before answering, as a user would between
// Retry presses.
struct RepairingPrompter final : Prompter {
    RepairingPrompter() { SetPrompter(this); }
    ~RepairingPrompter() override { SetPrompter(nullptr); }
    int Message(const std::string& text, unsigned) override
    {
        shown.push_back(text);
        if (repair)
            std::exchange(repair, nullptr)();
        return IDRETRY;
    }
    std::function<void()> repair;
    std::vector<std::string> shown;
};

TEST_F(ConversionTest, CopyFailuresOfferAbortRetryAndIgnore)
{
    const std::string source = tree.path() + "/src.icl";
    WriteLibrary(source, {"a"});

    { // Missing source: Ignore ends with 1, Abort with 2.
        ScriptedPrompter prompter;
        prompter.Answer(IDIGNORE);
        EXPECT_EQ(CopyFileWithRetry(tree.path() + "/none", tree.path() + "/t.icl"), CopyResult::Ignored);
        prompter.Answer(IDABORT);
        EXPECT_EQ(CopyFileWithRetry(tree.path() + "/none", tree.path() + "/t.icl"), CopyResult::Aborted);
        ASSERT_EQ(prompter.shown.size(), 2u);
        EXPECT_EQ(prompter.shown[0].text, "Unable to open the source file\n" + tree.path() + "/none");
        EXPECT_EQ(prompter.shown[0].style, unsigned{MB_ABORTRETRYIGNORE | MB_ICONSTOP});
    }
    { // Target folder missing: Retry after it appears copies.
        RepairingPrompter prompter;
        prompter.repair = [&] { fs::create_directory(tree.path() + "/later"); };
        EXPECT_EQ(CopyFileWithRetry(source, tree.path() + "/later/t.icl"), CopyResult::Copied);
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_EQ(prompter.shown[0], "Unable to create the target file\n" + tree.path() + "/later/t.icl");
        EXPECT_EQ(LibraryNames(tree.path() + "/later/t.icl"), (Names{"a"}));
    }
    { // A source that cannot be read.
        ScriptedPrompter prompter;
        fs::create_directory(tree.path() + "/dir.dll");
        prompter.Answer(IDABORT);
        EXPECT_EQ(CopyFileWithRetry(tree.path() + "/dir.dll", tree.path() + "/t2.icl"), CopyResult::Aborted);
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_EQ(prompter.shown[0].text.substr(0, 46), "An error occured while reading the source file");
        EXPECT_FALSE(fs::exists(tree.path() + "/t2.icl"));
    }
    { // A failed write leaves the old target whole; Retry writes it again.
        WriteLibrary(tree.path() + "/t3.icl", {"old"});
        int failures = 1;
        SetAtomicFileFaultHook([&](const std::string& step) { return step != "commit" || failures-- <= 0; });
        ScriptedPrompter prompter;
        prompter.Answer(IDRETRY);
        EXPECT_EQ(CopyFileWithRetry(source, tree.path() + "/t3.icl"), CopyResult::Copied);
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_EQ(prompter.shown[0].text, "An error occured while writing the target file\n" + tree.path() + "/t3.icl");
        EXPECT_EQ(LibraryNames(tree.path() + "/t3.icl"), (Names{"a"}));
    }
    // The same path copies nothing and succeeds.
    EXPECT_EQ(CopyFileWithRetry(source, source), CopyResult::Copied);
}

} // namespace
} // namespace kavrel
