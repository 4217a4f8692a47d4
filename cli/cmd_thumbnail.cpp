// thumbnail [-s SIZE] IN OUT.png: the file's first icon for a file manager.
#include <algorithm>

#include "cli/commands.h"
#include "model/png_image.h"
#include "model/render.h"
#include "platform/atomic_file.h"

namespace kavrel::cli {

namespace {

constexpr int kDefaultThumbnailSize = 128;

int Side(const CIcon& icon)
{
    return std::max(icon.width, icon.height);
}

// The largest format that fits in `size`, deepest colours first; when none
// fits, the smallest (it is scaled down).
const CIcon* ThumbnailFormat(const CIconGroup& group, int size)
{
    const CIcon* best = nullptr;
    auto better = [size](const CIcon* a, const CIcon* b) {
        bool aFits = Side(*a) <= size;
        bool bFits = Side(*b) <= size;
        if (aFits != bFits)
            return aFits;
        if (Side(*a) != Side(*b))
            return aFits ? Side(*a) > Side(*b) : Side(*a) < Side(*b);
        if (a->bitCount() != b->bitCount())
            return a->bitCount() > b->bitCount();
        return a->isPng() && !b->isPng();
    };
    for (int i = 0; i < group.FormatCount(); ++i)
        if (!best || better(group.GetFormat(i), best))
            best = group.GetFormat(i);
    return best;
}

// Box filter in premultiplied alpha, so that transparent pixels lend no colour.
PngPixels ScaleDown(const PngPixels& in, int size)
{
    double scale = static_cast<double>(size) / std::max(in.width, in.height);
    int w = std::max(1, static_cast<int>(in.width * scale));
    int h = std::max(1, static_cast<int>(in.height * scale));
    PngPixels out{w, h, std::vector<std::uint32_t>(static_cast<std::size_t>(w) * h)};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int x0 = x * in.width / w, x1 = std::max(x0 + 1, (x + 1) * in.width / w);
            int y0 = y * in.height / h, y1 = std::max(y0 + 1, (y + 1) * in.height / h);
            double a = 0, r = 0, g = 0, b = 0;
            for (int sy = y0; sy < y1; ++sy)
                for (int sx = x0; sx < x1; ++sx) {
                    std::uint32_t p = in.argb[static_cast<std::size_t>(sy) * in.width + sx];
                    double pa = (p >> 24) / 255.0;
                    a += pa;
                    r += ((p >> 16) & 0xFF) * pa;
                    g += ((p >> 8) & 0xFF) * pa;
                    b += (p & 0xFF) * pa;
                }
            double n = static_cast<double>((x1 - x0) * (y1 - y0));
            std::uint32_t pixel = 0;
            if (a > 0)
                pixel = static_cast<std::uint32_t>(a / n * 255 + 0.5) << 24 |
                        static_cast<std::uint32_t>(r / a + 0.5) << 16 | static_cast<std::uint32_t>(g / a + 0.5) << 8 |
                        static_cast<std::uint32_t>(b / a + 0.5);
            out.argb[static_cast<std::size_t>(y) * w + x] = pixel;
        }
    return out;
}

} // namespace

int RunThumbnail(const std::vector<std::string>& argv, Io& io)
{
    std::string error;
    auto args = ParseArgs(argv, {"-s", "--size"}, {}, error);
    if (!args)
        return UsageError(io, "thumbnail", error);
    if (args->positional.size() != 2)
        return UsageError(io, "thumbnail", "give the file and the PNG to write");
    auto sizeText = args->value("-s");
    if (!sizeText)
        sizeText = args->value("--size");
    auto size = sizeText ? ParsePositiveInt(*sizeText) : std::optional<int>(kDefaultThumbnailSize);
    if (!size || *size > kMaxImageSide)
        return UsageError(io, "thumbnail", "-s takes a size in pixels");

    const std::string& path = args->positional[0];
    const std::string& out = args->positional[1];
    std::vector<CIconGroup> groups;
    if (!LoadIcons(path, groups, io))
        return kExitFailed;
    const CIcon* icon = groups.empty() ? nullptr : ThumbnailFormat(groups.front(), *size);
    if (!icon)
        return Failure(io, path + ": the first icon has no format");
    std::optional<PngPixels> pixels = RenderWithAlpha(*icon);
    if (!pixels || pixels->width <= 0 || pixels->height <= 0)
        return Failure(io, path + ": the " + icon->FormatLabel() + " image cannot be decoded");
    if (std::max(pixels->width, pixels->height) > *size)
        pixels = ScaleDown(*pixels, *size);
    std::vector<std::uint8_t> png = EncodePng(*pixels);
    if (png.empty() || !WriteFileAtomically(out, png))
        return Failure(io, out + ": cannot write the file");
    return kExitOk;
}

} // namespace kavrel::cli
