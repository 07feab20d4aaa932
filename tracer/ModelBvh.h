#pragma once

#include "maths/Vec3.h"
#include "scene/Scene.h"
#include "tracer/BoxPack.h"
#include "tracer/CullingMargins.h"
#include "tracer/HitRecord.h"
#include "tracer/NearParallelFaces.h"
#include "tracer/PackWidth.h"
#include "tracer/TrianglePack.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

// One node of a Width-wide bounding volume hierarchy: the boxes of its children side by side.
template <std::size_t Width>
struct alignas(64) BvhNodeOf {
    BoxPackOf<Width> boxes;
    // An inner child is its node's position; a leaf child is its leaf pack's position with
    // kLeafFlag set. An unused child has an empty box (low +infinity, high -infinity), which
    // no ray enters, and is kNoChild.
    std::uint32_t child[Width];
    // The slots nearest first for each octant of directions (bit 0 set when the direction's x
    // is negative, bit 1 for y, bit 2 for z). 32 bits each, as the AVX-512 path's permutes take
    // them: widened from bytes on each visit, they held up the box test by 1 to 2 %.
    std::uint32_t nearToFar[8][Width];

    static constexpr std::uint32_t kLeafFlag = 0x80000000u;
    static constexpr std::uint32_t kNoChild = 0xFFFFFFFFu;
};

// A ray as the tree's searches take it: origin in model coordinates, and the box test's form of
// the same ray.
template <typename Lanes>
struct TreeRay {
    Vec3 origin;
    Vec3 direction;
    const BoxRay<Lanes>& boxRay;
};

// The nearest-hit search over the model mesh: exactly the brute-force search's answer, found
// by visiting only the boxes a ray can reach. Built once from the scene, read-only afterwards,
// so render threads share it without locks.
//
// Every triangle is still tested with the brute-force search's test (strikeTrianglesByEdges),
// on the corners and edges it computes, a pack at a time, so t is bit for bit the same. What
// keeps the answer the same:
// - boxes padded well beyond the rounding of the box test and of the triangle test, the pad
//   of a thin face grown with its thinness (paddingFor);
// - a ray that meets a face at a slant, where rounding may strike the face away from where the
//   ray meets its plane, entering the box anyway: each pad grows with the face's edges, and the
//   box test widens the ray into a thin cone (kGrazingReach, BoxRay);
// - near-degenerate triangles (whose test can strike far outside their box) kept out of the
//   tree and tested for every ray;
// - a box is visited while its entry distance is at most the best t plus a slack, so that a
//   hit at an equal t with a lower index is still found;
// - a hit replaces the best when nearer, or equally near with a lower face index;
// - rays whose rounding the padding does not cover (non-finite, or far from the model) are
//   not taken: the caller searches them by brute force;
// - a ray that runs nearly in the plane of a face (along a slanted edge, or in a facet's plane,
//   say) has a det of rounding noise, and the test may strike that face at any t, also outside
//   its box: every such face is tested whatever boxes the ray enters (NearParallelFaces.h).
//
// Width is the pack width of the search that reads it: nodes of Width children, leaves of one
// pack of Width triangles.
template <std::size_t Width>
class ModelBvhOf {
public:
    using Node = BvhNodeOf<Width>;
    using Pack = TrianglePackOf<Width>;

    ModelBvhOf() = default;
    // Over the scene's model mesh in model coordinates; empty when there is none.
    explicit ModelBvhOf(const Scene& scene);

