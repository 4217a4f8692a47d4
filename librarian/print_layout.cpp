#include "librarian/print_layout.h"

#include <algorithm>

#include "resources/strings.h"

namespace kavrel {

namespace {

Rect Offset(Rect r, int dy)
{
    r.top += dy;
    r.bottom += dy;
    return r;
}

std::string CountLine(int count)
{
    if (count <= 0)
        return {};
    if (count == 1)
        return LoadString(kStrOneIcon);
    return "(" + FormatString(kStrIcons, count) + ")";
}

int DisplayFormat(const CIconGroup& icon, const PrintCatalogue& catalogue)
{
    if (icon.FormatCount() == 0)
        return -1;
    if (icon.displayFormat >= 0 && icon.displayFormat < icon.FormatCount())
        return icon.displayFormat;
    return icon.BestFormat(catalogue.sizeIndex, catalogue.colorIndex);
}

} // namespace

PrintPagination PaginatePrint(const PrintDevice& device, int iconCount)
{
    PrintPagination p;
    const int dpiX = std::max(device.dpiX, 1), dpiY = std::max(device.dpiY, 1);
    p.columns = std::max(device.pageWidth / dpiX, 1);
    p.rows = std::max((device.pageHeight - (dpiY / 2 * 3 / 2) * 2) / dpiY, 1);
    p.perPage = p.columns * p.rows;
    p.pages = iconCount <= 0 ? 0 : (iconCount + p.perPage - 1) / p.perPage;
    return p;
}

PrintFont PrintFontFor(PrintFontKind kind, int dpiY)
{
    auto pixels = [&](int points) { return points * dpiY / 72; };
    switch (kind) {
    case PrintFontKind::Title:
        return {"Arial", pixels(12), 700};
    case PrintFontKind::Subtitle:
        return {"Arial", pixels(9), 700};
    case PrintFontKind::Footer:
        return {"Arial", pixels(8), 400};
    case PrintFontKind::Cell:
        break;
    }
    return {"Arial", pixels(8), 400};
}

PrintPage LayoutPrintPage(const PrintDevice& device, const PrintCatalogue& catalogue, int page)
{
    static const std::vector<CIconGroup> kNone;
    const std::vector<CIconGroup>& icons = catalogue.icons ? *catalogue.icons : kNone;
    const int count = static_cast<int>(icons.size());
    const PrintPagination p = PaginatePrint(device, count);
    const int dpiX = std::max(device.dpiX, 1), dpiY = std::max(device.dpiY, 1);
    const int width = device.pageWidth, height = device.pageHeight;

    PrintPage out;
    const Rect band{0, 0, width, dpiY / 4};
    const int titleId = catalogue.source == PrintSource::Library ? kStrIconLibraryTitle : kStrProgramFileTitle;
    out.texts.push_back({band, FormatString(titleId, catalogue.title), PrintFontKind::Title, kAlignCenter});
    if (std::string line = CountLine(count); !line.empty())
        out.texts.push_back(
            {Offset(band, dpiY / 2 / 3 + dpiY / 2 / 15), std::move(line), PrintFontKind::Subtitle, kAlignCenter});
    const Rect footer{dpiX / 6, height - dpiY / 2, width - dpiX / 6, height};
    out.texts.push_back(
        {footer, LoadString(kStrPrintIdentification), PrintFontKind::Footer, kAlignLeft | kAlignVCenter});
    out.texts.push_back(
        {footer, FormatString(kStrPageOf, page, p.pages), PrintFontKind::Footer, kAlignRight | kAlignVCenter});

    const int x0 = (width - p.columns * dpiX) / 2;
    const int y0 = (height - p.rows * dpiY) / 2;
    const int first = (page - 1) * p.perPage;
    for (int k = 0; page >= 1 && k < p.perPage && first + k < count; ++k) {
        const int index = first + k;
        const CIconGroup& icon = icons[static_cast<std::size_t>(index)];
        PrintCell c;
        c.index = index;
        const int left = x0 + (k % p.columns) * dpiX, top = y0 + (k / p.columns) * dpiY;
        c.cell = {left, top, left + dpiX, top + dpiY};
        c.iconArea = {left + dpiX / 4, top, c.cell.right - dpiX / 4, c.cell.bottom - dpiY * 2 / 4};
        c.format = DisplayFormat(icon, catalogue);
        c.imageRect = c.iconArea;
        if (const CIcon* f = c.format >= 0 ? icon.GetFormat(c.format) : nullptr;
            f && f->width == 16 && f->height == 16) {
            const int w = c.iconArea.width(), h = c.iconArea.height();
            c.imageRect = {c.iconArea.left + w / 4, c.iconArea.top + h / 4, c.iconArea.left + w / 4 + w / 2,
                           c.iconArea.top + h / 4 + h / 2};
        }

        const Rect text{c.cell.left, c.iconArea.bottom + dpiY / 10, c.cell.right, c.cell.bottom};
        const Rect upper = Offset(text, -dpiY / 24);
        const Rect lower = Offset(upper, dpiY / 8);
        const int number = index + 1;
        if (catalogue.source == PrintSource::Library) {
            c.line1 = {upper, icon.DisplayName(), PrintFontKind::Cell, kAlignCenter};
            c.line2 = {lower, icon.FormatCountText(number), PrintFontKind::Cell, kAlignCenter};
        } else {
            c.line1 = {upper, FormatString(kStrIconNumber, number), PrintFontKind::Cell, kAlignCenter};
            c.line2 = {lower, icon.FormatCountText(0), PrintFontKind::Cell, kAlignCenter};
        }
        out.cells.push_back(std::move(c));
    }
    return out;
}

Rect WholeFactorRect(const Rect& area, int width, int height)
{
    if (width <= 0 || height <= 0 || area.empty())
        return area;
    int w, h;
    const int factor = std::min(area.width() / width, area.height() / height);
    if (factor >= 1) {
        w = width * factor;
        h = height * factor;
    } else if (static_cast<long long>(width) * area.height() >= static_cast<long long>(height) * area.width()) {
        w = area.width();
        h = std::max(1, static_cast<int>(static_cast<long long>(height) * area.width() / width));
    } else {
        h = area.height();
        w = std::max(1, static_cast<int>(static_cast<long long>(width) * area.height() / height));
    }
    const int left = area.left + (area.width() - w) / 2, top = area.top + (area.height() - h) / 2;
    return {left, top, left + w, top + h};
}

} // namespace kavrel
