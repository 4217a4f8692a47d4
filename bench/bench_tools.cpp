// The drawing tools: a 1,000-point brush stroke on a 256x256 24-bit format
// (each move commits its segment and renders its box only) and a flood fill
// of a whole 256x256 format, both through the view as a press would reach
// them.
#include <benchmark/benchmark.h>

#include <cmath>

#include "document/icon_document.h"
#include "editor/icon_view_state.h"
#include "editor/tool_set.h"
#include "model/palettes.h"

namespace kavrel {
namespace {

struct ToolFixture {
    explicit ToolFixture(int depth)
    {
        InstallDrawingTools();
        doc.OnNewDocument();
        doc.AddFormat(256, 256, depth, 0);
        doc.RemoveFormat(0);
        view = std::make_unique<CIconViewState>(&doc);
        view->InitialUpdate(1024, 768);
        view->SetZoom(3);
        view->RenderAll();
    }
    ~ToolFixture() { ReleaseDrawingTools(); }
    CIconDocument doc;
    std::unique_ptr<CIconViewState> view;
};

void BM_BrushStroke1000Points(benchmark::State& state)
{
    ToolFixture f(24);
    f.view->SelectTool(kToolBrush);
    f.view->SelectBrushShape(static_cast<int>(state.range(0)));
    f.view->fillMode = static_cast<int>(state.range(1));
    f.view->leftColor = RGB(200, 30, 60);
    f.view->rightColor = RGB(10, 240, 90);
    CIconObject& format = *f.view->Format();
    ToolContext context = f.view->MakeToolContext();
    CDrawTool& brush = *Tool(kToolBrush);
    for (auto _ : state) {
        // A winding stroke over the whole image, one pixel step at a time.
        brush.Begin(context, 128, 128);
        for (int i = 1; i < 1000; ++i) {
            const double t = i / 1000.0 * 6.2831853;
            brush.Move(context, 128 + static_cast<int>(110 * std::sin(3 * t)),
                       128 + static_cast<int>(110 * std::sin(2 * t)));
        }
        brush.End(context);
        benchmark::DoNotOptimize(format.color.colorBits());
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
// Circle (large) solid, and with the vertical and radial gradients.
BENCHMARK(BM_BrushStroke1000Points)->Args({6, 0})->Args({6, 1})->Args({6, 3})->Unit(benchmark::kMillisecond);

void BM_FloodFill256(benchmark::State& state)
{
    ToolFixture f(static_cast<int>(state.range(0)));
    f.view->fillMode = static_cast<int>(state.range(1));
    f.view->rightColor = RGB(0, 255, 0);
    ToolContext context = f.view->MakeToolContext();
    CDrawTool& fill = *Tool(kToolFloodFill);
    int i = 0;
    for (auto _ : state) {
        // Alternate colours so that every fill covers the whole image again.
        context.pressedColor = (++i & 1) ? RGB(255, 0, 0) : RGB(0, 0, 255);
        fill.Begin(context, 100, 100);
        fill.End(context);
    }
    state.SetItemsProcessed(state.iterations() * 256 * 256);
}
BENCHMARK(BM_FloodFill256)->Args({24, 0})->Args({24, 3})->Args({4, 1})->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kavrel
