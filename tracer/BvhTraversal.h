#pragma once

// The searches of ModelBvhOf, for a lane type chosen by the includer (see SearchPath.h).

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
    std::uint32_t face = TrianglePackOf<Lanes::kCount>::kNoFace;
    // Not 0 when the ray runs nearly in the plane of a face it was tested on (the lanes' bits).
    unsigned nearlyInAPlane = 0;
    PackRay<Lanes> ray;

    NearestFace(Vec3 origin, Vec3 direction) : ray(origin, direction) {}

    void consider(const TrianglePackOf<Lanes::kCount>& pack)
    {
        alignas(Lanes::kCount * sizeof(float)) float hitT[Lanes::kCount];
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

    HitRecord record() const
    {
        return face == TrianglePackOf<Lanes::kCount>::kNoFace ? HitRecord{} : HitRecord{t, Model, face};
    }
};

struct StackEntry {
    std::uint32_t node;
    float entry;
};

}  // namespace bvh_traversal

// Always inlined into the search that calls it (AcceleratedSearch.h), like the room's search:
// as calls, whose AVX registers every call boundary spills, the two measured about 9 % slower on
// the default scene's rays.
template <std::size_t Width>
template <typename Lanes>
[[gnu::always_inline]] inline std::optional<HitRecord> ModelBvhOf<Width>::nearestHit(Vec3 origin, Vec3 direction,
                                                                                     const BoxRay<Lanes>& boxRay) const
{
    static_assert(Lanes::kCount == Width);
    using bvh_traversal::StackEntry;
    bvh_traversal::NearestFace<Lanes> nearest(origin, direction);
    for (const Pack& pack : m_slivers) {
        nearest.consider(pack);
    }

    if (!m_nodes.empty()) {
        StackEntry stack[kStackCapacity];
        std::size_t depth = 0;
        const unsigned octant = (std::signbit(direction.x) ? 1u : 0u) | (std::signbit(direction.y) ? 2u : 0u) |
                                (std::signbit(direction.z) ? 4u : 0u);
        // The node or leaf visited next: the root, then what comes off the stack.
        std::uint32_t next = 0;
        for (;;) {
            if ((next & Node::kLeafFlag) == 0) {
                // Every child whose box the ray enters goes on the stack, in the node's order for
                // the ray's octant, so the nearest is usually on top. Every slot is written and
                // only the entered ones kept: unpredictable branches here measured 14 % slower.
                // An unused child's empty box is never entered.
                const Node& node = m_nodes[next];
                Lanes entry;
                const unsigned entered = boxRay.entered(node.boxes, nearest.reach, entry);
                alignas(Width * sizeof(float)) float entries[Width];
                entry.store(entries);
                for (const std::uint8_t slot : node.farToNear[octant]) {
                    stack[depth] = {node.child[slot], entries[slot]};
                    depth += (entered >> slot) & 1u;
                }
            } else {
                nearest.consider(m_leaves[next & ~Node::kLeafFlag]);
            }
            // The next waiting box that may still hold a hit.
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

template <std::size_t Width>
template <typename Lanes>
HitRecord ModelBvhOf<Width>::everyFaceNearestHit(Vec3 origin, Vec3 direction) const
{
    static_assert(Lanes::kCount == Width);
    bvh_traversal::NearestFace<Lanes> nearest(origin, direction);
    for (const std::vector<Pack>* packs : {&m_slivers, &m_leaves}) {
        for (const Pack& pack : *packs) {
            nearest.consider(pack);
        }
    }
    return nearest.record();
}
