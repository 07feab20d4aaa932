// Compiled with AVX2 enabled, and called only where the processor has it. Everything this file
// defines for itself is built for AvxLanes, whose names no other file uses: so no function
// compiled here with AVX2 instructions can stand in for one that other files call (a test
// checks the object file for that).

#include "tracer/AcceleratedSearch.h"
#include "tracer/AvxLanes.h"
#include "tracer/SearchPath.h"

void avx2AcceleratedSearch(const Renderer& renderer, const Ray& ray, SearchGoal goal, HitRecord& hit)
{
    acceleratedSearchWith<AvxLanes>(renderer, ray, goal, hit);
}

void avx2AcceleratedNearestHitPair(const Renderer& renderer, const Ray& first, const Ray& second, HitRecord& firstHit,
                                   HitRecord& secondHit)
{
    acceleratedNearestHitPairWith<AvxLanes>(renderer, first, second, firstHit, secondHit);
}
