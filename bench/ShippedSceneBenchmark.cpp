#include "bench/InTurns.h"
#include "bench/ShippedScene.h"
#include "tracer/Renderer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <memory>

// The program's own workload: the shipped model and camera, at a reduced picture size so one
// render takes a fraction of a second.

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

// The pixels' colours as render finds them, leaving out the rays too dim to change a byte,
// against trace's colours, which follow every ray as the brute-force build does: in turns, a few
// rows each, so that the machine's drift meets both alike. The ratio is every_ray_ms over
// pixel_colour_ms.
void pixelColourAgainstEveryRayInTurns(benchmark::State& state)
{
    const std::unique_ptr<Scene> scene = loadShippedScene();
    const auto width = static_cast<std::uint32_t>(state.range(0));
    const std::unique_ptr<Renderer> ownedRenderer = shippedRenderer(*scene, width, width * 3 / 4);
    const Renderer& renderer = *ownedRenderer;
    const auto rowsOf = [&renderer](std::uint32_t firstRow, std::uint32_t endRow, auto colourOf) {
        return [&renderer, firstRow, endRow, colourOf] {
            for (std::uint32_t y = firstRow; y < endRow; ++y) {
                for (std::uint32_t x = 0; x < renderer.m_resolution.x; ++x) {
                    benchmark::DoNotOptimize(colourOf(x, y));
                }
            }
        };
    };
    const auto pixelColour = [&renderer](std::uint32_t x, std::uint32_t y) { return renderer.pixelColour(x, y); };
    const auto everyRay = [&renderer](std::uint32_t x, std::uint32_t y) {
        return renderer.trace(renderer.primaryRay(x, y), 0);
    };

    constexpr std::uint32_t kRowsATurn = 8;
    double pixelColourSeconds = 0.0;
    double everyRaySeconds = 0.0;
    InTurns turns;
    for (auto _ : state) {
        for (std::uint32_t first = 0; first < renderer.m_resolution.y; first += kRowsATurn) {
            const std::uint32_t end = std::min(first + kRowsATurn, renderer.m_resolution.y);
            turns.run(rowsOf(first, end, pixelColour), pixelColourSeconds, rowsOf(first, end, everyRay),
                      everyRaySeconds);
        }
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["pixel_colour_ms"] = 1000.0 * pixelColourSeconds / iterations;
    state.counters["every_ray_ms"] = 1000.0 * everyRaySeconds / iterations;
    state.counters["ratio"] = everyRaySeconds / pixelColourSeconds;
}

}  // namespace

BENCHMARK(renderShippedScene)->Arg(128)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(pixelColourAgainstEveryRayInTurns)->Arg(256)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
