// The clipboard through the system clipboard: what Copy offers other
// programs, and images of other programs pasted into the editor.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QImageReader>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QRadioButton>
#include <QTest>

#include "document/icon_document.h"
#include "editor/clipboard.h"
#include "editor/icon_view_state.h"
#include "editor/selection.h"
#include "editor/settings_editor.h"
#include "editor/tool_selection.h"
#include "editor/ui/paste_options_dialog.h"
#include "editor/ui/qt_clipboard.h"
#include "model/icon_model.h"

namespace kavrel {
namespace {

class SystemClipboardTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        if (!QApplication::instance()) {
            static int argc = 1;
            static char name[] = "kavrel_tests_gui";
            static char* argv[] = {name, nullptr};
            new QApplication(argc, argv);
        }
        savedSwitch_ = TransparentCopy;
        TransparentCopy = 0;
        InstallTool(kToolSelection, std::make_unique<CSelectionTool>());
        SetClipboardService(&clipboard_);
        BindClipboardSettings(&ask_, &background_);
        doc_.OnNewDocument(); // 32x32, 16 colours
        doc_.AddFormat(48, 48, 24, 0);
        CIconViewState::FormatToOpen() = 0;
        view_ = std::make_unique<CIconViewState>(&doc_);
        view_->InitialUpdate(400, 300);
    }
    void TearDown() override
    {
        view_.reset();
        ClearTools();
        SetClipboardService(nullptr);
        BindClipboardSettings(nullptr, nullptr);
        TransparentCopy = savedSwitch_;
    }
    CIconObject& F() { return *view_->Format(); }

    QtClipboard clipboard_;
    int ask_ = 0; // no Paste options dialog
    std::uint32_t background_ = 0xFFFFFF;
    CIconDocument doc_;
    std::unique_ptr<CIconViewState> view_;
    int savedSwitch_ = 0;
};

TEST_F(SystemClipboardTest, CopyOffersPngBmpAndOurOwnBlockAndPastesBackWithTransparency)
{
    ASSERT_EQ(F().width, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            SetImagePixel(F().color, F().mask, x < 16 ? RGB(255, 0, 0) : RGB(0, 0, 255), x, y, nullptr);
    SetImagePixel(F().color, F().mask, COLOR_TRANSPARENT, 3, 3, nullptr);
    view_->OnCommand(ID_EDIT_COPY);

    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(mime, nullptr);
    EXPECT_TRUE(mime->hasFormat(QtClipboard::PrivateMimeType()));
    ASSERT_TRUE(mime->hasFormat("image/png"));
    ASSERT_TRUE(mime->hasFormat("image/bmp"));
    for (const char* type : {"png", "bmp"}) {
        SCOPED_TRACE(type);
        QByteArray data = mime->data(QStringLiteral("image/") + QLatin1String(type));
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, type);
        const QImage image = reader.read();
        ASSERT_FALSE(image.isNull()) << reader.errorString().toStdString();
        EXPECT_EQ(image.size(), QSize(32, 32));
        EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
        EXPECT_EQ(image.pixel(31, 31) & 0xFFFFFF, 0x0000FFu);
        // The transparent pixel shows the clipboard background.
        EXPECT_EQ(image.pixel(3, 3) & 0xFFFFFF, 0xFFFFFFu);
    }

    // Our own block comes first when pasting: the transparent pixel stays.
    view_->SwitchFormat(1);
    ASSERT_EQ(F().width, 48);
    CCmdUI ui;
    ui.id = ID_EDIT_PASTE;
    view_->OnUpdateCommand(ui);
    EXPECT_TRUE(ui.enabled);
    view_->OnCommand(ID_EDIT_PASTE);
    ASSERT_TRUE(HasFloating(F()));
    EXPECT_EQ(F().selection, (Rect{0, 0, 31, 31}));
    EXPECT_EQ(GetImagePixel(*F().floatingColor, *F().floatingMask, 3, 3), COLOR_TRANSPARENT);
    EXPECT_EQ(GetImagePixel(*F().floatingColor, *F().floatingMask, 20, 3), RGB(0, 0, 255));
}

