#include "tracer/Fresnel.h"
#include "tracer/Renderer.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace {

constexpr Vec3 kBlack{0.0f, 0.0f, 0.0f};
// Secondary rays start this far off the surface, so they do not strike it again at t = 0.
constexpr float kSurfaceOffset = 0.001f;
// A reflected or transmitted ray is traced only when its weight exceeds this.
constexpr float kMinimumWeight = 1e-7f;

// The colours of the room's plain surfaces; black for nothing and for any other kind.
constexpr Vec3 roomColourOf(std::int32_t kind)
{
    switch (kind) {
        case Floor:
        case Ceiling:
            return {1.0f, 1.0f, 1.0f};
        case LeftWall:
            return {1.0f, 0.0f, 0.0f};
        case RightWall:
            return {0.0f, 1.0f, 0.0f};
        case BackWall:
            return {1.0f, 1.0f, 0.0f};
        default:
            return kBlack;
    }
}

// Read from a table: from the switch, GCC built the colour in three stores and read it back in
// one wider load, which has to wait until the stores have reached the cache.
constexpr std::array<Vec3, BackWall + 1> kRoomColours = [] {
    std::array<Vec3, BackWall + 1> colours{};
    for (std::int32_t kind = 0; kind <= BackWall; ++kind) {
        colours[static_cast<std::size_t>(kind)] = roomColourOf(kind);
    }
    return colours;
}();

Vec3 roomColour(std::int32_t kind)
{
    const auto slot = static_cast<std::uint32_t>(kind);
    return slot < kRoomColours.size() ? kRoomColours[slot] : kBlack;
}

// Where a ray meets a surface, with the surface normal turned to face the ray.
struct FacingHit {
    Vec3 point;
    Vec3 normal;
    float cosIncidence;  // dot(-direction, normal), never negative
};

FacingHit facingHit(const Ray& ray, float t, Vec3 normal)
{
    const Vec3 point = ray.origin + ray.direction * t;
    float c = dot(-ray.direction, normal);
    if (c < 0.0f) {
        normal = -normal;
        c = -c;
    }
    return {point, normal, c};
}

Ray reflectedRay(const Ray& ray, const FacingHit& hit, float distance)
{
    return {hit.point + hit.normal * kSurfaceOffset, ray.direction + hit.normal * (2.0f * hit.cosIncidence), ray.inside,
            distance};
}

// The refracted direction: the unit tangential part of the incoming direction times sinT, bent
// towards the inward normal by cosT. Always inlined: GCC left it a call, and the shading's values
// went to the stack and back around it (about 1 % of the render).
[[gnu::always_inline]] inline Vec3 transmittedDirection(Vec3 direction, const FacingHit& hit, float sinT)
{
    const Vec3 n = hit.normal;
    const float cosT = squareRoot(1.0f - sinT * sinT);
    const Vec3 tangential = n * hit.cosIncidence + direction;
    const float tangentialLength = length(tangential);
    // Head on, the tangential part vanishes and has no direction: the ray goes straight on.
    if (tangentialLength == 0.0f) {
        return -n;
    }
    const Vec3 unitTangential = tangential * (1.0f / tangentialLength);  // normalize, reusing the length
    return unitTangential * sinT - n * cosT;
}

// The refracted ray: it starts just inside the surface it crosses.
Ray transmittedRay(const Ray& ray, const FacingHit& hit, float sinT, float distance)
{
    return {hit.point - hit.normal * kSurfaceOffset, transmittedDirection(ray.direction, hit, sinT), !ray.inside,
            distance};
}

}  // namespace

namespace {

// trace and shade as the programs run them: nothing to tell.
struct IgnoreRays {
    void operator()(const Ray&) const {}
};

struct AppendRays {
    std::vector<Ray>& rays;
    void operator()(const Ray& ray) const { rays.push_back(ray); }
};

}  // namespace

