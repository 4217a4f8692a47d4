#include "editor/tool_selection.h"

#include <algorithm>

#include "editor/icon_view_state.h"
#include "editor/selection.h"
#include "editor/undo.h"
#include "model/icon_model.h"

namespace kavrel {

bool InsideSelection(const CIconObject& f, int column, int row)
{
    if (!HasSelection(f))
        return false;
    const Rect& s = f.selection;
    return column >= s.left && column <= s.right && row >= s.top && row <= s.bottom;
}

Rect DrawRubberBand(Bitmap& frame, const ViewGeometry& g, const Rect& band, bool grid, const Rect& clip)
{
    const int shift = grid ? 1 : 0;
    const int ox = g.originX - g.scrollX + shift, oy = g.originY - g.scrollY + shift;
    const int x0 = ox + band.left * g.zoom, y0 = oy + band.top * g.zoom;
    const int x1 = ox + (band.right + 1) * g.zoom - 1 - shift, y1 = oy + (band.bottom + 1) * g.zoom - 1 - shift;
    const Rect area = clip.intersected(frame.rect());
    auto invert = [&](int x, int y) {
        if (area.contains(x, y))
            frame.setRawPixel(x, y, frame.rawPixel(x, y) ^ 0x00FFFFFFu);
    };
    auto frameAt = [&](int l, int t, int r, int b) {
        if (r < l || b < t)
            return;
        for (int x = l; x <= r; ++x) {
            invert(x, t);
            if (b != t)
                invert(x, b);
        }
        for (int y = t + 1; y < b; ++y) {
            invert(l, y);
            if (r != l)
                invert(r, y);
        }
    };
    frameAt(x0, y0, x1, y1);
    frameAt(x0 + 1, y0 + 1, x1 - 1, y1 - 1);
    return Rect{x0, y0, x1 + 1, y1 + 1}.intersected(area);
}

void CSelectionTool::Begin(ToolContext& context, int column, int row)
{
    dragging_ = false;
    lifted_ = false;
    band_.reset();
    startColumn_ = column;
    startRow_ = row;
    CIconObject* f = context.format;
    if (!f || !view_)
        return;
    startRect_ = f->selection;
    f->transparentColor = context.rightColor;
    f->transparentAlpha = context.rightAlpha;
    if (InsideSelection(*f, column, row)) {
        dragging_ = true;
        // The copy that moves leaves the original where it is.
        if (view_->IsControlHeld())
            view_->StampSelection();
    } else if (f->selectionActive) {
        view_->CommitSelection();
    }
    view_->SetRubberBand(std::nullopt);
}

void CSelectionTool::Move(ToolContext& context, int column, int row)
{
    CIconObject* f = context.format;
    if (!f || !view_)
        return;
    if (dragging_) {
        if (!lifted_) {
            lifted_ = true;
            SaveUndoState(*f);
            if (!HasFloating(*f))
                LiftSelection(*f, view_->IsControlHeld());
        }
        const int dx = column - startColumn_, dy = row - startRow_;
        f->selection = {startRect_.left + dx, startRect_.top + dy, startRect_.right + dx, startRect_.bottom + dy};
        view_->InvalidateFrame();
        view_->SelectionChanged(false);
        if (context.showSize)
            context.showSize(f->selection);
        return;
    }
    band_ = Rect{std::min(startColumn_, column), std::min(startRow_, row), std::max(startColumn_, column),
                 std::max(startRow_, row)};
    view_->SetRubberBand(band_);
    if (context.showSize)
        context.showSize(band_);
}

void CSelectionTool::End(ToolContext& context)
{
    CIconObject* f = context.format;
    if (context.showSize)
        context.showSize(std::nullopt);
    if (!f || !view_)
        return;
    if (dragging_) {
        dragging_ = false;
        if (lifted_ && f->selection != startRect_) {
            f->selectionInPlace = 0;
            view_->SelectionChanged(true);
        } else {
            view_->CommitSelection();
        }
        return;
    }
    view_->SetRubberBand(std::nullopt);
    if (band_) {
        f->selection = *band_;
        f->selectionActive = 1;
        f->selectionInPlace = 1;
        f->floatingColor.reset();
        f->floatingMask.reset();
        view_->InvalidateFrame();
        view_->SelectionChanged(false);
        band_.reset();
    } else {
        // A click without a drag removes the selection.
        view_->CommitSelection();
    }
}

} // namespace kavrel
