#include "bench/RecordedRays.h"
#include "bench/ShippedScene.h"
#include "tracer/Renderer.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

// The search the render uses, one thread, over the recorded rays of the default scene. Built in
// the normal build it measures the accelerated search on the path the processor runs (the avx
// counter is 1 on the AVX path), in the LUMORA_BRUTE_FORCE build the brute-force search. The
// accelerated search's portable path is measured too, for processors without AVX.

namespace {

template <typename Search>
void searchRecordedRays(benchmark::State& state, Search search)
{
    const std::unique_ptr<Scene> scene = loadShippedScene();
    const std::filesystem::path settings = shippedSettingsAt(1, 1);
    const Renderer renderer(scene.get(), settings.string());
    std::filesystem::remove(settings);
    const std::vector<Ray> rays = readRecordedRays(benchDataFile("default-scene-rays.bin")).rays;

    std::int64_t hits = 0;
    for (auto _ : state) {
        hits = 0;
        for (const Ray& ray : rays) {
            const HitRecord hit = search(renderer, ray);
            hits += hit.kind != None;
        }
        benchmark::DoNotOptimize(hits);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(rays.size()));
    state.counters["rays"] = static_cast<double>(rays.size());
    state.counters["hits"] = static_cast<double>(hits);
    state.counters["avx"] = renderer.m_searchPath == SearchPath::Avx ? 1.0 : 0.0;
}

void nearestHitRecordedRays(benchmark::State& state)
{
    searchRecordedRays(state, [](const Renderer& renderer, const Ray& ray) { return renderer.nearestHit(ray); });
}

void portablePathRecordedRays(benchmark::State& state)
{
    searchRecordedRays(state, [](const Renderer& renderer, const Ray& ray) {
        return renderer.acceleratedNearestHit(ray, SearchPath::Portable);
    });
}

}  // namespace

BENCHMARK(nearestHitRecordedRays)->Unit(benchmark::kMillisecond);
BENCHMARK(portablePathRecordedRays)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
