#include "tracer/Renderer.h"
#include "tracer/RoomSurfaces.h"
#include "tracer/SearchPath.h"
#include "tracer/TriangleCorners.h"
#include "tracer/TriangleStrike.h"

#include <cstddef>
#include <cstdint>

namespace {

// The accelerated searches built for one path (SearchPath.h).
struct PathSearches {
    void (*search)(const Renderer& renderer, const Ray& ray, SearchGoal goal, HitRecord& hit);
    void (*nearestHitPair)(const Renderer& renderer, const Ray& first, const Ray& second, HitRecord& firstHit,
                           HitRecord& secondHit);
};

PathSearches searchesOn(SearchPath path)
{
#if LUMORA_AVX_SEARCH
    if (path == SearchPath::Avx2) {
        return {avx2AcceleratedSearch, avx2AcceleratedNearestHitPair};
    }
    if (path == SearchPath::Avx512) {
        return {avx512AcceleratedSearch, avx512AcceleratedNearestHitPair};
    }
#else
    static_cast<void>(path);
#endif
    return {portableAcceleratedSearch, portableAcceleratedNearestHitPair};
}

// The nearest struck triangle in storage order; at equal distance the earlier one stays.
template <typename CornersOf>
HitRecord nearestTriangle(std::size_t triangleCount, Vec3 origin, Vec3 direction, HitKind kind, CornersOf cornersOf)
{
    HitRecord best;
    for (std::size_t i = 0; i < triangleCount; ++i) {
        float t = 0.0f;
        if (strikeTriangle(cornersOf(i), origin, direction, t) && (best.kind == None || t < best.t)) {
            best = {t, kind, static_cast<std::uint32_t>(i)};
        }
    }
    return best;
}

}  // namespace

HitRecord intersectList(const TriangleList& list, const Ray& ray)
{
    return nearestTriangle(list.triangles.size(), ray.origin, ray.direction, ListHit,
                           [&list](std::size_t i) { return listTriangleCorners(list, i); });
}

HitRecord Renderer::intersectModel(const Ray& ray) const
{
    // The entry point refuses a model without a mesh; should one get here, only the room is drawn.
    if (!m_scene->hasModelMesh()) {
        return {};
    }
    // The loader drops faces whose indices are out of range, so every index here is valid.
    const LMesh& mesh = m_scene->modelMesh();
    // Moving the origin instead of the mesh keeps t a world-space distance.
    const Vec3 origin = ray.origin - m_scene->m_modelPos;
    return nearestTriangle(mesh.m_faceIndices.size(), origin, ray.direction, Model,
                           [&mesh](std::size_t i) { return meshTriangleCorners(mesh, i); });
}

// The room's lists after the model, in their fixed order, each replacing the best only when
// strictly nearer: so at equal t the model wins, then the earlier list.
HitRecord withRoomSurfaces(const Scene& scene, const Ray& ray, HitRecord best)
{
    for (const RoomSurface& surface : kRoomSurfaces) {
        const HitRecord hit = intersectList(scene.*surface.list, ray);
        if (hit.kind == ListHit && (best.kind == None || best.t > hit.t)) {
            best = {hit.t, surface.kind, hit.index};
        }
    }
    return best;
}

HitRecord Renderer::bruteForceNearestHit(const Ray& ray) const
{
    return withRoomSurfaces(*m_scene, ray, intersectModel(ray));
}

HitRecord Renderer::acceleratedNearestHit(const Ray& ray) const { return acceleratedNearestHit(ray, m_searchPath); }

HitRecord Renderer::acceleratedNearestHit(const Ray& ray, SearchPath path) const
{
    HitRecord nearest;
    acceleratedNearestHit(ray, path, nearest);
    return nearest;
}

void Renderer::acceleratedNearestHit(const Ray& ray, SearchPath path, HitRecord& nearest) const
{
    acceleratedSearch(ray, path, SearchGoal::NearestHit, nearest);
}

void Renderer::acceleratedNearestHitPair(const Ray& first, const Ray& second, SearchPath path, HitRecord& firstHit,
                                         HitRecord& secondHit) const
{
    searchesOn(path).nearestHitPair(*this, first, second, firstHit, secondHit);
}

HitRecord Renderer::acceleratedHitAtDepthLimit(const Ray& ray, SearchPath path) const
{
    HitRecord hit;
    acceleratedSearch(ray, path, SearchGoal::HitAtDepthLimit, hit);
    return hit;
}

void Renderer::acceleratedSearch(const Ray& ray, SearchPath path, SearchGoal goal, HitRecord& hit) const
{
    searchesOn(path).search(*this, ray, goal, hit);
}

HitRecord Renderer::nearestHit(const Ray& ray) const
{
    HitRecord nearest;
    nearestHit(ray, nearest);
    return nearest;
}

void Renderer::nearestHit(const Ray& ray, HitRecord& nearest) const
{
#if LUMORA_BRUTE_FORCE
    nearest = bruteForceNearestHit(ray);
#else
    acceleratedNearestHit(ray, m_searchPath, nearest);
#endif
}

void Renderer::nearestHitPair(const Ray& first, const Ray& second, HitRecord& firstHit, HitRecord& secondHit) const
{
#if LUMORA_BRUTE_FORCE
    firstHit = bruteForceNearestHit(first);
    secondHit = bruteForceNearestHit(second);
#else
    acceleratedNearestHitPair(first, second, m_searchPath, firstHit, secondHit);
#endif
}

void Renderer::hitAtDepthLimit(const Ray& ray, HitRecord& hit) const
{
#if LUMORA_BRUTE_FORCE
    hit = bruteForceNearestHit(ray);
#else
    acceleratedSearch(ray, m_searchPath, SearchGoal::HitAtDepthLimit, hit);
#endif
}
