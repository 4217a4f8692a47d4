// The main window's plain rules: the colours of its own caption, the welcome
// dialog's tips, and the About box's system lines. The Qt code in
// shell/caption.cpp, shell/welcome_dialog.cpp and shell/about_dialog.cpp
// paints and shows what these compute.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi.h"
#include "platform/screen.h"

namespace kavrel {

// ---- caption ----

// Lightness on the 0-240 scale of the desktop's colour dialogs.
int Lightness(COLORREF colour);

// The colour of the active document's title in the caption: the caption text
// colour, but white when that colour is too dark to read on the black end of
// the gradient; the inactive caption text colour when the frame is inactive.
COLORREF DocumentTitleColour(bool active, COLORREF activeText, COLORREF inactiveText);

// One band of the active caption's gradient, from x (counted from the
// caption's left) over width pixels.
struct CaptionBand {
    int x = 0;
    int width = 0;
    COLORREF colour = 0;
    bool operator==(const CaptionBand&) const = default;
};

// The active caption of this width: black on the left, darkening bands
// towards the base colour, then the base colour over the last sixth. The
// bands cover 0..width without gaps, from right to left.
std::vector<CaptionBand> CaptionGradient(int width, COLORREF base);

// ---- tips of the day ----

inline constexpr int kTipCount = 25;

// The string number of the tip at position 0-24 (55104-55124, then
// 55136-55139); 0 outside.
int TipStringId(int position);

// The tip the welcome dialog shows now: the one at index, which then moves
// on (after the last it returns to the first). A stored index outside 0-24
// starts again at the first tip.
int TakeTip(int& index);

// ---- About box ----

// The name of a display colour depth (planes times bits per pixel).
std::string ScreenDepthName(int bitsPerPixel);
// "%dx%d pixels - %s".
std::string VideoLine(const ScreenInfo& screen);
// The total physical memory from the text of /proc/meminfo, in KB.
std::optional<long long> TotalMemoryKb(std::string_view meminfo);
// "%ld KB of  RAM".
std::string MemoryLine(long long totalKb);

}  // namespace kavrel
