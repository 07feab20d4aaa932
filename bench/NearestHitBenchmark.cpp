#include "bench/RecordedRays.h"
#include "bench/ShippedScene.h"
#include "tracer/Renderer.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

// The search the render uses, called as the render calls it, one thread, over the recorded rays
// of the default scene. Built in the normal build it measures the accelerated search on the path
// the processor runs (the path counter is 0 on the portable path, 1 on the AVX2 path, 2 on the
// AVX-512 path), in the LUMORA_BRUTE_FORCE build the brute-force search. The accelerated
// search's narrower paths are measured too: the AVX2 path for processors without AVX-512, the
// portable one for those without AVX2. And the search of rays at the depth limit, in the normal
// build, and the search of two rays at once.

namespace {

// path is the accelerated search's path that search takes, reported as the path counter. search
// searches all the rays and returns how many hit something.
template <typename SearchAll>
void searchRecordedRays(benchmark::State& state, SearchPath path, SearchAll searchAll)
{
    const std::unique_ptr<Scene> scene = loadShippedScene();
    const std::unique_ptr<Renderer> ownedRenderer = shippedRenderer(*scene, 1, 1);
    const Renderer& renderer = *ownedRenderer;
    const std::vector<Ray> rays = readRecordedRays(benchDataFile("default-scene-rays.bin")).rays;

    std::int64_t hits = 0;
    for (auto _ : state) {
        hits = searchAll(renderer, rays);
        benchmark::DoNotOptimize(hits);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(rays.size()));
    state.counters["rays"] = static_cast<double>(rays.size());
    state.counters["hits"] = static_cast<double>(hits);
    state.counters["path"] = static_cast<double>(path);
}

// A searchAll that searches one ray at a time with search.
template <typename Search>
auto eachRay(Search search)
{
    return [search](const Renderer& renderer, const std::vector<Ray>& rays) {
        std::int64_t hits = 0;
        for (const Ray& ray : rays) {
            HitRecord hit;
            search(renderer, ray, hit);
            hits += hit.kind != None;
        }
        return hits;
    };
}

void nearestHitRecordedRays(benchmark::State& state)
{
    searchRecordedRays(
        state, fastestSearchPath(),
        eachRay([](const Renderer& renderer, const Ray& ray, HitRecord& hit) { renderer.nearestHit(ray, hit); }));
}

void onePathRecordedRays(benchmark::State& state, SearchPath path)
{
    if (!searchPathRuns(path)) {
        state.SkipWithError("this processor does not run the path");
        return;
    }
    searchRecordedRays(state, path, eachRay([path](const Renderer& renderer, const Ray& ray, HitRecord& hit) {
                           renderer.acceleratedNearestHit(ray, path, hit);
                       }));
}

void avx2PathRecordedRays(benchmark::State& state) { onePathRecordedRays(state, SearchPath::Avx2); }
void portablePathRecordedRays(benchmark::State& state) { onePathRecordedRays(state, SearchPath::Portable); }

// The search that rays at the depth limit take, on the same rays: it may stop at any model face
// struck before the room.
void hitAtDepthLimitRecordedRays(benchmark::State& state)
{
    const SearchPath path = fastestSearchPath();
    searchRecordedRays(state, path, eachRay([path](const Renderer& renderer, const Ray& ray, HitRecord& hit) {
                           hit = renderer.acceleratedHitAtDepthLimit(ray, path);
                       }));
}

// The same rays two at a time, each with the next (rays 0 and 1, then 2 and 3, and so on), their
// nearest hits found together as the render finds those of the two rays a crystal face splits a
// ray into (Renderer::nearestHitPair).
void pairedRecordedRays(benchmark::State& state)
{
    searchRecordedRays(state, fastestSearchPath(), [](const Renderer& renderer, const std::vector<Ray>& rays) {
        std::int64_t hits = 0;
        std::size_t i = 0;
        for (; i + 1 < rays.size(); i += 2) {
            HitRecord first;
            HitRecord second;
            renderer.nearestHitPair(rays[i], rays[i + 1], first, second);
            hits += (first.kind != None) + (second.kind != None);
        }
        if (i < rays.size()) {
            HitRecord last;
            renderer.nearestHit(rays[i], last);
            hits += last.kind != None;
        }
        return hits;
    });
}

}  // namespace

BENCHMARK(nearestHitRecordedRays)->Unit(benchmark::kMillisecond);
BENCHMARK(avx2PathRecordedRays)->Unit(benchmark::kMillisecond);
BENCHMARK(portablePathRecordedRays)->Unit(benchmark::kMillisecond);
BENCHMARK(hitAtDepthLimitRecordedRays)->Unit(benchmark::kMillisecond);
BENCHMARK(pairedRecordedRays)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
