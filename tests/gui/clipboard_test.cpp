// The clipboard through the system clipboard: what Copy offers other
// programs, and images of other programs pasted into the editor.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QImageReader>
#include <QMimeData>
#include <QProcess>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTest>

#include "document/icon_document.h"
#include "editor/clipboard.h"
#include "editor/icon_view_state.h"
#include "editor/selection.h"
#include "editor/settings_editor.h"
#include "editor/tool_selection.h"
#include "editor/ui/icon_view.h"
#include "editor/ui/paste_options_dialog.h"
#include "editor/ui/qt_clipboard.h"
#include "model/icon_model.h"
#include "support/alpha_format.h"
#include "support/qt_app.h"

namespace kavrel {
namespace {

class SystemClipboardTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        test::EnsureQApplication();
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
    // Adds a 16x16 true-colour format with alpha, all transparent; its index.
    int AddAlphaFormat()
    {
        doc_.AddFormat(16, 16, 24, 0);
        int index = 0;
        for (int i = 0; i < doc_.GetFormatCount(); ++i)
            if (doc_.GetFormat(i)->width == 16)
                index = i;
        test::MakeAlphaFormat(*doc_.GetFormat(index));
        return index;
    }

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

TEST_F(SystemClipboardTest, FormatsWithAlphaCopyAndPastePngWithAlpha)
{
    const int index = AddAlphaFormat();
    CIconObject& f = *doc_.GetFormat(index);
    SetImagePixel(f.color, f.mask, RGB(255, 0, 0), 0, 0, nullptr, 128);
    SetImagePixel(f.color, f.mask, RGB(0, 255, 0), 1, 0, nullptr);
    view_->SwitchFormat(index);
    view_->OnCommand(ID_EDIT_COPY);

    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(mime, nullptr);
    ASSERT_TRUE(mime->hasFormat("image/png"));
    const QImage png = QImage::fromData(mime->data("image/png"), "PNG");
    ASSERT_TRUE(png.hasAlphaChannel());
    EXPECT_EQ(png.pixel(0, 0), qRgba(255, 0, 0, 128));
    EXPECT_EQ(png.pixel(1, 0), qRgba(0, 255, 0, 255));
    EXPECT_EQ(qAlpha(png.pixel(2, 0)), 0);
    // The BMP stays laid on the clipboard background.
    const QImage bmp = QImage::fromData(mime->data("image/bmp"), "BMP");
    EXPECT_EQ(bmp.pixel(0, 0) & 0xFFFFFF, 0xFF7F7Fu);

    // Another program's PNG with alpha pastes with it into a 32-bit format.
    QImage picture(4, 4, QImage::Format_ARGB32);
    picture.fill(qRgba(0, 0, 255, 200));
    picture.setPixel(3, 3, qRgba(0, 0, 0, 0));
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    auto* other = new QMimeData;
    other->setData("image/png", data);
    QGuiApplication::clipboard()->setMimeData(other);
    view_->OnCommand(ID_EDIT_PASTE);
    ASSERT_TRUE(HasFloating(F()));
    EXPECT_EQ(F().floatingColor->rawPixel(0, 0), 0xC80000FFu);
    EXPECT_EQ(F().floatingColor->rawPixel(3, 3), 0u);
    EXPECT_EQ(F().floatingMask->rawPixel(3, 3), 1u);
    view_->CommitSelection();
    EXPECT_EQ(F().color.rawPixel(2, 2), 0xC80000FFu);
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
    QProcess targets;
    targets.start("xclip", {"-selection", "clipboard", "-t", "TARGETS", "-o"});
    run(targets);
    const QString offered = QString::fromLatin1(targets.readAllStandardOutput());
    EXPECT_TRUE(offered.contains("image/png")) << offered.toStdString();
    EXPECT_TRUE(offered.contains("image/bmp")) << offered.toStdString();
    EXPECT_TRUE(offered.contains("Kavrel 4.0 Data")) << offered.toStdString();
    ASSERT_EQ(read.size(), QSize(32, 32));
    EXPECT_EQ(read.pixel(5, 5) & 0xFFFFFF, 0xFF0000u);

    // Text from another program: nothing to paste, and the answer is kept.
    QProcess text;
    text.start("xclip", {"-selection", "clipboard", "-i"});
    text.write("words");
    text.closeWriteChannel();
    run(text);
    for (int i = 0; i < 50 && clipboard_.CanPaste(); ++i)
        QTest::qWait(20);
    EXPECT_FALSE(clipboard_.CanPaste());

    QProcess make;
    make.start("convert", {"-size", "40x30", "xc:blue", "png:-"});
    run(make);
    const QByteArray png = make.readAllStandardOutput();
    QProcess in;
    in.start("xclip", {"-selection", "clipboard", "-t", "image/png", "-i"});
    in.write(png);
    in.closeWriteChannel();
    run(in); // xclip stays behind to serve the selection
    // The change reaches the kept answer: Paste is offered again.
    for (int i = 0; i < 50 && !clipboard_.CanPaste(); ++i)
        QTest::qWait(20);
    EXPECT_TRUE(clipboard_.CanPaste());
    view_->SwitchFormat(1);
    view_->OnCommand(ID_EDIT_PASTE);
    ASSERT_TRUE(HasFloating(F()));
    EXPECT_EQ(F().selection, (Rect{0, 0, 39, 29}));
    EXPECT_EQ(F().floatingColor->pixel(10, 10), RGB(0, 0, 255));
}

// The same through another program on a real X display. Run by hand like
// the test above.
TEST_F(SystemClipboardTest, OtherProgramsReadAndGiveUsAlpha)
{
    if (QGuiApplication::platformName() != "xcb" || QStandardPaths::findExecutable("xclip").isEmpty() ||
        QStandardPaths::findExecutable("convert").isEmpty())
        GTEST_SKIP() << "needs an X display, xclip and convert";
    auto run = [](QProcess& p) {
        for (int i = 0; i < 1000 && !p.waitForFinished(10); ++i)
            QCoreApplication::processEvents();
    };
    const int index = AddAlphaFormat();
    CIconObject& f = *doc_.GetFormat(index);
    SetImagePixel(f.color, f.mask, RGB(255, 0, 0), 5, 5, nullptr, 128);
    view_->SwitchFormat(index);
    // Another program may own the selection since a later time than any
    // event we saw; a window of ours shown and clicked brings us up to date.
    QWidget probe;
    probe.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&probe));
    QTest::mouseClick(&probe, Qt::LeftButton);
    QTest::qWait(50);
    view_->OnCommand(ID_EDIT_COPY);
    QProcess out;
    out.start("xclip", {"-selection", "clipboard", "-t", "image/png", "-o"});
    run(out);
    const QImage read = QImage::fromData(out.readAllStandardOutput(), "PNG");
    ASSERT_EQ(read.size(), QSize(16, 16));
    EXPECT_EQ(read.pixel(5, 5), qRgba(255, 0, 0, 128));
    EXPECT_EQ(qAlpha(read.pixel(0, 0)), 0);

