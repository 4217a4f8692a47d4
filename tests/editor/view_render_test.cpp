#include "editor/view_render.h"

#include <gtest/gtest.h>

#include "document/icon_document.h"
#include "editor/icon_view_state.h"
#include "editor/settings_editor.h"
#include "editor/view_patterns.h"
#include "model/palettes.h"

namespace kavrel {
namespace {

// Part of a rendered frame as characters: 'w' white, '#' black, 'L' C0C0C0,
// '-' 808080, 'D' DFDFDF, 'r' red, 'B' the background, 'S' its shade, '?'.
std::vector<std::string> Sketch(const Bitmap& frame, const Rect& r, COLORREF background = 0x804000)
{
    std::vector<std::string> rows;
    for (int y = r.top; y < r.bottom; ++y) {
        std::string row;
        for (int x = r.left; x < r.right; ++x) {
            const COLORREF c = frame.pixel(x, y);
            const COLORREF shade = RGB(GetRValue(background) / 2, GetGValue(background) / 2, GetBValue(background) / 2);
            row += c == RGB(255, 255, 255) ? 'w'
                   : c == 0                ? '#'
                   : c == 0xC0C0C0         ? 'L'
                   : c == 0x808080         ? '-'
                   : c == 0xDFDFDF         ? 'D'
                   : c == RGB(255, 0, 0)   ? 'r'
                   : c == background       ? 'B'
                   : c == shade            ? 'S'
                                           : '?';
        }
        rows.push_back(row);
    }
    return rows;
}

class RenderTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        saved_ = {GrilleAuto, AfficheOmbreIcone, MotifTransparent};
        background_ = CouleurFondEditeur;
        GrilleAuto = 1;
        AfficheOmbreIcone = 1;
        MotifTransparent = 0;
        CouleurFondEditeur = 0x804000;
    }
    void TearDown() override
    {
        GrilleAuto = saved_[0];
        AfficheOmbreIcone = saved_[1];
        MotifTransparent = saved_[2];
        CouleurFondEditeur = background_;
    }

    // A document of one 24-bit format, every pixel white.
    std::unique_ptr<CIconDocument> WhiteDocument(int size)
    {
        auto doc = std::make_unique<CIconDocument>();
        doc->OnNewDocument();
        doc->AddFormat(size, size, 24, 0);
        doc->RemoveFormat(doc->GetFormat(0)->bitDepth == 4 ? 0 : 1);
        CIconObject* f = doc->GetFormat(0);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                SetImagePixel(f->color, f->mask, RGB(255, 255, 255), x, y, nullptr);
        return doc;
    }

    std::array<int, 3> saved_{};
    std::uint32_t background_ = 0;
};

TEST_F(RenderTest, GridOnlyAboveZoomThree)
{
    auto doc = WhiteDocument(4);
    CIconViewState view(doc.get());
    view.InitialUpdate(40, 40);
    view.SetZoom(3);
    view.RenderAll();
    Rect img = view.Geometry().EnlargedClientRect();
    ASSERT_EQ(img.width(), 13);
    // The grid is on, yet at zoom 3 only the closing lines appear.
    std::vector<std::string> expected(12, "wwwwwwwwwwwwL");
    expected.push_back("LLLLLLLLLLLLL");
    EXPECT_EQ(Sketch(view.Frame(), img), expected);

    // Above zoom 3 the lines at every multiple of the zoom take the grid's
    // checkerboard, aligned with the image's corner.
    view.SetZoom(4);
    view.RenderAll();
    img = view.Geometry().EnlargedClientRect();
    ASSERT_EQ(img.width(), 17);
    EXPECT_EQ(Sketch(view.Frame(), {img.left, img.top, img.left + 9, img.top + 5}),
              (std::vector<std::string>{"-L-L-L-L-", "LwwwLwwwL", "-www-www-", "LwwwLwwwL", "-L-L-L-L-"}));
    EXPECT_EQ(view.Frame().pixel(img.right - 1, img.bottom - 1), 0x808080u); // (16, 16)

    // Switching the grid off closes the image with plain lines again.
    view.OnCommand(ID_VIEW_GRID);
    view.RenderAll();
    EXPECT_EQ(Sketch(view.Frame(), {img.left, img.top + 15, img.left + 17, img.top + 17}),
              (std::vector<std::string>{"wwwwwwwwwwwwwwwwL", "LLLLLLLLLLLLLLLLL"}));
}

