#include "editor/tool_set.h"

#include <algorithm>

#include "editor/tool_brushes.h"
#include "editor/tool_selection.h"
#include "model/icon_model.h"

namespace kavrel {

namespace {

const Rect& WholeImage(const CIconObject& f, Rect& out)
{
    out = Rect{0, 0, f.width, f.height};
    return out;
}

void EndSize(ToolContext& context)
{
    if (context.showSize)
        context.showSize(std::nullopt);
}

} // namespace

// ---- colour picker ----

ColorValue PickColor(const CIconObject& f, int column, int row)
{
    const ColorValue value = GetImagePixel(f.color, f.mask, column, row);
    if (ColorKind(value) != ColorKindType::Ordinary || !f.ownPalette)
        return value;
    for (int i = 0; i < std::min(f.palette.size(), 256); ++i)
        if (f.palette.colorRef(i) == (value & 0x00FFFFFFu))
            return PaletteIndexValue(i);
    return PaletteIndexValue(0);
}

std::uint8_t PickAlpha(const CIconObject& f, int column, int row)
{
    const std::uint8_t alpha = ImagePixelAlpha(f.color, column, row);
    return alpha == 0 ? std::uint8_t{255} : alpha;
}

void CColorPickerTool::Begin(ToolContext& context, int column, int row)
{
    if (!context.format)
        return;
    const ColorValue picked = PickColor(*context.format, column, row);
    if (IsPaletteIndexValue(picked) && context.setSelectedPaletteIndex)
        context.setSelectedPaletteIndex(static_cast<int>(picked & 0xFF));
    if (context.setPressedColor)
        context.setPressedColor(picked, PickAlpha(*context.format, column, row));
}

void CColorPickerTool::End(ToolContext& context)
{
    if (context.returnToPreviousTool)
        context.returnToPreviousTool();
}

// ---- colour replacer ----

bool SameColor(ColorValue pixel, ColorValue color, const Palette* palette)
{
    const ColorKindType a = ColorKind(pixel), b = ColorKind(color);
    if (a != ColorKindType::Ordinary || b != ColorKindType::Ordinary)
        return a == b;
    // The bitmaps hold RGB values, so a palette entry matches the pixels that
    // show its colour.
    return ResolveColor(pixel, palette) == ResolveColor(color, palette);
}

bool SamePixel(const CIconObject& f, int x, int y, ColorValue color, std::uint8_t alpha)
{
    const ColorValue pixel = GetImagePixel(f.color, f.mask, x, y);
    if (!f.color.hasAlpha())
        return SameColor(pixel, color, &f.palette);
    const std::uint8_t wanted = StoredAlpha(color, alpha);
    if (wanted == 0)
        return ColorKind(pixel) == ColorKindType::Transparent;
    return ImagePixelAlpha(f.color, x, y) == wanted && SameColor(pixel, color, &f.palette);
}

Rect CBrushStrokeTool::DrawShape(Bitmap& stencil, int shape) const
{
    return StampLine(stencil, startColumn, startRow, endColumn, endRow, shape);
}

void CBrushStrokeTool::Begin(ToolContext& context, int column, int row)
{
    startColumn = endColumn = column;
    startRow = endRow = row;
    previous.reset();
    Move(context, column, row);
}

void CBrushStrokeTool::Move(ToolContext& context, int column, int row)
{
    endColumn = column;
    endRow = row;
    Segment(context);
    startColumn = endColumn;
    startRow = endRow;
}

void CBrushStrokeTool::End(ToolContext& context)
{
    EndSize(context);
}

void CColorReplacerTool::Segment(ToolContext& context)
{
    if (!context.format)
        return;
    CIconObject& f = *context.format;
    ToolScratch& s = ScratchFor(f);
    const Rect box = DrawShape(s.stencil, context.brushShape);
    const ColorValue from = context.pressedColor, to = OtherColor(context);
    const std::uint8_t toAlpha = OtherAlpha(context);
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            if (s.stencil.rawPixel(x, y) == 0 && SamePixel(f, x, y, from, context.pressedAlpha))
                SetImagePixel(f.color, f.mask, to, x, y, &f.palette, toAlpha);
    WhitenRect(s.stencil, box);
    if (context.renderRegion && !box.empty())
        context.renderRegion(f.color, f.mask, box);
}

void CColorReplacerTool::PaintFootprint(ToolContext& context, CIconObject& f, ToolScratch& s, const Rect& box) const
{
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            if (s.stencil.rawPixel(x, y) == 0 && SamePixel(f, x, y, context.leftColor, context.leftAlpha))
                SetImagePixel(s.color, s.mask, context.rightColor, x, y, &f.palette, context.rightAlpha);
}

// ---- pencil and brush ----

Rect CPencilTool::DrawShape(Bitmap& stencil, int) const
{
    // The pencil is one pixel wide whatever the brush shape.
    return StampLine(stencil, startColumn, startRow, endColumn, endRow, kBrushFine);
}

void CPencilTool::Begin(ToolContext& context, int column, int row)
{
    startColumn = endColumn = column;
    startRow = endRow = row;
    previous.reset();
    Move(context, column, row);
}

void CPencilTool::Move(ToolContext& context, int column, int row)
{
    endColumn = column;
    endRow = row;
    Commit(context);
    startColumn = endColumn;
    startRow = endRow;
}

void CPencilTool::End(ToolContext& context)
{
    EndSize(context);
}

// ---- flood fill ----

void CFloodFillTool::Begin(ToolContext& context, int column, int row)
{
    if (!context.format)
        return;
    CIconObject& f = *context.format;
    const int w = f.color.width(), h = f.color.height();
    if (column < 0 || row < 0 || column >= w || row >= h || f.mask.width() != w || f.mask.height() != h)
        return;
    startColumn = endColumn = column;
    startRow = endRow = row;
    previous.reset();

    // The seed's class (same colour pixel and same mask bit) in black, the
    // rest and an extra border column in white; the surface fill then marks
    // the connected part of it.
    const std::uint32_t seedColor = f.color.rawPixel(column, row), seedMask = f.mask.rawPixel(column, row);
    Bitmap work = Bitmap::Color(w + 1, h);
    const std::uint32_t black = PixelFromColorRef(RGB(0, 0, 0)), white = PixelFromColorRef(RGB(255, 255, 255));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            work.setRawPixel(x, y,
                             f.color.rawPixel(x, y) == seedColor && f.mask.rawPixel(x, y) == seedMask ? black : white);
        work.setRawPixel(w, y, white);
    }
    DC dc(work);
    dc.brush = Brush::Solid(RGB(255, 0, 0));
    ExtFloodFill(dc, column, row, RGB(0, 0, 0));

