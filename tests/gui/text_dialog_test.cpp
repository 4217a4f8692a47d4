#include "editor/ui/text_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>

#include "document/icon_document.h"
#include "editor/icon_view_state.h"
#include "editor/settings_editor.h"
#include "editor/text_tool.h"
#include "editor/ui/editor_host.h"
#include "editor/ui/icon_view.h"
#include "editor/ui/picture_dialog.h"
#include "editor/ui/qt_text_rasterizer.h"
#include "editor/ui/screen_grabber.h"
#include "model/icon_model.h"
#include "model/palettes.h"
#include "platform/screen.h"
#include "support/qt_app.h"

namespace kavrel {
namespace {

class TextDialogTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite()
    {
        test::EnsureQApplication();
    }
    void SetUp() override
    {
        saved_ = {insertTextePolice, insertTexteTexte};
        savedInts_ = {insertTexteTaille, insertTexteGras, insertTexteItalic};
    }
    void TearDown() override
    {
        insertTextePolice = saved_[0];
        insertTexteTexte = saved_[1];
        insertTexteTaille = savedInts_[0];
        insertTexteGras = savedInts_[1];
        insertTexteItalic = savedInts_[2];
    }
    static QString SomeFamily()
    {
        const QStringList families = QFontDatabase::families();
        return families.isEmpty() ? QString() : families.back();
    }
    std::array<std::string, 2> saved_;
    std::array<int, 3> savedInts_{};
};

TEST_F(TextDialogTest, OpensFromTheSettingsAndPreviewsAtTheScreenSize)
{
    ScopedScreen screen(ScreenInfo{24, 96, 96, 1920, 1080});
    const QString family = SomeFamily();
    ASSERT_FALSE(family.isEmpty());
    insertTextePolice = family.toStdString();
    insertTexteTexte = "Hello";
    insertTexteTaille = 8;
    insertTexteGras = 1;
    insertTexteItalic = 0;
    CTextDialog dialog;
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Add text");
    EXPECT_EQ(dialog.TextEdit()->text(), "Hello");
    EXPECT_EQ(dialog.TextEdit()->maxLength(), 100);
    EXPECT_EQ(dialog.FontList()->currentText(), family);
    EXPECT_EQ(dialog.SizeBox()->value(), 8);
    EXPECT_EQ(dialog.SizeBox()->minimum(), 1);
    EXPECT_EQ(dialog.SizeBox()->maximum(), 128);
    EXPECT_TRUE(dialog.BoldBox()->isChecked());
    EXPECT_FALSE(dialog.ItalicBox()->isChecked());

    // 8 points at 96 dpi: 10.67 rounds to a height of -11.
    EXPECT_EQ(dialog.PreviewFontHeight(), -11);
    EXPECT_EQ(dialog.Preview()->PreviewFont().pixelSize(), 11);
    EXPECT_TRUE(dialog.Preview()->PreviewFont().bold());
    dialog.SizeBox()->setValue(24);
    EXPECT_EQ(dialog.PreviewFontHeight(), -32);
    dialog.SizeBox()->setValue(500); // refused by the range
    EXPECT_EQ(dialog.SizeBox()->value(), 128);
    QTest::mouseClick(dialog.ItalicBox(), Qt::LeftButton);
    EXPECT_TRUE(dialog.Preview()->PreviewFont().italic());
    dialog.TextEdit()->setText(QString(150, 'x'));
    EXPECT_EQ(dialog.TextEdit()->text().size(), 100);

    // Cancel keeps the settings; OK takes the dialog's values.
    dialog.reject();
    EXPECT_EQ(insertTexteTaille, 8);
    EXPECT_EQ(insertTexteTexte, "Hello");
    dialog.accept();
    EXPECT_EQ(insertTexteTaille, 128);
    EXPECT_EQ(insertTexteItalic, 1);
    EXPECT_EQ(insertTexteGras, 1);
    EXPECT_EQ(insertTexteTexte, std::string(100, 'x'));
    EXPECT_EQ(insertTextePolice, family.toStdString());
}

TEST_F(TextDialogTest, MissingFaceFallsBackOnTheDesktopFace)
{
    insertTextePolice = "No Such Face Anywhere";
    CTextDialog dialog;
    EXPECT_GE(dialog.FontList()->currentIndex(), 0);
    EXPECT_NE(dialog.FontList()->currentText(), "No Such Face Anywhere");
}

TEST_F(TextDialogTest, RasterizerDrawsTheLineAtItsExtent)
{
    QtTextRasterizer rasterizer;
    const TextFont font{SomeFamily().toStdString(), -16, 400, false};
    const Bitmap pixels = rasterizer.Render(font, "Hi");
    ASSERT_FALSE(pixels.isNull());
    const QFontMetrics metrics(QtFontFor(font.face, font.height, font.weight, font.italic));
    EXPECT_EQ(pixels.height(), metrics.height());
    EXPECT_EQ(pixels.width(), metrics.horizontalAdvance("Hi"));
    int set = 0;
    for (int y = 0; y < pixels.height(); ++y)
        for (int x = 0; x < pixels.width(); ++x)
            set += pixels.rawPixel(x, y);
    EXPECT_GT(set, 10);
    EXPECT_LT(set, pixels.width() * pixels.height() / 2);
    EXPECT_TRUE(rasterizer.Render(font, "").isNull());
}

// Any key in capture mode ends it and does nothing else (Esc would otherwise
// reach the librarian command).
TEST_F(TextDialogTest, KeyInCaptureModeOnlyEndsIt)
{
    struct Host : EditorHost {
        void SetStatusPaneText(int, const std::string&) override {}
        bool IsStatusBarShown() const override { return false; }
        void RepaintActualSizePreview() override {}
        void ActivateViewFrame(CIconView*) override {}
        void SendMainWindowCommand(std::uint16_t id) override { commands.push_back(id); }
        bool IsLocalToolbarShown(CIconView*) const override { return false; }
        void ShowLocalToolbar(CIconView*, bool) override {}
        bool FocusLibrarian() override { return false; }
        std::vector<std::uint16_t> commands;
    } host;
    SetEditorHost(&host);
    CIconDocument doc;
    doc.OnNewDocument();
    {
        CIconView view(&doc);
        view.resize(300, 300);
        view.show();
        view.State().captureMode = 1;
        QTest::keyClick(&view, Qt::Key_Escape);
        EXPECT_EQ(view.State().captureMode, 0);
        EXPECT_TRUE(host.commands.empty());
        QTest::keyClick(&view, Qt::Key_Escape);
        EXPECT_EQ(host.commands, std::vector<std::uint16_t>{ID_VIEW_LIBRARIAN});
    }
    SetEditorHost(nullptr);
}

// The Qt fonts through the view: the letters in the left colour on a
// transparent right colour leave the block's background transparent.
TEST_F(TextDialogTest, TextFromQtFontsBecomesAFloatingBlock)
{
    CIconDocument doc;
    doc.OnNewDocument(); // 32x32, 16 colours
    CIconView view(&doc);
    view.resize(300, 300);
    view.show();
    QApplication::processEvents();
    CIconViewState& state = view.State();
    state.leftColor = RGB(255, 0, 0);
    state.rightColor = COLOR_TRANSPARENT;
    TextRequest request{SomeFamily().toStdString(), "Kv", 8, false, false};
    QtTextRasterizer rasterizer;
    ASSERT_EQ(AddText(state, request, rasterizer, 96), TextOutcome::Pasted);
    const CIconObject& f = *view.CurrentFormat();
    ASSERT_TRUE(f.floatingColor && f.floatingMask);
    int red = 0, transparent = 0, other = 0;
    for (int y = 0; y < f.floatingColor->height(); ++y)
        for (int x = 0; x < f.floatingColor->width(); ++x) {
            const bool opaque = f.floatingMask->rawPixel(x, y) == 0;
            const COLORREF c = f.floatingColor->pixel(x, y);
            if (opaque && c == RGB(255, 0, 0))
                ++red;
            else if (!opaque && c == RGB(0, 0, 0))
                ++transparent;
            else
                ++other;
        }
    EXPECT_GT(red, 5);
    EXPECT_GT(transparent, red);
    EXPECT_EQ(other, 0);
}

// The whole capture through the widget: F9's mode, a press, a drag and the
// release read the screen into the format, opaque, and the main window is
// back where it was. Skipped where the platform cannot read the screen.
TEST_F(TextDialogTest, CaptureDragReadsTheScreenIntoTheFormat)
{
    QtScreenGrabber grabber;
    if (!grabber.CanGrab())
        GTEST_SKIP() << "this platform does not read the screen";
    CIconDocument doc;
    doc.OnNewDocument(); // 32x32, 16 colours, transparent
    CIconView view(&doc);
    view.resize(300, 300);
    view.move(100, 100);
    view.show();
    QApplication::processEvents();
    CCmdTarget* route[] = {&view};
    SendCommand(route, ID_CAPTURE);
    ASSERT_EQ(view.State().captureMode, 1);
    QWidget* viewport = view.viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(150, 150));
    EXPECT_EQ(view.State().captureMode, 0);
    EXPECT_NE(view.pos(), QPoint(100, 100)); // out of the way
    QMouseEvent move(QEvent::MouseMove, QPointF(200, 200), viewport->mapToGlobal(QPointF(200, 200)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(200, 200));
    EXPECT_EQ(view.pos(), QPoint(100, 100));
    const CIconObject& f = *view.CurrentFormat();
    bool opaque = true;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            opaque = opaque && f.mask.rawPixel(x, y) == 0;
    EXPECT_TRUE(opaque);
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(TextDialogTest, PictureDialogPreviewsTheChosenPicture)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("wide.jpg");
    const std::string command = "convert -size 320x200 gradient:red-blue '" + path.toStdString() + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0)
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    CPictureDialog dialog(nullptr, "Importing Image...",
                          "Image files(*.bmp;*.dib;*.jpg;*.rle)|*.bmp;*.dib;*.jpg;*.rle|All files(*.*)|*.*|");
    EXPECT_EQ(dialog.windowTitle(), "Importing Image...");
    EXPECT_EQ(dialog.nameFilters(), (QStringList{"Image files (*.bmp *.dib *.jpg *.rle)", "All files (*)"}));
    EXPECT_EQ(dialog.PreviewBox()->text(), "&Preview");
    dialog.ShowPreview(path);
    EXPECT_EQ(dialog.PreviewImage().size(), QSize(128, 80));
    dialog.PreviewBox()->setChecked(false);
    EXPECT_TRUE(dialog.PreviewImage().isNull());
    dialog.PreviewBox()->setChecked(true);
    EXPECT_FALSE(dialog.PreviewImage().isNull());
    dialog.ShowPreview(dir.filePath("missing.jpg"));
    EXPECT_TRUE(dialog.PreviewImage().isNull());
    // A name typed into the file-name field shows too.
    auto* edit = dialog.findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(edit, nullptr);
    edit->setText(path);
    EXPECT_EQ(dialog.PreviewImage().size(), QSize(128, 80));
}

} // namespace
} // namespace kavrel
