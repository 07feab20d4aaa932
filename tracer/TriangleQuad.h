#pragma once

#include "tracer/CullingMargins.h"
#include "tracer/FloatLanes.h"
#include "tracer/TriangleCorners.h"
#include "tracer/TriangleStrike.h"

#include <cmath>
#include <cstdint>
#include <limits>

// Up to four triangles side by side, tested together: corner[axis][lane] is coordinate axis of
// the triangle's first corner p0 and edge[0] (edge[1]) holds p1 - p0 (p2 - p0), all as the
// brute-force search reads and computes them. An unused lane is NaN throughout, which never
// strikes, and has face kNoFace.
struct alignas(16) TriangleQuad {
    float corner[3][4];
    float edge[2][3][4];
    // kNearParallelShare times the product of the edges' sizes (sums of |components|): a ray
    // whose det is no larger, times the size of its direction, runs nearly in the plane.
    float parallelLimit[4];
    std::uint32_t face[4];

    static constexpr std::uint32_t kNoFace = 0xFFFFFFFFu;
};

inline TriangleQuad emptyQuad()
{
    TriangleQuad quad;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (auto& axis : quad.corner) {
        for (float& value : axis) {
            value = nan;
        }
    }
    for (auto& edge : quad.edge) {
        for (auto& axis : edge) {
            for (float& value : axis) {
                value = nan;
            }
        }
    }
    for (float& limit : quad.parallelLimit) {
        limit = nan;
    }
    for (std::uint32_t& face : quad.face) {
        face = TriangleQuad::kNoFace;
    }
    return quad;
}

inline void setLane(TriangleQuad& quad, unsigned lane, const TriangleCorners& corners, std::uint32_t face)
{
    const StrikePoint<float> p0 = strikePoint(corners.p0);
    const StrikePoint<float> values[3] = {p0, strikePoint(corners.p1) - p0, strikePoint(corners.p2) - p0};
    float(*const destinations[3])[4] = {quad.corner, quad.edge[0], quad.edge[1]};
    for (int k = 0; k < 3; ++k) {
        destinations[k][0][lane] = values[k].x;
        destinations[k][1][lane] = values[k].y;
        destinations[k][2][lane] = values[k].z;
    }
    const auto size = [](StrikePoint<float> v) { return std::fabs(v.x) + std::fabs(v.y) + std::fabs(v.z); };
    quad.parallelLimit[lane] = kNearParallelShare * (size(values[1]) * size(values[2]));
    quad.face[lane] = face;
}

// A ray's origin and direction in every lane.
struct QuadRay {
    StrikePoint<FloatLanes> origin;
    StrikePoint<FloatLanes> direction;
    FloatLanes directionSize;  // the sum of the direction's |components|

    QuadRay(Vec3 o, Vec3 d)
        : origin{FloatLanes(o.x), FloatLanes(o.y), FloatLanes(o.z)},
          direction{FloatLanes(d.x), FloatLanes(d.y), FloatLanes(d.z)},
          directionSize(std::fabs(d.x) + std::fabs(d.y) + std::fabs(d.z))
    {
    }
};

// strikeTriangles on the four lanes: bit i set when lane i is struck, its distance in t[i].
// nearParallel gets bit i set when the ray runs nearly in lane i's plane (see ModelBvh.h).
inline unsigned strikeQuad(const TriangleQuad& quad, const QuadRay& ray, float* t, unsigned& nearParallel)
{
    auto lanes = [](const float(&point)[3][4]) {
        return StrikePoint<FloatLanes>{FloatLanes::load(point[0]), FloatLanes::load(point[1]),
                                       FloatLanes::load(point[2])};
    };
    FloatLanes hitT;
    FloatLanes det;
    const unsigned struck = laneBits(strikeTrianglesByEdges(lanes(quad.corner), lanes(quad.edge[0]),
                                                            lanes(quad.edge[1]), ray.origin, ray.direction, hitT, det));
    const FloatLanes limit = FloatLanes::load(quad.parallelLimit) * ray.directionSize;
    nearParallel = laneBits(both(det <= limit, FloatLanes(0.0f) - det <= limit));
    if (struck != 0) {
        hitT.store(t);
    }
    return struck;
}
