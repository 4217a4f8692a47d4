// The editor view's rendering: a full repaint of the client area and the
// one-pixel update a pencil stroke asks for, at zoom 8 and 30. The frame is
// always the client's size, whatever the zoom.
#include <benchmark/benchmark.h>

#include "document/icon_document.h"
#include "editor/icon_view_state.h"
#include "model/palettes.h"

namespace kavrel {
namespace {

struct ViewFixture {
    explicit ViewFixture(int size, int zoom)
    {
        doc.OnNewDocument();
        doc.AddFormat(size, size, 24, 0);
        doc.RemoveFormat(0);
        CIconObject* f = doc.GetFormat(0);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                SetImagePixel(f->color, f->mask, (x * 7 + y * 3) % 11 == 0 ? COLOR_TRANSPARENT : RGB(x, y, 128), x, y,
                              nullptr);
        view = std::make_unique<CIconViewState>(&doc);
        view->InitialUpdate(1024, 768);
        view->SetZoom(zoom);
        view->SetScrollPosition(view->scrollWidth / 3, view->scrollHeight / 3);
        view->RenderAll();
    }
    CIconDocument doc;
    std::unique_ptr<CIconViewState> view;
};

void BM_ViewFullRepaint(benchmark::State& state)
{
    ViewFixture f(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        f.view->RenderAll();
        benchmark::DoNotOptimize(f.view->Frame().colorBits());
    }
    state.SetItemsProcessed(state.iterations() * 1024 * 768);
}
BENCHMARK(BM_ViewFullRepaint)->Args({32, 8})->Args({256, 8})->Args({256, 30})->Unit(benchmark::kMicrosecond);

void BM_ViewOnePixelUpdate(benchmark::State& state)
{
    ViewFixture f(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    int c = 0, r = 0;
    f.view->PixelFromClientPoint(512, 384, c, r);
    CIconObject* o = f.doc.GetFormat(0);
    int i = 0;
    for (auto _ : state) {
        SetImagePixel(o->color, o->mask, (++i & 1) ? RGB(255, 0, 0) : RGB(0, 0, 255), c, r, nullptr);
        benchmark::DoNotOptimize(f.view->RenderRegion(Rect{c, r, c + 1, r + 1}));
    }
}
BENCHMARK(BM_ViewOnePixelUpdate)->Args({32, 8})->Args({256, 8})->Args({256, 30});

} // namespace
} // namespace kavrel
