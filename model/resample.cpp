#include "model/resample.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "model/icon_model.h"

namespace kavrel {

namespace {

bool ValidSize(int width, int height)
{
    return width >= 1 && height >= 1 && width <= kMaxImageSide && height <= kMaxImageSide &&
           std::uint64_t(width) * std::uint64_t(height) * 4 <= kMaxImageBytes;
}

bool ValidPixels(const PngPixels& p)
{
    return ValidSize(p.width, p.height) && p.argb.size() == std::size_t(p.width) * std::size_t(p.height);
}

// The source pixels a target pixel covers along one axis and their shares.
// Target pixel i of m covers [i*n, (i+1)*n) and source pixel j of n covers
// [j*m, (j+1)*m), both in units of 1/m source pixels: overlaps are whole
// numbers, so the shares are exact and add up to one.
struct Span {
    int first = 0;
    int count = 0;
    std::size_t weights = 0; // index of the first share in Axis::shares
};

struct Axis {
    std::vector<Span> spans;
    std::vector<float> shares;
};

Axis MakeAxis(int n, int m)
{
    Axis axis;
    axis.spans.resize(std::size_t(m));
    const std::int64_t nn = n, mm = m;
    for (std::int64_t i = 0; i < mm; ++i) {
        std::int64_t start = i * nn, end = (i + 1) * nn;
        std::int64_t first = start / mm, last = (end - 1) / mm;
        Span& span = axis.spans[std::size_t(i)];
        span.first = int(first);
        span.count = int(last - first + 1);
        span.weights = axis.shares.size();
        for (std::int64_t j = first; j <= last; ++j) {
            std::int64_t overlap = std::min(end, (j + 1) * mm) - std::max(start, j * mm);
            axis.shares.push_back(float(double(overlap) / double(nn)));
        }
    }
    return axis;
}

// Source rows as premultiplied floats (alpha, red, green, blue; 0..255).
// Rows are asked for in rising order, each at most for the span of the target
// rows that cover it, so two slots are enough when rows are converted on
// demand. When several sizes are made from one moderate picture, the whole
// picture is converted once instead and shared by every size.
class PremultipliedRows {
  public:
    explicit PremultipliedRows(const PngPixels& source, bool whole = false) : source_(source)
    {
        if (whole) {
            all_.resize(std::size_t(source.width) * std::size_t(source.height) * 4);
            for (int y = 0; y < source.height; ++y)
                Convert(y, all_.data() + std::size_t(y) * std::size_t(source.width) * 4);
            return;
        }
        for (auto& slot : slots_)
            slot.values.resize(std::size_t(source.width) * 4);
    }

    const float* row(int y)
    {
        if (!all_.empty())
            return all_.data() + std::size_t(y) * std::size_t(source_.width) * 4;
        for (auto& slot : slots_)
            if (slot.y == y)
                return slot.values.data();
        Slot& slot = slots_[next_];
        next_ ^= 1;
        slot.y = y;
        Convert(y, slot.values.data());
        return slot.values.data();
    }

  private:
    void Convert(int y, float* out) const
    {
        const std::uint32_t* in = source_.argb.data() + std::size_t(y) * std::size_t(source_.width);
        for (int x = 0; x < source_.width; ++x) {
            std::uint32_t p = in[x];
            float a = float(p >> 24);
            float k = a * (1.0f / 255.0f);
            out[4 * x] = a;
            out[4 * x + 1] = float((p >> 16) & 0xFF) * k;
            out[4 * x + 2] = float((p >> 8) & 0xFF) * k;
            out[4 * x + 3] = float(p & 0xFF) * k;
        }
    }

