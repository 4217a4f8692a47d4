// The hot paths of the file layer: ICO files in bulk, packing, thumbnails,
// program files with many icons and large libraries.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "fuzz/targets/fuzz_targets.h"
#include "model/icl_file.h"
#include "model/ico_file.h"
#include "model/program_file.h"
#include "model/settings_model.h"
#include "model/thumbnails.h"
#include "platform/atomic_file.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;

// A typical icon: 16x16 and 32x32 in 16 and 256 colours, with varied pixels.
CIconGroup SampleIcon(int seed)
{
    CIconGroup group;
    for (int depth : {4, 8})
        for (int size : {16, 32}) {
            CIconObject object(depth, size, size, 0);
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x) {
                    object.color.setRawPixel(
                        x, y, 0xFF000000u | static_cast<std::uint32_t>((x * 31 + y * 17 + seed) * 0x050301));
                    object.mask.setRawPixel(x, y, (x + y + seed) % 7 == 0);
                }
            object.PackToIcon();
            group.AddFormat(object.packed);
        }
    return group;
}

class TempFolder {
  public:
    TempFolder()
    {
        std::random_device rd;
        path = fs::temp_directory_path() / ("kavrel-bench-" + std::to_string(rd()));
        fs::create_directories(path);
    }
    ~TempFolder()
    {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    fs::path path;
};

constexpr int kFiles = 1000;

// 1,000 ICO files, written once for the whole run.
const std::vector<std::string>& IcoFiles()
{
    static TempFolder folder;
    static const std::vector<std::string> files = [] {
        std::vector<std::string> paths;
        for (int i = 0; i < kFiles; ++i) {
            paths.push_back((folder.path / ("icon" + std::to_string(i) + ".ico")).string());
            SampleIcon(i % 16).SaveAsIco(paths.back());
        }
        return paths;
    }();
    return files;
}

void BM_ReadIcoFiles(benchmark::State& state)
{
    const auto& files = IcoFiles();
    for (auto _ : state) {
        std::vector<CIconGroup> groups;
        for (const auto& path : files)
            LoadIconsFromFile(groups, path);
        benchmark::DoNotOptimize(groups.data());
    }
    state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_ReadIcoFiles)->Unit(benchmark::kMillisecond);

void BM_WriteIcoFiles(benchmark::State& state)
{
    TempFolder folder;
    std::vector<CIconGroup> icons;
    for (int i = 0; i < 16; ++i)
        icons.push_back(SampleIcon(i));
    for (auto _ : state)
        for (int i = 0; i < kFiles; ++i)
            icons[static_cast<std::size_t>(i % 16)].SaveAsIco(
                (folder.path / ("w" + std::to_string(i) + ".ico")).string());
    state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_WriteIcoFiles)->Unit(benchmark::kMillisecond);

void BM_Pack256x256x8(benchmark::State& state)
{
    CIconObject object(8, 256, 256, 0);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            object.color.setRawPixel(x, y,
                                     0xFF000000u | static_cast<std::uint32_t>(x << 16 | y << 8 | ((x ^ y) & 0xFF)));
    for (auto _ : state) {
        object.PackToIcon();
        benchmark::DoNotOptimize(object.packed.image.data());
    }
}
BENCHMARK(BM_Pack256x256x8)->Unit(benchmark::kMillisecond);

// One step of a palette slider on a 256x256 own palette with every undo
// state in use: the image and its undo states are recoloured by index.
void BM_ChangePalette256x256(benchmark::State& state)
{
    CIconObject object(8, 256, 256, 1);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            object.color.setRawPixel(x, y, PixelFromColorRef(object.palette.colorRef((x + y) & 0xFF)));
            object.mask.setRawPixel(x, y, 0);
        }
    for (auto& u : object.undo) {
        u.color = object.color;
        u.mask = object.mask;
    }
    int step = 0;
    for (auto _ : state) {
        Palette next = object.palette;
        next[40].red = static_cast<std::uint8_t>(step++);
        object.ChangePalette(std::move(next));
        benchmark::DoNotOptimize(object.color.colorBits());
    }
}
BENCHMARK(BM_ChangePalette256x256)->Unit(benchmark::kMillisecond);

