// The Open dialog's preview panel: the icons of an icon file or a library,
// "(No icon)" for other files, "(Multiple selection)" for several names.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>

#include "model/icl_file.h"
#include "model/ico_file.h"
#include "resources/strings.h"
#include "shell/open_dialog.h"
#include "support/qt_app.h"

QT_BEGIN_NAMESPACE
// Readable failures: gtest prints QStrings as text.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace kavrel {
namespace {

namespace fs = std::filesystem;

CIconGroup Group(const std::string& name, std::initializer_list<int> sizes)
{
    CIconGroup g;
    g.name = name;
    for (int s : sizes) {
        CIconObject format(4, s, s, 0);
        format.PackToIcon();
        g.AddFormat(format.packed);
    }
    return g;
}

class OpenDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        test::EnsureQApplication();
    }
    void SetUp() override
    {
        char pattern[] = "/tmp/kavrel-open-XXXXXX";
        dir_ = mkdtemp(pattern);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string file(const std::string& name) const { return dir_ + "/" + name; }

    // Puts the file-name text the way the dialog shows a selection; the
    // panel follows the text by itself.
    static void Select(COpenDialog& dialog, const QString& text)
    {
        auto* edit = dialog.findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(edit, nullptr);
        edit->setText(text);
    }

    std::string dir_;
};

TEST_F(OpenDialogTest, PanelListsTheIconsOfTheSelectedFile)
{
    const CIconGroup ico = Group("", {16, 32});
    ASSERT_TRUE(ico.SaveAsIco(file("disk.ico")));
    ASSERT_TRUE(WriteIconLibrary(file("set.icl"), {Group("Alpha", {32}), Group("Beta", {16, 48}), Group("", {32})}));
    std::ofstream(file("notes.ico")) << "plain text, not an icon";

    COpenDialog dialog(nullptr, LoadString(55066), LoadString(55028), true);
    dialog.setDirectory(QString::fromStdString(dir_));
    EXPECT_EQ(dialog.windowTitle(), "Open an icon file...");

    Select(dialog, "set.icl");
    EXPECT_EQ(dialog.PreviewCaption(), "3 icon(s) in set.icl :");
    EXPECT_EQ(dialog.PreviewNames(), (QStringList{"Alpha", "Beta", "Untitled"}));
    const auto* list = dialog.findChild<QListWidget*>("iconList");
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(list->item(1)->icon().isNull());

    Select(dialog, QString::fromStdString(file("disk.ico")));
    EXPECT_EQ(dialog.PreviewCaption(), "1 icon(s) in disk.ico :");
    EXPECT_EQ(dialog.PreviewNames().size(), 1);

    Select(dialog, "notes.ico");
    EXPECT_EQ(dialog.PreviewCaption(), "(No icon)");
    EXPECT_TRUE(dialog.PreviewNames().isEmpty());

    Select(dialog, "\"disk.ico\" \"set.icl\"");
    EXPECT_EQ(dialog.PreviewCaption(), "(Multiple selection)");
    EXPECT_TRUE(dialog.PreviewNames().isEmpty());

    // Selecting in the dialog's own list fills the text, and so the panel.
    dialog.selectFile(QString::fromStdString(file("disk.ico")));
    EXPECT_EQ(dialog.PreviewCaption(), "1 icon(s) in disk.ico :");

    // Back to one file after a multiple selection, then to nothing at all.
    Select(dialog, "set.icl");
    EXPECT_EQ(dialog.PreviewNames().size(), 3);
    Select(dialog, "");
    EXPECT_EQ(dialog.PreviewCaption(), "");
    EXPECT_TRUE(dialog.PreviewNames().isEmpty());
}

TEST(OpenDialogFilters, QtFormKeepsEveryPattern)
{
    const QStringList filters = QtNameFilters(LoadString(55028));
    ASSERT_EQ(filters.size(), 5);
    EXPECT_EQ(filters[1], "Icon Files (*.ico)");
    EXPECT_EQ(filters[2], "Library Files (*.icl *.il *.nil)");
    EXPECT_TRUE(filters[0].startsWith("All Icon Files (*.ico *.exe *.dll"));
    EXPECT_EQ(filters[4], "Tous les fichiers (*.*)");
}

}  // namespace
}  // namespace kavrel
