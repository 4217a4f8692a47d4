// Text, screen capture and picture import in the editor view.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "document/icon_document.h"
#include "editor/capture.h"
#include "editor/draw_tool.h"
#include "editor/icon_view_state.h"
#include "editor/picture_paste.h"
#include "editor/selection.h"
#include "editor/settings_editor.h"
#include "editor/text_tool.h"
#include "editor/undo.h"
#include "model/icon_model.h"
#include "model/palettes.h"
#include "model/picture_import.h"
#include "resources/strings.h"
#include "support/pixel_picture.h"
#include "support/scripted_prompter.h"

namespace kavrel {
namespace {

using test::PictureIs;

std::unique_ptr<CIconDocument> DocumentWith(int w, int h, int depth, int ownPalette = 0)
{
    auto doc = std::make_unique<CIconDocument>();
    doc->OnNewDocument();
    doc->AddFormat(w, h, depth, ownPalette);
    for (int i = 0; i < doc->GetFormatCount(); ++i) {
        const CIconObject* f = doc->GetFormat(i);
        if (f->width != w || f->height != h || f->bitDepth != depth) {
            doc->RemoveFormat(i);
            break;
        }
    }
    doc->SetModifiedFlag(false); // as opened
    return doc;
}

// Draws a fixed picture whatever the font, and remembers the font asked for.
class FakeRasterizer : public TextRasterizer {
  public:
    Bitmap Render(const TextFont& font, const std::string& text) override
    {
        asked = font;
        lastText = text;
        return pixels;
    }
    Bitmap pixels = test::MonoPicture({"w##w", "w##w", "####"}); // '#' 0 is background, 1 text
    TextFont asked;
    std::string lastText;
};

class FakeGrabber : public ScreenGrabber {
  public:
    bool CanGrab() override { return allowed; }
    Bitmap Grab(const Rect&) override { return {}; }
    bool allowed = true;
};

class TestWindow : public ViewWindow {
  public:
    void Beep() override { ++beeps; }
    bool EditTextSettings() override { return dialogAnswer; }
    TextRasterizer* Rasterizer() override { return &rasterizer; }
    ScreenGrabber* Grabber() override { return &grabber; }
    std::string ChoosePicture(const std::string& title, const std::string& filter) override
    {
        askedTitle = title;
        askedFilter = filter;
        return picture;
    }
    void BeginCaptureDrag() override { ++drags; }
    FakeRasterizer rasterizer;
    FakeGrabber grabber;
    bool dialogAnswer = true;
    int beeps = 0, drags = 0;
    std::string picture, askedTitle, askedFilter;
};

class TextCaptureTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        savedSwitch_ = TransparentCopy;
        savedFace_ = insertTextePolice;
        savedText_ = insertTexteTexte;
        savedSize_ = insertTexteTaille;
        LastTool() = kToolPencil;
        CIconViewState::FormatToOpen() = 0;
    }
    void TearDown() override
    {
        TransparentCopy = savedSwitch_;
        insertTextePolice = savedFace_;
        insertTexteTexte = savedText_;
        insertTexteTaille = savedSize_;
        LastTool() = 0;
    }
    int savedSwitch_ = 0, savedSize_ = 0;
    std::string savedFace_, savedText_;
};

