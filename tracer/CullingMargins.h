#pragma once

#include "maths/Vec3.h"
#include "tracer/TriangleCorners.h"

#include <algorithm>
#include <array>
#include <cmath>

// What keeps a search that skips boxes exact against the test of every triangle. The triangle
// test has no epsilon, so rounding can strike a triangle a little outside its box; these margins
// stay far beyond that rounding.

// Boxes grow by this share of the largest coordinate, far more than the rounding of the box
// test and of the triangle test for rays that start within kReachFactor of that coordinate.
inline constexpr float kPadShare = 1.0f / 16384.0f;
inline constexpr float kReachFactor = 16.0f;
// A box is visited while it starts no further than this times the best t, so that a hit at
// the same t, or one whose t rounding moved a little, is still found behind the best.
inline constexpr float kEntrySlack = 1.0f + 1.0f / 1024.0f;

// Directions far from unit length (by their largest |component|) are left to brute force, so
// the box test stays in range and the near-parallel faces' checks keep clear of underflow.
inline constexpr float kShortestDirection = 1e-10f;
inline constexpr float kLongestDirection = 1e10f;

// The largest |component|, against which pads and reaches are measured. NaN gives NaN or a
// number: callers that may see one test for it first.
inline float largestMagnitude(Vec3 v)
{
    const float x = std::fabs(v.x);
    const float y = std::fabs(v.y);
    const float z = std::fabs(v.z);
    const float xy = x > y ? x : y;
    return xy > z ? xy : z;
}

// A triangle's rounding measure for a ray, with |a| the sum of |components| and |a|inf the
// largest: (11 |e1|inf |e2| |d| + 6 |e1| |e2|inf |d| + 6 |e1| |e2| |d|inf) / 23, at most
// |d| |e1| |e2|. A ray whose det against the triangle is at most this share of the measure runs
// nearly in the triangle's plane. The test's quotients may then be mostly rounding noise, and it
// may strike the triangle at any distance, far outside its box; a search that skips boxes cannot
// follow that, so it tests such triangles whatever boxes the ray enters (NearParallelFaces.h).
// The room's packs check the share of |d| |e1| |e2|, which holds every such ray. A larger share
// widens the bands and narrows the cones (kGrazingReach): on the default scene 1/2048 and 1/3072
// rendered as fast as this, within the measurements' spread, and 1/8192 about 6 % slower.
inline constexpr float kNearParallelShare = 1.0f / 4096.0f;

// The rounding measure, in double, of the triangle with the test's edges e1 and e2 for a ray with
// the direction.
inline double roundingMeasure(Vec3 e1, Vec3 e2, Vec3 direction)
{
    const auto size = [](Vec3 v) { return double{std::fabs(v.x)} + std::fabs(v.y) + std::fabs(v.z); };
    const auto largest = [](Vec3 v) { return double{largestMagnitude(v)}; };
    return (11.0 * largest(e1) * size(e2) * size(direction) + 6.0 * size(e1) * largest(e2) * size(direction) +
            6.0 * size(e1) * size(e2) * largest(direction)) /
           23.0;
}

// Any other ray still meets the triangle at a slant that magnifies rounding. Where the test
// strikes, the struck point on the triangle (from u and v) and the ray's point at the struck t
// differ, per coordinate, by at most the numerators' and det's rounding over det, carried along
// e1, e2, d and s = origin - p0: u's numerator s . (d x e2) is off by at most 6 roundings (2^-24
// each) times |s|inf |d| |e2|, carried along e1 (|e1|inf); v's numerator (s x e1) . d by
// 6 |s|inf |d| |e1|, along e2; t's numerator (s x e1) . e2 by 6 |s|inf |e1| |e2|, along d; det
// by 5 |e1|inf |d| |e2|, along s. That is 23 roundings times |s|inf times the measure, over det:
// at most 23 roundings / kNearParallelShare times |s|inf. And |s|inf is at most the struck t
// times |d|inf, plus the larger edge's |e|inf, plus that difference itself. kGrazingReach keeps
// room over 23 for the difference's share and the terms of second order: boxes grow by it times
// the larger edge's |e|inf (paddingFor), and the box test widens the ray into a cone whose
// radius, per coordinate, grows by it times |d|inf per unit of t (BoxRay). A ray 40 units from a
// face 0.01 across, meeting it at a hundredth of a degree, was struck 0.005 off the face.
inline constexpr float kGrazingReach = 26.0f / 16777216.0f / kNearParallelShare;

