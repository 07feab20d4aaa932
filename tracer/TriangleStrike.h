#pragma once

#include "maths/Vec3.h"
#include "tracer/FloatLanes.h"
#include "tracer/TriangleCorners.h"

#include <type_traits>

// Moller-Trumbore with true divisions by det and no epsilon: both faces count, and hits on an
// edge, a corner or at t = 0 are accepted. Every search of the tracer uses this one test, so
// they all strike exactly the same triangles at exactly the same distances.
//
// Each condition is written so that it holds only for a real number in range: a ray parallel
// to the triangle's plane (det = 0) gives infinite or NaN quotients, and a NaN must fail, or
// the triangle would be struck at t = NaN wherever it lies and hide every real surface.
//
// Written once for Real = float (one triangle) and for the lane types (several triangles at
// once): the operations and their order are the same, so every lane gives the float test's bits.

template <typename Real>
struct StrikePoint {
    Real x;
    Real y;
    Real z;
};

template <typename Real>
StrikePoint<Real> operator-(StrikePoint<Real> a, StrikePoint<Real> b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

// In the order of Vec3's dot and cross.
template <typename Real>
Real dot(StrikePoint<Real> a, StrikePoint<Real> b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
template <typename Real>
StrikePoint<Real> cross(StrikePoint<Real> a, StrikePoint<Real> b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

template <typename Real>
constexpr bool kEarlyExit = std::is_same_v<Real, float>;

// Whether the ray strikes the triangle with corner p0 and edges e1 = p1 - p0, e2 = p2 - p0 (per
// lane for the lane types), and where in t. t is only meaningful where the result is true; det is
// always set, for a caller that needs to know how nearly parallel the ray runs to the triangle.
// The edges may be computed ahead: the subtraction gives the same bits whenever it is done.
// Always inlined: built for AVX-512, GCC kept it a call that passes the lanes through the stack.
template <typename Real>
[[gnu::always_inline]] inline auto strikeTrianglesByEdges(StrikePoint<Real> p0, StrikePoint<Real> e1,
                                                          StrikePoint<Real> e2, StrikePoint<Real> origin,
                                                          StrikePoint<Real> direction, Real& t, Real& det)
{
    const Real zero(0.0f);
    const Real one(1.0f);
    const StrikePoint<Real> s = origin - p0;
    const StrikePoint<Real> P = cross(direction, e2);
    det = dot(P, e1);
    const Real u = dot(P, s) / det;
    auto struck = u >= zero;
    if constexpr (kEarlyExit<Real>) {
        if (!struck) {
            return struck;
        }
    }
    const StrikePoint<Real> Q = cross(s, e1);
    const Real v = dot(Q, direction) / det;
    struck = both(struck, both(v >= zero, u + v <= one));
    if constexpr (kEarlyExit<Real>) {
        if (!struck) {
            return struck;
        }
    }
    t = dot(Q, e2) / det;
    return both(struck, t >= zero);
}

// The same for the triangle p0, p1, p2.
template <typename Real>
auto strikeTriangles(StrikePoint<Real> p0, StrikePoint<Real> p1, StrikePoint<Real> p2, StrikePoint<Real> origin,
                     StrikePoint<Real> direction, Real& t)
{
    Real det;
    return strikeTrianglesByEdges(p0, p1 - p0, p2 - p0, origin, direction, t, det);
}

inline StrikePoint<float> strikePoint(Vec3 v) { return {v.x, v.y, v.z}; }

inline bool strikeTriangle(const TriangleCorners& corners, Vec3 origin, Vec3 direction, float& t)
{
    return strikeTriangles(strikePoint(corners.p0), strikePoint(corners.p1), strikePoint(corners.p2),
                           strikePoint(origin), strikePoint(direction), t);
}
