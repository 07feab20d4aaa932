#include "tracer/ModelBvh.h"

#include "tracer/CullingMargins.h"

#include <cmath>

namespace {

// Directions far from unit length are left to brute force, so the box test stays in range.
constexpr float kShortestDirection = 1e-10f;
constexpr float kLongestDirection = 1e10f;

}  // namespace

bool ModelBvh::covers(Vec3 origin, Vec3 direction) const
{
    // Each test is false for NaN; infinities fail the range tests.
    const float directionSize = largestMagnitude(direction);
    return std::isfinite(direction.x) && std::isfinite(direction.y) && std::isfinite(direction.z) &&
           std::isfinite(origin.x) && std::isfinite(origin.y) && std::isfinite(origin.z) &&
           largestMagnitude(origin) <= m_reach && directionSize >= kShortestDirection &&
           directionSize <= kLongestDirection;
}
