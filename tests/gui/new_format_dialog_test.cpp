#include "editor/ui/new_format_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include "document/icon_document.h"
#include "editor/icon_view_state.h"
#include "editor/settings_editor.h"
#include "editor/ui/format_dialogs.h"
#include "editor/ui/format_list.h"
#include "editor/ui/icon_view.h"
#include "model/icon_model.h"
#include "model/palettes.h"
#include "platform/screen.h"
#include "support/qt_app.h"
#include "support/scripted_prompter.h"

namespace kavrel {
namespace {

// A packed format filled with one colour.
CIcon Filled(int w, int h, int depth, COLORREF colour)
{
    CIconObject o(depth, w, h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            SetImagePixel(o.color, o.mask, colour, x, y, nullptr);
    o.PackToIcon();
    return o.packed;
}

class NewFormatDialogTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::EnsureQApplication(); }
    std::vector<CIcon> formats_{Filled(16, 16, 4, RGB(255, 0, 0)), Filled(32, 32, 24, RGB(0, 0, 255))};
};

TEST_F(NewFormatDialogTest, OpensWithTheChoicesAndKeepsCustomSidesSquare)
{
    NewFormatChoices start;
    start.sizeChoice = 5;
    start.colorChoice = 3;
    start.customWidth = 20;
    start.customHeight = 24;
    start.squareAspect = true;
    CNewFormatDialog dialog(formats_, start);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Create a new image format");
    EXPECT_TRUE(dialog.SizeButton(5)->isChecked());
    EXPECT_TRUE(dialog.ColourButton(3)->isChecked());
    EXPECT_EQ(dialog.ColourButton(2)->text(), "&256 Colors - Dithered  (8 bits)");
    EXPECT_EQ(dialog.HeightBox()->value(), 24);
    EXPECT_TRUE(dialog.WidthBox()->isEnabled());

    // Typing 40 in Width puts 40 in Height.
    dialog.WidthBox()->setFocus();
    dialog.WidthBox()->selectAll();
    QTest::keyClicks(dialog.WidthBox(), "40");
    EXPECT_EQ(dialog.WidthBox()->value(), 40);
    EXPECT_EQ(dialog.HeightBox()->value(), 40);
    // Without the square aspect the sides go their own ways.
    dialog.SquareBox()->setChecked(false);
    dialog.HeightBox()->selectAll();
    QTest::keyClicks(dialog.HeightBox(), "100");
    EXPECT_EQ(dialog.WidthBox()->value(), 40);
    EXPECT_EQ(dialog.Choices().customHeight, 100);

    // A fixed size greys the sides.
    dialog.SizeButton(0)->click();
    EXPECT_FALSE(dialog.WidthBox()->isEnabled());
    EXPECT_FALSE(dialog.SquareBox()->isEnabled());
    EXPECT_EQ(dialog.Choices().sizeChoice, 0);
}

// Sides out of range are refused with the reason, kept as typed, and the
// dialog stays open; nothing is created.
TEST_F(NewFormatDialogTest, SidesOutOfRangeKeepTheDialogOpen)
{
    const NewFormatChoices saved = RememberedNewFormatChoices();
    test::ScriptedPrompter prompter;
    SetFormatDialogs(&QtFormatDialogs());
    CIconDocument doc;
    doc.OnNewDocument();
    CIconViewState view(&doc);
    view.InitialUpdate(300, 300);

    struct Try {
        const char *width, *height, *reason;
    };
    const Try tries[] = {{"300", "5", "The width must be a number from 8 to 256 pixels."},
                         {"7", "9", "The width must be a number from 8 to 256 pixels."},
                         {"8", "", "The height must be a number from 8 to 256 pixels."},
                         {"256", "257", "The height must be a number from 8 to 256 pixels."}};
    QStringList shownSides;
    int refused = 0;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CNewFormatDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->SizeButton(5)->click();
        dialog->SquareBox()->setChecked(false);
        for (const Try& t : tries) {
            for (auto [box, text] :
                 {std::pair{dialog->WidthBox(), t.width}, std::pair{dialog->HeightBox(), t.height}}) {
                box->setFocus();
                box->selectAll();
                QTest::keyClick(box, Qt::Key_Delete);
                QTest::keyClicks(box, text);
            }
            dialog->accept();
            if (dialog->isVisible() && !prompter.shown.empty() && prompter.shown.back().text == t.reason)
                ++refused;
            shownSides << dialog->WidthBox()->text() + "x" + dialog->HeightBox()->text();
        }
        dialog->reject();
    });
    view.OnCommand(ID_FORMAT_NEW);
    EXPECT_EQ(refused, 4);
    EXPECT_EQ(shownSides, (QStringList{"300x5", "7x9", "8x", "256x257"}));
    ASSERT_EQ(prompter.shown.size(), 4u);
    EXPECT_EQ(prompter.shown[0].style, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(doc.GetFormatCount(), 1);
    EXPECT_FALSE(doc.IsModified());
    SetFormatDialogs(nullptr);
    RememberedNewFormatChoices() = saved;
}

