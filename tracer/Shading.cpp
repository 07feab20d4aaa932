#include "tracer/BrightRayPass.h"
#include "tracer/ColourRange.h"
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

constexpr Vec3 kWhite{1.0f, 1.0f, 1.0f};

// How trace and shade walk a pixel's tree of rays (Renderer::traceAlong): what they tell of each
// ray they search, which secondary rays they follow, which hits they know already, and what
// colour they give.

// Every ray, each appended to recorded where that is given.
struct EveryRay {
    using Colour = Vec3;
    static constexpr bool kLeavesOutDimRays = false;
    std::vector<Ray>* recorded = nullptr;

    void visit(const Ray& ray) const
    {
        if (recorded != nullptr) {
            recorded->push_back(ray);
        }
    }
    bool follows(float) const { return true; }
    EveryRay through(float) const { return *this; }
    bool knownHit(HitRecord&) const { return false; }
    void found(const HitRecord&) const {}
};

// The rays that carry at least the pass's dimShare of the camera ray's colour (BrightRayPass.h).
// A secondary ray carries its parent's share times its weight (R or T); through the mirror it
// keeps the whole share. A ray left out may bring any colour from black to white, so the colours
// are ranges.
struct BrightRays {
    using Colour = ColourRange;
    static constexpr bool kLeavesOutDimRays = true;
    float share;  // of the ray this walk is at
    BrightRayPass* pass;

    void visit(const Ray&) const {}
    bool follows(float weight) const { return share * weight >= pass->dimShare; }
    BrightRays through(float weight) const { return {share * weight, pass}; }
    // The ray's hit, where the earlier pass searched it.
    bool knownHit(HitRecord& hit) const
    {
        if (share < pass->earlierDimShare) {
            return false;
        }
        hit = (*pass->earlierHits)[pass->nextEarlierHit++];
        return true;
    }
    void found(const HitRecord& hit) const
    {
        if (pass->hits != nullptr) {
            pass->hits->push_back(hit);
        }
    }
};

// The body tints towards blue: red and green are halved.
Vec3 tinted(Vec3 reflected, Vec3 transmitted, float R, float T)
{
    return {0.5f * (reflected.x * R + transmitted.x * T), 0.5f * (reflected.y * R + transmitted.y * T),
            reflected.z * R + transmitted.z * T};
}

// Every operation of the tint grows with each child's colour (R and T of a child traced or left
// untraced are above kMinimumWeight), so the children's low ends give the low end, and their high
// ends the high end.
ColourRange tinted(const ColourRange& reflected, const ColourRange& transmitted, float R, float T)
{
    return {tinted(reflected.low, transmitted.low, R, T), tinted(reflected.high, transmitted.high, R, T)};
}

}  // namespace

Vec3 Renderer::trace(Ray ray, std::uint32_t depth) const { return traceAlong(ray, depth, EveryRay{}); }

Vec3 Renderer::shade(const Ray& ray, const HitRecord& hit, std::uint32_t depth) const
{
    return shadeAlong(ray, hit, depth, EveryRay{});
}

Vec3 Renderer::traceRecordingRays(Ray ray, std::uint32_t depth, std::vector<Ray>& rays) const
{
    return traceAlong(ray, depth, EveryRay{&rays});
}

ColourRange Renderer::traceBrightRays(const Ray& ray, BrightRayPass& pass) const
{
    return traceAlong(ray, 0, BrightRays{1.0f, &pass});
}

template <typename Path>
typename Path::Colour Renderer::traceAlong(const Ray& ray, std::uint32_t depth, Path path) const
{
    path.visit(ray);
    HitRecord hit;
    if (!path.knownHit(hit)) {
        // At the depth limit the model shows black wherever it is struck first, so the search may
        // stop at any model face that comes before the room.
        if (depth >= max_depth_) {
            hitAtDepthLimit(ray, hit);
        } else {
            nearestHit(ray, hit);
        }
    }
    path.found(hit);
    return shadeAlong(ray, hit, depth, path);
}

template <typename Path>
typename Path::Colour Renderer::shadeAlong(const Ray& ray, const HitRecord& hit, std::uint32_t depth, Path path) const
{
    using Colour = typename Path::Colour;
    const float distance = ray.distance + hit.t;
    if (min_energy_ > 1.0f / (distance * distance)) {
        return Colour(kBlack);
    }

    if (hit.kind == Mirror) {
        if (depth >= max_depth_) {
            return Colour(kBlack);
        }
        const FacingHit facing = facingHit(ray, hit.t, m_faceNormals.mirror[hit.index]);
        // An ideal mirror: the reflection arrives without loss.
        return traceAlong(reflectedRay(ray, facing, distance), depth + 1, path);
    }

    if (hit.kind == Model) {
        if (depth >= max_depth_) {
            return Colour(kBlack);
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
        const bool followsReflected = reflects && path.follows(R);
        const bool followsTransmitted = transmits && path.follows(T);
        Colour reflected(kBlack);
        Colour transmitted(kBlack);
        if constexpr (Path::kLeavesOutDimRays) {
            // A ray left out may bring any colour from black to white.
            if (reflects && !followsReflected) {
                reflected = Colour(kBlack, kWhite);
            }
            if (transmits && !followsTransmitted) {
                transmitted = Colour(kBlack, kWhite);
            }
        }
        if (followsReflected && followsTransmitted && depth + 1 < max_depth_) {
            // Both rays need their nearest hits, which one search finds side by side faster than
            // two in turn; then each is shaded, in the order traced.
            const Ray reflectedChild = reflectedRay(ray, facing, distance);
            const Ray transmittedChild = transmittedRay(ray, facing, split.sinTransmitted, distance);
            const Path reflectedPath = path.through(R);
            const Path transmittedPath = path.through(T);
            HitRecord reflectedHit;
            HitRecord transmittedHit;
            const bool reflectedKnown = reflectedPath.knownHit(reflectedHit);
            const bool transmittedKnown = transmittedPath.knownHit(transmittedHit);
            if (!reflectedKnown && !transmittedKnown) {
                nearestHitPair(reflectedChild, transmittedChild, reflectedHit, transmittedHit);
            } else if (!reflectedKnown) {
                nearestHit(reflectedChild, reflectedHit);
            } else if (!transmittedKnown) {
                nearestHit(transmittedChild, transmittedHit);
            }
            reflectedPath.found(reflectedHit);
            transmittedPath.found(transmittedHit);
            path.visit(reflectedChild);
            reflected = shadeAlong(reflectedChild, reflectedHit, depth + 1, reflectedPath);
            path.visit(transmittedChild);
            transmitted = shadeAlong(transmittedChild, transmittedHit, depth + 1, transmittedPath);
        } else {
            if (followsReflected) {
                reflected = traceAlong(reflectedRay(ray, facing, distance), depth + 1, path.through(R));
            }
            if (followsTransmitted) {
                transmitted =
                    traceAlong(transmittedRay(ray, facing, split.sinTransmitted, distance), depth + 1, path.through(T));
            }
        }
        return tinted(reflected, transmitted, R, T);
    }

    return Colour(roomColour(hit.kind));
}
