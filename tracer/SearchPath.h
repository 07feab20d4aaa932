#pragma once

#include "tracer/HitRecord.h"

#include <vector>

struct Ray;
class Renderer;

// The accelerated search is built for two lane types (AcceleratedSearch.h): the portable one,
// two SSE2 registers a pack (plain floats off x86-64), and, in builds for x86-64, one AVX
// register a pack. Both give exactly the same records; the render runs the fastest one the
// processor has, chosen once.
enum class SearchPath { Portable, Avx };

// Whether this build has the path and this processor can run it.
bool searchPathRuns(SearchPath path);
// Avx where it runs, else Portable.
SearchPath fastestSearchPath();
// Every path that this build and processor run, Portable first.
std::vector<SearchPath> runningSearchPaths();

// The accelerated search on each path; the Avx one only where searchPathRuns says so.
HitRecord portableAcceleratedNearestHit(const Renderer& renderer, const Ray& ray);
#if LUMORA_AVX_SEARCH
HitRecord avxAcceleratedNearestHit(const Renderer& renderer, const Ray& ray);
#endif
