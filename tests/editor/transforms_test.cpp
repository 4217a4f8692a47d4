#include "editor/transforms.h"

#include <gtest/gtest.h>

#include "document/icon_document.h"
#include "editor/icon_view_state.h"
#include "editor/undo.h"
#include "model/icon_model.h"
#include "model/palettes.h"
#include "support/pixel_picture.h"

namespace kavrel {
namespace {

using test::ImagePicture;
using test::PictureIs;

// A format whose bitmaps are the picture.
std::unique_ptr<CIconObject> FormatOf(const std::vector<std::string>& rows, int bitDepth)
{
    const int w = static_cast<int>(rows[0].size()), h = static_cast<int>(rows.size());
    auto f = std::make_unique<CIconObject>(bitDepth, w, h, 0);
    ImagePicture(rows, f->color, f->mask);
    return f;
}

ColorValue PixelAfterInversion(COLORREF colour, int bitDepth)
{
    CIconObject f(bitDepth, 1, 1, 0);
    SetImagePixel(f.color, f.mask, colour, 0, 0, nullptr);
    InvertColors(f, Rect{0, 0, 1, 1});
    return GetImagePixel(f.color, f.mask, 0, 0);
}

TEST(Transforms, MirrorsReverseTheAreaOnly)
{
    const std::vector<std::string> picture = {
        "rgb.#w",
        "y.ic-m",
        "######",
    };
    auto f = FormatOf(picture, 24);
    // Columns 1 to 4 of the top two rows.
    MirrorHorizontal(*f, Rect{1, 0, 5, 2});
    EXPECT_TRUE(PictureIs(f->color, f->mask,
                          {
                              "r#.bgw",
                              "y-ci.m",
                              "######",
                          }));
    MirrorHorizontal(*f, Rect{1, 0, 5, 2});
    EXPECT_TRUE(PictureIs(f->color, f->mask, picture));

    // Upside down as a whole, then only the middle column of an odd height.
    MirrorVertical(*f, Rect{0, 0, 6, 3});
    EXPECT_TRUE(PictureIs(f->color, f->mask,
                          {
                              "######",
                              "y.ic-m",
                              "rgb.#w",
                          }));
    MirrorVertical(*f, Rect{2, 0, 3, 3});
    EXPECT_TRUE(PictureIs(f->color, f->mask,
                          {
                              "##b###",
                              "y.ic-m",
                              "rg#.#w",
                          }));
    // An area reaching past the image is clipped to it.
    MirrorHorizontal(*f, Rect{4, 2, 40, 3});
    EXPECT_TRUE(PictureIs(f->color, f->mask,
                          {
                              "##b###",
                              "y.ic-m",
                              "rg#.w#",
                          }));
}

TEST(Transforms, InversionByDepth)
{
    // The mask stays: transparent pixels become inverted and back.
    auto f = FormatOf({"..ii", "rgbw"}, 24);
    InvertColors(*f, Rect{0, 0, 3, 2});
    EXPECT_TRUE(PictureIs(f->color, f->mask, {"ii.i", "cmyw"}));

    // 24 bits: each channel.
    EXPECT_EQ(PixelAfterInversion(RGB(64, 64, 64), 24), RGB(191, 191, 191));
    EXPECT_EQ(PixelAfterInversion(RGB(1, 2, 3), 24), RGB(254, 253, 252));

    // 16 colours and mono: opposite entries of the 16-colour table.
    struct Case {
        COLORREF from, to;
    };
    for (const Case& c : {Case{RGB(0, 0, 128), RGB(255, 255, 0)}, Case{RGB(128, 0, 0), RGB(0, 255, 255)},
                          Case{RGB(255, 0, 255), RGB(0, 128, 0)}, Case{RGB(192, 192, 192), RGB(128, 128, 128)},
                          Case{RGB(128, 128, 128), RGB(192, 192, 192)}, Case{RGB(0, 0, 0), RGB(255, 255, 255)},
                          Case{RGB(255, 255, 255), RGB(0, 0, 0)}, Case{RGB(64, 64, 64), RGB(0, 0, 0)},
                          Case{RGB(0, 0, 0x8F), RGB(255, 255, 0)}}) {
        EXPECT_EQ(PixelAfterInversion(c.from, 4), c.to) << std::hex << c.from;
    }
    EXPECT_EQ(PixelAfterInversion(RGB(0, 0, 0), 1), RGB(255, 255, 255));

    // 256 colours: the inverse, then the nearest standard-palette colour
    // (155, 155, 155 is nearest 999999).
    EXPECT_EQ(PixelAfterInversion(RGB(0x33, 0x66, 0x99), 8), RGB(0xCC, 0x99, 0x66));
    EXPECT_EQ(PixelAfterInversion(RGB(100, 100, 100), 8), RGB(0x99, 0x99, 0x99));
    EXPECT_EQ(PixelAfterInversion(COLOR_TRANSPARENT, 8), COLOR_INVERTED);
}

TEST(Transforms, PaletteFormatsKeepPseudoColoursExact)
{
    // A palette of greys without black or white: ordinary pixels take its
    // nearest entries, transparent and inverted pixels stay what they are.
    auto f = FormatOf({".rib"}, 8);
    std::vector<PaletteEntry> greys(256, PaletteEntry{128, 128, 128, 0});
    greys[1] = PaletteEntry{200, 0, 0, 0};
    f->palette = Palette(greys);
    f->ownPalette = 1;
    MirrorHorizontal(*f, Rect{0, 0, 4, 1});
    EXPECT_EQ(GetImagePixel(f->color, f->mask, 0, 0), RGB(128, 128, 128));
    EXPECT_EQ(GetImagePixel(f->color, f->mask, 1, 0), COLOR_INVERTED);
    EXPECT_EQ(GetImagePixel(f->color, f->mask, 2, 0), RGB(200, 0, 0));
    EXPECT_EQ(GetImagePixel(f->color, f->mask, 3, 0), COLOR_TRANSPARENT);
    EXPECT_EQ(f->color.pixel(3, 0), RGB(0, 0, 0));
}

TEST(Transforms, QuarterTurnAnticlockwise)
{
    CIconObject f(24, 32, 32, 0);
    SetImagePixel(f.color, f.mask, RGB(255, 0, 0), 31, 0, nullptr);
    ASSERT_TRUE(Rotate90(f));
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            ASSERT_EQ(GetImagePixel(f.color, f.mask, x, y), x == 0 && y == 0 ? RGB(255, 0, 0) : COLOR_TRANSPARENT)
                << x << "," << y;

    // Odd size: the top row becomes the left column read upwards, the centre stays.
    const std::vector<std::string> picture = {
        "rgb.#", "y....", "..w..", "....i", "-...c",
    };
    auto g = FormatOf(picture, 24);
    ASSERT_TRUE(Rotate90(*g));
    EXPECT_TRUE(PictureIs(g->color, g->mask,
                          {
                              "#..ic",
                              ".....",
                              "b.w..",
                              "g....",
                              "ry..-",
                          }));
    ASSERT_TRUE(Rotate90(*g));
    ASSERT_TRUE(Rotate90(*g));
    ASSERT_TRUE(Rotate90(*g));
    EXPECT_TRUE(PictureIs(g->color, g->mask, picture));

    CIconObject wide(24, 32, 16, 0);
    EXPECT_FALSE(CanRotate(wide));
    EXPECT_FALSE(Rotate90(wide));
}

// The view's transform commands over the selection, with their states.
TEST(Transforms, ViewCommandsNeedTheirSelectionAndGoThroughUndo)
{
    // 32x16 sorts before the document's first 32x32 format.
    CIconViewState::FormatToOpen() = 0;
    auto doc = std::make_unique<CIconDocument>();
    doc->OnNewDocument();
    doc->AddFormat(32, 16, 24, 0);
    doc->SetModifiedFlag(false); // as opened
    CIconViewState view(doc.get());
    view.InitialUpdate(400, 300);
    auto enabled = [&](std::uint16_t id) {
        CCmdUI ui;
        ui.id = id;
        EXPECT_TRUE(view.OnUpdateCommand(ui));
        return ui.enabled;
    };
    CIconObject& f = *view.Format();
    ASSERT_EQ(f.height, 16);
    EXPECT_FALSE(enabled(ID_ROTATE));
    view.OnCommand(ID_ROTATE);
    EXPECT_FALSE(CanUndo(f));

    // Without a selection nothing is enabled and nothing happens.
    SetImagePixel(f.color, f.mask, RGB(255, 0, 0), 0, 0, nullptr);
    for (std::uint16_t id : {ID_MIRROR_HORIZONTAL, ID_MIRROR_VERTICAL, ID_INVERT_COLORS}) {
        EXPECT_FALSE(enabled(id)) << id;
        view.OnCommand(id);
    }
    EXPECT_FALSE(doc->IsModified());
    EXPECT_FALSE(CanUndo(f));

    // A selection one pixel wide (columns 0 to 0, rows 0 to 1).
    f.selection = Rect{0, 0, 0, 1};
    f.selectionActive = 1;
    EXPECT_FALSE(enabled(ID_MIRROR_HORIZONTAL));
    EXPECT_TRUE(enabled(ID_MIRROR_VERTICAL));
    EXPECT_TRUE(enabled(ID_INVERT_COLORS));
    view.OnCommand(ID_MIRROR_HORIZONTAL);
    EXPECT_FALSE(doc->IsModified());
    view.OnCommand(ID_MIRROR_VERTICAL);
    EXPECT_EQ(GetImagePixel(f.color, f.mask, 0, 1), RGB(255, 0, 0));
    EXPECT_EQ(GetImagePixel(f.color, f.mask, 0, 0), COLOR_TRANSPARENT);
    EXPECT_TRUE(doc->IsModified());
    view.OnCommand(ID_INVERT_COLORS);
    EXPECT_EQ(GetImagePixel(f.color, f.mask, 0, 1), RGB(0, 255, 255));
    EXPECT_EQ(GetImagePixel(f.color, f.mask, 0, 0), COLOR_INVERTED);
    EXPECT_EQ(GetImagePixel(f.color, f.mask, 1, 0), COLOR_TRANSPARENT);

    view.OnCommand(ID_EDIT_UNDO);
    view.OnCommand(ID_EDIT_UNDO);
    EXPECT_EQ(GetImagePixel(f.color, f.mask, 0, 0), RGB(255, 0, 0));
    EXPECT_FALSE(enabled(ID_EDIT_UNDO));

    // A square format turns.
    view.SwitchFormat(1);
    CIconObject& square = *view.Format();
    ASSERT_EQ(square.width, square.height);
    EXPECT_TRUE(enabled(ID_ROTATE));
    SetImagePixel(square.color, square.mask, RGB(0, 0, 255), square.width - 1, 0, nullptr);
    view.OnCommand(ID_ROTATE);
    EXPECT_EQ(GetImagePixel(square.color, square.mask, 0, 0), RGB(0, 0, 255));
    EXPECT_TRUE(CanUndo(square));
}

} // namespace
} // namespace kavrel