TEST_F(SystemClipboardTest, AnImageOfAnotherProgramPastesOpaqueAndAHugeOneIsMeasuredFirst)
{
    QImage picture(64, 64, QImage::Format_ARGB32);
    picture.fill(QColor(0, 255, 0));
    picture.setPixel(0, 0, qRgba(0, 0, 0, 0));
    QGuiApplication::clipboard()->setImage(picture);
    view_->SwitchFormat(1);
    view_->OnCommand(ID_EDIT_PASTE);
    ASSERT_TRUE(HasFloating(F()));
    EXPECT_EQ(F().selection, (Rect{0, 0, 47, 47}));
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x)
            ASSERT_EQ(F().floatingMask->rawPixel(x, y), 0u);
    EXPECT_EQ(F().floatingColor->pixel(0, 0), RGB(255, 255, 255)); // alpha laid on white
    EXPECT_EQ(F().floatingColor->pixel(47, 47), RGB(0, 255, 0));

    // A PNG larger than any format is described by its size, not decoded.
    QImage big(5000, 10, QImage::Format_RGB32);
    big.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    big.save(&buffer, "PNG");
    QMimeData mime;
    mime.setData("image/png", png);
    const ClipboardContents c = QtClipboard::ContentsFrom(mime);
    ASSERT_FALSE(c.dib.empty());
    EXPECT_EQ(c.dib.header()->biWidth, 5000);
    EXPECT_TRUE(c.dib.bits().empty());
}

// Another program on a real X display reads what we copied and gives us an
// image. Run by hand: xvfb-run env QT_QPA_PLATFORM=xcb kavrel_tests_gui
// --gtest_filter='*OtherPrograms*' (needs xclip and ImageMagick's convert).
TEST_F(SystemClipboardTest, OtherProgramsReadOurImageAndGiveUsTheirs)
{
    if (QGuiApplication::platformName() != "xcb" || QStandardPaths::findExecutable("xclip").isEmpty() ||
        QStandardPaths::findExecutable("convert").isEmpty())
        GTEST_SKIP() << "needs an X display, xclip and convert";
    auto run = [](QProcess& p) {
        // Our side must keep answering the X selection requests meanwhile.
        for (int i = 0; i < 1000 && !p.waitForFinished(10); ++i)
            QCoreApplication::processEvents();
    };
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            SetImagePixel(F().color, F().mask, RGB(255, 0, 0), x, y, nullptr);
    view_->OnCommand(ID_EDIT_COPY);
    QProcess out;
    out.start("xclip", {"-selection", "clipboard", "-t", "image/png", "-o"});
    run(out);
    const QImage read = QImage::fromData(out.readAllStandardOutput(), "PNG");
    ASSERT_EQ(read.size(), QSize(32, 32));
    EXPECT_EQ(read.pixel(5, 5) & 0xFFFFFF, 0xFF0000u);

    QProcess make;
    make.start("convert", {"-size", "40x30", "xc:blue", "png:-"});
    run(make);
    const QByteArray png = make.readAllStandardOutput();
    QProcess in;
    in.start("xclip", {"-selection", "clipboard", "-t", "image/png", "-i"});
    in.write(png);
    in.closeWriteChannel();
    run(in); // xclip stays behind to serve the selection
    for (int i = 0; i < 50 && !QGuiApplication::clipboard()->mimeData()->hasFormat("image/png"); ++i)
        QTest::qWait(20);
    view_->SwitchFormat(1);
    view_->OnCommand(ID_EDIT_PASTE);
    ASSERT_TRUE(HasFloating(F()));
    EXPECT_EQ(F().selection, (Rect{0, 0, 39, 29}));
    EXPECT_EQ(F().floatingColor->pixel(10, 10), RGB(0, 0, 255));
}

TEST_F(SystemClipboardTest, PasteOptionsDialogGreysTheSelectionChoicesWithoutASelection)
{
    CPasteOptionsDialog without(3, false);
    EXPECT_FALSE(without.Choice(2)->isEnabled());
    EXPECT_FALSE(without.Choice(3)->isEnabled());
    EXPECT_EQ(without.Placement(), 0);
    EXPECT_EQ(without.Choice(1)->text(), "&Resize image to fit the editor area");
    CPasteOptionsDialog with(2, true);
    EXPECT_TRUE(with.Choice(3)->isEnabled());
    EXPECT_EQ(with.Placement(), 2);
    EXPECT_EQ(with.windowTitle(), "Paste options");
}

} // namespace
} // namespace kavrel
