// create OUT.ico IN.png... [--sizes 16,24,...] [--png-above N]: an icon of
// 32-bit formats with alpha made from PNG pictures.
#include <algorithm>
#include <charconv>
#include <map>

#include "cli/commands.h"
#include "model/ico_file.h"
#include "model/picture_import.h"
#include "model/resample.h"

namespace kavrel::cli {

namespace {

// The largest side an icon file's directory can describe.
constexpr int kMaxIconSide = 256;

std::optional<std::vector<int>> ParseSizes(const std::string& text)
{
    std::vector<int> sizes;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = std::min(text.find(',', start), text.size());
        auto side = ParsePositiveInt(text.substr(start, comma - start));
        if (!side || *side > kMaxIconSide)
            return std::nullopt;
        sizes.push_back(*side);
        start = comma + 1;
    }
    std::sort(sizes.begin(), sizes.end());
    sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
    return sizes;
}

std::optional<int> ParseCount(const std::string& text)
{
    int v = 0;
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || p != text.data() + text.size() || v < 0)
        return std::nullopt;
    return v;
}

struct Picture {
    std::string path;
    PngPixels pixels;
};

// For a size asked of several pictures: the smallest picture that covers it,
// else the largest there is, so that nothing is enlarged that need not be.
const Picture& SourceFor(const std::vector<Picture>& pictures, int side)
{
    const Picture* best = nullptr;
    for (const Picture& p : pictures) {
        int larger = std::max(p.pixels.width, p.pixels.height);
        int bestLarger = best ? std::max(best->pixels.width, best->pixels.height) : 0;
        bool covers = larger >= side, bestCovers = bestLarger >= side;
        if (!best || (covers && (!bestCovers || larger < bestLarger)) ||
            (!covers && !bestCovers && larger > bestLarger))
            best = &p;
    }
    return *best;
}

} // namespace

int RunCreate(const std::vector<std::string>& argv, Io& io)
{
    std::string error;
    auto args = ParseArgs(argv, {"--sizes", "--png-above"}, {}, error);
    if (!args)
        return UsageError(io, "create", error);
    if (args->positional.size() < 2)
        return UsageError(io, "create", "give an output file and at least one PNG picture");
    std::optional<std::vector<int>> sizes;
    if (auto text = args->value("--sizes")) {
        sizes = ParseSizes(*text);
        if (!sizes)
            return UsageError(io, "create",
                              "--sizes takes sizes from 1 to " + std::to_string(kMaxIconSide) + ", such as 16,32,48");
    }
    int pngAbove = 128;
    if (auto text = args->value("--png-above")) {
        auto v = ParseCount(*text);
        if (!v)
            return UsageError(io, "create", "--png-above takes a size (0 writes every image as PNG)");
        pngAbove = *v;
    }

    const std::string& out = args->positional[0];
    if (PictureKindOf(out) != PictureKind::None)
        return UsageError(io, "create", "the output comes first: create OUT.ico IN.png...");
    if (int refused = RefuseUnwritableTarget(io, out))
        return refused;

    std::vector<Picture> pictures;
    for (std::size_t i = 1; i < args->positional.size(); ++i) {
        const std::string& in = args->positional[i];
        auto pixels = ReadPngFile(in);
        if (!pixels)
            return Failure(io, in + ": not a PNG picture, damaged, or larger than " + std::to_string(kMaxImageSide) +
                                   "x" + std::to_string(kMaxImageSide));
        pictures.push_back({in, std::move(*pixels)});
    }

    // (side, pixels) of every image, smallest first.
    std::map<int, PngPixels> images;
    if (sizes) {
        for (int side : *sizes)
            images[side] = FitArgb(SourceFor(pictures, side).pixels, side, side);
    } else if (pictures.size() == 1) {
        auto standard = PresetSizes(SizePreset::Windows);
        auto made = MakeSizes(pictures[0].pixels, standard);
        for (std::size_t i = 0; i < standard.size(); ++i)
            images[standard[i]] = std::move(made[i]);
    } else {
        // Each picture as it is, square and no larger than an icon holds.
        for (Picture& p : pictures) {
            const int side = p.pixels.width;
            if (p.pixels.height != side || side > kMaxIconSide)
                return Failure(io, p.path + ": is " + std::to_string(p.pixels.width) + "x" +
                                       std::to_string(p.pixels.height) + "; pictures taken at their own size must be " +
                                       "square, at most " + std::to_string(kMaxIconSide) + " (or give --sizes)");
            if (images.count(side))
                return Failure(io,
                               p.path + ": a second picture of " + std::to_string(side) + "x" + std::to_string(side));
            images[side] = std::move(p.pixels);
        }
    }

    std::vector<CIcon> icons(images.size());
    std::vector<const CIcon*> order;
    std::size_t i = 0;
    for (auto& [side, pixels] : images) {
        if (!icons[i].PackArgb(pixels, side > pngAbove))
            return Failure(io, "cannot make the " + std::to_string(side) + "x" + std::to_string(side) + " image");
        order.push_back(&icons[i++]);
    }
    int writeError = 0;
    if (!WriteIcoFile(out, order, &writeError))
        return WriteFailure(io, out, writeError);
    return kExitOk;
}

} // namespace kavrel::cli
