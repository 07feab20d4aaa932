#pragma once

#include "maths/Ray.h"
#include "scene/Scene.h"
#include "tracer/BoxPack.h"
#include "tracer/CullingMargins.h"
#include "tracer/HitRecord.h"
#include "tracer/PackWidth.h"
#include "tracer/TrianglePack.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

// The room's triangles packed Width to a pack for the accelerated search, in the brute-force
// search's order: surface by surface as kRoomSurfaces lists them, each surface's triangles in
// storage order, each pack within one surface. A pack is tested only when the ray enters its
// padded box before the best hit so far. Built once from the scene, read-only afterwards.
template <std::size_t Width>
class RoomPacksOf {
public:
    RoomPacksOf() = default;
    explicit RoomPacksOf(const Scene& scene);

    // Whether the room was small enough to pack; if not, it is searched by brute force.
    bool holdsRoom() const { return m_holdsRoom; }
    // Replaces best by the room's nearest hit exactly as the brute-force search replaces it;
    // boxRay made from the same ray, with the lane type Lanes of Width lanes. False, with best
    // unchanged, when the ray runs nearly in the plane of a room triangle it met, or of any
    // slanted room triangle (see ModelBvh.h): brute force must answer it.
    template <typename Lanes>
    bool withRoomSurfaces(const Ray& ray, const BoxRay<Lanes>& boxRay, HitRecord& best) const;

    // The room as the scene builds it has 12 triangles; larger test rooms are left unpacked.
    static constexpr std::size_t kMostTriangles = 64;

private:
    using Pack = TrianglePackOf<Width>;

    // Sets the clear box from the model and the packs' padded boxes (lows and highs).
    void setClearBox(const Scene& scene, const std::vector<Vec3>& lows, const std::vector<Vec3>& highs, float margin);

    std::vector<Pack> m_packs;  // face holds the triangle's index within its surface
    // The room's triangles that lie in no plane of constant x, y or z (the mirror's), which a
    // ray lying in their plane may strike far outside their boxes.
    std::vector<Pack> m_slantedPacks;
    std::vector<BoxPackOf<Width>> m_boxes;  // pack p's box is lane p % Width of m_boxes[p / Width]
    std::vector<HitKind> m_packKinds;
    // Rays from within this distance of the world's origin (per coordinate) may skip packs.
    float m_reach = 0.0f;
    // A box around the model, apart from every pack's padded box: a segment from a ray's origin
    // to the model's hit that lies in it meets no pack's box, so no room triangle is struck
    // before the hit. Most of the rays that strike the model start and end in it. Empty
    // (low not below high) when there is no model or no room for such a box.
    Vec3 m_clearLow{0.0f, 0.0f, 0.0f};
    Vec3 m_clearHigh{0.0f, 0.0f, 0.0f};
    bool m_holdsRoom = false;
};

// Always inlined into the search that calls it, with the model's (see BvhTraversal.h).
template <std::size_t Width>
template <typename Lanes>
[[gnu::always_inline]] inline bool RoomPacksOf<Width>::withRoomSurfaces(const Ray& ray, const BoxRay<Lanes>& boxRay,
                                                                        HitRecord& best) const
{
    static_assert(Lanes::kCount == Width);
    // Lanes follow the brute-force search's order, and it keeps the first of equally near
    // triangles within a surface and the earlier of equally near surfaces: so the room's answer
    // is the nearest struck lane, the earliest at equal t. The room replaces the model's hit only
    // when strictly nearer, so a pack whose box starts beyond the best so far cannot matter.
    const PackRay<Lanes> packRay(ray.origin, ray.direction);
    // In the plane of a slanted triangle, det and the test's quotients are rounding noise and it
    // may strike the triangle at any distance, whether its box is entered or not. In a plane of
    // constant x, y or z they stay true to the direction's small component across the plane, and
    // with none the test strikes nothing: those triangles need no such check.
    for (const Pack& pack : m_slantedPacks) {
        if (runsNearlyInPlanes(pack, packRay) != 0) {
            return false;
        }
    }
    // The box holds the origin and the hit point computed in float, whose rounding the margin
    // between it and the packs' boxes covers, so it holds the segment between them as well.
    // (A lambda, not a member: built into each lane type's search, as everything here is.)
    const auto inClearBox = [this](Vec3 point) {
        // Strictly inside, and false for NaN.
        return m_clearLow.x < point.x && point.x < m_clearHigh.x && m_clearLow.y < point.y && point.y < m_clearHigh.y &&
               m_clearLow.z < point.z && point.z < m_clearHigh.z;
    };
    if (best.kind != None && inClearBox(ray.origin) && inClearBox(ray.origin + ray.direction * best.t)) {
        return true;
    }
    // Far from the room the padding does not cover the rounding: every pack is tested.
    const bool useBoxes = largestMagnitude(ray.origin) <= m_reach;
    float bound = best.kind == None ? std::numeric_limits<float>::infinity() : best.t;
    float nearestT = 0.0f;
    std::size_t nearestPack = m_packs.size();
    unsigned nearestLane = 0;
    for (std::size_t group = 0; group < m_boxes.size(); ++group) {
        Lanes entry;
        unsigned entered = useBoxes ? boxRay.entered(m_boxes[group], bound * kEntrySlack, entry) : kEveryLaneOf<Width>;
        for (; entered != 0; entered &= entered - 1) {
            const std::size_t p = Width * group + static_cast<std::size_t>(std::countr_zero(entered));
            if (p >= m_packs.size()) {
                break;
            }
            alignas(Width * sizeof(float)) float t[Width];
            unsigned nearParallel = 0;
            const unsigned struckLanes = strikePack(m_packs[p], packRay, t, nearParallel);
            if (nearParallel != 0) {
                return false;
            }
            for (unsigned struck = struckLanes; struck != 0; struck &= struck - 1) {
                const int lane = std::countr_zero(struck);
                if (nearestPack == m_packs.size() || t[lane] < nearestT) {
                    nearestT = t[lane];
                    nearestPack = p;
                    nearestLane = static_cast<unsigned>(lane);
                }
            }
            if (nearestPack != m_packs.size() && nearestT < bound) {
                bound = nearestT;
            }
        }
    }
    if (nearestPack != m_packs.size() && (best.kind == None || best.t > nearestT)) {
        best = {nearestT, m_packKinds[nearestPack], m_packs[nearestPack].face[nearestLane]};
    }
    return true;
}