// 1,000 cells drawn as a list shows them; arg 1 draws from the cache.
void BM_CellThumbnails(benchmark::State& state)
{
    const bool cached = state.range(0) == 1;
    std::vector<CIcon> icons;
    for (int i = 0; i < kFiles; ++i) {
        CIconGroup group = SampleIcon(i % 16);
        icons.push_back(*group.GetFormat(group.BestFormat(2, 2)));
    }
    Bitmap target = Bitmap::Color(kThumbnailCellSize, kThumbnailCellSize);
    DC dc(target);
    const int saved = EcoRes;
    EcoRes = 0;
    for (auto& icon : icons)
        DrawIconCell(icon, dc, 0, 0, false, 2, 32, kThumbnailCellSize, kThumbnailCellSize);
    for (auto _ : state) {
        for (auto& icon : icons) {
            if (!cached)
                icon.FreeThumbnail();
            DrawIconCell(icon, dc, 0, 0, false, 2, 32, kThumbnailCellSize, kThumbnailCellSize);
        }
        benchmark::DoNotOptimize(target.colorBits());
    }
    EcoRes = saved;
    state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_CellThumbnails)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A DLL with 2,000 icon groups of two images each.
void BM_ListDllIcons(benchmark::State& state)
{
    constexpr int kGroups = 2000;
    const CIconGroup sample = SampleIcon(3);
    const CIcon& small = *sample.GetFormat(0);
    const CIcon& large = *sample.GetFormat(3);
    fuzz::PeResources resources;
    for (int g = 0; g < kGroups; ++g) {
        const auto a = static_cast<std::uint16_t>(2 * g + 1), b = static_cast<std::uint16_t>(2 * g + 2);
        resources[3][a] = small.image;
        resources[3][b] = large.image;
        resources[14][static_cast<std::uint32_t>(g + 1)] = fuzz::GroupDirectory({{&small, a}, {&large, b}});
    }
    TempFolder folder;
    const std::string path = (folder.path / "icons.dll").string();
    const fuzz::Seed dll = fuzz::BuildPe(resources);
    WriteFileAtomically(path, dll);
    for (auto _ : state) {
        std::vector<CIconGroup> groups;
        if (LoadIconsFromFile(groups, path) != kGroups)
            state.SkipWithError("the DLL did not read");
        benchmark::DoNotOptimize(groups.data());
    }
    state.SetItemsProcessed(state.iterations() * kGroups);
}
BENCHMARK(BM_ListDllIcons)->Unit(benchmark::kMillisecond);

// 65,535 groups naming one directory of 65,535 entries: 1.7 MB as a
// library (argument 0), 1.4 MB as a DLL (argument 1).
void BM_ListSharedGroupDirectory(benchmark::State& state)
{
    constexpr int kGroups = 65535;
    TempFolder folder;
    const std::string path = (folder.path / (state.range(0) ? "shared.dll" : "shared.icl")).string();
    WriteFileAtomically(path, state.range(0) ? fuzz::SharedDirectoryPe(kGroups, kGroups)
                                             : fuzz::SharedDirectoryNe(kGroups, kGroups));
    for (auto _ : state) {
        std::vector<CIconGroup> groups;
        if (LoadIconsFromFile(groups, path) != kGroups)
            state.SkipWithError("the file did not read");
        benchmark::DoNotOptimize(groups.data());
    }
}
BENCHMARK(BM_ListSharedGroupDirectory)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_WriteIconLibrary(benchmark::State& state)
{
    std::vector<CIconGroup> icons;
    for (int i = 0; i < kFiles; ++i) {
        icons.push_back(SampleIcon(i % 16));
        icons.back().name = "Icon " + std::to_string(i + 1);
    }
    TempFolder folder;
    const std::string path = (folder.path / "big.icl").string();
    for (auto _ : state)
        if (!WriteIconLibrary(path, icons))
            state.SkipWithError("the library was not written");
    state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_WriteIconLibrary)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kavrel
