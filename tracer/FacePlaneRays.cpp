#include "tracer/FacePlaneRays.h"

#include "tracer/TriangleCorners.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>

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
        const std::optional<FacePlane> plane = facePlane(mesh, face);
        if (plane && std::fabs(dot(d, plane->normal)) / (directionSize * plane->normalSize) <= kTolerance &&
            passesThrough(*plane, o)) {
            return true;
        }
    }
    return false;
}

template <std::size_t Width>
std::vector<TrianglePackOf<Width>> facesInPlanesThrough(const LMesh& mesh, Vec3 point)
{
    const Double3 p = widen(point);
    std::vector<TrianglePackOf<Width>> packs;
    std::size_t count = 0;
    for (std::size_t face = 0; face < mesh.m_faceIndices.size(); ++face) {
        const std::optional<FacePlane> plane = facePlane(mesh, face);
        if (plane && passesThrough(*plane, p)) {
            appendLane(packs, count++, meshTriangleCorners(mesh, face), static_cast<std::uint32_t>(face));
        }
    }
    return packs;
}

template std::vector<TrianglePackOf<kPackWidth>> facesInPlanesThrough(const LMesh& mesh, Vec3 point);
template std::vector<TrianglePackOf<kWidePackWidth>> facesInPlanesThrough(const LMesh& mesh, Vec3 point);
