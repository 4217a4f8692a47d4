// The common machinery of the drawing tools that draw a shape on a stencil
// and fill it (pencil, brush, line, rectangles, ellipses, flood fill) or use
// the stencil otherwise (colour replacer, 3D frame): start and end points,
// the previous preview, previews on working copies, commits on the format,
// and the hover footprint.
#pragma once

#include <optional>

#include "editor/draw_tool.h"
#include "editor/tool_fill.h"

namespace kavrel {

// Bitmaps the tools share while they work, sized to the format in hand: the
// stencil (all white between operations) and the working copies previews are
// drawn on. Only the rectangles a tool renders are ever refreshed in the
// copies, so a preview costs what it touches.
struct ToolScratch {
    Bitmap stencil, color, mask;
};
ToolScratch& ScratchFor(const CIconObject& format);
// True when the shared stencil is all white again (every tool cleans up).
bool ToolStencilIsClean();

class CStencilTool : public CDrawTool {
  public:
    CStencilTool(int cursorId, bool spanFromShape, bool showsSize)
        : cursorId_(cursorId), spanFromShape_(spanFromShape), showsSize_(showsSize)
    {
    }
    int CursorId() const override { return cursorId_; }
    bool ShowsSize() const override { return showsSize_; }
    bool HoverPreview() const override { return true; }
    std::optional<Rect> Hover(ToolContext& context, int column, int row) override;

    // The footprint at one pixel on the stencil and the box it covers. The
    // default is the single pixel.
    virtual Rect Stamp(Bitmap& stencil, int column, int row, int shape) const;
    // The whole current shape on the stencil and its box (right and bottom
    // exclusive). The default draws nothing.
    virtual Rect DrawShape(Bitmap& stencil, int shape) const;

  protected:
    // Paints the hover footprint (already on s.stencil, covering `box`) into
    // the working copies. The default fills it as the whole image would be
    // filled.
    virtual void PaintFootprint(ToolContext& context, CIconObject& f, ToolScratch& s, const Rect& box) const;
    // The shape on working copies, rendered together with the previous preview.
    void Preview(ToolContext& context);
    // The shape into the format itself.
    void Commit(ToolContext& context);
    // Pane 3: the start-to-end rectangle.
    void ShowSize(ToolContext& context) const;
    // Brushes and span of a fill of this tool's shape box.
    FillSpec Spec(const ToolContext& context, const Rect& shapeBox) const;
    // The start-to-end rectangle, both corners inclusive.
    Rect Normalised() const;
    // The line from start to end with a footprint at every point (the end
    // point included); returns the union of the boxes.
    Rect StampLine(Bitmap& stencil, int x1, int y1, int x2, int y2, int shape) const;

    int startColumn = 0, startRow = 0, endColumn = 0, endRow = 0;
    std::optional<Rect> previous;

  private:
    int cursorId_;
    bool spanFromShape_;
    bool showsSize_;
};

// Tools whose footprint is the brush shape.
class CBrushStampTool : public CStencilTool {
  public:
    using CStencilTool::CStencilTool;
    Rect Stamp(Bitmap& stencil, int column, int row, int shape) const override;
};

} // namespace kavrel