    struct Slot {
        int y = -1;
        std::vector<float> values;
    };
    const PngPixels& source_;
    std::vector<float> all_;
    Slot slots_[2];
    int next_ = 0;
};

std::uint32_t Unpremultiply(const float* v)
{
    float a = v[0];
    long alpha = std::lround(a);
    if (alpha <= 0)
        return 0;
    alpha = std::min(alpha, 255L);
    float k = 255.0f / a;
    auto channel = [&](float c) { return std::uint32_t(std::clamp(std::lround(c * k), 0L, 255L)); };
    return std::uint32_t(alpha) << 24 | channel(v[1]) << 16 | channel(v[2]) << 8 | channel(v[3]);
}

} // namespace

namespace {

PngPixels Resize(const PngPixels& source, PremultipliedRows& rows, int width, int height)
{
    if (width == source.width && height == source.height)
        return source;
    const Axis xs = MakeAxis(source.width, width);
    const Axis ys = MakeAxis(source.height, height);
    std::vector<float> column(std::size_t(source.width) * 4);
    PngPixels out{width, height, std::vector<std::uint32_t>(std::size_t(width) * std::size_t(height))};
    for (int y = 0; y < height; ++y) {
        // Down the covered rows first, into one row of sums ...
        const Span& vs = ys.spans[std::size_t(y)];
        std::fill(column.begin(), column.end(), 0.0f);
        for (int k = 0; k < vs.count; ++k) {
            const float share = ys.shares[vs.weights + std::size_t(k)];
            const float* __restrict in = rows.row(vs.first + k);
            float* __restrict sums = column.data();
            const std::size_t n = column.size();
            for (std::size_t i = 0; i < n; ++i)
                sums[i] += in[i] * share;
        }
        // ... then across.
        std::uint32_t* target = out.argb.data() + std::size_t(y) * std::size_t(width);
        for (int x = 0; x < width; ++x) {
            const Span& hs = xs.spans[std::size_t(x)];
            float sum[4] = {0, 0, 0, 0};
            const float* in = column.data() + std::size_t(hs.first) * 4;
            for (int k = 0; k < hs.count; ++k) {
                const float share = xs.shares[hs.weights + std::size_t(k)];
                for (int c = 0; c < 4; ++c)
                    sum[c] += in[4 * k + c] * share;
            }
            target[x] = Unpremultiply(sum);
        }
    }
    return out;
}

PngPixels Fit(const PngPixels& source, PremultipliedRows& rows, int width, int height)
{
    double scale = std::min(double(width) / source.width, double(height) / source.height);
    int w = std::clamp(int(std::lround(source.width * scale)), 1, width);
    int h = std::clamp(int(std::lround(source.height * scale)), 1, height);
    PngPixels fitted = Resize(source, rows, w, h);
    if (w == width && h == height)
        return fitted;
    PngPixels out{width, height, std::vector<std::uint32_t>(std::size_t(width) * std::size_t(height), 0)};
    int left = (width - w) / 2, top = (height - h) / 2;
    for (int y = 0; y < h; ++y)
        std::copy_n(fitted.argb.data() + std::size_t(y) * std::size_t(w), w,
                    out.argb.data() + std::size_t(y + top) * std::size_t(width) + std::size_t(left));
    return out;
}

} // namespace

PngPixels ResizeArgb(const PngPixels& source, int width, int height)
{
    if (!ValidPixels(source) || !ValidSize(width, height))
        return {};
    PremultipliedRows rows(source);
    return Resize(source, rows, width, height);
}

PngPixels FitArgb(const PngPixels& source, int width, int height)
{
    if (!ValidPixels(source) || !ValidSize(width, height))
        return {};
    PremultipliedRows rows(source);
    return Fit(source, rows, width, height);
}

std::vector<int> PresetSizes(SizePreset preset)
{
    if (preset == SizePreset::Minimal)
        return {16, 32, 48, 256};
    return {kStandardSizes.begin(), kStandardSizes.end()};
}

std::vector<PngPixels> MakeSizes(const PngPixels& source, std::span<const int> sizes)
{
    std::vector<PngPixels> out;
    out.reserve(sizes.size());
    // Up to 1024x1024 (16 MB of floats) the picture is converted once for
    // every size; larger ones are converted row by row for each size.
    const bool whole = ValidPixels(source) && sizes.size() > 1 &&
                       std::uint64_t(source.width) * std::uint64_t(source.height) <= 1024u * 1024u;
    PremultipliedRows rows(source, whole);
    for (int side : sizes)
        out.push_back(ValidPixels(source) && ValidSize(side, side) ? Fit(source, rows, side, side) : PngPixels{});
    return out;
}

} // namespace kavrel