    // ImageMagick's half-transparent green, pasted with its alpha.
    QProcess make;
    make.start("convert", {"-size", "6x4", "xc:rgba(0,255,0,0.5)", "png32:-"});
    run(make);
    QProcess in;
    in.start("xclip", {"-selection", "clipboard", "-t", "image/png", "-i"});
    in.write(make.readAllStandardOutput());
    in.closeWriteChannel();
    run(in);
    for (int i = 0; i < 50 && !clipboard_.CanPaste(); ++i)
        QTest::qWait(20);
    view_->OnCommand(ID_EDIT_PASTE);
    ASSERT_TRUE(HasFloating(F()));
    EXPECT_EQ(F().selection, (Rect{0, 0, 5, 3}));
    const std::uint32_t pixel = F().floatingColor->rawPixel(2, 2);
    EXPECT_EQ(pixel & 0x00FFFFFFu, 0x00FF00u);
    EXPECT_NEAR(static_cast<int>(pixel >> 24), 128, 1);
}

// What the clipboard holds is asked once and kept until it changes.
TEST_F(SystemClipboardTest, CanPasteFollowsTheClipboardsChanges)
{
    QGuiApplication::clipboard()->setText(QStringLiteral("words"));
    QCoreApplication::processEvents();
    EXPECT_FALSE(clipboard_.CanPaste());
    view_->OnCommand(ID_EDIT_SELECT_ALL);
    view_->OnCommand(ID_EDIT_COPY);
    EXPECT_TRUE(clipboard_.CanPaste());
    QGuiApplication::clipboard()->setText(QStringLiteral("more words"));
    QCoreApplication::processEvents();
    EXPECT_FALSE(clipboard_.CanPaste());
    auto* image = new QMimeData;
    image->setImageData(QImage(4, 4, QImage::Format_RGB32));
    QGuiApplication::clipboard()->setMimeData(image);
    QCoreApplication::processEvents();
    EXPECT_TRUE(clipboard_.CanPaste());
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
    // KAVREL_SCREENSHOTS=folder keeps a picture of the dialog to look at.
    if (const QString dir = qEnvironmentVariable("KAVREL_SCREENSHOTS"); !dir.isEmpty()) {
        with.show();
        QTest::qWait(50);
        with.grab().save(dir + "/paste_options.png");
    }
}

