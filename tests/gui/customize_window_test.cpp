#include "shell/customize_window.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include <QApplication>
#include <QCheckBox>
#include <QDragMoveEvent>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include "librarian/icon_payload.h"
#include "model/ico_file.h"
#include "model/icon_model.h"
#include "platform/registry.h"
#include "resources/strings.h"
#include "support/qt_app.h"
#include "support/scripted_prompter.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;

class FixedTheme : public DesktopIconTheme {
  public:
    std::string Current() override { return "Adwaita"; }
    bool Set(const std::string&) override { return true; }
};

class NoPrograms : public ProgramRunner {
  public:
    bool Exists(const std::string&) override { return false; }
    int Run(const std::vector<std::string>&, std::string*) override { return -1; }
};

class PickIcon : public IconChooser {
  public:
    bool ChooseIcon(const std::string& t, std::string& p, int& i) override
    {
        title = t;
        p = path;
        i = 0;
        return true;
    }
    std::string title, path;
};

class CustomizeWindowTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::EnsureQApplication(); }
    void SetUp() override
    {
        char pattern[] = "/tmp/kavrel-customize-gui-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        CIconObject large(4, 32, 32, 0), small(4, 16, 16, 0);
        large.PackToIcon();
        small.PackToIcon();
        chooser_.path = root_ + "/folder.ico";
        ASSERT_TRUE(WriteIcoFile(chooser_.path, {&small.packed, &large.packed}));
        window_ = std::make_unique<CCustomizeWindow>(
            std::make_unique<CustomizeWindows>(registry_, "/opt/kavrel/kavrel",
                                               DesktopFolders{root_ + "/data", root_ + "/config"}, theme_, programs_),
            nullptr, &chooser_);
    }
    void TearDown() override
    {
        window_.reset();
        fs::remove_all(root_);
    }
    std::optional<std::string> ShellIcon(const std::string& name)
    {
        return registry_.queryString(RegHive::LocalMachine, kShellIconsKey, name);
    }

    std::string root_;
    Registry registry_{""};
    FixedTheme theme_;
    NoPrograms programs_;
    PickIcon chooser_;
    test::ScriptedPrompter prompts_;
    std::unique_ptr<CCustomizeWindow> window_;
};

TEST_F(CustomizeWindowTest, ChangeApplyDefaultAndTheDropTarget)
{
    EXPECT_TRUE(window_->SizeButton(0)->isChecked()); // no stored size: 32x32
    EXPECT_FALSE(window_->ApplyButton()->isEnabled());
    window_->Pages()->setCurrentIndex(2);
    CCustomizeEntryList* list = window_->List(2);
    ASSERT_EQ(list->count(), 28);
    EXPECT_EQ(list->item(3)->text(), QStringLiteral("Closed Folder"));

    // Nothing selected: the buttons do nothing.
    window_->ChangeIcon(2);
    EXPECT_TRUE(chooser_.title.empty());
    list->setCurrentRow(3);
    window_->ChangeIcon(2);
    EXPECT_EQ(chooser_.title, "Change icon of \"Closed Folder\"");
    EXPECT_TRUE(window_->ApplyButton()->isEnabled());
    window_->ApplyButton()->click();
    EXPECT_EQ(ShellIcon("3"), chooser_.path + ",0");
    EXPECT_FALSE(window_->ApplyButton()->isEnabled());
    EXPECT_TRUE(fs::exists(root_ + "/data/icons/Kavrel/32x32/apps/folder.png"));

    // A drop outside every entry changes nothing; on an entry it takes the file and index.
    EXPECT_EQ(window_->EntryAt(2, QPoint(-5, -5)), -1);
    EXPECT_FALSE(window_->DropIcon(2, -1, "/x.icl", 2));
    EXPECT_FALSE(window_->ApplyButton()->isEnabled());
    list->SetDropHighlight(4);
    EXPECT_TRUE(window_->DropIcon(2, 4, chooser_.path, 0));
    EXPECT_EQ(list->DropHighlight(), -1);
    EXPECT_EQ(window_->Entries(2)[4].path, chooser_.path);

    // Default icon asks first; the main window's closing asks to apply.
    prompts_.Answer(IDYES);
    window_->DefaultIcon(2);
    ASSERT_EQ(prompts_.shown.size(), 1u);
    EXPECT_EQ(prompts_.shown[0].text, "Return to the default icon for \"Closed Folder\" ?");
    window_->HighColourBox()->click();
    prompts_.Answer(IDYES);
    window_->FrameClosing();
    ASSERT_EQ(prompts_.shown.size(), 2u); // no restart message when closing
    EXPECT_EQ(prompts_.shown[1].text, "Apply changes in \"Customize Windows\"?");
    EXPECT_FALSE(ShellIcon("3"));
    EXPECT_EQ(ShellIcon("4"), chooser_.path + ",0");
    EXPECT_FALSE(fs::exists(root_ + "/data/icons/Kavrel/32x32/apps/folder.png"));
    EXPECT_EQ(registry_.queryString(RegHive::CurrentUser, kWindowMetricsKey, "Shell Icon BPP"), "16");
}

TEST_F(CustomizeWindowTest, IconsDroppedFromAGridNameTheirFileAndIndex)
{
    int saves = 0;
    window_->SetLibrarianSaver([&] { ++saves; });
    window_->Pages()->setCurrentIndex(2);
    window_->show();
    CCustomizeEntryList* list = window_->List(2);
    QApplication::processEvents();

    IconPayload payload;
    payload.kind = IconSourceKind::LibrarianBar;
    payload.sourceKey = root_ + "/shown.icl";
    payload.indices = {3};
    payload.icons.resize(1);
    CIconObject format(4, 32, 32, 0);
    format.PackToIcon();
    payload.icons[0].AddFormat(format.packed);
    std::vector<std::uint8_t> bytes = EncodeIconPayload(payload);
    QMimeData data;
    data.setData(QString::fromLatin1(kIconsMimeType),
                 QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
    auto drop = [&](QPoint at) {
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &move);
        int highlighted = list->DropHighlight();
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &dropped);
        return highlighted;
    };

    // Outside every entry: nothing changes.
    QRect last = list->visualItemRect(list->item(list->count() - 1));
    EXPECT_EQ(drop(QPoint(list->viewport()->width() - 2, last.bottom() + 40)), -1);
    EXPECT_FALSE(window_->ApplyButton()->isEnabled());
    EXPECT_EQ(saves, 0);

    QPoint onFolder = list->visualItemRect(list->item(3)).center();
    EXPECT_EQ(drop(onFolder), 3);
    EXPECT_EQ(list->DropHighlight(), -1);
    EXPECT_EQ(window_->Entries(2)[3].path, root_ + "/shown.icl");
    EXPECT_EQ(window_->Entries(2)[3].index, 3);
    EXPECT_EQ(saves, 1); // the librarian's library is written before its file is named
    EXPECT_TRUE(window_->ApplyButton()->isEnabled());
}

TEST_F(CustomizeWindowTest, CloseOnlyHides)
{
    window_->show();
    window_->close();
    EXPECT_FALSE(window_->isVisible());
    EXPECT_NE(window_->findChild<QPushButton*>(QStringLiteral("151")), nullptr);
}

} // namespace
} // namespace kavrel
