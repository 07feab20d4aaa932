#pragma once

#include "tracer/FloatLanes.h"
#include "tracer/TriangleCorners.h"
#include "tracer/TriangleStrike.h"

#include <cstdint>
#include <limits>

// Up to four triangles side by side, tested together: corner[k][axis][lane] is coordinate axis
// of corner k, exactly as the brute-force search reads it. An unused lane has NaN corners,
// which never strike, and face kNoFace.
struct alignas(16) TriangleQuad {
    float corner[3][3][4];
    std::uint32_t face[4];

    static constexpr std::uint32_t kNoFace = 0xFFFFFFFFu;
};

inline TriangleQuad emptyQuad()
{
    TriangleQuad quad;
    for (auto& corner : quad.corner) {
        for (auto& axis : corner) {
            for (float& value : axis) {
                value = std::numeric_limits<float>::quiet_NaN();
            }
        }
    }
    for (std::uint32_t& face : quad.face) {
        face = TriangleQuad::kNoFace;
    }
    return quad;
}

inline void setLane(TriangleQuad& quad, unsigned lane, const TriangleCorners& corners, std::uint32_t face)
{
    const Vec3 points[3] = {corners.p0, corners.p1, corners.p2};
    for (int k = 0; k < 3; ++k) {
        quad.corner[k][0][lane] = points[k].x;
        quad.corner[k][1][lane] = points[k].y;
        quad.corner[k][2][lane] = points[k].z;
    }
    quad.face[lane] = face;
}

// A ray's origin and direction in every lane.
struct QuadRay {
    StrikePoint<FloatLanes> origin;
    StrikePoint<FloatLanes> direction;

    QuadRay(Vec3 o, Vec3 d)
        : origin{FloatLanes(o.x), FloatLanes(o.y), FloatLanes(o.z)},
          direction{FloatLanes(d.x), FloatLanes(d.y), FloatLanes(d.z)}
    {
    }
};

// strikeTriangles on the four lanes: bit i set when lane i is struck, its distance in t[i].
inline unsigned strikeQuad(const TriangleQuad& quad, const QuadRay& ray, float* t)
{
    auto corner = [&quad](int k) {
        return StrikePoint<FloatLanes>{FloatLanes::load(quad.corner[k][0]), FloatLanes::load(quad.corner[k][1]),
                                       FloatLanes::load(quad.corner[k][2])};
    };
    FloatLanes hitT;
    const unsigned struck = laneBits(strikeTriangles(corner(0), corner(1), corner(2), ray.origin, ray.direction, hitT));
    if (struck != 0) {
        hitT.store(t);
    }
    return struck;
}
