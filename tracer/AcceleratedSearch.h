#pragma once

// The accelerated nearest-hit search, written once for any lane type; PortableSearch.cpp,
// Avx2Search.cpp and Avx512Search.cpp build it for theirs (see SearchPath.h).

#include "maths/Ray.h"
#include "maths/Vec3.h"
#include "tracer/BoxPack.h"
#include "tracer/BvhTraversal.h"
#include "tracer/HitRecord.h"
#include "tracer/PackWidth.h"
#include "tracer/PackedScene.h"
#include "tracer/Renderer.h"
#include "tracer/RoomPacks.h"
#include "tracer/SearchPath.h"
#include "tracer/TrianglePack.h"

#include <cstddef>
#include <limits>

// The renderer's structures for the packs of Lanes. (Named after Lanes, like everything that a
// file built for wider instructions instantiates: see Avx2Search.cpp.)
template <typename Lanes>
const PackedScene<Lanes::kCount>& packedSceneFor(const Renderer& renderer)
{
    if constexpr (Lanes::kCount == kWidePackWidth) {
        return renderer.m_widePackedScene;
    } else {
        return renderer.m_packedScene;
    }
}

// best, replaced by the room's nearest hit as the brute-force search replaces it.
template <typename Lanes>
[[gnu::always_inline]] inline HitRecord withRoomSurfacesPacked(const Scene& scene,
                                                               const RoomPacksOf<Lanes::kCount>& roomPacks,
                                                               const Ray& ray, const BoxRay<Lanes>& modelRay,
                                                               HitRecord best)
{
    // The room's box test reuses the model's inverse direction: the same divisions.
    HitRecord withRoom = best;
    if (!roomPacks.withRoomSurfaces(ray, BoxRay<Lanes>(modelRay, ray.origin), withRoom)) {
        withRoom = withRoomSurfaces(scene, ray, best);
    }
    return withRoom;
}

// Whether the searches of the tree and the room's packs answer for the ray (origin in model
// coordinates) exactly as brute force would; the others are left to brute force.
template <std::size_t Width>
[[gnu::always_inline]] inline bool searchesAnswer(const PackedScene<Width>& packed, Vec3 origin, Vec3 direction)
{
    return packed.modelBvh.covers(origin, direction) && packed.roomPacks.holdsRoom();
}

// hit set to modelHit, the tree's nearest face for the ray (origin in model coordinates), replaced
// by the room's nearest hit and then by the faces the ray runs nearly parallel to where they come
// first, as the brute-force search would find them. Those faces come last: the best hit so far,
// the room's included, bounds where their planes may lie.
template <typename Lanes>
[[gnu::always_inline]] inline void completeNearestHit(const Scene& scene, const PackedScene<Lanes::kCount>& packed,
                                                      const Ray& ray, Vec3 origin, const BoxRay<Lanes>& modelRay,
                                                      const HitRecord& modelHit, HitRecord& hit)
{
    HitRecord best = withRoomSurfacesPacked(scene, packed.roomPacks, ray, modelRay, modelHit);
    packed.modelBvh.template withNearlyParallelFaces<Lanes>(origin, ray.direction, best);
    // Only at the end into the caller's record: the search's own copies stay in registers.
    hit = best;
}

template <typename Lanes>
void acceleratedSearchWith(const Renderer& renderer, const Ray& ray, SearchGoal goal, HitRecord& hit)
{
    const Scene& scene = *renderer.m_scene;
    const PackedScene<Lanes::kCount>& packed = packedSceneFor<Lanes>(renderer);
    const ModelBvhOf<Lanes::kCount>& modelBvh = packed.modelBvh;
    const Vec3 origin = ray.origin - scene.m_modelPos;
    if (!searchesAnswer(packed, origin, ray.direction)) {
        hit = renderer.bruteForceNearestHit(ray);
        return;
    }
    const BoxRay<Lanes> modelRay(origin, ray.direction);
    if (goal == SearchGoal::NearestHit) {
        completeNearestHit(scene, packed, ray, origin, modelRay, modelBvh.nearestHit(origin, ray.direction, modelRay),
                           hit);
        return;
    }
    // Some struck face in the tree, usually the nearest, bounds the room's search.
    const float unbounded = std::numeric_limits<float>::infinity();
    HitRecord model;
    const bool inTree = modelBvh.strikesTreeWithin(origin, ray.direction, modelRay, unbounded, model);
    HitRecord best = withRoomSurfacesPacked(scene, packed.roomPacks, ray, modelRay, model);
    // When the room comes before that face, or there is none, the model still comes first if it
    // has a face no further than the room's (at an equal t the model wins). Without a face in the
    // tree at any t, only the nearly parallel faces may have one.
    if (best.kind != Model) {
        const float limit = best.kind == None ? unbounded : best.t;
        if (inTree) {
            modelBvh.strikesWithin(origin, ray.direction, modelRay, limit, best);
        } else {
            modelBvh.template strikesNearlyParallelWithin<Lanes>(origin, ray.direction, limit, best);
        }
    }
    hit = best;
}

// The nearest hits of two rays, their searches of the tree taking turns (ModelBvhOf::nearestHitPair).
template <typename Lanes>
void acceleratedNearestHitPairWith(const Renderer& renderer, const Ray& first, const Ray& second, HitRecord& firstHit,
                                   HitRecord& secondHit)
{
    const Scene& scene = *renderer.m_scene;
    const PackedScene<Lanes::kCount>& packed = packedSceneFor<Lanes>(renderer);
    const ModelBvhOf<Lanes::kCount>& modelBvh = packed.modelBvh;
    const Vec3 firstOrigin = first.origin - scene.m_modelPos;
    const Vec3 secondOrigin = second.origin - scene.m_modelPos;
    if (!searchesAnswer(packed, firstOrigin, first.direction) ||
        !searchesAnswer(packed, secondOrigin, second.direction)) {
        acceleratedSearchWith<Lanes>(renderer, first, SearchGoal::NearestHit, firstHit);
        acceleratedSearchWith<Lanes>(renderer, second, SearchGoal::NearestHit, secondHit);
        return;
    }
    const BoxRay<Lanes> firstModelRay(firstOrigin, first.direction);
    const BoxRay<Lanes> secondModelRay(secondOrigin, second.direction);
    HitRecord firstModelHit;
    HitRecord secondModelHit;
    modelBvh.nearestHitPair(TreeRay<Lanes>{firstOrigin, first.direction, firstModelRay},
                            TreeRay<Lanes>{secondOrigin, second.direction, secondModelRay}, firstModelHit,
                            secondModelHit);
    completeNearestHit(scene, packed, first, firstOrigin, firstModelRay, firstModelHit, firstHit);
    completeNearestHit(scene, packed, second, secondOrigin, secondModelRay, secondModelHit, secondHit);
}
