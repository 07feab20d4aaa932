#include "tracer/ModelBvh.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace {

constexpr float kInfinity = std::numeric_limits<float>::infinity();
constexpr std::uint32_t kNoFace = TriangleQuad::kNoFace;
// A box is visited while it starts no further than this times the best t, so that a hit at
// the same t, or one whose t rounding moved a little, is still found behind the best.
constexpr float kEntrySlack = 1.0f + 1.0f / 1024.0f;
// Directions far from unit length are left to brute force, so the box test stays in range.
constexpr float kShortestDirection = 1e-10f;
constexpr float kLongestDirection = 1e10f;

// The nearest struck face so far: nearer wins, and at an equal t the lower face index, which is
// the brute-force search's order.
struct NearestFace {
    float t = kInfinity;
    std::uint32_t face = kNoFace;
    QuadRay ray;

    NearestFace(Vec3 origin, Vec3 direction) : ray(origin, direction) {}

    void consider(const TriangleQuad& quad)
    {
        alignas(16) float hitT[4];
        const unsigned struck = strikeQuad(quad, ray, hitT);
        for (unsigned lane = 0; lane < 4; ++lane) {
            const std::uint32_t candidate = quad.face[lane];
            if ((struck & (1u << lane)) != 0 && (hitT[lane] < t || (hitT[lane] == t && candidate < face))) {
                t = hitT[lane];
                face = candidate;
            }
        }
    }
    float reach() const { return t * kEntrySlack; }
};

struct StackEntry {
    std::uint32_t node;
    float entry;
};

float largestMagnitude(Vec3 v) { return std::fmax(std::fabs(v.x), std::fmax(std::fabs(v.y), std::fabs(v.z))); }

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

HitRecord ModelBvh::nearestHit(Vec3 origin, Vec3 direction) const
{
    NearestFace nearest(origin, direction);
    for (const TriangleQuad& quad : m_slivers) {
        nearest.consider(quad);
    }

    if (!m_nodes.empty()) {
        // Per axis, the side of each box the ray enters through: the low side when it moves up.
        const bool movesUp[3] = {!std::signbit(direction.x), !std::signbit(direction.y), !std::signbit(direction.z)};
        const FloatLanes start[3] = {FloatLanes(origin.x), FloatLanes(origin.y), FloatLanes(origin.z)};
        const FloatLanes inverse[3] = {FloatLanes(1.0f / direction.x), FloatLanes(1.0f / direction.y),
                                       FloatLanes(1.0f / direction.z)};

        StackEntry stack[kStackCapacity];
        std::size_t depth = 0;
        stack[depth++] = {0, 0.0f};
        while (depth > 0) {
            const StackEntry top = stack[--depth];
            if (top.entry > nearest.reach()) {
                continue;
            }
            if ((top.node & BvhNode::kLeafFlag) != 0) {
                nearest.consider(m_leaves[top.node & ~BvhNode::kLeafFlag]);
                continue;
            }
            const BvhNode& node = m_nodes[top.node];

            // Entry and exit distances of the four boxes. Where an axis gives NaN (the origin on
            // a box side the ray runs along) the axis is left out, which only widens the test.
            FloatLanes entry(0.0f);
            FloatLanes exit(nearest.reach());
            for (int axis = 0; axis < 3; ++axis) {
                const float* nearSide = movesUp[axis] ? node.low[axis] : node.high[axis];
                const float* farSide = movesUp[axis] ? node.high[axis] : node.low[axis];
                entry = largerOr((FloatLanes::load(nearSide) - start[axis]) * inverse[axis], entry);
                exit = smallerOr((FloatLanes::load(farSide) - start[axis]) * inverse[axis], exit);
            }
            alignas(16) float entries[4];
            entry.store(entries);
            const unsigned struck = laneBits(entry <= exit);

            // The struck children go on the stack nearest on top; leaves are tested as they come off.
            StackEntry children[4];
            std::size_t childCount = 0;
            for (int slot = 0; slot < 4; ++slot) {
                const std::uint32_t reference = node.child[slot];
                if ((struck & (1u << slot)) == 0 || reference == BvhNode::kNoChild) {
                    continue;
                }
                std::size_t position = childCount++;
                while (position > 0 && children[position - 1].entry < entries[slot]) {
                    children[position] = children[position - 1];
                    --position;
                }
                children[position] = {reference, entries[slot]};
            }
            for (std::size_t i = 0; i < childCount; ++i) {
                stack[depth++] = children[i];
            }
        }
    }

    if (nearest.face == kNoFace) {
        return {};
    }
    return {nearest.t, Model, nearest.face};
}