TEST_F(RenderTest, BackgroundFramesShadeAndPixels)
{
    auto doc = WhiteDocument(2);
    CIconObject* f = doc->GetFormat(0);
    SetImagePixel(f->color, f->mask, RGB(255, 0, 0), 1, 0, nullptr);
    SetImagePixel(f->color, f->mask, COLOR_TRANSPARENT, 0, 1, nullptr);
    SetImagePixel(f->color, f->mask, COLOR_INVERTED, 1, 1, nullptr);
    CIconViewState view(doc.get());
    view.InitialUpdate(30, 30);
    view.SetZoom(2); // a shade of thickness 2
    view.RenderAll();
    const Rect img = view.Geometry().EnlargedClientRect();
    ASSERT_EQ(img, (Rect{13, 13, 18, 18}));
    // Two frames, the image with its closing lines, and the shade right of and
    // below the outer frame. The transparent pixel shows the white corner of
    // pattern 0; the inverted one its inverse, black.
    EXPECT_EQ(Sketch(view.Frame(), {9, 9, 24, 23}), (std::vector<std::string>{
                                                        "BBBBBBBBBBBBBBB",
                                                        "BBBBBBBBBBBBBBB",
                                                        "BBwwwwwwww#BBBB",
                                                        "BBwDDDDDD-#BBBB",
                                                        "BBwDwwrrL-#BBBB",
                                                        "BBwDwwrrL-#BBBB",
                                                        "BBwDww##L-#SSBB",
                                                        "BBwDww##L-#SSBB",
                                                        "BBwDLLLLL-#SSBB",
                                                        "BBw-------#SSBB",
                                                        "BB#########SSBB",
                                                        "BBBBBBSSSSSSSBB",
                                                        "BBBBBBSSSSSSSBB",
                                                        "BBBBBBBBBBBBBBB",
                                                    }));
    AfficheOmbreIcone = 0;
    view.InvalidateFrame();
    view.EnsureFrame();
    EXPECT_EQ(view.Frame().pixel(22, 22), 0x804000u);
}

TEST_F(RenderTest, AlphaPixelsBlendOverThePatternOnCanvasAndPreview)
{
    auto doc = std::make_unique<CIconDocument>();
    doc->OnNewDocument();
    ASSERT_TRUE(doc->AddFormat(2, 1, 32, 0));
    doc->RemoveFormat(doc->GetFormat(0)->bitDepth == 4 ? 0 : 1);
    CIconObject* f = doc->GetFormat(0);
    // 50 % red, then opaque blue; nothing transparent.
    f->color.setRawPixel(0, 0, 0x80FF0000u);
    f->color.setRawPixel(1, 0, 0xFF0000FFu);
    f->mask.fill(RGB(0, 0, 0));
    CIconViewState view(doc.get());
    view.InitialUpdate(60, 60);
    view.SetZoom(8);
    view.OnCommand(ID_VIEW_GRID);
    view.RenderAll();
    const Rect img = view.Geometry().EnlargedClientRect();
    const Bitmap& pattern = ViewTransparentPattern(MotifTransparent);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            // The average of red and the pattern pixel under it (the pattern
            // starts at the image's corner).
            const COLORREF under = pattern.pixel(x, y);
            const COLORREF shown = view.Frame().pixel(img.left + x, img.top + y);
            EXPECT_EQ(shown, RGB((255 * 128 + GetRValue(under) * 127 + 127) / 255, (GetGValue(under) * 127 + 127) / 255,
                                 (GetBValue(under) * 127 + 127) / 255))
                << x << "," << y;
            EXPECT_EQ(view.Frame().pixel(img.left + 8 + x, img.top + y), RGB(0, 0, 255));
        }

    // The preview blends over its pattern the same way.
    Bitmap preview = Bitmap::Color(20, 20);
    const Bitmap& small = PreviewTransparentPattern(MotifTransparent);
    RenderActualSizePreview(preview, &f->color, &f->mask, small);
    const int left = 2 + (16 - 2 + 1) / 2, top = 2 + (16 - 1 + 1) / 2;
    const COLORREF under = small.pixel(left & 7, top & 7);
    EXPECT_EQ(preview.pixel(left, top),
              RGB((255 * 128 + GetRValue(under) * 127 + 127) / 255, (GetGValue(under) * 127 + 127) / 255,
                  (GetBValue(under) * 127 + 127) / 255));
    EXPECT_EQ(preview.pixel(left + 1, top), RGB(0, 0, 255));
}

TEST_F(RenderTest, PatternsFollowTheSetting)
{
    auto doc = WhiteDocument(8);
    CIconObject* f = doc->GetFormat(0);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            SetImagePixel(f->color, f->mask, COLOR_TRANSPARENT, x, y, nullptr);
    CIconViewState view(doc.get());
    view.InitialUpdate(200, 200);
    view.OnCommand(ID_VIEW_GRID);
    for (int motif = 0; motif < 4; ++motif) {
        MotifTransparent = motif;
        view.RenderAll();
        const Rect img = view.Geometry().EnlargedClientRect();
        const Bitmap& pattern = ViewTransparentPattern(motif);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                ASSERT_EQ(view.Frame().pixel(img.left + 8 + x, img.top + 16 + y), pattern.pixel(x, y))
                    << "motif " << motif << " at " << x << "," << y;
    }
}

