#pragma once

// The accelerated nearest-hit search, written once for any lane type; PortableSearch.cpp and
// AvxSearch.cpp build it for theirs (see SearchPath.h).

#include "maths/Ray.h"
#include "maths/Vec3.h"
#include "tracer/BoxPack.h"
#include "tracer/BvhTraversal.h"
#include "tracer/HitRecord.h"
#include "tracer/Renderer.h"
#include "tracer/RoomPacks.h"
#include "tracer/TrianglePack.h"

#include <optional>

// Whether the ray starts at the camera and runs nearly in the plane of a model face through the
// camera, which the tree may never meet (see ModelBvh.h); origin in model coordinates.
template <typename Lanes>
bool runsInAPlaneThroughTheCamera(const Renderer& renderer, const Ray& ray, Vec3 origin)
{
    const Vec3 camera = renderer.m_pos;
    if (renderer.m_facesThroughCamera.empty() || ray.origin.x != camera.x || ray.origin.y != camera.y ||
        ray.origin.z != camera.z) {
        return false;
    }
    const PackRay<Lanes> packRay(origin, ray.direction);
    for (const TrianglePack& pack : renderer.m_facesThroughCamera) {
        if (runsNearlyInPlanes(pack, packRay) != 0) {
            return true;
        }
    }
    return false;
}

template <typename Lanes>
HitRecord acceleratedNearestHitWith(const Renderer& renderer, const Ray& ray)
{
    const Scene& scene = *renderer.m_scene;
    const ModelBvh& bvh = renderer.m_modelBvh;
    const Vec3 origin = ray.origin - scene.m_modelPos;
    if (!bvh.covers(origin, ray.direction) || !renderer.m_roomPacks.holdsRoom()) {
        return renderer.bruteForceNearestHit(ray);
    }
    // The room's box test reuses the model's inverse direction: the same divisions.
    const BoxRay<Lanes> modelRay(origin, ray.direction);
    const std::optional<HitRecord> modelHit = bvh.nearestHit(origin, ray.direction, modelRay);
    const HitRecord model = modelHit && !runsInAPlaneThroughTheCamera<Lanes>(renderer, ray, origin)
                                ? *modelHit
                                : bvh.template everyFaceNearestHit<Lanes>(origin, ray.direction);
    const std::optional<HitRecord> hit =
        renderer.m_roomPacks.withRoomSurfaces(ray, BoxRay<Lanes>(modelRay, ray.origin), model);
    return hit ? *hit : withRoomSurfaces(scene, ray, model);
}
