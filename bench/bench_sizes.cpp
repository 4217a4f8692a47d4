// Modern icons: the ten standard sizes made from one large picture, and a
// ten-format icon of 32-bit and PNG images opened and saved.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <random>

#include "document/icon_document.h"
#include "model/ico_file.h"
#include "model/png_image.h"
#include "model/resample.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;

// A 1024x1024 picture with soft edges and varied colours, as a PNG stream.
const std::vector<std::uint8_t>& BigPng()
{
    static const std::vector<std::uint8_t> png = [] {
        constexpr int kSide = 1024;
        PngPixels p{kSide, kSide, std::vector<std::uint32_t>(std::size_t(kSide) * kSide)};
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x) {
                double r = std::hypot(x - 512.0, y - 512.0);
                auto alpha = std::uint32_t(std::clamp(440.0 - r, 0.0, 255.0));
                p.argb[std::size_t(y) * kSide + x] = alpha << 24 | std::uint32_t(x / 4) << 16 |
                                                     std::uint32_t(y / 4) << 8 | std::uint32_t((x ^ y) & 0xFF);
            }
        return EncodePng(p);
    }();
    return png;
}

// Decoding the picture, making the ten sizes and building the ICO file's
// bytes: what the command line's create does apart from the file system.
void BM_MakeTenSizesFrom1024Png(benchmark::State& state)
{
    const auto& png = BigPng();
    const auto sizes = PresetSizes(SizePreset::Windows);
    for (auto _ : state) {
        auto picture = DecodePng(png);
        auto made = MakeSizes(*picture, sizes);
        std::vector<CIcon> icons(made.size());
        std::vector<const CIcon*> order;
        for (std::size_t i = 0; i < made.size(); ++i) {
            icons[i].PackArgb(made[i], sizes[i] >= 256);
            order.push_back(&icons[i]);
        }
        benchmark::DoNotOptimize(BuildIcoFile(order));
    }
}
BENCHMARK(BM_MakeTenSizesFrom1024Png)->Unit(benchmark::kMillisecond);

// Resizing alone, without decoding and packing.
void BM_ResizeTenSizes(benchmark::State& state)
{
    auto picture = DecodePng(BigPng());
    const auto sizes = PresetSizes(SizePreset::Windows);
    for (auto _ : state)
        benchmark::DoNotOptimize(MakeSizes(*picture, sizes));
}
BENCHMARK(BM_ResizeTenSizes)->Unit(benchmark::kMillisecond);

// Opening a ten-format modern icon in the editor's document and saving it.
void BM_OpenSaveModernIcon(benchmark::State& state)
{
    std::random_device rd;
    const fs::path dir = fs::temp_directory_path() / ("kavrel-bench-sizes-" + std::to_string(rd()));
    fs::create_directories(dir);
    const std::string in = (dir / "modern.ico").string(), out = (dir / "saved.ico").string();
    {
        auto picture = DecodePng(BigPng());
        const auto sizes = PresetSizes(SizePreset::Windows);
        auto made = MakeSizes(*picture, sizes);
        std::vector<CIcon> icons(made.size());
        std::vector<const CIcon*> order;
        for (std::size_t i = 0; i < made.size(); ++i) {
            icons[i].PackArgb(made[i], sizes[i] >= 256);
            order.push_back(&icons[i]);
        }
        WriteIcoFile(in, order);
    }
    for (auto _ : state) {
        CIconDocument doc;
        if (!doc.OnOpenDocument(in) || !doc.OnSaveDocument(out))
            state.SkipWithError("open or save failed");
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
}
BENCHMARK(BM_OpenSaveModernIcon)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kavrel
