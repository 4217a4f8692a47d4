// The icon document: naming, new documents, the file it writes, refused
// files, round trips through files made by independent tools, 32-bit formats
// saved with their alpha, and the question before a format converted from
// 32 bits loses its alpha.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "document/icon_document.h"
#include "model/ico_file.h"
#include "model/png_image.h"
#include "platform/atomic_file.h"
#include "platform/byte_reader.h"
#include "resources/strings.h"
#include "support/external_tools.h"
#include "support/scripted_prompter.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;
using test::ScriptedPrompter;

using test::CommandOutput;
using test::HaveTool;

std::vector<std::uint8_t> Bytes(const std::string& path)
{
    return ReadWholeFile(path).value_or(std::vector<std::uint8_t>{});
}

class IconDocumentTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/kavrel-doc-XXXXXX";
        dir_ = mkdtemp(pattern);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string file(const std::string& name) const { return dir_ + "/" + name; }

    // An ICO file by icotool from pictures drawn by ImageMagick; perFile goes
    // before each picture: "-b 32" for 32-bit images, "-r" for PNG storage.
    std::string MakeIco(const std::string& name, const std::string& perFile)
    {
        const std::string a = file("a.png"), b = file("b.png"), out = file(name);
        int s1 = 0, s2 = 0, s3 = 0;
        CommandOutput(
            "convert -size 16x16 xc:none -fill red -draw 'rectangle 0,0 7,7' -fill blue -draw 'point 15,15' PNG32:" + a,
            &s1);
        CommandOutput("convert -size 32x32 xc:white -fill '#00ff00' -draw 'rectangle 4,4 20,12' -fill none -draw "
                      "'color 31,31 reset' PNG32:" +
                          b,
                      &s2);
        CommandOutput("icotool -c -o " + out + " " + perFile + " " + a + " " + perFile + " " + b + " 2>&1", &s3);
        EXPECT_EQ(s1 | s2 | s3, 0);
        return out;
    }

    std::string dir_;
};

TEST(IconDocumentName, FromPath)
{
    EXPECT_EQ(CIconDocument::IconNameFromPath("C:\\ICONS\\disk.ico"), "Disk");
    EXPECT_EQ(CIconDocument::IconNameFromPath("C:\\ICONS\\MYICON.ICO"), "MYICON");
    EXPECT_EQ(CIconDocument::IconNameFromPath("/home/u/my.icon.ico"), "My.icon");
    EXPECT_EQ(CIconDocument::IconNameFromPath("/home/u/noext"), "Noext");
    // A point at position 1 of the whole path is not an extension.
    EXPECT_EQ(CIconDocument::IconNameFromPath("a.ico"), "A.ico");
    EXPECT_EQ(CIconDocument::IconNameFromPath("ab.ico"), "Ab");
    // A point in a folder name or leading the file name never cuts it.
    EXPECT_EQ(CIconDocument::IconNameFromPath("/home/u.v/icons/disk"), "Disk");
    EXPECT_EQ(CIconDocument::IconNameFromPath("/home/u/.hidden"), ".hidden");
    EXPECT_EQ(CIconDocument::IconNameFromPath(""), "");
}

