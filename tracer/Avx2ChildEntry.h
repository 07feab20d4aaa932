#pragma once

// The AVX2 path's visit of a node's children (see BvhTraversal.h), built like the AVX-512 path's
// (Avx512ChildEntry.h): the box test puts its distances in the ray's near-to-far order (vpermps)
// before it compares them, and the entered children are moved together, here through a table of
// lane orders, and stored with their entry distances under the top of the stack in two stores.
// The loop over the slots that the portable path runs spent about as long as the box test in a
// profile of the default scene: each of its eight steps waits for the stack position the step
// before computed. Only for the translation unit compiled for AVX2.

#include "tracer/AvxLanes.h"
#include "tracer/BoxPack.h"
#include "tracer/TraversalStackEntry.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

namespace bvh_traversal {

// For each set of entered children (bit i set when the i-th nearest is entered), the lanes that
// move them to the last lanes, nearest first, so that they end at the top of the stack with the
// farthest deepest. The lanes before them are written below the stack's top, where anything may
// stand: the first of them takes the nearest too, so that lane 0 always holds the child visited
// next.
struct EnteredChildLanes {
    alignas(64) std::array<std::array<std::uint8_t, AvxLanes::kCount>, 1u << AvxLanes::kCount> lanes{};

    constexpr EnteredChildLanes()
    {
        for (unsigned entered = 1; entered < lanes.size(); ++entered) {
            unsigned at = AvxLanes::kCount - static_cast<unsigned>(std::popcount(entered));
            for (unsigned child = 0; child < AvxLanes::kCount; ++child) {
                if ((entered >> child) & 1u) {
                    lanes[entered][at++] = static_cast<std::uint8_t>(child);
                }
            }
            lanes[entered][0] = static_cast<std::uint8_t>(std::countr_zero(entered));
        }
    }
};
inline constexpr EnteredChildLanes kEnteredChildLanes{};

// Tests the node's children for the ray; when it enters any, pushes all but the nearest onto
// the stack that grows down from top, the farthest deepest, sets nearestChild to the nearest
// and returns true.
template <typename Node>
[[gnu::always_inline]] inline bool enterChildren(const BoxRay<AvxLanes>& ray, const Node& node, unsigned octant,
                                                 float reach, StackEntry* stack, std::size_t& top,
                                                 std::uint32_t& nearestChild)
{
    const __m256i order = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(node.nearToFar[octant]));
    AvxLanes entry;
    const unsigned entered = ray.entered(node.boxes, reach, entry, [&order](AvxLanes distances) {
        return AvxLanes(_mm256_permutevar8x32_ps(distances.value, order));
    });
    if (entered == 0) {
        return false;
    }
    const __m256i children =
        _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(node.child)), order);
    const __m256i moves = _mm256_cvtepu8_epi32(
        _mm_loadl_epi64(reinterpret_cast<const __m128i*>(kEnteredChildLanes.lanes[entered].data())));
    const __m256i nodes = _mm256_permutevar8x32_epi32(children, moves);
    const __m256i entries = _mm256_permutevar8x32_epi32(_mm256_castps_si256(entry.value), moves);
    // Node and entry side by side, as StackEntry holds them: lanes 0, 1, 4, 5 and 2, 3, 6, 7 of
    // each, then the halves in order.
    const __m256i low = _mm256_unpacklo_epi32(nodes, entries);
    const __m256i high = _mm256_unpackhi_epi32(nodes, entries);
    StackEntry* const block = stack + top - AvxLanes::kCount;
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(block), _mm256_permute2x128_si256(low, high, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(block + AvxLanes::kCount / 2),
                        _mm256_permute2x128_si256(low, high, 0x31));
    top = top - static_cast<unsigned>(std::popcount(entered)) + 1;
    nearestChild = static_cast<std::uint32_t>(_mm256_cvtsi256_si32(nodes));
    return true;
}

}  // namespace bvh_traversal
