// The eleven drawing tools of the editor (the selection tool comes with the
// selection) and their installation in the tool table at start-up.
#pragma once

#include "editor/tool_stencil.h"

namespace kavrel {

// Fills every slot of the tool table but the selection tool's; the
// application calls it once at start-up and ReleaseDrawingTools at exit.
void InstallDrawingTools();
void ReleaseDrawingTools();

// Reads a pixel back as the colour picker does: the pseudo-colours, the first
// palette entry of the same red, green and blue in a format with its own
// palette (entry 0 when none matches), else the RGB colour.
ColorValue PickColor(const CIconObject& format, int column, int row);
// The alpha the picker takes with it: the pixel's own where it is partly
// transparent, else 255 (a transparent pixel gives the Transparent colour).
std::uint8_t PickAlpha(const CIconObject& format, int column, int row);
// Whether a pixel read back matches a drawing colour: pseudo-colours by kind,
// palette entries by the RGB value they stand for.
bool SameColor(ColorValue pixel, ColorValue color, const Palette* palette);
// Whether a pixel of a format matches a drawing colour with its alpha (in a
// 32-bit format the alphas must match too; any colour of alpha 0 is
// Transparent).
bool SamePixel(const CIconObject& format, int x, int y, ColorValue color, std::uint8_t alpha);

class CColorPickerTool final : public CDrawTool {
  public:
    int CursorId() const override { return kToolCursors[kToolColorPicker]; }
    bool ModifiesImage() const override { return false; }
    void Begin(ToolContext& context, int column, int row) override;
    void Move(ToolContext&, int, int) override {}
    void End(ToolContext& context) override;
};

// A stroke of the brush shape: every move works on the segment from the
// last point, which each tool treats its own way.
class CBrushStrokeTool : public CBrushStampTool {
  public:
    using CBrushStampTool::CBrushStampTool;
    void Begin(ToolContext& context, int column, int row) override;
    void Move(ToolContext& context, int column, int row) override;
    void End(ToolContext& context) override;
    Rect DrawShape(Bitmap& stencil, int shape) const override;

  protected:
    virtual void Segment(ToolContext& context) = 0;
};

// Pixels of the pressed colour under the stroke become the other colour.
class CColorReplacerTool final : public CBrushStrokeTool {
  public:
    CColorReplacerTool() : CBrushStrokeTool(kToolCursors[kToolColorReplacer], false, false) {}

  private:
    // The footprint shows the replacement where the pixels match.
    void PaintFootprint(ToolContext& context, CIconObject& f, ToolScratch& s, const Rect& box) const override;
    void Segment(ToolContext& context) override;
};

// Pencil and brush: every move adds its segment to the image.
class CPencilTool : public CStencilTool {
  public:
    CPencilTool() : CStencilTool(kToolCursors[kToolPencil], false, false) {}
    void Begin(ToolContext& context, int column, int row) override;
    void Move(ToolContext& context, int column, int row) override;
    void End(ToolContext& context) override;
    Rect DrawShape(Bitmap& stencil, int shape) const override;
};

class CBrushTool final : public CBrushStrokeTool {
  public:
    CBrushTool() : CBrushStrokeTool(kToolCursors[kToolBrush], false, false) {}

  private:
    void Segment(ToolContext& context) override { Commit(context); }
};

class CFloodFillTool final : public CStencilTool {
  public:
    CFloodFillTool() : CStencilTool(kToolCursors[kToolFloodFill], false, false) {}
    void Begin(ToolContext& context, int column, int row) override;
    void Move(ToolContext&, int, int) override {}
    void End(ToolContext& context) override;
};

// Line, rectangles and ellipses show a preview while dragging and change the
// image at release.
class CShapeTool : public CBrushStampTool {
  public:
    using CBrushStampTool::CBrushStampTool;
    void Begin(ToolContext& context, int column, int row) override;
    void Move(ToolContext& context, int column, int row) override;
    void End(ToolContext& context) override;
};

class CLineTool final : public CShapeTool {
  public:
    CLineTool() : CShapeTool(kToolCursors[kToolLine], true, true) {}
    Rect DrawShape(Bitmap& stencil, int shape) const override;
};

class CRectangleTool final : public CShapeTool {
  public:
    explicit CRectangleTool(bool filled)
        : CShapeTool(kToolCursors[filled ? kToolFilledRectangle : kToolRectangle], true, true), filled_(filled)
    {
    }
    Rect Stamp(Bitmap& stencil, int column, int row, int shape) const override;
    Rect DrawShape(Bitmap& stencil, int shape) const override;

  private:
    bool filled_;
};

class CEllipseTool final : public CShapeTool {
  public:
    explicit CEllipseTool(bool filled)
        : CShapeTool(kToolCursors[filled ? kToolFilledEllipse : kToolEllipse], true, true), filled_(filled)
    {
    }
    Rect Stamp(Bitmap& stencil, int column, int row, int shape) const override;
    Rect DrawShape(Bitmap& stencil, int shape) const override;

  private:
    bool filled_;
};

// The raised or sunken frame: painted straight into colour and mask, the
// pressed colour on the top and left, the other one on the bottom and right.
class C3DFrameTool final : public CStencilTool {
  public:
    C3DFrameTool() : CStencilTool(kToolCursors[kTool3DFrame], false, true) {}
    void Begin(ToolContext& context, int column, int row) override;
    void Move(ToolContext& context, int column, int row) override;
    void End(ToolContext& context) override;
    // Draws the frame into the two bitmaps and returns the box to render.
    Rect DrawFrame(Bitmap& color, Bitmap& mask, const ToolContext& context) const;
    // The thickness a shape gives over a rectangle (x0, y0) to (x1, y1).
    static int Thickness(int shape, int x0, int y0, int x1, int y1);
};

} // namespace kavrel
