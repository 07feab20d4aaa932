#include "tools/crystal/CrystalCluster.h"

#include "tools/crystal/SplitMix64.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr std::uint64_t clusterSeed = 0x5EED0C1A5705E7A1u;
constexpr Vec3d up{0.0, 1.0, 0.0};
constexpr Vec3d clusterCentre{-2.0, 0.0, 0.0};

// Where the crystals may reach, in model coordinates (the floor at y = 0). The room's walls
// are 40 away and its mirror stands in the plane x - z = 20: the limits leave space to both,
// with a margin for the rounding of the written floats.
constexpr double halfWidthLimit = 24.0;
constexpr double heightLimit = 44.5;
constexpr double mirrorSideLimit = 15.5;  // on x - z
// Rays leave a surface 0.001 above it; neighbouring crystals keep far more than that apart.
constexpr double crystalGap = 0.3;
// Height of the foot's ring above the floor. The prism edges must rise from it before the
// tip starts.
constexpr double footHeight = 0.3;
constexpr double lowestTopRingHeight = 1.5;
constexpr int attemptsPerCrystal = 500;

// Crystals of one size class: tall, thick ones in the middle, ever smaller ones outwards.
struct SizeClass {
    int count;
    double minRadius, maxRadius;
    double minLength, maxLength;      // prism and tip together
    double minDistance, maxDistance;  // of the base from the cluster's centre
};

constexpr std::array<SizeClass, 4> sizeClasses{{
    {3, 3.4, 4.2, 36.0, 44.0, 2.0, 6.0},
    {6, 2.6, 3.4, 24.0, 34.0, 5.0, 11.0},
    {14, 1.8, 2.6, 14.0, 24.0, 8.0, 15.0},
    {32, 1.0, 1.8, 6.0, 14.0, 10.0, 20.0},
}};

// Crystals lean outwards the more, the farther out they stand (tangent of the lean per unit).
constexpr double leanPerDistance = 0.04;
constexpr double leanJitter = 0.08;

// Corner k of a regular hexagon: cosine and sine of k times 60 degrees, without trigonometry.
const double halfRootThree = std::sqrt(3.0) * 0.5;
const std::array<double, 6> hexagonCos{1.0, 0.5, -0.5, -1.0, -0.5, 0.5};
const std::array<double, 6> hexagonSin{0.0, halfRootThree, halfRootThree, 0.0, -halfRootThree, -halfRootThree};

Vec3d randomHorizontalDirection(SplitMix64& random)
{
    // Rejection from the square keeps the direction uniform without an angle.
    for (;;) {
        const double x = random.uniform(-1.0, 1.0);
        const double z = random.uniform(-1.0, 1.0);
        const double squared = x * x + z * z;
        if (squared > 0.01 && squared <= 1.0) {
            return normalized({x, 0.0, z});
        }
    }
}

Crystal randomCrystal(SplitMix64& random, const SizeClass& size)
{
    const Vec3d outwards = randomHorizontalDirection(random);
    const Vec3d sideways{-outwards.z, 0.0, outwards.x};
    // The square root favours the outer distances, where a ring around the centre has more room.
    const double spread = std::sqrt(random.uniform(0.0, 1.0));
    const double distance = size.minDistance + (size.maxDistance - size.minDistance) * spread;
    const double lean = std::max(0.0, distance * leanPerDistance + random.uniform(-leanJitter, leanJitter));
    const double sidewaysLean = random.uniform(-leanJitter, leanJitter);

    Crystal crystal{};
    crystal.base = clusterCentre + outwards * distance;
    crystal.axis = normalized(up + outwards * lean + sideways * sidewaysLean);
    const Vec3d turn = randomHorizontalDirection(random);
    crystal.across = normalized(turn - crystal.axis * dot(turn, crystal.axis));
    crystal.radius = random.uniform(size.minRadius, size.maxRadius);
    const double totalLength = random.uniform(size.minLength, size.maxLength);
    // Quartz tips slope at roughly 38 degrees to the axis: about 1.1 radii long.
    crystal.tipLength = crystal.radius * random.uniform(0.95, 1.35);
    crystal.prismLength = totalLength - crystal.tipLength;
    return crystal;
}

