#include "tracer/AcceleratedSearch.h"
#include "tracer/FloatLanes.h"
#include "tracer/SearchPath.h"

void portableAcceleratedSearch(const Renderer& renderer, const Ray& ray, SearchGoal goal, HitRecord& hit)
{
    acceleratedSearchWith<PairedLanes>(renderer, ray, goal, hit);
}

void portableAcceleratedNearestHitPair(const Renderer& renderer, const Ray& first, const Ray& second,
                                       HitRecord& firstHit, HitRecord& secondHit)
{
    acceleratedNearestHitPairWith<PairedLanes>(renderer, first, second, firstHit, secondHit);
}