    // Whether nearestHit gives the exact answer for this ray (origin in model coordinates).
    // Inline: every ray asks, and as a call it took 3 % of the render in a profile.
    bool covers(Vec3 origin, Vec3 direction) const
    {
        // Each test is false for NaN; infinities fail the range tests.
        const float directionSize = largestMagnitude(direction);
        return std::isfinite(direction.x) && std::isfinite(direction.y) && std::isfinite(direction.z) &&
               std::isfinite(origin.x) && std::isfinite(origin.y) && std::isfinite(origin.z) &&
               largestMagnitude(origin) <= m_reach && directionSize >= kShortestDirection &&
               directionSize <= kLongestDirection;
    }
    // The searches work on packs with a lane type Lanes of Width lanes (FloatLanes.h,
    // AvxLanes.h, Avx512Lanes.h); they are defined in BvhTraversal.h, for the translation units
    // that choose a lane type.
    //
    // The nearest struck face as {t, Model, face index}, or the empty record; origin in model
    // coordinates, boxRay made from the same ray. Only for rays that covers accepts. The faces
    // the ray runs nearly parallel to are left out: withNearlyParallelFaces adds them once the
    // best hit so far, the room's included, bounds their search.
    template <typename Lanes>
    HitRecord nearestHit(Vec3 origin, Vec3 direction, const BoxRay<Lanes>& boxRay) const;
    // The same for two rays at once, their searches taking turns, which keeps the processor
    // busier than one search after the other.
    template <typename Lanes>
    void nearestHitPair(const TreeRay<Lanes>& first, const TreeRay<Lanes>& second, HitRecord& firstHit,
                        HitRecord& secondHit) const;
    // best replaced by the nearest face that the ray runs nearly parallel to, where that is
    // nearer, or as near with a lower index (or best is no face of the model: the model comes
    // first at an equal t). Together with nearestHit and the room's search this gives the
    // brute-force search's record.
    template <typename Lanes>
    void withNearlyParallelFaces(Vec3 origin, Vec3 direction, HitRecord& best) const;
    // Whether the ray strikes some face at a t of at most limit (which may be infinite), and if
    // so {t, Model, face} of one such face in hit: not necessarily the nearest, which is why it
    // is faster than nearestHit. The same rays and boxRay as there. strikesTreeWithin leaves
    // out the faces the ray runs nearly parallel to, and strikesNearlyParallelWithin searches only
    // those.
    template <typename Lanes>
    bool strikesWithin(Vec3 origin, Vec3 direction, const BoxRay<Lanes>& boxRay, float limit, HitRecord& hit) const;
    template <typename Lanes>
    bool strikesTreeWithin(Vec3 origin, Vec3 direction, const BoxRay<Lanes>& boxRay, float limit, HitRecord& hit) const;
    template <typename Lanes>
    bool strikesNearlyParallelWithin(Vec3 origin, Vec3 direction, float limit, HitRecord& hit) const;

    // Faces tested for every ray instead of through the tree.
    std::size_t sliverCount() const { return m_sliverCount; }
    std::size_t nodeCount() const { return m_nodes.size(); }

    // Below this depth the build halves nodes instead of splitting them by cost, so a binary
    // tree over at most 2^32 faces is at most kDeepestCostSplit + 32 deep, and so is the
    // collapsed tree. The traversal leaves at most Width - 1 entries behind a level, and a
    // node writes all its Width slots on top of them.
    static constexpr std::size_t kDeepestCostSplit = 40;
    static constexpr std::size_t kStackCapacity = (Width - 1) * (kDeepestCostSplit + 32) + Width;

private:
    template <std::size_t>
    friend class BvhBuilder;

    template <typename Lanes, typename Faces>
    class TreeWalk;
    template <typename Lanes, typename Faces>
    bool searchTree(Vec3 direction, const BoxRay<Lanes>& boxRay, Faces& faces) const;

    std::vector<Node> m_nodes;    // node 0 is the root
    std::vector<Pack> m_leaves;   // one pack per leaf of the tree
    std::vector<Pack> m_slivers;  // the faces kept out of the tree
    std::size_t m_sliverCount = 0;
    NearParallelFacesOf<Width> m_nearParallelFaces;  // over the tree's faces
    // Rays from within this distance of the model's origin (per coordinate) are covered.
    float m_reach = 0.0f;
};
