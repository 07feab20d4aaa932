#include "tracer/FacePlaneRays.h"

#include "tracer/TriangleCorners.h"

#include <cmath>
#include <cstddef>

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

}  // namespace

bool liesInAFacePlane(const LMesh& mesh, Vec3 origin, Vec3 direction)
{
    const Double3 o = widen(origin);
    const Double3 d = widen(direction);
    const double directionSize = size(d);
    if (!(directionSize > 0.0)) {
        return false;
    }
    for (std::size_t face = 0; face < mesh.m_faceIndices.size(); ++face) {
        const TriangleCorners corners = meshTriangleCorners(mesh, face);
        const Double3 p0 = widen(corners.p0);
        const Double3 normal = cross(widen(corners.p1) - p0, widen(corners.p2) - p0);
        const double normalSize = size(normal);
        if (!(normalSize > 0.0)) {
            continue;
        }
        const Double3 toOrigin = o - p0;
        const double along = std::fabs(dot(d, normal)) / (directionSize * normalSize);
        const double off = std::fabs(dot(toOrigin, normal)) / normalSize;
        if (along <= kTolerance && off <= kTolerance * (1.0 + size(toOrigin) + size(p0))) {
            return true;
        }
    }
    return false;
}
