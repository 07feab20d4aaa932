#pragma once

// The searches of ModelBvhOf, for a lane type chosen by the includer (see SearchPath.h).

#include "tracer/CullingMargins.h"
#include "tracer/ModelBvh.h"
#include "tracer/TraversalStackEntry.h"
#if defined(__AVX512F__)
#include "tracer/Avx512ChildEntry.h"
#elif defined(__AVX2__)
#include "tracer/Avx2ChildEntry.h"
#endif

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
    PackRay<Lanes> ray;

    NearestFace(Vec3 origin, Vec3 direction) : ray(origin, direction) {}
    // Beating best, which is no face of the model unless its kind is Model.
    NearestFace(Vec3 origin, Vec3 direction, const HitRecord& best) : ray(origin, direction)
    {
        if (best.kind != None) {
            t = best.t;
            reach = t * kEntrySlack;
        }
        if (best.kind == Model) {
            face = best.index;
        }
    }

    // Never ends the search.
    bool consider(const TrianglePackOf<Lanes::kCount>& pack)
    {
        alignas(Lanes::kCount * sizeof(float)) float hitT[Lanes::kCount];
        const unsigned struckLanes = strikePack(pack, ray, hitT);
        for (unsigned struck = struckLanes; struck != 0; struck &= struck - 1) {
            const int lane = std::countr_zero(struck);
            const std::uint32_t candidate = pack.face[lane];
            if (hitT[lane] < t || (hitT[lane] == t && candidate < face)) {
                t = hitT[lane];
                face = candidate;
            }
        }
        reach = t * kEntrySlack;
        return false;
    }

    HitRecord record() const
    {
        return face == TrianglePackOf<Lanes::kCount>::kNoFace ? HitRecord{} : HitRecord{t, Model, face};
    }
};

// Whether some face is struck at a t of at most limit; the first such face found.
template <typename Lanes>
struct FaceWithin {
    float limit;
    float reach;  // limit * kEntrySlack: boxes entered beyond it are skipped
    PackRay<Lanes> ray;
    float t = 0.0f;
    std::uint32_t face = TrianglePackOf<Lanes::kCount>::kNoFace;

    FaceWithin(Vec3 origin, Vec3 direction, float limit)
        : limit(limit), reach(limit * kEntrySlack), ray(origin, direction)
    {
    }

    // True once a face is found, which ends the search.
    bool consider(const TrianglePackOf<Lanes::kCount>& pack)
    {
        alignas(Lanes::kCount * sizeof(float)) float hitT[Lanes::kCount];
        const unsigned struckLanes = strikePack(pack, ray, hitT);
        for (unsigned struck = struckLanes; struck != 0; struck &= struck - 1) {
            const int lane = std::countr_zero(struck);
            if (hitT[lane] <= limit) {
                t = hitT[lane];
                face = pack.face[lane];
                return true;
            }
        }
        return false;
    }

    // Whether a face was found, and if so its record in hit.
    bool record(HitRecord& hit) const
    {
        if (face == TrianglePackOf<Lanes::kCount>::kNoFace) {
            return false;
        }
        hit = {t, Model, face};
        return true;
    }
};

// Tests the node's children for the ray; when it enters any, pushes all but the nearest onto
// the stack that grows down from top, the farthest first, sets nearestChild to the nearest, which
// the search visits next, and returns true. The children are taken in the node's order for the
// ray's octant, so the nearest is usually visited first. The AVX2 and AVX-512 paths have visits
// of their own (Avx2ChildEntry.h, Avx512ChildEntry.h).
template <typename Lanes, typename Node>
[[gnu::always_inline]] inline bool enterChildren(const BoxRay<Lanes>& ray, const Node& node, unsigned octant,
                                                 float reach, StackEntry* stack, std::size_t& top,
                                                 std::uint32_t& nearestChild)
{
    Lanes entry;
    const unsigned entered = ray.entered(node.boxes, reach, entry);
    if (entered == 0) {
        return false;
    }
    alignas(Lanes::kCount * sizeof(float)) float entries[Lanes::kCount];
    entry.store(entries);
    // Every slot is written and only the entered ones kept: unpredictable branches here
    // measured 14 % slower.
    const std::uint32_t* const nearToFar = node.nearToFar[octant];
    for (unsigned i = Lanes::kCount; i-- > 0;) {
        const std::uint32_t slot = nearToFar[i];
        stack[top - 1] = {node.child[slot], entries[slot]};
        top -= (entered >> slot) & 1u;
    }
    nearestChild = stack[top++].node;
    return true;
}

}  // namespace bvh_traversal