TEST_F(NewFormatDialogTest, ArrowsKeepTheSidesInRange)
{
    NewFormatChoices start;
    start.sizeChoice = 5;
    start.customWidth = 255;
    start.customHeight = 9;
    start.squareAspect = false;
    CNewFormatDialog dialog(formats_, start);
    dialog.WidthBox()->stepBy(5);
    dialog.HeightBox()->stepBy(-5);
    EXPECT_EQ(dialog.WidthBox()->value(), 256);
    EXPECT_EQ(dialog.HeightBox()->value(), 8);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(NewFormatDialogTest, DoubleClicksConfirm)
{
    {
        CNewFormatDialog dialog(formats_, NewFormatChoices{});
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        QTest::mouseDClick(dialog.ColourButton(4), Qt::LeftButton, {}, QPoint(8, dialog.ColourButton(4)->height() / 2));
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.Choices().colorChoice, 4);
        EXPECT_EQ(dialog.ChosenExisting(), -1);
    }
    {
        CNewFormatDialog dialog(formats_, NewFormatChoices{});
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        CFormatListBox* list = dialog.FormatList();
        ASSERT_EQ(list->count(), 2);
        const QRect cell = list->visualItemRect(list->item(1));
        EXPECT_EQ(cell.size(), QSize(62, 72));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell.center());
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.ChosenExisting(), 1);
    }
}