TEST(IconDocumentNew, OneTransparentFormatOrItsSource)
{
    CIconDocument doc;
    doc.AddFormat(48, 48, 8, 0);
    doc.SetModifiedFlag();
    ASSERT_TRUE(doc.OnNewDocument());
    ASSERT_EQ(doc.GetFormatCount(), 1);
    const CIconObject* f = doc.GetFormat(0);
    EXPECT_EQ(f->width, 32);
    EXPECT_EQ(f->height, 32);
    EXPECT_EQ(f->bitDepth, 4);
    EXPECT_EQ(f->colorCount, 16);
    EXPECT_EQ(f->ownPalette, 0);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            ASSERT_EQ(f->mask.rawPixel(x, y), 1u) << x << "," << y;
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetFormat(1), nullptr);
    EXPECT_EQ(doc.GetFormat(-1), nullptr);

    // A source given at creation fills the document once, with its name.
    CIconGroup group;
    group.name = "Folder";
    CIcon big, small;
    ASSERT_TRUE(big.AllocateImage(32, 32, 256));
    ASSERT_TRUE(small.AllocateImage(16, 16, 2));
    group.AddFormat(big);
    group.AddFormat(small);
    GroupIconSource source(group, true);
    CIconDocument fromSource(&source);
    ASSERT_TRUE(fromSource.OnNewDocument());
    ASSERT_EQ(fromSource.GetFormatCount(), 2);
    EXPECT_EQ(fromSource.GetFormat(0)->width, 16);
    EXPECT_EQ(fromSource.GetFormat(1)->colorCount, 256);
    EXPECT_EQ(fromSource.GetName(), "Folder");
    // Used once: a second new document is the default one.
    ASSERT_TRUE(fromSource.OnNewDocument());
    EXPECT_EQ(fromSource.GetFormatCount(), 1);
}

// Records what a view is asked before a save.
struct CommitView : CDocumentView {
    int commits = 0;
    void CommitBeforeSave() override { ++commits; }
};

TEST_F(IconDocumentTest, SaveWritesFormatsSortedAndCommitsViews)
{
    ScriptedPrompter prompts;
    CIconDocument doc;
    doc.DeleteContents();
    ASSERT_TRUE(doc.AddFormat(32, 32, 8, 0));
    ASSERT_TRUE(doc.AddFormat(16, 16, 4, 0));
    EXPECT_FALSE(doc.AddFormat(0, 16, 4, 0));
    EXPECT_FALSE(doc.AddFormat(16, 16, 3, 0));
    ASSERT_EQ(doc.GetFormatCount(), 2);
    doc.GetFormat(1)->undo[0].color = Bitmap::Color(32, 32);
    doc.GetFormat(1)->undoPosition = 1;
    CommitView view;
    doc.AddView(&view);
    doc.SetModifiedFlag();

    const std::string path = file("two.ico");
    ASSERT_TRUE(doc.OnSaveDocument(path));
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(view.commits, 1);
    EXPECT_FALSE(doc.GetFormat(1)->undo[0].color.has_value());
    EXPECT_EQ(doc.GetFormat(1)->undoPosition, 0);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetPathName(), path);

    const auto b = Bytes(path);
    ASSERT_GE(b.size(), 6u + 2 * 16);
    EXPECT_EQ(LoadU16(&b[2]), 1); // icon
    EXPECT_EQ(LoadU16(&b[4]), 2);
    // First entry: 16x16, 16 colours, 4 bits; second 32x32, 256 colours (0), 8 bits.
    EXPECT_EQ(b[6], 16);
    EXPECT_EQ(b[7], 16);
    EXPECT_EQ(b[8], 16);
    EXPECT_EQ(LoadU16(&b[6 + 6]), 4);
    EXPECT_EQ(b[22], 32);
    EXPECT_EQ(b[24], 0);
    EXPECT_EQ(LoadU16(&b[22 + 6]), 8);
    const std::uint32_t first = LoadU32(&b[6 + 12]);
    const std::uint32_t second = LoadU32(&b[22 + 12]);
    EXPECT_EQ(first, 6u + 32);
    EXPECT_EQ(LoadU32(&b[first + 4]), 16u); // bitmap header width, height doubled
    EXPECT_EQ(LoadU32(&b[first + 8]), 32u);
    EXPECT_EQ(LoadU32(&b[second + 4]), 32u);
    doc.RemoveView(&view);
}

