#pragma once

// The accelerated nearest-hit search, written once for any lane type; PortableSearch.cpp,
// AvxSearch.cpp and Avx512Search.cpp build it for theirs (see SearchPath.h).

#include "maths/Ray.h"
#include "maths/Vec3.h"
#include "tracer/BoxPack.h"
#include "tracer/BvhTraversal.h"
#include "tracer/HitRecord.h"
#include "tracer/PackWidth.h"
#include "tracer/PackedScene.h"
#include "tracer/Renderer.h"
#include "tracer/RoomPacks.h"
#include "tracer/TrianglePack.h"

// The renderer's structures for the packs of Lanes. (Named after Lanes, like everything that a
// file built for wider instructions instantiates: see AvxSearch.cpp.)
template <typename Lanes>
const PackedScene<Lanes::kCount>& packedSceneFor(const Renderer& renderer)
{
    if constexpr (Lanes::kCount == kWidePackWidth) {
        return renderer.m_widePackedScene;
    } else {
        return renderer.m_packedScene;
    }
}

template <typename Lanes>
void acceleratedNearestHitWith(const Renderer& renderer, const Ray& ray, HitRecord& nearest)
{
    const Scene& scene = *renderer.m_scene;
    const PackedScene<Lanes::kCount>& packed = packedSceneFor<Lanes>(renderer);
    const Vec3 origin = ray.origin - scene.m_modelPos;
    if (!packed.modelBvh.covers(origin, ray.direction) || !packed.roomPacks.holdsRoom()) {
        nearest = renderer.bruteForceNearestHit(ray);
        return;
    }
    // The room's box test reuses the model's inverse direction: the same divisions.
    const BoxRay<Lanes> modelRay(origin, ray.direction);
    const HitRecord model = packed.modelBvh.nearestHit(origin, ray.direction, modelRay);
    HitRecord best = model;
    if (!packed.roomPacks.withRoomSurfaces(ray, BoxRay<Lanes>(modelRay, ray.origin), best)) {
        best = withRoomSurfaces(scene, ray, model);
    }
    // Only now into the caller's record: the search's own copies stay in registers.
    nearest = best;
}
