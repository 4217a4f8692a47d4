// Program files the size of a desktop's shell library: 184 icon groups of
// five formats each in a DLL made by the mingw tool chain. Opening one in a
// program-file window (the resource tree and image headers read, then the
// images of the first screen of cells) and saving one edited icon back into it.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "librarian/grid_docs.h"
#include "librarian/program_save.h"
#include "model/settings_model.h"
#include "platform/prompter.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;

constexpr int kGroups = 184;
// A program-file window of a 1280x1024 desktop.
constexpr int kViewWidth = 900, kViewHeight = 600;

CIconGroup ShellLikeIcon(int seed)
{
    CIconGroup group;
    for (auto [depth, size] :
         {std::pair{4, 16}, std::pair{4, 32}, std::pair{8, 16}, std::pair{8, 32}, std::pair{8, 48}}) {
        CIconObject object(depth, size, size, 0);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                object.color.setRawPixel(x, y,
                                         0xFF000000u | static_cast<std::uint32_t>((x * 13 + y * 7 + seed) * 0x030507));
                object.mask.setRawPixel(x, y, (x * y + seed) % 9 == 0);
            }
        object.PackToIcon();
        group.AddFormat(object.packed);
    }
    return group;
}

struct ShellDll {
    ShellDll()
    {
        std::random_device rd;
        folder = fs::temp_directory_path() / ("kavrel-bench-dll-" + std::to_string(rd()));
        fs::create_directories(folder);
        std::ofstream rc(folder / "icons.rc");
        for (int i = 0; i < kGroups; ++i) {
            std::string ico = "i" + std::to_string(i) + ".ico";
            ShellLikeIcon(i * 11).SaveAsIco((folder / ico).string());
            rc << i + 1 << " ICON \"" << ico << "\"\n";
        }
        rc.close();
        std::ofstream(folder / "dll.c") << "int __stdcall DllMain(void* h, unsigned r, void* p) { (void)h; (void)r; "
                                           "(void)p; return 1; }\n";
        std::string cmd = "cd '" + folder.string() +
                          "' && i686-w64-mingw32-windres icons.rc -O coff -o icons.res && "
                          "i686-w64-mingw32-gcc -shared -nostdlib -e _DllMain@12 -o shell.dll dll.c icons.res "
                          ">/dev/null 2>&1";
        if (std::system(cmd.c_str()) == 0)
            path = (folder / "shell.dll").string();
    }
    ~ShellDll() { fs::remove_all(folder); }
    fs::path folder;
    std::string path; // empty when the tool chain is missing
};

const ShellDll& Dll()
{
    static ShellDll dll;
    return dll;
}

// From the Open command to the first screen of cells.
void BM_OpenShellSizedDll(benchmark::State& state)
{
    EcoRes = 0;
    if (Dll().path.empty()) {
        state.SkipWithError("the mingw tool chain is needed to build the DLL");
        return;
    }
    static Bitmap view = Bitmap::Color(kViewWidth, kViewHeight);
    int read = 0, listed = 0;
    for (auto _ : state) {
        CFileDoc doc;
        doc.OnOpenDocument(Dll().path);
        CIconList& list = doc.List();
        DC dc(view);
        const auto [first, last] = list.VisibleRange(kViewWidth, kViewHeight, 0);
        for (int i = first; i < last; ++i)
            list.DrawCell(i, dc, list.ItemRect(i, kViewHeight, 0), {true});
        listed = list.Count();
        read = 0;
        for (int i = 0; i < listed; ++i)
            read += list.IsPending(i) ? 0 : 1;
    }
    state.counters["KB"] = static_cast<double>(fs::file_size(Dll().path)) / 1e3;
    // Icons whose images were read, of those listed: the first screen only.
    state.counters["icons_read"] = read;
    state.counters["icons"] = listed;
}
BENCHMARK(BM_OpenShellSizedDll)->Unit(benchmark::kMillisecond);

// Every format checked and one edited image written into a copy beside the
// file, renamed over it.
void BM_SaveOneIconIntoDll(benchmark::State& state)
{
    if (Dll().path.empty()) {
        state.SkipWithError("the mingw tool chain is needed to build the DLL");
        return;
    }
    std::string copy = (Dll().folder / "edited.dll").string();
    fs::copy_file(Dll().path, copy, fs::copy_options::overwrite_existing);
    CFileDoc doc;
    doc.OnOpenDocument(copy);
    std::uint8_t seed = 0;
    for (auto _ : state) {
        auto& image = doc.List().Item(0).formats[0]->image;
        image.back() = ++seed;
        doc.SetModifiedFlag(true);
        doc.OnSaveDocument(copy);
    }
}
BENCHMARK(BM_SaveOneIconIntoDll)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kavrel