TEST_F(IconDocumentTest, BadFilesAreRefusedAndChangeNothing)
{
    ScriptedPrompter prompts;
    CIconDocument doc;
    doc.AddFormat(48, 48, 24, 0);
    doc.SetName("Kept");

    EXPECT_TRUE(doc.OnOpenDocument(""));
    EXPECT_TRUE(prompts.shown.empty());

    const std::string bad = file("bad.ico");
    std::ofstream(bad) << "this is not an icon file at all";
    EXPECT_FALSE(doc.OnOpenDocument(bad));
    EXPECT_TRUE(doc.LoadFailed());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, bad + "\n" + LoadString(55037));
    EXPECT_EQ(prompts.shown[0].style & kMessageIconMask, MB_ICONSTOP);

    // A directory with no entries is not an icon either.
    const std::uint8_t empty[6] = {0, 0, 1, 0, 0, 0};
    std::ofstream(file("none.ico"), std::ios::binary).write(reinterpret_cast<const char*>(empty), 6);
    EXPECT_FALSE(doc.OnOpenDocument(file("none.ico")));
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].text, file("none.ico") + "\n" + LoadString(55037));

    // A missing file is the framework's message, not "no icon".
    EXPECT_FALSE(doc.OnOpenDocument(file("missing.ico")));
    ASSERT_EQ(prompts.shown.size(), 3u);
    EXPECT_EQ(prompts.shown[2].text, FormatString(55303, file("missing.ico")));
    EXPECT_FALSE(doc.LoadFailed());

    EXPECT_EQ(doc.GetFormatCount(), 2);
    EXPECT_EQ(doc.GetName(), "Kept");

    // A save into a folder that does not exist fails and keeps the document's path.
    doc.SetPathName("kept.ico");
    doc.SetModifiedFlag();
    EXPECT_FALSE(doc.OnSaveDocument(file("no/such/dir.ico")));
    EXPECT_EQ(doc.GetPathName(), "kept.ico");
    EXPECT_TRUE(doc.IsModified());
}

// A document with one 16x16 format and one earlier state in its history,
// as a stroke leaves it.
void GiveHistory(CIconDocument& doc)
{
    CIconObject& f = *doc.GetFormat(0);
    f.undo[0].color = f.color;
    f.undo[0].mask = f.mask;
    f.undo[0].contentId = f.contentId;
    f.undoLast = f.undoPosition = 1;
    f.contentId = NewContentId();
}

TEST_F(IconDocumentTest, FailedSaveSaysWhyAndKeepsHistoryAndMark)
{
    ScriptedPrompter prompts;
    CIconDocument doc;
    const std::string locked = file("locked.ico");
    ASSERT_TRUE(doc.OnSaveDocument(locked));
    ASSERT_EQ(chmod(locked.c_str(), 0444), 0);
    const auto before = Bytes(locked);
    GiveHistory(doc);
    ASSERT_TRUE(doc.IsModified());

    fs::create_directory(file("folder.ico"));
    const std::string full = file("full.ico");
    struct Case {
        std::string path;
        std::string reason;
    };
    for (const Case& c : {Case{locked, "Permission denied"}, Case{file("folder.ico"), "Is a directory"},
                          Case{full, "No space left on device"}}) {
        SCOPED_TRACE(c.path);
        if (c.path == full)
            SetAtomicFileFaultHook([](const std::string& step) { return step != "write"; }, ENOSPC);
        prompts.shown.clear();
        EXPECT_FALSE(doc.OnSaveDocument(c.path));
        SetAtomicFileFaultHook(nullptr);
        ASSERT_EQ(prompts.shown.size(), 1u);
        EXPECT_EQ(prompts.shown[0].text, FormatString(61709, c.path, c.reason));
        EXPECT_TRUE(doc.IsModified());
        EXPECT_EQ(doc.GetFormat(0)->undoPosition, 1);
        EXPECT_TRUE(doc.GetFormat(0)->undo[0].color.has_value());
        EXPECT_EQ(doc.GetPathName(), locked);
    }
    EXPECT_EQ(Bytes(locked), before);
    EXPECT_FALSE(fs::exists(full));

    // Once written, the history goes and the mark with it.
    ASSERT_TRUE(doc.OnSaveDocument(file("written.ico")));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetFormat(0)->undoPosition, 0);
}