// A triangle's size and shape, in double: its longest edge squared, and its thinness, the
// length of e1 x e2 over that square (0.5 for a right isosceles triangle, 0 for a line).
struct TriangleShape {
    double longestSquared;
    double thinness;
};

inline TriangleShape triangleShape(const TriangleCorners& corners)
{
    auto difference = [](Vec3 a, Vec3 b) {
        return std::array<double, 3>{double{a.x} - b.x, double{a.y} - b.y, double{a.z} - b.z};
    };
    auto squaredLength = [](const std::array<double, 3>& v) { return v[0] * v[0] + v[1] * v[1] + v[2] * v[2]; };
    const auto e1 = difference(corners.p1, corners.p0);
    const auto e2 = difference(corners.p2, corners.p0);
    const auto e3 = difference(corners.p2, corners.p1);
    const double longest = std::max({squaredLength(e1), squaredLength(e2), squaredLength(e3)});
    const std::array<double, 3> normal{e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                                       e1[0] * e2[1] - e1[1] * e2[0]};
    return {longest, longest > 0.0 ? std::sqrt(squaredLength(normal)) / longest : 0.0};
}

// A triangle this thin is never skipped: without an epsilon, rounding in its test can strike it
// far outside its box.
inline constexpr double kSliverAreaRatio = 1e-4;
// Triangles whose test could overflow or lose precision to underflow are treated the same way.
inline constexpr double kLargestCoordinate = 1e9;
inline constexpr double kShortestLongestEdge = 1e-12;

inline bool isSliver(const TriangleCorners& corners)
{
    for (Vec3 p : {corners.p0, corners.p1, corners.p2}) {
        for (float coordinate : {p.x, p.y, p.z}) {
            if (!(std::fabs(coordinate) <= kLargestCoordinate)) {
                return true;
            }
        }
    }
    const TriangleShape shape = triangleShape(corners);
    return shape.longestSquared < kShortestLongestEdge * kShortestLongestEdge || shape.thinness <= kSliverAreaRatio;
}

// How far a box must grow around a triangle that is not a sliver. Rounding moves the point where
// the test strikes a triangle by about the float epsilon times the distance from the ray's origin
// to the triangle's first corner, over the sine of the ray's angle to the plane times the
// thinness: a thin triangle is struck further outside itself (a fuzzed triangle 92,000 long with
// a thinness of 1.3e-4, met at 50 degrees, was struck beyond a pad of 3.5). kPadShare of the
// largest coordinate covers triangles of kWellShapedThinness and more; a thinner one's pad
// grows in proportion, by at most 1 / kSliverAreaRatio. On top comes kGrazingReach times the
// larger edge's largest component, the part of a slanting ray's reach that does not grow with
// its distance.
inline constexpr double kWellShapedThinness = 0.5;

inline float paddingFor(const TriangleCorners& corners, float largestCoordinate)
{
    const float basePad = largestCoordinate * kPadShare;
    const double thinness = triangleShape(corners).thinness;
    const float pad = thinness >= kWellShapedThinness
                          ? basePad
                          : static_cast<float>(double{basePad} * (kWellShapedThinness / thinness));
    // The edges as the test computes them.
    const Vec3 e1 = corners.p1 - corners.p0;
    const Vec3 e2 = corners.p2 - corners.p0;
    return pad + kGrazingReach * std::max(largestMagnitude(e1), largestMagnitude(e2));
}
