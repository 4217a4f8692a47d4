#include "editor/tool_stencil.h"

#include <algorithm>

#include "editor/tool_brushes.h"
#include "model/icon_model.h"

namespace kavrel {

namespace {

ToolScratch& Scratch()
{
    static ToolScratch scratch;
    return scratch;
}

} // namespace

ToolScratch& ScratchFor(const CIconObject& format)
{
    ToolScratch& s = Scratch();
    const int w = format.color.width(), h = format.color.height();
    if (s.stencil.width() != w || s.stencil.height() != h) {
        s.stencil = Bitmap::Mono(w, h);
        s.stencil.fill(RGB(255, 255, 255));
    }
    // The working colour copy has an alpha channel when the format has one.
    const bool alpha = format.color.hasAlpha();
    if (s.color.width() != w || s.color.height() != h || s.color.hasAlpha() != alpha)
        s.color = alpha ? Bitmap::ColorAlpha(w, h) : Bitmap::Color(w, h);
    const bool mono = format.mask.isMono();
    if (s.mask.width() != format.mask.width() || s.mask.height() != format.mask.height() || s.mask.isMono() != mono)
        s.mask = mono ? Bitmap::Mono(format.mask.width(), format.mask.height())
                      : Bitmap::Color(format.mask.width(), format.mask.height());
    return s;
}

bool ToolStencilIsClean()
{
    const Bitmap& s = Scratch().stencil;
    if (s.isNull())
        return true;
    const std::uint8_t* bits = s.monoBits();
    return std::all_of(bits, bits + static_cast<std::size_t>(s.width()) * static_cast<std::size_t>(s.height()),
                       [](std::uint8_t b) { return b == 1; });
}

Rect CStencilTool::Stamp(Bitmap& stencil, int column, int row, int) const
{
    return StampBrush(stencil, column, row, kBrushFine);
}

Rect CStencilTool::DrawShape(Bitmap&, int) const
{
    return {};
}

Rect CBrushStampTool::Stamp(Bitmap& stencil, int column, int row, int shape) const
{
    return StampBrush(stencil, column, row, shape);
}

Rect CStencilTool::Normalised() const
{
    return Rect{std::min(startColumn, endColumn), std::min(startRow, endRow), std::max(startColumn, endColumn),
                std::max(startRow, endRow)};
}

Rect CStencilTool::StampLine(Bitmap& stencil, int x1, int y1, int x2, int y2, int shape) const
{
    Rect box;
    LineDDA(x1, y1, x2, y2, [&](int x, int y) { box = box.united(Stamp(stencil, x, y, shape)); });
    return box.united(Stamp(stencil, x2, y2, shape));
}

FillSpec CStencilTool::Spec(const ToolContext& context, const Rect& shapeBox) const
{
    const CIconObject& f = *context.format;
    FillSpec spec;
    spec.pressed = context.pressedColor;
    spec.other = OtherColor(context);
    spec.pressedAlpha = context.pressedAlpha;
    spec.otherAlpha = OtherAlpha(context);
    spec.button = context.lastButton;
    spec.fillMode = context.fillMode;
    spec.bitDepth = f.bitDepth;
    spec.palette = &f.palette;
    spec.ownPalette = f.ownPalette != 0;
    spec.span = spanFromShape_ && !shapeBox.empty() ? GradientSpan::Of(shapeBox)
                                                    : GradientSpan{0, 0, f.width - 1, f.height - 1};
    return spec;
}

void CStencilTool::Preview(ToolContext& context)
{
    if (!context.format)
        return;
    CIconObject& f = *context.format;
    ToolScratch& s = ScratchFor(f);
    const Rect box = DrawShape(s.stencil, context.brushShape);
    const Rect shown = box.united(previous.value_or(Rect{}));
    // The copies are fresh wherever they are shown: the last preview is
    // erased and the new one drawn in one rendering.
    CopyBitmapRect(s.color, f.color, shown);
    CopyBitmapRect(s.mask, f.mask, shown);
    FillThroughStencil(s.color, s.mask, s.stencil, box, Spec(context, box));
    WhitenRect(s.stencil, box);
    if (context.renderRegion && !shown.empty())
        context.renderRegion(s.color, s.mask, shown);
    previous = box;
}

void CStencilTool::Commit(ToolContext& context)
{
    if (!context.format)
        return;
    CIconObject& f = *context.format;
    ToolScratch& s = ScratchFor(f);
    const Rect box = DrawShape(s.stencil, context.brushShape);
    FillThroughStencil(f.color, f.mask, s.stencil, box, Spec(context, box));
    WhitenRect(s.stencil, box);
    const Rect shown = box.united(previous.value_or(Rect{}));
    previous.reset();
    if (context.renderRegion && !shown.empty())
        context.renderRegion(f.color, f.mask, shown);
}

void CStencilTool::ShowSize(ToolContext& context) const
{
    if (ShowsSize() && context.showSize)
        context.showSize(Normalised());
}

std::optional<Rect> CStencilTool::Hover(ToolContext& context, int column, int row)
{
    if (!context.format)
        return std::nullopt;
    CIconObject& f = *context.format;
    ToolScratch& s = ScratchFor(f);
    const Rect box = Stamp(s.stencil, column, row, context.brushShape);
    const Rect shown = box.united(context.previousHover.value_or(Rect{}));
    CopyBitmapRect(s.color, f.color, shown);
    CopyBitmapRect(s.mask, f.mask, shown);
    PaintFootprint(context, f, s, box);
    WhitenRect(s.stencil, box);
    if (context.renderRegion && !shown.empty())
        context.renderRegion(s.color, s.mask, shown);
    if (box.empty())
        return std::nullopt;
    return box;
}

void CStencilTool::PaintFootprint(ToolContext& context, CIconObject& f, ToolScratch& s, const Rect& box) const
{
    FillSpec spec = Spec(context, Rect{});
    spec.span = GradientSpan{0, 0, f.width - 1, f.height - 1};
    FillThroughStencil(s.color, s.mask, s.stencil, box, spec);
}

} // namespace kavrel
