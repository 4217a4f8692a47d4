// Screen capture: the capture-mode panel, the W x H frame whose lower-left
// corner follows the pointer, and the captured area brought into the edited
// format. Reading the screen is the window system's (ScreenGrabber).
#pragma once

#include <optional>
#include <string>

#include "platform/gdi.h"

namespace kavrel {

class CIconObject;

// The panel of capture mode: the client area in 0x404040 and a 190 x 64 box
// in 0x80FFFF outlined black, centred. The text (string 55035) is drawn by
// the window, centred in the box 5 pixels below its top.
constexpr COLORREF kCaptureBackground = 0x404040;
constexpr COLORREF kCapturePanelColour = 0x80FFFF;
constexpr int kCapturePanelWidth = 190;
constexpr int kCapturePanelHeight = 64;
constexpr int kCaptureTextInset = 5;
Rect CapturePanelRect(int clientWidth, int clientHeight);
void RenderCapturePanel(Bitmap& frame);

// How far the main window moves out of the way while a capture runs.
constexpr int kCaptureWindowOffset = 2500;

class ScreenGrabber {
  public:
    virtual ~ScreenGrabber() = default;
    // False when the window system does not let the program read the screen.
    virtual bool CanGrab() = 0;
    // The screen pixels of the area (screen coordinates); null when reading
    // them failed.
    virtual Bitmap Grab(const Rect& area) = 0;
};

// The drag of a capture for a W x H format on a screen of the given size.
// Points are screen coordinates of the pointer, which marks the lower-left
// corner of the frame (right and bottom exclusive: (x, y - H) to (x + W, y)).
class CCaptureDrag {
  public:
    CCaptureDrag(int width, int height, int screenWidth, int screenHeight, int pressX, int pressY);

    // The rectangle the pointer is confined to (inclusive): x from 0 to
    // screen width - W, y from H to screen height, so that the frame stays
    // on the screen.
    Rect PointerClip() const;
    // A pointer position brought into the clip.
    void Confine(int& x, int& y) const;
    // The frame for a pointer position (confined first).
    Rect FrameAt(int x, int y) const;

    // A move: the frame to show now, or none while the pointer has not yet
    // left both the row and the column of the press.
    std::optional<Rect> Move(int x, int y);
    // The frame last shown (none yet).
    const std::optional<Rect>& ShownFrame() const { return shown_; }
    // The release: the area to capture.
    Rect Release(int x, int y);

  private:
    int width_, height_, screenWidth_, screenHeight_, pressX_, pressY_;
    bool armed_ = false;
    std::optional<Rect> shown_;
};

// Writes a captured area into the format: the colours dithered to the
// format's depth, the whole mask opaque. False when the area is not the
// format's size.
bool CaptureIntoFormat(CIconObject& format, const Bitmap& area);

} // namespace kavrel
