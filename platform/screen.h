// What the program knows of the screen. One object for the whole process;
// tests set it to simulate 8- or 16-bit screens. The default is a 24-bit
// true-colour screen of 1920x1080 at 96 dots per inch.
#pragma once

#include "platform/gdi.h"

namespace kavrel {

struct ScreenInfo {
    int bitsPerPixel = 24;
    int dpiX = 96, dpiY = 96;
    int width = 1920, height = 1080;
};

ScreenInfo& Screen();

// Restores the previous screen when it goes out of scope (for tests).
class ScopedScreen {
public:
    explicit ScopedScreen(const ScreenInfo& info) : saved_(Screen()) { Screen() = info; }
    ~ScopedScreen() { Screen() = saved_; }
    ScopedScreen(const ScopedScreen&) = delete;
    ScopedScreen& operator=(const ScopedScreen&) = delete;

private:
    ScreenInfo saved_;
};

}  // namespace kavrel

namespace kavrel {

// The desktop colours the views and thumbnails paint with; the Qt layer fills
// them from the style, tests may change them.
struct SystemColors {
    COLORREF window = RGB(255, 255, 255);
    COLORREF windowText = RGB(0, 0, 0);
    COLORREF highlight = RGB(0, 120, 215);
    COLORREF highlightText = RGB(255, 255, 255);
};

inline SystemColors& SysColors()
{
    static SystemColors colors;
    return colors;
}

}  // namespace kavrel
