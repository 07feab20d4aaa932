#include "bench/ShippedScene.h"
#include "tracer/Renderer.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

// The program's own workload: the shipped model and camera, at a reduced picture size so one
// render takes a fraction of a second.

namespace {

// Renders as the programs do, or with every ray of every pixel traced, as the brute-force build
// does (render stores colours that save alike, without the rays too dim to change a byte).
template <bool everyRay>
void renderShippedScene(benchmark::State& state)
{
    const std::unique_ptr<Scene> scene = loadShippedScene();
    const auto width = static_cast<std::uint32_t>(state.range(0));
    const std::unique_ptr<Renderer> ownedRenderer = shippedRenderer(*scene, width, width * 3 / 4);
    Renderer& renderer = *ownedRenderer;

    for (auto _ : state) {
        if constexpr (everyRay) {
            for (std::uint32_t y = 0; y < renderer.m_resolution.y; ++y) {
                for (std::uint32_t x = 0; x < renderer.m_resolution.x; ++x) {
                    renderer.m_framebuffer[x + std::size_t{renderer.m_resolution.x} * y] =
                        renderer.trace(renderer.primaryRay(x, y), 0);
                }
            }
        } else {
            renderer.render();
        }
        benchmark::DoNotOptimize(renderer.m_framebuffer.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(renderer.m_framebuffer.size()));
    state.SetLabel("pixels");
}

}  // namespace

BENCHMARK(renderShippedScene<false>)->Name("renderShippedScene")->Arg(128)->Arg(256)->Unit(benchmark::kMillisecond);
BENCHMARK(renderShippedScene<true>)
    ->Name("renderShippedSceneTracingEveryRay")
    ->Arg(128)
    ->Arg(256)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