bool staysInRoom(const CrystalCorners& corners)
{
    auto fits = [](Vec3d p) {
        return std::abs(p.x) <= halfWidthLimit && std::abs(p.z) <= halfWidthLimit && p.y <= heightLimit &&
               p.x - p.z <= mirrorSideLimit;
    };
    const auto& top = corners.topRing;
    const auto& bottom = corners.bottomRing;
    return fits(corners.sole) && std::all_of(bottom.begin(), bottom.end(), fits) &&
           std::all_of(top.begin(), top.end(), fits) && fits(corners.apex) &&
           std::all_of(top.begin(), top.end(), [](Vec3d p) { return p.y >= lowestTopRingHeight; });
}

// A capsule that holds a whole crystal: every corner lies within the radius of the axis,
// between the lowest corner and the apex, and so does their convex hull.
struct Capsule {
    Vec3d from;
    Vec3d to;
    double radius;
};

Capsule boundingCapsule(const Crystal& crystal, const CrystalCorners& corners)
{
    double lowest = 0.0;  // the sole
    for (const Vec3d& corner : corners.bottomRing) {
        lowest = std::min(lowest, dot(corner - crystal.base, crystal.axis));
    }
    return {crystal.base + crystal.axis * lowest, corners.apex, crystal.radius};
}

// Distance between the segments p0-p1 and q0-q1: the closest pair of points, found by
// clamping the line parameters to the segments one after the other.
double segmentDistance(Vec3d p0, Vec3d p1, Vec3d q0, Vec3d q1)
{
    const Vec3d d1 = p1 - p0;
    const Vec3d d2 = q1 - q0;
    const Vec3d r = p0 - q0;
    const double a = dot(d1, d1);
    const double e = dot(d2, d2);
    const double f = dot(d2, r);
    const double c = dot(d1, r);
    const double b = dot(d1, d2);
    const double denominator = a * e - b * b;
    double s = denominator > 0.0 ? std::clamp((b * f - c * e) / denominator, 0.0, 1.0) : 0.0;
    double t = (b * s + f) / e;
    if (t < 0.0) {
        t = 0.0;
        s = std::clamp(-c / a, 0.0, 1.0);
    } else if (t > 1.0) {
        t = 1.0;
        s = std::clamp((b - c) / a, 0.0, 1.0);
    }
    return length((p0 + d1 * s) - (q0 + d2 * t));
}

bool clearOf(const Capsule& candidate, const std::vector<Capsule>& placed)
{
    return std::all_of(placed.begin(), placed.end(), [&](const Capsule& other) {
        return segmentDistance(candidate.from, candidate.to, other.from, other.to) >
               candidate.radius + other.radius + crystalGap;
    });
}

}  // namespace

CrystalCorners crystalCorners(const Crystal& crystal)
{
    const Vec3d second = cross(crystal.axis, crystal.across);
    const Vec3d ringCentre = crystal.base + crystal.axis * crystal.prismLength;
    CrystalCorners corners{};
    corners.sole = crystal.base;
    for (std::size_t k = 0; k < 6; ++k) {
        const Vec3d top = ringCentre + (crystal.across * hexagonCos[k] + second * hexagonSin[k]) * crystal.radius;
        corners.topRing[k] = top;
        // Down the prism edge to the foot's height.
        corners.bottomRing[k] = top - crystal.axis * ((top.y - footHeight) / crystal.axis.y);
        // Exactly level, whatever the rounding of the line above.
        corners.bottomRing[k].y = footHeight;
    }
    corners.apex = ringCentre + crystal.axis * crystal.tipLength;
    return corners;
}

std::vector<Crystal> layOutCrystalCluster()
{
    SplitMix64 random(clusterSeed);
    std::vector<Crystal> crystals;
    std::vector<Capsule> capsules;
    for (const SizeClass& size : sizeClasses) {
        for (int n = 0; n < size.count; ++n) {
            // A crystal that finds no free place after all attempts is left out.
            for (int attempt = 0; attempt < attemptsPerCrystal; ++attempt) {
                const Crystal candidate = randomCrystal(random, size);
                const CrystalCorners corners = crystalCorners(candidate);
                const Capsule capsule = boundingCapsule(candidate, corners);
                if (staysInRoom(corners) && clearOf(capsule, capsules)) {
                    crystals.push_back(candidate);
                    capsules.push_back(capsule);
                    break;
                }
            }
        }
    }
    return crystals;
}