// The text block carries the left colour on the right colour; a transparent
// right colour leaves the image visible around the letters once laid down.
TEST_F(TextCaptureTest, TextInLeftColourOnRightColour)
{
    EXPECT_EQ(TextFontHeight(8, 96), -11); // 10.67 rounds to 11
    EXPECT_EQ(TextFontHeight(10, 120), -17);
    EXPECT_EQ(TextFontHeight(1, 96), -1);
    EXPECT_EQ(MulDiv(-8, 96, 72), -11);

    auto doc = DocumentWith(8, 4, 24);
    TestWindow window;
    CIconViewState view(doc.get(), &window);
    view.InitialUpdate(200, 200);
    CIconObject& f = *view.Format();
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            SetImagePixel(f.color, f.mask, RGB(0, 255, 0), x, y, nullptr);
    view.leftColor = RGB(255, 0, 0);
    view.rightColor = COLOR_TRANSPARENT;

    insertTextePolice = "Some Face";
    insertTexteTexte = "Hi";
    insertTexteTaille = 8;
    insertTexteGras = 1;
    view.OnCommand(ID_TEXT);
    EXPECT_EQ(window.beeps, 0);
    EXPECT_EQ(window.rasterizer.asked.face, "Some Face");
    EXPECT_EQ(window.rasterizer.asked.height, -11);
    EXPECT_EQ(window.rasterizer.asked.weight, 700);
    EXPECT_EQ(window.rasterizer.lastText, "Hi");
    insertTexteGras = 0;

    ASSERT_TRUE(f.floatingColor && f.floatingMask);
    EXPECT_TRUE(PictureIs(*f.floatingColor, *f.floatingMask, {"r..r", "r..r", "...."}));
    EXPECT_EQ(f.selection, (Rect{0, 0, 3, 2}));
    EXPECT_TRUE(f.selectionActive);
    EXPECT_EQ(view.currentTool, kToolSelection);
    EXPECT_EQ(LastTool(), kToolSelection);
    EXPECT_TRUE(doc->IsModified());

    TransparentCopy = 1;
    view.CommitSelection();
    EXPECT_TRUE(PictureIs(f.color, f.mask, {"rggrgggg", "rggrgggg", "gggggggg", "gggggggg"}));

    // A white right colour gives a white block.
    view.rightColor = RGB(255, 255, 255);
    view.OnCommand(ID_TEXT);
    ASSERT_TRUE(f.floatingColor && f.floatingMask);
    EXPECT_TRUE(PictureIs(*f.floatingColor, *f.floatingMask, {"rwwr", "rwwr", "wwww"}));
}

TEST_F(TextCaptureTest, EmptyTextOrFontBeepsAndCancelDoesNothing)
{
    auto doc = DocumentWith(16, 16, 4);
    TestWindow window;
    CIconViewState view(doc.get(), &window);
    view.InitialUpdate(200, 200);
    insertTextePolice = "Face";
    insertTexteTexte = "";
    view.OnCommand(ID_TEXT);
    EXPECT_EQ(window.beeps, 1);
    insertTexteTexte = "x";
    insertTextePolice = "";
    view.OnCommand(ID_TEXT);
    EXPECT_EQ(window.beeps, 2);
    EXPECT_EQ(window.rasterizer.lastText, "");

    insertTextePolice = "Face";
    window.dialogAnswer = false;
    view.OnCommand(ID_TEXT);
    EXPECT_EQ(window.beeps, 2);
    EXPECT_FALSE(view.Format()->floatingColor);
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(view.currentTool, kToolPencil);
}

TEST_F(TextCaptureTest, CaptureFrameStaysOnTheScreen)
{
    // 32x32 on a 1920x1080 screen, pressed at (500, 500).
    CCaptureDrag drag(32, 32, 1920, 1080, 500, 500);
    EXPECT_EQ(drag.PointerClip(), (Rect{0, 32, 1888, 1080}));
    // Moves on the row or the column of the press do not start the frame.
    EXPECT_FALSE(drag.Move(530, 500));
    EXPECT_FALSE(drag.Move(500, 400));
    // The pointer marks the lower-left corner; towards the top-right corner
    // the frame stops 32 pixels from the top and right edges.
    EXPECT_EQ(drag.Move(600, 700), (Rect{600, 668, 632, 700}));
    EXPECT_EQ(drag.Move(1919, 0), (Rect{1888, 0, 1920, 32}));
    EXPECT_EQ(drag.Move(-50, 5000), (Rect{0, 1048, 32, 1080}));
    EXPECT_EQ(drag.Release(100, 100), (Rect{100, 68, 132, 100}));
    EXPECT_FALSE(drag.ShownFrame());
}

