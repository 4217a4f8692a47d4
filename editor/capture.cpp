#include "editor/capture.h"

#include <algorithm>

#include "editor/selection.h"
#include "model/icon_model.h"

namespace kavrel {

Rect CapturePanelRect(int clientWidth, int clientHeight)
{
    const int left = (clientWidth - kCapturePanelWidth) / 2;
    const int top = (clientHeight - kCapturePanelHeight) / 2;
    return {left, top, left + kCapturePanelWidth, top + kCapturePanelHeight};
}

void RenderCapturePanel(Bitmap& frame)
{
    if (frame.isNull())
        return;
    DC dc(frame);
    FillRect(dc, frame.rect(), Brush::Solid(kCaptureBackground));
    const Rect box = CapturePanelRect(frame.width(), frame.height());
    dc.pen = Pen::Solid(1, RGB(0, 0, 0));
    dc.brush = Brush::Solid(kCapturePanelColour);
    Rectangle(dc, box.left, box.top, box.right, box.bottom);
}

CCaptureDrag::CCaptureDrag(int width, int height, int screenWidth, int screenHeight, int pressX, int pressY)
    : width_(width), height_(height), screenWidth_(screenWidth), screenHeight_(screenHeight), pressX_(pressX),
      pressY_(pressY)
{
}

Rect CCaptureDrag::PointerClip() const
{
    // A format larger than the screen leaves the pointer at the top-left limit.
    const int right = std::max(0, screenWidth_ - width_);
    const int top = std::min(height_, screenHeight_);
    return {0, top, right, std::max(top, screenHeight_)};
}

void CCaptureDrag::Confine(int& x, int& y) const
{
    const Rect clip = PointerClip();
    x = std::clamp(x, clip.left, clip.right);
    y = std::clamp(y, clip.top, clip.bottom);
}

Rect CCaptureDrag::FrameAt(int x, int y) const
{
    Confine(x, y);
    return {x, y - height_, x + width_, y};
}

std::optional<Rect> CCaptureDrag::Move(int x, int y)
{
    if (!armed_) {
        // A small jitter on the press must not start the frame.
        if (x == pressX_ || y == pressY_)
            return std::nullopt;
        armed_ = true;
        shown_.reset();
    }
    shown_ = FrameAt(x, y);
    return shown_;
}

Rect CCaptureDrag::Release(int x, int y)
{
    shown_.reset();
    return FrameAt(x, y);
}

bool CaptureIntoFormat(CIconObject& format, const Bitmap& area)
{
    if (area.isNull() || area.isMono() || area.width() != format.width || area.height() != format.height ||
        format.color.isNull() || format.mask.isNull())
        return false;
    DitherCopy(format.color, 0, 0, format.width, format.height, area, 0, 0, area.width(), area.height(),
               format.bitDepth);
    format.mask.fill(RGB(0, 0, 0));
    return true;
}

} // namespace kavrel
