#include "shell/core/frame_rules.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>

#include "model/icon_model.h"
#include "resources/strings.h"

namespace kavrel {

int Lightness(COLORREF colour)
{
    int r = GetRValue(colour), g = GetGValue(colour), b = GetBValue(colour);
    int high = std::max({r, g, b});
    int low = std::min({r, g, b});
    return ((high + low) * 240 + 255) / 510;
}

COLORREF DocumentTitleColour(bool active, COLORREF activeText, COLORREF inactiveText)
{
    if (!active)
        return inactiveText;
    return Lightness(activeText) < 90 ? RGB(255, 255, 255) : activeText;
}

std::vector<CaptionBand> CaptionGradient(int width, COLORREF base)
{
    std::vector<CaptionBand> bands;
    if (width <= 0)
        return bands;
    int x0 = width * 5 / 6;
    bands.push_back({x0, width - x0, base});
    int d = x0;
    if (d <= 0)
        return bands;
    int s = d / 64 < 2 ? 1 : d / 64;
    // 64-bit: C * (d - p)^2 overflows an int on wide captions.
    auto fade = [&](int c, int p) {
        std::int64_t dist = d - p;
        return static_cast<int>(c - c * dist * dist / (static_cast<std::int64_t>(d) * d));
    };
    int p = x0;
    while (s < p) {
        p -= s;
        bands.push_back({p, s, RGB(fade(GetRValue(base), p), fade(GetGValue(base), p), fade(GetBValue(base), p))});
    }
    if (p > 0)
        bands.push_back({0, p, RGB(0, 0, 0)});
    return bands;
}

int TipStringId(int position)
{
    if (position < 0 || position >= kTipCount)
        return 0;
    return position <= 20 ? 55104 + position : 55136 + (position - 21);
}

int TakeTip(int& index)
{
    if (index < 0 || index >= kTipCount)
        index = 0;
    int id = TipStringId(index);
    index = (index + 1) % kTipCount;
    return id;
}

std::string ScreenDepthName(int bitsPerPixel)
{
    // Screens are named as image depths are.
    std::string name = ColorName(bitsPerPixel);
    return name.empty() ? "?" : name;
}

std::string VideoLine(const ScreenInfo& screen)
{
    return FormatString(55090, screen.width, screen.height, ScreenDepthName(screen.bitsPerPixel));
}

std::optional<long long> TotalMemoryKb(std::string_view meminfo)
{
    constexpr std::string_view key = "MemTotal:";
    std::size_t at = 0;
    while (at < meminfo.size()) {
        std::size_t end = meminfo.find('\n', at);
        if (end == std::string_view::npos)
            end = meminfo.size();
        std::string_view line = meminfo.substr(at, end - at);
        at = end + 1;
        if (line.substr(0, key.size()) != key)
            continue;
        line.remove_prefix(key.size());
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        long long value = 0;
        auto [ptr, ec] = std::from_chars(line.data(), line.data() + line.size(), value);
        if (ec != std::errc() || ptr == line.data() || value < 0)
            return std::nullopt;
        std::string_view unit(ptr, static_cast<std::size_t>(line.data() + line.size() - ptr));
        while (!unit.empty() && unit.front() == ' ')
            unit.remove_prefix(1);
        // The kernel writes kB; a bare number would be bytes.
        if (unit.empty())
            return value / 1024;
        return value;
    }
    return std::nullopt;
}

std::string MemoryLine(long long totalKb)
{
    // The string table formats ints; a total beyond that shows as its cap.
    int kb = static_cast<int>(std::clamp<long long>(totalKb, 0, INT_MAX));
    return FormatString(55015, kb);
}

} // namespace kavrel