TEST_F(IconDocumentTest, SavingThroughASymbolicLinkWritesItsTarget)
{
    ScriptedPrompter prompts;
    fs::create_directory(file("real"));
    const std::string target = file("real/icon.ico");
    CIconDocument doc;
    ASSERT_TRUE(doc.OnSaveDocument(target));
    const auto oneFormat = Bytes(target);
    fs::create_symlink("real/icon.ico", file("link.ico"));

    CIconDocument viaLink;
    ASSERT_TRUE(viaLink.OnOpenDocument(file("link.ico")));
    ASSERT_TRUE(viaLink.AddFormat(16, 16, 4, 0));
    EXPECT_TRUE(viaLink.IsModified());
    ASSERT_TRUE(viaLink.OnSaveDocument(file("link.ico")));
    EXPECT_TRUE(fs::is_symlink(file("link.ico")));
    EXPECT_EQ(viaLink.GetPathName(), file("link.ico"));
    const auto twoFormats = Bytes(target);
    ASSERT_GE(twoFormats.size(), 6u);
    EXPECT_EQ(LoadU16(&twoFormats[4]), 2);
    EXPECT_NE(twoFormats, oneFormat);
    EXPECT_EQ(std::distance(fs::directory_iterator(file("real")), {}), 1);
}

// The question before closing, and what each answer leads to.
TEST_F(IconDocumentTest, SaveModifiedAnswersAndOutcomes)
{
    ScriptedPrompter prompts;
    CIconDocument doc;
    doc.SetTitle("Icon1");
    EXPECT_EQ(doc.SaveModified(), SaveResult::Saved); // nothing to ask
    EXPECT_TRUE(prompts.shown.empty());

    GiveHistory(doc);
    prompts.Answer(IDCANCEL);
    EXPECT_EQ(doc.SaveModified(), SaveResult::Cancelled);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, FormatString(61700, "Icon1"));
    prompts.Answer(IDNO);
    EXPECT_EQ(doc.SaveModified(), SaveResult::Declined);
    EXPECT_TRUE(doc.IsModified());

    // Yes with no path asks for one; cancelling the choice keeps the document.
    struct SaveChooser : FileChooser {
        std::string answer, suggested, filter;
        std::vector<std::string> ChooseOpen(const std::string&, const std::string&, bool) override { return {}; }
        std::string ChooseSave(const std::string&, const std::string& f, const std::string& s) override
        {
            filter = f;
            suggested = s;
            return answer;
        }
    } chooser;
    FileChooser* previous = &Chooser();
    SetFileChooser(&chooser);
    doc.SetFileType("Icon Files (*.ICO)", ".ico");
    EXPECT_EQ(doc.SaveModified(), SaveResult::Cancelled);
    EXPECT_EQ(chooser.suggested, "Icon1.ico");
    EXPECT_EQ(chooser.filter, "Icon Files (*.ICO)|*.ico||");

    // A failed write is reported once, by the document.
    chooser.answer = file("missing/dir/out");
    prompts.shown.clear();
    EXPECT_EQ(doc.SaveModified(), SaveResult::Failed);
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].text, FormatString(61709, file("missing/dir/out.ico"), "No such file or directory"));
    EXPECT_TRUE(doc.IsModified());

    chooser.answer = file("out");
    int saved = 0;
    CDocument::SetSavedHandler([&](CDocument&) { ++saved; });
    EXPECT_EQ(doc.SaveModified(), SaveResult::Saved);
    CDocument::SetSavedHandler(nullptr);
    SetFileChooser(previous);
    EXPECT_EQ(saved, 1);
    EXPECT_EQ(doc.GetPathName(), file("out.ico"));
    EXPECT_EQ(doc.GetTitle(), "out.ico");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(fs::exists(file("out.ico")));
}

