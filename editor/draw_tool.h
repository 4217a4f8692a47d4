// The drawing tools' interface and the tool table. Twelve tool objects live
// for the whole run; every view refers to them by index. Tools are plain
// objects that work through a narrow context, never through the view itself.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "model/palettes.h"
#include "platform/gdi.h"
#include "resources/command_ids.h"

namespace kavrel {

class CIconObject;

constexpr int kToolCount = 12;
constexpr int kBrushShapeCount = 12;

enum ToolIndex : int {
    kToolSelection = 0,
    kToolColorPicker = 1,
    kToolColorReplacer = 2,
    kToolPencil = 3,
    kToolBrush = 4,
    kToolFloodFill = 5,
    kToolRectangle = 6,
    kToolFilledRectangle = 7,
    kToolLine = 8,
    kToolEllipse = 9,
    kToolFilledEllipse = 10,
    kTool3DFrame = 11,
};

// Command and cursor resource of each tool, by index.
inline constexpr std::array<std::uint16_t, kToolCount> kToolCommands = {
    ID_TOOL_SELECTION, ID_TOOL_PICKER,  ID_TOOL_REPLACER,       ID_TOOL_PENCIL,
    ID_TOOL_BRUSH,     ID_TOOL_FILL,    ID_TOOL_RECTANGLE,      ID_TOOL_FILLED_RECTANGLE,
    ID_TOOL_LINE,      ID_TOOL_ELLIPSE, ID_TOOL_FILLED_ELLIPSE, ID_TOOL_FRAME3D};
inline constexpr std::array<int, kToolCount> kToolCursors = {115, 116, 117, 118, 119, 120,
                                                             121, 122, 125, 123, 124, 126};
// Brush shape commands, by shape.
inline constexpr std::array<std::uint16_t, kBrushShapeCount> kBrushShapeCommands = {
    ID_BRUSH_FINE,         ID_BRUSH_SQUARE_MEDIUM, ID_BRUSH_SQUARE_LARGE,   ID_BRUSH_SQUARE_XLARGE,
    ID_BRUSH_CIRCLE_SMALL, ID_BRUSH_CIRCLE_MEDIUM, ID_BRUSH_CIRCLE_LARGE,   ID_BRUSH_CIRCLE_XLARGE,
    ID_BRUSH_OBLIQUE_LEFT, ID_BRUSH_OBLIQUE_RIGHT, ID_BRUSH_DIAMOND_MEDIUM, ID_BRUSH_DIAMOND_LARGE};
// Fill modes 0 solid, 1 vertical, 2 horizontal, 3 radial gradient.
inline constexpr std::array<std::uint16_t, 4> kFillModeCommands = {ID_FILL_SOLID, ID_FILL_VGRADIENT, ID_FILL_HGRADIENT,
                                                                   ID_FILL_RADIAL};

// What a tool may reach while it works: the edited format, the view's drawing
// state, and the view's rendering of a changed region.
struct ToolContext {
    CIconObject* format = nullptr;
    ColorValue leftColor = 0;
    ColorValue rightColor = COLOR_TRANSPARENT;
    ColorValue pressedColor = 0; // left or right colour by the button pressed
    // The colours' alphas, used by 32-bit formats only.
    std::uint8_t leftAlpha = 255, rightAlpha = 255, pressedAlpha = 255;
    int lastButton = 0; // 0 left, 1 right
    int brushShape = 0;
    int fillMode = 0;
    // Redraws a rectangle of image pixels from the given bitmaps (a tool's
    // working copies for a preview) or, with the format's own bitmaps, puts the
    // image back.
    std::function<void(const Bitmap& color, const Bitmap& mask, const Rect& imageRect)> renderRegion;
    // Pane 3: the inclusive rectangle being drawn, or none.
    std::function<void(const std::optional<Rect>& inclusive)> showSize;
    // The colour picker hands the picked colour and its alpha back for the
    // pressed button, marks the palette cell it found, and at release brings
    // back the tool it interrupted.
    std::function<void(ColorValue picked, std::uint8_t alpha)> setPressedColor;
    std::function<void(int index)> setSelectedPaletteIndex;
    std::function<void()> returnToPreviousTool;
    // For the hover step: the image area the last hover preview covered. The
    // tool renders the union of that and its new footprint in one go.
    std::optional<Rect> previousHover;
};

// The colour of the button not pressed (the other end of a gradient).
inline ColorValue OtherColor(const ToolContext& c)
{
    return c.lastButton == 0 ? c.rightColor : c.leftColor;
}
inline std::uint8_t OtherAlpha(const ToolContext& c)
{
    return c.lastButton == 0 ? c.rightAlpha : c.leftAlpha;
}

class CDrawTool {
  public:
    virtual ~CDrawTool() = default;

    // The cursor resource shown over the image.
    virtual int CursorId() const = 0;
    // An undo state is saved at button down and the document marked modified
    // at button up.
    virtual bool ModifiesImage() const { return true; }
    // Writes pane 3 while dragging.
    virtual bool ShowsSize() const { return false; }
    // Shows the footprint under the pointer while no button is down.
    virtual bool HoverPreview() const { return false; }

    virtual void Begin(ToolContext& context, int column, int row) = 0;
    virtual void Move(ToolContext& context, int column, int row) = 0;
    virtual void End(ToolContext& context) = 0;
    // The pointer moved over the image with no button down. The tool shows
    // its footprint, erasing context.previousHover in the same rendering, and
    // returns the rectangle (image pixels) the preview now covers.
    virtual std::optional<Rect> Hover(ToolContext& context, int column, int row)
    {
        (void)context, (void)column, (void)row;
        return std::nullopt;
    }
};

// The tool table. Slots are empty until the tools are installed at start-up;
// a view whose current tool is an empty slot ignores mouse input.
// InstallDrawingTools (editor/tool_set.h) fills every slot but the selection.
CDrawTool* Tool(int index);
void InstallTool(int index, std::unique_ptr<CDrawTool> tool);
void ClearTools();

} // namespace kavrel