Vec3 Renderer::trace(Ray ray, std::uint32_t depth) const
{
    IgnoreRays ignore;
    return traceVisiting(ray, depth, ignore);
}

Vec3 Renderer::shade(const Ray& ray, const HitRecord& hit, std::uint32_t depth) const
{
    IgnoreRays ignore;
    return shadeVisiting(ray, hit, depth, ignore);
}

Vec3 Renderer::traceRecordingRays(Ray ray, std::uint32_t depth, std::vector<Ray>& rays) const
{
    AppendRays append{rays};
    return traceVisiting(ray, depth, append);
}

template <typename RayVisitor>
Vec3 Renderer::traceVisiting(const Ray& ray, std::uint32_t depth, RayVisitor& visitRay) const
{
    visitRay(ray);
    HitRecord hit;
    // At the depth limit the model shows black wherever it is struck first, so the search may stop
    // at any model face that comes before the room.
    if (depth >= max_depth_) {
        hitAtDepthLimit(ray, hit);
    } else {
        nearestHit(ray, hit);
    }
    return shadeVisiting(ray, hit, depth, visitRay);
}

template <typename RayVisitor>
Vec3 Renderer::shadeVisiting(const Ray& ray, const HitRecord& hit, std::uint32_t depth, RayVisitor& visitRay) const
{
    const float distance = ray.distance + hit.t;
    if (min_energy_ > 1.0f / (distance * distance)) {
        return kBlack;
    }

    if (hit.kind == Mirror) {
        if (depth >= max_depth_) {
            return kBlack;
        }
        const FacingHit facing = facingHit(ray, hit.t, m_faceNormals.mirror[hit.index]);
        // An ideal mirror: the reflection arrives without loss.
        return traceVisiting(reflectedRay(ray, facing, distance), depth + 1, visitRay);
    }

    if (hit.kind == Model) {
        if (depth >= max_depth_) {
            return kBlack;
        }
        // Model coordinates give the normal: the placement is a pure translation.
        const FacingHit facing = facingHit(ray, hit.t, m_faceNormals.model[hit.index]);
        const float refractionIndex = m_scene->m_refractionIndex;
        const float eta = ray.inside ? 1.0f / refractionIndex : refractionIndex;
        const SurfaceSplit split = fresnelSplit(facing.cosIncidence, eta);
        const float R = split.reflectance;

        const float T = 1.0f - R;
        const bool reflects = R > kMinimumWeight;
        const bool transmits = T > kMinimumWeight;
        Vec3 reflected = kBlack;
        Vec3 transmitted = kBlack;
        if (reflects && transmits && depth + 1 < max_depth_) {
            // Both rays need their nearest hits, which one search finds side by side faster than
            // two in turn; then each is shaded, in the order traced.
            const Ray reflectedChild = reflectedRay(ray, facing, distance);
            const Ray transmittedChild = transmittedRay(ray, facing, split.sinTransmitted, distance);
            HitRecord reflectedHit;
            HitRecord transmittedHit;
            nearestHitPair(reflectedChild, transmittedChild, reflectedHit, transmittedHit);
            visitRay(reflectedChild);
            reflected = shadeVisiting(reflectedChild, reflectedHit, depth + 1, visitRay);
            visitRay(transmittedChild);
            transmitted = shadeVisiting(transmittedChild, transmittedHit, depth + 1, visitRay);
        } else {
            if (reflects) {
                reflected = traceVisiting(reflectedRay(ray, facing, distance), depth + 1, visitRay);
            }
            if (transmits) {
                transmitted =
                    traceVisiting(transmittedRay(ray, facing, split.sinTransmitted, distance), depth + 1, visitRay);
            }
        }

        // The body tints towards blue: red and green are halved.
        return {0.5f * (reflected.x * R + transmitted.x * T), 0.5f * (reflected.y * R + transmitted.y * T),
                reflected.z * R + transmitted.z * T};
    }

    return roomColour(hit.kind);
}