TEST_F(IconDocumentTest, ADamagedFileOpensItsIntactImagesWhenTheUserAgrees)
{
    // 16x16 in 16 colours, 32x32 in 256 colours, then a 64x64 PNG cut short.
    CIconObject a(4, 16, 16, 0), b(8, 32, 32, 0);
    a.color.fill(RGB(255, 0, 0));
    b.color.fill(RGB(0, 0, 255));
    a.PackToIcon();
    b.PackToIcon();
    PngPixels pixels{64, 64, std::vector<std::uint32_t>(64 * 64, 0xFF00FF00u)};
    const std::vector<std::uint8_t> pngBytes = EncodePng(pixels);
    MemorySource pngSource(pngBytes);
    CIcon png;
    ASSERT_TRUE(png.ReadImage(pngSource, 0));
    std::vector<std::uint8_t> bytes = BuildIcoFile({&a.packed, &b.packed, &png});
    bytes.resize(bytes.size() - 10);
    const std::string cut = file("cut.ico");
    ASSERT_TRUE(WriteFileAtomically(cut, bytes));

    ScriptedPrompter prompts;
    CIconDocument doc;
    doc.AddFormat(48, 48, 24, 0);
    doc.SetName("Kept");
    const int held = doc.GetFormatCount();
    const std::string question = FormatString(55320, cut, 2, 3);
    EXPECT_NE(question.find("2 of its 3 images"), std::string::npos) << question;

    // No: the file is refused as before and the document keeps what it held.
    prompts.Answer(IDNO);
    EXPECT_FALSE(doc.OnOpenDocument(cut));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, question);
    EXPECT_EQ(prompts.shown[0].style, static_cast<unsigned>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(doc.GetName(), "Kept");
    EXPECT_EQ(doc.GetFormatCount(), held);

    // Yes: the two intact images, the file's name, and a document that
    // differs from its file.
    prompts.Answer(IDYES);
    ASSERT_TRUE(doc.OnOpenDocument(cut));
    ASSERT_EQ(prompts.shown.size(), 2u);
    ASSERT_EQ(doc.GetFormatCount(), 2);
    EXPECT_EQ(doc.GetFormat(0)->width, 16);
    EXPECT_EQ(doc.GetFormat(0)->bitDepth, 4);
    EXPECT_EQ(doc.GetFormat(0)->color.pixel(5, 5), RGB(255, 0, 0));
    EXPECT_EQ(doc.GetFormat(1)->width, 32);
    EXPECT_EQ(doc.GetFormat(1)->color.pixel(5, 5), RGB(0, 0, 255));
    EXPECT_EQ(doc.GetName(), "Cut");
    EXPECT_TRUE(doc.IsModified());

    // An intact file asks nothing.
    ASSERT_TRUE(WriteFileAtomically(file("whole.ico"), BuildIcoFile({&a.packed, &b.packed, &png})));
    ASSERT_TRUE(doc.OnOpenDocument(file("whole.ico")));
    EXPECT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(doc.GetFormatCount(), 3);
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(IconDocumentTest, AFifoNamedLikeAnIconIsRefusedAtOnce)
{
    ScriptedPrompter prompts;
    CIconDocument doc;
    const std::string fifo = file("x.ico");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(doc.OnOpenDocument(fifo));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, FormatString(55304, fifo));
}