TEST_F(NewFormatDialogTest, CellsShowTheThumbnailAboveSizeAndColours)
{
    CFormatListBox list;
    list.SetFormats(formats_);
    list.resize(200, 100);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    const QImage shot = list.viewport()->grab().toImage();
    const QRect cell = list.visualItemRect(list.item(0));
    // A 16x16 image is centred in its 48x48 thumbnail at (7, 1).
    EXPECT_EQ(shot.pixel(cell.left() + 7 + 24, cell.top() + 1 + 24) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(shot.pixel(cell.left() + 7 + 2, cell.top() + 1 + 2) & 0xFFFFFF, 0xFFFFFFu);
    const QRect second = list.visualItemRect(list.item(1));
    EXPECT_EQ(shot.pixel(second.left() + 7 + 24, second.top() + 1 + 24) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(list.item(1)->toolTip(), "32x32 - 16,8M colors");
}

TEST_F(NewFormatDialogTest, DeleteAndWarningDialogs)
{
    CDeleteFormatDialog del(formats_[0]);
    auto* buttons = del.findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    ASSERT_EQ(buttons->buttons().size(), 2);
    QStringList texts;
    QPushButton* byDefault = nullptr;
    for (QAbstractButton* b : buttons->buttons()) {
        texts << b->text();
        if (static_cast<QPushButton*>(b)->isDefault())
            byDefault = static_cast<QPushButton*>(b);
    }
    EXPECT_TRUE(texts.contains(" DELETE ! "));
    ASSERT_NE(byDefault, nullptr);
    EXPECT_EQ(byDefault->text(), "Cancel"); // Enter never deletes

    CColourWarningDialog warning("first", "second");
    EXPECT_EQ(warning.windowTitle(), "Insufficient video configuration");
    EXPECT_TRUE(warning.AlwaysWarn()); // the box starts checked

    CSelectFormatDialog select(formats_, 1); // opens on the edited format
    EXPECT_EQ(select.Chosen(), 1);
}

// Answers the New dialog with 16x16 in 24 bits and confirms every deletion.
class AnsweringDialogs final : public FormatDialogs {
  public:
    AnsweringDialogs() { SetFormatDialogs(this); }
    ~AnsweringDialogs() override { SetFormatDialogs(nullptr); }
    NewFormatResult NewFormat(const std::vector<CIcon>&, const NewFormatChoices& start) override
    {
        NewFormatResult r{true, start, -1};
        r.choices.sizeChoice = 0;
        r.choices.colorChoice = 4;
        return r;
    }
    bool ConfirmDelete(const CIcon&) override { return true; }
    int SelectFormat(const std::vector<CIcon>&, int) override { return -1; }
    bool ColourWarning(const std::string&, const std::string&) override { return true; }
};

TEST_F(NewFormatDialogTest, TheFormatListsOfEveryWindowFollowNewAndDelete)
{
    const NewFormatChoices saved = RememberedNewFormatChoices();
    AnsweringDialogs dialogs;
    CIconDocument doc;
    doc.OnNewDocument(); // 32x32, 16 colours
    CIconView first(&doc), second(&doc);
    QComboBox* firstList = first.FormatList();
    QComboBox* secondList = second.FormatList();
    first.resize(300, 300);
    second.resize(300, 300);
    first.show();
    second.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&second));

    first.OnCommand(ID_FORMAT_NEW);
    ASSERT_EQ(firstList->count(), 2);
    EXPECT_EQ(firstList->itemText(0), "16x16 - 16,8M colors");
    EXPECT_EQ(firstList->currentIndex(), 0);
    ASSERT_EQ(secondList->count(), 2);
    EXPECT_EQ(secondList->currentText(), "32x32 - 16 colors");

    // The second window deletes its 32x32: both lists shrink, and it edits
    // the format before it.
    second.OnCommand(ID_FORMAT_DELETE);
    EXPECT_EQ(secondList->count(), 1);
    EXPECT_EQ(firstList->count(), 1);
    EXPECT_EQ(secondList->currentText(), "16x16 - 16,8M colors");
    EXPECT_EQ(second.FormatIndex(), 0);
    RememberedNewFormatChoices() = saved;
}

TEST_F(NewFormatDialogTest, TheWarningOfAWindowOpeningOnA256ColourScreen)
{
    const int saved = ShowWarnColor;
    ShowWarnColor = 1;
    SetFormatDialogs(&QtFormatDialogs());
    ScopedScreen screen({8});
    CIconDocument doc;
    doc.OnNewDocument();
    doc.AddFormat(16, 16, 24, 0);
    CIconViewState::FormatToOpen() = 0; // 16x16 in 24 bits
    QString first;
    bool seen = false;
    // The warning is modal: answer it from the event loop it runs.
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CColourWarningDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        seen = true;
        first = dialog->findChild<QLabel*>()->text();
        dialog->AlwaysBox()->setChecked(false);
        dialog->accept();
    });
    CIconView view(&doc);
    view.resize(300, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    EXPECT_TRUE(seen);
    EXPECT_EQ(first, "You are about to modify an icon that contains 16,8M colors  but your system is configured to "
                     "display only 256 colors.");
    EXPECT_EQ(ShowWarnColor, 0);
    // No further warning once the box is cleared.
    view.OnFormatListChanged(1);
    view.OnFormatListChanged(0);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    SetFormatDialogs(nullptr);
    ShowWarnColor = saved;
}

} // namespace
} // namespace kavrel