TEST_F(RenderTest, LargeFormatAtZoomThirtyKeepsAClientSizedBuffer)
{
    auto doc = WhiteDocument(256);
    CIconObject* f = doc->GetFormat(0);
    SetImagePixel(f->color, f->mask, RGB(255, 0, 0), 200, 150, nullptr);
    CIconViewState view(doc.get());
    view.InitialUpdate(640, 480);
    view.SetZoom(30);
    EXPECT_EQ(view.scrollWidth, 256 * 30 + 13);
    // Scroll so that pixel (200, 150) is in sight: it starts at view
    // coordinates 5 + 6000, 5 + 4500.
    view.SetScrollPosition(6000, 4400);
    view.RenderAll();
    EXPECT_EQ(view.Frame().width(), 640);
    EXPECT_EQ(view.Frame().height(), 480);
    const int x = 5 + 6000 - 6000, y = 5 + 4500 - 4400;
    EXPECT_EQ(view.Frame().pixel(x + 1, y + 1), RGB(255, 0, 0));
    EXPECT_EQ(view.Frame().pixel(x + 29, y + 29), RGB(255, 0, 0));
    EXPECT_EQ(view.Frame().pixel(x + 31, y + 1), RGB(255, 255, 255));
    // The pixel sits on a grid line at its left edge.
    const COLORREF line = view.Frame().pixel(x, y + 1);
    EXPECT_TRUE(line == 0x808080u || line == 0xC0C0C0u);
}

TEST_F(RenderTest, RegionRenderingTouchesOnlyTheRegion)
{
    auto doc = WhiteDocument(16);
    CIconViewState view(doc.get());
    view.InitialUpdate(200, 200); // zoom 11
    view.SetZoom(8);
    view.RenderAll();
    CIconObject* f = doc->GetFormat(0);
    SetImagePixel(f->color, f->mask, RGB(255, 0, 0), 3, 4, nullptr);
    SetImagePixel(f->color, f->mask, RGB(255, 0, 0), 10, 10, nullptr);
    const Rect changed = view.RenderRegion(Rect{3, 4, 4, 5});
    const ViewGeometry g = view.Geometry();
    const int x0 = g.originX - g.scrollX + 3 * 8, y0 = g.originY - g.scrollY + 4 * 8;
    EXPECT_EQ(changed, (Rect{x0, y0, x0 + 9, y0 + 9}));
    EXPECT_EQ(view.Frame().pixel(x0 + 4, y0 + 4), RGB(255, 0, 0));
    // The other changed pixel waits for its own region.
    EXPECT_EQ(view.Frame().pixel(g.originX - g.scrollX + 84, g.originY - g.scrollY + 84), RGB(255, 255, 255));
    // A region off the image changes nothing.
    EXPECT_TRUE(view.RenderRegion(Rect{20, 20, 30, 30}).empty());

    // Back from view coordinates: the client rectangle names the pixels under it.
    EXPECT_EQ(ImageRectFromClientRect(g, changed), (Rect{3, 4, 5, 6}));
    const int ox = g.originX - g.scrollX, oy = g.originY - g.scrollY;
    EXPECT_EQ(ImageRectFromClientRect(g, {ox - 5, oy - 5, ox + 9, oy + 1}), (Rect{0, 0, 2, 1}));
    EXPECT_TRUE(ImageRectFromClientRect(g, {0, 0, ox, oy}).empty());
}

} // namespace
} // namespace kavrel

namespace kavrel {
namespace {

TEST_F(RenderTest, SelectionFrameIsDotted)
{
    auto doc = WhiteDocument(4);
    CIconObject* f = doc->GetFormat(0);
    f->selection = Rect{1, 1, 2, 1}; // inclusive: columns 1-2, row 1
    f->selectionActive = 1;
    CIconViewState view(doc.get());
    view.InitialUpdate(60, 60);
    view.OnCommand(ID_VIEW_GRID);
    view.SetZoom(4);
    view.RenderAll();
    const Rect img = view.Geometry().EnlargedClientRect();
    // From (4, 4) to (3 x 4 + 1, 2 x 4 + 1), far edges exclusive.
    EXPECT_EQ(Sketch(view.Frame(), {img.left + 3, img.top + 3, img.left + 14, img.top + 10}), (std::vector<std::string>{
                                                                                                  "wwwwwwwwwww",
                                                                                                  "w#w#w#w#w#w",
                                                                                                  "wwwwwwwwwww",
                                                                                                  "w#wwwwwww#w",
                                                                                                  "wwwwwwwwwww",
                                                                                                  "w#w#w#w#w#w",
                                                                                                  "wwwwwwwwwww",
                                                                                              }));
    view.showSelectionFrame = 0;
    view.RenderAll();
    EXPECT_EQ(view.Frame().pixel(img.left + 4, img.top + 4), RGB(255, 255, 255));
}

} // namespace
} // namespace kavrel
