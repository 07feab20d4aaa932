#include "tracer/AcceleratedSearch.h"
#include "tracer/FloatLanes.h"
#include "tracer/SearchPath.h"

HitRecord portableAcceleratedNearestHit(const Renderer& renderer, const Ray& ray)
{
    return acceleratedNearestHitWith<PairedLanes>(renderer, ray);
}
