#pragma once

#include "tracer/HitRecord.h"

#include <vector>

struct Ray;
class Renderer;

// The accelerated search is built for three lane types (AcceleratedSearch.h): the portable one,
// two SSE2 registers a pack of 8 (plain floats off x86-64), and, in builds for x86-64, one AVX
// register a pack of 8 (with AVX2's moves between its halves) and one AVX-512 register a pack
// of 16, over a tree of its own. All give exactly the same records; the render runs the fastest
// one the processor has, chosen once.
enum class SearchPath { Portable, Avx2, Avx512 };

// Whether this build has the path and this processor can run it.
bool searchPathRuns(SearchPath path);
// The widest path that runs: Avx512, else Avx2, else Portable.
SearchPath fastestSearchPath();
// Every path that this build and processor run, Portable first.
std::vector<SearchPath> runningSearchPaths();
// "portable", "AVX2" or "AVX-512".
const char* searchPathName(SearchPath path);

// What a search finds: the nearest hit, or what a ray at the depth limit needs (see
// Renderer::hitAtDepthLimit).
enum class SearchGoal { NearestHit, HitAtDepthLimit };

// The accelerated search on each path, for one ray or the nearest hits of two at once; the Avx2
// and Avx512 ones only where searchPathRuns says so.
void portableAcceleratedSearch(const Renderer& renderer, const Ray& ray, SearchGoal goal, HitRecord& hit);
void portableAcceleratedNearestHitPair(const Renderer& renderer, const Ray& first, const Ray& second,
                                       HitRecord& firstHit, HitRecord& secondHit);
#if LUMORA_AVX_SEARCH
void avx2AcceleratedSearch(const Renderer& renderer, const Ray& ray, SearchGoal goal, HitRecord& hit);
void avx2AcceleratedNearestHitPair(const Renderer& renderer, const Ray& first, const Ray& second, HitRecord& firstHit,
                                   HitRecord& secondHit);
void avx512AcceleratedSearch(const Renderer& renderer, const Ray& ray, SearchGoal goal, HitRecord& hit);
void avx512AcceleratedNearestHitPair(const Renderer& renderer, const Ray& first, const Ray& second, HitRecord& firstHit,
                                     HitRecord& secondHit);
#endif
