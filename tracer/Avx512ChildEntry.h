#pragma once

// The AVX-512 path's visit of a node's children (see BvhTraversal.h). The box test puts its entry
// and exit distances in the ray's near-to-far order (vpermps) before it compares them, so its
// lane bits and entries come out in that order: the nearest entered child is the first set bit,
// with no reordering between the test and the choice of the box visited next, which waits on
// it. Reordering the bits after the test measured about 2 % slower. The entered children are then
// packed together (vpcompressd) and stored with their entry distances under the top of the
// stack in two stores. The loop over the slots that the other paths run measured 10 % slower
// here: the next pop waits for its count of pushed children, a chain of sixteen additions.
// Only for the translation unit compiled for AVX-512.

#include "tracer/Avx512Lanes.h"
#include "tracer/BoxPack.h"
#include "tracer/TraversalStackEntry.h"

#include <bit>
#include <cstddef>
#include <cstdint>

namespace bvh_traversal {

// Tests the node's children for the ray; when it enters any, pushes all but the nearest onto
// the stack that grows down from top, the farthest deepest, sets nearestChild to the nearest
// and returns true.
template <typename Node>
[[gnu::always_inline]] inline bool enterChildren(const BoxRay<Avx512Lanes>& ray, const Node& node, unsigned octant,
                                                 float reach, StackEntry* stack, std::size_t& top,
                                                 std::uint32_t& nearestChild)
{
    const __m512i order = _mm512_loadu_si512(node.nearToFar[octant]);
    Avx512Lanes entry;
    // The masked forms with every lane set, as in Avx512Lanes.h: the plain ones trip GCC 12's
    // -Wmaybe-uninitialized.
    const auto entered = static_cast<__mmask16>(ray.entered(node.boxes, reach, entry, [&order](Avx512Lanes distances) {
        return Avx512Lanes(_mm512_maskz_permutexvar_ps(kEveryAvx512Lane, order, distances.value));
    }));
    if (entered == 0) {
        return false;
    }
    const __m512i children = _mm512_maskz_permutexvar_epi32(kEveryAvx512Lane, order, _mm512_loadu_si512(node.child));
    const __m512i nodes = _mm512_maskz_compress_epi32(entered, children);
    const __m512i entries = _mm512_maskz_compress_epi32(entered, _mm512_castps_si512(entry.value));
    const auto count = static_cast<unsigned>(std::popcount(static_cast<unsigned>(entered)));
    // Every child but the nearest (child 0) goes on the stack, the farthest deepest: the children
    // are moved to the last count lanes and written as a whole block of kCount entries that ends
    // at the top, two lanes per child: node and entry side by side, as StackEntry holds them.
    // What the block writes below the new entries is the free space the stack keeps for a push.
    // Masked stores of only the new entries measured 1 to 2 % slower: a load cannot take its data
    // from a masked store still on its way.
    const auto lastLanes = static_cast<__mmask16>(0xFFFFu << (Avx512Lanes::kCount - count));
    const __m512i lastNodes = _mm512_maskz_expand_epi32(lastLanes, nodes);
    const __m512i lastEntries = _mm512_maskz_expand_epi32(lastLanes, entries);
    // Lane i of the first operand is index i, of the second index 16 + i.
    const __m512i firstEight = _mm512_set_epi32(23, 7, 22, 6, 21, 5, 20, 4, 19, 3, 18, 2, 17, 1, 16, 0);
    const __m512i lastEight = _mm512_set_epi32(31, 15, 30, 14, 29, 13, 28, 12, 27, 11, 26, 10, 25, 9, 24, 8);
    StackEntry* const block = stack + top - Avx512Lanes::kCount;
    _mm512_storeu_si512(block, _mm512_permutex2var_epi32(lastNodes, firstEight, lastEntries));
    _mm512_storeu_si512(block + 8, _mm512_permutex2var_epi32(lastNodes, lastEight, lastEntries));
    top = top - count + 1;
    nearestChild = static_cast<std::uint32_t>(_mm512_cvtsi512_si32(nodes));
    return true;
}

}  // namespace bvh_traversal
