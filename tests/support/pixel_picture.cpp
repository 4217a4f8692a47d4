#include "support/pixel_picture.h"

#include <cstddef>
#include <sstream>

namespace kavrel::test {

namespace {

struct PictureColor {
    char symbol;
    COLORREF color;
};

// '.' and 'i' are read as black and white but never printed for a colour-only
// bitmap; they only appear where a mask says so.
constexpr PictureColor kColors[] = {
    {'#', RGB(0, 0, 0)},     {'w', RGB(255, 255, 255)}, {'r', RGB(255, 0, 0)},
    {'g', RGB(0, 255, 0)},   {'b', RGB(0, 0, 255)},     {'y', RGB(255, 255, 0)},
    {'c', RGB(0, 255, 255)}, {'m', RGB(255, 0, 255)},   {'-', RGB(128, 128, 128)},
};

bool ColorOfSymbol(char symbol, COLORREF& color)
{
    if (symbol == '.') {
        color = RGB(0, 0, 0);
        return true;
    }
    if (symbol == 'i') {
        color = RGB(255, 255, 255);
        return true;
    }
    for (const auto& entry : kColors) {
        if (entry.symbol == symbol) {
            color = entry.color;
            return true;
        }
    }
    return false;
}

char SymbolOfColor(COLORREF color)
{
    for (const auto& entry : kColors) {
        if (entry.color == color) {
            return entry.symbol;
        }
    }
    return '?';
}

void PictureSize(const std::vector<std::string>& rows, int& width, int& height)
{
    height = static_cast<int>(rows.size());
    width = rows.empty() ? 0 : static_cast<int>(rows[0].size());
    for (const auto& row : rows) {
        if (static_cast<int>(row.size()) != width) {
            ADD_FAILURE() << "pixel picture rows differ in length";
        }
    }
}

char RowChar(const std::vector<std::string>& rows, int x, int y)
{
    const std::string& row = rows[static_cast<std::size_t>(y)];
    return static_cast<std::size_t>(x) < row.size() ? row[static_cast<std::size_t>(x)] : '#';
}

std::string Describe(const std::vector<std::string>& actual, const std::vector<std::string>& expected)
{
    std::ostringstream out;
    out << "\nactual:";
    for (const auto& row : actual) {
        out << "\n  " << row;
    }
    out << "\nexpected:";
    for (const auto& row : expected) {
        out << "\n  " << row;
    }
    return out.str();
}

} // namespace

Bitmap ColorPicture(const std::vector<std::string>& rows)
{
    int width = 0, height = 0;
    PictureSize(rows, width, height);
    Bitmap bitmap = Bitmap::Color(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            COLORREF color = 0;
            const char symbol = RowChar(rows, x, y);
            if (!ColorOfSymbol(symbol, color)) {
                ADD_FAILURE() << "unknown pixel picture symbol '" << symbol << "'";
            }
            bitmap.setRawPixel(x, y, PixelFromColorRef(color));
        }
    }
    return bitmap;
}

Bitmap MonoPicture(const std::vector<std::string>& rows)
{
    int width = 0, height = 0;
    PictureSize(rows, width, height);
    Bitmap bitmap = Bitmap::Mono(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bitmap.setRawPixel(x, y, RowChar(rows, x, y) == '#' ? 0u : 1u);
        }
    }
    return bitmap;
}

void ImagePicture(const std::vector<std::string>& rows, Bitmap& color, Bitmap& mask)
{
    color = ColorPicture(rows);
    int width = 0, height = 0;
    PictureSize(rows, width, height);
    mask = Bitmap::Mono(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const char symbol = RowChar(rows, x, y);
            mask.setRawPixel(x, y, symbol == '.' || symbol == 'i' ? 1u : 0u);
        }
    }
}

