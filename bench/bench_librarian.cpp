// The librarian with large libraries: listed (read, and the first screen of
// cells drawn), scrolled and saved.
//
// An icon library keeps its resource table and name table within 64 KB of
// its module header (16-bit offsets), which bounds it at about 5,400
// resources: 1,800 icons of two formats each. The library benchmarks use
// that largest library (16x16x4 and 48x48x24 formats, about 13 MB); the list
// benchmarks hold 10,000 icons in memory.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "librarian/icon_payload.h"
#include "librarian/librarian.h"
#include "model/icl_file.h"
#include "model/settings_model.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;

constexpr int kLibraryIcons = 1800;
constexpr int kListIcons = 10000;
// A docked bar's list pane: about four columns of 32x32 items with names.
constexpr int kViewWidth = 280, kViewHeight = 600;

CIconGroup VariedIcon(int seed)
{
    CIconGroup group;
    for (auto [depth, size] : {std::pair{4, 16}, std::pair{24, 48}}) {
        CIconObject object(depth, size, size, 0);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                object.color.setRawPixel(x, y,
                                         0xFF000000u | static_cast<std::uint32_t>((x * 31 + y * 17 + seed) * 0x050301));
                object.mask.setRawPixel(x, y, (x + y + seed) % 7 == 0);
            }
        object.PackToIcon();
        group.AddFormat(object.packed);
    }
    return group;
}

class LargeLibrary {
  public:
    LargeLibrary()
    {
        std::random_device rd;
        folder = fs::temp_directory_path() / ("kavrel-bench-lib-" + std::to_string(rd()));
        fs::create_directories(folder);
        std::vector<CIconGroup> distinct;
        for (int i = 0; i < 64; ++i)
            distinct.push_back(VariedIcon(i * 13));
        std::vector<CIconGroup> icons;
        icons.reserve(kLibraryIcons);
        for (int i = 0; i < kLibraryIcons; ++i) {
            icons.push_back(distinct[static_cast<std::size_t>(i) % distinct.size()]);
            icons.back().name = "Icon number " + std::to_string(i + 1);
        }
        path = (folder / "Large.icl").string();
        if (!WriteIconLibrary(path, icons))
            std::abort();
        for (int i = 0; i < kListIcons; ++i) {
            listIcons.push_back(distinct[static_cast<std::size_t>(i) % distinct.size()]);
            listIcons.back().name = "Icon number " + std::to_string(i + 1);
        }
    }
    ~LargeLibrary()
    {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
    fs::path folder;
    std::string path;
    std::vector<CIconGroup> listIcons;
};

const LargeLibrary& Library()
{
    static LargeLibrary library;
    return library;
}

void DrawVisible(CIconList& list, int scrollX)
{
    static Bitmap view = Bitmap::Color(kViewWidth, kViewHeight);
    DC dc(view);
    const auto [first, last] = list.VisibleRange(kViewWidth, kViewHeight, scrollX);
    for (int i = first; i < last; ++i)
        list.DrawCell(i, dc, list.ItemRect(i, kViewHeight, scrollX), {true});
}

// From selecting the library to the first cells drawn.
void BM_LibraryListed(benchmark::State& state)
{
    EcoRes = 0;
    const LargeLibrary& library = Library();
    state.counters["MB"] = static_cast<double>(fs::file_size(library.path)) / 1e6;
    for (auto _ : state) {
        CLibrarian librarian(library.folder.string());
        librarian.List().SetOptions({1, 1, true, false});
        librarian.Load(library.path);
        DrawVisible(librarian.List(), 0);
        benchmark::DoNotOptimize(librarian.List().Count());
    }
}
BENCHMARK(BM_LibraryListed)->Unit(benchmark::kMillisecond);

// 10,000 icons handed to a list (a copy, as a drop or a window fill makes)
// and its first screen drawn.
void BM_ListOf10000Ready(benchmark::State& state)
{
    EcoRes = 0;
    const auto& icons = Library().listIcons;
    for (auto _ : state) {
        CIconList list;
        list.SetOptions({1, 1, true, false});
        list.SetItems(icons);
        DrawVisible(list, 0);
        benchmark::DoNotOptimize(list.Count());
    }
}
BENCHMARK(BM_ListOf10000Ready)->Unit(benchmark::kMillisecond);

// One screen further on each step through 10,000 icons: only the cells
// coming into view decode.
void BM_ListOf10000Scrolled(benchmark::State& state)
{
    EcoRes = 0;
    CIconList list;
    list.SetOptions({1, 1, true, false});
    list.SetItems(Library().listIcons);
    const int width = list.ContentWidth(kViewHeight);
    int scrollX = 0;
    for (auto _ : state) {
        scrollX = (scrollX + kViewWidth) % std::max(1, width - kViewWidth);
        DrawVisible(list, scrollX);
    }
}
BENCHMARK(BM_ListOf10000Scrolled)->Unit(benchmark::kMicrosecond);

void BM_LibrarySaved(benchmark::State& state)
{
    CLibrarian librarian(Library().folder.string());
    librarian.Load(Library().path);
    const std::string copy = (Library().folder / "Copy.icl").string();
    for (auto _ : state) {
        if (!WriteIconLibrary(copy, librarian.List().Items()))
            state.SkipWithError("write failed");
    }
}
BENCHMARK(BM_LibrarySaved)->Unit(benchmark::kMillisecond);

// A drag of 100 icons: encoded on one side, decoded (each icon through the
// ICO reader) on the other.
void BM_DragPayload100(benchmark::State& state)
{
    CLibrarian librarian(Library().folder.string());
    librarian.Load(Library().path);
    for (int i = 0; i < 100; ++i)
        librarian.List().SetSelected(i * 7, true);
    for (auto _ : state) {
        auto bytes = EncodeIconPayload(librarian.DragPayload());
        auto payload = DecodeIconPayload(bytes);
        benchmark::DoNotOptimize(payload);
    }
}
BENCHMARK(BM_DragPayload100)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kavrel
