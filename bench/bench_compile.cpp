// Compiling a large icon set into a viewer program, end to end: the library
// built in memory, the trailer, the checksum and the atomic write.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "librarian/compile.h"
#include "platform/prompter.h"
#include "resources/viewer/viewer_stub.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;

// 1,000 icons of four formats each, 16x16 to 48x48 in 16 and 256 colours.
const std::vector<CIconGroup>& ThousandIcons()
{
    static const std::vector<CIconGroup> icons = [] {
        std::vector<CIconGroup> out(1000);
        for (std::size_t i = 0; i < out.size(); ++i) {
            out[i].name = "Icon " + std::to_string(i + 1);
            for (auto [size, colours] : {std::pair{16, 16}, {32, 16}, {32, 256}, {48, 256}}) {
                CIcon format;
                format.AllocateImage(size, size, colours);
                for (std::size_t b = 40; b < format.image.size(); ++b)
                    format.image[b] = static_cast<std::uint8_t>(b * 7 + i);
                out[i].AddFormat(format);
            }
        }
        return out;
    }();
    return icons;
}

void BM_CompileThousandIcons(benchmark::State& state)
{
    const auto& icons = ThousandIcons();
    const fs::path path = fs::temp_directory_path() / "kavrel-bench-compile.exe";
    for (auto _ : state) {
        fs::remove(path);
        if (CompileExecutable(path.string(), "Bench", "(c) Bench", icons, ViewerStub()) != CompileResult::Written)
            state.SkipWithError("compile failed");
    }
    state.counters["bytes"] = static_cast<double>(fs::file_size(path));
    fs::remove(path);
}
BENCHMARK(BM_CompileThousandIcons)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kavrel