TEST_F(TextCaptureTest, CaptureModeDragAndEsc)
{
    test::ScriptedPrompter prompts;
    auto doc = DocumentWith(32, 32, 4);
    TestWindow window;
    CIconViewState view(doc.get(), &window);
    view.InitialUpdate(300, 200);
    CIconObject& f = *view.Format();
    const Bitmap before = f.color;

    // The panel covers the client area.
    view.OnCommand(ID_CAPTURE);
    ASSERT_EQ(view.captureMode, 1);
    view.RenderAll();
    const Rect box = CapturePanelRect(300, 200);
    EXPECT_EQ(box, (Rect{55, 68, 245, 132}));
    EXPECT_EQ(view.Frame().pixel(2, 2), kCaptureBackground);
    EXPECT_EQ(view.Frame().pixel(150, 100), kCapturePanelColour);
    EXPECT_EQ(view.Frame().pixel(box.left, box.top), RGB(0, 0, 0));

    // Esc (any key) ends it without capturing; the next key is the view's again.
    EXPECT_TRUE(view.EndCaptureOnKey());
    EXPECT_EQ(view.captureMode, 0);
    EXPECT_FALSE(view.EndCaptureOnKey());
    EXPECT_EQ(window.drags, 0);
    view.RenderAll();
    EXPECT_NE(view.Frame().pixel(150, 100), kCapturePanelColour);
    EXPECT_EQ(f.color, before);

    // A right press and other commands leave it too.
    view.OnCommand(ID_CAPTURE);
    view.ButtonDown(1, 150, 100);
    EXPECT_EQ(view.captureMode, 0);
    view.OnCommand(ID_CAPTURE);
    view.OnCommand(ID_ZOOM_IN);
    EXPECT_EQ(view.captureMode, 0);
    EXPECT_EQ(window.drags, 0);

    // A left press starts the drag; the captured area is dithered to the 16
    // colours and the whole format becomes opaque.
    view.OnCommand(ID_CAPTURE);
    view.ButtonDown(0, 150, 100);
    EXPECT_EQ(view.captureMode, 0);
    EXPECT_EQ(window.drags, 1);
    Bitmap area = Bitmap::Color(32, 32);
    area.fill(RGB(200, 100, 50));
    ASSERT_TRUE(view.FinishCapture(&area));
    const Palette& standard16 = Standard16Palette();
    bool all16 = true, opaque = true;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const COLORREF c = f.color.pixel(x, y);
            all16 = all16 && standard16.colorRef(standard16.nearestIndex(c)) == c;
            opaque = opaque && f.mask.rawPixel(x, y) == 0;
        }
    EXPECT_TRUE(all16);
    EXPECT_TRUE(opaque);
    EXPECT_NE(f.color, before);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_TRUE(CanUndo(f));
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(TextCaptureTest, CaptureRefusedIsToldAndChangesNothing)
{
    test::ScriptedPrompter prompts;
    auto doc = DocumentWith(32, 32, 4);
    TestWindow window;
    CIconViewState view(doc.get(), &window);
    view.InitialUpdate(300, 200);
    window.grabber.allowed = false;
    view.OnCommand(ID_CAPTURE);
    EXPECT_EQ(view.captureMode, 0);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, LoadString(55305));
    EXPECT_EQ(prompts.shown[0].style, MB_OK | MB_ICONEXCLAMATION);

    // Reading the screen failing at the release is told the same way.
    const Bitmap before = view.Format()->color;
    EXPECT_FALSE(view.FinishCapture(nullptr));
    EXPECT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(view.Format()->color, before);
    EXPECT_FALSE(CanUndo(*view.Format()));
    EXPECT_FALSE(doc->IsModified());
}

