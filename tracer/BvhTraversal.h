#pragma once

// The searches of ModelBvh, for a lane type chosen by the includer (see SearchPath.h).

#include "tracer/CullingMargins.h"
#include "tracer/ModelBvh.h"

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace bvh_traversal {

// The nearest struck face so far: nearer wins, and at an equal t the lower face index, which is
// the brute-force search's order.
template <typename Lanes>
struct NearestFace {
    float t = std::numeric_limits<float>::infinity();
    float reach = std::numeric_limits<float>::infinity();  // t * kEntrySlack: boxes entered beyond it are skipped
    std::uint32_t face = TrianglePack::kNoFace;
    // Not 0 when the ray runs nearly in the plane of a face it was tested on (the lanes' bits).
    unsigned nearlyInAPlane = 0;
    PackRay<Lanes> ray;

    NearestFace(Vec3 origin, Vec3 direction) : ray(origin, direction) {}

    void consider(const TrianglePack& pack)
    {
        alignas(32) float hitT[kPackWidth];
        unsigned nearParallel = 0;
        const unsigned struckLanes = strikePack(pack, ray, hitT, nearParallel);
        nearlyInAPlane |= nearParallel;
        for (unsigned struck = struckLanes; struck != 0; struck &= struck - 1) {
            const int lane = std::countr_zero(struck);
            const std::uint32_t candidate = pack.face[lane];
            if (hitT[lane] < t || (hitT[lane] == t && candidate < face)) {
                t = hitT[lane];
                face = candidate;
            }
        }
        reach = t * kEntrySlack;
    }

    HitRecord record() const { return face == TrianglePack::kNoFace ? HitRecord{} : HitRecord{t, Model, face}; }
};

struct StackEntry {
    std::uint32_t node;
    float entry;
};

}  // namespace bvh_traversal

template <typename Lanes>
std::optional<HitRecord> ModelBvh::nearestHit(Vec3 origin, Vec3 direction, const BoxRay<Lanes>& boxRay) const
{
    using bvh_traversal::StackEntry;
    bvh_traversal::NearestFace<Lanes> nearest(origin, direction);
    for (const TrianglePack& pack : m_slivers) {
        nearest.consider(pack);
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
                Lanes entry;
                unsigned struck = boxRay.entered(node.boxes, nearest.reach, entry);
                if (struck != 0) {
                    const int firstSlot = std::countr_zero(struck);
                    struck &= struck - 1;
                    if (struck == 0) {
                        next = node.child[firstSlot];
                        continue;
                    }
                    alignas(32) float entries[kPackWidth];
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

    if (nearest.nearlyInAPlane != 0) {
        return std::nullopt;
    }
    return nearest.record();
}

template <typename Lanes>
HitRecord ModelBvh::everyFaceNearestHit(Vec3 origin, Vec3 direction) const
{
    bvh_traversal::NearestFace<Lanes> nearest(origin, direction);
    for (const std::vector<TrianglePack>* packs : {&m_slivers, &m_leaves}) {
        for (const TrianglePack& pack : *packs) {
            nearest.consider(pack);
        }
    }
    return nearest.record();
}
