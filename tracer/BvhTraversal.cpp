#include "tracer/ModelBvh.h"
#include "tracer/TriangleStrike.h"

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
    StrikePoint<FloatLanes> origin;
    StrikePoint<FloatLanes> direction;

    NearestFace(Vec3 rayOrigin, Vec3 rayDirection)
        : origin{FloatLanes(rayOrigin.x), FloatLanes(rayOrigin.y), FloatLanes(rayOrigin.z)},
          direction{FloatLanes(rayDirection.x), FloatLanes(rayDirection.y), FloatLanes(rayDirection.z)}
    {
    }

    void consider(const TriangleQuad& quad)
    {
        auto corner = [&quad](int k) {
            return StrikePoint<FloatLanes>{FloatLanes::load(quad.corner[k][0]), FloatLanes::load(quad.corner[k][1]),
                                           FloatLanes::load(quad.corner[k][2])};
        };
        FloatLanes hitT;
        const unsigned struck = laneBits(strikeTriangles(corner(0), corner(1), corner(2), origin, direction, hitT));
        if (struck == 0) {
            return;
        }
        alignas(16) float lanes[4];
        hitT.store(lanes);
        for (unsigned lane = 0; lane < 4; ++lane) {
            const std::uint32_t candidate = quad.face[lane];
            if ((struck & (1u << lane)) != 0 && (lanes[lane] < t || (lanes[lane] == t && candidate < face))) {
                t = lanes[lane];
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

            // Leaves are tested at once; inner nodes go on the stack nearest on top.
            StackEntry inner[4];
            std::size_t innerCount = 0;
            for (int slot = 0; slot < 4; ++slot) {
                if ((struck & (1u << slot)) == 0) {
                    continue;
                }
                const std::uint32_t reference = node.child[slot];
                if (reference == BvhNode::kNoChild) {
                    continue;
                }
                if ((reference & BvhNode::kLeafFlag) != 0) {
                    if (entries[slot] <= nearest.reach()) {
                        nearest.consider(m_leaves[reference & ~BvhNode::kLeafFlag]);
                    }
                    continue;
                }
                std::size_t position = innerCount++;
                while (position > 0 && inner[position - 1].entry < entries[slot]) {
                    inner[position] = inner[position - 1];
                    --position;
                }
                inner[position] = {reference, entries[slot]};
            }
            for (std::size_t i = 0; i < innerCount; ++i) {
                stack[depth++] = inner[i];
            }
        }
    }

    if (nearest.face == kNoFace) {
        return {};
    }
    return {nearest.t, Model, nearest.face};
}
