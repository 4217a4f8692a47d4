#include "fuzz/targets/viewer_targets.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fuzz/targets/fuzz_targets.h"
#include "resources/viewer/viewer_core.h"

namespace kavrel::fuzz {
namespace {

[[noreturn]] void Mismatch(const char* what)
{
    std::fprintf(stderr, "viewer core: %s\n", what);
    std::abort();
}

void WriteEveryIcon(const kv_library& lib)
{
    for (unsigned i = 0; i < lib.icon_count; ++i) {
        const kv_icon& icon = lib.icons[i];
        if (icon.count == 0 || icon.first + icon.count > lib.format_count)
            Mismatch("icon outside the format table");
        for (unsigned f = 0; f < icon.count; ++f) {
            const kv_format& format = lib.formats[icon.first + f];
            if (format.offset > lib.size || format.size > lib.size - format.offset)
                Mismatch("format outside the library");
        }
        const std::size_t need = kv_ico_write(&lib, i, nullptr, 0);
        std::vector<std::uint8_t> out(need);
        if (need == 0 || kv_ico_write(&lib, i, out.data(), out.size()) != need)
            Mismatch("ICO size changed between measuring and writing");
        char label[64];
        kv_format_label(&lib.formats[icon.first], label, sizeof label);
    }
}

} // namespace

int FuzzViewerCore(const std::uint8_t* data, std::size_t size)
{
    kv_library lib;
    if (kv_library_read(&lib, data, size) == KV_OK) {
        if (lib.end > size)
            Mismatch("library end beyond the input");
        WriteEveryIcon(lib);
        kv_library_free(&lib);
    }
    kv_viewer viewer;
    if (kv_viewer_open(&viewer, data, size) == KV_OK) {
        if (std::strlen(viewer.title) > KV_TITLE_SIZE || std::strlen(viewer.copyright) > KV_COPYRIGHT_SIZE)
            Mismatch("texts longer than their fields");
        WriteEveryIcon(viewer.lib);
        kv_viewer_close(&viewer);
    }
    return 0;
}

std::vector<Seed> ViewerSeeds()
{
    // Bare libraries, and the same behind a small program and its trailer.
    std::vector<Seed> seeds = NeSeeds();
    const std::size_t libraries = seeds.size();
    for (std::size_t i = 0; i < libraries; ++i) {
        Seed file = BuildPe({});
        const std::size_t trailer = file.size();
        file.resize(trailer + KV_TRAILER_HEAD, 0);
        std::memcpy(file.data() + trailer, "Seed", 4);
        std::memcpy(file.data() + trailer + KV_TITLE_SIZE, "(c) Seed", 8);
        file[trailer + KV_TRAILER_HEAD - 1] = KV_MARKER;
        file.insert(file.end(), seeds[i].begin(), seeds[i].end());
        seeds.push_back(std::move(file));
    }
    return seeds;
}

} // namespace kavrel::fuzz