std::vector<std::string> PictureOf(const Bitmap& bitmap)
{
    std::vector<std::string> rows;
    for (int y = 0; y < bitmap.height(); ++y) {
        std::string row;
        for (int x = 0; x < bitmap.width(); ++x) {
            if (bitmap.isMono()) {
                row += bitmap.rawPixel(x, y) == 0 ? '#' : 'w';
            } else {
                row += SymbolOfColor(bitmap.pixel(x, y));
            }
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<std::string> PictureOf(const Bitmap& color, const Bitmap& mask)
{
    std::vector<std::string> rows = PictureOf(color);
    for (int y = 0; y < color.height() && y < mask.height(); ++y) {
        for (int x = 0; x < color.width() && x < mask.width(); ++x) {
            const bool masked = mask.isMono() ? mask.rawPixel(x, y) != 0 : mask.pixel(x, y) != RGB(0, 0, 0);
            if (!masked) {
                continue;
            }
            char& symbol = rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
            const COLORREF c = color.pixel(x, y);
            symbol = c == RGB(0, 0, 0) ? '.' : c == RGB(255, 255, 255) ? 'i' : '?';
        }
    }
    return rows;
}

::testing::AssertionResult PictureIs(const Bitmap& bitmap, const std::vector<std::string>& expected)
{
    const std::vector<std::string> actual = PictureOf(bitmap);
    int width = 0, height = 0;
    PictureSize(expected, width, height);
    if (width != bitmap.width() || height != bitmap.height()) {
        return ::testing::AssertionFailure() << "size " << bitmap.width() << "x" << bitmap.height() << ", expected "
                                             << width << "x" << height << Describe(actual, expected);
    }
    // Compared by meaning, so '.' matches black and a mono picture may use
    // any symbol for 1.
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const char symbol = RowChar(expected, x, y);
            bool same = false;
            if (bitmap.isMono()) {
                same = (bitmap.rawPixel(x, y) == 0) == (symbol == '#');
            } else {
                COLORREF color = 0;
                same = ColorOfSymbol(symbol, color) && color == bitmap.pixel(x, y);
            }
            if (!same) {
                return ::testing::AssertionFailure()
                       << "first difference at (" << x << ", " << y << ")" << Describe(actual, expected);
            }
        }
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult PictureIs(const Bitmap& color, const Bitmap& mask, const std::vector<std::string>& expected)
{
    if (color.width() != mask.width() || color.height() != mask.height()) {
        return ::testing::AssertionFailure() << "colour bitmap " << color.width() << "x" << color.height()
                                             << " but mask " << mask.width() << "x" << mask.height();
    }
    const std::vector<std::string> actual = PictureOf(color, mask);
    if (actual != expected) {
        return ::testing::AssertionFailure() << Describe(actual, expected);
    }
    return ::testing::AssertionSuccess();
}

void AlphaImage(int width, int height, Bitmap& color, Bitmap& mask)
{
    color = Bitmap::ColorAlpha(width, height);
    mask = Bitmap::Mono(width, height);
    mask.fill(RGB(255, 255, 255));
}

std::vector<int> AlphaRow(const Bitmap& color, int y)
{
    std::vector<int> row;
    for (int x = 0; x < color.width(); ++x)
        row.push_back(color.hasAlpha() ? static_cast<int>(color.rawPixel(x, y) >> 24) : 255);
    return row;
}

::testing::AssertionResult MaskFollowsAlpha(const Bitmap& color, const Bitmap& mask)
{
    if (!color.hasAlpha())
        return ::testing::AssertionFailure() << "the colour bitmap has no alpha";
    if (mask.width() != color.width() || mask.height() != color.height() || !mask.isMono())
        return ::testing::AssertionFailure() << "the mask does not match the colour bitmap";
    for (int y = 0; y < color.height(); ++y)
        for (int x = 0; x < color.width(); ++x) {
            const std::uint32_t v = color.rawPixel(x, y);
            const bool clear = (v >> 24) == 0;
            if (clear != (mask.rawPixel(x, y) == 1) || (clear && v != 0))
                return ::testing::AssertionFailure() << "pixel " << x << "," << y << " is 0x" << std::hex << v
                                                     << " with mask " << std::dec << mask.rawPixel(x, y);
        }
    return ::testing::AssertionSuccess();
}

} // namespace kavrel::test
