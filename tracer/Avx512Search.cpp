// Compiled with AVX-512 enabled, and called only where the processor has it. As in
// Avx2Search.cpp, everything this file defines for itself is built for Avx512Lanes, whose names
// no other file uses (a test checks the object file for that).

#include "tracer/AcceleratedSearch.h"
#include "tracer/Avx512Lanes.h"
#include "tracer/SearchPath.h"

void avx512AcceleratedSearch(const Renderer& renderer, const Ray& ray, SearchGoal goal, HitRecord& hit)
{
    acceleratedSearchWith<Avx512Lanes>(renderer, ray, goal, hit);
}

void avx512AcceleratedNearestHitPair(const Renderer& renderer, const Ray& first, const Ray& second, HitRecord& firstHit,
                                     HitRecord& secondHit)
{
    acceleratedNearestHitPairWith<Avx512Lanes>(renderer, first, second, firstHit, secondHit);
}
