#include "bench/RecordedRays.h"
#include "bench/ShippedScene.h"
#include "tracer/Renderer.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

// The search the render uses, one thread, over the recorded rays of the default scene. Built in
// the normal build it measures the accelerated search, in the LUMORA_BRUTE_FORCE build the
// brute-force one.

namespace {

void nearestHitRecordedRays(benchmark::State& state)
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
            const HitRecord hit = renderer.nearestHit(ray);
            hits += hit.kind != None;
        }
        benchmark::DoNotOptimize(hits);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(rays.size()));
    state.counters["rays"] = static_cast<double>(rays.size());
    state.counters["hits"] = static_cast<double>(hits);
}

}  // namespace

BENCHMARK(nearestHitRecordedRays)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