// The selection tool through the widget: a rubber band marks, a drag inside
// moves the contents, and the view shows them floating at the new place.
TEST_F(SystemClipboardTest, DraggingInTheViewMarksAndMovesTheSelection)
{
    view_.reset();
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            SetImagePixel(doc_.GetFormat(0)->color, doc_.GetFormat(0)->mask,
                          x >= 2 && x <= 9 && y >= 2 && y <= 7 ? RGB(255, 0, 0) : RGB(0, 0, 255), x, y, nullptr);
    CIconViewState::FormatToOpen() = 0;
    CIconView view(&doc_);
    view.resize(400, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    CCmdTarget* route[] = {&view};
    SendCommand(route, kToolCommands[kToolSelection]);
    view.State().rightColor = RGB(255, 255, 255);
    QWidget* port = view.viewport();
    auto at = [&](int c, int r) {
        const CIconViewState& s = view.State();
        return QPoint(s.originX + c * s.zoom + s.zoom / 2 - s.scrollX, s.originY + r * s.zoom + s.zoom / 2 - s.scrollY);
    };
    auto drag = [&](QPoint from, QPoint to, bool release) {
        QTest::mouseMove(port, from);
        QTest::mousePress(port, Qt::LeftButton, {}, from);
        QTest::mouseMove(port, (from + to) / 2);
        QTest::mouseMove(port, to);
        if (release)
            QTest::mouseRelease(port, Qt::LeftButton, {}, to);
    };
    drag(at(2, 2), at(9, 7), true);
    CIconObject* f = doc_.GetFormat(0);
    ASSERT_TRUE(f->selectionActive);
    EXPECT_EQ(f->selection, (Rect{2, 2, 9, 7}));
    drag(at(4, 4), at(14, 14), true);
    EXPECT_EQ(f->selection, (Rect{12, 12, 19, 17}));
    EXPECT_EQ(f->color.pixel(3, 3), RGB(255, 255, 255)); // left behind
    EXPECT_EQ(f->color.pixel(15, 15), RGB(0, 0, 255));   // not laid down yet
    QTest::qWait(20);
    const QImage shown = port->grab().toImage();
    EXPECT_EQ(shown.pixel(at(15, 15)) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(shown.pixel(at(3, 3)) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_TRUE(doc_.IsModified());

    // A rubber band while the button is held, then the selection it gives.
    drag(at(22, 20), at(28, 26), false);
    QTest::qWait(20);
    if (const QString dir = qEnvironmentVariable("KAVREL_SCREENSHOTS"); !dir.isEmpty())
        port->grab().save(dir + "/selection_band.png");
    QTest::mouseRelease(port, Qt::LeftButton, {}, at(28, 26));
    EXPECT_EQ(f->selection, (Rect{22, 20, 28, 26}));
    EXPECT_EQ(f->color.pixel(15, 15), RGB(255, 0, 0)); // the moved one was laid down
}

} // namespace
} // namespace kavrel
