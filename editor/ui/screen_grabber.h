// Reading the screen for Capture icon (QScreen::grabWindow), and the frame
// that shows the area being chosen.
#pragma once

#include <QWidget>

#include "editor/capture.h"

namespace kavrel {

class QtScreenGrabber final : public ScreenGrabber {
  public:
    // Wayland sessions keep the screen from programs; elsewhere a one-pixel
    // read tells whether the window system lets us.
    bool CanGrab() override;
    Bitmap Grab(const Rect& area) override;
};

// A frameless top-level ring one pixel wide drawn just around the area (so
// that it never covers the pixels that are read), in black and white dashes
// that show on any background. It takes no input.
class CCaptureFrame : public QWidget {
    Q_OBJECT
  public:
    CCaptureFrame();
    // The area in global coordinates (right and bottom exclusive).
    void ShowArea(const Rect& area);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace kavrel
