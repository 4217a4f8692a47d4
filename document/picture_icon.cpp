#include "document/picture_icon.h"

#include "model/picture_import.h"
#include "model/resample.h"
#include "resources/strings.h"

namespace kavrel {

namespace {
constexpr int kMinSide = 8;
constexpr int kMaxSide = 256;
constexpr int kStrPngFilter = 61760; // "PNG Pictures (*.png)|*.png|"
} // namespace

bool IsPictureToOpen(const std::string& path)
{
    return PictureKindOf(path) == PictureKind::Png;
}

std::string WithPictureFilter(const std::string& filter)
{
    const std::string entry = LoadString(kStrPngFilter);
    // The last entry starts after the second-to-last '|' before the "||" end.
    std::size_t end = filter.size();
    if (filter.ends_with("||"))
        end -= 2;
    std::size_t pos = end;
    for (int bars = 0; pos > 0 && bars < 2;) {
        --pos;
        if (filter[pos] == '|')
            ++bars;
    }
    if (pos == 0)
        return entry + filter;
    return filter.substr(0, pos + 1) + entry + filter.substr(pos + 1);
}

std::optional<CIcon> FormatFromPicture(const PngPixels& picture)
{
    const bool fits = picture.width >= kMinSide && picture.height >= kMinSide && picture.width <= kMaxSide &&
                      picture.height <= kMaxSide;
    PngPixels pixels = fits ? picture : FitArgb(picture, kMaxSide, kMaxSide);
    CIcon icon;
    if (pixels.argb.empty() || !icon.PackArgb(pixels, pixels.width == kMaxSide && pixels.height == kMaxSide))
        return std::nullopt;
    return icon;
}

std::optional<CIconGroup> IconFromPictureFile(const std::string& path)
{
    auto picture = ReadPngFile(path);
    if (!picture)
        return std::nullopt;
    auto icon = FormatFromPicture(*picture);
    if (!icon)
        return std::nullopt;
    CIconGroup group;
    group.AddFormat(*icon);
    return group;
}

} // namespace kavrel
