#pragma once

#include "maths/Vec3.h"
#include "tracer/TriangleCorners.h"

// Moller-Trumbore with true divisions by det and no epsilon: both faces count, and hits on an
// edge, a corner or at t = 0 are accepted. Every search of the tracer uses this one test, so
// they all strike exactly the same triangles at exactly the same distances.
//
// Each condition is written so that it holds only for a real number in range: a ray parallel
// to the triangle's plane (det = 0) gives infinite or NaN quotients, and a NaN must fail, or
// the triangle would be struck at t = NaN wherever it lies and hide every real surface.
inline bool strikeTriangle(const TriangleCorners& corners, Vec3 origin, Vec3 direction, float& t)
{
    const Vec3 e1 = corners.p1 - corners.p0;
    const Vec3 e2 = corners.p2 - corners.p0;
    const Vec3 s = origin - corners.p0;
    const Vec3 P = cross(direction, e2);
    const float det = dot(P, e1);
    const float u = dot(P, s) / det;
    if (!(u >= 0.0f)) {
        return false;
    }
    const Vec3 Q = cross(s, e1);
    const float v = dot(Q, direction) / det;
    if (!(v >= 0.0f) || !(u + v <= 1.0f)) {
        return false;
    }
    t = dot(Q, e2) / det;
    return t >= 0.0f;
}