class ImportTest : public TextCaptureTest {
  protected:
    // A JPEG made by ImageMagick; empty when it is not installed.
    std::string MakeJpeg(const std::string& name, const std::string& size)
    {
        dir_ = std::filesystem::temp_directory_path() / ("kavrel_import_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
        const std::string path = (dir_ / name).string();
        const std::string command = "convert -size " + size + " gradient:red-blue '" + path + "' 2>/dev/null";
        if (std::system(command.c_str()) != 0 || !std::filesystem::exists(path))
            return {};
        return path;
    }
    void TearDown() override
    {
        if (!dir_.empty())
            std::filesystem::remove_all(dir_);
        TextCaptureTest::TearDown();
    }
    std::filesystem::path dir_;
};

TEST_F(ImportTest, JpegFitsIntoTheFormatAsFloatingSelection)
{
    const std::string path = MakeJpeg("wide.jpg", "320x200");
    if (path.empty())
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    test::ScriptedPrompter prompts;
    auto doc = DocumentWith(32, 32, 4);
    TestWindow window;
    CIconViewState view(doc.get(), &window);
    view.InitialUpdate(300, 300);
    window.picture = path;
    view.OnCommand(ID_IMPORT_PICTURE);
    EXPECT_EQ(window.askedTitle, "Importing Image...");
    EXPECT_EQ(
        window.askedFilter,
        "Image files(*.bmp;*.dib;*.jpg;*.jpeg;*.png;*.rle)|*.bmp;*.dib;*.jpg;*.jpeg;*.png;*.rle|All files(*.*)|*.*|");
    const CIconObject& f = *view.Format();
    ASSERT_TRUE(f.floatingColor && f.floatingMask);
    EXPECT_EQ(f.floatingColor->width(), 32);
    EXPECT_EQ(f.floatingColor->height(), 20);
    EXPECT_EQ(f.selection, (Rect{0, 0, 31, 19}));
    bool opaque = true;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 32; ++x)
            opaque = opaque && f.floatingMask->rawPixel(x, y) == 0;
    EXPECT_TRUE(opaque);
    EXPECT_EQ(view.currentTool, kToolSelection);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_TRUE(prompts.shown.empty()); // no own palette, no question

    // Cancelling the dialog or a file that does not read pastes nothing.
    view.CommitSelection();
    window.picture.clear();
    view.OnCommand(ID_IMPORT_PICTURE);
    EXPECT_FALSE(f.floatingColor);
    window.picture = (dir_ / "missing.jpg").string();
    view.OnCommand(ID_IMPORT_PICTURE);
    EXPECT_FALSE(f.floatingColor);
}

TEST_F(ImportTest, OwnPaletteAsksBeforeTakingThePicturesPalette)
{
    const std::string path = MakeJpeg("tall.jpg", "20x40");
    if (path.empty())
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    test::ScriptedPrompter prompts;
    auto doc = DocumentWith(32, 32, 8, 1);
    TestWindow window;
    CIconViewState view(doc.get(), &window);
    view.InitialUpdate(300, 300);
    CIconObject& f = *view.Format();
    ASSERT_TRUE(f.ownPalette);
    const Palette own = f.palette;

    prompts.Answer(IDNO);
    EXPECT_TRUE(ImportPictureFile(view, path).pasted);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, LoadString(55102));
    EXPECT_EQ(prompts.shown[0].style, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(f.palette, own);
    ASSERT_TRUE(f.floatingColor);
    EXPECT_EQ(f.floatingColor->width(), 16);
    EXPECT_EQ(f.floatingColor->height(), 32);

    prompts.Answer(IDYES);
    const ImportResult yes = ImportPictureFile(view, path);
    EXPECT_TRUE(yes.pasted && yes.paletteReplaced);
    EXPECT_NE(f.palette, own);
    EXPECT_EQ(f.palette[5].red, GetRValue(CubeColor(ColorCube::A, 5)));
}

} // namespace
} // namespace kavrel
