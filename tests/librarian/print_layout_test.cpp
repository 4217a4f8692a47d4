// The printed catalogue's pagination and page layout, in device pixels.
#include <gtest/gtest.h>

#include "librarian/print_layout.h"
#include "model/program_fixtures.h"

namespace kavrel {
namespace {

using test::MakeIcon;

std::vector<CIconGroup> Icons(int n)
{
    std::vector<CIconGroup> icons(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        icons[static_cast<std::size_t>(i)].name = "Icon" + std::to_string(i + 1);
        icons[static_cast<std::size_t>(i)].AddFormat(MakeIcon(32, 32, 16, static_cast<std::uint8_t>(i)));
    }
    return icons;
}

const PrintDevice k600{4800, 6600, 600, 600};

TEST(PrintPagination, ColumnsRowsAndPages)
{
    PrintPagination p = PaginatePrint(k600, 72);
    EXPECT_EQ(p.columns, 8);
    EXPECT_EQ(p.rows, 9);
    EXPECT_EQ(p.perPage, 72);
    EXPECT_EQ(p.pages, 1);
    EXPECT_EQ(PaginatePrint(k600, 73).pages, 2);
    EXPECT_EQ(PaginatePrint(k600, 0).pages, 0);

    // Narrower than an inch, shorter than the margins plus an inch.
    p = PaginatePrint({500, 1000, 600, 600}, 3);
    EXPECT_EQ(p.columns, 1);
    EXPECT_EQ(p.rows, 1);
    EXPECT_EQ(p.pages, 3);
}

TEST(PrintPage, TitleCountAndFooterBands)
{
    const auto icons = Icons(73);
    const PrintCatalogue library{PrintSource::Library, "flags.icl", &icons};
    PrintPage page = LayoutPrintPage(k600, library, 2);
    ASSERT_EQ(page.texts.size(), 4u);
    EXPECT_EQ(page.texts[0].text, "Icon Library \"flags.icl\"");
    EXPECT_EQ(page.texts[0].rect, (Rect{0, 0, 4800, 150}));
    EXPECT_EQ(page.texts[0].align, kAlignCenter);
    EXPECT_EQ(page.texts[0].font, PrintFontKind::Title);
    // Moved down by 300 / 3 + 300 / 15.
    EXPECT_EQ(page.texts[1].text, "(73 icons)");
    EXPECT_EQ(page.texts[1].rect, (Rect{0, 120, 4800, 270}));
    EXPECT_EQ(page.texts[2].rect, (Rect{100, 6300, 4700, 6600}));
    EXPECT_EQ(page.texts[2].align, kAlignLeft | kAlignVCenter);
    EXPECT_FALSE(page.texts[2].text.empty());
    EXPECT_EQ(page.texts[3].text, "Page 2/2");
    EXPECT_EQ(page.texts[3].align, kAlignRight | kAlignVCenter);

    const auto one = Icons(1);
    page = LayoutPrintPage(k600, {PrintSource::ProgramFile, "app.exe", &one}, 1);
    EXPECT_EQ(page.texts[0].text, "Program File \"app.exe\"");
    EXPECT_EQ(page.texts[1].text, "1 icon");
    const std::vector<CIconGroup> none;
    page = LayoutPrintPage(k600, {PrintSource::Library, "empty", &none}, 1);
    ASSERT_EQ(page.texts.size(), 3u); // no count line
    EXPECT_EQ(page.texts[2].text, "Page 1/0");

    const PrintFont title = PrintFontFor(PrintFontKind::Title, 600);
    EXPECT_EQ(title.family, "Arial");
    EXPECT_EQ(title.pixelHeight, 100);
    EXPECT_EQ(title.weight, 700);
    EXPECT_EQ(PrintFontFor(PrintFontKind::Subtitle, 600).weight, 700);
    EXPECT_EQ(PrintFontFor(PrintFontKind::Cell, 600).pixelHeight, 66);
    EXPECT_EQ(PrintFontFor(PrintFontKind::Footer, 600).weight, 400);
}

TEST(PrintPage, CellsFillACentredGridRowByRow)
{
    const auto icons = Icons(75);
    const PrintCatalogue library{PrintSource::Library, "x", &icons};
    PrintPage page = LayoutPrintPage(k600, library, 1);
    ASSERT_EQ(page.cells.size(), 72u);
    // x0 = (4800 - 8 * 600) / 2 = 0, y0 = (6600 - 9 * 600) / 2 = 600.
    EXPECT_EQ(page.cells[0].cell, (Rect{0, 600, 600, 1200}));
    EXPECT_EQ(page.cells[9].cell, (Rect{600, 1200, 1200, 1800}));
    EXPECT_EQ(page.cells[71].cell, (Rect{4200, 5400, 4800, 6000}));
    const PrintCell& c = page.cells[0];
    EXPECT_EQ(c.iconArea, (Rect{150, 600, 450, 900}));
    EXPECT_EQ(c.imageRect, c.iconArea);
    EXPECT_EQ(c.line1.text, "Icon1");
    EXPECT_EQ(c.line2.text, "(#1, 1 format)");
    // Text area from 900 + 60 to 1200, then up 25 and down 75.
    EXPECT_EQ(c.line1.rect, (Rect{0, 935, 600, 1175}));
    EXPECT_EQ(c.line2.rect, (Rect{0, 1010, 600, 1250}));

    page = LayoutPrintPage(k600, library, 2);
    ASSERT_EQ(page.cells.size(), 3u);
    EXPECT_EQ(page.cells[0].index, 72);
    EXPECT_EQ(page.cells[0].cell, (Rect{0, 600, 600, 1200}));
    EXPECT_EQ(page.cells[2].line2.text, "(#75, 1 format)");

    // An odd page: the grid sits in the middle.
    page = LayoutPrintPage({1000, 2000, 300, 300}, library, 1);
    EXPECT_EQ(page.cells[0].cell, (Rect{50, 250, 350, 550}));
}

TEST(PrintPage, SixteenPixelFormatsTakeTheMiddleQuarterAndProgramFilesNumberIcons)
{
    std::vector<CIconGroup> icons(3);
    icons[0].AddFormat(MakeIcon(16, 16, 16, 1));
    icons[1].name = "Both";
    icons[1].AddFormat(MakeIcon(16, 16, 16, 2));
    icons[1].AddFormat(MakeIcon(32, 32, 16, 3));
    icons[2].AddFormat(MakeIcon(32, 32, 16, 4));
    icons[2].AddFormat(MakeIcon(16, 16, 16, 5));
    icons[2].displayFormat = 0; // chosen in the window: the 16x16 one

    PrintPage page = LayoutPrintPage(k600, {PrintSource::Library, "x", &icons, 1, 1}, 1);
    EXPECT_EQ(page.cells[0].format, 0);
    EXPECT_EQ(page.cells[0].imageRect, (Rect{225, 675, 375, 825}));
    EXPECT_EQ(page.cells[0].line1.text, "Untitled");
    EXPECT_EQ(page.cells[1].format, 1); // the best for 32x32
    EXPECT_EQ(page.cells[1].imageRect, page.cells[1].iconArea);
    EXPECT_EQ(page.cells[1].line2.text, "(#2, 2 formats)");
    EXPECT_EQ(page.cells[2].format, 0);
    EXPECT_EQ(page.cells[2].imageRect.width(), 150);

    page = LayoutPrintPage(k600, {PrintSource::ProgramFile, "x", &icons, 1, 1}, 1);
    EXPECT_EQ(page.cells[1].line1.text, "Icon 2");
    EXPECT_EQ(page.cells[1].line2.text, "(2 formats)");
    EXPECT_EQ(page.cells[2].line2.text, "(2 formats)");
    EXPECT_EQ(page.cells[0].line2.text, "(1 format)");
}

TEST(PrintPage, WholeFactorScalingNeverBlurs)
{
    EXPECT_EQ(WholeFactorRect({150, 600, 450, 900}, 32, 32), (Rect{156, 606, 444, 894})); // 9x
    EXPECT_EQ(WholeFactorRect({0, 0, 300, 300}, 256, 256), (Rect{22, 22, 278, 278}));     // 1x
    EXPECT_EQ(WholeFactorRect({0, 0, 48, 48}, 256, 128), (Rect{0, 12, 48, 36}));          // smaller
    EXPECT_EQ(WholeFactorRect({0, 0, 48, 48}, 0, 0), (Rect{0, 0, 48, 48}));
}

} // namespace
} // namespace kavrel
