#pragma once

#include "tracer/CullingMargins.h"
#include "tracer/PackWidth.h"
#include "tracer/TriangleCorners.h"
#include "tracer/TriangleStrike.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

// Up to Width triangles side by side, tested together: corner[axis][lane] is coordinate axis of
// the triangle's first corner p0 and edge[0] (edge[1]) holds p1 - p0 (p2 - p0), all as the
// brute-force search reads and computes them. An unused lane is NaN throughout, which never
// strikes, and has face kNoFace. Aligned for the register of Width floats that loads them.
template <std::size_t Width>
struct alignas(Width * sizeof(float)) TrianglePackOf {
    float corner[3][Width];
    float edge[2][3][Width];
    // kNearParallelShare times the product of the edges' sizes (sums of |components|): a ray
    // whose det is no larger, times the size of its direction, may run nearly in the plane (the
    // product is at least the rounding measure, CullingMargins.h).
    float parallelLimit[Width];
    std::uint32_t face[Width];

    static constexpr std::uint32_t kNoFace = 0xFFFFFFFFu;
};

template <std::size_t Width>
TrianglePackOf<Width> emptyPack()
{
    TrianglePackOf<Width> pack;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (auto& axis : pack.corner) {
        for (float& value : axis) {
            value = nan;
        }
    }
    for (auto& edge : pack.edge) {
        for (auto& axis : edge) {
            for (float& value : axis) {
                value = nan;
            }
        }
    }
    for (float& limit : pack.parallelLimit) {
        limit = nan;
    }
    for (std::uint32_t& face : pack.face) {
        face = TrianglePackOf<Width>::kNoFace;
    }
    return pack;
}

template <std::size_t Width>
void setLane(TrianglePackOf<Width>& pack, unsigned lane, const TriangleCorners& corners, std::uint32_t face)
{
    const StrikePoint<float> p0 = strikePoint(corners.p0);
    const StrikePoint<float> values[3] = {p0, strikePoint(corners.p1) - p0, strikePoint(corners.p2) - p0};
    float(*const destinations[3])[Width] = {pack.corner, pack.edge[0], pack.edge[1]};
    for (int k = 0; k < 3; ++k) {
        destinations[k][0][lane] = values[k].x;
        destinations[k][1][lane] = values[k].y;
        destinations[k][2][lane] = values[k].z;
    }
    const auto size = [](StrikePoint<float> v) { return std::fabs(v.x) + std::fabs(v.y) + std::fabs(v.z); };
    pack.parallelLimit[lane] = kNearParallelShare * (size(values[1]) * size(values[2]));
    pack.face[lane] = face;
}

// Puts the triangle in the next lane of packs, which hold `filled` lanes so far, starting a new
// pack whenever the last one is full.
template <std::size_t Width>
void appendLane(std::vector<TrianglePackOf<Width>>& packs, std::size_t filled, const TriangleCorners& corners,
                std::uint32_t face)
{
    if (filled % Width == 0) {
        packs.push_back(emptyPack<Width>());
    }
    setLane(packs.back(), static_cast<unsigned>(filled % Width), corners, face);
}

// A ray's origin and direction in every lane of Lanes.
template <typename Lanes>
struct PackRay {
    StrikePoint<Lanes> origin;
    StrikePoint<Lanes> direction;
    Lanes directionSize;  // the sum of the direction's |components|

    PackRay(Vec3 o, Vec3 d)
        : origin{Lanes(o.x), Lanes(o.y), Lanes(o.z)},
          direction{Lanes(d.x), Lanes(d.y), Lanes(d.z)},
          directionSize(std::fabs(d.x) + std::fabs(d.y) + std::fabs(d.z))
    {
    }
};

// One corner or edge of every triangle of a pack, as lanes.
template <typename Lanes>
StrikePoint<Lanes> packLanes(const float (&point)[3][Lanes::kCount])
{
    return {Lanes::load(point[0]), Lanes::load(point[1]), Lanes::load(point[2])};
}

// Bit i set when the ray may run nearly in lane i's plane (see NearParallelFaces.h): det, as the
// triangle test computes it, no larger than the lane's parallelLimit times the size of the
// direction.
template <typename Lanes>
unsigned nearParallelLanes(const TrianglePackOf<Lanes::kCount>& pack, const PackRay<Lanes>& ray, Lanes det)
{
    const Lanes limit = Lanes::load(pack.parallelLimit) * ray.directionSize;
    return laneBits(both(det <= limit, Lanes(0.0f) - det <= limit));
}

// det alone, as the triangle test computes it.
template <typename Lanes>
Lanes packDet(const TrianglePackOf<Lanes::kCount>& pack, const PackRay<Lanes>& ray)
{
    return dot(cross(ray.direction, packLanes<Lanes>(pack.edge[1])), packLanes<Lanes>(pack.edge[0]));
}

// nearParallelLanes for a ray that is not tested against the pack.
template <typename Lanes>
unsigned runsNearlyInPlanes(const TrianglePackOf<Lanes::kCount>& pack, const PackRay<Lanes>& ray)
{
    return nearParallelLanes(pack, ray, packDet(pack, ray));
}

// strikeTriangles on every lane: bit i set when lane i is struck, its distance in t[i] (t is
// aligned for Lanes::store). Always inlined, as are the two below: the compilers leave it a call,
// which measured about 4 % slower on the default scene's rays.
template <typename Lanes>
[[gnu::always_inline]] inline unsigned strikePackWithDet(const TrianglePackOf<Lanes::kCount>& pack,
                                                         const PackRay<Lanes>& ray, float* t, Lanes& det)
{
    Lanes hitT;
    const unsigned struck =
        laneBits(strikeTrianglesByEdges(packLanes<Lanes>(pack.corner), packLanes<Lanes>(pack.edge[0]),
                                        packLanes<Lanes>(pack.edge[1]), ray.origin, ray.direction, hitT, det));
    if (struck != 0) {
        hitT.store(t);
    }
    return struck;
}

template <typename Lanes>
[[gnu::always_inline]] inline unsigned strikePack(const TrianglePackOf<Lanes::kCount>& pack, const PackRay<Lanes>& ray,
                                                  float* t)
{
    Lanes det;
    return strikePackWithDet(pack, ray, t, det);
}

// The same, with nearParallel set to nearParallelLanes.
template <typename Lanes>
[[gnu::always_inline]] inline unsigned strikePack(const TrianglePackOf<Lanes::kCount>& pack, const PackRay<Lanes>& ray,
                                                  float* t, unsigned& nearParallel)
{
    Lanes det;
    const unsigned struck = strikePackWithDet(pack, ray, t, det);
    nearParallel = nearParallelLanes(pack, ray, det);
    return struck;
}
