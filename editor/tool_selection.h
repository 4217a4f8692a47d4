// The selection tool (tool 0): a rubber band marks a rectangle; a drag inside
// the selection lifts and moves it (with Ctrl, a copy); a click elsewhere
// ends it. It works on the view itself, since marking, lifting and committing
// are the view's operations, and saves its own undo state at the first move.
#pragma once

#include <optional>

#include "editor/draw_tool.h"
#include "editor/view_render.h"

namespace kavrel {

class CIconObject;
class CIconViewState;

// The cursor shown over the selection (the standard "move" cursor).
constexpr int kMoveCursorId = 1115;

// Whether a pixel lies inside the active selection (inclusive rectangle).
bool InsideSelection(const CIconObject& format, int column, int row);

// Draws the rubber band (two nested one-pixel frames, inverting what is
// under them) into the view's client bitmap, only within clip. With the grid
// shown the band sits one pixel inside the grid lines.
Rect DrawRubberBand(Bitmap& frame, const ViewGeometry& g, const Rect& band, bool grid, const Rect& clip);

class CSelectionTool final : public CDrawTool {
  public:
    int CursorId() const override { return 115; }
    bool ModifiesImage() const override { return false; }
    bool ShowsSize() const override { return true; }

    // The view the next press works for (set by the view before Begin).
    void Bind(CIconViewState* view) { view_ = view; }

    void Begin(ToolContext& context, int column, int row) override;
    void Move(ToolContext& context, int column, int row) override;
    void End(ToolContext& context) override;

  private:
    CIconViewState* view_ = nullptr;
    bool dragging_ = false;
    bool lifted_ = false;
    int startColumn_ = 0, startRow_ = 0;
    Rect startRect_{-1, -1, -1, -1};
    std::optional<Rect> band_;
};

} // namespace kavrel
