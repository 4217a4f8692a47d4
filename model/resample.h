// Resampling pictures with alpha, and the set of standard sizes made from one
// picture.
//
// Every target pixel is the average of the source area it covers, weighted by
// exact coverage (a target pixel of a 256 -> 20 reduction covers 12.8 source
// pixels each way, the partly covered ones by their share). Colours are
// averaged premultiplied by their alpha, so transparent pixels lend no colour
// to their neighbours: a white shape on transparent stays white to its edge.
// A box filter has no negative lobes, so nothing rings.
//
// Enlarging uses the same rule: a target pixel lying inside one source pixel
// takes it unchanged, one straddling two blends them by coverage. Small
// pictures thus grow as crisp blocks (exact copies at whole ratios), which
// suits icons drawn pixel by pixel better than a smoothing filter.
#pragma once

#include <array>
#include <span>
#include <vector>

#include "model/png_image.h"

namespace kavrel {

// Resizes top-down 0xAARRGGBB pixels (straight alpha) to width x height.
// An empty result for an empty source or a size outside the image limits.
PngPixels ResizeArgb(const PngPixels& source, int width, int height);

// The picture fitted into width x height with its aspect kept (enlarged or
// shrunk, at least one pixel each way), centred, transparent around.
PngPixels FitArgb(const PngPixels& source, int width, int height);

// The square sizes of the size set, smallest first.
constexpr std::array<int, 10> kStandardSizes = {16, 20, 24, 32, 40, 48, 64, 96, 128, 256};

enum class SizePreset { Windows, Minimal };
// "Windows set": all ten sizes; "Minimal set": 16, 32, 48 and 256.
std::vector<int> PresetSizes(SizePreset preset);

// One square picture per size (in the order given), each fitted from the
// source. Sizes outside the image limits give empty pictures.
std::vector<PngPixels> MakeSizes(const PngPixels& source, std::span<const int> sizes);

} // namespace kavrel