// One ray's walk through the tree: it visits the leaves of the boxes the ray enters no further
// than faces.reach, near to far, with faces.consider(pack), until that returns true. Each step
// visits one node or leaf, so that the walks of two rays can take turns (nearestHitPair).
template <std::size_t Width>
template <typename Lanes, typename Faces>
class ModelBvhOf<Width>::TreeWalk {
public:
    // The boxes waiting, with their entry distances, on a stack that grows down from position
    // kStackCapacity. A push may write any of the Width entries below the top, which are free.
    // The caller keeps it: held in the walk, it would share the walk's memory with the walk's own
    // few values, which the compiler then reloads after every vector store to the stack instead
    // of keeping them in registers.
    using Stack = bvh_traversal::StackEntry[kStackCapacity];

    // For a tree with nodes.
    [[gnu::always_inline]] TreeWalk(const ModelBvhOf& bvh, Vec3 direction, const BoxRay<Lanes>& boxRay, Faces& faces,
                                    Stack& stack)
        : m_bvh(bvh),
          m_boxRay(boxRay),
          m_faces(faces),
          m_stack(stack),
          m_octant((std::signbit(direction.x) ? 1u : 0u) | (std::signbit(direction.y) ? 2u : 0u) |
                   (std::signbit(direction.z) ? 4u : 0u))
    {
        static_assert(Lanes::kCount == Width);
    }

    // Visits the next node or leaf; false once the walk is over, because no box that may hold a
    // hit is left or because faces.consider returned true (found then says so).
    [[gnu::always_inline]] bool step()
    {
        if ((m_next & Node::kLeafFlag) == 0) {
            // An unused child's empty box is never entered.
            if (bvh_traversal::enterChildren(m_boxRay, m_bvh.m_nodes[m_next], m_octant, m_faces.reach, m_stack, m_top,
                                             m_next)) {
                return true;
            }
        } else if (m_faces.consider(m_bvh.m_leaves[m_next & ~Node::kLeafFlag])) {
            m_found = true;
            return false;
        }
        // The next waiting box that may still hold a hit.
        while (m_top < kStackCapacity && m_stack[m_top].entry > m_faces.reach) {
            ++m_top;
        }
        if (m_top == kStackCapacity) {
            return false;
        }
        m_next = m_stack[m_top++].node;
        return true;
    }

    bool found() const { return m_found; }

private:
    const ModelBvhOf& m_bvh;
    const BoxRay<Lanes>& m_boxRay;
    Faces& m_faces;
    Stack& m_stack;
    const unsigned m_octant;
    std::size_t m_top = kStackCapacity;  // the stack's top
    // The node or leaf visited next: the root, then the nearest child entered, or what comes
    // off the stack.
    std::uint32_t m_next = 0;
    bool m_found = false;
};

// Always inlined into the search that calls it (AcceleratedSearch.h), like the room's search:
// as calls, whose AVX registers every call boundary spills, the two measured about 9 % slower on
// the default scene's rays.
template <std::size_t Width>
template <typename Lanes, typename Faces>
[[gnu::always_inline]] inline bool ModelBvhOf<Width>::searchTree(Vec3 direction, const BoxRay<Lanes>& boxRay,
                                                                 Faces& faces) const
{
    if (m_nodes.empty()) {
        return false;
    }
    typename TreeWalk<Lanes, Faces>::Stack stack;
    TreeWalk<Lanes, Faces> walk(*this, direction, boxRay, faces, stack);
    while (walk.step()) {
    }
    return walk.found();
}

template <std::size_t Width>
template <typename Lanes>
[[gnu::always_inline]] inline HitRecord ModelBvhOf<Width>::nearestHit(Vec3 origin, Vec3 direction,
                                                                      const BoxRay<Lanes>& boxRay) const
{
    bvh_traversal::NearestFace<Lanes> nearest(origin, direction);
    for (const Pack& pack : m_slivers) {
        nearest.consider(pack);
    }
    searchTree(direction, boxRay, nearest);
    return nearest.record();
}