TEST_F(IconDocumentTest, RoundTripThroughIcotool)
{
    if (!HaveTool("icotool") || !HaveTool("convert"))
        GTEST_SKIP() << "icotool or ImageMagick convert not installed";
    ScriptedPrompter prompts;
    const std::string src = MakeIco("Tool.ico", "");
    CIconDocument doc;
    ASSERT_TRUE(doc.OnOpenDocument(src));
    EXPECT_EQ(doc.GetName(), "Tool");
    ASSERT_EQ(doc.GetFormatCount(), 2);
    EXPECT_EQ(doc.GetFormat(0)->width, 16);
    EXPECT_EQ(doc.GetFormat(1)->width, 32);
    // The transparent corner of the small picture and its red square.
    EXPECT_EQ(doc.GetFormat(0)->mask.rawPixel(12, 3), 1u);
    EXPECT_EQ(doc.GetFormat(0)->mask.rawPixel(2, 2), 0u);
    EXPECT_EQ(doc.GetFormat(0)->color.pixel(2, 2), RGB(255, 0, 0));

    const std::string out = file("out.ico");
    ASSERT_TRUE(doc.OnSaveDocument(out));
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(CommandOutput("icotool -l " + out + " 2>/dev/null"), CommandOutput("icotool -l " + src + " 2>/dev/null"));

    CIconDocument again;
    ASSERT_TRUE(again.OnOpenDocument(out));
    ASSERT_EQ(again.GetFormatCount(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(again.GetFormat(i)->bitDepth, doc.GetFormat(i)->bitDepth);
        EXPECT_TRUE(again.GetFormat(i)->color == doc.GetFormat(i)->color) << i;
        EXPECT_TRUE(again.GetFormat(i)->mask == doc.GetFormat(i)->mask) << i;
    }
    // ImageMagick reads back what we wrote.
    int status = 0;
    EXPECT_NE(CommandOutput("identify " + out + " 2>&1", &status).find("16x16"), std::string::npos);
    EXPECT_EQ(status, 0);

    // And an icon ImageMagick wrote itself opens with both formats.
    const std::string magick = file("magick.ico");
    CommandOutput("convert " + file("b.png") + " " + file("a.png") + " " + magick + " 2>&1", &status);
    ASSERT_EQ(status, 0);
    CIconDocument fromMagick;
    ASSERT_TRUE(fromMagick.OnOpenDocument(magick));
    ASSERT_EQ(fromMagick.GetFormatCount(), 2);
    EXPECT_EQ(fromMagick.GetFormat(0)->width, 16);
    EXPECT_EQ(fromMagick.GetFormat(0)->color.pixel(2, 2), RGB(255, 0, 0));
    EXPECT_EQ(fromMagick.GetFormat(0)->mask.rawPixel(12, 3), 1u);
}

// The RGBA of pixel (x, y) of a picture file, as ImageMagick reads it.
std::uint32_t MagickPixel(const std::string& file, int x, int y)
{
    int status = 0;
    const std::string out = CommandOutput("convert '" + file + "' -crop 1x1+" + std::to_string(x) + "+" +
                                              std::to_string(y) + " -depth 8 rgba:- | od -An -tx1",
                                          &status);
    unsigned r = 0, g = 0, b = 0, a = 0;
    if (status != 0 || std::sscanf(out.c_str(), "%x %x %x %x", &r, &g, &b, &a) != 4)
        return 0xDEADBEEFu;
    return a << 24 | r << 16 | g << 8 | b;
}

TEST_F(IconDocumentTest, ModernFormatsKeepTheirAlphaThroughSaving)
{
    if (!HaveTool("icotool") || !HaveTool("convert"))
        GTEST_SKIP() << "icotool or ImageMagick convert not installed";
    ScriptedPrompter prompts;
    const std::string alpha = MakeIco("alpha.ico", "-b 32");
    const std::string pngs = MakeIco("png.ico", "-r");
    for (const std::string& src : {alpha, pngs}) {
        SCOPED_TRACE(src);
        const bool png = src == pngs;
        prompts.shown.clear();
        CIconDocument doc;
        ASSERT_TRUE(doc.OnOpenDocument(src));
        ASSERT_EQ(doc.GetFormatCount(), 2);
        EXPECT_TRUE(prompts.shown.empty());
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(doc.GetFormat(i)->bitDepth, 32);
            EXPECT_EQ(doc.GetFormat(i)->compressed, png);
            EXPECT_FALSE(doc.GetFormat(i)->converted);
        }

        // Unedited, the file is written again byte for byte.
        const std::string copy = file("copy.ico");
        ASSERT_TRUE(doc.OnSaveDocument(copy));
        EXPECT_TRUE(prompts.shown.empty());
        std::vector<CIconGroup> before, after;
        ASSERT_TRUE(ReadIcoGroupFile(src, before));
        ASSERT_TRUE(ReadIcoGroupFile(copy, after));
        for (int i = 0; i < 2; ++i)
            EXPECT_EQ(after[0].formats[i]->image, before[0].formats[i]->image) << i;

        // Half-transparent pixels are saved without a question and come back
        // as they were, for us, icotool and ImageMagick alike.
        CIconObject& big = *doc.GetFormat(1);
        big.color.setRawPixel(1, 2, 0x80123456u);
        big.mask.setRawPixel(1, 2, 0);
        big.color.setRawPixel(30, 30, 0x40FF0000u);
        big.mask.setRawPixel(30, 30, 0);
        big.contentId = NewContentId();
        ASSERT_TRUE(doc.OnSaveDocument(copy));
        EXPECT_TRUE(prompts.shown.empty());
        CIconDocument again;
        ASSERT_TRUE(again.OnOpenDocument(copy));
        EXPECT_EQ(again.GetFormat(1)->color.rawPixel(1, 2), 0x80123456u);
        EXPECT_EQ(again.GetFormat(1)->color.rawPixel(30, 30), 0x40FF0000u);
        EXPECT_EQ(again.GetFormat(1)->compressed, png);
        EXPECT_TRUE(again.GetFormat(0)->color == doc.GetFormat(0)->color);

        const std::string extracted = file("x");
        fs::create_directories(extracted);
        // All of them: this icotool gives the first PNG entry for "-i 2".
        ASSERT_EQ(CommandOutput("icotool -x -o " + extracted + " " + copy + " 2>&1; echo $?"), "0\n");
        const std::string second = extracted + "/copy_2_32x32x32.png";
        EXPECT_EQ(MagickPixel(second, 1, 2), 0x80123456u);
        EXPECT_EQ(MagickPixel(second, 30, 30), 0x40FF0000u);
        EXPECT_EQ(MagickPixel(copy + "[1]", 1, 2), 0x80123456u);
        EXPECT_EQ(MagickPixel(copy + "[1]", 30, 30), 0x40FF0000u);
        const std::string listed = CommandOutput("icotool -l " + copy);
        EXPECT_NE(listed.find("--index=2 --width=32 --height=32 --bit-depth=32"), std::string::npos) << listed;
        const std::string identified = CommandOutput("identify " + copy);
        EXPECT_EQ(identified.find("[1] PNG 32x32") != std::string::npos, png) << identified;
    }
}

