#include "tracer/ModelBvh.h"

#include "tracer/CullingMargins.h"

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace {

constexpr float kInfinity = std::numeric_limits<float>::infinity();
constexpr std::uint32_t kNoFace = TriangleQuad::kNoFace;
// Directions far from unit length are left to brute force, so the box test stays in range.
constexpr float kShortestDirection = 1e-10f;
constexpr float kLongestDirection = 1e10f;

// The nearest struck face so far: nearer wins, and at an equal t the lower face index, which is
// the brute-force search's order.
struct NearestFace {
    float t = kInfinity;
    float reach = kInfinity;  // t * kEntrySlack: boxes entered beyond it are skipped
    std::uint32_t face = kNoFace;
    bool nearlyInAPlane = false;  // the ray runs nearly in the plane of a face it was tested on
    QuadRay ray;

    NearestFace(Vec3 origin, Vec3 direction) : ray(origin, direction) {}

    void consider(const TriangleQuad& quad)
    {
        alignas(16) float hitT[4];
        unsigned nearParallel = 0;
        const unsigned struckLanes = strikeQuad(quad, ray, hitT, nearParallel);
        nearlyInAPlane = nearlyInAPlane || nearParallel != 0;
        for (unsigned struck = struckLanes; struck != 0; struck &= struck - 1) {
            const int lane = std::countr_zero(struck);
            const std::uint32_t candidate = quad.face[lane];
            if (hitT[lane] < t || (hitT[lane] == t && candidate < face)) {
                t = hitT[lane];
                face = candidate;
            }
        }
        reach = t * kEntrySlack;
    }

    HitRecord record() const { return face == kNoFace ? HitRecord{} : HitRecord{t, Model, face}; }
};

struct StackEntry {
    std::uint32_t node;
    float entry;
};

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

std::optional<HitRecord> ModelBvh::nearestHit(Vec3 origin, Vec3 direction, const BoxRay& boxRay) const
{
    NearestFace nearest(origin, direction);
    for (const TriangleQuad& quad : m_slivers) {
        nearest.consider(quad);
    }

    if (!m_nodes.empty()) {
        StackEntry stack[kStackCapacity];
        std::size_t depth = 0;
        // The node or leaf visited next: the root, then the nearest struck child of each node,
        // then what comes off the stack.
        std::uint32_t next = 0;
        for (;;) {
            if ((next & BvhNode::kLeafFlag) == 0) {
                const BvhNode& node = m_nodes[next];
                // An unused child's empty box is never entered.
                FloatLanes entry;
                unsigned struck = boxRay.entered(node.boxes, nearest.reach, entry);
                if (struck != 0) {
                    const int firstSlot = std::countr_zero(struck);
                    struck &= struck - 1;
                    if (struck == 0) {
                        next = node.child[firstSlot];
                        continue;
                    }
                    alignas(16) float entries[4];
                    entry.store(entries);
                    const int secondSlot = std::countr_zero(struck);
                    struck &= struck - 1;
                    if (struck == 0) {
                        // Two: the nearer comes next, the farther waits.
                        const bool secondNearer = entries[secondSlot] < entries[firstSlot];
                        const int nearSlot = secondNearer ? secondSlot : firstSlot;
                        const int farSlot = secondNearer ? firstSlot : secondSlot;
                        stack[depth++] = {node.child[farSlot], entries[farSlot]};
                        next = node.child[nearSlot];
                        continue;
                    }
                    // More: all go on the stack, sorted so that the nearest is on top, and the
                    // nearest is taken off again at once.
                    const std::size_t bottom = depth;
                    stack[depth++] = {node.child[firstSlot], entries[firstSlot]};
                    for (struck |= 1u << secondSlot; struck != 0; struck &= struck - 1) {
                        const int slot = std::countr_zero(struck);
                        const StackEntry pushed{node.child[slot], entries[slot]};
                        std::size_t position = depth++;
                        while (position > bottom && stack[position - 1].entry < pushed.entry) {
                            stack[position] = stack[position - 1];
                            --position;
                        }
                        stack[position] = pushed;
                    }
                    next = stack[--depth].node;
                    continue;
                }
            } else {
                nearest.consider(m_leaves[next & ~BvhNode::kLeafFlag]);
            }
            // Nothing to descend into: the nearest waiting box that may still hold a hit.
            while (depth > 0 && stack[depth - 1].entry > nearest.reach) {
                --depth;
            }
            if (depth == 0) {
                break;
            }
            next = stack[--depth].node;
        }
    }

    if (nearest.nearlyInAPlane) {
        return std::nullopt;
    }
    return nearest.record();
}

HitRecord ModelBvh::everyFaceNearestHit(Vec3 origin, Vec3 direction) const
{
    NearestFace nearest(origin, direction);
    for (const std::vector<TriangleQuad>* quads : {&m_slivers, &m_leaves}) {
        for (const TriangleQuad& quad : *quads) {
            nearest.consider(quad);
        }
    }
    return nearest.record();
}
