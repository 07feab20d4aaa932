#include "bench/ShippedScene.h"
#include "tracer/Renderer.h"

#include <benchmark/benchmark.h>

#include <memory>

// The program's own workload: the shipped model and camera, at a reduced picture size so one
// render takes seconds.

namespace {

void renderShippedScene(benchmark::State& state)
{
    const std::unique_ptr<Scene> scene = loadShippedScene();
    const auto width = static_cast<std::uint32_t>(state.range(0));
    const std::unique_ptr<Renderer> ownedRenderer = shippedRenderer(*scene, width, width * 3 / 4);
    Renderer& renderer = *ownedRenderer;

    for (auto _ : state) {
        renderer.render();
        benchmark::DoNotOptimize(renderer.m_framebuffer.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(renderer.m_framebuffer.size()));
    state.SetLabel("pixels");
}

}  // namespace

BENCHMARK(renderShippedScene)->Arg(128)->Unit(benchmark::kSecond)->Iterations(1);

BENCHMARK_MAIN();
