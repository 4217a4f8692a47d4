// Drawing the editor view into a bitmap the size of the window's client area.
// Only the visible part of the enlarged image is ever produced, so memory does
// not grow with zoom times image size: a pixel of the client area at (x, y)
// shows the enlarged image's pixel (x + scroll - origin).
#pragma once

#include <optional>

#include "platform/gdi.h"

namespace kavrel {

// Where the enlarged image lies in the client area.
struct ViewGeometry {
    int zoom = 8;
    int originX = 5, originY = 5; // the image's top-left in scrolled view coordinates
    int imageWidth = 32, imageHeight = 32;
    int scrollX = 0, scrollY = 0; // scroll position: client (0, 0) in view coordinates
    int clientWidth = 0, clientHeight = 0;

    // The enlarged area, closing lines included, in client coordinates.
    Rect EnlargedClientRect() const
    {
        return {originX - scrollX, originY - scrollY, originX - scrollX + imageWidth * zoom + 1,
                originY - scrollY + imageHeight * zoom + 1};
    }
};

struct ViewRenderOptions {
    bool grid = true;                           // only drawn above zoom 3
    const Bitmap* transparentPattern = nullptr; // 8x8; white when null
    std::optional<Rect> selection;              // inclusive image rectangle for the dotted frame
};

// The background around the image, the shade and the two frames.
void RenderViewBackground(Bitmap& frame, const ViewGeometry& g, COLORREF background, bool shade);
void RenderViewFrames(Bitmap& frame, const ViewGeometry& g);

// A rectangle of image pixels (clipped to the image) enlarged from the given
// bitmaps: the pattern ANDed with the mask and XORed with the colour, then the
// grid or the closing lines and the selection frame. Returns the client
// rectangle painted (empty when none of it is visible).
Rect RenderViewRegion(Bitmap& frame, const ViewGeometry& g, const Bitmap& color, const Bitmap& mask,
                      const Rect& imageRegion, const ViewRenderOptions& options);

// The image rectangle (in image pixels, clipped) that covers a client rectangle.
Rect ImageRectFromClientRect(const ViewGeometry& g, const Rect& client);

} // namespace kavrel

namespace kavrel {

// The actual-size preview control: a sunken frame, a black and light-grey
// inner frame, the transparent pattern inside, and the image at 1:1 (at most
// 89 x 83 pixels of it from its top-left) centred in the interior. Without
// bitmaps only the frames and the pattern are drawn.
void RenderActualSizePreview(Bitmap& target, const Bitmap* color, const Bitmap* mask, const Bitmap& pattern);

} // namespace kavrel