template <std::size_t Width>
template <typename Lanes>
[[gnu::always_inline]] inline void ModelBvhOf<Width>::nearestHitPair(const TreeRay<Lanes>& first,
                                                                     const TreeRay<Lanes>& second, HitRecord& firstHit,
                                                                     HitRecord& secondHit) const
{
    bvh_traversal::NearestFace<Lanes> firstNearest(first.origin, first.direction);
    bvh_traversal::NearestFace<Lanes> secondNearest(second.origin, second.direction);
    for (const Pack& pack : m_slivers) {
        firstNearest.consider(pack);
        secondNearest.consider(pack);
    }
    if (!m_nodes.empty()) {
        using Walk = TreeWalk<Lanes, bvh_traversal::NearestFace<Lanes>>;
        typename Walk::Stack firstStack;
        typename Walk::Stack secondStack;
        Walk firstWalk(*this, first.direction, first.boxRay, firstNearest, firstStack);
        Walk secondWalk(*this, second.direction, second.boxRay, secondNearest, secondStack);
        // Steps in turns: one walk mostly waits on its loads and its last box test, and the
        // other's step has the processor's time meanwhile.
        bool firstGoes = true;
        bool secondGoes = true;
        while (firstGoes && secondGoes) {
            firstGoes = firstWalk.step();
            secondGoes = secondWalk.step();
        }
        while (firstGoes) {
            firstGoes = firstWalk.step();
        }
        while (secondGoes) {
            secondGoes = secondWalk.step();
        }
    }
    firstHit = firstNearest.record();
    secondHit = secondNearest.record();
}

template <std::size_t Width>
template <typename Lanes>
[[gnu::always_inline]] inline void ModelBvhOf<Width>::withNearlyParallelFaces(Vec3 origin, Vec3 direction,
                                                                              HitRecord& best) const
{
    bvh_traversal::NearestFace<Lanes> nearest(origin, direction, best);
    m_nearParallelFaces.template forEachPackNearlyParallel<Lanes>(
        origin, direction, nearest.t, [&nearest](const Pack& pack) { nearest.consider(pack); });
    if (nearest.face != Pack::kNoFace) {
        best = nearest.record();
    }
}

template <std::size_t Width>
template <typename Lanes>
[[gnu::always_inline]] inline bool ModelBvhOf<Width>::strikesTreeWithin(Vec3 origin, Vec3 direction,
                                                                        const BoxRay<Lanes>& boxRay, float limit,
                                                                        HitRecord& hit) const
{
    bvh_traversal::FaceWithin<Lanes> found(origin, direction, limit);
    bool struck = searchTree(direction, boxRay, found);
    for (std::size_t i = 0; !struck && i < m_slivers.size(); ++i) {
        struck = found.consider(m_slivers[i]);
    }
    return found.record(hit);
}

template <std::size_t Width>
template <typename Lanes>
[[gnu::always_inline]] inline bool ModelBvhOf<Width>::strikesNearlyParallelWithin(Vec3 origin, Vec3 direction,
                                                                                  float limit, HitRecord& hit) const
{
    bvh_traversal::FaceWithin<Lanes> found(origin, direction, limit);
    bool struck = false;
    m_nearParallelFaces.template forEachPackNearlyParallel<Lanes>(
        origin, direction, limit, [&found, &struck](const Pack& pack) { struck = struck || found.consider(pack); });
    return found.record(hit);
}

template <std::size_t Width>
template <typename Lanes>
[[gnu::always_inline]] inline bool ModelBvhOf<Width>::strikesWithin(Vec3 origin, Vec3 direction,
                                                                    const BoxRay<Lanes>& boxRay, float limit,
                                                                    HitRecord& hit) const
{
    // The tree first: it holds most faces, and the rest need not be looked up once it answers.
    return strikesTreeWithin(origin, direction, boxRay, limit, hit) ||
           strikesNearlyParallelWithin<Lanes>(origin, direction, limit, hit);
}
