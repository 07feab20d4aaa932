#include "tracer/AcceleratedSearch.h"
#include "tracer/FloatLanes.h"
#include "tracer/SearchPath.h"

void portableAcceleratedNearestHit(const Renderer& renderer, const Ray& ray, HitRecord& nearest)
{
    acceleratedNearestHitWith<PairedLanes>(renderer, ray, nearest);
}