    ToolScratch& s = ScratchFor(f);
    const std::uint32_t filled = PixelFromColorRef(RGB(255, 0, 0));
    Rect box;
    for (int y = 0; y < h; ++y) {
        int first = -1, last = -1;
        for (int x = 0; x < w; ++x)
            if (work.rawPixel(x, y) == filled) {
                s.stencil.setRawPixel(x, y, 0);
                if (first < 0)
                    first = x;
                last = x;
            }
        if (first >= 0)
            box = box.united(Rect{first, y, last + 1, y + 1});
    }
    FillThroughStencil(f.color, f.mask, s.stencil, box, Spec(context, box));
    WhitenRect(s.stencil, box);
    Rect all;
    if (context.renderRegion)
        context.renderRegion(f.color, f.mask, WholeImage(f, all));
}

void CFloodFillTool::End(ToolContext& context)
{
    EndSize(context);
}

// ---- line, rectangles, ellipses ----

void CShapeTool::Begin(ToolContext& context, int column, int row)
{
    startColumn = endColumn = column;
    startRow = endRow = row;
    previous.reset();
    Move(context, column, row);
}

void CShapeTool::Move(ToolContext& context, int column, int row)
{
    endColumn = column;
    endRow = row;
    Preview(context);
    ShowSize(context);
}

void CShapeTool::End(ToolContext& context)
{
    Commit(context);
    EndSize(context);
}

Rect CLineTool::DrawShape(Bitmap& stencil, int shape) const
{
    return StampLine(stencil, startColumn, startRow, endColumn, endRow, shape);
}

Rect CRectangleTool::Stamp(Bitmap& stencil, int column, int row, int shape) const
{
    return StampBrush(stencil, column, row, filled_ ? kBrushFine : shape);
}

Rect CRectangleTool::DrawShape(Bitmap& stencil, int shape) const
{
    if (filled_) {
        const Rect n = Normalised();
        const Rect box = Rect{n.left, n.top, n.right + 1, n.bottom + 1}.intersected(stencil.rect());
        for (int y = box.top; y < box.bottom; ++y)
            for (int x = box.left; x < box.right; ++x)
                stencil.setRawPixel(x, y, 0);
        return box;
    }
    Rect box = StampLine(stencil, startColumn, startRow, endColumn, startRow, shape);
    box = box.united(StampLine(stencil, endColumn, startRow, endColumn, endRow, shape));
    box = box.united(StampLine(stencil, endColumn, endRow, startColumn, endRow, shape));
    return box.united(StampLine(stencil, startColumn, endRow, startColumn, startRow, shape));
}

Rect CEllipseTool::Stamp(Bitmap& stencil, int column, int row, int) const
{
    return StampBrush(stencil, column, row, kBrushFine);
}

Rect CEllipseTool::DrawShape(Bitmap& stencil, int shape) const
{
    const Rect n = Normalised();
    const Rect r{n.left, n.top, n.right + 1, n.bottom + 1};
    DC dc(stencil);
    const int pen = filled_ ? 1 : EllipsePenWidth(shape);
    dc.pen = Pen::Solid(pen, RGB(0, 0, 0));
    dc.brush = filled_ ? Brush::Solid(RGB(0, 0, 0)) : Brush::None();
    Ellipse(dc, r.left, r.top, r.right, r.bottom);
    const int half = filled_ ? 0 : pen / 2;
    return Rect{r.left - half, r.top - half, r.right + half, r.bottom + half}.intersected(stencil.rect());
}

