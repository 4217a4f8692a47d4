// Helpers of the Open command: the filter of the kinds that can be opened,
// the preview of a file, and the messages about files without icons.
#include <gtest/gtest.h>

#include "document/open_files.h"
#include "resources/strings.h"
#include "support/scripted_prompter.h"

namespace kavrel {
namespace {

TEST(OpenFiles, FilterKeepsOnlyKindsThatOpen)
{
    const std::string all = LoadString(55028);
    auto onlyIcons = [](FileKindType k) { return k == FileKindType::Icon; };
    EXPECT_EQ(OpenFilter(all, onlyIcons),
              "All Icon Files|*.ico|Icon Files (*.ico)|*.ico|Tous les fichiers (*.*)|*.*||");
    EXPECT_EQ(OpenFilter(all, [](FileKindType) { return true; }), all);
    EXPECT_EQ(OpenFilter("Icons|*.ico||", [](FileKindType) { return false; }), "");

    const auto entries = ParseFilter(all);
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[2].name, "Library Files(*.icl;*.il;*.nil)");
    EXPECT_EQ(entries[2].patterns, (std::vector<std::string>{"*.icl", "*.il", "*.nil"}));
}

TEST(OpenFiles, MultipleSelectionText)
{
    EXPECT_TRUE(IsMultipleSelectionText("\"a.ico\" \"b.ico\""));
    EXPECT_FALSE(IsMultipleSelectionText("my icon.ico"));
    EXPECT_FALSE(IsMultipleSelectionText("\"a.ico\""));
    EXPECT_FALSE(IsMultipleSelectionText(""));
    EXPECT_FALSE(IsMultipleSelectionText(std::string(260, 'a')));
    EXPECT_TRUE(IsMultipleSelectionText(std::string(261, 'a')));
}

TEST(OpenFiles, PreviewAndMessages)
{
    const IconFilePreview none = PreviewIconFile("/nonexistent/dir/x.ico");
    EXPECT_EQ(none.caption, "(No icon)");
    EXPECT_TRUE(none.icons.empty());
    EXPECT_FALSE(FileHoldsIcons("/nonexistent/dir/x.ico"));

    test::ScriptedPrompter prompts;
    ReportFilesWithoutIcons(3, 0);
    EXPECT_TRUE(prompts.shown.empty());
    ReportFilesWithoutIcons(1, 1);
    ReportFilesWithoutIcons(4, 2);
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0].text, LoadString(55048));
    EXPECT_EQ(prompts.shown[1].text, "One or more selected files had no icon.");
    EXPECT_EQ(prompts.shown[1].style, unsigned(MB_OK | MB_ICONSTOP));
}

}  // namespace
}  // namespace kavrel
