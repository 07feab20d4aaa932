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

// Whether the ray starts at the camera and runs nearly in the plane of a model face through the
// camera, which the tree may never meet (see ModelBvh.h); origin in model coordinates.
template <typename Lanes>
bool runsInAPlaneThroughTheCamera(const Renderer& renderer, const Ray& ray, Vec3 origin)
{
    const auto& facesThroughCamera = packedSceneFor<Lanes>(renderer).facesThroughCamera;
    const Vec3 camera = renderer.m_pos;
    if (facesThroughCamera.empty() || ray.origin.x != camera.x || ray.origin.y != camera.y ||
        ray.origin.z != camera.z) {
        return false;
    }
    const PackRay<Lanes> packRay(origin, ray.direction);
    for (const auto& pack : facesThroughCamera) {
        if (runsNearlyInPlanes(pack, packRay) != 0) {
            return true;
        }
    }
    return false;
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
    HitRecord model;
    if (!packed.modelBvh.nearestHit(origin, ray.direction, modelRay, model) ||
        runsInAPlaneThroughTheCamera<Lanes>(renderer, ray, origin)) {
        model = packed.modelBvh.template everyFaceNearestHit<Lanes>(origin, ray.direction);
    }
    HitRecord best = model;
    if (!packed.roomPacks.withRoomSurfaces(ray, BoxRay<Lanes>(modelRay, ray.origin), best)) {
        best = withRoomSurfaces(scene, ray, model);
    }
    // Only now into the caller's record: the search's own copies stay in registers.
    nearest = best;
}
