// Printing a 1,000-icon library to a PDF file: layout, compositing, scaling
// and the PDF writer, at the resolution a printer would have.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPrinter>
#include <filesystem>

#include "librarian/ui/catalogue_print.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;

// 1,000 icons of three formats each (16x16 in 16 colours, 32x32 and 48x48 in 256).
const std::vector<CIconGroup>& ThousandIcons()
{
    static const std::vector<CIconGroup> icons = [] {
        std::vector<CIconGroup> out(1000);
        for (std::size_t i = 0; i < out.size(); ++i) {
            out[i].name = "Icon " + std::to_string(i + 1);
            for (auto [size, depth] : {std::pair{16, 4}, {32, 8}, {48, 8}}) {
                CIconObject format(depth, size, size, 0);
                format.CreateBitmaps();
                for (int y = 0; y < size; ++y)
                    for (int x = 0; x < size; ++x)
                        format.color.setRawPixel(
                            x, y,
                            0xFF000000u | static_cast<std::uint32_t>((x * 40503u + y * 7919u + i * 131u) & 0xFFFFFFu));
                format.PackToIcon();
                out[i].AddFormat(format.packed);
            }
        }
        return out;
    }();
    return icons;
}

void BM_PrintThousandIconsToPdf(benchmark::State& state)
{
    const int dpi = static_cast<int>(state.range(0));
    const fs::path path = fs::temp_directory_path() / "kavrel-bench-print.pdf";
    PrintCatalogue catalogue{PrintSource::Library, "Bench", &ThousandIcons(), 1, 2};
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setResolution(dpi);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(path.string()));
        if (!RenderCatalogue(printer, catalogue))
            state.SkipWithError("printing failed");
    }
    state.counters["bytes"] = static_cast<double>(fs::file_size(path));
    fs::remove(path);
}
BENCHMARK(BM_PrintThousandIconsToPdf)->Arg(300)->Arg(600)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kavrel

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
