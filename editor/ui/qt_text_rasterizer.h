// The text of the Text command drawn with Qt's fonts.
#pragma once

#include "editor/text_tool.h"

namespace kavrel {

class QtTextRasterizer final : public TextRasterizer {
  public:
    // The text's extent is the advance of the line by the font's height.
    Bitmap Render(const TextFont& font, const std::string& text) override;
    Bitmap RenderCoverage(const TextFont& font, const std::string& text) override;
};

} // namespace kavrel
