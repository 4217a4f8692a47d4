// The Text command: a line of text in a chosen font, rendered in the left
// colour on the right colour and put into the edited format as a floating
// selection. The fonts themselves come from the window system through
// TextRasterizer; everything else is plain and testable.
#pragma once

#include <string>

#include "model/palettes.h"
#include "platform/gdi.h"

namespace kavrel {

class CIconObject;
class CIconViewState;

constexpr int kTextMinSize = 1;
constexpr int kTextMaxSize = 128;
constexpr int kTextMaxLength = 100;
// The face the dialog falls back on when no font is selected.
inline constexpr const char* kDefaultTextFace = "MS Sans Serif";

// a x b / c rounded to the nearest, halves away from zero (0 when c is 0).
int MulDiv(int a, int b, int c);
// The font height for a size in points on a screen: negative, meaning the
// height of the characters without the internal leading.
int TextFontHeight(int points, int dpiY);

struct TextFont {
    std::string face;
    int height = -11; // negative: character height in pixels
    int weight = 400; // 700 when bold
    bool italic = false;
};

// What the dialog left in the settings, as one request.
struct TextRequest {
    std::string face;
    std::string text;
    int size = 8;
    bool bold = false;
    bool italic = false;
};
TextRequest TextRequestFromSettings();
TextFont FontForRequest(const TextRequest& request, int dpiY);

class TextRasterizer {
  public:
    virtual ~TextRasterizer() = default;
    // The text drawn white on black in the font, in a bitmap of the text's
    // extent: a monochrome bitmap with 1 where the text's pixels are. A null
    // bitmap when the font cannot draw it.
    virtual Bitmap Render(const TextFont& font, const std::string& text) = 0;
    // The text anti-aliased, for formats with alpha: a colour bitmap of the
    // same extent whose grey level (each channel) is the text's coverage of
    // the pixel. By default the pixels of Render, fully covered or not at all.
    virtual Bitmap RenderCoverage(const TextFont& font, const std::string& text);
};

// The floating block for a rendered text: the left colour where the text's
// pixels are, the right colour elsewhere (transparent when it is
// COLOR_TRANSPARENT), both painted with the brushes the format's depth gives.
void BuildTextBlock(const CIconObject& format, const Bitmap& textPixels, ColorValue left, ColorValue right,
                    Bitmap& color, Bitmap& mask);

// The same for a format with alpha from the text's coverage (RenderCoverage):
// each pixel is the left colour over the right one in the measure of its
// coverage, alpha with them, so that over Transparent the coverage becomes
// the alpha. The mask is 1 exactly where the alpha is 0.
void BuildAlphaTextBlock(const Bitmap& coverage, ColorValue left, std::uint8_t leftAlpha, ColorValue right,
                         std::uint8_t rightAlpha, const Palette* palette, Bitmap& color, Bitmap& mask);

enum class TextOutcome {
    Beep,   // no font name or no text
    Failed, // the font drew nothing
    Pasted,
};
// Renders the request with the view's colours and pastes it as a floating
// selection at the top-left of the format.
TextOutcome AddText(CIconViewState& view, const TextRequest& request, TextRasterizer& rasterizer, int dpiY);

} // namespace kavrel