TEST_F(IconDocumentTest, SavingAFormatConvertedFromAlphaAsksFirst)
{
    ScriptedPrompter prompts;
    CIconDocument doc;
    ASSERT_TRUE(doc.AddFormat(16, 16, 32, 0));
    ASSERT_TRUE(doc.RemoveFormat(0)); // the 32x32 16-colour start
    CIconObject& f = *doc.GetFormat(0);
    f.color.setRawPixel(0, 0, 0x80FF0000u);
    f.mask.setRawPixel(0, 0, 0);
    const std::string path = file("alpha.ico");
    ASSERT_TRUE(doc.OnSaveDocument(path));
    EXPECT_TRUE(prompts.shown.empty());
    const auto saved = Bytes(path);

    // Taken to 24 bits, the format says what its alpha becomes before saving.
    f.SetFormat(24, 16, 16, 0);
    f.converted = true;
    prompts.Answer(IDNO);
    EXPECT_FALSE(doc.OnSaveDocument(path));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].style, unsigned(MB_YESNO | MB_ICONQUESTION));
    EXPECT_NE(prompts.shown[0].text.find(FormatString(55301, 16, 16)), std::string::npos) << prompts.shown[0].text;
    EXPECT_EQ(Bytes(path), saved);
    prompts.Answer(IDYES);
    ASSERT_TRUE(doc.OnSaveDocument(path));
    EXPECT_FALSE(doc.GetFormat(0)->converted);
    std::vector<CIconGroup> flat;
    ASSERT_TRUE(ReadIcoGroupFile(path, flat));
    EXPECT_EQ(flat[0].formats[0]->bitCount(), 24);
}

} // namespace
} // namespace kavrel
