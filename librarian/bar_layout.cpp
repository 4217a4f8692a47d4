#include "librarian/bar_layout.h"

#include <algorithm>

namespace kavrel {

int ClampSeparator(int position, int extent)
{
    if (extent < 2 * kSeparatorMargin)
        return extent / 2;
    return std::clamp(position, kSeparatorMargin, extent - kSeparatorMargin);
}

int ClampDockedSize(int size, int frameExtent)
{
    if (frameExtent < 2 * kDockedSizeMargin)
        return frameExtent / 2;
    return std::clamp(size, kDockedSizeMargin, frameExtent - kDockedSizeMargin);
}

BarLayout LayoutBar(int width, int height, int separatorV, int separatorH)
{
    BarLayout layout;
    width = std::max(width, 0);
    height = std::max(height, 0);
    layout.wide = width >= height;
    if (layout.wide) {
        const int s = layout.separator = ClampSeparator(separatorV, width);
        layout.tree = {0, 0, std::max(0, s - kSeparatorHalfZone), height};
        layout.list = {std::min(width, s + kSeparatorHalfZone), 0, width, height};
        layout.splitZone = {s - kSeparatorHalfZone, 0, s + kSeparatorHalfZone, height};
    } else {
        const int s = layout.separator = ClampSeparator(separatorH, height);
        layout.tree = {0, 0, width, std::max(0, s - kSeparatorHalfZone)};
        layout.list = {0, std::min(height, s + kSeparatorHalfZone), width, height};
        layout.splitZone = {0, s - kSeparatorHalfZone, width, s + kSeparatorHalfZone};
    }
    return layout;
}

} // namespace kavrel
