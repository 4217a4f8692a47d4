// The printed catalogue of a library or program-file window: one-inch cells
// holding each icon and two lines of text, a title and a count at the top of
// every page, a footer with the page number. All measures are device pixels;
// the Qt side only draws what this lays out.
#pragma once

#include <string>
#include <vector>

#include "librarian/icon_list.h"
#include "model/icon_model.h"
#include "platform/gdi.h"

namespace kavrel {

// String-table numbers of the printed texts (the counts are icon_list's).
constexpr int kStrProgramFileTitle = 36; // "Program File "%s""
constexpr int kStrIconLibraryTitle = 37; // "Icon Library "%s""
constexpr int kStrPrintIdentification = 55071;
constexpr int kStrPageOf = 55072; // "Page %d/%d"

// The page as the printer (or the preview) measures it.
struct PrintDevice {
    int pageWidth = 0, pageHeight = 0; // pixels
    int dpiX = 0, dpiY = 0;            // pixels per inch
};

struct PrintPagination {
    int columns = 1, rows = 1;
    int perPage = 1;
    int pages = 0;
};

// Three quarters of an inch stay free at the top and at the bottom; a page
// too small for even one cell still gets one column and one row.
PrintPagination PaginatePrint(const PrintDevice& device, int iconCount);

enum class PrintFontKind { Title, Subtitle, Footer, Cell };

struct PrintFont {
    std::string family; // always "Arial"
    int pixelHeight = 0;
    int weight = 400;
};
PrintFont PrintFontFor(PrintFontKind kind, int dpiY);

// Text placement inside its rectangle; single lines, no prefix characters.
enum PrintAlign : unsigned {
    kAlignLeft = 0,
    kAlignCenter = 1,
    kAlignRight = 2,
    kAlignVCenter = 4, // else the text hangs from the top
};

struct PrintText {
    Rect rect;
    std::string text;
    PrintFontKind font = PrintFontKind::Cell;
    unsigned align = kAlignLeft;
};

struct PrintCell {
    int index = 0; // the icon's position in the list
    Rect cell;
    Rect iconArea;   // half an inch square at the top centre of the cell
    Rect imageRect;  // where the format goes: the middle quarter for 16x16
    int format = -1; // the format drawn; -1 for an icon without formats
    PrintText line1, line2;
};

struct PrintPage {
    std::vector<PrintText> texts; // title, count line, footer
    std::vector<PrintCell> cells;
};

enum class PrintSource { Library, ProgramFile };

struct PrintCatalogue {
    PrintSource source = PrintSource::Library;
    std::string title; // the document's title
    const std::vector<CIconGroup>* icons = nullptr;
    int sizeIndex = 1, colorIndex = 2; // the window's display classes
};

// Page `page` (from 1) of the catalogue.
PrintPage LayoutPrintPage(const PrintDevice& device, const PrintCatalogue& catalogue, int page);

// Where an image of width x height is drawn inside `area` without blurring:
// scaled by the largest whole factor that fits and centred; an image larger
// than the area shrinks to fit with its proportions.
Rect WholeFactorRect(const Rect& area, int width, int height);

} // namespace kavrel