// ---- 3D frame ----

int C3DFrameTool::Thickness(int shape, int x0, int y0, int x1, int y1)
{
    int t = FrameThickness(shape);
    if (x1 - x0 < 2 * t)
        t = (x1 - x0) / 2;
    if (y1 - y0 < 2 * t)
        t = (y1 - y0) / 2;
    return std::max(t, 1);
}

Rect C3DFrameTool::DrawFrame(Bitmap& color, Bitmap& mask, const ToolContext& context) const
{
    const CIconObject& f = *context.format;
    const Rect n = Normalised();
    const int x0 = n.left, y0 = n.top, x1 = n.right, y1 = n.bottom;
    const int t = Thickness(context.brushShape, x0, y0, x1, y1);
    Brush lightColor, lightMask, darkColor, darkMask;
    MakeImageBrushes(context.pressedColor, lightColor, lightMask, f.bitDepth, &f.palette, context.pressedAlpha);
    MakeImageBrushes(OtherColor(context), darkColor, darkMask, f.bitDepth, &f.palette, OtherAlpha(context));
    DC colorDC(color), maskDC(mask);
    auto paint = [&](const Rect& r, const Brush& c, const Brush& m) {
        FillRect(colorDC, r, c);
        FillRect(maskDC, r, m);
    };
    for (int k = 0; k < t; ++k) {
        paint(Rect{x0 + k, y0 + k, x1 - k + 1, y0 + k + 1}, lightColor, lightMask);
        paint(Rect{x0 + k, y0 + k, x0 + k + 1, y1 - k + 1}, lightColor, lightMask);
    }
    // Drawn second, the other colour wins where the edges meet.
    for (int k = 0; k < t; ++k) {
        paint(Rect{x0 + k, y1 - k, x1 - k + 1, y1 - k + 1}, darkColor, darkMask);
        paint(Rect{x1 - k, y0 + k, x1 - k + 1, y1 - k + 1}, darkColor, darkMask);
    }
    return Rect{x0 - 2, y0 - 2, x1 + 3, y1 + 3}.intersected(color.rect());
}

void C3DFrameTool::Begin(ToolContext& context, int column, int row)
{
    startColumn = endColumn = column;
    startRow = endRow = row;
    previous.reset();
    Move(context, column, row);
}

void C3DFrameTool::Move(ToolContext& context, int column, int row)
{
    endColumn = column;
    endRow = row;
    if (!context.format)
        return;
    CIconObject& f = *context.format;
    ToolScratch& s = ScratchFor(f);
    const Rect n = Normalised();
    const Rect box = Rect{n.left - 2, n.top - 2, n.right + 3, n.bottom + 3}.intersected(f.color.rect());
    const Rect shown = box.united(previous.value_or(Rect{}));
    CopyBitmapRect(s.color, f.color, shown);
    CopyBitmapRect(s.mask, f.mask, shown);
    DrawFrame(s.color, s.mask, context);
    if (context.renderRegion && !shown.empty())
        context.renderRegion(s.color, s.mask, shown);
    previous = box;
    ShowSize(context);
}

void C3DFrameTool::End(ToolContext& context)
{
    if (context.format) {
        CIconObject& f = *context.format;
        const Rect box = DrawFrame(f.color, f.mask, context);
        const Rect shown = box.united(previous.value_or(Rect{}));
        previous.reset();
        if (context.renderRegion && !shown.empty())
            context.renderRegion(f.color, f.mask, shown);
    }
    EndSize(context);
}

// ---- the table ----

void InstallDrawingTools()
{
    InstallTool(kToolSelection, std::make_unique<CSelectionTool>());
    InstallTool(kToolColorPicker, std::make_unique<CColorPickerTool>());
    InstallTool(kToolColorReplacer, std::make_unique<CColorReplacerTool>());
    InstallTool(kToolPencil, std::make_unique<CPencilTool>());
    InstallTool(kToolBrush, std::make_unique<CBrushTool>());
    InstallTool(kToolFloodFill, std::make_unique<CFloodFillTool>());
    InstallTool(kToolRectangle, std::make_unique<CRectangleTool>(false));
    InstallTool(kToolFilledRectangle, std::make_unique<CRectangleTool>(true));
    InstallTool(kToolLine, std::make_unique<CLineTool>());
    InstallTool(kToolEllipse, std::make_unique<CEllipseTool>(false));
    InstallTool(kToolFilledEllipse, std::make_unique<CEllipseTool>(true));
    InstallTool(kTool3DFrame, std::make_unique<C3DFrameTool>());
}

void ReleaseDrawingTools()
{
    ClearTools();
}

} // namespace kavrel
