#include "tests/tracer/SearchAgreement.h"

#include "tracer/TriangleCorners.h"
#include "tracer/TriangleStrike.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <optional>
#include <random>
#include <sstream>

namespace {

struct Double3 {
    double x;
    double y;
    double z;
};

Double3 widen(Vec3 v) { return {v.x, v.y, v.z}; }
Double3 operator-(Double3 a, Double3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double dot(Double3 a, Double3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Double3 cross(Double3 a, Double3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double size(Double3 v) { return std::sqrt(dot(v, v)); }

// Far wider than float rounding (a few parts in 10^7), far narrower than any real grazing angle.
constexpr double kTolerance = 1e-5;

// A face's plane in double: a corner and the normal's direction and size.
struct FacePlane {
    Double3 corner;
    Double3 normal;
    double normalSize;
};

std::optional<FacePlane> facePlane(const LMesh& mesh, std::size_t face)
{
    const TriangleCorners corners = meshTriangleCorners(mesh, face);
    const Double3 p0 = widen(corners.p0);
    const Double3 normal = cross(widen(corners.p1) - p0, widen(corners.p2) - p0);
    const double normalSize = size(normal);
    if (!(normalSize > 0.0)) {
        return std::nullopt;
    }
    return FacePlane{p0, normal, normalSize};
}

bool passesThrough(const FacePlane& plane, Double3 point)
{
    const Double3 toPoint = point - plane.corner;
    const double off = std::fabs(dot(toPoint, plane.normal)) / plane.normalSize;
    return off <= kTolerance * (1.0 + size(toPoint) + size(plane.corner));
}

// Whether a ray lies in the plane of one of the mesh's faces to within rounding: its direction
// runs along the plane and its origin lies on it (origin in the mesh's own coordinates). Measured
// in double, with room to spare.
bool liesInAFacePlane(const LMesh& mesh, Vec3 origin, Vec3 direction)
{
    const Double3 o = widen(origin);
    const Double3 d = widen(direction);
    const double directionSize = size(d);
    if (!(directionSize > 0.0)) {
        return false;
    }
    for (std::size_t face = 0; face < mesh.m_faceIndices.size(); ++face) {
        const std::optional<FacePlane> plane = facePlane(mesh, face);
        if (plane && std::fabs(dot(d, plane->normal)) / (directionSize * plane->normalSize) <= kTolerance &&
            passesThrough(*plane, o)) {
            return true;
        }
    }
    return false;
}

std::string describe(const HitRecord& hit)
{
    std::ostringstream text;
    text << "{t " << hit.t << " (bits " << std::hex << std::bit_cast<std::uint32_t>(hit.t) << std::dec << "), kind "
         << hit.kind << ", index " << hit.index << "}";
    return text.str();
}

Ray rayFrom(Vec3 origin, Vec3 direction) { return Ray{origin, direction, false, 0.0f}; }

// The room's interior, a little inside its walls.
constexpr float kRoomInside = 39.0f;

class RayMaker {
public:
    explicit RayMaker(std::uint32_t seed) : m_random(seed) {}

    float between(float low, float high) { return std::uniform_real_distribution<float>(low, high)(m_random); }
    Vec3 roomPoint()
    {
        return {between(-kRoomInside, kRoomInside), between(-kRoomInside, kRoomInside),
                between(-kRoomInside, kRoomInside)};
    }
    Vec3 unitDirection()
    {
        for (;;) {
            const Vec3 v{between(-1.0f, 1.0f), between(-1.0f, 1.0f), between(-1.0f, 1.0f)};
            const float size = dot(v, v);
            if (size > 0.01f && size <= 1.0f) {
                return normalize(v);
            }
        }
    }
    // From somewhere in the room, aimed exactly at target.
    void aimAt(Vec3 target)
    {
        const Vec3 origin = roomPoint();
        m_rays.push_back(rayFrom(origin, normalize(target - origin)));
    }
    // From target, straight on: the origin lies on the surface.
    void startAt(Vec3 origin, Vec3 direction) { m_rays.push_back(rayFrom(origin, direction)); }
    std::size_t pick(std::size_t count) { return std::uniform_int_distribution<std::size_t>(0, count - 1)(m_random); }

    std::vector<Ray> m_rays;

private:
    std::mt19937 m_random;
};

void addTriangleRays(RayMaker& maker, const TriangleCorners& c)
{
    const Vec3 corners[3] = {c.p0, c.p1, c.p2};
    const Vec3 normal = cross(c.p1 - c.p0, c.p2 - c.p0);
    const float normalSize = length(normal);
    const Vec3 unitNormal = normalSize > 0.0f ? normal * (1.0f / normalSize) : Vec3{0.0f, 1.0f, 0.0f};
    for (int k = 0; k < 3; ++k) {
        const Vec3 a = corners[k];
        const Vec3 b = corners[(k + 1) % 3];
        // At the vertex and at points of the shared edge.
        maker.aimAt(a);
        maker.aimAt(a * 0.5f + b * 0.5f);
        maker.aimAt(a + (b - a) * 0.25f);
        // Along the edge, in the planes of both faces that share it: along an axis-parallel edge
        // det is exactly 0 for each, along a slanted one it is rounding noise, and so is where
        // the brute-force test strikes.
        const Vec3 along = b - a;
        if (dot(along, along) > 0.0f) {
            const Vec3 edgeDirection = normalize(along);
            maker.startAt(a, edgeDirection);
            maker.startAt(a - edgeDirection * 5.0f, edgeDirection);
            maker.startAt(b + edgeDirection * 3.0f, -edgeDirection);
        }
        // From the vertex into the room, with the origin on the surface.
        maker.startAt(a, maker.unitDirection());
        // Axis-parallel rays through the vertex, which run in axis-aligned faces' planes.
        const Vec3 axes[3] = {{1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}};
        for (const Vec3& axis : axes) {
            maker.startAt(a - axis * 60.0f, axis);
            maker.startAt(a + axis * 60.0f, -axis);
        }
    }
    const Vec3 centre = (c.p0 + c.p1 + c.p2) * (1.0f / 3.0f);
    // In the plane from the centre, and grazing it at shrinking angles from outside.
    const Vec3 inPlane = c.p1 - c.p0;
    if (dot(inPlane, inPlane) > 0.0f) {
        const Vec3 planeDirection = normalize(inPlane);
        for (float tilt : {1e-2f, 1e-3f, 1e-4f, -1e-4f, -1e-3f}) {
            const Vec3 direction = normalize(planeDirection + unitNormal * tilt);
            maker.startAt(centre - direction * 20.0f, direction);
        }
    }
    // From the centre, on the surface, in any direction, and straight through the face.
    maker.startAt(centre, maker.unitDirection());
    maker.startAt(centre + unitNormal * 10.0f, -unitNormal);
    maker.startAt(centre, unitNormal);
}

void addExtremeRays(RayMaker& maker, Vec3 target)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // Huge and tiny coordinates in the origin and in the direction.
    for (float scale : {1e3f, 1e6f, 1e12f, 1e30f, 3e38f}) {
        const Vec3 origin = target + Vec3{scale, scale * 0.5f, -scale * 0.25f};
        maker.startAt(origin, normalize(target - origin));
        maker.startAt(Vec3{target.x, target.y, scale}, {0.0f, 0.0f, -1.0f});
    }
    for (float tiny : {1e-20f, 1e-38f, 1e-45f}) {
        maker.startAt({tiny, -tiny, tiny}, maker.unitDirection());
        maker.startAt(target + Vec3{0.0f, 0.0f, 30.0f}, {tiny, 0.0f, -1.0f});
        maker.startAt(target + Vec3{0.0f, 0.0f, 30.0f}, {tiny, tiny, -tiny});
    }
    const Vec3 direction = maker.unitDirection();
    maker.startAt(target, direction * 1e-12f);
    maker.startAt(target, direction * 1e12f);
    // Non-finite components.
    maker.startAt({nan, 0.0f, 0.0f}, direction);
    maker.startAt({0.0f, inf, 0.0f}, direction);
    maker.startAt({0.0f, 0.0f, 0.0f}, {nan, 0.0f, -1.0f});
    maker.startAt({0.0f, 0.0f, 30.0f}, {0.0f, -inf, 0.0f});
    maker.startAt({0.0f, 0.0f, 30.0f}, {0.0f, 0.0f, 0.0f});
}

}  // namespace

std::vector<TriangleCorners> worldTriangles(const Scene& scene)
{
    std::vector<TriangleCorners> triangles;
    if (scene.hasModelMesh()) {
        const LMesh& mesh = scene.modelMesh();
        for (std::size_t face = 0; face < mesh.m_faceIndices.size(); ++face) {
            const TriangleCorners c = meshTriangleCorners(mesh, face);
            triangles.push_back({c.p0 + scene.m_modelPos, c.p1 + scene.m_modelPos, c.p2 + scene.m_modelPos});
        }
    }
    return triangles;
}

bool sameRecord(const HitRecord& a, const HitRecord& b)
{
    return std::bit_cast<std::uint32_t>(a.t) == std::bit_cast<std::uint32_t>(b.t) && a.kind == b.kind &&
           a.index == b.index;
}

bool liesInModelFacePlane(const Renderer& renderer, const Ray& ray)
{
    const Scene& scene = *renderer.m_scene;
    return scene.hasModelMesh() && liesInAFacePlane(scene.modelMesh(), ray.origin - scene.m_modelPos, ray.direction);
}

bool standsForNearestHit(const Renderer& renderer, const Ray& ray, const HitRecord& nearest, const HitRecord& hit)
{
    if (nearest.kind != Model) {
        return sameRecord(nearest, hit);
    }
    const Scene& scene = *renderer.m_scene;
    if (hit.kind != Model || hit.index >= scene.modelMesh().m_faceIndices.size()) {
        return false;
    }
    float t = 0.0f;
    const bool struck = strikeTriangle(meshTriangleCorners(scene.modelMesh(), hit.index), ray.origin - scene.m_modelPos,
                                       ray.direction, t);
    const HitRecord room = withRoomSurfaces(scene, ray, HitRecord{});
    return struck && std::bit_cast<std::uint32_t>(t) == std::bit_cast<std::uint32_t>(hit.t) &&
           (room.kind == None || hit.t <= room.t);
}

std::string searchDisagreement(const Renderer& renderer, const std::vector<Ray>& rays)
{
    std::size_t differing = 0;
    std::string first;
    const auto countDifference = [&](const Ray& ray, const HitRecord& expected, const HitRecord& actual,
                                     std::string search) {
        if (differing++ == 0) {
            std::ostringstream text;
            text << " first for origin (" << ray.origin.x << ", " << ray.origin.y << ", " << ray.origin.z
                 << "), direction (" << ray.direction.x << ", " << ray.direction.y << ", " << ray.direction.z
                 << "): brute force " << describe(expected) << ", " << search << " " << describe(actual);
            first = text.str();
        }
    };
    const std::vector<SearchPath> paths = runningSearchPaths();
    std::vector<HitRecord> expected;
    for (const Ray& ray : rays) {
        expected.push_back(renderer.bruteForceNearestHit(ray));
    }
    for (std::size_t i = 0; i < rays.size(); ++i) {
        const Ray& ray = rays[i];
        // Each ray is also searched in a pair with the next, so that it goes once first and once
        // second.
        const std::size_t partner = (i + 1) % rays.size();
        for (SearchPath path : paths) {
            const std::string onPath = std::string(" on the ") + searchPathName(path) + " path";
            const HitRecord actual = renderer.acceleratedNearestHit(ray, path);
            if (!sameRecord(expected[i], actual)) {
                countDifference(ray, expected[i], actual, "accelerated" + onPath);
            }
            const HitRecord atLimit = renderer.acceleratedHitAtDepthLimit(ray, path);
            if (!standsForNearestHit(renderer, ray, expected[i], atLimit)) {
                countDifference(ray, expected[i], atLimit, "at the depth limit" + onPath);
            }
            HitRecord first;
            HitRecord second;
            renderer.acceleratedNearestHitPair(ray, rays[partner], path, first, second);
            if (!sameRecord(expected[i], first)) {
                countDifference(ray, expected[i], first, "paired, first," + onPath);
            }
            if (!sameRecord(expected[partner], second)) {
                countDifference(rays[partner], expected[partner], second, "paired, second," + onPath);
            }
        }
    }
    return differing == 0
               ? ""
               : std::to_string(differing) + " records differ over " + std::to_string(rays.size()) + " rays," + first;
}

std::vector<Ray> hardRays(const Scene& scene, std::uint32_t seed, std::size_t faceBudget)
{
    RayMaker maker(seed);
    const std::vector<TriangleCorners> model = worldTriangles(scene);
    const std::size_t stride = std::max<std::size_t>(1, model.size() / std::max<std::size_t>(faceBudget, 1));
    for (std::size_t face = maker.pick(stride); face < model.size(); face += stride) {
        addTriangleRays(maker, model[face]);
    }
    for (const TriangleList* list : {&scene.m_mirror, &scene.m_backWall, &scene.m_floor, &scene.m_ceiling,
                                     &scene.m_leftWall, &scene.m_rightWall}) {
        for (std::size_t i = 0; i < list->triangles.size(); ++i) {
            addTriangleRays(maker, listTriangleCorners(*list, i));
        }
    }
    addExtremeRays(maker, model.empty() ? Vec3{0.0f, -30.0f, 0.0f} : model.front().p0);
    // And plain rays from anywhere in the room.
    for (int i = 0; i < 2000; ++i) {
        maker.startAt(maker.roomPoint(), maker.unitDirection());
    }
    return maker.m_rays;
}
